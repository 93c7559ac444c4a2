// 構成索引 (command 404) as the main window runs it: enabled with a document,
// the window opened on the dialog host, an entry registered on a loaded
// document, and the window following the cursor after the main window's
// redraw.
#include <gtest/gtest.h>

#include <memory>

#include "app/window/command_table.h"
#include "app/shell/features.h"
#include "app/settings/default_settings.h"
#include "app/edit/editor.h"
#include "app/index/index_window.h"
#include "app/edit/screen.h"
#include "app/window/shell_events.h"
#include "document/loader.h"
#include "editing/cursor.h"
#include "platform/codec.h"
#include "platform/fake_dialogs.h"
#include "platform/fake_fonts.h"
#include "platform/fake_messages.h"
#include "platform/recording_surface.h"
#include "rix_build_paths.h"
#include "tests/support/command_app.h"
#include "tests/support/temp_folder.h"

namespace rix {
namespace {

struct IndexCommandTest : test::CommandAppTest {
    void TearDown() override { close_document(&app.doc, false); }
};

TEST_F(IndexCommandTest, OpensTheWindowWhichFollowsTheCursorOfTheMainWindow) {
    CommandTable& commands = shell->commands();
    EXPECT_FALSE(commands.enabled(COMMAND_INDEX));   // no document yet
    const std::string path = dir.write("章.txt", utf8_to_sjis("序\r\n第一章\r\n本文\r\n"));
    ASSERT_TRUE(open_document_file(&app.doc, path, 0));
    app.doc.save_name = path;
    load_into_application(app);
    start_editing(app);
    app.startup_done = true;
    app.hooks.rebuild_screen(app);
    ASSERT_TRUE(commands.enabled(COMMAND_INDEX));
    EXPECT_EQ(commands.topic(COMMAND_INDEX), "IDX");

    ASSERT_TRUE(commands.run(COMMAND_INDEX));
    ASSERT_EQ(dialogs.opened, (std::vector<std::string>{"INDEX_WIN"}));
    DialogSession* d = dialogs.session(1);   // the host's first handle
    ASSERT_NE(d, nullptr);
    run_edit(app, [](EditContext& c) { place_cursor(c, TextPos(1, 0)); });
    EXPECT_EQ(sjis_to_utf8(d->get_text(INDEX_CURRENT_LINE)), "現在行 2");
    messages.answer(MSG_RESULT_YES);
    d->press(INDEX_REGISTER);
    ASSERT_EQ(app.loaded->document.index.size(), 1u);
    EXPECT_EQ(app.loaded->document.index[0].title, utf8_to_sjis("第一章"));
    EXPECT_NE(app.doc.modified & MODIFIED_EXTENSION, 0);

    // Opening it again brings the same window forward.
    ASSERT_TRUE(commands.run(COMMAND_INDEX));
    EXPECT_EQ(dialogs.opened.size(), 1u);
    run_edit(app, [](EditContext& c) { place_cursor(c, TextPos(2, 0)); });
    EXPECT_EQ(sjis_to_utf8(d->get_text(INDEX_CURRENT_LINE)), "現在行 3");
    d->press(INDEX_CLOSE);
    EXPECT_EQ(dialogs.session(1), nullptr);
}

// 移動音: with the desktop's beep the switch is offered, and when it is on
// the window beeps as it follows the cursor to an entry.
TEST_F(IndexCommandTest, MoveSoundBeepsWhenTheWindowFollowsToAnEntry) {
    const std::string path = dir.write("章.txt", utf8_to_sjis("序\r\n第一章\r\n本文\r\n第二章\r\n"));
    ASSERT_TRUE(open_document_file(&app.doc, path, 0));
    app.doc.save_name = path;
    load_into_application(app);
    start_editing(app);
    app.startup_done = true;
    app.hooks.rebuild_screen(app);
    int beeps = 0;
    app.window.beep = [&beeps] { ++beeps; };
    ASSERT_TRUE(shell->commands().run(COMMAND_INDEX));
    DialogSession* d = dialogs.session(1);
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(d->is_enabled(INDEX_SOUND));
    d->press(INDEX_SOUND);
    EXPECT_EQ(app.settings.rec.index_move_sound, 1);
    run_edit(app, [](EditContext& c) { place_cursor(c, TextPos(1, 0)); });
    messages.answer(MSG_RESULT_YES);
    d->press(INDEX_REGISTER);
    const int before = beeps;
    run_edit(app, [](EditContext& c) { place_cursor(c, TextPos(2, 0)); });
    run_edit(app, [](EditContext& c) { place_cursor(c, TextPos(1, 0)); });
    EXPECT_GT(beeps, before);
    d->press(INDEX_CLOSE);
}

}  // namespace
}  // namespace rix
