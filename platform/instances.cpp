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
// Hold record "held-<pid>-<16 hex digits: FNV-1a 64 of the path>" (written
// whole through atomic_replace, removed when the mark is given back):
//   LINE  MEANING
//   1     holder's process id, decimal, > 0
//   2     holder's start time, clock ticks after boot, decimal; 0 = unknown
//   3     permission bits before the mark, octal, at most 07777
//   4     device of the marked file, decimal
//   5     inode of the marked file, decimal
//   rest  the marked file's absolute path, to end of file (no NUL)
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
#include <cinttypes>
#include <cstdio>
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
constexpr char HOLD_PREFIX[] = "held-";
constexpr std::size_t MAX_HOLD_BYTES = 8192;   // five number lines and a path of PATH_MAX
constexpr std::size_t MAX_STAT_BYTES = 4096;
constexpr std::uint32_t WRITE_BITS = 0222;

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

// Start of process `pid` in clock ticks after boot (field 22 of its stat
// line); 0 when it cannot be read. Tells a holder from a later process that
// was given the same id.
std::uint64_t process_start_time(long pid) {
    std::string line;
    if (pid <= 0 || !read_file_prefix("/proc/" + std::to_string(pid) + "/stat", MAX_STAT_BYTES, &line)) return 0;
    std::size_t close = line.rfind(')');
    if (close == std::string::npos) return 0;
    // After ")": field 3 (state) is the first; field 22 is the twentieth.
    std::size_t at = close + 1;
    for (int field = 3; field < 22; ++field) {
        at = line.find(' ', at + 1);
        if (at == std::string::npos) return 0;
    }
    std::uint64_t ticks = 0;
    for (std::size_t i = at + 1; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i)
        ticks = ticks * 10 + static_cast<std::uint64_t>(line[i] - '0');
    return ticks;
}

bool holder_alive(const HeldFile& h) {
    if (!process_alive(h.pid)) return false;
    if (h.start_time == 0) return true;
    std::uint64_t now = process_start_time(h.pid);
    return now == 0 || now == h.start_time;
}

std::string hold_record_name(long pid, const std::string& path) {
    std::uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : path) hash = (hash ^ c) * 1099511628211ull;
    char name[64];
    std::snprintf(name, sizeof name, "%s%ld-%016" PRIx64, HOLD_PREFIX, pid, hash);
    return name;
}

// One decimal (or octal) number ending at a line feed; false when the text
// there is not one.
bool take_number(std::string_view* text, int base, std::uint64_t* out) {
    std::size_t nl = text->find('\n');
    if (nl == std::string_view::npos || nl == 0 || nl > 20) return false;
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < nl; ++i) {
        int d = (*text)[i] - '0';
        if (d < 0 || d >= base) return false;
        if (v > (UINT64_MAX - static_cast<unsigned>(d)) / static_cast<unsigned>(base)) return false;
        v = v * static_cast<unsigned>(base) + static_cast<unsigned>(d);
    }
    *out = v;
    text->remove_prefix(nl + 1);
    return true;
}

std::optional<HeldFile> read_hold(const std::string& folder, const std::string& name) {
    std::string bytes;
    if (name.rfind(HOLD_PREFIX, 0) != 0 || !read_file_prefix(join_path(folder, name), MAX_HOLD_BYTES + 1, &bytes) ||
        bytes.size() > MAX_HOLD_BYTES)
        return std::nullopt;
    std::string_view text(bytes);
    std::uint64_t pid = 0, start = 0, mode = 0, device = 0, inode = 0;
    if (!take_number(&text, 10, &pid) || !take_number(&text, 10, &start) || !take_number(&text, 8, &mode) ||
        !take_number(&text, 10, &device) || !take_number(&text, 10, &inode))
        return std::nullopt;
    if (pid == 0 || pid > 0x7FFFFFFF || mode > 07777 || text.empty() || text[0] != '/' ||
        text.find('\0') != std::string_view::npos)
        return std::nullopt;
    HeldFile h;
    h.pid = static_cast<long>(pid);
    h.start_time = start;
    h.mode = static_cast<std::uint32_t>(mode);
    h.device = device;
    h.inode = inode;
    h.path = std::string(text);
    if (name != hold_record_name(h.pid, h.path)) return std::nullopt;   // a record under a name not its own
    h.record = name;
    return h;
}

// Whether `path` is the regular file a record names.
bool is_held_file(const std::string& path, const HeldFile& h, struct stat* st) {
    return ::lstat(path.c_str(), st) == 0 && S_ISREG(st->st_mode) &&
           static_cast<std::uint64_t>(st->st_dev) == h.device && static_cast<std::uint64_t>(st->st_ino) == h.inode;
}

