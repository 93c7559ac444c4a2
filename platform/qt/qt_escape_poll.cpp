// Escape during a long run (see qt_escape_poll.h).
#include "platform/qt/qt_escape_poll.h"

#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>

namespace rix {
namespace {

// Swallows the user's input while installed; remembers an Escape press.
class EscapeFilter final : public QObject {
public:
    bool pressed = false;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
            case QEvent::KeyPress:
                if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) pressed = true;
                return true;
            case QEvent::KeyRelease:
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::Wheel:
            case QEvent::ShortcutOverride:
                return true;
            default:
                return false;
        }
    }
};

}  // namespace

bool poll_escape_key() {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) return false;
    EscapeFilter filter;
    app->installEventFilter(&filter);
    QCoreApplication::processEvents();
    app->removeEventFilter(&filter);
    return filter.pressed;
}

}  // namespace rix
