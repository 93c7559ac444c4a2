// The Qt session: application object, main window, edit view, timers, the
// raise socket of this instance, and the snapshot of the window.
#include <QApplication>
#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QToolBar>
#include <QToolButton>
#include <QWheelEvent>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDockWidget>
#include <QLabel>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMainWindow>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSocketNotifier>
#include <QStyle>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindowStateChangeEvent>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <map>

#include "platform/codec.h"
#include "platform/end_signals.h"
#include "platform/gui.h"
#include "platform/instances.h"
#include "platform/qt/qt_clipboard.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/qt/qt_keys.h"
#include "platform/qt/qt_tag_windows.h"
#include "platform/qt/image_surface.h"
#include "platform/qt/qt_font_chooser.h"
#include "platform/qt/qt_input_method.h"
#include "platform/qt/qt_fonts.h"
#include "platform/qt/qt_messages.h"
#include "platform/qt/pointer_shapes.h"
#include "platform/virtual_keys.h"

namespace rix {
namespace {

QString from_sjis(std::string_view s) { return QString::fromStdString(sjis_to_utf8(s)); }
QString from_utf8(const std::string& s) { return QString::fromStdString(s); }

QColor colour_of(std::uint32_t colorref) {
    return QColor(static_cast<int>(colorref & 0xFF), static_cast<int>((colorref >> 8) & 0xFF),
                  static_cast<int>((colorref >> 16) & 0xFF));
}

int key_flags_of(Qt::KeyboardModifiers m) {
    int f = 0;
    if (m & Qt::ShiftModifier) f |= KEY_FLAG_SHIFT;
    if (m & Qt::ControlModifier) f |= KEY_FLAG_CTRL;
    if (m & Qt::AltModifier) f |= KEY_FLAG_ALT;
    return f;
}

// Printable text only: control characters arrive as keys.
bool printable(const QString& text) {
    if (text.isEmpty()) return false;
    for (QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F) return false;
    return true;
}

int pointer_buttons_of(Qt::MouseButtons b) {
    int buttons = 0;
    if (b & Qt::LeftButton) buttons |= POINTER_LEFT;
    if (b & Qt::RightButton) buttons |= POINTER_RIGHT;
    return buttons;
}

int pointer_button_of(Qt::MouseButton b) {
    if (b == Qt::LeftButton) return POINTER_LEFT;
    if (b == Qt::RightButton) return POINTER_RIGHT;
    return 0;
}

// The caret over the edit view. The own frame caret stands still; the block
// and the bar blink, inverting what lies beneath.
class CaretOverlay final : public QWidget {
public:
    explicit CaretOverlay(QWidget* parent) : QWidget(parent) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::NoFocus);
        hide();
        const int flash = QApplication::cursorFlashTime();
        blink_.setInterval(flash > 0 ? flash / 2 : 530);
        QObject::connect(&blink_, &QTimer::timeout, this, [this] {
            lit_ = !lit_;
            update();
        });
    }
    void set(const CaretView& c) {
        caret_ = c;
        lit_ = true;
        if (!c.shown || c.rect.empty()) {
            blink_.stop();
            hide();
            return;
        }
        const SurfaceRect& r = c.type == 0 ? c.outer : c.rect;
        setGeometry(r.x, r.y, std::max(r.w, 1), std::max(r.h, 1));
        if (c.type == 0) blink_.stop();
        else blink_.start();
        show();
        raise();
        update();
    }
    const CaretView& caret() const { return caret_; }

protected:
    void paintEvent(QPaintEvent*) override {
        if (!lit_) return;
        QPainter p(this);
        if (caret_.type == 0) {
            p.setPen(colour_of(caret_.colour));
            p.drawRect(0, 0, width() - 1, height() - 1);
            p.drawRect(1, 1, width() - 3, height() - 3);
            return;
        }
        p.setCompositionMode(QPainter::CompositionMode_Difference);
        p.fillRect(rect(), QBrush(Qt::white, caret_.type == 1 ? Qt::Dense4Pattern : Qt::SolidPattern));
    }

private:
    CaretView caret_;
    QTimer blink_;
    bool lit_ = true;
};

