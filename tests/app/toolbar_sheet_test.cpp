// The tool-bar and right-click sheet: the byte lists both ways (invalid
// slots passed over, the separator bits), the separator rows tidied, and both
// pages through the fake dialog host: row texts, the mark cycle, the 33rd
// entry refused, removal back to the menu place, headers skipped, 既定値,
// ﾃｽﾄ and 取消 after it, the shared window slot.
//
// Still owed: reordering the right list by dragging (the host has no drag list).
#include "app/settings/toolbar_sheet.h"

#include <gtest/gtest.h>

#include "app/window/command_table.h"
#include "app/settings/default_settings.h"
#include "app/window/menus.h"
#include "platform/codec.h"
#include "platform/fake_dialogs.h"
#include "platform/fake_messages.h"

namespace rix {
namespace {

std::string sj(const std::string& utf8) { return utf8_to_sjis(utf8); }

template <std::size_t N>
void set_bytes(std::uint8_t (&items)[32], const std::uint8_t (&bytes)[N]) {
    for (int i = 0; i < 32; ++i) items[i] = i < static_cast<int>(N) ? bytes[i] : 0;
}

TEST(ToolbarBytes, InvalidAndRepeatedSlotsArePassedOver) {
    std::uint8_t items[32];
    set_bytes(items, {0x4F, 6, 52, 63, 0x4F, 0xC1, 0, 2});   // 15 with one separator, empty 6, 52, 63, a repeat
    const std::vector<SheetRow> rows = toolbar_rows(items);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], (SheetRow{15, 1, false}));
    EXPECT_EQ(rows[1], (SheetRow{1, 3, false}));
    EXPECT_EQ(toolbar_row_text(rows[0]), sj("-[検索] 検 索"));
    EXPECT_EQ(toolbar_row_text(rows[1]), sj("*[上書] 上書き保存"));
    std::uint8_t back[32];
    std::fill(std::begin(back), std::end(back), 0xEE);
    store_toolbar_rows(rows, back);
    EXPECT_EQ(back[0], 0x4F);
    EXPECT_EQ(back[1], 0xC1);
    for (int i = 2; i < 32; ++i) EXPECT_EQ(back[i], 0) << i;
}

TEST(ToolbarBytes, RightClickSeparatorsAndIndents) {
    std::uint8_t items[32];
    set_bytes(items, {0x80 | 10, 11, 0x80 | 15, 0x40 | 23});   // a separator bit on the first is no row
    std::vector<SheetRow> rows = right_click_rows(items);
    ASSERT_EQ(rows.size(), 5u);   // 10, 11, a separator row, 15, 23
    EXPECT_EQ(rows[2].slot, 0);
    EXPECT_TRUE(rows[4].indented);
    EXPECT_EQ(right_click_row_text(rows[1]), sj(" 切り取り"));
    EXPECT_EQ(right_click_row_text(rows[2]), sj("―――――――――"));
    EXPECT_EQ(right_click_row_text(rows[4]), sj(" 　右ｸﾘｯｸﾒﾆｭｰ設定"));
    // A separator row first stores no bit; the one before 15 does.
    rows.insert(rows.begin(), SheetRow{});
    std::uint8_t back[32];
    store_right_click_rows(rows, back);
    EXPECT_EQ(back[0], 10);
    EXPECT_EQ(back[1], 11);
    EXPECT_EQ(back[2], 0x80 | 15);
    EXPECT_EQ(back[3], 0x40 | 23);
    EXPECT_EQ(back[4], 0);

    std::vector<SheetRow> messy = {{}, {10, 0, false}, {}, {}, {11, 0, false}, {}};
    tidy_separators(&messy);
    EXPECT_EQ(messy, (std::vector<SheetRow>{{10, 0, false}, {}, {11, 0, false}}));
}

