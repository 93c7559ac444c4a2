// Fuzz target for the edit history (rix.log): the recent-documents list, the
// history page's lines, the removal of a document's lines, and a line
// appended after whatever the file ends with. What the reader promises: at
// most ten distinct recent paths, each the start of a line of the file; a
// removal takes only that path's lines and keeps every other byte; a saved
// document appended to any file is the newest recent document and the old
// bytes stay as they were.
#include <algorithm>

#include "document/edit_history.h"
#include "fuzz/fuzz_target.h"

namespace {

// "/home/writer/原稿 1.txt": a blank in the path, as writers' files have.
constexpr char SAVED_PATH[] = "/home/writer/\x8C\xB4\x8D\x65 1.txt";

std::string edit_history_entry(const std::uint8_t* data, std::size_t size) {
    std::string_view text = rix::fuzz::bytes_of(data, size);
    std::vector<std::string> recent = rix::recent_documents(text);
    if (recent.size() > rix::HISTORY_RECENT_COUNT) return "too many recent documents";
    std::vector<std::string> lines = rix::split_history_lines(text);
    for (std::size_t i = 0; i < recent.size(); ++i) {
        if (recent[i].empty()) return "empty recent path";
        for (std::size_t j = 0; j < i; ++j)
            if (recent[j] == recent[i]) return "repeated recent path";
        bool found = std::any_of(lines.begin(), lines.end(),
                                 [&](const std::string& l) { return rix::history_line_path(l) == recent[i]; });
        if (!found) return "a recent path no line names";
    }
    for (std::size_t i = 0; i < lines.size() && i < 64; ++i) {
        std::string shown = rix::history_display_line(lines[i]);
        if (rix::history_line_path(lines[i]).empty() && shown != lines[i]) return "an old line is not shown as it is";
    }
    if (rix::history_without(text, "") != text) return "removing no path changed the text";
    if (!recent.empty()) {
        std::string kept = rix::history_without(text, recent[0]);
        if (kept.size() >= text.size()) return "removal took nothing";
        std::vector<std::string> after = rix::recent_documents(kept, 1000);
        if (std::find(after.begin(), after.end(), recent[0]) != after.end()) return "removed path still listed";
        // The kept lines are the file's lines without the removed ones, in order.
        std::vector<std::string> kept_lines = rix::split_history_lines(kept);
        std::size_t k = 0;
        for (const std::string& l : lines)
            if (rix::history_line_path(l) != recent[0] && (k >= kept_lines.size() || kept_lines[k++] != l))
                return "a line that stays was changed";
    }

    const std::string path = rix::fuzz::scratch_folder() + "/rix.log";
    if (!rix::fuzz::write_file(path, text)) return "";
    if (!recent.empty()) {
        if (!rix::remove_from_history(path, recent[0])) return "removal from the file failed";
        std::string now;
        if (!rix::fuzz::read_file(path, &now) || now != rix::history_without(text, recent[0]))
            return "the file after removal is not the text without the path";
        rix::fuzz::write_file(path, text);
    }
    const std::string line = rix::history_line(SAVED_PATH, 1234567, {2026, 12, 11, 9, 30}, "\x8C\xB4\x8D\x65");
    if (rix::history_line_path(line) != SAVED_PATH) return "a written line does not give its path";
    if (!rix::append_history(path, line)) return "append failed";
    std::string now;
    if (!rix::fuzz::read_file(path, &now)) return "appended file unreadable";
    if (now.compare(0, text.size(), text) != 0) return "appending changed the old bytes";
    std::vector<std::string> newest = rix::recent_documents(now, 1);
    if (newest.empty() || newest[0] != SAVED_PATH) return "the appended document is not the newest";
    return "";
}

}  // namespace

RIX_FUZZ_TARGET(edit_history, edit_history_entry)