// The one-pixel frame of a drop point.
class DropFrame final : public QWidget {
public:
    explicit DropFrame(QWidget* parent) : QWidget(parent) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::NoFocus);
        hide();
    }
    void set(const SurfaceRect& box, std::uint32_t colour) {
        colour_ = colour;
        if (box.empty()) {
            hide();
            return;
        }
        setGeometry(box.x, box.y, box.w, box.h);
        show();
        raise();
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setPen(colour_of(colour_));
        p.drawRect(0, 0, width() - 1, height() - 1);
    }

private:
    std::uint32_t colour_ = 0;
};

// The edit window: everything the document shows is drawn on its image
// surface (at any time, by the display engine); a paint copies the image to
// the screen. A resize makes a blank image of the new size and tells the
// application, which draws the screen again. Keys, characters, the wheel,
// the right button and pointer moves go to WindowEvents as plain calls.
class EditView final : public QWidget {
public:
    EditView(QWidget* parent, QColor fill, WindowEvents* events, std::function<void()> first_paint)
        : QWidget(parent), fill_(fill), events_(events), first_paint_(std::move(first_paint)),
          surface_(1, 1, colorref_of(fill)) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setAttribute(Qt::WA_InputMethodEnabled);
        setFocusPolicy(Qt::StrongFocus);
        setMouseTracking(true);
        caret_ = new CaretOverlay(this);
        drop_frame_ = new DropFrame(this);
        hbar_ = new QScrollBar(Qt::Horizontal, this);
        vbar_ = new QScrollBar(Qt::Vertical, this);
        for (QScrollBar* bar : {hbar_, vbar_}) {
            bar->hide();
            bar->setFocusPolicy(Qt::NoFocus);
            QObject::connect(bar, &QAbstractSlider::actionTriggered, this, [this, bar](int action) {
                commit_composition();
                int code = -1;
                switch (action) {
                    case QAbstractSlider::SliderSingleStepSub: code = 0; break;
                    case QAbstractSlider::SliderSingleStepAdd: code = 1; break;
                    case QAbstractSlider::SliderPageStepSub: code = 2; break;
                    case QAbstractSlider::SliderPageStepAdd: code = 3; break;
                    case QAbstractSlider::SliderMove: code = 4; break;
                    default: break;
                }
                if (code >= 0) events_->scroll_bar_action(code, bar->sliderPosition());
            });
            QObject::connect(bar, &QAbstractSlider::sliderReleased, this,
                             [this, bar] { events_->scroll_bar_action(5, bar->sliderPosition()); });
        }
    }
    ImageSurface& surface() { return surface_; }
    void set_events(WindowEvents* events) { events_ = events; }
    CaretOverlay* caret() const { return caret_; }
    void set_drop_frame(const SurfaceRect& box, std::uint32_t colour) { drop_frame_->set(box, colour); }
    QScrollBar* scroll_bar(bool horizontal) const { return horizontal ? hbar_ : vbar_; }
    // One bar shown at most; the surface is the rest of the view.
    void set_scroll_bar(const ScrollBarSetup& setup) {
        QScrollBar* used = setup.horizontal ? hbar_ : vbar_;
        QScrollBar* other = setup.horizontal ? vbar_ : hbar_;
        const bool layout_changed = used->isHidden() == setup.shown || !other->isHidden();
        other->hide();
        {
            const QSignalBlocker block(used);
            used->setRange(setup.minimum, std::max(setup.minimum, setup.maximum - std::max(setup.page, 1) + 1));
            used->setPageStep(std::max(setup.page, 1));
            used->setSingleStep(1);
            used->setValue(setup.position);
        }
        used->setVisible(setup.shown);
        if (!layout_changed) return;
        place_bars();
        // The screen is built again for the new size, after the current drawing.
        QTimer::singleShot(0, this, [this] { resized(); });
    }
    QSize client_size() const {
        int w = width(), h = height();
        if (!vbar_->isHidden()) w -= vbar_->sizeHint().width();
        if (!hbar_->isHidden()) h -= hbar_->sizeHint().height();
        return QSize(std::max(w, 1), std::max(h, 1));
    }
    void set_pointer_shape(const std::string& name, int hot_x, int hot_y, std::uint32_t colour) {
        pointer_ = pointer_cursor(name, hot_x, hot_y, colour);
        if (!pointer_hidden_) setCursor(pointer_);
    }
    void show_pointer(bool shown) {
        pointer_hidden_ = !shown;
        setCursor(shown ? pointer_ : QCursor(Qt::BlankCursor));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const QImage& image = surface_.image();
        if (image.size() == client_size()) p.drawImage(0, 0, image);
        else p.fillRect(rect(), fill_);
        if (!painted_) {
            painted_ = true;
            // The start-up work may open dialogs: never inside a paint.
            QTimer::singleShot(0, this, [this] { first_paint_(); });
        }
    }
    void resizeEvent(QResizeEvent* e) override {
        QWidget::resizeEvent(e);
        place_bars();
        resized();
    }
    // Tab is a key of the document, not a focus move.
    bool focusNextPrevChild(bool) override { return false; }
    void keyPressEvent(QKeyEvent* e) override {
        int flags = 0;
        int vk = virtual_key_of(*e, &flags);
        QString text = e->text();
        if (vk) events_->key_down(vk, flags);
        if ((flags & (KEY_FLAG_CTRL | KEY_FLAG_ALT)) == 0 && printable(text))
            events_->characters_typed(text.toStdString());
    }
    void keyReleaseEvent(QKeyEvent* e) override {
        if (e->isAutoRepeat()) return;   // only a real release counts
        int vk = virtual_key_of(*e, nullptr);
        if (vk) events_->key_up(vk);
    }
    void inputMethodEvent(QInputMethodEvent* e) override {
        composing_ = !e->preeditString().isEmpty();
        events_->input_method(input_method_event_of(*e));
        e->accept();
    }
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override {
        const QVariant answer = input_method_answer(events_->input_method_state(), query);
        return answer.isValid() ? answer : QWidget::inputMethodQuery(query);
    }
    // A click or the focus going elsewhere (a dialog) ends a composition by
    // committing it, as a text field does.
    void commit_composition() {
        if (composing_) QGuiApplication::inputMethod()->commit();
    }
    void wheelEvent(QWheelEvent* e) override {
        commit_composition();
        wheel_sum_ += e->angleDelta().y();
        int steps = wheel_sum_ / 120;
        wheel_sum_ -= steps * 120;
        if (steps) events_->wheel_steps(steps);
        e->accept();
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        QPoint p = e->position().toPoint();
        events_->mouse_moved(p.x(), p.y());
        events_->pointer_moved(p.x(), p.y(), pointer_buttons_of(e->buttons()), key_flags_of(e->modifiers()));
    }
    void mousePressEvent(QMouseEvent* e) override {
        commit_composition();
        pointer_button(e, POINTER_DOWN);
    }
    void mouseDoubleClickEvent(QMouseEvent* e) override {
        pointer_button(e, POINTER_DOUBLE);
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        pointer_button(e, POINTER_UP);
        if (e->button() != Qt::RightButton) return;
        QPoint p = e->position().toPoint();
        events_->right_button_up(p.x(), p.y(), key_flags_of(e->modifiers()));
    }
    void focusInEvent(QFocusEvent* e) override {
        QWidget::focusInEvent(e);
        events_->focus_changed(true);
    }
    void focusOutEvent(QFocusEvent* e) override {
        commit_composition();
        QWidget::focusOutEvent(e);
        events_->focus_changed(false);
    }

