// The date dialog (see date_dialog.h).
#include "app/edit/date_dialog.h"

#include <algorithm>
#include <ctime>
#include <iterator>
#include <string>
#include <vector>

#include "app/settings/row_form_dialog.h"
#include "editing/dispatch.h"
#include "editing/edit_text.h"
#include "editing/line_formats.h"
#include "platform/codec.h"
#include "platform/messages.h"

namespace rix {

namespace {

struct Pair {
    int edit, spin, lo, hi;
};

constexpr Pair PAIRS[] = {
    {DATE_SET_YEAR, DATE_SET_YEAR_SPIN, 0, DATE_YEAR_MAX},
    {DATE_SET_MONTH, DATE_SET_MONTH_SPIN, 1, 12},
    {DATE_SET_DAY, DATE_SET_DAY_SPIN, 1, 31},
    {DATE_SET_DAYS, DATE_SET_DAYS_SPIN, DATE_DAYS_MIN, DATE_DAYS_MAX},
};

// The two-digit form of a year shown again: a run started at 24 (2024)
// goes on as 24 so that the next run keeps the two-digit display.
int shown_year(int year, bool typed_short) {
    return typed_short && year >= 2000 && year < 2100 ? year - 2000 : year;
}

}  // namespace

int DateDialog::value(DialogContext& ctx, int edit, int spin) const {
    bool ok = false;
    const int v = ctx.get_number(edit, &ok);
    return ok ? v : ctx.get_pos(spin);
}

void DateDialog::init(DialogContext& ctx) {
    const int values[] = {session_.start.year, session_.start.month, session_.start.day, session_.days};
    for (std::size_t i = 0; i < std::size(PAIRS); ++i) {
        ctx.set_range(PAIRS[i].spin, PAIRS[i].lo, PAIRS[i].hi);
        ctx.set_pos(PAIRS[i].spin, values[i]);
        ctx.set_number(PAIRS[i].edit, ctx.get_pos(PAIRS[i].spin));
    }
    ctx.set_radio(DATE_SET_YEAR_NONE, DATE_SET_YEAR_ERA, DATE_SET_YEAR_NONE + static_cast<int>(session_.year));
    ctx.set_check(DATE_SET_WEEKDAY, session_.weekday);
    ctx.set_check(DATE_SET_KANJI, session_.kanji);
    ctx.set_check(DATE_SET_WESTERN_BRACKETS, session_.western_brackets);
}

bool DateDialog::command(DialogContext& ctx, int id, int notification) {
    for (const Pair& p : PAIRS) {
        if (id == p.spin && notification == NOTIFY_SPIN) {
            ctx.set_number(p.edit, ctx.get_pos(p.spin));
            return true;
        }
        if (id == p.edit && notification == NOTIFY_EDIT_CHANGE) {
            bool ok = false;
            const int v = ctx.get_number(p.edit, &ok);
            if (ok) ctx.set_pos(p.spin, v);
            return true;
        }
    }
    if (id == DATE_SET_LINE_FORMAT && notification == NOTIFY_CLICKED) {
        RowFormSetup setup;
        setup.mode = ROW_FORM_MODE_DATE_LINES;
        setup.word = session_.line_word;
        setup.chars_per_line = format_.chars_per_line;
        setup.format_font_bold = format_.format_font_bold;
        RowFormDialog row_form(setup);
        if (run_dialog("ROW_FORM", row_form, ctx.window()) == DIALOG_OK) session_.line_word = row_form.word();
        return true;
    }
    if (id == DATE_SET_HELP && notification == NOTIFY_CLICKED) {
        show_help("DATE");
        return true;
    }
    return false;
}

void DateDialog::keep_values(DialogContext& ctx) {
    // A typed number outside its range is held to the range here, as the
    // spin would have held it.
    session_.start.year = std::clamp(value(ctx, DATE_SET_YEAR, DATE_SET_YEAR_SPIN), 0, DATE_YEAR_MAX);
    session_.start.month = value(ctx, DATE_SET_MONTH, DATE_SET_MONTH_SPIN);
    session_.start.day = value(ctx, DATE_SET_DAY, DATE_SET_DAY_SPIN);
    session_.days = std::clamp(value(ctx, DATE_SET_DAYS, DATE_SET_DAYS_SPIN), DATE_DAYS_MIN, DATE_DAYS_MAX);
    const int radio = ctx.get_radio(DATE_SET_YEAR_NONE, DATE_SET_YEAR_ERA);
    session_.year = radio ? static_cast<YearStyle>(radio - DATE_SET_YEAR_NONE) : YearStyle::NONE;
    session_.weekday = ctx.get_check(DATE_SET_WEEKDAY);
    session_.kanji = ctx.get_check(DATE_SET_KANJI);
    session_.western_brackets = ctx.get_check(DATE_SET_WESTERN_BRACKETS);
}

bool DateDialog::ok(DialogContext& ctx) {
    keep_values(ctx);
    DateRequest r;
    r.start = session_.start;
    r.days = session_.days;
    r.options.year = session_.year;
    r.options.weekday = session_.weekday;
    r.options.kanji = session_.kanji;
    r.options.western_brackets = session_.western_brackets;
    r = normalise_date_request(r);
    switch (check_date_request(r)) {
    case DateRequestCheck::ERA_TOO_EARLY:
        ctx.show_message(MSG_NOTICE, utf8_to_sjis(" 室町時代(1392)以前の年号には対応していません。"), DATE_SET_NOTICE_MS);
        return false;
    case DateRequestCheck::NO_SUCH_START:
    case DateRequestCheck::BAD_DAY_COUNT:   // not reachable: the count was held to its range
        ctx.show_message(MSG_NOTICE, utf8_to_sjis(" 開始日が存在しません。"), DATE_SET_NOTICE_MS);
        return false;
    case DateRequestCheck::OK:
        break;
    }
    const std::string question = date_line(r.start, r.options) + utf8_to_sjis("\n\nこの形式で") + " " +
                                 std::to_string(r.days) + " " + utf8_to_sjis("日分入力しますか？");
    if (ctx.show_message(MSG_YES_NO, question) != MSG_RESULT_YES) return false;
    request_ = r;
    return true;
}

int run_date_insertion(EditContext& c, DateSession& session, const CalendarDate& today,
                       const DateLineFormatSetup& format, WindowRef owner) {
    if (!session.started) {
        session.started = true;
        session.start = today;
        session.days = 1;
    }
    end_marking(c);
    DateDialog dialog(session, format);
    const int result = run_dialog("DATE_SET", dialog, owner);
    if (result != DIALOG_OK) return result;
    const DateRequest& r = dialog.request();
    CalendarDate last;
    const std::string text = date_run_text(r, &last);
    const std::uint32_t first = c.edit.cursor.pos.line();
    if (!insert_text(c, text, true)) return DIALOG_CANCEL;   // past the limits: the notice was shown
    // The lines that hold the dates: the cursor's line (the first date may
    // follow text there) and one more for each further date.
    const std::vector<std::uint32_t> words(static_cast<std::size_t>(r.days), session.line_word);
    set_line_words(c, first, words);
    c.edit.damage.full = true;
    const bool typed_short = session.start.year < 100;
    session.start = last;
    session.start.year = shown_year(last.year, typed_short);
    return result;
}

CalendarDate today_local() {
    const std::time_t now = std::time(nullptr);
    std::tm t{};
    if (!localtime_r(&now, &t)) return {};
    return {t.tm_year + 1900, t.tm_mon + 1, t.tm_mday};
}

}  // namespace rix
