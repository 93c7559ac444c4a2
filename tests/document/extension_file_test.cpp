// Reading the extension file: each version's layout from hand-built bytes,
// record kinds, the record reader as the loader drives it, damaged and
// hostile files, and the questions asked on opening. The writer's round trip
// is in extension_writer_test.cpp.
#include <gtest/gtest.h>
#include <sys/time.h>

#include <cstdio>
#include <ctime>

#include "document/extension_file.h"
#include "document/extension_writer.h"
#include "document/save.h"
#include "document/storage.h"
#include "platform/codec.h"
#include "../support/notices.h"
#include "tests/support/temp_folder.h"

using namespace rix;

namespace {

// File bytes spelled out field by field after the layout tables.
struct Bytes {
    std::string b;
    Bytes& raw(std::initializer_list<int> v) {
        for (int x : v) b += static_cast<char>(x);
        return *this;
    }
    Bytes& be16(unsigned v) { return raw({static_cast<int>(v >> 8 & 0xFF), static_cast<int>(v & 0xFF)}); }
    Bytes& be32(unsigned v) { return be16(v >> 16).be16(v & 0xFFFF); }
    Bytes& field(std::string_view s, std::size_t width) {
        std::string t(s);
        t.resize(width, '\0');
        b += t;
        return *this;
    }
    Bytes& zeros(std::size_t n) { return field("", n); }
    // 128-byte header (32 bytes for version 23 files).
    Bytes& header(std::string_view magic, std::string_view ext, std::string_view title, unsigned cursor = 0,
                  int encrypted = 0, int format = 0, std::string_view print = {}) {
        field(magic, 5).field(ext, 3).field(title, 24);
        if (magic == "RIX23") return *this;
        return be32(cursor).zeros(3).raw({encrypted, format}).zeros(47).field(print, 40);
    }
    Bytes& jump(int slot, std::string_view s) { return raw({0xFF, 0xFF, slot, 0, 0, 0, 0, 0}).field(s, 24); }
    Bytes& index(unsigned line, int level, std::string_view title) {
        std::size_t n = (title.size() - 1) / 8 + 1;
        return be16(line).raw({0x80 | static_cast<int>(n << 4) | level, 0, 0, 0, 0, 0}).field(title, n * 8);
    }
    Bytes& line(unsigned line, int marks, unsigned word) { return be16(line).raw({marks, 0}).be32(word); }
    Bytes& ruby(unsigned line, int param, unsigned column, std::string_view text) {
        std::size_t n = (text.size() - 1) / 8 + 1;
        return be16(line).raw({static_cast<int>(n * 16), param, 0, 0}).be16(column).field(text, n * 8);
    }
    Bytes& tag(unsigned line, int a1, int a2, unsigned column, std::string_view text) {
        std::size_t n = (text.size() + 1) / 8 + 1;
        return be16(line).raw({0, static_cast<int>(n), a1, a2}).be16(column).field(text, n * 8);
    }
};

const std::string KANJI = utf8_to_sjis("かんじ");
const std::string TITLE = utf8_to_sjis("吾輩は猫である");

// One file holding every kind of record, in the order of the current version.
Bytes current_file() {
    Bytes f;
    f.header("RIX45", "txt", TITLE, 0x00050003, 1, 2, utf8_to_sjis("印刷題名"));
    f.jump(2, "second").jump(5, "fifth");
    f.index(3, 2, utf8_to_sjis("第一章"));
    f.line(0, 0x05, 0x00123000).ruby(0, 0x02, 4, KANJI).tag(0, 0x20, 0x30, 4, "memo").ruby(0, 0x11, 4, "xy");
    f.tag(2, 0, 0, 0, "");
    return f;
}

std::string describe(const PositionRecord* r) {
    if (!r) return "-";
    return std::string(r->kind == PositionKind::RUBY ? "R" : "T") + std::to_string(r->column) + ":" + sjis_to_utf8(r->text);
}

// Everything read, one item a line, texts in UTF-8.
std::string dump(const ExtensionFile& x) {
    const ExtensionHeader& h = x.header;
    char buf[200];
    std::snprintf(buf, sizeof buf, "v%d/%zu .%s cursor %u:%u enc %d format %d\n", h.version, h.size,
                  h.text_extension.c_str(), h.cursor.line(), h.cursor.column(), h.encrypted, h.screen_format);
    std::string out = buf + sjis_to_utf8(h.title) + "|" + sjis_to_utf8(h.print_title) + "\n";
    for (std::size_t i = 0; i < h.jumps.size(); ++i)
        if (!h.jumps[i].empty()) out += "jump " + std::to_string(i + 1) + " " + h.jumps[i] + "\n";
    for (const auto& e : x.index)
        out += "index " + std::to_string(e.line) + "/" + std::to_string(e.level) + " " + sjis_to_utf8(e.title) + "\n";
    for (const auto& l : x.line_records) {
        std::snprintf(buf, sizeof buf, "line %u marks %u word %08X\n", l.line, l.marks, l.format_word);
        out += buf;
    }
    for (const auto& r : x.positions) {
        std::snprintf(buf, sizeof buf, "%u %s %02X %02X %02X\n", r.line, describe(&r).c_str(), r.param, r.attr1, r.attr2);
        out += buf;
    }
    return out + "dropped " + std::to_string(x.dropped) + "\n";
}

}  // namespace

