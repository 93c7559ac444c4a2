// The tags' windows over the edit view (see qt_tag_windows.h).
#include "platform/qt/qt_tag_windows.h"

#include <QFrame>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

#include <algorithm>

#include "platform/qt/qt_text_box.h"

namespace rix {

namespace {

constexpr int GRIP = 10;          // the resize grip's side, pixels
constexpr int MIN_SIDE = 24;      // a window is never made smaller by the grip

QColor colour_of(std::uint32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

}  // namespace

// The lines from the anchors to the windows, over the whole edit view.
class ConnectorOverlay final : public QWidget {
public:
    explicit ConnectorOverlay(QWidget* parent) : QWidget(parent) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::NoFocus);
    }
    void set(const std::vector<TagConnector>& lines) {
        // Every redraw sets them: unchanged lines cost no repaint.
        if (same(lines) && geometry() == parentWidget()->rect()) return;
        lines_ = lines;
        setGeometry(parentWidget()->rect());
        setVisible(!lines_.empty());
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing, false);
        for (const TagConnector& l : lines_) {
            p.setPen(QPen(colour_of(l.colour), TAG_CONNECTOR_WIDTH, Qt::SolidLine, Qt::FlatCap));
            p.drawLine(l.x0, l.y0, l.x1, l.y1);
        }
    }

private:
    bool same(const std::vector<TagConnector>& lines) const {
        return std::equal(lines.begin(), lines.end(), lines_.begin(), lines_.end(),
                          [](const TagConnector& a, const TagConnector& b) {
                              return a.x0 == b.x0 && a.y0 == b.y0 && a.x1 == b.x1 && a.y1 == b.y1 &&
                                     a.colour == b.colour;
                          });
    }
    std::vector<TagConnector> lines_;
};

// The grip in a window's lower right corner.
class TagGrip final : public QWidget {
public:
    explicit TagGrip(QWidget* frame) : QWidget(frame) {
        setCursor(Qt::SizeFDiagCursor);
        setFocusPolicy(Qt::NoFocus);
        resize(GRIP, GRIP);
    }
    std::function<void()> released;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setPen(QColor(0x80, 0x80, 0x80));
        for (int k = 3; k < GRIP; k += 3) p.drawLine(GRIP - 1, k, k, GRIP - 1);
    }
    void mousePressEvent(QMouseEvent* e) override {
        start_ = e->globalPosition().toPoint();
        size_ = parentWidget()->size();
        e->accept();
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        if (!(e->buttons() & Qt::LeftButton)) return;
        const QPoint d = e->globalPosition().toPoint() - start_;
        parentWidget()->resize(std::max(size_.width() + d.x(), MIN_SIDE), std::max(size_.height() + d.y(), MIN_SIDE));
        move(parentWidget()->width() - GRIP - 1, parentWidget()->height() - GRIP - 1);
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton && released) released();
    }

private:
    QPoint start_;
    QSize size_;
};

// One tag window: a thin frame, the box, the grip.
class TagFrame final : public QFrame {
public:
    TagFrame(QWidget* view, std::uint16_t serial) : QFrame(view), serial_(serial) {
        setFrameStyle(QFrame::Box | QFrame::Plain);
        setLineWidth(1);
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(1, 1, 1, 1);
        box_ = new QtTextBox(this);
        layout->addWidget(box_);
        grip_ = new TagGrip(this);
    }
    std::uint16_t serial() const { return serial_; }
    QtTextBox* box() const { return box_; }
    TagGrip* grip() const { return grip_; }
    // (Also at once: a hidden frame gets its resize event only when shown.)
    void place_grip() {
        grip_->move(width() - GRIP - 1, height() - GRIP - 1);
        grip_->raise();
    }

protected:
    void resizeEvent(QResizeEvent* e) override {
        QFrame::resizeEvent(e);
        place_grip();
    }

private:
    std::uint16_t serial_;
    QtTextBox* box_ = nullptr;
    TagGrip* grip_ = nullptr;
};

QtTagWindows::QtTagWindows() = default;

QtTagWindows::~QtTagWindows() {
    for (auto& [serial, frame] : frames_)
        if (frame) frame->box()->set_events({});
}

void QtTagWindows::attach(QWidget* view) {
    close_all();
    view_ = view;
    overlay_ = view ? new ConnectorOverlay(view) : nullptr;
    if (overlay_) overlay_->hide();
}

void QtTagWindows::open(std::uint16_t serial, const SurfaceRect& rect, std::string_view text,
                        const TextBoxFormat& format, bool hidden) {
    close(serial);
    if (!view_) return;
    auto* frame = new TagFrame(view_, serial);
    QtTextBox* box = frame->box();
    box->set_format(format);
    box->set_text(text);
    TextBoxEvents e;
    e.focus_in = [this, serial] {
        if (events_.focus_gained) events_.focus_gained(serial);
    };
    e.focus_out = [this, serial, box] {
        if (events_.focus_lost) events_.focus_lost(serial, box->text());
    };
    e.context_menu = [this, serial](int x, int y) {
        if (!events_.context_menu || !view_) return;
        const QPoint at = view_->mapFromGlobal(QPoint(x, y));
        events_.context_menu(serial, at.x(), at.y());
    };
    box->set_events(std::move(e));
    frame->grip()->released = [this, serial, frame] { frame_resized(serial, frame->width(), frame->height()); };
    frame->setGeometry(rect.x, rect.y, std::max(rect.w, MIN_SIDE), std::max(rect.h, MIN_SIDE));
    frame->place_grip();
    frames_[serial] = frame;
    frame->setVisible(!hidden);
    frame->raise();
}

void QtTagWindows::move(std::uint16_t serial, const SurfaceRect& rect) {
    auto it = frames_.find(serial);
    if (it == frames_.end() || !it->second) return;
    it->second->setGeometry(rect.x, rect.y, std::max(rect.w, MIN_SIDE), std::max(rect.h, MIN_SIDE));
    it->second->place_grip();
}

void QtTagWindows::discard(TagFrame* frame) {
    if (!frame) return;
    // Cut first: the focus the box loses by going is no edit.
    frame->box()->set_events({});
    frame->grip()->released = nullptr;
    frame->hide();
    frame->deleteLater();   // it may be inside one of its own events now
}

void QtTagWindows::close(std::uint16_t serial) {
    auto it = frames_.find(serial);
    if (it == frames_.end()) return;
    discard(it->second);
    frames_.erase(it);
}

void QtTagWindows::close_all() {
    for (auto& [serial, frame] : frames_) discard(frame);
    frames_.clear();
    if (overlay_) overlay_->set({});
}

void QtTagWindows::set_hidden(bool hidden) {
    hidden_ = hidden;
    for (auto& [serial, frame] : frames_)
        if (frame) frame->setVisible(!hidden);
}

void QtTagWindows::set_connectors(const std::vector<TagConnector>& lines) {
    if (!overlay_) return;
    overlay_->set(lines);
    overlay_->raise();
    for (auto& [serial, frame] : frames_)   // the windows above their lines
        if (frame) frame->raise();
}

TextBox* QtTagWindows::box(std::uint16_t serial) {
    auto it = frames_.find(serial);
    return it == frames_.end() || !it->second ? nullptr : it->second->box();
}

QWidget* QtTagWindows::frame(std::uint16_t serial) const {
    auto it = frames_.find(serial);
    return it == frames_.end() ? nullptr : it->second.data();
}

QWidget* QtTagWindows::overlay() const { return overlay_.data(); }

void QtTagWindows::frame_resized(std::uint16_t serial, int width, int height) {
    if (events_.resized) events_.resized(serial, width, height);
}

}  // namespace rix
