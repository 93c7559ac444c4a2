// Recovery files (see recovery.h).
#include "document/recovery.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string_view>
#include <utility>

#include "document/extension_file.h"
#include "document/load_report.h"
#include "platform/codec.h"
#include "platform/files.h"

namespace rix {
namespace {

constexpr char RECOVERY_MARK[] = ".recovered";
constexpr std::uint32_t OWNER_WRITE = 0200;

// Modification time in nanoseconds, or -1.
long long modified_ns(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return -1;
    return static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
}

// The permission bits a recovery file gets: the document's (before its mark),
// always writable by its owner.
std::uint32_t recovery_mode(const DocumentState& state) {
    if (state.in_use_mark_held) return state.saved_mode | OWNER_WRITE;
    struct stat st {};
    const std::string& name = state.save_name.empty() ? state.opened_path : state.save_name;
    if (::stat(name.c_str(), &st) == 0) return (st.st_mode & 07777) | OWNER_WRITE;
    return 0600;
}

// The first free recovery name, claimed by creating it empty, so that two
// editors ending at once never pick the same one.
std::string claim_free_recovery_path(const std::string& text_path) {
    for (int n = 1; n <= MAX_RECOVERY_FILES; ++n) {
        std::string path = recovery_path_for(text_path, n);
        struct stat st {};
        if (::lstat(path.c_str(), &st) == 0 || ::lstat(extension_path_for(path).c_str(), &st) == 0) continue;
        const int fd = create_exclusive(path);
        if (fd < 0) continue;
        ::close(fd);
        return path;
    }
    return {};
}

}  // namespace

std::string recovery_path_for(const std::string& text_path, int n) {
    if (text_path.empty() || n < 1 || n > MAX_RECOVERY_FILES) return {};
    std::string name = name_of(text_path);
    std::size_t dot = name.rfind('.');
    std::string stem = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
    std::string ext = dot == std::string::npos || dot == 0 ? ".txt" : name.substr(dot);
    std::string mark = RECOVERY_MARK;
    if (n > 1) mark += "-" + std::to_string(n);
    return join_path(folder_of(text_path), stem + mark + ext);
}

std::vector<std::string> find_recovery_files(const std::string& text_path) {
    std::vector<std::pair<long long, std::string>> found;
    for (int n = 1; n <= MAX_RECOVERY_FILES; ++n) {
        std::string path = recovery_path_for(text_path, n);
        if (!path.empty() && file_exists(path)) found.emplace_back(modified_ns(path), path);
    }
    std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<std::string> paths;
    for (auto& f : found) paths.push_back(std::move(f.second));
    return paths;
}

std::string write_recovery_file(Document& doc, const DocumentState& state, LoadSession& session,
                                SaveRequest request) {
    const std::string& document = state.save_name.empty() ? state.opened_path : state.save_name;
    const bool claimed = state.recovered_from.empty();
    std::string target = claimed ? claim_free_recovery_path(document) : state.recovered_from;
    if (target.empty()) return {};
    // A save of the whole document under the recovery name, on a copy of the
    // state: the copy holds a second descriptor of the text file (the rest of
    // a partly loaded document is read through it) and a mark of its own,
    // given up at the end, so that the document keeps its file and its mark.
    DocumentState copy = state;
    copy.save_name = target;
    copy.opened_path.clear();   // no backup of the recovery file it may replace
    copy.text_fd = state.text_fd >= 0 ? ::fcntl(state.text_fd, F_DUPFD_CLOEXEC, 0) : -1;
    copy.in_use_mark_held = true;
    copy.saved_mode = recovery_mode(state);
    copy.created_new = false;
    copy.recovered_from.clear();
    if (copy.modified == 0) copy.modified = MODIFIED_TEXT;
    request.mode = SAVE_MODE_SWITCH_OR_END;
    request.no_backup = false;
    request.copy = true;
    SaveRun run;
    SaveResult result = save_document(doc, copy, session, request, run);
    if (copy.text_fd >= 0) ::close(copy.text_fd);
    if (result == SaveResult::Saved) return target;
    // The claim of a name whose save failed is given up (it is still empty).
    struct stat st {};
    if (claimed && ::lstat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size == 0) ::unlink(target.c_str());
    return {};
}

void remove_recovery_file(const std::string& path) {
    if (path.empty()) return;
    std::string ext = extension_path_for(path);
    if (!ext.empty()) ::unlink(ext.c_str());
    ::unlink(path.c_str());
}

bool file_loses_characters(const std::string& text_path) {
    const int fd = open_regular_file(text_path);
    if (fd < 0) return false;
    std::string bytes;
    char piece[65536];
    for (;;) {
        const ssize_t got = ::read(fd, piece, sizeof piece);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        bytes.append(piece, static_cast<std::size_t>(got));
    }
    ::close(fd);
    const EncodingJudgement j = judge_encoding(bytes, true);
    if (j.encoding != TextEncoding::UTF8) return false;
    std::string_view text = bytes;
    if (j.bom) text.remove_prefix(UTF8_BOM.size());
    std::string converted;
    std::vector<LostCharacter> lost;
    utf8_text_to_sjis(text, false, &converted, &lost);
    return !lost.empty();
}

}  // namespace rix