TEST(ExtensionLayout, EachVersion) {
    // One ruby record spelled out byte by byte as the table gives it.
    Bytes f = current_file();
    f.b += std::string("\x00\x07\x10\x23\x00\x00\x01\x02" "ab\0\0\0\0\0\0", 16);
    ExtensionFile x;
    ASSERT_EQ(read_extension_bytes(f.b, &x), ExtensionStatus::OK);
    EXPECT_EQ(dump(x),
              "v45/128 .txt cursor 5:3 enc 1 format 2\n"
              "吾輩は猫である|印刷題名\n"
              "jump 2 second\njump 5 fifth\n"
              "index 3/2 第一章\n"
              "line 0 marks 5 word 00123000\n"
              "0 R4:かんじ 02 00 00\n0 T4:memo 00 20 30\n0 R4:xy 11 00 00\n"
              "2 T0: 00 00 00\n7 R258:ab 23 00 00\n"
              "dropped 0\n");
    EXPECT_EQ(x.records_offset, 128u + 64 + 16);

    // Below 41 a line's line record follows its rubies and tags; 23 has a
    // 32-byte header. Title fills its field and ends in a lone lead byte.
    for (const char* magic : {"RIX41", "RIX28", "RIX23", "rix45"}) {
        Bytes old;
        old.header(magic, "txt", std::string(23, 'a') + "\x82", 0x00010000, 0, 9);
        old.ruby(0, 0x02, 0, KANJI).line(0, 0x01, 0).tag(1, 0, 0, 2, "x").line(1, 0xF2, 0x01000000);
        ASSERT_EQ(read_extension_bytes(old.b, &x), ExtensionStatus::OK) << magic;
        bool short_header = std::string_view(magic) == "RIX23";
        std::string head = short_header ? "/32 .txt cursor 0:0" : "/128 .txt cursor 1:0";
        EXPECT_EQ(dump(x), "v" + std::to_string(extension_version(magic)) + head + " enc 0 format 255\n" +
                               std::string(23, 'a') + "|\n" +
                               "line 0 marks 1 word 00000000\nline 1 marks 2 word 01000000\n"
                               "0 R0:かんじ 02 00 00\n1 T2:x 00 00 00\ndropped 0\n");
    }
    EXPECT_EQ(read_extension_bytes(Bytes().header("RIX22", "txt", "").b, &x), ExtensionStatus::UNSUPPORTED);
    EXPECT_EQ(read_extension_bytes(Bytes().header("ABCDE", "txt", "").b, &x), ExtensionStatus::UNSUPPORTED);
    EXPECT_EQ(read_extension_bytes(Bytes().header("RIX4x", "txt", "").b, &x), ExtensionStatus::UNSUPPORTED);
}

