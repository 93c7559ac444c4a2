// Page composition: print geometry, the sheet walk and its numbering, ranges,
// index page breaks, the page header, pacing and the state a cancelled run
// leaves behind.
// Owed: the preview's fold marks.
#include "publish/page_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/recording_surface.h"
#include "tests/document/doc_builder.h"

namespace rix {
namespace {

using test::sj;

// A4 portrait at 600 dpi: 4960 × 7015 pixels.
PrintFormat a4_format(bool fukuro, int tiers, int gap) {
    PrintFormat f;
    ScreenFormat& s = f.screen;
    s.slot = 5;
    s.print = true;
    s.vertical = true;
    s.columns_per_page = 20;
    s.chars_per_column = 20;
    s.tier_count = tiers;
    s.tier_gap = gap;
    s.kinsoku_mode = 1;
    s.cell_width_percent = 20;
    s.margin_start_permille = s.margin_end_permille = 50;
    s.margin_top_permille = s.margin_bottom_permille = 50;
    s.two_pages_per_sheet = fukuro;
    f.font.face = sj("@IPAex明朝");
    f.font.height = -20;
    f.print_font_size = 160;
    f.wrap_chars = 20;
    f.adjust_column_interval = 1;
    f.rules = test::rules(20, 1);
    return f;
}

PrintLayout layout_of(const PrintFormat& f, const PrintPage& page) {
    PrintLayout l;
    EXPECT_TRUE(make_print_layout(f, PrintRange{}, page, &l));
    return l;
}

TEST(PrintGeometry, A4At600DpiTwentyByTwentyByHand) {
    const PrintPage page = page_for_paper(9, 600, 600);
    EXPECT_EQ(page.width, 4960);
    EXPECT_EQ(page.height, 7015);
    PrintLayout l = layout_of(a4_format(false, 1, 0), page);
    // aw = 4960 - 248 - 248, pitch = trunc(4464 / 19.5); ah = 7015 - 350 - 350.
    EXPECT_EQ(l.geo.line_pitch, 228);
    EXPECT_EQ(l.geo.char_pitch, 323);
    EXPECT_EQ(l.geo.right_extent, 228 * 20 + 248 - 91);
    EXPECT_EQ(l.geo.bottom_extent, 323 * 20 + 350);
    EXPECT_EQ(l.geo.tier_pitch, 21 * 323);
    EXPECT_EQ(l.geo.font_h, 133);            // 16 pt at 600 dpi
    EXPECT_EQ(l.geo.cell_size, 159);
    EXPECT_EQ(l.halves, 1);
    EXPECT_EQ(line_position(l.geo, 0), 4960 - 248);

    // 袋とじ: each half has half the width.
    PrintFormat f = a4_format(true, 1, 0);
    f.fukuro_offset_permille = 10;
    l = layout_of(f, page);
    EXPECT_EQ(l.geo.line_pitch, 101);        // trunc((2480 - 496) / 19.5)
    EXPECT_EQ(l.halves, 2);
    EXPECT_EQ(l.fukuro_offset_px, 49);
}

TEST(PrintGeometry, TwoTiersAndAFoldKeepTheTiersAGridApart) {
    const PrintPage page = page_for_paper(9, 600, 600);
    PrintLayout l = layout_of(a4_format(false, 2, 1), page);
    // cells = (20 + 2) × 2 - 2 = 42; pitch = trunc(6315 / 41.5).
    EXPECT_EQ(l.geo.char_pitch, 152);
    EXPECT_EQ(l.geo.tier_pitch, 22 * 152);
    EXPECT_EQ(cell_position(l.geo, 20, 0) - cell_position(l.geo, 0, 0), l.geo.tier_pitch);
    EXPECT_EQ(l.rules.chars_per_column, 20u);

    PrintFormat f = a4_format(false, 2, 1);
    f.wrap_enabled = true;
    f.wrap_chars = 15;
    l = layout_of(f, page);
    EXPECT_EQ(l.geo.chars, 15);
    EXPECT_EQ(l.geo.grid_chars, 20);
    EXPECT_EQ(l.geo.char_pitch, 152);        // the pitches come before the fold
    EXPECT_EQ(cell_position(l.geo, 20, 0) - cell_position(l.geo, 0, 0), l.geo.tier_pitch);
    EXPECT_EQ(l.rules.chars_per_column, 15u);
}

TEST(PrintGeometry, ADamagedFormatIsRefusedBeforeComposition) {
    PrintFormat f = a4_format(false, 1, 0);
    f.screen.columns_per_page = 0;
    PrintLayout l;
    EXPECT_FALSE(make_print_layout(f, PrintRange{}, page_for_paper(9, 600, 600), &l));
    f = a4_format(false, 1, 0);
    f.screen.tier_count = 0;
    EXPECT_FALSE(make_print_layout(f, PrintRange{}, page_for_paper(9, 600, 600), &l));
}

// Five columns a page, one tier: a line of a few characters per column.
struct SmallJob {
    Document doc;
    PrintLayout layout;
    explicit SmallJob(bool fukuro, int lines = 23) {
        std::vector<std::string> text;
        for (int i = 0; i < lines; ++i) text.push_back(sj("行") + std::to_string(i));
        test::build(doc, text);
        doc.rules = test::rules(20, 1);
        PrintFormat f = a4_format(fukuro, 1, 0);
        f.screen.columns_per_page = 5;
        f.flags = PRINT_PAGE_NUMBERS;
        layout = layout_of(f, page_for_paper(9, 600, 600));
    }
    // (sheet, page number) of every half printed, through the sheet loop.
    std::vector<std::pair<int, int>> run(const PrintJob& job, PrintRun* result = nullptr) {
        std::vector<std::pair<int, int>> seen;
        SheetPainter painter;
        EXPECT_TRUE(start_sheets(painter, layout, nullptr));
        int sheet = 0, sheets = 0;
        const PrintRun r = print_sheets(
            doc, painter, layout, job, HeaderTitles{}, [&](int s) { sheet = s; return true; },
            [&](int page, int, std::uint32_t) { seen.push_back({sheet, page}); return true; }, &sheets);
        if (result) *result = r;
        return seen;
    }
    PrintJob resolve(const PrintRange& range, bool marked = false, TextPos a = {}, TextPos b = {}) {
        PrintJob job;
        EXPECT_EQ(resolve_print_range(doc, layout, range, marked, a, b, &job), RangeResult::OK);
        return job;
    }
};

using Seq = std::vector<std::pair<int, int>>;

TEST(SheetSequence, WholeDocumentWithAndWithoutFukuroToji) {
    SmallJob one(false);
    EXPECT_EQ(one.run(one.resolve(PrintRange{})), (Seq{{1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}}));
    SmallJob two(true);
    PrintJob job = two.resolve(PrintRange{});
    EXPECT_EQ(job.last_sheet, 3);
    EXPECT_EQ(two.run(job), (Seq{{1, 1}, {1, 2}, {2, 3}, {2, 4}, {3, 5}}));
    int sheets = 0;
    TextPos end(23, 0);
    EXPECT_TRUE(count_pages(two.doc, two.layout, COUNT_FIND_SHEET, &sheets, &end));
    EXPECT_EQ(sheets, 3);
}

TEST(SheetSequence, PageRangesAreSheetsAndEveryRequestedSheetPrints) {
    SmallJob two(true);
    PrintRange r;
    r.mode = RANGE_PAGES;
    r.start = 2;
    r.end = 2;
    EXPECT_EQ(two.run(two.resolve(r)), (Seq{{2, 3}, {2, 4}}));
    r.end = 9;
    EXPECT_EQ(two.run(two.resolve(r)), (Seq{{2, 3}, {2, 4}, {3, 5}}));
    r.first_page_number = 10;
    EXPECT_EQ(two.run(two.resolve(r)), (Seq{{2, 10}, {2, 11}, {3, 12}}));
    r.start = 4;
    PrintJob job;
    EXPECT_EQ(resolve_print_range(two.doc, two.layout, r, false, {}, {}, &job), RangeResult::START_PAGE_TOO_LARGE);
    EXPECT_EQ(test::sj("印刷開始頁が大き過ぎます｡"), range_message(RangeResult::START_PAGE_TOO_LARGE));

    SmallJob one(false);
    r.first_page_number = 0;
    r.start = 3;
    r.end = 4;
    EXPECT_EQ(one.run(one.resolve(r)), (Seq{{3, 3}, {4, 4}}));
}

TEST(SheetSequence, LineRangesAndMarkedRanges) {
    SmallJob two(true);
    PrintRange r;
    r.mode = RANGE_LINES;
    r.start = 11;   // line 10: the first half of sheet 2
    r.end = 14;
    EXPECT_EQ(two.run(two.resolve(r)), (Seq{{2, 3}}));
    r.start = 24;   // one past the last line: the last line's page
    r.end = 30;
    PrintJob job = two.resolve(r);
    EXPECT_EQ(job.start.line(), 22u);
    r.start = 25;
    EXPECT_EQ(resolve_print_range(two.doc, two.layout, r, false, {}, {}, &job), RangeResult::START_LINE_TOO_LARGE);

    // A marked range numbers from 1 and stops at the sheet its end is on.
    job = two.resolve(PrintRange{}, true, TextPos(7, 0), TextPos(13, 0));
    EXPECT_EQ(two.run(job), (Seq{{1, 1}, {1, 2}}));
    PrintRange numbered;
    numbered.first_page_number = 5;
    job = two.resolve(numbered, true, TextPos(7, 0), TextPos(9, 0));
    EXPECT_EQ(two.run(job), (Seq{{1, 5}}));
}

TEST(SheetSequence, AnIndexPageBreakEndsOnlyTheCurrentHalf) {
    SmallJob two(true, 12);
    two.layout.format.index_flags = 1;
    two.layout.index.page_break_before = [](std::uint32_t line) { return line == 2 || line == 0; };
    HalfPlan h = plan_half(two.doc, two.layout, TextPos(0, 0));
    EXPECT_TRUE(h.page_break);
    EXPECT_EQ(h.tiers.at(0).lines, 2);
    EXPECT_EQ(h.next, TextPos(2, 0));
    // The half that begins with the break line is not stopped by it.
    h = plan_half(two.doc, two.layout, h.next);
    EXPECT_FALSE(h.page_break);
    EXPECT_EQ(h.next, TextPos(7, 0));
    EXPECT_EQ(two.run(two.resolve(PrintRange{})), (Seq{{1, 1}, {1, 2}, {2, 3}}));
}

TEST(SheetSequence, CountingAlwaysEnds) {
    SmallJob two(true, 1);
    int sheet = 7;
    TextPos pos;
    EXPECT_FALSE(count_pages(two.doc, two.layout, COUNT_FIND_START, &sheet, &pos));
    two.layout.format.index_flags = 1;
    two.layout.index.page_break_before = [](std::uint32_t) { return true; };
    SmallJob many(true, 9);
    many.layout.format.index_flags = 1;
    many.layout.index.page_break_before = [](std::uint32_t) { return true; };
    TextPos end(9, 0);
    EXPECT_TRUE(count_pages(many.doc, many.layout, COUNT_FIND_SHEET, &sheet, &end));
    EXPECT_EQ(sheet, 5);   // one line a half
}

PrintLayout header_layout(bool fukuro, bool vertical_header, int v_permille, int h_permille) {
    PrintLayout l;
    l.page = PrintPage{1000, 2000, 720, 720};
    l.halves = fukuro ? 2 : 1;
    PrintFormat& f = l.format;
    f.screen.vertical = true;
    f.screen.two_pages_per_sheet = fukuro;
    f.font.face = sj("@IPAex明朝");
    f.font.height = -20;
    f.header_font.face = vertical_header ? sj("@IPAex明朝") : sj("IPAex明朝");
    f.header_font.height = -13;
    f.header_font_size = 20;   // 20 px at 720 dpi
    f.header_offset_v_permille = v_permille;
    f.header_offset_h_permille = h_permille;
    f.flags = PRINT_PAGE_NUMBERS;
    return l;
}

TEST(PageHeader, PointsOfTheEightCodesByFontDirectionAndHalf) {
    // fh = 20, tw = 20 for one full-width digit; xL = 50 (- 20 for a
    // horizontal font), xR = 1000 - 50 + 20, yT = 80 - 20, yB = 2000 - 60 - 20.
    struct Case {
        bool vertical;
        int code, half, x, y;
    };
    const Case cases[] = {
        {false, 0, 0, 530, 60},  {false, 1, 0, 530, 1920}, {false, 2, 0, 950, 60},  {false, 3, 1, 450, 1920},
        {false, 6, 0, 740, 60},  {false, 5, 1, 240, 1920}, {false, 7, 0, 740, 60},  {false, 4, 1, 240, 1920},
        {true, 0, 0, 550, 60},   {true, 1, 0, 550, 1900},  {true, 2, 1, 470, 60},   {true, 3, 1, 470, 1900},
        {true, 7, 0, 970, 990},  {true, 4, 1, 50, 990},    {true, 6, 0, 970, 990},  {true, 5, 1, 50, 990},
    };
    for (const Case& c : cases) {
        PrintLayout l = header_layout(true, c.vertical, 40, 50);
        l.format.page_number_position = c.code;
        const PageHeaderLayout h = layout_page_header(l, HeaderTitles{}, 1, TextPos(), c.half);
        EXPECT_TRUE(h.shown[0]);
        EXPECT_EQ(h.x[0], c.x) << c.vertical << " code " << c.code << " half " << c.half;
        EXPECT_EQ(h.y[0], c.y) << c.vertical << " code " << c.code << " half " << c.half;
    }
    // Without 袋とじ the whole width is the page.
    PrintLayout l = header_layout(false, false, 40, 50);
    EXPECT_EQ(layout_page_header(l, HeaderTitles{}, 1, TextPos(), 0).x[0], 30);
    // The swap option exchanges the sides on the second half only.
    l = header_layout(true, false, 40, 50);
    l.format.flags |= PRINT_SWAP_ON_SECOND;
    EXPECT_EQ(layout_page_header(l, HeaderTitles{}, 1, TextPos(), 1).x[0], 450);
    EXPECT_EQ(layout_page_header(l, HeaderTitles{}, 1, TextPos(), 0).x[0], 530);
}

TEST(PageHeader, TextsNumbersAndJoinedTitles) {
    EXPECT_EQ(page_number_text(12, false), sj("１２"));
    EXPECT_EQ(page_number_text(7, true), sj("［７］"));
    PrintLayout l = header_layout(false, false, 40, 50);
    l.format.flags = PRINT_PAGE_NUMBERS | (2 << 1);
    HeaderTitles titles;
    titles.print_title = sj("羅生門");
    l.format.page_number_position = l.format.title_position = 2;
    PageHeaderLayout h = layout_page_header(l, titles, 3, TextPos(), 0);
    EXPECT_EQ(h.text[0], sj("３　羅生門"));
    EXPECT_FALSE(h.shown[1]);
    l.format.flags |= PRINT_NUMBER_AFTER_TITLE;
    EXPECT_EQ(layout_page_header(l, titles, 3, TextPos(), 0).text[0], sj("羅生門　３"));
    l.format.title_position = 0;
    h = layout_page_header(l, titles, 3, TextPos(), 0);
    EXPECT_EQ(h.text[0], sj("３"));
    EXPECT_EQ(h.text[1], sj("羅生門"));
    // A title longer than its field is cut on a character boundary.
    titles.print_title = std::string(39, 'a') + sj("門");
    EXPECT_EQ(layout_page_header(l, titles, 3, TextPos(), 0).text[1], std::string(39, 'a'));
}

TEST(PrintPacing, WaitsHalveEveryTenChangesAndStopAtNinety) {
    PrintPacer pacer;
    unsigned total = 0, first = 0, last = 1;
    for (int column = 1; column <= 120; ++column) {
        const unsigned wait = pacer.update(column);
        EXPECT_EQ(pacer.update(column), 0u);   // the same value again: no change
        if (column == 1) first = wait;
        if (column == 120) last = wait;
        total += wait;
    }
    EXPECT_EQ(first, 256u);
    EXPECT_EQ(last, 0u);
    EXPECT_EQ(total, 4854u);
}

// The cells a sheet draws: their x, y, and the rest of the record.
struct DrawnCell {
    int x = 0, y = 0;
    std::string rest;
};
std::vector<DrawnCell> drawn_cells(const RecordingSurface& paper) {
    std::vector<DrawnCell> out;
    for (const std::string& line : paper.lines_starting("cell ")) {
        int f = 0, x = 0, y = 0, n = 0;
        unsigned code = 0;
        char mode[16] = {};
        if (std::sscanf(line.c_str(), "cell %d %X %15s %d,%d,%n", &f, &code, mode, &x, &y, &n) < 5) continue;
        out.push_back({x, y, std::to_string(f) + " " + std::to_string(code) + " " + mode + " " + line.substr(n)});
    }
    return out;
}

// Two sheets of five columns, a ruby and long lines that wrap.
RecordingSurface two_sheets(bool fukuro, const std::function<void(PrintFormat&)>& change) {
    Document doc;
    std::vector<std::string> text;
    for (int i = 0; i < 12; ++i)
        text.push_back(sj("吾輩は") + test::ruby("わがはい", 2) + sj("猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。"));
    test::build(doc, text);
    doc.rules = test::rules(20, 1);
    PrintFormat f = a4_format(fukuro, 1, 0);
    f.screen.columns_per_page = 5;
    f.grid_style = 3;
    f.flags = PRINT_PAGE_NUMBERS;
    change(f);
    PrintLayout layout = layout_of(f, page_for_paper(9, 600, 600));
    PrintScope scope(doc, layout.rules);
    RecordingSurface paper(layout.page.width, layout.page.height, "paper");
    SheetPainter painter;
    EXPECT_TRUE(start_sheets(painter, layout, &paper));
    PrintJob job;
    EXPECT_EQ(resolve_print_range(doc, layout, PrintRange{}, false, {}, {}, &job), RangeResult::OK);
    int sheets = 0;
    EXPECT_EQ(print_sheets(doc, painter, layout, job, HeaderTitles{}, [](int s) { return s <= 2; }, nullptr, &sheets),
              PrintRun::DEVICE_FAILED);
    return paper;
}

RecordingSurface adjusted_sheets(bool adjust, int interval, int dx, int dy, bool fukuro) {
    return two_sheets(fukuro, [&](PrintFormat& f) {
        f.position_adjust = adjust;
        f.adjust_column_interval = interval;
        f.adjust_column_offset = dx;
        f.adjust_char_offset = dy;
    });
}

TEST(SheetColours, TextGridAndHeaderTakeTheirOwnColours) {
    const RecordingSurface paper = two_sheets(true, [](PrintFormat& f) {
        f.text_colour = 0x0000FF;     // COLORREF: red
        f.grid_colour = 0xFF0000;     // blue
        f.header_colour = 0x008000;   // green
    });
    int text = 0, ruby = 0, header = 0;
    for (const DrawnCell& c : drawn_cells(paper)) {
        const std::string colour = c.rest.substr(c.rest.size() - 7);
        const char font = c.rest[0];
        (font == '0' ? text : font == '1' ? ruby : header) += 1;
        EXPECT_EQ(colour, font == '2' ? "#008000" : "#FF0000") << c.rest;
    }
    EXPECT_GT(text, 0);
    EXPECT_GT(ruby, 0);
    EXPECT_EQ(header, 4);   // one digit on each of four halves
    const std::vector<std::string> rules = paper.lines_starting("line ");
    ASSERT_FALSE(rules.empty());
    for (const std::string& l : rules) EXPECT_EQ(l.substr(l.size() - 7), "#0000FF") << l;
}

TEST(PositionAdjust, TheTextMovesEveryIntervalOfColumnsAndStartsAnewOnEachSheet) {
    const RecordingSurface plain = adjusted_sheets(false, 2, 3, -2, false);
    // Adjustment on with no offsets draws exactly what a whole-tier pass draws.
    EXPECT_EQ(adjusted_sheets(true, 2, 0, 0, false).dump(), plain.dump());

    const RecordingSurface moved = adjusted_sheets(true, 2, 3, -2, false);
    EXPECT_EQ(moved.lines_starting("line "), plain.lines_starting("line "));   // the grid stays
    const std::vector<DrawnCell> a = drawn_cells(plain), b = drawn_cells(moved);
    ASSERT_EQ(a.size(), b.size());
    ASSERT_FALSE(a.empty());
    // Five columns stand trunc(4464 / 4.5) = 992 pixels apart from the
    // right; the page number (the mark font) stays where it was.
    const int right = a.front().x;
    int sheet = 0, last_column = -1, steps = 0, rubies = 0;
    bool seen_shift = false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].rest, b[i].rest) << i;
        if (a[i].rest[0] == '2') {
            EXPECT_EQ(b[i].x, a[i].x) << i;
            EXPECT_EQ(b[i].y, a[i].y) << i;
            continue;
        }
        if (a[i].rest[0] == '1') {   // a ruby moves with the column drawn before it
            ++rubies;
            EXPECT_EQ(b[i].x - a[i].x, 3 * steps) << i;
            EXPECT_EQ(b[i].y - a[i].y, -2 * steps) << i;
            continue;
        }
        const int column = (right - a[i].x + 496) / 992;
        if (column < last_column) ++sheet;
        last_column = column;
        steps = (column + 1) / 2;
        EXPECT_EQ(b[i].x - a[i].x, 3 * steps) << "sheet " << sheet << " column " << column;
        EXPECT_EQ(b[i].y - a[i].y, -2 * steps) << "sheet " << sheet << " column " << column;
        seen_shift = seen_shift || steps == 2;
    }
    EXPECT_EQ(sheet, 1);   // both sheets were drawn, the second from 0 again
    EXPECT_TRUE(seen_shift);
    EXPECT_GT(rubies, 0);
}

