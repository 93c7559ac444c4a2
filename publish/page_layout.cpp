// Page composition: geometry, the sheet walk, ranges and numbering.
// The header and the drawing of a sheet are in page_draw.cpp.
#include "publish/page_layout.h"

#include <algorithm>
#include <iterator>
#include <memory>

#include "display/geometry.h"
#include "document/display_lines.h"
#include "platform/codec.h"

namespace rix {

PrintPage page_for_paper(std::uint8_t paper, int dpi_x, int dpi_y) {
    const PaperSize size = paper_size(paper);
    int w_mm = size.width_mm, h_mm = size.height_mm;
    if (paper_landscape(paper)) std::swap(w_mm, h_mm);
    PrintPage page;
    page.dpi_x = dpi_x;
    page.dpi_y = dpi_y;
    page.width = static_cast<int>(w_mm * dpi_x / 25.4);
    page.height = static_cast<int>(h_mm * dpi_y / 25.4);
    return page;
}

IndexHooks index_hooks_for(const std::vector<IndexEntry>& index) {
    IndexHooks hooks;
    if (index.empty()) return hooks;
    auto entries = std::make_shared<const std::vector<IndexEntry>>(index);
    constexpr std::uint8_t PAGE_BREAK = 0x08;
    hooks.page_break_before = [entries](std::uint32_t line) {
        return std::any_of(entries->begin(), entries->end(),
                           [line](const IndexEntry& e) { return e.line == line && (e.level & PAGE_BREAK); });
    };
    hooks.title_for = [entries](std::uint32_t line) -> std::string {
        const auto at = std::find_if(entries->begin(), entries->end(), [line](const IndexEntry& e) { return e.line >= line; });
        if (at != entries->end() && at->line == line) return (at->level & PAGE_BREAK) ? at->title : std::string();
        if (at == entries->begin()) return {};
        const IndexEntry& before = *std::prev(at);
        return (before.level & PAGE_BREAK) ? before.title : std::string();
    };
    return hooks;
}

bool make_print_layout(const PrintFormat& format, const PrintRange& range, const PrintPage& page,
                       PrintLayout* out) {
    if (!check_print_format(format, range).ok()) return false;
    PrintLayout l;
    l.format = format;
    l.page = page;
    l.halves = format.halves();
    const FontRequest font = print_text_font(format, page.res());
    FontMetrics metrics;
    metrics.valid = true;
    metrics.pixel_height = font.pixel_height;
    metrics.cell_h = font.pixel_height;
    metrics.cell_w = font.pixel_width > 0 ? font.pixel_width : font.pixel_height;
    ScreenFormat sf = format.screen;
    sf.print = true;
    sf.margins_in_permille = true;   // the record's margins were migrated by the screen's geometry step
    sf.fold_length = format.wrap_enabled ? format.wrap_chars : 0;
    ScreenFormatChanges changes;
    if (!recompute_geometry(sf, page.width, page.height, metrics, DisplayGeometry{}, &l.geo, &changes)) return false;
    l.fukuro_offset_px = l.halves == 2
        ? format.fukuro_offset_permille * (format.screen.vertical ? page.width : page.height) / 1000 : 0;
    l.render.grid_style = format.grid_style;
    l.render.halfwidth_display = format.halfwidth_display;
    l.render.mark_flags = 0;
    l.render.text_colour = format.text_colour;
    l.render.grid_colour = format.grid_colour;
    l.render.font = font;
    l.render.font_record_px = font.pixel_height;
    l.render.cell_offset = format.screen.cell_offset_percent;
    l.render.print = true;
    l.rules = format.rules;
    // The wrap width is the folded column, never longer than the grid's, never 0.
    l.rules.chars_per_column = static_cast<std::uint32_t>(std::clamp(l.geo.chars, 1, std::max(l.geo.grid_chars, 1)));
    *out = std::move(l);
    return true;
}

namespace {

bool same_rules(const WrapRules& a, const WrapRules& b) {
    return a.chars_per_column == b.chars_per_column && a.kinsoku_mode == b.kinsoku_mode &&
           a.small_kana_kinsoku == b.small_kana_kinsoku && a.line_start_prohibited == b.line_start_prohibited &&
           a.line_end_prohibited == b.line_end_prohibited;
}

}  // namespace

PrintScope::PrintScope(Document& doc, const WrapRules& rules) : doc_(doc), saved_(doc.rules) {
    if (same_rules(rules, doc.rules)) return;
    changed_ = true;
    doc.rules = rules;
    recount_display_lines(doc, TextPos());
}

PrintScope::~PrintScope() {
    if (!changed_) return;
    doc_.rules = saved_;
    recount_display_lines(doc_, TextPos());
}

namespace {

bool breaks_before(const PrintLayout& layout, std::uint32_t line) {
    return (layout.format.index_flags & 1) && layout.index.page_break_before && layout.index.page_break_before(line);
}

// One tier from `pos` of at most `columns` display lines. A logical line
// whose start the index marks as a page start stops the tier before it,
// unless the half begins with it.
TierPlan plan_tier(Document& doc, const PrintLayout& layout, TextPos pos, TextPos half_start, int columns,
                   HalfPlan* half) {
    TierPlan tier{pos, 0};
    TextPos cur = pos;
    int remaining = columns;
    while (remaining > 0) {
        if (cur.column() == 0 && cur != half_start && breaks_before(layout, cur.line())) {
            half->page_break = true;
            break;
        }
        const std::uint32_t here = display_lines_from(doc, cur);
        const bool last_line = cur.line() + 1 >= doc.lines.count();
        if (static_cast<int>(here) > remaining || (static_cast<int>(here) == remaining && !last_line)) {
            const DisplayMove m = display_lines_forward(doc, cur, static_cast<std::uint32_t>(remaining));
            cur = m.pos;
            remaining = 0;
            break;
        }
        remaining -= static_cast<int>(here);
        if (last_line) {
            half->text_ended = true;
            cur = TextPos(cur.line() + 1, 0);
            break;
        }
        cur = TextPos(cur.line() + 1, 0);
    }
    tier.lines = columns - remaining;
    half->next = cur;
    return tier;
}

}  // namespace

HalfPlan plan_half(Document& doc, const PrintLayout& layout, TextPos start) {
    HalfPlan half;
    half.next = start;
    if (start.line() >= doc.lines.count()) {
        half.text_ended = true;
        return half;
    }
    const int columns = std::max(layout.geo.columns, 1);
    TextPos pos = start;
    for (int t = 0; t < layout.geo.tiers; ++t) {
        half.tiers.push_back(plan_tier(doc, layout, pos, start, columns, &half));
        pos = half.next;
        if (half.text_ended || half.page_break) break;
    }
    // A half always moves on: the break of a later line cannot stop it empty.
    if (half.next == start && !half.text_ended) half.text_ended = true;
    return half;
}

bool job_done(const PrintJob& job, const HalfPlan& half) {
    if (half.text_ended) return true;
    if (job.marked) return half.next >= job.mark_end;
    switch (job.mode) {
        case RANGE_LINES: return half.next.line() >= job.end_line;
        default: return false;   // pages: the sheet loop stops after the last sheet
    }
}

bool count_pages(Document& doc, const PrintLayout& layout, int mode, int* sheet, TextPos* pos) {
    TextPos at;
    // Every half moves on by a display line at least, so the walk is bounded
    // by the document's display lines; the bound guards against a rule
    // change under it.
    const std::uint64_t bound = doc.lines.total_display_lines() + 2;
    for (std::uint64_t s = 1; s <= bound; ++s) {
        const TextPos sheet_start = at;
        if (mode == COUNT_FIND_START && static_cast<int>(s) == *sheet) {
            *pos = sheet_start;
            return sheet_start.line() < doc.lines.count();
        }
        bool ended = false;
        for (int h = 0; h < layout.halves && !ended; ++h) {
            const HalfPlan half = plan_half(doc, layout, at);
            at = half.next;
            ended = half.text_ended;
        }
        if (mode != COUNT_FIND_START && (ended || at > *pos)) {
            *sheet = static_cast<int>(s);
            if (mode == COUNT_FIND_SHEET_AND_START) *pos = sheet_start;
            return true;
        }
        if (ended) return false;
    }
    return false;
}

RangeResult resolve_print_range(Document& doc, const PrintLayout& layout, const PrintRange& range, bool marked,
                                TextPos mark_start, TextPos mark_end, PrintJob* job) {
    PrintJob j;
    j.first_page_number = range.first_page_number;
    if (marked) {
        j.marked = true;
        j.mark_end = mark_end;
        TextPos p = mark_start;
        count_pages(doc, layout, COUNT_FIND_SHEET, &j.first_sheet, &p);
        j.start = mark_start;
        TextPos e = mark_end;
        count_pages(doc, layout, COUNT_FIND_SHEET, &j.last_sheet, &e);
        *job = j;
        return RangeResult::OK;
    }
    j.mode = range.mode;
    const std::uint32_t lines = doc.lines.count();
    TextPos end_of_text(lines, 0);
    if (range.mode == RANGE_LINES) {
        const std::uint32_t s = static_cast<std::uint32_t>(std::max(range.start, 1));
        if (s > lines + 1) return RangeResult::START_LINE_TOO_LARGE;
        j.start = TextPos(std::min(s - 1, lines ? lines - 1 : 0), 0);
        j.end_line = static_cast<std::uint32_t>(std::max(range.end, 1));
        TextPos p = j.start;
        count_pages(doc, layout, COUNT_FIND_SHEET, &j.first_sheet, &p);
        TextPos e(std::min(j.end_line - 1, lines ? lines - 1 : 0), 0);
        count_pages(doc, layout, COUNT_FIND_SHEET, &j.last_sheet, &e);
    } else if (range.mode == RANGE_PAGES) {
        int first = std::max(range.start, 1);
        TextPos p;
        if (!count_pages(doc, layout, COUNT_FIND_START, &first, &p)) return RangeResult::START_PAGE_TOO_LARGE;
        int total = 0;
        count_pages(doc, layout, COUNT_FIND_SHEET, &total, &end_of_text);
        j.start = p;
        j.first_sheet = first;
        j.last_sheet = std::min(std::max(range.end, first), total);
    } else {
        count_pages(doc, layout, COUNT_FIND_SHEET, &j.last_sheet, &end_of_text);
    }
    *job = j;
    return RangeResult::OK;
}

std::string range_message(RangeResult r) {
    switch (r) {
        case RangeResult::START_LINE_TOO_LARGE: return utf8_to_sjis("印刷開始行が大き過ぎます｡");
        case RangeResult::START_PAGE_TOO_LARGE: return utf8_to_sjis("印刷開始頁が大き過ぎます｡");
        default: return {};
    }
}

int page_number(const PrintJob& job, const PrintLayout& layout, int sheet, int half) {
    const int from_first = (sheet - job.first_sheet) * layout.halves + half;
    if (job.first_page_number != 0) return job.first_page_number + from_first;
    if (job.marked) return from_first + 1;
    return (sheet - 1) * layout.halves + half + 1;
}

}  // namespace rix
