// insert_text and delete_range on hand-built and loaded documents: splits
// and joins with formats, marks and index entries, overwriting, blocks kept
// whole, the end of the text, the in-place rewrite and the line limit. The
// damage range is checked against a drawn screen in tests/display
// (edit_view_test.cpp, screen_property_test.cpp).
#include "edit_fixture.h"

#include "document/loader.h"
#include "fuzz/fuzz_entries.h"

namespace rix {
namespace {

using test::sj;

struct EditText : test::EditFixture {};

TEST_F(EditText, SplitTakesFormatMarksStayAndIndexMovesDown) {
    const std::uint32_t word = test::format_word(2, 0, 0);
    test::build(doc, {sj("あいうえおかきくけこさし"), sj("次")}, {word, 0});
    doc.lines.set_marks(0, LINE_MARK_2);
    doc.index.push_back(IndexEntry{1, 1, sj("章")});
    at(0, 4);
    ASSERT_TRUE(type("ab"));
    ASSERT_TRUE(type("\r\n"));
    ASSERT_EQ(doc.lines.count(), 3u);
    EXPECT_EQ(line(0), sj("あいab"));
    EXPECT_EQ(line(1), sj("うえおかきくけこさし"));
    EXPECT_EQ(doc.formats.word(1), word);   // inherits with the inheritance bit clear
    EXPECT_EQ(doc.lines.marks(0), LINE_MARK_2);
    EXPECT_EQ(doc.lines.marks(1), 0);
    EXPECT_EQ(doc.index[0].line, 2u);
    EXPECT_EQ(edit.cursor.pos, TextPos(1, 0));
    EXPECT_EQ(doc.load.end, TextPos(2, 2));
    EXPECT_TRUE(edit.damage.text);
    EXPECT_TRUE(edit.damage.lines_changed);
    EXPECT_EQ(invariant(), "");

    // Delete at the line end joins: the joined line has no marks, the index follows.
    ASSERT_TRUE(delete_range(c, TextPos(0, 6), TextPos(0, 6), edit.cursor));
    EXPECT_EQ(doc.lines.count(), 2u);
    EXPECT_EQ(line(0), sj("あいabうえおかきくけこさし"));
    EXPECT_EQ(doc.lines.marks(0), 0);
    EXPECT_EQ(doc.formats.word(0), word);
    EXPECT_EQ(doc.index[0].line, 1u);
    EXPECT_EQ(edit.cursor.pos, TextPos(0, 6));
    EXPECT_EQ(doc.load.end, TextPos(1, 2));
    EXPECT_EQ(invariant(), "");
    EXPECT_EQ(state.modified & MODIFIED_TEXT, MODIFIED_TEXT);
}

TEST_F(EditText, ResetOnBreakLeavesNewLinesPlain) {
    const std::uint32_t word = test::format_word(1, 1, 0);
    edit.options.reset_format_on_break = true;
    test::build(doc, {sj("かきく"), sj("けこ")}, {word, word});
    at(0, 0);   // at column 0 the text and its format move down
    ASSERT_TRUE(type("\r\n"));
    EXPECT_EQ(line(0), "");
    EXPECT_EQ(doc.formats.word(0), 0u);
    EXPECT_EQ(doc.formats.word(1), word);
    at(1, 2);   // inside the line the first part keeps it
    ASSERT_TRUE(type("\r\n"));
    EXPECT_EQ(doc.formats.word(1), word);
    EXPECT_EQ(doc.formats.word(2), 0u);
    EXPECT_EQ(doc.formats.word(3), word);
    EXPECT_EQ(invariant(), "");
}

TEST_F(EditText, RemovingIndexedLinesTellsOfEachEntry) {
    test::build(doc, {sj("一"), sj("二"), sj("三"), sj("四")});
    doc.index = {IndexEntry{1, 1, sj("第二")}, IndexEntry{2, 2, sj("第三")}, IndexEntry{3, 1, sj("第四")}};
    ASSERT_TRUE(delete_range(c, TextPos(3, 0), TextPos(1, 0), edit.cursor));
    EXPECT_EQ(doc.lines.count(), 2u);
    EXPECT_EQ(line(1), sj("四"));
    ASSERT_EQ(doc.index.size(), 1u);
    EXPECT_EQ(doc.index[0].line, 1u);
    EXPECT_TRUE(told.saw("行 2「第二」も削除します。"));
    EXPECT_TRUE(told.saw("行 3「第三」も削除します。"));
    EXPECT_EQ(doc.load.end, TextPos(1, 2));
    EXPECT_EQ(invariant(), "");
}

TEST_F(EditText, OverwriteLeavesABlankForHalfACharacterAndRunsPastTheEnd) {
    test::build(doc, {sj("あいう")});
    at(0, 0);
    ASSERT_TRUE(type("a", false));
    EXPECT_EQ(line(0), sj("a いう"));
    EXPECT_EQ(edit.cursor.pos, TextPos(0, 1));
    at(0, 4);
    ASSERT_TRUE(type("えおか", false));   // past the line's end: the end follows the new text
    EXPECT_EQ(line(0), sj("a いえおか"));
    EXPECT_EQ(doc.load.end, TextPos(0, 10));
    EXPECT_EQ(invariant(), "");
}

TEST_F(EditText, OverwriteTakesBlocksWholeAndStopsAtALineBreak) {
    test::build(doc, {sj("x") + test::ruby("かん", 2) + sj("漢字y")});
    at(0, 1);
    ASSERT_TRUE(type("ab", false));   // the ruby goes with the character it stood on
    EXPECT_EQ(line(0), sj("xab字y"));
    at(0, 3);
    ASSERT_TRUE(type("Z\r\nW", false));   // overwrite up to the break, insert the rest
    EXPECT_EQ(line(0), sj("xabZ"));   // the blank for 字's second half stays after the cursor
    EXPECT_EQ(line(1), sj("W y"));
    EXPECT_EQ(invariant(), "");
}

TEST_F(EditText, DeletionNeverCutsABlockOrTheEndOfText) {
    const std::string rb = test::ruby("かん", 2);
    test::build(doc, {sj("ab") + rb + sj("漢字"), sj("cd")});
    // The range ends inside the ruby block: the whole block goes.
    ASSERT_TRUE(delete_range(c, TextPos(0, 4), TextPos(0, 1), edit.cursor));
    EXPECT_EQ(line(0), sj("a漢字"));
    // Start inside a double-byte character snaps to its start.
    ASSERT_TRUE(delete_range(c, TextPos(0, 5), TextPos(0, 2), edit.cursor));
    EXPECT_EQ(line(0), sj("a"));
    // Delete on a ruby takes the first character of its base with it.
    test::build(doc, {rb + sj("漢字"), sj("cd")});
    ASSERT_TRUE(delete_range(c, TextPos(0, 0), TextPos(0, 0), edit.cursor));
    EXPECT_EQ(line(0), sj("字"));
    // A range running past the text keeps the end mark; at the end nothing goes.
    ASSERT_TRUE(delete_range(c, TextPos(0xFFFF, 0xFFFF), TextPos(1, 1), edit.cursor));
    EXPECT_EQ(line(1), "c");
    EXPECT_FALSE(delete_range(c, TextPos(1, 1), TextPos(1, 1), edit.cursor));
    EXPECT_EQ(doc.load.end, TextPos(1, 1));
    EXPECT_EQ(invariant(), "");
}

TEST_F(EditText, TagBlocksArePassedBeforeInsertingAndDeleting) {
    const std::string tg = test::tag("memo");
    test::build(doc, {sj("a") + tg + sj("b")});
    at(0, 1);
    ASSERT_TRUE(type("X"));
    EXPECT_EQ(line(0), sj("a") + tg + sj("Xb"));
    ASSERT_TRUE(delete_range(c, TextPos(0, 1), TextPos(0, 1), edit.cursor));   // the tag stays
    EXPECT_EQ(line(0), sj("a") + tg + sj("b"));
    EXPECT_EQ(invariant(), "");
}

TEST_F(EditText, TabsBecomeBlanksAndStrayBytesAreDropped) {
    edit.options.tab_width = 4;
    test::build(doc, {sj("")});
    at(0, 0);
    ASSERT_TRUE(insert_text(c, std::string("\ta\x1A\xFE\nb\xFC", 6), true));
    EXPECT_EQ(line(0), sj("　　　　ab"));
    EXPECT_EQ(doc.load.end, TextPos(0, 10));
    EXPECT_EQ(invariant(), "");
}

TEST_F(EditText, OverLongLineIsRefusedAndNothingChanges) {
    std::string long_line;
    for (std::uint32_t k = 0; k < LINE_TEXT_LIMIT / 2; ++k) long_line += sj("あ");
    test::build(doc, {long_line});
    const std::string before = text();
    at(0, 0);
    EXPECT_FALSE(type("いい"));
    EXPECT_TRUE(told.saw("1行の長さは全角16000字迄です"));
    EXPECT_EQ(text(), before);
    EXPECT_EQ(journal_state(edit.journal), 0);
    EXPECT_EQ(invariant(), "");
}

// A document loaded in small chunks, partly.
#ifndef NDEBUG
// Debug builds check the document after every change of text: one already
// broken (the last line's display-line count, a line the edit does not
// write) stops the program with what is wrong.
TEST_F(EditText, DebugBuildsStopOnABrokenDocumentAfterAnEdit) {
    test::build(doc, {"abc", "def"});
    doc.lines.set_display_lines(1, 3);
    at(0, 1);
    EXPECT_DEATH(type("x"), "broken after an insertion at line 0: line 1: display-line count differs");
    EXPECT_DEATH(delete_range(c, TextPos(0, 1), TextPos(0, 1), edit.cursor), "broken after a deletion");
}
#endif

struct PartlyLoaded : test::EditFixture {
    LoadSession session;
    std::string file;
    void SetUp() override {
        EditFixture::SetUp();
        for (int k = 0; k < 300; ++k) file += "line " + std::to_string(k) + "\r\n";
        session.options.chunk_size = 256;
        state.text_fd = fuzz::memory_file(file);
        start_load(doc, state, session);
        c.session = &session;
        edit.frame.screen_lines = 5;
    }
    void TearDown() override { ::close(state.text_fd); }
};

TEST_F(PartlyLoaded, TypingRewritesTheLineInPlaceUntilMoreIsLoaded) {
    ASSERT_FALSE(doc.fully_loaded());
    const BufferOffset loaded_end = doc.buffer.append_position();
    at(0, 6);
    ASSERT_TRUE(type("x"));   // the first edit copies the line to the append position
    const BufferOffset copy = doc.lines.start(0);
    EXPECT_EQ(copy, loaded_end);
    for (int k = 0; k < 20; ++k) ASSERT_TRUE(type("y"));
    EXPECT_EQ(doc.lines.start(0), copy);
    EXPECT_EQ(doc.buffer.append_position(), copy + stored_line_size(doc, 0));
    EXPECT_EQ(line(0), "line 0x" + std::string(20, 'y'));

    const std::uint32_t before = doc.lines.count();
    ASSERT_TRUE(load_more(doc, state, session));
    ASSERT_GT(doc.lines.count(), before);
    ASSERT_TRUE(type("zz"));   // no longer the newest and too long for its place: to the end
    EXPECT_GT(doc.lines.start(0), doc.lines.start(doc.lines.count() - 1));
    for (std::uint32_t l = 1; l < doc.lines.count(); ++l) ASSERT_EQ(line(l), "line " + std::to_string(l));
    EXPECT_EQ(invariant(), "");
}

TEST_F(PartlyLoaded, SplitRaisesTheCountAndJoiningTheLastLineLoadsMore) {
    const std::uint32_t before = doc.lines.count();
    at(3, 2);
    ASSERT_TRUE(type("\r\n"));
    EXPECT_EQ(doc.lines.count(), before + 1);
    EXPECT_FALSE(doc.fully_loaded());
    const std::uint32_t last = doc.lines.count() - 1;
    const std::string last_text = line(last);
    ASSERT_TRUE(delete_range(c, TextPos(last, 20), TextPos(last, 20), edit.cursor));   // at its line end
    EXPECT_EQ(line(last), last_text + "line " + std::to_string(last));
    EXPECT_EQ(invariant(), "");
    load_all(doc, state, session);
    EXPECT_EQ(doc.lines.count(), 301u);
    EXPECT_EQ(invariant(), "");
}

}  // namespace
}  // namespace rix
