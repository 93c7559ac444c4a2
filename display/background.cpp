// The background behind the grid (see background.h).
#include "display/background.h"

#include <algorithm>

#include "platform/picture_surface.h"

namespace rix {

TileGrid tile_grid(int picture_w, int picture_h, const SurfaceRect& area, int reference_width) {
    TileGrid g;
    if (picture_w <= 0 || picture_h <= 0 || area.empty()) return g;
    const int ref = reference_width > 0 ? reference_width : area.w;
    // Integer arithmetic: trunc(size × area.w / ref), never below 1.
    g.tile_w = static_cast<int>(std::max<std::int64_t>(1, static_cast<std::int64_t>(picture_w) * area.w / ref));
    g.tile_h = static_cast<int>(std::max<std::int64_t>(1, static_cast<std::int64_t>(picture_h) * area.w / ref));
    g.columns = area.w / g.tile_w + (area.w % g.tile_w ? 1 : 0);
    g.rows = area.h / g.tile_h + (area.h % g.tile_h ? 1 : 0);
    return g;
}

void paint_background_area(Surface& surface, const BackgroundPaint& paint, const SurfaceRect& area) {
    if (area.empty()) return;
    const Picture* pic = paint.picture;
    auto* pictures = dynamic_cast<PictureSurface*>(&surface);
    if (paint.mode == BACKGROUND_FILL || !pic || !pic->valid() || !pictures) {
        surface.fill_rect(area, paint.fill_colour);
        return;
    }
    if (paint.mode == BACKGROUND_STRETCHED) {
        pictures->draw_picture(*pic, area, area);
        return;
    }
    const TileGrid g = tile_grid(pic->width, pic->height, area, paint.reference_width);
    for (int row = 0; row < g.rows; ++row) {
        for (int col = 0; col < g.columns; ++col) {
            const SurfaceRect tile{area.x + col * g.tile_w, area.y + row * g.tile_h, g.tile_w, g.tile_h};
            pictures->draw_picture(*pic, tile, area);
        }
    }
}

}  // namespace rix
