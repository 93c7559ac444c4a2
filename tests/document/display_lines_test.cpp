// The wrap cache against an independent walk on random lines, display-line
// arithmetic at the document's ends, and moving by display lines.
// Scrolling and cursor movement use these; their tests live with them.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <vector>

#include "document/display_lines.h"
#include "document/storage.h"
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

// A plain byte-by-byte walk of a stored line (with its end mark), written
// from the rule without the scanner. `starts` receives every column where a
// character, a block or the end mark begins.
Breaks reference_breaks(const std::string& bytes, const WrapRules& r, std::uint32_t word, std::set<std::uint32_t>* starts) {
    auto at = [&](std::size_t i) -> std::uint8_t { return i < bytes.size() ? static_cast<std::uint8_t>(bytes[i]) : 0xFE; };
    // The first byte of the next character from i on: whole blocks and 0xFC skipped.
    auto next_char = [&](std::size_t i) -> std::size_t {
        for (;;) {
            const std::uint8_t x = at(i);
            if (x == 0xFC) {
                ++i;
            } else if (x == 0xFF || x == 0xFD) {
                std::size_t e = i + (x == 0xFF ? 2 : 3);
                while (e < bytes.size() && at(e) != x) ++e;
                i = e + 1;
            } else {
                return i;
            }
        }
    };
    Breaks breaks{0};
    std::uint32_t j = 0;
    bool ruby = false, tag = false;
    std::size_t b = 0;
    while (b < bytes.size()) {
        if (!ruby && !tag) starts->insert(static_cast<std::uint32_t>(b));
        std::uint8_t x = at(b++);
        if (x >= 0xFC || ruby || tag) {
            if (x == 0xFE && !ruby && !tag) break;
            if (x == 0xFF && !tag) {
                ruby = !ruby;
                if (ruby) b += 1;
            } else if (x == 0xFD && !ruby) {
                tag = !tag;
                if (tag) b += 2;
            }
            continue;
        }
        std::uint16_t ch = x;
        if ((x >= 0x81 && x <= 0x9F) || (x >= 0xE0 && x <= 0xFB)) {
            ch = static_cast<std::uint16_t>(x << 8 | at(b++));
        } else if (x == 0x1A) {
            break;
        } else if ((at(b) >= 0x20 && at(b) <= 0x80) || (at(b) >= 0xA0 && at(b) <= 0xDF)) {
            ch = at(b++);
        }
        ++j;
        // An outdent beyond the indentation reads as no indentation.
        const long indent = std::max(static_cast<long>(start_indent(word)) +
                                         (breaks.size() == 1 ? first_line_adjustment(word) : 0), 0L);
        long cap = static_cast<long>(r.chars_per_column) - indent - static_cast<long>(end_indent(word));
        if (static_cast<long>(j) < std::max(cap, 1L)) continue;
        const std::size_t n = next_char(b);
        if (may_break_after(r, j, ch, at(n), at(n + 1))) {
            j = 0;
            breaks.push_back(static_cast<std::uint32_t>(b));
        }
    }
    return breaks;
}

std::string random_line(std::mt19937& rng) {
    static const char* const kana[] = {"。", "」", "「", "ッ", "ょ", "、", "ー", "あ", "カ", "（", "）"};
    std::string s;
    int items = static_cast<int>(rng() % 60);
    for (int i = 0; i < items; ++i) {
        switch (rng() % 9) {
            case 0:
            case 1: {
                auto trail = static_cast<std::uint8_t>(0x40 + rng() % 0xBB);
                if (trail == 0x7F) trail = 0x80;
                s += static_cast<char>(0x88 + rng() % 0x18);
                s += static_cast<char>(trail);
                break;
            }
            case 2:
            case 3: s += sj(kana[rng() % (sizeof kana / sizeof *kana)]); break;
            case 4: s += static_cast<char>(0x21 + rng() % 0x5E); break;       // ASCII
            case 5: s += static_cast<char>(0xA1 + rng() % 0x3F); break;       // half-width kana
            case 6: s += test::ruby("るび", 1 + static_cast<int>(rng() % 3)); break;
            case 7: {
                std::string serial{static_cast<char>(rng() % 256), static_cast<char>(rng() % 256)};
                s += "\xFD" + serial + "\x01\x02" + (rng() % 2 ? "tag\n" : "") + "\xFD";
                break;
            }
            default: s += '\x0D'; break;
        }
    }
    return s;
}

}  // namespace

