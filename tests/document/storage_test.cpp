// The line scanner over the stored form.
// Owed: nothing known.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/storage.h"

using namespace rix;

namespace {

std::vector<ScanItem> scan(const std::string& bytes, std::size_t available = std::string::npos) {
    LineScanner s(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                  available == std::string::npos ? bytes.size() : available);
    std::vector<ScanItem> items;
    for (int guard = 0; guard < 10000; ++guard) {
        items.push_back(s.next());
        ItemKind k = items.back().kind;
        if (k == ItemKind::LINE_END || k == ItemKind::TEXT_END || k == ItemKind::CUT) break;
    }
    return items;
}

std::vector<ItemKind> kinds(const std::vector<ScanItem>& items) {
    std::vector<ItemKind> out;
    for (const ScanItem& i : items) out.push_back(i.kind);
    return out;
}

}  // namespace

TEST(LineScanner, CellsOfSingleAndDoubleBytes) {
    // "abc": a pair and a lone byte; 0x80 and 0xA0 are printable single bytes too.
    auto items = scan(std::string("abc\x82\xA0\x80\xA0\xB1\x0D" "d\xFE\0", 12));
    using K = ItemKind;
    EXPECT_EQ(kinds(items), (std::vector<K>{K::PAIR, K::SINGLE, K::DOUBLE, K::PAIR, K::SINGLE, K::PAIR, K::LINE_END}));
    EXPECT_EQ(items[0].code, 'b');        // a pair reports its second byte
    EXPECT_EQ(items[1].code, 'c');
    EXPECT_EQ(items[2].code, 0x82A0);
    EXPECT_EQ(items[3].code, 0xA0);
    EXPECT_EQ(items[4].code, 0xB1);       // 0x0D is not printable: 0xB1 stays alone
    EXPECT_EQ(items[5].code, 'd');        // a CR takes a printable byte after it
    EXPECT_EQ(items[5].column, 8u);
    EXPECT_EQ(items[6].column, 10u);
    EXPECT_EQ(items[6].length, 2u);
}

TEST(LineScanner, BlocksSkipTheirUnexaminedBytes) {
    // Ruby parameter 0xFE and tag serial 0xFD 0xFF must not end the line or the block;
    // a LF inside the tag is content.
    std::string line = std::string("\xFF\xFE\x82\xA0\xFF", 5) + "\x88\x9F" +
                       std::string("\xFD\xFD\xFF\x01\x02x\ny\xFD", 9) + "\xFC" + std::string("\xFE\0", 2);
    auto items = scan(line);
    using K = ItemKind;
    ASSERT_EQ(kinds(items), (std::vector<K>{K::RUBY, K::DOUBLE, K::TAG, K::IGNORED, K::LINE_END}));
    EXPECT_EQ(items[0].length, 5u);
    EXPECT_EQ(items[2].column, 7u);
    EXPECT_EQ(items[2].length, 9u);
    // After the end every call answers the end again.
    LineScanner s(reinterpret_cast<const std::uint8_t*>(line.data()), line.size());
    for (int i = 0; i < 5; ++i) s.next();
    EXPECT_EQ(s.next().kind, ItemKind::LINE_END);
    EXPECT_EQ(s.next().column, 17u);
}

// A ruby read with its base: the base skips a tag block between its cells
// and ends early at the line end; a parameter of 0 still takes one cell.
TEST(RubyRun, TheBaseTakesItsCellsPastTagsAndStopsAtTheLineEnd) {
    const std::string reading = "\x82\xA9\x82\xC8";   // かな
    std::string line = std::string("\xFF\x03", 2) + reading + "\xFF" + "\x89\xBC" + std::string("\xFD\x00\x01\x10\x10t\xFD", 7) +
                       "ab" + "\x96\xBC" + std::string("\xFE\0", 2);
    const auto* p = reinterpret_cast<const std::uint8_t*>(line.data());
    LineScanner s(p, line.size());
    RubyRun run = read_ruby_run(p, s.next(), s);
    EXPECT_EQ(run.reading, reading);
    EXPECT_EQ(run.base, "\x89\xBC" "ab" "\x96\xBC");   // 仮, the pair ab, 名: three cells
    EXPECT_EQ(run.next.kind, ItemKind::LINE_END);

    line = std::string("\xFF\x05x\xFF", 4) + "\x89\xBC" + std::string("\xFE\0", 2);
    p = reinterpret_cast<const std::uint8_t*>(line.data());
    LineScanner short_line(p, line.size());
    run = read_ruby_run(p, short_line.next(), short_line);
    EXPECT_EQ(run.base, "\x89\xBC");
    EXPECT_EQ(run.next.kind, ItemKind::LINE_END);

    line = std::string("\xFF\x00x\xFF", 4) + "\x89\xBC\x96\xBC";
    p = reinterpret_cast<const std::uint8_t*>(line.data());
    LineScanner zero(p, line.size());
    run = read_ruby_run(p, zero.next(), zero);
    EXPECT_EQ(run.base, "\x89\xBC");
    EXPECT_EQ(run.next.kind, ItemKind::DOUBLE);
}

TEST(LineScanner, TextEndAndStrayMarkers) {
    auto items = scan(std::string("a\xFD\xFF\x1A\0", 5), 3);   // an unclosed tag within the bytes given
    EXPECT_EQ(items.back().kind, ItemKind::CUT);
    items = scan(std::string("\x1A\0", 2));
    EXPECT_EQ(kinds(items), std::vector<ItemKind>{ItemKind::TEXT_END});
}

TEST(LineScanner, NeverReadsBeyondWhatIsAvailable) {
    // A lead byte as the last available byte: cut, not a character made of the byte after.
    auto items = scan(std::string("\x82\xA0\x82", 3));
    EXPECT_EQ(kinds(items), (std::vector<ItemKind>{ItemKind::DOUBLE, ItemKind::CUT}));
    // A single byte at the end is not paired with an unavailable byte.
    items = scan("ab", 1);
    EXPECT_EQ(kinds(items), (std::vector<ItemKind>{ItemKind::SINGLE, ItemKind::CUT}));
    // A line end split at the limit covers only what is available.
    items = scan(std::string("\xFE\0", 2), 1);
    EXPECT_EQ(items[0].kind, ItemKind::LINE_END);
    EXPECT_EQ(items[0].length, 1u);
}

TEST(LineScanner, StopsAtTheScanLimit) {
    std::string big(MAX_LINE_SCAN + 100, 'a');
    big[MAX_LINE_SCAN + 10] = static_cast<char>(0xFE);
    LineScanner s(reinterpret_cast<const std::uint8_t*>(big.data()), big.size());
    ScanItem it;
    std::size_t n = 0;
    do {
        it = s.next();
        ++n;
    } while (it.kind == ItemKind::PAIR);
    EXPECT_EQ(it.kind, ItemKind::CUT);
    EXPECT_EQ(it.column, MAX_LINE_SCAN);
    EXPECT_EQ(n, MAX_LINE_SCAN / 2 + 1);
}
