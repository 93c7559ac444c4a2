// The file choosers on Qt (see qt_file_chooser.h).
#include "platform/qt/qt_file_chooser.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>

namespace rix {
namespace {

QString from_utf8(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }

std::string to_utf8(const QString& path) {
    const QByteArray utf8 = QDir::cleanPath(path).toUtf8();
    return std::string(utf8.constData(), static_cast<std::size_t>(utf8.size()));
}

}  // namespace

bool run_file_chooser(const FileChoice& choice, std::vector<std::string>* paths) {
    const FileDialogOpen open;
    QWidget* owner = QApplication::activeWindow();
    const QString caption = from_utf8(choice.caption), start = from_utf8(choice.folder),
                  filter = from_utf8(choice.filter);
    // Qt reads the patterns from the last ASCII parentheses of each filter;
    // full-width ones in a label are only shown.
    const auto options = QFileDialog::HideNameFilterDetails;
    QStringList chosen;
    if (choice.many) {
        chosen = QFileDialog::getOpenFileNames(owner, caption, start, filter, nullptr, options);
    } else if (choice.new_name) {
        const QString one = QFileDialog::getSaveFileName(owner, caption, start, filter, nullptr,
                                                         options | QFileDialog::DontConfirmOverwrite);
        if (!one.isEmpty()) chosen << one;
    } else if (QString one = QFileDialog::getOpenFileName(owner, caption, start, filter, nullptr, options);
               !one.isEmpty()) {
        chosen << one;
    }
    if (chosen.isEmpty()) return false;
    paths->clear();
    for (const QString& path : chosen) paths->push_back(to_utf8(path));
    return true;
}

bool run_font_file_chooser(const std::string& folder, std::string* path) {
    std::vector<std::string> paths;
    if (!run_file_chooser({folder, "　フォントファイルの選択", "フォントファイル （*.ttf） (*.ttf)", false}, &paths))
        return false;
    *path = paths.front();
    return true;
}

}  // namespace rix
