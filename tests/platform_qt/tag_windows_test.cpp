// The tags' windows on real widgets (offscreen): a window opens as a child
// of the edit view at the given place, typing then a focus loss reports the
// text, the grip reports the new size, the connectors are drawn under the
// windows, and a closed window reports nothing more.
// Owed: the context menu's point mapped from a real right click.
#include "platform/qt/qt_tag_windows.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFocusEvent>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>

#include "platform/codec.h"
#include "platform/qt/qt_text_box.h"

namespace rix {
namespace {

TextBoxFormat format_of(bool vertical) {
    TextBoxFormat f;
    f.face = utf8_to_sjis(vertical ? "@IPAex明朝" : "IPAex明朝");
    f.pixel_height = 16;
    f.vertical = vertical;
    f.background = 0xE0FFFF;
    return f;
}

void type(QWidget* w, const char* ascii) {
    for (const char* c = ascii; *c; ++c) {
        const int key = *c >= 'a' && *c <= 'z' ? Qt::Key_A + (*c - 'a') : *c;
        QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, QString(QChar(*c)));
        QApplication::sendEvent(w, &down);
    }
}

void focus(QWidget* w, QEvent::Type type) {
    QFocusEvent e(type, Qt::MouseFocusReason);
    QApplication::sendEvent(w, &e);
}

void flush_deletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

struct Reported {
    std::vector<std::pair<int, std::string>> lost;
    std::vector<std::tuple<int, int, int>> sizes;
    TagWindowEvents events() {
        TagWindowEvents e;
        e.focus_lost = [this](std::uint16_t serial, const std::string& text) { lost.emplace_back(serial, text); };
        e.resized = [this](std::uint16_t serial, int w, int h) { sizes.emplace_back(serial, w, h); };
        return e;
    }
};

TEST(QtTagWindows, AWindowOpensInTheViewAndReportsTypingOnFocusLoss) {
    for (bool vertical : {true, false}) {
        QWidget view;
        view.resize(400, 300);
        QtTagWindows windows;
        windows.attach(&view);
        Reported reported;
        windows.set_events(reported.events());
        windows.open(3, {50, 40, 120, 90}, "memo", format_of(vertical), false);
        QWidget* frame = windows.frame(3);
        ASSERT_NE(frame, nullptr);
        EXPECT_EQ(frame->parentWidget(), &view);
        EXPECT_EQ(frame->geometry(), QRect(50, 40, 120, 90));
        EXPECT_FALSE(frame->isHidden());
        TextBox* box = windows.box(3);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text(), "memo");
        EXPECT_EQ(box->format().vertical, vertical);

        QWidget* input = static_cast<QtTextBox*>(box)->input_widget();
        box->select(4, 4);
        focus(input, QEvent::FocusIn);
        type(input, "ab");
        focus(input, QEvent::FocusOut);
        ASSERT_EQ(reported.lost.size(), 1u) << vertical;
        EXPECT_EQ(reported.lost[0], std::make_pair(3, std::string("memoab")));

        // Moved by the application: not reported as a resize.
        windows.move(3, {60, 50, 140, 100});
        EXPECT_EQ(frame->geometry(), QRect(60, 50, 140, 100));
        EXPECT_TRUE(reported.sizes.empty());

        // Closed: it goes, and the focus it loses on the way is no edit.
        windows.close(3);
        EXPECT_EQ(windows.box(3), nullptr);
        focus(input, QEvent::FocusOut);
        flush_deletes();
        EXPECT_EQ(reported.lost.size(), 1u);

        // A window closed by its own focus loss (the write-back emptied the tag).
        windows.open(4, {10, 10, 80, 80}, "x", format_of(vertical), false);
        windows.set_events({nullptr, [&](std::uint16_t serial, const std::string&) { windows.close(serial); },
                            nullptr, nullptr});
        QWidget* closing = static_cast<QtTextBox*>(windows.box(4))->input_widget();
        focus(closing, QEvent::FocusIn);
        focus(closing, QEvent::FocusOut);
        EXPECT_EQ(windows.box(4), nullptr);
        flush_deletes();
        windows.set_events(reported.events());
    }
}

TEST(QtTagWindows, TheGripResizesAndReportsOnRelease) {
    QWidget view;
    view.resize(400, 300);
    QtTagWindows windows;
    windows.attach(&view);
    Reported reported;
    windows.set_events(reported.events());
    windows.open(1, {10, 10, 100, 80}, "", format_of(true), false);
    QWidget* frame = windows.frame(1);
    QWidget* grip = frame->childAt(frame->width() - 5, frame->height() - 5);
    ASSERT_NE(grip, nullptr);
    const QPointF at(5, 5);
    auto send = [&](QEvent::Type type, QPointF local, Qt::MouseButtons held) {
        QMouseEvent e(type, local, grip->mapToGlobal(local), Qt::LeftButton, held, Qt::NoModifier);
        QApplication::sendEvent(grip, &e);
    };
    send(QEvent::MouseButtonPress, at, Qt::LeftButton);
    send(QEvent::MouseMove, at + QPointF(30, 20), Qt::LeftButton);
    EXPECT_EQ(frame->size(), QSize(130, 100));
    EXPECT_TRUE(reported.sizes.empty());   // not while dragging
    send(QEvent::MouseButtonRelease, at + QPointF(30, 20), Qt::NoButton);
    ASSERT_EQ(reported.sizes.size(), 1u);
    EXPECT_EQ(reported.sizes[0], std::make_tuple(1, 130, 100));
}

TEST(QtTagWindows, ConnectorsAreDrawnUnderTheWindowsAndHideWithThem) {
    QWidget view;
    view.resize(400, 300);
    view.setAutoFillBackground(true);
    QPalette white;
    white.setColor(QPalette::Window, Qt::white);
    view.setPalette(white);
    QtTagWindows windows;
    windows.attach(&view);
    windows.open(1, {200, 100, 100, 80}, "x", format_of(true), false);
    windows.set_connectors({{100, 120, 250, 120, 0x0000FF}});   // red, running under the window
    QImage picture = view.grab().toImage();
    EXPECT_EQ(picture.pixelColor(150, 120), QColor(255, 0, 0));
    EXPECT_EQ(picture.pixelColor(150, 118), QColor(255, 0, 0));   // 5 pixels wide
    EXPECT_NE(picture.pixelColor(240, 120), QColor(255, 0, 0));   // the window covers its end
    windows.set_hidden(true);
    windows.set_connectors({});
    EXPECT_TRUE(windows.frame(1)->isHidden());
    picture = view.grab().toImage();
    EXPECT_NE(picture.pixelColor(150, 120), QColor(255, 0, 0));
    windows.set_hidden(false);
    EXPECT_FALSE(windows.frame(1)->isHidden());
    windows.close_all();
    EXPECT_EQ(windows.frame(1), nullptr);
}

}  // namespace
}  // namespace rix
