// Markup escaping and grouped numbers (see text_tools.h).
#include "platform/text_tools.h"

#include "platform/codec.h"

namespace rix {

void append_markup(std::string* out, std::string_view text, Markup how) {
    const bool xml = how == Markup::XML;
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 && b != '\t' && !(xml && (b == '\n' || b == '\r'))) continue;
        switch (c) {
            case '&': *out += "&amp;"; break;
            case '<': *out += "&lt;"; break;
            case '>':
                if (how == Markup::HTML_ATTRIBUTE)
                    *out += c;
                else
                    *out += "&gt;";
                break;
            case '"':
                if (how == Markup::HTML_TEXT)
                    *out += c;
                else
                    *out += "&quot;";
                break;
            default: *out += c;
        }
    }
}

std::string escape_markup(std::string_view text, Markup how) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    append_markup(&out, text, how);
    return out;
}

std::string group_thousands(std::uint64_t n) {
    const std::string digits = std::to_string(n);
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

std::string clean_text(std::string_view in, LoneCr lone_cr) {
    std::string out;
    out.reserve(in.size() + in.size() / 32);
    const std::size_t n = in.size();
    for (std::size_t i = 0; i < n; ++i) {
        const auto b = static_cast<std::uint8_t>(in[i]);
        if (b == '\r' && i + 1 < n && in[i + 1] == '\n') {
            out += "\r\n";
            ++i;
        } else if (b == '\n' || (b == '\r' && lone_cr == LoneCr::LINE_END)) {
            out += "\r\n";
        } else if (is_never_text_byte(b)) {
            continue;
        } else if (is_lead_byte(b)) {
            if (i + 1 < n && is_trail_byte(static_cast<std::uint8_t>(in[i + 1]))) {
                out.append(in.substr(i, 2));
                ++i;
            } else {
                out += GETA_MARK;
            }
        } else {
            out += static_cast<char>(b);
        }
    }
    return out;
}

}  // namespace rix
