// The folder chooser on Qt: accepted unchanged it gives back the folder it
// started at (a Japanese name included), without a trailing '/'; cancelled
// it leaves the folder alone.
// Owed: another folder picked inside the dialog.
#include "platform/qt/qt_folder_chooser.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "tests/support/modal_answer.h"
#include "tests/support/temp_folder.h"

namespace rix {
namespace {

using test::answer_next_dialog;

TEST(FolderChooser, GivesBackTheStartWhenAcceptedAndNothingWhenCancelled) {
    test::TempFolder temp;
    const std::string start = temp.file("出力先");
    ASSERT_EQ(::mkdir(start.c_str(), 0755), 0);

    std::string folder = start + "/";
    answer_next_dialog(true);
    ASSERT_TRUE(run_folder_chooser(&folder));
    EXPECT_EQ(folder, start);

    folder = start;
    answer_next_dialog(false);
    EXPECT_FALSE(run_folder_chooser(&folder));
    EXPECT_EQ(folder, start);
}

}  // namespace
}  // namespace rix