TEST(WrapCache, MatchesAnIndependentWalkOnRandomLines) {
    std::mt19937 rng(2024);
    for (int trial = 0; trial < 40; ++trial) {
        Document doc;
        doc.rules = test::rules(1 + rng() % 12, static_cast<std::uint8_t>(rng() % 3), rng() % 2);
        std::vector<std::string> lines;
        std::vector<std::uint32_t> words;
        for (int i = 0; i < 40; ++i) {
            lines.push_back(random_line(rng));
            words.push_back(rng() % 3 ? 0 : test::format_word(rng() % 4, rng() % 4, rng() % 8));
        }
        test::build(doc, lines, words);
        ASSERT_EQ(doc.lines.check_invariant(doc.buffer.append_position()), "");
        for (std::uint32_t l = 0; l < lines.size(); ++l) {
            bool last = l + 1 == lines.size();
            std::string stored = lines[l] + std::string(last ? "\x1A\0" : "\xFE\0", 2);
            std::set<std::uint32_t> starts;
            Breaks want = reference_breaks(stored, doc.rules, words[l], &starts);
            lp_load(doc, TextPos(l, 0));
            ASSERT_EQ(doc.cache.breaks, want) << "trial " << trial << " line " << l;
            ASSERT_EQ(doc.lines.display_lines(l), want.size());
            for (std::uint32_t b : want) ASSERT_TRUE(starts.count(b)) << "break inside an item at " << b;
            // The display line of any column is the last break not after it, cached or not.
            auto c = static_cast<std::uint32_t>(rng() % (stored.size() + 1));
            auto expect = static_cast<std::uint32_t>(std::upper_bound(want.begin(), want.end(), c) - want.begin() - 1);
            EXPECT_EQ(display_line_index_of(doc, TextPos(l, c)), expect);
            doc.cache.invalidate();
            EXPECT_EQ(display_line_index_of(doc, TextPos(l, c)), expect);
        }
    }
}

TEST(WrapCache, LineWithoutAnEndReportsTheLoopErrorOnce) {
    Document doc;
    doc.rules = test::rules(20, 0);
    ASSERT_TRUE(doc.buffer.reserve(MAX_LINE_SCAN + 64));
    std::fill_n(doc.buffer.pointer(0), MAX_LINE_SCAN + 64, 'a');
    doc.buffer.set_append_position(MAX_LINE_SCAN + 64);
    doc.lines.append(0, 0, 1);
    lp_load(doc, TextPos(0, 0));
    lp_load(doc, TextPos(0, 100));
    ASSERT_EQ(doc.notices.items.size(), 1u);
    EXPECT_EQ(doc.notices.items[0].utf8, "lp_load()ループエラー");
    EXPECT_EQ(doc.notices.items[0].time_ms, 3000u);
    // Treated as ended at the limit: 2 MiB of pairs, 20 cells a display line.
    EXPECT_EQ(doc.cache.breaks.size(), (MAX_LINE_SCAN / 2 + 19) / 20);
}

TEST(DisplayLines, MoreThan255InOneLine) {
    Document doc;
    doc.rules = test::rules(2, 0);
    test::build(doc, {kanji(600), sj("字"), ""});
    EXPECT_EQ(doc.lines.display_lines(0), 300u);
    EXPECT_EQ(doc.lines.display_lines_before(1), 300u);
    EXPECT_EQ(document_display_line(doc, TextPos(0, 4 * 280 + 2)).value, 280u);
    EXPECT_EQ(document_display_line(doc, TextPos(1, 0)).value, 300u);
    EXPECT_EQ(display_lines_forward(doc, TextPos(0, 0), 299).pos, TextPos(0, 1196));
    EXPECT_EQ(display_lines_forward(doc, TextPos(0, 0), 300).pos, TextPos(1, 0));
    DisplayMove back = display_lines_backward(doc, TextPos(1, 0), 300);
    EXPECT_EQ(back.pos, TextPos(0, 0));
    EXPECT_EQ(back.moved, 300u);
}

