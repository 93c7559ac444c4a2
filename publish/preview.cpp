// The print preview's logic.
#include "publish/preview.h"

#include <algorithm>

namespace rix {

namespace {

constexpr std::uint32_t WHITE = 0xFFFFFF;
constexpr std::uint32_t BLACK = 0x000000;
constexpr int OUT_OF_RANGE_MARGIN = 10;

// A dot at the head of each of the first `wrap_chars` cells of every
// column: where a folded column ends on the grid.
void draw_fold_marks(Surface& out, const PrintLayout& layout, int page_x, int page_y) {
    const PrintFormat& f = layout.format;
    if (f.grid_style != 3 || !f.wrap_enabled) return;
    DisplayGeometry g = layout.geo;
    g.page_x = page_x;
    g.page_y = page_y;
    const int dot = std::max(g.line_pitch / 16, 1);
    const int cells = std::min(f.wrap_chars, g.grid_chars);
    for (int c = 0; c < g.screen_lines; ++c) {
        const int across = line_position(g, c);
        for (int k = 0; k < cells; ++k) {
            const int along = cell_position(g, c, k);
            const SurfaceRect r = g.vertical ? SurfaceRect{across + (g.line_pitch - g.font_w) / 4, along, dot, dot}
                                             : SurfaceRect{along, across - (g.line_pitch - g.font_h) / 4, dot, dot};
            out.fill_rect(r, f.grid_colour);
        }
    }
}

}  // namespace

double preview_scale(const PrintPage& device, int height) {
    return static_cast<double>(std::max(height, 16)) / std::max(device.height, 1);
}

void preview_size(const PrintPage& device, double scale, int* width, int* height) {
    *width = std::max(static_cast<int>(device.width * scale + 0.5), 1);
    *height = std::max(static_cast<int>(device.height * scale + 0.5), 1);
}

SheetResult paint_preview_sheet(Document& doc, SheetPainter& painter, const PrintLayout& layout, const PrintJob& job,
                                const HeaderTitles& titles, int sheet, TextPos pos, const BackgroundPaint* background) {
    Surface* out = painter.screen.surface;
    if (out) out->fill_rect({0, 0, layout.page.width, layout.page.height}, WHITE);
    if (out && background) paint_background_area(*out, *background, {0, 0, layout.page.width, layout.page.height});
    const SheetResult r = draw_sheet(doc, painter, layout, job, titles, sheet, pos, nullptr);
    if (!out) return r;
    draw_fold_marks(*out, layout, 0, 0);
    if (layout.halves == 2) {
        draw_fold_marks(*out, layout, layout.geo.vertical ? -(layout.page.width / 2 - layout.fukuro_offset_px) : 0,
                        layout.geo.vertical ? 0 : layout.page.height / 2 - layout.fukuro_offset_px);
        if (layout.geo.vertical)
            out->draw_dotted_line(layout.page.width / 2, 0, layout.page.width / 2, layout.page.height, BLACK);
        else
            out->draw_dotted_line(0, layout.page.height / 2, layout.page.width, layout.page.height / 2, BLACK);
    }
    out->flush();
    return r;
}

bool margins_from_release(int corner, int x, int y, int w, int h, bool vertical, int halves,
                          const PrintMargins& current, PrintMargins* out) {
    *out = current;
    if (corner < CORNER_TOP_RIGHT || corner > CORNER_BOTTOM_RIGHT || w <= 0 || h <= 0) return false;
    const long xp = static_cast<long>(x) * 1000 / w, yp = static_cast<long>(y) * 1000 / h;
    const bool right = corner == CORNER_TOP_RIGHT || corner == CORNER_BOTTOM_RIGHT;
    const bool top = corner == CORNER_TOP_RIGHT || corner == CORNER_TOP_LEFT;
    auto fit = [](long v) { return v >= 0 && v <= 255 ? static_cast<int>(v) : OUT_OF_RANGE_MARGIN; };
    const int across = fit(right ? 1000 - xp : xp);
    const int along = fit(top ? yp : 1000 - yp);
    PrintMargins m = current;
    // The right margin is the start one in vertical writing.
    ((right == vertical) ? m.start : m.end) = across;
    (top ? m.top : m.bottom) = along;
    const int half_w = 1000 / std::max(halves, 1);
    const bool room_across = vertical ? m.start + m.end < half_w : m.start + m.end < 1000;
    const bool room_along = vertical ? m.top + m.bottom < 1000 : m.top + m.bottom < 1000 / std::max(halves, 1);
    if (!room_across || !room_along) return false;
    *out = m;
    return true;
}

int margin_corner_at(int x, int y, int w, int h, bool vertical, const PrintMargins& margins) {
    if (x < 0 || y < 0 || x >= w || y >= h) return 0;
    const int right = vertical ? margins.start : margins.end;
    const int left = vertical ? margins.end : margins.start;
    const bool in_margin = x < w * left / 1000 || x >= w - w * right / 1000 || y < h * margins.top / 1000 ||
                           y >= h - h * margins.bottom / 1000;
    if (!in_margin) return 0;
    const bool east = x >= w / 2, north = y < h / 2;
    if (north) return east ? CORNER_TOP_RIGHT : CORNER_TOP_LEFT;
    return east ? CORNER_BOTTOM_RIGHT : CORNER_BOTTOM_LEFT;
}

}  // namespace rix
