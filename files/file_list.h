// The file list of the file selection dialog: what a typed path names, which
// names a pattern matches, the rows of one folder with the titles of their
// extension files, and their order.
//
// Owns nothing but plain values; reads folders and the first bytes of
// extension files, never writes. Texts of rows are code page 932; paths are
// native (UTF-8) file names. Nothing here uses Qt.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "document/notices.h"

namespace rix {

// What classify_path found.
enum : int {
    PATH_NO_FOLDER = 0,     // the folder of the path does not exist
    PATH_LISTABLE = 1,      // a folder (the path then ends in "/") or a pattern
    PATH_EXISTING = 2,      // an existing file
    PATH_NEW_NAME = 3,      // a name that does not exist in an existing folder
};

// Makes *path absolute against the current folder and judges it. A folder
// gets its trailing "/". With `notices`, PATH_NO_FOLDER adds the notice
// "フォルダが存在しません｡" (2 s) to them and empties the path.
int classify_path(std::string* path, Notices* notices = nullptr);

// Whether a path is listed rather than chosen: empty, holding "*" or "?",
// or ending in "/".
bool is_listing_path(std::string_view path);

// The file name patterns of the list, matched as the dialog's users know
// them: "*" any run of characters, "?" one character (a whole UTF-8
// character), ASCII letters without regard to case, and a pattern ending in
// ".*" also matches a name without a dot ("*.*" matches every name).
bool wildcard_match(std::string_view pattern, std::string_view name);

bool equal_nocase(std::string_view a, std::string_view b);

// Kind of a row, the order its kind code sorts in.
enum class RowKind : std::uint8_t { ROOT, PARENT, FOLDER, FILE };

struct FileRow {
    RowKind kind = RowKind::FILE;
    std::string name;            // UTF-8 entry name; "" for the root and parent rows
    std::string path;            // UTF-8 absolute path (a folder's ends in "/")
    std::string code;            // kind code: "T", "H", "V", "C", "F", "↑" (cp932) or ""
    std::int64_t size = 0;       // bytes; 0 for folders
    std::int64_t mtime = 0;      // seconds since the epoch
    std::string title;           // cp932: document or print title, "*", "+" or ""
};

constexpr int FILE_LIST_MAX_ROWS = 4999;
// Low four bits of file_list_order: the key column; high four bits: descending.
enum : int { SORT_KIND = 0, SORT_NAME = 1, SORT_SIZE = 2, SORT_DATE = 3, SORT_TITLE = 4 };
constexpr int SORT_COLUMNS = 5;

struct FolderListing {
    std::string folder;          // UTF-8, ends in "/"
    std::string pattern;         // UTF-8 name pattern
    std::vector<FileRow> rows;   // root and parent rows first when present, then sorted
    int entries = 0;             // matching entries seen (folders and files), before the cap
    bool capped = false;         // the cap of FILE_LIST_MAX_ROWS rows was reached
};

// The kind code of a file name (code page 932).
std::string kind_code_of(std::string_view name);

// The title column for `path` (a file with an extension file beside it):
// the document title, else the print title (headers from RIX28 on), "*" when
// the extension file belongs to the file but holds neither, "+" for an
// extension file older than RIX23; "" when there is none or it was made for
// a file of another extension. Reads only the header.
std::string title_column(const std::string& path);

// Lists the entries of `folder` (UTF-8, absolute) matching `pattern`
// ("*.*" when empty): folders always, files but executables (.exe .com .obj
// .lib .bin) and extension files (.rix). Titles are read for files whose
// stem has an extension file. Stops at FILE_LIST_MAX_ROWS rows. False when
// the folder cannot be read.
bool list_folder(const std::string& folder, std::string_view pattern, int order, bool folders_first,
                 FolderListing* out);

// The order of two rows: folders before files when `folders_first`, else
// after them; within each, the key of `order` (ties by name). Root and
// parent rows lead whatever the order.
bool file_row_less(const FileRow& a, const FileRow& b, int order, bool folders_first);
void sort_rows(std::vector<FileRow>* rows, int order, bool folders_first);

// The order after a click on column `column`: that column becomes the key
// and its direction (remembered per column in `directions`) turns.
int clicked_order(int column, std::uint8_t directions[SORT_COLUMNS]);

// The five cells of a row as the list shows them (code page 932).
std::vector<std::string> row_cells(const FileRow& row);

// "abc...xyz": a path shortened to `max_chars` characters (the first three,
// "...", the end), cut on character boundaries. UTF-8 in and out.
std::string shorten_path(std::string_view path, std::size_t max_chars);

}  // namespace rix
