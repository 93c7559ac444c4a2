// The search history of the synonym window: the last SYNONYM_HISTORY_TERMS
// distinct search terms, kept in "synonym.log" in the data folder.
//
// File form (code page 932), oldest first:
//
//   bytes          meaning
//   term CR LF     one term of at most SYNONYM_HISTORY_TERM_BYTES bytes
//
// Reading takes each line whole and strips only the line end that is there
// (CR LF, or a bare LF; a last line without one keeps all its bytes), so a
// term of any length up to the limit comes back whole. A longer line is cut
// on a character boundary; empty lines and repeated terms are skipped; more
// terms than slots keep the newest. Writing goes through atomic_replace.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace rix {

inline constexpr char SYNONYM_HISTORY_FILE_NAME[] = "synonym.log";
inline constexpr std::size_t SYNONYM_HISTORY_TERMS = 100;
inline constexpr std::size_t SYNONYM_HISTORY_TERM_BYTES = 29;   // what the search box takes
// Past this size a file is not one this program wrote; only its start is read.
inline constexpr std::size_t SYNONYM_HISTORY_READ_LIMIT = 64 * 1024;

struct SynonymHistory {
    std::vector<std::string> terms;   // oldest first, distinct, each 1..29 bytes
    std::string last_added;           // the term appended last in this run
    bool changed = false;             // changed since read
};

// Appends the term (cut to SYNONYM_HISTORY_TERM_BYTES on a character
// boundary) unless it is empty, the last appended one, or already held; with
// every slot taken the oldest goes first. True when it was appended.
bool add_synonym_history(SynonymHistory& h, std::string_view term);
// Removes the term at `index` (0 = oldest); false when there is none.
bool remove_synonym_history(SynonymHistory& h, std::size_t index);
void clear_synonym_history(SynonymHistory& h);

std::string synonym_history_bytes(const SynonymHistory& h);
// Replaces the terms with those of `bytes`; the result is unchanged.
void parse_synonym_history(std::string_view bytes, SynonymHistory* h);
// A missing or unreadable file gives an empty history (false when unreadable).
bool load_synonym_history(const std::string& path, SynonymHistory* h);
// Writes the file through atomic_replace; clears `changed` when written.
bool save_synonym_history(const std::string& path, SynonymHistory& h);

}  // namespace rix