TEST(PositionAdjust, TheCountRunsOnIntoTheSecondHalf) {
    const std::vector<DrawnCell> a = drawn_cells(adjusted_sheets(false, 1, 0, 0, true));
    const std::vector<DrawnCell> b = drawn_cells(adjusted_sheets(true, 5, 7, 1, true));
    ASSERT_EQ(a.size(), b.size());
    // Five columns a half: the first half's last column moves by 7, the
    // second half's columns by 7 until its last, which moves by 14.
    int max_dx = 0;
    for (std::size_t i = 0; i < a.size(); ++i) max_dx = std::max(max_dx, b[i].x - a[i].x);
    EXPECT_EQ(max_dx, 14);
    EXPECT_EQ(b.front().x - a.front().x, 0);
    EXPECT_EQ(b.back().x - a.back().x, 0);   // the page number of the second half stays
}

TEST(SheetMarks, LineMarkDigitsPrintPlainlyOnTheirColumn) {
    SmallJob one(false);
    one.layout.format.flags = 0;   // no page number: every mark-font cell is a line mark
    one.doc.lines.set_marks(1, 0x05);   // marks 1 and 3
    RecordingSurface paper(one.layout.page.width, one.layout.page.height, "paper");
    SheetPainter painter;
    ASSERT_TRUE(start_sheets(painter, one.layout, &paper));
    const PrintJob job = one.resolve(PrintRange{});
    draw_sheet(one.doc, painter, one.layout, job, HeaderTitles{}, 1, job.start, nullptr);
    std::vector<std::string> digits;
    for (const DrawnCell& c : drawn_cells(paper))
        if (c.rest[0] == '2') digits.push_back(c.rest.substr(0, c.rest.find(' ', 2)));
    EXPECT_EQ(digits, (std::vector<std::string>{"2 33360", "2 33362"}));   // "１" and "３"
    EXPECT_TRUE(paper.lines_starting("invert ").empty());   // a printer cannot invert: the preview must not either
}

