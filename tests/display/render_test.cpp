// Text rendering through the recording surface: what the layout puts into
// the cell map, where it draws glyphs, ruby, marks and grid rules.
//
// Still owed: the IME repair path of
// the repaint road; print slots (page offsets, no marks).
#include "display/render.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "platform/recording_surface.h"
#include "tests/document/doc_builder.h"

namespace rix {
namespace {

using test::sj;

// A hand-made geometry: 20-pixel font, 40-pixel lines, 30-pixel cells.
DisplayGeometry make_geometry(bool vertical, int columns, int chars, int tiers = 1, int kinsoku = 1) {
    DisplayGeometry g;
    g.slot = 0;
    g.client_w = 400;
    g.client_h = 600;
    g.vertical = vertical;
    g.columns = columns;
    g.chars = g.grid_chars = chars;
    g.tiers = tiers;
    g.screen_lines = columns * tiers;
    g.kinsoku_mode = kinsoku;
    g.max_cells = chars + 1 + (kinsoku == 2 ? 1 : 0);
    g.font_w = g.font_h = 20;
    g.cell_size = 24;
    g.line_pitch = 40;
    g.char_pitch = 30;
    g.margin_start_px = 20;
    g.margin_top_px = 10;
    g.tier_pitch = g.max_cells * g.char_pitch;
    g.page_cols = 20;
    return g;
}

struct Fixture {
    Document doc;
    RecordingSurface surface{400, 600};
    RecordingSurface blank{400, 600, "blank"};
    Screen s;

