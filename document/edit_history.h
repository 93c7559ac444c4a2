// The edit history: one program-wide text file (rix.log in the data folder,
// or the file of the /l switch) that gets one line per save. It feeds the
// recent-documents list of the file menu and the history page of the
// document-information sheet.
//
// Line format (code page 932; written with CR LF, read with CR LF or LF):
//
//   OFFSET  SIZE  MEANING
//   0       n     the save name of the document (code page 932)
//   n       1|2   one blank, two when the text file is larger than 999,999 bytes
//   ...     7+    the text file's length in bytes, "%7lu" (right-aligned)
//   ...     1     blank
//   ...     14    modification time "yy-mm-dd hh:mm"
//   ...     1     blank
//   ...     24    document title, "%-24s" (at most 24 bytes)
//   ...     1     blank
//   ...           blanks up to a line length of 76 when the line is shorter
//
// A line of at least 76 characters (without its line end) is of the current
// format; shorter lines come from an older format and are shown but cannot
// be opened. The path is the text before the size field: a path that holds
// two blanks in a row is still found whole.
//
// Nothing here shows a message or knows about windows. Lines are read whole,
// whatever their length.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rix {

constexpr std::size_t HISTORY_MIN_LINE = 76;        // current-format lines, without the line end
constexpr std::size_t HISTORY_MAX_LINES = 10000;    // lines read for the menu and the history page
constexpr std::size_t HISTORY_RECENT_COUNT = 10;    // documents the file menu lists
constexpr std::size_t HISTORY_TITLE_BYTES = 24;

struct HistoryStamp {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0;   // local time; year in full (2026)
};

// One line of the current format, without its line end. `path` and `title`
// are code page 932; the title is cut on a character boundary to 24 bytes.
std::string history_line(std::string_view path, std::uint64_t size, const HistoryStamp& when,
                         std::string_view title);

// The lines of a history file's text, without their line ends (CR LF or LF;
// a last line without one counts too).
std::vector<std::string> split_history_lines(std::string_view text);

// The path of a current-format line (code page 932); "" for a line of the
// older format or one whose fields cannot be read.
std::string history_line_path(std::string_view line);

// The recent documents of a history's text: the paths of the last
// HISTORY_MAX_LINES lines, each kept at its last occurrence, the newest
// first, at most `count` of them.
std::vector<std::string> recent_documents(std::string_view text, std::size_t count = HISTORY_RECENT_COUNT);

// The history's text without the current-format lines whose path is `path`
// (compared exactly: file names on this system are case-sensitive). The
// other lines keep their bytes and line ends.
std::string history_without(std::string_view text, std::string_view path);

// What the history page lists for one line (code page 932): for a current
// line the folder (shortened to its last 17 bytes), the file name, the
// extension and the rest of the line in columns; an older line as it is.
std::string history_display_line(std::string_view line);

// File operations. `log_path` is a native path.
// Appends one line with CR LF, creating the file when missing; a last line
// without its line end gets one first.
bool append_history(const std::string& log_path, std::string_view line);
// Removes every line of `path` through a temporary file and a rename; the
// history stays whole when anything fails. True also when nothing matched.
bool remove_from_history(const std::string& log_path, std::string_view path);

}  // namespace rix
