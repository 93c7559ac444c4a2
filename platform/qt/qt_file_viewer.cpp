// The file viewer on Qt (see qt_file_viewer.h).
#include "platform/qt/qt_file_viewer.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

#include "platform/qt/qt_text_box.h"
#include "platform/virtual_keys.h"

namespace rix {
namespace {

int virtual_key_of(int qt_key) {
    switch (qt_key) {
        case Qt::Key_Left: return VK_LEFT;
        case Qt::Key_Up: return VK_UP;
        case Qt::Key_Right: return VK_RIGHT;
        case Qt::Key_Down: return VK_DOWN;
        default: return 0;
    }
}

}  // namespace

FileViewerDialog::FileViewerDialog(const ViewerRequest& request, QWidget* parent)
    : QDialog(parent), path_(QString::fromStdString(request.label)), vertical_(request.format.vertical) {
    setWindowTitle(QStringLiteral("　ファイル表示"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    label_ = new QLabel(this);
    layout->addWidget(label_);
    box_ = new QtTextBox(this);
    box_->set_format(request.format);
    box_->set_read_only(true);
    box_->set_text(request.text);
    layout->addWidget(box_, 1);
    area_ = qobject_cast<QAbstractScrollArea*>(box_->input_widget());
    if (area_) {
        area_->installEventFilter(this);
        area_->viewport()->installEventFilter(this);
    }
    repeat_ = new QTimer(this);
    connect(repeat_, &QTimer::timeout, this, [this] {
        scroll_lines(direction_);
        repeat_->start(static_cast<int>(VIEWER_REPEAT_MS));
    });
    resize(720, 560);
    show_label();
    box_->take_focus();
}

void FileViewerDialog::show_label() {
    label_->setText(label_->fontMetrics().elidedText(path_, Qt::ElideMiddle, std::max(40, label_->width())));
}

void FileViewerDialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    show_label();
}

void FileViewerDialog::scroll_lines(int direction) {
    if (!area_ || direction == 0) return;
    QScrollBar* bar = vertical_ ? area_->horizontalScrollBar() : area_->verticalScrollBar();
    bar->setValue(bar->value() + direction);
}

int FileViewerDialog::scroll_position() const {
    if (!area_) return 0;
    return (vertical_ ? area_->horizontalScrollBar() : area_->verticalScrollBar())->value();
}

bool FileViewerDialog::eventFilter(QObject* watched, QEvent* event) {
    if (area_ && watched == area_->viewport()) {
        const QSize size = area_->viewport()->size();
        if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
            auto* e = static_cast<QMouseEvent*>(event);
            if (e->button() != Qt::LeftButton) return false;
            const QPoint p = e->position().toPoint();
            const ViewerZone zone = viewer_zone(p.x(), p.y(), size.width(), size.height(), vertical_);
            centre_press_ = zone == ViewerZone::CLOSE;
            if (!centre_press_) {
                direction_ = zone == ViewerZone::TOWARDS_END ? 1 : -1;
                scroll_lines(direction_);
                repeat_->start(static_cast<int>(VIEWER_REPEAT_FIRST_MS));
            }
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease) {
            auto* e = static_cast<QMouseEvent*>(event);
            if (e->button() != Qt::LeftButton) return false;
            repeat_->stop();
            direction_ = 0;
            const QPoint p = e->position().toPoint();
            if (centre_press_ && viewer_zone(p.x(), p.y(), size.width(), size.height(), vertical_) == ViewerZone::CLOSE)
                accept();
            centre_press_ = false;
            return true;
        }
        if (event->type() == QEvent::MouseMove) return true;   // no selection drags
        return false;
    }
    if (area_ && watched == area_ && event->type() == QEvent::KeyPress) {
        auto* e = static_cast<QKeyEvent*>(event);
        const int vk = virtual_key_of(e->key());
        if (!vk) return false;
        // Down and Up (after turning) read by lines; the others move along a line.
        const int turned = turn_viewer_key(vk, vertical_);
        if (turned == VK_DOWN || turned == VK_UP) {
            scroll_lines(turned == VK_DOWN ? 1 : -1);
            return true;
        }
        return false;
    }
    return false;
}

void run_file_viewer(const ViewerRequest& request) {
    FileViewerDialog dialog(request, QApplication::activeWindow());
    dialog.exec();
}

}  // namespace rix