private:
    static std::uint32_t colorref_of(QColor c) {
        return static_cast<std::uint32_t>(c.red() | c.green() << 8 | c.blue() << 16);
    }
    void pointer_button(QMouseEvent* e, int action) {
        const int button = pointer_button_of(e->button());
        if (!button) return;
        QPoint p = e->position().toPoint();
        events_->pointer_button(button, action, p.x(), p.y(), pointer_buttons_of(e->buttons()),
                                key_flags_of(e->modifiers()));
    }
    void place_bars() {
        const int bw = vbar_->sizeHint().width(), bh = hbar_->sizeHint().height();
        vbar_->setGeometry(width() - bw, 0, bw, height());
        hbar_->setGeometry(0, height() - bh, width(), bh);
    }
    void resized() {
        const QSize c = client_size();
        if (surface_.image().size() == c && sized_once_) return;
        sized_once_ = true;
        surface_.resize(c.width(), c.height(), colorref_of(fill_));
        events_->resized(c.width(), c.height());
    }

    QColor fill_;
    WindowEvents* events_;
    CaretOverlay* caret_ = nullptr;
    DropFrame* drop_frame_ = nullptr;
    QScrollBar* hbar_ = nullptr;
    QScrollBar* vbar_ = nullptr;
    QCursor pointer_;
    bool pointer_hidden_ = false;
    bool sized_once_ = false;
    std::function<void()> first_paint_;
    ImageSurface surface_;
    int wheel_sum_ = 0;        // angle delta not yet a whole notch
    bool composing_ = false;   // the input method shows a composition here
    bool painted_ = false;
};

