// Pointer shapes: arrows and corner brackets drawn with two-pixel lines.
#include "platform/qt/pointer_shapes.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <algorithm>
#include <cmath>

namespace rix {

namespace {

constexpr int SIZE = 24;

// An arrow pointer with its tip at (0, 0).
void arrow(QPainter& p) {
    QPainterPath path;
    path.moveTo(0, 0);
    path.lineTo(0, 13);
    path.lineTo(3, 10);
    path.lineTo(6, 16);
    path.lineTo(8, 15);
    path.lineTo(5, 9);
    path.lineTo(9, 9);
    path.closeSubpath();
    p.fillPath(path, p.pen().color());
}

// A double-headed arrow from a to b.
void double_arrow(QPainter& p, QPointF a, QPointF b) {
    p.drawLine(a, b);
    const QPointF d = (b - a) / std::max(1.0, std::hypot((b - a).x(), (b - a).y()));
    const QPointF n(-d.y(), d.x());
    for (auto [tip, dir] : {std::pair{a, d}, std::pair{b, -d}}) {
        QPainterPath head;
        head.moveTo(tip);
        head.lineTo(tip + dir * 5 + n * 4);
        head.lineTo(tip + dir * 5 - n * 4);
        head.closeSubpath();
        p.fillPath(head, p.pen().color());
    }
}

}  // namespace

QImage pointer_image(const std::string& name, std::uint32_t colorref) {
    const QColor colour(static_cast<int>(colorref & 0xFF), static_cast<int>((colorref >> 8) & 0xFF),
                        static_cast<int>((colorref >> 16) & 0xFF));
    QImage image(SIZE, SIZE, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setPen(QPen(colour, 2, Qt::SolidLine, Qt::SquareCap));
    if (name == "VERTICAL") {
        arrow(p);
        p.drawLine(14, 6, 14, 20);          // a column of text
        p.drawLine(11, 20, 17, 20);
    } else if (name == "HORIZONTAL") {
        arrow(p);
        p.drawLine(8, 19, 22, 19);          // a line of text
        p.drawLine(22, 16, 22, 22);
    } else if (name == "SCROOL") {
        double_arrow(p, QPointF(10, 1), QPointF(10, 19));
        double_arrow(p, QPointF(1, 10), QPointF(19, 10));
    } else if (name == "SIZENESW") {
        double_arrow(p, QPointF(2, 18), QPointF(18, 2));
    } else if (name == "SIZENWSE") {
        double_arrow(p, QPointF(2, 2), QPointF(18, 18));
    } else if (name == "KAGI_1") {           // top-right corner, hot spot (20, 0)
        p.drawLine(6, 1, 20, 1);
        p.drawLine(20, 1, 20, 15);
    } else if (name == "KAGI_2") {           // top-left, (0, 0)
        p.drawLine(1, 1, 15, 1);
        p.drawLine(1, 1, 1, 15);
    } else if (name == "KAGI_3") {           // bottom-left, (0, 20)
        p.drawLine(1, 6, 1, 20);
        p.drawLine(1, 20, 15, 20);
    } else if (name == "KAGI_4") {           // bottom-right, (20, 20)
        p.drawLine(20, 6, 20, 20);
        p.drawLine(6, 20, 20, 20);
    } else if (name == "MARKDRAG") {
        arrow(p);
        p.drawRect(11, 13, 10, 8);          // the text carried along
    } else {
        return QImage();
    }
    return image;
}

QCursor pointer_cursor(const std::string& name, int hot_x, int hot_y, std::uint32_t colorref) {
    QImage image = pointer_image(name, colorref);
    if (image.isNull()) return QCursor(Qt::ArrowCursor);
    return QCursor(QPixmap::fromImage(image), hot_x, hot_y);
}

}  // namespace rix
