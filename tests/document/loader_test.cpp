// The loader: chunks, the extension file's records merged in, the restored
// cursor, documents without a file, and the counts for --info.
//
// Still owed: a read error in the middle of a load (needs a failing fd).
#include <gtest/gtest.h>

#include <string>

#include "document/loader.h"
#include "fuzz/fuzz_entries.h"
#include "platform/codec.h"

namespace rix {
namespace {

std::string sj(std::string_view utf8) { return utf8_to_sjis(utf8); }

void put16(std::string& s, std::uint32_t v) {
    s += static_cast<char>(v >> 8);
    s += static_cast<char>(v);
}
void put32(std::string& s, std::uint32_t v) {
    put16(s, v >> 16);
    put16(s, v);
}
std::string padded(std::string text, std::size_t units) {
    text.resize(units * 8, '\0');
    return text;
}

// A hand-built extension file (big-endian records after a 128-byte header).
struct ExtBuilder {
    std::string bytes;
    explicit ExtBuilder(std::uint32_t cursor = 0) {
        bytes = "RIX45txt";
        bytes.resize(32, '\0');
        put32(bytes, cursor);
        bytes.resize(128, '\0');
    }
    ExtBuilder& line(std::uint32_t line, std::uint8_t marks, std::uint32_t word) {
        put16(bytes, line);
        bytes += static_cast<char>(marks);
        bytes += '\0';
        put32(bytes, word);
        return *this;
    }
    ExtBuilder& ruby(std::uint32_t line, std::uint32_t column, std::uint8_t param, const std::string& text) {
        std::size_t n = (text.size() - 1) / 8 + 1;
        put16(bytes, line);
        bytes += static_cast<char>(n << 4);
        bytes += static_cast<char>(param);
        put16(bytes, 0);
        put16(bytes, column);
        bytes += padded(text, n);
        return *this;
    }
    ExtBuilder& tag(std::uint32_t line, std::uint32_t column, const std::string& text) {
        std::size_t n = (text.size() + 1) / 8 + 1;
        put16(bytes, line);
        bytes += '\0';
        bytes += static_cast<char>(n);
        bytes += '\x1A';   // attribute 1: stored as 0x1B in the block
        bytes += '\x05';
        put16(bytes, column);
        bytes += padded(text, n);
        return *this;
    }
};

// Twelve lines of text with records on several of them, a tag at a line end
// and one beyond it, two records at one place, and a ruby notation.
fuzz::LoadCase records_case() {
    fuzz::LoadCase c;
    for (int k = 0; k < 12; ++k) c.text += sj("吾輩は猫である。名前はまだ無い。") + "\r\n";
    c.text += sj("漢字《かんじ》の行");
    ExtBuilder x(TextPos(3, 5).value);
    x.line(0, 0x09, 0x00210000).ruby(0, 0, 0x02, sj("わがはい")).tag(0, 6, "first");
    x.line(2, 0x02, 0).tag(2, 4, "a").ruby(2, 4, 0x11, sj("ねこ")).tag(2, 30, "end");
    x.tag(5, 31, "at end").tag(5, 200, "beyond");
    x.line(7, 0x04, 0).ruby(7, 18, 0x12, sj("なまえ"));
    x.ruby(11, 8, 0x01, sj("ね")).tag(11, 8, "twin").tag(11, 8, "twin2");
    c.extension = x.bytes;
    return c;
}

TEST(LoaderChunks, SmallChunksGiveTheSameDocument) {
    fuzz::LoadCase c = records_case();
    for (std::size_t chunk : {16u, 64u, 100u, 333u}) {
        for (bool rubies : {false, true}) {
            c.options.chunk_size = chunk;
            c.options.read_rubies = rubies;
            EXPECT_EQ(fuzz::run_load_case(c), "") << chunk << " " << rubies;
        }
    }
}

TEST(LoaderChunks, RandomTextKeepsItsDisplayCounts) {
    // Runs of kanji and kana (the converter counts their cells itself) mixed
    // with everything that makes the wrapper count the stored line instead:
    // rubies before and after a display line's end, ｜, tabs, half-width
    // characters, lone CRs, markers, bad trail bytes. Each line's count must
    // be the wrapper's, in one chunk and in small ones.
    const std::string tokens[] = {
        sj("漢字"), sj("かな"), sj("、"), sj("。"), sj("「"), sj("」"), sj("ッ"), sj("々"), sj("漢《かん》"),
        sj("｜東京駅《とうきょうえき》"), sj("あ《い》"), sj("《》"), sj("｜"), "\t", "\r\n", "\n", "\r", "ab", "a", "a(",
        "\xFD", "\xFC\x40", "\x81\x20", sj("長《") + std::string(60, '\x82'), sj("》"),
    };
    std::uint32_t seed = 99;
    auto next = [&seed](std::uint32_t n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    // A base that ends a display line: its ruby block goes before it, so the
    // character after it is the 、 after the notation (which hangs), not the
    // delimiter: 漢漢漢、 | 漢漢漢 is two display lines, not three.
    fuzz::LoadCase hanging;
    hanging.text = sj("漢漢漢《かん》、漢漢漢\r\n");
    hanging.options.read_rubies = true;
    hanging.rules.chars_per_column = 3;
    hanging.rules.line_start_prohibited = sj("、");
    EXPECT_EQ(fuzz::run_load_case(hanging), "");
    for (int round = 0; round < 24; ++round) {
        fuzz::LoadCase c;
        for (int k = 0; k < 400; ++k) {
            const std::uint32_t pick = next(40);
            if (pick < std::size(tokens)) c.text += tokens[pick];
            else for (std::uint32_t n = next(30) + 1; n > 0; --n) c.text += sj(pick % 2 ? "漢" : "あ");
        }
        c.options.read_rubies = round % 2;
        c.options.chunk_size = 64 + round * 7;
        c.rules.chars_per_column = 3 + round % 5 * 4;
        c.rules.kinsoku_mode = static_cast<std::uint8_t>(round % 3);
        c.rules.small_kana_kinsoku = round % 4 == 1;
        c.rules.line_start_prohibited = sj("、。」ッ");
        c.rules.line_end_prohibited = sj("「") + "(";
        EXPECT_EQ(fuzz::run_load_case(c), "") << "round " << round;
    }
}

TEST(LoaderRecords, RubiesTagsAndMarksLandInPlace) {
    fuzz::LoadCase c = records_case();
    ExtensionFile ext;
    ASSERT_EQ(read_extension_bytes(c.extension, &ext), ExtensionStatus::OK);
    Document doc;
    DocumentState state;
    LoadSession session;
    session.options.chunk_size = 64;
    session.extension = &ext;
    TextPos cursor = fuzz::load_bytes(doc, state, session, c.text, true);
    ASSERT_EQ(doc.lines.count(), 13u);
    EXPECT_EQ(cursor, TextPos(3, 4));   // the stored column 5 falls inside a character

    auto line = [&](std::uint32_t k) { return std::string(reinterpret_cast<const char*>(doc.line_pointer(k)), 40); };
    std::string ruby0 = std::string("\xFF\x02", 2) + sj("わがはい") + "\xFF";
    std::string tag0 = std::string("\xFD\x00\x00\x1B\x05", 5) + "first\xFD";
    EXPECT_EQ(line(0).substr(0, ruby0.size() + 6 + tag0.size()), ruby0 + sj("吾輩は") + tag0);
    EXPECT_EQ(doc.lines.marks(0), 0x09);
    EXPECT_EQ(doc.formats.word(0), 0x00210000u);
    EXPECT_EQ(doc.lines.marks(2), 0x02);
    EXPECT_EQ(doc.lines.marks(7), 0x04);

    // Tags in text order with one serial counter for the whole load.
    std::uint32_t serial = 0;
    std::vector<std::string> tags;
    for (std::uint32_t k = 0; k < doc.lines.count(); ++k) {
        LineScanner scan(doc.line_pointer(k), MAX_LINE_SCAN);
        for (ScanItem it = scan.next(); it.kind != ItemKind::LINE_END && it.kind != ItemKind::TEXT_END;
             it = scan.next()) {
            if (it.kind != ItemKind::TAG) continue;
            const std::uint8_t* p = doc.line_pointer(k) + it.column;
            EXPECT_EQ(static_cast<std::uint32_t>(p[1] << 8 | p[2]), serial++);
            tags.emplace_back(reinterpret_cast<const char*>(p + 5), it.length - 6);
        }
    }
    EXPECT_EQ(tags, (std::vector<std::string>{"first", "a", "end", "at end", "beyond", "twin", "twin2"}));
    DocumentCounts n = count_document(doc);
    EXPECT_EQ(n.lines, 13u);
    EXPECT_EQ(n.rubies, 4u);
    EXPECT_EQ(n.tags, 7u);
    EXPECT_EQ(n.cells, 12u * 16 + 9);
    EXPECT_EQ(n.display_lines, doc.lines.total_display_lines());
}

TEST(LoaderCursor, StoredCursorIsClampedOrDropped) {
    std::string text = sj("一行目") + "\r\nab\r\n";
    for (auto [stored, want] : {std::pair{TextPos(1, 1), TextPos(1, 1)}, std::pair{TextPos(1, 40), TextPos(1, 2)},
                                std::pair{TextPos(0, 3), TextPos(0, 2)}, std::pair{TextPos(9, 0), TextPos(0, 0)}}) {
        ExtensionFile ext;
        ASSERT_EQ(read_extension_bytes(ExtBuilder(stored.value).bytes, &ext), ExtensionStatus::OK);
        Document doc;
        DocumentState state;
        LoadSession session;
        session.extension = &ext;
        EXPECT_EQ(fuzz::load_bytes(doc, state, session, text, true), want) << stored.value;
        EXPECT_EQ(fuzz::load_bytes(doc, state, session, text, false), TextPos());
    }
}

TEST(LoaderStart, NoFileGivesTheEndMarkAlone) {
    Document doc;
    DocumentState state;
    LoadSession session;
    start_load(doc, state, session);
    ASSERT_TRUE(doc.fully_loaded());
    EXPECT_EQ(doc.lines.count(), 1u);
    EXPECT_EQ(doc.load.end, TextPos(0, 0));
    EXPECT_FALSE(load_more(doc, state, session));
}

TEST(LoaderStart, ReloadClearsThePreviousDocument) {
    Document doc;
    DocumentState state;
    LoadSession session;
    session.options.read_rubies = true;
    fuzz::load_bytes(doc, state, session, sj("漢《かん》\r\n二\r\n三"));
    EXPECT_NE(state.modified, 0);
    fuzz::load_bytes(doc, state, session, "x");
    EXPECT_EQ(doc.lines.count(), 1u);
    EXPECT_EQ(state.modified, 0);
    EXPECT_EQ(doc.buffer.append_position(), 4u);
}

}  // namespace
}  // namespace rix
