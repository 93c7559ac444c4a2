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
#include "platform/qt/qt_messages.h"

namespace rix {
namespace {

QString from_sjis(std::string_view s) { return QString::fromStdString(sjis_to_utf8(s)); }
QString from_utf8(const std::string& s) { return QString::fromStdString(s); }

QColor colour_of(std::uint32_t colorref) {
    return QColor(static_cast<int>(colorref & 0xFF), static_cast<int>((colorref >> 8) & 0xFF),
                  static_cast<int>((colorref >> 16) & 0xFF));
}

// The edit window: everything the document shows is drawn here. Until the
// display engine draws into it, it shows the format's background fill.
class EditView final : public QWidget {
public:
    EditView(QWidget* parent, QColor fill, std::function<void()> first_paint)
        : QWidget(parent), fill_(fill), first_paint_(std::move(first_paint)) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setFocusPolicy(Qt::StrongFocus);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), fill_);
        if (!painted_) {
            painted_ = true;
            // The start-up work may open dialogs: never inside a paint.
            QTimer::singleShot(0, this, [this] { first_paint_(); });
        }
    }

private:
    QColor fill_;
    std::function<void()> first_paint_;
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
    QtGui(int& argc, char** argv, const std::string& help_folder, std::int16_t* help_rect,
          std::function<void()> rect_changed)
        : app_(argc, argv), messages_(help_folder, help_rect, std::move(rect_changed)), host_(this) {
        install_messages(&messages_);
    }
    ~QtGui() override {
        install_messages(nullptr);
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
        });
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

int QtWindowHost::ask_startup_choice(int preset, bool* dont_ask_again) {
    QDialog dialog(gui_->window());
    dialog.setWindowTitle(QStringLiteral("ミルトア"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* fresh = new QRadioButton(QStringLiteral("新規文書の作成"), &dialog);
    auto* choose = new QRadioButton(QStringLiteral("文書ファイルの選択"), &dialog);
    auto* never = new QCheckBox(QStringLiteral("次回からはこの画面を表示しない。"), &dialog);
    (preset ? choose : fresh)->setChecked(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("実 行"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    layout->addWidget(fresh);
    layout->addWidget(choose);
    layout->addWidget(never);
    layout->addWidget(buttons);
    dialog.exec();
    *dont_ask_again = never->isChecked();
    return choose->isChecked() ? 1 : 0;
}

}  // namespace

std::unique_ptr<Gui> create_gui(int& argc, char** argv, bool offscreen, const std::string& help_folder,
                                std::int16_t* help_rect, std::function<void()> rect_changed) {
    if (offscreen) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    return std::make_unique<QtGui>(argc, argv, help_folder, help_rect, std::move(rect_changed));
}

}  // namespace rix
