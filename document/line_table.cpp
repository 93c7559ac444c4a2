// The LineTable (starts, marks, display-line counts with their Fenwick tree)
// and the LineFormatTable.
//
// Cost: append, set_display_lines and display_lines_before are O(log lines);
// insert_entries and remove_entries move the entries after the gap and
// rebuild the tree, O(lines), as moving the entries already costs.
#include "document/line_table.h"

#include <algorithm>
#include <cassert>

namespace rix {

namespace {

constexpr std::size_t low_bit(std::size_t i) { return i & (~i + 1); }

// Rotates v[first, first+n) to stand before v[before] (old numbering).
template <typename T>
void move_block(std::vector<T>& v, std::uint32_t first, std::uint32_t n, std::uint32_t before) {
    auto at = [&v](std::uint32_t i) { return v.begin() + static_cast<std::ptrdiff_t>(i); };
    if (before < first) std::rotate(at(before), at(first), at(first + n));
    else if (before > first + n) std::rotate(at(first), at(first + n), at(before));
}

}  // namespace

void LineTable::set_display_lines(std::uint32_t line, std::uint32_t n) {
    assert(line < count() && n >= 1);
    std::int64_t delta = static_cast<std::int64_t>(n) - static_cast<std::int64_t>(counts_[line]);
    counts_[line] = n;
    for (std::size_t i = std::size_t{line} + 1; i < tree_.size(); i += low_bit(i))
        tree_[i] = static_cast<std::uint64_t>(static_cast<std::int64_t>(tree_[i]) + delta);
}

void LineTable::append(BufferOffset start, std::uint8_t marks, std::uint32_t display_lines) {
    assert(display_lines >= 1);
    if (tree_.empty()) tree_.push_back(0);
    starts_.push_back(start);
    marks_.push_back(marks & 0x0F);
    counts_.push_back(display_lines);
    // Node i covers lines (i - lowbit(i), i]: the new count plus the sums of the earlier lines it covers.
    std::size_t i = starts_.size();
    std::uint64_t node = display_lines + display_lines_before(static_cast<std::uint32_t>(i - 1)) -
                         display_lines_before(static_cast<std::uint32_t>(i - low_bit(i)));
    tree_.push_back(node);
}

void LineTable::insert_entries(std::uint32_t at, std::uint32_t n) {
    assert(at <= count());
    starts_.insert(starts_.begin() + at, n, BufferOffset{0});
    marks_.insert(marks_.begin() + at, n, std::uint8_t{0});
    counts_.insert(counts_.begin() + at, n, std::uint32_t{1});
    rebuild_sums();
}

void LineTable::remove_entries(std::uint32_t at, std::uint32_t n) {
    assert(n <= at && at <= count());
    starts_.erase(starts_.begin() + (at - n), starts_.begin() + at);
    marks_.erase(marks_.begin() + (at - n), marks_.begin() + at);
    counts_.erase(counts_.begin() + (at - n), counts_.begin() + at);
    rebuild_sums();
}

void LineTable::move_entries(std::uint32_t first, std::uint32_t n, std::uint32_t before) {
    assert(first + n <= count() && before <= count() && (before <= first || before >= first + n));
    move_block(starts_, first, n, before);
    move_block(marks_, first, n, before);
    move_block(counts_, first, n, before);
    rebuild_sums();
}

void LineTable::clear() {
    starts_.clear();
    marks_.clear();
    counts_.clear();
    tree_.clear();
}

std::uint64_t LineTable::display_lines_before(std::uint32_t line) const {
    assert(line <= count());
    std::uint64_t sum = 0;
    for (std::size_t i = line; i > 0; i -= low_bit(i)) sum += tree_[i];
    return sum;
}

void LineTable::rebuild_sums() {
    tree_.assign(counts_.size() + 1, 0);
    for (std::size_t i = 1; i < tree_.size(); ++i) {
        tree_[i] += counts_[i - 1];
        std::size_t parent = i + low_bit(i);
        if (parent < tree_.size()) tree_[parent] += tree_[i];
    }
}

std::string LineTable::check_invariant(BufferOffset append_position) const {
    if (marks_.size() != starts_.size() || counts_.size() != starts_.size())
        return "line table columns differ in length";
    if (!starts_.empty() && tree_.size() != starts_.size() + 1) return "display-line sums out of step";
    std::uint64_t sum = 0;
    for (std::uint32_t line = 0; line < count(); ++line) {
        if (counts_[line] < 1) return "line " + std::to_string(line) + " has no display line";
        if (starts_[line] >= append_position)
            return "line " + std::to_string(line) + " starts beyond the append position";
        if (marks_[line] > 0x0F) return "line " + std::to_string(line) + " has unknown mark bits";
        if (display_lines_before(line) != sum) return "display-line sum wrong before line " + std::to_string(line);
        sum += counts_[line];
    }
    if (total_display_lines() != sum) return "display-line total wrong";
    return {};
}

void LineFormatTable::set_word(std::uint32_t line, std::uint32_t word) {
    if (line >= words_.size()) words_.resize(std::size_t{line} + 1, 0);
    words_[line] = word;
}

void LineFormatTable::insert_entries(std::uint32_t at, std::uint32_t n) {
    // Lines beyond the stored words have the word 0 already.
    if (at >= words_.size()) return;
    words_.insert(words_.begin() + at, n, std::uint32_t{0});
}

void LineFormatTable::remove_entries(std::uint32_t at, std::uint32_t n) {
    assert(n <= at);
    std::size_t first = at - n;
    if (first >= words_.size()) return;
    std::size_t last = std::min<std::size_t>(at, words_.size());
    words_.erase(words_.begin() + static_cast<std::ptrdiff_t>(first), words_.begin() + static_cast<std::ptrdiff_t>(last));
}

void LineFormatTable::move_entries(std::uint32_t first, std::uint32_t n, std::uint32_t before) {
    const std::uint32_t end = std::max(first + n, before);
    if (end > words_.size()) words_.resize(end, 0);
    move_block(words_, first, n, before);
}

}  // namespace rix
