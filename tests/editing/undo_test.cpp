// Undo and redo through insert_text and delete_range: one record per
// operation, exact bytes back, the cursor where the edit began, the notices.
#include "edit_fixture.h"

namespace rix {
namespace {

using test::sj;

struct Undo : test::EditFixture {};

TEST_F(Undo, ThreeTypedCharactersAreThreeRecordsAndOneStringIsOne) {
    test::build(doc, {sj("前")});
    at(0, 2);
    for (const char* ch : {"a", "b", "c"}) ASSERT_TRUE(type(ch));
    ASSERT_TRUE(undo(c));
    EXPECT_EQ(line(0), sj("前ab"));
    ASSERT_TRUE(undo(c));
    ASSERT_TRUE(undo(c));
    EXPECT_EQ(line(0), sj("前"));
    EXPECT_EQ(edit.cursor.pos, TextPos(0, 2));
    ASSERT_TRUE(redo(c));
    EXPECT_EQ(line(0), sj("前a"));

    test::build(doc, {sj("前")});
    journal_clear(edit.journal);
    at(0, 2);
    ASSERT_TRUE(type("かなa"));   // a committed input-method string
    ASSERT_TRUE(undo(c));
    EXPECT_EQ(line(0), sj("前"));
    EXPECT_EQ(journal_state(edit.journal), JOURNAL_CAN_REDO);
}

TEST_F(Undo, MarkedRangeAcrossLinesComesBackWithTheCursorAtItsStart) {
    test::build(doc, {sj("一行目です"), sj("二行目です"), sj("三")});
    const std::string before = text();
    ASSERT_TRUE(delete_range(c, TextPos(1, 4), TextPos(0, 6), edit.cursor));
    EXPECT_EQ(line(0), sj("一行目目です"));
    EXPECT_EQ(doc.lines.count(), 2u);
    ASSERT_TRUE(undo(c));
    EXPECT_EQ(text(), before);
    EXPECT_EQ(edit.cursor.pos, TextPos(0, 6));
    ASSERT_TRUE(redo(c));
    EXPECT_EQ(line(0), sj("一行目目です"));
    EXPECT_EQ(invariant(), "");
}

TEST_F(Undo, TypingAfterUndoLeavesNothingToRedo) {
    test::build(doc, {sj("abc")});
    at(0, 3);
    ASSERT_TRUE(type("d"));
    ASSERT_TRUE(undo(c));
    ASSERT_TRUE(type("e"));
    EXPECT_FALSE(redo(c));
    EXPECT_TRUE(told.saw("やり直し(ReUndo)データはありません｡"));
    EXPECT_EQ(line(0), "abce");
}

TEST_F(Undo, OverwritesComeBackByteForByte) {
    test::build(doc, {sj("かきく"), sj("x") + test::ruby("ふり", 1) + sj("漢")});
    const std::string before = text();
    at(0, 2);
    ASSERT_TRUE(type("ケ", false));   // double-byte over double-byte
    EXPECT_EQ(line(0), sj("かケく"));
    at(0, 0);
    ASSERT_TRUE(type("z", false));    // half-width over double-byte: a blank
    EXPECT_EQ(line(0), sj("z ケく"));
    at(1, 1);
    ASSERT_TRUE(type("ab", false));   // over a ruby block and its base
    at(0, 4);
    ASSERT_TRUE(type("ぬぬぬぬ\r\nZ", false));   // past the end, then a break
    const std::string edited = text();
    for (int k = 0; k < 5; ++k) ASSERT_TRUE(undo(c)) << k;
    EXPECT_EQ(text(), before);
    EXPECT_EQ(edit.cursor.pos, TextPos(0, 2));
    for (int k = 0; k < 5; ++k) ASSERT_TRUE(redo(c)) << k;
    EXPECT_EQ(text(), edited);
    EXPECT_EQ(invariant(), "");
}

TEST_F(Undo, EmptyJournalAndOversizedEditsSaySo) {
    test::build(doc, {sj("a")});
    EXPECT_FALSE(undo(c));
    ASSERT_EQ(told.log.size(), 1u);
    EXPECT_EQ(told.utf8(0), "元に戻す(Undo)データはありません｡");
    EXPECT_EQ(told.log[0].time_ms, 2000u);

    // An insertion whose length does not fit the journal's 16 bits empties it.
    at(0, 0);
    ASSERT_TRUE(type("b"));
    std::string big;
    for (int k = 0; k < 700; ++k) big += std::string(99, 'x') + "\r\n";
    ASSERT_TRUE(insert_text(c, big, true));
    EXPECT_TRUE(told.saw("元に戻せません"));
    EXPECT_EQ(journal_state(edit.journal), 0);
    EXPECT_EQ(doc.lines.count(), 701u);
    EXPECT_EQ(invariant(), "");
}

TEST_F(Undo, TagsAtTheEdgesOfARecordStay) {
    const std::string tg = test::tag("t");
    test::build(doc, {sj("ab") + tg + sj("cd")});
    const std::string before = text();
    ASSERT_TRUE(delete_range(c, TextPos(0, 2), TextPos(0, 0), edit.cursor));   // "ab", the tag after it stays
    EXPECT_EQ(line(0), tg + "cd");
    ASSERT_TRUE(undo(c));   // goes back before the tag, not after it
    EXPECT_EQ(text(), before);
    at(0, 2);
    ASSERT_TRUE(insert_text(c, tg, true));   // a tag block inserted (moved past the old one)
    ASSERT_TRUE(undo(c));
    EXPECT_EQ(text(), before);
}

}  // namespace
}  // namespace rix
