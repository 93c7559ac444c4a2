// The modeless find and replace dialog through the fake dialog host: the
// pre-fill, find next in both directions, replace and replace all, the
// buttons disabled by an empty find text, reopening, closing and help.
#include "app/search/find_dialog.h"

#include <gtest/gtest.h>

#include "../document/doc_builder.h"
#include "editing/cursor.h"
#include "platform/fake_dialogs.h"
#include "platform/fake_messages.h"

namespace rix {
namespace {

using test::build;
using test::sj;

struct FindDialogTest : ::testing::Test {
    FakeDialogHost host;
    FakeMessages messages;
    Document doc;
    DocumentState state;
    EditState edit;
    EditContext c{doc, state, edit, nullptr};
    int runs = 0;
    FindUi ui;

    void SetUp() override {
        doc.rules = test::rules(20, 1);
        edit.frame.screen_lines = 10;
    }
    void TearDown() override {
        close_find_dialog(ui);
        EXPECT_TRUE(host.missing.empty());
    }
    FindServices services() {
        FindServices s;
        s.edit = [this](const std::function<void(EditContext&)>& work) {
            work(c);
            ++runs;
            return true;
        };
        return s;
    }
    DialogSession& open(bool replace) {
        DialogHandle h = open_find_dialog(ui, replace, services());
        EXPECT_NE(h, 0u);
        DialogSession* s = host.session(h);
        EXPECT_NE(s, nullptr);
        return *s;
    }
    std::string line(std::uint32_t n) const {
        const std::uint8_t* p = doc.line_pointer(n);
        std::string out;
        while (*p != 0xFE && *p != 0x1A) out += static_cast<char>(*p++);
        return out;
    }
};

TEST_F(FindDialogTest, PrefillsTheWordAtTheCursorAndFindsBothWays) {
    build(doc, {sj("カーテンを開けた。"), sj("白いカーテン"), sj("カーテン")});
    place_cursor(c, TextPos(1, 4));
    DialogSession& d = open(false);
    EXPECT_EQ(d.get_text(FIND_WHAT_EDIT), sj("カーテン"));
    EXPECT_TRUE(d.get_check(FIND_DOWN_RADIO));
    EXPECT_TRUE(find_dialog_open(ui));
    d.press(FIND_NEXT_BUTTON);   // not the occurrence under the cursor
    EXPECT_EQ(edit.cursor.pos, TextPos(2, 0));
    d.press(FIND_UP_RADIO);
    d.press(FIND_NEXT_BUTTON);
    EXPECT_EQ(edit.cursor.pos, TextPos(1, 4));
    d.press(FIND_NEXT_BUTTON);
    EXPECT_EQ(edit.cursor.pos, TextPos(0, 0));
    d.press(FIND_NEXT_BUTTON);
    EXPECT_EQ(edit.cursor.pos, TextPos(0, 0));
    ASSERT_EQ(messages.log.size(), 1u);
    EXPECT_EQ(messages.utf8(0), "検索語が見つかりません｡");
    EXPECT_TRUE(find_dialog_open(ui));   // the dialog stays open
}

TEST_F(FindDialogTest, AnEmptyFindTextDisablesEveryButton) {
    build(doc, {"abc abc"});
    place_cursor(c, TextPos(0, 7));   // at the line end: nothing to pre-fill
    DialogSession& d = open(true);
    EXPECT_EQ(d.get_text(FIND_WHAT_EDIT), "");
    for (int id : {FIND_NEXT_BUTTON, FIND_REPLACE_BUTTON, FIND_REPLACE_ALL_BUTTON}) EXPECT_FALSE(d.is_enabled(id));
    const int before = runs;
    d.press(FIND_REPLACE_ALL_BUTTON);
    d.press_enter();
    EXPECT_EQ(runs, before);
    EXPECT_EQ(line(0), "abc abc");
    d.type_text(FIND_WHAT_EDIT, "abc");
    for (int id : {FIND_NEXT_BUTTON, FIND_REPLACE_BUTTON, FIND_REPLACE_ALL_BUTTON}) EXPECT_TRUE(d.is_enabled(id));
}

TEST_F(FindDialogTest, ReplaceAndReplaceAll) {
    build(doc, {"one two one", "two one"});
    place_cursor(c, TextPos(0, 0));
    DialogSession& d = open(true);
    d.type_text(FIND_WHAT_EDIT, "one");
    d.type_text(FIND_WITH_EDIT, sj("壱"));
    d.press(FIND_REPLACE_BUTTON);                 // finds the one at the cursor
    EXPECT_EQ(line(0), "one two one");
    d.press(FIND_REPLACE_BUTTON);                 // replaces it, moves to the next
    EXPECT_EQ(line(0), sj("壱") + " two one");
    EXPECT_EQ(edit.cursor.pos, TextPos(0, 7));
    d.press(FIND_REPLACE_ALL_BUTTON);
    EXPECT_EQ(line(0), sj("壱") + " two " + sj("壱"));
    EXPECT_EQ(line(1), "two " + sj("壱"));
    EXPECT_TRUE(messages.saw("置換先が見つかりません｡"));
    EXPECT_TRUE(state.modified & MODIFIED_TEXT);
}

TEST_F(FindDialogTest, ReopeningReplacesTheOpenDialogAndEscapeClosesIt) {
    build(doc, {"word"});
    place_cursor(c, TextPos(0, 0));
    DialogHandle first = open_find_dialog(ui, false, services());
    DialogHandle second = open_find_dialog(ui, true, services());
    EXPECT_FALSE(host.is_open(first));
    EXPECT_TRUE(host.is_open(second));
    EXPECT_TRUE(ui.state.replace_mode);
    EXPECT_EQ(shown_caret_type(ui, 2), 0);             // the frame caret while it is open
    DialogSession& d = *host.session(second);
    d.press(FIND_HELP_BUTTON);
    EXPECT_EQ(messages.help_topics, std::vector<std::string>{"KENTIKAN"});
    d.press_escape();
    EXPECT_FALSE(find_dialog_open(ui));
    EXPECT_EQ(shown_caret_type(ui, 2), 2);
    EXPECT_EQ(host.opened, (std::vector<std::string>{"FIND_TEXT", "REPLACE_TEXT"}));
}

}  // namespace
}  // namespace rix
