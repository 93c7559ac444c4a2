// The LineTable with its display-line sums, the LineFormatTable, and keeping
// structure-index entries on their lines.
// Owed: nothing known.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "document/display_lines.h"
#include "document/line_table.h"

using namespace rix;

namespace {

struct ModelLine {
    BufferOffset start;
    std::uint8_t marks;
    std::uint32_t count;
};

void expect_same(const LineTable& t, const std::vector<ModelLine>& model) {
    ASSERT_EQ(t.count(), model.size());
    std::uint64_t sum = 0;
    for (std::uint32_t i = 0; i < t.count(); ++i) {
        ASSERT_EQ(t.display_lines_before(i), sum) << "line " << i;
        ASSERT_EQ(t.start(i), model[i].start);
        ASSERT_EQ(t.marks(i), model[i].marks);
        sum += model[i].count;
    }
    ASSERT_EQ(t.total_display_lines(), sum);
    ASSERT_EQ(t.check_invariant(0xFFFFFFF0u), "");
}

}  // namespace

TEST(LineTable, SumsMatchANaiveSumUnderRandomEdits) {
    std::mt19937 rng(12345);
    LineTable t;
    std::vector<ModelLine> model;
    for (int step = 0; step < 3000; ++step) {
        int op = static_cast<int>(rng() % 10);
        auto size = static_cast<std::uint32_t>(model.size());
        if (op < 4 || size == 0) {
            ModelLine m{static_cast<BufferOffset>(rng() % 1000000 * 2), static_cast<std::uint8_t>(rng() % 16),
                        1 + static_cast<std::uint32_t>(rng() % 400)};
            t.append(m.start, m.marks, m.count);
            model.push_back(m);
        } else if (op < 7) {
            std::uint32_t line = rng() % size;
            std::uint32_t n = 1 + rng() % 300;   // counts above 255 are fine
            t.set_display_lines(line, n);
            model[line].count = n;
        } else if (op < 9) {
            std::uint32_t at = rng() % (size + 1);
            std::uint32_t n = 1 + rng() % 4;
            t.insert_entries(at, n);
            model.insert(model.begin() + at, n, ModelLine{0, 0, 1});
        } else {
            std::uint32_t at = 1 + rng() % size;
            std::uint32_t n = 1 + rng() % at;
            t.remove_entries(at, n);
            model.erase(model.begin() + (at - n), model.begin() + at);
        }
        if (step % 50 == 0 || step > 2900) expect_same(t, model);
        if (::testing::Test::HasFatalFailure()) return;
    }
}

TEST(LineTable, RemoveTakesTheLinesBeforeAt) {
    LineTable t;
    for (std::uint32_t i = 0; i < 6; ++i) t.append(i * 10, 0, i + 1);
    t.remove_entries(4, 2);   // lines 2 and 3 go
    ASSERT_EQ(t.count(), 4u);
    EXPECT_EQ(t.start(1), 10u);
    EXPECT_EQ(t.start(2), 40u);
    EXPECT_EQ(t.display_lines_before(3), 1u + 2u + 5u);
    t.insert_entries(0, 2);
    EXPECT_EQ(t.start(2), 0u);
    EXPECT_EQ(t.display_lines(0), 1u);
    EXPECT_EQ(t.total_display_lines(), 2u + 1 + 2 + 5 + 6);
    t.remove_entries(t.count(), t.count());
    EXPECT_EQ(t.count(), 0u);
    EXPECT_EQ(t.total_display_lines(), 0u);
    EXPECT_EQ(t.check_invariant(0), "");
}

TEST(LineTable, InvariantNamesWhatIsWrong) {
    LineTable t;
    t.append(0, 0, 1);
    t.append(100, 0, 1);
    EXPECT_EQ(t.check_invariant(102), "");
    EXPECT_NE(t.check_invariant(100), "");   // a line start at or beyond the append position
    t.set_marks(0, 0xFF);
    EXPECT_EQ(t.marks(0), 0x0F);
}

TEST(LineFormatTable, GapsFollowTheLineTable) {
    LineFormatTable f;
    f.set_word(2, 0x00210000);
    f.set_word(4, 7);
    EXPECT_EQ(f.word(0), 0u);
    EXPECT_EQ(f.word(9), 0u);
    f.insert_entries(1, 2);   // lines 2 and 4 become 4 and 6
    EXPECT_EQ(f.word(4), 0x00210000u);
    EXPECT_EQ(f.word(6), 7u);
    EXPECT_EQ(f.word(2), 0u);
    f.remove_entries(5, 3);   // lines 2..4 go: line 6 becomes 3
    EXPECT_EQ(f.word(3), 7u);
    EXPECT_EQ(f.word(2), 0u);
    f.insert_entries(50, 3);  // beyond the stored words: nothing moves
    f.remove_entries(60, 5);
    EXPECT_EQ(f.word(3), 7u);
}

TEST(IndexEntries, FollowInsertedAndRemovedLines) {
    std::vector<IndexEntry> index = {{1, 1, "one"}, {3, 2, "three"}, {4, 1, "four"}, {9, 1, "nine"}};
    auto removed = adjust_index_entries(index, 3, 2, true);
    EXPECT_TRUE(removed.empty());
    EXPECT_EQ(index[0].line, 1u);
    EXPECT_EQ(index[1].line, 5u);
    EXPECT_EQ(index[3].line, 11u);
    removed = adjust_index_entries(index, 7, 3, false);   // lines 4, 5, 6 go
    ASSERT_EQ(removed.size(), 2u);
    EXPECT_EQ(removed[0].title, "three");
    EXPECT_EQ(removed[1].title, "four");
    ASSERT_EQ(index.size(), 2u);
    EXPECT_EQ(index[0].line, 1u);
    EXPECT_EQ(index[1].line, 8u);
}

TEST(LineTable, MovedBlocksTakeTheirMarksCountsAndFormatWordsBothWays) {
    LineTable t;
    LineFormatTable f;
    std::vector<ModelLine> model;
    for (std::uint32_t i = 0; i < 8; ++i) {
        model.push_back({i * 16, static_cast<std::uint8_t>(i % 16), i % 3 + 1});
        t.append(model.back().start, model.back().marks, model.back().count);
    }
    f.set_word(1, 0x100);
    f.set_word(2, 0x200);
    auto rotate = [&model](std::size_t a, std::size_t b, std::size_t c) {
        std::rotate(model.begin() + static_cast<std::ptrdiff_t>(a), model.begin() + static_cast<std::ptrdiff_t>(b),
                    model.begin() + static_cast<std::ptrdiff_t>(c));
    };
    t.move_entries(1, 2, 6);   // lines 1-2 before line 6: 0 3 4 5 1 2 6 7
    f.move_entries(1, 2, 6);
    rotate(1, 3, 6);
    expect_same(t, model);
    EXPECT_EQ(f.word(1), 0u);
    EXPECT_EQ(f.word(4), 0x100u);
    EXPECT_EQ(f.word(5), 0x200u);
    t.move_entries(6, 2, 0);   // the last two lines to the front
    f.move_entries(6, 2, 0);
    rotate(0, 6, 8);
    expect_same(t, model);
    EXPECT_EQ(f.word(6), 0x100u);
    EXPECT_EQ(f.word(7), 0x200u);
    t.move_entries(2, 3, 5);   // before the line right after it: nothing moves
    expect_same(t, model);
}
