// The caret's rectangles, the pointer zones and the point-to-cell hit test
// over a laid-out cell map. The mouse handler that consumes them is tested
// in mouse_test.cpp.
#include <gtest/gtest.h>

#include <string>

#include "display/caret.h"
#include "display/hit_test.h"
#include "platform/recording_surface.h"
#include "tests/document/doc_builder.h"

namespace rix {
namespace {

using test::sj;

// 20-pixel font, 40-pixel lines, 30-pixel cells; 4 lines × 2 tiers of 5
// cells with a gap of one cell (tier pitch 210).
DisplayGeometry geometry(bool vertical) {
    DisplayGeometry g;
    g.slot = 0;
    g.vertical = vertical;
    g.client_w = vertical ? 400 : 500;
    g.client_h = vertical ? 500 : 300;
    g.columns = 4;
    g.chars = g.grid_chars = 5;
    g.tiers = 2;
    g.gap = 1;
    g.screen_lines = 8;
    g.kinsoku_mode = 1;
    g.max_cells = 6;
    g.font_w = g.font_h = 20;
    g.line_pitch = 40;
    g.char_pitch = 30;
    g.margin_start_px = 20;
    g.margin_top_px = 10;
    g.tier_pitch = 210;
    if (vertical) {
        g.right_extent = 20 + 4 * 40 + 10;   // the text's left edge is at W − right_extent
        g.bottom_extent = 10 + 2 * 210;
    } else {
        g.right_extent = 20 + 2 * 210;
        g.bottom_extent = 10 + 4 * 40 + 30;   // a little below the last line of a tier
    }
    return g;
}

// Screen lines: 0 "あいう↵", 1 two indentation cells then "かき↵", 2 "ab" "c"↵,
// 3..6 one character each, 7 (the last line of the last tier) "さしす" and the end.
struct Laid {
    Document doc;
    Screen s;
    explicit Laid(bool vertical) {
        s.geo = geometry(vertical);
        doc.rules = test::rules(5, 1);
        test::build(doc, {sj("あいう"), sj("かき"), "abc", sj("た"), sj("ち"), sj("つ"), sj("て"), sj("さしす")},
                    {0, test::format_word(2, 0, 0)});
        prepare_screen(s);
        layout_and_draw(doc, s, TextPos(0, 0), 0, 0, 8);   // counting mode fills the map
    }
    Hit at_cell(int line, int cell, int offset = 5) const {
        const DisplayGeometry& g = s.geo;
        const int along = cell_position(g, line, cell) + offset;
        if (g.vertical) return hit_test(g, s.cells, line_position(g, line) - 10, along);
        return hit_test(g, s.cells, along, line_position(g, line) + 10);
    }
};

// ---- caret ----

TEST(Caret, FramesBlockAndBarInBothDirections) {
    const DisplayGeometry h = geometry(false);
    // Line 1, cell 1 after two indentation cells: along 20 + 3 × 30, across the line's top.
    CaretShape c = caret_shape(h, CARET_FRAMES, {1, 1, 2, false}, false);
    ASSERT_TRUE(c.visible);
    EXPECT_EQ(c.x, 110);
    EXPECT_EQ(c.y, 50);
    EXPECT_EQ(c.rect.w, 20);
    EXPECT_EQ(c.outer.x, 109);
    EXPECT_EQ(c.outer.w, 22);
    EXPECT_EQ(c.saved.h, 22);
    // After the first of two half-width characters: half a glyph on.
    EXPECT_EQ(caret_shape(h, CARET_FRAMES, {1, 1, 2, true}, false).x, 120);
    // A line of the second tier: (Nmax + gap) cells further along.
    EXPECT_EQ(caret_shape(h, CARET_BAR, {5, 0, 0, false}, false).x, 20 + 7 * 30);
    const CaretShape bar = caret_shape(h, CARET_BAR, {0, 0, 0, false}, false);
    EXPECT_EQ(bar.rect.w, 5);
    EXPECT_EQ(bar.rect.h, 20);
    const CaretShape block = caret_shape(h, CARET_BLOCK, {0, 0, 0, false}, true);
    EXPECT_TRUE(block.grey);
    EXPECT_EQ(block.rect.w, 20);

    // Vertical writing: left of the glyph box by one pixel; the bar lies across the cell's top.
    const DisplayGeometry v = geometry(true);
    const CaretShape vbar = caret_shape(v, CARET_BAR, {0, 2, 0, false}, false);
    EXPECT_EQ(vbar.x, 380 - 20 - 1);
    EXPECT_EQ(vbar.y, 10 + 60);
    EXPECT_EQ(vbar.rect.w, 20);
    EXPECT_EQ(vbar.rect.h, 5);
    // Overwrite mode: the bar covers the glyph it replaces.
    const CaretShape over = caret_shape(v, CARET_BAR, {0, 2, 0, false}, true);
    EXPECT_EQ(over.rect.h, 20);
    EXPECT_EQ(caret_shape(v, CARET_FRAMES, {0, 2, 0, true}, false).y, 80);
}

TEST(Caret, OffTheScreenAndUnknownTypes) {
    const DisplayGeometry g = geometry(true);
    EXPECT_FALSE(caret_shape(g, CARET_BAR, {-1, 0, 0, false}, false).visible);
    EXPECT_FALSE(caret_shape(g, CARET_BAR, {8, 0, 0, false}, false).visible);
    EXPECT_EQ(caret_shape(g, 7, {0, 0, 0, false}, false).type, CARET_FRAMES);
    EXPECT_FALSE(caret_shape(DisplayGeometry{}, CARET_BAR, {0, 0, 0, false}, false).visible);
}

TEST(Caret, PlaceFromTheScreenAndTheOwnFrames) {
    Laid laid(false);
    laid.s.cursor_at = {1, 1, false};
    const CaretPlace p = caret_place(laid.s);
    EXPECT_EQ(p.indent, 2);
    EXPECT_EQ(caret_shape(laid.s.geo, CARET_FRAMES, p, false).x, 110);
    RecordingSurface out(500, 300);
    draw_caret_frames(out, caret_shape(laid.s.geo, CARET_FRAMES, p, false), 0x0000FF);
    const auto lines = out.lines_starting("line ");
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[0], "line 110,50-129,50 #FF0000");
    EXPECT_EQ(lines[4], "line 109,49-130,49 #FF0000");
}

// ---- pointer zones ----

TEST(PointerZones, BandsCornersAndTheCornerDrag) {
    const DisplayGeometry h = geometry(false);   // 500 × 300, band 10 < y < 200, 20 < x < 440
    EXPECT_EQ(classify_pointer(h, 5, 100, 0).zone, ZONE_TEXT);
    EXPECT_EQ(classify_pointer(h, 5, 100, 0).cursor, std::string("HORIZONTAL"));
    const PointerZone scroll = classify_pointer(h, 100, 250, 0);
    EXPECT_EQ(scroll.zone, ZONE_SCROLL);
    EXPECT_EQ(scroll.corner, CORNER_NONE_SCROLL);
    EXPECT_EQ(scroll.cursor, std::string("SCROOL"));
    // Corners: top-right and bottom-left NE-SW, top-left and bottom-right NW-SE.
    EXPECT_EQ(classify_pointer(h, 480, 5, 0).zone, ZONE_CORNER_NESW);
    EXPECT_EQ(classify_pointer(h, 480, 5, 0).corner, CORNER_TOP_RIGHT);
    EXPECT_EQ(classify_pointer(h, 10, 5, 0).zone, ZONE_CORNER_NWSE);
    EXPECT_EQ(classify_pointer(h, 10, 5, 0).corner, CORNER_TOP_LEFT);
    EXPECT_EQ(classify_pointer(h, 10, 280, 0).zone, ZONE_CORNER_NESW);
    EXPECT_EQ(classify_pointer(h, 10, 280, 0).corner, CORNER_BOTTOM_LEFT);
    const PointerZone br = classify_pointer(h, 480, 280, 0);
    EXPECT_EQ(br.zone, ZONE_CORNER_NWSE);
    EXPECT_EQ(br.corner, CORNER_BOTTOM_RIGHT);
    EXPECT_EQ(br.hot_x, 10);
    // A corner drag keeps its zone wherever the pointer goes.
    const PointerZone drag = classify_pointer(h, 100, 100, 7);
    EXPECT_EQ(drag.zone, 7);
    EXPECT_EQ(drag.cursor, std::string("KAGI_3"));
    EXPECT_EQ(drag.hot_y, 20);
    // A negative 16-bit coordinate reads as 0.
    EXPECT_EQ(classify_pointer(h, 65290, 5, 0).corner, CORNER_TOP_LEFT);

    const DisplayGeometry v = geometry(true);    // band 210 < x < 380
    EXPECT_EQ(classify_pointer(v, 300, 5, 0).cursor, std::string("VERTICAL"));
    EXPECT_EQ(classify_pointer(v, 390, 100, 0).zone, ZONE_SCROLL);
}

// ---- hit test ----

TEST(HitTest, CellsPastTheLineEnd) {
    for (bool vertical : {false, true}) {
        SCOPED_TRACE(vertical ? "vertical" : "horizontal");
        Laid laid(vertical);
        ASSERT_EQ(laid.s.cells.used(0), 4);   // あいう and the line-end mark
        const Hit on = laid.at_cell(0, 2);
        EXPECT_EQ(on.result, HIT_TEXT);
        EXPECT_EQ(on.line, 0);
        EXPECT_EQ(on.cell, 2);
        // The cell after the last used one is accepted (the line end), the next is not.
        const Hit past = laid.at_cell(0, 4);
        EXPECT_EQ(past.result, HIT_TEXT);
        EXPECT_EQ(hit_position(laid.doc, TextPos(0, 0), 0, past).pos, TextPos(0, 6));
        const Hit two_past = laid.at_cell(0, 5);
        EXPECT_EQ(two_past.result, HIT_BESIDE);
        EXPECT_EQ(two_past.cell, -1);
        EXPECT_FALSE(hit_position(laid.doc, TextPos(0, 0), 0, two_past).ok);
    }
}

TEST(HitTest, IndentationHalvesAndPositions) {
    Laid laid(false);
    EXPECT_EQ(laid.at_cell(1, 0).result, HIT_BESIDE);
    EXPECT_EQ(laid.at_cell(1, 1).cell, -1);
    const Hit first = laid.at_cell(1, 2);
    EXPECT_EQ(first.result, HIT_TEXT);
    EXPECT_EQ(first.cell, 0);
    EXPECT_EQ(hit_position(laid.doc, TextPos(3, 0), 3, first).pos, TextPos(1, 0));
    // "ab" shares a cell: the right half of the glyph is the second character.
    EXPECT_FALSE(laid.at_cell(2, 0, 4).second_half);
    const Hit b = laid.at_cell(2, 0, 12);
    EXPECT_TRUE(b.second_half);
    EXPECT_EQ(hit_position(laid.doc, TextPos(0, 0), 0, b).pos, TextPos(2, 1));
    // "c" alone (paired with a space) has no second half; nor has a full-width character.
    EXPECT_FALSE(laid.at_cell(2, 1, 12).second_half);
    EXPECT_FALSE(laid.at_cell(0, 0, 12).second_half);
}

TEST(HitTest, LastTierAndLinesOutsideTheScreen) {
    Laid h(false);
    // The last line of the last tier.
    const Hit last = h.at_cell(7, 2);
    EXPECT_EQ(last.result, HIT_TEXT);
    EXPECT_EQ(last.line, 7);
    EXPECT_EQ(hit_position(h.doc, TextPos(0, 0), 0, last).pos, TextPos(7, 4));
    // Beyond the last tier along the lines: still the last tier, and no cell there.
    const Hit beyond = hit_test(h.s.geo, h.s.cells, 20 + 2 * 210 + 10, line_position(h.s.geo, 3) + 10);
    EXPECT_EQ(beyond.result, HIT_BESIDE);
    EXPECT_EQ(beyond.line, 7);
    EXPECT_EQ(beyond.cell, -1);
    // Inside the band but below the last line of the tier: no screen line.
    EXPECT_EQ(hit_test(h.s.geo, h.s.cells, 50, 10 + 4 * 40 + 15).result, HIT_NOWHERE);
    // The scroll zone: above the text, below it, and the margin beside it.
    const Hit above = hit_test(h.s.geo, h.s.cells, 100, 5);
    EXPECT_EQ(above.result, HIT_BESIDE);
    EXPECT_EQ(above.line, -1);
    EXPECT_EQ(above.cell, 0);
    EXPECT_EQ(hit_test(h.s.geo, h.s.cells, 100, 250).line, 8);
    EXPECT_EQ(hit_test(h.s.geo, h.s.cells, 10, 250).result, HIT_NOWHERE);

    Laid v(true);
    EXPECT_EQ(v.at_cell(7, 2).line, 7);
    EXPECT_EQ(hit_test(v.s.geo, v.s.cells, 390, 100).line, -1);   // right of the first line
    EXPECT_EQ(hit_test(v.s.geo, v.s.cells, 150, 100).line, 8);    // left of the last
}

// Without a gap between the tiers the last half of a tier's hanging cell
// is still that tier's: a click on it does not land on the next tier.
TEST(HitTest, AHangingCellWithoutAGapKeepsItsTier) {
    for (bool vertical : {false, true}) {
        SCOPED_TRACE(vertical ? "vertical" : "horizontal");
        Laid laid(vertical);
        DisplayGeometry& g = laid.s.geo;
        g.gap = 0;
        g.tier_pitch = g.max_cells * g.char_pitch;
        test::build(laid.doc, {sj("あいうえお、"), sj("か")});
        laid.s.cells.clear_line(0);
        layout_and_draw(laid.doc, laid.s, TextPos(0, 0), 0, 0, 8);
        ASSERT_EQ(laid.s.cells.used(0), 6);   // 、 hangs in the sixth cell
        for (int offset : {2, 10, 18}) {
            const Hit h = laid.at_cell(0, 5, offset);
            EXPECT_EQ(h.result, HIT_TEXT) << offset;
            EXPECT_EQ(h.line, 0) << offset;
            EXPECT_EQ(h.cell, 5) << offset;
        }
        // Past the glyph box, where the next tier's first cell begins, the next tier.
        EXPECT_EQ(laid.at_cell(0, 6, 2).line, 4);
    }
}

TEST(HitTest, VerticalGutterMeasuredFromTheLines) {
    Laid v(true);
    v.s.geo.centre_px = 10;   // lines 2 and 3 of each tier move 10 pixels left
    const DisplayGeometry& g = v.s.geo;
    ASSERT_EQ(line_position(g, 2), 290);
    // Just right of line 3's glyph box lies line 2's slot, not line 3's.
    EXPECT_EQ(hit_test(g, v.s.cells, 252, 20).line, 2);
    EXPECT_EQ(hit_test(g, v.s.cells, 245, 20).line, 3);
    EXPECT_EQ(hit_test(g, v.s.cells, 285, 20).line, 2);
    EXPECT_EQ(hit_test(g, v.s.cells, 335, 20).line, 1);
    // The gutter itself is not on any line.
    EXPECT_EQ(hit_test(g, v.s.cells, 295, 20).result, HIT_NOWHERE);
}

}  // namespace
}  // namespace rix
