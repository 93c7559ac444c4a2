// Ruby delimiters and line-information lines (see notation.h for the forms).
#include "document/notation.h"

#include "platform/codec.h"

namespace rix {
namespace {

bool is_hex(char ch) {
    return (ch >= '0' && ch <= '9') || (ch >= 'A' && ch <= 'F') || (ch >= 'a' && ch <= 'f');
}

std::uint32_t hex_value(std::string_view digits) {
    std::uint32_t v = 0;
    for (char ch : digits) {
        std::uint32_t d = ch <= '9' ? ch - '0' : (ch | 0x20) - 'a' + 10;
        v = v << 4 | d;
    }
    return v;
}

bool all_hex(std::string_view s) {
    for (char ch : s)
        if (!is_hex(ch)) return false;
    return true;
}

bool is_digit(char ch) { return ch >= '0' && ch <= '9'; }

std::uint16_t code_at(std::string_view s, std::size_t i) {
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(s[i]) << 8 | static_cast<std::uint8_t>(s[i + 1]));
}

// "D title": a level digit, one blank and the rest of the line as the title.
bool read_index_part(std::string_view s, InfoLine* out) {
    if (s.size() < 2 || !is_digit(s[0]) || s[1] != ' ') return false;
    out->has_index = true;
    out->level = static_cast<std::uint8_t>(s[0] - '0');
    std::string_view title = s.substr(2);
    out->title = std::string(title.substr(0, cut_on_boundary(title, INDEX_TITLE_BYTES)));
    return true;
}

}  // namespace

RubyDelimiters ruby_delimiters(std::uint8_t notation, std::string_view custom) {
    switch (notation) {
    case 1:
        return {0x8169, 0x816A};   // （）
    case 2:
        return {0x8171, 0x8172};   // 〈〉
    case 4:
        if (custom.size() >= 4) {
            auto b0 = static_cast<std::uint8_t>(custom[0]), b1 = static_cast<std::uint8_t>(custom[1]);
            auto b2 = static_cast<std::uint8_t>(custom[2]), b3 = static_cast<std::uint8_t>(custom[3]);
            if (is_stored_lead(b0) && is_trail_byte(b1) && is_stored_lead(b2) && is_trail_byte(b3))
                return {code_at(custom, 0), code_at(custom, 2)};
        }
        break;
    default:
        break;
    }
    return {0x8173, 0x8174};   // 《》
}

bool parse_info_line(std::string_view line, std::string_view symbol, InfoLine* out) {
    *out = InfoLine{};
    if (symbol.size() != 2 || line.size() <= 4 || line.size() > INFO_LINE_MAX_BYTES) return false;
    if (line.substr(0, 2) != symbol) return false;
    std::string_view s = line.substr(2);
    if (s[1] == ' ') return read_index_part(s, out);
    if (s.size() < 12 || !all_hex(s.substr(0, 12))) return false;
    if (s.size() > 12 && !read_index_part(s.substr(12), out)) return false;
    std::uint32_t w1 = hex_value(s.substr(0, 4));
    out->has_info = true;
    out->marks = static_cast<std::uint8_t>((w1 >> 8) & 0x0F);
    out->format_word = hex_value(s.substr(4, 4)) << 16 | hex_value(s.substr(8, 4));
    return true;
}

}  // namespace rix
