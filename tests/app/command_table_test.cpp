// The command table and the dispatcher of the main window: every id of the
// menus and slots is known, built commands run and the others are greyed,
// help mode, keys, the wheel, characters and drops.
// Owed: the menu-bar return timer against a real pointer.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <set>

#include "app/shell/features.h"
#include "app/settings/default_settings.h"
#include "app/documents/read_in_dialog.h"
#include "app/edit/screen_format.h"
#include "app/files/file_select_dialog.h"
#include "app/files/file_tools.h"
#include "app/window/shell_events.h"
#include "editing/command_ids.h"
#include "files/select_file.h"
#include "platform/codec.h"
#include "platform/fake_dialogs.h"
#include "platform/fake_messages.h"
#include "platform/virtual_keys.h"
#include "tests/support/temp_folder.h"
#include "rix_build_paths.h"

using namespace rix;

namespace {

MenuTables shipped_menus() {
    MenuTables menus;
    std::string error;
    EXPECT_TRUE(load_menu_tables(RIX_RESOURCE_DIR, &menus, &error)) << error;
    return menus;
}

struct Shell {
    FakeMessages messages;
    FakeWindowHost host;
    Application app;
    ShellEvents events;
    std::vector<std::pair<int, int>> keys;    // dispatch_key calls
    std::vector<int> edit_keys;
    std::vector<std::string> typed;
    int rebuilds = 0;

    Shell() : events(app, nullptr, shipped_menus()) {
        app.host = &host;
        build_default_settings(&app.settings.rec);
        app.hooks.rebuild_screen.set([this](Application&) { ++rebuilds; });
        // The features of the shell's flow; editing comes with connect_editing.
        install_file_commands(app);
        install_instance_commands(app);
        install_format_commands(app);
        install_epub_commands(app);
    }
    void connect_editing() {
        CommandTable& t = events.commands();
        t.dispatch_key.set([this](int vk, int flags) { keys.emplace_back(vk, flags); });
        t.edit_key.set([this](int id) {
            edit_keys.push_back(id);
            return 0;
        });
        t.type_characters.set([this](const std::string& s) { typed.push_back(s); });
    }
    // Replaces the handler of `id` by one that records it.
    void record(int id, std::vector<int>* ran) {
        events.commands().set_handler(id, [ran](int c) { ran->push_back(c); });
    }
};

std::set<int> enabled_ids(const Shell& s) {
    std::set<int> on;
    for (int id : s.events.commands().ids())
        if (s.events.commands().enabled(id)) on.insert(id);
    return on;
}

}  // namespace

TEST(CommandTable, EveryMenuAndSlotCommandIsKnown) {
    Shell s;
    const CommandTable& t = s.events.commands();
    const MenuTables& menus = s.events.menus();
    int items = 0;
    auto check = [&](const MenuResource& m) {
        for (const MenuEntry& e : m.items) {
            if (!e.command) continue;
            ++items;
            EXPECT_TRUE(t.known(e.command)) << e.command;
        }
    };
    for (const MenuResource& m : menus.bar) check(m);
    for (const MenuResource& m : menus.popups) check(m);
    EXPECT_GT(items, 60);
    for (int slot = 1; slot <= COMMAND_SLOT_COUNT; ++slot)
        if (const CommandSlot* c = command_slot(slot)) {
            EXPECT_TRUE(t.known(c->command)) << slot;
        }
    for (const Accelerator& a : menus.accelerators) EXPECT_TRUE(t.known(a.command)) << a.command;
}

// What the menus show greyed is what the commands say, item by item, as the
// window builds the bar's menus and asks again when one opens.
TEST(CommandTable, MenuItemsGreyAsTheirCommands) {
    Shell s;
    int greyed = 0, live = 0;
    std::function<void(const std::vector<MenuItem>&)> check = [&](const std::vector<MenuItem>& items) {
        for (const MenuItem& item : items) {
            check(item.submenu);
            if (!item.command || !item.submenu.empty()) continue;
            EXPECT_EQ(item.enabled, s.events.commands().enabled(item.command)) << item.command;
            EXPECT_EQ(s.events.command_enabled(item.command), item.enabled) << item.command;
            ++(item.enabled ? live : greyed);
        }
    };
    for (int i = 0; i < static_cast<int>(s.events.menus().bar.size()); ++i) check(s.events.bar_menu_items(i));
    EXPECT_GT(live, 10);
    EXPECT_GT(greyed, 10);   // the editing commands wait for the editing feature
}

