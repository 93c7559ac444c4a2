// The input method on the real edit window (offscreen): Qt's input-method
// events drawn in place and committed, a cancel that leaves the picture as
// it was, the scroll at the last screen line, and the answers to the input
// method's queries.
// Owed: a real input method (tests/cli, where the machine has one).
#include <QApplication>
#include <QInputMethodEvent>
#include <QMainWindow>
#include <QTextCharFormat>

#include <gtest/gtest.h>

#include "app/shell/features.h"
#include "app/settings/default_settings.h"
#include "app/edit/editor.h"
#include "app/documents/save_flow.h"
#include "app/edit/screen.h"
#include "app/window/shell_events.h"
#include "editing/cursor.h"
#include "platform/codec.h"
#include "platform/fake_messages.h"
#include "platform/gui.h"
#include "platform/qt/image_surface.h"
#include "platform/qt/qt_input_method.h"
#include "tests/support/temp_folder.h"
#include "rix_build_paths.h"

using namespace rix;

namespace {

struct ImeWindow {
    FakeWindowHost host;
    FakeMessages messages;
    test::TempFolder dir;
    Application app;
    ScreenState screen;
    std::unique_ptr<ShellEvents> shell;
    std::unique_ptr<Gui> gui;
    QWidget* view = nullptr;

    ImeWindow() {
        build_default_settings(&app.settings.rec);
        app.host = &host;
        app.loaded = std::make_unique<LoadedDocument>(std::string(), UINT64_MAX);
        MenuTables menus;
        std::string error;
        EXPECT_TRUE(load_menu_tables(RIX_RESOURCE_DIR, &menus, &error)) << error;
        int argc = 1;
        static char name[] = "rix";
        char* argv[] = {name, nullptr};
        gui = create_gui(argc, argv, true, RIX_RESOURCE_DIR "/help", nullptr, [] {});
        install_messages(&messages);
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
        app.window.show_surface = [window] { window->invalidate(); };
        install_features(app);
        EXPECT_TRUE(gui->create_main_window(main_window_setup(app, *shell, 0, RIX_RESOURCE_DIR), shell.get()));
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* m = qobject_cast<QMainWindow*>(w)) view = m->centralWidget();
    }
    ~ImeWindow() {
        close_document(&app.doc, false);
        install_messages(nullptr);
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
    QImage image() const { return static_cast<ImageSurface*>(gui->edit_surface())->image().copy(); }
    void send(const QString& preedit, const QString& commit = QString(), QList<QInputMethodEvent::Attribute> attrs = {}) {
        QInputMethodEvent e(preedit, attrs);
        if (!commit.isNull()) e.setCommitString(commit);
        QApplication::sendEvent(view, &e);
    }
    std::string line(std::uint32_t l) {
        const std::uint8_t* p = app.loaded->document.line_pointer(l);
        std::string out;
        for (std::size_t i = 0; p[i] != 0xFE && p[i] != 0x1A; ++i) out += static_cast<char>(p[i]);
        return sjis_to_utf8(out);
    }
};

QList<QInputMethodEvent::Attribute> target(int start, int length, int cursor) {
    QTextCharFormat f;
    f.setBackground(Qt::darkBlue);
    f.setForeground(Qt::white);
    return {QInputMethodEvent::Attribute(QInputMethodEvent::TextFormat, start, length, f),
            QInputMethodEvent::Attribute(QInputMethodEvent::Cursor, cursor, 1, QVariant())};
}

}  // namespace

TEST(ImeWindow, QtEventsMapToCharactersAndClauses) {
    QTextCharFormat underline;
    underline.setFontUnderline(true);
    QTextCharFormat shown;
    shown.setBackground(Qt::black);
    // 𠮷 is one character in two UTF-16 units: positions count characters.
    const QString text = QString::fromUtf8("𠮷野家");
    QInputMethodEvent e(text, {QInputMethodEvent::Attribute(QInputMethodEvent::TextFormat, 0, 2, underline),
                               QInputMethodEvent::Attribute(QInputMethodEvent::TextFormat, 2, 2, shown),
                               QInputMethodEvent::Attribute(QInputMethodEvent::Cursor, 3, 1, QVariant())});
    const InputMethodEvent m = input_method_event_of(e);
    EXPECT_EQ(m.preedit, "𠮷野家");
    EXPECT_EQ(m.attributes, (std::vector<std::uint8_t>{0, IME_ATTR_TARGET, IME_ATTR_TARGET}));
    EXPECT_EQ(m.cursor, 2);
    QInputMethodEvent hidden(text, {QInputMethodEvent::Attribute(QInputMethodEvent::Cursor, 0, 0, QVariant())});
    EXPECT_EQ(input_method_event_of(hidden).cursor, -1);
    QInputMethodEvent replace;
    replace.setCommitString(QString::fromUtf8("翻"), -1, 2);
    const InputMethodEvent r = input_method_event_of(replace);
    EXPECT_EQ(r.commit, "翻");
    EXPECT_EQ(r.replace_from, -1);
    EXPECT_EQ(r.replace_length, 2);
}