// Line 0: 10 kanji on N = 4 (display lines at 0, 8, 16); line 1: 2 kanji; line 2: 6 kanji (0, 8).
class Moves : public ::testing::Test {
protected:
    void SetUp() override {
        doc.rules = test::rules(4, 0);
        test::build(doc, {kanji(10), kanji(2), kanji(6)});
    }
    Document doc;
};

TEST_F(Moves, ForwardStopsOnTheLastDisplayLine) {
    struct Case { std::uint32_t n; TextPos pos; std::uint32_t moved; };
    for (Case c : {Case{0, TextPos(0, 0), 0}, Case{1, TextPos(0, 8), 1}, Case{3, TextPos(1, 0), 3},
                   Case{4, TextPos(2, 0), 4}, Case{5, TextPos(2, 8), 5}, Case{6, TextPos(2, 8), 5},
                   Case{100, TextPos(2, 8), 5}}) {
        DisplayMove m = display_lines_forward(doc, TextPos(0, 2), c.n);
        EXPECT_EQ(m.pos, c.pos) << c.n;
        EXPECT_EQ(m.moved, c.moved) << c.n;
    }
    DisplayMove none = display_lines_forward(doc, TextPos(2, 10), 1);
    EXPECT_EQ(none.moved, 0u);
    EXPECT_EQ(none.pos, TextPos(2, 8));
    EXPECT_EQ(document_display_line(doc, TextPos(2, 10)).value, 5u);
    EXPECT_EQ(display_lines_from(doc, TextPos(0, 9)), 2u);
}

TEST_F(Moves, BackwardStopsAtTheStart) {
    struct Case { std::uint32_t n; TextPos pos; std::uint32_t moved; };
    for (Case c : {Case{1, TextPos(2, 0), 1}, Case{2, TextPos(1, 0), 2}, Case{3, TextPos(0, 16), 3},
                   Case{5, TextPos(0, 0), 5}, Case{9, TextPos(0, 0), 5}}) {
        DisplayMove m = display_lines_backward(doc, TextPos(2, 10), c.n);
        EXPECT_EQ(m.pos, c.pos) << c.n;
        EXPECT_EQ(m.moved, c.moved) << c.n;
    }
    EXPECT_EQ(display_lines_backward(doc, TextPos(0, 3), 1).moved, 0u);
    // The position after the last line is one display line beyond it.
    DisplayMove from_end = display_lines_backward(doc, TextPos(3, 0), 1);
    EXPECT_EQ(from_end.pos, TextPos(2, 8));
    EXPECT_EQ(from_end.moved, 1u);
}

TEST_F(Moves, ByDisplayLinesToACell) {
    CellMove m = move_by_display_lines(doc, TextPos(0, 0), 1, 2, false);
    ASSERT_TRUE(m.ok);
    EXPECT_EQ(m.pos, TextPos(0, 12));
    EXPECT_EQ(m.cell, 2u);
    EXPECT_EQ(m.line_start, TextPos(0, 8));
    EXPECT_EQ(m.ch, 0x8ABF);   // 漢
    // As far as possible, then nothing at all.
    EXPECT_EQ(move_by_display_lines(doc, TextPos(0, 0), 6, 0, false).pos, TextPos(2, 8));
    EXPECT_FALSE(move_by_display_lines(doc, TextPos(2, 9), 1, 0, false).ok);
    EXPECT_FALSE(move_by_display_lines(doc, TextPos(0, 2), -1, 0, false).ok);
    EXPECT_EQ(move_by_display_lines(doc, TextPos(0, 10), 0, 0, false).pos, TextPos(0, 8));
    // A cell beyond a short display line: the line end; beyond a wrapped one: its last character.
    m = move_by_display_lines(doc, TextPos(0, 0), 2, 3, false);
    EXPECT_EQ(m.pos, TextPos(0, 20));
    EXPECT_EQ(m.cell, 2u);
    EXPECT_EQ(m.ch, LINE_END_MARK);
    m = move_by_display_lines(doc, TextPos(0, 0), 0, 9, false);
    EXPECT_EQ(m.pos, TextPos(0, 6));
    EXPECT_EQ(m.cell, 3u);
    m = move_by_display_lines(doc, TextPos(1, 0), -1, 9, false);   // the last line's end of text
    EXPECT_EQ(m.pos, TextPos(0, 20));
    m = move_by_display_lines(doc, TextPos(2, 0), 1, 9, false);
    EXPECT_EQ(m.pos, TextPos(2, 12));
    EXPECT_EQ(m.ch, TEXT_END_MARK);
}