// Where the file a record names is now: its path while that is the file;
// when nothing is left under the path, the entry of the same folder that is
// the file (renamed while held). "" when neither. A path that names another
// file (replaced since) is not followed: that file is not ours.
std::string locate_held_file(const HeldFile& h, struct stat* st) {
    if (is_held_file(h.path, h, st)) return h.path;
    if (::lstat(h.path.c_str(), st) == 0 || errno != ENOENT) return {};
    const std::string folder = folder_of(h.path);
    for (const std::string& name : list_folder_names(folder)) {
        std::string candidate = join_path(folder, name);
        if (is_held_file(candidate, h, st)) return candidate;
    }
    return {};
}

std::vector<HeldFile> read_holds(const std::string& folder) {
    std::vector<HeldFile> holds;
    for (const std::string& name : list_folder_names(folder))
        if (auto h = read_hold(folder, name)) holds.push_back(std::move(*h));
    return holds;
}

}  // namespace

bool process_alive(long pid) {
    if (pid <= 0 || pid > 0x7FFFFFFF) return false;
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

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

bool InstanceRegistry::record_hold(const std::string& path, std::uint32_t mode) {
    if (path.empty() || !usable_folder(folder_, true)) return false;
    std::string absolute = absolute_path(path);
    struct stat st {};
    if (::stat(absolute.c_str(), &st) != 0) return false;
    const long pid = static_cast<long>(::getpid());
    char numbers[128];
    std::snprintf(numbers, sizeof numbers, "%ld\n%" PRIu64 "\n%o\n%" PRIu64 "\n%" PRIu64 "\n", pid,
                  process_start_time(pid), static_cast<unsigned>(mode & 07777),
                  static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino));
    RegistryLock lock(folder_);
    if (!lock.held()) return false;
    return atomic_replace(join_path(folder_, hold_record_name(pid, absolute)), numbers + absolute);
}

void InstanceRegistry::release_hold(const std::string& path) {
    if (path.empty() || !usable_folder(folder_, false)) return;
    RegistryLock lock(folder_);
    if (!lock.held()) return;
    ::unlink(join_path(folder_, hold_record_name(static_cast<long>(::getpid()), absolute_path(path))).c_str());
}

std::vector<HeldFile> InstanceRegistry::stale_holds() const {
    std::vector<HeldFile> stale;
    if (!usable_folder(folder_, false)) return stale;
    for (HeldFile& h : read_holds(folder_))
        if (!holder_alive(h)) stale.push_back(std::move(h));
    std::sort(stale.begin(), stale.end(), [](const HeldFile& a, const HeldFile& b) { return a.path < b.path; });
    return stale;
}

std::string InstanceRegistry::stale_mark_location(const HeldFile& hold) const {
    if (!usable_folder(folder_, false)) return {};
    auto current = read_hold(folder_, hold.record);
    if (!current || holder_alive(*current)) return {};   // gone, or not stale after all
    for (const HeldFile& h : read_holds(folder_))
        if (h.record != hold.record && h.device == hold.device && h.inode == hold.inode && holder_alive(h))
            return {};
    struct stat st {};
    std::string where = locate_held_file(*current, &st);
    if (where.empty() || (st.st_mode & WRITE_BITS) != 0 || st.st_uid != ::geteuid()) return {};
    return where;
}

std::string InstanceRegistry::own_moved_file(const std::string& path) const {
    if (path.empty() || !usable_folder(folder_, false)) return {};
    auto own = read_hold(folder_, hold_record_name(static_cast<long>(::getpid()), absolute_path(path)));
    if (!own) return {};
    struct stat st {};
    return locate_held_file(*own, &st);
}

StaleMark InstanceRegistry::give_back_stale_mark(const HeldFile& hold) {
    if (!usable_folder(folder_, false)) return StaleMark::FAILED;
    RegistryLock lock(folder_);
    if (!lock.held()) return StaleMark::FAILED;
    auto current = read_hold(folder_, hold.record);
    if (!current || holder_alive(*current)) return StaleMark::LEFT;   // gone, or its holder lives: not ours to touch
    StaleMark result = StaleMark::LEFT;
    const std::string where = stale_mark_location(hold);
    if (!where.empty()) {
        if (::chmod(where.c_str(), static_cast<mode_t>(hold.mode & 07777)) != 0) return StaleMark::FAILED;
        result = StaleMark::GIVEN_BACK;
    }
    ::unlink(join_path(folder_, hold.record).c_str());
    return result;
}

std::string instance_socket_name(int number) {
    return "rix-" + std::to_string(::getuid()) + "-" + std::to_string(number);
}

}  // namespace rix
