#include "publish/html_list.h"

#include <charconv>

#include "platform/codec.h"

namespace rix {

std::string html_list_line(std::string_view file, std::string_view title) {
    std::string line;
    line.reserve(file.size() + title.size() + 3);
    line.append(file);
    line += ',';
    line.append(title);
    line += "\r\n";
    return line;
}

bool bare_file_name(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (std::size_t i = 0; i < name.size();) {
        const auto b = static_cast<std::uint8_t>(name[i]);
        if (b < 0x20 || b == 0x7F) return false;
        if (b == '/' || b == '\\' || b == ':') return false;
        i += char_length_at(name, i);
    }
    return true;
}

HtmlListRead read_html_list(std::string_view bytes) {
    HtmlListRead read;
    std::size_t at = 0;
    int number = 0;
    while (at < bytes.size()) {
        std::size_t end = bytes.find('\n', at);
        const bool last = end == std::string_view::npos;
        std::string_view line = bytes.substr(at, last ? std::string_view::npos : end - at);
        at = last ? bytes.size() : end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() && at >= bytes.size()) break;
        // The comma must stand as a character of its own, not as a trail byte.
        std::size_t comma = std::string_view::npos;
        for (std::size_t i = 0; i < line.size(); i += char_length_at(line, i)) {
            if (line[i] == ',') {
                comma = i;
                break;
            }
        }
        if (comma == std::string_view::npos || !bare_file_name(line.substr(0, comma))) {
            read.bad = true;
            read.bad_line = number;
            break;
        }
        std::string_view title = line.substr(comma + 1);
        title = title.substr(0, cut_on_boundary(title, HTML_LIST_TITLE_BYTES));
        read.lines.push_back({std::string(line.substr(0, comma)), std::string(title)});
    }
    return read;
}

std::string next_html_list_name(const std::vector<std::string>& names, std::string_view document_name) {
    constexpr std::string_view PREFIX = "list_", SUFFIX = ".txt";
    unsigned long highest = 0;
    for (const std::string& name : names) {
        if (name.size() < PREFIX.size() + SUFFIX.size() || name.compare(0, PREFIX.size(), PREFIX) != 0 ||
            name.compare(name.size() - SUFFIX.size(), SUFFIX.size(), SUFFIX) != 0)
            continue;
        unsigned long n = 0;
        const char* first = name.data() + PREFIX.size();
        const auto r = std::from_chars(first, name.data() + name.size() - SUFFIX.size(), n);
        if (r.ptr != first && n > highest && n < 1000000) highest = n;
    }
    auto name_of = [](unsigned long n) {
        char digits[24];
        const auto r = std::to_chars(digits, digits + sizeof digits, n);
        std::string s(digits, r.ptr);
        if (s.size() < 3) s.insert(0, 3 - s.size(), '0');
        return "list_" + s + ".txt";
    };
    std::string next = name_of(highest + 1);
    if (next == document_name) next = name_of(highest + 2);
    return next;
}

}  // namespace rix
