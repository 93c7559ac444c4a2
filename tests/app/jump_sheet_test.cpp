// The JUMP sheet through the fake dialog host: the line/page page and its
// notices, the mark page (attach, jump, memory, check memory), the string
// page (box moves, registration, paste, jumps), the tag page without tags, and
// the page remembered in the settings.
#include "app/search/jump_sheet.h"

#include <gtest/gtest.h>

#include "../document/doc_builder.h"
#include "editing/cursor.h"
#include "platform/fake_dialogs.h"
#include "platform/fake_messages.h"

namespace rix {
namespace {

using test::build;
using test::sj;

struct JumpSheetTest : ::testing::Test {
    FakeDialogHost host;
    FakeMessages messages;
    SettingsState settings;
    Document doc;
    DocumentState state;
    EditState edit;
    EditContext c{doc, state, edit, nullptr};
    JumpStrings strings;
    JumpSheetUi ui;
    MarkJumpMemory& memory = ui.memory;
    FakeClipboard clipboard;

    void SetUp() override {
        doc.rules = test::rules(10, 1);
        edit.frame.screen_lines = 10;
        edit.frame.page_columns = 10;
        std::vector<std::string> lines;
        for (int i = 0; i < 40; ++i) lines.push_back("line " + std::to_string(i));
        build(doc, lines);
        place_cursor(c, TextPos(0, 0));
    }
    void TearDown() override {
        EXPECT_TRUE(host.missing.empty());
        EXPECT_EQ(host.left_open, 0);
    }
    int run(int page) {
        settings.rec.jump_sheet_page = static_cast<std::uint8_t>(page);
        JumpSheetServices s;
        s.settings = &settings;
        s.edit = [this](const std::function<void(EditContext&)>& work) {
            work(c);
            return true;
        };
        s.strings = &strings;
        s.ui = &ui;
        s.clipboard = &clipboard;
        return run_jump_sheet(s);
    }
};

TEST_F(JumpSheetTest, LinePageJumpsAndTheirNotices) {
    host.script([this](DialogSession& d) {
        EXPECT_EQ(d.get_page(JUMP_TABS), JUMP_PAGE_LINES);
        d.press(JUMP_BY_LINE);
        EXPECT_EQ(messages.utf8(0), "数字を入力してください｡");
        d.type_text(JUMP_NUMBER_EDIT, "abc");
        d.press(JUMP_BY_LINE);
        EXPECT_EQ(messages.utf8(1), "数字のみ有効です｡");
        d.type_text(JUMP_NUMBER_EDIT, "25");
        d.press_enter();                            // 行 is the default button
        EXPECT_EQ(edit.cursor.pos, TextPos(24, 0));
        d.press(JUMP_BY_PAGE);
        EXPECT_FALSE(d.ended());                    // the sheet stays open
        EXPECT_EQ(messages.utf8(2), "目的の箇所が見付かりません｡");
        d.type_text(JUMP_NUMBER_EDIT, "3");
        d.press(JUMP_BY_PAGE);
        EXPECT_EQ(edit.cursor.pos, TextPos(20, 0));
        EXPECT_EQ(edit.frame.top, TextPos(20, 0));
        d.type_text(JUMP_NUMBER_EDIT, "0");
        d.press(JUMP_BY_COLUMN);
        EXPECT_EQ(messages.log.size(), 4u);
        d.press(JUMP_HELP);
        d.press(DIALOG_CANCEL);
    });
    memory = {true, LINE_MARK_1, true};
    EXPECT_EQ(run(JUMP_PAGE_LINES), DIALOG_CANCEL);
    EXPECT_FALSE(memory.set);                       // a line jump forgets the mark jump
    EXPECT_EQ(messages.help_topics, std::vector<std::string>{"JUMP"});
    EXPECT_TRUE(settings.changed);
}

TEST_F(JumpSheetTest, MarksAreAttachedJumpedToAndRemembered) {
    settings.rec.mark_check_memory = 0x04;
    place_cursor(c, TextPos(5, 0));
    host.script([this](DialogSession& d) {
        EXPECT_TRUE(d.get_check(MARK_CHECK_FIRST + 2));   // the remembered boxes: the line has no marks
        EXPECT_FALSE(d.get_check(MARK_CHECK_FIRST));
        d.press(MARK_CHECK_FIRST);
        d.press(MARK_ATTACH);
        EXPECT_EQ(doc.lines.marks(5), LINE_MARK_1 | LINE_MARK_3);
        EXPECT_TRUE(state.modified & MODIFIED_EXTENSION);
        place_cursor(c, TextPos(30, 0));
        d.press(MARK_TOWARDS_START);
        EXPECT_EQ(edit.cursor.pos, TextPos(5, 0));
        EXPECT_TRUE(memory.set);
        EXPECT_FALSE(memory.forward);
        d.press(MARK_CHECK_FIRST);
        d.press(MARK_CHECK_FIRST + 2);
        d.press(MARK_TOWARDS_END);
        EXPECT_EQ(messages.utf8(0), "マークをチェックしてください｡");
        d.press(DIGIT_KEYS_CHECK);
        EXPECT_EQ(settings.rec.marks_on_digit_keys, 1);
        d.press(MARK_CHECK_FIRST + 3);
        d.press(DIALOG_CANCEL);
    });
    run(JUMP_PAGE_MARKS);
    EXPECT_EQ(settings.rec.mark_check_memory, 0x08);
    // Opened on a line with marks, the boxes show them.
    host.script([](DialogSession& d) {
        EXPECT_TRUE(d.get_check(MARK_CHECK_FIRST));
        EXPECT_TRUE(d.get_check(MARK_CHECK_FIRST + 2));
        EXPECT_FALSE(d.get_check(MARK_CHECK_FIRST + 3));
        EXPECT_TRUE(d.get_check(DIGIT_KEYS_CHECK));
        d.press_escape();
    });
    run(JUMP_PAGE_MARKS);
}

TEST_F(JumpSheetTest, StringBoxesMoveRegisterAndJump) {
    strings[0] = "line 3";
    strings[7] = "eighth";
    settings.rec.jump_string_slot = 7;
    settings.rec.marks_on_digit_keys = 1;
    host.script([this](DialogSession& d) {
        EXPECT_EQ(d.get_text(STRING_EDIT_FIRST), "line 3");
        EXPECT_TRUE(d.get_check(STRING_SLOT_FIRST + 7));
        EXPECT_FALSE(d.get_check(DIGIT_KEYS_CHECK));     // the opposite of the mark page
        d.press(STRING_INSERT);                          // on slot 8: nothing
        EXPECT_EQ(d.get_text(STRING_EDIT_FIRST + 7), "eighth");
        d.press(STRING_DELETE);                          // on slot 8: emptied
        EXPECT_EQ(d.get_text(STRING_EDIT_FIRST + 7), "");
        d.press(STRING_SLOT_FIRST);
        EXPECT_EQ(settings.rec.jump_string_slot, 0);
        d.press(STRING_INSERT);
        EXPECT_EQ(d.get_text(STRING_EDIT_FIRST), "");
        EXPECT_EQ(d.get_text(STRING_EDIT_FIRST + 1), "line 3");
        d.type_text(STRING_EDIT_FIRST, "line 1");
        d.press(STRING_PARTNER_FIRST + 1);
        d.press(STRING_EXCHANGE);
        EXPECT_EQ(d.get_text(STRING_EDIT_FIRST), "line 3");
        EXPECT_EQ(d.get_text(STRING_EDIT_FIRST + 1), "line 1");
        d.press(STRING_TOWARDS_END);                     // the registered text of slot 1
        EXPECT_EQ(edit.cursor.pos, TextPos(3, 0));
        EXPECT_EQ(state.modified, 0);
        d.press(STRING_REGISTER);
        EXPECT_EQ(strings[1], "line 1");
        EXPECT_EQ(strings[7], "");
        EXPECT_TRUE(state.modified & MODIFIED_EXTENSION);
        d.press(STRING_SLOT_FIRST + 1);
        d.press(STRING_TOWARDS_START);
        EXPECT_EQ(edit.cursor.pos, TextPos(1, 0));
        d.press(DIGIT_KEYS_CHECK);
        EXPECT_EQ(settings.rec.marks_on_digit_keys, 0);   // checked: the digits search jump strings
        d.press(DIGIT_KEYS_CHECK);
        EXPECT_EQ(settings.rec.marks_on_digit_keys, 1);
        d.press(DIALOG_CANCEL);
    });
    run(JUMP_PAGE_STRINGS);
}

TEST_F(JumpSheetTest, PasteTakesTheMarkingCutTo24Bytes) {
    build(doc, {"x" + sj("一二三四五六七八九十一二三"), "y"});
    edit.mark = Marking{true, TextPos(0, 0), TextPos(0, 27), false};
    host.script([](DialogSession& d) {
        d.press(STRING_SLOT_FIRST + 2);
        d.press(STRING_PASTE);
        EXPECT_EQ(d.get_text(STRING_EDIT_FIRST + 2), "x" + sj("一二三四五六七八九十一"));
        d.press(DIALOG_CANCEL);
    });
    run(JUMP_PAGE_STRINGS);
    EXPECT_TRUE(clipboard.has_text);
    EXPECT_EQ(strings[2], "");   // not registered
}

TEST_F(JumpSheetTest, PagesSwitchKeepTheBoxesAndAreRemembered) {
    host.script([](DialogSession& d) {
        d.type_text(STRING_EDIT_FIRST + 4, "kept");
        d.select_page(JUMP_TABS, JUMP_PAGE_TAGS);
    });
    host.script([](DialogSession& d) {
        for (int id : {TAG_LIST, TAG_JUMP_BUTTON, TAG_TOWARDS_END, TAG_TOWARDS_START}) EXPECT_FALSE(d.is_enabled(id));
        EXPECT_EQ(d.get_text(TAG_COUNTER), "1 / 0");   // no tags: nothing to jump to
        d.select_page(JUMP_TABS, JUMP_PAGE_STRINGS);
    });
    host.script([this](DialogSession& d) {
        EXPECT_EQ(d.get_text(STRING_EDIT_FIRST + 4), "kept");
        JumpSheetServices other;
        other.ui = &ui;
        EXPECT_EQ(run_jump_sheet(other), DIALOG_CANCEL);   // one sheet at a time
        d.select_page(JUMP_TABS, JUMP_PAGE_LINES);
    });
    host.script([](DialogSession& d) { d.press_escape(); });
    run(JUMP_PAGE_STRINGS);
    EXPECT_EQ(host.opened, (std::vector<std::string>{"STR_JUMP", "TAG_JUMP", "STR_JUMP", "ETC_JUMP"}));
    EXPECT_EQ(settings.rec.jump_sheet_page, JUMP_PAGE_LINES);
    EXPECT_EQ(strings[4], "");
    // Command 311 opens the mark page whatever was shown last.
    host.script([](DialogSession& d) {
        EXPECT_EQ(d.get_page(JUMP_TABS), JUMP_PAGE_MARKS);
        d.press_escape();
    });
    JumpSheetServices marks_only;
    marks_only.settings = &settings;
    EXPECT_EQ(run_jump_sheet(marks_only, JUMP_PAGE_MARKS), DIALOG_CANCEL);
    EXPECT_EQ(settings.rec.jump_sheet_page, JUMP_PAGE_MARKS);
}

TEST(JumpStringBoxes, InsertDeleteExchange) {
    JumpStrings b{"1", "2", "3", "4", "5", "6", "7", "8"};
    insert_string_slot(b, 2);
    EXPECT_EQ(b, (JumpStrings{"1", "2", "", "3", "4", "5", "6", "7"}));
    delete_string_slot(b, 0);
    EXPECT_EQ(b, (JumpStrings{"2", "", "3", "4", "5", "6", "7", ""}));
    exchange_string_slots(b, 0, 6);
    EXPECT_EQ(b, (JumpStrings{"7", "", "3", "4", "5", "6", "2", ""}));
    insert_string_slot(b, 7);
    exchange_string_slots(b, 0, 8);
    EXPECT_EQ(b[0], "7");
}

}  // namespace
}  // namespace rix
