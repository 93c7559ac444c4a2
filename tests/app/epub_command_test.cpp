// ＥＰＵＢファイル出力 (command 502) and EPUB 出力 → of the print settings as
// the main window runs them: EPUB_DB first, then the book written where the
// dialog said, with the texts it was given; a closed EPUB_DB writes nothing
// and, inside the print settings, keeps them open.
// Owed: the reader opened after the final question (platform/shell).
#include <gtest/gtest.h>

#include <memory>

#include "app/command_table.h"
#include "app/commands/features.h"
#include "app/default_settings.h"
#include "app/editor.h"
#include "app/epub_dialog.h"
#include "app/print_set_dialog.h"
#include "app/screen.h"
#include "app/shell_events.h"
#include "document/document_state.h"
#include "platform/codec.h"
#include "platform/fake_dialogs.h"
#include "platform/fake_fonts.h"
#include "platform/fake_messages.h"
#include "platform/recording_surface.h"
#include "tests/support/temp_folder.h"

namespace rix {
namespace {

std::string sj(std::string_view utf8) { return utf8_to_sjis(utf8); }

struct EpubCommandTest : ::testing::Test {
    FakeMessages messages;
    FakeDialogHost dialogs;
    FakeWindowHost host;
    FakeFonts fonts;
    test::TempFolder dir;
    Application app;
    ScreenState screen;
    RecordingSurface surface{800, 600};
    MenuTables menus;
    std::unique_ptr<ShellEvents> shell;
    std::string book;

    void SetUp() override {
        build_default_settings(&app.settings.rec);
        app.host = &host;
        app.paths.program_folder = dir.path();
        app.loaded = std::make_unique<LoadedDocument>(std::string(), UINT64_MAX);
        app.hooks.rebuild_screen = [this](Application& a) {
            rebuild_screen(a, screen, &surface, {}, fonts);
            editing_after_rebuild(a, screen);
        };
        shell = std::make_unique<ShellEvents>(app, nullptr, menus);
        app.window.screen = &screen;
        app.window.show_surface = [] {};
        install_features(app);
        std::string text;
        for (int i = 0; i < 60; ++i) text += sj("ある日の暮方の事である。一人の下人が、羅生門の下で雨やみを待っていた。\r\n");
        const std::string path = dir.write("羅生門.txt", text);
        ASSERT_TRUE(open_document_file(&app.doc, path, 0));
        app.doc.save_name = path;
        load_into_application(app);
        start_editing(app);
        app.startup_done = true;
        app.hooks.rebuild_screen(app);
        book = dir.file("羅生門.epub");
    }
    void TearDown() override { close_document(&app.doc, false); }
    CommandTable& commands() { return shell->commands(); }
};

TEST_F(EpubCommandTest, TheMenuCommandWritesTheBookEpubDbDescribes) {
    EXPECT_TRUE(commands().enabled(COMMAND_EPUB));
    dialogs.script([](DialogSession& d) { d.press(2); });
    ASSERT_TRUE(commands().run(COMMAND_EPUB));          // closed: nothing written
    EXPECT_FALSE(file_exists(book));

    dialogs.script([this](DialogSession& d) {
        EXPECT_EQ(d.get_text(EPUB_DB_PATH), utf8_to_sjis(book));
        d.type_text(EPUB_DB_CREATOR, sj("芥川"));
        d.press(1);
    });
    messages.answer(MSG_RESULT_NO);                     // not shown in a reader
    ASSERT_TRUE(commands().run(COMMAND_EPUB));
    const std::string bytes = test::slurp(book);
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(bytes.substr(0, 4), std::string("PK\x03\x04", 4));
    EXPECT_NE(bytes.find("mimetype"), std::string::npos);
    EXPECT_TRUE(messages.saw("を作成しました。"));
    EXPECT_EQ(app.epub.metadata.creator, sj("芥川"));
    EXPECT_EQ(app.epub.path, book);
    EXPECT_NE(test::slurp(dir.file("Rix.ini")).find("Creator=" + sj("芥川")), std::string::npos);
    EXPECT_TRUE(app.settings.changed);
}

TEST_F(EpubCommandTest, AClosedEpubDbKeepsThePrintSettingsOpen) {
    dialogs.script([this](DialogSession& d) {
        d.press(PRINT_SET_TITLE_FIRST + 2);             // the print title is printed: its edit opens
        d.type_text(PRINT_SET_PRINT_TITLE, sj("今昔物語より"));
        d.press(PRINT_SET_EPUB);
        EXPECT_FALSE(d.ended());                        // EPUB_DB closed: back to the settings
        EXPECT_FALSE(file_exists(book));
        d.press(PRINT_SET_EPUB);
    });
    dialogs.script([](DialogSession& d) { d.press(2); });
    dialogs.script([](DialogSession& d) {
        // The print title just typed in the settings is the description.
        EXPECT_EQ(d.get_text(EPUB_DB_DESCRIPTION), sj("今昔物語より"));
        d.press(1);
    });
    messages.answer(MSG_RESULT_NO);
    ASSERT_TRUE(commands().run(COMMAND_PRINT));
    EXPECT_EQ(dialogs.opened, (std::vector<std::string>{"PRINT_SET", "EPUB_DB", "EPUB_DB"}));
    const std::string bytes = test::slurp(book);
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(bytes.substr(0, 4), std::string("PK\x03\x04", 4));
    EXPECT_EQ(app.epub.metadata.description, sj("今昔物語より"));
    EXPECT_FALSE(messages.saw("この版ではできません"));
}

}  // namespace
}  // namespace rix
