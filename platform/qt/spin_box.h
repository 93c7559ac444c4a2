// SpinBox: the small up/down control that sits beside a number edit.
//
// It honours the three messages the settings dialogs rely on: a range whose
// two halves are read as signed 16-bit values, a position that is always
// clamped into the range, and reading the position back. A user change (a
// click on an arrow, with auto-repeat while held; the Up, Down, Page Up and
// Page Down keys; the wheel) moves the position and emits `moved`; a change
// made through set_range or set_position emits nothing. The clamping rules
// are the dialog model's (platform/dialog_model.h), so widgets and the fake
// host agree. Owns its two arrow buttons.
#pragma once

#include <QWidget>

#include "platform/dialog_model.h"

class QToolButton;

namespace rix {

class SpinBox final : public QWidget {
    Q_OBJECT
public:
    explicit SpinBox(QWidget* parent = nullptr);

    // The range message: lo and hi each read as a signed 16-bit value; the
    // position is brought into the new range.
    void set_range(int lo, int hi);
    SpinRange range() const { return range_; }
    // The position message: clamped into the range.
    void set_position(int pos);
    int position() const { return pos_; }
    // What a user does: `steps` up (positive) or down; emits `moved` when the
    // position changed.
    void step(int steps);

    QToolButton* up_button() const { return up_; }
    QToolButton* down_button() const { return down_; }

signals:
    void moved(int position);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    QToolButton* up_;
    QToolButton* down_;
    SpinRange range_{0, 100};
    int pos_ = 0;
};

}  // namespace rix
