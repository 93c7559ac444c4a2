// The file viewer on real widgets (offscreen), in both writing directions:
// presses near an edge scroll, the arrow keys read on by lines, a click in
// the centre closes; pictures (file_viewer_vertical.png and
// file_viewer_horizontal.png in the test's working folder) to look at.
#include "platform/qt/qt_file_viewer.h"

#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include "platform/codec.h"
#include "platform/qt/qt_text_box.h"

namespace rix {
namespace {

ViewerRequest request(bool vertical) {
    ViewerRequest r;
    r.label = "/home/writer/原稿/第一章.txt";
    std::string text;
    for (int i = 0; i < 200; ++i) text += "吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。\r\n";
    r.text = utf8_to_sjis(text);
    r.format.face = utf8_to_sjis(vertical ? "@IPAex明朝" : "IPAex明朝");
    r.format.pixel_height = 16;
    r.format.vertical = vertical;
    r.format.background = 0xF0FFFF;
    return r;
}

void click(QWidget* w, QPoint p, QEvent::Type type) {
    QMouseEvent e(type, p, w->mapToGlobal(p), Qt::LeftButton,
                  type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

QWidget* viewport_of(FileViewerDialog& d) {
    return static_cast<QAbstractScrollArea*>(d.box()->input_widget())->viewport();
}

class FileViewerTest : public ::testing::TestWithParam<bool> {};

TEST_P(FileViewerTest, EdgesScrollKeysReadOnAndTheCentreCloses) {
    const bool vertical = GetParam();
    FileViewerDialog d(request(vertical), nullptr);
    d.show();
    QApplication::processEvents();
    EXPECT_TRUE(d.box()->read_only());
    EXPECT_EQ(d.box()->text().substr(0, 6), utf8_to_sjis("吾輩は"));
    QWidget* view = viewport_of(d);
    const QSize size = view->size();
    const int start = d.scroll_position();

    // Towards the end: the left edge of a vertical box, the bottom of a horizontal one.
    const QPoint end_edge = vertical ? QPoint(4, size.height() / 2) : QPoint(size.width() / 2, size.height() - 4);
    click(view, end_edge, QEvent::MouseButtonPress);
    click(view, end_edge, QEvent::MouseButtonRelease);
    EXPECT_EQ(d.scroll_position(), start + 1);
    QKeyEvent down(QEvent::KeyPress, vertical ? Qt::Key_Left : Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(d.box()->input_widget(), &down);
    EXPECT_EQ(d.scroll_position(), start + 2);
    const QPoint start_edge = vertical ? QPoint(size.width() - 4, size.height() / 2) : QPoint(size.width() / 2, 4);
    click(view, start_edge, QEvent::MouseButtonPress);
    click(view, start_edge, QEvent::MouseButtonRelease);
    EXPECT_EQ(d.scroll_position(), start + 1);

    d.grab().save(QString::fromLatin1(vertical ? "file_viewer_vertical.png" : "file_viewer_horizontal.png"));
    EXPECT_TRUE(d.isVisible());
    const QPoint centre(size.width() / 2, size.height() / 2);
    click(view, centre, QEvent::MouseButtonPress);
    click(view, centre, QEvent::MouseButtonRelease);
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.result(), QDialog::Accepted);
}

INSTANTIATE_TEST_SUITE_P(BothDirections, FileViewerTest, ::testing::Values(true, false));

}  // namespace
}  // namespace rix
