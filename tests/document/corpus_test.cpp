// The corpus novels (code page 932, CR LF, Aozora ruby notation) load in one
// chunk and in 64-byte chunks to the same document, with ruby reading on and
// off, and keep every character of the file.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "document/loader.h"
#include "fuzz/fuzz_entries.h"
#include "rix_build_paths.h"
#include "tests/support/corpus.h"

namespace rix {
namespace {

using test::read_corpus;

struct Novel {
    const char* file;
    std::uint32_t crlf_lines;   // CR LF pairs in the file
    std::uint64_t rubies;       // ruby blocks the notation gives: every 《 but the empty 《》 of the notation key
};

class Corpus : public ::testing::TestWithParam<Novel> {};

TEST_P(Corpus, SameDocumentInAnyChunkSizeAndNothingLost) {
    const Novel& novel = GetParam();
    std::string text = read_corpus(novel.file);
    ASSERT_FALSE(text.empty()) << novel.file;
    fuzz::LoadCase c;
    c.text = text;
    c.options.chunk_size = 64;
    for (bool rubies : {false, true}) {
        c.options.read_rubies = rubies;
        EXPECT_EQ(fuzz::run_load_case(c), "") << novel.file << " rubies " << rubies;

        Document doc;
        DocumentState state;
        LoadSession session;
        session.options = c.options;
        Notices notices;
        fuzz::load_bytes(doc, state, session, text, false, &notices);
        EXPECT_TRUE(notices.empty());
        // Every line ends in CR LF, so the end mark starts one more, empty line.
        ASSERT_EQ(doc.lines.count(), novel.crlf_lines + 1);
        EXPECT_EQ(doc.load.end, TextPos(novel.crlf_lines, 0));
        DocumentCounts n = count_document(doc);
        EXPECT_EQ(n.rubies, rubies ? novel.rubies : 0);
        if (!rubies) {
            // Without notations the stored characters are the file's, CR LF aside.
            EXPECT_EQ(n.bytes + 2 * novel.crlf_lines, text.size());
            EXPECT_EQ(state.modified, 0);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Novels, Corpus,
                         ::testing::Values(Novel{"bocchan.txt", 539, 3044}, Novel{"yume_juya.txt", 237, 715},
                                           Novel{"rashomon.txt", 69, 132}),
                         [](const auto& info) { return std::string(info.param.file).substr(0, 4); });

}  // namespace
}  // namespace rix
