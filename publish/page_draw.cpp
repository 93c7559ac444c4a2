// Page composition: the page header and a sheet drawn on a Surface.
#include <algorithm>
#include <cstdio>

#include "document/display_lines.h"
#include "platform/codec.h"
#include "publish/page_layout.h"

namespace rix {

namespace {

constexpr std::size_t MAX_HEADER_BYTES = 100;
constexpr std::size_t DOCUMENT_TITLE_BYTES = 24;
constexpr std::size_t PRINT_TITLE_BYTES = 40;
constexpr std::size_t INDEX_TITLE_BYTES = 40;
const char* const FULLWIDTH_SPACE = "\x81\x40";

std::string cut(const std::string& s, std::size_t limit) { return s.substr(0, cut_on_boundary(s, limit)); }

std::string join(const std::string& a, const std::string& b) { return cut(a + FULLWIDTH_SPACE + b, MAX_HEADER_BYTES); }

// Cells a header text takes: a double-byte character one, a single byte half.
int text_cells_px(const std::string& s, int fh) {
    int half_cells = 0;
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t n = char_length_at(s, i);
        half_cells += n == 2 ? 2 : 1;
        i += std::max<std::size_t>(n, 1);
    }
    return half_cells * fh / 2;
}

std::string header_title(const PrintLayout& layout, const HeaderTitles& titles, TextPos pos) {
    std::string title;
    const int mode = layout.format.title_mode();
    if (mode == 1) title = cut(titles.document_title, DOCUMENT_TITLE_BYTES);
    else if (mode == 2) title = cut(titles.print_title, PRINT_TITLE_BYTES);
    if ((layout.format.index_flags & 3) == 3 && layout.index.title_for) {
        const std::string entry = cut(layout.index.title_for(pos.line()), INDEX_TITLE_BYTES);
        if (!entry.empty()) title = title.empty() ? entry : join(title, entry);
    }
    return cut(title, MAX_HEADER_BYTES);
}

struct HeaderEdges {
    int xl, xr, cx, yt, yb, cy;
};

// The edges of the header area for a text of width tw on half h.
HeaderEdges header_edges(const PrintLayout& layout, bool vertical_font, int fh, int tw, int half) {
    const PrintFormat& f = layout.format;
    const int W = layout.page.width, H = layout.page.height;
    const double hm = f.header_offset_h_permille / 1000.0, vm = f.header_offset_v_permille / 1000.0;
    HeaderEdges e;
    e.xl = static_cast<int>(W * hm) - (vertical_font ? 0 : fh);
    e.xr = W - static_cast<int>(W * hm) + fh;
    e.cx = W / 2;
    e.yt = static_cast<int>(H * vm - fh);
    e.yb = H - e.yt - fh;
    e.cy = H / 2;
    if (vertical_font) {
        e.yb -= tw;
        e.cy -= tw / 2;
    } else {
        e.xr -= tw;
        e.cx -= tw / 2;
    }
    if (layout.halves != 2) return e;
    const int off = layout.fukuro_offset_px;
    const bool swap = (f.flags & PRINT_SWAP_ON_SECOND) != 0;
    if (f.screen.vertical) {
        if (half == 0) {
            e.xl += W / 2;
            if (!vertical_font) e.cx += W / 4;
        } else {
            e.xr = e.xr - W / 2 + off;
            if (!vertical_font) e.cx -= W / 4;
            if (swap) std::swap(e.xl, e.xr);
        }
    } else {
        if (half == 0) {
            e.yb -= H / 2;
            if (vertical_font) e.cy -= H / 4;
        } else {
            e.yt += H / 2 + off;
            if (vertical_font) e.cy += H / 4;
            if (swap) std::swap(e.yt, e.yb);
        }
    }
    return e;
}

void place_slot(const PrintLayout& layout, PageHeaderLayout* h, int i, int code, int half) {
    const int tw = text_cells_px(h->text[i], h->font_px);
    const HeaderEdges e = header_edges(layout, h->vertical, h->font_px, tw, half);
    code = fit_position_code(code, h->vertical);
    if (h->vertical) {
        h->x[i] = (code & 2) ? e.xr : e.xl;
        h->y[i] = (code == 0 || code == 2) ? e.yt : (code == 1 || code == 3) ? e.yb : e.cy;
    } else {
        h->x[i] = (code == 0 || code == 1) ? e.xl : (code == 2 || code == 3) ? e.xr : e.cx;
        h->y[i] = (code & 1) ? e.yb : e.yt;
    }
    h->shown[i] = !h->text[i].empty();
}

}  // namespace

