// The file viewer on Qt: a modal dialog with the file's name above the
// shared text box (read-only, in the request's writing direction), and the
// reading gestures of platform/file_viewer.h: a press near an edge scrolls
// and repeats while held, the wheel scrolls, the arrow keys scroll by lines
// (turned in a vertical box), a click in the centre closes.
#pragma once

#include <QDialog>

#include "platform/file_viewer.h"

class QLabel;
class QAbstractScrollArea;
class QTimer;

namespace rix {

class QtTextBox;

class FileViewerDialog final : public QDialog {
    Q_OBJECT

public:
    FileViewerDialog(const ViewerRequest& request, QWidget* parent);

    QtTextBox* box() const { return box_; }
    // One line towards the end (+1) or the start (-1).
    void scroll_lines(int direction);
    // The scroll bar that runs along the reading direction.
    int scroll_position() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void show_label();

    QString path_;
    bool vertical_;
    QLabel* label_;
    QtTextBox* box_;
    QAbstractScrollArea* area_ = nullptr;
    QTimer* repeat_;
    int direction_ = 0;          // the held press: -1 start, 1 end, 0 none
    bool centre_press_ = false;  // the press lay in the centre
};

// Runs the viewer until it is closed.
void run_file_viewer(const ViewerRequest& request);

}  // namespace rix
