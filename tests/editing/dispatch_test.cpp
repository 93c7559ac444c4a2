// The movement keys of the dispatcher over hand-built documents: the
// orientation map, moves along and across display lines with the view frame,
// logical-line and punctuation moves, pages, marking, acceleration and the
// edit-key table. The keys that change text are in dispatch_edit_test.cpp;
// moves through a partly loaded document in key_property_test.cpp.
#include "editing/dispatch.h"

#include <gtest/gtest.h>

#include "../document/doc_builder.h"
#include "editing/cursor.h"

namespace rix {
namespace {

using test::build;
using test::sj;

struct DispatchFixture : ::testing::Test {
    Document doc;
    DocumentState state;
    EditState edit;
    EditContext c{doc, state, edit, nullptr};

    void SetUp() override {
        doc.rules = test::rules(20, 0);
        edit.frame.screen_lines = 10;
    }
    void at(TextPos pos) { place_cursor(c, pos); }
    void press(int key, int flags = 0) { dispatch_key(c, key, flags); }
    std::uint32_t col() const { return edit.cursor.pos.column(); }
};

using DispatchTest = DispatchFixture;

TEST_F(DispatchTest, OrientationMapsArrowsInHorizontalWriting) {
    doc.rules = test::rules(4, 0);
    build(doc, {sj("あいうえおかきくけこ")});   // display lines at columns 0, 8, 16
    edit.frame.vertical = false;
    at(TextPos(0, 0));
    press(VK_RIGHT);
    EXPECT_EQ(col(), 2u);
    EXPECT_EQ(edit.cursor.cell, 1u);
    press(VK_DOWN);   // the next display line, at the remembered cell
    EXPECT_EQ(col(), 10u);
    EXPECT_EQ(edit.cursor.screen_line, 1);
    press(VK_LEFT);
    EXPECT_EQ(col(), 8u);
    press(VK_UP);
    EXPECT_EQ(col(), 0u);

    edit.frame.vertical = true;   // ↓ along the column, ← to the next column
    press(VK_DOWN);
    EXPECT_EQ(col(), 2u);
    press(VK_LEFT);
    EXPECT_EQ(col(), 10u);
}

TEST_F(DispatchTest, CharacterMovesStepOverPairsAndBlocks) {
    // あ | ab | [ruby]漢 | 字 | c, then the end of text at column 16.
    build(doc, {sj("あab") + test::ruby("かん", 2) + sj("漢字") + "c", sj("次")});
    at(TextPos(0, 0));
    const std::uint32_t forward[] = {2, 3, 4, 13, 15, 16};
    for (std::uint32_t expected : forward) {
        press(VK_DOWN);
        EXPECT_EQ(col(), expected);
    }
    EXPECT_EQ(edit.cursor.pos, TextPos(0, 16));   // a line end (0xFE) ...
    press(VK_DOWN);
    EXPECT_EQ(edit.cursor.pos, TextPos(1, 0));    // ... steps onto the next line
    press(VK_UP);
    EXPECT_EQ(edit.cursor.pos, TextPos(0, 16));
    const std::uint32_t back[] = {15, 13, 4, 3, 2, 0};
    for (std::uint32_t expected : back) {
        press(VK_UP);
        EXPECT_EQ(col(), expected);
    }
    EXPECT_FALSE(edit.cursor.second_half);
    press(VK_UP);   // the document start
    EXPECT_EQ(edit.cursor.pos, TextPos(0, 0));

    at(TextPos(0, 2));
    press(VK_DOWN);
    EXPECT_TRUE(edit.cursor.second_half);
    EXPECT_EQ(edit.cursor.cell, 1u);
    EXPECT_EQ(char_after(c, TextPos(0, 4)), TextPos(0, 13));   // the ruby block with its first base character
    at(TextPos(1, 2));
    press(VK_DOWN);   // the document end
    EXPECT_EQ(edit.cursor.pos, TextPos(1, 2));
}

TEST_F(DispatchTest, CursorKeysFollowTheScreenLines) {
    doc.rules = test::rules(4, 0);
    std::vector<std::string> lines(30, sj("あいうえおか"));   // two display lines each
    build(doc, lines);
    edit.frame.screen_lines = 3;
    at(TextPos(0, 0));
    press(VK_LEFT);
    press(VK_LEFT);
    EXPECT_EQ(edit.cursor.screen_line, 2);
    EXPECT_EQ(edit.frame.top_display_line.value, 0u);
    press(VK_LEFT);   // past the last screen line: the screen scrolls one line
    EXPECT_EQ(edit.cursor.display_line.value, 3u);
    EXPECT_EQ(edit.cursor.screen_line, 2);
    EXPECT_EQ(edit.frame.top_display_line.value, 1u);
    EXPECT_TRUE(edit.damage.top_moved);

    set_top(c, TextPos(2, 0));
    at(TextPos(2, 0));   // screen line 0
    EXPECT_EQ(edit.cursor.screen_line, 0);
    press(VK_LEFT, KEY_PLAIN_MOVE);   // the text moves, the cursor keeps its screen line
    EXPECT_EQ(edit.cursor.display_line.value, 5u);
    EXPECT_EQ(edit.cursor.screen_line, 0);
    press(VK_RIGHT, KEY_PLAIN_MOVE);
    press(VK_RIGHT, KEY_PLAIN_MOVE);
    EXPECT_EQ(edit.cursor.display_line.value, 3u);
    EXPECT_EQ(edit.cursor.screen_line, 0);

    press(VK_UP);   // along the line, back over the top: the screen scrolls back
    EXPECT_EQ(edit.cursor.pos, TextPos(1, 6));
    EXPECT_EQ(edit.cursor.screen_line, 0);
    EXPECT_EQ(edit.frame.top_display_line.value, 2u);

    at(TextPos(0, 0));
    set_top(c, TextPos(0, 0));
    press(VK_RIGHT);   // the first screen line of a screen at the document start
    EXPECT_EQ(edit.cursor.pos, TextPos(0, 0));
    press(VK_RIGHT, KEY_PLAIN_MOVE);
    EXPECT_EQ(edit.frame.top_display_line.value, 0u);
}

TEST_F(DispatchTest, TwoTiersDoNotScrollPastAShownEnd) {
    doc.rules = test::rules(4, 0);
    build(doc, {sj("あいうえおか"), sj("あいうえおか")});   // four display lines
    edit.frame.screen_lines = 6;
    edit.frame.tiers = 2;
    at(TextPos(0, 0));
    press(VK_LEFT, KEY_PLAIN_MOVE);
    EXPECT_EQ(edit.cursor.pos, TextPos(0, 0));
    press(VK_LEFT);
    EXPECT_EQ(edit.cursor.pos, TextPos(0, 8));
    edit.frame.tiers = 1;   // one tier scrolls while there is text below the top
    press(VK_LEFT, KEY_PLAIN_MOVE);
    EXPECT_EQ(edit.frame.top_display_line.value, 1u);
    EXPECT_EQ(edit.cursor.pos, TextPos(1, 0));
}

TEST_F(DispatchTest, WheelAndAltArrowsScrollTheText) {
    doc.rules = test::rules(4, 0);
    std::vector<std::string> lines(30, sj("あいうえおか"));
    build(doc, lines);
    edit.frame.screen_lines = 5;
    at(TextPos(0, 2));
    for (bool vertical : {true, false}) {
        edit.frame.vertical = vertical;
        const std::uint64_t top = edit.frame.top_display_line.value;
        wheel_turn(c, -120, 3);   // towards the user: on through the text
        EXPECT_EQ(edit.frame.top_display_line.value, top + 3);
        EXPECT_EQ(edit.cursor.screen_line, 0);
        wheel_turn(c, 120, 1);
        EXPECT_EQ(edit.frame.top_display_line.value, top + 2);
        wheel_turn(c, -120, 0);   // the wheel is off
        EXPECT_EQ(edit.frame.top_display_line.value, top + 2);
    }
    edit.frame.vertical = true;
    EXPECT_TRUE(alt_arrow_command(c, COMMAND_ALT_ARROW_FIRST));   // Alt+←: the next column, scrolling
    EXPECT_EQ(edit.frame.top_display_line.value, 5u);
    EXPECT_EQ(edit.cursor.screen_line, 0);
    EXPECT_TRUE(alt_arrow_command(c, COMMAND_ALT_ARROW_LAST));   // Alt+↓: the next character
    EXPECT_EQ(edit.cursor.cell, 2u);
    EXPECT_FALSE(alt_arrow_command(c, 904));
}

TEST_F(DispatchTest, PagesScrollByPageColumns) {
    doc.rules = test::rules(4, 0);
    std::vector<std::string> lines(30, sj("あいうえおか"));
    build(doc, lines);
    edit.frame.screen_lines = 10;
    edit.frame.page_columns = 5;
    at(TextPos(0, 2));
    press(VK_PRIOR);   // the screen shows the document start
    EXPECT_EQ(edit.frame.top_display_line.value, 0u);
    press(VK_NEXT);
    EXPECT_EQ(edit.frame.top_display_line.value, 5u);
    EXPECT_EQ(edit.cursor.display_line.value, 5u);
    EXPECT_EQ(edit.cursor.cell, 1u);
    EXPECT_EQ(edit.cursor.screen_line, 0);
    press(VK_PRIOR);
    EXPECT_EQ(edit.frame.top_display_line.value, 0u);
    EXPECT_EQ(edit.cursor.pos, TextPos(0, 2));
    set_top(c, TextPos(25, 0));   // display line 50: the end (59) is shown
    press(VK_NEXT);
    EXPECT_EQ(edit.frame.top_display_line.value, 50u);
}

TEST_F(DispatchTest, LogicalLineAndPunctuationMoves) {
    // ａ is 0x82 0x81 and A is 0x41: the bytes 0x81 0x41 at column 1 spell 、 but are no character.
    const std::string first = sj("ａ") + "A" + sj("です。まだ、です");   // 。 at 7, 、 at 13, end at 19
    build(doc, {first, sj("次")});
    at(TextPos(0, 0));
    press(VK_DOWN, KEY_CTRL);
    EXPECT_EQ(col(), 7u);
    press(VK_DOWN, KEY_CTRL);
    EXPECT_EQ(col(), 13u);
    press(VK_DOWN, KEY_CTRL);   // none left: the next line
    EXPECT_EQ(edit.cursor.pos, TextPos(1, 0));
    press(VK_DOWN, KEY_CTRL);   // never past the document end
    EXPECT_EQ(edit.cursor.pos, TextPos(1, 2));

    at(TextPos(0, 15));
    press(VK_UP, KEY_CTRL);   // 、 at 13 starts less than three bytes back
    EXPECT_EQ(col(), 9u);
    press(VK_UP, KEY_CTRL);
    EXPECT_EQ(col(), 0u);
    at(TextPos(1, 0));
    press(VK_UP, KEY_CTRL);   // from column 0 to the end of the previous line
    EXPECT_EQ(edit.cursor.pos, TextPos(0, 19));

    at(TextPos(0, 3));
    press(VK_LEFT, KEY_CTRL);   // vertical: Ctrl+← to the line end, then the next line's end
    EXPECT_EQ(edit.cursor.pos, TextPos(0, 19));
    press(VK_END);
    EXPECT_EQ(edit.cursor.pos, TextPos(1, 2));
    press(VK_HOME);
    EXPECT_EQ(edit.cursor.pos, TextPos(1, 0));
    press(VK_RIGHT, KEY_CTRL);   // already at column 0: the previous line
    EXPECT_EQ(edit.cursor.pos, TextPos(0, 0));
    EXPECT_EQ(edit.cursor.remembered_cell, 0u);
}

TEST_F(DispatchTest, LogicalLineMovesRebuildTheScreenAroundTheCursor) {
    std::vector<std::string> lines(40, sj("あい"));
    build(doc, lines);
    edit.frame.screen_lines = 9;
    at(TextPos(0, 0));
    for (int i = 0; i < 20; ++i) press(VK_END);   // line ends, one line per press
    EXPECT_EQ(edit.cursor.pos, TextPos(19, 4));
    EXPECT_GE(edit.cursor.screen_line, 0);
    EXPECT_LT(edit.cursor.screen_line, 9);
}

TEST_F(DispatchTest, ShiftMarkingForwardAndBack) {
    build(doc, {sj("あいうえおかきくけこ")});
    at(TextPos(0, 0));
    press(VK_DOWN, KEY_SHIFT);
    press(VK_DOWN, KEY_SHIFT);
    press(VK_DOWN, KEY_SHIFT);
    EXPECT_EQ(edit.mark.end, TextPos(0, 6));
    press(VK_UP, KEY_SHIFT);
    ASSERT_TRUE(edit.mark.on);
    EXPECT_EQ(edit.mark.start, TextPos(0, 0));   // two characters: あい
    EXPECT_EQ(edit.mark.end, TextPos(0, 4));
    EXPECT_TRUE(edit.damage.marking);
    press(VK_UP, KEY_SHIFT);
    press(VK_UP, KEY_SHIFT);   // back at the anchor: the ends meet
    EXPECT_FALSE(edit.mark.on);

    // Backward from the anchor か (10): the range holds the anchor, not the cursor's character.
    at(TextPos(0, 10));
    press(VK_UP, KEY_SHIFT);
    press(VK_UP, KEY_SHIFT);
    EXPECT_EQ(col(), 6u);
    EXPECT_EQ(edit.mark.start, TextPos(0, 8));
    EXPECT_EQ(edit.mark.end, TextPos(0, 12));
    edit.damage.clear();
    press(VK_HOME);   // any other key ends the marking
    EXPECT_FALSE(edit.mark.on);
    EXPECT_TRUE(edit.damage.marking);

    at(TextPos(0, 10));
    press(VK_DOWN, KEY_SHIFT | KEY_CTRL);   // Ctrl+Shift moves without marking
    EXPECT_FALSE(edit.mark.on);
    EXPECT_EQ(col(), 20u);
}

TEST_F(DispatchTest, ShiftMarkingAcrossDisplayLines) {
    doc.rules = test::rules(4, 0);
    build(doc, {sj("あいうえおかきくけこ")});   // display lines at 0, 8, 16
    at(TextPos(0, 2));
    press(VK_LEFT, KEY_SHIFT);
    EXPECT_EQ(col(), 10u);
    EXPECT_EQ(edit.mark.start, TextPos(0, 2));
    EXPECT_EQ(edit.mark.end, TextPos(0, 10));
    press(VK_RIGHT, KEY_SHIFT);   // back to the anchor
    EXPECT_FALSE(edit.mark.on);

    // Marked backward [12, 16) with the cursor at 2; a column on stays behind the anchor.
    at(TextPos(0, 14));
    for (int i = 0; i < 6; ++i) press(VK_UP, KEY_SHIFT);
    EXPECT_EQ(col(), 2u);
    EXPECT_EQ(edit.mark.start, TextPos(0, 4));
    EXPECT_EQ(edit.mark.end, TextPos(0, 16));
    press(VK_LEFT, KEY_SHIFT);
    EXPECT_EQ(col(), 10u);
    EXPECT_EQ(edit.mark.start, TextPos(0, 12));
    EXPECT_EQ(edit.mark.end, TextPos(0, 16));
    // Another column carries the cursor past the anchor: only the new display line's part is kept.
    press(VK_LEFT, KEY_SHIFT);
    EXPECT_EQ(col(), 18u);
    EXPECT_EQ(edit.mark.start, TextPos(0, 16));
    EXPECT_EQ(edit.mark.end, TextPos(0, 18));

    end_marking(c);
    at(TextPos(0, 12));
    press(VK_RIGHT, KEY_SHIFT);   // from the cursor's display line start back a column
    EXPECT_EQ(col(), 4u);
    EXPECT_EQ(edit.mark.start, TextPos(0, 6));
    EXPECT_EQ(edit.mark.end, TextPos(0, 14));
}

TEST_F(DispatchTest, PageKeysKeepAMouseMarking) {
    doc.rules = test::rules(4, 0);
    std::vector<std::string> lines(30, sj("あいうえおか"));
    build(doc, lines);
    edit.frame.page_columns = 5;
    at(TextPos(0, 0));
    press(VK_DOWN, KEY_SHIFT);
    edit.mark.by_mouse = true;
    press(VK_NEXT);
    EXPECT_TRUE(edit.mark.on);
    edit.mark.by_mouse = false;
    press(VK_NEXT);
    EXPECT_FALSE(edit.mark.on);
}

TEST_F(DispatchTest, HeldKeysAccelerate) {
    doc.rules = test::rules(20, 0);
    std::string line;
    for (int i = 0; i < 1000; ++i) line += sj("あ");
    build(doc, {line});
    edit.options.accel_chars = 4;   // 超高
    edit.options.accel_columns = 0;
    at(TextPos(0, 0));
    for (int r = 0; r < 30; ++r) {
        const std::uint32_t before = col();
        press(VK_DOWN);
        accelerate_key(c, VK_DOWN, 0);
        EXPECT_EQ((col() - before) / 2, 1u + std::min(2u * r, 45u)) << "repeat " << r;
    }
    key_up(edit);
    std::uint32_t before = col();
    press(VK_DOWN);
    accelerate_key(c, VK_DOWN, 0);
    EXPECT_EQ(col() - before, 2u);

    // Across lines with なし, and a marking key: one move per press.
    for (int i = 0; i < 5; ++i) {
        const std::uint64_t line_before = edit.cursor.display_line.value;
        press(VK_LEFT);
        accelerate_key(c, VK_LEFT, 0);
        EXPECT_EQ(edit.cursor.display_line.value, line_before + 1);
    }
    before = col();
    press(VK_DOWN, KEY_SHIFT);
    accelerate_key(c, VK_DOWN, KEY_SHIFT);
    EXPECT_EQ(col() - before, 2u);

    edit.options.accel_chars = 1;   // 低: r / 32
    key_up(edit);
    edit.key_repeat = 64;
    before = col();
    press(VK_DOWN);
    accelerate_key(c, VK_DOWN, 0);
    EXPECT_EQ((col() - before) / 2, 3u);
}

TEST(EditKeyTable, BuiltFromTheSlotLetters) {
    EditState edit;
    std::uint8_t letters[32] = {};
    letters[0] = 'a';    // lower case is no letter
    letters[1] = 'B';
    letters[2] = '1';
    letters[3] = 'B';    // the later slot keeps B
    letters[9] = 'D';
    letters[15] = 'V';
    letters[20] = 'Q';   // slots past the twentieth send nothing
    letters[31] = 0xC1;
    build_edit_key_table(edit, letters);
    EXPECT_EQ(edit.edit_keys['B' - 'A'].key, VK_RIGHT);
    EXPECT_EQ(edit.edit_keys['D' - 'A'].key, VK_DELETE);
    EXPECT_EQ(edit.edit_keys['D' - 'A'].flags, KEY_CTRL);
    EXPECT_EQ(edit.edit_keys['V' - 'A'].key, 205);
    EXPECT_EQ(edit.edit_keys['Q' - 'A'].key, 0);
    EXPECT_EQ(edit.edit_keys['A' - 'A'].key, 0);
    EXPECT_EQ(edit.edit_keys['Z' - 'A'].key, COMMAND_UNDO);
    EXPECT_EQ(edit.edit_keys['Y' - 'A'].key, COMMAND_REDO);

    letters[0] = 'Z';   // Z given to ↑ replaces the undo key
    build_edit_key_table(edit, letters);
    EXPECT_EQ(edit.edit_keys['Z' - 'A'].key, VK_UP);
    EXPECT_EQ(edit.edit_keys['Y' - 'A'].key, COMMAND_REDO);
    EXPECT_EQ(edit.edit_keys['B' - 'A'].key, VK_RIGHT);
}

}  // namespace
}  // namespace rix
