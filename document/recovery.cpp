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
#include "document/storage.h"
#include "platform/codec.h"
#include "platform/files.h"

namespace rix {
namespace {

constexpr char RECOVERY_MARK[] = ".recovered";
constexpr std::uint32_t OWNER_WRITE = 0200;
constexpr std::size_t RECOVERY_JUDGED_BYTES = 65536;   // the head judged for UTF-8

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

// The first recovery name free for both the text and its extension file.
std::string free_recovery_path(const std::string& text_path) {
    for (int n = 1; n <= MAX_RECOVERY_FILES; ++n) {
        std::string path = recovery_path_for(text_path, n);
        struct stat st {};
        if (::lstat(path.c_str(), &st) == 0 || ::lstat(extension_path_for(path).c_str(), &st) == 0) continue;
        return path;
    }
    return {};
}

// A new recovery name is taken only by the rename that puts a whole file
// there, and never over a file: two editors ending at once never share one,
// and an editor killed while it writes leaves no file under the name (its
// save temporary goes with the next save in the folder).
int rename_unless_taken(const char* from, const char* to) { return rename_no_overwrite(from, to) ? 0 : -1; }

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
                                SaveRequest request, Notices* notices) {
    const std::string& document = state.save_name.empty() ? state.opened_path : state.save_name;
    const bool fresh = state.recovered_from.empty();
    std::string target = fresh ? free_recovery_path(document) : state.recovered_from;
    if (target.empty()) return {};
    if (fresh && !request.rename) request.rename = rename_unless_taken;
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
    SaveResult result = save_document(doc, copy, session, request, run, notices);
    if (copy.text_fd >= 0) ::close(copy.text_fd);
    return result == SaveResult::Saved ? target : std::string();
}

bool recovery_file_whole(const std::string& path) {
    const int fd = open_regular_file(path);
    if (fd < 0) return false;
    struct stat st {};
    char last = 0;
    const bool ended = ::fstat(fd, &st) == 0 && st.st_size > 0 && ::pread(fd, &last, 1, st.st_size - 1) == 1;
    ::close(fd);
    if (!ended) return false;
    if (static_cast<std::uint8_t>(last) == TEXT_END_MARK) return true;
    // Written without the end mark: a UTF-8 text that had none, or an
    // enciphered one (its end mark is enciphered too).
    ExtensionHeader header;
    if (read_extension_header(path, &header) == ExtensionStatus::OK && header.encrypted) return true;
    std::string head;
    return read_file_prefix(path, RECOVERY_JUDGED_BYTES, &head) &&
           judge_encoding(head, head.size() < RECOVERY_JUDGED_BYTES).encoding == TextEncoding::UTF8;
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
