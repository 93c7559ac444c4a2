// The list file of a page of several documents: one line per document,
// "name.ext,title" in code page 932 with CR LF line ends, in the folder of
// the page. The viewer reads it to offer the documents; ﾘｽﾄ読込 reads it
// back into the document list.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace rix {

struct HtmlListLine {
    std::string file;      // code page 932: a bare file name (no folder)
    std::string title;     // code page 932, at most HTML_LIST_TITLE_BYTES
};

constexpr std::size_t HTML_LIST_TITLE_BYTES = 40;

// One line of the file, with its CR LF.
std::string html_list_line(std::string_view file, std::string_view title);

struct HtmlListRead {
    std::vector<HtmlListLine> lines;   // the lines before the first bad one
    bool bad = false;                  // a line without a comma, or naming no bare file
    int bad_line = 0;                  // 1-based number of that line
};
// Reads a list file. Reading stops at the first line without a comma or
// whose name is not a bare file name (empty, holding '/' or '\\', "." or
// ".."); the lines before it are kept. Titles are cut at 40 bytes on a
// character boundary. CR before LF is dropped; an empty last line ends the
// file quietly.
HtmlListRead read_html_list(std::string_view bytes);

// Whether `name` (code page 932) can stand for a file in the list's folder.
bool bare_file_name(std::string_view name);

// The list file name proposed for a new list: "list_" + the highest number
// found after "list_" among `names` (the folder's file names, UTF-8) that
// start with "list_" and end in ".txt", plus 1 (plus 2 when that name is
// the open document's file name), as three digits at least, + ".txt".
std::string next_html_list_name(const std::vector<std::string>& names, std::string_view document_name);

}  // namespace rix
