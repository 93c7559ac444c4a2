// The chunk converter, loading form: notations, line ends, stray bytes, tabs,
// line-information lines and the limits of a position.
//
// Still owed: a load that meets a full buffer (BUFFER_LIMIT) on a real file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/convert.h"
#include "document/notation.h"
#include "fuzz/fuzz_entries.h"
#include "platform/codec.h"
#include "../support/notices.h"

namespace rix {
namespace {

std::string sj(std::string_view utf8) { return utf8_to_sjis(utf8); }
std::string block(std::string_view ruby_utf8, int param) {
    return std::string("\xFF") + static_cast<char>(param) + sj(ruby_utf8) + "\xFF";
}

struct Loaded {
    Document doc;
    DocumentState state;
    std::vector<std::string> lines;   // stored bytes of each line, end mark left out
    Notices notices;                  // what the load reported
    test::ScriptedQuestions questions;   // answers the load's questions
};

// Loads raw bytes (code page 932) with the given options; whole file, one chunk.
void load(Loaded& out, std::string_view raw, LoadOptions options = {}) {
    LoadSession session;
    session.options = options;
    session.questions = &out.questions;
    fuzz::load_bytes(out.doc, out.state, session, raw, false, &out.notices);
    for (std::uint32_t line = 0; line < out.doc.lines.count(); ++line) {
        const std::uint8_t* p = out.doc.line_pointer(line);
        LineScanner scan(p, MAX_LINE_SCAN);
        ScanItem item = scan.next();
        while (item.kind != ItemKind::LINE_END && item.kind != ItemKind::TEXT_END && item.kind != ItemKind::CUT)
            item = scan.next();
        out.lines.emplace_back(reinterpret_cast<const char*>(p), item.column);
    }
    EXPECT_EQ(fuzz::check_loaded(out.doc), "");
}

LoadOptions rubies(std::uint8_t notation = 3) {
    LoadOptions o;
    o.read_rubies = true;
    o.ruby_notation = notation;
    return o;
}

TEST(RubyNotation, KanjiRunBarAndEmptyDelimiters) {
    Loaded a;
    load(a, sj("漢字《かんじ》\r\n｜東京タワー《とうきょうたわー》\r\n《》\r\nかな漢字《かんじ》\r\n漢字かな《かな》"),
         rubies());
    ASSERT_EQ(a.lines.size(), 5u);
    EXPECT_EQ(a.lines[0], block("かんじ", 2) + sj("漢字"));
    EXPECT_EQ(a.lines[1], block("とうきょうたわー", 5) + sj("東京タワー"));
    EXPECT_EQ(a.lines[2], sj("《》"));
    EXPECT_EQ(a.lines[3], sj("かな") + block("かんじ", 2) + sj("漢字"));
    EXPECT_EQ(a.lines[4], block("かな", 4) + sj("漢字かな"));
    EXPECT_EQ(a.state.modified, MODIFIED_TEXT | MODIFIED_EXTENSION | MODIFIED_CONVERTED);

    Loaded off;   // without ruby reading everything is text, the bar included
    load(off, sj("｜東京《とうきょう》"));
    EXPECT_EQ(off.lines[0], sj("｜東京《とうきょう》"));
    EXPECT_EQ(off.state.modified, 0);
}

TEST(RubyNotation, OtherNotationsAndAllotment) {
    LoadOptions o = rubies(1);
    o.ruby_allotment = 2;
    Loaded a;
    load(a, sj("漢字（かんじ）《よみ》"), o);
    EXPECT_EQ(a.lines[0], block("かんじ", 0x22) + sj("漢字《よみ》"));

    o = rubies(4);
    o.custom_delimiters = sj("【】");
    Loaded b;
    load(b, sj("漢字【かんじ】〈よみ〉"), o);
    EXPECT_EQ(b.lines[0], block("かんじ", 2) + sj("漢字〈よみ〉"));

    o.custom_delimiters = "ab";   // not two double-byte characters: 《》
    Loaded c;
    load(c, sj("字《じ》"), o);
    EXPECT_EQ(c.lines[0], block("じ", 1) + sj("字"));
}

TEST(RubyNotation, BaseStaysInItsLineAndWithinFifteenCells) {
    Loaded a;
    load(a, sj("漢字\r\nかな《よみ》\r\n《よみ》\r\n｜一二三四五六七八九十壱弐参四五六《ながい》\r\n"
               "漢《かん》《じ》"),
         rubies());
    EXPECT_EQ(a.lines[0], sj("漢字"));
    EXPECT_EQ(a.lines[1], block("よみ", 2) + sj("かな"));
    EXPECT_EQ(a.lines[2], sj("《よみ》"));   // no base at all: stays text
    EXPECT_EQ(a.lines[3], sj("一") + block("ながい", 15) + sj("二三四五六七八九十壱弐参四五六"));
    EXPECT_EQ(a.lines[4], block("かん", 1) + sj("漢《じ》"));
}

TEST(RubyNotation, UnclosedDelimiterStaysText) {
    Loaded a;
    load(a, sj("漢字《かん\r\n字《じ》") + "\r\n" + sj("漢《かa》") + "\r\n" + sj("漢《かん"), rubies());
    EXPECT_EQ(a.lines[0], sj("漢字《かん"));
    EXPECT_EQ(a.lines[1], block("じ", 1) + sj("字"));
    EXPECT_EQ(a.lines[2], sj("漢《か") + "a" + sj("》"));
    EXPECT_EQ(a.lines[3], sj("漢《かん"));
}

TEST(RubyNotation, TooLongRubyAsksAndNoStopsReading) {
    std::string long_ruby = sj("あいうえおかきくけこさしすせそたちつてとなにぬねの");   // 25 characters
    std::string text = sj("漢") + sj("《") + long_ruby + sj("》\r\n字《じ》");
    {
        Loaded a;
        a.questions.answers = {false};
        load(a, text, rubies());
        ASSERT_EQ(a.questions.asked.size(), 1u);
        EXPECT_EQ(a.questions.asked[0],
                  "『" + sjis_to_utf8(long_ruby) +
                      "』\n\n行1で上のルビの長さが制限24を超えました。\n区分終端記号が見付からないので\n"
                      "このルビは変換出来ません。\n\nこの後もルビの変換を実行しますか？");
        EXPECT_EQ(a.lines[0], sj("漢《") + long_ruby + sj("》"));
        EXPECT_EQ(a.lines[1], sj("字《じ》"));
        EXPECT_TRUE(a.notices.empty());
        // A load with no one to ask takes no for an answer.
        Loaded alone;
        LoadSession session;
        session.options = rubies();
        fuzz::load_bytes(alone.doc, alone.state, session, text);
        EXPECT_EQ(fuzz::document_image(alone.doc, alone.state), fuzz::document_image(a.doc, a.state));
    }
    Loaded b;
    b.questions.answers = {true};
    load(b, text, rubies());
    EXPECT_EQ(b.lines[0], sj("漢《") + long_ruby + sj("》"));
    EXPECT_EQ(b.lines[1], block("じ", 1) + sj("字"));
    EXPECT_EQ(b.questions.unexpected, 0);
}

TEST(RubyNotation, QuestionAskedOnceWhenALongLineIsReadAgain) {
    // The line is longer than the first 64-byte read: it is converted, given
    // back unfinished, and converted again from a larger read.
    std::string text = sj("漢《あいうえおかきくけこさしすせそたちつてとなにぬねの》一二三四五六七八九十一二三四五六七八九十");
    LoadOptions o = rubies();
    o.chunk_size = 64;
    Loaded a;
    a.questions.answers = {false};
    load(a, text + "\r\n" + sj("字《じ》"), o);
    EXPECT_EQ(a.questions.asked.size(), 1u);
    EXPECT_EQ(a.questions.unexpected, 0);
    EXPECT_EQ(a.lines[0], text);
    EXPECT_EQ(a.lines[1], sj("字《じ》"));
}

TEST(RubyNotation, DownloadedDocumentIsNotMarkedConverted) {
    Loaded a;
    a.state.downloaded = true;
    load(a, sj("字《じ》"), rubies());
    EXPECT_EQ(a.state.modified, MODIFIED_TEXT | MODIFIED_EXTENSION);
}

TEST(LineEnds, LoneLfCrAndTextEnd) {
    Loaded a;
    load(a, "a\nb");
    ASSERT_EQ(a.lines.size(), 2u);
    EXPECT_EQ(a.lines[0], "a");
    EXPECT_EQ(a.lines[1], "b");
    // An LF file is read as one: its line ends are written back as they came.
    EXPECT_EQ(a.doc.load.form.line_end, LineEndStyle::LF);
    EXPECT_EQ(a.state.modified, 0);

    Loaded b;
    load(b, std::string("a\rb\r\nc\x1A" "d\r\ne", 11));
    ASSERT_EQ(b.lines.size(), 2u);
    EXPECT_EQ(b.lines[0], "a\rb");
    EXPECT_EQ(b.lines[1], "c");
    EXPECT_EQ(b.doc.load.end, TextPos(1, 1));
    // The four bytes after the 0x1A are not read: a conversion.
    EXPECT_EQ(b.state.modified, MODIFIED_TEXT | MODIFIED_CONVERTED);
    EXPECT_EQ(b.doc.load.report.converted_bytes(), 4u);

    Loaded c;   // a final CR LF leaves an empty last line holding the end mark
    load(c, "x\r\n");
    ASSERT_EQ(c.lines.size(), 2u);
    EXPECT_EQ(c.doc.load.end, TextPos(1, 0));
}

TEST(StrayBytes, MarkersDroppedTrailBytesKept) {
    Loaded a;
    load(a, std::string("\x81\xFC\xFB\xFC" "a\xFF\xFE" "b\xFD\xFC\x40\x81\r\n", 14));
    EXPECT_EQ(a.lines[0], std::string("\x81\xFC\xFB\xFC" "ab\x81\xAC\x81\xAC", 10));
    EXPECT_EQ(a.state.modified, MODIFIED_TEXT | MODIFIED_CONVERTED);   // the 〓 replacements
}

// A lead byte keeps only a trail byte (0x40-0x7E, 0x80-0xFC) of the file;
// before any other byte it becomes 〓 and that byte is read on its own.
TEST(StrayBytes, LeadBytesOfTheFileTakeOnlyValidTrailBytes) {
    Loaded a;
    load(a, "\x88\x7F" "x" "\x88\x40" "\x9F\x3F" "\xE0\x7E" "\xFB\x7F" "\x88\x80" "\x88\xFC\r\n");
    EXPECT_EQ(a.lines[0], "\x81\xAC\x7F" "x" "\x88\x40" "\x81\xAC\x3F" "\xE0\x7E" "\x81\xAC\x7F" "\x88\x80" "\x88\xFC");
    EXPECT_EQ(a.state.modified, MODIFIED_TEXT | MODIFIED_CONVERTED);
}

TEST(Tabs, ExpandToTheNextStopOrDrop) {
    Loaded a;
    load(a, "\tx\r\nab\tc\r\n");
    std::string four(8, '\0');
    for (int k = 0; k < 4; ++k) four[2 * k] = '\x81', four[2 * k + 1] = '\x40';
    EXPECT_EQ(a.lines[0], four + "x");
    EXPECT_EQ(a.lines[1], "ab" + four.substr(0, 6) + "c");   // "ab" is one cell

    LoadOptions zero;
    zero.tab_width = 0;   // taken as 1: one space, no endless loop
    Loaded b;
    load(b, "\t\t", zero);
    EXPECT_EQ(b.lines[0], "\x81\x40\x81\x40");

    Loaded c;   // 20 cells a line: after 16 cells a tab stop does not fit
    load(c, sj("一二三四五六七八九十一二三四五六") + "\tz");
    EXPECT_EQ(c.lines[0], sj("一二三四五六七八九十一二三四五六") + "z");
}

TEST(InfoLines, IndexAndLineInformation) {
    LoadOptions o;
    o.read_index = o.read_line_info = true;
    o.line_id_symbol = sj("◆");
    std::string long_title(50, 'T');
    Loaded a;
    load(a,
         sj("◆2 第一章 はじめに\r\n本文\r\n◆0300001200340\r\n◆030000120034\r\n二行\r\n◆01000000000A1 ") +
             long_title + "\r\n" + sj("◆0zzz00000000\r\n◆9x\r\n"),
         o);
    ASSERT_EQ(a.lines.size(), 6u);   // the last CR LF leaves an empty line
    EXPECT_EQ(a.lines[0], sj("本文"));
    EXPECT_EQ(a.lines[1], sj("◆0300001200340"));   // 13 digits: text
    EXPECT_EQ(a.lines[2], sj("二行"));
    EXPECT_EQ(a.doc.lines.marks(2), 3);
    EXPECT_EQ(a.doc.formats.word(2), 0x00120034u);
    EXPECT_EQ(a.lines[3], sj("◆0zzz00000000"));
    EXPECT_EQ(a.lines[4], sj("◆9x"));
    ASSERT_EQ(a.doc.index.size(), 2u);
    EXPECT_EQ(a.doc.index[0].line, 0u);
    EXPECT_EQ(a.doc.index[0].level, 2);
    EXPECT_EQ(a.doc.index[0].title, sj("第一章 はじめに"));   // the rest of the line
    EXPECT_EQ(a.doc.index[1].line, 3u);   // the malformed line after it carries the entry
    EXPECT_EQ(a.doc.index[1].title, long_title.substr(0, 40));
    EXPECT_EQ(a.doc.lines.marks(3), 1);
    EXPECT_EQ(a.doc.formats.word(3), 0x0000000Au);

    o.read_line_info = false;   // only the index: a line-information line stays text
    Loaded b;
    load(b, sj("◆030000120034\r\nx"), o);
    EXPECT_EQ(b.lines[0], sj("◆030000120034"));
}

TEST(Limits, LongLinesSplitWithoutLoss) {
    std::string text(70000, 'a');
    text += sj("字");
    Loaded a;
    load(a, text);
    ASSERT_EQ(a.lines.size(), 2u);
    EXPECT_EQ(a.lines[0].size(), LINE_TEXT_LIMIT);
    EXPECT_EQ(a.lines[0] + a.lines[1], text);

    std::string crs(200000, '\r');   // CR-only text: one long line of kept CRs
    Loaded b;
    load(b, crs);
    std::string joined;
    for (const std::string& l : b.lines) joined += l;
    EXPECT_EQ(joined, crs);
}

TEST(Limits, TooManyLinesStopsWithTheRestInTheFile) {
    std::string text;
    for (std::uint32_t k = 0; k < MAX_LINES + 10; ++k) text += "a\r\n";
    Loaded a;
    load(a, text);
    EXPECT_FALSE(a.doc.fully_loaded());
    EXPECT_EQ(a.doc.lines.count(), MAX_LINES - 1);
    EXPECT_EQ(a.doc.load.file_offset, 3u * (MAX_LINES - 1));   // a save copies the rest from here
    ASSERT_EQ(a.notices.items.size(), 1u);
    EXPECT_NE(a.notices.items[0].utf8.find("65536"), std::string::npos);
}

}  // namespace
}  // namespace rix
