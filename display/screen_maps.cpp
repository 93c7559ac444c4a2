// ScreenCellMap and ScreenLineMarks: bounded record storage.
#include "display/screen_maps.h"

#include <algorithm>
#include <cstring>

namespace rix {

void ScreenCellMap::resize(int lines, int cells) {
    lines_ = std::max(lines, 0);
    cells_ = std::clamp(cells, 1, 254);
    stride_ = 1 + 2 * cells_;
    bytes_.assign(static_cast<std::size_t>(lines_) * stride_, 0);
    indents_.assign(static_cast<std::size_t>(lines_), 0);
    words_.assign(static_cast<std::size_t>(lines_), 0);
}

void ScreenCellMap::set_indent(int line, int cells) {
    if (line >= 0 && line < lines_) indents_[static_cast<std::size_t>(line)] = static_cast<std::uint8_t>(std::clamp(cells, 0, cells_));
}

int ScreenCellMap::used(int line) const { return line >= 0 && line < lines_ ? record(line)[0] : 0; }

std::uint16_t ScreenCellMap::code(int line, int cell) const {
    if (line < 0 || line >= lines_ || cell < 0 || cell >= cells_) return 0;
    const std::uint8_t* r = record(line) + 1 + 2 * cell;
    return static_cast<std::uint16_t>(r[0] << 8 | r[1]);
}

bool ScreenCellMap::put(int line, int cell, std::uint16_t code) {
    if (line < 0 || line >= lines_ || cell < 0 || cell >= cells_) return false;
    std::uint8_t* r = record(line);
    r[0] = static_cast<std::uint8_t>(cell + 1);
    r[1 + 2 * cell] = static_cast<std::uint8_t>(code >> 8);
    r[2 + 2 * cell] = static_cast<std::uint8_t>(code & 0xFF);
    return true;
}

void ScreenCellMap::clear_line(int line) {
    if (line < 0 || line >= lines_) return;
    std::memset(record(line), 0, stride_);
    indents_[static_cast<std::size_t>(line)] = 0;
}

void ScreenCellMap::shift(int from, int n, bool forward) {
    if (from < 0 || n <= 0 || from >= lines_) return;
    n = std::min(n, lines_ - from);
    const std::size_t rec = stride_;
    std::uint8_t* base = record(from);
    const std::size_t moved = static_cast<std::size_t>(lines_ - from - n) * rec;
    auto first = indents_.begin() + from;
    auto first_word = words_.begin() + from;
    if (forward) {
        std::move_backward(first_word, words_.end() - n, words_.end());
        std::fill(first_word, first_word + n, 0u);
        std::memmove(base + n * rec, base, moved);
        std::memset(base, 0, n * rec);
        std::move_backward(first, indents_.end() - n, indents_.end());
        std::fill(first, first + n, 0);
    } else {
        std::move(first_word + n, words_.end(), first_word);
        std::fill(words_.end() - n, words_.end(), 0u);
        std::memmove(base, base + n * rec, moved);
        std::memset(base + moved, 0, n * rec);
        std::move(first + n, indents_.end(), first);
        std::fill(indents_.end() - n, indents_.end(), 0);
    }
}

void ScreenLineMarks::shift(int from, int n, bool forward) {
    const int count = lines();
    if (from < 0 || n <= 0 || from >= count) return;
    n = std::min(n, count - from);
    auto first = bits_.begin() + from;
    if (forward) {
        std::move_backward(first, bits_.end() - n, bits_.end());
        std::fill(first, first + n, 0);
    } else {
        std::move(first + n, bits_.end(), first);
        std::fill(bits_.end() - n, bits_.end(), 0);
    }
}

}  // namespace rix
