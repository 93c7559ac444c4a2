// Picture files without a window: BMP headers checked against the real file
// (signature, short files, offsets and pixel rows past the end, colour
// tables explicit, implied and too large, bounded sizes), JPEG decoded by
// libjpeg with the error handler (a good file, one cut short, garbage, a
// name in upper case), and the file reading's refusals.
//
// Owed: BMP pixels decoded by Qt (tests/platform_qt/background_qt_test).
#include "platform/picture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/pictures.h"
#include "tests/support/temp_folder.h"

namespace rix {
namespace {

using test::BmpShape;
using test::make_jpeg;
using test::put16;
using test::put32;

PictureStatus check(const std::string& b) {
    BmpHeader h;
    return check_bmp(b, &h);
}

TEST(BmpHeaders, SoundFilesPass) {
    BmpHeader h;
    const BmpShape rgb{5, 3, 24, 0, 0};
    ASSERT_EQ(check_bmp(rgb.bytes(), &h), PictureStatus::OK);
    EXPECT_EQ(h.width, 5);
    EXPECT_EQ(h.height, 3);
    EXPECT_EQ(h.bit_count, 24);
    EXPECT_EQ(h.pixel_offset, 54u);
    EXPECT_EQ(h.colours, 0);
    // A top-down file keeps a positive height.
    const BmpShape down{5, -3, 24, 0, 0};
    ASSERT_EQ(check_bmp(down.bytes(), &h), PictureStatus::OK);
    EXPECT_EQ(h.height, 3);
    EXPECT_TRUE(h.top_down);
    // An 8-bit file with its 256 colours given by count or implied.
    EXPECT_EQ(check(BmpShape{7, 2, 8, 256, 256}.bytes()), PictureStatus::OK);
    ASSERT_EQ(check_bmp(BmpShape{7, 2, 8, 0, 256}.bytes(), &h), PictureStatus::OK);
    EXPECT_EQ(h.colours, 256);
    EXPECT_EQ(check(BmpShape{7, 2, 8, 16, 16}.bytes()), PictureStatus::OK);
    EXPECT_EQ(check(BmpShape{9, 2, 1, 0, 2}.bytes()), PictureStatus::OK);
    // bfSize is not trusted: a wrong one alone does not spoil a whole file.
    std::string b = rgb.bytes();
    put32(b, 2, 0);
    EXPECT_EQ(check(b), PictureStatus::OK);
}

TEST(BmpHeaders, BrokenFilesAreRefused) {
    const std::string good = BmpShape{5, 3, 24, 0, 0}.bytes();
    // Signature.
    std::string b = good;
    b[1] = 'X';
    EXPECT_EQ(check(b), PictureStatus::NOT_BITMAP);
    EXPECT_EQ(check(""), PictureStatus::NOT_BITMAP);
    // Cut inside the headers and inside the pixel rows.
    EXPECT_EQ(check(good.substr(0, 30)), PictureStatus::BAD_BITMAP);
    EXPECT_EQ(check(good.substr(0, good.size() - 1)), PictureStatus::BAD_BITMAP);
    // Offsets past the end, or into the headers.
    b = good;
    put32(b, 10, static_cast<std::uint32_t>(good.size()));
    EXPECT_EQ(check(b), PictureStatus::BAD_BITMAP);
    b = good;
    put32(b, 10, 0xFFFFFFF0u);
    EXPECT_EQ(check(b), PictureStatus::BAD_BITMAP);
    b = good;
    put32(b, 10, 20);
    EXPECT_EQ(check(b), PictureStatus::BAD_BITMAP);
    b = good;
    put32(b, 14, 0x7FFFFFFF);   // an info header larger than the file
    EXPECT_EQ(check(b), PictureStatus::BAD_BITMAP);
    // An 8-bit file without a colour count and without the 256 implied entries.
    EXPECT_EQ(check(BmpShape{7, 2, 8, 0, 0}.bytes()), PictureStatus::BAD_BITMAP);
    EXPECT_EQ(check(BmpShape{7, 2, 8, 0, 16}.bytes()), PictureStatus::BAD_BITMAP);
    // More colours than 256, or than the depth indexes.
    EXPECT_EQ(check(BmpShape{7, 2, 8, 257, 257}.bytes()), PictureStatus::BAD_BITMAP);
    EXPECT_EQ(check(BmpShape{7, 2, 4, 17, 17}.bytes()), PictureStatus::BAD_BITMAP);
    EXPECT_EQ(check(BmpShape{7, 2, 24, 300, 300}.bytes()), PictureStatus::BAD_BITMAP);
    // Sizes: zero, negative width, huge.
    EXPECT_EQ(check(BmpShape{0, 2, 24, 0, 0}.bytes()), PictureStatus::BAD_BITMAP);
    b = good;
    put32(b, 18, static_cast<std::uint32_t>(-5));
    EXPECT_EQ(check(b), PictureStatus::BAD_BITMAP);
    b = good;
    put32(b, 18, 100000);
    EXPECT_EQ(check(b), PictureStatus::BAD_BITMAP);
    b = good;
    put32(b, 22, 0x80000000u);
    EXPECT_EQ(check(b), PictureStatus::BAD_BITMAP);
    // Unknown depth or compression.
    b = good;
    put16(b, 28, 7);
    EXPECT_EQ(check(b), PictureStatus::BAD_BITMAP);
    b = good;
    put32(b, 30, 4);   // JPEG inside a BMP
    EXPECT_EQ(check(b), PictureStatus::BAD_BITMAP);
}

TEST(Jpeg, DecodesAndRefusesBrokenData) {
    const std::string jpeg = make_jpeg(20, 12, 200, 40, 90);
    Picture p;
    ASSERT_EQ(decode_jpeg(jpeg, &p), PictureStatus::OK);
    EXPECT_EQ(p.width, 20);
    EXPECT_EQ(p.height, 12);
    ASSERT_TRUE(p.valid());
    const std::uint32_t px = p.pixels[5 * 20 + 7];
    EXPECT_EQ(px >> 24, 0xFFu);
    EXPECT_NEAR(static_cast<int>(px >> 16 & 0xFF), 200, 4);
    EXPECT_NEAR(static_cast<int>(px >> 8 & 0xFF), 40, 4);
    EXPECT_NEAR(static_cast<int>(px & 0xFF), 90, 4);
    // Cut short, garbage, nothing: refused, and nothing left behind.
    EXPECT_EQ(decode_jpeg(jpeg.substr(0, jpeg.size() / 2), &p), PictureStatus::JPEG_FAILED);
    EXPECT_FALSE(p.valid());
    EXPECT_TRUE(p.pixels.empty());
    std::string spoilt = jpeg;
    for (std::size_t i = spoilt.size() / 3; i < spoilt.size() - 2; ++i) spoilt[i] = static_cast<char>(0xFF);
    EXPECT_EQ(decode_jpeg(spoilt, &p), PictureStatus::JPEG_FAILED);
    EXPECT_EQ(decode_jpeg("not a picture at all", &p), PictureStatus::JPEG_FAILED);
    EXPECT_EQ(decode_jpeg("", &p), PictureStatus::JPEG_FAILED);
}

TEST(PictureFiles, NameDecidesJpegAndFailuresAreTold) {
    EXPECT_TRUE(is_jpeg_name("X.JPG"));
    EXPECT_TRUE(is_jpeg_name("a.Jpeg"));
    EXPECT_TRUE(is_jpeg_name("photojpg"));
    EXPECT_FALSE(is_jpeg_name("a.bmp"));
    EXPECT_FALSE(is_jpeg_name("jp"));
    test::TempFolder dir;
    Picture p;
    // An upper-case extension is read as JPEG.
    const std::string jpeg_path = dir.write("X.JPG", make_jpeg(8, 8, 10, 20, 30));
    ASSERT_EQ(load_picture_file(jpeg_path, &p), PictureStatus::OK);
    EXPECT_EQ(p.width, 8);
    // A BMP under a JPEG name is a failed JPEG, never a crash.
    EXPECT_EQ(load_picture_file(dir.write("b.jpg", BmpShape{}.bytes()), &p), PictureStatus::JPEG_FAILED);
    EXPECT_EQ(load_picture_file(dir.path() + "/missing.bmp", &p), PictureStatus::OPEN_FAILED);
    EXPECT_EQ(load_picture_file(dir.write("empty.bmp", ""), &p), PictureStatus::OPEN_FAILED);
    EXPECT_EQ(load_picture_file(dir.path(), &p), PictureStatus::OPEN_FAILED);   // a folder
    EXPECT_EQ(load_picture_file(dir.write("t.bmp", "BMxx"), &p), PictureStatus::BAD_BITMAP);
    EXPECT_EQ(load_picture_file(dir.write("n.bmp", "PNG....................................................."), &p),
              PictureStatus::NOT_BITMAP);
    // A sound BMP without a decoder installed is not shown.
    install_bmp_decoder(nullptr);
    EXPECT_EQ(load_picture_file(dir.write("s.bmp", BmpShape{}.bytes()), &p), PictureStatus::BAD_BITMAP);
    EXPECT_FALSE(p.valid());
}

}  // namespace
}  // namespace rix
