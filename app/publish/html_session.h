// What ＨＴＭＬ(ﾎｰﾑﾍﾟｰｼﾞ)作成 keeps while the program runs: the names of the
// page and the list file, the switches of several documents, the document
// list, and what was made last (for publishing). Nothing of it is stored in
// the settings record; the HTML options are.
#pragma once

#include <string>
#include <vector>

namespace rix {

constexpr int HTML_MAX_DOCUMENTS = 300;        // entries of the document list, wherever it grows

// Title modes of a page or of a listed document.
enum : int {
    HTML_TITLE_NONE = 0,
    HTML_TITLE_DOCUMENT = 1,   // the document title (24 bytes)
    HTML_TITLE_PRINT = 2,      // the print title (40 bytes)
};

struct HtmlDocEntry {
    int title_mode = HTML_TITLE_NONE;
    std::string path;              // UTF-8, absolute
    std::string document_title;    // code page 932, at most 24 bytes
    std::string print_title;       // code page 932, at most 40 bytes
};

// What was made last, for publishing.
enum : int {
    HTML_MADE_NOTHING = 0,
    HTML_MADE_PAGE = 1,        // a page of one document
    HTML_MADE_LIST = 2,        // a page (or pages) of a document list
};

struct HtmlSession {
    std::string for_document;      // UTF-8: the document the names below were proposed for
    std::string html_name;         // UTF-8 file name (no folder): the page
    std::string list_name;         // UTF-8 file name (no folder): the list file
    bool several = false;          // 指定: a page of several documents
    bool page_each = false;        // 各HTML作成: one page per listed document
    int first_document = 1;        // first display: a document number 1..count, or -1 = the selection list
    std::vector<HtmlDocEntry> documents;   // at most HTML_MAX_DOCUMENTS
    std::string text_target;       // UTF-8: the file a page of one document shows ("" = the document),
                                   // the "_ruby" file once ﾙﾋﾞ書出 made it the target

    // Handed on to publishing.
    int made = HTML_MADE_NOTHING;
    std::string made_page;         // UTF-8 path of the last page (the first of a series)
    std::string made_list;         // UTF-8 path of the last list file; "" for a page of one document
};

}  // namespace rix
