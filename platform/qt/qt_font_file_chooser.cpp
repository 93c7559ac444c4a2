// The font file chooser on Qt (see qt_font_file_chooser.h).
#include "platform/qt/qt_font_file_chooser.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>

namespace rix {

bool run_font_file_chooser(const std::string& folder, std::string* path) {
    const QString start = QString::fromUtf8(folder.data(), static_cast<int>(folder.size()));
    const QString caption = QString::fromUtf8("　フォントファイルの選択");
    // Qt reads the patterns from the last ASCII parentheses; the label's own
    // full-width ones are only shown.
    const QString filter = QString::fromUtf8("フォントファイル （*.ttf） (*.ttf)");
    const QString chosen = QFileDialog::getOpenFileName(QApplication::activeWindow(), caption, start, filter,
                                                        nullptr, QFileDialog::HideNameFilterDetails);
    if (chosen.isEmpty()) return false;
    const QByteArray utf8 = QDir::cleanPath(chosen).toUtf8();
    path->assign(utf8.constData(), static_cast<std::size_t>(utf8.size()));
    return true;
}

}  // namespace rix
