// The edit history in the main window: saves append lines (or, with
// 履歴情報格納 off, leave the file alone), the file menu's recent documents
// (one item per path, ten at most, newest first, above 保存・終了), a vanished
// file offered for removal, and 文書情報／編集履歴 storing changed titles.
//
// Tests still owed: opening a recent document in another instance.
#include <gtest/gtest.h>

#include "app/history/document_info_sheet.h"
#include "app/history/recent_menu.h"
#include "app/documents/save_flow.h"
#include "document/edit_history.h"
#include "editing/command_ids.h"
#include "platform/codec.h"
#include "platform/files.h"
#include "tests/support/command_app.h"

namespace rix {
namespace {

const HistoryStamp STAMP{2026, 1, 2, 3, 4};

struct HistoryCommandTest : test::CommandAppTest {
    std::string log;

    void SetUp() override {
        CommandAppTest::SetUp();
        install_save_hooks(app);
        log = dir.file("rix.log");
        app.paths.log_path = log;
        app.settings.rec.store_history = 1;
    }
    void TearDown() override { close_document(&app.doc, false); }
    void open(const std::string& name, const std::string& text) {
        const std::string path = dir.write(name, text);
        ASSERT_TRUE(open_document_file(&app.doc, path, 0));
        app.doc.save_name = path;
        load_into_application(app);
    }
    std::vector<std::string> log_lines() {
        std::string text;
        read_whole_file(log, &text);
        return split_history_lines(text);
    }
};

TEST_F(HistoryCommandTest, EverySaveIsLoggedAndTheMenuListsThePathOnce) {
    open("a.txt", "abc\r\n");
    for (int i = 0; i < 3; ++i) {
        app.doc.modified = MODIFIED_TEXT;
        ASSERT_EQ(menu_save(app), SaveResult::Saved);
    }
    const std::vector<std::string> lines = log_lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(history_line_path(lines[0]), app.doc.save_name);
    EXPECT_GE(lines[0].size(), HISTORY_MIN_LINE);
    std::string text;
    read_whole_file(log, &text);
    EXPECT_EQ(text.substr(lines[0].size(), 2), "\r\n");
    const std::vector<MenuEntry> recent = shell->recent_documents();
    ASSERT_EQ(recent.size(), 1u);
    EXPECT_EQ(recent[0].command, COMMAND_RECENT_FIRST);
    EXPECT_EQ(recent[0].label, app.doc.save_name);
}

TEST_F(HistoryCommandTest, StoreHistoryOffLeavesTheHistoryUntouched) {
    app.settings.rec.store_history = 0;
    open("a.txt", "abc\r\n");
    app.doc.modified = MODIFIED_TEXT;
    ASSERT_EQ(menu_save(app), SaveResult::Saved);
    EXPECT_FALSE(file_exists(log));
    append_history(log, history_line("/x", 1, STAMP, ""));
    std::string before, after;
    read_whole_file(log, &before);
    app.doc.modified = MODIFIED_TEXT;
    ASSERT_EQ(menu_save(app), SaveResult::Saved);
    read_whole_file(log, &after);
    EXPECT_EQ(after, before);
}

TEST_F(HistoryCommandTest, ADocumentOfOverAMillionBytesIsFoundAgain) {
    std::string big;
    for (int i = 0; i < 12346; ++i) big += std::string(98, 'a') + "\r\n";
    open("big.txt", big);
    app.doc.modified = MODIFIED_TEXT;
    ASSERT_EQ(menu_save(app), SaveResult::Saved);
    const std::vector<std::string> lines = log_lines();
    ASSERT_EQ(lines.size(), 1u);
    const std::int64_t size = file_size(app.doc.save_name);
    ASSERT_GT(size, 999999);
    EXPECT_NE(lines[0].find(app.doc.save_name + "  " + std::to_string(size) + " "), std::string::npos);
    EXPECT_EQ(history_line_path(lines[0]), app.doc.save_name);
}

TEST_F(HistoryCommandTest, TwelveDocumentsGiveTenItemsAboveSaveAndExit) {
    for (int i = 1; i <= 12; ++i) append_history(log, history_line("/d/" + std::to_string(i) + ".txt", 1, STAMP, ""));
    MenuResource file;
    for (int id : std::initializer_list<int>{COMMAND_SAVE, COMMAND_PRINT_PREVIEW, 0, COMMAND_SAVE_AND_EXIT, COMMAND_EXIT})
        file.items.push_back(MenuEntry{id, "x"});
    const MenuResource menu = with_recent_documents(file, shell->recent_documents());
    ASSERT_EQ(menu.items.size(), 16u);
    EXPECT_EQ(menu.items[3].command, COMMAND_RECENT_FIRST);
    EXPECT_EQ(menu.items[3].label, "/d/12.txt");
    EXPECT_EQ(menu.items[12].command, COMMAND_RECENT_FIRST + 9);
    EXPECT_EQ(menu.items[12].label, "/d/3.txt");
    EXPECT_EQ(menu.items[13].command, 0);
    EXPECT_EQ(menu.items[14].command, COMMAND_SAVE_AND_EXIT);
    // Without a history the menu stays as it is.
    EXPECT_EQ(with_recent_documents(file, {}).items.size(), file.items.size());
}

TEST_F(HistoryCommandTest, AVanishedDocumentIsRemovedFromTheHistoryOnYes) {
    const std::string kept = dir.write("kept.txt", "k");
    const std::string gone = dir.file("gone.txt");
    for (const std::string& p : {gone, kept, gone}) append_history(log, history_line(p, 1, STAMP, ""));
    messages.answer(MSG_RESULT_NO);
    ASSERT_TRUE(shell->commands().run(COMMAND_RECENT_FIRST));   // gone.txt is the newest
    EXPECT_EQ(log_lines().size(), 3u);
    EXPECT_EQ(messages.utf8(0), gone + "\n\nこのファイルは削除か移動かにより、\nこのフォルダには存在しません。"
                                       "\nこのファイル名を編集履歴から削除しますか？\n");
    messages.answer(MSG_RESULT_YES);
    ASSERT_TRUE(shell->commands().run(COMMAND_RECENT_FIRST));
    ASSERT_EQ(log_lines().size(), 1u);
    EXPECT_EQ(history_line_path(log_lines()[0]), kept);
    EXPECT_EQ(messages.unexpected, 0);
}

TEST_F(HistoryCommandTest, TheSheetStoresChangedTitlesIntoTheDocument) {
    open("a.txt", "abc\r\n");
    app.doc.modified = 0;
    dialogs.script([](DialogSession& d) {
        d.type_text(INFO_PRINT_TITLE, "print");
        d.press(DIALOG_CANCEL);
    });
    ASSERT_TRUE(shell->commands().run(COMMAND_DOCUMENT_INFO));
    EXPECT_EQ(app.loaded->extension.header.print_title, "print");
    EXPECT_EQ(app.doc.modified, MODIFIED_EXTENSION);
}

TEST_F(HistoryCommandTest, TitlesWrittenBackAsTheyWereLeaveTheDocumentUnchanged) {
    open("a.txt", "abc\r\n");
    ExtensionHeader& header = app.loaded->extension.header;
    header.title = utf8_to_sjis("表題");
    header.print_title = "print";
    app.doc.modified = 0;
    dialogs.script([](DialogSession& d) {
        d.type_text(INFO_TITLE, utf8_to_sjis("別の表題"));
        d.type_text(INFO_TITLE, utf8_to_sjis("表題"));   // changed, then typed back
        d.type_text(INFO_PRINT_TITLE, "print");
        d.press(DIALOG_CANCEL);
    });
    ASSERT_TRUE(shell->commands().run(COMMAND_DOCUMENT_INFO));
    EXPECT_EQ(header.title, utf8_to_sjis("表題"));
    EXPECT_EQ(header.print_title, "print");
    EXPECT_EQ(app.doc.modified, 0);
}

}  // namespace
}  // namespace rix