TEST(ExtensionLayout, TagsOfSixteenUnitsAreTags) {
    // Tags of 119..126 bytes have 16 payload units: byte 3 = 0x10.
    for (std::size_t len = 110; len <= 135; ++len) {
        Bytes f;
        f.header("RIX45", "txt", "").tag(4, 1, 2, 9, std::string(len, 'a')).line(5, 0x02, 0);
        ExtensionFile x;
        ASSERT_EQ(read_extension_bytes(f.b, &x), ExtensionStatus::OK) << len;
        ASSERT_EQ(x.positions.size(), 1u) << len;
        EXPECT_EQ(x.positions[0].kind, PositionKind::TAG);
        EXPECT_EQ(x.positions[0].text.size(), len);
        ASSERT_EQ(x.line_records.size(), 1u) << len;
        EXPECT_EQ(x.line_records[0].line, 5u);
    }
}

TEST(ExtensionReading, RecordsMergeAtTheirColumns) {
    Bytes f;
    f.header("RIX45", "txt", "");
    f.ruby(0, 0x02, 4, "r1").tag(0, 0, 0, 4, "t").ruby(0, 0x02, 4, "r2").ruby(0, 0x01, 8, "r3");
    f.tag(1, 0, 0, 0, "t1").ruby(1, 0x01, 0, "r4").tag(1, 0, 0, 0, "t2").tag(1, 0, 0, 6, "end");
    f.ruby(3, 0x01, 2, "lost").line(4, 1, 0).ruby(4, 0x01, 0, "r5");
    ExtensionFile x;
    ASSERT_EQ(read_extension_bytes(f.b, &x), ExtensionStatus::OK);
    ExtensionReader r(&x);
    EXPECT_EQ(r.begin_line(0), nullptr);
    EXPECT_EQ(describe(r.next_ruby_due(3)), "-");        // not due before its column
    EXPECT_EQ(describe(r.next_ruby_due(4)), "R4:r1");
    EXPECT_EQ(describe(r.next_tag_due(4)), "T4:t");
    EXPECT_EQ(describe(r.next_ruby_due(4)), "R4:r2");
    EXPECT_EQ(describe(r.next_ruby_due(10)), "R8:r3");   // due: column at most c
    // A tag first: the loader's ruby, tag, ruby order keeps it first.
    r.begin_line(1);
    EXPECT_EQ(describe(r.next_ruby_due(0)), "-");
    EXPECT_EQ(describe(r.next_tag_due(0)), "T0:t1");
    EXPECT_EQ(describe(r.next_ruby_due(0)), "R0:r4");
    // Two due records in a row: next_due hands them out in stored order.
    EXPECT_EQ(describe(r.next_due(6)), "T0:t2");
    EXPECT_EQ(describe(r.next_due(6)), "T6:end");
    EXPECT_EQ(describe(r.next_due(6)), "-");
    // Line 3 is passed without its ruby being asked for; line 4 is not blocked.
    ASSERT_NE(r.begin_line(4), nullptr);
    EXPECT_EQ(describe(r.next_ruby_due(0)), "R0:r5");
    EXPECT_EQ(r.begin_line(5), nullptr);
    EXPECT_EQ(describe(r.next_due(0xFFFF)), "-");
}