TEST(ImeWindow, TheCompositionIsDrawnInPlaceAndACancelRestoresThePicture) {
    ImeWindow w;
    w.open("あいうえお\r\nかきくけこ\r\n");
    ASSERT_TRUE(w.screen.screen.geo.vertical);
    run_edit(w.app, [](EditContext& c) { place_cursor(c, TextPos(0, 4)); });
    QApplication::processEvents();
    const QImage before = w.image();

    w.send(QString::fromUtf8("にほんご"), QString(), target(0, 4, 4));
    const QImage composing = w.image();
    EXPECT_NE(composing, before);
    // The cursor's cell (the third of the first column) shows the composition's inverted target.
    const DisplayGeometry& g = w.screen.screen.geo;
    const int x = line_position(g, 0) - g.font_w / 2, y = cell_position(g, 0, 2) + 1;
    EXPECT_NE(composing.pixel(x, y), before.pixel(x, y));
    EXPECT_EQ(w.line(0), "あいうえお");

    w.send(QString::fromUtf8("に"), QString(), target(0, 1, 1));   // shrinks
    w.send(QString());                                             // cancelled
    const QImage after = w.image();
    EXPECT_EQ(after, before);
    if (after != before) {
        QRect diff;
        for (int yy = 0; yy < after.height(); ++yy)
            for (int xx = 0; xx < after.width(); ++xx)
                if (after.pixel(xx, yy) != before.pixel(xx, yy)) diff |= QRect(xx, yy, 1, 1);
        ADD_FAILURE() << "differs in " << diff.x() << "," << diff.y() << " " << diff.width() << "x" << diff.height()
                      << " line 0 at " << line_position(g, 0) << " cell 2 at " << cell_position(g, 0, 2);
    }
    EXPECT_EQ(w.line(0), "あいうえお");

    w.send(QString::fromUtf8("にほんご"));
    w.send(QString(), QString::fromUtf8("日本語"));
    EXPECT_EQ(w.line(0), "あい日本語うえお");
    EXPECT_TRUE(w.messages.log.empty());
}

TEST(ImeWindow, AtTheLastScreenLineTheViewScrollsForTheWrap) {
    ImeWindow w;
    std::string text;
    for (int i = 0; i < 40; ++i) text += "あいうえおかきくけこさしすせそたちつてと\r\n";
    w.open(text);
    const DisplayGeometry& g = w.screen.screen.geo;
    const int last = g.screen_lines - 1;
    run_edit(w.app, [&](EditContext& c) { place_cursor(c, TextPos(static_cast<std::uint32_t>(last), 36)); });
    ASSERT_EQ(w.screen.screen.cursor_at.line, last);
    const DisplayLineNo top = w.screen.screen.top_display_line;
    w.send(QString::fromUtf8("にほんごにゅうりょく"));
    EXPECT_EQ(w.screen.screen.top_display_line.value, top.value + 1);
    EXPECT_EQ(w.screen.screen.cursor_at.line, last - 1);
    w.send(QString());
    EXPECT_EQ(w.line(static_cast<std::uint32_t>(last)), "あいうえおかきくけこさしすせそたちつてと");
}

TEST(ImeWindow, QueriesAnswerTheCandidatePlaceAndThePhraseAtTheCursor) {
    ImeWindow w;
    w.open("私は日本語を書く\r\n");
    run_edit(w.app, [](EditContext& c) { place_cursor(c, TextPos(0, 6)); });
    EXPECT_TRUE(w.view->inputMethodQuery(Qt::ImEnabled).toBool());
    const QRect r = w.view->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    const DisplayGeometry& g = w.screen.screen.geo;
    // Column 0 stands in the right half: the list goes to its left, a quarter down the line.
    EXPECT_LT(r.x(), line_position(g, 0) - g.font_w);
    EXPECT_EQ(r.y(), cell_position(g, 0, g.chars / 4));
    EXPECT_EQ(w.view->inputMethodQuery(Qt::ImSurroundingText).toString(), QString::fromUtf8("日本語を書く"));
    EXPECT_EQ(w.view->inputMethodQuery(Qt::ImCursorPosition).toInt(), 1);
    EXPECT_EQ(w.view->inputMethodQuery(Qt::ImAnchorPosition).toInt(), 1);
    // The input method replaces 本語 by what it converted.
    QInputMethodEvent e;
    e.setCommitString(QString::fromUtf8("翻後"), 0, 2);
    QApplication::sendEvent(w.view, &e);
    EXPECT_EQ(w.line(0), "私は日翻後を書く");
    EXPECT_TRUE(w.messages.log.empty());
}
