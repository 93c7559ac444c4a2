// Date lines (日付入力): one line of text per day for a run of consecutive
// dates, for diaries and schedules written on manuscript paper. This file is
// the calendar, the era table and the text of each line; the dialog and the
// insertion are app/date_dialog's.
//
// A line is: an optional year part (Western, two-digit or era year), an
// optional Western year in brackets, month and day, and the weekday for years
// after 1867 (before the Gregorian calendar was taken up in Japan the weekday
// would mislead). Numbers are full-width Arabic digits or kanji numerals; the
// bracketed Western year keeps half-width digits.
//
// Eras: the last era whose start is not after the date. The eras up to 平成
// begin on 1 January of their start year; 令和 begins on 2019-05-01, so a
// run that crosses that day switches era on it. Years before 1392 have no
// era in the table and are refused when the era year is asked for.
//
// All texts are code page 932. Nothing here allocates a line longer than
// DATE_LINE_MAX_BYTES.
#pragma once

#include <cstdint>
#include <string>

namespace rix {

struct CalendarDate {
    int year = 2000;    // Gregorian year
    int month = 1;      // 1..12
    int day = 1;        // 1..31
    bool operator==(const CalendarDate&) const = default;
};

// How the year is written. TWO_DIGIT is never chosen in the dialog: a
// Western year typed below 100 becomes it (normalise_date_request).
enum class YearStyle : std::uint8_t { NONE = 0, WESTERN = 1, ERA = 2, TWO_DIGIT = 3 };

struct DateLineOptions {
    YearStyle year = YearStyle::NONE;
    bool weekday = true;          // 曜日 (only after 1867)
    bool kanji = false;           // 漢数字
    bool western_brackets = false;   // 西暦併記: "（2024）" after the year part
};

constexpr int DATE_DAYS_MIN = 1;
constexpr int DATE_DAYS_MAX = 9999;
constexpr int DATE_YEAR_MAX = 2100;         // the dialog's year range is 0..2100
constexpr int ERA_FIRST_YEAR = 1392;        // 明徳: the first era of the table
constexpr int WEEKDAY_AFTER_YEAR = 1867;    // weekdays are written for later years
constexpr std::size_t DATE_LINE_MAX_BYTES = 80;

bool is_leap_year(int year);
// Days of the month; 0 for a month outside 1..12.
int month_length(int year, int month);
bool date_exists(const CalendarDate& d);
// 0 = Sunday .. 6 = Saturday (Gregorian, proleptic).
int weekday_of(const CalendarDate& d);
// The day after `d` (an existing date).
CalendarDate next_date(const CalendarDate& d);

// Kanji numeral of n in 0..9999: 2024 → 二千二十四, 10 → 十, 0 → "".
// Outside that range the result is empty.
std::string kanji_number(int n);

struct EraYear {
    std::string name;   // two kanji, code page 932
    int year = 0;       // 1 = 元年
};
// The era and era year of `d`; false before 1392.
bool era_of(const CalendarDate& d, EraYear* out);

// The text of one date line (without its line end).
std::string date_line(const CalendarDate& d, const DateLineOptions& o);

// What the dialog asked for, before it is checked.
struct DateRequest {
    CalendarDate start;
    int days = 1;
    DateLineOptions options;
};

enum class DateRequestCheck : std::uint8_t {
    OK,
    ERA_TOO_EARLY,    // era year asked for a year before 1392
    NO_SUCH_START,    // the start date does not exist
    BAD_DAY_COUNT,    // days outside 1..9999
};

// A year below 100 is taken as 2000 + year, and a Western year display then
// becomes the two-digit one.
DateRequest normalise_date_request(DateRequest r);
// Checks a normalised request.
DateRequestCheck check_date_request(const DateRequest& r);

// The lines of a checked request, each followed by CR LF; *last receives
// the last date written (may be null).
std::string date_run_text(const DateRequest& r, CalendarDate* last);

}  // namespace rix
