// Where the structure index and the notebook stand, as the main window runs
// them: the index's placement per screen format changed with 1080 and 1090
// (floating INDEX_WIN, or INDEX_WIN_LF as a side pane at the left or right),
// the pane's room given back when it closes, a format switch placing the
// window anew; the floating windows' kept positions with the off-screen
// fallback; the open windows written at the end and reopened at the start;
// ｻｲｽﾞ of the notebook cycling its templates with the heading kept.
// Owed: the pane beside the real edit view is tested in tests/platform_qt.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/window/command_table.h"
#include "app/edit/format_views.h"
#include "app/index/index_window.h"
#include "app/notebook/notebook_window.h"
#include "app/window/side_windows.h"
#include "document/loader.h"
#include "platform/codec.h"
#include "tests/support/command_app.h"

namespace rix {
namespace {

struct PlacementTest : test::CommandAppTest {
    std::vector<std::pair<DialogHandle, int>> docked;   // what the main window was asked to take in
    bool window_takes_panes = true;

    void SetUp() override {
        CommandAppTest::SetUp();
        app.window.dock_pane = [this](DialogHandle h, int side) {
            docked.emplace_back(h, side);
            return window_takes_panes;
        };
    }
    void TearDown() override { close_document(&app.doc, false); }

    void open_document() {
        const std::string path = dir.write("章.txt", utf8_to_sjis("序\r\n第一章\r\n本文\r\n"));
        ASSERT_TRUE(open_document_file(&app.doc, path, 0));
        app.doc.save_name = path;
        load_into_application(app);
        start_editing(app);
        app.startup_done = true;
        app.hooks.rebuild_screen(app);
    }
    int slot() const { return current_screen_slot(app.settings.rec); }
    // The dialog opened last (handles count up from 1).
    DialogSession* latest() { return dialogs.session(static_cast<DialogHandle>(dialogs.opened.size())); }
};

TEST(SidePlacement, TheDockButtonsStepThroughThePlacements) {
    // 1080: 0 -> 1, 1 -> 0, 2 -> 0; 1090: 0 -> 2, 1 -> 2, 2 -> 1.
    EXPECT_EQ(index_placement_after(INDEX_FLOATING, INDEX_DOCK_LEFT), INDEX_DOCKED_LEFT);
    EXPECT_EQ(index_placement_after(INDEX_DOCKED_LEFT, INDEX_DOCK_LEFT), INDEX_FLOATING);
    EXPECT_EQ(index_placement_after(INDEX_DOCKED_RIGHT, INDEX_DOCK_LEFT), INDEX_FLOATING);
    EXPECT_EQ(index_placement_after(INDEX_FLOATING, INDEX_DOCK_RIGHT), INDEX_DOCKED_RIGHT);
    EXPECT_EQ(index_placement_after(INDEX_DOCKED_LEFT, INDEX_DOCK_RIGHT), INDEX_DOCKED_RIGHT);
    EXPECT_EQ(index_placement_after(INDEX_DOCKED_RIGHT, INDEX_DOCK_RIGHT), INDEX_DOCKED_LEFT);
    EXPECT_STREQ(index_left_button_caption(INDEX_FLOATING), "左表示");
    EXPECT_STREQ(index_left_button_caption(INDEX_DOCKED_RIGHT), "別窓表示");
    EXPECT_STREQ(index_right_button_caption(INDEX_DOCKED_LEFT), "右表示");
    EXPECT_STREQ(index_right_button_caption(INDEX_DOCKED_RIGHT), "左表示");
    SettingsRecord rec{};
    rec.index_dock[3] = 7;   // a damaged byte
    EXPECT_EQ(index_placement_of(rec, 3), INDEX_FLOATING);
    rec.index_dock[3] = 2;
    EXPECT_EQ(index_placement_of(rec, 3), INDEX_DOCKED_RIGHT);
}

TEST(SidePlacement, AKeptPositionIsUsedOnlyWhenTheWindowLiesWholeOnTheScreen) {
    WindowExtent e;
    e.width = 400;
    e.height = 460;
    e.screen_x = 0;
    e.screen_y = 30;
    e.screen_w = 1920;
    e.screen_h = 1050;
    std::int16_t kept[4] = {300, 200, 700, 100};
    WindowPoint p = side_window_position(kept, true, e);
    EXPECT_EQ(std::make_pair(p.x, p.y), std::make_pair(300, 200));
    p = side_window_position(kept, false, e);
    EXPECT_EQ(std::make_pair(p.x, p.y), std::make_pair(700, 100));
    // Partly off the screen: vertical documents at the left edge + 10, at the bottom.
    kept[0] = 1600;
    p = side_window_position(kept, true, e);
    EXPECT_EQ(std::make_pair(p.x, p.y), std::make_pair(10, 30 + 1050 - 460 - 20));
    // Never kept: horizontal documents at the right edge − width − 10.
    std::int16_t none[4] = {0, 0, 0, 0};
    p = side_window_position(none, false, e);
    EXPECT_EQ(std::make_pair(p.x, p.y), std::make_pair(1920 - 400 - 10, 30 + 1050 - 460 - 20));
    kept[2] = 700;
    kept[3] = -5;   // above the work area
    p = side_window_position(kept, false, e);
    EXPECT_EQ(p.x, 1920 - 400 - 10);
}

TEST_F(PlacementTest, TheDockButtonsMakeTheWindowAgainWithItsPlacement) {
    open_document();
    ASSERT_TRUE(shell->commands().run(COMMAND_INDEX));
    ASSERT_EQ(dialogs.opened, (std::vector<std::string>{"INDEX_WIN"}));
    EXPECT_TRUE(docked.empty());
    DialogSession* d = dialogs.session(1);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(sjis_to_utf8(d->get_text(INDEX_DOCK_LEFT)), "左表示");
    EXPECT_TRUE(d->is_enabled(INDEX_DOCK_LEFT));

    d->press(INDEX_DOCK_LEFT);   // floating -> left
    EXPECT_EQ(app.settings.rec.index_dock[slot()], INDEX_DOCKED_LEFT);
    EXPECT_EQ(dialogs.opened.back(), "INDEX_WIN_LF");
    EXPECT_EQ(dialogs.session(1), nullptr);
    ASSERT_EQ(docked.size(), 1u);
    EXPECT_EQ(docked[0], std::make_pair(DialogHandle{2}, int{INDEX_DOCKED_LEFT}));
    EXPECT_TRUE(screen.index_docked);
    d = dialogs.session(2);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(sjis_to_utf8(d->get_text(INDEX_DOCK_LEFT)), "別窓表示");
    EXPECT_EQ(sjis_to_utf8(d->get_text(INDEX_DOCK_RIGHT)), "右表示");

    d->press(INDEX_DOCK_RIGHT);   // left -> right
    EXPECT_EQ(app.settings.rec.index_dock[slot()], INDEX_DOCKED_RIGHT);
    ASSERT_EQ(docked.size(), 2u);
    EXPECT_EQ(docked[1].second, INDEX_DOCKED_RIGHT);
    d = dialogs.session(3);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(sjis_to_utf8(d->get_text(INDEX_DOCK_RIGHT)), "左表示");

    d->press(INDEX_DOCK_RIGHT);   // right -> left
    EXPECT_EQ(app.settings.rec.index_dock[slot()], INDEX_DOCKED_LEFT);
    d = dialogs.session(4);
    ASSERT_NE(d, nullptr);
    d->press(INDEX_DOCK_RIGHT);   // left -> right
    d = dialogs.session(5);
    ASSERT_NE(d, nullptr);
    d->press(INDEX_DOCK_LEFT);    // right -> floating
    EXPECT_EQ(app.settings.rec.index_dock[slot()], INDEX_FLOATING);
    EXPECT_EQ(dialogs.opened.back(), "INDEX_WIN");
    EXPECT_FALSE(screen.index_docked);
    EXPECT_EQ(docked.size(), 4u);   // the floating window was not docked
    // Only the current format's placement changed.
    for (int s = 0; s < SCREEN_FORMAT_COUNT; ++s) {
        if (s == slot()) continue;
        EXPECT_EQ(app.settings.rec.index_dock[s], 0) << s;
    }
}

TEST_F(PlacementTest, ClosingThePaneGivesItsRoomBackAndAFormatSwitchPlacesTheWindowAnew) {
    open_document();
    const int first = slot();
    const int other = first == 0 ? 1 : 0;
    app.settings.rec.index_dock[first] = INDEX_DOCKED_RIGHT;
    app.settings.rec.index_dock[other] = INDEX_FLOATING;
    ASSERT_TRUE(shell->commands().run(COMMAND_INDEX));
    EXPECT_EQ(dialogs.opened.back(), "INDEX_WIN_LF");
    EXPECT_TRUE(screen.index_docked);

    // Alt+n to the floating format: the window is made again, floating.
    shell->commands().run(COMMAND_SELECT_FORMAT_FIRST + other);
    ASSERT_EQ(slot(), other);
    EXPECT_EQ(dialogs.opened.back(), "INDEX_WIN");
    EXPECT_FALSE(screen.index_docked);
    // And back: a pane again.
    shell->commands().run(COMMAND_SELECT_FORMAT_FIRST + first);
    EXPECT_EQ(dialogs.opened.back(), "INDEX_WIN_LF");
    EXPECT_TRUE(screen.index_docked);

    DialogSession* d = latest();
    ASSERT_NE(d, nullptr);
    d->press(INDEX_CLOSE);
    EXPECT_FALSE(screen.index_docked);

    // A window that cannot take the pane leaves the index a window of its own.
    window_takes_panes = false;
    ASSERT_TRUE(shell->commands().run(COMMAND_INDEX));
    EXPECT_FALSE(screen.index_docked);
    ASSERT_NE(latest(), nullptr);
    int x = 0, y = 0;   // where a floating one opens
    ASSERT_TRUE(latest()->window_position(&x, &y));
    EXPECT_EQ(y, dialogs.extent.screen_y + dialogs.extent.screen_h - dialogs.extent.height - 20);
}

TEST_F(PlacementTest, FloatingWindowsOpenWhereTheyWereLeftWhenThatIsOnTheScreen) {
    open_document();
    const bool vertical = app.settings.rec.writing_direction[slot()] == 0;
    const int k = vertical ? 0 : 2;
    const WindowExtent& e = dialogs.extent;
    const int default_x = vertical ? e.screen_x + 10 : e.screen_x + e.screen_w - e.width - 10;
    const int default_y = e.screen_y + e.screen_h - e.height - 20;

    ASSERT_TRUE(shell->commands().run(COMMAND_INDEX));
    DialogSession* d = dialogs.session(1);
    int x = 0, y = 0;
    ASSERT_TRUE(d->window_position(&x, &y));
    EXPECT_EQ(std::make_pair(x, y), std::make_pair(default_x, default_y));
    d->move_window(120, 80);
    app.settings.changed = false;
    d->press(INDEX_CLOSE);
    EXPECT_EQ(app.settings.rec.index_window_pos[k], 120);
    EXPECT_EQ(app.settings.rec.index_window_pos[k + 1], 80);
    EXPECT_TRUE(app.settings.changed);
    ASSERT_TRUE(shell->commands().run(COMMAND_INDEX));
    d = dialogs.session(2);
    ASSERT_TRUE(d->window_position(&x, &y));
    EXPECT_EQ(std::make_pair(x, y), std::make_pair(120, 80));
    d->press(INDEX_CLOSE);

    // Kept where the screen no longer reaches: the default place.
    app.settings.rec.index_window_pos[k] = static_cast<std::int16_t>(e.screen_w - 10);
    ASSERT_TRUE(shell->commands().run(COMMAND_INDEX));
    d = dialogs.session(3);
    ASSERT_TRUE(d->window_position(&x, &y));
    EXPECT_EQ(std::make_pair(x, y), std::make_pair(default_x, default_y));

    // The notebook keeps its own position the same way.
    ASSERT_TRUE(shell->commands().run(COMMAND_NOTEBOOK));
    DialogSession* n = dialogs.session(4);
    ASSERT_NE(n, nullptr);
    ASSERT_TRUE(n->window_position(&x, &y));
    EXPECT_EQ(std::make_pair(x, y), std::make_pair(default_x, default_y));
    n->move_window(333, 44);
    n->press(NOTEBOOK_CLOSE);
    EXPECT_EQ(app.settings.rec.notebook_window_pos[k], 333);
    EXPECT_EQ(app.settings.rec.notebook_window_pos[k + 1], 44);
}

TEST_F(PlacementTest, TheWindowsOpenAtTheEndAreWrittenAndReopenedAtTheStart) {
    open_document();
    ASSERT_TRUE(shell->commands().run(COMMAND_INDEX));
    ASSERT_TRUE(shell->commands().run(COMMAND_NOTEBOOK));
    dialogs.session(1)->move_window(50, 60);
    app.events.exit.publish();
    EXPECT_EQ(app.settings.rec.index_window_open, 1);
    EXPECT_NE(app.settings.rec.panel_flags & 0x80, 0);
    const bool vertical = app.settings.rec.writing_direction[slot()] == 0;
    EXPECT_EQ(app.settings.rec.index_window_pos[vertical ? 0 : 2], 50);

    // The next process: both open again after the first screen of the document.
    const SettingsRecord kept = app.settings.rec;
    close_document(&app.doc, false);
    Application next;
    next.settings.rec = kept;
    next.host = &host;
    next.paths.program_folder = dir.path();
    next.loaded = std::make_unique<LoadedDocument>(std::string(), UINT64_MAX);
    ScreenState next_screen;
    next.hooks.rebuild_screen.set([&](Application& a) {
        rebuild_screen(a, next_screen, &surface, {}, fonts);
        editing_after_rebuild(a, next_screen);
    });
    ShellEvents next_shell(next, nullptr, menus);
    next.window.screen = &next_screen;
    next.window.show_surface = [] {};
    install_features(next);
    const std::size_t before = dialogs.opened.size();
    const std::string path = dir.path() + "/章.txt";
    ASSERT_TRUE(open_document_file(&next.doc, path, 0));
    next.doc.save_name = path;
    load_into_application(next);
    start_editing(next);
    next.startup_done = true;
    next.hooks.rebuild_screen(next);
    window_changed(next);
    const std::vector<std::string> reopened(dialogs.opened.begin() + static_cast<long>(before), dialogs.opened.end());
    EXPECT_EQ(reopened, (std::vector<std::string>{"NOTEBOOK_0", "INDEX_WIN"}));
    // Closed at the end: not reopened the time after.
    for (DialogHandle h = 1; h < 16; ++h)
        if (DialogSession* s = dialogs.session(h)) s->press(DIALOG_CANCEL);
    next.events.exit.publish();
    EXPECT_EQ(next.settings.rec.index_window_open, 0);
    EXPECT_EQ(next.settings.rec.panel_flags & 0x80, 0);
    close_document(&next.doc, false);
}

TEST_F(PlacementTest, NotebookSizeCyclesTheTemplatesKeepingTheHeading) {
    open_document();
    ASSERT_TRUE(shell->commands().run(COMMAND_NOTEBOOK));
    DialogSession* n = dialogs.session(1);
    ASSERT_NE(n, nullptr);
    EXPECT_TRUE(n->is_enabled(NOTEBOOK_SIZE));
    const std::string heading = utf8_to_sjis("会議メモ");
    n->type_text(NOTEBOOK_HEADING, heading);
    const char* const expected[] = {"NOTEBOOK_1", "NOTEBOOK_2", "NOTEBOOK_0"};
    DialogHandle h = 1;
    for (const char* name : expected) {
        n->press(NOTEBOOK_SIZE);
        EXPECT_EQ(dialogs.opened.back(), name);
        EXPECT_EQ(dialogs.session(h), nullptr);
        n = dialogs.session(++h);
        ASSERT_NE(n, nullptr) << name;
        EXPECT_EQ(n->get_text(NOTEBOOK_HEADING), heading) << name;
    }
    EXPECT_EQ(app.settings.rec.panel_flags & 0x03, 0);
}

}  // namespace
}  // namespace rix
