// The background behind the grid: the tile grid (100 × 80 in 450 × 300 is
// 5 × 4 with the last column and row clipped; a page twice as wide doubles
// the tiles), sizes held to at least 1, the fill when there is no picture,
// the stretched picture, and every tile clipped to the area.
//
// Owed: the pixels at the tile boundaries on a real surface
// (tests/platform_qt/background_qt_test).
#include "display/background.h"

#include <gtest/gtest.h>

#include <cstdio>

#include <string>
#include <vector>

#include "platform/picture_surface.h"
#include "platform/recording_surface.h"

namespace rix {
namespace {

std::string rect_text(const SurfaceRect& r) {
    return std::to_string(r.x) + "," + std::to_string(r.y) + "," + std::to_string(r.w) + "x" + std::to_string(r.h);
}

// Records fills and pictures, one line each.
class PictureRecorder final : public Surface, public PictureSurface {
public:
    int width() const override { return 450; }
    int height() const override { return 300; }
    bool set_font(int, const FontRequest&) override { return true; }
    void draw_cell(const CellGlyph&) override {}
    void draw_line(int, int, int, int, std::uint32_t) override {}
    void draw_dotted_line(int, int, int, int, std::uint32_t) override {}
    void draw_ellipse(const SurfaceRect&, std::uint32_t) override {}
    void draw_arc(const SurfaceRect&, int, int, int, int, std::uint32_t) override {}
    void fill_rect(const SurfaceRect& r, std::uint32_t colour) override {
        char hex[8];
        std::snprintf(hex, sizeof hex, "%06X", colour);
        log.push_back("fill " + rect_text(r) + " " + hex);
    }
    void invert_rect(const SurfaceRect&) override {}
    void copy_from(const Surface&, const SurfaceRect&, int, int) override {}
    void draw_picture(const Picture& p, const SurfaceRect& dst, const SurfaceRect& clip) override {
        log.push_back("picture " + std::to_string(p.width) + "x" + std::to_string(p.height) + " " + rect_text(dst) +
                      " clip " + rect_text(clip));
    }
    std::vector<std::string> log;
};

Picture solid(int w, int h) {
    Picture p;
    p.width = w;
    p.height = h;
    p.pixels.assign(static_cast<std::size_t>(w) * h, 0xFF336699u);
    return p;
}

TEST(TileGrid, ScreenAndDoubleWidthPage) {
    const TileGrid screen = tile_grid(100, 80, {0, 0, 450, 300}, 450);
    EXPECT_EQ(screen.tile_w, 100);
    EXPECT_EQ(screen.tile_h, 80);
    EXPECT_EQ(screen.columns, 5);   // 4 whole, one clipped
    EXPECT_EQ(screen.rows, 4);      // 3 whole, one clipped
    const TileGrid page = tile_grid(100, 80, {0, 0, 900, 600}, 450);
    EXPECT_EQ(page.tile_w, 200);
    EXPECT_EQ(page.tile_h, 160);
    EXPECT_EQ(page.columns, 5);
    EXPECT_EQ(page.rows, 4);
    // An area that the tiles fill exactly has no extra column or row.
    const TileGrid exact = tile_grid(100, 80, {0, 0, 400, 320}, 400);
    EXPECT_EQ(exact.columns, 4);
    EXPECT_EQ(exact.rows, 4);
    // No reference yet: scale 1.
    EXPECT_EQ(tile_grid(100, 80, {0, 0, 450, 300}, 0).tile_w, 100);
}

TEST(TileGrid, TinyScalesStayAtOnePixel) {
    const TileGrid g = tile_grid(3, 2, {0, 0, 10, 5}, 1000);
    EXPECT_EQ(g.tile_w, 1);
    EXPECT_EQ(g.tile_h, 1);
    EXPECT_EQ(g.columns, 10);
    EXPECT_EQ(g.rows, 5);
    const TileGrid none = tile_grid(0, 2, {0, 0, 10, 5}, 10);
    EXPECT_EQ(none.columns, 0);
    EXPECT_EQ(tile_grid(3, 2, {0, 0, 0, 5}, 10).rows, 0);
}

TEST(PaintBackground, FillTilesAndStretch) {
    const Picture pic = solid(100, 80);
    PictureRecorder s;
    BackgroundPaint paint;
    paint.fill_colour = 0x00E0F0FF;
    paint_background_area(s, paint, {0, 0, 450, 300});
    EXPECT_EQ(s.log, std::vector<std::string>{"fill 0,0,450x300 E0F0FF"});
    // A picture mode without a valid picture fills.
    s.log.clear();
    paint.mode = BACKGROUND_TILED;
    paint_background_area(s, paint, {0, 0, 450, 300});
    EXPECT_EQ(s.log, std::vector<std::string>{"fill 0,0,450x300 E0F0FF"});
    // So does a surface that takes no pictures.
    RecordingSurface plain(450, 300);
    paint.picture = &pic;
    paint_background_area(plain, paint, {0, 0, 450, 300});
    EXPECT_EQ(plain.dump(), "fill 0,0,450x300 #FFF0E0\n");

    s.log.clear();
    paint.reference_width = 450;
    paint_background_area(s, paint, {0, 0, 450, 300});
    const std::vector<std::string> tiles = s.log;
    ASSERT_EQ(tiles.size(), 20u);
    EXPECT_EQ(tiles.front(), "picture 100x80 0,0,100x80 clip 0,0,450x300");
    EXPECT_EQ(tiles[4], "picture 100x80 400,0,100x80 clip 0,0,450x300");
    EXPECT_EQ(tiles.back(), "picture 100x80 400,240,100x80 clip 0,0,450x300");

    // A page: the area given, tiles scaled by its width against the screen's.
    s.log.clear();
    paint_background_area(s, paint, {30, 40, 900, 600});
    const std::vector<std::string> page = s.log;
    ASSERT_EQ(page.size(), 20u);
    EXPECT_EQ(page[1], "picture 100x80 230,40,200x160 clip 30,40,900x600");

    s.log.clear();
    paint.mode = BACKGROUND_STRETCHED;
    paint_background_area(s, paint, {0, 0, 450, 300});
    EXPECT_EQ(s.log, std::vector<std::string>{"picture 100x80 0,0,450x300 clip 0,0,450x300"});
}

}  // namespace
}  // namespace rix