namespace {

// The loader's walk over lines of the given raw lengths in chunks of
// `chunk` bytes: a line that does not fit in what is left of a chunk is
// walked again from its start in the next chunk, after the reader state
// saved at its start is restored. (The first line of a chunk always fits.)
std::vector<std::string> walk(const ExtensionFile& x, const std::vector<unsigned>& lengths, unsigned chunk) {
    ExtensionReader r(&x);
    std::vector<std::string> out;
    std::size_t line = 0;
    while (line < lengths.size()) {
        unsigned budget = chunk;
        for (bool first = true; line < lengths.size(); first = false, ++line) {
            ExtensionReaderState start = r.save_state();
            std::vector<std::string> got;
            const LineRecord* lr = r.begin_line(static_cast<std::uint32_t>(line));
            got.push_back("L" + std::to_string(line) + (lr ? "+" : ""));
            unsigned c = 0;
            for (; c < lengths[line] && (first || budget > 0); ++c, budget -= budget > 0)
                for (auto* rec : {r.next_ruby_due(c), r.next_tag_due(c), r.next_ruby_due(c)})
                    if (rec) got.push_back(describe(rec));
            if (c < lengths[line]) {
                r.restore_state(start);
                break;
            }
            if (auto* rec = r.next_tag_due(c)) got.push_back(describe(rec));
            out.insert(out.end(), got.begin(), got.end());
        }
    }
    return out;
}

}  // namespace

TEST(ExtensionReading, SaveAndRestoreGiveTheSameRecordsInAnyChunkSize) {
    Bytes f;
    f.header("RIX45", "txt", "");
    f.line(0, 1, 0).ruby(0, 0x01, 0, "a").tag(0, 0, 0, 3, "b").ruby(0, 0x01, 3, "c").tag(0, 0, 0, 9, "eol");
    f.ruby(1, 0x01, 5, "d").line(2, 2, 0).tag(2, 0, 0, 1, "e");
    ExtensionFile x;
    ASSERT_EQ(read_extension_bytes(f.b, &x), ExtensionStatus::OK);
    const std::vector<unsigned> lengths = {9, 8, 4};
    std::vector<std::string> whole = walk(x, lengths, 1000);
    EXPECT_EQ(whole, (std::vector<std::string>{"L0+", "R0:a", "T3:b", "R3:c", "T9:eol", "L1", "R5:d", "L2+", "T1:e"}));
    for (unsigned chunk = 1; chunk < 24; ++chunk) EXPECT_EQ(walk(x, lengths, chunk), whole) << chunk;

    // Restoring a state saved inside a line hands the same records out again.
    ExtensionReader r(&x);
    r.begin_line(0);
    EXPECT_EQ(describe(r.next_ruby_due(0)), "R0:a");
    ExtensionReaderState mid = r.save_state();
    EXPECT_EQ(describe(r.next_due(3)), "T3:b");
    EXPECT_EQ(describe(r.next_due(3)), "R3:c");
    r.restore_state(mid);
    EXPECT_EQ(describe(r.next_due(3)), "T3:b");
}

TEST(ExtensionDamage, TruncatedAtEveryLength) {
    const std::string full = current_file().b;
    ExtensionFile whole;
    ASSERT_EQ(read_extension_bytes(full, &whole), ExtensionStatus::OK);
    // Record boundaries: a file cut there is a shorter valid file.
    const std::vector<std::size_t> ends = {128, 160, 192, 208, 216, 232, 248, 264, 280};
    for (std::size_t len = 0; len < full.size(); ++len) {
        std::string cut = full.substr(0, len);
        ExtensionFile x;
        ExtensionStatus s = read_extension_bytes(cut, &x);
        bool boundary = std::find(ends.begin(), ends.end(), len) != ends.end();
        EXPECT_EQ(s, boundary ? ExtensionStatus::OK : ExtensionStatus::CORRUPT) << len;
        EXPECT_LE(x.positions.size(), whole.positions.size());
        EXPECT_LE(x.damage_offset, len);
        if (len < 128) {
            EXPECT_EQ(x.header.version, 0) << len;
        } else {
            EXPECT_EQ(x.header.title, TITLE) << len;
            if (s == ExtensionStatus::CORRUPT) {
                EXPECT_GE(x.damage_offset, 128u) << len;
            }
        }
    }
}

