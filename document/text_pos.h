// TextPos: a position in the document, logical line in the high 16 bits and
// byte column (stored bytes of that line) in the low 16 bits. Comparing the
// raw values orders positions in document order. Hence the limits: 65,536
// logical lines and 65,535 bytes a line; loads and edits beyond them are
// refused with a message.
#pragma once

#include <compare>
#include <cstdint>

namespace rix {

constexpr std::uint32_t MAX_LINES = 65536;
constexpr std::uint32_t MAX_LINE_BYTES = 65535;

struct TextPos {
    std::uint32_t value = 0;

    constexpr TextPos() = default;
    constexpr explicit TextPos(std::uint32_t raw) : value(raw) {}
    constexpr TextPos(std::uint32_t line, std::uint32_t column) : value(line << 16 | (column & 0xFFFF)) {}
    constexpr std::uint32_t line() const { return value >> 16; }
    constexpr std::uint32_t column() const { return value & 0xFFFF; }
    constexpr auto operator<=>(const TextPos&) const = default;
};

// A display line numbered from the document's first (0). It is neither a
// logical line (TextPos::line) nor a row of the screen (an int counted from
// the screen's top): the distance between two numbers is a signed count of
// display lines, and a row is the distance from the top's number.
struct DisplayLineNo {
    std::uint64_t value = 0;

    constexpr DisplayLineNo() = default;
    constexpr explicit DisplayLineNo(std::uint64_t n) : value(n) {}
    constexpr auto operator<=>(const DisplayLineNo&) const = default;
    // n display lines further on.
    constexpr DisplayLineNo after(std::uint64_t n) const { return DisplayLineNo{value + n}; }
    // n display lines back, stopping at the first.
    constexpr DisplayLineNo before(std::uint64_t n) const { return DisplayLineNo{value > n ? value - n : 0}; }
};

// Display lines from `from` to `to`: negative when `to` comes first.
constexpr std::int64_t display_distance(DisplayLineNo from, DisplayLineNo to) {
    return static_cast<std::int64_t>(to.value) - static_cast<std::int64_t>(from.value);
}

// The end position of a document not yet loaded to its end.
constexpr TextPos END_NOT_LOADED{0xFFFFFFFFu};

}  // namespace rix