// The shell alone (no document, no editing) offers the file, instance,
// format, book and help commands and greys every other one.
TEST(CommandTable, TheShellWithoutEditingOffersItsOwnCommands) {
    Shell s;
    std::set<int> expected = {COMMAND_NEW_DOCUMENT, COMMAND_OPEN, COMMAND_FILE_CRYPT, COMMAND_FILE_SEARCH,
                              COMMAND_SAVE_AND_EXIT, COMMAND_EXIT, COMMAND_NEW_BY_KEY, COMMAND_NEW_BY_KEY_ALT,
                              COMMAND_EPUB, COMMAND_FORMAT_DIALOG, COMMAND_PREVIOUS_INSTANCE, COMMAND_NEXT_INSTANCE,
                              COMMAND_HELP, COMMAND_HELP_CONTENTS, COMMAND_HELP_SUPPORT, COMMAND_HELP_HOME,
                              COMMAND_HELP_VERSION, COMMAND_INTRODUCTION, COMMAND_HELP_FAQ, COMMAND_READ_OPTIONS,
                              COMMAND_WRITE_OPTIONS};
    for (int id = COMMAND_SELECT_FORMAT_FIRST; id <= COMMAND_SELECT_FORMAT_LAST; ++id) expected.insert(id);
    for (int id = COMMAND_WINDOW_FIRST; id <= COMMAND_WINDOW_LAST; ++id) expected.insert(id);
    for (int id = COMMAND_HELP_OPERATION_FIRST; id <= COMMAND_HELP_OPERATION_LAST; ++id) expected.insert(id);
    EXPECT_EQ(enabled_ids(s), expected);

    // Editing's input enables Alt+arrows and Ctrl+letters.
    EXPECT_FALSE(s.events.commands().enabled(COMMAND_ALT_ARROW_FIRST));
    s.connect_editing();
    EXPECT_TRUE(s.events.commands().enabled(COMMAND_ALT_ARROW_LAST));
    EXPECT_TRUE(s.events.commands().enabled(COMMAND_CTRL_LETTER_LAST));
}

// A menu item whose command waits for a hook is greyed and runs nothing; once
// the hook is there the item is live and choosing it runs the hook.
TEST(CommandTable, AMenuItemRunsItsCommandOnceItsHookIsThere) {
    Shell s;
    auto file_item = [&s](int command) {
        for (const MenuItem& item : s.events.bar_menu_items(0))
            if (item.command == command) return item;
        ADD_FAILURE() << command << " is not in the file menu";
        return MenuItem{};
    };
    int saves = 0, saves_as = 0;
    EXPECT_FALSE(file_item(COMMAND_SAVE).enabled);
    EXPECT_FALSE(file_item(COMMAND_SAVE_AS).enabled);
    EXPECT_FALSE(file_item(COMMAND_READ_INTO_LINE).enabled);
    s.events.command(COMMAND_SAVE);
    EXPECT_TRUE(s.messages.log.empty());

    s.app.hooks.save_document.set([&](Application&) {
        ++saves;
        return SaveResult::Saved;
    });
    s.app.hooks.save_as.set([&](Application&) {
        ++saves_as;
        return SaveResult::Saved;
    });
    s.app.hooks.insert_text.set([](Application&, const std::string&) { return true; });
    EXPECT_TRUE(file_item(COMMAND_SAVE).enabled);
    EXPECT_TRUE(file_item(COMMAND_SAVE_AS).enabled);
    EXPECT_TRUE(file_item(COMMAND_READ_INTO_LINE).enabled);
    s.events.command(COMMAND_SAVE_AS);
    EXPECT_EQ(saves_as, 1);
    EXPECT_EQ(saves, 0);   // without a document 上書き保存 has nothing to save
}

