// The edit history: the line format (golden, from the format's description),
// reading the path back from both size layouts, the recent-documents list,
// removal of a path's lines, and the file operations.
//
// Tests still owed: a history file on a full disk.
#include <gtest/gtest.h>

#include <string>

#include "document/edit_history.h"
#include "platform/codec.h"
#include "platform/files.h"
#include "tests/support/temp_folder.h"

namespace rix {
namespace {

const HistoryStamp STAMP{2026, 3, 7, 9, 5};

std::string sj(const std::string& utf8) { return utf8_to_sjis(utf8); }

std::string pad_to(std::string s, std::size_t n) {
    if (s.size() < n) s.append(n - s.size(), ' ');
    return s;
}

TEST(EditHistory, LineOfASmallDocumentHasOneBlankBeforeItsSize) {
    const std::string path = "/home/w/a.txt";
    const std::string line = history_line(path, 1234, STAMP, sj("題名"));
    // "%s %7lu %02u-%02u-%02u %02u:%02u %-24s " padded to 76.
    const std::string want = pad_to(path + "    1234 26-03-07 09:05 " + pad_to(sj("題名"), 24) + " ", 76);
    EXPECT_EQ(line, want);
    EXPECT_EQ(line.size(), 76u);
    EXPECT_EQ(history_line_path(line), path);
}

TEST(EditHistory, DocumentOfOneMillionBytesAndMoreHasTwoBlanks) {
    const std::string path = "/home/w/長い原稿.txt";
    const std::string line = history_line(path, 1234567, STAMP, "");
    EXPECT_EQ(line, pad_to(path + "  1234567 26-03-07 09:05 " + std::string(24, ' ') + " ", 76));
    EXPECT_EQ(history_line_path(line), path);
    // 999,999 bytes still takes the one-blank form.
    EXPECT_EQ(history_line("/x", 999999, STAMP, "").substr(2, 9), "  999999 ");   // " " and "%7lu"
    EXPECT_EQ(history_line_path(history_line("/x", 999999, STAMP, "")), "/x");
}

TEST(EditHistory, LongPathsAndTitlesAndPathsWithBlanks) {
    const std::string path = "/home/w/" + std::string(120, 'a') + "/b.txt";
    const std::string line = history_line(path, 5, STAMP, "t");
    EXPECT_GT(line.size(), 76u);
    EXPECT_EQ(history_line_path(line), path);
    // Two blanks inside a path do not end it.
    EXPECT_EQ(history_line_path(history_line("/a  b/c d.txt", 5, STAMP, "")), "/a  b/c d.txt");
    // A title is cut to 24 bytes on a character boundary: 13 full-width
    // characters (26 bytes) keep 12; 1 + 12 full-width keep 23 bytes.
    const std::string wide = sj("あいうえおかきくけこさしす");
    EXPECT_EQ(history_line("/p", 1, STAMP, wide).substr(26, 25), sj("あいうえおかきくけこさし") + " ");
    const std::string odd = "x" + sj("あいうえおかきくけこさしす");
    const std::string cut = history_line("/p", 1, STAMP, odd).substr(26, 25);
    EXPECT_EQ(cut, "x" + sj("あいうえおかきくけこさ") + "  ");
}

TEST(EditHistory, OlderAndDamagedLinesHaveNoPath) {
    EXPECT_EQ(history_line_path("C:\\DOC\\A     TXT 12-01-01"), "");
    EXPECT_EQ(history_line_path(std::string(80, 'x')), "");
    EXPECT_EQ(history_line_path(""), "");
}

std::string history_of(const std::vector<std::string>& paths, const char* end = "\r\n") {
    std::string text;
    for (const std::string& p : paths) text += history_line(p, 10, STAMP, "") + end;
    return text;
}

TEST(EditHistory, TwelveDocumentsGiveTheTenNewestFirst) {
    std::vector<std::string> paths;
    for (int i = 1; i <= 12; ++i) paths.push_back("/d/doc" + std::to_string(i) + ".txt");
    const std::vector<std::string> recent = recent_documents(history_of(paths));
    ASSERT_EQ(recent.size(), 10u);
    EXPECT_EQ(recent.front(), "/d/doc12.txt");
    EXPECT_EQ(recent.back(), "/d/doc3.txt");
}

TEST(EditHistory, RepeatedSavesAreOneEntryAtTheirLastPlace) {
    const std::string text = history_of({"/a", "/b", "/a", "/a", "/c", "/b"});
    EXPECT_EQ(recent_documents(text), (std::vector<std::string>{"/b", "/c", "/a"}));
    EXPECT_EQ(recent_documents(history_of({"/a", "/a", "/a"})), std::vector<std::string>{"/a"});
}

TEST(EditHistory, LineEndsOfEitherKindAndOlderLinesAreRead) {
    const std::string lf = history_of({"/a", "/b"}, "\n");
    const std::string crlf = history_of({"/a", "/b"});
    EXPECT_EQ(recent_documents(lf), recent_documents(crlf));
    EXPECT_EQ(recent_documents(lf), (std::vector<std::string>{"/b", "/a"}));
    // An older short line, and a last line without its line end.
    const std::string mixed = "OLD LINE\r\n" + history_line("/c", 1, STAMP, "");
    EXPECT_EQ(recent_documents(mixed), std::vector<std::string>{"/c"});
    EXPECT_EQ(split_history_lines("a\r\nb\nc").size(), 3u);
}

TEST(EditHistory, LongLinesAreReadWhole) {
    // A line past 310 bytes is one entry, not two.
    const std::string path = "/" + std::string(400, 'p') + ".txt";
    const std::string text = history_of({"/a", path});
    EXPECT_EQ(recent_documents(text), (std::vector<std::string>{path, "/a"}));
    EXPECT_EQ(split_history_lines(text).size(), 2u);
}

TEST(EditHistory, TheNewestLinesCountInALongHistory) {
    std::string text;
    for (std::size_t i = 0; i < HISTORY_MAX_LINES + 5; ++i) text += history_line("/old", 1, STAMP, "") + "\r\n";
    text += history_line("/new", 1, STAMP, "") + "\r\n";
    EXPECT_EQ(recent_documents(text), (std::vector<std::string>{"/new", "/old"}));
}

TEST(EditHistory, RemovalLeavesOtherLinesByteForByte) {
    const std::string text = "OLD\n" + history_of({"/a", "/b"}) + history_of({"/a"}, "\n") + history_of({"/A"});
    const std::string kept = history_without(text, "/a");
    EXPECT_EQ(kept, "OLD\n" + history_of({"/b"}) + history_of({"/A"}));
    EXPECT_EQ(history_without(text, "/none"), text);
}

TEST(EditHistory, DisplayLinesShowFolderNameExtensionAndRest) {
    const std::string line = history_line("/home/writer/novels/第一章.txt", 2048, STAMP, sj("題"));
    const std::string shown = history_display_line(line);
    EXPECT_EQ(shown.substr(0, 2), "  ");
    EXPECT_EQ(shown.substr(2, 17), "me/writer/novels/");
    EXPECT_EQ(shown.substr(19, 24), pad_to("第一章", 24));
    EXPECT_EQ(shown.substr(43, 4), ".txt");
    EXPECT_EQ(shown.substr(47), "    2048 26-03-07 09:05 " + sj("題"));
    EXPECT_EQ(history_display_line("OLD LINE"), "OLD LINE");
}

TEST(EditHistoryFile, AppendWritesCrLfAndRemovalReplacesTheFile) {
    test::TempFolder dir;
    const std::string log = dir.file("rix.log");
    EXPECT_FALSE(remove_from_history(log, "/a"));   // no file yet
    ASSERT_TRUE(append_history(log, history_line("/a", 10, STAMP, "")));
    ASSERT_TRUE(append_history(log, history_line("/b", 10, STAMP, "")));
    std::string text;
    ASSERT_TRUE(read_whole_file(log, &text));
    EXPECT_EQ(text, history_of({"/a", "/b"}));
    ASSERT_TRUE(remove_from_history(log, "/a"));
    ASSERT_TRUE(read_whole_file(log, &text));
    EXPECT_EQ(text, history_of({"/b"}));
    EXPECT_EQ(list_folder_names(dir.path()), std::vector<std::string>{"rix.log"});   // no temporary left
}

// A history whose last line lost its end (cut short, edited by hand): the
// appended line starts a line of its own and is the newest recent document.
TEST(EditHistoryFile, AppendAfterALastLineWithoutItsEnd) {
    test::TempFolder dir;
    const std::string log = dir.file("rix.log");
    const std::string cut = history_line("/a", 10, STAMP, "");
    ASSERT_TRUE(atomic_replace(log, cut));
    ASSERT_TRUE(append_history(log, history_line("/b", 10, STAMP, "")));
    std::string text;
    ASSERT_TRUE(read_whole_file(log, &text));
    EXPECT_EQ(text, history_of({"/a", "/b"}));
    EXPECT_EQ(recent_documents(text), (std::vector<std::string>{"/b", "/a"}));
}

}  // namespace
}  // namespace rix