TEST(PrintRunState, ACancelBetweenTiersLeavesTheDocumentAsItWas) {
    Document doc;
    std::vector<std::string> text;
    for (int i = 0; i < 30; ++i) text.push_back(sj("吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。"));
    test::build(doc, text);
    doc.rules = test::rules(20, 1);
    recount_display_lines(doc, TextPos());
    std::vector<std::uint32_t> counts;
    for (std::uint32_t l = 0; l < doc.lines.count(); ++l) counts.push_back(doc.lines.display_lines(l));

    PrintFormat f = a4_format(true, 2, 1);
    f.screen.chars_per_column = 10;   // the print wraps otherwise than the screen
    f.wrap_chars = 10;
    PrintLayout layout = layout_of(f, page_for_paper(9, 600, 600));
    RecordingSurface paper(layout.page.width, layout.page.height, "paper");
    int tiers = 0, sheets = 0;
    PrintRun run;
    {
        PrintScope scope(doc, layout.rules);
        EXPECT_EQ(doc.rules.chars_per_column, 10u);
        SheetPainter painter;
        ASSERT_TRUE(start_sheets(painter, layout, &paper));
        PrintJob job;
        ASSERT_EQ(resolve_print_range(doc, layout, PrintRange{}, false, {}, {}, &job), RangeResult::OK);
        run = print_sheets(doc, painter, layout, job, HeaderTitles{}, [](int) { return true; },
                           [&](int, int, std::uint32_t) { return ++tiers < 2; }, &sheets);
    }
    EXPECT_EQ(run, PrintRun::CANCELLED);
    EXPECT_EQ(sheets, 1);
    EXPECT_FALSE(paper.lines_starting("cell ").empty());   // the first tier was drawn
    EXPECT_EQ(doc.rules.chars_per_column, 20u);
    for (std::uint32_t l = 0; l < doc.lines.count(); ++l) EXPECT_EQ(doc.lines.display_lines(l), counts[l]) << l;
}

