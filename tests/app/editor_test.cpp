// The editing layer as the main window drives it: keys, typed text and the
// edit commands through the command table, the screen following every change,
// and a save that keeps every byte.
#include "app/edit/editor.h"

#include <gtest/gtest.h>

#include "app/window/command_table.h"
#include "app/shell/features.h"
#include "app/window/shell_events.h"
#include "app/settings/default_settings.h"
#include "app/edit/ruby_dialog.h"
#include "app/window/trace_dialog.h"
#include "app/documents/save_flow.h"
#include "editing/dispatch.h"
#include "editing/edit_text.h"
#include "platform/codec.h"
#include "platform/fake_dialogs.h"
#include "platform/fake_fonts.h"
#include "platform/fake_messages.h"
#include "platform/files.h"
#include "platform/recording_surface.h"
#include "platform/virtual_keys.h"
#include "tests/support/temp_folder.h"

namespace rix {
namespace {

std::string sj(std::string_view utf8) { return utf8_to_sjis(utf8); }

struct EditorTest : ::testing::Test {
    FakeMessages messages;
    FakeWindowHost host;
    FakeFonts fonts;
    FakeClipboard clipboard;
    test::TempFolder dir;
    Application app;
    ScreenState screen;
    RecordingSurface surface{800, 600};
    MenuTables menus;
    std::unique_ptr<ShellEvents> shell;
    CommandTable* commands_ = nullptr;
    int invalidated = 0;
    std::string path;

