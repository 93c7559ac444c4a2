// Line-format words while editing: a change re-wraps and is undone and redone
// as one step; the size-step keys wrap; the registered formats before and
// after typed text and by F5-F12; the word carried over an Enter.
// Owed: a format change on the line at the screen's top in the middle of a
// wrapped line, checked against a drawn screen (tests/display).
#include "edit_fixture.h"

#include "document/line_format.h"
#include "editing/dispatch.h"
#include "editing/line_formats.h"

namespace rix {
namespace {

using test::sj;

struct LineFormats : test::EditFixture {
    std::string kanji(int n) {
        std::string s;
        for (int i = 0; i < n; ++i) s += sj("漢");
        return s;
    }
    // Slot j: word, trigger (UTF-8, "" for 0), after typing, enabled.
    void slot(int j, std::uint32_t word, std::string_view trigger, bool after, bool enabled = true) {
        RegisteredLineFormats& r = edit.options.line_formats;
        r.words[j] = word;
        const std::string t = trigger.empty() ? std::string() : sj(trigger);
        r.triggers[j] = t.size() == 2 ? static_cast<std::uint16_t>(static_cast<std::uint8_t>(t[0]) << 8 |
                                                                   static_cast<std::uint8_t>(t[1]))
                                      : 0;
        r.after_typing = static_cast<std::uint8_t>((r.after_typing & ~(1u << j)) | (after ? 1u << j : 0));
        r.enabled = static_cast<std::uint8_t>((r.enabled & ~(1u << j)) | (enabled ? 1u << j : 0));
    }
};

constexpr std::uint32_t INDENTED = 0x00200000;   // indentation 2
constexpr std::uint32_t RED_LARGE = 0x98004000;  // colour 9 on, 140 %

TEST_F(LineFormats, ChangeRewrapsAndIsUndoneAndRedone) {
    test::build(doc, {kanji(10), kanji(3), kanji(4)});
    ASSERT_EQ(doc.lines.display_lines(0), 1u);
    at(0, 6);
    const std::vector<std::uint32_t> words = {INDENTED, INDENTED | LINE_BOLD};
    ASSERT_TRUE(set_line_words(c, 0, words));
    EXPECT_EQ(doc.lines.display_lines(0), 2u);   // 10 characters in 8 cells
    EXPECT_EQ(doc.formats.word(1), INDENTED | LINE_BOLD);
    EXPECT_EQ(state.modified & MODIFIED_EXTENSION, MODIFIED_EXTENSION);
    EXPECT_TRUE(edit.damage.lines_changed);
    EXPECT_EQ(edit.cursor.pos, TextPos(0, 6));
    EXPECT_EQ(invariant(), "");
    EXPECT_FALSE(set_line_words(c, 0, words));   // nothing changes: nothing to undo twice

    ASSERT_TRUE(undo(c));
    EXPECT_EQ(doc.formats.word(0), 0u);
    EXPECT_EQ(doc.formats.word(1), 0u);
    EXPECT_EQ(doc.lines.display_lines(0), 1u);
    EXPECT_EQ(invariant(), "");
    ASSERT_TRUE(redo(c));
    EXPECT_EQ(doc.formats.word(1), INDENTED | LINE_BOLD);
    EXPECT_EQ(doc.lines.display_lines(0), 2u);

    // Typing after the change: one undo takes the text, the next the format.
    at(2, 0);
    ASSERT_TRUE(type("あ"));
    ASSERT_TRUE(undo(c));
    EXPECT_EQ(line(2), kanji(4));
    EXPECT_EQ(doc.formats.word(0), INDENTED);
    ASSERT_TRUE(undo(c));
    EXPECT_EQ(doc.formats.word(0), 0u);
    EXPECT_EQ(invariant(), "");
}

TEST_F(LineFormats, RecordThatNoLongerFitsIsNotApplied) {
    test::build(doc, {kanji(2), kanji(2), kanji(2)});
    ASSERT_TRUE(set_line_word(c, 2, INDENTED));
    test::build(doc, {kanji(2)});   // changed behind the journal's back
    EXPECT_FALSE(undo(c));
    EXPECT_EQ(journal_state(edit.journal), 0);
    EXPECT_EQ(doc.formats.word(0), 0u);
    EXPECT_EQ(invariant(), "");
}

TEST_F(LineFormats, SizeStepsWrapBothWays) {
    test::build(doc, {kanji(3)}, {INDENTED});
    at(0, 2);
    ASSERT_TRUE(step_line_size(c, +1));   // 100 % -> 90 %
    EXPECT_EQ(size_percent(line_size_index(doc.formats.word(0))), 90);
    ASSERT_TRUE(step_line_size(c, +1));
    ASSERT_TRUE(step_line_size(c, +1));
    EXPECT_EQ(size_percent(line_size_index(doc.formats.word(0))), 70);
    ASSERT_TRUE(step_line_size(c, +1));   // past 70 % comes 140 %
    EXPECT_EQ(size_percent(line_size_index(doc.formats.word(0))), 140);
    ASSERT_TRUE(step_line_size(c, -1));   // before 140 % comes 70 %
    EXPECT_EQ(size_percent(line_size_index(doc.formats.word(0))), 70);
    EXPECT_EQ(start_indent(doc.formats.word(0)), 2u);
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(undo(c));
    EXPECT_EQ(doc.formats.word(0), INDENTED);
}

TEST_F(LineFormats, BeforeTypingOnlyAtTheLineStartOnTheFirstCharacter) {
    test::build(doc, {sj("あい"), ""});
    slot(0, INDENTED, "「", false);
    slot(1, RED_LARGE, "」", false);
    at(0, 2);
    type_with_line_formats(c, sj("「"));   // not at offset 0
    EXPECT_EQ(doc.formats.word(0), 0u);
    at(1, 0);
    type_with_line_formats(c, sj("」"));
    EXPECT_EQ(doc.formats.word(1), RED_LARGE);   // slot 0 does not match, slot 1 does
    at(1, 0);
    type_with_line_formats(c, sj("「う"));
    EXPECT_EQ(doc.formats.word(1), INDENTED);
    EXPECT_EQ(line(1), sj("「う」"));
}

TEST_F(LineFormats, AfterTypingOnlyBeforeTheLineEndOnTheLastCharacter) {
    test::build(doc, {sj("あい"), sj("かき")});
    slot(0, RED_LARGE, "」", true);
    at(0, 2);
    type_with_line_formats(c, sj("」"));   // in the middle of the line
    EXPECT_EQ(doc.formats.word(0), 0u);
    at(0, 6);
    type_with_line_formats(c, sj("う"));   // at the end, another character
    EXPECT_EQ(doc.formats.word(0), 0u);
    type_with_line_formats(c, sj("え」"));
    EXPECT_EQ(doc.formats.word(0), RED_LARGE);
    at(1, 4);   // before the end of the text
    type_with_line_formats(c, sj("」"));
    EXPECT_EQ(doc.formats.word(1), RED_LARGE);
}

TEST_F(LineFormats, TriggerZeroMatchesAnythingAndDisabledSlotsNothing) {
    test::build(doc, {"", "", ""});
    slot(0, RED_LARGE, "", false, false);   // disabled
    slot(1, INDENTED, "", false);            // trigger 0: any typed text
    at(0, 0);
    type_with_line_formats(c, "x");
    EXPECT_EQ(doc.formats.word(0), INDENTED);
    // A before slot that applied keeps the after slots out.
    slot(2, RED_LARGE, "", true);
    at(1, 0);
    type_with_line_formats(c, sj("あ"));
    EXPECT_EQ(doc.formats.word(1), INDENTED);
    slot(1, INDENTED, "", false, false);
    at(2, 0);
    type_with_line_formats(c, sj("あ"));
    EXPECT_EQ(doc.formats.word(2), RED_LARGE);
}

TEST_F(LineFormats, FunctionKeysApplyTheirSlotAndEnterCarriesTheWord) {
    test::build(doc, {sj("あいうえ"), sj("か")});
    slot(3, RED_LARGE, "", false, false);   // F8; the key ignores 有効
    at(0, 4);
    EXPECT_FALSE(auto_line_format(c, AUTO_FORMAT_KEY_FIRST + 3, {}));   // the keys are off
    edit.options.line_formats.function_keys = true;
    ASSERT_TRUE(auto_line_format(c, AUTO_FORMAT_KEY_FIRST + 3, {}));
    EXPECT_EQ(doc.formats.word(0), RED_LARGE);
    EXPECT_FALSE(auto_line_format(c, AUTO_FORMAT_KEY_LAST + 1, {}));

    // Reset off: both halves keep the word.
    ASSERT_TRUE(type("\r\n"));
    EXPECT_EQ(doc.formats.word(0), RED_LARGE);
    EXPECT_EQ(doc.formats.word(1), RED_LARGE);
    // Reset on, a break at offset 0: the new empty line above is plain.
    edit.options.reset_format_on_break = true;
    at(1, 0);
    ASSERT_TRUE(type("\r\n"));
    EXPECT_EQ(doc.formats.word(1), 0u);
    EXPECT_EQ(doc.formats.word(2), RED_LARGE);
    EXPECT_EQ(line(2), sj("うえ"));
    // Reset on, in the middle: the rest goes plain.
    at(2, 2);
    ASSERT_TRUE(type("\r\n"));
    EXPECT_EQ(doc.formats.word(2), RED_LARGE);
    EXPECT_EQ(doc.formats.word(3), 0u);
    EXPECT_EQ(invariant(), "");
}

}  // namespace
}  // namespace rix
