// The search engine, find and replace, and the readers of the text at the cursor.
// Owed: a search through a document whose load stops at the line limit.
#include <sys/mman.h>
#include <unistd.h>

#include "../editing/edit_fixture.h"
#include "aids/search.h"
#include "document/loader.h"

namespace rix::test {
namespace {

// A tag block whose serial has a zero high byte (the bytes a C string would stop at).
std::string tag_with_zero_serial(std::string_view text) {
    return std::string("\xFD\x00\x05\x01\x02", 5) + std::string(text) + "\xFD";
}

struct SearchTest : EditFixture {
    Notices notices;
    SeekResult seek(int mode, std::string_view utf8_text, std::int64_t value = 0) {
        return locate_target(c, mode, value, sj(utf8_text));
    }
};

TEST_F(SearchTest, ForwardSkipsTheOccurrenceAtTheCursorAtCursorKeepsIt) {
    build(doc, {"abcabc", "xabc"});
    at(0, 0);
    EXPECT_EQ(seek(SEEK_TEXT_FORWARD, "abc").pos, TextPos(0, 3));
    EXPECT_EQ(seek(SEEK_TEXT_AT_CURSOR, "abc").pos, TextPos(0, 0));
    at(0, 3);
    SeekResult r = seek(SEEK_TEXT_FORWARD, "abc");
    ASSERT_TRUE(r.found);
    EXPECT_EQ(r.pos, TextPos(1, 1));
    EXPECT_EQ(r.display_line.value, 1u);
    at(1, 1);
    EXPECT_FALSE(seek(SEEK_TEXT_FORWARD, "abc").found);
}

TEST_F(SearchTest, BackwardTakesTheLastOccurrenceBeforeTheCursor) {
    build(doc, {"abab", "ab ab ab"});
    at(1, 5);
    EXPECT_EQ(seek(SEEK_TEXT_BACKWARD, "ab").pos, TextPos(1, 3));
    at(1, 0);
    EXPECT_EQ(seek(SEEK_TEXT_BACKWARD, "ab").pos, TextPos(0, 2));
    at(0, 0);
    EXPECT_FALSE(seek(SEEK_TEXT_BACKWARD, "ab").found);
    EXPECT_EQ(seek(SEEK_TEXT_BACKWARD, "").pos, TextPos(0, 0));   // the document start
}

TEST_F(SearchTest, LinesAreSearchedByLengthNotAsCStrings) {
    // Serial bytes 0x00 and 0xFE (a line end byte) inside tags of inner lines.
    const std::string fe_serial("\xFD\xFE\x00\x01\x02t\xFD", 7);
    build(doc, {"ab" + tag_with_zero_serial("note") + "target", "c" + fe_serial + "target", "x"});
    at(0, 0);
    SeekResult r = seek(SEEK_TEXT_FORWARD, "target");
    ASSERT_TRUE(r.found);
    EXPECT_EQ(r.pos, TextPos(0, 2 + 10));
    at(0, 12);
    EXPECT_EQ(seek(SEEK_TEXT_FORWARD, "target").pos, TextPos(1, 8));
    at(2, 0);
    EXPECT_EQ(seek(SEEK_TEXT_BACKWARD, "target").pos, TextPos(1, 8));
    at(1, 0);
    EXPECT_EQ(seek(SEEK_TEXT_BACKWARD, "target").pos, TextPos(0, 12));
}

TEST_F(SearchTest, MatchesStartOnCharactersOutsideBlocks) {
    // "\" is the trail byte of 表; "note" and "かん" lie inside a tag and a ruby.
    build(doc, {sj("表") + tag("note") + ruby("かん", 1) + sj("漢"), sj("表") + "\\note" + sj("かん")});
    at(0, 0);
    EXPECT_EQ(seek(SEEK_TEXT_AT_CURSOR, "\\").pos, TextPos(1, 2));
    EXPECT_EQ(seek(SEEK_TEXT_AT_CURSOR, "note").pos, TextPos(1, 3));
    EXPECT_EQ(seek(SEEK_TEXT_AT_CURSOR, "かん").pos, TextPos(1, 7));
    const std::uint32_t base = 2 + static_cast<std::uint32_t>(tag("note").size() + ruby("かん", 1).size());
    EXPECT_EQ(seek(SEEK_TEXT_AT_CURSOR, "漢").pos, TextPos(0, base));
    // The second of a half-width pair starts a character.
    build(doc, {"abcd"});
    at(0, 0);
    EXPECT_EQ(seek(SEEK_TEXT_FORWARD, "bc").pos, TextPos(0, 1));
}

TEST_F(SearchTest, AFindNextOnARubyPassesTheWholeBlock) {
    // A ruby text of 48 bytes: the block is longer than any fixed step.
    const std::string long_ruby = std::string("\xFF\x02", 2) + std::string(48, 'r') + "\xFF";
    build(doc, {long_ruby + sj("漢字") + "r"});
    at(0, 0);
    SeekResult r = seek(SEEK_TEXT_FORWARD, "r");
    ASSERT_TRUE(r.found);
    EXPECT_EQ(r.pos, TextPos(0, static_cast<std::uint32_t>(long_ruby.size() + 4)));
    EXPECT_EQ(seek(SEEK_TEXT_FORWARD, "漢字").pos, TextPos(0, static_cast<std::uint32_t>(long_ruby.size())));
}

TEST_F(SearchTest, ATabOfTheFileIsNotATabOfTheSearchText) {
    build(doc, {sj("　　") + "x"});   // the stored form of a tab
    at(0, 0);
    EXPECT_FALSE(seek(SEEK_TEXT_AT_CURSOR, "\t").found);
}

TEST_F(SearchTest, LineDisplayLineAndPageJumps) {
    std::vector<std::string> lines;
    for (int i = 0; i < 12; ++i) lines.push_back("line" + std::to_string(i));
    lines[2] = sj("一二三四五六七八九十一二三四五六七八九十一二三");   // three display lines
    build(doc, lines);
    edit.frame.page_columns = 4;
    at(5, 2);
    EXPECT_EQ(seek(SEEK_LINE, "", 5).pos, TextPos(5, 2));            // where the cursor is
    EXPECT_EQ(seek(SEEK_LINE, "", 11).pos, TextPos(11, 0));
    EXPECT_FALSE(seek(SEEK_LINE, "", 12).found);
    EXPECT_FALSE(seek(SEEK_LINE, "", -1).found);
    // Display lines: 0, 1, then 2..4 in line 2, 5 = line 3.
    SeekResult r = seek(SEEK_DISPLAY_LINE, "", 3);
    EXPECT_EQ(r.pos, TextPos(2, 20));
    EXPECT_EQ(r.display_line.value, 3u);
    at(0, 0);
    EXPECT_EQ(seek(SEEK_DISPLAY_LINE, "", 4).pos, TextPos(2, 40));
    EXPECT_EQ(seek(SEEK_DISPLAY_LINE, "", 5).pos, TextPos(3, 0));
    EXPECT_FALSE(seek(SEEK_DISPLAY_LINE, "", 14).found);
    // Pages of four display lines: page 1 starts at display line 4.
    EXPECT_EQ(seek(SEEK_PAGE, "", 1).pos, TextPos(2, 40));
    EXPECT_EQ(seek(SEEK_PAGE, "", 3).pos, TextPos(10, 0));
    EXPECT_FALSE(seek(SEEK_PAGE, "", 4).found);
    // 64-bit arithmetic: a page number whose display line passes 32 bits.
    EXPECT_FALSE(seek(SEEK_PAGE, "", 0x40000001LL).found);
    EXPECT_FALSE(seek(SEEK_PAGE, "", INT64_MAX / 2).found);
}

TEST_F(SearchTest, MarkSearchesSkipTheCursorsLine) {
    build(doc, {"a", "b", "c", "d"});
    doc.lines.set_marks(1, LINE_MARK_2);
    doc.lines.set_marks(3, LINE_MARK_2 | LINE_MARK_4);
    at(1, 0);
    EXPECT_EQ(seek(SEEK_MARK_FORWARD, "", LINE_MARK_2).pos, TextPos(3, 0));
    EXPECT_FALSE(seek(SEEK_MARK_BACKWARD, "", LINE_MARK_2).found);
    EXPECT_FALSE(seek(SEEK_MARK_FORWARD, "", LINE_MARK_1).found);
    at(3, 0);
    EXPECT_FALSE(seek(SEEK_MARK_FORWARD, "", LINE_MARK_4).found);
    EXPECT_EQ(seek(SEEK_MARK_BACKWARD, "", LINE_MARK_2 | LINE_MARK_4).pos, TextPos(1, 0));
}

// A partly loaded document: small chunks from an in-memory file.
struct PartialLoad : ::testing::Test {
    FakeMessages messages;
    Document doc;
    DocumentState state;
    EditState edit;
    LoadSession session;
    EditContext c{doc, state, edit, &session};

