// Save temporaries: making them, recognising them, removing those of dead
// processes (see save_temporaries.h for the name).
#include "platform/save_temporaries.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <vector>

#include "platform/files.h"
#include "platform/instances.h"

namespace rix {
namespace {

constexpr std::string_view PREFIX = ".rix-save-";
constexpr std::size_t SUFFIX_CHARS = 6;
constexpr std::size_t MAX_PID_DIGITS = 10;

bool is_kind(char c) { return c == SAVE_TEMP_TEXT || c == SAVE_TEMP_EXTENSION || c == SAVE_TEMP_WRITE_OUT; }

bool is_suffix_char(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

}  // namespace

int create_save_temporary(const std::string& folder, char kind, std::string* path) {
    path->clear();
    if (!is_kind(kind)) return -1;
    std::string name = std::string(PREFIX) + std::to_string(::getpid()) + "-" + kind + "-XXXXXX";
    std::string pattern = join_path(folder.empty() ? "." : folder, name);
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    int fd = ::mkostemp(buf.data(), O_CLOEXEC);
    if (fd >= 0) *path = buf.data();
    return fd;
}

long save_temporary_owner(std::string_view name) {
    if (name.substr(0, PREFIX.size()) != PREFIX) return 0;
    name.remove_prefix(PREFIX.size());
    std::size_t digits = 0;
    long pid = 0;
    while (digits < name.size() && name[digits] >= '0' && name[digits] <= '9') {
        if (digits == MAX_PID_DIGITS) return 0;
        pid = pid * 10 + (name[digits] - '0');
        ++digits;
    }
    if (digits == 0 || name[0] == '0' || pid > 0x7FFFFFFF) return 0;
    name.remove_prefix(digits);
    if (name.size() != 3 + SUFFIX_CHARS || name[0] != '-' || !is_kind(name[1]) || name[2] != '-') return 0;
    for (char c : name.substr(3))
        if (!is_suffix_char(c)) return 0;
    return pid;
}

int remove_dead_save_temporaries(const std::string& folder) {
    const std::string where = folder.empty() ? "." : folder;
    int removed = 0;
    for (const std::string& name : list_folder_names(where)) {
        long pid = save_temporary_owner(name);
        if (pid == 0 || process_alive(pid)) continue;
        std::string path = join_path(where, name);
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) continue;
        if (std::time(nullptr) - st.st_mtime < SAVE_TEMPORARY_QUIET_SECONDS) continue;
        if (::unlink(path.c_str()) == 0) ++removed;
    }
    return removed;
}

}  // namespace rix
