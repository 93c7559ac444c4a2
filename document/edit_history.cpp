// The edit history (see edit_history.h).
#include "document/edit_history.h"

#include <algorithm>
#include <cstdio>
#include <unordered_set>

#include "platform/codec.h"
#include "platform/files.h"

namespace rix {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// True when `s` at `pos` holds "dd-dd-dd dd:dd".
bool stamp_at(std::string_view s, std::size_t pos) {
    static constexpr std::string_view SHAPE = "00-00-00 00:00";
    if (pos + SHAPE.size() > s.size()) return false;
    for (std::size_t i = 0; i < SHAPE.size(); ++i) {
        const char c = s[pos + i];
        if (SHAPE[i] == '0' ? !is_digit(c) : c != SHAPE[i]) return false;
    }
    return true;
}

// Where the size field's blanks begin after the path: the first blank
// followed by more blanks, digits, a blank, the stamp and a blank. npos when
// the line has no such field. The path may itself hold blanks.
std::size_t path_end(std::string_view line) {
    for (std::size_t p = 1; p < line.size(); ++p) {
        if (line[p] != ' ' || line[p - 1] == ' ') continue;
        std::size_t q = p;
        while (q < line.size() && line[q] == ' ') ++q;
        const std::size_t digits = q;
        while (q < line.size() && is_digit(line[q])) ++q;
        if (q == digits || q >= line.size() || line[q] != ' ') continue;
        if (!stamp_at(line, q + 1) || q + 15 >= line.size() || line[q + 15] != ' ') continue;
        return p;
    }
    return std::string_view::npos;
}

// The largest suffix of `s` of at most `max` bytes that starts on a character.
std::string_view tail_on_boundary(std::string_view s, std::size_t max) {
    std::size_t pos = 0;
    while (s.size() - pos > max && pos < s.size()) pos += std::max<std::size_t>(1, char_length_at(s, pos));
    return s.substr(pos);
}

std::string padded(std::string_view s, std::size_t width) {
    std::string out(s);
    if (out.size() < width) out.append(width - out.size(), ' ');
    return out;
}

}  // namespace

std::string history_line(std::string_view path, std::uint64_t size, const HistoryStamp& when,
                         std::string_view title) {
    char fields[96];
    std::snprintf(fields, sizeof fields, "%s%7llu %02u-%02u-%02u %02u:%02u ", size > 999999 ? "  " : " ",
                  static_cast<unsigned long long>(size), static_cast<unsigned>(when.year % 100),
                  static_cast<unsigned>(when.month % 100), static_cast<unsigned>(when.day % 100),
                  static_cast<unsigned>(when.hour % 100), static_cast<unsigned>(when.minute % 100));
    std::string line(path);
    line += fields;
    line += padded(title.substr(0, cut_on_boundary(title, HISTORY_TITLE_BYTES)), HISTORY_TITLE_BYTES);
    line += ' ';
    if (line.size() < HISTORY_MIN_LINE) line.append(HISTORY_MIN_LINE - line.size(), ' ');
    return line;
}

std::vector<std::string> split_history_lines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        const std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
        if (end == std::string_view::npos) end = text.size();
        std::size_t stop = end;
        if (stop > start && text[stop - 1] == '\r') --stop;
        lines.emplace_back(text.substr(start, stop - start));
        start = next;
    }
    return lines;
}

std::string history_line_path(std::string_view line) {
    if (line.size() < HISTORY_MIN_LINE) return {};
    const std::size_t end = path_end(line);
    return end == std::string_view::npos ? std::string() : std::string(line.substr(0, end));
}

std::vector<std::string> recent_documents(std::string_view text, std::size_t count) {
    std::vector<std::string> lines = split_history_lines(text);
    // The newest lines count: a long history never hides its recent saves.
    const std::size_t first = lines.size() > HISTORY_MAX_LINES ? lines.size() - HISTORY_MAX_LINES : 0;
    std::vector<std::string> out;
    std::unordered_set<std::string> seen;
    for (std::size_t i = lines.size(); i > first && out.size() < count; --i) {
        std::string path = history_line_path(lines[i - 1]);
        if (path.empty() || !seen.insert(path).second) continue;
        out.push_back(std::move(path));
    }
    return out;
}

std::string history_without(std::string_view text, std::string_view path) {
    std::string out;
    out.reserve(text.size());
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t lf = text.find('\n', start);
        const std::size_t next = lf == std::string_view::npos ? text.size() : lf + 1;
        const std::string_view whole = text.substr(start, next - start);
        std::string_view line = whole;
        if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (path.empty() || history_line_path(line) != path) out += whole;
        start = next;
    }
    return out;
}

std::string history_display_line(std::string_view line) {
    const std::string path = history_line_path(line);
    if (path.empty()) return std::string(line);
    const std::size_t slash = path.rfind('/');
    const std::string_view folder = slash == std::string::npos ? std::string_view() : std::string_view(path).substr(0, slash + 1);
    std::string_view name = slash == std::string::npos ? std::string_view(path) : std::string_view(path).substr(slash + 1);
    std::string_view extension;
    if (const std::size_t dot = name.rfind('.'); dot != std::string_view::npos && dot > 0) {
        extension = name.substr(dot);
        name = name.substr(0, dot);
    }
    std::string out = padded("", 2);   // no drive letters on this system
    out += padded(tail_on_boundary(folder, 17), 17);
    out += padded(name, 24);
    out += padded(extension, 4);
    out += line.substr(path.size());
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

bool append_history(const std::string& log_path, std::string_view line) {
    std::FILE* f = std::fopen(log_path.c_str(), "ab+");
    if (!f) return false;
    // A last line without its end (a file cut short or edited by hand) is
    // ended first: the new line must not run on into it, where its path
    // would never be found.
    std::string bytes;
    if (std::fseek(f, -1, SEEK_END) == 0) {
        const int last = std::fgetc(f);
        if (last != EOF && last != '\n') bytes = "\r\n";
    }
    bytes += line;
    bytes += "\r\n";
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && written;
}

bool remove_from_history(const std::string& log_path, std::string_view path) {
    std::string text;
    if (!read_whole_file(log_path, &text)) return false;
    const std::string kept = history_without(text, path);
    if (kept.size() == text.size()) return true;
    return atomic_replace(log_path, kept);
}

}  // namespace rix
