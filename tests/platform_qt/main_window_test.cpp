// The real main window on the offscreen platform: the menu bar from the menu
// table, the tool bar from the settings bytes, the right-click pop-up, and
// the keys, characters and wheel the edit view reports.
// Owed: dropping files (needs a drag source), the hidden menu bar's return.
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QToolBar>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include "app/shell/features.h"
#include "app/settings/default_settings.h"
#include "app/window/shell_events.h"
#include "platform/fake_messages.h"
#include "platform/gui.h"
#include "platform/virtual_keys.h"
#include "rix_build_paths.h"

using namespace rix;

namespace {

// Records what the window reports; commands are enabled as the shell says.
class Recorder final : public WindowEvents {
public:
    explicit Recorder(const CommandTable& table) : table_(table) {}
    void first_paint() override {}
    void close_requested() override {}
    void destroyed() override {}
    void command(int id) override { commands.push_back(id); }
    void timer(int) override {}
    void minimized() override {}
    void restored() override {}
    void moved() override {}
    std::vector<MenuItem> window_menu() override { return {}; }
    bool command_enabled(int id) override { return table_.enabled(id); }
    void key_down(int vk, int flags) override { keys.emplace_back(vk, flags & KEY_FLAG_MODIFIERS); }
    void characters_typed(const std::string& utf8) override { typed.push_back(utf8); }
    void wheel_steps(int steps) override { wheel.push_back(steps); }
    void right_button_up(int x, int y, int flags) override { right = {x, y, flags}; }

    std::vector<int> commands;
    std::vector<std::pair<int, int>> keys;
    std::vector<std::string> typed;
    std::vector<int> wheel;
    std::vector<int> right;

private:
    const CommandTable& table_;
};

struct Window {
    FakeWindowHost host;
    Application app;
    std::unique_ptr<ShellEvents> shell;
    std::unique_ptr<Recorder> recorder;
    std::unique_ptr<Gui> gui;
    QMainWindow* main = nullptr;
    QWidget* view = nullptr;

    Window() {
        app.host = &host;
        build_default_settings(&app.settings.rec);
        MenuTables menus;
        std::string error;
        EXPECT_TRUE(load_menu_tables(RIX_RESOURCE_DIR, &menus, &error)) << error;
        shell = std::make_unique<ShellEvents>(app, nullptr, std::move(menus));
        install_features(app);
        recorder = std::make_unique<Recorder>(shell->commands());
        int argc = 1;
        static char name[] = "rix";
        char* argv[] = {name, nullptr};
        gui = create_gui(argc, argv, true, RIX_RESOURCE_DIR "/help", nullptr, [] {});
        EXPECT_TRUE(gui->create_main_window(main_window_setup(app, *shell, 0, RIX_RESOURCE_DIR), recorder.get()));
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* m = qobject_cast<QMainWindow*>(w)) main = m;
        view = main ? main->centralWidget() : nullptr;
    }
    QMenu* bar_menu(int i) const { return main->menuBar()->actions().at(i)->menu(); }
    QAction* action_of(QWidget* holder, int command) const {
        for (QAction* a : holder->actions())
            if (a->data().toInt() == command) return a;
        return nullptr;
    }
    void key(int qt_key, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = {}) {
        QKeyEvent press(QEvent::KeyPress, qt_key, mods, text);
        QApplication::sendEvent(view, &press);
    }
};

}  // namespace

TEST(MainWindow, MenuBarFromTheTable) {
    Window w;
    ASSERT_TRUE(w.main);
    QList<QAction*> titles = w.main->menuBar()->actions();
    ASSERT_EQ(titles.size(), 8);
    EXPECT_EQ(titles[0]->text(), QStringLiteral(" ファイル (&Fﾌ)"));
    EXPECT_EQ(titles[7]->text(), QStringLiteral(" ヘルプ (&Hﾍ)"));
    QMenu* file = w.bar_menu(0);
    emit file->aboutToShow();
    QAction* fresh = w.action_of(file, 100);
    ASSERT_TRUE(fresh);
    EXPECT_EQ(fresh->text(), QStringLiteral("新規作成 (&Nｼ)"));
    EXPECT_TRUE(fresh->isEnabled());
    EXPECT_TRUE(w.action_of(file, 111)->isEnabled());    // printing
    EXPECT_TRUE(w.action_of(file, 112)->isEnabled());    // the preview
    // The edit menu asks again at every opening.
    QMenu* edit = w.bar_menu(1);
    emit edit->aboutToShow();
    EXPECT_FALSE(w.action_of(edit, 200)->isEnabled());
    bool can_undo = true;
    w.shell->commands().set_handler(200, [](int) {}, [&] { return can_undo; });
    emit edit->aboutToShow();
    EXPECT_TRUE(w.action_of(edit, 200)->isEnabled());
    EXPECT_EQ(w.action_of(edit, 203)->text(), QStringLiteral("コ ピ ー (&Cｺ)\tCtrl +Ins"));
    w.action_of(file, 100)->trigger();
    EXPECT_EQ(w.recorder->commands, (std::vector<int>{100}));
}

