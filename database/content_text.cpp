#include "database/content_text.h"

#include <cstdio>
#include <cstdlib>

#include "platform/codec.h"
#include "platform/files.h"
#include "platform/text_tools.h"

namespace rix {

namespace {

std::size_t char_len(std::string_view s, std::size_t p) {
    return is_lead_byte(static_cast<std::uint8_t>(s[p])) && p + 1 < s.size() ? 2 : 1;
}

char fold(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// `what` stands at the character boundary `p` of `text`: single-byte
// characters compared without case, two-byte characters exactly (their
// trail bytes may look like ASCII letters).
bool matches_at(std::string_view text, std::size_t p, std::string_view what) {
    if (what.size() > text.size() - p) return false;
    std::size_t i = 0;
    while (i < what.size()) {
        const std::size_t n = char_len(what, i);
        if (n == 2) {
            if (text[p + i] != what[i] || text[p + i + 1] != what[i + 1]) return false;
        } else if (fold(text[p + i]) != fold(what[i])) {
            return false;
        }
        i += n;
    }
    return true;
}

}  // namespace

std::size_t count_characters(std::string_view s) {
    std::size_t count = 0;
    for (std::size_t p = 0; p < s.size(); ++count) {
        if (s[p] == '\r' && p + 1 < s.size() && s[p + 1] == '\n')
            p += 2;
        else
            p += char_len(s, p);
    }
    return count;
}

std::string content_title(std::size_t characters, bool modified) {
    std::string t = utf8_to_sjis("サイズ：") + group_thousands(characters) + utf8_to_sjis(" 文字");
    if (modified) t += utf8_to_sjis("　変更");
    return t;
}

std::string format_date_time(DateKind date, TimeKind time, const std::tm& when) {
    char d[64] = "", t[64] = "";
    const int year = when.tm_year + 1900, month = when.tm_mon + 1, day = when.tm_mday;
    switch (date) {
        case DateKind::MM_DD: std::snprintf(d, sizeof d, "%02d-%02d", month, day); break;
        case DateKind::YY_MM_DD: std::snprintf(d, sizeof d, "%02d-%02d-%02d", year, month, day); break;
        case DateKind::MM_DD_JA: std::snprintf(d, sizeof d, "%d月%d日", month, day); break;
        case DateKind::YY_MM_DD_JA: std::snprintf(d, sizeof d, "%02d年%d月%d日", year, month, day); break;
        case DateKind::NONE: break;
    }
    switch (time) {
        case TimeKind::HH_MM: std::snprintf(t, sizeof t, "%02d:%02d", when.tm_hour, when.tm_min); break;
        case TimeKind::HH_MM_JA: std::snprintf(t, sizeof t, "%d時%d分", when.tm_hour, when.tm_min); break;
        case TimeKind::NONE: break;
    }
    std::string out = d;
    if (*d && *t) out += ' ';
    out += t;
    return utf8_to_sjis(out);
}

std::size_t find_in_content(std::string_view text, std::string_view what, std::size_t from, bool down) {
    if (what.empty()) return std::string_view::npos;
    std::size_t found = std::string_view::npos;
    for (std::size_t p = 0; p < text.size(); p += char_len(text, p)) {
        if (!down && p >= from) break;
        if (down && p < from) continue;
        if (matches_at(text, p, what)) {
            if (down) return p;
            found = p;
        }
    }
    return found;
}

std::size_t replace_all_in_content(std::string* text, std::string_view what, std::string_view with) {
    if (what.empty()) return 0;
    std::string out;
    out.reserve(text->size());
    std::size_t count = 0;
    const std::string_view s = *text;
    for (std::size_t p = 0; p < s.size();) {
        if (matches_at(s, p, what)) {
            out += with;
            p += what.size();
            ++count;
        } else {
            const std::size_t n = char_len(s, p);
            out.append(s.substr(p, n));
            p += n;
        }
    }
    if (count) *text = std::move(out);
    return count;
}

ImportResult import_content_file(const std::string& path, std::string* text) {
    std::string bytes;
    if (!read_file_prefix(path, CONTENT_IMPORT_CAP + 1, &bytes)) return ImportResult::FAILED;
    ImportResult result = ImportResult::READ;
    if (bytes.size() > CONTENT_IMPORT_CAP) {
        bytes.resize(CONTENT_IMPORT_CAP);
        result = ImportResult::CUT_AT_LIMIT;
    }
    const std::size_t nul = bytes.find('\0');
    if (nul != std::string::npos) {
        bytes.resize(nul);
        result = ImportResult::CUT_AT_NUL;
    }
    std::size_t p = 0;
    while (p < bytes.size()) {
        if (is_lead_byte(static_cast<std::uint8_t>(bytes[p])) && p + 1 == bytes.size()) {
            bytes.pop_back();
            break;
        }
        p += char_len(bytes, p);
    }
    *text = std::move(bytes);
    return result;
}

bool export_content_file(const std::string& path, std::string_view text) { return atomic_replace(path, text); }

int content_spacing_twips(int spacing) {
    static const int raise[] = {150, 125, 100, 75, 50};
    return raise[spacing < 0 ? 0 : spacing > 4 ? 4 : spacing];
}

TextBoxFormat content_format(std::int16_t height, std::int16_t weight, bool italic, std::string_view face,
                             int spacing, bool vertical, std::uint32_t text_colour) {
    TextBoxFormat f;
    f.face = std::string(!face.empty() && face.front() == '@' ? face.substr(1) : face);
    const int h = std::abs(static_cast<int>(height));
    f.pixel_height = h > 0 ? h : 16;
    f.weight = weight > 400 ? 700 : 400;
    f.italic = italic;
    f.text_colour = text_colour;
    f.baseline_offset = content_spacing_twips(spacing);
    f.vertical = vertical;
    return f;
}

}  // namespace rix
