// Date lines (see dates.h). Texts are composed in UTF-8 and converted to
// code page 932 once, at the end of each line.
#include "aids/dates.h"

#include <cstdio>

#include "platform/codec.h"

namespace rix {

namespace {

struct Era {
    int year, month, day;   // first day of the era
    const char* name;       // UTF-8
};

// In order of their start. Every era up to 平成 is counted from 1 January of
// its start year; 令和 from its real first day.
constexpr Era ERAS[] = {
    {1392, 1, 1, "明徳"}, {1394, 1, 1, "応永"}, {1428, 1, 1, "正長"}, {1429, 1, 1, "永享"},
    {1441, 1, 1, "嘉吉"}, {1444, 1, 1, "文安"}, {1449, 1, 1, "宝徳"}, {1452, 1, 1, "享徳"},
    {1455, 1, 1, "康正"}, {1457, 1, 1, "長禄"}, {1460, 1, 1, "寛正"}, {1466, 1, 1, "文正"},
    {1467, 1, 1, "応仁"}, {1469, 1, 1, "文明"}, {1487, 1, 1, "長享"}, {1489, 1, 1, "延徳"},
    {1492, 1, 1, "明応"}, {1501, 1, 1, "文亀"}, {1504, 1, 1, "永正"}, {1521, 1, 1, "大永"},
    {1528, 1, 1, "享禄"}, {1532, 1, 1, "天文"}, {1555, 1, 1, "弘治"}, {1558, 1, 1, "永禄"},
    {1570, 1, 1, "元亀"}, {1573, 1, 1, "天正"}, {1592, 1, 1, "文禄"}, {1596, 1, 1, "慶長"},
    {1615, 1, 1, "元和"}, {1624, 1, 1, "寛永"}, {1644, 1, 1, "正保"}, {1648, 1, 1, "慶安"},
    {1652, 1, 1, "承応"}, {1655, 1, 1, "明暦"}, {1658, 1, 1, "万治"}, {1661, 1, 1, "寛文"},
    {1673, 1, 1, "延宝"}, {1681, 1, 1, "天和"}, {1684, 1, 1, "貞享"}, {1688, 1, 1, "元禄"},
    {1704, 1, 1, "宝永"}, {1711, 1, 1, "正徳"}, {1716, 1, 1, "享保"}, {1736, 1, 1, "元文"},
    {1741, 1, 1, "寛保"}, {1744, 1, 1, "延享"}, {1748, 1, 1, "寛延"}, {1751, 1, 1, "宝暦"},
    {1764, 1, 1, "明和"}, {1772, 1, 1, "安永"}, {1781, 1, 1, "天明"}, {1789, 1, 1, "寛政"},
    {1801, 1, 1, "享和"}, {1804, 1, 1, "文化"}, {1818, 1, 1, "文政"}, {1830, 1, 1, "天保"},
    {1844, 1, 1, "弘化"}, {1848, 1, 1, "嘉永"}, {1854, 1, 1, "安政"}, {1860, 1, 1, "万延"},
    {1861, 1, 1, "文久"}, {1864, 1, 1, "元治"}, {1865, 1, 1, "慶応"}, {1868, 1, 1, "明治"},
    {1912, 1, 1, "大正"}, {1926, 1, 1, "昭和"}, {1989, 1, 1, "平成"}, {2019, 5, 1, "令和"},
};

constexpr const char* WEEKDAYS[] = {"日", "月", "火", "水", "木", "金", "土"};
constexpr const char* KANJI_DIGITS[] = {"", "一", "二", "三", "四", "五", "六", "七", "八", "九"};
constexpr const char* KANJI_UNITS[] = {"千", "百", "十", ""};

bool before(const CalendarDate& d, const Era& e) {
    if (d.year != e.year) return d.year < e.year;
    if (d.month != e.month) return d.month < e.month;
    return d.day < e.day;
}

// ASCII digits and brackets of an Arabic-numeral text made full-width.
std::string full_width(const std::string& ascii_utf8) {
    std::string out;
    for (char ch : ascii_utf8) {
        if (ch >= '0' && ch <= '9') {
            const char fw[] = {'\xEF', '\xBC', static_cast<char>('\x90' + (ch - '0')), 0};
            out += fw;
        } else if (ch == '(') {
            out += "（";
        } else if (ch == ')') {
            out += "）";
        } else {
            out += ch;
        }
    }
    return out;
}

std::string format_int(const char* fmt, int v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, fmt, v);
    return buf;
}

std::string kanji_utf8(int n) { return sjis_to_utf8(kanji_number(n)); }

// The year part (UTF-8), empty for YearStyle::NONE.
std::string year_part(const CalendarDate& d, const DateLineOptions& o) {
    switch (o.year) {
    case YearStyle::NONE:
        return {};
    case YearStyle::WESTERN:
        return o.kanji ? kanji_utf8(d.year) + "年" : full_width(format_int("%d", d.year)) + "年";
    case YearStyle::TWO_DIGIT: {
        const int y = d.year - 2000;
        // The year 2000 has no kanji digits of its own: 〇, never a bare 年.
        if (o.kanji) return (y == 0 ? std::string("〇") : kanji_utf8(y)) + "年";
        return full_width(format_int("%02d", y)) + "年";
    }
    case YearStyle::ERA: {
        EraYear e;
        if (!era_of(d, &e)) return {};
        const std::string name = sjis_to_utf8(e.name);
        if (e.year == 1) return name + "元年";
        return name + (o.kanji ? kanji_utf8(e.year) : full_width(format_int("%d", e.year))) + "年";
    }
    }
    return {};
}

}  // namespace

