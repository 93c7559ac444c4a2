// The background behind the manuscript grid: a plain fill, a picture laid
// as tiles, or one picture stretched over the whole area. The same painting
// serves the edit window, the printed page, the preview and the snapshot.
//
// Tiles: the scale is (area width / reference width), the reference width
// being the edit window's client width when the picture was last prepared
// for the screen; so the screen shows tiles at the picture's own size and a
// page twice as wide shows them twice as large. Each tile is the whole
// picture stretched to trunc(picture size × scale), at least 1 pixel a side.
// Tiles are laid row by row from the area's top-left; a last column or row
// that does not fit whole is drawn full size and clipped to the area.
//
// Loading is the caller's (platform/picture.h); a picture is decoded once
// and kept in BackgroundPicture until the next full re-initialisation of the
// screen.
#pragma once

#include <cstdint>
#include <string>

#include "platform/picture.h"
#include "platform/surface.h"

namespace rix {

enum : int { BACKGROUND_FILL = 0, BACKGROUND_TILED = 1, BACKGROUND_STRETCHED = 2 };

// The picture of the current screen format, kept between repaints.
struct BackgroundPicture {
    Picture picture;             // invalid: nothing loaded
    std::string path;            // the file it was read from (native); "" = none
    std::int64_t file_stamp = 0; // the file's modification time and size, mixed; 0 = unknown
    int reference_width = 0;     // client width of the last screen preparation (pixels)
};

// What one painting needs; `picture` may be null (then the fill is painted).
struct BackgroundPaint {
    int mode = BACKGROUND_FILL;
    std::uint32_t fill_colour = 0xFFFFFF;   // COLORREF
    const Picture* picture = nullptr;
    int reference_width = 0;     // 0: the area's own width (scale 1)
};

struct TileGrid {
    int tile_w = 1, tile_h = 1;  // pixels, at least 1
    int columns = 0, rows = 0;   // tiles laid, the clipped last ones included
};

// The tiles of a picture of picture_w × picture_h in `area`.
TileGrid tile_grid(int picture_w, int picture_h, const SurfaceRect& area, int reference_width);

// Paints `area` of `surface`: the fill for mode 0, when there is no valid
// picture or when the surface takes no pictures (platform/picture_surface.h),
// else the tiles or the stretched picture, clipped to `area`.
void paint_background_area(Surface& surface, const BackgroundPaint& paint, const SurfaceRect& area);

}  // namespace rix