std::string page_number_text(int number, bool brackets) {
    char buf[32];
    std::snprintf(buf, sizeof buf, brackets ? "[%d]" : "%d", number);
    std::string out;
    for (const char* p = buf; *p; ++p) {
        if (*p >= '0' && *p <= '9') out += static_cast<char>(0x82), out += static_cast<char>(0x4F + (*p - '0'));
        else if (*p == '[') out += "\x81\x6D";
        else if (*p == ']') out += "\x81\x6E";
        else if (*p == '-') out += "\x81\x7C";
    }
    return out;
}

PageHeaderLayout layout_page_header(const PrintLayout& layout, const HeaderTitles& titles, int number,
                                    TextPos pos, int half) {
    const PrintFormat& f = layout.format;
    PageHeaderLayout h;
    h.vertical = header_font_vertical(f);
    h.font_px = print_header_font(f, layout.page.res()).pixel_height;
    const bool numbers = (f.flags & PRINT_PAGE_NUMBERS) != 0;
    const std::string number_text = numbers ? page_number_text(number, (f.flags & PRINT_NUMBER_BRACKETS) != 0) : "";
    const std::string title = f.title_mode() != 0 || (f.index_flags & 3) == 3 ? header_title(layout, titles, pos) : "";
    const int number_code = fit_position_code(f.page_number_position, h.vertical);
    const int title_code = fit_position_code(f.title_position, h.vertical);
    if (numbers && !title.empty() && number_code == title_code) {
        h.text[0] = (f.flags & PRINT_NUMBER_AFTER_TITLE) ? join(title, number_text) : join(number_text, title);
        place_slot(layout, &h, 0, number_code, half);
        return h;
    }
    h.text[0] = number_text;
    h.text[1] = title;
    if (!h.text[0].empty()) place_slot(layout, &h, 0, number_code, half);
    if (!h.text[1].empty()) place_slot(layout, &h, 1, title_code, half);
    return h;
}

void draw_page_header(Surface& surface, const PrintLayout& layout, const PageHeaderLayout& header) {
    const FontRequest font = print_header_font(layout.format, layout.page.res());
    if (!surface.set_font(FONT_MARK, font)) return;
    const int fh = header.font_px;
    for (int i = 0; i < 2; ++i) {
        if (!header.shown[i]) continue;
        const std::string& s = header.text[i];
        int along = header.vertical ? header.y[i] : header.x[i];
        for (std::size_t k = 0; k < s.size();) {
            const std::size_t n = std::max<std::size_t>(char_length_at(s, k), 1);
            const auto b0 = static_cast<std::uint8_t>(s[k]);
            CellGlyph g;
            g.font = FONT_MARK;
            g.colour = layout.format.header_colour;
            g.half = n != 2;
            g.code = n == 2 ? static_cast<std::uint16_t>(b0 << 8 | static_cast<std::uint8_t>(s[k + 1]))
                            : static_cast<std::uint16_t>(b0 << 8 | 0x20);
            const int advance = n == 2 ? fh : fh / 2;
            if (header.vertical) {
                g.mode = n == 2 ? GlyphMode::VERTICAL : GlyphMode::HALF_LYING;
                g.box = {header.x[i] - fh, along, fh, fh};
            } else {
                g.mode = GlyphMode::HORIZONTAL;
                g.box = {along, header.y[i], fh, fh};
            }
            surface.draw_cell(g);
            along += advance;
            k += n;
        }
    }
    FontRequest half = layout.render.font;
    half.pixel_height = std::max(half.pixel_height / 2, 1);
    half.pixel_width /= 2;
    surface.set_font(FONT_MARK, half);
}

namespace {

// One tier of `tier.lines` display lines from screen line `first_line`.
// With the position adjustment on, each column is laid out on its own at
// the page offsets shifted by the adjustment reached when it starts; a pass
// draws a line the same way wherever it began, so the text is otherwise the
// same as a pass over the whole tier.
void draw_tier(Document& doc, Screen& s, const PrintLayout& layout, const TierPlan& tier, int first_line,
               PositionAdjust* adjust) {
    if (!layout.format.position_adjust) {
        layout_and_draw(doc, s, tier.start, first_line, 0, tier.lines);
        return;
    }
    const int page_x = s.geo.page_x, page_y = s.geo.page_y;
    TextPos pos = tier.start;
    for (int i = 0; i < tier.lines; ++i) {
        adjust->start_column(layout.format);
        s.geo.page_x = page_x + adjust->dx;
        s.geo.page_y = page_y + adjust->dy;
        pos = layout_and_draw(doc, s, pos, first_line + i, 0, 1);
    }
    s.geo.page_x = page_x;
    s.geo.page_y = page_y;
}

}  // namespace