    Fixture(const std::vector<std::string>& lines, DisplayGeometry g, const std::vector<std::uint32_t>& words = {}) {
        doc.rules = test::rules(static_cast<std::uint32_t>(g.chars), static_cast<std::uint8_t>(g.kinsoku_mode));
        test::build(doc, lines, words);
        s.geo = g;
        s.fmt.font.face = "IPAex";
        s.fmt.font.pixel_height = 20;
        s.fmt.font_record_px = 20;
        s.fmt.mark_flags = 1;
        s.surface = &surface;
        s.blank_page = &blank;
        prepare_screen(s);
        surface.clear();
    }
    TextPos draw_all() { return relayout_screen(doc, s, true); }
};

std::uint16_t code_of(const char* utf8) {
    const std::string b = sj(utf8);
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(b[0]) << 8 | static_cast<std::uint8_t>(b[1]));
}

// ---- cells and the cell map ----

TEST(RenderLayout, HalfWidthPairsAndTheSecondHalfCursor) {
    Fixture f({"abc" + sj("あ")}, make_geometry(false, 4, 10));
    f.s.cursor = TextPos(0, 1);
    f.draw_all();
    EXPECT_EQ(f.s.cells.used(0), 4);
    EXPECT_EQ(f.s.cells.code(0, 0), 0x6162);
    EXPECT_EQ(f.s.cells.code(0, 1), 0x6320);   // a lone half-width character is paired with a space
    EXPECT_EQ(f.s.cells.code(0, 2), code_of("あ"));
    EXPECT_EQ(f.s.cells.code(0, 3), CELL_TEXT_END);
    EXPECT_EQ(f.s.cursor_at.line, 0);
    EXPECT_EQ(f.s.cursor_at.cell, 0);
    EXPECT_TRUE(f.s.cursor_at.second_half);
    // Horizontal pairs: the second character starts 40 % of the pitch in.
    EXPECT_EQ(f.surface.lines_starting("cell 0 6162")[0], "cell 0 6162 H 20,10,20x20 +12 #000000");

    f.s.cursor = TextPos(0, 4);   // the trail byte of あ
    f.draw_all();
    EXPECT_EQ(f.s.cursor_at.cell, 2);
    EXPECT_TRUE(f.s.cursor_at.second_half);
    f.s.cursor = TextPos(0, 3);
    f.draw_all();
    EXPECT_FALSE(f.s.cursor_at.second_half);
}

TEST(RenderLayout, VerticalPairsLieOrStandAsTheFormatSays) {
    Fixture f({"ab"}, make_geometry(true, 4, 10));
    f.draw_all();
    // Box: right edge at the line position (400 - 20), cell start at the top margin.
    EXPECT_EQ(f.surface.lines_starting("cell 0 6162")[0], "cell 0 6162 L 360,10,20x20 +12 #000000");
    f.s.fmt.halfwidth_display = 1;
    f.surface.clear();
    f.draw_all();
    EXPECT_EQ(f.surface.lines_starting("cell 0 6162")[0], "cell 0 6162 U 360,10,20x20 +10 #000000");
}

TEST(RenderLayout, LineAtCapacityPutsItsEndInTheHangingCell) {
    Fixture exact({sj("あいうえお"), sj("か")}, make_geometry(false, 4, 5));
    exact.draw_all();
    EXPECT_EQ(exact.s.cells.used(0), 6);
    EXPECT_EQ(exact.s.cells.code(0, 5), CELL_LINE_END);
    EXPECT_EQ(exact.s.cells.code(1, 0), code_of("か"));

    // Kinsoku 1: a closing mark hangs; the line end then starts the next screen line.
    Fixture one({sj("あいうえお。"), sj("か")}, make_geometry(false, 4, 5, 1, 1));
    one.draw_all();
    EXPECT_EQ(one.s.cells.code(0, 5), code_of("。"));
    EXPECT_EQ(one.s.cells.code(1, 0), CELL_LINE_END);
    EXPECT_EQ(one.s.cells.code(2, 0), code_of("か"));

    // Kinsoku 2: two hanging cells.
    Fixture two({sj("あいうえお。」"), sj("か")}, make_geometry(false, 4, 5, 1, 2));
    two.draw_all();
    EXPECT_EQ(two.s.cells.used(0), 7);
    EXPECT_EQ(two.s.cells.code(0, 6), code_of("」"));
    EXPECT_EQ(two.s.cells.code(1, 0), CELL_LINE_END);
}

TEST(RenderLayout, IndentationAndNegativeFirstLineAdjustment) {
    // Indentation 2, first line two cells out: the first display line starts
    // at cell 0 with 5 cells of room, the next ones at cell 2 with 3.
    Fixture f({sj("あいうえおかきく")}, make_geometry(false, 4, 5), {test::format_word(2, 0, 6)});
    f.draw_all();
    EXPECT_EQ(f.s.cells.used(0), 5);
    EXPECT_EQ(f.s.cells.code(0, 0), code_of("あ"));
    EXPECT_EQ(f.s.cells.code(1, 0), CELL_INDENT);
    EXPECT_EQ(f.s.cells.code(1, 1), CELL_INDENT);
    EXPECT_EQ(f.s.cells.code(1, 2), code_of("か"));
    // Indentation cells are not drawn: the first glyph of line 1 is at cell 2.
    EXPECT_EQ(f.surface.lines_starting("cell 0 " + std::string("82A9"))[0], "cell 0 82A9 H 80,50,20x20 #000000");

    // An outdent beyond the indentation (only a damaged file has one) reads as no indentation.
    // Its capacity agrees: five cells from cell 0, as the line table counts.
    Fixture bad({sj("あいうえおかきく")}, make_geometry(false, 4, 5), {test::format_word(0, 0, 7)});
    bad.draw_all();
    EXPECT_EQ(bad.s.cells.code(0, 0), code_of("あ"));
    EXPECT_EQ(bad.s.cells.used(0), 5);
    EXPECT_EQ(bad.s.cells.code(1, 0), code_of("か"));
    EXPECT_EQ(bad.doc.lines.display_lines(0), 2u);
    EXPECT_EQ(bad.s.cells.indent(1), 0);
    EXPECT_EQ(f.s.cells.indent(1), 2);
}

TEST(RenderLayout, BlocksBeforeHangingPunctuationWrapAsTheLineTable) {
    // A tag block between the full line and "。", and a ruby-annotated base at
    // the capacity: "。" hangs in both, as the line table counts.
    for (const std::string& line : {sj("あいうえお") + test::tag("t") + sj("。か"),
                                    sj("あいうえ") + test::ruby("じ", 1) + sj("字。か")}) {
        Fixture f({line}, make_geometry(false, 4, 5));
        f.draw_all();
        EXPECT_EQ(f.s.cells.code(0, 5), code_of("。"));
        EXPECT_EQ(f.s.cells.code(1, 0), code_of("か"));
        EXPECT_EQ(f.doc.lines.display_lines(0), 2u);
    }
}

TEST(RenderLayout, MalformedFormatWordsStayInsideTheRecord) {
    // Indentations of 15 on a 5-cell line: one cell of room, the text after
    // the indentation; the record holds them all.
    Fixture f({sj("あいう")}, make_geometry(false, 4, 5), {test::format_word(15, 15, 4)});
    f.draw_all();
    EXPECT_EQ(f.s.cells.used(0), 20);
    EXPECT_EQ(f.s.cells.code(0, 18), CELL_INDENT);
    EXPECT_EQ(f.s.cells.code(0, 19), code_of("あ"));
    EXPECT_EQ(f.s.cells.code(1, 15), code_of("い"));
    // A cell beyond the record is refused, and the count stays.
    EXPECT_EQ(f.s.cells.code(3, 15), CELL_TEXT_END);
    put_cell(f.s, 0, 3, f.s.cells.cells() + 5, 0x8140);
    put_cell(f.s, 0, -1, 0, 0);
    EXPECT_EQ(f.s.cells.used(3), 16);
}

TEST(RenderLayout, EndOfTextClearsTheLinesAfterIt) {
    Fixture f({sj("あいうえおかき"), sj("く")}, make_geometry(false, 4, 5));
    f.draw_all();
    ASSERT_EQ(f.s.cells.used(2), 2);
    // The document shrinks to one short line: the records after its end are cleared.
    test::build(f.doc, {sj("あ")});
    f.s.full_redraw = false;
    layout_and_draw(f.doc, f.s, TextPos(0, 0), 0, 0, 4);
    EXPECT_EQ(f.s.cells.used(0), 2);
    EXPECT_EQ(f.s.cells.used(1), 0);
    EXPECT_EQ(f.s.cells.used(2), 0);
    EXPECT_EQ(f.surface.lines_starting("copy blank").size(), 4u);   // each line erased once
}

TEST(RenderLayout, CountingModeDrawsNothing) {
    Fixture f({sj("あいうえおかき"), "ab", sj("く")}, make_geometry(false, 4, 5));
    f.s.surface = nullptr;
    const TextPos end = layout_and_draw(f.doc, f.s, TextPos(0, 0), 0, 0, 100);
    EXPECT_EQ(end, TextPos(2, 2));
    EXPECT_EQ(f.s.counts.display_lines, 4u);
    EXPECT_EQ(f.s.counts.cells, 9u);
    EXPECT_TRUE(f.surface.dump().empty());
}

// ---- ruby ----

std::vector<std::string> ruby_cells(const RecordingSurface& s) { return s.lines_starting("cell 1 "); }

TEST(RenderTags, TagsOnScreenNameTheCellTheyStandBefore) {
    // Vertical, 3 cells a line: the second tag falls where the first line
    // breaks and so stands before the first cell of the next column; the
    // third is on a line below the screen's two columns.
    Fixture f({sj("あ") + test::tag("x") + sj("いう") + test::tag("yy") + sj("え"), test::tag("z") + sj("お")},
              make_geometry(true, 2, 3));
    f.draw_all();
    const std::vector<TagOnScreen> tags = tags_on_screen(f.doc, f.s);
    ASSERT_EQ(tags.size(), 2u);
    EXPECT_EQ(tags[0].at, TextPos(0, 2));
    EXPECT_EQ(tags[0].line, 0);
    EXPECT_EQ(tags[1].at, TextPos(0, 13));
    EXPECT_EQ(tags[1].line, 1);
    // The glyph boxes the surface drew い (cell 1 of line 0) and え (cell 0 of line 1) in.
    auto drawn = [&](const char* utf8) {
        char prefix[16];
        std::snprintf(prefix, sizeof prefix, "cell 0 %04X", code_of(utf8));
        const auto found = f.surface.lines_starting(prefix);
        return found.empty() ? std::string() : found[0];
    };
    auto box = [](const SurfaceRect& r) {
        return std::to_string(r.x) + "," + std::to_string(r.y) + "," + std::to_string(r.w) + "x" + std::to_string(r.h);
    };
    EXPECT_NE(drawn("い").find(box(tags[0].cell)), std::string::npos) << drawn("い");
    EXPECT_NE(drawn("え").find(box(tags[1].cell)), std::string::npos) << drawn("え");
    // Scrolled down one column: the first tag is gone, the third has come.
    f.s.top = TextPos(0, 13);
    const std::vector<TagOnScreen> later = tags_on_screen(f.doc, f.s);
    ASSERT_EQ(later.size(), 2u);
    EXPECT_EQ(later[0].at, TextPos(0, 13));
    EXPECT_EQ(later[0].line, 0);
    EXPECT_EQ(later[1].at, TextPos(1, 0));
    // No geometry yet: nothing.
    Screen blank;
    EXPECT_TRUE(tags_on_screen(f.doc, blank).empty());
}

TEST(RenderRuby, AllotmentsSpreadFromStartAndCentred) {
    // Horizontal: q = 20 × 10 / 13 = 15; across = trunc(10 − 20 × 2/3) = −3.
    const std::string kana = "げにん";
    Fixture spread({test::ruby(kana, 0x02) + sj("下人")}, make_geometry(false, 4, 10));
    spread.draw_all();
    // span = 30 + 15, spacing 22, start 10 − 15/8.
    EXPECT_EQ(ruby_cells(spread.surface),
              (std::vector<std::string>{"cell 1 82B0 H 19,-3,10x10 #000000", "cell 1 82C9 H 41,-3,10x10 #000000",
                                        "cell 1 82F1 H 63,-3,10x10 #000000"}));
    Fixture start({test::ruby(kana, 0x12) + sj("下人")}, make_geometry(false, 4, 10));
    start.draw_all();
    EXPECT_EQ(ruby_cells(start.surface)[0], "cell 1 82B0 H 20,-3,10x10 #000000");
    EXPECT_EQ(ruby_cells(start.surface)[2], "cell 1 82F1 H 52,-3,10x10 #000000");
    // Centred over one base cell: overhangs both sides alike ((20 − 48) / 2 = −14).
    Fixture centred({test::ruby(kana, 0x21) + sj("下")}, make_geometry(false, 4, 10));
    centred.draw_all();
    EXPECT_EQ(ruby_cells(centred.surface)[0], "cell 1 82B0 H 6,-3,10x10 #000000");
    EXPECT_EQ(ruby_cells(centred.surface)[2], "cell 1 82F1 H 38,-3,10x10 #000000");
    // Drawn once, after the text of its line.
    const std::string dump = centred.surface.dump();
    EXPECT_LT(dump.find("cell 0 89BA"), dump.find("cell 1 82B0"));
    // Vertical writing: to the right of the column, trunc(380 + 20 × 0.625) = 392.
    Fixture vertical({test::ruby(kana, 0x12) + sj("下人")}, make_geometry(true, 4, 10));
    vertical.draw_all();
    EXPECT_EQ(ruby_cells(vertical.surface)[0], "cell 1 82B0 V 382,10,10x10 #000000");
}

TEST(RenderRuby, BaseRunningPastTheLineIsSplit) {
    // Base of two cells from cell 4 of 5: half the base here, so 4 of 6 bytes
    // (rounded up to whole characters); the rest on the next line's own start.
    Fixture f({sj("あいうえ") + test::ruby("げにん", 0x12) + sj("下人")}, make_geometry(false, 4, 5));
    f.draw_all();
    auto cells = ruby_cells(f.surface);
    ASSERT_EQ(cells.size(), 3u);
    EXPECT_EQ(cells[0], "cell 1 82B0 H 140,-3,10x10 #000000");
    EXPECT_EQ(cells[1], "cell 1 82C9 H 156,-3,10x10 #000000");
    EXPECT_EQ(cells[2], "cell 1 82F1 H 20,40,10x10 #000000");

    // A base in the hanging cell (after an opening bracket that may not end
    // a line): the wrap keeps it on this line, and its ruby with it.
    Fixture hang({sj("あいうえ「") + test::ruby("まる", 0x11) + sj("下")}, make_geometry(false, 4, 5));
    hang.draw_all();
    EXPECT_FALSE(hang.surface.lines_starting("cell 0 89BA H 170,").empty());   // 下 in cell 5 of line 0
    cells = ruby_cells(hang.surface);
    ASSERT_EQ(cells.size(), 2u);
    EXPECT_EQ(cells[0], "cell 1 82DC H 170,-3,10x10 #000000");

    // A base of two cells whose first hangs: both cells of line 0 that the
    // wrap fills carry their share, the rest goes to the next line.
    Fixture hung({sj("あいうえ") + test::ruby("ときやみ", 0x13) + sj("時々闇")}, make_geometry(false, 4, 5));
    hung.draw_all();
    cells = ruby_cells(hung.surface);
    ASSERT_EQ(cells.size(), 4u);
    int on_first = 0;
    for (const std::string& c : cells) on_first += c.find(",-3,") != std::string::npos;
    EXPECT_EQ(on_first, 3);                       // 2 of 3 base cells here: 4 × 2 / 3 rounded up

    // A base longer than what is left of its line (its characters were
    // deleted) does not run onto the next line, which is another line's:
    // the whole ruby stays beside what is left.
    Fixture cut({sj("あいうえ") + test::ruby("げにん", 0x13) + sj("下"), sj("か")},
                make_geometry(false, 4, 5));
    cut.draw_all();
    cells = ruby_cells(cut.surface);
    ASSERT_EQ(cells.size(), 3u);
    for (const std::string& c : cells) EXPECT_NE(c.find(",-3,"), std::string::npos) << c;
    // Spread over the one character left of its base, not over the three
    // the block counts (which would reach past the hanging cell).
    Fixture spread({sj("あいうえ") + test::ruby("げにん", 0x03) + sj("下")}, make_geometry(false, 4, 5));
    spread.draw_all();
    EXPECT_EQ(ruby_cells(spread.surface),
              (std::vector<std::string>{"cell 1 82B0 H 139,-3,10x10 #000000", "cell 1 82C9 H 146,-3,10x10 #000000",
                                        "cell 1 82F1 H 153,-3,10x10 #000000"}));

    // On the last screen line the rest is dropped.
    Fixture last({sj("あいうえ") + test::ruby("まる", 0x12) + sj("下人")}, make_geometry(false, 1, 5));
    last.draw_all();
    EXPECT_EQ(ruby_cells(last.surface), (std::vector<std::string>{"cell 1 82DC H 140,-3,10x10 #000000"}));
}

// ---- marks ----

TEST(RenderMarks, PageBreaksBeforeEveryPageButTheFirst) {
    Fixture f({sj("あ"), sj("い"), sj("う"), sj("え"), sj("お"), sj("か"), sj("き"), sj("く")},
              make_geometry(false, 8, 5));
    f.s.fmt.mark_flags = 2;
    f.s.geo.page_cols = 3;
    f.draw_all();
    // Lines 3 and 6: x0 = along start − pitch, y0 = line top − 20 + 4; the
    // stem at x0 + 13/2 − 4.
    EXPECT_EQ(f.surface.lines_starting("arc "),
              (std::vector<std::string>{"arc -10,114,13x10 -8,124--8,114 #0000FF",
                                        "arc -10,234,13x10 -8,244--8,234 #0000FF"}));
    f.surface.clear();
    f.s.top_display_line = DisplayLineNo{2};   // the screen starts at the third display line
    f.draw_all();
    EXPECT_EQ(f.surface.lines_starting("arc ").size(), 3u);   // lines 1, 4, 7
    // No line-end marks without their flag.
    EXPECT_TRUE(f.surface.lines_starting("ellipse ").empty());
}

TEST(RenderMarks, LineEndAndTextEndMarksAndLineMarkDigits) {
    Fixture f({sj("あ"), sj("い")}, make_geometry(false, 4, 5));
    f.doc.lines.set_marks(1, LINE_MARK_1 | LINE_MARK_3);
    f.draw_all();
    // The return arrow of line 0 at (cell 1 start + font_w, line top): x0 = 70 − 6, y0 = 10 + 5.
    EXPECT_EQ(f.surface.lines_starting("line 64,15-64,21")[0], "line 64,15-64,21 #0000FF");
    EXPECT_EQ(f.surface.lines_starting("ellipse ").size(), 1u);   // the O of EOF
    // Digits １ and ３ above line 1, each box inverted after its digit.
    EXPECT_EQ(f.surface.lines_starting("cell 2 "),
              (std::vector<std::string>{"cell 2 8250 H 20,40,10x10 clip #000000",
                                        "cell 2 8252 H 30,40,10x10 clip #000000"}));
    EXPECT_EQ(f.surface.lines_starting("invert ").size(), 2u);
}

// ---- grid ----

std::vector<std::string> rules_of(RecordingSurface& s) { return s.lines_starting("line "); }

TEST(RenderGrid, VerticalStylesWithGutterAndTiers) {
    Fixture f({sj("あ")}, make_geometry(true, 4, 5, 2));
    f.s.geo.centre_px = 10;
    f.s.fmt.grid_colour = 0;
    // e = 2, g = 8; y_top = 10 − 5 − 1 = 4, y_bottom = 154; x0 = 380 + 2 + 8 − 1 = 389.
    f.s.fmt.grid_style = 1;
    draw_grid(f.s);
    std::vector<std::string> want;
    for (int x : {389, 349, 309, 299, 259, 219}) want.push_back("line " + std::to_string(x) + ",4-" + std::to_string(x) + ",154 #000000");
    for (int x : {389, 349, 309, 299, 259, 219}) want.push_back("line " + std::to_string(x) + ",184-" + std::to_string(x) + ",334 #000000");
    EXPECT_EQ(rules_of(f.surface), want);
    EXPECT_EQ(f.s.grid_rect.x, 389 - 160 + 8);

    f.surface.clear();
    f.s.fmt.grid_style = 2;
    draw_grid(f.s);
    auto lines = rules_of(f.surface);
    ASSERT_EQ(lines.size(), 16u);
    std::vector<int> xs;
    for (int i = 0; i < 8; ++i) xs.push_back(std::stoi(lines[static_cast<std::size_t>(i)].substr(5)));
    EXPECT_EQ(xs, (std::vector<int>{381, 357, 341, 317, 291, 267, 251, 227}));

    f.surface.clear();
    f.s.fmt.grid_style = 3;
    draw_grid(f.s);
    // Each line's cells: 6 cross rules from x − (40 − 8) to x − 8.
    auto cross = f.surface.lines_starting("line 357,4-381,4");
    EXPECT_EQ(cross.size(), 1u);
    EXPECT_EQ(rules_of(f.surface).size(), 16u + 2 * 4 * 6);

    f.surface.clear();
    f.s.fmt.grid_style = 0;
    draw_grid(f.s);
    EXPECT_TRUE(rules_of(f.surface).empty());
}

TEST(RenderGrid, HorizontalStyles) {
    Fixture f({sj("あ")}, make_geometry(false, 3, 5, 2));
    f.s.fmt.grid_colour = 0;
    // x_left = 20 − 5 − 1 = 14, x_right = 164; y0 = 10 − ((2 + 8 + 1) & ~1) = 0.
    f.s.fmt.grid_style = 1;
    draw_grid(f.s);
    auto lines = rules_of(f.surface);
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[0], "line 14,0-164,0 #000000");
    EXPECT_EQ(lines[3], "line 14,120-164,120 #000000");
    EXPECT_EQ(lines[4], "line 194,0-344,0 #000000");   // second tier: 180 further along

