// Save temporaries: their names are recognised as ours and nothing else is,
// and the sweep removes those of ended processes only.
//
// Tests still owed: a temporary of another user is left (tests run as root).
#include "platform/save_temporaries.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

#include "platform/files.h"
#include "tests/support/temp_folder.h"
#include "tests/support/processes.h"

namespace rix {
namespace {

using test::dead_pid;

TEST(SaveTemporaries, AreHiddenNameTheirProcessAndAreRecognised) {
    test::TempFolder dir;
    for (char kind : {SAVE_TEMP_TEXT, SAVE_TEMP_EXTENSION, SAVE_TEMP_WRITE_OUT}) {
        std::string path;
        int fd = create_save_temporary(dir.path(), kind, &path);
        ASSERT_GE(fd, 0);
        ::close(fd);
        std::string name = name_of(path);
        EXPECT_EQ(name[0], '.') << name;
        EXPECT_NE(name.find(std::to_string(::getpid())), std::string::npos) << name;
        EXPECT_EQ(save_temporary_owner(name), ::getpid()) << name;
        EXPECT_EQ(folder_of(path), dir.path());
        struct stat st {};
        ASSERT_EQ(::stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u);   // nobody else reads a half-written document
    }
    std::string path;
    EXPECT_EQ(create_save_temporary(dir.path(), 'x', &path), -1);
    EXPECT_EQ(create_save_temporary(dir.file("missing"), SAVE_TEMP_TEXT, &path), -1);
}

TEST(SaveTemporaries, OtherNamesAreNotOurs) {
    EXPECT_EQ(save_temporary_owner(".rix-save-1234-t-aB3dE9"), 1234);
    for (const char* name : {"rtxAB12cd", "rexAB12cd", ".rix-save-0-t-aB3dE9", ".rix-save-0123-t-aB3dE9",
                             ".rix-save--t-aB3dE9", ".rix-save-12-x-aB3dE9", ".rix-save-12-t-aB3dE",
                             ".rix-save-12-t-aB3dE9x", ".rix-save-12-t-aB3d.9", ".rix-save-12t-aB3dE9",
                             ".rix-save-99999999999-t-aB3dE9", "原稿.txt", ".原稿.txt.tmp-abcdef", ""})
        EXPECT_EQ(save_temporary_owner(name), 0) << name;
}

TEST(SaveTemporaries, SweepRemovesThoseOfEndedProcessesOnly) {
    test::TempFolder dir;
    const std::string dead = std::to_string(dead_pid());
    const std::string mine = std::to_string(::getpid());
    test::age(dir.write(".rix-save-" + dead + "-t-aaaaaa", "half a document"));
    test::age(dir.write(".rix-save-" + dead + "-e-bbbbbb", "half an extension file"));
    // Changed a moment ago: perhaps another machine's save going on.
    dir.write(".rix-save-" + dead + "-t-gggggg", "a save elsewhere");
    dir.write(".rix-save-" + mine + "-t-cccccc", "a save going on now");
    dir.write(".rix-save-1-w-dddddd", "init never ends: a live process");
    dir.write("原稿.txt", "the document");
    dir.write("rtxAB12cd", "an old-style name: not recognised, left");
    ASSERT_EQ(::mkdir(dir.file(".rix-save-" + dead + "-t-eeeeee").c_str(), 0700), 0);
    ASSERT_EQ(::symlink(dir.file("原稿.txt").c_str(), dir.file(".rix-save-" + dead + "-t-ffffff").c_str()), 0);

    EXPECT_EQ(remove_dead_save_temporaries(dir.path()), 2);
    std::vector<std::string> left = list_folder_names(dir.path());
    std::vector<std::string> expected = {".rix-save-" + dead + "-t-eeeeee", ".rix-save-" + dead + "-t-ffffff",
                                         ".rix-save-" + dead + "-t-gggggg",
                                         ".rix-save-" + mine + "-t-cccccc", ".rix-save-1-w-dddddd", "rtxAB12cd",
                                         "原稿.txt"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(left, expected);
    EXPECT_EQ(remove_dead_save_temporaries(dir.path()), 0);
}

}  // namespace
}  // namespace rix
