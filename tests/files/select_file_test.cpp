// select_file: when no dialog is needed, and the refusals it reports for the
// caller to show (a missing folder, a name that is no document).
#include "files/select_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "document/document_state.h"
#include "platform/fake_messages.h"
#include "platform/file_choice.h"
#include "platform/window_host.h"
#include "tests/support/temp_folder.h"

namespace rix {
namespace {

using test::TempFolder;

TEST(SelectFileTest, APresetNamingAFileNeedsNoDialogExceptForSaving) {
    TempFolder t;
    t.write("a.txt", "x");
    FakeWindowHost host;
    Notices notices;
    std::string path = t.file("a.txt");
    EXPECT_EQ(select_file(host, SELECT_OPEN, &path, notices), CHOSEN_EXISTING);
    path = t.file("new.txt");
    EXPECT_EQ(select_file(host, SELECT_OPEN, &path, notices), CHOSEN_NEW_NAME);
    EXPECT_TRUE(host.calls.empty());
    path = t.file("a.txt");
    host.choices.push_back({CHOSEN_EXISTING, t.file("a.txt")});
    EXPECT_EQ(select_file(host, SELECT_SAVE_AS, &path, notices), CHOSEN_EXISTING);
    ASSERT_EQ(host.calls.size(), 1u);
    EXPECT_EQ(host.calls[0], "choose 1 " + t.file("a.txt"));
    path = t.path();   // a folder lets the user choose
    EXPECT_EQ(select_file(host, SELECT_OPEN, &path, notices), CHOSEN_CANCELLED);
    EXPECT_EQ(host.calls.back(), "choose 0 " + t.path() + "/");
    EXPECT_TRUE(notices.empty());
}

// The refusals come back as notices, in order, for the caller to show;
// nothing reaches the message box from here.
TEST(SelectFileTest, RefusalsAreReportedNotShown) {
    FakeMessages messages;
    TempFolder t;
    ASSERT_EQ(::mkfifo(t.file("pipe").c_str(), 0600), 0);
    FakeWindowHost host;
    Notices notices;
    std::string path = t.file("none/x.txt");
    EXPECT_EQ(select_file(host, SELECT_OPEN, &path, notices), CHOSEN_CANCELLED);
    path = t.file("pipe");
    EXPECT_EQ(select_file(host, SELECT_OPEN, &path, notices), CHOSEN_CANCELLED);
    host.choices.push_back({CHOSEN_NEW_NAME, t.file("pipe")});
    EXPECT_EQ(select_file(host, SELECT_SAVE_AS, &path, notices), CHOSEN_CANCELLED);
    ASSERT_EQ(notices.items.size(), 3u);
    EXPECT_EQ(notices.items[0].utf8, "フォルダが存在しません｡");
    EXPECT_EQ(notices.items[0].time_ms, 2000u);
    EXPECT_EQ(notices.items[1].utf8, unopenable_file_text(t.file("pipe"), PathKind::FIFO));
    EXPECT_EQ(notices.items[1].time_ms, 3000u);
    const std::string why = path_kind_reason(PathKind::FIFO);
    EXPECT_EQ(notices.items[2].utf8, "この名前では保存出来ません｡\n" + t.file("pipe") + (why.empty() ? "" : "\n" + why));
    EXPECT_EQ(notices.items[2].time_ms, 3000u);
    EXPECT_TRUE(messages.log.empty());
}

}  // namespace
}  // namespace rix
