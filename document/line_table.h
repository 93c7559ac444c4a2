// The LineTable and the LineFormatTable: one entry per logical line.
//
// In memory an entry is wider than the stored 32 bits: a line may start
// anywhere in the buffer and wrap into any number of display lines. The
// display-line counts are kept in a Fenwick tree as well, so the display
// line of a position (the sum of the counts of all earlier lines) costs
// O(log lines), never a pass over the document on a key press.
// Entries are reached through accessors only; check_invariant() states what
// must always hold.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "document/line_format.h"   // the fields of the words (start_indent, ...)
#include "document/text_buffer.h"

namespace rix {

// Mark flags of a line (marks 1-4 in bits 0-3).
enum : std::uint8_t { LINE_MARK_1 = 1, LINE_MARK_2 = 2, LINE_MARK_3 = 4, LINE_MARK_4 = 8 };

class LineTable {
public:
    std::uint32_t count() const { return static_cast<std::uint32_t>(starts_.size()); }
    BufferOffset start(std::uint32_t line) const { return starts_[line]; }
    void set_start(std::uint32_t line, BufferOffset start) { starts_[line] = start; }
    std::uint8_t marks(std::uint32_t line) const { return marks_[line]; }
    void set_marks(std::uint32_t line, std::uint8_t marks) { marks_[line] = marks & 0x0F; }
    std::uint32_t display_lines(std::uint32_t line) const { return counts_[line]; }
    void set_display_lines(std::uint32_t line, std::uint32_t n);   // n >= 1

    // Adds a line at the end (the loader).
    void append(BufferOffset start, std::uint8_t marks, std::uint32_t display_lines);
    // Opens n entries before line `at` (start 0, no marks, one display line
    // each; the caller writes them), or removes lines at-n .. at-1.
    void insert_entries(std::uint32_t at, std::uint32_t n);
    void remove_entries(std::uint32_t at, std::uint32_t n);
    // Moves the n entries of lines first .. first+n-1 so that they stand
    // before line `before` of the old numbering (before <= first or
    // before >= first + n; before <= count()). Starts, marks and counts move
    // together: the text bytes stay where they are.
    void move_entries(std::uint32_t first, std::uint32_t n, std::uint32_t before);
    void clear();

    // Sum of the display-line counts of lines [0, line).
    std::uint64_t display_lines_before(std::uint32_t line) const;
    std::uint64_t total_display_lines() const { return display_lines_before(count()); }

    // Counts >= 1, the tables the same length, the sums consistent, starts
    // below the buffer's append position. Returns "" when fine, else what is wrong.
    std::string check_invariant(BufferOffset append_position) const;

private:
    void rebuild_sums();

    std::vector<BufferOffset> starts_;
    std::vector<std::uint8_t> marks_;
    std::vector<std::uint32_t> counts_;
    std::vector<std::uint64_t> tree_;   // Fenwick tree over counts_, 1-based
};

// One 32-bit line-format word per logical line, parallel to the LineTable.
class LineFormatTable {
public:
    std::uint32_t word(std::uint32_t line) const { return line < words_.size() ? words_[line] : 0; }
    void set_word(std::uint32_t line, std::uint32_t word);   // grows with zero words as needed
    void insert_entries(std::uint32_t at, std::uint32_t n);
    void remove_entries(std::uint32_t at, std::uint32_t n);
    // As LineTable::move_entries; lines beyond the stored words count as 0.
    void move_entries(std::uint32_t first, std::uint32_t n, std::uint32_t before);
    void clear() { words_.clear(); }
    std::uint32_t size() const { return static_cast<std::uint32_t>(words_.size()); }

private:
    std::vector<std::uint32_t> words_;
};

}  // namespace rix
