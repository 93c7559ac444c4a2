// Whole-screen operations of the renderer: the grid, erasing, inverting the
// marked range, scrolling, the blank page and the snapshot, choosing the top
// line, and the repaint of the whole screen.
//
// Scrolling moves the picture band by band. A band is one line's share of
// the grid: one line pitch across, starting at a grid rule, and one tier
// pitch along. Bands tile each tier and all hold the same piece of the grid,
// so moving a band's pixels to another band's place gives the picture a
// fresh layout would draw there.
#include <algorithm>
#include <limits>
#include <vector>

#include "display/layout_walk.h"
#include "display/render.h"

namespace rix {

namespace {

// Whether the screen shows, or showed before its top moved, something drawn
// beside a line across the grid rule: a ruby (also one on the line just
// above, which may run onto line 0) or line-mark digits. Moving whole line
// bands would carry those to the wrong place.
bool drawn_across_lines(Document& doc, const Screen& s) {
    for (int j = 0; j < s.geo.screen_lines; ++j)
        if (s.marks.get(j)) return true;
    const std::uint32_t count = doc.lines.count();
    if (count == 0) return false;
    const std::uint32_t first = s.top.line() > 0 ? s.top.line() - 1 : 0;
    const DisplayMove end = display_lines_forward(doc, s.top, static_cast<std::uint32_t>(s.geo.screen_lines));
    const std::uint32_t last = std::min(end.pos.line(), count - 1);
    for (std::uint32_t line = first; line <= last; ++line) {
        const std::uint8_t* p = doc.line_pointer(line);
        if (p == nullptr) continue;
        if (doc.lines.marks(line)) return true;
        LineScanner scanner(p, MAX_LINE_SCAN);
        for (;;) {
            const ScanItem it = scanner.next();
            if (it.kind == ItemKind::RUBY) return true;
            if (it.kind == ItemKind::LINE_END || it.kind == ItemKind::TEXT_END || it.kind == ItemKind::CUT) break;
        }
    }
    return false;
}


// The numbers of the grid of the current geometry.
struct GridFrame {
    int e = 0;          // (cell_size − font_w) / 2
    int g = 0;          // half the space between the rules of neighbouring lines
    // vertical writing
    int x0 = 0;         // the rule before the first line (right)
    int y_top = 0, y_bottom = 0;
    // horizontal writing
    int y0 = 0;         // the rule above the first line
    int x_left = 0, x_right = 0;
};

GridFrame grid_frame(const Screen& s) {
    const DisplayGeometry& geo = s.geo;
    GridFrame f;
    const int fw = geo.font_w;
    f.e = (geo.cell_size - fw) / 2;
    f.g = ((geo.line_pitch - fw) - 2 * f.e) / 2;
    const int corr = s.fmt.cell_offset;
    if (geo.vertical) {
        f.y_top = geo.margin_top_px - (geo.char_pitch - fw) / 2 - 1 + geo.page_y;
        f.y_bottom = geo.grid_chars * geo.char_pitch + f.y_top;
        f.x0 = (geo.client_w - geo.margin_start_px) + f.e + f.g - corr - 1 + geo.page_x;
    } else {
        f.x_left = geo.margin_start_px - (geo.char_pitch - fw) / 2 - 1 + geo.page_x;
        f.x_right = geo.grid_chars * geo.char_pitch + f.x_left;
        f.y0 = geo.margin_top_px - ((f.e + f.g + 1) & ~1) + corr + geo.page_y;
    }
    return f;
}

void draw_vertical_grid(Screen& s, const GridFrame& f) {
    const DisplayGeometry& geo = s.geo;
    Surface& out = *s.surface;
    const std::uint32_t c = s.fmt.grid_colour;
    const int style = s.fmt.grid_style;
    for (int t = 0; t < geo.tiers; ++t) {
        const int yt = f.y_top + t * geo.tier_pitch, yb = f.y_bottom + t * geo.tier_pitch;
        int x = f.x0;
        for (int j = 0; j <= geo.columns; ++j) {
            const bool gutter = j == geo.columns / 2 && geo.centre_px > 0;
            if (style == 1) {
                out.draw_line(x, yt, x, yb, c);
                if (gutter) {
                    x -= geo.centre_px;
                    out.draw_line(x, yt, x, yb, c);
                }
            } else {
                if (j > 0) out.draw_line(x + f.g, yt, x + f.g, yb, c);
                if (gutter) x -= geo.centre_px;
                if (j < geo.columns) out.draw_line(x - f.g, yt, x - f.g, yb, c);
            }
            if (style == 3 && j < geo.columns) {
                for (int i = 0; i <= geo.grid_chars; ++i) {
                    const int y = yt + i * geo.char_pitch;
                    out.draw_line(x - (geo.line_pitch - f.g), y, x - f.g, y, c);
                }
            }
            x -= geo.line_pitch;
        }
    }
}

void draw_horizontal_grid(Screen& s, const GridFrame& f) {
    const DisplayGeometry& geo = s.geo;
    Surface& out = *s.surface;
    const std::uint32_t c = s.fmt.grid_colour;
    const int style = s.fmt.grid_style;
    for (int t = 0; t < geo.tiers; ++t) {
        const int xl = f.x_left + t * geo.tier_pitch, xr = f.x_right + t * geo.tier_pitch;
        int y = f.y0;
        for (int j = 0; j <= geo.columns; ++j) {
            if (style == 1) {
                out.draw_line(xl, y, xr, y, c);
            } else {
                if (j > 0) out.draw_line(xl, y - f.g, xr, y - f.g, c);
                if (j < geo.columns) out.draw_line(xl, y + f.g, xr, y + f.g, c);
            }
            if (style == 3 && j < geo.columns) {
                for (int i = 0; i <= geo.grid_chars; ++i) {
                    const int x = xl + i * geo.char_pitch;
                    out.draw_line(x, y + f.g, x, y + geo.line_pitch - f.g, c);
                }
            }
            y += geo.line_pitch;
        }
    }
}

// The band of screen line j (see the file comment).
SurfaceRect band_of(const Screen& s, const GridFrame& f, int j) {
    const DisplayGeometry& geo = s.geo;
    const int r = j % geo.columns, t = j / geo.columns;
    if (geo.vertical)
        return {f.x0 - (r + 1) * geo.line_pitch + f.g, f.y_top + t * geo.tier_pitch, geo.line_pitch, geo.tier_pitch};
    return {f.x_left + t * geo.tier_pitch, f.y0 + r * geo.line_pitch - f.g + 1, geo.tier_pitch, geo.line_pitch};
}

// The walk of invert_marked_range: inverts characters inside the range.
struct InvertVisitor {
    Screen& s;
    TextPos from, to;
    int skip_first = 0, skip_last = 0;   // screen lines left alone
    bool inside(std::uint32_t l, std::uint32_t c) const {
        const TextPos p(l, c);
        return from <= p && p < to;
    }
    void line_start(int, std::uint32_t, int, bool) {}
    void cell(int j, int a, int k, std::uint16_t, const ScanItem& it, std::uint32_t l, std::uint32_t c) {
        if (j >= skip_first && j < skip_last) return;
        if (it.kind == ItemKind::PAIR) {
            const bool first = inside(l, c), second = inside(l, c + 1);
            if (first && second) invert_cell(s, j, a + k, false, false);
            else if (first || second) invert_cell(s, j, a + k, true, second);
        } else if (inside(l, c)) {
            invert_cell(s, j, a + k, it.kind == ItemKind::SINGLE, false);
        }
    }
    void mark(int, int, int, std::uint16_t, std::uint32_t, std::uint32_t) {}
    void block(int, int, int, const ScanItem&, const std::uint8_t*, std::uint32_t, std::uint32_t, std::uint32_t) {}
    void text_end(int) {}
    void stopped(int) {}
};

}  // namespace

void draw_grid(Screen& s) {
    const DisplayGeometry& geo = s.geo;
    if (!geo.computed() || geo.columns < 1) return;
    const GridFrame f = grid_frame(s);
    if (geo.vertical) {
        const int right = std::min(f.x0 + f.g, geo.client_w);
        const int left = f.x0 - geo.line_pitch * geo.columns + f.g;
        s.grid_rect = {left, f.y_top, right - left, geo.max_cells * geo.char_pitch};
    } else {
        s.grid_rect = {f.x_left, f.y0, geo.max_cells * geo.char_pitch, geo.line_pitch * geo.columns - f.g};
    }
    if (!s.surface || s.fmt.grid_style < 1 || s.fmt.grid_style > 3) return;
    if (geo.vertical) draw_vertical_grid(s, f);
    else draw_horizontal_grid(s, f);
}

namespace {

// The along extent [*start, *end) of what line j may draw (its cells with
// hanging ones, a line-end mark after them, a ruby's lead or a page-break
// mark before the first cell), before the tiers are taken into account.
void strip_along(const Screen& s, int j, int* start, int* end) {
    const DisplayGeometry& g = s.geo;
    int along = cell_position(g, j, 0);
    int length = g.max_cells * g.char_pitch;
    if (g.kinsoku_mode > 0 && s.fmt.mark_flags != 0) length += g.char_pitch;
    if ((s.fmt.mark_flags & 2) || s.fmt.tag_windows_shown) {
        along -= g.char_pitch;
        length += g.char_pitch;
    } else {
        // A ruby spread over its base starts an eighth of a ruby character
        // before the first cell.
        const int lead = (g.vertical ? g.font_h : g.font_w) * 10 / 13 / 8 + 1;
        along -= lead;
        length += lead;
    }
    *start = along;
    *end = along + length;
}

bool has_next_tier(const DisplayGeometry& g, int j) { return g.columns > 0 && j + g.columns < g.screen_lines; }

// Where the strip of line j (which has a line in the next tier) ends and
// that line's strip begins: where the next line's own drawing begins, or
// earlier at the first cell of j that the next line draws.
int tier_seam(const Screen& s, int j) {
    const DisplayGeometry& g = s.geo;
    int next_start = 0, next_end = 0;
    strip_along(s, j + g.columns, &next_start, &next_end);
    return std::min(next_start, cell_position(g, j, tier_spill_cell(s)));
}

}  // namespace

int tier_spill_cell(const Screen& s) {
    const DisplayGeometry& g = s.geo;
    if (!has_next_tier(g, 0) || g.char_pitch < 1) return std::numeric_limits<int>::max();
    int next_start = 0, next_end = 0;
    strip_along(s, g.columns, &next_start, &next_end);
    // A glyph covers a font along its cell; an end mark one pixel more.
    const int reach = std::max(g.font_w, g.font_h) + 1;
    const int room = next_start - reach - cell_position(g, 0, 0);
    return room < 0 ? 0 : room / g.char_pitch + 1;
}

SurfaceRect screen_line_strip(const Screen& s, int j) {
    const DisplayGeometry& g = s.geo;
    int along = 0, end = 0;
    strip_along(s, j, &along, &end);
    // One row's strips in successive tiers meet at the seam and never
    // overlap: erasing one line leaves the other's drawing alone.
    if (j >= g.columns && has_next_tier(g, j - g.columns)) along = tier_seam(s, j - g.columns);
    if (has_next_tier(g, j)) end = tier_seam(s, j);
    const int across = line_position(g, j);
    if (g.vertical) return {across - g.font_w - 2, along, g.line_pitch, end - along};
    return {along, across + 4 - g.line_pitch / 2, end - along, g.line_pitch};
}

void erase_screen_line(Screen& s, int j) {
    if (!s.surface || !s.blank_page || s.fmt.print || j < 0 || j >= s.geo.screen_lines) return;
    const SurfaceRect r = screen_line_strip(s, j);
    s.surface->copy_from(*s.blank_page, r, r.x, r.y);
}

void invert_cell(Screen& s, int line, int cell, bool half, bool second_half) {
    if (!s.surface || line < 0 || line >= s.geo.screen_lines) return;
    const DisplayGeometry& g = s.geo;
    const int along = cell_position(g, line, cell);
    const int across = line_position(g, line);
    SurfaceRect r = g.vertical ? SurfaceRect{across - g.font_w, along, g.font_w, g.font_h}
                               : SurfaceRect{along, across, g.font_w, g.font_h};
    if (half) {
        if (g.vertical) {
            const int first = r.h / 2;
            if (second_half) r = {r.x, r.y + first, r.w, r.h - first};
            else r.h = first;
        } else {
            const int first = r.w / 2;
            if (second_half) r = {r.x + first, r.y, r.w - first, r.h};
            else r.w = first;
        }
    }
    s.surface->invert_rect(r);
}

void invert_marked_range(Document& doc, Screen& s, TextPos from, int lines, TextPos mark_start,
                         TextPos mark_end) {
    if (!s.surface || mark_end <= mark_start) return;
    InvertVisitor v{s, mark_start, mark_end};
    detail::walk_layout(doc, from, 0, 0, std::min(lines, s.geo.screen_lines), v);
    s.surface->flush();
}

void invert_marked_screen(Document& doc, Screen& s, TextPos mark_start, TextPos mark_end, int skip_first,
                          int skip_last) {
    if (!s.surface || mark_end <= mark_start) return;
    InvertVisitor v{s, mark_start, mark_end, skip_first, skip_last};
    detail::walk_layout(doc, s.top, 0, 0, s.geo.screen_lines, v);
    s.surface->flush();
}

bool scroll_screen_lines(Document& doc, Screen& s, bool forward, int n, int first) {
    const DisplayGeometry& g = s.geo;
    const bool fast = s.surface && s.blank_page && !s.fmt.tag_windows_shown && g.centre_px == 0 &&
                      !(s.fmt.mark_flags & 2) && s.fmt.plain_background && n > 0 && first >= 0 &&
                      first + n <= g.screen_lines && !drawn_across_lines(doc, s);
    // Cells that the next tier's line draws lie in its band and would move with it.
    bool spilling = false;
    const int spill = tier_spill_cell(s);
    for (int j = 0; fast && j + g.columns < g.screen_lines && !spilling; ++j) spilling = s.cells.used(j) > spill;
    if (!fast || spilling) {
        relayout_screen(doc, s, false);
        return true;
    }
    const GridFrame f = grid_frame(s);
    Surface& out = *s.surface;
    // What a line draws past the surface's edge across the lines is not there to be moved.
    auto inside = [&](int line) {
        const SurfaceRect r = band_of(s, f, line);
        return g.vertical ? r.x >= 0 && r.x + r.w <= out.width() : r.y >= 0 && r.y + r.h <= out.height();
    };
    if (!inside(0) || !inside(g.columns - 1) || !inside(g.screen_lines - 1) || !inside(g.screen_lines - g.columns)) {
        relayout_screen(doc, s, false);
        return true;
    }
    auto clean = [&](int line) {
        const SurfaceRect r = band_of(s, f, line);
        out.copy_from(*s.blank_page, r, r.x, r.y);
    };
    // Along the lines the last tier's hanging cells and line-end marks may lie
    // past the surface's edge (or cells a refused break pushed on, past the
    // band): a line whose drawing did is laid out again where it lands
    // instead of being moved without it.
    const int reach = std::max(g.font_w, g.font_h) + 1;
    const int along_extent = g.vertical ? out.height() : out.width();
    auto cut_off = [&](int line) {
        const int used = s.cells.used(line);
        const SurfaceRect band = band_of(s, f, line);
        const int end = std::min(along_extent, g.vertical ? band.y + band.h : band.x + band.w);
        return used > 0 && (cell_position(g, line, 0) < 0 || cell_position(g, line, used - 1) + reach > end);
    };
    std::vector<int> again;
    // The destination is cleaned first: a band's drawing may not fill it.
    auto move = [&](int from_line, int to_line) {
        const SurfaceRect src = band_of(s, f, from_line);
        const SurfaceRect dst = band_of(s, f, to_line);
        clean(to_line);
        if (cut_off(from_line)) again.push_back(to_line);
        else out.copy_from(out, src, dst.x, dst.y);
    };
    const int last = g.screen_lines;
    if (forward) {
        for (int j = last - 1; j >= first + n; --j) move(j - n, j);
        for (int j = first; j < first + n; ++j) clean(j);
    } else {
        for (int j = first; j + n < last; ++j) move(j + n, j);
        for (int j = last - n; j < last; ++j) clean(j);
    }
    s.cells.shift(first, n, forward);
    s.marks.shift(first, n, forward);
    for (const int j : again) {
        const DisplayMove at = display_lines_forward(doc, s.top, static_cast<std::uint32_t>(j));
        if (at.moved == static_cast<std::uint32_t>(j)) layout_and_draw(doc, s, at.pos, j, 0, 1);
    }
    out.flush();
    return false;
}

void paint_background(Screen& s) {
    // A picture background (display/background.h) was laid on the surface by
    // whoever prepared the screen, before this road began.
    if (!s.surface) return;
    ++s.paints;
    if (!s.fmt.plain_background) return;
    s.surface->fill_rect({0, 0, s.surface->width(), s.surface->height()}, s.fmt.fill_colour);
}

void take_blank_page(Screen& s) {
    if (!s.surface || !s.blank_page) return;
    s.surface->flush();
    s.blank_page->copy_from(*s.surface, {0, 0, s.surface->width(), s.surface->height()}, 0, 0);
    s.blank_page->flush();
}

void take_snapshot(Screen& s) {
    if (!s.surface || !s.snapshot) return;
    s.surface->flush();
    s.snapshot->copy_from(*s.surface, {0, 0, s.surface->width(), s.surface->height()}, 0, 0);
    s.snapshot->flush();
    s.snapshot_valid = true;
}

bool ensure_snapshot(Screen& s) {
    if (!s.snapshot_valid) take_snapshot(s);
    return s.snapshot_valid;
}

void place_top_line(Document& doc, Screen& s, int policy) {
    const int nscreen = s.geo.screen_lines;
    const int v = policy == TOP_CURSOR ? 0 : s.geo.columns / 3;
    const int room = std::max(nscreen - v, 0);
    const std::uint32_t lines = doc.lines.count();
    const std::uint32_t cursor_line = s.cursor.line();
    const bool many_follow =
        !doc.fully_loaded() || (cursor_line < lines && lines - cursor_line - 1 > static_cast<std::uint32_t>(room));
    std::uint32_t back = static_cast<std::uint32_t>(v);
    if (!many_follow && lines > 0) {
        const DisplayMove ahead = display_lines_forward(doc, s.cursor, static_cast<std::uint32_t>(room));
        const int m = static_cast<int>(ahead.moved);
        back = m == room ? static_cast<std::uint32_t>(v) : static_cast<std::uint32_t>(std::max(nscreen - m - 1, 0));
    }
    s.top = lines > 0 ? display_lines_backward(doc, s.cursor, back).pos : TextPos(0, 0);
    s.top_display_line = lines > 0 ? document_display_line(doc, s.top) : DisplayLineNo{};
}

void repaint_screen(Document& doc, Screen& s, bool place) {
    if (!s.surface || !s.geo.computed()) return;
    s.snapshot_valid = false;
    paint_background(s);
    draw_grid(s);
    take_blank_page(s);
    if (place) place_top_line(doc, s, TOP_CENTRE);
    relayout_screen(doc, s, true);
    take_snapshot(s);
}

}  // namespace rix