TEST(CommandTable, GreyedCommandsDoNothingUntilGivenAHandler) {
    Shell s;
    CommandTable& t = s.events.commands();
    EXPECT_FALSE(t.run(COMMAND_FIND));
    s.events.command(COMMAND_FIND);        // the dispatcher passes it over silently
    EXPECT_TRUE(s.messages.log.empty());
    EXPECT_FALSE(t.known(4242));
    EXPECT_FALSE(t.set_handler(4242, [](int) {}));

    // Undo: enabled by the journal's state, asked each time.
    bool can_undo = false;
    int undone = 0;
    ASSERT_TRUE(t.set_handler(COMMAND_UNDO, [&](int) { ++undone; }, [&] { return can_undo; }));
    EXPECT_FALSE(t.enabled(COMMAND_UNDO));
    s.events.command(COMMAND_UNDO);
    EXPECT_EQ(undone, 0);
    can_undo = true;
    EXPECT_TRUE(t.enabled(COMMAND_UNDO));
    s.events.command(COMMAND_UNDO);
    EXPECT_EQ(undone, 1);
    t.clear_handler(COMMAND_UNDO);
    EXPECT_FALSE(t.enabled(COMMAND_UNDO));

    // A handler on one id of a range serves the whole range.
    std::vector<int> ran;
    s.record(COMMAND_DIGIT_FORWARD_FIRST + 4, &ran);
    s.events.command(COMMAND_DIGIT_FORWARD_FIRST);
    s.events.command(COMMAND_DIGIT_FORWARD_LAST);
    EXPECT_EQ(ran, (std::vector<int>{COMMAND_DIGIT_FORWARD_FIRST, COMMAND_DIGIT_FORWARD_LAST}));
}

TEST(HelpMode, ShiftF1ThenSaveOpensTheTopicAndDoesNotSave) {
    Shell s;
    int saves = 0;
    s.app.hooks.save_document.set([&](Application&) {
        ++saves;
        return SaveResult::Saved;
    });
    s.events.key_down(VK_F1, KEY_FLAG_SHIFT);
    EXPECT_TRUE(s.events.help_mode());
    EXPECT_TRUE(s.messages.saw("ヘルプ表示モードに入ります。"));
    s.events.command(COMMAND_SAVE);
    EXPECT_EQ(saves, 0);
    ASSERT_EQ(s.messages.help_topics.size(), 1u);
    EXPECT_EQ(s.messages.help_topics[0], "CONT");
    // A command without a topic says so; a greyed one shows its topic too.
    s.events.command(COMMAND_NEW_DOCUMENT);
    EXPECT_TRUE(s.messages.saw("ヘルプ項目がありません。"));
    s.events.command(COMMAND_FIND);
    EXPECT_EQ(s.messages.help_topics.back(), "KENTIKAN");
    // Escape leaves help mode (and does not redraw); F1 alone shows the last topic.
    s.events.key_down(VK_ESCAPE, 0);
    EXPECT_FALSE(s.events.help_mode());
    EXPECT_EQ(s.rebuilds, 0);
    s.events.key_down(VK_F1, 0);
    EXPECT_EQ(s.messages.help_topics.back(), "");
    s.events.key_down(VK_ESCAPE, 0);
    EXPECT_EQ(s.rebuilds, 1);
}

TEST(HelpMode, FOneInsideAMenuShowsTheItemsHelp) {
    Shell s;
    s.events.menu_help_key();
    s.events.command(COMMAND_EXIT);
    EXPECT_FALSE(s.host.destroyed);
    EXPECT_EQ(s.messages.help_topics, (std::vector<std::string>{"EXIT"}));
    EXPECT_TRUE(s.events.help_mode());
}

TEST(HelpMode, HelpMenuCommandsOpenOurOwnPages) {
    Shell s;
    for (int id : std::vector<int>{COMMAND_HELP_CONTENTS, COMMAND_HELP_SUPPORT, COMMAND_HELP_HOME, COMMAND_HELP_VERSION,
                                   COMMAND_HELP_FAQ, COMMAND_HELP_OPERATION_FIRST, COMMAND_HELP_OPERATION_FIRST + 1,
                                   COMMAND_HELP_OPERATION_FIRST + 2, COMMAND_HELP_OPERATION_LAST})
        s.events.command(id);
    EXPECT_EQ(s.messages.help_topics, (std::vector<std::string>{"TOP", "SUPORT", "HOME", "VERSION", "F_FAQ",
                                                                 "F_OPE1", "F_OPE2", "F_OPE3", "F_OPE4"}));
    // Every topic the enabled commands name has its page.
    for (int id : s.events.commands().ids()) {
        std::string topic = s.events.commands().topic(id);
        if (topic.empty() || !s.events.commands().enabled(id)) continue;
        std::ifstream page(std::string(RIX_RESOURCE_DIR) + "/help/HLP_" + topic + ".htm");
        EXPECT_TRUE(page.good()) << topic;
    }
}