TEST(MainWindow, ToolBarFromTheSettings) {
    Window w;
    QToolBar* bar = w.main->findChild<QToolBar*>();
    ASSERT_TRUE(bar);
    w.main->show();
    QApplication::processEvents();
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->height(), 23);
    EXPECT_EQ(bar->iconSize(), QSize(23, 12));
    std::vector<ToolbarButton> expected = toolbar_buttons(w.app.settings.rec.toolbar_items);
    int buttons = 0, separators = 0;
    for (QAction* a : bar->actions()) (a->isSeparator() ? separators : buttons)++;
    EXPECT_EQ(buttons, static_cast<int>(expected.size()));
    QAction* fresh = w.action_of(bar, 100);
    ASSERT_TRUE(fresh);
    EXPECT_EQ(fresh->toolTip(), QStringLiteral("新規文書作成"));
    EXPECT_FALSE(fresh->icon().isNull());
    EXPECT_TRUE(fresh->isEnabled());
    EXPECT_FALSE(w.action_of(bar, 300)->isEnabled());   // find has no handler in this window
    fresh->trigger();
    EXPECT_EQ(w.recorder->commands, (std::vector<int>{100}));

    // Large buttons, then none.
    ToolbarSetup large;
    large.size = 2;
    large.buttons = expected;
    w.gui->set_toolbar(large);
    EXPECT_EQ(bar->iconSize(), QSize(30, 15));
    EXPECT_EQ(bar->height(), 26);
    large.size = 0;
    w.gui->set_toolbar(large);
    EXPECT_FALSE(bar->isVisible());

    // The whole window, menu bar and tool bar included, can be looked at.
    large.size = 1;
    w.gui->set_toolbar(large);
    w.main->resize(900, 300);
    QApplication::processEvents();
    QImage shot = w.main->grab().toImage();
    EXPECT_EQ(shot.width(), 900);
    if (const char* out = std::getenv("RIX_WINDOW_SHOT")) shot.save(QString::fromLocal8Bit(out));
}

TEST(MainWindow, KeysCharactersAndWheel) {
    Window w;
    w.key(Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b"));
    w.key(Qt::Key_H, Qt::ControlModifier, QStringLiteral("\x08"));
    w.key(Qt::Key_Tab, Qt::NoModifier, QStringLiteral("\t"));
    w.key(Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    w.key(Qt::Key_3, Qt::KeypadModifier | Qt::ControlModifier, QStringLiteral("3"));
    w.key(Qt::Key_PageDown, Qt::ShiftModifier);
    EXPECT_EQ(w.recorder->keys, (std::vector<std::pair<int, int>>{{VK_BACK, 0},
                                                                   {VK_A + 7, KEY_FLAG_CTRL},
                                                                   {VK_TAB, 0},
                                                                   {VK_A, 0},
                                                                   {VK_NUMPAD0 + 3, KEY_FLAG_CTRL},
                                                                   {VK_NEXT, KEY_FLAG_SHIFT}}));
    EXPECT_EQ(w.recorder->typed, (std::vector<std::string>{"a"}));

    for (int delta : {60, 60, -240, 30}) {
        QWheelEvent wheel(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(w.view, &wheel);
    }
    EXPECT_EQ(w.recorder->wheel, (std::vector<int>{1, -2}));

    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(40, 50), QPointF(40, 50), Qt::RightButton,
                        Qt::NoButton, Qt::ShiftModifier);
    QApplication::sendEvent(w.view, &release);
    EXPECT_EQ(w.recorder->right, (std::vector<int>{40, 50, KEY_FLAG_SHIFT}));
}

TEST(MainWindow, RightClickMenuReturnsTheChoice) {
    Window w;
    w.main->show();
    QApplication::processEvents();
    std::vector<MenuItem> items = right_click_items(w.app.settings.rec.right_click_items,
                                                    w.shell->menus().popup("RIX_Help_Menu"),
                                                    [&](int id) { return w.shell->commands().enabled(id); });
    int seen_items = 0;
    bool help_submenu = false;
    QTimer::singleShot(50, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu) return;
        seen_items = static_cast<int>(menu->actions().size());
        for (QAction* a : menu->actions()) {
            if (a->menu()) help_submenu = true;
            if (a->data().toInt() == 115) menu->setActiveAction(a);
        }
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(menu, &enter);
        if (QApplication::activePopupWidget() == menu) menu->close();   // never left waiting
    });
    int chosen = w.gui->popup_menu(items, 10, 10);
    EXPECT_EQ(chosen, 115);
    EXPECT_EQ(seen_items, static_cast<int>(items.size()));
    EXPECT_TRUE(help_submenu);
    EXPECT_TRUE(w.recorder->commands.empty());   // the caller runs the choice
}
