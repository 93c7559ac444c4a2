// The dispatcher's keys that change text: Back Space, Delete, Ctrl+Delete,
// Enter in both modes with auto-indent, Tab, deleting a marked range, the
// undo and redo edit keys, and typed characters.
#include <gtest/gtest.h>

#include "edit_fixture.h"
#include "editing/dispatch.h"

namespace rix {
namespace {

using test::build;
using test::sj;

struct DispatchEditTest : test::EditFixture {
    void press(int key, int flags = 0) { dispatch_key(c, key, flags); }
};

TEST_F(DispatchEditTest, BackSpaceAndDeleteAtTheEndsOfTheText) {
    build(doc, {sj("あい"), sj("う")});
    const std::string before = text();
    at(0, 0);
    press(VK_BACK);
    at(1, 2);
    press(VK_DELETE);
    EXPECT_EQ(text(), before);

    press(VK_BACK);   // the character before the cursor
    EXPECT_EQ(line(1), "");
    at(0, 4);
    press(VK_DELETE);   // a line end joins the next line
    EXPECT_EQ(line(0), sj("あい"));
    EXPECT_EQ(doc.lines.count(), 1u);
    at(0, 4);
    press(VK_BACK, KEY_CTRL);
    EXPECT_EQ(line(0), sj("あ"));
    EXPECT_EQ(invariant(), "");
}

TEST_F(DispatchEditTest, EnterInOverwriteModeOnlyMoves) {
    build(doc, {sj("あいうえおかきくけこさし")});   // display lines at 0 and 20
    const std::string before = text();
    edit.insert_mode = false;
    at(0, 4);
    press(VK_RETURN);
    EXPECT_EQ(edit.cursor.pos, TextPos(0, 20));
    EXPECT_EQ(edit.cursor.cell, 0u);
    at(0, 22);
    press(VK_RETURN);   // no next display line: the start of this one
    EXPECT_EQ(edit.cursor.pos, TextPos(0, 20));
    EXPECT_EQ(text(), before);
    press(VK_INSERT);
    EXPECT_TRUE(edit.insert_mode);
    press(VK_RETURN);
    EXPECT_EQ(doc.lines.count(), 2u);
}

TEST_F(DispatchEditTest, CtrlDeleteTakesTheWholeDisplayLine) {
    // N = 10 with kinsoku: 。 hangs as the eleventh cell of the first display line.
    build(doc, {sj("あいうえおかきくけこ。さし"), sj("す")});
    at(0, 6);
    press(VK_DELETE, KEY_CTRL);
    EXPECT_EQ(line(0), sj("さし"));
    EXPECT_EQ(edit.cursor.pos, TextPos(0, 0));
    press(VK_DELETE, KEY_CTRL);   // the last display line of a line takes its line end
    EXPECT_EQ(line(0), sj("す"));
    EXPECT_EQ(doc.lines.count(), 1u);

    build(doc, {sj("あいうえおかきくけこさし")});
    at(0, 22);
    press(VK_DELETE, KEY_CTRL);   // the document's last display line: the end of text stays
    EXPECT_EQ(line(0), sj("あいうえおかきくけこ"));
    EXPECT_EQ(text().back(), '\x1A');
    at(0, 0);
    press(VK_DELETE, KEY_CTRL);
    press(VK_DELETE, KEY_CTRL);   // nothing left to delete
    EXPECT_EQ(text(), "\x1A");
    EXPECT_EQ(invariant(), "");
}

TEST_F(DispatchEditTest, MarkedRangesAreDeletedWhole) {
    build(doc, {sj("あいうえお")});
    at(0, 2);
    press(VK_DOWN, KEY_SHIFT);
    press(VK_DOWN, KEY_SHIFT);
    press(VK_DELETE);
    EXPECT_EQ(line(0), sj("あえお"));
    EXPECT_FALSE(edit.mark.on);
    EXPECT_TRUE(edit.damage.marking);
    press(VK_UP, KEY_SHIFT);   // [after(cursor), after(anchor)) = え
    press(VK_BACK);
    EXPECT_EQ(line(0), sj("あお"));

    // A range ending inside a ruby block takes the whole block.
    build(doc, {sj("あ") + test::ruby("かん", 2) + sj("漢字い")});
    at(0, 2);
    edit.mark = Marking{true, TextPos(0, 0), TextPos(0, 5), false};
    press(VK_DELETE);
    EXPECT_EQ(line(0), sj("漢字い"));
    EXPECT_EQ(invariant(), "");
}

TEST_F(DispatchEditTest, TabAndAutoIndent) {
    build(doc, {sj("　　あい")});
    edit.options.tab_width = 2;
    at(0, 0);
    press(VK_TAB);
    EXPECT_EQ(line(0), sj("　　　　あい"));
    edit.options.tab_width = 0;
    press(VK_TAB);
    EXPECT_EQ(line(0), sj("　　　　あい"));

    build(doc, {sj("　 あい")});
    edit.options.auto_indent = true;
    at(0, 5);   // after あ
    press(VK_RETURN);
    EXPECT_EQ(line(0), sj("　 あ"));
    EXPECT_EQ(line(1), sj("　 い"));
    EXPECT_EQ(edit.cursor.pos, TextPos(1, 3));
    at(0, 2);   // inside the blanks: only those before the cursor are repeated
    press(VK_RETURN);
    EXPECT_EQ(line(1), sj("　 あ"));
    EXPECT_EQ(line(2), sj("　 い"));
    EXPECT_EQ(invariant(), "");
}

TEST_F(DispatchEditTest, EditKeysUndoRedoAndMove) {
    build(doc, {sj("あい")});
    build_edit_key_table(edit);   // no letters: only Ctrl+Z and Ctrl+Y
    at(0, 0);
    press(VK_DELETE);
    EXPECT_EQ(line(0), sj("い"));
    EXPECT_EQ(edit_key_command(c, 'Z' - 'A'), COMMAND_UNDO);
    ASSERT_TRUE(undo(c));
    EXPECT_EQ(line(0), sj("あい"));
    EXPECT_EQ(edit_key_command(c, 'Y' - 'A'), COMMAND_REDO);
    ASSERT_TRUE(redo(c));
    EXPECT_EQ(line(0), sj("い"));
    EXPECT_EQ(edit_key_command(c, 'Q' - 'A'), 0);

    edit.options.edit_key_letters[8] = 'G';    // 一文字削除
    edit.options.edit_key_letters[1] = 'N';    // カーソル下へ
    build_edit_key_table(edit);
    build(doc, {sj("あいう")});
    at(0, 0);
    EXPECT_EQ(edit_key_command(c, 'N' - 'A'), 0);
    EXPECT_EQ(edit.cursor.pos, TextPos(0, 2));
    EXPECT_EQ(edit_key_command(c, 'G' - 'A'), 0);
    EXPECT_EQ(line(0), sj("あう"));
}

TEST_F(DispatchEditTest, TypedCharactersWaitForTheirTrailByte) {
    build(doc, {sj("かき")});
    at(0, 2);
    type_characters(c, "a\x01");
    type_characters(c, "\x82");   // the lead byte of あ waits
    EXPECT_EQ(line(0), sj("かaき"));
    EXPECT_EQ(edit.pending, "\x82");
    type_characters(c, "\xA0\xFF");
    EXPECT_EQ(line(0), sj("かaあき"));
    EXPECT_TRUE(edit.pending.empty());
    EXPECT_EQ(edit.cursor.pos, TextPos(0, 5));

    edit.insert_mode = false;
    type_characters(c, sj("く"));
    EXPECT_EQ(line(0), sj("かaあく"));

    edit.mark = Marking{true, TextPos(0, 0), TextPos(0, 2), false};
    type_characters(c, "b");
    EXPECT_FALSE(edit.mark.on);
    EXPECT_EQ(invariant(), "");
}

TEST_F(DispatchEditTest, AutoScrollKeepsTheCursorOnItsScreenLine) {
    for (bool scroll : {false, true}) {
        build(doc, {sj("あいうえおかきくけ")});
        set_top(c, TextPos(0, 0));
        edit.options.auto_scroll = scroll;
        at(0, 18);
        type_characters(c, sj("こさ"));   // さ starts the second display line
        EXPECT_EQ(edit.cursor.pos, TextPos(0, 22));
        EXPECT_EQ(edit.cursor.screen_line, scroll ? 0 : 1);
        EXPECT_EQ(edit.frame.top_display_line.value, scroll ? 1u : 0u);
    }
}

}  // namespace
}  // namespace rix
