// The shell's events and answers (app/shell/events.h), and the promise of
// features.h: the features installed in reverse order make the same program.
// One session (typing, redraws with the guides and the side windows, the
// timers of the guides and the mouse, a document switch, the exit) runs in
// both orders, and everything the writer could see is compared.
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/shell/features.h"
#include "app/settings/default_settings.h"
#include "app/edit/editor.h"
#include "app/shell/events.h"
#include "app/edit/guides.h"
#include "app/edit/screen.h"
#include "app/window/shell_events.h"
#include "display/mouse.h"
#include "document/document_state.h"
#include "platform/codec.h"
#include "platform/fake_dialogs.h"
#include "platform/fake_fonts.h"
#include "platform/fake_messages.h"
#include "platform/files.h"
#include "platform/recording_surface.h"
#include "platform/virtual_keys.h"
#include "tests/support/temp_folder.h"

namespace rix {
namespace {

TEST(ShellEventBus, SubscribersRunInOrderByRankAndNoneIsReplaced) {
    Event<int> e;
    std::vector<std::string> heard;
    e.subscribe([&](int n) { heard.push_back("a" + std::to_string(n)); });
    e.subscribe([&](int n) { heard.push_back("late" + std::to_string(n)); }, RANK_INDEX_WINDOW);
    e.subscribe([&](int n) { heard.push_back("early" + std::to_string(n)); }, RANK_NOTEBOOK_WINDOW);
    e.subscribe([&](int n) {
        heard.push_back("b" + std::to_string(n));
        // One subscribing while the event runs hears the next one only.
        if (n == 1) e.subscribe([&](int m) { heard.push_back("c" + std::to_string(m)); });
    });
    e.subscribe(nullptr);   // nothing
    e.publish(1);
    e.publish(2);
    EXPECT_EQ(heard, (std::vector<std::string>{"a1", "b1", "early1", "late1", "a2", "b2", "c2", "early2", "late2"}));
    EXPECT_EQ(e.size(), 5u);
}

TEST(ShellEventBus, TimersGoToTheirOwnSubscribersOnly) {
    TimerEvent timer;
    std::vector<std::string> heard;
    timer.subscribe(2, [&](int id) { heard.push_back("mouse " + std::to_string(id)); });
    timer.subscribe(3, [&](int id) { heard.push_back("mouse " + std::to_string(id)); });
    timer.subscribe(6, [&](int id) { heard.push_back("guides " + std::to_string(id)); });
    timer.subscribe(6, [&](int id) { heard.push_back("other " + std::to_string(id)); });
    for (int id : {6, 2, 4, 3}) timer.publish(id);
    EXPECT_EQ(heard, (std::vector<std::string>{"guides 6", "other 6", "mouse 2", "mouse 3"}));
    EXPECT_FALSE(timer.subscribed(4));
}

TEST(ShellEventBus, AnAnswerIsGivenOnceAndASecondSetterIsCaught) {
    Slot<int(int)> twice;
    EXPECT_FALSE(twice);
    twice.set([](int n) { return n * 2; });
    EXPECT_TRUE(twice);
    EXPECT_EQ(twice(21), 42);
    EXPECT_THROW(twice.set([](int n) { return n; }), std::logic_error);
    EXPECT_EQ(twice(21), 42);   // the first answer stands
    twice.clear();
    EXPECT_FALSE(twice);
    EXPECT_FALSE(twice.function());
}

// The main window without a window: the shell, every feature in the order
// asked, a recording screen and fake services.
struct Session {
    FakeMessages messages;
    FakeDialogHost dialogs;
    FakeWindowHost host;
    FakeFonts fonts;
    test::TempFolder dir;
    Application app;
    ScreenState screen;
    RecordingSurface surface{800, 600};
    MenuTables menus;
    std::unique_ptr<ShellEvents> shell;

