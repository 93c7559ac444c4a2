// The structure index as a side pane of the real main window (offscreen):
// docked at the left or the right, the pane stands beside the edit view,
// which gives up the pane's width; closing the pane gives the width back.
// The window with the pane is saved as a picture to look at
// (side_pane_left.png in the test's working folder).
#include <QApplication>
#include <QDialog>
#include <QMainWindow>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

#include "app/shell/features.h"
#include "app/settings/default_settings.h"
#include "app/window/shell_events.h"
#include "platform/gui.h"
#include "platform/qt/qt_dialogs.h"
#include "rix_build_paths.h"

namespace rix {
namespace {

class Quiet final : public WindowEvents {
public:
    void first_paint() override {}
    void close_requested() override {}
    void destroyed() override {}
    void command(int) override {}
    void timer(int) override {}
    void minimized() override {}
    void restored() override {}
    void moved() override {}
    void resized(int width, int height) override { sizes.emplace_back(width, height); }
    std::vector<MenuItem> window_menu() override { return {}; }
    std::vector<std::pair<int, int>> sizes;
};

// A procedure that only closes.
class Pane final : public DialogProcedure {
public:
    void init(DialogContext&) override {}
    bool command(DialogContext&, int, int) override { return false; }
    bool ok(DialogContext&) override { return false; }
    void cancel(DialogContext&) override {}
};

struct PaneWindow {
    FakeWindowHost host;
    Application app;
    std::unique_ptr<ShellEvents> shell;
    Quiet events;
    std::unique_ptr<Gui> gui;
    QtDialogHost dialogs;   // a window's dialogs (the offscreen Gui keeps the batch host)
    QMainWindow* main = nullptr;
    QWidget* view = nullptr;

    PaneWindow() {
        app.host = &host;
        build_default_settings(&app.settings.rec);
        MenuTables menus;
        std::string error;
        EXPECT_TRUE(load_menu_tables(RIX_RESOURCE_DIR, &menus, &error)) << error;
        shell = std::make_unique<ShellEvents>(app, nullptr, std::move(menus));
        int argc = 1;
        static char name[] = "rix";
        char* argv[] = {name, nullptr};
        gui = create_gui(argc, argv, true, RIX_RESOURCE_DIR "/help", nullptr, [] {});
        install_dialog_host(&dialogs);
        MainWindowSetup setup = main_window_setup(app, *shell, 0, RIX_RESOURCE_DIR);
        setup.width = 1000;
        setup.height = 700;
        EXPECT_TRUE(gui->create_main_window(setup, &events));
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* m = qobject_cast<QMainWindow*>(w)) main = m;
        view = main ? main->centralWidget() : nullptr;
        main->show();
        settle();
    }
    ~PaneWindow() { install_dialog_host(nullptr); }
    static void settle() {
        for (int i = 0; i < 5; ++i) QApplication::processEvents();
    }
    // The pane's rectangle in the main window's coordinates.
    QRect in_main(QWidget* w) const { return QRect(w->mapTo(main, QPoint(0, 0)), w->size()); }
};

TEST(SidePane, ThePaneStandsBesideTheEditViewWhichGivesUpItsWidth) {
    PaneWindow w;
    ASSERT_TRUE(w.main && w.view);
    const int full_width = w.view->width();
    Pane left_proc;
    const DialogHandle left = open_modeless("INDEX_WIN_LF", left_proc, 0);
    ASSERT_NE(left, 0u);
    ASSERT_TRUE(w.gui->dock_dialog(left, 1));
    PaneWindow::settle();
    QDialog* pane = w.dialogs.window(left);
    ASSERT_NE(pane, nullptr);
    EXPECT_FALSE(pane->isWindow());
    EXPECT_TRUE(pane->isVisible());
    const QRect p = w.in_main(pane), v = w.in_main(w.view);
    EXPECT_LE(p.right(), v.left());                      // at the left of the view
    EXPECT_LE(v.width(), full_width - pane->width());    // the view gave up the pane's width
    EXPECT_GE(v.width(), full_width - pane->width() - 12);
    EXPECT_EQ(p.top(), v.top());
    ASSERT_FALSE(w.events.sizes.empty());
    EXPECT_EQ(w.events.sizes.back().first, v.width());  // the screen is laid out for the narrower view
    w.main->grab().save(QStringLiteral("side_pane_left.png"));

    // Closing the pane gives the width back.
    dialog_host().close_modeless(left);
    PaneWindow::settle();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    PaneWindow::settle();
    EXPECT_EQ(w.view->width(), full_width);

    Pane right_proc;
    const DialogHandle right = open_modeless("INDEX_WIN_LF", right_proc, 0);
    ASSERT_TRUE(w.gui->dock_dialog(right, 2));
    PaneWindow::settle();
    pane = w.dialogs.window(right);
    ASSERT_NE(pane, nullptr);
    EXPECT_GE(w.in_main(pane).left(), w.in_main(w.view).right());   // at the right of the view
    EXPECT_LT(w.view->width(), full_width);
    dialog_host().close_modeless(right);

    // Nothing to dock: refused.
    EXPECT_FALSE(w.gui->dock_dialog(999, 1));
}

TEST(SidePane, AFloatingDialogTellsItsExtentOnTheScreen) {
    PaneWindow w;
    Pane proc;
    const DialogHandle h = open_modeless("INDEX_WIN", proc, 0);
    ASSERT_NE(h, 0u);
    DialogContext* ctx = dialog_host().context(h);
    ASSERT_NE(ctx, nullptr);
    WindowExtent e;
    ASSERT_TRUE(ctx->window_extent(&e));
    QDialog* d = w.dialogs.window(h);
    EXPECT_GE(e.width, d->width());
    EXPECT_GE(e.height, d->height());
    EXPECT_GT(e.screen_w, 0);
    EXPECT_GT(e.screen_h, 0);
    ctx->move_window(40, 50);
    int x = 0, y = 0;
    ASSERT_TRUE(ctx->window_position(&x, &y));
    EXPECT_EQ(std::make_pair(x, y), std::make_pair(40, 50));
    dialog_host().close_modeless(h);
}

}  // namespace
}  // namespace rix
