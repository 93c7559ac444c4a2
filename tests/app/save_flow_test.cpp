// Saving from the shell: the save question, 上書き保存, 名前を付けて保存
// (a new name, an existing name, the write-out instead), and the writing
// options dialog through the fake host.
//
// Tests still owed: the exit flow of a new document through these hooks.
#include "app/documents/save_flow.h"

#include <gtest/gtest.h>

#include "app/documents/write_out_dialog.h"
#include "platform/codec.h"
#include "platform/fake_dialogs.h"
#include "platform/fake_messages.h"
#include "platform/files.h"
#include "tests/support/temp_folder.h"

namespace rix {
namespace {

using test::slurp;

std::string sj(std::string_view utf8) { return utf8_to_sjis(utf8); }

struct SaveFlowTest : ::testing::Test {
    FakeMessages messages;
    FakeWindowHost host;
    test::TempFolder dir;
    Application app;
    int after_saves = 0;

    void SetUp() override {
        app.save_flow.after_save = [this](Application&) { ++after_saves; };
        app.host = &host;
        app.loaded = std::make_unique<LoadedDocument>(std::string(), UINT64_MAX);
        install_save_hooks(app);
    }
    void TearDown() override {
        close_document(&app.doc, false);
    }
    void open(const std::string& name, const std::string& text) {
        std::string path = dir.write(name, text);
        ASSERT_TRUE(open_document_file(&app.doc, path, 0));
        app.doc.save_name = path;
        load_into_application(app);
    }
};

TEST_F(SaveFlowTest, QuestionNamesWhatChanged) {
    app.doc.modified = MODIFIED_TEXT;
    messages.answer(MSG_RESULT_YES);
    EXPECT_EQ(save_question(app, false), MSG_RESULT_YES);
    EXPECT_EQ(messages.utf8(0), "文書が更新されています｡\n保存しますか？");
    EXPECT_EQ(messages.log[0].kind & 0xFF, MSG_YES_NO_CANCEL);
    app.doc.modified = MODIFIED_TEXT | MODIFIED_EXTENSION;
    messages.answer(MSG_RESULT_NO);
    EXPECT_EQ(save_question(app, false), MSG_RESULT_NO);
    EXPECT_TRUE(messages.saw("文書と拡張ﾃﾞｰﾀが更新"));
    // Only the notebook: its own question, then nothing else to save.
    app.doc.modified = MODIFIED_NOTEBOOK;
    messages.answer(MSG_RESULT_YES);
    EXPECT_EQ(save_question(app, false), MSG_RESULT_NO);
    // Converted while reading, at a close: いいえ closes without saving and
    // 取消 goes back to the document; of a chosen save, いいえ saves nothing.
    app.doc.modified = MODIFIED_TEXT | MODIFIED_CONVERTED;
    messages.answer(MSG_RESULT_NO);
    EXPECT_EQ(save_question(app, false), MSG_RESULT_NO);
    EXPECT_EQ(messages.log.back().kind & 0xFF, MSG_YES_NO_CANCEL);
    EXPECT_TRUE(messages.saw("「いいえ」　保存せずに閉じます"));
    messages.answer(MSG_RESULT_CANCEL);
    EXPECT_EQ(save_question(app, false), MSG_RESULT_CANCEL);
    messages.answer(MSG_RESULT_YES);
    messages.answer(MSG_RESULT_NO);
    EXPECT_EQ(save_question(app, false), MSG_RESULT_NO);   // はい, then the save question's いいえ
    messages.answer(MSG_RESULT_NO);
    EXPECT_EQ(save_question(app, true), MSG_RESULT_NO);
    EXPECT_EQ(messages.log.back().kind & 0xFF, MSG_YES_NO);
    EXPECT_EQ(messages.unexpected, 0);
}

// A file the load changed: told once, and 上書き保存 asks before it writes
// over the original; No leaves the file as it was.
TEST_F(SaveFlowTest, AConvertedFileAsksBeforeItIsSavedOver) {
    const std::string text = std::string("a\r\nb\xFD") + "c\r\n";
    open("odd.txt", text);
    EXPECT_TRUE(messages.saw("1バイトを変換しました"));
    messages.answer(MSG_RESULT_NO);
    EXPECT_EQ(menu_save(app), SaveResult::Nothing);
    EXPECT_TRUE(messages.saw("読込み変換処理が実行されています"));
    EXPECT_EQ(slurp(app.doc.save_name), text);
    messages.answer(MSG_RESULT_YES);
    EXPECT_EQ(menu_save(app), SaveResult::Saved);
    EXPECT_EQ(slurp(app.doc.save_name), std::string("a\r\nbc\r\n\x1A"));
    EXPECT_EQ(messages.unexpected, 0);
}

// A UTF-8 manuscript shows its encoding in the title; --encoding changes
// the form a save writes.
// Leaving a converted document: one いいえ leaves without saving (the quit
// is not cancelled), and the file stays as it was.
TEST_F(SaveFlowTest, DecliningToSaveAConvertedDocumentAtExitLeavesWithoutSaving) {
    const std::string text = std::string("a\r\nb\xFD") + "c\r\n";
    open("odd.txt", text);
    app.doc.modified |= MODIFIED_TEXT;
    const std::size_t before = messages.log.size();
    messages.answer(MSG_RESULT_NO);
    EXPECT_EQ(exit_application(app, false), Flow::End);
    EXPECT_EQ(messages.log.size(), before + 1);   // one question
    EXPECT_EQ(slurp(app.doc.save_name), text);
    EXPECT_EQ(messages.unexpected, 0);
}

TEST_F(SaveFlowTest, AUtf8DocumentNamesItsEncodingAndConvertsOnRequest) {
    open("utf8.txt", "\xEF\xBB\xBF縦書き\n");
    EXPECT_EQ(document_window_title(app), app.doc.save_name + " [UTF-8 BOM付き]");
    TextForm& form = app.loaded->document.load.form;
    convert_form(form, "sjis");
    EXPECT_EQ(form.encoding, TextEncoding::SHIFT_JIS);
    EXPECT_FALSE(form.bom);
    EXPECT_TRUE(form.end_mark);
    EXPECT_EQ(form.line_end, LineEndStyle::LF);
    EXPECT_EQ(document_window_title(app), app.doc.save_name);
    app.doc.modified = MODIFIED_TEXT;
    EXPECT_EQ(menu_save(app), SaveResult::Saved);
    EXPECT_EQ(slurp(app.doc.save_name), sj("縦書き") + "\n\x1A");
}

TEST_F(SaveFlowTest, MenuSaveWritesAndTellsTheHistory) {
    open("m.txt", "abc\r\n");
    EXPECT_EQ(menu_save(app), SaveResult::Nothing);
    EXPECT_TRUE(messages.saw("文書は変更されていません"));
    EXPECT_EQ(after_saves, 0);
    app.doc.modified = MODIFIED_EXTENSION;
    app.settings.rec.current_screen_format = 2;   // the extension file now keeps something
    EXPECT_EQ(menu_save(app), SaveResult::Saved);
    EXPECT_TRUE(messages.saw("上書保存しました"));
    EXPECT_EQ(after_saves, 1);
    EXPECT_EQ(slurp(dir.file("m.rix")).size(), 128u);
    EXPECT_EQ(slurp(dir.file("m.txt")), "abc\r\n\x1A");
    EXPECT_TRUE(is_read_only(dir.file("m.txt")));   // editing goes on under the mark
}

// The hook the exit and switch flows call tells "nothing to save" from a
// failure: only a failure stops them.
TEST_F(SaveFlowTest, TheSaveHookReportsNothingToSaveAsNothing) {
    open("n.txt", "abc\r\n");
    app.settings.rec.restore_flags = 0;
    EXPECT_EQ(app.hooks.save_document(app), SaveResult::Nothing);
    app.doc.modified = MODIFIED_TEXT;
    EXPECT_EQ(app.hooks.save_document(app), SaveResult::Saved);   // and the mark is given up
    EXPECT_EQ(after_saves, 1);
}

TEST_F(SaveFlowTest, SaveAsTakesTheNewNameAndGivesTheOldMarkBack) {
    open("old.txt", sj("本文\r\n"));
    host.choices.push_back({CHOSEN_NEW_NAME, dir.file("new.txt")});
    EXPECT_EQ(app.hooks.save_as(app), SaveResult::Saved);
    EXPECT_EQ(app.doc.save_name, dir.file("new.txt"));
    EXPECT_EQ(slurp(dir.file("new.txt")), sj("本文\r\n") + "\x1A");
    EXPECT_FALSE(is_read_only(dir.file("old.txt")));
    EXPECT_TRUE(is_read_only(dir.file("new.txt")));
    EXPECT_FALSE(file_exists(dir.file("new.bak")));
    EXPECT_NE(host.title.find(sj("new.txt")), std::string::npos);
    // An existing file is overwritten only after Yes.
    dir.write("other.txt", "keep");
    host.choices.push_back({CHOSEN_EXISTING, dir.file("other.txt")});
    messages.answer(MSG_RESULT_NO);
    EXPECT_EQ(save_as(app), SaveResult::Nothing);
    EXPECT_EQ(slurp(dir.file("other.txt")), "keep");
    EXPECT_TRUE(messages.saw("既に存在する文書です"));
    host.choices.clear();
    EXPECT_EQ(save_as(app), SaveResult::Nothing);   // cancelled
}

TEST_F(SaveFlowTest, SaveAsWithWritingOptionsWritesOut) {
    open("r.txt", sj("漢字《かんじ》\r\n"));
    app.reading.rubies = true;
    load_into_application(app);
    app.save_flow.writing.rubies = true;
    host.choices.push_back({CHOSEN_NEW_NAME, dir.file("out.txt")});
    EXPECT_EQ(save_as(app), SaveResult::Saved);
    EXPECT_EQ(slurp(dir.file("out.txt")), sj("漢字《かんじ》\r\n") + "\x1A");
    EXPECT_EQ(app.doc.save_name, dir.file("r.txt"));   // nothing else changes
    EXPECT_TRUE(messages.saw("に書出し終了しました"));
}

TEST(WriteOutDialogTest, StoresTheOptionsAndTheNotation) {
    FakeDialogHost host;
    FakeMessages messages;
    SettingsState settings;
    WritingOptions writing;
    store_field(settings.rec.line_id_symbol, 3, sj("◆"));
    host.script([](DialogSession& d) {
        EXPECT_TRUE(d.get_check(143));   // a stored 0 shows 《》
        EXPECT_FALSE(d.is_enabled(130));
        EXPECT_FALSE(d.is_enabled(WRITE_OUT_ENCRYPT));
        d.press(100);
        d.type_text(130, "#");
        d.press(1);                       // refused: one byte
        EXPECT_FALSE(d.ended());
        d.type_text(130, "##");
        d.press(120);
        d.press(141);
        d.press(1);
    });
    EXPECT_EQ(run_write_out_dialog(&settings, &writing, 0), DIALOG_OK);
    EXPECT_TRUE(messages.saw("行識別記号の長さは２バイトです"));
    EXPECT_TRUE(writing.index && writing.rubies && !writing.line_info);
    EXPECT_EQ(settings.rec.ruby_notation, 1);
    EXPECT_EQ(std::string(read_field(settings.rec.line_id_symbol, 3)), "##");
    EXPECT_TRUE(settings.changed);
    EXPECT_TRUE(host.missing.empty());
}

}  // namespace
}  // namespace rix