TEST(ToolbarBytes, ChoicesFollowTheMenuOrderWithoutTheChosen) {
    const std::vector<ChoiceRow> all = choice_rows({});
    ASSERT_EQ(all.size(), 6u + 46u);   // six headers, every slot with a code
    EXPECT_EQ(all[0].group, 0);
    EXPECT_EQ(all[1].slot, slot_of_command(100));
    EXPECT_EQ(choice_row_text(all[0]), sj("――― ファイル ―――"));
    const std::vector<ChoiceRow> fewer = choice_rows({{slot_of_command(100), 0, false}});
    EXPECT_EQ(fewer.size(), all.size() - 1);
    EXPECT_EQ(fewer[1].slot, slot_of_command(101));
}

struct ToolbarSheetTest : ::testing::Test {
    FakeMessages messages;
    FakeDialogHost host;
    SettingsState settings;
    bool slot_taken = false;
    int last_page = 0;
    int rebuilt = 0;
    std::vector<std::pair<int, int>> menus_shown;
    ToolbarSheetServices services;

    void SetUp() override {
        build_default_settings(&settings.rec);
        settings.changed = false;
        services.settings = &settings;
        services.format_slot = 1;
        services.open = &slot_taken;
        services.last_page = &last_page;
        services.rebuild = [this] { ++rebuilt; };
        services.show_right_click = [this](int x, int y) { menus_shown.push_back({x, y}); };
    }
    void TearDown() override {
        EXPECT_TRUE(host.missing.empty());
        EXPECT_EQ(host.left_open, 0);
        EXPECT_EQ(messages.unexpected, 0);
        EXPECT_FALSE(slot_taken);
    }
    int left_row_of(DialogSession& d, int command) {
        for (int i = 0; i < d.item_count(TB_LEFT); ++i)
            if (d.item_text(TB_LEFT, i) == " " + slot_name(slot_of_command(command))) return i;
        return -1;
    }
};

TEST_F(ToolbarSheetTest, ToolbarRowsMarksAndSetting) {
    std::uint8_t items[32];
    set_bytes(items, {0x4F});
    std::copy(std::begin(items), std::end(items), settings.rec.toolbar_items);
    settings.rec.toolbar_size[1] = 1;
    host.script([&](DialogSession& d) {
        ASSERT_EQ(d.item_count(TB_RIGHT), 1);
        EXPECT_EQ(d.item_text(TB_RIGHT, 0), sj("-[検索] 検 索"));
        EXPECT_TRUE(d.get_check(TB_SIZE_FIRST + 1));
        EXPECT_EQ(d.get_text(TB_RIGHT_COUNTER), "  1/1");
        // Add 開く before 検索; the left list loses it.
        const int open = left_row_of(d, 103);
        ASSERT_GE(open, 0);
        d.select(TB_LEFT, open);
        d.select(TB_RIGHT, 0);
        d.press(TB_ADD);
        ASSERT_EQ(d.item_count(TB_RIGHT), 2);
        EXPECT_EQ(d.item_text(TB_RIGHT, 0), sj(" [開く] 文書を開く"));
        EXPECT_EQ(left_row_of(d, 103), -1);
        // The mark cycles " " "-" "+" "*" " ".
        d.select(TB_RIGHT, 0);
        for (const char* mark : {"-", "+", "*", " "}) {
            d.press(TB_SEPARATOR);
            EXPECT_EQ(d.item_text(TB_RIGHT, 0).substr(0, 1), mark);
        }
        d.press(TB_SEPARATOR);
        d.press(TB_SIZE_FIRST + 2);
        d.press(TB_SET);
    });
    EXPECT_EQ(run_toolbar_sheet(services, TB_PAGE_TOOLBAR), DIALOG_OK);
    EXPECT_EQ(settings.rec.toolbar_items[0], 0x40 | slot_of_command(103));
    EXPECT_EQ(settings.rec.toolbar_items[1], 0x4F);
    EXPECT_EQ(settings.rec.toolbar_items[2], 0);
    EXPECT_EQ(settings.rec.toolbar_size[1], 2);
    EXPECT_TRUE(settings.changed);
    EXPECT_EQ(rebuilt, 1);
}

