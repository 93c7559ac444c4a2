// The file list of the file selection dialog (see file_list.h).
#include "files/file_list.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "document/extension_file.h"
#include "document/extension_writer.h"
#include "platform/codec.h"
#include "platform/file_tools.h"
#include "platform/file_names.h"
#include "platform/files.h"
#include "display/guides.h"
#include "platform/messages.h"
#include "platform/text_tools.h"

namespace rix {
namespace {

constexpr unsigned NO_FOLDER_MS = 2000;

char lower_ascii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Length of the UTF-8 character at s[i] (1 for a stray byte).
std::size_t utf8_length_at(std::string_view s, std::size_t i) {
    const auto b = static_cast<unsigned char>(s[i]);
    std::size_t n = b < 0xC0 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
    return std::min(n, s.size() - i);
}

// "*" and "?" over whole characters; iterative with one back-track point.
bool match_plain(std::string_view p, std::string_view n) {
    std::size_t pi = 0, ni = 0, star = std::string_view::npos, resume = 0;
    while (ni < n.size()) {
        if (pi < p.size() && p[pi] == '*') {
            star = pi++;
            resume = ni;
        } else if (pi < p.size() && p[pi] == '?') {
            ++pi;
            ni += utf8_length_at(n, ni);
        } else if (pi < p.size() && lower_ascii(p[pi]) == lower_ascii(n[ni])) {
            ++pi;
            ++ni;
        } else if (star != std::string_view::npos) {
            pi = star + 1;
            resume += utf8_length_at(n, resume);
            ni = resume;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == '*') ++pi;
    return pi == p.size();
}

bool is_excluded_extension(std::string_view ext) {
    for (std::string_view e : {"exe", "com", "obj", "lib", "bin", "rix"})
        if (equal_nocase(ext, e)) return true;
    return false;
}

int compare_nocase(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(lower_ascii(a[i])), y = static_cast<unsigned char>(lower_ascii(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
}

int compare_key(const FileRow& a, const FileRow& b, int key) {
    switch (key) {
        case SORT_KIND: return compare_nocase(a.code, b.code);
        case SORT_SIZE: return a.size == b.size ? 0 : a.size < b.size ? -1 : 1;
        case SORT_DATE: return a.mtime == b.mtime ? 0 : a.mtime < b.mtime ? -1 : 1;
        case SORT_TITLE: return compare_nocase(a.title, b.title);
        default: return compare_nocase(a.name, b.name);
    }
}

std::string pad_right(std::string s, std::size_t width) {
    if (s.size() < width) s.append(width - s.size(), ' ');
    return s;
}

std::string date_cell(std::int64_t mtime) {
    const std::time_t t = static_cast<std::time_t>(mtime);
    std::tm tm{};
    if (!::localtime_r(&t, &tm)) return {};
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02u-%02u-%02u %02u:%02u", static_cast<unsigned>(tm.tm_year % 100),
                  static_cast<unsigned>(tm.tm_mon + 1), static_cast<unsigned>(tm.tm_mday),
                  static_cast<unsigned>(tm.tm_hour), static_cast<unsigned>(tm.tm_min));
    return buf;
}

}  // namespace

bool equal_nocase(std::string_view a, std::string_view b) { return compare_nocase(a, b) == 0; }

bool is_listing_path(std::string_view path) {
    return path.empty() || path.back() == '/' || path.find_first_of("*?") != std::string_view::npos;
}

int classify_path(std::string* path, Notices* notices) {
    const bool pattern = path->find_first_of("*?") != std::string::npos;
    *path = absolute_path(*path);
    std::string folder = path->back() == '/' ? *path : folder_of(*path);
    if (folder.empty()) folder = "/";
    int result = PATH_NO_FOLDER;
    if (!folder_exists(folder)) {
        result = PATH_NO_FOLDER;
    } else if (pattern || path->back() == '/') {
        result = PATH_LISTABLE;
    } else if (folder_exists(*path)) {
        *path += "/";
        result = PATH_LISTABLE;
    } else {
        result = path_kind(*path) == PathKind::MISSING ? PATH_NEW_NAME : PATH_EXISTING;
    }
    if (result == PATH_NO_FOLDER && notices) {
        notices->add("フォルダが存在しません｡", NO_FOLDER_MS);
        path->clear();
    }
    return result;
}

bool wildcard_match(std::string_view pattern, std::string_view name) {
    if (match_plain(pattern, name)) return true;
    // "name.*" also stands for "name" without any extension.
    if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*" && name.find('.') == std::string_view::npos)
        return match_plain(pattern.substr(0, pattern.size() - 2), name);
    return false;
}

std::string kind_code_of(std::string_view name) {
    const std::string_view ext = extension_of(name);
    if (equal_nocase(ext, "txt") || equal_nocase(ext, "tex")) return "T";
    if (equal_nocase(ext, "htm") || equal_nocase(ext, "html")) return "H";
    if (equal_nocase(ext, "rix")) return "V";
    if (ext.size() >= 3 && equal_nocase(ext.substr(0, 3), "cla")) return "C";
    return {};
}

std::string title_column(const std::string& path) {
    const std::string ext_path = extension_path_for(path);
    if (ext_path.empty() || !file_exists(ext_path)) return {};
    std::string magic;
    if (!read_file_prefix(ext_path, EXT_MAGIC_BYTES, &magic) || magic.size() < EXT_MAGIC_BYTES) return {};
    const int version = extension_version(magic);
    if (version == 0) return {};
    if (version < EXT_VERSION_OLDEST) return "+";
    ExtensionHeader header;
    if (read_extension_header(path, &header) != ExtensionStatus::OK) return {};
    // The header names the text file's extension (at most three bytes).
    if (!equal_nocase(header.text_extension, recorded_text_extension(path))) return {};
    if (!header.title.empty()) return header.title;
    if (!header.print_title.empty()) return header.print_title;
    return "*";
}

bool file_row_less(const FileRow& a, const FileRow& b, int order, bool folders_first) {
    // Root and parent lead, in that order.
    const bool a_nav = a.kind == RowKind::ROOT || a.kind == RowKind::PARENT;
    const bool b_nav = b.kind == RowKind::ROOT || b.kind == RowKind::PARENT;
    if (a_nav || b_nav) return a_nav && (!b_nav || a.kind < b.kind);
    const bool a_folder = a.kind == RowKind::FOLDER, b_folder = b.kind == RowKind::FOLDER;
    if (a_folder != b_folder) return folders_first ? a_folder : b_folder;
    int c = compare_key(a, b, order & 0x0F);
    if (c == 0) c = compare_nocase(a.name, b.name);
    if (c == 0) c = a.name < b.name ? -1 : a.name > b.name ? 1 : 0;
    return (order & 0xF0) ? c > 0 : c < 0;
}

void sort_rows(std::vector<FileRow>* rows, int order, bool folders_first) {
    std::stable_sort(rows->begin(), rows->end(),
                     [&](const FileRow& a, const FileRow& b) { return file_row_less(a, b, order, folders_first); });
}

int clicked_order(int column, std::uint8_t directions[SORT_COLUMNS]) {
    directions[column] = directions[column] ? 0 : 1;
    return column | (directions[column] ? 0x10 : 0);
}

bool list_folder(const std::string& folder_in, std::string_view pattern_in, int order, bool folders_first,
                 FolderListing* out) {
    // The arguments may be the listing's own fields (a list made again).
    std::string folder = folder_in.empty() || folder_in.back() != '/' ? folder_in + "/" : folder_in;
    std::string pattern = pattern_in.empty() ? "*.*" : std::string(pattern_in);
    *out = FolderListing{};
    out->folder = std::move(folder);
    out->pattern = std::move(pattern);
    FolderReader reader;
    if (!reader.open(out->folder)) return false;
    if (out->folder != "/") {
        out->rows.push_back({RowKind::ROOT, "", "/", "F", 0, 0, ""});
        out->rows.push_back({RowKind::PARENT, "", folder_of(out->folder.substr(0, out->folder.size() - 1)) + "/",
                             utf8_to_sjis("↑"), 0, 0, ""});
        if (out->rows.back().path == "//") out->rows.back().path = "/";
    }
    std::vector<FolderEntry> files;
    FolderEntry e;
    while (reader.next(&e, true)) {
        if (!e.folder && !wildcard_match(out->pattern, e.name)) continue;
        ++out->entries;
        if (!e.folder && is_excluded_extension(extension_of(e.name))) continue;
        if (static_cast<int>(out->rows.size()) >= FILE_LIST_MAX_ROWS) {
            out->capped = true;
            break;
        }
        FileRow row;
        row.name = e.name;
        row.size = e.size;
        row.mtime = e.mtime;
        if (e.folder) {
            row.kind = RowKind::FOLDER;
            row.code = "F";
            row.path = out->folder + e.name + "/";
            row.size = 0;
        } else {
            row.kind = RowKind::FILE;
            row.code = kind_code_of(e.name);
            row.path = out->folder + e.name;
            row.title = title_column(row.path);
        }
        out->rows.push_back(std::move(row));
    }
    sort_rows(&out->rows, order, folders_first);
    return true;
}

std::vector<std::string> row_cells(const FileRow& row) {
    std::vector<std::string> cells(SORT_COLUMNS);
    cells[0] = row.code;
    switch (row.kind) {
        case RowKind::ROOT: cells[1] = utf8_to_sjis("ﾙｰﾄ ﾌｫﾙﾀﾞ   "); break;
        case RowKind::PARENT: cells[1] = utf8_to_sjis("上のﾌｫﾙﾀﾞ   "); break;
        case RowKind::FOLDER:
            cells[1] = utf8_to_sjis(row.name);
            cells[2] = utf8_to_sjis(" ﾌｫﾙﾀﾞ  ");
            cells[3] = date_cell(row.mtime);
            break;
        case RowKind::FILE: {
            const std::string_view ext = extension_of(row.name);
            const std::string stem = utf8_to_sjis(stem_of(row.name));
            cells[1] = ext.empty() ? pad_right(stem, 24) : pad_right(stem, 24) + pad_right("." + utf8_to_sjis(ext), 4);
            std::string size = group_thousands(static_cast<std::uint64_t>(row.size < 0 ? 0 : row.size));
            cells[2] = size.size() < 9 ? std::string(9 - size.size(), ' ') + size : size;
            cells[3] = date_cell(row.mtime);
            cells[4] = row.title;
            break;
        }
    }
    return cells;
}

std::string shorten_path(std::string_view path, std::size_t max_chars) {
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < path.size(); i += utf8_length_at(path, i)) starts.push_back(i);
    if (starts.size() <= max_chars || max_chars < 7) return std::string(path);
    const std::size_t tail = max_chars - 6;
    return std::string(path.substr(0, starts[3])) + "..." + std::string(path.substr(starts[starts.size() - tail]));
}

}  // namespace rix