    void load(const std::string& text, std::size_t chunk) {
        int fd = ::memfd_create("rix-search", MFD_CLOEXEC);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
        state.text_fd = fd;
        state.file_length = static_cast<std::int64_t>(text.size());
        doc.rules = rules(10, 1);
        session.options.chunk_size = chunk;
        start_load(doc, state, session);
        edit.frame.screen_lines = 3;
        place_cursor(c, TextPos(0, 0));
    }
    ~PartialLoad() override {
        if (state.text_fd >= 0) ::close(state.text_fd);
    }
};

TEST_F(PartialLoad, SearchesAndJumpsLoadTheNextChunks) {
    std::string text;
    for (int i = 0; i < 200; ++i) text += "line " + std::to_string(i) + "\r\n";
    text += "needle\r\n";
    load(text, 64);
    ASSERT_FALSE(doc.fully_loaded());
    const std::uint32_t loaded = doc.lines.count();
    SeekResult r = locate_target(c, SEEK_TEXT_FORWARD, 0, "needle");
    ASSERT_TRUE(r.found);
    EXPECT_EQ(r.pos, TextPos(200, 0));
    EXPECT_GT(doc.lines.count(), loaded);
    EXPECT_EQ(r.display_line.value, 200u);
    EXPECT_EQ(locate_target(c, SEEK_LINE, 150).pos, TextPos(150, 0));
    EXPECT_FALSE(locate_target(c, SEEK_TEXT_FORWARD, 0, "absent").found);
    EXPECT_TRUE(doc.fully_loaded());
}

TEST_F(PartialLoad, TheDocumentEndLoadsEverything) {
    std::string text;
    for (int i = 0; i < 100; ++i) text += "row\r\n";
    text += "last";
    load(text, 40);
    SeekResult r = locate_target(c, SEEK_TEXT_FORWARD, 0, {});
    ASSERT_TRUE(r.found);
    EXPECT_TRUE(doc.fully_loaded());
    EXPECT_EQ(r.pos, TextPos(100, 0));
}

// ---- find and replace ----

struct FindTest : EditFixture {
    FindState find;
    FindOutcome press(FindAction a, bool down = true) { return run_find_action(c, find, a, down, 0); }
};

TEST_F(FindTest, ReplaceFindsFirstThenReplacesAndMovesOn) {
    build(doc, {"one two one", "one"});
    at(0, 1);
    find.what = "one";
    find.with = "1";
    find.replace_mode = true;
    FindOutcome o = press(FindAction::REPLACE);   // finds (0, 8): nothing replaced yet
    EXPECT_EQ(o.replaced, 0);
    EXPECT_EQ(edit.cursor.pos, TextPos(0, 8));
    o = press(FindAction::REPLACE);
    EXPECT_EQ(o.replaced, 1);
    EXPECT_EQ(line(0), "one two 1");
    EXPECT_EQ(edit.cursor.pos, TextPos(1, 0));
    EXPECT_EQ(invariant(), "");
}

TEST_F(FindTest, ReplaceOnlySearchesWhenTheCursorLeftTheOccurrence) {
    build(doc, {"abc xyz abc"});
    at(0, 0);
    find.what = "abc";
    find.with = "Z";
    find.replace_mode = true;
    press(FindAction::FIND_NEXT);
    EXPECT_EQ(edit.cursor.pos, TextPos(0, 8));
    at(0, 4);   // the user moved onto other text
    FindOutcome o = press(FindAction::REPLACE);
    EXPECT_EQ(o.replaced, 0);
    EXPECT_EQ(line(0), "abc xyz abc");
    EXPECT_EQ(edit.cursor.pos, TextPos(0, 8));
}

TEST_F(FindTest, ReplaceAllEndsEvenWhenTheReplacementHoldsTheFindText) {
    build(doc, {"a-a", "xa"});
    at(0, 0);
    find.what = "a";
    find.with = "aa";
    find.replace_mode = true;
    FindOutcome o = press(FindAction::REPLACE_ALL);
    EXPECT_EQ(o.replaced, 3);
    EXPECT_EQ(line(0), "aa-aa");
    EXPECT_EQ(line(1), "xaa");
    EXPECT_FALSE(find.found);
    ASSERT_EQ(o.notices.items.size(), 1u);
    EXPECT_EQ(o.notices.items[0].utf8, "置換先が見つかりません｡");
    EXPECT_EQ(invariant(), "");
}

TEST_F(FindTest, ReplaceAllWithDoubleByteTextAndAnEmptyReplacement) {
    build(doc, {sj("猫と猫"), sj("子猫")});
    at(0, 0);
    find.what = sj("猫");
    find.replace_mode = true;
    EXPECT_EQ(press(FindAction::REPLACE_ALL).replaced, 3);
    EXPECT_EQ(line(0), sj("と"));
    EXPECT_EQ(line(1), sj("子"));
}

TEST_F(FindTest, AnEmptyFindTextIsRefused) {
    build(doc, {"abc", "def"});
    at(0, 0);
    find.replace_mode = true;
    for (FindAction a : {FindAction::FIND_NEXT, FindAction::REPLACE, FindAction::REPLACE_ALL}) {
        const FindOutcome o = press(a);
        EXPECT_TRUE(o.refused);
        EXPECT_TRUE(o.notices.empty());
    }
    EXPECT_EQ(edit.cursor.pos, TextPos(0, 0));
}

TEST_F(FindTest, NotFoundLeavesTheCursorAndSaysSo) {
    build(doc, {"abc"});
    at(0, 1);
    find.what = "zz";
    FindOutcome o = press(FindAction::FIND_NEXT);
    EXPECT_FALSE(o.found);
    EXPECT_EQ(edit.cursor.pos, TextPos(0, 1));
    ASSERT_EQ(o.notices.items.size(), 1u);
    EXPECT_EQ(o.notices.items[0].utf8, "検索語が見つかりません｡");
    EXPECT_EQ(o.notices.items[0].time_ms, 1500u);
    EXPECT_TRUE(messages.log.empty());   // reported, never shown here
    EXPECT_TRUE(press(FindAction::REPLACE).refused);   // not opened for replacing
}

TEST_F(FindTest, AFoundTargetOffTheScreenIsScrolledToAThirdOfATier) {
    std::vector<std::string> lines(60, "x");
    lines[40] = "hit";
    build(doc, lines);
    edit.frame.screen_lines = 9;
    at(0, 0);
    find.what = "hit";
    press(FindAction::FIND_NEXT);
    EXPECT_EQ(edit.cursor.pos, TextPos(40, 0));
    EXPECT_EQ(edit.frame.top, TextPos(37, 0));
    EXPECT_EQ(edit.cursor.screen_line, 3);
}

// ---- the text at the cursor ----

TEST_F(SearchTest, WordAtCursorKeepsOneClassOfCharacters) {
    build(doc, {sj("カーテンを閉めた人々は") + "abc", sj("aあ"), "ab" + tag("t") + "cd",
                ruby("かんじ", 2) + sj("漢字だ"), "z" + sj("漢")});
    at(0, 0);
    EXPECT_EQ(sjis_to_utf8(word_at_cursor(c, 0, notices)), "カーテン");
    at(0, 10);
    EXPECT_EQ(sjis_to_utf8(word_at_cursor(c, 0, notices)), "閉");
    at(0, 16);
    EXPECT_EQ(sjis_to_utf8(word_at_cursor(c, 0, notices)), "人々");
    at(0, 22);
    EXPECT_EQ(word_at_cursor(c, 0, notices), "ab");   // three half-width characters: one whole cell
    at(1, 0);
    EXPECT_EQ(word_at_cursor(c, 0, notices), "a");   // never a lone lead byte
    at(2, 0);
    EXPECT_EQ(word_at_cursor(c, 0, notices), "ab");   // stops at the tag block
    at(3, 0);
    EXPECT_EQ(sjis_to_utf8(word_at_cursor(c, 0, notices)), "漢字");   // the base of the ruby
    at(4, 0);
    EXPECT_EQ(word_at_cursor(c, 0, notices), "");   // a lone half-width character
    at(4, 3);
    EXPECT_EQ(word_at_cursor(c, 0, notices), "");   // the line end
    EXPECT_TRUE(notices.empty());
}

TEST_F(SearchTest, WordAtCursorTakesAShortMarking) {
    build(doc, {"0123456789012345678901234", "x"});
    edit.mark = Marking{true, TextPos(0, 2), TextPos(0, 6), false};
    at(0, 6);
    EXPECT_EQ(word_at_cursor(c, 0, notices), "2345");
    EXPECT_EQ(edit.cursor.pos, TextPos(0, 2));
    EXPECT_FALSE(edit.mark.on);
    edit.mark = Marking{true, TextPos(0, 0), TextPos(0, 21), false};
    EXPECT_EQ(word_at_cursor(c, 0, notices), "");
    ASSERT_EQ(notices.items.size(), 1u);
    EXPECT_EQ(notices.items[0].utf8, " 指定文字範囲が長すぎます｡");
    EXPECT_EQ(notices.items[0].time_ms, 3000u);
}

TEST_F(SearchTest, AddressesAreWebAndMailAddressesOnly) {
    build(doc, {sj("見て") + "http://example.jp/a.html " + sj("と") + "me@example.jp",
                "C:\\tmp\\run.bat readme.txt www.example.com file:///etc/passwd http://"});
    std::string a;
    EXPECT_TRUE(address_at_cursor(doc, TextPos(0, 10), &a));
    EXPECT_EQ(a, "http://example.jp/a.html");
    EXPECT_TRUE(address_at_cursor(doc, TextPos(0, 33), &a));
    EXPECT_EQ(a, "mailto:me@example.jp");
    EXPECT_FALSE(address_at_cursor(doc, TextPos(0, 0), &a));    // on a double-byte character
    EXPECT_FALSE(address_at_cursor(doc, TextPos(0, 28), &a));   // on the blank
    EXPECT_FALSE(address_at_cursor(doc, TextPos(1, 3), &a));    // a local path
    EXPECT_FALSE(address_at_cursor(doc, TextPos(1, 17), &a));   // a file name
    EXPECT_TRUE(address_at_cursor(doc, TextPos(1, 28), &a));
    EXPECT_EQ(a, "http://www.example.com");
    EXPECT_FALSE(address_at_cursor(doc, TextPos(1, 45), &a));   // file://
    EXPECT_FALSE(address_at_cursor(doc, TextPos(1, 66), &a));   // a scheme alone
}

TEST(FindSubstring, BytewiseFirstOccurrence) {
    const std::string hay("ab\0cab", 6);
    auto f = [&](std::string_view n) {
        return find_substring(reinterpret_cast<const std::uint8_t*>(hay.data()), hay.size(),
                              reinterpret_cast<const std::uint8_t*>(n.data()), n.size());
    };
    EXPECT_EQ(f(std::string_view("\0c", 2)), 2);
    EXPECT_EQ(f("ab"), 0);
    EXPECT_EQ(f("b"), 1);
    EXPECT_EQ(f("abc"), -1);
    EXPECT_EQ(f("cabx"), -1);
}

}  // namespace
}  // namespace rix::test