TEST(ExtensionDamage, LengthsPastTheEndKeepWhatCameBefore) {
    // A ruby of 6 units with 1 present, a tag of 255 units, half a unit;
    // then an index title and a jump string running past the end.
    const Bytes tails[] = {Bytes().raw({0, 1, 0x60, 0x01, 0, 0, 0, 0}).field("ab", 8),
                           Bytes().raw({0, 1, 0, 0xFF, 0, 0, 0, 0}).field("ab", 64), Bytes().raw({0, 1, 0}),
                           Bytes().raw({0, 1, 0xD1, 0, 0, 0, 0, 0}).field("abc", 16),
                           Bytes().raw({0xFF, 0xFF, 1, 0, 0, 0, 0, 0}).field("j", 8)};
    for (std::size_t i = 0; i < std::size(tails); ++i) {
        bool in_lists = i >= 3;
        Bytes f;
        f.header("RIX45", "txt", "t");
        if (!in_lists) f.ruby(0, 0x01, 0, "ok");
        std::size_t at = f.b.size();
        f.b += tails[i].b;
        ExtensionFile x;
        EXPECT_EQ(read_extension_bytes(f.b, &x), ExtensionStatus::CORRUPT) << i;
        EXPECT_EQ(x.damage_offset, at) << i;
        EXPECT_EQ(x.header.title, "t");
        EXPECT_EQ(x.positions.size(), in_lists ? 0u : 1u) << i;
    }
}

TEST(ExtensionDamage, InvalidRecordsAreSkippedWhole) {
    Bytes f;
    f.header("RIX45", "txt", "");
    for (int i = 0; i < 10; ++i) f.jump(i % 8 + 1, "j" + std::to_string(i));   // the first of a slot stands
    for (int i = 0; i < 1003; ++i) f.index(1, 1, std::string(41, 'i'));        // all kept, cut to 40 bytes
    f.ruby(0, 0x20, 0, "ab");                           // base of no cells
    f.ruby(0, 0x01, 0, "\x0D\x0A");                     // nothing left once cleaned
    f.tag(0, 0, 0, 0, "x\x1A");                         // end-of-text mark inside a tag
    f.be16(0).raw({0, 126, 0, 0}).be16(0).field(std::string(1008, 'a'), 1008);  // tag of 1008 bytes
    f.line(1, 1, 0).line(1, 2, 0);                      // the first line record of a line stands
    f.tag(0, 0xFE, 0xFC, 1, "kept");                    // attribute out of range reads as default
    f.ruby(65535, 0x01, 2, std::string(48, 'b'));       // the largest ruby on the last line
    ExtensionFile x;
    ASSERT_EQ(read_extension_bytes(f.b, &x), ExtensionStatus::OK);
    EXPECT_EQ(x.index.size(), 1003u);
    EXPECT_EQ(x.index[1002].title, std::string(40, 'i'));
    x.index.clear();
    EXPECT_EQ(dump(x), "v45/128 .txt cursor 0:0 enc 0 format 0\n|\n"
                       "jump 1 j0\njump 2 j1\njump 3 j2\njump 4 j3\njump 5 j4\njump 6 j5\njump 7 j6\njump 8 j7\n"
                       "line 1 marks 1 word 00000000\n"
                       "0 T1:kept 00 00 FC\n65535 R2:" + std::string(48, 'b') + " 01 00 00\n"
                       "dropped 7\n");
}

