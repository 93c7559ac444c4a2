// The notebook window through the fake dialog host: opening the document's
// .ren with the word at the cursor searched, the list modes, registering
// with today's date, changing with the date question answered both ways,
// deleting, the moves refused while sorted, an article edit refused and
// stored, reopening showing the unsaved notebook, 選帖, the links with the
// structure index, and the notebook written by the save of the close flows.
// Owed: the size button and the blinking (not built).
#include "app/notebook/notebook_window.h"

#include "../editing/edit_fixture.h"
#include "app/index/index_window.h"
#include "platform/fake_dialogs.h"
#include "tests/support/temp_folder.h"

namespace rix::test {
namespace {

const std::string HEADER = "7.11 \x83\x7e\x83\x8b\x83\x67\x83\x41\x8e\xe8\x92\x9f\r\n";
const std::string MARU = "\x81\x42";

struct NotebookWindowTest : EditFixture {
    FakeDialogHost host;
    SettingsState settings;
    TempFolder dir;
    NotebookUi ui;
    NotebookBook book;
    std::vector<std::string> linked;
    std::vector<std::string> chooser_answer;
    int chooser_calls = 0;

    void TearDown() override {
        close_notebook_window(ui);
        EXPECT_TRUE(host.missing.empty());
        EXPECT_EQ(messages.unexpected, 0);
    }
    NotebookServices services() {
        NotebookServices s;
        s.edit = [this](const std::function<void(EditContext&)>& work) {
            work(c);
            return true;
        };
        s.settings = &settings;
        s.state = &state;
        s.document_path = dir.file("novel.txt");
        s.vertical = true;
        s.clock = [] { return NotebookDay{2025, 3, 2}; };
        s.choose_files = [this](const FileChoice&, std::vector<std::string>* paths) {
            ++chooser_calls;
            *paths = chooser_answer;
            return !chooser_answer.empty();
        };
        s.index_link = [this](const std::string& w) { linked.push_back(w); };
        return s;
    }
    DialogSession& open(const std::string& text = {}) {
        DialogHandle h = open_notebook_window(ui, book, services(), text);
        EXPECT_NE(h, 0u);
        DialogSession* s = host.session(h);
        EXPECT_NE(s, nullptr);
        return *s;
    }
    std::vector<std::string> rows(DialogSession& d) {
        std::vector<std::string> out;
        for (int k = 0; k < d.item_count(NOTEBOOK_LIST); ++k) out.push_back(sjis_to_utf8(d.item_text(NOTEBOOK_LIST, k)));
        return out;
    }
    void write_ren(const std::string& body) { dir.write("novel.ren", HEADER + body); }
};

TEST_F(NotebookWindowTest, OpensTheDocumentsFileAndSearchesTheWordAtTheCursor) {
    write_ren(MARU + "250101" + sj("季語　花") + "\r\n" + sj("桜の頃") + "\r\n" + MARU + sj("会議") + "\r\n" + MARU +
              sj("花") + "\r\n");
    build(doc, {sj("花が咲く")});
    at(0, 0);
    DialogSession& d = open();
    EXPECT_EQ(host.opened, (std::vector<std::string>{"NOTEBOOK_0"}));
    EXPECT_EQ(rows(d), (std::vector<std::string>{"季語　花", "会議", "花"}));
    EXPECT_EQ(sjis_to_utf8(d.caption()), "　手 帖 （novel.ren）");
    EXPECT_TRUE(d.is_visible(NOTEBOOK_ARTICLE_V));
    EXPECT_FALSE(d.is_visible(NOTEBOOK_ARTICLE_H));
    EXPECT_FALSE(d.is_enabled(NOTEBOOK_SIZE));
    // The word at the cursor is 花: the first match by its second word, a second one after it.
    EXPECT_EQ(sjis_to_utf8(d.get_text(NOTEBOOK_HEADING)), "花");
    EXPECT_EQ(d.get_selection(NOTEBOOK_LIST), 0);
    EXPECT_EQ(sjis_to_utf8(d.get_text(NOTEBOOK_ARTICLE_V)), "桜の頃\r\n");
    EXPECT_EQ(sjis_to_utf8(d.get_text(NOTEBOOK_SEARCH)), "次 へ");
    d.press(NOTEBOOK_SEARCH);
    EXPECT_EQ(d.get_selection(NOTEBOOK_LIST), 2);
    EXPECT_EQ(sjis_to_utf8(d.get_text(NOTEBOOK_SEARCH)), "検 索");
    // Nothing found: a notice and an empty article box.
    d.type_text(NOTEBOOK_HEADING, sj("雪"));
    d.press(NOTEBOOK_SEARCH);
    EXPECT_TRUE(messages.saw("該当見出しはありません。"));
    EXPECT_EQ(d.get_selection(NOTEBOOK_LIST), -1);
    EXPECT_EQ(d.get_text(NOTEBOOK_ARTICLE_V), "");

    // Mode cycling by double click: dated, sorted up (moves refused), sorted down, plain.
    d.double_click(NOTEBOOK_LIST, 0);
    EXPECT_EQ(rows(d), (std::vector<std::string>{"250101 季語　花", "会議", "花"}));
    EXPECT_EQ(sjis_to_utf8(d.caption()), "　手 帖 ［日付表示］ （novel.ren）");
    EXPECT_EQ(settings.rec.panel_flags & 0x0C, 0x04);
    d.double_click(NOTEBOOK_LIST, 0);
    EXPECT_EQ(rows(d).front(), "250101 季語　花");
    d.press(NOTEBOOK_DOWN);
    EXPECT_TRUE(messages.saw(" 見出しが昇順／降順整列中は移動出来ません。"));
    EXPECT_EQ(book.book.entries[0].heading, "250101" + sj("季語　花"));
    d.double_click(NOTEBOOK_LIST, 0);
    d.double_click(NOTEBOOK_LIST, 0);
    EXPECT_EQ(settings.rec.panel_flags & 0x0C, 0);
    EXPECT_EQ(state.modified & MODIFIED_NOTEBOOK, 0);
}

TEST_F(NotebookWindowTest, RegisterChangeDeleteAndMove) {
    DialogSession& d = open();
    EXPECT_TRUE(rows(d).empty());
    d.type_text(NOTEBOOK_HEADING, sj("会議メモ"));
    d.press(NOTEBOOK_REGISTER);
    ASSERT_EQ(book.book.entries.size(), 1u);
    EXPECT_EQ(book.book.entries[0].heading, "250302" + sj("会議メモ"));
    EXPECT_EQ(rows(d), (std::vector<std::string>{"会議メモ"}));
    EXPECT_NE(state.modified & MODIFIED_NOTEBOOK, 0);

    // A second registration needs a place; the same text is told and registered all the same.
    d.select(NOTEBOOK_LIST, 0);
    d.press(NOTEBOOK_REGISTER);
    EXPECT_TRUE(messages.saw(" 同じ見出しが存在します。"));
    EXPECT_EQ(book.book.entries.size(), 2u);

    // Change: the date question, No keeps the old date, Yes takes today's.
    book.book.entries[0].heading = "240101old";
    d.select(NOTEBOOK_LIST, 1);
    d.select(NOTEBOOK_LIST, 0);
    d.type_text(NOTEBOOK_HEADING, "kept");
    messages.answer(MSG_RESULT_NO);
    d.press(NOTEBOOK_CHANGE);
    EXPECT_TRUE(messages.saw("元の見出しに更新日\n240101 があります。\n現在の日付と置換えますか？"));
    EXPECT_EQ(book.book.entries[0].heading, "240101kept");
    d.type_text(NOTEBOOK_HEADING, "today");
    messages.answer(MSG_RESULT_YES);
    d.press(NOTEBOOK_CHANGE);
    EXPECT_EQ(book.book.entries[0].heading, "250302today");

    // Move down, then delete with the question answered No and Yes.
    d.press(NOTEBOOK_DOWN);
    EXPECT_EQ(book.book.entries[1].heading, "250302today");
    EXPECT_EQ(d.get_selection(NOTEBOOK_LIST), 1);
    messages.answer(MSG_RESULT_NO);
    d.press(NOTEBOOK_DELETE);
    EXPECT_EQ(book.book.entries.size(), 2u);
    messages.answer(MSG_RESULT_YES);
    d.press(NOTEBOOK_DELETE);
    ASSERT_EQ(book.book.entries.size(), 1u);
    EXPECT_EQ(d.get_selection(NOTEBOOK_LIST), 0);  // the previous one, at the end
    messages.answer(MSG_RESULT_YES);
    d.press(NOTEBOOK_DELETE);
    EXPECT_TRUE(book.book.entries.empty());
    d.press(NOTEBOOK_DELETE);
    EXPECT_TRUE(messages.saw(" 削除する見出しを指定してください。"));
    d.press(NOTEBOOK_CHANGE);
    EXPECT_TRUE(messages.saw(" 変更する見出しを指定してください。"));
}

TEST_F(NotebookWindowTest, ArticlesRefusedOrStoredWithTheDateQuestion) {
    write_ren(MARU + "240101a\r\nold\r\n" + MARU + "240101b\r\n");
    DialogSession& d = open();
    d.select(NOTEBOOK_LIST, 0);
    // A line beginning with 。 is refused when the box is left; the old article stays.
    d.type_text(NOTEBOOK_ARTICLE_V, "x\n" + MARU + "y");
    d.select(NOTEBOOK_LIST, 1);
    EXPECT_TRUE(messages.saw(" 行先頭に句点「。」がある為、\n登録出来ませんでした。"));
    EXPECT_EQ(book.book.entries[0].article, "old\r\n");
    EXPECT_EQ(state.modified & MODIFIED_NOTEBOOK, 0);
    // Stored, and the heading's date offered to today: No is remembered for the window's life.
    d.select(NOTEBOOK_LIST, 0);
    d.type_text(NOTEBOOK_ARTICLE_V, "new\nlines");
    messages.answer(MSG_RESULT_NO);
    d.select(NOTEBOOK_LIST, 1);
    EXPECT_EQ(book.book.entries[0].article, "new\r\nlines");
    EXPECT_EQ(book.book.entries[0].heading, "240101a");
    EXPECT_NE(state.modified & MODIFIED_NOTEBOOK, 0);
    d.type_text(NOTEBOOK_ARTICLE_V, "b's");
    d.press(NOTEBOOK_SEARCH);   // leaving the box stores it, not asked again
    EXPECT_EQ(book.book.entries[1].article, "b's");
    EXPECT_EQ(book.book.entries[1].heading, "240101b");

    // Closing keeps the unsaved notebook; reopening shows it, not the file.
    d.press(NOTEBOOK_CLOSE);
    EXPECT_FALSE(notebook_window_open(ui));
    DialogSession& again = open();
    EXPECT_EQ(sjis_to_utf8(book.book.entries[0].article), "new\r\nlines");
    again.select(NOTEBOOK_LIST, 0);
    EXPECT_EQ(again.get_text(NOTEBOOK_ARTICLE_V), "new\r\nlines");
    // A new window asks the date question again; Yes moves the date to today.
    again.type_text(NOTEBOOK_ARTICLE_V, "newer");
    messages.answer(MSG_RESULT_YES);
    again.press(NOTEBOOK_SEARCH);
    EXPECT_EQ(book.book.entries[0].heading, "250302a");

    // The close flows write it whole, with the missing final CR LF.
    ASSERT_TRUE(save_notebook_book(ui, book, state, 0));
    EXPECT_EQ(slurp(dir.file("novel.ren")), HEADER + MARU + "250302a\r\nnewer\r\n" + MARU + "240101b\r\nb's\r\n");
    EXPECT_EQ(state.modified & MODIFIED_NOTEBOOK, 0);
}

// The notebook of an encrypted document is never written in plain text
// beside it, and comes back with the document's key.
TEST_F(NotebookWindowTest, AnEncryptedDocumentsNotebookIsWrittenEnciphered) {
    book.path = dir.file("novel.ren");
    book.loaded = true;
    book.book.entries.push_back({"250302" + sj("秘密の筋書き"), sj("犯人は執事") + "\r\n"});
    state.modified |= MODIFIED_NOTEBOOK;
    state.encrypt = true;
    state.key = "k";
    ASSERT_TRUE(save_notebook_book(ui, book, state, 0));
    const std::string bytes = slurp(dir.file("novel.ren"));
    EXPECT_EQ(bytes.find(sj("犯人")), std::string::npos);
    EXPECT_NE(bytes.substr(0, HEADER.size()), HEADER);
    NotebookBook again;
    load_notebook_book(again, &settings, dir.file("novel.txt"), 0, &state);
    ASSERT_EQ(again.book.entries.size(), 1u);
    EXPECT_EQ(again.book.entries[0].article, sj("犯人は執事") + "\r\n");
}

TEST_F(NotebookWindowTest, ChoosingAnotherFileAndTheIndexLinks) {
    dir.write("other.ren", HEADER + MARU + "elsewhere\r\n");
    DialogSession& d = open();
    d.type_text(NOTEBOOK_HEADING, "unsaved");
    d.press(NOTEBOOK_REGISTER);
    // 選帖: the unsaved notebook is offered for saving first, then the chosen file shows.
    chooser_answer = {dir.file("other.ren")};
    messages.answer(MSG_RESULT_YES);
    d.press(NOTEBOOK_CHOOSE);
    EXPECT_EQ(chooser_calls, 1);
    EXPECT_EQ(slurp(dir.file("novel.ren")), HEADER + MARU + "250302unsaved\r\n");
    EXPECT_EQ(rows(d), (std::vector<std::string>{"elsewhere"}));
    EXPECT_EQ(sjis_to_utf8(d.caption()), "　手 帖 （other.ren）");
    EXPECT_EQ(state.modified & MODIFIED_NOTEBOOK, 0);
    // Back to the default file: asked, Yes, no chooser.
    messages.answer(MSG_RESULT_YES);
    d.press(NOTEBOOK_CHOOSE);
    EXPECT_EQ(chooser_calls, 1);
    EXPECT_EQ(rows(d), (std::vector<std::string>{"unsaved"}));

    // 索引 cycles through the heading box's words.
    d.type_text(NOTEBOOK_HEADING, sj("第一章　門出"));
    d.press(NOTEBOOK_INDEX);
    d.press(NOTEBOOK_INDEX);
    d.press(NOTEBOOK_INDEX);
    EXPECT_EQ(linked, (std::vector<std::string>{sj("第一章"), sj("門出"), sj("第一章")}));
}

TEST_F(NotebookWindowTest, WithoutChooserOrIndexTheirButtonsAreDisabled) {
    NotebookServices s = services();
    s.choose_files = nullptr;
    s.index_link = nullptr;
    s.vertical = false;
    DialogSession& d = *host.session(open_notebook_window(ui, book, std::move(s), {}));
    EXPECT_FALSE(d.is_enabled(NOTEBOOK_CHOOSE));
    EXPECT_FALSE(d.is_enabled(NOTEBOOK_INDEX));
    EXPECT_TRUE(d.is_visible(NOTEBOOK_ARTICLE_H));
    // Typing an article with no heading selected is told once.
    d.type_text(NOTEBOOK_ARTICLE_H, "x");
    d.type_text(NOTEBOOK_ARTICLE_H, "xy");
    EXPECT_TRUE(messages.saw(" 見出しが選択されていません。"));
}

// An article typed before its heading exists is told once and kept: a
// search that finds nothing leaves it, and 登録 files it under the new heading.
TEST_F(NotebookWindowTest, AnArticleTypedBeforeItsHeadingIsKeptByRegistering) {
    DialogSession& d = open();
    d.type_text(NOTEBOOK_ARTICLE_V, "first\nthoughts");
    EXPECT_TRUE(messages.saw(" 見出しが選択されていません。"));
    d.type_text(NOTEBOOK_HEADING, "idea");
    d.press(NOTEBOOK_SEARCH);
    EXPECT_EQ(d.get_text(NOTEBOOK_ARTICLE_V), "first\nthoughts");
    d.press(NOTEBOOK_REGISTER);
    ASSERT_EQ(book.book.entries.size(), 1u);
    EXPECT_EQ(book.book.entries[0].heading, "250302idea");
    EXPECT_EQ(book.book.entries[0].article, "first\r\nthoughts");
    EXPECT_EQ(d.get_selection(NOTEBOOK_LIST), 0);
    ASSERT_TRUE(save_notebook_book(ui, book, state, 0));
    EXPECT_EQ(slurp(dir.file("novel.ren")), HEADER + MARU + "250302idea\r\nfirst\r\nthoughts\r\n");

    // One that cannot be an article is refused with its notice, the heading registered.
    messages.answer(MSG_RESULT_YES);
    d.press(NOTEBOOK_DELETE);
    ASSERT_TRUE(book.book.entries.empty());
    d.type_text(NOTEBOOK_ARTICLE_V, MARU + "x");
    d.type_text(NOTEBOOK_HEADING, "other");
    d.press(NOTEBOOK_REGISTER);
    EXPECT_TRUE(messages.saw(" 行先頭に句点「。」がある為、\n登録出来ませんでした。"));
    ASSERT_EQ(book.book.entries.size(), 1u);
    EXPECT_EQ(d.get_text(NOTEBOOK_ARTICLE_V), MARU + "x");
}

// The structure index's 手帖 button opens the notebook with the entry's name searched.
TEST_F(NotebookWindowTest, TheIndexOpensTheNotebookWithItsName) {
    write_ren(MARU + sj("門出") + "\r\nnote\r\n");
    build(doc, {sj("第一章"), sj("門出")});
    doc.index.push_back(IndexEntry{1, index_level_byte(1, false), sj("門出")});
    IndexUi index_ui;
    IndexServices is;
    is.edit = [this](const std::function<void(EditContext&)>& work) {
        work(c);
        return true;
    };
    is.notebook = [this](const std::string& name) { open_notebook_window(ui, book, services(), name); };
    DialogSession& idx = *host.session(open_index_window(index_ui, is));
    ASSERT_TRUE(idx.is_enabled(INDEX_NOTEBOOK));
    idx.select(INDEX_LIST, 0);
    idx.press(INDEX_NOTEBOOK);
    ASSERT_TRUE(notebook_window_open(ui));
    DialogSession& d = *host.session(ui.handle);
    EXPECT_EQ(d.get_text(NOTEBOOK_HEADING), sj("門出"));
    EXPECT_EQ(d.get_selection(NOTEBOOK_LIST), 0);
    EXPECT_EQ(d.get_text(NOTEBOOK_ARTICLE_V), "note\r\n");
    // And back: the name shown in the index, its entry selected and jumped to.
    at(0, 0);
    show_index_name(index_ui, is, sj("門出"));
    EXPECT_EQ(idx.get_text(INDEX_NAME), sj("門出"));
    EXPECT_EQ(c.edit.cursor.pos.line(), 1u);
    close_index_window(index_ui);
}

}  // namespace
}  // namespace rix::test
