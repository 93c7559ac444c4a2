// The screen format dialog through the fake host: what it shows, the storing
// order with its stops (direction question, range notice, missing image), the
// font and colour choosers, switching formats, the test buttons and cancel.
//
// Still owed: the image file chooser once the program has one.
#include "app/settings/fmset_dialog.h"

#include <gtest/gtest.h>

#include <cstring>

#include "app/edit/format_views.h"
#include "platform/codec.h"
#include "platform/fake_dialogs.h"
#include "platform/fake_fonts.h"
#include "platform/fake_messages.h"
#include "tests/support/temp_folder.h"

namespace rix {
namespace {

std::string sj(std::string_view utf8) { return utf8_to_sjis(utf8); }

SettingsState make_settings() {
    SettingsState s;
    SettingsRecord& r = s.rec;
    for (int f = 0; f < SCREEN_FORMAT_COUNT; ++f) {
        r.columns_per_page[f] = 20;
        r.chars_per_column[f] = 20;
        r.tier_count[f] = 1;
        r.page_columns[f] = 20;
        r.tab_width[f] = 4;
        r.cell_width_percent[f] = 20;
        r.kinsoku[f].kinsoku_mode = 1;
        r.font[f].height = -16;
        r.font[f].weight = 400;
        r.text_colour_rgb[f] = 0x000000;
        r.fill_colour[f] = 0xFFFFFF;
        store_field(r.font[f].face, sizeof r.font[f].face, sj("@IPAex明朝"));
        store_field(r.format_name[f], 16, sj("原稿用紙") + std::to_string(f + 1));
    }
    return s;
}

struct Fixture : ::testing::Test {
    FakeDialogHost host;
    FakeMessages messages;
    FakeFontChooser chooser;
    SettingsState settings = make_settings();
    FmsetUi ui;
    int applied = 0;
    int stale = 0;