TEST_F(ToolbarSheetTest, TheThirtyThirdButtonIsRefusedAndRemovalGivesBack) {
    std::uint8_t items[32];
    int n = 0;
    for (int slot = 1; slot <= COMMAND_SLOT_COUNT && n < 32; ++slot)
        if (command_slot(slot)) items[n++] = static_cast<std::uint8_t>(slot);
    std::copy(std::begin(items), std::end(items), settings.rec.toolbar_items);
    host.script([&](DialogSession& d) {
        ASSERT_EQ(d.item_count(TB_RIGHT), 32);
        d.select(TB_LEFT, 1);
        d.press(TB_ADD);
        EXPECT_EQ(d.item_count(TB_RIGHT), 32);
        EXPECT_TRUE(messages.saw("ツールバーのボタンは\n32個迄です。"));
        // ←削除 gives 上書き保存 back to its menu place under ファイル, selected.
        d.select(TB_RIGHT, 0);
        const int before = d.item_count(TB_LEFT);
        d.press(TB_REMOVE);
        EXPECT_EQ(d.item_count(TB_RIGHT), 31);
        EXPECT_EQ(d.item_count(TB_LEFT), before + 1);
        EXPECT_EQ(left_row_of(d, 101), d.get_selection(TB_LEFT));
        EXPECT_LT(left_row_of(d, 101), left_row_of(d, 214));   // under ファイル, before the edit group
        d.press(TB_CANCEL);
    });
    run_toolbar_sheet(services, TB_PAGE_TOOLBAR);
    EXPECT_EQ(settings.rec.toolbar_items[0], items[0]);   // 取消 stored nothing
    EXPECT_FALSE(settings.changed);
}

TEST_F(ToolbarSheetTest, AnEmptyToolbarSendsTheWriterToTheSize) {
    std::fill(std::begin(settings.rec.toolbar_items), std::end(settings.rec.toolbar_items), 0);
    host.script([&](DialogSession& d) {
        d.press(TB_REMOVE);
        EXPECT_TRUE(messages.saw("表示のチェックを外してください。"));
        // Selecting a header moves on to the next command in the direction of the move.
        d.select(TB_LEFT, 0);
        EXPECT_EQ(d.get_selection(TB_LEFT), 1);
        const int edit_header = left_row_of(d, 200) - 1;
        d.select(TB_LEFT, edit_header);
        EXPECT_EQ(d.get_selection(TB_LEFT), edit_header + 1);
        d.select(TB_LEFT, edit_header);
        EXPECT_EQ(d.get_selection(TB_LEFT), edit_header - 1);
        d.press(TB_CANCEL);
    });
    run_toolbar_sheet(services, TB_PAGE_TOOLBAR);
}

TEST_F(ToolbarSheetTest, RightClickSeparatorsIndentsAndDefaults) {
    std::uint8_t items[32];
    set_bytes(items, {10, 11});
    std::copy(std::begin(items), std::end(items), settings.rec.right_click_items);
    host.script([&](DialogSession& d) {
        EXPECT_EQ(last_page, TB_PAGE_RIGHT_CLICK);
        ASSERT_EQ(d.item_count(TB_RIGHT), 2);
        d.select(TB_RIGHT, 1);
        d.press(RB_SEPARATOR);   // a separator row before 切り取り
        ASSERT_EQ(d.item_count(TB_RIGHT), 3);
        EXPECT_EQ(d.item_text(TB_RIGHT, 1), sj("―――――――――"));
        d.double_click(TB_RIGHT, 2);   // the row above is a separator: it goes
        EXPECT_EQ(d.item_count(TB_RIGHT), 2);
        d.select(TB_RIGHT, 0);
        d.press(RB_SEPARATOR);   // at the top: tidied away at once
        EXPECT_EQ(d.item_count(TB_RIGHT), 2);
        d.select(TB_RIGHT, 1);
        d.press(RB_INDENT);
        EXPECT_EQ(d.item_text(TB_RIGHT, 1), sj(" 　切り取り"));
        d.press(TB_SET);
    });
    run_toolbar_sheet(services, TB_PAGE_RIGHT_CLICK);
    EXPECT_EQ(settings.rec.right_click_items[0], 10);
    EXPECT_EQ(settings.rec.right_click_items[1], 0x40 | 11);
    EXPECT_EQ(settings.rec.right_click_items[2], 0);

    messages.answer(MSG_RESULT_YES);
    host.script([&](DialogSession& d) {
        d.press(RB_DEFAULTS);
        d.press(TB_SET);
    });
    run_toolbar_sheet(services, TB_PAGE_RIGHT_CLICK);
    const std::vector<std::uint8_t> defaults = default_right_click_bytes();
    for (std::size_t i = 0; i < 32; ++i)
        EXPECT_EQ(settings.rec.right_click_items[i], i < defaults.size() ? defaults[i] : 0) << i;
}

