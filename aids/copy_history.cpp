// The copy history and its file (see copy_history.h).
#include "aids/copy_history.h"

#include <cstdint>

#include "platform/codec.h"
#include "platform/files.h"

namespace rix {
namespace {

void push_entry(CopyHistory& history, std::string entry) {
    history.entries.push_back(std::move(entry));
    if (history.entries.size() > COPY_HISTORY_ENTRIES)
        history.entries.erase(history.entries.begin(), history.entries.end() - COPY_HISTORY_ENTRIES);
}

// A line (without its end) is sound when it holds only text: no byte that
// never stands as text, every lead byte followed by its trail byte.
bool sound_line(std::string_view line) {
    for (std::size_t i = 0; i < line.size(); ++i) {
        const auto b = static_cast<std::uint8_t>(line[i]);
        if (is_never_text_byte(b) || b == '\n') return false;
        if (is_lead_byte(b)) {
            if (i + 1 >= line.size() || !is_trail_byte(static_cast<std::uint8_t>(line[i + 1]))) return false;
            ++i;
        }
    }
    return true;
}

// Every CR of a line back into CR LF. The expansion stops two bytes past
// the slot: enough for copy_history_entry to see where to cut.
std::string expand_line(std::string_view line) {
    std::string out;
    out.reserve(line.size() + 8);
    for (char ch : line) {
        if (out.size() >= COPY_HISTORY_ENTRY_BYTES + 3) break;
        out.push_back(ch);
        if (ch == '\r') out.push_back('\n');
    }
    return out;
}

}  // namespace

std::string copy_history_entry(std::string_view text) {
    std::size_t n = cut_on_boundary(text, COPY_HISTORY_ENTRY_BYTES);
    if (n > 0 && n < text.size() && text[n - 1] == '\r' && text[n] == '\n') --n;
    return std::string(text.substr(0, n));
}

void add_copy_history(CopyHistory& history, std::string_view text) {
    push_entry(history, copy_history_entry(text));
    history.changed = true;
}

bool remove_copy_history_entry(CopyHistory& history, std::size_t index) {
    if (index >= history.entries.size()) return false;
    history.entries.erase(history.entries.begin() + static_cast<std::ptrdiff_t>(index));
    history.changed = true;
    return true;
}

void clear_copy_history(CopyHistory& history) {
    history.entries.clear();
    history.changed = true;
}

std::string copy_history_file_bytes(const CopyHistory& history) {
    std::string out;
    for (const std::string& e : history.entries) {
        for (std::size_t i = 0; i < e.size(); ++i) {
            out.push_back(e[i]);
            if (e[i] == '\r' && i + 1 < e.size() && e[i + 1] == '\n') ++i;
        }
        out += "\r\n";
    }
    return out;
}

CopyHistoryFile parse_copy_history(std::string_view bytes, bool cut_short, CopyHistory* history) {
    history->entries.clear();
    history->changed = false;
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t lf = bytes.find('\n', at);
        std::string_view line;
        if (lf == std::string_view::npos) {
            if (cut_short) return CopyHistoryFile::DAMAGED;   // the rest lies past what was read
            line = bytes.substr(at);
            at = bytes.size();
        } else {
            line = bytes.substr(at, lf - at);
            at = lf + 1;
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        }
        if (!sound_line(line)) return CopyHistoryFile::DAMAGED;
        push_entry(*history, copy_history_entry(expand_line(line)));
    }
    return cut_short ? CopyHistoryFile::DAMAGED : CopyHistoryFile::READ;
}

CopyHistoryFile load_copy_history(const std::string& path, CopyHistory* history) {
    history->entries.clear();
    history->changed = false;
    const PathKind kind = path_kind(path);
    if (kind == PathKind::MISSING) return CopyHistoryFile::MISSING;
    const std::int64_t size = file_size(path);
    std::string bytes;
    if (kind != PathKind::REGULAR || size < 0 || !read_file_prefix(path, COPY_HISTORY_READ_LIMIT, &bytes))
        return CopyHistoryFile::FAILED;
    const bool cut_short = static_cast<std::uint64_t>(size) > bytes.size();
    return parse_copy_history(bytes, cut_short, history);
}

bool save_copy_history(const std::string& path, CopyHistory& history) {
    if (!atomic_replace(path, copy_history_file_bytes(history))) return false;
    history.changed = false;
    return true;
}

}  // namespace rix
