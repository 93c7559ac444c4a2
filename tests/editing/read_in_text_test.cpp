// Text read from a file on its way into the document: the raw form
// insertable_file_text makes of file bytes (line ends, bytes that never
// stand as text, lead bytes without a valid trail byte), and whole files
// read in at the cursor piece by piece, against what loading them gives.
#include "edit_fixture.h"

#include <fstream>
#include <sstream>

#include "document/loader.h"
#include "document/read_in.h"
#include "fuzz/fuzz_entries.h"
#include "rix_build_paths.h"
#include "tests/support/temp_folder.h"
#include "tests/support/corpus.h"

namespace rix::test {
namespace {

using test::read_corpus;

const std::string GETA = GETA_MARK;

TEST(InsertableFileText, LineEndsAndBytesThatNeverStandAsText) {
    EXPECT_EQ(insertable_file_text("a\nb\r\nc\rd\r"), "a\r\nb\r\nc\rd\r");   // a lone CR stays
    EXPECT_EQ(insertable_file_text("\n\n"), "\r\n\r\n");
    EXPECT_EQ(insertable_file_text(std::string("x\0y\x1A" "z\xFC\xFD\xFE\xFF" "w", 10)), "xyzw");
    EXPECT_EQ(insertable_file_text(std::string("\x80\xA0\xA1\xDF" "~\x7F", 6)), std::string("\x80\xA0\xA1\xDF" "~\x7F", 6));
    EXPECT_EQ(insertable_file_text(""), "");
}

// A lead byte keeps its next byte only when that is a trail byte (0x40-0x7E,
// 0x80-0xFC); otherwise the lead becomes 〓 and the next byte is taken on
// its own.
TEST(InsertableFileText, LeadBytesTakeOnlyValidTrailBytes) {
    const struct {
        std::string in, out;
    } cases[] = {
        {"\x88\x40", "\x88\x40"},
        {"\x88\x7E", "\x88\x7E"},
        {"\x88\x7F", GETA + "\x7F"},   // 0x7F is never a trail byte
        {"\x9F\x7F" "a", GETA + "\x7F" "a"},
        {"\xE0\x7F", GETA + "\x7F"},
        {"\xFB\x7F", GETA + "\x7F"},
        {"\x88\x80", "\x88\x80"},
        {"\x88\xFC", "\x88\xFC"},
        {"\x88\x3F", GETA + "?"},
        {"\x88\xFD" "b", GETA + "b"},
        {"\x88\r\n", GETA + "\r\n"},
        {"\x88\n", GETA + "\r\n"},
        {"\x88", GETA},                   // at the end of the text
        {"\x88\x88\x9F", "\x88\x88" + GETA},
        {"\xFC\x40", "@"},                // 0xFC is no lead of the stored text
        {"\x81\xAC", GETA},               // 〓 itself
    };
    for (const auto& k : cases) EXPECT_EQ(insertable_file_text(k.in), k.out) << testing::PrintToString(k.in);
}

struct ReadInText : EditFixture {
    // Reads the file at `path` into the document at the cursor in pieces of
    // at most `limit` bytes, each one insertion; false when one was refused.
    bool read_in(const std::string& path, std::size_t limit) {
        ReadInFile file;
        if (!file.open(path)) return false;
        std::string piece;
        while (file.next_piece(&piece, limit))
            if (!insert_text(c, insertable_file_text(piece), true)) return false;
        return !file.failed();
    }
};

TEST_F(ReadInText, StrayBytesOfAFileBecomeWholeCharacters) {
    TempFolder dir;
    const std::string path = dir.write(
        "in.txt", std::string("\x88\x9F\x88\x7F" "a\r\n" "b\n" "\x88\x3F\0c\r\n" "\x9F\x7F\x1A" "rest", 22));
    build(doc, {""});
    at(0, 0);
    ASSERT_TRUE(read_in(path, 6));
    ASSERT_EQ(doc.lines.count(), 4u);
    EXPECT_EQ(line(0), "\x88\x9F" + GETA + "\x7F" "a");
    EXPECT_EQ(line(1), "b");
    EXPECT_EQ(line(2), GETA + "?c");
    EXPECT_EQ(line(3), GETA + "\x7F");   // the text ends at the file's 0x1A
    EXPECT_EQ(invariant(), "");
}

// Read into an empty document, a novel (line ends, rubies in notation left
// as text) gives the lines a load of the same file gives.
TEST_F(ReadInText, ANovelReadInMatchesItsLoad) {
    const std::string novel = read_corpus("rashomon.txt");
    ASSERT_FALSE(novel.empty());
    LoadSession session;
    fuzz::load_bytes(doc, state, session, novel);
    const std::string loaded = text();

    TempFolder dir;
    const std::string path = dir.write("novel.txt", novel);
    build(doc, {""});
    at(0, 0);
    ASSERT_TRUE(read_in(path, 4096));
    EXPECT_EQ(text(), loaded);
    EXPECT_EQ(invariant(), "");
}

}  // namespace
}  // namespace rix::test