class MainWindow final : public QMainWindow {
public:
    explicit MainWindow(WindowEvents* events) : events_(events) { setAcceptDrops(true); }
    void set_closing() { closing_ = true; }
    void set_events(WindowEvents* events) { events_ = events; }

protected:
    void closeEvent(QCloseEvent* e) override {
        if (closing_) {
            e->accept();
            return;
        }
        e->ignore();
        events_->close_requested();
    }
    void changeEvent(QEvent* e) override {
        if (e->type() == QEvent::WindowStateChange) {
            auto* change = static_cast<QWindowStateChangeEvent*>(e);
            bool was_min = change->oldState() & Qt::WindowMinimized;
            bool is_min = windowState() & Qt::WindowMinimized;
            if (is_min && !was_min) events_->minimized();
            if (!is_min && was_min) events_->restored();
        }
        if (e->type() == QEvent::ActivationChange) events_->activation_changed(isActiveWindow());
        QMainWindow::changeEvent(e);
    }
    void moveEvent(QMoveEvent* e) override {
        QMainWindow::moveEvent(e);
        events_->moved();
    }
    void resizeEvent(QResizeEvent* e) override {
        QMainWindow::resizeEvent(e);
        events_->moved();
    }
    void dragEnterEvent(QDragEnterEvent* e) override {
        if (e->mimeData()->hasUrls()) e->acceptProposedAction();
    }
    void dropEvent(QDropEvent* e) override {
        std::vector<std::string> paths;
        for (const QUrl& url : e->mimeData()->urls())
            paths.push_back(url.isLocalFile() ? url.toLocalFile().toStdString() : std::string());
        e->acceptProposedAction();
        // Opening a document may ask questions: not inside the drop.
        QTimer::singleShot(0, this, [this, paths] { events_->files_dropped(paths); });
    }

private:
    WindowEvents* events_;
    bool closing_ = false;
};

class QtGui;

class QtWindowHost final : public WindowHost {
public:
    explicit QtWindowHost(QtGui* gui) : gui_(gui) {}
    void set_title(std::string_view title) override;
    void destroy_main_window() override;
    void maximize() override;
    bool is_minimized() const override;
    void restore() override;
    void set_timer(int id, unsigned period_ms) override;
    void kill_timer(int id) override;
    void raise_instance(int number) override;
    int choose_file(int mode, std::string* path) override;
    int ask_startup_choice(int preset, bool* dont_ask_again) override;

private:
    QtGui* gui_;
};

// F1 inside an open menu: help mode, then the help of the highlighted item
// (greyed items included), after the menus have closed.
class MenuHelpFilter final : public QObject {
public:
    explicit MenuHelpFilter(WindowEvents** events) : events_(events) {}
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(e)->key() != Qt::Key_F1) return false;
        auto* menu = qobject_cast<QMenu*>(watched);
        QAction* action = menu ? menu->activeAction() : nullptr;
        int id = action && !action->menu() ? action->data().toInt() : 0;
        if (id == 0) return true;
        WindowEvents** events = events_;
        while (QWidget* popup = QApplication::activePopupWidget()) popup->close();
        (*events)->menu_help_key();
        QTimer::singleShot(0, qApp, [events, id] { (*events)->command(id); });
        return true;
    }

private:
    WindowEvents** events_;
};

// Pointer moves over the tool bar, reported in edit-view pixels (above the
// view: negative y), so that a hidden menu bar can come back.
class PointerFilter final : public QObject {
public:
    PointerFilter(WindowEvents** events, QWidget** view) : events_(events), view_(view) {}
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() == QEvent::MouseMove && *view_) {
            auto* widget = qobject_cast<QWidget*>(watched);
            QPoint global = widget->mapToGlobal(static_cast<QMouseEvent*>(e)->position().toPoint());
            QPoint p = (*view_)->mapFromGlobal(global);
            (*events_)->mouse_moved(p.x(), p.y());
        }
        return false;
    }

private:
    WindowEvents** events_;
    QWidget** view_;
};

// Takes the window's last events once the application's receiver may be gone.
class NullEvents final : public WindowEvents {
public:
    void first_paint() override {}
    void close_requested() override {}
    void destroyed() override {}
    void command(int) override {}
    void timer(int) override {}
    void minimized() override {}
    void restored() override {}
    void moved() override {}
    std::vector<MenuItem> window_menu() override { return {}; }
};

