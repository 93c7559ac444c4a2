// The background picture of a screen format: the file named for its mode,
// read once and kept, read again when the file changes; every failure (a
// missing file, a bad signature, a truncated file, offsets past the end, an
// 8-bit file without a colour count, a corrupt JPEG) tells its message, paints
// the fill and stores mode 0; the shipped JPEG paper loads.
//
// Owed: the shipped BMP paper through Qt (tests/platform_qt/background_qt_test).
#include "app/edit/background.h"

#include <gtest/gtest.h>

#include "app/settings/default_settings.h"
#include "platform/codec.h"
#include "platform/fake_messages.h"
#include "rix_build_paths.h"
#include "tests/support/pictures.h"
#include "tests/support/temp_folder.h"

namespace rix {
namespace {

using test::BmpShape;
using test::put32;

constexpr const char* OPEN_FAILED = "画像ファイルのオープンに失敗しました｡\n背景を塗潰し描画にします｡";
constexpr const char* JPEG_FAILED = "ＪＰＥＧ画像ファイルのオープンに失敗しました｡\n背景を塗潰し描画にします｡";
constexpr const char* NOT_BITMAP = "ビットマップではありません｡";

struct BackgroundTest : ::testing::Test {
    FakeMessages messages;
    test::TempFolder dir;
    SettingsState settings;
    BackgroundPicture bg;

    void SetUp() override { build_default_settings(&settings.rec); }
    void name(int slot, int mode, const std::string& file) {
        settings.rec.background_mode[slot] = static_cast<std::uint8_t>(mode);
        BackgroundImageNames& n = settings.rec.background_images[slot];
        store_field(mode == BACKGROUND_TILED ? n.tile_image_name : n.full_image_name, 16, file);
        settings.changed = false;
    }
    BackgroundPaint prepare(int slot, int width = 640) {
        return prepare_background(&settings, slot, dir.path(), bg, width);
    }
    // One failure: its message and time, the fill, mode 0 stored.
    void expect_fallback(const std::string& file, const std::string& bytes, const char* text, unsigned ms) {
        SCOPED_TRACE(file);
        dir.write(file, bytes);
        name(2, BACKGROUND_TILED, file);
        messages.log.clear();
        const BackgroundPaint p = prepare(2);
        EXPECT_EQ(p.mode, BACKGROUND_FILL);
        EXPECT_EQ(p.picture, nullptr);
        const std::uint32_t fill = settings.rec.fill_colour[2];   // the record is packed: a copy, not a reference
        EXPECT_EQ(p.fill_colour, fill);
        ASSERT_EQ(messages.log.size(), 1u);
        EXPECT_EQ(messages.log[0].text, utf8_to_sjis(text));
        EXPECT_EQ(messages.log[0].time_ms, ms);
        EXPECT_EQ(settings.rec.background_mode[2], 0);
        EXPECT_TRUE(settings.changed);
        EXPECT_FALSE(bg.picture.valid());
    }
};

TEST_F(BackgroundTest, FillNeedsNoFile) {
    settings.rec.background_mode[0] = 0;
    const BackgroundPaint p = prepare(0, 777);
    EXPECT_EQ(p.mode, BACKGROUND_FILL);
    EXPECT_EQ(p.reference_width, 777);
    EXPECT_TRUE(messages.log.empty());
}

TEST_F(BackgroundTest, PictureIsReadOnceAndAgainWhenItChanges) {
    dir.write("paper.JPG", test::make_jpeg(30, 20, 250, 240, 220));
    name(1, BACKGROUND_STRETCHED, "paper.JPG");
    BackgroundPaint p = prepare(1, 500);
    ASSERT_EQ(p.mode, BACKGROUND_STRETCHED);
    ASSERT_NE(p.picture, nullptr);
    EXPECT_EQ(p.picture->width, 30);
    EXPECT_EQ(p.reference_width, 500);
    const std::uint32_t* pixels = bg.picture.pixels.data();
    // Printing keeps the screen's reference width and the decoded picture.
    p = prepare(1, 0);
    EXPECT_EQ(p.reference_width, 500);
    EXPECT_EQ(bg.picture.pixels.data(), pixels);
    // Another file of the same name is read again.
    dir.write("paper.JPG", test::make_jpeg(44, 10, 0, 0, 0));
    bg.file_stamp += 1;   // whatever the clock's resolution
    p = prepare(1);
    EXPECT_EQ(p.picture->width, 44);
    EXPECT_TRUE(messages.log.empty());
    EXPECT_FALSE(settings.changed);
}

TEST_F(BackgroundTest, FailuresFallBackToTheFillWithTheirMessage) {
    const std::string good = BmpShape{5, 3, 24, 0, 0}.bytes();
    std::string bad_signature = good;
    bad_signature[0] = 'P';
    expect_fallback("sig.bmp", bad_signature, NOT_BITMAP, 3000);
    expect_fallback("cut.bmp", good.substr(0, good.size() - 7), OPEN_FAILED, 5000);
    std::string past_end = good;
    put32(past_end, 10, 0x10000);
    expect_fallback("far.bmp", past_end, OPEN_FAILED, 5000);
    expect_fallback("pal.bmp", BmpShape{6, 2, 8, 0, 0}.bytes(), OPEN_FAILED, 5000);
    std::string jpeg = test::make_jpeg(16, 16, 1, 2, 3);
    jpeg.resize(jpeg.size() / 2);
    expect_fallback("bad.jpg", jpeg, JPEG_FAILED, 5000);
    // A name with no file.
    name(2, BACKGROUND_TILED, "gone.bmp");
    messages.log.clear();
    EXPECT_EQ(prepare(2).mode, BACKGROUND_FILL);
    ASSERT_EQ(messages.log.size(), 1u);
    EXPECT_EQ(messages.log[0].text, utf8_to_sjis(OPEN_FAILED));
    EXPECT_EQ(settings.rec.background_mode[2], 0);
}

TEST_F(BackgroundTest, ShippedJpegPaperLoads) {
    const std::string resources = RIX_RESOURCE_DIR;
    const BackgroundPaint p = prepare_background(&settings, 0, resources, bg, 640);
    EXPECT_EQ(p.mode, BACKGROUND_FILL);   // the default formats fill
    settings.rec.background_mode[0] = BACKGROUND_TILED;
    store_field(settings.rec.background_images[0].tile_image_name, 16, "washi2.jpg");
    const BackgroundPaint tiled = prepare_background(&settings, 0, resources, bg, 640);
    ASSERT_EQ(tiled.mode, BACKGROUND_TILED);
    EXPECT_EQ(tiled.picture->width, 160);
    EXPECT_EQ(tiled.picture->height, 160);
    EXPECT_TRUE(messages.log.empty());
}

}  // namespace
}  // namespace rix