    explicit Session(FeatureOrder order) {
        build_default_settings(&app.settings.rec);
        SettingsRecord& r = app.settings.rec;
        for (int f = 0; f < SCREEN_FORMAT_COUNT; ++f) {
            r.edit_info_place[f] = 0;      // the guides, counted on their timer
            r.edit_info_content[f] = 2;
            r.show_position_bar[f] = 1;
        }
        r.index_window_open = 1;           // both side windows were open at the last end
        r.panel_flags |= 0x80;
        app.host = &host;
        app.paths.program_folder = dir.path();
        app.loaded = std::make_unique<LoadedDocument>(std::string(), UINT64_MAX);
        app.hooks.load_document.set([](Application& a) {
            load_into_application(a);
            start_editing(a);
        });
        app.hooks.rebuild_screen.set([this](Application& a) {
            rebuild_screen(a, screen, &surface, {}, fonts);
            editing_after_rebuild(a, screen);
            window_changed(a);
        });
        shell = std::make_unique<ShellEvents>(app, nullptr, menus);
        app.window.screen = &screen;
        app.window.show_surface = [] {};
        install_features(app, order);
    }
    ~Session() { close_document(&app.doc, false); }
};

// What the writer could see of one session.
struct Seen {
    std::vector<std::string> host_calls;   // timers, titles
    std::string title;
    std::vector<std::string> messages;
    std::vector<std::string> dialogs;      // opened, in order
    std::string drawn;                     // the edit surface's calls
    std::size_t lines = 0;
    int count_passes = 0;
    std::size_t counted = 0;
    int index_open_at_exit = -1, panel_flags_at_exit = -1;
    bool ended = false;
};

Seen run_session(FeatureOrder order) {
    Session s(order);
    Seen seen;
    const std::string first = s.dir.write("章.txt", utf8_to_sjis("序\r\n第一章\r\n本文\r\n"));
    const std::string second = s.dir.write("次.txt", utf8_to_sjis("次の文書\r\n"));
    EXPECT_TRUE(open_document_file(&s.app.doc, first, 0));
    s.app.doc.save_name = first;
    load_into_application(s.app);
    start_editing(s.app);
    s.app.startup_done = true;
    s.app.hooks.rebuild_screen(s.app);   // the first screen: both side windows reopen
    s.shell->timer(TIMER_COUNT);          // the guides count
    s.shell->characters_typed("あい");
    s.shell->key_down(VK_RETURN, 0);
    s.shell->characters_typed("う");
    s.shell->timer(TIMER_COUNT);
    s.shell->timer(TIMER_IDLE_POINTER);   // the mouse's timers
    s.shell->timer(TIMER_AUTO_REPEAT);
    seen.lines = s.app.loaded->document.lines.count();
    seen.count_passes = s.app.features.guides->passes;
    seen.counted = s.app.features.guides->capacity.text.characters();
    // Another document: what belonged to the first goes, unsaved (nobody answers the save question here).
    s.app.doc.modified = 0;
    EXPECT_TRUE(switch_document(s.app, second));
    s.shell->timer(TIMER_COUNT);
    seen.ended = exit_application(s.app, false) == Flow::End;
    seen.index_open_at_exit = s.app.settings.rec.index_window_open;
    seen.panel_flags_at_exit = s.app.settings.rec.panel_flags;
    seen.host_calls = s.host.calls;
    seen.title = sjis_to_utf8(s.host.title);
    for (std::size_t i = 0; i < s.messages.log.size(); ++i) seen.messages.push_back(s.messages.utf8(i));
    seen.dialogs = s.dialogs.opened;
    seen.drawn = s.surface.dump();
    return seen;
}

TEST(FeatureOrder, ReverseInstallationMakesTheSameProgram) {
    const Seen menus = run_session(FeatureOrder::Menus);
    const Seen reversed = run_session(FeatureOrder::Reversed);
    // The session did what it meant to.
    EXPECT_EQ(menus.dialogs, (std::vector<std::string>{"NOTEBOOK_0", "INDEX_WIN"}));
    EXPECT_EQ(menus.lines, 5u);
    EXPECT_GE(menus.count_passes, 2);
    EXPECT_GT(menus.counted, 0u);
    EXPECT_TRUE(menus.ended);
    EXPECT_EQ(menus.index_open_at_exit, 1);   // the index window stays open; the switch closed the notebook
    EXPECT_EQ(menus.panel_flags_at_exit & 0x80, 0);
    EXPECT_NE(menus.title.find("次.txt"), std::string::npos) << menus.title;

    EXPECT_EQ(reversed.host_calls, menus.host_calls);
    EXPECT_EQ(reversed.title, menus.title);
    EXPECT_EQ(reversed.messages, menus.messages);
    EXPECT_EQ(reversed.dialogs, menus.dialogs);
    EXPECT_EQ(reversed.drawn, menus.drawn);
    EXPECT_EQ(reversed.lines, menus.lines);
    EXPECT_EQ(reversed.count_passes, menus.count_passes);
    EXPECT_EQ(reversed.counted, menus.counted);
    EXPECT_EQ(reversed.index_open_at_exit, menus.index_open_at_exit);
    EXPECT_EQ(reversed.panel_flags_at_exit, menus.panel_flags_at_exit);
    EXPECT_EQ(reversed.ended, menus.ended);
}

TEST(FeatureOrder, EveryAnswerHasOneFeatureAndEveryInstallerIsListed) {
    Session s(FeatureOrder::Menus);
    // A second installation would answer every hook a second time.
    EXPECT_THROW(install_features(s.app, FeatureOrder::Reversed), std::logic_error);
    const std::vector<FeatureInstaller>& list = feature_installers();
    EXPECT_NE(std::find(list.begin(), list.end(), &install_mouse_commands), list.end());
    EXPECT_NE(std::find(list.begin(), list.end(), &install_guide_commands), list.end());
    EXPECT_TRUE(s.app.features.mouse);
    EXPECT_TRUE(s.app.features.guides);
    EXPECT_TRUE(s.app.features.dates);
}

}  // namespace
}  // namespace rix
