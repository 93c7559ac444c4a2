// Jumps: line, display-line and page jumps with their notices and scrolling,
// marks, the document's start and end, the digit keys and the jump strings.
#include "../editing/edit_fixture.h"
#include "aids/jumps.h"

namespace rix::test {
namespace {

struct JumpTest : EditFixture {
    MarkJumpMemory memory;
    JumpStrings strings;
    Notices notices;
    JumpEnv env() {
        JumpEnv e;
        e.strings = &strings;
        e.memory = &memory;
        return e;
    }
    void numbered(int n) {
        std::vector<std::string> lines;
        for (int i = 0; i < n; ++i) lines.push_back("line " + std::to_string(i));
        build(doc, lines);
    }
};

TEST_F(JumpTest, LineJumpsMoveOrSayNotFound) {
    numbered(50);
    edit.frame.screen_lines = 10;
    at(3, 2);
    memory = {true, LINE_MARK_1, true};
    EXPECT_TRUE(line_jump(c, SEEK_LINE, 3, &memory, 0, notices));   // the cursor's own line: it stays
    EXPECT_EQ(edit.cursor.pos, TextPos(3, 2));
    EXPECT_FALSE(memory.set);
    EXPECT_TRUE(line_jump(c, SEEK_LINE, 30, &memory, 0, notices));
    EXPECT_EQ(edit.cursor.pos, TextPos(30, 0));
    EXPECT_EQ(edit.frame.top, TextPos(27, 0));               // a third of the tier above
    EXPECT_FALSE(line_jump(c, SEEK_LINE, -1, &memory, 0, notices));   // line number 0
    EXPECT_FALSE(line_jump(c, SEEK_LINE, 50, &memory, 0, notices));
    EXPECT_EQ(edit.cursor.pos, TextPos(30, 0));
    ASSERT_EQ(notices.items.size(), 2u);
    EXPECT_EQ(notices.items[1].utf8, "目的の箇所が見付かりません｡");
    EXPECT_EQ(notices.items[1].time_ms, 2000u);
    EXPECT_TRUE(messages.log.empty());                       // reported, never shown here
}

TEST_F(JumpTest, APageJumpShowsThePageFromTheTop) {
    numbered(100);
    edit.frame.screen_lines = 10;
    edit.frame.page_columns = 20;
    at(0, 0);
    EXPECT_TRUE(line_jump(c, SEEK_PAGE, 2, &memory, 0, notices));
    EXPECT_EQ(edit.cursor.pos, TextPos(40, 0));
    EXPECT_EQ(edit.frame.top, TextPos(40, 0));
    EXPECT_EQ(edit.cursor.screen_line, 0);
    EXPECT_FALSE(line_jump(c, SEEK_PAGE, 5, &memory, 0, notices));
}

TEST_F(JumpTest, ADisplayLineJumpReachesTheSecondDisplayLineOfAWrappedLine) {
    build(doc, {"a", sj("一二三四五六七八九十一二三四五六七八九十一二"), "b"});
    at(2, 0);
    EXPECT_TRUE(line_jump(c, SEEK_DISPLAY_LINE, 2, &memory, 0, notices));
    EXPECT_EQ(edit.cursor.pos, TextPos(1, 20));
    EXPECT_EQ(edit.cursor.display_line.value, 2u);
    EXPECT_EQ(edit.cursor.cell, 0u);
}

TEST_F(JumpTest, MarksAreAttachedAndJumpedTo) {
    numbered(6);
    at(4, 3);
    memory = {true, LINE_MARK_3, true};
    attach_marks(c, LINE_MARK_1 | LINE_MARK_3, &memory);
    EXPECT_EQ(doc.lines.marks(4), LINE_MARK_1 | LINE_MARK_3);
    EXPECT_TRUE(state.modified & MODIFIED_EXTENSION);
    EXPECT_FALSE(memory.set);
    EXPECT_TRUE(edit.damage.text);
    EXPECT_EQ(edit.damage.from_display_line.value, 4u);
    at(5, 0);
    attach_marks(c, LINE_MARK_2, &memory);                    // a later line keeps the earlier redraw
    EXPECT_EQ(edit.damage.from_display_line.value, 4u);
    at(1, 0);
    attach_marks(c, LINE_MARK_1, &memory);                    // an earlier one moves it up
    EXPECT_EQ(edit.damage.from_display_line.value, 1u);
    EXPECT_TRUE(mark_jump(c, LINE_MARK_3, true, 0, notices));
    EXPECT_EQ(edit.cursor.pos, TextPos(4, 0));
    EXPECT_FALSE(mark_jump(c, LINE_MARK_3, true, 0, notices));   // only on the cursor's line
    EXPECT_TRUE(mark_jump(c, LINE_MARK_1, false, 0, notices));
    EXPECT_EQ(edit.cursor.pos, TextPos(1, 0));
    attach_marks(c, 0, &memory);                              // nothing checked clears them
    EXPECT_EQ(doc.lines.marks(1), 0);
}

TEST_F(JumpTest, RepeatedMarkJumpNeedsAMemory) {
    numbered(6);
    doc.lines.set_marks(2, LINE_MARK_2);
    doc.lines.set_marks(5, LINE_MARK_2);
    at(0, 0);
    EXPECT_FALSE(run_jump_command(c, COMMAND_MARK_JUMP, env(), notices));
    EXPECT_EQ(notices.items.at(0).utf8, "先に「マーク指定」してください｡");
    memory = {true, LINE_MARK_2, true};
    EXPECT_TRUE(run_jump_command(c, COMMAND_MARK_JUMP, env(), notices));
    EXPECT_TRUE(run_jump_command(c, COMMAND_MARK_JUMP, env(), notices));
    EXPECT_EQ(edit.cursor.pos, TextPos(5, 0));
    EXPECT_TRUE(memory.set);
}

TEST_F(JumpTest, DocumentStartAndEnd) {
    build(doc, {"first", "middle", "last line"});
    at(1, 3);
    memory = {true, LINE_MARK_1, true};
    EXPECT_TRUE(run_jump_command(c, COMMAND_DOCUMENT_END, env(), notices));
    EXPECT_EQ(edit.cursor.pos, TextPos(2, 0));
    EXPECT_FALSE(memory.set);
    EXPECT_TRUE(run_jump_command(c, COMMAND_DOCUMENT_START, env(), notices));
    EXPECT_EQ(edit.cursor.pos, TextPos(0, 0));
}

TEST_F(JumpTest, DigitKeysUseMarksOrJumpStrings) {
    build(doc, {"a", "x5 x1", "b", "x5 x1"});
    doc.lines.set_marks(2, LINE_MARK_1);
    strings[0] = "x1";
    strings[4] = "x5";
    at(0, 0);
    JumpEnv e = env();
    e.marks_on_digit_keys = true;
    EXPECT_TRUE(run_jump_command(c, 321, e, notices));        // Ctrl+1: mark 1
    EXPECT_EQ(edit.cursor.pos, TextPos(2, 0));
    EXPECT_FALSE(memory.set);                                 // the memory is left alone
    EXPECT_TRUE(run_jump_command(c, 325, e, notices));        // Ctrl+5: always jump string 5
    EXPECT_EQ(edit.cursor.pos, TextPos(3, 0));
    EXPECT_TRUE(run_jump_command(c, 335, e, notices));        // Ctrl+Alt+5: towards the start
    EXPECT_EQ(edit.cursor.pos, TextPos(1, 0));
    e.marks_on_digit_keys = false;
    EXPECT_TRUE(run_jump_command(c, 321, e, notices));        // Ctrl+1: jump string 1
    EXPECT_EQ(edit.cursor.pos, TextPos(1, 3));
    EXPECT_FALSE(run_jump_command(c, 322, e, notices));       // an empty slot does nothing
    EXPECT_TRUE(notices.empty());
    EXPECT_FALSE(run_jump_command(c, 328 + 0, e, notices));
    at(3, 3);
    EXPECT_FALSE(run_jump_command(c, 321, e, notices));       // nothing after the last one
    EXPECT_EQ(notices.items.at(0).utf8, "検索語が見つかりません｡");
    EXPECT_EQ(edit.cursor.pos, TextPos(3, 3));
}

TEST(JumpStringTable, FieldsAreCutOnCharacterBoundaries) {
    EXPECT_EQ(jump_string_field(std::string(30, 'a')), std::string(24, 'a'));
    const std::string kanji = sj("一二三四五六七八九十一二三");   // 26 bytes
    EXPECT_EQ(jump_string_field(kanji), kanji.substr(0, 24));
    EXPECT_EQ(jump_string_field("a" + kanji), "a" + kanji.substr(0, 22));
    EXPECT_EQ(jump_string_field(std::string("ab\0cd", 5)), "ab");

    DocumentState state;
    JumpStrings table, boxes;
    boxes[7] = "eight";
    register_jump_strings(table, boxes, state);
    EXPECT_EQ(table[7], "eight");
    EXPECT_TRUE(state.modified & MODIFIED_EXTENSION);
    state.modified = 0;
    register_jump_strings(table, boxes, state);
    EXPECT_EQ(state.modified, 0);
}

}  // namespace
}  // namespace rix::test
