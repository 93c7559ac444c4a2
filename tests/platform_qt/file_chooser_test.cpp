// The file choosers on Qt: the font file chooser opens in the given folder
// with the caption and the TrueType filter, gives back the chosen file's
// full path (a Japanese name included) and leaves the path alone when
// cancelled; the chooser of several files gives back each of them.
#include "platform/qt/qt_file_chooser.h"

#include <QApplication>
#include <QDir>
#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>

#include <gtest/gtest.h>

#include "tests/support/modal_answer.h"
#include "tests/support/temp_folder.h"

namespace rix {
namespace {

struct Seen {
    QString caption, folder;
    QStringList filters;
    QStringList selected;
};

// Chooses `name` in the next file dialog (cancels it when empty).
void answer_next_dialog(const QString& name, Seen* seen) {
    test::when_modal<QFileDialog>([name, seen](QFileDialog* d) {
        seen->caption = d->windowTitle();
        seen->folder = QDir::cleanPath(d->directory().absolutePath());
        seen->filters = d->nameFilters();
        if (name.isEmpty()) {
            d->reject();
            return;
        }
        // Names typed into the name box, as a user does to choose several ("a" "b").
        if (auto* edit = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            edit->setText(name);
        else
            d->selectFile(name);
        seen->selected = d->selectedFiles();
        static_cast<QDialog*>(d)->accept();   // public in QDialog, the file dialog's own runs
        if (d->isVisible()) d->reject();      // a refused choice ends the test, not the run
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

TEST(FileChooser, GivesBackEveryChosenFile) {
    test::TempFolder temp;
    const std::string a = temp.write("一.txt", "a"), b = temp.write("二.txt", "b");
    temp.write("三.rix", "c");
    Seen seen;
    std::vector<std::string> paths{"left alone when cancelled"};
    answer_next_dialog(QString(), &seen);
    EXPECT_FALSE(run_file_chooser({temp.path(), "　文書の追加", "テキスト (*.txt)", true}, &paths));
    EXPECT_EQ(paths.size(), 1u);
    answer_next_dialog(QString::fromUtf8("\"一.txt\" \"二.txt\""), &seen);
    ASSERT_TRUE(run_file_chooser({temp.path(), "　文書の追加", "テキスト (*.txt)", true}, &paths));
    EXPECT_EQ(paths, (std::vector<std::string>{a, b})) << seen.selected.join(QStringLiteral("|")).toStdString();
    EXPECT_EQ(seen.caption.toStdString(), "　文書の追加");
}

}  // namespace
}  // namespace rix
