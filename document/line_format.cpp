#include "document/line_format.h"

namespace rix {

std::uint32_t encode_line_format(const LineFormat& f) {
    const auto field = [](int v, std::uint32_t mask, std::uint32_t shift) {
        return (static_cast<std::uint32_t>(v) & mask) << shift;
    };
    // -1..-3 are stored as 5..7: 4 - v, then the low three bits.
    const int first = f.first_line < 0 ? 4 - f.first_line : f.first_line;
    return field(f.colour, 0x0F, LINE_COLOUR_SHIFT) | (f.colour_on ? LINE_COLOUR_ON : 0) |
           field(first, 0x07, LINE_FIRST_SHIFT) | field(f.indent, 0x0F, LINE_INDENT_SHIFT) |
           field(f.end_indent, 0x0F, LINE_END_SHIFT) | (f.bold_toggle ? LINE_BOLD : 0) |
           size_field_of_index(f.size_index) << LINE_SIZE_SHIFT;
}

LineFormat decode_line_format(std::uint32_t word) {
    LineFormat f;
    f.colour = line_colour(word);
    f.colour_on = line_colour_on(word);
    f.first_line = first_line_adjustment(word);
    f.indent = static_cast<int>(start_indent(word));
    f.end_indent = static_cast<int>(end_indent(word));
    f.bold_toggle = line_bold_toggle(word);
    f.size_index = line_size_index(word);
    return f;
}

}  // namespace rix
