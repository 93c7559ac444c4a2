// The menu table, labels, accelerators, and the tool bar and right-click
// menu built from the settings bytes.
// Owed: a table file with every kind of fault line.
#include <gtest/gtest.h>

#include <cstring>

#include "app/window/command_table.h"
#include "app/settings/default_settings.h"
#include "app/window/menus.h"
#include "platform/codec.h"
#include "platform/virtual_keys.h"
#include "rix_build_paths.h"

using namespace rix;

namespace {

MenuTables shipped() {
    MenuTables menus;
    std::string error;
    EXPECT_TRUE(load_menu_tables(RIX_RESOURCE_DIR, &menus, &error)) << error;
    return menus;
}

std::string sj(const char* utf8) { return utf8_to_sjis(utf8); }

template <std::size_t N>
void fill(std::uint8_t (&bytes)[32], const std::uint8_t (&from)[N]) {
    std::memset(bytes, 0, 32);
    std::memcpy(bytes, from, N);
}

std::vector<int> commands_of(const std::vector<MenuItem>& items) {
    std::vector<int> out;
    for (const MenuItem& i : items) out.push_back(i.command);
    return out;
}

}  // namespace

TEST(MenuTable, BarTitlesAndLabelsInTheLabelForm) {
    MenuTables m = shipped();
    ASSERT_EQ(m.bar.size(), 8u);
    EXPECT_EQ(m.bar[0].title, sj(" ファイル (\x1E" "F\x1F" "ﾌ)"));
    EXPECT_EQ(display_label(m.bar[0].title), " ファイル (&Fﾌ)");
    EXPECT_TRUE(m.bar[6].window_menu);
    EXPECT_EQ(display_label(m.bar[7].title), " ヘルプ (&Hﾍ)");
    // An item with a key: tab and key text after the group.
    const MenuEntry& copy = m.bar[1].items[4];
    EXPECT_EQ(copy.command, 203);
    EXPECT_EQ(copy.label, sj("コ ピ ー (\x1E" "C\x1F" "ｺ)\tCtrl +Ins"));
    EXPECT_EQ(display_label(copy.label), "コ ピ ー (&Cｺ)\tCtrl +Ins");
    // The drop menu has no blank before its groups.
    const MenuResource* drop = m.popup("RIX_Drop_Menu");
    ASSERT_TRUE(drop);
    EXPECT_EQ(drop->items[0].label, sj("ここへ移動(\x1E" "M\x1F" "ｲ)"));
    EXPECT_EQ(commands_of(menu_items(*drop, {})), (std::vector<int>{250, 251, 0, 252}));
    // "&" in a text stays a character.
    EXPECT_EQ(display_label("A&B (\x1E" "C\x1F" "x)"), "A&&B (&Cx)");
}

TEST(MenuTable, HelpMenusHoldTheHelpItems) {
    MenuTables m = shipped();
    const MenuResource& help = m.bar[7];
    for (const char* name : {"RIX_Help_Menu", "RIX_Help_Menu_POPUP"}) {
        const MenuResource* popup = m.popup(name);
        ASSERT_TRUE(popup) << name;
        ASSERT_EQ(popup->items.size(), help.items.size());
        for (std::size_t i = 0; i < help.items.size(); ++i) {
            EXPECT_EQ(popup->items[i].command, help.items[i].command);
            EXPECT_EQ(popup->items[i].label, help.items[i].label);
        }
    }
}

TEST(MenuTable, BadLinesAreNamed) {
    MenuTables m;
    std::string error;
    EXPECT_FALSE(parse_menu_tables("menubar\nitem 100 N x 新規\n", &m, &error));   // an item outside a menu
    EXPECT_NE(error.find("line 2"), std::string::npos);
    EXPECT_FALSE(parse_menu_tables("popup P\nitem 100 n x 新規\n", &m, &error));   // lower-case letter
    EXPECT_FALSE(parse_menu_tables("popup P\nitem 100 N x\n", &m, &error));       // no text
    EXPECT_FALSE(parse_menu_tables("accel Ctrl+Q..A 5\n", &m, &error));           // a run backwards
    EXPECT_FALSE(parse_menu_tables("accel Hyper+A 5\n", &m, &error));
    EXPECT_FALSE(parse_menu_tables("title \"x\" F\n", &m, &error));
    EXPECT_TRUE(parse_menu_tables("# only a comment\r\n\r\n", &m, &error));
}

TEST(Accelerators, KeysAndModifiers) {
    const std::vector<Accelerator> a = shipped().accelerators;
    EXPECT_EQ(accelerator_command(a, VK_A, KEY_FLAG_CTRL), 1000);
    EXPECT_EQ(accelerator_command(a, VK_A + 25, KEY_FLAG_CTRL), 1025);
    EXPECT_EQ(accelerator_command(a, VK_0, KEY_FLAG_CTRL), 320);
    EXPECT_EQ(accelerator_command(a, VK_NUMPAD0 + 8, KEY_FLAG_CTRL), 328);
    EXPECT_EQ(accelerator_command(a, VK_0 + 3, KEY_FLAG_CTRL | KEY_FLAG_ALT), 333);
    EXPECT_EQ(accelerator_command(a, VK_0 + 9, KEY_FLAG_CTRL), 0);
    EXPECT_EQ(accelerator_command(a, VK_0 + 5, KEY_FLAG_ALT), 734);
    EXPECT_EQ(accelerator_command(a, VK_0 + 6, KEY_FLAG_ALT), 0);
    EXPECT_EQ(accelerator_command(a, VK_NEXT, KEY_FLAG_CTRL), 749);
    EXPECT_EQ(accelerator_command(a, VK_DOWN, KEY_FLAG_ALT), 903);
    // Keys of their own, never a Ctrl+letter; a repeat is the same key.
    EXPECT_EQ(accelerator_command(a, VK_BACK, 0), 0);
    EXPECT_EQ(accelerator_command(a, VK_TAB, 0), 0);
    EXPECT_EQ(accelerator_command(a, VK_RETURN, 0), 0);
    EXPECT_EQ(accelerator_command(a, VK_BACK, KEY_FLAG_SHIFT | KEY_FLAG_REPEAT), 220);
    EXPECT_EQ(accelerator_command(a, VK_A, KEY_FLAG_CTRL | KEY_FLAG_SHIFT), 0);
}

