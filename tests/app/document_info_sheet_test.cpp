// The document-information sheet through the fake dialog host: the facts of
// TEXT_INF, titles kept across a page switch and stored at the close, the
// history page (newest first, counter, caption), and every way 文書を開く
// answers: no selection, an older line, a vanished file, a file to open.
//
// Tests still owed: the sheet's position per writing direction.
#include "app/history/document_info_sheet.h"

#include <gtest/gtest.h>

#include "document/edit_history.h"
#include "platform/codec.h"
#include "platform/fake_dialogs.h"
#include "platform/fake_messages.h"
#include "tests/support/temp_folder.h"

namespace rix {
namespace {

std::string sj(const std::string& utf8) { return utf8_to_sjis(utf8); }

const HistoryStamp STAMP{2026, 1, 2, 3, 4};

struct InfoSheetTest : ::testing::Test {
    FakeDialogHost host;
    FakeMessages messages;
    test::TempFolder dir;
    SettingsState settings;
    int last_page = -1;
    bool open = false;
    DocumentInfoServices s;

    void SetUp() override {
        s.settings = &settings;
        s.log_path = dir.file("rix.log");
        s.opened_path = dir.file("a.txt");
        s.save_name = dir.file("a.txt");
        s.opened = FileFacts{true, 1234567, 0};
        s.title = sj("表題");
        s.print_title = sj("印刷用");
        s.last_page = &last_page;
        s.open = &open;
    }
    void TearDown() override {
        EXPECT_TRUE(host.missing.empty());
        EXPECT_EQ(host.left_open, 0);
        EXPECT_FALSE(open);
    }
    void log(const std::vector<std::string>& paths) {
        for (const std::string& p : paths) append_history(s.log_path, history_line(p, 10, STAMP, ""));
    }
};

TEST(InfoSheetTexts, SizesAndTimes) {
    EXPECT_EQ(byte_count_text(0), "0 byte");
    EXPECT_EQ(byte_count_text(999), "999 byte");
    EXPECT_EQ(byte_count_text(1000), "1,000 byte");
    EXPECT_EQ(byte_count_text(1234567), "1,234,567 byte");
    EXPECT_EQ(local_time_text(0).size(), 16u);   // "yyyy-mm-dd hh:mm"
}

TEST_F(InfoSheetTest, DocumentPageShowsFactsAndStoresChangedTitles) {
    s.modified = 1;
    host.script([&](DialogSession& d) {
        EXPECT_EQ(d.get_page(INFO_TABS), INFO_PAGE_DOCUMENT);
        EXPECT_EQ(d.get_text(INFO_OPENED_PATH), s.opened_path);
        EXPECT_EQ(d.get_text(INFO_OPENED_SIZE), "1,234,567 byte");
        EXPECT_EQ(d.get_text(INFO_SAVED_SIZE), "");   // no save in this run
        EXPECT_EQ(d.get_text(INFO_MODIFIED), sj("有"));
        EXPECT_EQ(d.get_text(INFO_TITLE), sj("表題"));
        d.type_text(INFO_TITLE, sj("新しい表題は二十四バイトを越える長さ"));
        d.select_page(INFO_TABS, INFO_PAGE_HISTORY);
    });
    host.script([](DialogSession& d) {
        EXPECT_EQ(d.get_page(INFO_TABS), INFO_PAGE_HISTORY);
        d.select_page(INFO_TABS, INFO_PAGE_DOCUMENT);
    });
    host.script([](DialogSession& d) {
        EXPECT_EQ(d.get_text(INFO_TITLE), sj("新しい表題は二十四バイト"));   // the edit holds 24 bytes
        d.press(INFO_HELP);
        d.press(DIALOG_CANCEL);
    });
    EXPECT_EQ(run_document_info_sheet(&s), DIALOG_CANCEL);
    EXPECT_TRUE(s.titles_changed);
    EXPECT_EQ(s.title, sj("新しい表題は二十四バイト"));
    EXPECT_EQ(s.print_title, sj("印刷用"));
    EXPECT_EQ(last_page, INFO_PAGE_DOCUMENT);
    EXPECT_EQ(messages.help_topics, std::vector<std::string>{"INF"});
    ASSERT_EQ(messages.log.size(), 1u);   // no history file yet
    EXPECT_TRUE(messages.saw("がありません。\n\n文書を保存した時点で作成されます。"));
}

TEST_F(InfoSheetTest, UnchangedTitlesAreNotStored) {
    s.saved = FileFacts{true, 5, 0};
    host.script([](DialogSession& d) {
        EXPECT_EQ(d.get_text(INFO_SAVED_SIZE), "5 byte");
        EXPECT_EQ(d.get_text(INFO_MODIFIED), sj("無"));
        d.press(DIALOG_CANCEL);
    });
    run_document_info_sheet(&s, INFO_PAGE_DOCUMENT);
    EXPECT_FALSE(s.titles_changed);
}

TEST_F(InfoSheetTest, PreviewShowsTheChosenDocumentAndKeepsTheSheet) {
    const std::string present = dir.write("b.txt", "b");
    log({present, dir.file("gone.txt")});
    std::vector<std::string> previewed;
    s.preview = [&](const std::string& p) { previewed.push_back(p); };
    host.script([&](DialogSession& d) {
        ASSERT_TRUE(d.is_enabled(LOG_PREVIEW));
        d.press(LOG_PREVIEW);                 // nothing chosen
        d.select(LOG_LIST, 0);                // the vanished file
        d.press(LOG_PREVIEW);
        d.select(LOG_LIST, 1);
        d.press(LOG_PREVIEW);
        EXPECT_FALSE(d.ended());
        d.press(DIALOG_CANCEL);
    });
    EXPECT_EQ(run_document_info_sheet(&s, INFO_PAGE_HISTORY), DIALOG_CANCEL);
    EXPECT_EQ(previewed, (std::vector<std::string>{present}));
    EXPECT_TRUE(s.open_request.empty());
    EXPECT_TRUE(messages.saw("先に選択してください。"));
    EXPECT_TRUE(messages.saw("選択した文書がありません。"));
}

TEST_F(InfoSheetTest, HistoryPageListsNewestFirstAndOpensAChosenDocument) {
    const std::string present = dir.write("b.txt", "b");
    const std::string gone = dir.file("gone.txt");
    append_history(s.log_path, "OLD FORMAT LINE");
    log({present, gone});
    host.script([&](DialogSession& d) {
        EXPECT_EQ(d.caption(), sj("　編集履歴情報 ［") + s.log_path + sj("］"));
        ASSERT_EQ(d.item_count(LOG_LIST), 3);
        EXPECT_EQ(d.item_text(LOG_LIST, 2), "OLD FORMAT LINE");
        EXPECT_NE(d.item_text(LOG_LIST, 0).find("gone"), std::string::npos);
        EXPECT_EQ(d.get_text(LOG_COUNTER), "3");
        EXPECT_FALSE(d.is_enabled(LOG_PREVIEW));
        d.press(LOG_OPEN);                    // nothing chosen
        d.select(LOG_LIST, 2);
        EXPECT_EQ(d.get_text(LOG_COUNTER), "  3/3");
        d.press(LOG_OPEN);                    // an older line
        d.double_click(LOG_LIST, 0);          // a vanished file
        d.select(LOG_LIST, 1);
        d.press(LOG_OPEN);
    });
    EXPECT_EQ(run_document_info_sheet(&s, INFO_PAGE_HISTORY), DIALOG_OK);
    EXPECT_EQ(s.open_request, present);
    ASSERT_EQ(messages.log.size(), 3u);
    EXPECT_EQ(messages.utf8(0), "先に選択してください。");
    EXPECT_EQ(messages.utf8(1), "選択したのは旧版で作成された履歴データです。\nこのデータでは文書を開けません。");
    EXPECT_EQ(messages.utf8(2), "選択した文書がありません。");
    EXPECT_EQ(last_page, INFO_PAGE_HISTORY);
}

TEST_F(InfoSheetTest, OneSheetAtATimeAndTheLastPageIsReopened) {
    open = true;
    EXPECT_EQ(run_document_info_sheet(&s), DIALOG_CANCEL);
    EXPECT_TRUE(host.opened.empty());
    open = false;
    last_page = INFO_PAGE_HISTORY;
    log({"/x"});
    host.script([](DialogSession& d) {
        EXPECT_EQ(d.get_page(INFO_TABS), INFO_PAGE_HISTORY);
        d.press(DIALOG_CANCEL);
    });
    run_document_info_sheet(&s);
    EXPECT_EQ(host.opened, std::vector<std::string>{"LOG_INF"});
}

}  // namespace
}  // namespace rix