    void SetUp() override {
        build_default_settings(&app.settings.rec);
        app.host = &host;
        app.loaded = std::make_unique<LoadedDocument>(std::string(), UINT64_MAX);
        install_save_hooks(app);
        app.hooks.rebuild_screen.set([this](Application& a) {
            rebuild_screen(a, screen, &surface, {}, fonts);
            editing_after_rebuild(a, screen);
        });
        shell = std::make_unique<ShellEvents>(app, nullptr, menus);
        app.window.screen = &screen;
        app.window.clipboard = &clipboard;
        app.window.show_surface = [this] { ++invalidated; };
        install_features(app);
    }
    void TearDown() override { close_document(&app.doc, false); }
    CommandTable& commands() { return shell->commands(); }
    void open(const std::string& text) {
        path = dir.write("原稿.txt", text);
        ASSERT_TRUE(open_document_file(&app.doc, path, 0));
        app.doc.save_name = path;
        load_into_application(app);
        start_editing(app);
        app.startup_done = true;
        app.hooks.rebuild_screen(app);
        ASSERT_TRUE(screen.screen.geo.computed());
    }
    EditState& edit() { return app.loaded->edit; }
    std::string saved() {
        EXPECT_EQ(app.hooks.save_document(app), SaveResult::Saved);
        std::string s;
        read_whole_file(path, &s);
        return s;
    }
};

TEST_F(EditorTest, TypingMovingAndUndoReachTheDocumentAndTheScreen) {
    const std::string text = sj("一行目の本文です。\r\n二行目。\r\n");
    open(text);
    ASSERT_TRUE(commands().dispatch_key);
    // In vertical writing ↓ is the next character.
    commands().dispatch_key(VK_DOWN, 0);
    commands().dispatch_key(VK_DOWN, 0);
    EXPECT_EQ(edit().cursor.pos, TextPos(0, 4));
    EXPECT_EQ(app.loaded->cursor, TextPos(0, 4));
    commands().type_characters(sj("新"));
    commands().type_characters("ab");
    EXPECT_GT(invalidated, 0);
    EXPECT_EQ(screen.screen.cursor, edit().cursor.pos);
    EXPECT_TRUE(commands().enabled(200));
    EXPECT_FALSE(commands().enabled(201));
    // Enter splits the line; undo everything back to the file's bytes.
    commands().dispatch_key(VK_RETURN, 0);
    EXPECT_EQ(app.loaded->document.lines.count(), 4u);
    while (commands().enabled(200)) ASSERT_TRUE(commands().run(200));
    EXPECT_TRUE(commands().enabled(201));
    EXPECT_EQ(app.loaded->document.lines.count(), 3u);
    std::string s = saved();
    EXPECT_EQ(s.substr(0, text.size()), text);
}

// What the load reported before a question of the load reaches the writer
// before the question, in the order it arose; what it reported after, after.
TEST_F(EditorTest, LoadNoticesAndQuestionsKeepTheirOrder) {
    app.reading.rubies = true;
    std::string text;
    for (int k = 0; k < 40; ++k) text += "吾輩は猫である。\n";
    text += sj("漢《あいうえおかきくけこさしすせそたちつてとなにぬねの》\r\n字《じ》");
    messages.answer(MSG_RESULT_NO);
    open(text);
    ASSERT_EQ(messages.log.size(), 3u);
    EXPECT_EQ(messages.log[0].kind, MSG_NOTICE);
    EXPECT_TRUE(messages.utf8(0).find("バイト目にUTF-8として正しくないバイト列があります") != std::string::npos)
        << messages.utf8(0);
    EXPECT_EQ(messages.log[1].kind, MSG_YES_NO);
    EXPECT_TRUE(messages.utf8(1).find("この後もルビの変換を実行しますか？") != std::string::npos);
    EXPECT_EQ(messages.log[2].kind, MSG_NOTICE);
    EXPECT_TRUE(messages.utf8(2).find("変換しました") != std::string::npos) << messages.utf8(2);
    EXPECT_EQ(messages.unexpected, 0);
    // The answer holds for the rest of the load: the ruby after it stays text.
    EXPECT_EQ(app.loaded->document.lines.count(), 42u);
}

TEST_F(EditorTest, MarkCutAndPasteThroughTheClipboard) {
    open(sj("あいうえお\r\n"));
    EXPECT_FALSE(commands().run(202) && clipboard.has_text);   // nothing marked: only the notice
    EXPECT_TRUE(messages.saw("ｼﾌﾄ+ｶｰｿﾙｷｰ"));
    commands().dispatch_key(VK_DOWN, KEY_FLAG_SHIFT);
    commands().dispatch_key(VK_DOWN, KEY_FLAG_SHIFT);
    ASSERT_TRUE(edit().mark.on);
    ASSERT_TRUE(commands().run(202));
    EXPECT_EQ(clipboard.text, "あい");
    EXPECT_FALSE(edit().mark.on);
    commands().dispatch_key(VK_END, 0);
    ASSERT_TRUE(commands().run(205));
    std::string s = saved();
    EXPECT_EQ(s.substr(0, 12), sj("うえおあい\r\n"));
}

TEST_F(EditorTest, ReadIntoLineTextIsMadeSafe) {
    EXPECT_EQ(insertable_file_text(std::string("a\nb\r\nc\x1A\xFF", 9)), "a\r\nb\r\nc");
    EXPECT_EQ(insertable_file_text(std::string("\x88\x9F\x88", 3)), std::string("\x88\x9F\x81\xAC", 4));
    open(sj("本文\r\n"));
    ASSERT_TRUE(app.hooks.insert_text);
    ASSERT_TRUE(app.hooks.insert_text(app, sj("挿入\n")));
    EXPECT_EQ(saved().substr(0, 12), sj("挿入\r\n本文\r\n"));
}

TEST_F(EditorTest, JumpsToTheEndsAndToAJumpStringRunFromTheCommandTable) {
    open(sj("一行目\r\n二行目の山\r\n三行目\r\n"));
    ASSERT_TRUE(commands().run(314));
    EXPECT_EQ(edit().cursor.pos.line(), 3u);
    ASSERT_TRUE(commands().run(313));
    EXPECT_EQ(edit().cursor.pos, TextPos(0, 0));
    app.settings.rec.marks_on_digit_keys = 0;
    app.loaded->extension.header.jumps[0] = sj("山");
    ASSERT_TRUE(commands().run(321));   // Ctrl+1: jump string 1 towards the end
    EXPECT_EQ(edit().cursor.pos.line(), 1u);
    EXPECT_EQ(screen.screen.cursor, edit().cursor.pos);
    EXPECT_TRUE(commands().enabled(350));    // previous and next tag
    EXPECT_TRUE(commands().run(351));        // no tag after the cursor: it stays
    EXPECT_EQ(edit().cursor.pos.line(), 1u);
}

TEST_F(EditorTest, TheTraceTellsTheCursorTheMarkingAndTheJournalAndCopiesItself) {
    open(sj("あいう\r\nえお\r\n"));
    commands().dispatch_key(VK_LEFT, 0);   // the next display line in vertical writing
    commands().dispatch_key(VK_DOWN, KEY_FLAG_SHIFT);
    const std::string t = trace_text(app);
    EXPECT_NE(t.find("カーソル：2 行 2 桁"), std::string::npos) << t;
    EXPECT_NE(t.find("マーク：2 行 0 桁 〜 2 行 2 桁"), std::string::npos) << t;
    EXPECT_NE(t.find("元に戻す：できない"), std::string::npos) << t;
    FakeDialogHost dialogs;
    dialogs.script([](DialogSession& d) {
        EXPECT_NE(sjis_to_utf8(d.get_text(100)).find("論理行：3（全部読込済み）"), std::string::npos);
        d.press(3);
        d.press(1);
    });
    show_trace(app, &clipboard);
    EXPECT_EQ(clipboard.text, t);
}

TEST_F(EditorTest, ARubyAddedToAMarkedWordIsUndoneRedoneAndSavedWithTheDocument) {
    open(sj("昔の漢字です\r\n"));
    commands().dispatch_key(VK_DOWN, 0);
    commands().dispatch_key(VK_DOWN, 0);
    commands().dispatch_key(VK_DOWN, KEY_FLAG_SHIFT);
    commands().dispatch_key(VK_DOWN, KEY_FLAG_SHIFT);
    ASSERT_TRUE(edit().mark.on);
    FakeDialogHost dialogs;
    dialogs.script([](DialogSession& d) {
        d.type_text(RUBY_TEXT_EDIT, sj("かんじ"));
        d.press(RUBY_ADD);
    });
    ASSERT_TRUE(commands().run(206));
    const std::string with_ruby = sj("昔の") + "\xFF\x02" + sj("かんじ") + "\xFF" + sj("漢字です");
    auto first_line = [this] {
        const Document& doc = app.loaded->document;
        const std::uint8_t* p = doc.line_pointer(0);
        std::string out;
        for (std::size_t i = 0; p[i] != 0xFE && p[i] != 0x1A; ++i) out += static_cast<char>(p[i]);
        return out;
    };
    EXPECT_EQ(first_line(), with_ruby);
    EXPECT_GT(screen.screen.counts.rubies, 0u);   // drawn beside its base
    while (commands().enabled(200)) commands().run(200);
    EXPECT_EQ(first_line(), sj("昔の漢字です"));
    while (commands().enabled(201)) commands().run(201);
    EXPECT_EQ(first_line(), with_ruby);
    // Saved: the text file keeps the plain text, the ruby comes back on reopening.
    EXPECT_EQ(saved().substr(0, 14), sj("昔の漢字です\r\n"));
    close_document(&app.doc, false);
    ASSERT_TRUE(open_document_file(&app.doc, path, 0));
    load_into_application(app);
    start_editing(app);
    EXPECT_EQ(first_line(), with_ruby);
}

}  // namespace
}  // namespace rix
