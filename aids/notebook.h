// The notebook (手帖): a document's articles under headings, kept in a plain
// text file beside it (by default the document's name with ".ren"). This
// file holds the model, its file form and the list the window shows; the
// window (app/notebook/notebook_window.h) asks the questions and shows the notices.
//
// File form (code page 932, CR LF line ends):
//
//   bytes                      meaning
//   "7.11 ミルトア手帖" CR LF   header line, written as is, skipped on reading
//   "。" heading CR LF          a heading line ("。" = 0x81 0x42), one per heading
//   line CR LF ...             the heading's article, each line ending in CR LF
//
// A line that begins with "。" is always a heading line, so no article line
// may begin with it (set_article refuses such a text). Lines between the
// header and the first heading belong to no heading and are dropped.
//
// The whole file is read: a notebook this program wrote comes back whole. A
// final line without CR LF is kept (it gains CR LF when written again). The
// file is written through platform/files atomic_replace, so the old file
// stays whole when a write fails.
//
// Invariants: headings hold no CR or LF; no article line begins with "。".
// An article is kept as edited; the missing final CR LF is added when the
// notebook is serialized. Registering stops at
// NOTEBOOK_MAX_HEADINGS headings and edits stop at the byte limits below;
// a file read from disk is kept whole even past them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/cipher.h"