TEST(Keys, AcceleratorsByKeyNotByCharacter) {
    Shell s;
    s.connect_editing();
    std::vector<int> ran;
    const std::vector<int> by_key = {COMMAND_NEW_BY_KEY, COMMAND_NEW_BY_KEY_ALT, COMMAND_UNDO_BY_KEY,
                                     COMMAND_REDO_BY_KEY, COMMAND_CUT,         COMMAND_COPY,
                                     COMMAND_PASTE,      COMMAND_PREVIOUS_INSTANCE};
    for (int id : by_key) s.record(id, &ran);

    s.events.key_down(VK_0, KEY_FLAG_CTRL);                      // Ctrl+0 = 新規作成
    s.events.key_down(VK_NUMPAD0, KEY_FLAG_CTRL | KEY_FLAG_ALT);
    s.events.key_down(VK_BACK, KEY_FLAG_SHIFT);
    s.events.key_down(VK_BACK, KEY_FLAG_ALT);
    s.events.key_down(VK_DELETE, KEY_FLAG_SHIFT);
    s.events.key_down(VK_INSERT, KEY_FLAG_CTRL);
    s.events.key_down(VK_INSERT, KEY_FLAG_SHIFT);
    s.events.key_down(VK_PRIOR, KEY_FLAG_CTRL);
    EXPECT_EQ(ran, by_key);
    EXPECT_TRUE(s.keys.empty());

    // Back Space, Tab and Enter reach the key dispatcher; Ctrl+H, I, M the edit keys.
    s.events.key_down(VK_BACK, 0);
    s.events.key_down(VK_TAB, 0);
    s.events.key_down(VK_RETURN, KEY_FLAG_SHIFT);
    s.events.key_down(VK_LEFT, KEY_FLAG_SHIFT | KEY_FLAG_CTRL);
    EXPECT_EQ(s.keys, (std::vector<std::pair<int, int>>{{VK_BACK, 0}, {VK_TAB, 0}, {VK_RETURN, 1}, {VK_LEFT, 0x11}}));
    EXPECT_TRUE(s.edit_keys.empty());
    s.events.key_down(VK_A + 7, KEY_FLAG_CTRL);
    s.events.key_down(VK_A + 12, KEY_FLAG_CTRL);
    EXPECT_EQ(s.edit_keys, (std::vector<int>{COMMAND_CTRL_LETTER_FIRST + 7, COMMAND_CTRL_LETTER_FIRST + 12}));
    // Alt+arrows move without marking; keys from '0' up go nowhere by themselves.
    s.keys.clear();
    s.events.key_down(VK_UP, KEY_FLAG_ALT);
    s.events.key_down(VK_A, 0);
    s.events.key_down(VK_F1 + 5, 0);
    EXPECT_EQ(s.keys, (std::vector<std::pair<int, int>>{{VK_UP, 8}}));
}

TEST(Keys, EditKeyMayNameACommand) {
    Shell s;
    std::vector<int> ran;
    s.record(COMMAND_COPY, &ran);
    s.events.commands().edit_key.set([](int id) { return id == COMMAND_CTRL_LETTER_FIRST + 2 ? COMMAND_COPY : 0; });   // Ctrl+C
    s.events.key_down(VK_A + 2, KEY_FLAG_CTRL);
    s.events.key_down(VK_A + 3, KEY_FLAG_CTRL);
    EXPECT_EQ(ran, (std::vector<int>{COMMAND_COPY}));
}

TEST(Keys, AltDigitSelectsOnlyANamedFormat) {
    Shell s;
    SettingsRecord& r = s.app.settings.rec;
    r.current_screen_format = 0;
    store_format_name(&s.app.settings, 2, "");   // the third format has no name
    s.events.key_down(VK_0 + 3, KEY_FLAG_ALT);
    EXPECT_EQ(r.current_screen_format, 0);
    EXPECT_EQ(s.rebuilds, 0);
    s.events.key_down(VK_NUMPAD0 + 2, KEY_FLAG_ALT);
    EXPECT_EQ(r.current_screen_format, 1);
    EXPECT_EQ(s.rebuilds, 1);
}