    FmsetServices services() {
        FmsetServices s;
        s.font_chooser = &chooser;
        s.apply = [this] { ++applied; };
        s.page_count_stale = [this] { ++stale; };
        return s;
    }
    int run() { return run_fmset_dialog(&ui, &settings, services(), 0); }
};

using FmsetDialogTest = Fixture;

TEST_F(FmsetDialogTest, ShowsTheCurrentFormatAndStoresOnOk) {
    settings.rec.current_screen_format = 1;
    settings.rec.cell_offset_percent[1] = -3;
    host.script([](DialogSession& d) {
        EXPECT_EQ(sjis_to_utf8(d.caption()), "書式 2  画面書式設定");
        EXPECT_TRUE(d.get_check(101));
        EXPECT_FALSE(d.is_enabled(900));
        EXPECT_TRUE(d.is_enabled(901));
        EXPECT_EQ(d.get_text(901), sj("原稿用紙2"));
        EXPECT_EQ(d.get_number(2005), -3);
        EXPECT_EQ(d.get_pos(10005), -3);
        EXPECT_EQ(sjis_to_utf8(d.get_text(FMSET_FONT_FACE)), " @IPAex明朝");
        EXPECT_EQ(sjis_to_utf8(d.get_text(FMSET_FONT_STYLE)), "標準");
        EXPECT_EQ(d.get_text(FMSET_FONT_POINTS), "12");   // 16 px at 96 dpi
        d.type_text(901, sj("文庫"));
        d.type_text(2000, "30");
        EXPECT_EQ(d.get_pos(10000), 30);   // a typed number moves its spin
        d.spin(10001, 5);                   // a spin writes its edit
        EXPECT_EQ(d.get_number(2001), 25);
        d.press(1150);                      // 自動字下げ
        d.press(1130);                      // 改ﾍﾟｰｼﾞﾏｰｸ表示
        d.press(1);
    });
    EXPECT_EQ(run(), DIALOG_OK);
    const SettingsRecord& r = settings.rec;
    EXPECT_EQ(format_name(r, 1), sj("文庫"));
    EXPECT_EQ(r.columns_per_page[1], 30);
    EXPECT_EQ(r.chars_per_column[1], 25);
    EXPECT_EQ(r.cell_offset_percent[1], -3);
    EXPECT_EQ(r.auto_indent[1], 1);
    EXPECT_EQ(r.mark_flags[1], 2);
    EXPECT_EQ(r.columns_per_page[0], 20);   // other formats untouched
    EXPECT_TRUE(settings.changed);
    EXPECT_EQ(applied, 1);
    EXPECT_EQ(stale, 1);                    // chars_per_column changed
    EXPECT_TRUE(host.missing.empty());
}

TEST_F(FmsetDialogTest, RangeNoticeStopsStoringAndCancelRestores) {
    host.script([this](DialogSession& d) {
        d.press(1150);                      // stored before the numbers are read
        d.type_text(2000, "21");
        d.type_text(2003, "");              // neither a number nor a silent 0
        d.type_text(2001, "101");
        d.press(4);
        EXPECT_FALSE(d.ended());
        ASSERT_EQ(messages.log.size(), 1u);
        EXPECT_EQ(messages.utf8(0), "１列の文字数の数値範囲は\n5 から 100 までです。");
        EXPECT_EQ(messages.log[0].time_ms, 3000u);
        EXPECT_EQ(settings.rec.auto_indent[0], 1);
        EXPECT_EQ(settings.rec.columns_per_page[0], 20);
        EXPECT_TRUE(settings.changed);
        EXPECT_EQ(applied, 0);
        d.type_text(2001, "40");
        d.press(1);                          // 設定 meets the next bad value and stays
        EXPECT_FALSE(d.ended());
        EXPECT_EQ(messages.utf8(1), "段間桁数の数値範囲は\n0 から 3 までです。");
        d.press(2);
    });
    EXPECT_EQ(run(), DIALOG_CANCEL);
    EXPECT_EQ(settings.rec.auto_indent[0], 0);
    EXPECT_EQ(settings.rec.columns_per_page[0], 20);
    EXPECT_EQ(applied, 1);                   // cancel re-initialises the screen
}

TEST_F(FmsetDialogTest, DirectionAgainstTheFontFaceAsksFirst) {
    messages.answer(MSG_RESULT_NO);
    messages.answer(MSG_RESULT_YES);
    host.script([this](DialogSession& d) {
        d.press(1001);                       // 横書 with an "@" face
        d.press(1160);
        d.press(4);
        EXPECT_TRUE(messages.saw("このまま縦／横形式を切替えますか？"));
        EXPECT_TRUE(d.get_check(1000));      // the radios are back
        EXPECT_FALSE(d.get_check(1001));
        EXPECT_EQ(settings.rec.auto_scroll[0], 0);   // nothing stored
        d.press(1001);
        d.press(4);
        EXPECT_EQ(settings.rec.writing_direction[0], 1);
        EXPECT_EQ(settings.rec.auto_scroll[0], 1);
        d.press(1);                          // asks again: unscripted answers "no"
    });
    run();
    EXPECT_EQ(messages.log.size(), 3u);
    EXPECT_EQ(messages.unexpected, 1);
}

TEST_F(FmsetDialogTest, FontAndColourChoosersAndCancel) {
    FontDescription gothic = font_description(settings.rec.font[0]);
    gothic.face = sj("@IPAexゴシック");
    gothic.height = -24;
    gothic.weight = 700;
    chooser.answer_ok(gothic);
    host.colour_answers = {0x123456, std::nullopt, 0x00FF00};
    host.script([this](DialogSession& d) {
        d.press(FMSET_FONT_BUTTON);
        EXPECT_EQ(sjis_to_utf8(d.get_text(FMSET_FONT_FACE)), " @IPAexゴシック");
        EXPECT_EQ(sjis_to_utf8(d.get_text(FMSET_FONT_STYLE)), "太字");
        EXPECT_EQ(d.get_text(FMSET_FONT_POINTS), "18");
        EXPECT_EQ(settings.rec.font[0].escapement, FONT_VERTICAL_ESCAPEMENT);
        d.press(3100);                       // 文字
        d.press(3001);                       // the 桝目 swatch, cancelled
        d.press(3004);                       // the IME文字 swatch
        EXPECT_EQ(d.get_colour(3000), 0x123456u);
        EXPECT_EQ(d.get_colour(3001), 0u);
        EXPECT_EQ(settings.rec.text_colour_rgb[0], 0u);   // not before a store
        d.press(4);
        EXPECT_EQ(settings.rec.text_colour_rgb[0], 0x123456u);
        EXPECT_EQ(settings.rec.ime_text_colour[0], 0x00FF00u);
        d.press_escape();
    });
    EXPECT_EQ(run(), DIALOG_CANCEL);
    ASSERT_EQ(host.colour_captions.size(), 3u);
    EXPECT_EQ(sjis_to_utf8(host.colour_captions[0]), " 書式 1　文字色設定");
    EXPECT_EQ(sjis_to_utf8(host.colour_captions[2]), " 書式 1　IME文字色設定");
    EXPECT_EQ(sjis_to_utf8(chooser.asked.at(0).caption), " 書式 1　文字フォントの設定");
    // Cancel put back the font record and the colours the test stored.
    const SettingsState original = make_settings();
    EXPECT_EQ(std::memcmp(&settings.rec, &original.rec, sizeof(SettingsRecord)), 0);
}

TEST_F(FmsetDialogTest, SwitchingFormatsRefillsAndCancelRestoresEveryFormatShown) {
    settings.rec.writing_direction[2] = 1;
    store_field(settings.rec.font[2].face, 32, sj("IPAex明朝"));
    host.script([this](DialogSession& d) {
        d.type_text(2006, "2");
        d.press(4);                          // format 1 tested
        EXPECT_EQ(settings.rec.tab_width[0], 2);
        d.press(102);
        EXPECT_EQ(settings.rec.current_screen_format, 2);
        EXPECT_EQ(sjis_to_utf8(d.caption()), "書式 3  画面書式設定");
        EXPECT_TRUE(d.get_check(1001));
        EXPECT_TRUE(d.is_enabled(902));
        EXPECT_FALSE(d.is_enabled(900));
        d.type_text(2002, "2");
        d.press(4);                          // tiers 2 with gap 0: warned, stored
        EXPECT_TRUE(messages.saw("段間桁数が０の時"));
        EXPECT_EQ(settings.rec.tier_count[2], 2);
        d.press(2);
    });
    run();
    EXPECT_EQ(settings.rec.tab_width[0], 4);
    EXPECT_EQ(settings.rec.tier_count[2], 1);
    EXPECT_EQ(settings.rec.current_screen_format, 2);   // the switch itself stays
    EXPECT_EQ(applied, 4);                   // test, switch, test, cancel
}

TEST_F(FmsetDialogTest, BackgroundImageMustExistInTheProgramFolder) {
    test::TempFolder folder;
    host.script([&](DialogSession& d) {
        EXPECT_FALSE(d.is_enabled(FMSET_TILE_IMAGE));
        d.press(3201);
        EXPECT_TRUE(d.is_enabled(FMSET_TILE_IMAGE));
        EXPECT_FALSE(d.is_enabled(3107));    // fill colour only with mode 0
        d.type_text(FMSET_TILE_IMAGE, "washi.jpg");
        d.press(4);
        EXPECT_TRUE(messages.saw("画像ファイルが存在しません"));
        EXPECT_EQ(settings.rec.background_mode[0], 0);
        EXPECT_EQ(read_field(settings.rec.background_images[0].tile_image_name, 16), "washi.jpg");
        d.type_text(FMSET_TILE_IMAGE, "../washi.jpg");
        folder.write("washi.jpg", "x");
        d.press(4);                          // never looked up outside the folder
        EXPECT_EQ(settings.rec.background_mode[0], 0);
        d.type_text(FMSET_TILE_IMAGE, "washi.jpg");
        d.press(1);
    });
    FmsetServices s = services();
    s.program_folder = folder.path();
    EXPECT_EQ(run_fmset_dialog(&ui, &settings, s, 0), DIALOG_OK);
    EXPECT_EQ(settings.rec.background_mode[0], 1);
}

TEST_F(FmsetDialogTest, NameButtonHelpAndHiddenTest) {
    host.script([this](DialogSession& d) {
        d.type_text(2000, "17");
        d.type_text(2002, "3");
        d.type_text(2003, "1");
        d.press(FMSET_NAME_BUTTON);
        EXPECT_EQ(sjis_to_utf8(d.get_text(900)), "17列x20桁x3段");
        d.press(FMSET_HELP);
        d.press(FMSET_TEST_HIDDEN);
        EXPECT_FALSE(d.ended());
        EXPECT_EQ(settings.rec.tier_count[0], 3);
        EXPECT_EQ(format_name(settings.rec, 0), sj("原稿用紙1"));   // the name waits for 設定
        d.press(1);
    });
    run();
    EXPECT_EQ(messages.help_topics, std::vector<std::string>{"ENV_FMSET"});
    ASSERT_FALSE(messages.log.empty());
    EXPECT_EQ(messages.log.back().time_ms, 7000u);
    EXPECT_EQ(sjis_to_utf8(format_name(settings.rec, 0)), "17列x20桁x3段");
}

TEST_F(FmsetDialogTest, TheDialogOpensWhereItStoodInItsOwnerOnly) {
    auto position = [](DialogSession& d) {
        int x = -1, y = -1;
        d.window_position(&x, &y);
        return std::pair(x, y);
    };
    host.script([](DialogSession& d) {
        d.move_window(40, 70);
        d.press_escape();
    });
    run();
    EXPECT_TRUE(ui.position_known);
    host.script([&](DialogSession& d) {
        EXPECT_EQ(position(d), std::pair(40, 70));
        d.press_escape();
    });
    run();
    // Another owner's memory: the host places the dialog.
    FmsetUi other;
    host.script([&](DialogSession& d) {
        EXPECT_NE(position(d), std::pair(40, 70));
        d.press_escape();
    });
    run_fmset_dialog(&other, &settings, services(), 0);
}

TEST(FormatKeys, AltDigitsSwitchOnlyToNamedFormats) {
    SettingsState settings = make_settings();
    store_field(settings.rec.format_name[3], 16, "");
    EXPECT_FALSE(select_format_by_key(&settings, 3, false));   // no name: no switch
    EXPECT_FALSE(select_format_by_key(&settings, 0, false));   // already current
    EXPECT_FALSE(select_format_by_key(&settings, 5, false));
    EXPECT_FALSE(settings.changed);
    EXPECT_TRUE(select_format_by_key(&settings, 4, false));
    EXPECT_EQ(settings.rec.current_screen_format, 4);
    EXPECT_TRUE(settings.changed);
}

}  // namespace
}  // namespace rix
