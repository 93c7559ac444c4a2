// The copy history (コピー履歴): the last texts the writer copied or cut,
// kept from one run to the next in "rix.clg" in the data folder. This file
// holds the model and its file form; the window side (app/copy_history_dialog)
// asks the questions and shows the notices.
//
// Entries are code page 932 with CR LF line breaks, as the clipboard
// commands export them, at most COPY_HISTORY_ENTRY_BYTES bytes each (a longer
// copy is cut on a character boundary, never between CR and LF), at most
// COPY_HISTORY_ENTRIES of them, oldest first. Duplicates are kept: every copy
// is an entry of its own.
//
// File form (code page 932), one line per entry, oldest first:
//
//   bytes              meaning
//   entry' CR LF       the entry with every CR LF inside it written as one CR
//
// Reading turns every CR inside a line back into CR LF and strips the line's
// own end: CR LF, or a bare LF; a last line without one keeps all its bytes.
// Lines are read whole, so a 999-byte entry (a 1001-byte line) comes back
// whole; an entry that grows past the slot (a copy that held lone CRs) is cut
// as a new copy is. A line that is not sound text (NUL, 0x1A, 0xFC-0xFF, a
// lead byte without its trail byte) ends the reading: the entries before it
// are kept and the file is reported damaged. More lines than slots keep the
// newest ones, as copying would. Writing goes through atomic_replace, so a
// failed write leaves the old file whole.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace rix {

inline constexpr std::size_t COPY_HISTORY_ENTRIES = 50;
inline constexpr std::size_t COPY_HISTORY_ENTRY_BYTES = 999;
inline constexpr char COPY_HISTORY_FILE_NAME[] = "rix.clg";
// Past this size a file is not one this program wrote (50 lines of 1001
// bytes); only its first bytes are read.
inline constexpr std::size_t COPY_HISTORY_READ_LIMIT = 1024 * 1024;

struct CopyHistory {
    std::vector<std::string> entries;   // oldest first; each <= COPY_HISTORY_ENTRY_BYTES
    bool changed = false;               // changed since read: the exit writes it back
};

// The text as it fits an entry: cut after its last whole character within
// the slot, and before a CR whose LF would not fit.
std::string copy_history_entry(std::string_view text);
// Appends the text (cut to fit) as the newest entry, dropping the oldest
// when all slots are taken.
void add_copy_history(CopyHistory& history, std::string_view text);
// Removes the entry at `index` (0 = oldest); false when there is none.
bool remove_copy_history_entry(CopyHistory& history, std::size_t index);
void clear_copy_history(CopyHistory& history);

enum class CopyHistoryFile {
    READ,      // the whole file was sound
    MISSING,   // no file: an empty history
    DAMAGED,   // read up to the first unsound line (or the read limit)
    FAILED,    // the file exists but cannot be read: an empty history
};

// The file form of the history.
std::string copy_history_file_bytes(const CopyHistory& history);
// Replaces *history with the entries of `bytes`; `cut_short`: the bytes are
// the start of a longer file (a last line without LF is dropped). READ or
// DAMAGED. The result is unchanged (changed = false).
CopyHistoryFile parse_copy_history(std::string_view bytes, bool cut_short, CopyHistory* history);
CopyHistoryFile load_copy_history(const std::string& path, CopyHistory* history);
// Writes the file through atomic_replace; clears `changed` when written.
bool save_copy_history(const std::string& path, CopyHistory& history);

}  // namespace rix
