// The font file chooser on Qt: it opens in the given folder with the
// caption and the TrueType filter, gives back the chosen file's full path
// (a Japanese name included) and leaves the path alone when cancelled.
#include "platform/qt/qt_font_file_chooser.h"

#include <QApplication>
#include <QDir>
#include <QDialog>
#include <QFileDialog>
#include <QTimer>

#include <gtest/gtest.h>

#include "tests/support/temp_folder.h"

namespace rix {
namespace {

struct Seen {
    QString caption, folder;
    QStringList filters;
};

// Chooses `name` in the next file dialog (cancels it when empty).
void answer_next_dialog(const QString& name, Seen* seen) {
    QTimer::singleShot(50, [name, seen] {
        auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!d) return;
        seen->caption = d->windowTitle();
        seen->folder = QDir::cleanPath(d->directory().absolutePath());
        seen->filters = d->nameFilters();
        if (name.isEmpty()) {
            d->reject();
            return;
        }
        d->selectFile(name);
        static_cast<QDialog*>(d)->accept();   // public in QDialog, the file dialog's own runs
    });
}

TEST(FontFileChooser, GivesBackTheChosenFileAndNothingWhenCancelled) {
    test::TempFolder temp;
    const std::string font = temp.write("明朝体.ttf", "font");
    Seen seen;
    std::string path;
    answer_next_dialog(QString::fromUtf8("明朝体.ttf"), &seen);
    ASSERT_TRUE(run_font_file_chooser(temp.path(), &path));
    EXPECT_EQ(path, font);
    EXPECT_EQ(seen.caption.toStdString(), "　フォントファイルの選択");
    EXPECT_EQ(seen.folder.toStdString(), temp.path());
    ASSERT_EQ(seen.filters.size(), 1);
    EXPECT_TRUE(seen.filters[0].startsWith(QString::fromUtf8("フォントファイル （*.ttf）")));

    answer_next_dialog(QString(), &seen);
    EXPECT_FALSE(run_font_file_chooser(temp.path(), &path));
    EXPECT_EQ(path, font);
}

}  // namespace
}  // namespace rix
