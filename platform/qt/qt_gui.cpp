// The Qt session: application object, main window, edit view, timers, the
// raise socket of this instance, and the snapshot of the window.
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMainWindow>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindowStateChangeEvent>

#include <cstdlib>
#include <map>

#include "platform/codec.h"
#include "platform/gui.h"
#include "platform/instances.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/qt/image_surface.h"
#include "platform/qt/qt_font_chooser.h"
#include "platform/qt/qt_fonts.h"
#include "platform/qt/qt_messages.h"

namespace rix {
namespace {

QString from_sjis(std::string_view s) { return QString::fromStdString(sjis_to_utf8(s)); }
QString from_utf8(const std::string& s) { return QString::fromStdString(s); }

QColor colour_of(std::uint32_t colorref) {
    return QColor(static_cast<int>(colorref & 0xFF), static_cast<int>((colorref >> 8) & 0xFF),
                  static_cast<int>((colorref >> 16) & 0xFF));
}

// The edit window: everything the document shows is drawn on its image
// surface (at any time, by the display engine); a paint copies the image to
// the screen. A resize makes a blank image of the new size and tells the
// application, which draws the screen again.
class EditView final : public QWidget {
public:
    EditView(QWidget* parent, QColor fill, std::function<void()> first_paint, std::function<void(int, int)> resized)
        : QWidget(parent), fill_(fill), first_paint_(std::move(first_paint)), resized_(std::move(resized)),
          surface_(1, 1, colorref_of(fill)) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setFocusPolicy(Qt::StrongFocus);
    }
    ImageSurface& surface() { return surface_; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const QImage& image = surface_.image();
        if (image.size() == size()) p.drawImage(0, 0, image);
        else p.fillRect(rect(), fill_);
        if (!painted_) {
            painted_ = true;
            // The start-up work may open dialogs: never inside a paint.
            QTimer::singleShot(0, this, [this] { first_paint_(); });
        }
    }
    void resizeEvent(QResizeEvent* e) override {
        QWidget::resizeEvent(e);
        surface_.resize(width(), height(), colorref_of(fill_));
        resized_(width(), height());
    }

private:
    static std::uint32_t colorref_of(QColor c) {
        return static_cast<std::uint32_t>(c.red() | c.green() << 8 | c.blue() << 16);
    }

    QColor fill_;
    std::function<void()> first_paint_;
    std::function<void(int, int)> resized_;
    ImageSurface surface_;
    bool painted_ = false;
};

class MainWindow final : public QMainWindow {
public:
    explicit MainWindow(WindowEvents* events) : events_(events) {}
    void set_closing() { closing_ = true; }

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

class QtGui final : public Gui {
public:
    // `window_dialogs`: dialogs open as windows; otherwise (batch runs) the
    // batch dialog host stays, which never waits for a user.
    QtGui(int& argc, char** argv, const std::string& help_folder, std::int16_t* help_rect,
          std::function<void()> rect_changed, bool window_dialogs)
        : app_(argc, argv), messages_(help_folder, help_rect, std::move(rect_changed)), host_(this) {
        install_messages(&messages_);
        if (window_dialogs) install_dialog_host(&dialogs_);
    }
    ~QtGui() override {
        install_messages(nullptr);
        if (&dialog_host() == &dialogs_) install_dialog_host(nullptr);
        timers_.clear();
        delete window_;
    }

    WindowHost& host() override { return host_; }

    bool create_main_window(const MainWindowSetup& setup, WindowEvents* events) override {
        events_ = events;
        window_ = new MainWindow(events);
        window_->setWindowTitle(from_utf8(setup.title));
        window_->resize(setup.width, setup.height);
        int caption = window_->style()->pixelMetric(QStyle::PM_TitleBarHeight);
        window_->move(setup.x + setup.instance_offset * caption, setup.y + setup.instance_offset * caption);
        build_menus(setup);
        for (const MenuItem& key : setup.accelerators) {
            auto* shortcut = new QShortcut(QKeySequence(from_utf8(key.shortcut)), window_);
            int id = key.command;
            QObject::connect(shortcut, &QShortcut::activated, window_, [this, id] { events_->command(id); });
        }
        view_ = new EditView(window_, colour_of(setup.fill_colour), [this] {
            if (!first_paint_done_) {
                first_paint_done_ = true;
                events_->first_paint();
            }
        }, [this](int w, int h) { events_->resized(w, h); });
        window_->setCentralWidget(view_);
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
        return app_.exec();
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
        return image.save(QString::fromStdString(png_path), "PNG");
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
    Surface* edit_surface() override { return view_ ? &view_->surface() : nullptr; }
    std::unique_ptr<Surface> make_surface(int width, int height) override {
        return std::make_unique<ImageSurface>(width, height);
    }
    FontService& fonts() override { return fonts_; }
    FontChooser& font_chooser() override { return font_chooser_; }
    void invalidate() override {
        if (view_) view_->update();
    }

    // Used by the host.
    MainWindow* window() const { return window_; }
    void destroy() {
        if (destroyed_) return;
        destroyed_ = true;
        timers_.clear();
        events_->destroyed();
        window_->set_closing();
        window_->hide();
        QTimer::singleShot(0, &app_, [] { QApplication::quit(); });
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
            if (static_cast<int>(m) == setup.window_menu_index) {
                QObject::connect(menu, &QMenu::aboutToShow, window_, [this, menu] {
                    menu->clear();
                    add_items(menu, events_->window_menu());
                });
            } else {
                add_items(menu, setup.menus[m].second);
            }
        }
    }
    void add_items(QMenu* menu, const std::vector<MenuItem>& items) {
        for (const MenuItem& item : items) {
            if (item.command == 0) {
                menu->addSeparator();
                continue;
            }
            QAction* action = menu->addAction(from_utf8(item.label));
            action->setEnabled(item.enabled);
            if (item.checked) {
                action->setCheckable(true);
                action->setChecked(true);
            }
            if (!item.shortcut.empty()) action->setShortcut(QKeySequence(from_utf8(item.shortcut)));
            int id = item.command;
            QObject::connect(action, &QAction::triggered, window_, [this, id] { events_->command(id); });
        }
    }

    QApplication app_;
    QtMessages messages_;
    QtWindowHost host_;
    QtDialogHost dialogs_;
    QtFonts fonts_;
    QtFontChooser font_chooser_{fonts_};
    MainWindow* window_ = nullptr;
    EditView* view_ = nullptr;
    QLocalServer* server_ = nullptr;
    WindowEvents* events_ = nullptr;
    std::map<int, std::unique_ptr<QTimer>> timers_;
    bool first_paint_done_ = false;
    bool destroyed_ = false;
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
    QString start = QString::fromStdString(*path);
    QString filter = QStringLiteral("文書 (*.txt *.TXT);;すべてのファイル (*)");
    QFileDialog::Options options = QFileDialog::DontUseNativeDialog;
    QString chosen = mode == 1
        ? QFileDialog::getSaveFileName(gui_->window(), QStringLiteral("　名前を付けて保存"), start, filter, nullptr, options)
        : QFileDialog::getOpenFileName(gui_->window(), QStringLiteral("　文書を開く"), start, filter, nullptr, options);
    if (chosen.isEmpty()) return CHOSEN_CANCELLED;
    *path = chosen.toStdString();
    return QFileInfo::exists(chosen) ? CHOSEN_EXISTING : CHOSEN_NEW_NAME;
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
