// The synonym dictionary (類語一覧): the read-only word file "rix_lib.syn",
// the search over it under four match conditions, and the two views of the
// results (the hit list, and one class at a time). The window side
// (app/synonym_window) shows them; the history of search terms lives in
// aids/synonym_history.h.
//
// File form: records one after another, no file header, stored scrambled
// (aids/synonym_scramble.h):
//
//   offset  size   meaning
//   0       1      header: bits 6-7 kind (0 word, 1 starts a class,
//                  2 starts a class and a related-words group, 3 unused);
//                  bits 0-5 n, the text length in two-byte characters
//   1       2 * n  text: code page 932 double-byte characters; the headword,
//                  then optionally an annotation opening with "（" or "［"
//
// A class runs from its boundary record (kind 1 or 2) to the next one; a
// related-words group from a kind-2 record to the next kind-2 record. The
// end of the data closes the last class and group as a kind-2 record would.
//
// Reading: a record cut short by the end of the file ends the reading (the
// records before it are kept, the file is reported truncated); a header of
// kind 3 ends it the same way (damaged). The reader never looks past the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rix {

inline constexpr char SYNONYM_FILE_NAME[] = "rix_lib.syn";
inline constexpr std::size_t SYNONYM_TEXT_CHARS = 63;        // most characters of a record's text
inline constexpr std::size_t SYNONYM_MAX_HITS = 1200;        // hits kept by one search
inline constexpr std::size_t SYNONYM_MAX_CLASSES = 1000;     // classes kept by one search
inline constexpr std::size_t SYNONYM_TERM_BYTES = 79;        // a longer term is cut on a character boundary
// Past this size a file is not a dictionary: only its first bytes are read.
inline constexpr std::size_t SYNONYM_READ_LIMIT = 64u * 1024 * 1024;

enum class SynonymKind : std::uint8_t { WORD = 0, CLASS = 1, GROUP = 2 };

struct SynonymRecord {
    SynonymKind kind = SynonymKind::WORD;
    std::string text;   // code page 932, even length, <= 2 * SYNONYM_TEXT_CHARS bytes
};

struct SynonymDictionary {
    std::vector<SynonymRecord> records;   // file order
};

enum class SynonymFile {
    READ,        // the whole file
    MISSING,     // no such file: an empty dictionary
    TRUNCATED,   // the last record was cut short: the records before it
    DAMAGED,     // a header of kind 3: the records before it
    FAILED,      // the file exists but cannot be read
};

// Replaces *dict with the records of `bytes` (stored, scrambled form).
SynonymFile parse_synonym_dictionary(std::string_view bytes, SynonymDictionary* dict);
SynonymFile load_synonym_dictionary(const std::string& path, SynonymDictionary* dict);
// The stored form of the records. A text is cut to whole two-byte characters
// within SYNONYM_TEXT_CHARS.
std::string synonym_dictionary_bytes(const SynonymDictionary& dict);

// The headword of a record's text: up to (not including) the first "（" or
// "［" that starts a two-byte character.
std::string_view synonym_headword(std::string_view text);

enum class SynonymMatch : std::uint8_t {
    PARTIAL = 0,   // 部分: the term occurs within the headword
    PREFIX = 1,    // 先頭: the headword starts with the term and is longer
    SUFFIX = 2,    // 後端: the headword ends with the term and is longer
    EXACT = 3,     // 完全: the headword is the term
};
// "部分", "先頭", "後端", "完全" (UTF-8).
const char* synonym_match_name(SynonymMatch m);

// Whether a record's text matches the term. Only the first occurrence of the
// term that starts on a character boundary (an even offset) is looked at.
bool synonym_text_matches(std::string_view text, std::string_view term, SynonymMatch m);

// One class of a search: ranges of record indices, end exclusive.
struct SynonymClass {
    std::uint32_t first_match = 0;                  // the first matching record
    std::uint32_t begin = 0, end = 0;               // the class (its synonyms)
    std::uint32_t related_begin = 0, related_end = 0;   // its related-words group
};

struct SynonymHit {
    std::uint32_t record = 0;   // index into the dictionary
    std::uint32_t cls = 0;      // index into SynonymResults::classes
};

struct SynonymResults {
    std::vector<SynonymHit> hits;         // file order, <= SYNONYM_MAX_HITS
    std::vector<SynonymClass> classes;    // file order, <= SYNONYM_MAX_CLASSES
    bool cut_short = false;               // matches past a limit were dropped
};

// Every record matching the term, with the classes they belong to. An empty
// term finds nothing.
SynonymResults search_synonyms(const SynonymDictionary& dict, std::string_view term, SynonymMatch m);

// The next (forward) or previous class, cyclically. With no classes: 0.
std::size_t step_synonym_class(const SynonymResults& r, std::size_t current, bool forward);

// A row of the class view: a word or, in the related view, the separator
// before each kind-1 record.
struct SynonymRow {
    std::int64_t record = -1;   // index into the dictionary; -1 = separator
    std::uint32_t word = 0;     // 1-based word number within the view; 0 = separator
};
inline constexpr char SYNONYM_SEPARATOR[] = "――――――――――――";   // UTF-8

// The rows of class `cls`: its synonyms, or its related-words group.
std::vector<SynonymRow> synonym_class_rows(const SynonymDictionary& dict, const SynonymClass& cls, bool related);
// The row showing `record`, or -1.
int synonym_row_of(const std::vector<SynonymRow>& rows, std::uint32_t record);
// A click on row `row` coming from row `from`: a word row stays, a separator
// gives the neighbouring word in the direction of the move (the other
// neighbour at either end). -1 when there is no word.
int synonym_word_row(const std::vector<SynonymRow>& rows, int row, int from);
// The words of a view (separators not counted).
std::uint32_t synonym_word_count(const std::vector<SynonymRow>& rows);

// Texts of the window (code page 932).
// The rows of the hit list: "%2d %s", the class number shown on the first
// hit of each class and spaces of its width on the others.
std::vector<std::string> synonym_hit_rows(const SynonymDictionary& dict, const SynonymResults& r);
// "［部分］3分類 7語ﾋｯﾄ"
std::string synonym_hits_header(SynonymMatch m, const SynonymResults& r);
// "［部分］3分類中1［2 /6］"
std::string synonym_class_header(SynonymMatch m, std::size_t classes, std::size_t current, std::uint32_t word,
                                 std::uint32_t words);
// The search button's label with classes after the current one: "残 ５",
// "残 １２", from 100 on "残 123".
std::string synonym_remaining_label(std::size_t remaining);
// The window's caption: " 類語一覧 70,661語".
std::string synonym_caption(std::size_t words);

}  // namespace rix
