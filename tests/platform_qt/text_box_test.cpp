// The shared text box on real widgets (offscreen): the vertical box driven
// by keys, the mouse and input-method events; the same edits through the
// one interface on the horizontal box; and a picture of the vertical box
// (text_box_vertical.png in the test's working folder) to look at.
//
// Still owed: drags past the box's edge (no auto-scroll yet); PageUp/PageDown.
#include "platform/qt/qt_text_box.h"

#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>

#include <fstream>
#include <iterator>

#include "platform/codec.h"
#include "platform/qt/image_surface.h"
#include "platform/recording_surface.h"
#include "rix_build_paths.h"

namespace rix {
namespace {

std::string sj(std::string_view utf8) { return utf8_to_sjis(utf8); }

TextBoxFormat format_of(bool vertical) {
    TextBoxFormat f;
    f.face = sj(vertical ? "@IPAex明朝" : "IPAex明朝");
    f.pixel_height = 16;
    f.vertical = vertical;
    f.background = 0xE0FFFF;
    return f;
}

// A key pressed and released, with the text a keyboard gives it.
void press(QWidget* w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = {}) {
    QKeyEvent down(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(w, &down);
    QKeyEvent up(QEvent::KeyRelease, key, mods, text);
    QApplication::sendEvent(w, &up);
}

void type(QWidget* w, const char* ascii) {
    for (const char* c = ascii; *c; ++c) {
        const int key = *c >= 'a' && *c <= 'z' ? Qt::Key_A + (*c - 'a') : *c;
        press(w, key, Qt::NoModifier, QString(QChar(*c)));
    }
}

void mouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButtons held) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, QPointF(at), w->mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

void commit(QWidget* w, const char* utf8) {
    QInputMethodEvent e(QString(), {});
    e.setCommitString(QString::fromUtf8(utf8));
    QApplication::sendEvent(w, &e);
}

struct Counted {
    int changes = 0, ins = 0, outs = 0;
    TextBoxEvents events() {
        TextBoxEvents e;
        e.changed = [this] { ++changes; };
        e.focus_in = [this] { ++ins; };
        e.focus_out = [this] { ++outs; };
        return e;
    }
};

// ---- vertical ----------------------------------------------------------------------

TEST(QtTextBoxVertical, FirstCharacterAtTheTopRightAndTheArrows) {
    FakeClipboard clipboard;
    QtTextBox box(nullptr, &clipboard);
    box.set_format(format_of(true));
    box.resize(200, 140);
    box.show();
    box.set_text(sj("あいう\r\nかきく"));
    QWidget* in = box.input_widget();
    const QRect view = static_cast<QAbstractScrollArea*>(in)->viewport()->geometry();
    const QRect first = in->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    // The caret's cell (あ) stands at the top right of the text area.
    EXPECT_EQ(first.right(), view.right() - 4);
    EXPECT_EQ(first.top(), view.top() + 4);
    EXPECT_EQ(first.width(), 16);

    press(in, Qt::Key_Down);                    // next character
    EXPECT_EQ(box.caret_offset(), 2u);
    const QRect below = in->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    EXPECT_EQ(below.top(), first.top() + 16);
    press(in, Qt::Key_Left);                    // next column, same row: き
    EXPECT_EQ(box.caret_offset(), 10u);
    EXPECT_LT(in->inputMethodQuery(Qt::ImCursorRectangle).toRect().right(), first.left());
    press(in, Qt::Key_Right);                   // back
    EXPECT_EQ(box.caret_offset(), 2u);
    press(in, Qt::Key_Up);
    EXPECT_EQ(box.caret_offset(), 0u);
    press(in, Qt::Key_End);                     // the column's end
    EXPECT_EQ(box.caret_offset(), 6u);
    press(in, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(box.caret_offset(), 14u);
    press(in, Qt::Key_Home);
    EXPECT_EQ(box.caret_offset(), 8u);
    press(in, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(box.caret_offset(), 0u);
}

TEST(QtTextBoxVertical, TypingSelectingAndTheClipboard) {
    QtTextBox box(nullptr);   // the system clipboard
    box.set_format(format_of(true));
    box.resize(200, 140);
    box.show();
    Counted seen;
    box.set_events(seen.events());
    QWidget* in = box.input_widget();
    type(in, "ab");
    press(in, Qt::Key_Return);
    type(in, "c");
    EXPECT_EQ(box.text(), "ab\r\nc");
    EXPECT_EQ(seen.changes, 4);
    box.set_text(sj("縦書きの付箋"));
    EXPECT_EQ(seen.changes, 4);                 // set_text is not the user's

    press(in, Qt::Key_Down);
    press(in, Qt::Key_Down, Qt::ShiftModifier);
    press(in, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_TRUE(box.has_selection());
    press(in, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QString::fromUtf8("書き"));
    press(in, Qt::Key_End, Qt::ControlModifier);
    press(in, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(box.text(), sj("縦書きの付箋書き"));
    press(in, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(box.text(), sj("縦書きの付箋"));
    press(in, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(box.text(), sj("縦書きの付箋書き"));
    // Shift+Delete cuts, Shift+Insert pastes.
    box.select(0, 2);
    press(in, Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(box.text(), sj("書きの付箋書き"));
    press(in, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(box.text(), sj("縦書きの付箋書き"));
}

TEST(QtTextBoxVertical, InputMethodCommitIsInsertedWholeAndTheCandidateWindowSitsBeside) {
    FakeClipboard clipboard;
    QtTextBox box(nullptr, &clipboard);
    box.set_format(format_of(true));
    box.resize(200, 140);
    box.show();
    Counted seen;
    box.set_events(seen.events());
    QWidget* in = box.input_widget();
    EXPECT_TRUE(in->inputMethodQuery(Qt::ImEnabled).toBool());
    type(in, "x");
    QInputMethodEvent composing(QString::fromUtf8("かんじ"), {});
    QApplication::sendEvent(in, &composing);
    EXPECT_EQ(box.text(), "x");                 // a composition is not text yet
    commit(in, "漢字変換");
    EXPECT_EQ(box.text(), "x" + sj("漢字変換"));
    EXPECT_EQ(seen.changes, 2);
    const QRect r = in->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    const QRect view = static_cast<QAbstractScrollArea*>(in)->viewport()->geometry();
    EXPECT_EQ(r.top(), view.top() + 4 + 5 * 16);   // the cell after 換
    EXPECT_TRUE(box.undo());                    // the commit was one step
    EXPECT_EQ(box.text(), "x");

    // A commit past the byte limit is cut on a character boundary.
    box.set_byte_limit(6);
    commit(in, "漢字変換");
    EXPECT_EQ(box.text(), "x" + sj("漢字"));
    box.set_read_only(true);
    EXPECT_FALSE(in->inputMethodQuery(Qt::ImEnabled).toBool());
    commit(in, "a");
    type(in, "b");
    EXPECT_FALSE(box.paste());
    EXPECT_EQ(box.text(), "x" + sj("漢字"));
}

TEST(QtTextBoxVertical, MouseClicksAndDragsSelect) {
    FakeClipboard clipboard;
    QtTextBox box(nullptr, &clipboard);
    box.set_format(format_of(true));
    box.resize(200, 140);
    box.show();
    box.set_text(sj("あいうえお\r\nかきくけこ"));
    QWidget* in = box.input_widget();
    QWidget* view = static_cast<QAbstractScrollArea*>(in)->viewport();
    const QRect cell = in->inputMethodQuery(Qt::ImCursorRectangle).toRect().translated(-view->pos());
    // Press in the top half of the second cell of the first column, drag to
    // the next column's fourth cell.
    const QPoint to(cell.center().x() - 24, cell.top() + 3 * 16 + 3);
    mouse(view, QEvent::MouseButtonPress, QPoint(cell.center().x(), cell.top() + 16 + 3), Qt::LeftButton);
    mouse(view, QEvent::MouseMove, to, Qt::LeftButton);
    mouse(view, QEvent::MouseButtonRelease, to, Qt::NoButton);
    ASSERT_TRUE(box.has_selection());
    EXPECT_TRUE(box.copy());
    EXPECT_EQ(clipboard.text, "いうえお\nかきく");
    EXPECT_EQ(box.caret_offset(), 10u + 2 + 6);
}

TEST(QtTextBoxVertical, ScrollBarFollowsTheCaret) {
    FakeClipboard clipboard;
    QtTextBox box(nullptr, &clipboard);
    box.set_format(format_of(true));
    box.resize(120, 140);
    box.show();
    std::string text;
    for (int i = 0; i < 12; ++i) text += sj("行") + "\r\n";
    box.set_text(text);
    auto* area = static_cast<QAbstractScrollArea*>(box.input_widget());
    QScrollBar* bar = area->horizontalScrollBar();
    EXPECT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), 0);
    press(area, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(bar->value(), bar->maximum());
    bar->setValue(0);
    const QRect r = area->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    EXPECT_LT(r.right(), 0);   // the caret's column scrolled out of sight, to the left

    // The wheel turned towards the reader goes on to the next columns, one a notch.
    QWidget* view = area->viewport();
    QWheelEvent towards(QPointF(10, 10), view->mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, -240), Qt::NoButton,
                        Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view, &towards);
    EXPECT_EQ(bar->value(), 2);
    QWheelEvent back(QPointF(10, 10), view->mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, 120), Qt::NoButton,
                     Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view, &back);
    EXPECT_EQ(bar->value(), 1);
}

// ---- both orientations through the one interface ----------------------------------------

class QtTextBoxEither : public ::testing::TestWithParam<bool> {};

TEST_P(QtTextBoxEither, EditsThroughTheInterface) {
    const bool vertical = GetParam();
    FakeClipboard clipboard;
    QtTextBox widget(nullptr, &clipboard);
    TextBox& box = widget;
    box.set_format(format_of(vertical));
    widget.resize(200, 140);
    widget.show();
    Counted seen;
    box.set_events(seen.events());
    QWidget* in = widget.input_widget();
    // The key to the next character: Down in vertical writing.
    const int next = vertical ? Qt::Key_Down : Qt::Key_Right;

    type(in, "ab");
    commit(in, "付箋");
    EXPECT_EQ(box.text(), "ab" + sj("付箋"));
    EXPECT_EQ(box.caret_offset(), 6u);
    EXPECT_GE(seen.changes, 3);
    box.select(0, 0);
    press(in, next, Qt::ShiftModifier);
    press(in, next, Qt::ShiftModifier);
    press(in, next, Qt::ShiftModifier);
    EXPECT_TRUE(box.has_selection());
    EXPECT_EQ(box.caret_offset(), 4u);
    EXPECT_TRUE(box.copy());
    EXPECT_EQ(clipboard.text, "ab付");
    box.select(6, 6);
    EXPECT_TRUE(box.paste());
    EXPECT_EQ(box.text(), "ab" + sj("付箋") + "ab" + sj("付"));
    EXPECT_TRUE(box.can_undo());
    EXPECT_TRUE(box.undo());
    EXPECT_EQ(box.text(), "ab" + sj("付箋"));
    EXPECT_TRUE(box.redo());
    box.select_all();
    EXPECT_TRUE(box.cut());
    EXPECT_EQ(box.text(), "");
    EXPECT_EQ(clipboard.text, "ab付箋ab付");

    // Line breaks are CR LF in and out, LF on the clipboard.
    clipboard.text = "一\n二\r\n三";
    EXPECT_TRUE(box.paste());
    EXPECT_EQ(box.text(), sj("一\r\n二\r\n三"));

    // The limit: a lead byte at the limit is not taken, CR LF not split.
    box.set_text("");
    box.set_byte_limit(5);
    clipboard.text = "abあい";
    box.paste();
    EXPECT_EQ(box.text(), "ab" + sj("あ"));
    box.set_text("abcd");
    box.select(4, 4);
    press(in, Qt::Key_Return);
    EXPECT_EQ(box.text(), "abcd");
    box.set_byte_limit(0);

    // Orientation changes keep the text.
    box.set_text(sj("縦と横"));
    TextBoxFormat turned = format_of(!vertical);
    box.set_format(turned);
    EXPECT_EQ(box.text(), sj("縦と横"));
    EXPECT_NE(widget.input_widget(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Orientations, QtTextBoxEither, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Vertical" : "Horizontal"; });

TEST(QtTextBoxEither, FocusEventsAreReported) {
    FakeClipboard clipboard;
    QtTextBox box(nullptr, &clipboard);
    box.set_format(format_of(true));
    Counted seen;
    box.set_events(seen.events());
    QFocusEvent in(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(box.input_widget(), &in);
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(box.input_widget(), &out);
    QFocusEvent popup(QEvent::FocusOut, Qt::PopupFocusReason);   // a context menu opening
    QApplication::sendEvent(box.input_widget(), &popup);
    EXPECT_EQ(seen.ins, 1);
    EXPECT_EQ(seen.outs, 1);
}

TEST(QtTextBoxEither, ContextMenuGoesToTheOwner) {
    for (bool vertical : {true, false}) {
        FakeClipboard clipboard;
        QtTextBox box(nullptr, &clipboard);
        box.set_format(format_of(vertical));
        QPoint asked;
        TextBoxEvents events;
        events.context_menu = [&](int x, int y) { asked = QPoint(x, y); };
        box.set_events(events);
        // Both editors are scroll areas; the click lands on the viewport.
        QWidget* target = static_cast<QAbstractScrollArea*>(box.input_widget())->viewport();
        QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(5, 6), QPoint(105, 206));
        QApplication::sendEvent(target, &menu);
        EXPECT_EQ(asked, QPoint(105, 206)) << (vertical ? "vertical" : "horizontal");
    }
}

// ---- printing and the picture ------------------------------------------------------------

TEST(QtTextBoxPaint, PaintsOnAnySurface) {
    QtTextBox box(nullptr);
    box.set_format(format_of(true));
    box.set_text(sj("あい\r\nう"));
    box.select(0, 2);
    RecordingSurface surface(100, 60);
    box.paint(surface, {0, 0, 100, 60});
    const std::string dump = surface.dump();
    EXPECT_NE(dump.find("font 0 " + sj("IPAex明朝") + " 16 v\n"), std::string::npos);
    EXPECT_EQ(surface.lines_starting("cell ").size(), 3u);
    EXPECT_EQ(surface.lines_starting("fill ").size(), 1u);   // no selection, no caret on paper
}

// The vertical box with a few lines of a novel, written as a PNG to look at.
TEST(QtTextBoxPaint, VerticalPictureOfANovel) {
    std::ifstream in(std::string(RIX_SOURCE_DIR) + "/tests/data/corpus/rashomon.txt", std::ios::binary);
    ASSERT_TRUE(in);
    const std::string novel((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::size_t from = novel.find(sj("　ある日の暮方"));
    ASSERT_NE(from, std::string::npos);
    const std::string part = novel.substr(from, cut_on_boundary(novel.substr(from), 330)) + "\r\n" + sj("「ー」（ＡＢ）ab…");

    FakeClipboard clipboard;
    QtTextBox box(nullptr, &clipboard);
    TextBoxFormat f = format_of(true);
    f.pixel_height = 20;
    box.set_format(f);
    box.resize(420, 300);
    box.show();
    box.set_text(part);
    box.select(0, 20);
    QImage shot = box.grab().toImage();
    ASSERT_FALSE(shot.isNull());
    EXPECT_TRUE(shot.save("text_box_vertical.png"));
    // Ink in the top right, where the first column stands.
    int dark = 0;
    for (int y = 8; y < 100; ++y)
        for (int x = shot.width() - 40; x < shot.width() - 8; ++x) dark += qGray(shot.pixel(x, y)) < 128;
    EXPECT_GT(dark, 20);
}

}  // namespace
}  // namespace rix