// Ruby text from a file is cleaned as typed text is, so that no ruby the file
// holds can split a line or swallow the closing delimiter when written out.
TEST(ExtensionDamage, RubyTextIsCleanedAsTyped) {
    const std::string a = utf8_to_sjis("あ");
    std::string long_ruby;
    for (int i = 0; i < 30; ++i) long_ruby += a;    // 60 bytes in 8 units
    Bytes f;
    f.header("RIX45", "txt", "");
    f.ruby(0, 0x01, 0, "a\x0D\x0A" "b");               // CR LF would split the line
    f.ruby(0, 0x01, 1, "x" + a.substr(0, 1));          // a lone lead byte would take the 0x81 of 》
    f.ruby(0, 0x01, 2, "a\xFF" "b\x1A" "c\xFC\x40");   // markers and an 0xFC character
    f.ruby(0, 0x01, 3, std::string(47, 'z') + a);      // 49 bytes: cut before the character
    f.ruby(0, 0x01, 4, long_ruby);                      // 60 bytes: cut to 48
    f.ruby(0, 0x01, 5, "\xB1\xDF" "ok");                // half-width katakana stay
    ExtensionFile x;
    ASSERT_EQ(read_extension_bytes(f.b, &x), ExtensionStatus::OK);
    ASSERT_EQ(x.positions.size(), 6u);
    EXPECT_EQ(x.positions[0].text, "ab");
    EXPECT_EQ(x.positions[1].text, "x");
    EXPECT_EQ(x.positions[2].text, "abc@");
    EXPECT_EQ(x.positions[3].text, std::string(47, 'z'));
    EXPECT_EQ(x.positions[4].text, long_ruby.substr(0, 48));
    EXPECT_EQ(x.positions[5].text, "\xB1\xDF" "ok");
    EXPECT_EQ(x.cleaned, 5u);
    EXPECT_EQ(x.dropped, 0u);
    for (const PositionRecord& r : x.positions) EXPECT_EQ(r.text, storable_ruby_text(r.text));
}

namespace {

void set_mtime(const std::string& path, int year, int month, int day, int hour, int minute) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_isdst = -1;
    timeval tv[2] = {{std::mktime(&t), 0}, {std::mktime(&t), 0}};
    ::utimes(path.c_str(), tv);
}

}  // namespace

TEST(ExtensionOpening, PathsAndSilentRefusals) {
    EXPECT_EQ(extension_path_for("/d/a.txt"), "/d/a.rix");
    EXPECT_EQ(extension_path_for("/d.x/a"), "/d.x/a.rix");
    EXPECT_EQ(extension_path_for("/d/a.b.txt"), "/d/a.b.rix");
    EXPECT_EQ(extension_path_for("/d/a.RIX"), "");       // would be the text file itself
    EXPECT_EQ(extension_path_for(""), "");
    // A name that begins with its only dot has no extension: two such files
    // of one folder keep an extension file and a backup each (".rix" and
    // ".bak" were shared by every one of them).
    EXPECT_EQ(extension_path_for("/d/.memo"), "/d/.memo.rix");
    EXPECT_EQ(extension_path_for("/d/.notes"), "/d/.notes.rix");
    EXPECT_EQ(backup_path_for("/d/.memo"), "/d/.memo.bak");
    EXPECT_EQ(backup_path_for("/d.x/a"), "/d.x/a.bak");
    EXPECT_EQ(backup_path_for("/d/a.b.txt"), "/d/a.b.bak");
    EXPECT_EQ(recorded_text_extension("/d/.memo"), "");
    EXPECT_EQ(recorded_text_extension("/d.txt/memo"), "");

    test::TempFolder dir;
    test::ScriptedQuestions questions;
    ExtensionFile x;
    std::string text = dir.write("doc.md", "a\x1A");
    EXPECT_EQ(open_extension_file(text, 0, &x, questions), ExtensionStatus::MISSING);
    dir.write("doc.rix", current_file().b);             // recorded for ".txt"
    EXPECT_EQ(open_extension_file(text, 0, &x, questions), ExtensionStatus::OTHER_EXTENSION);
    dir.write("doc.rix", Bytes().header("RIX12", "md", "").b);
    EXPECT_EQ(open_extension_file(text, 0, &x, questions), ExtensionStatus::UNSUPPORTED);
    EXPECT_TRUE(questions.asked.empty());
}

