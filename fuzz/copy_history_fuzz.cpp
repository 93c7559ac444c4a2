// Fuzz target for the copy history file rix.clg: the bytes are read as a
// whole file and as the start of a longer one, and through the file itself.
// What the reader promises: READ or DAMAGED, at most 50 entries of at most
// 999 bytes, each sound text whose every CR is followed by its LF, and the
// entries written back read the same.
#include "aids/copy_history.h"
#include "fuzz/fuzz_target.h"

namespace {

using rix::CopyHistory;
using rix::CopyHistoryFile;

std::string check_entries(const CopyHistory& h) {
    if (h.entries.size() > rix::COPY_HISTORY_ENTRIES) return "too many entries";
    if (h.changed) return "a read history is marked changed";
    for (const std::string& e : h.entries) {
        if (e.size() > rix::COPY_HISTORY_ENTRY_BYTES) return "entry longer than its slot";
        if (!rix::fuzz::sound_cp932(e, true)) return "entry is not sound text";
        for (std::size_t i = 0; i < e.size(); ++i)
            if (e[i] == '\r' && (i + 1 >= e.size() || e[i + 1] != '\n')) return "CR without its LF";
    }
    return "";
}

std::string copy_history_entry(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes = rix::fuzz::bytes_of(data, size);
    CopyHistory whole, cut;
    CopyHistoryFile st = rix::parse_copy_history(bytes, false, &whole);
    if (st != CopyHistoryFile::READ && st != CopyHistoryFile::DAMAGED) return "whole file: status";
    if (std::string bad = check_entries(whole); !bad.empty()) return "whole file: " + bad;
    if (rix::parse_copy_history(bytes, true, &cut) != CopyHistoryFile::DAMAGED) return "cut file read as sound";
    if (std::string bad = check_entries(cut); !bad.empty()) return "cut file: " + bad;
    if (cut.entries.size() > whole.entries.size() && whole.entries.size() < rix::COPY_HISTORY_ENTRIES)
        return "the start of a file gives more entries than the file";

    CopyHistory again;
    if (rix::parse_copy_history(rix::copy_history_file_bytes(whole), false, &again) != CopyHistoryFile::READ)
        return "written history is not read as sound";
    if (again.entries != whole.entries) return "written history reads back differently";

    const std::string path = rix::fuzz::scratch_folder() + "/rix.clg";
    if (!rix::fuzz::write_file(path, bytes)) return "";
    CopyHistory loaded;
    if (rix::load_copy_history(path, &loaded) != st || loaded.entries != whole.entries)
        return "the file reads differently from its bytes";
    loaded.changed = true;
    if (!rix::save_copy_history(path, loaded) || loaded.changed) return "save failed";
    CopyHistory reloaded;
    if (rix::load_copy_history(path, &reloaded) != CopyHistoryFile::READ || reloaded.entries != whole.entries)
        return "saved file reads back differently";
    return "";
}

}  // namespace

RIX_FUZZ_TARGET(copy_history, copy_history_entry)
