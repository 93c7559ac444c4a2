// The synonym window through the fake dialog host: the word at the cursor
// looked up at opening (曖昧), the hit list and the class views with their
// header lines, a separator skipped, あやふや inserted at the cursor as one
// undoable edit; the four conditions and their not-found notices, the box's
// own term kept, classes stepped forward and back with the count on the
// button, the view switched; the missing dictionary and the cursor without
// a word; the history dialog (choose, delete, clear) and the history and
// the condition kept at closing; and the command side: 類語一覧 (405) and
// the double click of the edit window.
// Owed: the blinking labels and the list's scrolling (not built).
#include "app/synonyms/synonym_window.h"

#include "../editing/edit_fixture.h"
#include "app/shell/features.h"
#include "document/loader.h"
#include "editing/edit_text.h"
#include "platform/fake_dialogs.h"
#include "rix_synonym_paths.h"
#include "tests/support/command_app.h"

namespace rix::test {
namespace {

struct SynonymWindowTest : EditFixture {
    FakeDialogHost host;
    SynonymUi ui;
    SettingsState settings;
    TempFolder dir;
    std::string dictionary = join_path(RIX_SYNONYM_SAMPLE_DIR, SYNONYM_FILE_NAME);
    int redraws = 0;

    void SetUp() override {
        EditFixture::SetUp();
        settings.rec.synonym_display = 0;
        settings.rec.synonym_search = 0xFF;
    }
    void TearDown() override {
        close_synonym_window(ui);
        EXPECT_TRUE(host.missing.empty());
        EXPECT_EQ(host.left_open, 0);
        EXPECT_EQ(messages.unexpected, 0);
    }
    SynonymServices services() {
        SynonymServices s;
        s.edit = [this](const std::function<void(EditContext&)>& work) {
            work(c);
            return true;
        };
        s.settings = &settings;
        s.dictionary_path = dictionary;
        s.history_path = dir.file(SYNONYM_HISTORY_FILE_NAME);
        s.redraw = [this] { ++redraws; };
        return s;
    }
    DialogSession& open() {
        const DialogHandle h = open_synonym_window(ui, services(), false);
        EXPECT_NE(h, 0u);
        DialogSession* s = host.session(h);
        EXPECT_NE(s, nullptr);
        return *s;
    }
    static std::vector<std::string> rows(DialogSession& d) {
        std::vector<std::string> out;
        for (int k = 0; k < d.item_count(SYNONYM_LIST); ++k) out.push_back(sjis_to_utf8(d.item_text(SYNONYM_LIST, k)));
        return out;
    }
    static std::string text(DialogSession& d, int id) { return sjis_to_utf8(d.get_text(id)); }
    // A dictionary of our own: 曖昧 あいまい | 不明確 | あやふや 不確か || 明確 はっきり | 明瞭 明らか（明白）
    void own_dictionary() {
        SynonymDictionary d;
        const std::pair<SynonymKind, const char*> recs[] = {
            {SynonymKind::GROUP, "曖昧"}, {SynonymKind::WORD, "あいまい"}, {SynonymKind::CLASS, "不明確"},
            {SynonymKind::CLASS, "あやふや"}, {SynonymKind::WORD, "不確か"}, {SynonymKind::GROUP, "明確"},
            {SynonymKind::WORD, "はっきり"}, {SynonymKind::CLASS, "明瞭"}, {SynonymKind::WORD, "明らか（明白）"}};
        for (const auto& [kind, t] : recs) d.records.push_back({kind, sj(t)});
        dictionary = dir.write("own.syn", synonym_dictionary_bytes(d));
    }
};

TEST_F(SynonymWindowTest, LooksUp曖昧AndInsertsあやふやAsOneUndoableEdit) {
    build(doc, {sj("曖昧な話"), ""});
    at(0, 0);
    DialogSession& d = open();
    EXPECT_EQ(host.opened, std::vector<std::string>{"SYNONYM"});
    EXPECT_EQ(text(d, SYNONYM_TERM), "曖昧");
    EXPECT_EQ(sjis_to_utf8(d.caption()).rfind(" 類語一覧 ", 0), 0u);
    EXPECT_TRUE(d.get_check(SYNONYM_PARTIAL));
    EXPECT_TRUE(d.get_check(SYNONYM_SYNONYMS));
    EXPECT_EQ(rows(d), std::vector<std::string>{" 1 曖昧"});
    EXPECT_EQ(text(d, SYNONYM_HEADER), "［部分］1分類 1語ﾋｯﾄ");
    EXPECT_EQ(text(d, SYNONYM_SEARCH), "検 索");

    // A click on the hit shows its class; 関連語 its whole group.
    d.select(SYNONYM_LIST, 0);
    EXPECT_EQ(rows(d), (std::vector<std::string>{"曖昧", "あいまい"}));
    EXPECT_EQ(text(d, SYNONYM_HEADER), "［部分］1分類中1［1 /2］");
    d.press(SYNONYM_RELATED);
    EXPECT_EQ(rows(d), (std::vector<std::string>{"曖昧", "あいまい", SYNONYM_SEPARATOR, "不明確", SYNONYM_SEPARATOR,
                                                 "あやふや", SYNONYM_SEPARATOR, "不明瞭", SYNONYM_SEPARATOR, "不確か"}));
    EXPECT_EQ(d.get_selection(SYNONYM_LIST), 0);
    d.select(SYNONYM_LIST, 5);
    EXPECT_EQ(text(d, SYNONYM_HEADER), "［部分］1分類中1［4 /6］");
    d.select(SYNONYM_LIST, 4);   // a separator, clicked from below: the word above
    EXPECT_EQ(d.get_selection(SYNONYM_LIST), 3);
    d.select(SYNONYM_LIST, 5);

    d.press(SYNONYM_INSERT);
    EXPECT_EQ(line(0), sj("あやふや曖昧な話"));
    EXPECT_EQ(invariant(), "");
    ASSERT_TRUE(undo(c));
    EXPECT_EQ(line(0), sj("曖昧な話"));

    // The term went into the history, written when the window closes.
    d.press(SYNONYM_CLOSE);
    EXPECT_FALSE(synonym_window_open(ui));
    EXPECT_EQ(redraws, 1);
    EXPECT_EQ(slurp(dir.file(SYNONYM_HISTORY_FILE_NAME)), sj("曖昧") + "\r\n");
    EXPECT_TRUE(ui.dict.records.empty());   // freed
}

TEST_F(SynonymWindowTest, ConditionsClassesAndTheViewSwitch) {
    own_dictionary();
    build(doc, {sj("明"), ""});
    at(0, 0);
    DialogSession& d = open();
    EXPECT_EQ(sjis_to_utf8(d.caption()), " 類語一覧 9語");
    EXPECT_EQ(rows(d), (std::vector<std::string>{" 1 不明確", " 2 明確", " 3 明瞭", "   明らか（明白）"}));
    EXPECT_EQ(text(d, SYNONYM_HEADER), "［部分］3分類 4語ﾋｯﾄ");
    EXPECT_EQ(text(d, SYNONYM_SEARCH), "残 ２");

    // 検 索 with results steps to the next class, 前分類 back, cyclically.
    d.press(SYNONYM_SEARCH);
    EXPECT_EQ(rows(d), (std::vector<std::string>{"明確", "はっきり"}));
    EXPECT_EQ(text(d, SYNONYM_HEADER), "［部分］3分類中2［1 /2］");
    EXPECT_EQ(text(d, SYNONYM_SEARCH), "残 １");
    d.press(SYNONYM_PREVIOUS);
    d.press(SYNONYM_PREVIOUS);
    EXPECT_EQ(rows(d), (std::vector<std::string>{"明瞭", "明らか（明白）"}));
    EXPECT_EQ(text(d, SYNONYM_SEARCH), "残 ０");
    // The view switch goes back to the hit list.
    d.press(SYNONYM_MODE);
    EXPECT_EQ(rows(d).size(), 4u);
    d.press(SYNONYM_MODE);
    EXPECT_EQ(rows(d), (std::vector<std::string>{"明瞭", "明らか（明白）"}));

    // The writer's own term: editing clears the results, a condition searches it.
    d.type_text(SYNONYM_TERM, "");
    EXPECT_EQ(text(d, SYNONYM_SEARCH), "検 索");
    d.type_text(SYNONYM_TERM, sj("明"));
    d.press(SYNONYM_PARTIAL + 1);   // 先頭
    EXPECT_EQ(text(d, SYNONYM_TERM), "明");
    EXPECT_EQ(text(d, SYNONYM_HEADER), "［先頭］2分類中1［1 /2］");   // the class view stays
    d.press(SYNONYM_PARTIAL + 3);   // 完全: 明 is no headword
    EXPECT_EQ(messages.utf8(0), "「完全」で一致なし");
    EXPECT_TRUE(rows(d).empty());
    d.type_text(SYNONYM_TERM, sj("明確"));
    d.press(SYNONYM_SEARCH);
    EXPECT_EQ(text(d, SYNONYM_HEADER), "［完全］1分類中1［1 /2］");
    d.press(SYNONYM_SEARCH);   // one class: nothing to step to
    EXPECT_EQ(messages.utf8(1), " 検索された語句には\n他の分類はありません。");
    EXPECT_EQ(messages.log[1].time_ms, 1500u);
    d.press(SYNONYM_MODE);
    EXPECT_EQ(messages.utf8(2), " 検索された語句には\n他の分類はありません。");

    // A double click takes the word into the box and clears the results.
    d.double_click(SYNONYM_LIST, 1);
    EXPECT_EQ(text(d, SYNONYM_TERM), "はっきり");
    d.press(SYNONYM_HELP);
    EXPECT_EQ(messages.help_topics, std::vector<std::string>{"SYN"});

    // Closing keeps 完全 unless the settings ask for 部分 always.
    d.press(SYNONYM_CLOSE);
    EXPECT_EQ(settings.rec.synonym_search, 0xFF);
    settings.rec.synonym_search = 0;
    DialogSession& again = open();
    again.press(SYNONYM_PARTIAL + 2);
    again.press(SYNONYM_CLOSE);
    EXPECT_EQ(settings.rec.synonym_search, 2);
    DialogSession& third = open();
    EXPECT_TRUE(third.get_check(SYNONYM_PARTIAL + 2));
}

TEST_F(SynonymWindowTest, MissingDictionaryAndNoWordAtTheCursor) {
    dictionary = dir.file("none.syn");
    build(doc, {sj("曖昧"), ""});
    at(0, 0);
    DialogSession& d = open();
    EXPECT_EQ(messages.utf8(0), "rix_lib.syn が見つかりません。");
    EXPECT_EQ(messages.log[0].time_ms, 3000u);
    EXPECT_EQ(sjis_to_utf8(d.caption()), " 類語一覧 0語");
    EXPECT_EQ(messages.utf8(1), "該当掲載語なし");
    close_synonym_window(ui);

    dictionary = join_path(RIX_SYNONYM_SAMPLE_DIR, SYNONYM_FILE_NAME);
    at(1, 0);   // the end of the text
    open();
    EXPECT_EQ(messages.utf8(2), " 語句が取得出来ません。");
    EXPECT_EQ(messages.log[2].time_ms, 3000u);
}

TEST_F(SynonymWindowTest, HistoryDialogChoosesDeletesAndClears) {
    own_dictionary();
    dir.write(SYNONYM_HISTORY_FILE_NAME, sj("明確") + "\r\n" + sj("不明確") + "\r\n");
    build(doc, {"", ""});
    DialogSession& d = open();   // no word at the cursor: a notice, no search
    EXPECT_EQ(messages.utf8(0), " 語句が取得出来ません。");

    host.script([&](DialogSession& h) {
        EXPECT_EQ(sjis_to_utf8(h.caption()), " 検索履歴 2/100");
        EXPECT_EQ(sjis_to_utf8(h.item_text(SYNLOG_LIST, 0)), "不明確");
        h.double_click(SYNLOG_LIST, 1);
    });
    d.press(SYNONYM_HISTORY);
    EXPECT_EQ(host.opened.back(), "SYNLOG");
    EXPECT_EQ(text(d, SYNONYM_TERM), "明確");
    EXPECT_EQ(text(d, SYNONYM_HEADER), "［部分］2分類 2語ﾋｯﾄ");

    messages.answer(MSG_RESULT_YES);
    host.script([&](DialogSession& h) {
        h.press(SYNLOG_DELETE);   // nothing chosen
        h.select(SYNLOG_LIST, 0);
        h.press(SYNLOG_DELETE);
        EXPECT_EQ(h.item_count(SYNLOG_LIST), 1);
        h.press(SYNLOG_CLOSE);
    });
    d.press(SYNONYM_HISTORY);
    EXPECT_EQ(messages.utf8(1), "語句を選択してください。");
    EXPECT_EQ(messages.log[1].time_ms, 2000u);
    EXPECT_EQ(messages.utf8(2), "『不明確』\nを削除しますか？");
    EXPECT_EQ(messages.utf8(3), "削除しました。");
    EXPECT_EQ(ui.history.terms, std::vector<std::string>{sj("明確")});

    messages.answer(MSG_RESULT_YES);
    messages.answer(MSG_RESULT_YES);
    host.script([&](DialogSession& h) { h.press(SYNLOG_CLEAR); });
    d.press(SYNONYM_HISTORY);
    EXPECT_EQ(messages.utf8(4), "検索の全履歴を削除しますか？");
    EXPECT_EQ(messages.utf8(5), "削除すると元に戻せません。\n本当に削除してもいいんですね？");
    EXPECT_EQ(messages.utf8(6), "全履歴を削除しました。");
    EXPECT_TRUE(ui.history.terms.empty());
    d.press(SYNONYM_CLOSE);
    EXPECT_EQ(slurp(dir.file(SYNONYM_HISTORY_FILE_NAME)), "");
}

TEST(SynonymDictionaryPath, TheDataFolderFirstThenTheBuiltOne) {
    TempFolder data, built;
    EXPECT_EQ(synonym_dictionary_path(data.path(), built.path()), data.file(SYNONYM_FILE_NAME));
    built.write(SYNONYM_FILE_NAME, "");
    EXPECT_EQ(synonym_dictionary_path(data.path(), built.path()), built.file(SYNONYM_FILE_NAME));
    data.write(SYNONYM_FILE_NAME, "");
    EXPECT_EQ(synonym_dictionary_path(data.path(), built.path()), data.file(SYNONYM_FILE_NAME));
}

// The command side on an application as the main window runs it.
struct SynonymCommandTest : CommandAppTest {
    void TearDown() override { close_document(&app.doc, false); }
};

TEST_F(SynonymCommandTest, TheCommandAndTheDoubleClickOpenTheWindow) {
    const std::string path = dir.write("doc.txt", sj("曖昧な話") + "\r\n");
    ASSERT_TRUE(open_document_file(&app.doc, path, 0));
    app.doc.save_name = path;
    load_into_application(app);
    start_editing(app);
    app.startup_done = true;
    app.hooks.rebuild_screen(app);
    app.settings.rec.synonym_display = 1;   // class by class

    ASSERT_TRUE(shell->commands().enabled(COMMAND_SYNONYMS));
    ASSERT_TRUE(shell->commands().run(COMMAND_SYNONYMS));
    ASSERT_EQ(dialogs.opened, std::vector<std::string>{"SYNONYM"});
    DialogSession* d = dialogs.session(1);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(sjis_to_utf8(d->item_text(SYNONYM_LIST, 0)), "曖昧");

    // A double click elsewhere looks the word up in the open window.
    run_edit(app, [](EditContext& c) { place_cursor(c, TextPos(0, 4)); });
    ASSERT_TRUE(app.links.open_synonyms);
    app.links.open_synonyms();
    EXPECT_EQ(dialogs.opened.size(), 1u);
    EXPECT_EQ(sjis_to_utf8(d->get_text(SYNONYM_TERM)), "な");

    app.events.exit.publish();
    EXPECT_FALSE(dialogs.is_open(1));
    std::string history;
    ASSERT_TRUE(read_whole_file(dir.file(SYNONYM_HISTORY_FILE_NAME), &history));
    EXPECT_EQ(history.rfind(sj("曖昧") + "\r\n", 0), 0u);
}

}  // namespace
}  // namespace rix::test
