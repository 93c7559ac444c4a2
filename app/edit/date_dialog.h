// The date dialog DATE_SET (command 207, 日付入力): a run of date lines
// (aids/dates.h) inserted at the cursor, one line a day, after the writer has
// seen the first line in a question; the inserted lines then get the
// date-line word chosen with 行書式設定 (ROW_FORM in its date-line mode).
//
// The dialog never changes the text: 入 力 checks the request, asks, and
// closes with the request; run_date_insertion makes the edit afterwards. The
// whole run goes in with one insert_text (one undo takes every date back);
// the line-format word is one journaled change after it when the lines did
// not have it already.
//
// What the dialog holds stays for the life of the process (DateSession),
// never in the settings.
#pragma once

#include <cstdint>

#include "aids/dates.h"
#include "editing/edit_state.h"
#include "platform/dialogs.h"

namespace rix {

// Control ids of DATE_SET.
constexpr int DATE_SET_INSERT = 1;            // 入 力 (the dialog's OK)
constexpr int DATE_SET_CLOSE = 2;             // 閉じる
constexpr int DATE_SET_LINE_FORMAT = 4;       // 行書式設定
constexpr int DATE_SET_HELP = 6;              // ﾍﾙﾌﾟ
constexpr int DATE_SET_YEAR = 1000;           // 0..2100; below 100 is 2000 + year
constexpr int DATE_SET_MONTH = 1100;
constexpr int DATE_SET_DAY = 1200;
constexpr int DATE_SET_DAYS = 1300;           // 日数 1..9999
constexpr int DATE_SET_YEAR_NONE = 1400;      // radios 1400 なし, 1401 あり, 1402 年号
constexpr int DATE_SET_YEAR_WESTERN = 1401;
constexpr int DATE_SET_YEAR_ERA = 1402;
constexpr int DATE_SET_WEEKDAY = 1500;        // 曜日
constexpr int DATE_SET_KANJI = 1600;          // 漢数字
constexpr int DATE_SET_WESTERN_BRACKETS = 1700;   // 西暦併記
constexpr int DATE_SET_YEAR_SPIN = 10000;
constexpr int DATE_SET_MONTH_SPIN = 10001;
constexpr int DATE_SET_DAY_SPIN = 10002;
constexpr int DATE_SET_DAYS_SPIN = 10003;
constexpr unsigned DATE_SET_NOTICE_MS = 3000;
// ROW_FORM's mode for the date-line word.
constexpr int ROW_FORM_MODE_DATE_LINES = 9;

// What the dialog keeps while the program runs.
struct DateSession {
    bool started = false;          // false until the first opening set today's date
    CalendarDate start;            // year as shown: 0..99 stands for 2000..2099
    int days = 1;
    YearStyle year = YearStyle::NONE;   // NONE, WESTERN or ERA
    bool weekday = true;
    bool kanji = false;
    bool western_brackets = false;
    std::uint32_t line_word = 0;   // the date-line word (ROW_FORM mode 9)
};

// What the line-format dialog needs of the current screen format.
struct DateLineFormatSetup {
    int chars_per_line = 20;
    bool format_font_bold = false;
};

class DateDialog final : public DialogProcedure {
public:
    DateDialog(DateSession& session, const DateLineFormatSetup& format) : session_(session), format_(format) {}

    void init(DialogContext& ctx) override;
    bool command(DialogContext& ctx, int id, int notification) override;
    bool ok(DialogContext& ctx) override;
    void cancel(DialogContext& ctx) override { keep_values(ctx); }

    // After 入 力: the checked, normalised request.
    const DateRequest& request() const { return request_; }

private:
    int value(DialogContext& ctx, int edit, int spin) const;
    // The controls' values into the session (the start date as typed).
    void keep_values(DialogContext& ctx);

    DateSession& session_;
    DateLineFormatSetup format_;
    DateRequest request_;
};

// Command 207 at the cursor of `c`: the dialog, then the run inserted and its
// lines given the date-line word. `today` is the start date of the first
// opening. Returns the dialog's result (DIALOG_OK when lines went in).
int run_date_insertion(EditContext& c, DateSession& session, const CalendarDate& today,
                       const DateLineFormatSetup& format, WindowRef owner);

// Today's date from the system clock (local time).
CalendarDate today_local();

}  // namespace rix
