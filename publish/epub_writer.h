// The EPUB writer: the document as an EPUB 3 book. The text is split into
// numbered XHTML files (at structure-index entries that start a new page,
// and optionally by size), written with ruby markup, indentation and size
// classes from the line formats, styled by a generated style sheet for
// vertical or horizontal writing (optionally with an embedded font), and
// described by a package document, a navigation document and an NCX table
// of contents, all UTF-8 with CR LF line ends, packed with `mimetype`
// stored first.
//
// Everything is generated in memory, as UTF-8 straight from the stored
// lines (one walk of each line: characters, half-width pairs, ruby blocks
// whole, tag blocks skipped). Nothing here touches files or windows: the
// application writes the book (app/publish/epub_run.h).
//
// Package layout (zip entries in this order):
//   mimetype                   "application/epub+zip", stored, no extra field
//   META-INF/container.xml     EPUB_CONTAINER_XML
//   OEBPS/content.opf          package document (epub_opf)
//   OEBPS/toc.ncx              NCX (epub_ncx)
//   OEBPS/Text/style.css       style sheet (epub_css)
//   OEBPS/Text/<font>          the embedded font, under its own file name
//   OEBPS/Text/01.xhtml ...    content files (write_epub_text)
//   OEBPS/Text/nav.xhtml       navigation document (epub_nav)
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "document/document.h"

namespace rix {

// The book's metadata (code page 932, at most 49 bytes each).
struct EpubMetadata {
    std::string title;
    std::string description;       // 内 容
    std::string creator;           // 著 者
    std::string rights;            // 著作権
    std::string publisher;         // 発行者
};

constexpr int EPUB_SIZE_STEPS = 5;
// Font sizes (em) and line heights by index 0..4 (最大, 大, 標準, 小, 最小).
extern const double EPUB_FONT_SIZES[EPUB_SIZE_STEPS];
extern const double EPUB_LINE_HEIGHTS[EPUB_SIZE_STEPS];

constexpr int EPUB_MAX_INDENT = 14;      // ideographic spaces at most before a line
constexpr int EPUB_NORMAL_CLASS = 10;    // size class of a plain line (1.0 em)

struct EpubOptions {
    bool vertical = true;
    bool chapter_numbers = false;        // epub_flags bit 0: 一章, 二章 ... in the contents
    bool split_by_size = false;          // bit 2
    int split_kb = 0;                    // the size a content file is split after (1..255 when splitting)
    int font_size_index = 2;             // 0..4
    int line_spacing_index = 2;          // 0..4
    std::string font_name;               // UTF-8 file name of the embedded font; "" = none (bit 1 off)
    std::string font_bytes;              // its contents
    // Options of the settings record's bytes; out-of-range indexes read 2,
    // a split size is clamped to 1..255.
    static EpubOptions from_record(std::uint8_t flags, std::uint8_t font_size_index, std::uint8_t line_spacing_index,
                                   std::uint8_t split_kb, bool vertical);
};

// What makes one book unique: its identifier and the time it was made.
struct EpubIdentity {
    std::string uuid;                    // "xxxxxxxx-xxxx-4xxx-yxxx-xxxxxxxxxxxx"
    std::string modified;                // UTC, "YYYY-MM-DDThh:mm:ssZ"
    std::string fallback_title;          // UTF-8: the title when the metadata has none (the file name)
};

// ---- pieces, exposed for the tests ----

// A text of code page 932 as XML character data in UTF-8: & < > " escaped,
// characters XML does not allow dropped.
std::string xml_text(std::string_view sjis);
// The kanji numeral of 1..9999 (12 → 十二, 105 → 百五); "" outside.
std::string kanji_numeral(int n);
// The size class of a line-format word: 7..14, 10 for the normal size.
int epub_size_class(std::uint32_t format_word);

struct EpubSplit {
    int file = 0;                        // 1-based: the file that ended
    int entry = 0;                       // the index entry that starts the next file
};
struct EpubText {
    std::vector<std::string> files;      // the content files, UTF-8
    std::vector<EpubSplit> splits;       // files ended at an index entry
};
// The content files of the whole (fully loaded) document. `title` is the
// UTF-8 title every file carries.
EpubText write_epub_text(Document& doc, const EpubOptions& options, const std::string& title);

struct EpubContentsEntry {
    int file = 0;                        // 1-based
    std::string label;                   // UTF-8, never empty
};
// The contents: one entry per file when no file ended at an index entry,
// else one per chapter.
std::vector<EpubContentsEntry> epub_contents(const EpubText& text, const std::vector<IndexEntry>& index,
                                             bool chapter_numbers);

std::string epub_css(const EpubOptions& options);
std::string epub_opf(const EpubMetadata& metadata, const EpubOptions& options, const EpubIdentity& identity,
                     int files);
std::string epub_nav(const std::vector<EpubContentsEntry>& contents);
std::string epub_ncx(const std::vector<EpubContentsEntry>& contents, const EpubIdentity& identity,
                     const std::string& title);
extern const char EPUB_CONTAINER_XML[];

// The UTF-8 title of the book: the metadata's, or the fallback.
std::string epub_title(const EpubMetadata& metadata, const EpubIdentity& identity);

// ---- the book ----

struct EpubEntry {
    std::string name;                    // path inside the zip
    std::string bytes;
    bool stored = false;                 // written without compression
};
struct EpubCounts {
    int files = 0;                       // content files
    int contents = 0;                    // contents entries
};
// The entries of the book in their order.
std::vector<EpubEntry> epub_entries(Document& doc, const EpubMetadata& metadata, const EpubOptions& options,
                                    const EpubIdentity& identity, EpubCounts* counts = nullptr);
// The zip of the entries, in memory; false with libzip's message in *error.
bool pack_zip(const std::vector<EpubEntry>& entries, std::string* zip, std::string* error);

}  // namespace rix