TEST(PrintRunState, TheCellMapIsSizedFromThePrintGeometry) {
    // A hundred columns of a hundred characters in four tiers: far more
    // than any screen holds.
    Document doc;
    std::vector<std::string> text;
    std::string line;
    for (int i = 0; i < 250; ++i) line += sj("あ");
    for (int i = 0; i < 300; ++i) text.push_back(line);
    test::build(doc, text);
    PrintFormat f = a4_format(false, 4, 3);
    f.screen.columns_per_page = 100;
    f.screen.chars_per_column = 100;
    f.wrap_chars = 100;
    PrintLayout layout = layout_of(f, page_for_paper(8, 600, 600));
    PrintScope scope(doc, layout.rules);
    RecordingSurface paper(layout.page.width, layout.page.height, "paper");
    SheetPainter painter;
    ASSERT_TRUE(start_sheets(painter, layout, &paper));
    EXPECT_EQ(painter.screen.cells.lines(), 400);
    EXPECT_GE(painter.screen.cells.cells(), 101);
    PrintJob job;
    ASSERT_EQ(resolve_print_range(doc, layout, PrintRange{}, false, {}, {}, &job), RangeResult::OK);
    const SheetResult r = draw_sheet(doc, painter, layout, job, HeaderTitles{}, 1, job.start, nullptr);
    EXPECT_FALSE(r.ended);
    EXPECT_EQ(r.next, TextPos(133, 200));        // 400 display lines, three to a line of 250 cells
    EXPECT_EQ(painter.screen.cells.used(399), 100);
}

TEST(PrintRunState, ARefusedPageIsAFailureNotSuccess) {
    SmallJob two(true);
    SheetPainter painter;
    ASSERT_TRUE(start_sheets(painter, two.layout, nullptr));
    int sheets = 0;
    const PrintRun run = print_sheets(two.doc, painter, two.layout, two.resolve(PrintRange{}), HeaderTitles{},
                                      [](int s) { return s < 2; }, nullptr, &sheets);
    EXPECT_EQ(run, PrintRun::DEVICE_FAILED);
    EXPECT_EQ(sheets, 1);
}

}  // namespace
}  // namespace rix
