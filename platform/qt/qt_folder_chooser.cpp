// The folder chooser on Qt (see qt_folder_chooser.h).
#include "platform/qt/qt_folder_chooser.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>

namespace rix {

bool run_folder_chooser(std::string* folder) {
    const QString start = QString::fromUtf8(folder->data(), static_cast<int>(folder->size()));
    const QString caption = QString::fromUtf8("出力フォルダの選択");
    const QString chosen =
        QFileDialog::getExistingDirectory(QApplication::activeWindow(), caption, start, QFileDialog::ShowDirsOnly);
    if (chosen.isEmpty()) return false;
    const QByteArray utf8 = QDir::cleanPath(chosen).toUtf8();
    folder->assign(utf8.constData(), static_cast<std::size_t>(utf8.size()));
    return true;
}

}  // namespace rix