    f.surface.clear();
    f.s.fmt.grid_style = 3;
    draw_grid(f.s);
    lines = rules_of(f.surface);
    EXPECT_EQ(lines[0], "line 14,8-164,8 #000000");
    EXPECT_EQ(lines[1], "line 14,8-14,32 #000000");   // the first cross rule of line 0
    EXPECT_EQ(lines.size(), 2u * (6 + 3 * 6));
}

// ---- selection and scrolling ----

TEST(RenderSelection, InvertsTheHalvesOfPairsInTheRange) {
    Fixture f({"ab" + sj("あ")}, make_geometry(true, 4, 10));
    f.draw_all();
    f.surface.clear();
    invert_marked_range(f.doc, f.s, TextPos(0, 0), 4, TextPos(0, 1), TextPos(0, 4));
    // b: the lower half of the first cell; あ: its whole box.
    EXPECT_EQ(f.surface.lines_starting("invert "),
              (std::vector<std::string>{"invert 360,20,20x10", "invert 360,40,20x20"}));
}

TEST(RenderScroll, FastPathMovesBandsAndMaps) {
    Fixture f({sj("あ"), sj("い"), sj("う"), sj("え")}, make_geometry(true, 4, 5));
    f.draw_all();
    f.surface.clear();
    EXPECT_FALSE(scroll_screen_lines(f.doc, f.s, true, 1, 1));
    EXPECT_EQ(f.s.cells.code(2, 0), code_of("い"));
    EXPECT_EQ(f.s.cells.used(1), 0);
    EXPECT_EQ(f.surface.lines_starting("copy screen").size(), 2u);   // lines 2 → 3 and 1 → 2
    EXPECT_EQ(f.surface.lines_starting("copy blank").size(), 3u);    // each destination cleaned first, and line 1

    // A range past the last screen line, or a centre gutter: the screen is laid out again.
    EXPECT_TRUE(scroll_screen_lines(f.doc, f.s, false, 2, 3));
    f.s.geo.centre_px = 10;
    EXPECT_TRUE(scroll_screen_lines(f.doc, f.s, true, 1, 0));
    EXPECT_EQ(f.s.cells.code(1, 0), code_of("い"));
}

