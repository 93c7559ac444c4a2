// Date lines without a window: kanji numerals, the weekday formula across
// January/February and the century rules, the era table with its 令和 day
// boundary and 元年, the examples of the description written out in full
// (golden texts typed from it, not taken from our output), and the refusals.
//
// Owed: nothing here; the dialog and the insertion are tests/app/date_dialog_test.
#include "aids/dates.h"

#include <gtest/gtest.h>

#include "platform/codec.h"

namespace rix {
namespace {

std::string u8(const std::string& sjis) { return sjis_to_utf8(sjis); }

std::string run(int y, int m, int d, int days, DateLineOptions o) {
    DateRequest r;
    r.start = {y, m, d};
    r.days = days;
    r.options = o;
    r = normalise_date_request(r);
    EXPECT_EQ(check_date_request(r), DateRequestCheck::OK);
    return u8(date_run_text(r, nullptr));
}

DateLineOptions opts(YearStyle year, bool weekday = true, bool kanji = false, bool western = false) {
    DateLineOptions o;
    o.year = year;
    o.weekday = weekday;
    o.kanji = kanji;
    o.western_brackets = western;
    return o;
}

TEST(KanjiNumerals, OnesStandOnlyInTheUnitsPlace) {
    const std::pair<int, const char*> cases[] = {
        {0, ""},        {1, "一"},        {10, "十"},     {11, "十一"},         {20, "二十"},
        {100, "百"},    {101, "百一"},    {1000, "千"},   {2024, "二千二十四"}, {9999, "九千九百九十九"},
        {110, "百十"},  {1111, "千百十一"}, {3005, "三千五"},
    };
    for (const auto& [n, text] : cases) EXPECT_EQ(u8(kanji_number(n)), text) << n;
    EXPECT_EQ(kanji_number(-1), "");
    EXPECT_EQ(kanji_number(10000), "");
}

TEST(Calendar, WeekdaysAcrossJanuaryFebruaryAndTheCenturyRules) {
    struct Case { CalendarDate d; int weekday; };
    const Case cases[] = {
        {{2024, 1, 1}, 1},  {{2024, 1, 31}, 3}, {{2024, 2, 1}, 4}, {{2024, 2, 29}, 4}, {{2024, 3, 1}, 5},
        {{1900, 2, 28}, 3}, {{1900, 3, 1}, 4},  // 1900 has no 29 February
        {{2000, 2, 29}, 2}, {{2000, 3, 1}, 3},  // 2000 has one
        {{2100, 2, 28}, 0}, {{2100, 3, 1}, 1},  {{1868, 1, 1}, 3}, {{2019, 5, 1}, 3},
    };
    for (const Case& c : cases) EXPECT_EQ(weekday_of(c.d), c.weekday) << c.d.year << "-" << c.d.month << "-" << c.d.day;
    EXPECT_FALSE(is_leap_year(1900));
    EXPECT_TRUE(is_leap_year(2000));
    EXPECT_TRUE(is_leap_year(2024));
    EXPECT_FALSE(is_leap_year(2023));
    EXPECT_EQ(next_date({1900, 2, 28}), (CalendarDate{1900, 3, 1}));
    EXPECT_EQ(next_date({2000, 2, 28}), (CalendarDate{2000, 2, 29}));
    EXPECT_EQ(next_date({2023, 12, 31}), (CalendarDate{2024, 1, 1}));
    EXPECT_EQ(next_date({2024, 4, 30}), (CalendarDate{2024, 5, 1}));
}

TEST(Eras, TableBoundariesGannenAndReiwa) {
    EraYear e;
    EXPECT_FALSE(era_of({1391, 12, 31}, &e));
    ASSERT_TRUE(era_of({1392, 1, 1}, &e));
    EXPECT_EQ(u8(e.name), "明徳");
    EXPECT_EQ(e.year, 1);
    ASSERT_TRUE(era_of({1430, 6, 1}, &e));
    EXPECT_EQ(u8(e.name), "永享");
    EXPECT_EQ(e.year, 2);
    ASSERT_TRUE(era_of({1989, 1, 1}, &e));   // the whole of 1989 is 平成元年
    EXPECT_EQ(u8(e.name), "平成");
    EXPECT_EQ(e.year, 1);
    ASSERT_TRUE(era_of({2019, 4, 30}, &e));
    EXPECT_EQ(u8(e.name), "平成");
    EXPECT_EQ(e.year, 31);
    ASSERT_TRUE(era_of({2019, 5, 1}, &e));
    EXPECT_EQ(u8(e.name), "令和");
    EXPECT_EQ(e.year, 1);
    ASSERT_TRUE(era_of({2020, 1, 1}, &e));
    EXPECT_EQ(u8(e.name), "令和");
    EXPECT_EQ(e.year, 2);
}

TEST(DateRuns, ExamplesOfTheDescription) {
    EXPECT_EQ(run(2024, 2, 28, 3, opts(YearStyle::WESTERN)),
              "２０２４年２月２８日（水）\r\n２０２４年２月２９日（木）\r\n２０２４年３月１日（金）\r\n");
    EXPECT_EQ(run(2023, 2, 28, 2, opts(YearStyle::NONE, false)), "２月２８日\r\n３月１日\r\n");
    EXPECT_EQ(run(1989, 1, 1, 1, opts(YearStyle::ERA, false)), "平成元年１月１日\r\n");
    EXPECT_EQ(run(1989, 1, 7, 1, opts(YearStyle::ERA, false)), "平成元年１月７日\r\n");
    EXPECT_EQ(run(24, 3, 1, 1, opts(YearStyle::WESTERN, false)), "２４年３月１日\r\n");
    EXPECT_EQ(run(1868, 9, 8, 1, opts(YearStyle::ERA, false, true)), "明治元年九月八日\r\n");
    EXPECT_EQ(run(1912, 7, 30, 1, opts(YearStyle::ERA, false, true)), "大正元年七月三十日\r\n");
    // No weekday up to 1867, with Arabic and with kanji numerals.
    EXPECT_EQ(run(1867, 12, 31, 2, opts(YearStyle::WESTERN)), "１８６７年１２月３１日\r\n１８６８年１月１日（水）\r\n");
    EXPECT_EQ(run(1867, 12, 31, 2, opts(YearStyle::WESTERN, true, true)),
              "千八百六十七年十二月三十一日\r\n千八百六十八年一月一日（水）\r\n");
}

TEST(DateRuns, ReiwaStartsOnTheFirstOfMayWithinARun) {
    EXPECT_EQ(run(2019, 4, 30, 2, opts(YearStyle::ERA)), "平成３１年４月３０日（火）\r\n令和元年５月１日（水）\r\n");
    EXPECT_EQ(run(2019, 4, 30, 2, opts(YearStyle::ERA, true, true)),
              "平成三十一年四月三十日（火）\r\n令和元年五月一日（水）\r\n");
    EXPECT_EQ(run(2020, 1, 1, 1, opts(YearStyle::ERA, false)), "令和２年１月１日\r\n");
}

TEST(DateRuns, YearFormsAndTheBracketedWesternYear) {
    EXPECT_EQ(run(2024, 5, 3, 1, opts(YearStyle::ERA, false, false, true)), "令和６年（2024）５月３日\r\n");
    EXPECT_EQ(run(2024, 5, 3, 1, opts(YearStyle::WESTERN, true, true)), "二千二十四年五月三日（金）\r\n");
    EXPECT_EQ(run(5, 5, 3, 1, opts(YearStyle::WESTERN, false, false)), "０５年５月３日\r\n");
    EXPECT_EQ(run(5, 5, 3, 1, opts(YearStyle::WESTERN, false, true)), "五年五月三日\r\n");
    // The two-digit year 2000 in kanji is 〇年, not a bare 年.
    EXPECT_EQ(run(0, 1, 10, 1, opts(YearStyle::WESTERN, false, true)), "〇年一月十日\r\n");
    EXPECT_EQ(run(0, 1, 10, 1, opts(YearStyle::WESTERN, false)), "００年１月１０日\r\n");
    // Without a year there is nothing to put the Western year beside.
    EXPECT_EQ(run(2024, 5, 3, 1, opts(YearStyle::NONE, false, false, true)), "５月３日\r\n");
}

TEST(DateRuns, LongRunCrossesYearsAndEndsOnTheLastDate) {
    DateRequest r;
    r.start = {2023, 12, 30};
    r.days = 400;
    r.options = opts(YearStyle::NONE, false);
    CalendarDate last;
    const std::string text = date_run_text(r, &last);
    EXPECT_EQ(last, (CalendarDate{2025, 2, 1}));
    std::size_t lines = 0;
    for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) ++lines;
    EXPECT_EQ(lines, 400u);
}

TEST(DateRequests, RefusalsAndNormalisation) {
    DateRequest r;
    r.start = {1391, 12, 31};
    r.options.year = YearStyle::ERA;
    EXPECT_EQ(check_date_request(normalise_date_request(r)), DateRequestCheck::ERA_TOO_EARLY);
    r.options.year = YearStyle::WESTERN;   // a Western year has no such limit
    EXPECT_EQ(check_date_request(normalise_date_request(r)), DateRequestCheck::OK);
    r.start = {2023, 2, 29};
    EXPECT_EQ(check_date_request(r), DateRequestCheck::NO_SUCH_START);
    r.start = {2024, 13, 1};
    EXPECT_EQ(check_date_request(r), DateRequestCheck::NO_SUCH_START);
    r.start = {2024, 4, 31};
    EXPECT_EQ(check_date_request(r), DateRequestCheck::NO_SUCH_START);
    r.start = {2024, 4, 0};
    EXPECT_EQ(check_date_request(r), DateRequestCheck::NO_SUCH_START);
    r.start = {2024, 2, 29};
    EXPECT_EQ(check_date_request(r), DateRequestCheck::OK);
    r.days = 0;
    EXPECT_EQ(check_date_request(r), DateRequestCheck::BAD_DAY_COUNT);
    r.days = 10000;
    EXPECT_EQ(check_date_request(r), DateRequestCheck::BAD_DAY_COUNT);
    r.days = 9999;
    EXPECT_EQ(check_date_request(r), DateRequestCheck::OK);
    // Year 24: 2024 with the two-digit display; an era display keeps its style.
    r.start = {24, 1, 1};
    const DateRequest n = normalise_date_request(r);
    EXPECT_EQ(n.start.year, 2024);
    EXPECT_EQ(n.options.year, YearStyle::TWO_DIGIT);
    r.options.year = YearStyle::ERA;
    EXPECT_EQ(normalise_date_request(r).options.year, YearStyle::ERA);
}

}  // namespace
}  // namespace rix