QApplication* make_application(int& argc, char** argv) {
    if (QApplication::instance()) return nullptr;   // a test made it already
    return new QApplication(argc, argv);
}

class QtGui final : public Gui {
public:
    // `window_dialogs`: dialogs open as windows; otherwise (batch runs) the
    // batch dialog host stays, which never waits for a user.
    QtGui(int& argc, char** argv, const std::string& help_folder, std::int16_t* help_rect,
          std::function<void()> rect_changed, bool window_dialogs)
        : app_(make_application(argc, argv)), messages_(help_folder, help_rect, std::move(rect_changed)),
          host_(this), menu_help_(&events_), pointer_filter_(&events_, &view_widget_) {
        install_messages(&messages_);
        if (window_dialogs) install_dialog_host(&dialogs_);
    }
    ~QtGui() override {
        install_messages(nullptr);
        if (&dialog_host() == &dialogs_) install_dialog_host(nullptr);
        timers_.clear();
        // The receiver of the events may already be gone.
        events_ = &null_events_;
        if (view_) view_->set_events(&null_events_);
        if (window_) window_->set_events(&null_events_);
        tag_windows_.set_events({});
        delete window_;
    }

    WindowHost& host() override { return host_; }

    bool create_main_window(const MainWindowSetup& setup, WindowEvents* events) override {
        events_ = events;
        resource_dir_ = setup.resource_dir;
        window_ = new MainWindow(events);
        window_->setWindowTitle(from_utf8(setup.title));
        window_->resize(setup.width, setup.height);
        int caption = window_->style()->pixelMetric(QStyle::PM_TitleBarHeight);
        window_->move(setup.x + setup.instance_offset * caption, setup.y + setup.instance_offset * caption);
        build_menus(setup);
        toolbar_ = new QToolBar(window_);
        toolbar_->setObjectName(QStringLiteral("toolbar"));
        toolbar_->setMovable(false);
        toolbar_->setFloatable(false);
        toolbar_->setContextMenuPolicy(Qt::PreventContextMenu);
        toolbar_->setToolButtonStyle(Qt::ToolButtonIconOnly);
        toolbar_->setFocusPolicy(Qt::NoFocus);
        toolbar_->setMouseTracking(true);
        toolbar_->installEventFilter(&pointer_filter_);
        window_->addToolBar(Qt::TopToolBarArea, toolbar_);
        set_toolbar(setup.toolbar);
        view_ = new EditView(window_, colour_of(setup.fill_colour), events, [this] {
            if (!first_paint_done_) {
                first_paint_done_ = true;
                events_->first_paint();
            }
        });
        view_widget_ = view_;
        tag_windows_.attach(view_);
        window_->setCentralWidget(view_);
        view_->setFocus();
        return true;
    }

    void listen_for_raise(int instance_number) override {
        server_ = new QLocalServer(window_);
        QString name = QString::fromStdString(instance_socket_name(instance_number));
        QLocalServer::removeServer(name);
        QObject::connect(server_, &QLocalServer::newConnection, window_, [this] {
            while (QLocalSocket* socket = server_->nextPendingConnection()) {
                socket->deleteLater();
                bring_to_front();
            }
        });
        server_->listen(name);
    }

    int run() override {
        window_->show();
        running_ = true;
        return QApplication::exec();
    }

    void watch_end_signals(std::function<void(int)> on_signal) override {
        const int fd = rix::watch_end_signals();
        if (fd < 0) return;
        end_notifier_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        QObject::connect(end_notifier_.get(), &QSocketNotifier::activated, qApp,
                         [this, fd, on_signal = std::move(on_signal)] {
                             const int number = take_end_signal(fd);
                             if (number == 0 || ending_) return;
                             ending_ = true;
                             end_notifier_->setEnabled(false);
                             on_signal(number);
                             end_loop(128 + number);
                         });
    }

    bool snapshot(const std::string& png_path, int width, int height) override {
        if (width > 0 && height > 0) window_->resize(width, height);
        window_->show();
        for (int i = 0; i < 5; ++i) QApplication::processEvents();
        if (!first_paint_done_) {
            first_paint_done_ = true;
            events_->first_paint();
        }
        if (destroyed_) return false;
        QApplication::processEvents();
        QImage image = window_->grab().toImage();
        return save_png_file(image, png_path);
    }

