// The 編集キー ／ 禁則文字 sheet through the fake dialog host: what each page
// shows, storing letters and sets, switching pages without losing what was
// typed, the defaults button, cancel, help, and the page kept for the run.
#include "app/settings/key_assign_dialog.h"

#include <gtest/gtest.h>

#include "app/settings/default_settings.h"
#include "editing/dispatch.h"
#include "platform/codec.h"
#include "platform/fake_dialogs.h"
#include "platform/fake_messages.h"

namespace rix {
namespace {

std::string sj(std::string_view utf8) { return utf8_to_sjis(utf8); }

struct KeyAssignFixture : ::testing::Test {
    FakeDialogHost host;
    FakeMessages messages;
    SettingsState settings;
    KeyAssignUi ui;
    EditState edit;
    int relayouts = 0;

    void SetUp() override {
        settings.rec.edit_key_letters[0] = 'E';
        settings.rec.edit_key_letters[1] = 'X';
        store_default_kinsoku_sets(&settings.rec);
        settings.rec.kinsoku[0].kinsoku_mode = 1;
        build_edit_key_table(edit, settings.rec.edit_key_letters);
        open_on(SHEET_PAGE_KEYS);
    }
    // Leaves the sheet's remembered page at `page` (it lasts for the run).
    void open_on(int page) {
        if (ui.last_page == page) return;
        host.script([page](DialogSession& d) { d.select_page(SHEET_TABS, page); });
        host.script([](DialogSession& d) { d.press_escape(); });
        run();
    }
    int run() {
        KeyAssignServices s;
        s.edit = &edit;
        s.relayout = [this] { ++relayouts; };
        return run_key_assign_sheet(&ui, &settings, s, 0);
    }
    std::string start_set() const {
        return std::string(read_field(settings.rec.line_start_prohibited, sizeof settings.rec.line_start_prohibited));
    }
};

using KeyAssignSheetTest = KeyAssignFixture;

TEST_F(KeyAssignSheetTest, TheSheetKeepsItsPageAndPlaceInItsOwnMemory) {
    host.script([](DialogSession& d) {
        d.move_window(40, 70);
        d.select_page(SHEET_TABS, SHEET_PAGE_KINSOKU);
    });
    host.script([](DialogSession& d) { d.press_escape(); });
    run();
    EXPECT_EQ(ui.last_page, SHEET_PAGE_KINSOKU);
    EXPECT_TRUE(ui.position_known);
    EXPECT_EQ(ui.x, 40);
    EXPECT_EQ(ui.y, 70);
    host.script([](DialogSession& d) {
        int x = 0, y = 0;
        d.window_position(&x, &y);
        EXPECT_EQ(x, 40);
        EXPECT_EQ(y, 70);
        EXPECT_EQ(d.get_page(SHEET_TABS), SHEET_PAGE_KINSOKU);
        d.press_escape();
    });
    run();
    // While a sheet is open another is refused; a new memory opens on the keys.
    ui.open = true;
    const std::size_t opened = host.opened.size();
    EXPECT_EQ(run(), DIALOG_CANCEL);
    EXPECT_EQ(host.opened.size(), opened);
    KeyAssignUi other;
    host.script([](DialogSession& d) {
        EXPECT_EQ(d.get_page(SHEET_TABS), SHEET_PAGE_KEYS);
        d.press_escape();
    });
    EXPECT_EQ(run_key_assign_sheet(&other, &settings, KeyAssignServices{}, 0), DIALOG_CANCEL);
}

TEST_F(KeyAssignSheetTest, StoresUpperCasedLettersAndRebuildsTheTable) {
    host.script([](DialogSession& d) {
        EXPECT_EQ(d.get_text(100), "E");
        EXPECT_EQ(d.get_text(101), "X");
        EXPECT_EQ(d.get_text(102), "");
        EXPECT_EQ(d.get_page(SHEET_TABS), SHEET_PAGE_KEYS);
        d.type_text(100, "zq");     // one character: "z"
        d.type_text(101, "7");      // no letter
        d.type_text(103, sj("Ａ")); // a double-byte character does not fit
        d.type_text(111, "r");
        d.press(DIALOG_OK);
    });
    settings.changed = false;
    EXPECT_EQ(run(), DIALOG_OK);
    EXPECT_EQ(host.opened.back(), "KEY_ASSIGN");
    EXPECT_EQ(settings.rec.edit_key_letters[0], 'Z');
    EXPECT_EQ(settings.rec.edit_key_letters[1], 0);
    EXPECT_EQ(settings.rec.edit_key_letters[3], 0);
    EXPECT_EQ(settings.rec.edit_key_letters[11], 'R');
    EXPECT_TRUE(settings.changed);
    EXPECT_EQ(edit.options.edit_key_letters[0], 'Z');
    EXPECT_EQ(edit.edit_keys['Z' - 'A'].key, VK_UP);   // Z now moves up instead of undoing
    EXPECT_EQ(edit.edit_keys['R' - 'A'].key, VK_RETURN);
    EXPECT_EQ(edit.edit_keys['E' - 'A'].key, 0);
    EXPECT_EQ(relayouts, 0);
    EXPECT_TRUE(host.missing.empty());
}

TEST_F(KeyAssignSheetTest, CancelStoresNothingAndHelpOpensThePageTopic) {
    host.script([](DialogSession& d) {
        d.type_text(100, "Q");
        d.press(KEY_ASSIGN_HELP);
        d.press(DIALOG_CANCEL);
    });
    settings.changed = false;
    EXPECT_EQ(run(), DIALOG_CANCEL);
    EXPECT_EQ(settings.rec.edit_key_letters[0], 'E');
    EXPECT_FALSE(settings.changed);
    ASSERT_EQ(messages.help_topics.size(), 1u);
    EXPECT_EQ(messages.help_topics[0], "ENV_ASGN");
}

TEST_F(KeyAssignSheetTest, KinsokuPageStoresDoubleByteCharactersOnly) {
    const std::string defaults(DEFAULT_LINE_START_PROHIBITED);
    const std::size_t opened_before = host.opened.size();
    host.script([&](DialogSession& d) {
        d.type_text(100, "W");
        d.select_page(SHEET_TABS, SHEET_PAGE_KINSOKU);
    });
    host.script([&](DialogSession& d) {
        EXPECT_EQ(d.get_page(SHEET_TABS), SHEET_PAGE_KINSOKU);
        EXPECT_EQ(d.get_text(INHB_START_EDIT), defaults);
        d.type_text(INHB_START_EDIT, sj("。a」\r\n、"));
        d.type_text(INHB_END_EDIT, "");
        d.press(INHB_HELP);
        d.select_page(SHEET_TABS, SHEET_PAGE_KEYS);
    });
    host.script([&](DialogSession& d) {
        EXPECT_EQ(d.get_text(100), "W");   // what was typed before is still there
        d.select_page(SHEET_TABS, SHEET_PAGE_KINSOKU);
    });
    host.script([&](DialogSession& d) {
        EXPECT_EQ(d.get_text(INHB_START_EDIT), sj("。a」\r\n、"));
        d.press(DIALOG_OK);
    });
    EXPECT_EQ(run(), DIALOG_OK);
    EXPECT_EQ(host.opened.size() - opened_before, 4u);
    EXPECT_EQ(start_set(), sj("。」、"));
    EXPECT_EQ(read_field(settings.rec.line_end_prohibited, 48), "");
    EXPECT_EQ(settings.rec.edit_key_letters[0], 'W');   // both pages stored
    EXPECT_EQ(relayouts, 1);
    ASSERT_EQ(messages.help_topics.size(), 1u);
    EXPECT_EQ(messages.help_topics[0], "ENV_INHB");

    // The sheet opens on the page shown last; 既定値に戻す fills the edits, 設 定 stores them.
    host.script([&](DialogSession& d) {
        EXPECT_EQ(d.get_page(SHEET_TABS), SHEET_PAGE_KINSOKU);
        d.press(INHB_DEFAULTS);
        EXPECT_EQ(d.get_text(INHB_START_EDIT), defaults);
        EXPECT_EQ(d.get_text(INHB_END_EDIT), std::string(DEFAULT_LINE_END_PROHIBITED));
        d.press(DIALOG_OK);
    });
    settings.rec.kinsoku[0].kinsoku_mode = 0;   // no kinsoku: nothing to lay out again
    EXPECT_EQ(run(), DIALOG_OK);
    EXPECT_EQ(host.opened.back(), "INHB_STR");
    EXPECT_EQ(start_set(), defaults);
    EXPECT_EQ(relayouts, 1);
    EXPECT_TRUE(host.missing.empty());
    EXPECT_EQ(host.left_open, 0);
}

TEST(KeyAssignText, LettersAndSetsAreCleaned) {
    EXPECT_EQ(edit_key_letter("b"), 'B');
    EXPECT_EQ(edit_key_letter("Kx"), 'K');
    EXPECT_EQ(edit_key_letter("@"), 0);
    EXPECT_EQ(edit_key_letter("["), 0);
    EXPECT_EQ(edit_key_letter(""), 0);
    // A cut never leaves half a character; a lone lead byte at the end is dropped.
    const std::string four = sj("、。？！");
    EXPECT_EQ(kinsoku_set_text(four, 7), sj("、。？"));
    EXPECT_EQ(kinsoku_set_text(four + "\x81", 96), four);
    std::string many;
    for (int i = 0; i < 60; ++i) many += sj("。");
    EXPECT_EQ(kinsoku_set_text(many, 96).size(), 96u);
}

}  // namespace
}  // namespace rix
