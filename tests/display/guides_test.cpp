// The guides' texts, counts, boxes and the position bar, through plain
// values and the recording surface. Expected texts are written from the
// product description, never from the output.
//
// Still owed: the character-code part for a half-width pair's second byte.
#include "display/guides.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "platform/recording_surface.h"
#include "tests/document/doc_builder.h"

namespace rix {
namespace {

using test::sj;

// ---- numbers ----

TEST(GuideNumbers, ThousandsSeparators) {
    CountRing ring;
    EXPECT_STREQ(format_count(ring, 0), "0");
    EXPECT_STREQ(format_count(ring, 999), "999");
    EXPECT_STREQ(format_count(ring, 1000), "1,000");
    EXPECT_STREQ(format_count(ring, 999999), "999,999");
    EXPECT_STREQ(format_count(ring, 1000000), "1,000,000");
    EXPECT_STREQ(format_count(ring, 1234567), "1,234,567");
    EXPECT_STREQ(format_count(ring, 4294967295u), "4,294,967,295");
}

TEST(GuideNumbers, TheRingKeepsTenNumbersThenWraps) {
    CountRing ring;
    const char* first = format_count(ring, 1);
    std::vector<const char*> kept{first};
    for (int i = 2; i <= 10; ++i) kept.push_back(format_count(ring, static_cast<std::uint64_t>(i)));
    for (int i = 0; i < 10; ++i) EXPECT_EQ(std::string(kept[static_cast<std::size_t>(i)]), std::to_string(i + 1));
    EXPECT_EQ(ring.next, 0);
    EXPECT_EQ(format_count(ring, 11), first);   // the eleventh reuses the first buffer
    EXPECT_STREQ(first, "11");
}

TEST(GuideNumbers, CapacityFieldsTurnToThousandsAbove99999) {
    EXPECT_EQ(five_or_kilo(7), "    7");
    EXPECT_EQ(five_or_kilo(99999), "99999");
    EXPECT_EQ(five_or_kilo(100000), " 100k");
    EXPECT_EQ(five_or_kilo(1234567), "1234k");
}

// ---- position and counts ----

TEST(GuidePosition, PageAndColumnFromTheDisplayLine) {
    // Display line 45 at 20 columns a page: page 3, column 6 (shown 1-based).
    GuidePosition p = guide_position(DisplayLineNo{45}, 20, true, TextPos(7, 10));
    EXPECT_EQ(p.page + 1, 3u);
    EXPECT_EQ(p.column + 1, 6u);
    EXPECT_EQ(p.line + 1, 8u);
    EXPECT_EQ(p.character, 6u);
    // Continuous numbering counts columns from the start; page_cols 0 reads as 1.
    EXPECT_EQ(guide_position(DisplayLineNo{45}, 20, false, TextPos()).column, 45u);
    EXPECT_EQ(guide_position(DisplayLineNo{45}, 0, true, TextPos()).page, 45u);
}

TEST(GuideCounts, OneLineWithAndWithoutAFinalBreak) {
    Document doc;
    test::build(doc, {"ab"});
    TextCounts c = count_text(doc, TextPos(), TextPos(0xFFFF, 0));
    EXPECT_EQ(c.lines, 1u);
    EXPECT_EQ(c.empty_lines, 0u);
    EXPECT_EQ(c.half, 2u);
    EXPECT_FALSE(c.ends_after_break);
    EXPECT_EQ(c.bytes(), 3u);

    test::build(doc, {"ab", ""});
    c = count_text(doc, TextPos(), TextPos(0xFFFF, 0));
    EXPECT_EQ(c.lines, 1u);
    EXPECT_TRUE(c.ends_after_break);
    EXPECT_EQ(c.bytes(), 5u);
}

TEST(GuideCounts, FullWidthEmptyLinesAndARange) {
    Document doc;
    test::build(doc, {sj("あい") + "x", "", "", sj("う") + test::ruby("え", 1) + "yz"});
    TextCounts c = count_text(doc, TextPos(), TextPos(0xFFFF, 0));
    EXPECT_EQ(c.full, 3u);          // ruby text is not text
    EXPECT_EQ(c.half, 3u);
    EXPECT_EQ(c.lines, 4u);
    EXPECT_EQ(c.empty_lines, 2u);
    EXPECT_EQ(c.characters(), 6u);
    // Lines 1..2 only: two breaks at the start of their lines.
    c = count_text(doc, TextPos(1, 0), TextPos(3, 0));
    EXPECT_EQ(c.lines, 2u);
    EXPECT_EQ(c.empty_lines, 2u);
    EXPECT_EQ(c.characters(), 0u);
}

TEST(GuideCounts, AnEmptyTextHasNoNegativeSize) {
    Document doc;
    test::build(doc, {""});
    TextCounts c = count_text(doc, TextPos(), TextPos(0xFFFF, 0));
    EXPECT_EQ(c.lines, 0u);
    EXPECT_EQ(c.bytes(), 0u);
}

// ---- the title ----

struct TitleCase : ::testing::Test {
    CountRing ring;
    TitleParts parts;
    void SetUp() override {
        parts.name = title_name_part(sj("/home/hanako/原稿.txt"));
        GuidePosition p;
        p.page = 0;
        p.column = 4;
        p.line = 2;
        p.character = 3;
        parts.position = title_position_part(ring, 1, p, false);
        Capacity c;
        c.known = true;
        c.pages = 3;
        c.print_format = 2;
        c.text.lines = 12;
        c.text.full = 1234567;
        parts.capacity = title_capacity_part(ring, c);
        parts.ime = ime_mode_part(ImeState{true, true, 9});
    }
};

TEST_F(TitleCase, TitleBarWithPositionAndCapacity) {
    EXPECT_EQ(compose_title(parts, true, 2, false, false),
              sj(" 原稿.txt　［書式１　頁：1　列：5　行：3　字：3］　［文書容量　頁：3（書式２） 行：12　字：1,234,567］　「あ」"));
    EXPECT_EQ(compose_title(parts, true, 0, false, true),
              sj(" 原稿.txt　［書式１　頁：1　列：5　行：3　字：3］　変更　「あ」"));
    EXPECT_EQ(compose_title(parts, true, 1, true, false),
              sj(" 原稿.txt　［文書容量　頁：3（書式２） 行：12　字：1,234,567］　上書　「あ」"));
}

TEST_F(TitleCase, BoxesLeaveOnlyTheNameAndTheStates) {
    parts.ime = ime_mode_part(ImeState{true, false, 9});
    EXPECT_EQ(compose_title(parts, false, 2, true, true), sj(" 原稿.txt　上書　変更　「 A」"));
    // The mode part stays blank when the window cannot tell it.
    parts.ime = ime_mode_part(ImeState{});
    EXPECT_EQ(compose_title(parts, false, 2, false, false), sj(" 原稿.txt　"));
}

TEST_F(TitleCase, StalePositionAndCharacterCode) {
    GuidePosition p;
    p.line = 41;
    p.character = 7;
    EXPECT_EQ(title_position_part(ring, 3, p, true), sj("書式 3 ［ 計数中］  行:42 字:7"));
    Document doc;
    test::build(doc, {"a" + sj("あ")});
    EXPECT_EQ(char_code_part(doc, TextPos(0, 0)), sj(" [J半 0061]"));
    EXPECT_EQ(char_code_part(doc, TextPos(0, 1)), sj(" [J全 82A0]"));
    EXPECT_EQ(char_code_part(doc, TextPos(0, 3)), "");   // the end of the text
}

TEST(GuideTitle, InputMethodModes) {
    EXPECT_EQ(ime_mode_part(ImeState{true, true, 0}), sj("「_A」"));
    EXPECT_EQ(ime_mode_part(ImeState{true, true, 3}), sj("「_ｶ」"));
    EXPECT_EQ(ime_mode_part(ImeState{true, true, 8}), sj("「Ａ」"));
    EXPECT_EQ(ime_mode_part(ImeState{true, true, 11}), sj("「カ」"));
    EXPECT_EQ(ime_mode_part(ImeState{true, false, 11}), sj("「 A」"));
    // Past the list's thirteen entries: a blank, not bytes after it.
    for (int mode = 12; mode <= 15; ++mode) EXPECT_EQ(ime_mode_part(ImeState{true, true, mode}), sj("「　」"));
    EXPECT_EQ(ime_mode_part(ImeState{true, true, 0x19}), sj("「あ」"));   // only the low four bits count
}

TEST(GuideTitle, NamesAreCutToThirtyBytesOnACharacterBoundary) {
    std::string kana;
    for (int i = 0; i < 15; ++i) kana += sj("あ");
    // 31 bytes: the fifteenth あ would end at byte 31, so it goes whole.
    EXPECT_EQ(title_name_part("/x/a" + kana), " a" + kana.substr(0, 28));
    EXPECT_EQ(title_name_part(kana), " " + kana.substr(0, 30));
    EXPECT_EQ(title_name_part("short.txt"), " short.txt");
}

TEST(GuideTitle, AnIdeographicSpaceIsNotDoubledButLookalikeBytesAre) {
    TitleParts parts;
    parts.name = " " + sj("題　");
    EXPECT_EQ(compose_title(parts, false, 0, false, false), " " + sj("題　"));
    // "＝@" ends in the bytes 81 40 without ending in "　".
    parts.name = " " + sj("＝") + "@";
    EXPECT_EQ(compose_title(parts, false, 0, false, false), " " + sj("＝") + "@" + sj("　"));
}

// ---- the boxes ----

// The text of each row of guide-font cells, by their y, blanks around it dropped.
std::map<int, std::string> box_rows(const RecordingSurface& surface) {
    std::map<int, std::string> rows;
    for (const std::string& line : surface.lines_starting("cell 3 ")) {
        unsigned code = 0;
        char mode[4];
        int x = 0, y = 0;
        std::sscanf(line.c_str(), "cell 3 %X %3s %d,%d", &code, mode, &x, &y);
        rows[y] += static_cast<char>(code >> 8);
        rows[y] += static_cast<char>(code & 0xFF);
    }
    for (auto& [y, text] : rows) {
        while (!text.empty() && text.back() == ' ') text.pop_back();
        text.erase(0, text.find_first_not_of(' '));
    }
    return rows;
}

std::vector<std::string> row_texts(const RecordingSurface& surface) {
    std::vector<std::string> out;
    for (const auto& [y, text] : box_rows(surface)) out.push_back(text);
    return out;
}

TEST(GuideBoxes, PositionBoxShowsItsFields) {
    RecordingSurface surface(200, 600);
    const GuideBoxLayout l = guide_box_layout(GUIDE_PLACE_SMALL);
    const GuidePosition p = guide_position(DisplayLineNo{45}, 20, true, TextPos(7, 10));
    draw_guide_box(surface, l.position, l.font_px, position_box_fields(2, p, false, true, false), 0);
    EXPECT_EQ(surface.lines_starting("fill ").front(),
              "fill " + std::to_string(l.position.x) + "," + std::to_string(l.position.y) + "," +
                  std::to_string(l.position.w) + "x" + std::to_string(l.position.h) + " #F0F0F0");
    EXPECT_EQ(row_texts(surface), (std::vector<std::string>{sj("書式２"), sj("頁"), "3", sj("列"), "6", sj("行"), "8",
                                                             sj("字"), "6", sj("上書")}));
    // Stale: page and column are blank.
    surface.clear();
    draw_guide_box(surface, l.position, l.font_px, position_box_fields(2, p, true, false, true), 0);
    EXPECT_EQ(row_texts(surface), (std::vector<std::string>{sj("書式２"), sj("頁"), sj("列"), sj("行"), "8", sj("字"),
                                                             "6", sj("変更")}));
}

TEST(GuideBoxes, CapacityBoxShowsThousandsAsK) {
    RecordingSurface surface(200, 600);
    const GuideBoxLayout l = guide_box_layout(GUIDE_PLACE_MEDIUM);
    Capacity c;
    c.known = true;
    c.pages = 12;
    c.print_format = 3;
    c.text.lines = 40;
    c.text.full = 1234000;
    c.text.half = 567;
    draw_guide_box(surface, l.capacity, l.font_px, capacity_box_fields(c), 0);
    // Bytes: 2 × 1234000 + 567 + 80 − 1 = 2468646.
    EXPECT_EQ(row_texts(surface), (std::vector<std::string>{sj("書式３"), sj("頁数"), "12", sj("行数"), "40",
                                                             sj("字数"), "1234k", sj("ﾊﾞｲﾄ"), "2468k"}));
}

// ---- the position bar ----

TEST(GuidePositionBar, OneDisplayLinePutsTheTickAtTheStart) {
    const PositionBar bar = position_bar(300, 0, 0, false);
    ASSERT_TRUE(bar.shown);
    EXPECT_EQ(bar.x0, 200);
    EXPECT_EQ(bar.length, 96);
    EXPECT_EQ(bar.tick_x, 200);
    EXPECT_EQ(position_bar(300, 0, 0, true).tick_x, 200);
    EXPECT_EQ(position_bar(300, 1, 1, true).tick_x, 200);
}

TEST(GuidePositionBar, ManyLinesAndVerticalWriting) {
    // Last display line 101: T = 100.
    EXPECT_EQ(position_bar(300, 50, 101, false).tick_x, 248);
    EXPECT_EQ(position_bar(300, 25, 101, false).tick_x, 224);
    EXPECT_EQ(position_bar(300, 25, 101, true).tick_x, 272);   // vertical: T − C
    EXPECT_EQ(position_bar(300, 101, 101, false).tick_x, 296);  // never past the bar's end
    EXPECT_FALSE(position_bar(40, 5, 101, false).shown);
}

TEST(GuidePositionBar, ClearsItsOwnAreaFromTheBlankPage) {
    RecordingSurface surface(300, 200), blank(300, 200, "blank");
    draw_position_bar(surface, &blank, position_bar(300, 50, 101, false), 0x0000FF);
    EXPECT_EQ(surface.dump(), "copy blank 200,3,97x10 -> 200,3\n"
                              "line 200,7-296,7 #FF0000\n"
                              "line 248,3-248,13 #FF0000\n");
    surface.clear();
    draw_position_bar(surface, &blank, position_bar(40, 5, 101, false), 0);
    EXPECT_EQ(surface.dump(), "");
}

}  // namespace
}  // namespace rix