void PositionAdjust::start_column(const PrintFormat& f) {
    if (!f.position_adjust) return;
    if (++columns < std::max(f.adjust_column_interval, 1)) return;
    columns = 0;
    dx += f.adjust_column_offset;
    dy += f.adjust_char_offset;
}

bool start_sheets(SheetPainter& painter, const PrintLayout& layout, Surface* surface) {
    Screen& s = painter.screen;
    s = Screen{};
    s.geo = layout.geo;
    s.fmt = layout.render;
    s.surface = surface;
    s.reinit_pending = PENDING_NOTHING;
    prepare_screen(s);
    return !surface || surface->set_font(FONT_TEXT, layout.render.font);
}

SheetResult draw_sheet(Document& doc, SheetPainter& painter, const PrintLayout& layout, const PrintJob& job,
                       const HeaderTitles& titles, int sheet, TextPos pos, const TierProgress& progress) {
    Screen& s = painter.screen;
    SheetResult result;
    result.next = pos;
    const DisplayGeometry base = layout.geo;
    PositionAdjust adjust;   // starts anew on every sheet
    for (int h = 0; h < layout.halves; ++h) {
        const int shift = h == 0 ? 0 : layout.page.width / 2 - layout.fukuro_offset_px;
        const int shift_y = h == 0 ? 0 : layout.page.height / 2 - layout.fukuro_offset_px;
        s.geo = base;
        if (base.vertical) s.geo.page_x = -shift;   // the first half is the right one
        else s.geo.page_y = shift_y;
        const int half_x = s.geo.page_x, half_y = s.geo.page_y;
        const int number = page_number(job, layout, sheet, h);
        const HalfPlan half = plan_half(doc, layout, result.next);
        for (std::size_t t = 0; t < half.tiers.size(); ++t) {
            const TierPlan& tier = half.tiers[t];
            if (progress && !progress(number, static_cast<int>(t) + 1, tier.start.line() + 1)) {
                result.cancelled = true;
                s.geo = base;
                return result;
            }
            if (tier.lines <= 0) continue;
            s.full_redraw = true;   // paper: nothing to erase
            s.ruby_queue.clear();
            draw_tier(doc, s, layout, tier, static_cast<int>(t) * base.columns, &adjust);
        }
        s.geo.page_x = half_x;
        s.geo.page_y = half_y;
        draw_grid(s);
        if (layout.format.flags != 0 && s.surface) {
            const PageHeaderLayout header = layout_page_header(layout, titles, number, half.last_tier_start(), h);
            draw_page_header(*s.surface, layout, header);
        }
        ++result.halves_drawn;
        result.next = half.next;
        if (job_done(job, half)) {
            result.ended = true;
            break;
        }
    }
    s.geo = base;
    if (s.surface) s.surface->flush();
    return result;
}

PrintRun print_sheets(Document& doc, SheetPainter& painter, const PrintLayout& layout, const PrintJob& job,
                      const HeaderTitles& titles, const std::function<bool(int sheet)>& start_page,
                      const TierProgress& progress, int* sheets) {
    *sheets = 0;
    TextPos pos = job.start;
    // Every sheet moves on by a display line at least: the text's display
    // lines bound the loop; the page range bounds it in sheets.
    const std::uint64_t lines = doc.lines.total_display_lines() + 1;
    const std::uint64_t last = job.mode == RANGE_PAGES && !job.marked
        ? static_cast<std::uint64_t>(std::max(job.last_sheet, job.first_sheet))
        : static_cast<std::uint64_t>(job.first_sheet) + lines;
    for (int sheet = job.first_sheet; static_cast<std::uint64_t>(sheet) <= last; ++sheet) {
        if (start_page && !start_page(sheet)) return PrintRun::DEVICE_FAILED;
        const SheetResult r = draw_sheet(doc, painter, layout, job, titles, sheet, pos, progress);
        ++*sheets;
        if (r.cancelled) return PrintRun::CANCELLED;
        if (r.ended) break;
        pos = r.next;
    }
    return PrintRun::DONE;
}

unsigned PrintPacer::update(int column) {
    if (column == 0 || column == shown_column_) return 0;
    shown_column_ = column;
    ++changes_;
    if (changes_ % 10 == 0) delay_ /= 2;
    return delay_;
}

}  // namespace rix
