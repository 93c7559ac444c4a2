// The input method on the main window's document, without a window: the
// commit inserted as typed text (whole, 〓 with the notice), the composition
// leaving the document alone until then, and the phrase offered for
// reconversion with the replacement of the reconverted text.
// Owed: scrolling at the last screen line (tested on the real window).
#include <gtest/gtest.h>

#include "app/window/shell_events.h"
#include "document/loader.h"
#include "editing/cursor.h"
#include "platform/codec.h"
#include "tests/support/command_app.h"

namespace rix {
namespace {

struct InputMethodCommandTest : test::CommandAppTest {
    void TearDown() override { close_document(&app.doc, false); }
    void open(const std::string& utf8) {
        const std::string path = dir.write("原稿.txt", utf8_to_sjis(utf8));
        ASSERT_TRUE(open_document_file(&app.doc, path, 0));
        app.doc.save_name = path;
        load_into_application(app);
        start_editing(app);
        app.startup_done = true;
        app.hooks.rebuild_screen(app);
    }
    void move_to(TextPos pos) {
        run_edit(app, [pos](EditContext& c) { place_cursor(c, pos); });
    }
    std::string line(std::uint32_t l) {
        const Document& doc = app.loaded->document;
        const std::uint8_t* p = doc.line_pointer(l);
        std::string out;
        for (std::size_t i = 0; p[i] != 0xFE && p[i] != 0x1A; ++i) out += static_cast<char>(p[i]);
        return sjis_to_utf8(out);
    }
    void preedit(const std::string& utf8) {
        InputMethodEvent e;
        e.preedit = utf8;
        e.cursor = 0;
        shell->input_method(e);
    }
    void commit(const std::string& utf8, int replace_from = 0, int replace_length = 0) {
        InputMethodEvent e;
        e.commit = utf8;
        e.replace_from = replace_from;
        e.replace_length = replace_length;
        shell->input_method(e);
    }
};

TEST_F(InputMethodCommandTest, TheCommitIsTypedTextAndTheCompositionChangesNothingBefore) {
    open("あいう\r\n");
    move_to(TextPos(0, 2));
    preedit("にほんご");
    preedit("日本語");
    EXPECT_EQ(line(0), "あいう");   // an overlay only
    EXPECT_FALSE(app.doc.modified & MODIFIED_TEXT);
    commit("日本語");
    EXPECT_EQ(line(0), "あ日本語いう");
    EXPECT_EQ(app.loaded->edit.cursor.pos, TextPos(0, 8));
    // A cancel inserts nothing.
    preedit("か");
    preedit("");
    EXPECT_EQ(line(0), "あ日本語いう");
    EXPECT_TRUE(messages.log.empty());
}

TEST_F(InputMethodCommandTest, OutsideCodePage932IsGetaWithTheNoticeAndNoFcLeadByteIsStored) {
    open("\r\n");
    // 😀 has no code; 黑 (U+9ED1) has two, 0xFC 0x4B and 0xEE 0xEC: the
    // stored text never holds the 0xFC lead byte, so it keeps the second.
    commit("a😀黑");
    const Document& doc = app.loaded->document;
    const std::uint8_t* p = doc.line_pointer(0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(p), 5), "a\x81\xAC\xEE\xEC");
    EXPECT_TRUE(messages.saw("シフトJISにない文字1字を〓に置き換えました｡"));
}

TEST_F(InputMethodCommandTest, ALongCommitIsInsertedWhole) {
    open("\r\n");
    std::string text;
    for (int i = 0; i < 750; ++i) text += "漢";   // 1,500 bytes in code page 932
    commit(text);
    EXPECT_EQ(utf8_to_sjis(line(0)).size(), 1500u);
    EXPECT_EQ(app.loaded->edit.cursor.pos, TextPos(0, 1500));
}

TEST_F(InputMethodCommandTest, ThePhraseAtTheCursorIsOfferedAndReplaced) {
    open("私は日本語をabc\r\nかな\r\n");
    move_to(TextPos(0, 6));   // on 本, in the middle of a kanji run
    InputMethodState st = shell->input_method_state();
    // The phrase from the run's first kanji to the width change; the cursor before 本.
    EXPECT_EQ(st.surrounding, "日本語を");
    EXPECT_EQ(st.cursor, 1);
    EXPECT_EQ(st.anchor, 1);
    // The input method replaces 本語 (two characters from the cursor) by its conversion.
    commit("翻語", 0, 2);
    EXPECT_EQ(line(0), "私は日翻語をabc");

    // Marked text within one line is offered as the selection; the ASCII as full-width letters.
    run_edit(app, [](EditContext& c) {
        place_cursor(c, TextPos(0, 12));
        c.edit.mark = Marking{true, TextPos(0, 12), TextPos(0, 15)};
    });
    st = shell->input_method_state();
    EXPECT_EQ(st.surrounding, "ａｂｃ");
    EXPECT_EQ(st.selection, "ａｂｃ");
    EXPECT_EQ(st.anchor, 0);
    EXPECT_EQ(st.cursor, 3);
    // Two marked lines are refused, without a message.
    run_edit(app, [](EditContext& c) { c.edit.mark = Marking{true, TextPos(0, 2), TextPos(1, 2)}; });
    EXPECT_TRUE(shell->input_method_state().surrounding.empty());
    EXPECT_TRUE(messages.log.empty());
}

TEST_F(InputMethodCommandTest, AStaleOfferIsNotReplaced) {
    open("日本語\r\n");
    move_to(TextPos(0, 0));
    ASSERT_EQ(shell->input_method_state().surrounding, "日本語");
    commit("x");   // the document changed since the offer
    commit("y", -1, 1);
    EXPECT_EQ(line(0), "xy日本語");
}

}  // namespace
}  // namespace rix