TEST_F(ToolbarSheetTest, RemovingTheLastEntryWarnsAndTestShowsNothing) {
    std::uint8_t items[32];
    set_bytes(items, {10});
    std::copy(std::begin(items), std::end(items), settings.rec.right_click_items);
    host.script([&](DialogSession& d) {
        d.select(TB_RIGHT, 0);
        d.press(TB_REMOVE);
        EXPECT_TRUE(messages.saw("全て削除すると右クリックメニューが"));
        d.press(TB_TEST);
        EXPECT_TRUE(messages.saw("右クリックメニューは登録されていません。"));
        d.press(TB_CANCEL);
    });
    run_toolbar_sheet(services, TB_PAGE_RIGHT_CLICK);
    EXPECT_TRUE(menus_shown.empty());
    EXPECT_EQ(settings.rec.right_click_items[0], 10);   // 取消 after ﾃｽﾄ put it back
}

TEST_F(ToolbarSheetTest, CancelAfterTestRestoresBothPagesAndTheSize) {
    std::uint8_t before_toolbar[32], before_menu[32];
    std::copy(std::begin(settings.rec.toolbar_items), std::end(settings.rec.toolbar_items), before_toolbar);
    std::copy(std::begin(settings.rec.right_click_items), std::end(settings.rec.right_click_items), before_menu);
    settings.rec.toolbar_size[1] = 1;
    host.script([&](DialogSession& d) {
        d.select(TB_RIGHT, 0);
        d.press(TB_REMOVE);
        d.press(TB_SIZE_FIRST + 2);
        d.press(TB_TEST);
        EXPECT_EQ(rebuilt, 1);
        EXPECT_EQ(settings.rec.toolbar_size[1], 2);
        d.select_page(TB_TABS, TB_PAGE_RIGHT_CLICK);
    });
    host.script([&](DialogSession& d) {
        d.select(TB_RIGHT, 0);
        d.press(TB_REMOVE);
        d.press(TB_TEST);
        ASSERT_EQ(menus_shown.size(), 1u);
        EXPECT_NE(settings.rec.right_click_items[0], before_menu[0]);
        d.press(TB_CANCEL);
    });
    run_toolbar_sheet(services, TB_PAGE_TOOLBAR);
    EXPECT_TRUE(std::equal(std::begin(before_toolbar), std::end(before_toolbar), settings.rec.toolbar_items));
    EXPECT_TRUE(std::equal(std::begin(before_menu), std::end(before_menu), settings.rec.right_click_items));
    EXPECT_EQ(settings.rec.toolbar_size[1], 1);
    EXPECT_EQ(last_page, TB_PAGE_RIGHT_CLICK);
}

TEST_F(ToolbarSheetTest, NothingOpensWhileTheSharedSlotIsTaken) {
    slot_taken = true;
    EXPECT_EQ(run_toolbar_sheet(services, -1), DIALOG_CANCEL);
    EXPECT_TRUE(host.opened.empty());
    slot_taken = false;
}

}  // namespace
}  // namespace rix
