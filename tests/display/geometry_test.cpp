// Display geometry: pitches, extents and positions worked out by hand from
// the layout rules, the two auto-adjust modes across resizes and format
// switches, margin migration, and windows too small to lay out.
//
// Still owed: the docked structure index against a real index window; print
// composition with page offsets from the page loop.
#include "display/geometry.h"

#include <gtest/gtest.h>

namespace rix {
namespace {

// A vertical 20 × 20 format without margins and a 20-pixel font.
ScreenFormat plain_format(int slot = 0) {
    ScreenFormat f;
    f.slot = slot;
    f.vertical = true;
    f.columns_per_page = 20;
    f.chars_per_column = 20;
    f.tier_count = 1;
    f.page_columns = 20;
    f.kinsoku_mode = 1;
    f.font_height = -20;
    return f;
}

FontMetrics font_px(int px) {
    FontMetrics m;
    m.valid = true;
    m.pixel_height = m.cell_w = m.cell_h = px;
    return m;
}

DisplayGeometry compute(const ScreenFormat& f, int w, int h, const DisplayGeometry& prev = {},
                        ScreenFormatChanges* changes = nullptr, int font = 20) {
    DisplayGeometry g;
    ScreenFormatChanges local;
    EXPECT_TRUE(recompute_geometry(f, w, h, font_px(font), prev, &g, changes ? changes : &local));
    return g;
}

// ---- the fixed-count layout ----

TEST(Geometry, VerticalTwentyByTwentyIn800x600) {
    // line_pitch = trunc(800 / 19.5) = 41; right = trunc(41×20 − 16.4) = 803 > 800,
    // so 40 and right = trunc(800 − 16) = 784. char_pitch = trunc(600 / 19.5) = 30,
    // bottom = 30×20 = 600, not above 600. Nmax = 21, tier_pitch = 21×30 = 630.
    ScreenFormat f = plain_format();
    f.cell_width_percent = 25;
    const DisplayGeometry g = compute(f, 800, 600);
    EXPECT_EQ(g.line_pitch, 40);
    EXPECT_EQ(g.char_pitch, 30);
    EXPECT_EQ(g.right_extent, 784);
    EXPECT_EQ(g.bottom_extent, 600);
    EXPECT_EQ(g.total_cells, 20);
    EXPECT_EQ(g.max_cells, 21);
    EXPECT_EQ(g.tier_pitch, 630);
    EXPECT_EQ(g.screen_lines, 20);
    // cell_size = 125 × 20 / 100 = 25; cell_inset = 40 − (25 − 20)/2 − 0 = 38.
    EXPECT_EQ(g.cell_size, 25);
    EXPECT_EQ(g.cell_inset, 38);
    // Lines run right to left from W: 800, then 800 − 19×40 = 40 for the last.
    EXPECT_EQ(line_position(g, 0), 800);
    EXPECT_EQ(line_position(g, 19), 40);
    EXPECT_EQ(cell_position(g, 0, 0), 0);
    EXPECT_EQ(cell_position(g, 5, 3), 90);
    EXPECT_EQ(last_caret_cell(g), 19);
    EXPECT_EQ(last_hanging_cell(g), 20);
}

TEST(Geometry, HorizontalMirrorIn600x800) {
    // The same numbers with the directions exchanged: line_pitch from H = 800
    // (41, then 40, bottom = 784), char_pitch from W = 600 (30, right = 600).
    ScreenFormat f = plain_format();
    f.vertical = false;
    const DisplayGeometry g = compute(f, 600, 800);
    EXPECT_EQ(g.line_pitch, 40);
    EXPECT_EQ(g.char_pitch, 30);
    EXPECT_EQ(g.bottom_extent, 784);
    EXPECT_EQ(g.right_extent, 600);
    EXPECT_EQ(line_position(g, 0), 0);
    EXPECT_EQ(line_position(g, 19), 760);
    EXPECT_EQ(cell_position(g, 19, 3), 90);
}

TEST(Geometry, TwoTiersWithAGap) {
    // Ncol 10, Nch 20, two tiers, gap 1: g = 2, total = 22×2 − 2 = 42.
    // char_pitch = trunc(600 / 41.5) = 14, bottom = 588. line_pitch =
    // trunc(800 / 9.5) = 84, right = trunc(840 − 33.6) = 806 > 800, so 83.
    ScreenFormat f = plain_format();
    f.columns_per_page = 10;
    f.tier_count = 2;
    f.tier_gap = 1;
    DisplayGeometry g = compute(f, 800, 600);
    EXPECT_EQ(g.total_cells, 42);
    EXPECT_EQ(g.char_pitch, 14);
    EXPECT_EQ(g.bottom_extent, 588);
    EXPECT_EQ(g.line_pitch, 83);
    EXPECT_EQ(g.right_extent, 796);   // trunc(830 − 33.2)
    EXPECT_EQ(g.screen_lines, 20);
    // The second tier starts Nmax + gap = 22 cells down: 22 × 14 = 308.
    EXPECT_EQ(cell_position(g, 10, 0), 308);
    EXPECT_EQ(g.tier_pitch, 308);
    EXPECT_EQ(line_position(g, 10), line_position(g, 0));
    EXPECT_EQ(cell_position(g, 13, 2), 308 + 28);

    // Double kinsoku hangs one more cell: Nmax 22, the tier 23 cells down.
    f.kinsoku_mode = 2;
    g = compute(f, 800, 600);
    EXPECT_EQ(g.max_cells, 22);
    EXPECT_EQ(cell_position(g, 10, 0), 23 * 14);
    EXPECT_EQ(g.tier_pitch, 23 * 14);
    EXPECT_EQ(last_hanging_cell(g), 21);
}

TEST(Geometry, OddColumnCountWithCentreGutter) {
    // W 1000: start and end margins 50 px, gutter 100 px, avail_w = 800.
    // line_pitch = trunc(800 / 10.5) = 76; right = trunc(836 + 150 − 30.4) = 955.
    ScreenFormat f = plain_format();
    f.columns_per_page = 11;
    f.margin_start_permille = 50;
    f.margin_end_permille = 50;
    f.centre_margin_permille = 100;
    const DisplayGeometry g = compute(f, 1000, 600);
    EXPECT_EQ(g.centre_px, 100);
    EXPECT_EQ(g.line_pitch, 76);
    EXPECT_EQ(g.right_extent, 955);
    // 11 div 2 = 5: lines 0..4 sit right of the gutter, the middle line 5 left of it.
    EXPECT_EQ(line_position(g, 4), 1000 - 50 - 4 * 76);         // 646
    EXPECT_EQ(line_position(g, 5), 1000 - 50 - 5 * 76 - 100);   // 470
    EXPECT_EQ(line_position(g, 10), 90);
}

TEST(Geometry, MarginsAndGuideBox) {
    // Margins 50‰ of 800 = 40 px each side, 30‰ of 600 = 18 px top and bottom.
    // avail_w = 720: line_pitch = trunc(720 / 19.5) = 36, right = trunc(760 − 14.4) = 745.
    // avail_h = 564: char_pitch = trunc(564 / 19.5) = 28, bottom = 560 + 18 = 578.
    ScreenFormat f = plain_format();
    f.margin_start_permille = f.margin_end_permille = 50;
    f.margin_top_permille = f.margin_bottom_permille = 30;
    DisplayGeometry g = compute(f, 800, 600);
    EXPECT_EQ(g.line_pitch, 36);
    EXPECT_EQ(g.right_extent, 745);
    EXPECT_EQ(g.char_pitch, 28);
    EXPECT_EQ(g.bottom_extent, 578);
    EXPECT_EQ(line_position(g, 0), 760);
    EXPECT_EQ(cell_position(g, 0, 1), 18 + 28);

    // Horizontal with a 60-pixel guide box: avail_w = 800 − 40 − 40 − 60 = 660,
    // char_pitch = trunc(660 / 19.5) = 33; lines start at 40 + 60 = 100.
    f.vertical = false;
    f.guide_px = 60;
    g = compute(f, 800, 600);
    EXPECT_EQ(g.margin_start_px, 100);
    EXPECT_EQ(g.char_pitch, 33);
    EXPECT_EQ(g.right_extent, 33 * 20 + 100);
    EXPECT_EQ(cell_position(g, 0, 0), 100);
}

TEST(Geometry, MarginsThatLeaveNoRoomKeepPitchesPositive) {
    ScreenFormat f = plain_format();
    f.margin_start_permille = f.margin_end_permille = 255;
    f.margin_top_permille = f.margin_bottom_permille = 255;
    f.centre_margin_permille = 200;
    f.columns_per_page = 0;        // a damaged record
    f.chars_per_column = 0;
    const DisplayGeometry g = compute(f, 800, 600);
    EXPECT_GE(g.line_pitch, 1);
    EXPECT_GE(g.char_pitch, 1);
    EXPECT_GE(g.columns, 1);
    EXPECT_GE(g.chars, 1);
}

TEST(Geometry, StoredTierCountZeroReadsAsOne) {
    ScreenFormat f = plain_format();
    f.tier_count = 0;
    ScreenFormatChanges changes;
    const DisplayGeometry g = compute(f, 800, 600, {}, &changes);
    EXPECT_EQ(g.tiers, 1);
    EXPECT_TRUE(changes.tier_count_fixed);
}

// ---- margin migration ----

TEST(Geometry, PerCentMarginsMigrateOnce) {
    ScreenFormat f = plain_format();
    f.margins_in_permille = false;
    f.margin_start_permille = 5;
    f.margin_top_permille = 3;
    f.margin_end_permille = 7;
    f.margin_bottom_permille = 9;
    ScreenFormatChanges changes;
    DisplayGeometry g = compute(f, 800, 600, {}, &changes);
    ASSERT_TRUE(changes.margins_migrated);
    EXPECT_EQ(changes.margin_start_permille, 50);
    EXPECT_EQ(changes.margin_top_permille, 30);
    EXPECT_EQ(changes.margin_end_permille, 50);
    EXPECT_EQ(changes.margin_bottom_permille, 30);
    EXPECT_EQ(g.margin_start_px, 40);   // the migrated values are used at once
    EXPECT_EQ(g.margin_top_px, 18);

    // Already in ‰: nothing changes, 50 stays 50.
    f.margins_in_permille = true;
    f.margin_start_permille = 50;
    g = compute(f, 800, 600, g, &changes);
    EXPECT_FALSE(changes.any());
    EXPECT_EQ(g.margin_start_px, 40);

    // A start margin of 12 was already ‰-sized: kept, the end copies it.
    f.margins_in_permille = false;
    f.margin_start_permille = 12;
    compute(f, 800, 600, {}, &changes);
    EXPECT_EQ(changes.margin_start_permille, 12);
    EXPECT_EQ(changes.margin_end_permille, 12);
}

// ---- auto-adjust ----

TEST(Geometry, ModeTwoRecountsOnResizeOnly) {
    ScreenFormat f = plain_format();
    f.auto_adjust = ADJUST_COUNTS;
    ScreenFormatChanges changes;
    const DisplayGeometry first = compute(f, 800, 600, {}, &changes);
    EXPECT_EQ(first.adjust_mode, ADJUST_NONE);    // nothing to adjust from
    EXPECT_FALSE(changes.counts_adjusted);

    // 1000 × 700 at the pitches 40 × 30: Ncol = 1000/40 = 25, cells = 700/30 = 23,
    // Nch = 23; right = 40×25 − 40/4 = 990, bottom = 30×23 = 690.
    DisplayGeometry g = compute(f, 1000, 700, first, &changes);
    EXPECT_EQ(g.adjust_mode, ADJUST_COUNTS);
    EXPECT_EQ(g.line_pitch, 40);
    EXPECT_EQ(g.char_pitch, 30);
    EXPECT_EQ(g.columns, 25);
    EXPECT_EQ(g.chars, 23);
    EXPECT_EQ(g.grid_chars, 23);
    EXPECT_EQ(g.right_extent, 990);
    EXPECT_EQ(g.bottom_extent, 690);
    ASSERT_TRUE(changes.counts_adjusted);
    EXPECT_EQ(changes.columns_per_page, 25);
    EXPECT_EQ(changes.chars_per_column, 23);

    // The stored counts, same size again: no adjustment, and the fitted pitches
    // come back: trunc(1000/24.5) = 40, trunc(700/22.5) = 31 → 31×23 = 713 > 700 → 30.
    f.columns_per_page = 25;
    f.chars_per_column = 23;
    g = compute(f, 1000, 700, g, &changes);
    EXPECT_EQ(g.adjust_mode, ADJUST_NONE);
    EXPECT_FALSE(changes.any());
    EXPECT_EQ(g.line_pitch, 40);
    EXPECT_EQ(g.char_pitch, 30);
}

TEST(Geometry, ModeTwoKeepsStoredCountsInTheirRanges) {
    ScreenFormat f = plain_format();
    f.auto_adjust = ADJUST_COUNTS;
    const DisplayGeometry first = compute(f, 800, 600);   // pitches 40 × 30
    ScreenFormatChanges changes;
    // 300 × 200: 300/40 = 7 columns → 10; 200/30 = 6 cells, Nch 6.
    DisplayGeometry g = compute(f, 300, 200, first, &changes);
    EXPECT_EQ(changes.columns_per_page, MIN_SCREEN_COLUMNS);
    EXPECT_EQ(changes.chars_per_column, 6);
    EXPECT_EQ(g.columns, 10);
    // 3000 × 3500: 75 columns → 50, 116 cells → 100.
    g = compute(f, 3000, 3500, first, &changes);
    EXPECT_EQ(changes.columns_per_page, MAX_SCREEN_COLUMNS);
    EXPECT_EQ(changes.chars_per_column, MAX_SCREEN_CHARS);
    EXPECT_EQ(g.total_cells, 100);
    EXPECT_EQ(g.bottom_extent, 3000);

    // Two tiers, gap 1 at 1000 × 700: 23 cells, Nch = (23 − 2×2 + 2) / 2 = 10.
    f.tier_count = 2;
    f.tier_gap = 1;
    const DisplayGeometry tiered = compute(f, 800, 600);
    DisplayGeometry prev = tiered;
    prev.line_pitch = 40;
    prev.char_pitch = 30;
    g = compute(f, 1000, 700, prev, &changes);
    EXPECT_EQ(changes.chars_per_column, 10);
    EXPECT_EQ(g.total_cells, (10 + 2) * 2 - 2);
}

TEST(Geometry, SwitchingFormatsNeverAdjusts) {
    ScreenFormat a = plain_format(0);
    a.auto_adjust = ADJUST_COUNTS;
    ScreenFormat b = plain_format(1);
    b.auto_adjust = ADJUST_COUNTS;
    ScreenFormatChanges changes;
    DisplayGeometry g = compute(a, 800, 600);
    g = compute(b, 1000, 700, g, &changes);    // other slot, other size
    EXPECT_EQ(g.adjust_mode, ADJUST_NONE);
    EXPECT_FALSE(changes.counts_adjusted);
    g = compute(a, 1000, 700, g, &changes);    // back again
    EXPECT_EQ(g.adjust_mode, ADJUST_NONE);
    EXPECT_EQ(g.columns, 20);
}

TEST(Geometry, ModeOneScalesByTheRatiosOfTheLastFormatChange) {
    ScreenFormat f = plain_format();
    f.auto_adjust = ADJUST_SCALE_FONT;
    ScreenFormatChanges changes;
    // Ratios at 800 × 600 with a 20-pixel font: 0.025 and 0.0333.
    DisplayGeometry g = compute(f, 800, 600);
    // 1600 × 600: a = 40, b = 20, size = (40 + 20 + 1) / 2 = 30. The sign of the
    // record's height is kept; the counts stay, the pitches follow the space.
    g = compute(f, 1600, 600, g, &changes);
    EXPECT_EQ(g.adjust_mode, ADJUST_SCALE_FONT);
    EXPECT_EQ(g.font_w, 30);
    EXPECT_EQ(g.font_h, 30);
    ASSERT_TRUE(changes.font_rescaled);
    EXPECT_EQ(changes.font_height, -30);
    EXPECT_EQ(g.columns, 20);
    EXPECT_EQ(g.line_pitch, 81);   // trunc(1600 / 19.5) = 82, right 1607 > 1600 → 81

    // The font is now 30; 1600 × 1200 still scales by 0.025 and 0.0333:
    // a = 40, b = 40, size 40 (ratios taken at this resize would give 45).
    f.font_height = -30;
    g = compute(f, 1600, 1200, g, &changes, 30);
    EXPECT_EQ(g.font_h, 40);
    EXPECT_EQ(changes.font_height, -40);

    // Far too large or too small a window: the size stays within 1..50.
    g = compute(f, 4000, 3000, g, &changes, 40);
    EXPECT_EQ(changes.font_height, -50);
    g = compute(f, 20, 20, g, &changes, 50);
    EXPECT_EQ(changes.font_height, -1);
    EXPECT_GE(g.cell_size, 1);
}

// ---- windows too small to lay out ----

TEST(Geometry, ZeroAndTinyWindowsKeepTheOldGeometry) {
    ScreenFormat f = plain_format();
    f.auto_adjust = ADJUST_COUNTS;
    const DisplayGeometry before = compute(f, 800, 600);
    for (auto [w, h] : {std::pair{0, 0}, std::pair{800, 0}, std::pair{10, 600}, std::pair{800, 15}}) {
        DisplayGeometry g = before;
        ScreenFormatChanges changes;
        changes.counts_adjusted = true;
        EXPECT_FALSE(recompute_geometry(f, w, h, font_px(20), g, &g, &changes));
        EXPECT_EQ(g.client_w, 800);
        EXPECT_EQ(g.line_pitch, 40);
        EXPECT_EQ(g.char_pitch, 30);
        EXPECT_FALSE(changes.any());
    }
    // Restored to the old size after a minimise: not a resize, nothing adjusts.
    ScreenFormatChanges changes;
    const DisplayGeometry g = compute(f, 800, 600, before, &changes);
    EXPECT_EQ(g.adjust_mode, ADJUST_NONE);
    EXPECT_FALSE(changes.any());

    // Never computed and still tiny: the geometry stays empty.
    DisplayGeometry empty;
    EXPECT_FALSE(recompute_geometry(f, 0, 0, font_px(20), {}, &empty, &changes));
    EXPECT_FALSE(empty.computed());
}

// ---- print slots and the docked index ----

TEST(Geometry, PrintSlotHalvesTheWidthAndFolds) {
    // Two pages per sheet, vertical, 1000 × 600: avail_w = 1000/2 = 500,
    // line_pitch = trunc(500 / 9.5) = 52, right = 520 − trunc(20.8) = 500.
    // Folded at 10: Nch 10, total 10; the grid and the tier pitch keep 20.
    ScreenFormat f = plain_format(5);
    f.print = true;
    f.two_pages_per_sheet = true;
    f.columns_per_page = 10;
    f.fold_length = 10;
    f.auto_adjust = ADJUST_COUNTS;   // ignored for print
    f.centre_margin_permille = 100;  // no gutter on paper
    DisplayGeometry g = compute(f, 1000, 600);
    EXPECT_EQ(g.line_pitch, 52);
    EXPECT_EQ(g.right_extent, 500);
    EXPECT_EQ(g.centre_px, 0);
    EXPECT_EQ(g.char_pitch, 30);
    EXPECT_EQ(g.chars, 10);
    EXPECT_EQ(g.grid_chars, 20);
    EXPECT_EQ(g.total_cells, 10);
    EXPECT_EQ(g.tier_pitch, 21 * 30);
    g = compute(f, 1200, 700, g);
    EXPECT_EQ(g.adjust_mode, ADJUST_NONE);
}

TEST(Geometry, DockedIndexRecountsAtThePresentPitch) {
    ScreenFormat f = plain_format();
    const DisplayGeometry first = compute(f, 800, 600);   // line_pitch 40
    f.index_docked_here = true;
    const DisplayGeometry g = compute(f, 600, 600, first);
    EXPECT_EQ(g.columns, 15);    // 600 / 40
    const DisplayGeometry fresh = compute(f, 600, 600);   // no pitch yet: counts as stored
    EXPECT_EQ(fresh.columns, 20);
}

}  // namespace
}  // namespace rix