TEST(Input, CharactersAndWheel) {
    Shell s;
    s.events.characters_typed("abc");            // nobody listens yet: dropped
    s.connect_editing();
    s.events.characters_typed("abc");
    s.events.characters_typed("漢字");
    s.events.characters_typed("\x08");
    s.events.characters_typed("a😀");              // outside code page 932: 〓 with a notice
    EXPECT_EQ(s.typed, (std::vector<std::string>{"abc", utf8_to_sjis("漢字"), "a" + utf8_to_sjis("〓")}));
    EXPECT_TRUE(s.messages.saw("シフトJISにない文字1字を〓に置き換えました｡"));

    SettingsRecord& r = s.app.settings.rec;
    r.current_screen_format = 0;
    r.writing_direction[0] = 0;                  // vertical
    r.wheel_columns = 2;
    s.events.wheel_steps(-1);                    // towards the user
    s.events.wheel_steps(1);
    EXPECT_EQ(s.keys, (std::vector<std::pair<int, int>>{{VK_LEFT, 8}, {VK_LEFT, 8}, {VK_RIGHT, 8}, {VK_RIGHT, 8}}));
    s.keys.clear();
    r.writing_direction[0] = 1;
    r.wheel_columns = 1;
    s.events.wheel_steps(-2);
    s.events.wheel_steps(1);
    EXPECT_EQ(s.keys, (std::vector<std::pair<int, int>>{{VK_DOWN, 8}, {VK_DOWN, 8}, {VK_UP, 8}}));
    s.keys.clear();
    r.wheel_columns = 0;
    s.events.wheel_steps(3);
    EXPECT_TRUE(s.keys.empty());
}

TEST(Drop, OnlyOneTextFileIsTaken) {
    rix::test::TempFolder folder;
    Shell s;
    std::string a = folder.file("a.txt"), b = folder.file("b.bin");
    folder.write("a.txt", "text");
    folder.write("b.bin", std::string("x\0y", 3));
    std::string before = s.app.paths.open_request;
    s.events.files_dropped({a, a});
    s.events.files_dropped({});
    EXPECT_EQ(s.app.paths.open_request, before);
    EXPECT_TRUE(s.messages.log.empty());
    s.messages.answer(MSG_RESULT_NO);   // it may be an encrypted document: not this time
    s.events.files_dropped({b});
    EXPECT_TRUE(s.messages.saw("非文書ファイルです｡"));
    EXPECT_TRUE(s.messages.saw("暗号化文書の可能性もあります｡"));
    EXPECT_EQ(s.app.paths.open_request, before);
    s.events.files_dropped({folder.file("x.ZIP")});   // archives wait for the archive tools
    EXPECT_EQ(s.messages.log.size(), 2u);
}

TEST(RightClick, WithoutAWindowNothingPopsUp) {
    Shell s;
    s.events.right_button_up(10, 10, 0);
    EXPECT_TRUE(s.messages.log.empty());
}

// The file selection dialog's 読込設定 is the File menu's reading options:
// what the writer switches on there holds for the document then chosen.
TEST(CommandTable, FileSelectionOffersTheReadingOptionsOfTheFileMenu) {
    Shell s;
    FakeDialogHost dialogs;
    test::TempFolder t;
    std::string path = t.path() + "/";
    dialogs.script([](DialogSession& d) {      // FILE_SEL
        EXPECT_TRUE(d.is_visible(FILE_SEL_OPTIONS));
        d.press(FILE_SEL_OPTIONS);
        d.press(FILE_SEL_CLOSE);
    });
    dialogs.script([](DialogSession& d) {      // READ_IN, opened from it
        d.press(READ_IN_RUBIES);
        d.press(1);
    });
    EXPECT_EQ(run_file_selection(s.app, SELECT_OPEN, &path), CHOSEN_CANCELLED);
    EXPECT_TRUE(s.app.reading.rubies);
    EXPECT_TRUE(dialogs.missing.empty());

    // Without the File menu's commands the button is not there.
    Application alone;
    FakeWindowHost host;
    alone.host = &host;
    build_default_settings(&alone.settings.rec);
    dialogs.script([](DialogSession& d) {
        EXPECT_FALSE(d.is_visible(FILE_SEL_OPTIONS));
        d.press(FILE_SEL_CLOSE);
    });
    EXPECT_EQ(run_file_selection(alone, SELECT_OPEN, &path), CHOSEN_CANCELLED);
}
