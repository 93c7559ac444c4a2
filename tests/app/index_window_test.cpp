// The index window through the fake dialog host: registering with a typed
// name, with the line's text and refused twice on one level; the level
// filter; following the cursor; change, delete and jump; the section move
// asked and done (and undo emptied), or answered No; the buttons of later
// features disabled; help.
// Owed: the window's position on the screen (the Qt host's part).
#include "app/index/index_window.h"

#include "../editing/edit_fixture.h"
#include "document/undo_journal.h"
#include "platform/fake_dialogs.h"

namespace rix::test {
namespace {

struct IndexWindowTest : EditFixture {
    FakeDialogHost host;
    SettingsState settings;
    IndexUi ui;
    int redraws = 0;

    void TearDown() override {
        close_index_window(ui);
        EXPECT_TRUE(host.missing.empty());
        EXPECT_EQ(messages.unexpected, 0);
    }
    IndexServices services() {
        IndexServices s;
        s.edit = [this](const std::function<void(EditContext&)>& work) {
            work(c);
            follow_index_cursor(ui, c);   // as the main window's redraw does
            return true;
        };
        s.redraw = [this] { ++redraws; };
        s.settings = &settings;
        return s;
    }
    DialogSession& open() {
        DialogHandle h = open_index_window(ui, services());
        EXPECT_NE(h, 0u);
        DialogSession* s = host.session(h);
        EXPECT_NE(s, nullptr);
        return *s;
    }
    std::vector<std::string> rows(DialogSession& d) {
        std::vector<std::string> out;
        for (int k = 0; k < d.item_count(INDEX_LIST); ++k) out.push_back(sjis_to_utf8(d.item_text(INDEX_LIST, k)));
        return out;
    }
    void lines(int n) {
        std::vector<std::string> text;
        for (int k = 1; k <= n; ++k) text.push_back("L" + std::to_string(k));
        build(doc, text);
    }
};

TEST_F(IndexWindowTest, RegistersNamedAndCopiedEntriesAndRefusesASecondOfOneLevel) {
    build(doc, {sj("　第一章　門出"), sj("本文"), sj("第一節"), ""});
    DialogSession& d = open();
    EXPECT_EQ(host.opened, (std::vector<std::string>{"INDEX_WIN"}));
    EXPECT_EQ(d.item_count(INDEX_LIST), 0);
    EXPECT_EQ(sjis_to_utf8(d.get_text(INDEX_CURRENT_LINE)), "現在行 1");
    for (int id : {INDEX_DOCK_LEFT, INDEX_DOCK_RIGHT, INDEX_NOTEBOOK, INDEX_SOUND}) EXPECT_FALSE(d.is_enabled(id)) << id;

    // The name box untouched: the line's text, when the writer says so.
    messages.answer(MSG_RESULT_YES);
    d.press(INDEX_REGISTER);
    ASSERT_EQ(doc.index.size(), 1u);
    EXPECT_EQ(doc.index[0].title, sj("第一章　門出"));
    EXPECT_EQ(d.get_text(INDEX_NAME), sj("第一章　門出"));
    EXPECT_EQ(state.modified & MODIFIED_EXTENSION, MODIFIED_EXTENSION);
    EXPECT_EQ(d.get_text(INDEX_COUNTER), "  1/1");
    // Level 1 again on that line: refused before anything is asked.
    d.type_text(INDEX_NAME, "again");
    d.press(INDEX_REGISTER);
    EXPECT_EQ(doc.index.size(), 1u);
    EXPECT_TRUE(messages.saw("この行には既に階層 1 の\n索引が付いています。"));

    // Line 3, level 2, a typed name and the page-break flag.
    at(2, 0);
    follow_index_cursor(ui, c);
    EXPECT_EQ(sjis_to_utf8(d.get_text(INDEX_CURRENT_LINE)), "現在行 3");
    d.press(INDEX_LEVEL_FIRST + 1);
    d.press(INDEX_PAGE_BREAK_CHECK);
    d.type_text(INDEX_NAME, sj("門出の朝"));
    d.press(INDEX_REGISTER);
    ASSERT_EQ(doc.index.size(), 2u);
    EXPECT_EQ(doc.index[1].level, 0x09);
    EXPECT_EQ(rows(d), (std::vector<std::string>{"    1 01 第一章　門出", "    3+└01 門出の朝"}));
    EXPECT_EQ(d.get_selection(INDEX_LIST), 1);
    EXPECT_EQ(d.get_text(INDEX_COUNTER), "  2/2");

    // Unchanged name, answered No: nothing is registered.
    d.press(INDEX_LEVEL_FIRST + 2);
    messages.answer(MSG_RESULT_NO);
    d.press(INDEX_REGISTER);
    EXPECT_EQ(doc.index.size(), 2u);

    // Hiding level 1 leaves the level-2 row alone.
    d.press(INDEX_SHOW_FIRST);
    EXPECT_EQ(rows(d), (std::vector<std::string>{"    3+　01 門出の朝"}));
}

TEST_F(IndexWindowTest, FollowsTheCursorChangesDeletesAndJumps) {
    lines(30);
    doc.index = {{4, 0x00, "A"}, {9, 0x01, "B"}, {19, 0x00, "C"}};
    at(10, 0);
    DialogSession& d = open();
    EXPECT_EQ(d.get_selection(INDEX_LIST), 2);   // the first entry at or after the cursor
    EXPECT_EQ(d.get_text(INDEX_NAME), "C");
    at(9, 1);
    follow_index_cursor(ui, c);
    EXPECT_EQ(d.get_selection(INDEX_LIST), 1);
    EXPECT_TRUE(d.get_check(INDEX_LEVEL_FIRST + 1));
    EXPECT_EQ(d.get_text(INDEX_NAME), "B");

    // 変更 to a level the line has not: told, and done.
    d.type_text(INDEX_NAME, "B2");
    d.press(INDEX_LEVEL_FIRST + 2);
    d.press(INDEX_CHANGE);
    EXPECT_EQ(doc.index[1].title, "B2");
    EXPECT_EQ(doc.index[1].level, 0x02);
    EXPECT_TRUE(messages.saw("元の階層 2 を 3 に変更します。"));

    // Jump to A through the list.
    d.select(INDEX_LIST, 0);
    d.press(INDEX_JUMP);
    EXPECT_EQ(edit.cursor.pos, TextPos(4, 0));
    EXPECT_EQ(d.get_selection(INDEX_LIST), 0);

    // Lines removed by the editor: the list is rebuilt from the entries.
    ASSERT_TRUE(delete_range(c, TextPos(0, 0), TextPos(2, 0), edit.cursor));
    follow_index_cursor(ui, c);
    EXPECT_EQ(rows(d)[0], "    3 01 A");

    // 削除 asks with the 1-based line.
    d.select(INDEX_LIST, 2);
    messages.answer(MSG_RESULT_YES);
    d.press(INDEX_DELETE);
    EXPECT_TRUE(messages.saw("行 18 の索引を削除しますか？"));
    EXPECT_EQ(doc.index.size(), 2u);
    EXPECT_EQ(d.item_count(INDEX_LIST), 2);

    d.press(INDEX_HELP);
    EXPECT_EQ(messages.help_topics, (std::vector<std::string>{"IDX"}));
    d.press(INDEX_CLOSE);
    EXPECT_FALSE(index_window_open(ui));
}

TEST_F(IndexWindowTest, MovesTheSourceSectionBeforeTheSelectedEntryWhenConfirmed) {
    lines(8);
    doc.index = {{0, 0x00, "A"}, {2, 0x00, "B"}, {3, 0x01, "b"}, {5, 0x00, "C"}};
    at(0, 0);
    ASSERT_TRUE(type("Z"));
    ASSERT_NE(journal_state(edit.journal), 0);
    DialogSession& d = open();
    d.select(INDEX_LIST, 1);   // B: the source
    d.select(INDEX_LIST, 0);   // A: the destination
    messages.answer(MSG_RESULT_NO);
    d.press(INDEX_MOVE);
    EXPECT_TRUE(messages.saw("行 3 から 5 を\n行 1 の前に移動しますか？\n（注：索引と同時に本文も移動されます）"));
    EXPECT_EQ(line(0), "ZL1");
    EXPECT_EQ(redraws, 0);

    messages.answer(MSG_RESULT_YES);
    d.select(INDEX_LIST, 1);
    d.select(INDEX_LIST, 0);
    d.press(INDEX_MOVE);
    EXPECT_EQ(line(0), "L3");
    EXPECT_EQ(line(3), "ZL1");
    EXPECT_EQ(journal_state(edit.journal), JOURNAL_CAN_UNDO);   // the move is one step of undo
    EXPECT_EQ(redraws, 1);
    EXPECT_EQ(edit.cursor.pos, TextPos(0, 0));
    EXPECT_EQ(rows(d), (std::vector<std::string>{"    1 01 B", "    2 └01 b", "    4 02 A", "    6 03 C"}));
    EXPECT_EQ(invariant(), "");

    // After a move source and destination are the moved entry: nothing to move.
    d.press(INDEX_MOVE);
    EXPECT_TRUE(messages.saw("移動元と移動先を指定してください。"));
}

}  // namespace
}  // namespace rix::test
