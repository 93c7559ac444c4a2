// Tags: size bytes, the tag block carried by edits, creating, rewriting and
// resizing a tag through its serial, the list rows, previous/next tag, the
// address in a tag's text, and the placement and table of tag windows.
// Owed: the tag windows themselves (they wait for the shared text box).
#include "../editing/edit_fixture.h"
#include "aids/tags.h"
#include "document/storage.h"
#include "editing/edit_text.h"

namespace rix::test {
namespace {

std::string block(int serial, int w, int h, std::string_view text) {
    return make_tag_block(static_cast<std::uint16_t>(serial), static_cast<std::uint8_t>(w),
                          static_cast<std::uint8_t>(h), text);
}

struct TagTest : EditFixture {
    Notices notices;
};

TEST(TagSizeBytes, HalvedCappedAndNeverTheTextEnd) {
    EXPECT_EQ(tag_size_byte(52), 0x1B);    // 26 = 0x1A would end the text
    EXPECT_EQ(tag_size_byte(53), 0x1B);
    EXPECT_EQ(tag_size_byte(54), 0x1B);
    EXPECT_EQ(tag_size_byte(300), 150);
    EXPECT_EQ(tag_size_byte(505), 252);
    EXPECT_EQ(tag_size_byte(600), 252);
    EXPECT_EQ(tag_size_byte(-8), 0);
    EXPECT_EQ(storable_tag_size_byte(0x1A), 0x1B);
    EXPECT_EQ(storable_tag_size_byte(0xFD), 252);   // never a block mark
    // The block bytes as laid out: 0xFD, serial high, low, width / 2, height / 2, text, 0xFD.
    EXPECT_EQ(block(0x1234, 0x1A, 40, "ab"), std::string("\xFD\x12\x34\x1B\x28" "ab\xFD", 8));
}

TEST_F(TagTest, TypingAtTheAnchorGoesAfterTheBlockAndADeletionOverItTakesItUndoBringsItBack) {
    const std::string tg = block(3, 10, 20, "memo");
    build(doc, {sj("あ") + tg + sj("い")});
    at(0, 2);
    ASSERT_TRUE(type("X"));
    EXPECT_EQ(line(0), sj("あ") + tg + "X" + sj("い"));
    ASSERT_TRUE(delete_range(c, TextPos(0, 0), TextPos(0, 2 + tg.size() + 1), edit.cursor));
    EXPECT_EQ(line(0), sj("い"));
    ASSERT_TRUE(undo(c));
    EXPECT_EQ(line(0), sj("あ") + tg + "X" + sj("い"));
    EXPECT_EQ(invariant(), "");
}

TEST_F(TagTest, CreatingATagInsertsOneUndoableBlockWithTheNextSerial) {
    build(doc, {sj("あい")});
    doc.load.tag_serial = 7;
    state.modified = 0;
    at(0, 2);
    EXPECT_EQ(create_tag(c, "", 10, 20), TagEdit::EMPTY);
    EXPECT_EQ(create_tag(c, std::string(1001, 'a'), 10, 20), TagEdit::TOO_LONG);
    ASSERT_EQ(create_tag(c, sj("覚え\r\n書き") + std::string("\x1A\xFE", 2), 26, 20), TagEdit::DONE);
    EXPECT_EQ(line(0), sj("あ") + block(7, 0x1B, 20, sj("覚え\r\n書き")) + sj("い"));
    EXPECT_EQ(doc.load.tag_serial, 8u);
    EXPECT_EQ(state.modified, MODIFIED_EXTENSION);   // the text itself did not change
    at(0, 2);
    EXPECT_EQ(create_tag(c, "x", 1, 1), TagEdit::ON_TAG);
    ASSERT_TRUE(undo(c));
    EXPECT_EQ(line(0), sj("あい"));
    EXPECT_EQ(invariant(), "");
}

TEST_F(TagTest, RewritingATagKeepsSerialAndSizeAndAnEmptyTextDeletesIt) {
    const std::string other = block(9, 1, 1, "other");
    build(doc, {"ab" + block(5, 30, 40, "old") + other + "cd"});
    state.modified = MODIFIED_TEXT;
    at(0, 2 + 9 + 12 + 1);   // after "c"
    ASSERT_EQ(rewrite_tag(c, TextPos(0, 2), 5, "new text"), TagEdit::DONE);
    EXPECT_EQ(line(0), "ab" + block(5, 30, 40, "new text") + other + "cd");
    EXPECT_EQ(edit.cursor.pos, TextPos(0, 2 + 14 + 12 + 1));   // still after "c"
    EXPECT_EQ(state.modified, MODIFIED_TEXT | MODIFIED_EXTENSION);
    EXPECT_EQ(rewrite_tag(c, TextPos(0, 2), 5, "new text"), TagEdit::UNCHANGED);
    // The anchor went stale (text typed before the tag): the serial is found in the line.
    at(0, 0);
    ASSERT_TRUE(type("Z"));
    ASSERT_EQ(rewrite_tag(c, TextPos(0, 2), 5, ""), TagEdit::DONE);
    EXPECT_EQ(line(0), "Zab" + other + "cd");
    ASSERT_TRUE(undo(c));
    EXPECT_EQ(line(0), "Zab" + block(5, 30, 40, "new text") + other + "cd");
    EXPECT_EQ(invariant(), "");
}

TEST_F(TagTest, ARewriteIsOneUndoStepAndRedoWritesItAgain) {
    build(doc, {"ab" + block(5, 30, 40, "old") + "cd"});
    at(0, 0);
    ASSERT_TRUE(type("Z"));
    ASSERT_EQ(rewrite_tag(c, TextPos(0, 3), 5, "newer"), TagEdit::DONE);
    EXPECT_EQ(line(0), "Zab" + block(5, 30, 40, "newer") + "cd");
    ASSERT_TRUE(undo(c));   // the old text at once, never a line without the tag
    EXPECT_EQ(line(0), "Zab" + block(5, 30, 40, "old") + "cd");
    ASSERT_TRUE(undo(c));   // then the typed Z
    EXPECT_EQ(line(0), "ab" + block(5, 30, 40, "old") + "cd");
    ASSERT_TRUE(redo(c));
    ASSERT_TRUE(redo(c));
    EXPECT_EQ(line(0), "Zab" + block(5, 30, 40, "newer") + "cd");
    EXPECT_EQ(invariant(), "");
}

TEST_F(TagTest, AStaleAnchorOrSerialDeletesNothing) {
    const std::string text = "ab" + block(5, 30, 40, "t") + "cd";
    build(doc, {text, "ef"});
    EXPECT_EQ(rewrite_tag(c, TextPos(0, 2), 6, ""), TagEdit::NOT_FOUND);   // another tag's serial
    EXPECT_EQ(rewrite_tag(c, TextPos(1, 0), 5, ""), TagEdit::NOT_FOUND);   // not in that line
    EXPECT_EQ(rewrite_tag(c, TextPos(9, 0), 5, ""), TagEdit::NOT_FOUND);   // no such line
    EXPECT_EQ(line(0), text);
    EXPECT_EQ(line(1), "ef");
    EXPECT_FALSE(delete_block_at(c, TextPos(0, 1), edit.cursor));   // not a block
    EXPECT_FALSE(insert_block_at(c, TextPos(0, 1), "plain"));
    EXPECT_EQ(line(0), text);
}

TEST_F(TagTest, ARewriteOfAnotherLengthKeepsTheLineTableMarksAndCursorRight) {
    const std::string old_block = block(4, 10, 20, "ab");
    build(doc, {"first", "xy" + old_block + sj("あいうえおかきくけこさしすせそ"), "last"});
    doc.lines.set_marks(1, LINE_MARK_3);
    const std::string before = text();
    const auto after_tag = static_cast<std::uint32_t>(2 + old_block.size() + 4);   // on "う"
    at(1, after_tag);
    const std::uint64_t generation = doc.generation;
    const std::string longer(40, 'n');
    ASSERT_EQ(rewrite_tag(c, TextPos(1, 2), 4, longer), TagEdit::DONE);
    const std::string new_block = block(4, 10, 20, longer);
    EXPECT_EQ(line(1), "xy" + new_block + sj("あいうえおかきくけこさしすせそ"));
    EXPECT_NE(doc.generation, generation);
    EXPECT_EQ(doc.lines.marks(1), LINE_MARK_3);
    EXPECT_EQ(edit.cursor.pos, TextPos(1, after_tag + static_cast<std::uint32_t>(longer.size() - 2)));
    EXPECT_EQ(invariant(), "");   // the display-line counts equal a fresh count
    ASSERT_TRUE(undo(c));
    EXPECT_EQ(text(), before);
    EXPECT_EQ(doc.lines.marks(1), LINE_MARK_3);
    EXPECT_EQ(invariant(), "");
    ASSERT_TRUE(redo(c));
    EXPECT_EQ(line(1), "xy" + new_block + sj("あいうえおかきくけこさしすせそ"));
    EXPECT_EQ(invariant(), "");
}

TEST_F(TagTest, ATagOfTheLargestSizeIsCreatedWhole) {
    // The size byte of 505 pixels is 252 (0xFC), which elsewhere is no text.
    build(doc, {sj("あい")});
    at(0, 2);
    ASSERT_EQ(create_tag(c, "t", 252, 252), TagEdit::DONE);
    EXPECT_EQ(line(0), sj("あ") + block(0, 252, 252, "t") + sj("い"));
    TagBlock t;
    ASSERT_TRUE(tag_block_at(doc, TextPos(0, 2), &t));
    EXPECT_EQ(t.width_byte, 252);
    ASSERT_EQ(rewrite_tag(c, TextPos(0, 2), 0, "longer"), TagEdit::DONE);
    EXPECT_EQ(line(0), sj("あ") + block(0, 252, 252, "longer") + sj("い"));
    EXPECT_EQ(invariant(), "");
}

TEST_F(TagTest, AResizeIsNoStepOfUndoAndTheStagedLineTakesItsBytes) {
    build(doc, {"a" + block(2, 100, 100, "t") + "b"});
    at(0, 0);
    ASSERT_TRUE(type("x"));   // the line is staged for the next insertion
    const int journal = journal_state(edit.journal);
    ASSERT_TRUE(resize_tag(c, TextPos(0, 2), 2, 300, 300, true).written);
    EXPECT_EQ(journal_state(edit.journal), journal);
    ASSERT_TRUE(type("y"));
    EXPECT_EQ(line(0), "xya" + block(2, 150, 150, "t") + "b");
    ASSERT_TRUE(undo(c));
    ASSERT_TRUE(undo(c));
    EXPECT_EQ(line(0), "a" + block(2, 150, 150, "t") + "b");
    EXPECT_EQ(invariant(), "");
}

TEST_F(TagTest, ResizingAVerticalTagWritesClampedHalvedSizesInPlace) {
    build(doc, {"a" + block(2, 100, 100, "t") + "b"});
    state.modified = 0;
    const std::uint64_t generation = doc.generation;
    TagResize r = resize_tag(c, TextPos(0, 1), 2, 600, 300, true);
    EXPECT_EQ(r.width, 505);
    EXPECT_EQ(r.height, 300);
    EXPECT_TRUE(r.clamped);
    EXPECT_TRUE(r.redraw);
    EXPECT_EQ(line(0), "a" + block(2, 252, 150, "t") + "b");
    EXPECT_EQ(state.modified, MODIFIED_EXTENSION);
    EXPECT_NE(doc.generation, generation);   // a staged copy of the line is not written back
    r = resize_tag(c, TextPos(0, 1), 2, 100, 52, true);
    EXPECT_FALSE(r.redraw);
    EXPECT_EQ(line(0), "a" + block(2, 50, 0x1B, "t") + "b");
    r = resize_tag(c, TextPos(0, 1), 2, 300, 300, false);   // horizontal: the block keeps its size
    EXPECT_FALSE(r.written);
    EXPECT_EQ(line(0), "a" + block(2, 50, 0x1B, "t") + "b");
}

TEST(TagListRows, CutOnACharacterWithAMarkWhenLonger) {
    bool longer = true;
    EXPECT_EQ(tag_list_head(std::string(44, 'a'), &longer), std::string(44, 'a'));
    EXPECT_FALSE(longer);
    EXPECT_EQ(tag_list_head(std::string(45, 'a'), &longer), std::string(44, 'a'));
    EXPECT_TRUE(longer);
    // A lead byte at byte 44: the character is left out whole.
    EXPECT_EQ(tag_list_head(std::string(43, 'a') + sj("字"), &longer), std::string(43, 'a'));
    EXPECT_TRUE(longer);
    EXPECT_EQ(tag_list_head("a\r\nb\rc", &longer), "a b c");
    TagListEntry e{TextPos(11, 0), 0, std::string(44, 'a'), false};
    EXPECT_EQ(tag_list_row(3, e), "  3:0012 " + std::string(44, 'a'));
    e.longer = true;
    EXPECT_EQ(tag_list_row(12, e), " 12:0012 " + std::string(44, 'a') + sj("‥‥"));
}

TEST_F(TagTest, TheListAndTheJumpsFollowTheTextOrder) {
    build(doc, {"a" + block(0, 1, 1, "one"), "b", block(1, 1, 1, "two") + "c" + block(2, 1, 1, "three")});
    const TagList list = collect_tags(c);
    ASSERT_EQ(list.entries.size(), 3u);
    EXPECT_EQ(list.entries[1].anchor, TextPos(2, 0));
    EXPECT_EQ(list.entries[2].head, "three");
    EXPECT_EQ(first_tag_at_or_after(list, TextPos(1, 0)), 1);
    EXPECT_EQ(first_tag_at_or_after(list, TextPos(3, 0)), 2);
    EXPECT_EQ(first_tag_at_or_after(TagList{}, TextPos(0, 0)), 0);
    at(0, 0);
    ASSERT_TRUE(tag_jump(c, true, 0, notices));
    EXPECT_EQ(edit.cursor.pos, TextPos(0, 1));
    ASSERT_TRUE(tag_jump(c, true, 0, notices));
    EXPECT_EQ(edit.cursor.pos, TextPos(2, 0));
    ASSERT_TRUE(tag_jump(c, true, 0, notices));
    ASSERT_FALSE(tag_jump(c, true, 0, notices));
    ASSERT_EQ(notices.items.size(), 1u);
    EXPECT_EQ(notices.items[0].utf8, "目的の箇所が見付かりません｡");
    EXPECT_EQ(notices.items[0].time_ms, 2000u);
    ASSERT_TRUE(tag_jump(c, false, 0, notices));
    EXPECT_EQ(edit.cursor.pos, TextPos(2, 0));
    ASSERT_TRUE(tag_jump(c, false, 0, notices));
    EXPECT_EQ(edit.cursor.pos, TextPos(0, 1));
    EXPECT_FALSE(tag_jump(c, false, 0, notices));
}

TEST(AddressInText, OnlyWebAndMailAddressesUnderTheCaret) {
    std::string a;
    const std::string text = sj("見て") + "http://example.jp/a " + sj("か") + "\r\nwww.example.jp";
    EXPECT_TRUE(address_in_text(4, text, &a));
    EXPECT_EQ(a, "http://example.jp/a");
    EXPECT_TRUE(address_in_text(22, text, &a));   // just after the address
    EXPECT_FALSE(address_in_text(1, text, &a));   // inside 見
    EXPECT_TRUE(address_in_text(text.size() - 2, text, &a));
    EXPECT_EQ(a, "http://www.example.jp");
    EXPECT_TRUE(address_in_text(3, "to kaku@example.jp", &a));
    EXPECT_EQ(a, "mailto:kaku@example.jp");
    EXPECT_TRUE(address_in_text(0, "HTTPS://x.jp", &a));
    for (const char* bad : {"/usr/bin/rm.sh", "file:///etc/passwd", "C:\\a.exe", "ab", "readme.txt", "javascript:x.y"})
        EXPECT_FALSE(address_in_text(1, bad, &a)) << bad;
    EXPECT_FALSE(address_in_text(1, "http://" + std::string(300, 'a') + ".jp", &a));
}

TEST(TagPlacement, BesideTheColumnOrAboveTheLineFlippedAndClipped) {
    TagPlacementInput in;
    in.anchor_x = 400, in.anchor_y = 100, in.cell_width = 20, in.cell_height = 20, in.line_pitch = 35;
    in.width = 150, in.height = 200, in.client_width = 800, in.client_height = 600;
    TagPlacement p = place_tag_window(in);
    EXPECT_EQ(p.x, 430);   // 10 = 2/7 of 35 right of the column
    EXPECT_EQ(p.y, 100);
    EXPECT_FALSE(p.flipped);
    // The connector spans the gap from the column's right edge to the window's left.
    TagConnectorLine l = tag_connector_line(in, p);
    EXPECT_EQ(std::vector<int>({l.x0, l.y0, l.x1, l.y1}), std::vector<int>({420, 100, 430, 100}));
    in.anchor_x = 700;
    p = place_tag_window(in);
    EXPECT_TRUE(p.flipped);
    EXPECT_EQ(p.x, 540);
    l = tag_connector_line(in, p);   // from the column's left edge to the window's right edge
    EXPECT_EQ(std::vector<int>({l.x0, l.y0, l.x1, l.y1}), std::vector<int>({700, 100, 689, 100}));
    in.anchor_y = 500;
    EXPECT_EQ(place_tag_window(in).y, 400);   // clipped into the client area
    in.vertical = false;
    in.anchor_x = 100, in.anchor_y = 300;
    p = place_tag_window(in);
    EXPECT_EQ(p.y, 90);
    EXPECT_EQ(p.x, 100);
    in.anchor_y = 50;
    p = place_tag_window(in);
    EXPECT_TRUE(p.flipped);
    EXPECT_EQ(p.y, 80);   // below the line
    l = tag_connector_line(in, p);   // from the line's bottom edge down to the window's top
    EXPECT_EQ(std::vector<int>({l.x0, l.y0, l.x1, l.y1}), std::vector<int>({100, 70, 100, 80}));
    in.anchor_x = 780;
    EXPECT_EQ(place_tag_window(in).x, 650);
}

TEST(ShownTags, AtMostAHundredSizedFromTheBlockOnlyInVerticalDocuments) {
    ShownTagTable table;
    TagBlock t;
    t.width_byte = 60, t.height_byte = 70, t.text = "x";
    for (int i = 0; i < 101; ++i) {
        t.serial = static_cast<std::uint16_t>(i);
        ShownTag* e = table.register_tag(t, i, 0, true, 200, 300);
        if (i < 100) ASSERT_NE(e, nullptr);
        else EXPECT_EQ(e, nullptr);
    }
    EXPECT_EQ(table.find(5)->width, 120);
    table.keep_only({5, 7});
    ASSERT_EQ(table.entries().size(), 2u);
    t.serial = 200;
    EXPECT_EQ(table.register_tag(t, 0, 0, false, 200, 300)->width, 200);   // horizontal: the stored size
    t.serial = 201, t.width_byte = 0;
    EXPECT_EQ(table.register_tag(t, 0, 0, true, 210, 300)->width, 210);    // no size of its own
    EXPECT_EQ(table.register_tag(t, 9, 8, true, 210, 300)->anchor_x, 9);   // known: moved
    EXPECT_EQ(table.entries().size(), 4u);
}

}  // namespace
}  // namespace rix::test