    void window_rect(int* x, int* y, int* w, int* h) const override {
        QRect r = window_->geometry();
        *x = r.x();
        *y = r.y();
        *w = r.width();
        *h = r.height();
    }
    bool is_maximized() const override { return window_->isMaximized(); }
    void owner_moved() override { messages_.owner_moved(); }
    void beep() override { QApplication::beep(); }
    Surface* edit_surface() override { return view_ ? &view_->surface() : nullptr; }
    std::unique_ptr<Surface> make_surface(int width, int height) override {
        return std::make_unique<ImageSurface>(width, height);
    }
    FontService& fonts() override { return fonts_; }
    FontChooser& font_chooser() override { return font_chooser_; }
    void invalidate() override {
        if (view_) view_->update();
    }

    void set_toolbar(const ToolbarSetup& setup) override {
        if (!toolbar_) return;
        toolbar_->clear();
        toolbar_actions_.clear();
        const bool large = setup.size == 2;
        const QSize image_size = large ? QSize(30, 15) : QSize(23, 12);
        QPixmap strip(QString::fromStdString(resource_dir_) +
                      (large ? QStringLiteral("/toolbar/toolbar_30x15.png") : QStringLiteral("/toolbar/toolbar_23x12.png")));
        toolbar_->setIconSize(image_size);
        toolbar_->setFixedHeight(large ? 26 : 23);
        for (const ToolbarButton& b : setup.buttons) {
            for (int i = 0; i < b.separators_before; ++i) toolbar_->addSeparator();
            QPixmap image = strip.isNull() ? QPixmap() : strip.copy(b.image * image_size.width(), 0,
                                                                     image_size.width(), image_size.height());
            QAction* action = toolbar_->addAction(QIcon(image), from_utf8(b.tip));
            action->setToolTip(from_utf8(b.tip));
            action->setData(b.command);
            int id = b.command;
            QObject::connect(action, &QAction::triggered, window_, [this, id] { events_->command(id); });
            if (QWidget* button = toolbar_->widgetForAction(action)) {
                button->setFocusPolicy(Qt::NoFocus);
                button->setMouseTracking(true);
                button->installEventFilter(&pointer_filter_);
            }
            toolbar_actions_.push_back(action);
        }
        toolbar_->setVisible(setup.size == 1 || setup.size == 2);
        refresh_command_states();
    }
    void refresh_command_states() override {
        for (QAction* a : toolbar_actions_) a->setEnabled(events_->command_enabled(a->data().toInt()));
    }
    int popup_menu(const std::vector<MenuItem>& items, int x, int y) override {
        QMenu menu(window_);
        menu.installEventFilter(&menu_help_);
        add_items(&menu, items, false);
        QAction* chosen = menu.exec(view_->mapToGlobal(QPoint(x, y)));
        return chosen ? chosen->data().toInt() : 0;
    }
    void pointer_position(int* x, int* y) const override {
        QPoint p = view_ ? view_->mapFromGlobal(QCursor::pos()) : QPoint();
        *x = p.x();
        *y = p.y();
    }
    void set_menu_bar_visible(bool visible) override { window_->menuBar()->setVisible(visible); }
    bool menu_bar_visible() const override { return !window_->menuBar()->isHidden(); }
    void set_help_cursor(bool on) override {
        if (on) window_->setCursor(Qt::WhatsThisCursor);
        else window_->unsetCursor();
    }
    Clipboard& clipboard() override { return clipboard_; }

    void set_caret(const CaretView& caret) override {
        if (view_) view_->caret()->set(caret);
    }
    void set_drop_frame(const SurfaceRect& box, std::uint32_t colour) override {
        if (view_) view_->set_drop_frame(box, colour);
    }
    void set_scroll_bar(const ScrollBarSetup& bar) override {
        if (view_) view_->set_scroll_bar(bar);
    }
    void set_pointer_shape(const std::string& name, int hot_x, int hot_y, std::uint32_t colour) override {
        if (view_) view_->set_pointer_shape(name, hot_x, hot_y, colour);
    }
    void show_pointer(bool shown) override {
        if (view_) view_->show_pointer(shown);
    }
    void warp_pointer(int x, int y) override {
        if (view_) QCursor::setPos(view_->mapToGlobal(QPoint(x, y)));
    }
    TagWindows* tag_windows() override { return &tag_windows_; }

