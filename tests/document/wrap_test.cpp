// The break rule with kinsoku and the capacity of display lines, seen
// through the wrap cache of built documents.
// Owed: the print and drawing wrappers are checked where they are written.
#include <gtest/gtest.h>

#include <vector>

#include "document/display_lines.h"
#include "document/wrap.h"
#include "tests/document/doc_builder.h"

using namespace rix;
using rix::test::sj;

namespace {

using Breaks = std::vector<std::uint32_t>;

std::string kanji(int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += sj("漢");
    return s;
}

// The break columns of `line` (followed by another line, so it ends with a line end).
Breaks breaks_of(const WrapRules& r, const std::string& line, std::uint32_t word = 0) {
    Document doc;
    doc.rules = r;
    test::build(doc, {line, ""}, {word});
    lp_load(doc, TextPos(0, 0));
    EXPECT_EQ(count_display_lines(doc, 0), doc.cache.breaks.size());
    return doc.cache.breaks;
}

}  // namespace

TEST(Wrap, CellsOfHalfWidthAndBlocks) {
    // "abc" takes two cells, "ab" one: on N = 2 "abcd" fits, "abcde" does not.
    EXPECT_EQ(breaks_of(test::rules(2, 0), "abcd"), (Breaks{0}));
    EXPECT_EQ(breaks_of(test::rules(2, 0), "abcde"), (Breaks{0, 4}));
    // Ruby and tag blocks take no cell.
    std::string three = sj("漢") + test::ruby("かん", 1) + sj("字") + test::tag("t") + sj("書");
    EXPECT_EQ(breaks_of(test::rules(3, 0), three), (Breaks{0}));
    // A break before a ruby block keeps the block with its base text.
    std::string line = kanji(3) + test::ruby("じ", 1) + sj("字");
    EXPECT_EQ(breaks_of(test::rules(3, 0), line), (Breaks{0, 6}));
}

TEST(Wrap, KinsokuNone) {
    // Exactly N cells before the line end: one display line, not an empty second one.
    EXPECT_EQ(breaks_of(test::rules(10, 0), kanji(10)), (Breaks{0}));
    EXPECT_EQ(breaks_of(test::rules(10, 0), kanji(11)), (Breaks{0, 20}));
    // Punctuation does not hang without kinsoku.
    EXPECT_EQ(breaks_of(test::rules(10, 0), kanji(10) + sj("。") + kanji(2)), (Breaks{0, 20}));
    // A CR after a full line hangs; the character after it is forced down.
    EXPECT_EQ(breaks_of(test::rules(10, 0), kanji(10) + "\x0D" + kanji(1)), (Breaks{0, 21}));
}

TEST(Wrap, HangingPunctuation) {
    std::string tail = kanji(3);
    EXPECT_EQ(breaks_of(test::rules(10, 1), kanji(10) + sj("。") + tail), (Breaks{0, 22}));
    // One hangs on kinsoku on; the closing bracket starts the next line.
    EXPECT_EQ(breaks_of(test::rules(10, 1), kanji(10) + sj("。」") + tail), (Breaks{0, 22}));
    // Double kinsoku lets both hang, and no more.
    EXPECT_EQ(breaks_of(test::rules(10, 2), kanji(10) + sj("。」") + tail), (Breaks{0, 24}));
    EXPECT_EQ(breaks_of(test::rules(10, 2), kanji(10) + sj("。」」") + tail), (Breaks{0, 24}));
    // A half-width "." is never a member: it starts the next line.
    EXPECT_EQ(breaks_of(test::rules(10, 1), kanji(10) + "." + tail), (Breaks{0, 20}));
}

TEST(Wrap, OpeningBracketPullsTheNextCharacter) {
    EXPECT_EQ(breaks_of(test::rules(10, 1), kanji(9) + sj("「") + kanji(3)), (Breaks{0, 22}));
    // ... and an opening bracket whose next character may not begin a line keeps both.
    EXPECT_EQ(breaks_of(test::rules(10, 2), kanji(9) + sj("「") + sj("「。") + kanji(2)), (Breaks{0, 24}));
}

