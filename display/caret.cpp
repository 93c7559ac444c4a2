// The caret's position and shapes.
//
// Position: along = (t × (Nmax + gap) + k + i) × char_pitch + the along
// margin + h × font_w / 2 (t the tier, k the cell, i the indentation, h the
// second-half flag); across = the line's top (horizontal writing) or its
// right edge − font_w − 1 (vertical writing).
#include "display/caret.h"

#include <algorithm>

namespace rix {

CaretShape caret_shape(const DisplayGeometry& g, int caret_type, const CaretPlace& place, bool overwrite) {
    CaretShape c;
    c.type = caret_type >= CARET_FRAMES && caret_type <= CARET_BAR ? caret_type : CARET_FRAMES;
    if (!g.computed() || place.line < 0 || place.line >= g.screen_lines) return c;
    c.visible = true;
    const int fw = std::max(g.font_w, 1), fh = std::max(g.font_h, 1);
    const int along = cell_position(g, place.line, place.cell + place.indent) + (place.second_half ? fw / 2 : 0);
    const int across = g.vertical ? line_position(g, place.line) - fw - 1 : line_position(g, place.line);
    c.x = g.vertical ? across : along;
    c.y = g.vertical ? along : across;
    switch (c.type) {
        case CARET_FRAMES:
            c.rect = {c.x, c.y, fw, fh};
            c.outer = {c.x - 1, c.y - 1, fw + 2, fh + 2};
            c.saved = c.outer;
            break;
        case CARET_BLOCK:
            c.rect = {c.x, c.y, fw, fw};
            c.grey = true;
            break;
        default:
            if (overwrite) c.rect = {c.x, c.y, fw, fh};
            else if (g.vertical) c.rect = {c.x, c.y, fw, std::max(fh / 4, 1)};
            else c.rect = {c.x, c.y, std::max(fw / 4, 1), fh};
            break;
    }
    return c;
}

CaretPlace caret_place(const Screen& s) {
    CaretPlace p;
    p.line = s.cursor_at.line;
    p.cell = s.cursor_at.cell;
    p.second_half = s.cursor_at.second_half;
    p.indent = s.cells.indent(p.line);
    return p;
}

void draw_caret_frames(Surface& out, const CaretShape& c, std::uint32_t colour) {
    if (!c.visible || c.type != CARET_FRAMES) return;
    for (const SurfaceRect& r : {c.rect, c.outer}) {
        const int x1 = r.x + r.w - 1, y1 = r.y + r.h - 1;
        out.draw_line(r.x, r.y, x1, r.y, colour);
        out.draw_line(x1, r.y, x1, y1, colour);
        out.draw_line(x1, y1, r.x, y1, colour);
        out.draw_line(r.x, y1, r.x, r.y, colour);
    }
}

}  // namespace rix