    // The dialog becomes the content of a dock widget at the left or right
    // of the edit view: no caption, neither movable nor floatable, so it is
    // a fixed part of the window's layout. The edit view stays the central
    // widget and gives up the pane's width; the dock goes with the dialog.
    bool dock_dialog(std::uint32_t dialog, int side) override {
        auto* host = dynamic_cast<QtDialogHost*>(&dialog_host());
        QDialog* pane = host ? host->window(dialog) : nullptr;
        if (pane == nullptr || window_ == nullptr || (side != 1 && side != 2)) return false;
        auto* dock = new QDockWidget(window_);
        dock->setObjectName(QStringLiteral("side_pane"));
        dock->setFeatures(QDockWidget::NoDockWidgetFeatures);
        dock->setTitleBarWidget(new QWidget(dock));
        pane->setParent(dock, Qt::Widget);
        dock->setWidget(pane);
        pane->show();
        QObject::connect(pane, &QObject::destroyed, dock, &QObject::deleteLater);
        window_->addDockWidget(side == 1 ? Qt::LeftDockWidgetArea : Qt::RightDockWidgetArea, dock);
        return true;
    }
    bool window_active() const override {
        return window_ && window_->isActiveWindow() && !QApplication::activePopupWidget();
    }
    void input_method_changed() override {
        if (view_ && view_->hasFocus()) QGuiApplication::inputMethod()->update(Qt::ImQueryAll);
    }

    // Used by the host and the tests.
    MainWindow* window() const { return window_; }
    QToolBar* toolbar() const { return toolbar_; }
    // After the ending work: the window goes and the loop ends with `code`.
    // Inside a dialog's own loop (a question waiting), or before run(), the
    // main loop cannot be left in order: the work is done, so the process
    // ends here.
    void end_loop(int code) {
        if (!running_ || !window_ || QThread::currentThread()->loopLevel() > 1) {
            std::fflush(nullptr);
            ::_exit(code);
        }
        destroy();
        QApplication::exit(code);   // before the quit destroy() queued: run() returns `code`
    }
    void destroy() {
        if (destroyed_) return;
        destroyed_ = true;
        timers_.clear();
        events_->destroyed();
        window_->set_closing();
        window_->hide();
        QTimer::singleShot(0, qApp, [] { QApplication::quit(); });
    }
    void set_timer(int id, unsigned ms) {
        auto& timer = timers_[id];
        if (!timer) {
            timer = std::make_unique<QTimer>();
            QObject::connect(timer.get(), &QTimer::timeout, [this, id] { events_->timer(id); });
        }
        timer->start(static_cast<int>(ms));
    }
    void kill_timer(int id) {
        auto it = timers_.find(id);
        if (it != timers_.end()) it->second->stop();
    }
    void bring_to_front() {
        if (window_->isMinimized()) window_->showNormal();
        window_->raise();
        window_->activateWindow();
    }

private:
    void build_menus(const MainWindowSetup& setup) {
        for (std::size_t m = 0; m < setup.menus.size(); ++m) {
            QMenu* menu = window_->menuBar()->addMenu(from_utf8(setup.menus[m].first));
            menu->installEventFilter(&menu_help_);
            if (static_cast<int>(m) == setup.window_menu_index) {
                QObject::connect(menu, &QMenu::aboutToShow, window_, [this, menu] {
                    menu->clear();
                    add_items(menu, events_->window_menu(), true);
                });
            } else {
                add_items(menu, setup.menus[m].second, true);
                // Enabled states are asked afresh each time (undo and redo follow the journal).
                QObject::connect(menu, &QMenu::aboutToShow, window_, [this, menu, m] {
                    events_->menu_opening();
                    std::vector<MenuItem> fresh;
                    if (events_->changed_menu_items(static_cast<int>(m), &fresh)) {
                        menu->clear();
                        add_items(menu, fresh, true);
                    }
                    for (QAction* a : menu->actions())
                        if (int id = a->data().toInt()) a->setEnabled(events_->command_enabled(id));
                });
            }
        }
    }
    // connect: menu bar items send their command at once; a pop-up's choice
    // is returned by popup_menu instead.
    void add_items(QMenu* menu, const std::vector<MenuItem>& items, bool connect) {
        for (const MenuItem& item : items) {
            if (item.command == 0) {
                menu->addSeparator();
                continue;
            }
            if (!item.submenu.empty()) {
                QMenu* sub = menu->addMenu(from_utf8(item.label));
                sub->installEventFilter(&menu_help_);
                add_items(sub, item.submenu, connect);
                continue;
            }
            QAction* action = menu->addAction(from_utf8(item.label));
            action->setData(item.command);
            action->setEnabled(item.enabled);
            if (item.checked) {
                action->setCheckable(true);
                action->setChecked(true);
            }
            if (!item.shortcut.empty()) action->setShortcut(QKeySequence(from_utf8(item.shortcut)));
            if (!connect) continue;
            int id = item.command;
            QObject::connect(action, &QAction::triggered, window_, [this, id] { events_->command(id); });
        }
    }