bool is_leap_year(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int month_length(int year, int month) {
    static constexpr int DAYS[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && is_leap_year(year) ? 29 : DAYS[month - 1];
}

bool date_exists(const CalendarDate& d) { return d.day >= 1 && d.day <= month_length(d.year, d.month); }

int weekday_of(const CalendarDate& d) {
    const int y = d.month <= 2 ? d.year - 1 : d.year;
    const int m = d.month <= 2 ? d.month + 12 : d.month;
    const int w = (y + y / 4 + d.day + (13 * m + 8) / 5 + y / 400 - y / 100) % 7;
    return w < 0 ? w + 7 : w;
}

CalendarDate next_date(const CalendarDate& d) {
    CalendarDate n = d;
    if (++n.day > month_length(n.year, n.month)) {
        n.day = 1;
        if (++n.month > 12) {
            n.month = 1;
            ++n.year;
        }
    }
    return n;
}

std::string kanji_number(int n) {
    if (n < 0 || n > 9999) return {};
    const int digits[] = {n / 1000, n / 100 % 10, n / 10 % 10, n % 10};
    std::string out;
    for (int i = 0; i < 4; ++i) {
        const int digit = digits[i];
        if (digit == 0) continue;
        if (digit != 1 || i == 3) out += KANJI_DIGITS[digit];
        out += KANJI_UNITS[i];
    }
    return utf8_to_sjis(out);
}

bool era_of(const CalendarDate& d, EraYear* out) {
    const Era* found = nullptr;
    for (const Era& e : ERAS) {
        if (before(d, e)) break;
        found = &e;
    }
    if (!found) return false;
    out->name = utf8_to_sjis(found->name);
    out->year = d.year - found->year + 1;
    return true;
}

std::string date_line(const CalendarDate& d, const DateLineOptions& o) {
    std::string line = year_part(d, o);
    if (o.western_brackets && o.year != YearStyle::NONE) line += "（" + format_int("%d", d.year) + "）";
    const bool weekday = o.weekday && d.year > WEEKDAY_AFTER_YEAR;
    const std::string wd = WEEKDAYS[weekday_of(d)];
    if (o.kanji) {
        line += kanji_utf8(d.month) + "月" + kanji_utf8(d.day) + "日";
        if (weekday) line += "（" + wd + "）";
    } else {
        line += full_width(format_int("%d", d.month) + "月" + format_int("%d", d.day) + "日");
        if (weekday) line += full_width("(") + wd + full_width(")");
    }
    return utf8_to_sjis(line);
}

DateRequest normalise_date_request(DateRequest r) {
    if (r.start.year >= 0 && r.start.year < 100) {
        r.start.year += 2000;
        if (r.options.year == YearStyle::WESTERN) r.options.year = YearStyle::TWO_DIGIT;
    }
    return r;
}

DateRequestCheck check_date_request(const DateRequest& r) {
    if (r.options.year == YearStyle::ERA && r.start.year < ERA_FIRST_YEAR) return DateRequestCheck::ERA_TOO_EARLY;
    if (r.start.year < 0 || r.start.year > DATE_YEAR_MAX || !date_exists(r.start)) return DateRequestCheck::NO_SUCH_START;
    if (r.days < DATE_DAYS_MIN || r.days > DATE_DAYS_MAX) return DateRequestCheck::BAD_DAY_COUNT;
    return DateRequestCheck::OK;
}

std::string date_run_text(const DateRequest& r, CalendarDate* last) {
    std::string text;
    CalendarDate d = r.start;
    for (int i = 0; i < r.days; ++i) {
        if (i > 0) d = next_date(d);
        text += date_line(d, r.options);
        text += "\r\n";
    }
    if (last) *last = d;
    return text;
}

}  // namespace rix
