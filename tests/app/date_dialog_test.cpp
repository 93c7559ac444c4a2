// The date dialog through the fake host: today's date at the first opening,
// the sample question with its No keeping the dialog open, the refusals, the
// run inserted as one undo, a start in the middle of a line formatting the
// lines that hold the dates, the date-line word chosen with ROW_FORM, the
// last date shown at the next opening; and 日付入力 as the main window runs it.
//
// Owed: the spin buttons' look on Qt (a widget detail).
#include "app/edit/date_dialog.h"

#include <gtest/gtest.h>

#include "app/settings/row_form_dialog.h"
#include "document/line_format.h"
#include "editing/command_ids.h"
#include "platform/fake_dialogs.h"
#include "platform/files.h"
#include "rix_build_paths.h"
#include "tests/editing/edit_fixture.h"
#include "tests/support/command_app.h"

namespace rix {
namespace {

using test::sj;

struct DateDialogTest : test::EditFixture {
    FakeDialogHost host;
    DateSession session;
    DateLineFormatSetup format;

    int insert(const CalendarDate& today, FakeDialogHost::Script script) {
        host.script(std::move(script));
        const int r = run_date_insertion(c, session, today, format, 0);
        EXPECT_TRUE(host.missing.empty());
        EXPECT_EQ(host.left_open, 0);
        return r;
    }
};

// Sets the start date and the count as a user types them.
void type_start(DialogSession& d, int y, int m, int day, int days) {
    d.type_text(DATE_SET_YEAR, std::to_string(y));
    d.type_text(DATE_SET_MONTH, std::to_string(m));
    d.type_text(DATE_SET_DAY, std::to_string(day));
    d.type_text(DATE_SET_DAYS, std::to_string(days));
}

TEST_F(DateDialogTest, SampleQuestionThenOneUndoableRun) {
    test::build(doc, {sj("前"), sj("後")});
    at(1, 0);
    messages.answer(MSG_RESULT_NO);    // the first answer keeps the dialog open
    messages.answer(MSG_RESULT_YES);
    const int r = insert({2024, 2, 28}, [](DialogSession& d) {
        EXPECT_EQ(d.caption(), sj("　日付入力"));
        // The first opening: today, one day, weekday on, nothing else.
        EXPECT_EQ(d.get_number(DATE_SET_YEAR), 2024);
        EXPECT_EQ(d.get_number(DATE_SET_MONTH), 2);
        EXPECT_EQ(d.get_number(DATE_SET_DAY), 28);
        EXPECT_EQ(d.get_number(DATE_SET_DAYS), 1);
        EXPECT_EQ(d.get_radio(DATE_SET_YEAR_NONE, DATE_SET_YEAR_ERA), DATE_SET_YEAR_NONE);
        EXPECT_TRUE(d.get_check(DATE_SET_WEEKDAY));
        EXPECT_FALSE(d.get_check(DATE_SET_KANJI));
        d.spin(DATE_SET_DAYS_SPIN, 2);
        EXPECT_EQ(d.get_number(DATE_SET_DAYS), 3);
        d.press(DATE_SET_YEAR_WESTERN);
        d.press(DATE_SET_INSERT);
        EXPECT_FALSE(d.ended());      // No: nothing inserted, still open
        d.press(DATE_SET_INSERT);
    });
    EXPECT_EQ(r, DIALOG_OK);
    ASSERT_EQ(messages.log.size(), 2u);
    EXPECT_EQ(messages.log[0].kind, MSG_YES_NO);
    EXPECT_EQ(messages.log[0].text, sj("２０２４年２月２８日（水）\n\nこの形式で 3 日分入力しますか？"));
    EXPECT_EQ(text(), sj("前\r\n２０２４年２月２８日（水）\r\n２０２４年２月２９日（木）\r\n２０２４年３月１日（金）\r\n後") + "\x1A");
    EXPECT_EQ(invariant(), "");
    ASSERT_TRUE(undo(c));
    EXPECT_EQ(text(), sj("前\r\n後") + "\x1A");
    // The next opening starts from the last date written.
    insert({1999, 1, 1}, [](DialogSession& d) {
        EXPECT_EQ(d.get_number(DATE_SET_YEAR), 2024);
        EXPECT_EQ(d.get_number(DATE_SET_MONTH), 3);
        EXPECT_EQ(d.get_number(DATE_SET_DAY), 1);
        EXPECT_EQ(d.get_number(DATE_SET_DAYS), 3);
        EXPECT_EQ(d.get_radio(DATE_SET_YEAR_NONE, DATE_SET_YEAR_ERA), DATE_SET_YEAR_WESTERN);
        d.press(DATE_SET_CLOSE);
    });
}

TEST_F(DateDialogTest, RefusalsLeaveTheDocumentAlone) {
    test::build(doc, {sj("本文")});
    at(0, 0);
    insert({2024, 1, 1}, [](DialogSession& d) {
        type_start(d, 1391, 12, 31, 2);
        d.press(DATE_SET_YEAR_ERA);
        d.press(DATE_SET_INSERT);
        EXPECT_FALSE(d.ended());
        type_start(d, 2023, 2, 29, 2);
        d.press(DATE_SET_INSERT);
        EXPECT_FALSE(d.ended());
        d.press(DATE_SET_HELP);
        d.press_escape();
    });
    ASSERT_EQ(messages.log.size(), 2u);
    EXPECT_EQ(messages.log[0].text, sj(" 室町時代(1392)以前の年号には対応していません。"));
    EXPECT_EQ(messages.log[0].time_ms, 3000u);
    EXPECT_EQ(messages.log[1].text, sj(" 開始日が存在しません。"));
    EXPECT_EQ(messages.help_topics, std::vector<std::string>{"DATE"});
    EXPECT_EQ(text(), sj("本文") + "\x1A");
    // The values typed stay for the next opening.
    EXPECT_EQ(session.start, (CalendarDate{2023, 2, 29}));
    EXPECT_EQ(session.year, YearStyle::ERA);
}

TEST_F(DateDialogTest, MidLineStartFormatsTheLinesHoldingTheDates) {
    test::build(doc, {sj("日記の頭"), sj("次")});
    at(0, 4);    // after 日記
    messages.answer(MSG_RESULT_YES);
    insert({2019, 4, 30}, [](DialogSession& d) {
        d.type_text(DATE_SET_DAYS, "2");
        d.press(DATE_SET_YEAR_ERA);
        d.press(DATE_SET_INSERT);
    });
    EXPECT_EQ(text(), sj("日記平成３１年４月３０日（火）\r\n令和元年５月１日（水）\r\nの頭\r\n次") + "\x1A");
    // Without a chosen word the lines keep 0.
    EXPECT_EQ(doc.formats.word(0), 0u);
    EXPECT_EQ(doc.formats.word(1), 0u);
}

TEST_F(DateDialogTest, DateLineWordGoesToEveryDateLine) {
    test::build(doc, {sj("日記の頭"), sj("次")});
    at(0, 4);
    messages.answer(MSG_RESULT_YES);
    host.script([](DialogSession& d) {
        d.type_text(DATE_SET_DAYS, "2");
        d.press(DATE_SET_LINE_FORMAT);
        d.press(DATE_SET_INSERT);
    });
    host.script([](DialogSession& rf) {   // ROW_FORM, opened from the date dialog
        EXPECT_FALSE(rf.is_enabled(ROW_FORM_LINES));
        rf.type_text(ROW_FORM_INDENT, "2");
        rf.press(ROW_FORM_SET);
    });
    EXPECT_EQ(run_date_insertion(c, session, {2024, 5, 1}, format, 0), DIALOG_OK);
    EXPECT_EQ(host.opened, (std::vector<std::string>{"DATE_SET", "ROW_FORM"}));
    const std::uint32_t word = session.line_word;
    EXPECT_EQ(decode_line_format(word).indent, 2);
    EXPECT_EQ(doc.formats.word(0), word);   // 日記 + the first date
    EXPECT_EQ(doc.formats.word(1), word);
    EXPECT_EQ(doc.formats.word(2), 0u);     // の頭: moved down, no date on it
    EXPECT_EQ(doc.formats.word(3), 0u);
    EXPECT_EQ(state.modified & MODIFIED_EXTENSION, MODIFIED_EXTENSION);
    EXPECT_EQ(invariant(), "");
}

TEST_F(DateDialogTest, TwoDigitYearKeepsItsFormAtTheNextOpening) {
    test::build(doc, {""});
    at(0, 0);
    messages.answer(MSG_RESULT_YES);
    insert({2024, 1, 1}, [](DialogSession& d) {
        type_start(d, 24, 12, 31, 2);
        d.press(DATE_SET_YEAR_WESTERN);
        d.press(DATE_SET_WEEKDAY);   // off
        d.press(DATE_SET_INSERT);
    });
    EXPECT_EQ(text(), sj("２４年１２月３１日\r\n２５年１月１日\r\n") + "\x1A");
    EXPECT_EQ(session.start, (CalendarDate{25, 1, 1}));
}

struct DateCommandTest : test::CommandAppTest {};

TEST_F(DateCommandTest, CommandIsEnabledWithADocumentAndHasItsHelpPage) {
    CommandTable& t = shell->commands();
    EXPECT_EQ(t.topic(COMMAND_DATE), "DATE");
    EXPECT_TRUE(file_exists(std::string(RIX_RESOURCE_DIR) + "/help/HLP_DATE.htm"));
    app.loaded.reset();
    EXPECT_FALSE(t.enabled(COMMAND_DATE));
}

}  // namespace
}  // namespace rix