TEST(MoveByDisplayLines, RubyHalfWidthAndFirstLine) {
    Document doc;
    doc.rules = test::rules(4, 0);
    std::string line = kanji(3) + test::ruby("じ", 1) + sj("字") + kanji(2);
    test::build(doc, {line, "abcd", kanji(6)}, {0, 0, test::format_word(0, 0, 2)});
    // The last character of a display line after a ruby block: stand before the block.
    CellMove m = move_by_display_lines(doc, TextPos(0, 0), 0, 10, false);
    EXPECT_EQ(m.pos, TextPos(0, 6));
    EXPECT_EQ(m.cell, 3u);
    EXPECT_EQ(m.ch, 0x8E9A);   // 字
    // A cell at the block also stops before it.
    EXPECT_EQ(move_by_display_lines(doc, TextPos(0, 0), 0, 3, false).pos, TextPos(0, 6));
    // Half-width pairs: first or second half of a cell.
    m = move_by_display_lines(doc, TextPos(1, 0), 0, 1, true);
    EXPECT_EQ(m.pos, TextPos(1, 3));
    EXPECT_TRUE(m.second_half);
    EXPECT_EQ(m.ch, 'd');
    m = move_by_display_lines(doc, TextPos(1, 0), 0, 1, false);
    EXPECT_EQ(m.pos, TextPos(1, 2));
    EXPECT_FALSE(m.second_half);
    // First display line has two cells (adjustment 2), the next four.
    m = move_by_display_lines(doc, TextPos(2, 0), 0, 9, false);
    EXPECT_EQ(m.pos, TextPos(2, 2));
    EXPECT_EQ(m.cell, 1u);
    m = move_by_display_lines(doc, TextPos(2, 0), 1, 9, false);
    EXPECT_EQ(m.pos, TextPos(2, 10));
    EXPECT_EQ(m.cell, 3u);
}

TEST(DisplayLines, RecountFollowsTheRules) {
    Document doc;
    doc.rules = test::rules(4, 0);
    test::build(doc, {kanji(10), kanji(2), kanji(6)});
    EXPECT_EQ(doc.lines.total_display_lines(), 6u);
    lp_load(doc, TextPos(2, 0));
    doc.rules.chars_per_column = 2;
    EXPECT_EQ(recount_display_lines(doc, TextPos(2, 6)).value, 5u + 1u + 1u);   // display line 1 of line 2
    EXPECT_EQ(doc.lines.total_display_lines(), 5u + 1u + 4u);   // "漢漢" then the text end on its own
    EXPECT_EQ(doc.cache.breaks.size(), 4u);
}

TEST(DisplayLines, LineSurgeryDropsTheCache) {
    Document doc;
    doc.rules = test::rules(4, 0);
    test::build(doc, {kanji(10), kanji(2), kanji(6)}, {0, 0, test::format_word(1, 0, 0)});
    BufferOffset second = doc.lines.start(1);
    lp_load(doc, TextPos(2, 0));
    insert_line_entries(doc, 1, 2);
    EXPECT_EQ(doc.cache.line, NO_LINE);
    EXPECT_EQ(doc.formats.word(4), test::format_word(1, 0, 0));
    EXPECT_EQ(doc.lines.start(3), second);
    EXPECT_EQ(doc.lines.total_display_lines(), 3u + 2u + 1u + 3u);
    lp_load(doc, TextPos(4, 0));
    remove_line_entries(doc, 3, 2);
    EXPECT_EQ(doc.cache.line, NO_LINE);
    EXPECT_EQ(doc.formats.word(2), test::format_word(1, 0, 0));
    EXPECT_EQ(doc.lines.count(), 3u);
}