    std::unique_ptr<QApplication> app_;   // null when the caller owns the application
    QtMessages messages_;
    QtWindowHost host_;
    QtDialogHost dialogs_;
    QtFonts fonts_;
    QtFontChooser font_chooser_{fonts_};
    QtClipboard clipboard_;
    NullEvents null_events_;
    MenuHelpFilter menu_help_;
    PointerFilter pointer_filter_;
    std::string resource_dir_;
    MainWindow* window_ = nullptr;
    EditView* view_ = nullptr;
    QtTagWindows tag_windows_;            // children of view_; cut from the application before it goes
    QWidget* view_widget_ = nullptr;
    QToolBar* toolbar_ = nullptr;
    std::vector<QAction*> toolbar_actions_;
    QLocalServer* server_ = nullptr;
    WindowEvents* events_ = nullptr;
    std::map<int, std::unique_ptr<QTimer>> timers_;
    bool first_paint_done_ = false;
    bool destroyed_ = false;
    std::unique_ptr<QSocketNotifier> end_notifier_;
    bool ending_ = false;   // an ending signal is being handled
    bool running_ = false;  // run() entered the main loop
};

void QtWindowHost::set_title(std::string_view title) { gui_->window()->setWindowTitle(from_sjis(title)); }
void QtWindowHost::destroy_main_window() { gui_->destroy(); }
void QtWindowHost::maximize() { gui_->window()->showMaximized(); }
bool QtWindowHost::is_minimized() const { return gui_->window()->isMinimized(); }
void QtWindowHost::restore() { gui_->window()->showNormal(); }
void QtWindowHost::set_timer(int id, unsigned period_ms) { gui_->set_timer(id, period_ms); }
void QtWindowHost::kill_timer(int id) { gui_->kill_timer(id); }

void QtWindowHost::raise_instance(int number) {
    QLocalSocket socket;
    socket.connectToServer(QString::fromStdString(instance_socket_name(number)));
    if (socket.waitForConnected(1000)) {
        socket.write("raise\n");
        socket.waitForBytesWritten(1000);
        socket.disconnectFromServer();
    }
}

int QtWindowHost::choose_file(int mode, std::string* path) {
    return file_selector ? file_selector(mode, path) : CHOSEN_CANCELLED;
}

// The start-up question (template WAKEUP_MSG). Whatever closes it, the
// radios and the check box are taken as they stand.
class StartupChoice final : public DialogProcedure {
public:
    explicit StartupChoice(int preset) : choice(preset ? 1 : 0) {}
    void init(DialogContext& ctx) override { ctx.set_radio(10, 11, choice ? 11 : 10); }
    bool command(DialogContext&, int, int) override { return false; }
    bool ok(DialogContext& ctx) override {
        take(ctx);
        return true;
    }
    void cancel(DialogContext& ctx) override { take(ctx); }

    int choice;                  // 0 new document, 1 choose a file
    bool dont_ask_again = false;

private:
    void take(DialogContext& ctx) {
        choice = ctx.get_check(11) ? 1 : 0;
        dont_ask_again = ctx.get_check(20);
    }
};

int QtWindowHost::ask_startup_choice(int preset, bool* dont_ask_again) {
    StartupChoice question(preset);
    run_dialog("WAKEUP_MSG", question, reinterpret_cast<WindowRef>(gui_->window()));
    *dont_ask_again = question.dont_ask_again;
    return question.choice;
}

}  // namespace

std::unique_ptr<Gui> create_gui(int& argc, char** argv, bool offscreen, const std::string& help_folder,
                                std::int16_t* help_rect, std::function<void()> rect_changed) {
    if (offscreen) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    return std::make_unique<QtGui>(argc, argv, help_folder, help_rect, std::move(rect_changed), !offscreen);
}

}  // namespace rix
