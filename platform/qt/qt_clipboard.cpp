// The system clipboard through QClipboard (needs the QApplication).
#include "platform/qt/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace rix {

bool QtClipboard::set_text(const std::string& utf8) {
    QClipboard* board = QGuiApplication::clipboard();
    if (!board) return false;
    QString text = QString::fromStdString(utf8);
    board->setText(text);
    return board->text() == text;
}

bool QtClipboard::get_text(std::string* utf8) {
    QClipboard* board = QGuiApplication::clipboard();
    const QMimeData* data = board ? board->mimeData() : nullptr;
    if (!data || !data->hasText()) return false;
    *utf8 = data->text().toStdString();
    return true;
}

}  // namespace rix