TEST(RenderTop, PlaceTopLineKeepsAThirdOrTheEnd) {
    std::vector<std::string> lines;
    for (int i = 0; i < 30; ++i) lines.push_back(sj("あ"));
    Fixture f(lines, make_geometry(true, 6, 5));   // Nscreen 6, a third = 2
    f.s.cursor = TextPos(10, 0);
    place_top_line(f.doc, f.s, TOP_CENTRE);
    EXPECT_EQ(f.s.top, TextPos(8, 0));
    place_top_line(f.doc, f.s, TOP_CURSOR);
    EXPECT_EQ(f.s.top, TextPos(10, 0));
    f.s.cursor = TextPos(27, 0);   // two lines follow: the end sits on the last screen line
    place_top_line(f.doc, f.s, TOP_CENTRE);
    EXPECT_EQ(f.s.top, TextPos(24, 0));
    EXPECT_EQ(f.s.top_display_line.value, 24u);
}

TEST(RenderRoad, ReinitRunsOnceAndIgnoresReentry) {
    Fixture f({sj("あ")}, make_geometry(false, 4, 5));
    int rebuilds = 0;
    auto rebuild = [&](Screen& s) {
        ++rebuilds;
        EXPECT_FALSE(reinit_screen(f.doc, s, REINIT_PAINT, [](Screen&) { return true; }));   // re-entry
        return true;
    };
    EXPECT_TRUE(reinit_screen(f.doc, f.s, REINIT_PAINT, rebuild));   // the start-up paint
    EXPECT_EQ(rebuilds, 1);
    EXPECT_TRUE(reinit_screen(f.doc, f.s, REINIT_PAINT, rebuild));   // other damage: a repaint only
    EXPECT_EQ(rebuilds, 1);
    EXPECT_TRUE(reinit_screen(f.doc, f.s, REINIT_FULL, rebuild));
    EXPECT_TRUE(reinit_screen(f.doc, f.s, REINIT_PAINT, rebuild));
    EXPECT_EQ(rebuilds, 2);
    EXPECT_TRUE(f.s.snapshot_valid == false);   // no snapshot surface given
}

}  // namespace
}  // namespace rix
