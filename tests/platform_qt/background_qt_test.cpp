// Background pictures on Qt: tiles on the image surface checked pixel by
// pixel at their boundaries (the last column and row clipped, nothing drawn
// outside the area), the stretched picture, BMP files decoded by Qt after
// our header checks (24-bit, 8-bit with an implied colour table, the
// shipped paper), and a file Qt cannot read refused.
#include <gtest/gtest.h>

#include <QImage>

#include "display/background.h"
#include "platform/files.h"
#include "platform/qt/image_surface.h"
#include "platform/qt/qt_picture.h"
#include "rix_build_paths.h"
#include "tests/support/pictures.h"
#include "tests/support/temp_folder.h"

namespace rix {
namespace {

// 10 × 8: the left column red, the top row green, the rest blue.
Picture marked_picture() {
    Picture p;
    p.width = 10;
    p.height = 8;
    p.pixels.assign(80, 0xFF0000FFu);
    for (int y = 0; y < 8; ++y) p.pixels[y * 10] = 0xFFFF0000u;
    for (int x = 1; x < 10; ++x) p.pixels[x] = 0xFF00FF00u;
    return p;
}

QRgb at(ImageSurface& s, int x, int y) { return s.image().pixel(x, y) & 0xFFFFFFu; }

TEST(BackgroundOnQt, TilesMeetAtTheirBoundariesAndStayInTheArea) {
    const Picture pic = marked_picture();
    ImageSurface s(60, 40, 0xFFFFFF);
    BackgroundPaint paint;
    paint.mode = BACKGROUND_TILED;
    paint.picture = &pic;
    paint.reference_width = 45;
    paint_background_area(s, paint, {0, 0, 45, 30});
    // Each tile starts with the red column and the green row.
    for (int tx = 0; tx < 5; ++tx) {
        EXPECT_EQ(at(s, tx * 10, 4), 0xFF0000u) << tx;
        EXPECT_EQ(at(s, tx * 10 + 3, 0), 0x00FF00u) << tx;
    }
    EXPECT_EQ(at(s, 9, 4), 0x0000FFu);      // the last column of the first tile
    EXPECT_EQ(at(s, 10, 4), 0xFF0000u);     // the next tile's first
    EXPECT_EQ(at(s, 5, 7), 0x0000FFu);
    EXPECT_EQ(at(s, 5, 8), 0x00FF00u);      // the second row of tiles
    EXPECT_EQ(at(s, 5, 24), 0x00FF00u);     // the fourth row, clipped
    EXPECT_EQ(at(s, 44, 29), 0x0000FFu);    // the clipped corner tile
    // Outside the area nothing was drawn.
    EXPECT_EQ(at(s, 45, 4), 0xFFFFFFu);
    EXPECT_EQ(at(s, 5, 30), 0xFFFFFFu);
    EXPECT_EQ(at(s, 59, 39), 0xFFFFFFu);
}

TEST(BackgroundOnQt, DoubleWidthDoublesTheTilesAndStretchCoversAll) {
    const Picture pic = marked_picture();
    ImageSurface s(90, 60, 0xFFFFFF);
    BackgroundPaint paint;
    paint.mode = BACKGROUND_TILED;
    paint.picture = &pic;
    paint.reference_width = 45;
    paint_background_area(s, paint, {0, 0, 90, 60});
    EXPECT_EQ(at(s, 1, 8), 0xFF0000u);      // the red column is two pixels wide
    EXPECT_EQ(at(s, 2, 8), 0x0000FFu);
    EXPECT_EQ(at(s, 20, 8), 0xFF0000u);     // the second tile starts at 20
    EXPECT_EQ(at(s, 19, 8), 0x0000FFu);
    EXPECT_EQ(at(s, 8, 15), 0x0000FFu);
    EXPECT_EQ(at(s, 8, 16), 0x00FF00u);     // the second row starts at 16

    paint.mode = BACKGROUND_STRETCHED;
    ImageSurface t(50, 40, 0xFFFFFF);
    paint_background_area(t, paint, {0, 0, 50, 40});
    EXPECT_EQ(at(t, 2, 20), 0xFF0000u);     // the red column, five times wider
    EXPECT_EQ(at(t, 6, 20), 0x0000FFu);
    EXPECT_EQ(at(t, 25, 2), 0x00FF00u);
    EXPECT_EQ(at(t, 49, 39), 0x0000FFu);
}

TEST(BackgroundOnQt, BmpFilesAreDecodedByQtAfterTheChecks) {
    install_qt_picture_decoder();
    test::TempFolder dir;
    Picture p;
    // 24-bit, bottom-up: the first stored row is the picture's last.
    std::string rgb = test::BmpShape{3, 2, 24, 0, 0}.bytes();
    for (int i = 0; i < 3; ++i) {
        rgb[54 + 3 * i] = '\x10';        // blue
        rgb[54 + 3 * i + 1] = '\x20';    // green
        rgb[54 + 3 * i + 2] = '\x30';    // red
    }
    ASSERT_EQ(load_picture_file(dir.write("rgb.bmp", rgb), &p), PictureStatus::OK);
    EXPECT_EQ(p.width, 3);
    EXPECT_EQ(p.height, 2);
    EXPECT_EQ(p.pixels[3], 0xFF302010u);    // the bottom row
    EXPECT_EQ(p.pixels[0], 0xFF404040u);    // the top row kept the filler bytes
    // 8 bits with an implied table of 256 entries: index 0x40 takes entry 64.
    std::string indexed = test::BmpShape{4, 1, 8, 0, 256}.bytes();
    indexed[54 + 4 * 0x40] = '\x05';
    indexed[54 + 4 * 0x40 + 1] = '\x06';
    indexed[54 + 4 * 0x40 + 2] = '\x07';
    ASSERT_EQ(load_picture_file(dir.write("pal.bmp", indexed), &p), PictureStatus::OK);
    EXPECT_EQ(p.pixels[0], 0xFF070605u);
    // The shipped paper.
    ASSERT_EQ(load_picture_file(std::string(RIX_RESOURCE_DIR) + "/washi1.bmp", &p), PictureStatus::OK);
    EXPECT_EQ(p.width, 128);
    EXPECT_EQ(p.height, 128);
}

}  // namespace
}  // namespace rix
