// The print preview's logic: the scaled page, the sheet painted as printed
// with the fold line and marks, and margins from a dragged corner.
// Owed: the preview window (navigation, armed corners) on the platform.
#include "publish/preview.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/preview_window.h"
#include "platform/recording_surface.h"
#include "tests/document/doc_builder.h"

namespace rix {
namespace {

using test::sj;

TEST(PreviewPage, TheSheetIsShownScaledToTheHeight) {
    const PrintPage device{7017, 4958, 600, 600};
    const double s = preview_scale(device, 1000);
    int w = 0, h = 0;
    preview_size(device, s, &w, &h);
    EXPECT_EQ(h, 1000);
    EXPECT_EQ(w, 1415);
    preview_size(device, preview_scale(device, 1), &w, &h);
    EXPECT_EQ(h, 16);
}

TEST(PreviewSheet, PaintsPaperTheSheetAndTheFoldLine) {
    Document doc;
    test::build(doc, {sj("ある日の暮方の事である。"), sj("一人の下人が、羅生門の下で雨やみを待っていた。")});
    PrintFormat f;
    f.screen.print = true;
    f.screen.vertical = true;
    f.screen.columns_per_page = 20;
    f.screen.chars_per_column = 20;
    f.screen.tier_count = 1;
    f.screen.cell_width_percent = 25;
    f.screen.two_pages_per_sheet = true;
    f.screen.margin_start_permille = f.screen.margin_end_permille = 36;
    f.screen.margin_top_permille = f.screen.margin_bottom_permille = 198;
    f.grid_style = 3;
    f.wrap_enabled = true;
    f.wrap_chars = 10;
    f.font.face = sj("@IPAex明朝");
    f.print_font_size = 160;
    f.adjust_column_interval = 1;
    f.flags = PRINT_PAGE_NUMBERS;
    f.page_number_position = 5;
    f.rules = test::rules(20, 1);
    PrintLayout layout;
    ASSERT_TRUE(make_print_layout(f, PrintRange{}, PrintPage{7017, 4958, 600, 600}, &layout));
    PrintScope scope(doc, layout.rules);
    RecordingSurface image(layout.page.width, layout.page.height, "preview");
    SheetPainter painter;
    ASSERT_TRUE(start_sheets(painter, layout, &image));
    PrintJob job;
    ASSERT_EQ(resolve_print_range(doc, layout, PrintRange{}, false, {}, {}, &job), RangeResult::OK);
    const SheetResult r = paint_preview_sheet(doc, painter, layout, job, HeaderTitles{}, 1, job.start);
    EXPECT_TRUE(r.ended);
    const std::string dump = image.dump();
    const auto fills = image.lines_starting("fill ");
    ASSERT_FALSE(fills.empty());
    EXPECT_EQ(fills[0].rfind("fill 0,0,", 0), 0u) << fills[0];   // white paper first
    const int half = layout.page.width / 2;
    const std::string fold = "dots " + std::to_string(half) + ",0-" + std::to_string(half) + "," +
                             std::to_string(layout.page.height);
    EXPECT_NE(dump.find(fold), std::string::npos);
    // Folded at ten: ten marks a column on each half.
    EXPECT_EQ(static_cast<int>(fills.size()) - 1, 2 * 20 * 10);
    // The page number of the first half, full-width, in the header font.
    EXPECT_GE(image.lines_starting("cell 2 824f").size() + image.lines_starting("cell 2 8250").size(), 1u);
}

TEST(PreviewMargins, ACornerSetsTwoMarginsByWritingDirection) {
    const PrintMargins m{50, 60, 70, 80};
    PrintMargins out;
    // Top-right of a vertical page: the right margin is the start one.
    ASSERT_TRUE(margins_from_release(CORNER_TOP_RIGHT, 900, 100, 1000, 1000, true, 1, m, &out));
    EXPECT_EQ(out.start, 100);
    EXPECT_EQ(out.top, 100);
    EXPECT_EQ(out.end, 70);
    EXPECT_EQ(out.bottom, 80);
    // The same corner of a horizontal page sets the end margin.
    ASSERT_TRUE(margins_from_release(CORNER_TOP_RIGHT, 900, 100, 1000, 1000, false, 1, m, &out));
    EXPECT_EQ(out.end, 100);
    EXPECT_EQ(out.start, 50);
    ASSERT_TRUE(margins_from_release(CORNER_BOTTOM_LEFT, 30, 950, 1000, 1000, true, 1, m, &out));
    EXPECT_EQ(out.end, 30);
    EXPECT_EQ(out.bottom, 50);
}

TEST(PreviewMargins, ReleasesOutsideThePageAndDragsWithoutRoom) {
    const PrintMargins m{50, 60, 70, 80};
    PrintMargins out;
    // Released beyond the top-left of the page: 10, never a wrapped byte.
    ASSERT_TRUE(margins_from_release(CORNER_TOP_LEFT, -20, -5, 1000, 1000, true, 1, m, &out));
    EXPECT_EQ(out.end, 10);
    EXPECT_EQ(out.top, 10);
    ASSERT_TRUE(margins_from_release(CORNER_BOTTOM_RIGHT, 300, 200, 1000, 1000, true, 1, m, &out));
    EXPECT_EQ(out.start, 10);     // 1000 - 300 = 700: past a byte
    EXPECT_EQ(out.bottom, 10);
    // A drag that leaves no room for text keeps the old margins.
    EXPECT_FALSE(margins_from_release(CORNER_TOP_RIGHT, 750, 100, 1000, 1000, true, 2, PrintMargins{50, 60, 255, 80},
                                      &out));
    EXPECT_EQ(out.start, 50);
    EXPECT_EQ(out.end, 255);
    EXPECT_FALSE(margins_from_release(0, 1, 1, 1000, 1000, true, 1, m, &out));
}

TEST(PreviewMargins, ThePointerArmsTheCornerOfItsQuadrantInTheMargins) {
    const PrintMargins m{100, 100, 50, 100};   // vertical writing: right 100, left 50
    EXPECT_EQ(margin_corner_at(950, 50, 1000, 1000, true, m), CORNER_TOP_RIGHT);
    EXPECT_EQ(margin_corner_at(10, 300, 1000, 1000, true, m), CORNER_TOP_LEFT);
    EXPECT_EQ(margin_corner_at(40, 950, 1000, 1000, true, m), CORNER_BOTTOM_LEFT);
    EXPECT_EQ(margin_corner_at(600, 950, 1000, 1000, true, m), CORNER_BOTTOM_RIGHT);
    EXPECT_EQ(margin_corner_at(60, 500, 1000, 1000, true, m), 0);       // inside the text block
    EXPECT_EQ(margin_corner_at(60, 500, 1000, 1000, false, m), CORNER_BOTTOM_LEFT);   // horizontal: left is 100
    EXPECT_EQ(margin_corner_at(-1, 10, 1000, 1000, true, m), 0);        // off the page
}

TEST(PreviewPaging, MovesWithinTheRangeAndClicksByHalfAndMiddle) {
    PreviewPaging p{3, 5, 3};
    EXPECT_FALSE(preview_go(&p, 2));
    EXPECT_EQ(p.current, 3);
    EXPECT_TRUE(preview_go(&p, 5));
    EXPECT_FALSE(preview_go(&p, 6));
    EXPECT_EQ(p.current, 5);
    EXPECT_EQ(preview_click(500, 500, 1000, 1000, true), PreviewClick::CLOSE);
    EXPECT_EQ(preview_click(900, 500, 1000, 1000, true), PreviewClick::BACK);      // right half of vertical writing
    EXPECT_EQ(preview_click(100, 500, 1000, 1000, true), PreviewClick::FORWARD);
    EXPECT_EQ(preview_click(500, 100, 1000, 1000, false), PreviewClick::BACK);     // upper half of horizontal writing
    EXPECT_EQ(preview_click(500, 900, 1000, 1000, false), PreviewClick::FORWARD);
    EXPECT_EQ(preview_click(250, 500, 1000, 1000, true), PreviewClick::FORWARD);   // a quarter from the edge is not the middle
}

}  // namespace
}  // namespace rix
