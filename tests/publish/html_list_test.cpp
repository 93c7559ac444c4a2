// The list file of a page of several documents.
#include "publish/html_list.h"

#include <gtest/gtest.h>

namespace rix {
namespace {

TEST(HtmlList, LinesAreNameCommaTitleWithCrLf) {
    EXPECT_EQ(html_list_line("a.txt", "\x8F\xAC\x90\xE0"), "a.txt,\x8F\xAC\x90\xE0\r\n");
    EXPECT_EQ(html_list_line("b.txt", ""), "b.txt,\r\n");
}

TEST(HtmlList, ReadingStopsAtALineWithoutACommaAndKeepsTheEarlierOnes) {
    HtmlListRead r = read_html_list("one.txt,First\r\ntwo.txt,\r\nthree.txt\r\nfour.txt,Fourth\r\n");
    ASSERT_EQ(r.lines.size(), 2u);
    EXPECT_EQ(r.lines[0].file, "one.txt");
    EXPECT_EQ(r.lines[0].title, "First");
    EXPECT_EQ(r.lines[1].file, "two.txt");
    EXPECT_EQ(r.lines[1].title, "");
    EXPECT_TRUE(r.bad);
    EXPECT_EQ(r.bad_line, 3);

    // LF alone, no line end at the end, a quiet empty last line.
    r = read_html_list("a.txt,A\nb.txt,B");
    EXPECT_FALSE(r.bad);
    EXPECT_EQ(r.lines.size(), 2u);
    EXPECT_EQ(r.lines[1].title, "B");
    r = read_html_list("a.txt,A\n\n");
    EXPECT_FALSE(r.bad);
    r = read_html_list("a.txt,A\n\nb.txt,B\n");
    EXPECT_TRUE(r.bad);   // an empty line in the middle is no list line
    EXPECT_EQ(r.lines.size(), 1u);
    EXPECT_FALSE(read_html_list("").bad);
}

TEST(HtmlList, NamesMustBeBareFileNames) {
    for (const char* text : {"../secret.txt,x", "/etc/passwd,x", "sub/a.txt,x", "sub\\a.txt,x", "..,x", ",x"}) {
        HtmlListRead r = read_html_list(text);
        EXPECT_TRUE(r.bad) << text;
        EXPECT_TRUE(r.lines.empty()) << text;
    }
    // 0x5C as the trail byte of 表 is part of the name, not a folder separator.
    HtmlListRead r = read_html_list("\x95\x5C.txt,x");
    ASSERT_FALSE(r.bad);
    EXPECT_EQ(r.lines[0].file, "\x95\x5C.txt");
    // A comma inside a double-byte character does not end the name: 0x2C is
    // no trail byte, so only a real comma counts.
    EXPECT_TRUE(bare_file_name("\x82\xA0.txt"));
}

TEST(HtmlList, TitlesAreCutAtFortyBytesOnACharacterBoundary) {
    std::string title(39, 'a');
    title += "\x82\xA0\x82\xA0";   // the double-byte character at 39..40 would cross the limit
    HtmlListRead r = read_html_list("a.txt," + title + "\r\n");
    ASSERT_EQ(r.lines.size(), 1u);
    EXPECT_EQ(r.lines[0].title, std::string(39, 'a'));
    r = read_html_list("a.txt," + std::string(50, 'b'));
    EXPECT_EQ(r.lines[0].title, std::string(40, 'b'));
}

TEST(HtmlList, TheNextListNameFollowsTheHighestNumber) {
    EXPECT_EQ(next_html_list_name({}, "doc.txt"), "list_001.txt");
    EXPECT_EQ(next_html_list_name({"list_003.txt", "list_010.txt", "list_x.txt", "list_020.htm", "other.txt"},
                                  "doc.txt"),
              "list_011.txt");
    // The open document itself is never proposed.
    EXPECT_EQ(next_html_list_name({"list_004.txt"}, "list_005.txt"), "list_006.txt");
    EXPECT_EQ(next_html_list_name({"list_999.txt"}, "a.txt"), "list_1000.txt");
}

}  // namespace
}  // namespace rix
