// The preview window on Qt: it shows the sheet the source paints, pages
// with its buttons and the wheel, shows the printable frame on the right
// button, and closes with a click in the middle.
#include "platform/qt/qt_preview.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include "platform/recording_surface.h"

#include <vector>

namespace rix {
namespace {

// Three sheets of a 4000 × 3000 page; each painted as one filled box.
class Sheets final : public PreviewSource {
public:
    int first_sheet() const override { return 1; }
    int last_sheet() const override { return 3; }
    int start_sheet() const override { return 2; }
    int page_width() const override { return 4000; }
    int page_height() const override { return 3000; }
    bool vertical() const override { return true; }
    std::string paper_text() const override { return "用紙Ａ４"; }
    void paint(int sheet, Surface& image) override {
        painted.push_back(sheet);
        image.fill_rect({1000, 1000, 2000, 1000}, 0x000000);
    }
    std::vector<int> painted;
};

QPushButton* button(QDialog* d, const QString& text) {
    for (QPushButton* b : d->findChildren<QPushButton*>())
        if (b->text() == text) return b;
    return nullptr;
}

TEST(PreviewWindow, PagesWithButtonsAndWheelAndClosesInTheMiddle) {
    Sheets sheets;
    QTimer poll;
    bool acted = false;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!d || !d->isVisible() || acted) return;
        acted = true;
        ASSERT_TRUE(button(d, QStringLiteral("次 頁")));
        button(d, QStringLiteral("次 頁"))->click();
        button(d, QStringLiteral("次 頁"))->click();   // past the last sheet: nothing
        button(d, QStringLiteral("先 頭"))->click();
        QWheelEvent wheel(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(d, &wheel);
        // The middle of the shown sheet closes the window.
        QLabel* page = nullptr;
        for (QLabel* l : d->findChildren<QLabel*>())
            if (!l->pixmap().isNull()) page = l;
        ASSERT_TRUE(page);
        const QPoint centre = page->mapTo(d, page->rect().center());
        QMouseEvent click(QEvent::MouseButtonPress, QPointF(centre), QPointF(centre), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(d, &click);
    });
    poll.start(5);
    QTimer::singleShot(5000, &poll, [] {
        if (auto* d = QApplication::activeModalWidget()) {
            ADD_FAILURE() << "preview left open";
            static_cast<QDialog*>(d)->reject();
        }
    });
    run_preview_window(sheets);
    EXPECT_TRUE(acted);
    ASSERT_GE(sheets.painted.size(), 4u);
    EXPECT_EQ(sheets.painted.front(), 2);                // the start sheet first
    std::vector<int> moves;
    for (int s : sheets.painted) if (moves.empty() || moves.back() != s) moves.push_back(s);
    EXPECT_EQ(moves, (std::vector<int>{2, 3, 1, 2}));
}

TEST(PreviewWindow, TheRightButtonShowsAndHidesThePrintableFrame) {
    Sheets sheets;
    QTimer poll;
    bool acted = false;
    QRgb edges[3] = {};
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!d || !d->isVisible() || acted) return;
        acted = true;
        QLabel* page = nullptr;
        for (QLabel* l : d->findChildren<QLabel*>())
            if (!l->pixmap().isNull()) page = l;
        ASSERT_TRUE(page);
        auto left_edge = [&] {
            const QImage image = page->pixmap().toImage();
            return image.pixel(0, image.height() / 2);
        };
        const QPoint at = page->mapTo(d, QPoint(2, 2));
        QMouseEvent right(QEvent::MouseButtonPress, QPointF(at), QPointF(at), Qt::RightButton, Qt::RightButton,
                          Qt::NoModifier);
        edges[0] = left_edge();
        QApplication::sendEvent(d, &right);
        edges[1] = left_edge();
        QApplication::sendEvent(d, &right);
        edges[2] = left_edge();
        d->accept();
    });
    poll.start(5);
    QTimer::singleShot(5000, &poll, [] {
        if (auto* d = QApplication::activeModalWidget()) static_cast<QDialog*>(d)->reject();
    });
    run_preview_window(sheets);
    ASSERT_TRUE(acted);
    EXPECT_EQ(qGray(edges[0]), 255);   // white paper
    EXPECT_LT(qGray(edges[1]), 128);   // the frame
    EXPECT_EQ(qGray(edges[2]), 255);
    for (int sheet : sheets.painted) EXPECT_EQ(sheet, 2);   // the frame never pages
}

TEST(PreviewFrame, OutlinesThePageOnePixelInside) {
    RecordingSurface image(400, 300);
    draw_printable_frame(image, 400, 300);
    EXPECT_EQ(image.lines_starting("line ").size(), 4u);
    EXPECT_NE(image.dump().find("line 399,0-399,299"), std::string::npos);
    image.clear();
    draw_printable_frame(image, 0, 300);
    EXPECT_TRUE(image.dump().empty());
}

}  // namespace
}  // namespace rix
