// File search: the files below a folder whose names contain a text, for the
// writer who cannot find a saved document.
//
// The walk is depth-first without recursion over a stack of open folder
// readers (platform/file_tools.h), so a level is read once however deep the
// walk went below it. Symbolic links are never followed (a link is matched
// by its name like a file), so link loops end; /proc and /sys are not
// entered. Names are matched as text: the search text (code page 932) and
// the names (UTF-8) meet as UTF-8, where a match cannot begin or end inside
// a character. Matching is case-sensitive.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace rix {

constexpr int SEARCH_MAX_RESULTS = 5000;      // kept; further matches are only counted
constexpr int SEARCH_MAX_LEVELS = 50;         // levels 0..49; a folder that would be the 51st level ends the walk
constexpr int SEARCH_MAX_FOLDERS = 90000;     // the 90000th folder ends the walk
constexpr std::size_t SEARCH_LINE_PAIR_BYTES = 78;   // folder and name in a result line

struct FoundFile {
    std::string folder;          // UTF-8, ends in "/"
    std::string name;            // UTF-8
    std::int64_t size = 0;
    std::int64_t mtime = 0;      // seconds since the epoch
};

struct SearchCounters {
    int level = 0;               // 0 = the start folder
    int deepest = 0;
    int folders = 0;             // folders entered below the start
    int matches = 0;             // every match, also beyond SEARCH_MAX_RESULTS
};

enum class SearchEnd : std::uint8_t {
    DONE,
    CANCELLED,         // `stop` said so
    TOO_DEEP,          // SEARCH_MAX_LEVELS
    TOO_MANY_FOLDERS,  // SEARCH_MAX_FOLDERS
    NO_FOLDER,         // the start folder cannot be read
};

struct SearchOutcome {
    std::vector<FoundFile> found;   // at most SEARCH_MAX_RESULTS, in walk order
    SearchCounters counters;
    SearchEnd end = SearchEnd::DONE;
};

struct SearchHooks {
    std::function<bool()> stop;                                 // checked between steps; true ends the walk
    std::function<void(const SearchCounters&)> progress;        // after each folder entered, and at the end
};

// Walks the tree below `start` (UTF-8) for names containing `text_cp932`.
SearchOutcome search_files(const std::string& start, std::string_view text_cp932, const SearchHooks& hooks);

// The counter text "%d/%d %d-%d".
std::string counter_text(const SearchCounters& c);
// One line of the result list (code page 932): "%4d %s   %s %10sb %s", folder
// and name together SEARCH_LINE_PAIR_BYTES wide (a long folder cut on a
// character boundary and ended by "…").
std::string result_line(int number, const FoundFile& f);
// The usage text the list shows before the first search (code page 932 lines).
std::vector<std::string> search_usage_lines();

}  // namespace rix