TEST(Wrap, SmallKanaOnlyWhenAsked) {
    std::string line = kanji(10) + sj("ッ") + kanji(2);
    EXPECT_EQ(breaks_of(test::rules(10, 1, false), line), (Breaks{0, 20}));
    EXPECT_EQ(breaks_of(test::rules(10, 1, true), line), (Breaks{0, 22}));
    // Not a small kana: the neighbour codes of the list.
    EXPECT_FALSE(is_small_kana(0x82A0));
    EXPECT_FALSE(is_small_kana(0x8397));
    EXPECT_TRUE(is_small_kana(0x8396));
}

TEST(Wrap, EmptySetsKeepTheSmallKanaRule) {
    WrapRules r = test::rules(10, 1, true);
    r.line_start_prohibited.clear();
    r.line_end_prohibited.clear();
    EXPECT_EQ(breaks_of(r, kanji(10) + sj("。") + kanji(2)), (Breaks{0, 20}));
    EXPECT_EQ(breaks_of(r, kanji(9) + sj("「") + kanji(2)), (Breaks{0, 20}));
    EXPECT_EQ(breaks_of(r, kanji(10) + sj("ッ") + kanji(2)), (Breaks{0, 22}));
}

TEST(Wrap, SingleByteInTheEndSet) {
    // A single byte typed into the end set keeps that lone half-width character off the line end.
    WrapRules r = test::rules(10, 1);
    EXPECT_EQ(breaks_of(r, kanji(9) + "(" + kanji(2)), (Breaks{0, 19}));
    r.line_end_prohibited += "(";
    EXPECT_EQ(breaks_of(r, kanji(9) + "(" + kanji(2)), (Breaks{0, 21}));
    // It does not match a double-byte character whose trail byte has that value.
    EXPECT_FALSE(set_contains("(", 0x8128));
    EXPECT_TRUE(set_contains("(", 0x28));
}

TEST(Wrap, SetMembershipWalksWholeCharacters) {
    // 0x838A 0x8140: a byte search would find 0x8A81 across the boundary.
    std::string set("\x83\x8A\x81\x40", 4);
    EXPECT_TRUE(set_contains(set, 0x838A));
    EXPECT_TRUE(set_contains(set, 0x8140));
    EXPECT_FALSE(set_contains(set, 0x8A81));
    EXPECT_FALSE(set_contains(set, 0x40));   // a trail byte is not a single-byte member
    // A full field has no terminator; a shorter one stops at its NUL.
    char start[4] = {'\x81', '\x42', '\x81', '\x41'};
    char end[6] = {'\x81', '\x75', '\0', '\x81', '\x77', '\0'};
    WrapRules r = wrap_rules_from_fields(20, 2, true, start, sizeof start, end, sizeof end);
    EXPECT_EQ(r.line_start_prohibited, std::string(start, 4));
    EXPECT_EQ(r.line_end_prohibited, "\x81\x75");
    EXPECT_EQ(r.chars_per_column, 20u);
    EXPECT_EQ(r.kinsoku_mode, 2);
    EXPECT_TRUE(r.small_kana_kinsoku);
}

namespace {

// Every code, single- and double-byte, looked up in the bitmap and by the walk.
void expect_lookup_agrees(const BreakSet& set) {
    for (std::uint32_t code = 0; code <= 0xFFFF; ++code) {
        const auto c = static_cast<std::uint16_t>(code);
        if (set.contains(c) != set_contains(set.bytes(), c)) {
            ADD_FAILURE() << "code 0x" << std::hex << code << " in a set of " << std::dec << set.bytes().size()
                          << " bytes";
            return;
        }
    }
}

}  // namespace

