// The mouse on the real window (offscreen): a click on a cell of a vertical
// page places the cursor there, a drag marks, and the caret and the scroll
// bar follow.
#include <QApplication>
#include <QMainWindow>
#include <QMouseEvent>
#include <QScrollBar>

#include <gtest/gtest.h>

#include "app/settings/default_settings.h"
#include "app/edit/editor.h"
#include "app/shell/features.h"
#include "app/history/copy_history_dialog.h"
#include "app/edit/mouse_glue.h"
#include "app/documents/save_flow.h"
#include "app/edit/screen.h"
#include "app/window/shell_events.h"
#include "display/hit_test.h"
#include "platform/codec.h"
#include "platform/fake_dialogs.h"
#include "platform/fake_messages.h"
#include "platform/gui.h"
#include "tests/support/temp_folder.h"
#include "rix_build_paths.h"

using namespace rix;

namespace {

struct MouseWindow {
    FakeWindowHost host;
    test::TempFolder dir;
    Application app;
    ScreenState screen;
    std::unique_ptr<ShellEvents> shell;
    std::unique_ptr<Gui> gui;
    MouseGlue* mouse = nullptr;
    QWidget* view = nullptr;

    MouseWindow() {
        build_default_settings(&app.settings.rec);
        app.settings.rec.show_scrollbar[0] = 1;
        app.host = &host;
        app.loaded = std::make_unique<LoadedDocument>(std::string(), UINT64_MAX);
        MenuTables menus;
        std::string error;
        EXPECT_TRUE(load_menu_tables(RIX_RESOURCE_DIR, &menus, &error)) << error;
        int argc = 1;
        static char name[] = "rix";
        char* argv[] = {name, nullptr};
        gui = create_gui(argc, argv, true, RIX_RESOURCE_DIR "/help", nullptr, [] {});
        shell = std::make_unique<ShellEvents>(app, gui.get(), std::move(menus));
        Gui* window = gui.get();
        app.hooks.rebuild_screen.set([this, window](Application& a) {
            rebuild_screen(a, screen, window->edit_surface(),
                           [window](int w, int h) { return window->make_surface(w, h); }, window->fonts());
            editing_after_rebuild(a, screen);
            window_changed(a);
        });
        app.window.screen = &screen;
        app.window.gui = window;
        app.window.clipboard = &gui->clipboard();
        app.window.show_surface = [window] { window->invalidate(); };
        install_features(app);
        mouse = app.features.mouse.get();
        EXPECT_TRUE(gui->create_main_window(main_window_setup(app, *shell, 0, RIX_RESOURCE_DIR), shell.get()));
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* m = qobject_cast<QMainWindow*>(w)) view = m->centralWidget();
    }
    ~MouseWindow() {
        close_document(&app.doc, false);
    }
    void open(const std::string& utf8) {
        const std::string path = dir.write("原稿.txt", utf8_to_sjis(utf8));
        ASSERT_TRUE(open_document_file(&app.doc, path, 0));
        app.doc.save_name = path;
        load_into_application(app);
        start_editing(app);
        app.startup_done = true;
        view->window()->resize(700, 500);
        view->window()->show();
        for (int i = 0; i < 5; ++i) QApplication::processEvents();
        app.hooks.rebuild_screen(app);
        QApplication::processEvents();
        ASSERT_TRUE(screen.screen.geo.computed());
    }
    // The middle of a cell's glyph box on the view.
    QPoint cell_point(int line, int cell) const {
        const DisplayGeometry& g = screen.screen.geo;
        int x = 0, y = 0;
        rix::cell_point(g, line, cell + screen.screen.cells.indent(line), &x, &y);
        return QPoint(x + g.font_w / 2, y + g.font_h / 2);
    }
    void send(QEvent::Type type, QPoint p, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent e(type, QPointF(p), view->mapToGlobal(QPointF(p)), button, held, Qt::NoModifier);
        QApplication::sendEvent(view, &e);
    }
    EditState& edit() { return app.loaded->edit; }
};

}  // namespace

TEST(MouseWindow, AClickOnACellOfAVerticalPagePlacesTheCursor) {
    MouseWindow w;
    w.open("あいうえお\r\nかきくけこ\r\nさしすせそ\r\n");
    ASSERT_TRUE(w.screen.screen.geo.vertical);
    const QPoint p = w.cell_point(1, 3);
    w.send(QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton);
    w.send(QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(w.edit().cursor.pos, TextPos(1, 6));   // く: the fourth character of the second line
    EXPECT_EQ(w.edit().cursor.screen_line, 1);
    // The caret stands on that cell and is shown again after the release.
    EXPECT_TRUE(w.mouse->caret().shown);
    EXPECT_TRUE(QRect(w.mouse->caret().rect.x, w.mouse->caret().rect.y, w.mouse->caret().rect.w,
                      w.mouse->caret().rect.h).contains(p));
    // The horizontal bar of vertical writing, at the start of the document = its right end.
    QScrollBar* bar = nullptr;
    for (QScrollBar* b : w.view->findChildren<QScrollBar*>())
        if (b->orientation() == Qt::Horizontal) bar = b;
    ASSERT_TRUE(bar);
    EXPECT_TRUE(bar->isVisibleTo(w.view));
    EXPECT_EQ(bar->value(), w.mouse->bar().position);

    // A click one cell after the end of a line places the cursor at its end; beyond that nothing moves.
    const QPoint end = w.cell_point(2, 5);
    w.send(QEvent::MouseButtonPress, end, Qt::LeftButton, Qt::LeftButton);
    w.send(QEvent::MouseButtonRelease, end, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(w.edit().cursor.pos, TextPos(2, 10));
}

TEST(MouseWindow, ADragMarksTheTextBetweenPressAndRelease) {
    MouseWindow w;
    w.open("あいうえお\r\nかきくけこ\r\n");
    const QPoint from = w.cell_point(0, 1), to = w.cell_point(1, 2);
    w.send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    w.send(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    w.send(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    ASSERT_TRUE(w.edit().mark.on);
    EXPECT_EQ(w.edit().mark.start, TextPos(0, 2));
    // Pushed half a cell along the move: the cell under the pointer is marked.
    EXPECT_EQ(w.edit().mark.end, TextPos(1, 6));
}

TEST(MouseWindow, TwoSlowClicksOnOneCellOpenTheCopyHistory) {
    MouseWindow w;
    FakeMessages messages;
    FakeDialogHost dialogs;
    w.open("あいうえお\r\nかきくけこ\r\n");
    run_edit(w.app, [](EditContext& c) {
        c.edit.mark.on = true;
        c.edit.mark.start = TextPos(0, 0);
        c.edit.mark.end = TextPos(0, 4);
    });
    ASSERT_TRUE(w.shell->commands().run(COMMAND_COPY));
    const QPoint p = w.cell_point(1, 2);
    w.send(QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton);
    w.send(QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton);
    EXPECT_TRUE(dialogs.opened.empty());
    w.send(QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton);
    w.send(QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton);
    ASSERT_EQ(dialogs.opened, std::vector<std::string>{"CPYLOG"});
    DialogSession* d = dialogs.session(1);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(sjis_to_utf8(d->item_text(COPY_LOG_LIST, 0)), "あい");
    d->select(COPY_LOG_LIST, 0);
    d->press(COPY_LOG_PASTE);
    EXPECT_EQ(w.app.loaded->document.lines.count(), 3u);
    EXPECT_EQ(sjis_to_utf8(std::string(reinterpret_cast<const char*>(w.app.loaded->document.line_pointer(1)), 14)),
              "かきあいくけこ");
}
