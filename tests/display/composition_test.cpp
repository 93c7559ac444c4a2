// The composition overlay: its flow from input-method events, its cells in
// the writing direction, its drawing through the recording surface, and
// what it puts back when it shrinks or is cancelled.
// Owed: a half-width composition in 組文字 (upright pairs).
#include "display/composition.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/recording_surface.h"
#include "tests/display/pixel_surface.h"
#include "tests/document/doc_builder.h"

namespace rix {
namespace {

using test::sj;

// A hand-made geometry: 20-pixel font, 40-pixel lines, 30-pixel cells; in
// vertical writing line c stands at x = 380 - 40c (its right edge), cell k
// at y = 10 + 30k.
DisplayGeometry make_geometry(bool vertical, int columns, int chars) {
    DisplayGeometry g;
    g.slot = 0;
    g.client_w = 400;
    g.client_h = 600;
    g.vertical = vertical;
    g.columns = columns;
    g.chars = g.grid_chars = chars;
    g.tiers = 1;
    g.screen_lines = columns;
    g.kinsoku_mode = 1;
    g.max_cells = chars + 1;
    g.font_w = g.font_h = 20;
    g.cell_size = 24;
    g.line_pitch = 40;
    g.char_pitch = 30;
    g.margin_start_px = 20;
    g.margin_top_px = 10;
    g.tier_pitch = g.max_cells * g.char_pitch;
    return g;
}

InputMethodEvent preedit(const std::string& utf8, std::vector<std::uint8_t> attributes = {}, int cursor = -2) {
    InputMethodEvent e;
    e.preedit = utf8;
    e.attributes = std::move(attributes);
    e.cursor = cursor == -2 ? static_cast<int>(sjis_to_utf32(sj(utf8)).size()) : cursor;
    return e;
}

InputMethodEvent commit(const std::string& utf8) {
    InputMethodEvent e;
    e.commit = utf8;
    return e;
}

template <class S>
struct Fixture {
    Document doc;
    S surface{400, 600};
    S blank{400, 600};
    Screen s;
    Composition c;
    CompositionColours colours{0x000000, 0xF0E0D0};