TEST(Wrap, SetLookupAgreesWithTheWalk) {
    const WrapRules defaults = test::rules(20, 1);
    expect_lookup_agrees(defaults.line_start_prohibited);
    expect_lookup_agrees(defaults.line_end_prohibited);
    BreakSet set;
    expect_lookup_agrees(set);
    EXPECT_FALSE(set.contains(0));
    // Single bytes, a lead byte with an invalid trail, the 0xFC lead, a lone lead at the end.
    set = std::string("(a\x81\x0A\xFC\x40\xE0", 7);
    expect_lookup_agrees(set);
    EXPECT_TRUE(set.contains(0x810A));
    EXPECT_TRUE(set.contains(0xFC40));
    EXPECT_TRUE(set.contains(0xE0));
    EXPECT_FALSE(set.contains(0x0A));
    // Appending pairs the lone lead with the byte after it.
    set += "\x41";
    expect_lookup_agrees(set);
    EXPECT_TRUE(set.contains(0xE041));
    EXPECT_FALSE(set.contains(0xE0));
    set.clear();
    expect_lookup_agrees(set);
    EXPECT_FALSE(set.contains(0xE041));
    // Sets of random bytes, every length up to the field's.
    std::uint32_t seed = 12345;
    for (int round = 0; round < 40; ++round) {
        std::string bytes;
        for (int k = round * 37 % 97; k > 0; --k) {
            seed = seed * 1103515245u + 12345u;
            bytes.push_back(static_cast<char>(seed >> 16));
        }
        set = bytes;
        expect_lookup_agrees(set);
    }
}

TEST(Wrap, SetFieldsEndAtTheirWidth) {
    // A full field whose last byte is a lead: it stands alone, taking nothing beyond the field.
    char start[96];
    for (std::size_t k = 0; k + 2 < sizeof start; k += 2) start[k] = '\x81', start[k + 1] = '\x41';
    start[94] = 'A';
    start[95] = '\x82';
    char end[48] = {'\x81', '\x75', '\0', '\x81', '\x77'};
    const WrapRules r = wrap_rules_from_fields(20, 1, false, start, sizeof start, end, sizeof end);
    EXPECT_EQ(r.line_start_prohibited.bytes().size(), 96u);
    EXPECT_TRUE(r.line_start_prohibited.contains(0x8141));
    EXPECT_TRUE(r.line_start_prohibited.contains('A'));
    EXPECT_TRUE(r.line_start_prohibited.contains(0x82));
    EXPECT_FALSE(r.line_start_prohibited.contains(0x8200));
    EXPECT_FALSE(r.line_start_prohibited.contains(0x8281));
    expect_lookup_agrees(r.line_start_prohibited);
    // After the NUL of a shorter field nothing is a member.
    EXPECT_TRUE(r.line_end_prohibited.contains(0x8175));
    EXPECT_FALSE(r.line_end_prohibited.contains(0x8177));
    expect_lookup_agrees(r.line_end_prohibited);
}

TEST(Wrap, IndentationAndFirstLineAdjustment) {
    // s = 2, e = 1, adjustment 6 (two cells out) on N = 20: 19 cells first, then 17.
    std::uint32_t w = test::format_word(2, 1, 6);
    EXPECT_EQ(breaks_of(test::rules(20, 0), kanji(60), w), (Breaks{0, 38, 72, 106}));
    // Adjustment 7 on s = 3: the first line starts at the column start again.
    WrapRules r = test::rules(20, 0);
    EXPECT_EQ(line_capacity(r, test::format_word(3, 0, 7), true), 20u);
    EXPECT_EQ(line_capacity(r, test::format_word(3, 0, 7), false), 17u);
    EXPECT_EQ(line_capacity(r, test::format_word(0, 0, 4), true), 16u);
}

TEST(Wrap, OutdentBeyondTheIndentationReadsAsNone) {
    // Indentation 0 with first line three cells out (only a damaged file has
    // it): the line is drawn from cell 0, so it holds N cells, not N + 3.
    WrapRules r = test::rules(20, 0);
    EXPECT_EQ(display_line_indent(test::format_word(0, 0, 7), true), 0u);
    EXPECT_EQ(line_capacity(r, test::format_word(0, 0, 7), true), 20u);
    EXPECT_EQ(line_capacity(r, test::format_word(1, 2, 7), true), 18u);
    EXPECT_EQ(display_line_indent(test::format_word(3, 0, 6), true), 1u);
    EXPECT_EQ(breaks_of(r, kanji(45), test::format_word(0, 0, 7)), (Breaks{0, 40, 80}));
}

