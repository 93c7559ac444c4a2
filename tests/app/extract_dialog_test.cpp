// EXTRACT_SEL through the fake dialog host: the list's columns, a member
// picked and extracted under its base name, an existing file kept unless the
// writer says yes, a folder entry never extracted, an archive that cannot be
// opened giving 1, the single file of a download extracted at once, the
// picked row's member written whatever order the headers stand in, and a
// member whose name comes to nothing refused with its own notice.
//
// Still owed: ﾌｫﾙﾀﾞ選択 with the window's folder chooser.
#include "app/files/extract_dialog.h"

#include <gtest/gtest.h>

#include "platform/codec.h"
#include "platform/fake_dialogs.h"
#include "platform/fake_messages.h"
#include "platform/files.h"
#include "tests/support/archives.h"
#include "tests/support/temp_folder.h"

namespace rix {
namespace {

using namespace test;

struct ExtractDialogTest : ::testing::Test {
    FakeMessages messages;
    FakeDialogHost host;
    TempFolder dir;
    ExtractServices services;
    std::string extracted;

    void TearDown() override {
        EXPECT_TRUE(host.missing.empty());
        EXPECT_EQ(host.left_open, 0);
        EXPECT_EQ(messages.unexpected, 0);
    }
};

TEST_F(ExtractDialogTest, ListPickAndExtract) {
    services.archive = dir.write("docs.zip", make_zip({{"folder/", ""},
                                                        {"../up/\x8c\xb4\x8d\x65.txt", "manuscript"},
                                                        {"empty.txt", ""}}));
    host.script([&](DialogSession& d) {
        ASSERT_EQ(d.item_count(EXTRACT_LIST), 3);
        EXPECT_EQ(d.cell_text(EXTRACT_LIST, 1, 0), "../up/\x8c\xb4\x8d\x65.txt");
        EXPECT_EQ(d.cell_text(EXTRACT_LIST, 1, 1), "10");
        EXPECT_EQ(d.cell_text(EXTRACT_LIST, 1, 2), "10");
        EXPECT_EQ(d.cell_text(EXTRACT_LIST, 1, 3), "100.0");
        EXPECT_EQ(d.cell_text(EXTRACT_LIST, 2, 3), "");
        // The first file is picked (the folder entry is passed over).
        EXPECT_EQ(d.get_selection(EXTRACT_LIST), 1);
        EXPECT_EQ(d.get_text(EXTRACT_DESTINATION), utf8_to_sjis(dir.path() + "/原稿.txt"));
        EXPECT_EQ(d.get_text(EXTRACT_COUNTER), "  2/3");
        d.select(EXTRACT_LIST, 0);   // a folder: nothing to extract
        d.press(EXTRACT_SELECT);
        EXPECT_FALSE(d.ended());
        d.double_click(EXTRACT_LIST, 1);
    });
    EXPECT_EQ(run_extract_dialog(services, &extracted), 0);
    EXPECT_EQ(extracted, dir.path() + "/原稿.txt");
    EXPECT_EQ(slurp(extracted), "manuscript");
    EXPECT_TRUE(file_exists(services.archive));   // not downloaded: kept
}

TEST_F(ExtractDialogTest, AnExistingFileIsKeptUnlessTheWriterSaysYes) {
    services.archive = dir.write("a.zip", make_zip({{"a.txt", "from the archive"}}));
    const std::string old = dir.write("a.txt", "the writer's own");
    messages.answer(MSG_RESULT_NO);
    host.script([&](DialogSession& d) {
        d.press(EXTRACT_SELECT);
        EXPECT_FALSE(d.ended());
        d.press(EXTRACT_CLOSE);
    });
    EXPECT_EQ(run_extract_dialog(services, &extracted), 1);
    EXPECT_EQ(slurp(old), "the writer's own");
    messages.answer(MSG_RESULT_YES);
    host.script([&](DialogSession& d) { d.press(EXTRACT_SELECT); });
    EXPECT_EQ(run_extract_dialog(services, &extracted), 0);
    EXPECT_EQ(slurp(old), "from the archive");
}

TEST_F(ExtractDialogTest, AnArchiveThatCannotBeOpenedGivesOne) {
    services.archive = dir.write("bad.zip", "no archive here");
    EXPECT_EQ(run_extract_dialog(services, &extracted), 1);
    EXPECT_TRUE(messages.saw("書庫ファイルオープン失敗"));
    EXPECT_TRUE(extracted.empty());
}

TEST_F(ExtractDialogTest, ADownloadedSingleFileIsExtractedAtOnce) {
    // A folder entry does not count: the archive holds one file.
    services.archive = dir.write("dl.lzh", lzh_level2("", "d\xff", "", "-lhd-") +
                                                lzh_level0("story.txt", "once upon") + std::string(1, '\0'));
    services.kind = ArchiveKind::LZH;
    services.downloaded = true;
    services.single_at_once = true;
    EXPECT_EQ(run_extract_dialog(services, &extracted), 0);   // no script: the list never waited
    EXPECT_EQ(host.unscripted, 0);
    EXPECT_EQ(slurp(dir.path() + "/story.txt"), "once upon");
    EXPECT_FALSE(file_exists(services.archive));   // a downloaded archive goes
}

TEST_F(ExtractDialogTest, AFailedExtractionSaysSoAndStays) {
    services.archive = dir.write("crc.zip", make_zip({{"a.txt", "damaged", 0, true}}));
    host.script([&](DialogSession& d) {
        d.press(EXTRACT_SELECT);
        EXPECT_FALSE(d.ended());
        EXPECT_TRUE(messages.saw("解凍エラーが発生しました"));
        d.press(EXTRACT_CLOSE);
    });
    EXPECT_EQ(run_extract_dialog(services, &extracted), 1);
    EXPECT_FALSE(file_exists(dir.path() + "/a.txt"));
}

TEST_F(ExtractDialogTest, ThePickedRowIsTheFileWritten) {
    // The central directory lists the members in another order than their
    // headers stand, with equal sizes: the picked row's text is what lands.
    services.archive = dir.write("o.zip", make_zip({{"bad.txt", "BADBAD"}, {"good.txt", "GOODGO"}}, {1, 0}));
    host.script([&](DialogSession& d) {
        ASSERT_EQ(d.cell_text(EXTRACT_LIST, 0, 0), "good.txt");
        d.double_click(EXTRACT_LIST, 0);
    });
    EXPECT_EQ(run_extract_dialog(services, &extracted), 0);
    EXPECT_EQ(extracted, dir.path() + "/good.txt");
    EXPECT_EQ(slurp(extracted), "GOODGO");
    EXPECT_FALSE(file_exists(dir.path() + "/bad.txt"));
}

TEST_F(ExtractDialogTest, AMemberWithoutAFileNameIsRefusedWithItsNotice) {
    services.archive = dir.write("n.zip", make_zip({{"sub\x81/..", "nothing"}}));
    host.script([&](DialogSession& d) {
        EXPECT_EQ(d.get_text(EXTRACT_DESTINATION), utf8_to_sjis(dir.path() + "/"));
        d.press(EXTRACT_SELECT);
        EXPECT_FALSE(d.ended());
        EXPECT_TRUE(messages.saw("ファイル名が無いため解凍できません"));
        EXPECT_FALSE(messages.saw("解凍エラーが発生しました"));
        d.press(EXTRACT_CLOSE);
    });
    EXPECT_EQ(run_extract_dialog(services, &extracted), 1);
    EXPECT_EQ(list_folder_names(dir.path()), std::vector<std::string>{"n.zip"});
}

}  // namespace
}  // namespace rix
