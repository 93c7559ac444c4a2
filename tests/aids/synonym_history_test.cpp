// The synonym window's search history: no duplicates, the 101st term
// dropping the oldest, terms cut to 29 bytes on a character boundary, the
// file form (golden bytes), 28- and 29-byte terms read back whole, a last
// line without CR LF, bare LFs, overlong files and a missing file.
#include "aids/synonym_history.h"

#include <gtest/gtest.h>

#include "platform/codec.h"
#include "tests/support/temp_folder.h"

namespace rix {
namespace {

std::string sj(std::string_view utf8) { return utf8_to_sjis(utf8); }

std::vector<std::string> parsed(std::string_view bytes) {
    SynonymHistory h;
    h.terms = {"stale"};
    h.changed = true;
    parse_synonym_history(bytes, &h);
    EXPECT_FALSE(h.changed);
    return h.terms;
}

TEST(SynonymHistorySlots, NoDuplicatesAndTheHundredFirstDropsTheOldest) {
    SynonymHistory h;
    EXPECT_TRUE(add_synonym_history(h, sj("曖昧")));
    EXPECT_FALSE(add_synonym_history(h, sj("曖昧")));   // the last one again
    EXPECT_TRUE(add_synonym_history(h, sj("明確")));
    EXPECT_FALSE(add_synonym_history(h, sj("曖昧")));   // already held
    EXPECT_FALSE(add_synonym_history(h, ""));
    EXPECT_EQ(h.terms, (std::vector<std::string>{sj("曖昧"), sj("明確")}));
    EXPECT_TRUE(h.changed);

    SynonymHistory full;
    for (int k = 1; k <= 100; ++k) add_synonym_history(full, "t" + std::to_string(k));
    ASSERT_EQ(full.terms.size(), 100u);
    EXPECT_EQ(full.terms.front(), "t1");
    EXPECT_TRUE(add_synonym_history(full, "t101"));
    ASSERT_EQ(full.terms.size(), 100u);
    EXPECT_EQ(full.terms.front(), "t2");
    EXPECT_EQ(full.terms.back(), "t101");

    EXPECT_TRUE(remove_synonym_history(full, 0));
    EXPECT_FALSE(remove_synonym_history(full, 99));
    EXPECT_EQ(full.terms.front(), "t3");
    clear_synonym_history(full);
    EXPECT_TRUE(full.terms.empty());
}

TEST(SynonymHistorySlots, TermsAreCutToTwentyNineBytesOnACharacterBoundary) {
    SynonymHistory h;
    // 15 two-byte characters: 30 bytes, cut after the fourteenth.
    add_synonym_history(h, sj("あいうえおかきくけこさしすせそ"));
    EXPECT_EQ(h.terms[0], sj("あいうえおかきくけこさしすせ"));
    add_synonym_history(h, std::string(40, 'a'));
    EXPECT_EQ(h.terms[1], std::string(29, 'a'));
}

TEST(SynonymHistoryFile, GoldenBytesAndLongTermsReadBackWhole) {
    SynonymHistory h;
    const std::string t29 = "a" + sj("あいうえおかきくけこさしすせ");   // 29 bytes
    const std::string t28 = sj("あいうえおかきくけこさしすせ");         // 28 bytes
    for (const std::string& t : {sj("曖昧"), t28, t29}) add_synonym_history(h, t);
    const std::string bytes = synonym_history_bytes(h);
    EXPECT_EQ(bytes, sj("曖昧") + "\r\n" + t28 + "\r\n" + t29 + "\r\n");
    EXPECT_EQ(parsed(bytes), h.terms);

    test::TempFolder dir;
    const std::string path = dir.file(SYNONYM_HISTORY_FILE_NAME);
    ASSERT_TRUE(save_synonym_history(path, h));
    EXPECT_FALSE(h.changed);
    SynonymHistory back;
    ASSERT_TRUE(load_synonym_history(path, &back));
    EXPECT_EQ(back.terms, h.terms);
}

TEST(SynonymHistoryFile, OnlyALineEndThatIsThereIsStripped) {
    // The last line lacks its CR LF: its bytes stay whole.
    EXPECT_EQ(parsed(sj("曖昧") + "\r\n" + sj("明確")), (std::vector<std::string>{sj("曖昧"), sj("明確")}));
    // A bare LF, empty lines and repeats.
    EXPECT_EQ(parsed("ab\ncd\r\n\r\n\nab\r\n"), (std::vector<std::string>{"ab", "cd"}));
    // A lone CR at the very end is part of no line end.
    EXPECT_EQ(parsed("ab\r"), (std::vector<std::string>{"ab\r"}));
    // An overlong line is cut on a character boundary.
    EXPECT_EQ(parsed(sj("あいうえおかきくけこさしすせそ") + "\r\n"),
              (std::vector<std::string>{sj("あいうえおかきくけこさしすせ")}));
    EXPECT_TRUE(parsed("").empty());
}

TEST(SynonymHistoryFile, MoreLinesThanSlotsKeepTheNewest) {
    std::string bytes;
    for (int k = 1; k <= 120; ++k) bytes += "w" + std::to_string(k) + "\r\n";
    const auto terms = parsed(bytes);
    ASSERT_EQ(terms.size(), 100u);
    EXPECT_EQ(terms.front(), "w21");
    EXPECT_EQ(terms.back(), "w120");
}

TEST(SynonymHistoryFile, AMissingFileIsAnEmptyHistory) {
    test::TempFolder dir;
    SynonymHistory h;
    h.terms = {"old"};
    EXPECT_TRUE(load_synonym_history(dir.file("none.log"), &h));
    EXPECT_TRUE(h.terms.empty());
    EXPECT_FALSE(load_synonym_history(dir.path(), &h));
    EXPECT_TRUE(h.terms.empty());
}

}  // namespace
}  // namespace rix