TEST(Wrap, BlocksDoNotHideTheNextCharacter) {
    const WrapRules on = test::rules(10, 1);
    const std::string tail = kanji(3);
    // A ruby-annotated base at the capacity followed by "。": as without the ruby.
    const std::string ruby = test::ruby("じ", 1);
    EXPECT_EQ(breaks_of(on, kanji(10) + sj("。") + tail), (Breaks{0, 22}));
    EXPECT_EQ(breaks_of(on, kanji(9) + ruby + sj("漢。") + tail), (Breaks{0, 22 + 5}));
    // A ruby or a tag between the full line and "。" (or a small kana) is stepped over.
    EXPECT_EQ(breaks_of(on, kanji(10) + ruby + sj("。") + tail), (Breaks{0, 22 + 5}));
    const std::string t = test::tag("t");
    const auto tn = static_cast<std::uint32_t>(t.size());
    EXPECT_EQ(breaks_of(on, kanji(10) + t + sj("。") + tail), (Breaks{0, 22 + tn}));
    EXPECT_EQ(breaks_of(test::rules(10, 1, true), kanji(10) + t + ruby + sj("ッ") + tail),
              (Breaks{0, 22 + tn + 5}));
    // ... and so is an ignored marker; an opening bracket still pulls past a block.
    EXPECT_EQ(breaks_of(on, kanji(10) + "\xFC" + sj("。") + tail), (Breaks{0, 23}));
    EXPECT_EQ(breaks_of(on, kanji(9) + sj("「") + t + kanji(3)), (Breaks{0, 22 + tn}));
    // A block just before the line end: no empty display line after a full one.
    EXPECT_EQ(breaks_of(on, kanji(10) + t), (Breaks{0}));
    EXPECT_EQ(breaks_of(test::rules(10, 0), kanji(10) + t), (Breaks{0}));
    // Without kinsoku the next character breaks as before.
    EXPECT_EQ(breaks_of(test::rules(10, 0), kanji(10) + t + sj("。")), (Breaks{0, 20}));
}

TEST(Wrap, NextCharacterLooksPastBlocks) {
    const std::string line = test::tag("x") + test::ruby("あ", 1) + "ab" + std::string("\xFE\0", 2);
    const auto* p = reinterpret_cast<const std::uint8_t*>(line.data());
    EXPECT_EQ(next_character(p, 0).byte, 'a');
    EXPECT_EQ(next_character(p, 0).trail, 'b');
    EXPECT_EQ(next_character(p, line.size() - 2).byte, 0xFE);
    const std::string end = test::tag("x") + std::string("\x1A\0", 2);
    EXPECT_EQ(next_character(reinterpret_cast<const std::uint8_t*>(end.data()), 0).byte, 0x1A);
}

TEST(Wrap, IndentationWithoutRoomStillBreaks) {
    WrapRules r = test::rules(20, 1);
    std::uint32_t w = test::format_word(15, 15, 0);
    EXPECT_EQ(line_capacity(r, w, true), 1u);
    EXPECT_EQ(line_capacity(test::rules(4, 1), test::format_word(2, 1, 4), true), 1u);
    // One cell a display line; "。" still hangs onto the cell before it.
    EXPECT_EQ(breaks_of(r, sj("漢。漢漢"), w), (Breaks{0, 4, 6}));
    Breaks many = breaks_of(r, kanji(300), w);
    EXPECT_EQ(many.size(), 300u);
}

TEST(Wrap, HardLimit) {
    WrapRules r = test::rules(10, 1);
    EXPECT_EQ(may_break_after(r, 11, 0x889F, 0x81, 0x42), 1);   // "、" next, but the line is full
    EXPECT_EQ(may_break_after(r, 10, 0x889F, 0x81, 0x42), 0);
    EXPECT_EQ(may_break_after(r, 10, 0x889F, 0xFE, 0x00), 0);
    EXPECT_EQ(may_break_after(r, 10, 0x889F, 0x0D, 0x00), 0);
    EXPECT_EQ(may_break_after(r, 10, 0x889F, 'a', 'b'), 1);
    r.kinsoku_mode = 2;
    EXPECT_EQ(may_break_after(r, 11, 0x889F, 0x81, 0x42), 0);
    EXPECT_EQ(may_break_after(r, 12, 0x889F, 0x81, 0x42), 1);
    r.kinsoku_mode = 0;
    EXPECT_EQ(may_break_after(r, 10, 0x8175, 0x88, 0x9F), 1);   // "「" needs kinsoku to pull
}
