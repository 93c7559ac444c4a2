// The line format dialog and the registered formats through the fake host:
// the ranges that keep 前 and 後 from going below 0, the first-line
// correction, the marked lines given one undoable word, 70 % kept; the
// triggers stored only as one full-width character, a slot without trigger
// refused, 変更 storing a slot's word at once.
// Owed: the right-button opening (Shift + right click) through the shell.
#include "app/settings/row_form_dialog.h"

#include <gtest/gtest.h>

#include "app/settings/rowfm_reg_dialog.h"
#include "document/line_format.h"
#include "editing/cursor.h"
#include "editing/edit_text.h"
#include "platform/fake_dialogs.h"
#include "platform/fake_messages.h"
#include "tests/document/doc_builder.h"

namespace rix {
namespace {

using test::sj;

struct RowForm : ::testing::Test {
    FakeDialogHost host;
    FakeMessages messages;

    std::uint32_t run(const RowFormSetup& setup, FakeDialogHost::Script script, int* result = nullptr) {
        host.script(std::move(script));
        RowFormDialog d(setup);
        const int r = run_dialog("ROW_FORM", d, 0);
        if (result) *result = r;
        EXPECT_TRUE(host.missing.empty());
        return d.word();
    }
};

LineFormat format(int indent, int first, int end) {
    LineFormat f;
    f.indent = indent;
    f.first_line = first;
    f.end_indent = end;
    return f;
}

TEST_F(RowForm, IndentationsNeverGoBelowZero) {
    RowFormSetup s;
    s.mode = 1;
    s.chars_per_line = 10;
    s.word = encode_line_format(format(0, 3, 0));   // first line further in
    run(s, [](DialogSession& d) {
        EXPECT_EQ(d.caption(), sj("　行の書式設定"));
        EXPECT_FALSE(d.is_enabled(ROW_FORM_LINES));   // a slot has no lines
        d.spin(ROW_FORM_INDENT_SPIN, -5);
        EXPECT_EQ(d.get_number(ROW_FORM_INDENT), 0);
        d.press_escape();
    });
    s.word = encode_line_format(format(2, -2, 0));   // hanging: 前 not below 2
    run(s, [](DialogSession& d) {
        d.spin(ROW_FORM_INDENT_SPIN, -5);
        EXPECT_EQ(d.get_number(ROW_FORM_INDENT), 2);
        d.press_escape();
    });
    // An indentation wider than the format: 後 stays at 0.
    s.word = encode_line_format(format(15, 0, 0));
    run(s, [](DialogSession& d) {
        d.spin(ROW_FORM_END_SPIN, -3);
        EXPECT_EQ(d.get_number(ROW_FORM_END), 0);
        d.spin(ROW_FORM_END_SPIN, 3);
        EXPECT_EQ(d.get_number(ROW_FORM_END), 0);
        d.press_escape();
    });
}

TEST_F(RowForm, InvalidFirstLineIsCorrectedAndTheDialogStays) {
    RowFormSetup s;
    s.mode = 2;
    int result = 0;
    const std::uint32_t w = run(s, [](DialogSession& d) {
        d.type_text(ROW_FORM_INDENT, "1");
        d.type_text(ROW_FORM_FIRST, "-3");
        d.press(ROW_FORM_SET);
        EXPECT_FALSE(d.ended());
        EXPECT_EQ(d.get_number(ROW_FORM_FIRST), -1);
        d.press(ROW_FORM_SET);
    }, &result);
    EXPECT_EQ(result, DIALOG_OK);
    EXPECT_TRUE(messages.saw("一列目インデント値が不正です｡"));
    EXPECT_EQ(w, encode_line_format(format(1, -1, 0)));
    EXPECT_EQ(w, 0x05100000u);
}

TEST_F(RowForm, ColourSizeAndBoldBuildTheWordAndSeventyPercentSurvives) {
    RowFormSetup s;
    s.mode = 1;
    s.format_font_bold = true;   // 太字 shows the effective boldness
    s.word = with_size_index(0, 7);
    const std::uint32_t kept = run(s, [](DialogSession& d) {
        EXPECT_EQ(d.get_selection(ROW_FORM_SIZE), 7);
        EXPECT_TRUE(d.get_check(ROW_FORM_BOLD));
        EXPECT_FALSE(d.is_enabled(ROW_FORM_COLOUR_FIRST + 9));
        d.press(ROW_FORM_SET);
    });
    EXPECT_EQ(kept, with_size_index(0, 7));
    const std::uint32_t w = run(s, [](DialogSession& d) {
        d.press(ROW_FORM_COLOUR_ON);
        d.press(ROW_FORM_COLOUR_FIRST + 9);
        d.select(ROW_FORM_SIZE, 0);
        d.press(ROW_FORM_BOLD);   // off: the toggle inverts the bold format font
        d.press(ROW_FORM_HELP);
        d.press_enter();
    });
    EXPECT_EQ(w, 0x9800C000u);
    EXPECT_EQ(messages.help_topics, std::vector<std::string>{"ROWINF"});
}

TEST_F(RowForm, MarkedLinesGetTheWordAsOneUndoableChange) {
    Document doc;
    DocumentState state;
    EditState edit;
    EditContext c{doc, state, edit, nullptr};
    doc.rules = test::rules(10, 1);
    edit.frame.screen_lines = 20;
    test::build(doc, {sj("一"), sj("二"), sj("三"), sj("四")});
    place_cursor(c, TextPos(1, 0));
    // The marking ends at the start of line 3: lines 1 and 2.
    edit.mark = Marking{true, TextPos(1, 0), TextPos(3, 0), false};
    host.script([](DialogSession& d) {
        EXPECT_EQ(d.get_number(ROW_FORM_LINES), 2);
        d.type_text(ROW_FORM_INDENT, "3");
        d.press(ROW_FORM_SET);
    });
    EXPECT_EQ(run_row_form(c, 10, false, 0), DIALOG_OK);
    EXPECT_FALSE(edit.mark.on);
    EXPECT_EQ(doc.formats.word(0), 0u);
    EXPECT_EQ(doc.formats.word(1), 0x00300000u);
    EXPECT_EQ(doc.formats.word(2), 0x00300000u);
    EXPECT_EQ(doc.formats.word(3), 0u);
    EXPECT_EQ(state.modified & MODIFIED_EXTENSION, MODIFIED_EXTENSION);
    ASSERT_TRUE(undo(c));
    EXPECT_EQ(doc.formats.word(1), 0u);
    EXPECT_EQ(doc.formats.word(2), 0u);
    // 閉じる changes nothing and still ends a marking.
    edit.mark = Marking{true, TextPos(0, 0), TextPos(0, 2), false};
    host.script([](DialogSession& d) { d.press(ROW_FORM_CLOSE); });
    EXPECT_EQ(run_row_form(c, 10, false, 0), DIALOG_CANCEL);
    EXPECT_FALSE(edit.mark.on);
    EXPECT_EQ(doc.formats.word(0), 0u);
}

struct RowFmReg : ::testing::Test {
    FakeDialogHost host;
    FakeMessages messages;
    SettingsState settings;
};

TEST_F(RowFmReg, TriggersAreStoredOnlyAsOneFullWidthCharacter) {
    host.script([](DialogSession& d) {
        EXPECT_EQ(d.caption(), sj("　書式 3  行書式登録"));
        d.type_text(ROWFM_REG_TRIGGER + 0, sj("」"));
        d.type_text(ROWFM_REG_TRIGGER + 1, "ab");   // two bytes, but no full-width character
        d.type_text(ROWFM_REG_TRIGGER + 2, "a");
        d.press(ROWFM_REG_ENABLED + 0);
        d.press(ROWFM_REG_AFTER + 0);
        d.press(ROWFM_REG_KEYS);
        d.press(ROWFM_REG_SET);
    });
    ASSERT_TRUE(run_rowfm_reg(&settings, 2, 20, false, 0));
    const SettingsRecord& r = settings.rec;
    EXPECT_EQ(r.line_format_triggers[2][0][0], 0x81);
    EXPECT_EQ(r.line_format_triggers[2][0][1], 0x76);
    EXPECT_EQ(r.line_format_triggers[2][1][0], 0);
    EXPECT_EQ(r.line_format_triggers[2][1][1], 0);
    EXPECT_EQ(r.line_format_triggers[2][2][0], 0);
    EXPECT_EQ(r.line_format_triggers[2][2][1], 0);
    EXPECT_EQ(r.line_format_enabled[2], 1);
    EXPECT_EQ(r.line_format_after_typing[2], 1);
    EXPECT_EQ(r.line_format_options[2], 1);
    EXPECT_TRUE(settings.changed);
    const RegisteredLineFormats e = registered_line_formats(r, 2);
    EXPECT_EQ(e.triggers[0], 0x8176);
    EXPECT_TRUE(e.function_keys);
    EXPECT_EQ(e.enabled, 1);
}

TEST_F(RowFmReg, EnablingWithoutATriggerIsRefused) {
    host.script([](DialogSession& d) {
        d.press(ROWFM_REG_ENABLED + 4);
        EXPECT_FALSE(d.get_check(ROWFM_REG_ENABLED + 4));
        d.press(ROWFM_REG_CLOSE);
    });
    EXPECT_FALSE(run_rowfm_reg(&settings, 0, 20, false, 0));
    EXPECT_TRUE(messages.saw("判定する文字が空欄です。\n文字を入力してからオンにしてください。"));
    EXPECT_FALSE(settings.changed);
}

TEST_F(RowFmReg, ChangeStoresTheSlotsWordAtOnce) {
    host.script([](DialogSession& d) {
        EXPECT_EQ(d.get_text(ROWFM_REG_SIZE + 5), "");
        d.press(ROWFM_REG_CHANGE + 5);
        EXPECT_EQ(d.get_text(ROWFM_REG_SIZE + 5), "140%");
        EXPECT_EQ(d.get_text(ROWFM_REG_INDENT + 5), "2");
        EXPECT_EQ(d.get_text(ROWFM_REG_COLOUR + 5), sj("赤"));
        d.press(ROWFM_REG_CLOSE);
    });
    host.script([](DialogSession& d) {
        d.type_text(ROW_FORM_INDENT, "2");
        d.select(ROW_FORM_SIZE, 0);
        d.press(ROW_FORM_COLOUR_ON);
        d.press(ROW_FORM_COLOUR_FIRST + 9);
        d.press(ROW_FORM_SET);
    });
    EXPECT_FALSE(run_rowfm_reg(&settings, 0, 20, false, 0));
    EXPECT_EQ(settings.rec.registered_line_formats[0][5], 0x98204000u);
    EXPECT_TRUE(settings.changed);
    EXPECT_EQ(host.opened, (std::vector<std::string>{"ROWFM_REG", "ROW_FORM"}));
}

}  // namespace
}  // namespace rix
