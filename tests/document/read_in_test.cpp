// Pieces of a file read in at the cursor: up to the first 0x1A, cut at line ends.
// The insertion of the pieces is tested in tests/editing/read_in_text_test.cpp.
#include <gtest/gtest.h>

#include "document/read_in.h"
#include "platform/codec.h"
#include "tests/support/temp_folder.h"

using namespace rix;

namespace {
std::string read_all(const std::string& path, std::size_t limit, std::vector<std::string>* pieces) {
    ReadInFile file;
    EXPECT_TRUE(file.open(path));
    std::string whole, piece;
    while (file.next_piece(&piece, limit)) {
        pieces->push_back(piece);
        whole += piece;
    }
    EXPECT_FALSE(file.failed());
    return whole;
}
}  // namespace

TEST(ReadIn, StopsAtTheFirstEndMark) {
    rix::test::TempFolder dir;
    std::string path = dir.write("a.txt", std::string("一行目\r\n二行目\r\n") + '\x1A' + "残り");
    std::vector<std::string> pieces;
    EXPECT_EQ(read_all(path, READ_IN_PIECE, &pieces), "一行目\r\n二行目\r\n");
}

TEST(ReadIn, FileWithoutEndMarkIsTakenWhole) {
    // Shorter than a piece and without 0x1A: every line, not only the first.
    rix::test::TempFolder dir;
    std::string path = dir.write("a.txt", "a\r\nb\r\nc");
    std::vector<std::string> pieces;
    EXPECT_EQ(read_all(path, READ_IN_PIECE, &pieces), "a\r\nb\r\nc");
    EXPECT_EQ(pieces.size(), 1u);
}

TEST(ReadIn, PiecesEndAtLineEndsAndNeverSplitACharacter) {
    rix::test::TempFolder dir;
    std::string text;
    for (int i = 0; i < 50; ++i) text += "\x88\x9f\x88\xa0" "ab\r\n";   // 亜唖ab
    text += std::string(30, '\x88');                                    // a run of lead-like bytes
    std::string path = dir.write("a.txt", text);
    std::vector<std::string> pieces;
    EXPECT_EQ(read_all(path, 17, &pieces), text);
    for (std::size_t i = 0; i + 1 < pieces.size(); ++i) {
        const std::string& p = pieces[i];
        ASSERT_LE(p.size(), 17u);
        bool line_end = !p.empty() && p.back() == '\n';
        bool whole_chars = cut_on_boundary(p, p.size()) == p.size();
        EXPECT_TRUE(line_end || whole_chars) << i;
    }
}

TEST(ReadIn, ALongLineIsNeverCutBetweenCrAndLf) {
    rix::test::TempFolder dir;
    std::string path = dir.write("a.txt", "abcde\r\nfg\x88\x9F\r\n");
    std::vector<std::string> pieces;
    EXPECT_EQ(read_all(path, 6, &pieces), "abcde\r\nfg\x88\x9F\r\n");
    EXPECT_EQ(pieces, (std::vector<std::string>{"abcde", "\r\n", "fg\x88\x9F\r\n"}));
}
