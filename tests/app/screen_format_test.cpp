// Screen formats over the settings record: the geometry's write-backs reach
// the record and mark it changed, switching formats, bounded names, the format
// font with its fallback to the font dialog, and the dialog's stores.
//
// Still owed: the IME font update after a font is made. (The ENV_FMSET
// procedure has its own tests in fmset_dialog_test.)
#include "app/edit/screen_format.h"

#include <gtest/gtest.h>

#include <cstring>

#include "app/edit/format_views.h"
#include "platform/codec.h"
#include "platform/fake_fonts.h"
#include "platform/fake_messages.h"

namespace rix {
namespace {

std::string sj(std::string_view utf8) { return utf8_to_sjis(utf8); }

// Screen slot 0: vertical 20 × 20, auto-adjust 2, margins already in ‰.
SettingsState make_settings() {
    SettingsState s;
    SettingsRecord& r = s.rec;
    for (int f = 0; f < FORMAT_SLOT_COUNT; ++f) {
        r.writing_direction[f] = 0;
        r.columns_per_page[f] = 20;
        r.chars_per_column[f] = 20;
        r.tier_count[f] = 1;
        r.page_columns[f] = 20;
        r.kinsoku[f].kinsoku_mode = 1;
        r.font[f].height = -20;
        r.font[f].weight = 400;
        store_field(r.font[f].face, sizeof r.font[f].face, sj("@IPAex明朝"));
    }
    r.auto_adjust[0] = ADJUST_COUNTS;
    r.margins_permille_done = 0xFF;
    return s;
}

// One screen re-initialisation as the display code runs it.
DisplayGeometry reinit(SettingsState* s, int w, int h, const DisplayGeometry& prev, FakeFonts* fonts) {
    const int slot = current_screen_slot(s->rec);
    FontMetrics m;
    EXPECT_TRUE(create_format_font(s, slot, *fonts, nullptr, &m));
    DisplayGeometry g;
    ScreenFormatChanges changes;
    recompute_geometry(screen_format_view(s->rec, slot), w, h, m, prev, &g, &changes);
    apply_screen_format_changes(s, slot, changes);
    return g;
}

TEST(ScreenFormat, ViewOfScreenAndPrintSlots) {
    SettingsState s = make_settings();
    s.rec.writing_direction[2] = 1;
    s.rec.cell_offset_percent[2] = -7;
    s.rec.centre_margin_permille[2] = 120;
    s.rec.margins_permille_done = 0xFB;   // slot 2 not yet migrated
    ScreenFormat f = screen_format_view(s.rec, 2);
    EXPECT_FALSE(f.vertical);
    EXPECT_EQ(f.cell_offset_percent, -7);
    EXPECT_EQ(f.centre_margin_permille, 120);
    EXPECT_FALSE(f.margins_in_permille);
    EXPECT_FALSE(f.print);

    s.rec.fukuro_toji[1] = 1;
    s.rec.wrap_enabled[1] = 1;
    s.rec.wrap_chars[1] = 15;
    f = screen_format_view(s.rec, 6);
    EXPECT_TRUE(f.print);
    EXPECT_TRUE(f.two_pages_per_sheet);
    EXPECT_EQ(f.fold_length, 15);
    EXPECT_EQ(f.centre_margin_permille, 0);
}

TEST(ScreenFormat, ModeTwoResizesStoreCountsAndSwitchingBackDoesNot) {
    FakeFonts fonts;
    SettingsState s = make_settings();
    DisplayGeometry g = reinit(&s, 800, 600, {}, &fonts);   // pitches 40 × 30
    EXPECT_FALSE(s.changed);
    g = reinit(&s, 1000, 700, g, &fonts);                   // 25 columns, 23 cells
    EXPECT_TRUE(s.changed);
    EXPECT_EQ(s.rec.columns_per_page[0], 25);
    EXPECT_EQ(s.rec.chars_per_column[0], 23);

    // Alt+2 and back: the first computation after a switch never adjusts.
    s.changed = false;
    ASSERT_TRUE(select_screen_format(&s, 1, false).changed);
    g = reinit(&s, 900, 650, g, &fonts);
    EXPECT_EQ(s.rec.columns_per_page[1], 20);
    ASSERT_TRUE(select_screen_format(&s, 0, false).changed);
    s.changed = false;
    g = reinit(&s, 1200, 800, g, &fonts);
    EXPECT_EQ(g.adjust_mode, ADJUST_NONE);
    EXPECT_EQ(s.rec.columns_per_page[0], 25);
    EXPECT_FALSE(s.changed);

    // A minimised window changes nothing; restoring the size adjusts nothing.
    ScreenFormatChanges none;
    EXPECT_FALSE(recompute_geometry(screen_format_view(s.rec, 0), 0, 0, FontMetrics{}, g, &g, &none));
    g = reinit(&s, 1200, 800, g, &fonts);
    EXPECT_EQ(s.rec.columns_per_page[0], 25);
    EXPECT_FALSE(s.changed);
}

TEST(ScreenFormat, ModeOneStoresTheScaledHeight) {
    FakeFonts fonts;
    SettingsState s = make_settings();
    s.rec.auto_adjust[0] = ADJUST_SCALE_FONT;
    DisplayGeometry g = reinit(&s, 800, 600, {}, &fonts);
    g = reinit(&s, 1600, 600, g, &fonts);   // (40 + 20 + 1) / 2 = 30
    EXPECT_EQ(s.rec.font[0].height, -30);
    EXPECT_TRUE(s.changed);
    // The next re-initialisation makes the font at the stored size.
    g = reinit(&s, 1600, 600, g, &fonts);
    EXPECT_EQ(fonts.requests.back().pixel_height, 30);
    EXPECT_EQ(g.font_h, 30);
}

TEST(ScreenFormat, MarginMigrationAndTierZeroAreStoredOnce) {
    FakeFonts fonts;
    SettingsState s = make_settings();
    s.rec.margins_permille_done = 0xFE;
    s.rec.margin_start_permille[0] = 5;
    s.rec.margin_top_permille[0] = 4;
    s.rec.margin_end_permille[0] = 9;
    s.rec.tier_count[0] = 0;
    DisplayGeometry g = reinit(&s, 800, 600, {}, &fonts);
    EXPECT_TRUE(s.changed);
    EXPECT_EQ(s.rec.margin_start_permille[0], 50);
    EXPECT_EQ(s.rec.margin_end_permille[0], 50);
    EXPECT_EQ(s.rec.margin_top_permille[0], 40);
    EXPECT_EQ(s.rec.margin_bottom_permille[0], 40);
    EXPECT_EQ(s.rec.margins_permille_done, 0xFF);
    EXPECT_EQ(s.rec.tier_count[0], 1);
    s.changed = false;
    reinit(&s, 800, 600, g, &fonts);
    EXPECT_EQ(s.rec.margin_start_permille[0], 50);
    EXPECT_FALSE(s.changed);
}

TEST(ScreenFormat, SelectScreenFormat) {
    SettingsState s = make_settings();
    FormatSwitch sw = select_screen_format(&s, 0, true);
    EXPECT_FALSE(sw.changed);
    EXPECT_FALSE(s.changed);
    EXPECT_FALSE(select_screen_format(&s, 5, true).changed);
    EXPECT_FALSE(select_screen_format(&s, -1, true).changed);
    EXPECT_EQ(s.rec.current_screen_format, 0);

    s.rec.writing_direction[1] = 1;   // both undocked, direction differs
    sw = select_screen_format(&s, 1, true);
    EXPECT_TRUE(sw.changed);
    EXPECT_EQ(sw.previous_slot, 0);
    EXPECT_TRUE(sw.redock_index);
    EXPECT_TRUE(s.changed);
    EXPECT_EQ(s.rec.current_screen_format, 1);

    s.rec.index_dock[1] = 1;          // both docked left: direction does not matter
    s.rec.index_dock[2] = 1;
    EXPECT_FALSE(select_screen_format(&s, 2, true).redock_index);
    EXPECT_TRUE(select_screen_format(&s, 3, true).redock_index);   // docked → floating
    EXPECT_FALSE(select_screen_format(&s, 4, false).redock_index); // no index window
}

TEST(ScreenFormat, NamesAreReadBoundedAndCutOnACharacter) {
    SettingsState s = make_settings();
    // 15 bytes of ASCII and a lone lead byte, no NUL, then the next name.
    std::memcpy(s.rec.format_name[0], "ABCDEFGHIJKLMNO\x88", 16);
    store_field(s.rec.format_name[1], 16, sj("原稿"));
    EXPECT_EQ(format_name(s.rec, 0), "ABCDEFGHIJKLMNO");
    // Eight double-byte characters fill the field exactly.
    const std::string eight = sj("原稿用紙二十行詰");
    std::memcpy(s.rec.format_name[0], eight.data(), 16);
    EXPECT_EQ(format_name(s.rec, 0), eight);

    store_format_name(&s, 2, sj("あいうえおかきくけ"));   // 18 bytes: cut to 16
    EXPECT_TRUE(s.changed);
    EXPECT_EQ(format_name(s.rec, 2), sj("あいうえおかきく"));
    EXPECT_EQ(counts_format_name(20, 40, 2), sj("20列x40桁x2段"));
}

TEST(ScreenFormat, CreateFormatFontAppliesTheLayoutRules) {
    FakeFonts fonts;
    SettingsState s = make_settings();
    FontMetrics m;
    ASSERT_TRUE(create_format_font(&s, 0, fonts, nullptr, &m));
    EXPECT_EQ(m.cell_w, 20);
    EXPECT_TRUE(fonts.requests.back().vertical);
    EXPECT_EQ(fonts.requests.back().face, sj("IPAex明朝"));

    s.rec.font[0].height = -64;   // too large on screen: 20 × 20 cells
    ASSERT_TRUE(create_format_font(&s, 0, fonts, nullptr, &m));
    EXPECT_EQ(m.cell_h, 20);
    EXPECT_EQ(m.pixel_height, 64);
    s.rec.font[5].height = -64;   // fine on paper
    ASSERT_TRUE(create_format_font(&s, 5, fonts, nullptr, &m));
    EXPECT_EQ(m.cell_h, 64);
}

TEST(ScreenFormat, AFontThatCannotBeMadeAsksForAnother) {
    FakeMessages msgs;
    FakeFonts fonts;
    fonts.missing = {sj("無い書体")};
    FakeFontChooser chooser;
    SettingsState s = make_settings();
    store_field(s.rec.font[0].face, 32, sj("@無い書体"));

    FontDescription good;
    good.height = -18;
    good.face = sj("@IPAexゴシック");
    chooser.answer_ok(good);
    FontMetrics m;
    ASSERT_TRUE(create_format_font(&s, 0, fonts, &chooser, &m));
    ASSERT_EQ(msgs.log.size(), 1u);
    EXPECT_TRUE(msgs.saw("フォントが正しくありません"));
    EXPECT_EQ(msgs.log[0].time_ms, 2500u);
    EXPECT_EQ(chooser.asked[0].caption, sj(" 書式 1　文字フォントの設定"));
    EXPECT_EQ(chooser.asked[0].max_points, 24);
    EXPECT_EQ(s.rec.font[0].height, -18);
    EXPECT_EQ(s.rec.font[0].escapement, FONT_VERTICAL_ESCAPEMENT);   // forced for a vertical slot
    EXPECT_EQ(m.cell_h, 18);
    EXPECT_TRUE(s.changed);

    // Cancelled: false, and the record keeps its font.
    store_field(s.rec.font[0].face, 32, sj("無い書体"));
    s.changed = false;
    EXPECT_FALSE(create_format_font(&s, 0, fonts, &chooser, &m));
    EXPECT_EQ(read_field(s.rec.font[0].face, 32), sj("無い書体"));
    EXPECT_FALSE(s.changed);
    EXPECT_EQ(font_dialog_caption(6), sj(" 印刷書式 2　文字フォントの設定"));
}

TEST(ScreenFormat, FontBoxTexts) {
    FontRecord f{};
    f.height = -24;
    f.weight = 400;
    EXPECT_EQ(font_points(f.height, 96), 18);    // 24 × 72 / 96 = 18
    EXPECT_EQ(font_points(-13, 96), 10);         // 9.75 + 0.5
    EXPECT_EQ(font_style_name(f), sj("標準"));
    f.weight = 700;
    f.italic = 1;
    EXPECT_EQ(font_style_name(f), sj("太字斜体"));
    f.weight = 500;                               // 500 is not bold
    EXPECT_EQ(font_style_name(f), sj("斜体"));
    store_field(f.face, 32, sj("@IPAex明朝"));
    EXPECT_TRUE(direction_matches_face(0, f));
    EXPECT_FALSE(direction_matches_face(1, f));
}

TEST(ScreenFormat, DialogNumbersAreCheckedInTableOrder) {
    SettingsState s = make_settings();
    FormatNumbers v = format_numbers(s.rec, 0);
    v[NUM_TIERS] = 2;
    v[NUM_GAP] = 0;
    v[NUM_CELL_WIDTH] = 25;
    v[NUM_TAB_WIDTH] = 2;
    v[NUM_CELL_OFFSET] = -3;
    FormatNumbers bad = v;
    bad[NUM_CELL_OFFSET] = -11;
    bad[NUM_CENTRE_MARGIN] = 201;
    EXPECT_EQ(first_bad_format_number(bad), NUM_CELL_OFFSET);
    EXPECT_EQ(format_range_message(NUM_CELL_OFFSET), sj("桝目補正量の数値範囲は\n-10 から 10 までです。"));

    // Choices first, then numbers that fail: the choices are in the record
    // and the settings are marked changed all the same.
    FormatChoices c = format_choices(s.rec, 0);
    c.grid_style = 3;
    c.small_kana_kinsoku = true;
    c.kinsoku_mode = 0;   // 1 + 0 before, 0 + 1 after: still a change
    EXPECT_TRUE(store_format_choices(&s, 0, c));
    FormatNumberStore r = store_format_numbers(&s, 0, bad);
    EXPECT_EQ(r.bad_index, NUM_CELL_OFFSET);
    EXPECT_EQ(s.rec.tier_count[0], 1);
    EXPECT_EQ(s.rec.grid_style[0], 3);
    EXPECT_TRUE(s.changed);

    v[NUM_CHARS] = 30;
    r = store_format_numbers(&s, 0, v);
    EXPECT_EQ(r.bad_index, -1);
    EXPECT_TRUE(r.page_count_stale);
    EXPECT_TRUE(r.warn_zero_gap);
    EXPECT_EQ(s.rec.chars_per_column[0], 30);
    EXPECT_EQ(s.rec.cell_offset_percent[0], -3);
    EXPECT_FALSE(store_format_numbers(&s, 0, v).warn_zero_gap);   // nothing new about the gap
}

}  // namespace
}  // namespace rix
