// 手 帖 (command 403) as the main window runs it: enabled with a document,
// NOTEBOOK_0 opened with the document's .ren, and the notebook written by
// 上書き保存 of the document and by the exit flow's question (an article
// still in the box stored first), and stopping the exit when it cannot be written.
#include <gtest/gtest.h>

#include <memory>

#include "app/window/command_table.h"
#include "app/shell/features.h"
#include "app/settings/default_settings.h"
#include "app/edit/editor.h"
#include "app/notebook/notebook_window.h"
#include "app/documents/save_flow.h"
#include "app/edit/screen.h"
#include "app/window/shell_events.h"
#include "document/loader.h"
#include "platform/codec.h"
#include "platform/fake_dialogs.h"
#include "platform/fake_fonts.h"
#include "platform/fake_messages.h"
#include "platform/recording_surface.h"
#include "tests/support/command_app.h"
#include "tests/support/temp_folder.h"

namespace rix {
namespace {

const std::string HEADER = "7.11 \x83\x7e\x83\x8b\x83\x67\x83\x41\x8e\xe8\x92\x9f\r\n";

struct NotebookCommandTest : test::CommandAppTest {
    void SetUp() override {
        CommandAppTest::SetUp();
        install_save_hooks(app);
    }
    void TearDown() override {
        close_document(&app.doc, false);
        EXPECT_EQ(messages.unexpected, 0);
    }
    DialogSession* open_document_and_notebook() {
        const std::string path = dir.write("novel.txt", utf8_to_sjis("花\r\n"));
        EXPECT_TRUE(open_document_file(&app.doc, path, 0));
        app.doc.save_name = path;
        load_into_application(app);
        start_editing(app);
        app.startup_done = true;
        app.hooks.rebuild_screen(app);
        EXPECT_TRUE(shell->commands().enabled(COMMAND_NOTEBOOK));
        EXPECT_EQ(shell->commands().topic(COMMAND_NOTEBOOK), "NOTE");
        EXPECT_TRUE(shell->commands().run(COMMAND_NOTEBOOK));
        EXPECT_EQ(dialogs.opened, (std::vector<std::string>{"NOTEBOOK_0"}));
        return dialogs.session(1);
    }
};

TEST_F(NotebookCommandTest, TheExitFlowWritesTheChangedNotebook) {
    EXPECT_FALSE(shell->commands().enabled(COMMAND_NOTEBOOK));   // no document yet
    DialogSession* d = open_document_and_notebook();
    ASSERT_NE(d, nullptr);
    d->type_text(NOTEBOOK_HEADING, "idea");
    d->press(NOTEBOOK_REGISTER);
    ASSERT_NE(app.doc.modified & MODIFIED_NOTEBOOK, 0);
    const std::string today = date_code(notebook_today());
    // 上書き保存 of the document writes its notebook too.
    EXPECT_EQ(menu_save(app), SaveResult::Saved);
    EXPECT_EQ(app.doc.modified & MODIFIED_NOTEBOOK, 0);
    EXPECT_EQ(test::slurp(dir.file("novel.ren")), HEADER + "\x81\x42" + today + "idea\r\n");

    d->type_text(d->is_visible(NOTEBOOK_ARTICLE_V) ? NOTEBOOK_ARTICLE_V : NOTEBOOK_ARTICLE_H, "written");
    messages.answer(MSG_RESULT_YES);   // 手帖データが更新されています。
    EXPECT_EQ(exit_application(app, false), Flow::End);
    EXPECT_TRUE(messages.saw("手帖データが更新されています。\n保存しますか？"));
    EXPECT_EQ(test::slurp(dir.file("novel.ren")), HEADER + "\x81\x42" + today + "idea\r\nwritten\r\n");
    EXPECT_EQ(app.doc.modified & MODIFIED_NOTEBOOK, 0);
}

// An article still in its box and an unchanged document: 上書き保存 stores
// the article and writes the notebook all the same.
TEST_F(NotebookCommandTest, SavingTheDocumentWritesTheArticleInTheBox) {
    const std::string path = dir.write("novel.ren", HEADER + "\x81\x42" + "idea\r\n");
    DialogSession* d = open_document_and_notebook();
    ASSERT_NE(d, nullptr);
    d->select(NOTEBOOK_LIST, 0);
    d->type_text(d->is_visible(NOTEBOOK_ARTICLE_V) ? NOTEBOOK_ARTICLE_V : NOTEBOOK_ARTICLE_H, "kept");
    menu_save(app);
    EXPECT_EQ(test::slurp(path), HEADER + "\x81\x42" + "idea\r\nkept\r\n");
    EXPECT_EQ(app.doc.modified & MODIFIED_NOTEBOOK, 0);
    // Nothing left for the question at the end.
    EXPECT_EQ(exit_application(app, false), Flow::End);
    EXPECT_FALSE(messages.saw("手帖データが更新されています。"));
}

TEST_F(NotebookCommandTest, AFailedWriteStopsTheExit) {
    DialogSession* d = open_document_and_notebook();
    ASSERT_NE(d, nullptr);
    d->type_text(NOTEBOOK_HEADING, "idea");
    d->press(NOTEBOOK_REGISTER);
    ::mkdir(dir.file("novel.ren").c_str(), 0700);   // a folder where the file should go
    messages.answer(MSG_RESULT_YES);
    EXPECT_EQ(exit_application(app, false), Flow::Continue);
    EXPECT_TRUE(messages.saw("に書き込めませんでした。"));
    EXPECT_NE(app.doc.modified & MODIFIED_NOTEBOOK, 0);
    // Answered No: the writer lets it go.
    messages.answer(MSG_RESULT_NO);
    EXPECT_EQ(exit_application(app, false), Flow::End);
}

}  // namespace
}  // namespace rix