// Files named like ".memo" once shared one ".rix" per folder: the one written
// for this document is still read; another's is not taken for it.
TEST(ExtensionOpening, ADotFileStillReadsTheSharedFileItsEarlierSavesWrote) {
    test::TempFolder dir;
    std::string memo = dir.write(".memo", "a\x1A");
    std::string notes = dir.write(".notes", "b\x1A");
    std::string rix = dir.write(".rix", Bytes().header("RIX45", "mem", "").ruby(0, 1, 0, "r").b);
    for (const std::string& p : {memo, notes, rix}) set_mtime(p, 2024, 3, 5, 14, 7);
    test::ScriptedQuestions questions;
    ExtensionFile x;
    EXPECT_EQ(open_extension_file(memo, 0, &x, questions), ExtensionStatus::OK);
    EXPECT_EQ(x.positions.size(), 1u);
    EXPECT_EQ(open_extension_file(notes, 0, &x, questions), ExtensionStatus::MISSING);
    // Once the document has its own, that one is read.
    std::string own = dir.write(".memo.rix", Bytes().header("RIX45", "", "").b);
    set_mtime(own, 2024, 3, 5, 14, 7);
    EXPECT_EQ(open_extension_file(memo, 0, &x, questions), ExtensionStatus::OK);
    EXPECT_TRUE(x.positions.empty());
    EXPECT_TRUE(questions.asked.empty());
}

TEST(ExtensionOpening, OldVersionAndDateQuestions) {
    test::TempFolder dir;
    std::string text = dir.write("doc.TXT", "a\x1A");  // the extension compares without case
    std::string rix = dir.write("doc.rix", Bytes().header("RIX28", "txt", "old").ruby(0, 1, 0, "r").b);
    set_mtime(text, 2024, 3, 5, 14, 7);
    set_mtime(rix, 2024, 3, 5, 14, 7);
    test::ScriptedQuestions questions;
    ExtensionFile x;
    questions.answers = {false};
    EXPECT_EQ(open_extension_file(text, 9, &x, questions), ExtensionStatus::DECLINED);
    EXPECT_TRUE(x.positions.empty());
    questions.answers = {true};
    EXPECT_EQ(open_extension_file(text, 9, &x, questions), ExtensionStatus::OK);
    EXPECT_EQ(x.positions.size(), 1u);
    ASSERT_EQ(questions.asked.size(), 2u);
    EXPECT_EQ(questions.owners[0], 9u);
    EXPECT_EQ(questions.asked[0],
              "旧版の拡張ﾌｧｲﾙがあります｡\nこれを読込みますか？\n読込んで､書換えを行なうと\n旧版のRIXでは使えなくなります。");

    dir.write("doc.rix", current_file().b);
    set_mtime(rix, 2009, 11, 30, 9, 5);
    questions.asked.clear();
    questions.answers = {false};
    EXPECT_EQ(open_extension_file(text, 0, &x, questions), ExtensionStatus::DECLINED);
    EXPECT_EQ(x.header.version, 0);
    ASSERT_EQ(questions.asked.size(), 1u);
    EXPECT_EQ(questions.asked[0],
              "日時の異なる拡張ﾌｧｲﾙがあります｡\n"
              "テキストの日時は　24-03-05 14:07\n"
              "拡張ﾌｧｲﾙの日時は　09-11-30 09:05\n"
              "これを使いますか ？");
    questions.answers = {true};
    EXPECT_EQ(open_extension_file(text, 0, &x, questions), ExtensionStatus::OK);
    EXPECT_EQ(x.positions.size(), 4u);
    set_mtime(rix, 2024, 3, 5, 14, 7);                  // the same minute: no question
    EXPECT_EQ(open_extension_file(text, 0, &x, questions), ExtensionStatus::OK);
    EXPECT_EQ(questions.asked.size(), 2u);
    EXPECT_EQ(questions.unexpected, 0);
}