TEST(Slots, LabelBytes) {
    EXPECT_EQ(slot_menu_text(12), sj("コ ピ ー (\x1E" "C\x1F" "ｺ)   Ctrl +Ins"));
    EXPECT_EQ(slot_suffix(10), sj("(\x1E" "U\x1F" "ﾓ) Shift+Bs"));
    EXPECT_EQ(slot_name(49), sj("ヘルプの表示"));
    for (int slot : {0, 6, 18, 19, 22, 35, 52, 63}) {
        EXPECT_EQ(command_slot(slot), nullptr) << slot;
        EXPECT_EQ(slot_menu_text(slot), "");
    }
    int filled = 0;
    for (int slot = 1; slot <= COMMAND_SLOT_COUNT; ++slot) {
        if (!command_slot(slot)) continue;
        ++filled;
        EXPECT_LT(slot_suffix(slot).size(), std::size_t(SLOT_SUFFIX_FIELD)) << slot;
        EXPECT_LE(slot_name(slot).size(), 20u) << slot;
        EXPECT_EQ(slot_of_command(command_slot(slot)->command), slot);
    }
    EXPECT_EQ(filled, 46);
}

TEST(Toolbar, FromTheSettingsBytes) {
    std::uint8_t items[32];
    // 0x4F: one separator, then slot 15; a repeat, an empty slot and slot 52 are passed over.
    const std::uint8_t bytes[] = {28, 3, 0x4F, 0xC1, 3, 6, 52, 0x40 | 35, 49, 0, 7};
    fill(items, bytes);
    std::vector<ToolbarButton> b = toolbar_buttons(items);
    ASSERT_EQ(b.size(), 5u);
    EXPECT_EQ(b[0].command, 100);
    EXPECT_EQ(b[0].image, 27);
    EXPECT_EQ(b[2].command, 300);
    EXPECT_EQ(b[2].separators_before, 1);
    EXPECT_EQ(b[3].command, 101);
    EXPECT_EQ(b[3].separators_before, 3);
    EXPECT_EQ(b[4].command, 799);
    EXPECT_EQ(b[4].tip, "ヘルプの表示");

    // All 32 bytes used: 32 buttons, nothing read past the field.
    std::uint8_t full[32];
    int n = 0;
    for (int slot = COMMAND_SLOT_COUNT; slot >= 1 && n < 32; --slot)
        if (command_slot(slot)) full[n++] = static_cast<std::uint8_t>(slot);
    std::vector<ToolbarButton> all = toolbar_buttons(full);
    ASSERT_EQ(all.size(), 32u);
    EXPECT_EQ(all[0].command, 502);
}

TEST(RightClick, TheDefaultMenu) {
    SettingsRecord rec;
    build_default_settings(&rec);
    std::vector<std::uint8_t> defaults = default_right_click_bytes();
    ASSERT_EQ(defaults.size(), 22u);
    EXPECT_EQ(0, std::memcmp(rec.right_click_items, defaults.data(), defaults.size()));
    EXPECT_EQ(rec.right_click_items[22], 0);

    MenuTables m = shipped();
    int asked = 0;
    std::vector<MenuItem> menu = right_click_items(rec.right_click_items, m.popup("RIX_Help_Menu"), [&](int id) {
        ++asked;
        return id != 200;
    });
    EXPECT_EQ(commands_of(menu), (std::vector<int>{200, 201, 202, 203, 205, 215, 0, 214, 206, 207, 0, 300, 301, 310, 0,
                                                   401, 403, 404, 405, 406, 0, 600, 601, 0, 115, 799, 606}));
    EXPECT_GT(asked, 20);
    EXPECT_FALSE(menu[0].enabled);
    EXPECT_TRUE(menu[1].enabled);
    EXPECT_EQ(menu[3].label, "コ ピ ー (&Cｺ)   Ctrl +Ins");
    EXPECT_EQ(menu.back().label, "   右ｸﾘｯｸﾒﾆｭｰ設定 (&Rﾐ)");
    EXPECT_EQ(menu[25].submenu.size(), m.popup("RIX_Help_Menu")->items.size());
    EXPECT_TRUE(menu[25].enabled);
}

TEST(RightClick, BadBytesAndLeadingSeparators) {
    std::uint8_t items[32];
    const std::uint8_t bytes[] = {0x80 | 12, 6, 0x80 | 6, 0xBF, 0x80 | 13, 0x80 | 12, 0x80 | 14};
    fill(items, bytes);
    std::vector<MenuItem> menu = right_click_items(items, nullptr, {});
    EXPECT_EQ(commands_of(menu), (std::vector<int>{203, 0, 205, 0, 206}));
    std::uint8_t none[32] = {6, 18, 52};
    EXPECT_TRUE(right_click_items(none, nullptr, {}).empty());
}
