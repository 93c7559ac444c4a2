// Instance numbering: the registry folder of the running editors of one user.
//
// Owns the registry folder's contents. Layout of the folder:
//   lock        empty file; flock(LOCK_EX) is held around every change
//   <number>    one entry per running instance, canonical decimal 1..99999
//   anything else (temporary files of atomic_replace included) is ignored
//
// Entry file "<number>" (written whole through atomic_replace, so a reader
// never sees half of one and list() needs no lock):
//   OFFSET  SIZE      MEANING
//   0       1..10     process id, decimal ASCII digits, > 0
//   n       1         '\n'
//   n+1     0..396    window title, UTF-8, at most 99 characters, to end of file
//
// The folder's contents are untrusted: names and bytes that do not fit the
// layout above are skipped, an entry file larger than MAX_ENTRY_BYTES is
// skipped unread, and a pid <= 0 (which kill() would read as a process group)
// is never used. The folder itself must be a real folder owned by this user
// and writable by nobody else, or the registry refuses to use it.
#include "platform/instances.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <optional>

#include "platform/files.h"

namespace rix {

namespace {

constexpr int MAX_INSTANCE_NUMBER = 99999;
constexpr std::size_t MAX_TITLE_CHARS = 99;
constexpr std::size_t MAX_TITLE_BYTES = MAX_TITLE_CHARS * 4;
constexpr std::size_t MAX_ENTRY_BYTES = 1024;   // pid line + MAX_TITLE_BYTES fit easily
constexpr char LOCK_NAME[] = "lock";

// The number named by an entry file, or 0 for any other name.
int entry_number(const std::string& name) {
    if (name.empty() || name.size() > 5 || name[0] == '0') return 0;
    int n = 0;
    for (char c : name) {
        if (c < '0' || c > '9') return 0;
        n = n * 10 + (c - '0');
    }
    return n <= MAX_INSTANCE_NUMBER ? n : 0;
}

bool continues_char(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Cuts UTF-8 text after MAX_TITLE_CHARS characters, never inside one, and
// never past MAX_TITLE_BYTES even when the text is not valid UTF-8 (an entry
// too long to read back would hide its instance and give its number away).
std::string cut_title(std::string_view title) {
    std::size_t cut = std::min(title.size(), MAX_TITLE_BYTES);
    std::size_t chars = 0;
    for (std::size_t i = 0; i < cut; ++i) {
        if (!continues_char(title[i]) && ++chars > MAX_TITLE_CHARS) cut = i;
    }
    while (cut > 0 && cut < title.size() && continues_char(title[cut])) --cut;
    return std::string(title.substr(0, cut));
}

bool process_alive(long pid) {
    if (pid <= 0 || pid > 0x7FFFFFFF) return false;
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

// Reads and checks one entry file; nothing for anything that is not one.
std::optional<InstanceEntry> read_entry(const std::string& folder, int number) {
    std::string bytes;
    if (!read_file_prefix(join_path(folder, std::to_string(number)), MAX_ENTRY_BYTES + 1, &bytes) ||
        bytes.size() > MAX_ENTRY_BYTES)
        return std::nullopt;
    std::size_t nl = bytes.find('\n');
    if (nl == std::string::npos || nl == 0 || nl > 10) return std::nullopt;
    long pid = 0;
    for (std::size_t i = 0; i < nl; ++i) {
        char c = bytes[i];
        if (c < '0' || c > '9') return std::nullopt;
        pid = pid * 10 + (c - '0');
    }
    if (pid <= 0 || pid > 0x7FFFFFFF) return std::nullopt;
    InstanceEntry e;
    e.number = number;
    e.pid = pid;
    e.title = cut_title(std::string_view(bytes).substr(nl + 1));
    return e;
}

bool write_entry(const std::string& folder, int number, long pid, const std::string& title) {
    std::string bytes = std::to_string(pid) + "\n" + cut_title(title);
    return atomic_replace(join_path(folder, std::to_string(number)), bytes);
}

// True when `folder` is a real folder of this user that no one else can
// change. With `create`, a missing folder is made (mode 0700).
bool usable_folder(const std::string& folder, bool create) {
    if (folder.empty()) return false;
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0) {
        if (!create || errno != ENOENT) return false;
        for (std::size_t slash = folder.find('/', 1); slash != std::string::npos;
             slash = folder.find('/', slash + 1))
            ::mkdir(folder.substr(0, slash).c_str(), 0700);   // missing parents; errors show below
        if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return false;
        if (::lstat(folder.c_str(), &st) != 0) return false;
    }
    return S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// Entries of the folder that read as such, sorted by number.
std::vector<InstanceEntry> read_entries(const std::string& folder) {
    std::vector<InstanceEntry> entries;
    for (const std::string& name : list_folder_names(folder)) {
        int number = entry_number(name);
        if (number == 0) continue;
        if (auto e = read_entry(folder, number)) entries.push_back(std::move(*e));
    }
    std::sort(entries.begin(), entries.end(),
              [](const InstanceEntry& a, const InstanceEntry& b) { return a.number < b.number; });
    return entries;
}

// Holds the registry's exclusive lock for its lifetime.
class RegistryLock {
public:
    explicit RegistryLock(const std::string& folder) {
        fd_ = ::open(join_path(folder, LOCK_NAME).c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd_ < 0) return;
        while (::flock(fd_, LOCK_EX) != 0) {
            if (errno != EINTR) {
                ::close(fd_);
                fd_ = -1;
                return;
            }
        }
    }
    ~RegistryLock() {
        if (fd_ >= 0) ::close(fd_);   // closing releases the lock
    }
    RegistryLock(const RegistryLock&) = delete;
    RegistryLock& operator=(const RegistryLock&) = delete;
    bool held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

std::string env_value(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

}  // namespace

std::string instance_registry_folder() {
    std::string own = env_value("RIX_RUNTIME_DIR");
    if (!own.empty()) return own;
    std::string runtime = env_value("XDG_RUNTIME_DIR");
    if (!runtime.empty() && runtime[0] == '/') return join_path(runtime, "rix");
    return "/tmp/rix-" + std::to_string(::getuid());
}

InstanceRegistry::InstanceRegistry(std::string folder) : folder_(std::move(folder)) {}

int InstanceRegistry::register_self(long pid, const std::string& title, int* highest_found) {
    if (highest_found) *highest_found = 0;
    if (pid <= 0 || pid > 0x7FFFFFFF || !usable_folder(folder_, true)) return 0;
    RegistryLock lock(folder_);
    if (!lock.held()) return 0;
    int highest = 0;
    for (const InstanceEntry& e : read_entries(folder_)) {
        if (process_alive(e.pid))
            highest = std::max(highest, e.number);
        else
            ::unlink(join_path(folder_, std::to_string(e.number)).c_str());
    }
    if (highest_found) *highest_found = highest;
    if (highest >= MAX_INSTANCE_NUMBER) return 0;
    int number = highest + 1;
    return write_entry(folder_, number, pid, title) ? number : 0;
}

void InstanceRegistry::update_title(int number, const std::string& title) {
    if (entry_number(std::to_string(number)) == 0 || !usable_folder(folder_, false)) return;
    RegistryLock lock(folder_);
    if (!lock.held()) return;
    if (auto e = read_entry(folder_, number)) write_entry(folder_, number, e->pid, title);
}

void InstanceRegistry::unregister(int number) {
    if (entry_number(std::to_string(number)) == 0 || !usable_folder(folder_, false)) return;
    RegistryLock lock(folder_);
    if (!lock.held()) return;
    ::unlink(join_path(folder_, std::to_string(number)).c_str());
}

std::vector<InstanceEntry> InstanceRegistry::list(std::size_t limit) const {
    std::vector<InstanceEntry> live;
    if (!usable_folder(folder_, false)) return live;
    for (InstanceEntry& e : read_entries(folder_)) {
        if (live.size() >= limit) break;
        if (process_alive(e.pid)) live.push_back(std::move(e));
    }
    return live;
}

std::string instance_socket_name(int number) {
    return "rix-" + std::to_string(::getuid()) + "-" + std::to_string(number);
}

}  // namespace rix
