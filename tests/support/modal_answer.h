// Acts on the next modal dialog once it is shown: polls every 20 ms (a
// loaded machine may take long to show a file dialog) and gives up after
// ten seconds, so that a dialog that never comes cannot leave a timer
// behind and a test never waits for a dialog nobody answers.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QTimer>

#include <functional>
#include <memory>

namespace rix::test {

template <typename DialogType = QDialog>
void when_modal(std::function<void(DialogType*)> act) {
    auto* timer = new QTimer;
    auto tries = std::make_shared<int>(0);
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, tries, act] {
        if (auto* d = qobject_cast<DialogType*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(d);
        } else if (++*tries > 500) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start();
}

// Accepts (or cancels) the next modal dialog.
inline void answer_next_dialog(bool accept) {
    when_modal<QDialog>([accept](QDialog* d) { accept ? d->accept() : d->reject(); });
}

}  // namespace rix::test