namespace rix {

inline constexpr std::size_t NOTEBOOK_MAX_HEADINGS = 999;
inline constexpr std::size_t NOTEBOOK_HEADING_BYTES = 100 * 1024;   // all heading texts together
inline constexpr std::size_t NOTEBOOK_ARTICLE_BYTES = 1024 * 1024;  // all articles together
inline constexpr std::size_t NOTEBOOK_HEADING_MAX = 255;            // one heading, bytes (the heading box's limit)
inline constexpr std::string_view NOTEBOOK_HEADER = "7.11 \x83\x7e\x83\x8b\x83\x67\x83\x41\x8e\xe8\x92\x9f\r\n";
inline constexpr std::string_view NOTEBOOK_MARK = "\x81\x42";        // 。 at the start of a heading line
inline constexpr std::size_t NOTEBOOK_DATE_BYTES = 6;                // YYMMDD

struct NotebookEntry {
    std::string heading;  // stored text, date prefix included; no CR, no LF
    std::string article;  // lines with CR LF ends; the last may lack its CR LF
};

struct Notebook {
    std::vector<NotebookEntry> entries;  // stored order
};

// A calendar day; the clock is injected so tests fix "today".
struct NotebookDay {
    unsigned year = 0;   // full year, e.g. 2025
    unsigned month = 0;  // 1-12
    unsigned day = 0;    // 1-31
};
using NotebookClock = std::function<NotebookDay()>;
// The system clock in local time.
NotebookDay notebook_today();
// "%02u%02u%02u": year modulo 100, month, day.
std::string date_code(const NotebookDay& day);

// True when the first six bytes are digits no greater than "991939" place by
// place (YYMMDD; "251301" is not a date).
bool has_date(std::string_view heading);
// The rest of a heading after its date (the whole heading when undated).
std::string_view heading_text(std::string_view heading);
// The heading with its date replaced by `date` (or `date` put before an undated one).
std::string with_date(std::string_view heading, std::string_view date);

// --- file form -------------------------------------------------------------

Notebook parse_notebook(std::string_view bytes);
std::string serialize_notebook(const Notebook& notebook);

enum class NotebookFile : std::uint8_t {
    Read,     // the file was read
    Missing,  // no such file: an empty notebook
    Failed,   // it exists but could not be read (or is not a regular file)
};
// The notebook of an encrypted document is kept enciphered with the
// document's key: the whole file is one cipher stream (platform/cipher.h),
// as the document's text is, and deciphered it is the file form above.
struct NotebookKey {
    std::string text;                  // the document's key (code page 932)
    KeyForm form = KeyForm::STRONG;    // the form the document is enciphered in
};
// With `key`, a file that does not begin with the header line is deciphered
// first; a plain one (written before the document was encrypted) is read
// as it is. One that the key does not decipher is Failed.
NotebookFile read_notebook_file(const std::string& path, Notebook* out, const NotebookKey* key = nullptr);
// Writes through a temporary file in the same folder, enciphered with `key`
// when given; false on failure (the old file is then untouched).
bool write_notebook_file(const std::string& path, const Notebook& notebook, const NotebookKey* key = nullptr);
// The notebook file of a document: `chosen` when not empty, else the
// document's path with its extension replaced by ".ren" (added when it has none).
std::string notebook_path(std::string_view chosen, std::string_view document_path);

// --- list ------------------------------------------------------------------

enum class NotebookMode : std::uint8_t {
    Plain = 0,      // heading texts without their dates
    Dated = 1,      // "YYMMDD text" for dated headings
    DatedUp = 2,    // as Dated, sorted ascending
    DatedDown = 3,  // as Dated, sorted descending
};
inline bool is_sorted_mode(NotebookMode m) { return m == NotebookMode::DatedUp || m == NotebookMode::DatedDown; }

struct NotebookRow {
    std::string text;   // what the list shows
    std::size_t entry;  // index into Notebook::entries
};
// The list in a mode. Sorted modes compare the shown texts byte by byte
// (code page 932 orders digits, kana and kanji as the writer expects), ties
// in stored order.
std::vector<NotebookRow> notebook_rows(const Notebook& notebook, NotebookMode mode);
// The row showing `entry`, or rows.size().
std::size_t row_of_entry(const std::vector<NotebookRow>& rows, std::size_t entry);

// Word `number` (0-based) of a text whose words are separated by half-width
// spaces and ideographic spaces (0x81 0x40); runs of blanks make no empty
// words. *next gets the number of the following word, or 0 when this was the
// last. An empty view when there is no such word.
std::string_view split_words(std::string_view text, std::size_t number, std::size_t* next);

struct NotebookMatch {
    std::size_t first = SIZE_MAX;   // row of the first match, SIZE_MAX = none
    std::size_t second = SIZE_MAX;  // row of the next match after it, SIZE_MAX = none
};
// Rows from `start` on whose text equals `word`, or one of whose words does.
NotebookMatch search_rows(const std::vector<NotebookRow>& rows, std::size_t start, std::string_view word);

// --- changes ---------------------------------------------------------------

enum class NotebookEdit : std::uint8_t {
    Done,
    TooMany,        // NOTEBOOK_MAX_HEADINGS reached
    TooLarge,       // a byte limit would be passed
    HeadingMark,    // an article line would begin with 。
    SortedMode,     // ↑/↓ while the list is sorted
    AtEnd,          // ↑ on the first or ↓ on the last heading: nothing moved
    NoSuchEntry,    // programmer error guard: an index past the end
};

// The heading box text made fit for a heading: cut at the first CR or LF
// and to NOTEBOOK_HEADING_MAX bytes, both on character boundaries (index
// names and pasted text come through here).
std::string fit_heading(std::string_view text);
// The heading a box text registers as: a text starting with a date keeps
// it (blanks after the date removed), any other gets `today` in front.
std::string dated_heading(std::string_view box_text, std::string_view today);
// Inserts a heading with an empty article before entry `before`
// (entries.size() = at the end).
NotebookEdit register_heading(Notebook& notebook, std::size_t before, std::string_view box_text,
                              std::string_view today);
// True when a change of `old_heading` to `box_text` must ask whether the
// old date gives way to today's: the box has no date and the old heading has.
bool change_asks_date(std::string_view old_heading, std::string_view box_text);
// Changes entry `index` to the box text; `use_today` answers the date question
// (ignored when change_asks_date is false).
NotebookEdit change_heading(Notebook& notebook, std::size_t index, std::string_view box_text,
                            std::string_view today, bool use_today);
// Removes the entry and its article. *select gets the entry to select next
// (the following one, else the previous one, SIZE_MAX when none is left).
NotebookEdit delete_heading(Notebook& notebook, std::size_t index, std::size_t* select);
// Swaps entry `index` with the previous (up) or next one; refused in sorted modes.
NotebookEdit move_heading(Notebook& notebook, NotebookMode mode, std::size_t index, bool up);
// An article text made to end in CR LF (an empty text stays empty).
std::string terminated_article(std::string_view text);
// A text box's text with every line end (CR LF, lone LF, lone CR) made CR LF.
std::string article_from_box(std::string_view text);
// True when the text begins with 。 or a line of it does.
bool has_heading_mark_line(std::string_view text);
// Stores an edited article; refused with the old article kept when a line
// begins with 。 or the article store would pass its limit.
NotebookEdit set_article(Notebook& notebook, std::size_t index, std::string_view text);
// True when editing the article of a heading dated other than `today` should
// offer to move the date to today.
bool article_edit_asks_date(std::string_view heading, std::string_view today);

}  // namespace rix
