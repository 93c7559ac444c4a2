// The record content box's logic: counts, the date table, find and
// replace, import and export.
// Owed: the title with a count past a billion (the box holds 2.6 million).
#include "database/content_text.h"

#include <gtest/gtest.h>

#include "platform/codec.h"
#include "tests/support/temp_folder.h"

namespace rix {
namespace {

using test::TempFolder;

std::string sj(const char* utf8) { return utf8_to_sjis(utf8); }

TEST(ContentCount, CharactersAndGrouping) {
    EXPECT_EQ(count_characters(""), 0u);
    EXPECT_EQ(count_characters(sj("漢字ab")), 4u);
    EXPECT_EQ(count_characters("a\r\nb"), 3u);
    EXPECT_EQ(count_characters(sj("ア\r\n\r\nｱ")), 4u);
    EXPECT_EQ(content_title(1234, false), sj("サイズ：1,234 文字"));
    EXPECT_EQ(content_title(5, true), sj("サイズ：5 文字　変更"));
}

TEST(ContentDateTime, TheFormatTable) {
    std::tm when{};
    when.tm_year = 2024 - 1900;
    when.tm_mon = 4;
    when.tm_mday = 3;
    when.tm_hour = 9;
    when.tm_min = 5;
    EXPECT_EQ(format_date_time(DateKind::MM_DD, TimeKind::NONE, when), "05-03");
    EXPECT_EQ(format_date_time(DateKind::YY_MM_DD, TimeKind::NONE, when), "2024-05-03");
    EXPECT_EQ(format_date_time(DateKind::MM_DD_JA, TimeKind::NONE, when), sj("5月3日"));
    EXPECT_EQ(format_date_time(DateKind::YY_MM_DD_JA, TimeKind::NONE, when), sj("2024年5月3日"));
    EXPECT_EQ(format_date_time(DateKind::NONE, TimeKind::HH_MM, when), "09:05");
    EXPECT_EQ(format_date_time(DateKind::NONE, TimeKind::HH_MM_JA, when), sj("9時5分"));
    EXPECT_EQ(format_date_time(DateKind::YY_MM_DD, TimeKind::HH_MM, when), "2024-05-03 09:05");
    EXPECT_EQ(format_date_time(DateKind::NONE, TimeKind::NONE, when), "");
}

TEST(ContentFind, CharacterBoundariesAndCase) {
    // ア is 0x83 0x41: its trail byte is an 'A' that no search for "a" may find.
    const std::string text = sj("アxAbcア") + "abc";
    EXPECT_EQ(find_in_content(text, "a", 0, true), 3u);
    EXPECT_EQ(find_in_content(text, "ABC", 4, true), 8u);
    EXPECT_EQ(find_in_content(text, "abc", 8, false), 3u);
    EXPECT_EQ(find_in_content(text, "abc", 3, false), std::string::npos);
    EXPECT_EQ(find_in_content(text, sj("ア"), 1, true), 6u);
    EXPECT_EQ(find_in_content(text, "", 0, true), std::string::npos);
    // A search for the trail byte itself never lands inside a character.
    EXPECT_EQ(find_in_content(sj("表"), "\\", 0, true), std::string::npos);
}

TEST(ContentReplace, AllEndsAndCountsTheOccurrencesBefore) {
    std::string text = "a-a-a";
    EXPECT_EQ(replace_all_in_content(&text, "a", "aa"), 3u);
    EXPECT_EQ(text, "aa-aa-aa");
    text = sj("表表x");
    EXPECT_EQ(replace_all_in_content(&text, "\\", "/"), 0u);   // 表's trail byte is no backslash
    EXPECT_EQ(text, sj("表表x"));
    EXPECT_EQ(replace_all_in_content(&text, sj("表"), ""), 2u);
    EXPECT_EQ(text, "x");
    EXPECT_EQ(replace_all_in_content(&text, "", "y"), 0u);
    EXPECT_EQ(text, "x");
}

TEST(ContentImport, CapNulDanglingLeadAndRoundTrip) {
    TempFolder dir;
    std::string text;
    const std::string crlf = sj("一行目\r\n二行目\r\n");
    const std::string path = dir.write("in.txt", crlf);
    ASSERT_EQ(import_content_file(path, &text), ImportResult::READ);
    EXPECT_EQ(text, crlf);
    ASSERT_TRUE(export_content_file(dir.file("out.txt"), text));
    EXPECT_EQ(test::slurp(dir.file("out.txt")), crlf);

    EXPECT_EQ(import_content_file(dir.write("nul.txt", std::string("ab\0cd", 5)), &text), ImportResult::CUT_AT_NUL);
    EXPECT_EQ(text, "ab");

    // Exactly the cap: whole, no warning.
    std::string big(CONTENT_IMPORT_CAP, 'x');
    EXPECT_EQ(import_content_file(dir.write("cap.txt", big), &text), ImportResult::READ);
    EXPECT_EQ(text.size(), CONTENT_IMPORT_CAP);
    // One byte more: cut, with a lead byte at the cut dropped.
    big[CONTENT_IMPORT_CAP - 1] = '\x88';
    big += '\x9f';
    EXPECT_EQ(import_content_file(dir.write("over.txt", big), &text), ImportResult::CUT_AT_LIMIT);
    EXPECT_EQ(text.size(), CONTENT_IMPORT_CAP - 1);

    EXPECT_EQ(import_content_file(dir.file("missing.txt"), &text), ImportResult::FAILED);
    EXPECT_FALSE(export_content_file(dir.file("no/such/folder/out.txt"), "x"));
}

TEST(ContentFont, HeightSignSpacingAndFace) {
    const TextBoxFormat a = content_format(-18, 700, true, sj("@IPAex明朝"), 0, true, 0x112233);
    EXPECT_EQ(a.pixel_height, 18);
    EXPECT_EQ(a.face, sj("IPAex明朝"));
    EXPECT_EQ(a.weight, 700);
    EXPECT_TRUE(a.italic);
    EXPECT_EQ(a.baseline_offset, 150);
    EXPECT_TRUE(a.vertical);
    const TextBoxFormat b = content_format(18, 400, false, "x", 4, false, 0);
    EXPECT_EQ(b.pixel_height, 18);   // a positive height is read as its size too
    EXPECT_EQ(b.weight, 400);
    EXPECT_EQ(b.baseline_offset, 50);
    EXPECT_EQ(content_format(0, 400, false, "x", 9, false, 0).baseline_offset, 50);
}

}  // namespace
}  // namespace rix
