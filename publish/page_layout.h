// Page composition: the print geometry of a print format on a page, the
// print range in sheets, the walk of sheets, halves (袋とじ) and tiers that
// counting, printing and the preview share, the page header, and the sheet
// drawn onto any Surface by the same layout code as the screen.
//
// Sheets and pages. A sheet is one side of paper; with 袋とじ it holds two
// halves, each a page of its own with its own number and header. Ranges are
// kept in sheets everywhere; half h of sheet s carries page number
// (s - 1) × halves + h + 1, or, when a first page number is set, that number
// on the first half printed and one more on each half after it.
//
// Composition works on its own Screen (sized from the print geometry, up to
// 100 columns × 4 tiers), never on the window's. While it runs the document
// wraps at the print format's width; PrintScope puts the document's wrap
// rules and display-line counts back on every way out.
//
// The document must be fully loaded before a range is resolved (the print
// command and the batch load the rest first).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "display/render.h"
#include "document/document.h"
#include "publish/print_format.h"

namespace rix {

constexpr std::uint32_t NO_END_LINE = 0xFFFF;

// The printable area of the device, in device pixels.
struct PrintPage {
    int width = 0, height = 0;     // W × H
    int dpi_x = 600, dpi_y = 600;
    int res() const { return dpi_x < dpi_y ? dpi_x : dpi_y; }
};
// The page of a stored paper code at the given resolution: W = trunc(width
// mm × dpi / 25.4), landscape exchanging the two sides.
PrintPage page_for_paper(std::uint8_t paper, int dpi_x, int dpi_y);

// What composition asks of the structure index: whether a page starts
// before a line, and the title an entry gives a page starting on a line.
struct IndexHooks {
    std::function<bool(std::uint32_t line)> page_break_before;
    std::function<std::string(std::uint32_t line)> title_for;
};

// The composition of one print format on one page.
struct PrintLayout {
    PrintFormat format;
    PrintPage page;
    DisplayGeometry geo;           // the print geometry (page offsets 0)
    RenderFormat render;           // drawing values: print, no marks
    WrapRules rules;               // the wrap rules of the run: width = the folded column
    int halves = 1;
    int fukuro_offset_px = 0;      // shift of the second half
    IndexHooks index;
};

// The hooks of a document's structure index: a page starts before a line
// that holds an entry with the page-break flag (level byte bit 3), and the
// title a page starting on line L takes is that entry's on L, or the title
// of the last entry before L when that entry starts pages.
IndexHooks index_hooks_for(const std::vector<IndexEntry>& index);

// Builds the layout; false when the format fails check_print_format or the
// page is too small to lay out.
bool make_print_layout(const PrintFormat& format, const PrintRange& range, const PrintPage& page,
                       PrintLayout* out);

// While alive, the document wraps by the layout's rules; the old rules and
// display-line counts come back when it ends, whatever way it ends.
class PrintScope {
public:
    PrintScope(Document& doc, const WrapRules& rules);
    ~PrintScope();
    PrintScope(const PrintScope&) = delete;
    PrintScope& operator=(const PrintScope&) = delete;

private:
    Document& doc_;
    WrapRules saved_;
    bool changed_ = false;
};

// One tier of a half: `lines` display lines from `start` (0 when a page
// break stopped the half before the tier's first line).
struct TierPlan {
    TextPos start;
    int lines = 0;
};

// One half: its tiers, where the next half starts, and why it ended.
struct HalfPlan {
    std::vector<TierPlan> tiers;
    TextPos next;
    bool text_ended = false;       // the last display line of the text is on this half
    bool page_break = false;       // an index entry ended the half early
    TextPos last_tier_start() const { return tiers.empty() ? next : tiers.back().start; }
};

// Lays out one half from `start` without drawing.
HalfPlan plan_half(Document& doc, const PrintLayout& layout, TextPos start);

// ---- ranges (in sheets) ----

struct PrintJob {
    TextPos start;                 // the first sheet's start
    std::uint32_t end_line = NO_END_LINE;   // lines mode: stop once a half reaches this line
    int first_sheet = 1;
    int last_sheet = 1;
    int mode = RANGE_ALL;
    bool marked = false;           // a marked range: [start, mark_end)
    TextPos mark_end;
    int first_page_number = 0;     // 0: real numbers
};

enum : int { COUNT_FIND_START = 0, COUNT_FIND_SHEET = 1, COUNT_FIND_SHEET_AND_START = 2 };

// Mode 0: the start of sheet *sheet. Modes 1 and 2: the number of the sheet
// whose end lies at or beyond *pos (mode 2 also gives its start in *pos).
// Returns false when the text ends first. Always ends: every half moves on.
bool count_pages(Document& doc, const PrintLayout& layout, int mode, int* sheet, TextPos* pos);

enum class RangeResult : std::uint8_t { OK, START_LINE_TOO_LARGE, START_PAGE_TOO_LARGE };
// The job of the range fields, or of a marked range [mark_start, mark_end)
// when `marked`.
RangeResult resolve_print_range(Document& doc, const PrintLayout& layout, const PrintRange& range, bool marked,
                                TextPos mark_start, TextPos mark_end, PrintJob* job);
// "印刷開始行が大き過ぎます｡" / "印刷開始頁が大き過ぎます｡", code page 932.
std::string range_message(RangeResult r);

// The page number printed on half h of sheet `sheet` of the job.
int page_number(const PrintJob& job, const PrintLayout& layout, int sheet, int half);

// ---- the page header ----

struct PageHeaderLayout {
    std::string text[2];           // slot 0 the page number (or number and title), slot 1 the title
    int x[2] = {0, 0}, y[2] = {0, 0};
    bool shown[2] = {false, false};
    bool vertical = false;         // the header font is vertical: text runs down from the point
    int font_px = 1;               // fh
};

struct HeaderTitles {
    std::string document_title;    // up to 24 bytes
    std::string print_title;       // up to 40 bytes
};

// The page number text: "%d" or "[%d]" in full-width characters.
std::string page_number_text(int number, bool brackets);
// Texts and points of the header of one page (half h), at the layout's page.
PageHeaderLayout layout_page_header(const PrintLayout& layout, const HeaderTitles& titles, int number,
                                    TextPos pos, int half);
// Draws the header on the surface in the header font (the surface's mark
// slot holds it while drawing; the caller's fonts are set again after).
void draw_page_header(Surface& surface, const PrintLayout& layout, const PageHeaderLayout& header);

// ---- drawing a sheet ----

// The state of drawing one job: the Screen of the print geometry.
struct SheetPainter {
    Screen screen;
};

// Prepares the screen on `surface` with the print fonts; false when the
// text font cannot be made.
bool start_sheets(SheetPainter& painter, const PrintLayout& layout, Surface* surface);

struct SheetResult {
    TextPos next;                  // where the next sheet starts
    bool ended = false;            // the job is done after this sheet
    bool cancelled = false;
    int halves_drawn = 0;
};

// Print position adjustment (文字位置補整), for printers whose feed drifts:
// every `adjust_column_interval` columns started on a sheet, the text of the
// sheet moves on by `adjust_column_offset` pixels across the page (x) and
// `adjust_char_offset` down it (y), adding up; the column that completes an
// interval is drawn with the new shift. Only the text moves: the grid and
// the header stay where the geometry puts them. A new sheet starts at 0.
struct PositionAdjust {
    int columns = 0;               // columns started since the shift last grew
    int dx = 0, dy = 0;            // the shift now, device pixels
    void start_column(const PrintFormat& f);
};

// Called before each tier: (page number, tier 1..4, line, column count of
// the job); returns false to cancel (the sheet is left as it is).
using TierProgress = std::function<bool(int page, int tier, std::uint32_t line)>;

// Draws sheet `sheet` of the job from `pos`: each half's tiers, grid and
// header.
SheetResult draw_sheet(Document& doc, SheetPainter& painter, const PrintLayout& layout, const PrintJob& job,
                       const HeaderTitles& titles, int sheet, TextPos pos, const TierProgress& progress);

// Whether the job is done after a half (the page range is the sheet loop's).
bool job_done(const PrintJob& job, const HalfPlan& half);

enum class PrintRun : std::uint8_t { DONE, CANCELLED, DEVICE_FAILED };

// The sheet loop: for each sheet of the job, start_page(sheet) (false: the
// device refused the page), then draw_sheet. `sheets` counts the sheets
// drawn. The document end and the job's range end it; so does the bound of
// the job's last sheet, so that it never runs on.
PrintRun print_sheets(Document& doc, SheetPainter& painter, const PrintLayout& layout, const PrintJob& job,
                      const HeaderTitles& titles, const std::function<bool(int sheet)>& start_page,
                      const TierProgress& progress, int* sheets);

// The pacing of the progress window: each change of the column counter
// waits, 256 ms for the first nine, the wait halved at every tenth change,
// none from the ninetieth on.
class PrintPacer {
public:
    // The wait (ms) for an update showing `column`; 0 when it did not change.
    unsigned update(int column);

private:
    int shown_column_ = -1;
    int changes_ = 0;
    unsigned delay_ = 256;
};

}  // namespace rix
