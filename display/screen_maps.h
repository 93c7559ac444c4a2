// The per-screen-line records of what the last layout put on the screen:
// ScreenCellMap (the cells of each screen line, read back by the caret and
// the mouse) and ScreenLineMarks (the line-mark bits shown on each line).
//
// Both live only in memory and are sized from the geometry (resize): a
// record holds every cell a display line can reach, indentation included,
// so no layout ever writes outside it.
//
// ScreenCellMap record of one screen line (stride = 1 + 2 × cells()):
//   OFFSET   SIZE  MEANING
//   0        1     cells in use: index of the last written cell + 1
//   1 + 2i   2     cell i: a double-byte code (lead byte first); two
//                  half-width bytes; 0x81 0x40 for an indentation cell;
//                  0x01 0x00 line-end mark; 0x02 0x00 end-of-text mark
//
// Beside the records each line keeps its indentation cells (how many of its
// first cells are indentation, not text), so that the mouse can tell an
// indentation cell from a full-width space typed at the start of a line.
#pragma once

#include <cstdint>
#include <vector>

namespace rix {

// Indentation cells a display line may carry: start indentation (4 bits)
// plus the largest first-line adjustment.
constexpr int MAX_INDENT_CELLS = 15 + 4;

// Cell codes of the map besides characters.
constexpr std::uint16_t CELL_INDENT = 0x8140;      // full-width space
constexpr std::uint16_t CELL_LINE_END = 0x0100;    // byte 1, then 0
constexpr std::uint16_t CELL_TEXT_END = 0x0200;    // byte 2, then 0

constexpr bool is_mark_cell(std::uint16_t code) { return code == CELL_LINE_END || code == CELL_TEXT_END; }

class ScreenCellMap {
public:
    // Makes `lines` empty records of room for `cells` cells (1..254).
    void resize(int lines, int cells);
    int lines() const { return lines_; }
    int cells() const { return cells_; }

    // 0 for a line outside the map.
    int used(int line) const;
    // The code of a cell (first byte << 8 | second); 0 outside the map.
    std::uint16_t code(int line, int cell) const;
    // Stores a cell and makes `cell` + 1 the count; false (nothing stored)
    // outside the record.
    bool put(int line, int cell, std::uint16_t code);
    void clear_line(int line);
    // Indentation cells at the start of a line (0 outside the map).
    int indent(int line) const { return line >= 0 && line < lines_ ? indents_[static_cast<std::size_t>(line)] : 0; }
    void set_indent(int line, int cells);
    // The line-format word of the logical line a screen line shows (0
    // outside the map); set when the line is laid out, kept by clear_line.
    std::uint32_t word(int line) const { return line >= 0 && line < lines_ ? words_[static_cast<std::size_t>(line)] : 0; }
    void set_word(int line, std::uint32_t word) {
        if (line >= 0 && line < lines_) words_[static_cast<std::size_t>(line)] = word;
    }
    // Records [from, lines) move n records towards the end (forward) or
    // records [from + n, lines) move back to from (backward); the records
    // left behind are cleared.
    void shift(int from, int n, bool forward);

private:
    std::uint8_t* record(int line) { return bytes_.data() + static_cast<std::size_t>(line) * stride_; }
    const std::uint8_t* record(int line) const { return bytes_.data() + static_cast<std::size_t>(line) * stride_; }

    int lines_ = 0;
    int cells_ = 0;
    int stride_ = 1;
    std::vector<std::uint8_t> bytes_;
    std::vector<std::uint8_t> indents_;   // per line, 0..cells_
    std::vector<std::uint32_t> words_;    // per line, the line-format word
};

// The line-mark bits (marks 1-4 in bits 0-3) of the logical line whose first
// display line is on a screen line; 0 elsewhere.
class ScreenLineMarks {
public:
    void resize(int lines) { bits_.assign(static_cast<std::size_t>(lines > 0 ? lines : 0), 0); }
    int lines() const { return static_cast<int>(bits_.size()); }
    std::uint8_t get(int line) const { return inside(line) ? bits_[static_cast<std::size_t>(line)] : 0; }
    void set(int line, std::uint8_t marks) {
        if (inside(line)) bits_[static_cast<std::size_t>(line)] = marks & 0x0F;
    }
    void shift(int from, int n, bool forward);

private:
    bool inside(int line) const { return line >= 0 && line < lines(); }
    std::vector<std::uint8_t> bits_;
};

}  // namespace rix
