// The copy history dialog through the fake dialog host: the list newest
// first with the count in the caption, 貼 付 pasting the chosen entry over a
// marked range and closing, a double click pasting and staying, the refusal
// without a chosen entry, 削 除 and 全履歴削除 with their questions, the
// empty history, help; and the command side: copies reaching the history
// through the clipboard commands, rix.clg read when the features are
// installed and written at the end of the process.
// Owed: the placement beside the cursor in vertical documents.
#include "app/history/copy_history_dialog.h"

#include "../editing/edit_fixture.h"
#include "app/edit/editor.h"
#include "document/loader.h"
#include "editing/clipboard_commands.h"
#include "platform/fake_dialogs.h"
#include "tests/support/command_app.h"

namespace rix::test {
namespace {

struct CopyHistoryDialogTest : EditFixture {
    FakeDialogHost host;
    CopyHistory history;
    CopyHistoryUi ui;
    int redraws = 0;

    void TearDown() override {
        close_copy_history_dialog(ui);
        EXPECT_TRUE(host.missing.empty());
        EXPECT_EQ(messages.unexpected, 0);
    }
    CopyHistoryServices services() {
        CopyHistoryServices s;
        s.history = &history;
        s.paste = [this](const std::string& text) { return paste_text(c, text); };
        s.redraw = [this] { ++redraws; };
        return s;
    }
    DialogSession& open() {
        const DialogHandle h = open_copy_history_dialog(ui, services());
        EXPECT_NE(h, 0u);
        DialogSession* s = host.session(h);
        EXPECT_NE(s, nullptr);
        return *s;
    }
    std::vector<std::string> rows(DialogSession& d) {
        std::vector<std::string> out;
        for (int k = 0; k < d.item_count(COPY_LOG_LIST); ++k) out.push_back(sjis_to_utf8(d.item_text(COPY_LOG_LIST, k)));
        return out;
    }
};

TEST_F(CopyHistoryDialogTest, ListsNewestFirstAndPastesTheChosenEntry) {
    build(doc, {sj("本文です"), ""});
    for (const char* t : {"一", "二\r\n行", "三"}) add_copy_history(history, sj(t));
    DialogSession& d = open();
    EXPECT_EQ(host.opened, std::vector<std::string>{"CPYLOG"});
    EXPECT_EQ(sjis_to_utf8(d.caption()), " コピー履歴選択 3/50");
    EXPECT_EQ(rows(d), (std::vector<std::string>{"三", "二↓行", "一"}));

    d.press(COPY_LOG_PASTE);   // nothing chosen
    EXPECT_EQ(messages.utf8(0), "語句を選択してください。");
    EXPECT_EQ(messages.log[0].time_ms, 2000u);
    EXPECT_TRUE(copy_history_dialog_open(ui));

    // A double click pastes and leaves the dialog open.
    at(0, 2);
    d.double_click(COPY_LOG_LIST, 2);
    EXPECT_EQ(line(0), sj("本一文です"));
    EXPECT_TRUE(copy_history_dialog_open(ui));

    // 貼 付 replaces the marked range, as a paste does, and closes.
    edit.mark.on = true;
    edit.mark.start = TextPos(0, 4);
    edit.mark.end = TextPos(0, 8);
    d.select(COPY_LOG_LIST, 1);
    d.press(COPY_LOG_PASTE);
    EXPECT_EQ(line(0), sj("本一二"));
    EXPECT_EQ(line(1), sj("行す"));
    EXPECT_FALSE(edit.mark.on);
    EXPECT_FALSE(copy_history_dialog_open(ui));
    EXPECT_EQ(invariant(), "");
}

TEST_F(CopyHistoryDialogTest, DeletesOneEntryAfterItsQuestion) {
    for (const char* t : {"a", "b", "c"}) add_copy_history(history, t);
    DialogSession& d = open();
    d.press(COPY_LOG_DELETE);
    EXPECT_EQ(messages.utf8(0), "語句を選択してください。");

    d.select(COPY_LOG_LIST, 0);   // "c", the newest
    messages.answer(MSG_RESULT_NO);
    d.press(COPY_LOG_DELETE);
    EXPECT_EQ(messages.log[1].kind, MSG_YES_NO);
    EXPECT_EQ(messages.utf8(1), "『c』\nを削除しますか？");
    EXPECT_EQ(history.entries.size(), 3u);

    d.select(COPY_LOG_LIST, 0);
    messages.answer(MSG_RESULT_YES);
    d.press(COPY_LOG_DELETE);
    EXPECT_EQ(history.entries, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(rows(d), (std::vector<std::string>{"b", "a"}));
    EXPECT_EQ(sjis_to_utf8(d.caption()), " コピー履歴選択 2/50");
    EXPECT_EQ(messages.utf8(3), "削除しました。");
    EXPECT_EQ(messages.log[3].time_ms, 1500u);
    EXPECT_TRUE(copy_history_dialog_open(ui));
}

TEST_F(CopyHistoryDialogTest, ClearsEverythingOnlyAfterTwoYesAnswers) {
    add_copy_history(history, "x");
    add_copy_history(history, "y");
    DialogSession& d = open();
    messages.answer(MSG_RESULT_YES);
    messages.answer(MSG_RESULT_NO);
    d.press(COPY_LOG_CLEAR);
    EXPECT_EQ(messages.utf8(0), "コピーの全履歴を削除しますか？");
    EXPECT_EQ(messages.utf8(1), "削除すると元に戻せません。\n本当に削除してもいいんですね？");
    EXPECT_EQ(history.entries.size(), 2u);

    messages.answer(MSG_RESULT_YES);
    messages.answer(MSG_RESULT_YES);
    d.press(COPY_LOG_CLEAR);
    EXPECT_TRUE(history.entries.empty());
    EXPECT_TRUE(history.changed);
    EXPECT_EQ(messages.utf8(4), "全履歴を削除しました。");
    EXPECT_EQ(messages.log[4].time_ms, 2000u);
    EXPECT_FALSE(copy_history_dialog_open(ui));

    // An empty history opens no dialog: the notice tells why.
    EXPECT_EQ(open_copy_history_dialog(ui, services()), 0u);
    EXPECT_EQ(messages.utf8(5), "履歴は在りません。\nコピーを行なうと蓄積されます。");
    EXPECT_EQ(messages.log[5].time_ms, 3000u);
    EXPECT_EQ(host.opened.size(), 1u);
}

TEST_F(CopyHistoryDialogTest, HelpAndCloseRedrawTheMainWindow) {
    add_copy_history(history, "x");
    DialogSession& d = open();
    d.press(COPY_LOG_HELP);
    EXPECT_EQ(messages.help_topics, std::vector<std::string>{"CPLOG"});
    add_copy_history(history, "new");
    refresh_copy_history_dialog(ui);
    EXPECT_EQ(rows(d), (std::vector<std::string>{"new", "x"}));
    d.press(COPY_LOG_CLOSE);
    EXPECT_FALSE(copy_history_dialog_open(ui));
    EXPECT_EQ(redraws, 1);
}

// The command side on an application as the main window runs it.
struct CopyHistoryCommandTest : CommandAppTest {
    FakeClipboard clipboard;
    void SetUp() override {
        dir.write(COPY_HISTORY_FILE_NAME, "old\rtext\r\n");
        CommandAppTest::SetUp();
        app.window.clipboard = &clipboard;
    }
    void TearDown() override { close_document(&app.doc, false); }
};

TEST_F(CopyHistoryCommandTest, CopiesReachTheHistoryReadAtStartAndWrittenAtTheEnd) {
    const std::string path = dir.write("doc.txt", "abc\r\n");
    ASSERT_TRUE(open_document_file(&app.doc, path, 0));
    app.doc.save_name = path;
    load_into_application(app);
    start_editing(app);
    app.startup_done = true;
    app.hooks.rebuild_screen(app);
    run_edit(app, [](EditContext& c) {
        c.edit.mark.on = true;
        c.edit.mark.start = TextPos(0, 1);
        c.edit.mark.end = TextPos(0, 3);
    });
    ASSERT_TRUE(shell->commands().run(COMMAND_COPY));
    EXPECT_EQ(clipboard.text, "bc");

    ASSERT_TRUE(app.links.open_copy_history);
    app.links.open_copy_history();   // two slow clicks on one cell
    ASSERT_EQ(dialogs.opened, std::vector<std::string>{"CPYLOG"});
    DialogSession* d = dialogs.session(1);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(sjis_to_utf8(d->item_text(COPY_LOG_LIST, 1)), "old↓text");
    d->select(COPY_LOG_LIST, 1);
    d->press(COPY_LOG_PASTE);
    EXPECT_EQ(app.loaded->document.lines.count(), 3u);

    ASSERT_TRUE(app.hooks.save_copy_history);
    app.hooks.save_copy_history(app);
    std::string bytes;
    ASSERT_TRUE(read_whole_file(dir.file(COPY_HISTORY_FILE_NAME), &bytes));
    EXPECT_EQ(bytes, "old\rtext\r\nbc\r\n");
}

}  // namespace
}  // namespace rix::test