    Fixture(const std::vector<std::string>& lines, DisplayGeometry g) {
        doc.rules = test::rules(static_cast<std::uint32_t>(g.chars), 1);
        test::build(doc, lines, {});
        s.geo = g;
        s.fmt.font.face = "IPAex";
        s.fmt.font.pixel_height = 20;
        s.fmt.font_record_px = 20;
        s.surface = &surface;
        s.blank_page = &blank;
        prepare_screen(s);
    }
    void cursor_at(TextPos pos) {
        s.cursor = pos;
        relayout_screen(doc, s, true);
    }
    // One event as the application runs it: restore, then draw.
    CompositionStep send(const InputMethodEvent& e) {
        const CompositionStep step = composition_event(c, e);
        if (step.restore) restore_under_composition(s, c);
        if (step.draw) draw_composition(s, c, colours);
        return step;
    }
};

// ---- the flow ----

TEST(CompositionFlow, StartUpdateShrinkCancelAndCommit) {
    Composition c;
    // The first non-empty preedit starts it; nothing is drawn yet to restore.
    CompositionStep step = composition_event(c, preedit("に"));
    EXPECT_TRUE(c.composing);
    EXPECT_TRUE(step.draw);
    EXPECT_FALSE(step.restore);
    EXPECT_TRUE(step.commit.empty());
    c.covered.push_back({1, 1, 1, 1});   // as drawn

    // An update with clauses: attributes per byte, the cursor in bytes.
    step = composition_event(c, preedit("日本ご", {IME_ATTR_TARGET, IME_ATTR_TARGET, 0}, 2));
    EXPECT_TRUE(step.restore);
    EXPECT_EQ(c.text.bytes, sj("日本ご"));
    EXPECT_EQ(c.text.attributes, (std::vector<std::uint8_t>{1, 1, 1, 1, 0, 0}));
    EXPECT_EQ(c.text.cursor, 4);
    EXPECT_EQ(c.longest, 6u);

    // Shrinking keeps the longest length and restores before drawing.
    c.covered.push_back({1, 1, 1, 1});
    step = composition_event(c, preedit("に"));
    EXPECT_TRUE(step.restore && step.draw);
    EXPECT_EQ(c.longest, 6u);

    // An empty preedit without a commit is a cancel: nothing to insert.
    c.covered.push_back({1, 1, 1, 1});
    step = composition_event(c, preedit(""));
    EXPECT_TRUE(step.restore && step.ended);
    EXPECT_FALSE(step.draw);
    EXPECT_TRUE(step.commit.empty());
    EXPECT_FALSE(c.composing);
    EXPECT_EQ(c.longest, 0u);

    // A commit with a remaining preedit (a partial commit) inserts and goes on.
    composition_event(c, preedit("にほんご"));
    step = composition_event(c, [] {
        InputMethodEvent e = preedit("ご");
        e.commit = "日本";
        return e;
    }());
    EXPECT_EQ(step.commit, "日本");
    EXPECT_TRUE(step.draw);
    EXPECT_FALSE(step.ended);
    step = composition_event(c, commit("語"));
    EXPECT_EQ(step.commit, "語");
    EXPECT_TRUE(step.ended);
    EXPECT_FALSE(c.composing);
}

TEST(CompositionFlow, CharactersOutsideCodePage932AreGetaInTheComposition) {
    const CompositionText t = composition_text(preedit("a😀ｶ", {0, IME_ATTR_TARGET, 0}, 2));
    EXPECT_EQ(t.bytes, "a" + std::string(GETA_MARK) + "\xB6");
    EXPECT_EQ(t.attributes, (std::vector<std::uint8_t>{0, 1, 1, 0}));
    EXPECT_EQ(t.cursor, 3);
    // A hidden cursor stays hidden.
    EXPECT_EQ(composition_text(preedit("あ", {}, -1)).cursor, -1);
}

// ---- the cells ----

TEST(CompositionLayout, HalfWidthPairsShareACellAndTheLineWraps) {
    const DisplayGeometry g = make_geometry(true, 4, 5);
    CompositionText t;
    t.bytes = "ab" + sj("日") + "c" + sj("本語");
    const CompositionLayout l = layout_composition(g, 1, 3, t);
    ASSERT_EQ(l.cells.size(), 6u);
    // a and b share cell 3; 日 takes cell 4, the last of the line.
    EXPECT_EQ((std::vector<int>{l.cells[0].line, l.cells[0].cell, l.cells[0].second}), (std::vector<int>{1, 3, 0}));
    EXPECT_EQ((std::vector<int>{l.cells[1].line, l.cells[1].cell, l.cells[1].second}), (std::vector<int>{1, 3, 1}));
    EXPECT_EQ((std::vector<int>{l.cells[2].line, l.cells[2].cell}), (std::vector<int>{1, 4}));
    // c goes on at the start of the next line, alone in its cell; 本 takes the next cell.
    EXPECT_EQ((std::vector<int>{l.cells[3].line, l.cells[3].cell, l.cells[3].half}), (std::vector<int>{2, 0, 1}));
    EXPECT_EQ((std::vector<int>{l.cells[4].line, l.cells[4].cell}), (std::vector<int>{2, 1}));
    EXPECT_EQ(l.lines_past_end, 0);
    // From the last screen line, the wrap needs one line past the end.
    EXPECT_EQ(layout_composition(g, 3, 3, t).lines_past_end, 1);
}

// ---- the drawing ----

TEST(CompositionDrawing, VerticalCellsInColumnOrderWithTargetAndCursor) {
    Fixture<RecordingSurface> f({sj("あいうえお")}, make_geometry(true, 4, 5));
    f.cursor_at(TextPos(0, 2));   // before い: cell 1
    f.surface.clear();
    f.send(preedit("日本語", {IME_ATTR_TARGET, IME_ATTR_TARGET, 0}, 0));
    // Cell k of line 0: glyph box x 360..380 widened by two pixels to 358, y 10 + 30k.
    EXPECT_EQ(f.surface.lines_starting("fill "),
              (std::vector<std::string>{"fill 358,40,22x20 #D0E0F0", "fill 358,70,22x20 #D0E0F0",
                                        "fill 358,100,22x20 #D0E0F0"}));
    const std::vector<std::string> cells = f.surface.lines_starting("cell ");
    ASSERT_EQ(cells.size(), 3u);
    EXPECT_NE(cells[0].find(" 360,40,20x20"), std::string::npos) << cells[0];
    EXPECT_NE(cells[2].find(" 360,100,20x20"), std::string::npos) << cells[2];
    // The target clause inverted, then the cursor bar before the first character.
    EXPECT_EQ(f.surface.lines_starting("invert "),
              (std::vector<std::string>{"invert 358,40,22x20", "invert 358,70,22x20", "invert 358,39,22x2"}));
}

TEST(CompositionDrawing, UnconvertedTargetBandsAndTheCursorAfterAHalfWidthCharacter) {
    Fixture<RecordingSurface> f({sj("あ")}, make_geometry(true, 4, 5));
    f.cursor_at(TextPos(0, 0));
    f.surface.clear();
    const std::uint8_t band = IME_ATTR_TARGET | IME_ATTR_UNCONVERTED;
    f.send(preedit("aに", {band, band}, 1));
    // a takes the first half of cell 0 (its band is the right two pixels of
    // that half); に cell 1; the cursor bar at the end of a's half cell.
    EXPECT_EQ(f.surface.lines_starting("invert "),
              (std::vector<std::string>{"invert 378,10,2x10", "invert 378,40,2x20", "invert 358,19,22x2"}));

    // Horizontal writing: the band along the bottom, half-width halves side by side.
    Fixture<RecordingSurface> h({sj("あ")}, make_geometry(false, 4, 5));
    h.cursor_at(TextPos(0, 0));
    h.surface.clear();
    h.send(preedit("ab", {IME_ATTR_TARGET, 0}, 2));
    // Line 0 at y = 10, cell 0 at x = 20: box 18..40; a's half 18..30, b's 30..40.
    EXPECT_EQ(h.surface.lines_starting("invert "),
              (std::vector<std::string>{"invert 18,10,12x20", "invert 39,10,2x20"}));
}

TEST(CompositionDrawing, WrapsToTheNextColumn) {
    Fixture<RecordingSurface> f({sj("あいう")}, make_geometry(true, 4, 5));
    f.cursor_at(TextPos(0, 6));   // the line end: cell 3
    f.surface.clear();
    f.send(preedit("かきく"));
    // か, き in cells 3 and 4 of column 0; く at the top of column 1 (x 340 - 22 = 318).
    EXPECT_EQ(f.surface.lines_starting("fill "),
              (std::vector<std::string>{"fill 358,100,22x20 #D0E0F0", "fill 358,130,22x20 #D0E0F0",
                                        "fill 318,10,22x20 #D0E0F0"}));
    EXPECT_EQ(f.c.first_line, 0);
    EXPECT_EQ(f.c.last_line, 1);
}

// ---- what it puts back ----

TEST(CompositionRestore, ShrinkAndCancelPutThePixelsBackExactly) {
    Fixture<test::PixelSurface> f({sj("あいうえお"), sj("かきくけこ")}, make_geometry(true, 4, 5));
    test::PixelSurface snapshot{400, 600};
    f.s.snapshot = &snapshot;
    f.cursor_at(TextPos(0, 4));
    take_snapshot(f.s);
    const std::vector<std::uint32_t> before = f.surface.pixels();

    f.send(preedit("にほんごです", {1, 1, 1, 0, 0, 0}, 6));   // runs into column 1
    EXPECT_EQ(f.c.last_line, 1);
    EXPECT_GT(f.surface.differences(snapshot), 0);
    // Shrunk to one character: the tail in both columns comes back.
    f.send(preedit("に"));
    test::PixelSurface one{400, 600};
    one.copy_from(f.surface, {0, 0, 400, 600}, 0, 0);
    f.send(preedit(""));   // the cancel
    EXPECT_EQ(f.surface.pixels(), before);
    // The shrunk picture differed from the original only in the first cell's box and the bar.
    int outside = 0;
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 400; ++x) {
            const bool first_cell = x >= 357 && x < 380 && y >= 69 && y < 101;
            if (!first_cell && one.pixels()[static_cast<std::size_t>(y * 400 + x)] != before[static_cast<std::size_t>(y * 400 + x)])
                ++outside;
        }
    EXPECT_EQ(outside, 0);
}

TEST(CompositionRestore, WithoutASnapshotTheCoveredLinesAreDrawnAgain) {
    Fixture<RecordingSurface> f({sj("あいう"), sj("かき")}, make_geometry(true, 4, 5));
    f.cursor_at(TextPos(0, 6));
    f.send(preedit("かきく"));
    f.surface.clear();
    f.send(preedit(""));
    // Both columns the composition covered are drawn again from the cell map.
    const std::vector<std::string> cells = f.surface.lines_starting("cell ");
    EXPECT_EQ(cells.size(), 5u);   // あいう and かき
    EXPECT_TRUE(f.c.covered.empty());
}

// ---- the candidate list ----

TEST(CompositionCandidates, BesideTheLineOnTheSideFacingTheMiddle) {
    const DisplayGeometry v = make_geometry(true, 8, 5);
    // Column 0 at x 380 lies in the right half: the list goes left of it.
    SurfaceRect r = candidate_rect(v, 0);
    EXPECT_EQ(r.x, 380 - 60 - 20);
    EXPECT_EQ(r.y, 10 + 30);   // a quarter of the line (5 / 4 = 1 cell) along
    // Column 7 at x 100 lies in the left half: right of it.
    r = candidate_rect(v, 7);
    EXPECT_EQ(r.x, 100 + 60);
    const DisplayGeometry h = make_geometry(false, 8, 5);
    r = candidate_rect(h, 1);   // y 50, upper half: below the line
    EXPECT_EQ(r.y + r.h, 50 + 60);
    EXPECT_EQ(candidate_rect(h, 9).w, 0);   // no such line
}

}  // namespace
}  // namespace rix
