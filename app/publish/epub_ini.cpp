// "Rix.ini": the profile file of the EPUB texts (see epub_ini.h).
#include "app/publish/epub_ini.h"

#include <map>

#include "platform/codec.h"
#include "platform/files.h"

namespace rix {
namespace {

constexpr char EPUB_SECTION[] = "EPUB";
constexpr char CRLF[] = "\r\n";

// One line of the file: its text and the line end after it (0, 1 or 2 bytes).
struct Line {
    std::size_t start = 0;
    std::size_t length = 0;
    std::size_t end_length = 0;
};

std::vector<Line> split_lines(std::string_view file) {
    std::vector<Line> lines;
    std::size_t pos = 0;
    while (pos < file.size()) {
        Line line;
        line.start = pos;
        while (pos < file.size() && file[pos] != '\r' && file[pos] != '\n') ++pos;
        line.length = pos - line.start;
        if (pos < file.size()) {
            line.end_length = file[pos] == '\r' && pos + 1 < file.size() && file[pos + 1] == '\n' ? 2 : 1;
            pos += line.end_length;
        }
        lines.push_back(line);
    }
    return lines;
}

bool blank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

char ascii_lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool same_name(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (ascii_lower(a[i]) != ascii_lower(b[i])) return false;
    return true;
}

std::string_view text_of(std::string_view file, const Line& line) { return file.substr(line.start, line.length); }

// A section header's name, or false for any other line.
bool section_name(std::string_view text, std::string_view* name) {
    text = trimmed(text);
    if (text.empty() || text.front() != '[') return false;
    text.remove_prefix(1);
    const std::size_t close = text.find(']');
    *name = trimmed(close == std::string_view::npos ? text : text.substr(0, close));
    return true;
}

// A "key=value" line's key and raw value; false for any other line. ('=' is
// never the trail byte of a double-byte character.)
bool key_line(std::string_view text, std::string_view* key, std::string_view* value) {
    const std::size_t eq = text.find('=');
    if (eq == std::string_view::npos) return false;
    *key = trimmed(text.substr(0, eq));
    *value = trimmed(text.substr(eq + 1));
    return !key->empty();
}

// The lines of the first section named `section`: [first, last) after its
// header. False when there is none; *header is then untouched.
bool find_section(std::string_view file, const std::vector<Line>& lines, std::string_view section,
                  std::size_t* header, std::size_t* last) {
    std::string_view name;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!section_name(text_of(file, lines[i]), &name) || !same_name(name, section)) continue;
        std::size_t j = i + 1;
        while (j < lines.size() && !section_name(text_of(file, lines[j]), &name)) ++j;
        *header = i;
        *last = j;
        return true;
    }
    return false;
}

// A value without line breaks or NULs (none of them is ever the trail byte
// of a double-byte character).
std::string without_breaks(std::string_view value) {
    std::string out;
    for (char c : value)
        if (c != '\r' && c != '\n' && c != '\0') out += c;
    return out;
}

// The text a value is stored as: quoted when its ends would otherwise be
// trimmed or unquoted on reading.
std::string stored_value(std::string_view value) {
    std::string out = without_breaks(value);
    if (!out.empty() && (blank(out.front()) || blank(out.back()) || out.front() == '"' || out.back() == '"'))
        out = '"' + out + '"';
    return out;
}

std::string cut_value(std::string_view s) {
    const std::string clean = without_breaks(s);
    return clean.substr(0, cut_on_boundary(clean, EPUB_INI_VALUE_LIMIT));
}

}  // namespace

bool profile_value(std::string_view file, std::string_view section, std::string_view key, std::string* value) {
    value->clear();
    const std::vector<Line> lines = split_lines(file);
    std::size_t header = 0, last = 0;
    if (!find_section(file, lines, section, &header, &last)) return false;
    std::string_view k, v;
    for (std::size_t i = header + 1; i < last; ++i) {
        if (!key_line(text_of(file, lines[i]), &k, &v) || !same_name(k, key)) continue;
        if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
        value->assign(v);
        return true;
    }
    return false;
}

std::string with_profile_values(std::string_view file, std::string_view section,
                                const std::vector<std::pair<std::string, std::string>>& values) {
    const std::vector<Line> lines = split_lines(file);
    std::map<std::size_t, std::string> replaced;   // line index -> its new text
    std::string missing;                            // "key=value" lines to add, CR LF after each
    std::size_t header = 0, last = 0;
    const bool found = find_section(file, lines, section, &header, &last);
    for (const auto& [key, value] : values) {
        const std::string line = key + "=" + stored_value(value);
        bool done = false;
        std::string_view k, v;
        for (std::size_t i = header + 1; found && !done && i < last; ++i)
            if (!replaced.count(i) && key_line(text_of(file, lines[i]), &k, &v) && same_name(k, key)) {
                replaced[i] = line;
                done = true;
            }
        if (!done) missing += line + CRLF;
    }
    if (!found && !missing.empty()) missing = "[" + std::string(section) + "]" + CRLF + missing;

    // Missing keys go after the section's last non-blank line; a missing
    // section goes at the end of the file.
    std::size_t after = lines.size();
    if (found) {
        after = last;
        while (after > header + 1 && trimmed(text_of(file, lines[after - 1])).empty()) --after;
    }
    std::string out;
    out.reserve(file.size() + missing.size() + 2);
    for (std::size_t i = 0; i <= lines.size(); ++i) {
        if (i == after && !missing.empty()) {
            if (!out.empty() && out.back() != '\n' && out.back() != '\r') out += CRLF;
            out += missing;
        }
        if (i == lines.size()) break;
        const Line& line = lines[i];
        const auto r = replaced.find(i);
        out += r != replaced.end() ? std::string_view(r->second) : text_of(file, line);
        out += file.substr(line.start + line.length, line.end_length);
    }
    return out;
}

std::string epub_ini_path(const std::string& program_folder) { return join_path(program_folder, EPUB_INI_NAME); }

bool load_epub_ini(const std::string& program_folder, EpubIniValues* values) {
    *values = EpubIniValues{};
    std::string file;
    if (!read_whole_file(epub_ini_path(program_folder), &file)) return false;
    const std::pair<const char*, std::string*> keys[] = {
        {"Description", &values->description}, {"Creator", &values->creator},
        {"CopyRight", &values->rights}, {"Publisher", &values->publisher}};
    for (const auto& [key, value] : keys) {
        profile_value(file, EPUB_SECTION, key, value);
        *value = cut_value(*value);
    }
    return true;
}

bool save_epub_ini(const std::string& program_folder, const EpubIniValues& values) {
    const std::string path = epub_ini_path(program_folder);
    std::string file;
    const PathKind kind = path_kind(path);
    if (kind != PathKind::MISSING && (kind != PathKind::REGULAR || !read_whole_file(path, &file))) return false;
    return atomic_replace(path, with_profile_values(file, EPUB_SECTION,
                                                    {{"Description", cut_value(values.description)},
                                                     {"Creator", cut_value(values.creator)},
                                                     {"CopyRight", cut_value(values.rights)},
                                                     {"Publisher", cut_value(values.publisher)}}));
}

}  // namespace rix
