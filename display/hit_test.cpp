// Pointer zones and the point-to-cell arithmetic.
//
// A point on text: the tier t comes from the along coordinate, the line
// within the tier from the across coordinate, the cell from the along
// offset within the tier:
//   t = (along + char_pitch/2 − margin) / ((Nmax + gap) × char_pitch)
//   (without a gap between tiers the half pitch is not added: the last half
//   of a tier's hanging cell is not the next tier's)
//   k = (along + (char_pitch − font)/2 − margin − t × (Nmax + gap) × char_pitch + 2) / char_pitch
// (margin: margin_start_px in horizontal writing, margin_top_px in vertical
// writing; font: font_w or font_h along the line). A tier past the last is
// the last (its cells then lie beyond any line and are refused), a line
// across past the last line of its tier is not on the screen, and in
// vertical writing the lines after the centre gutter are measured from
// their own right edge.
#include "display/hit_test.h"

#include <algorithm>

#include "document/storage.h"

namespace rix {

namespace {

constexpr int MAX_POINTER_COORD = 65280;

int read_coord(int v) { return v < 0 || v > MAX_POINTER_COORD ? 0 : v; }

struct ZoneCursor {
    const char* name;
    int hot_x, hot_y;
};

ZoneCursor zone_cursor(int zone, bool vertical) {
    switch (zone) {
        case ZONE_TEXT: return {vertical ? "VERTICAL" : "HORIZONTAL", 0, 0};
        case ZONE_SCROLL: return {"SCROOL", 10, 10};
        case ZONE_CORNER_NESW: return {"SIZENESW", 10, 10};
        case ZONE_CORNER_NWSE: return {"SIZENWSE", 10, 10};
        case 5: return {"KAGI_1", 20, 0};
        case 6: return {"KAGI_2", 0, 0};
        case 7: return {"KAGI_3", 0, 20};
        default: return {"KAGI_4", 20, 20};
    }
}

bool in_text_band(const DisplayGeometry& g, int x, int y) {
    if (g.vertical) return g.client_w - g.right_extent < x && x < g.client_w - g.margin_start_px;
    return g.margin_top_px < y && y < g.bottom_extent;
}

bool in_scroll_band(const DisplayGeometry& g, int x, int y) {
    if (g.vertical) return g.margin_top_px < y && y < g.bottom_extent;
    return g.margin_start_px < x && x < g.right_extent;
}

// The second half of a half-width pair's cell: `offset` pixels along from the cell's glyph box.
bool on_second_half(const ScreenCellMap& cells, int line, int cell, int offset, int font) {
    const std::uint16_t code = cells.code(line, cell);
    const auto first = static_cast<std::uint8_t>(code >> 8), second = static_cast<std::uint8_t>(code);
    if (code == 0 || is_mark_cell(code) || is_stored_lead(first) || second == 0x20) return false;
    return offset >= font / 2;
}

}  // namespace

PointerZone classify_pointer(const DisplayGeometry& g, int x, int y, int current) {
    x = read_coord(x);
    y = read_coord(y);
    PointerZone z;
    if (current >= 5 && current <= ZONE_DRAG_BOTTOM_RIGHT) {
        z.zone = current;
        z.corner = current - 4;
    } else if (in_text_band(g, x, y)) {
        z.zone = ZONE_TEXT;
        z.corner = CORNER_NONE_TEXT;
    } else if (in_scroll_band(g, x, y)) {
        z.zone = ZONE_SCROLL;
        z.corner = CORNER_NONE_SCROLL;
    } else {
        const bool top = y < g.client_h / 2;
        z.zone = top ? ZONE_CORNER_NESW : ZONE_CORNER_NWSE;
        if (x < g.client_w / 2) z.zone = 7 - z.zone;
        z.corner = top ? z.zone - 2 : z.zone;
    }
    const ZoneCursor c = zone_cursor(z.zone, g.vertical);
    z.cursor = c.name;
    z.hot_x = c.hot_x;
    z.hot_y = c.hot_y;
    return z;
}

Hit hit_test(const DisplayGeometry& g, const ScreenCellMap& cells, int x, int y) {
    Hit h;
    if (!g.computed() || g.screen_lines <= 0 || g.columns <= 0) return h;
    x = read_coord(x);
    y = read_coord(y);
    const int n = g.screen_lines;
    const int cp = std::max(g.char_pitch, 1), lp = std::max(g.line_pitch, 1);
    const int tier_cells = (g.max_cells + g.gap) * cp;
    const int margin_along = g.vertical ? g.margin_top_px : g.margin_start_px;
    const int along = g.vertical ? y : x;
    const int font_along = g.vertical ? g.font_h : g.font_w;

    // Beside the text: the scroll zone before or after it.
    const bool band = in_text_band(g, x, y);
    // Before the first line: right of it in vertical writing, above it (in the top margin) in horizontal writing.
    const bool before_text = g.vertical ? x >= g.client_w - g.margin_start_px : y <= g.margin_top_px;
    if (!band || before_text) {
        const bool inside_along = along > margin_along && along < g.tiers * g.tier_pitch + margin_along;
        if (!inside_along) return h;
        h.result = HIT_BESIDE;
        h.cell = 0;
        h.line = before_text ? -1 : n;
        return h;
    }

    // The line within its tier.
    int row;
    if (g.vertical) {
        int d = g.client_w - g.margin_start_px - x;
        const int half = g.columns / 2 * lp;
        if (g.centre_px > 0 && d >= half) {
            d -= g.centre_px;
            if (d < half) return h;   // in the gutter
        }
        row = d / lp;
    } else {
        row = (y + g.font_h - g.margin_top_px) / lp;
    }
    if (row < 0 || row >= g.columns) return h;
    // A point in the gap between tiers counts for the nearer tier; without a
    // gap the tier's last (hanging) cell ends right where the next begins.
    const int round = g.gap > 0 ? cp / 2 : 0;
    int t = g.tiers > 1 && tier_cells > 0 ? (along + round - margin_along) / tier_cells : 0;
    t = std::clamp(t, 0, g.tiers - 1);
    const int line = t * g.columns + row;
    if (line < 0 || line >= n) return h;

    const int numerator = along + (cp - font_along) / 2 - margin_along - t * tier_cells + 2;
    const int k = numerator / cp;   // a point just before the first glyph box still counts as cell 0
    h.result = HIT_BESIDE;
    h.line = line;
    if (k > g.max_cells + g.gap || k < 0 || k > cells.used(line)) return h;   // cell -1: not on text
    const int indent = cells.indent(line);
    if (k < indent) return h;
    // Offset of the point from the glyph box's start within the cell.
    const int offset = numerator - k * cp - ((cp - font_along) / 2 + 2);
    h.second_half = k < cells.used(line) && on_second_half(cells, line, k, offset, font_along);
    h.cell = k - indent;
    h.result = HIT_TEXT;
    return h;
}

CellMove hit_position(Document& doc, TextPos cursor, int cursor_line, const Hit& hit) {
    if (hit.result != HIT_TEXT || hit.cell < 0) return {};
    return move_by_display_lines(doc, cursor, hit.line - cursor_line, static_cast<std::uint32_t>(hit.cell),
                                 hit.second_half);
}

}  // namespace rix
