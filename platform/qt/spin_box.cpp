// SpinBox: two arrow buttons over a clamped 16-bit range (see spin_box.h).
#include "platform/qt/spin_box.h"

#include <QKeyEvent>
#include <QToolButton>
#include <QWheelEvent>

#include <algorithm>
#include <climits>

namespace rix {

namespace {

constexpr int REPEAT_DELAY_MS = 400;
constexpr int REPEAT_INTERVAL_MS = 60;
constexpr int PAGE_STEPS = 5;

QToolButton* make_arrow(QWidget* parent, Qt::ArrowType arrow) {
    auto* b = new QToolButton(parent);
    b->setArrowType(arrow);
    b->setAutoRepeat(true);
    b->setAutoRepeatDelay(REPEAT_DELAY_MS);
    b->setAutoRepeatInterval(REPEAT_INTERVAL_MS);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

}  // namespace

SpinBox::SpinBox(QWidget* parent)
    : QWidget(parent), up_(make_arrow(this, Qt::UpArrow)), down_(make_arrow(this, Qt::DownArrow)) {
    setFocusPolicy(Qt::StrongFocus);
    connect(up_, &QToolButton::clicked, this, [this] { step(1); });
    connect(down_, &QToolButton::clicked, this, [this] { step(-1); });
    pos_ = clamp_spin(0, range_);
}

void SpinBox::set_range(int lo, int hi) {
    range_ = spin_range_from_halves(lo, hi);
    pos_ = clamp_spin(pos_, range_);
}

void SpinBox::set_position(int pos) { pos_ = clamp_spin(pos, range_); }

void SpinBox::step(int steps) {
    long long wanted = static_cast<long long>(pos_) + steps;
    int pos = clamp_spin(static_cast<int>(std::clamp<long long>(wanted, INT_MIN, INT_MAX)), range_);
    if (pos == pos_) return;
    pos_ = pos;
    emit moved(pos_);
}

void SpinBox::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    int half = height() / 2;
    up_->setGeometry(0, 0, width(), half);
    down_->setGeometry(0, half, width(), height() - half);
}

void SpinBox::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Up: step(1); break;
    case Qt::Key_Down: step(-1); break;
    case Qt::Key_PageUp: step(PAGE_STEPS); break;
    case Qt::Key_PageDown: step(-PAGE_STEPS); break;
    default: QWidget::keyPressEvent(event); return;
    }
    event->accept();
}

void SpinBox::wheelEvent(QWheelEvent* event) {
    int notches = event->angleDelta().y() / 120;
    if (notches != 0) step(notches);
    event->accept();
}

}  // namespace rix
