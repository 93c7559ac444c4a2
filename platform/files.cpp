// Files: the data folder, safe replacement, the in-use mark, whole-file reads.
//
// Owns every direct POSIX file call of the program outside the archive and
// network code. Design rules kept here:
// - A file under its final name is always whole: new contents go to a
//   temporary file in the same folder, are synced, and are renamed into place.
//   A temporary file is named ".<target name>.tmp-XXXXXX" (the target name cut
//   to 200 bytes) and is removed again on every failure.
// - Reads never block on a FIFO or device: only regular files are read.
// - Nothing here shows a message or throws; failures come back as false / -1
//   with errno as the system left it.
#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>

#include "platform/file_names.h"

namespace rix {

namespace {

constexpr std::size_t READ_CHUNK = 64 * 1024;
// read_whole_file refuses anything larger: the buffer's offsets are 32-bit and
// a larger allocation would only end the process.
constexpr std::int64_t MAX_WHOLE_FILE_BYTES = std::int64_t{1} << 30;
constexpr std::size_t MAX_TEMP_BASE_BYTES = 200;   // keeps temp names under NAME_MAX
constexpr int MAX_INSTALL_DEPTH = 32;              // resource subfolder nesting
constexpr mode_t FOLDER_MODE = 0700;               // data folders are private
constexpr mode_t WRITE_BITS = S_IWUSR | S_IWGRP | S_IWOTH;

std::string env_value(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

PathKind kind_of_mode(mode_t mode) {
    if (S_ISREG(mode)) return PathKind::REGULAR;
    if (S_ISDIR(mode)) return PathKind::FOLDER;
    if (S_ISFIFO(mode)) return PathKind::FIFO;
    if (S_ISCHR(mode) || S_ISBLK(mode)) return PathKind::DEVICE;
    if (S_ISSOCK(mode)) return PathKind::SOCKET;
    return PathKind::OTHER;
}

// Opens a regular file for reading without blocking on FIFOs or devices:
// the path is judged before it is opened (a device is never opened), and the
// descriptor again after (the path may have changed in between).
int open_regular_for_read(const std::string& path, struct stat* st, PathKind* kind = nullptr) {
    PathKind judged = path_kind(path);
    if (kind) *kind = judged;
    if (judged != PathKind::REGULAR) {
        errno = judged == PathKind::MISSING ? ENOENT : judged == PathKind::NO_ACCESS ? EACCES : EINVAL;
        return -1;
    }
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        int saved = errno;
        if (kind) *kind = saved == EACCES || saved == EPERM ? PathKind::NO_ACCESS : path_kind(path);
        if (kind && *kind == PathKind::REGULAR) *kind = PathKind::OTHER;
        errno = saved;
        return -1;
    }
    if (::fstat(fd, st) != 0 || !S_ISREG(st->st_mode)) {
        if (kind) *kind = kind_of_mode(st->st_mode);
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    int fl = ::fcntl(fd, F_GETFL);
    if (fl >= 0) ::fcntl(fd, F_SETFL, fl & ~O_NONBLOCK);
    return fd;
}

// Appends up to `limit` bytes from fd to *out. False on a read error.
bool read_up_to(int fd, std::size_t limit, std::string* out) {
    char buf[READ_CHUNK];
    std::size_t got = 0;
    while (got < limit) {
        std::size_t want = std::min(limit - got, sizeof buf);
        ssize_t n = ::read(fd, buf, want);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) break;
        out->append(buf, static_cast<std::size_t>(n));
        got += static_cast<std::size_t>(n);
    }
    return true;
}

bool write_all(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) {
            errno = EIO;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool fsync_retry(int fd) {
    while (::fsync(fd) != 0) {
        if (errno != EINTR) return false;
    }
    return true;
}

// Best effort: makes a rename inside `folder` durable.
void sync_folder(const std::string& folder) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync_retry(fd);
    ::close(fd);
}

// Six letters and digits for attempt `attempt` of one name: random, or
// without a random source mixed from the clock, the process and the attempt.
std::string random_suffix(unsigned attempt) {
    static const char ALPHABET[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    unsigned char b[6];
    if (::getrandom(b, sizeof b, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof b)) {
        struct timespec ts {};
        ::clock_gettime(CLOCK_MONOTONIC, &ts);
        unsigned long mix = static_cast<unsigned long>(ts.tv_nsec) ^
                            (static_cast<unsigned long>(::getpid()) << 16) ^ ((attempt + 1u) * 2654435761u);
        for (auto& c : b) {
            c = static_cast<unsigned char>(mix);
            mix = mix * 6364136223846793005ul + 1442695040888963407ul;
            c ^= static_cast<unsigned char>(mix >> 56);
        }
    }
    std::string s;
    for (unsigned char c : b) s.push_back(ALPHABET[c % (sizeof ALPHABET - 1)]);
    return s;
}

// A temporary file next to its target. Created with `create_mode` (the umask
// applies), so a new file ends up with the same bits as create_exclusive gives.
struct TempFile {
    int fd = -1;
    std::string path;

    bool open_beside(const std::string& target, mode_t create_mode) {
        std::string base = name_of(target).substr(0, MAX_TEMP_BASE_BYTES);
        std::string folder = folder_of(target);
        for (unsigned attempt = 0; attempt < 100; ++attempt) {
            path = join_path(folder, "." + base + ".tmp-" + random_suffix(attempt));
            fd = ::open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC | O_NOFOLLOW, create_mode);
            if (fd >= 0) return true;
            if (errno != EEXIST) break;
        }
        path.clear();
        return false;
    }
    // Syncs and closes the file; false when the data may not be on disk.
    bool finish() {
        bool ok = fsync_retry(fd);
        if (::close(fd) != 0 && errno != EINTR) ok = false;
        fd = -1;
        return ok;
    }
    void discard() {
        int saved = errno;
        if (fd >= 0) ::close(fd);
        if (!path.empty()) ::unlink(path.c_str());
        fd = -1;
        path.clear();
        errno = saved;
    }
};

// A symbolic link is replaced through: the file it names gets the new
// contents and the link stays a link. A dangling link is replaced itself.
std::string replace_target(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char* real = ::realpath(path.c_str(), nullptr);
    if (!real) return path;
    std::string r(real);
    std::free(real);
    return r;
}

bool make_folders(const std::string& folder) {
    if (folder.empty()) return false;
    std::size_t pos = 0;
    while (pos != std::string::npos) {
        pos = folder.find('/', pos + 1);
        std::string part = folder.substr(0, pos);
        if (::mkdir(part.c_str(), FOLDER_MODE) != 0 && errno != EEXIST && !folder_exists(part))
            return false;
    }
    return folder_exists(folder);
}

// Copies one file into `to`, which must not exist; an existing `to` (someone
// installed it meanwhile) is left alone and counts as success.
bool copy_missing_file(const std::string& from, const std::string& to, mode_t mode) {
    struct stat st {};
    int in = open_regular_for_read(from, &st);
    if (in < 0) return false;
    TempFile tmp;
    bool ok = tmp.open_beside(to, mode);
    char buf[READ_CHUNK];
    while (ok) {
        ssize_t n = ::read(in, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        ok = write_all(tmp.fd, buf, static_cast<std::size_t>(n));
    }
    ::close(in);
    if (ok) ok = tmp.finish();
    if (ok && rename_no_overwrite(tmp.path, to)) {
        tmp.path.clear();
        sync_folder(folder_of(to));
        return true;
    }
    if (ok) ok = errno == EEXIST;   // installed meanwhile by someone else
    tmp.discard();
    return ok;
}

// Gives the installed members of a group one modification time: a text and
// its extension file of different minutes would make the editor ask which
// to trust.
void give_one_time(const std::string& folder, const std::vector<std::string>& names) {
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const struct timespec times[2] = {now, now};
    for (const std::string& name : names) ::utimensat(AT_FDCWD, join_path(folder, name).c_str(), times, 0);
}

// Installs the regular files `names` of `source`, group by group. A group
// is installed only when none of its members is in `folder`: a writer's own
// サンプル.txt never gets a shipped サンプル.rix beside it, nor a fresh text
// a writer's old extension file. Those named in `private_names` are created
// with mode 0600 (the others 0666, less the umask).
bool install_files(const std::string& folder, const std::string& source, const std::vector<std::string>& names,
                   const std::vector<std::string>& private_names) {
    std::map<std::string, std::vector<std::string>, std::less<>> groups;
    for (const std::string& name : names) groups[std::string(stem_of(name))].push_back(name);
    bool ok = true;
    for (const auto& [stem, group] : groups) {
        bool present = false;
        for (const std::string& name : group) {
            struct stat existing {};
            if (::lstat(join_path(folder, name).c_str(), &existing) == 0) present = true;   // never overwrite
        }
        if (present) continue;
        for (const std::string& name : group) {
            const bool secret = std::find(private_names.begin(), private_names.end(), name) != private_names.end();
            if (!copy_missing_file(join_path(source, name), join_path(folder, name), secret ? 0600 : 0666)) ok = false;
        }
        if (group.size() > 1) give_one_time(folder, group);
    }
    return ok;
}

bool install_tree(const std::string& folder, const std::string& source, int depth,
                  const std::vector<std::string>& private_names) {
    if (depth > MAX_INSTALL_DEPTH) return false;
    bool ok = true;
    std::vector<std::string> files;
    for (const std::string& name : list_folder_names(source)) {
        std::string from = join_path(source, name);
        std::string to = join_path(folder, name);
        struct stat st {};
        if (::lstat(from.c_str(), &st) != 0) continue;
        if (S_ISDIR(st.st_mode)) {   // a linked folder is not followed
            if (!make_folders(to) || !install_tree(to, from, depth + 1, {})) ok = false;
            continue;
        }
        if (S_ISLNK(st.st_mode) && (::stat(from.c_str(), &st) != 0)) continue;
        if (S_ISREG(st.st_mode)) files.push_back(name);
    }
    return install_files(folder, source, files, private_names) && ok;
}

// Lexical clean-up of an absolute path: no empty, "." or ".." segments.
std::string normalise_absolute(std::string_view path) {
    std::vector<std::string_view> parts;
    std::size_t pos = 0;
    while (pos < path.size()) {
        std::size_t end = path.find('/', pos);
        if (end == std::string_view::npos) end = path.size();
        std::string_view seg = path.substr(pos, end - pos);
        if (seg == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!seg.empty() && seg != ".") {
            parts.push_back(seg);
        }
        pos = end + 1;
    }
    if (parts.empty()) return "/";
    std::string out;
    for (std::string_view p : parts) {
        out += '/';
        out += p;
    }
    return out;
}

std::string current_folder() {
    std::string buf(4096, '\0');
    for (int i = 0; i < 6; ++i) {
        if (::getcwd(buf.data(), buf.size())) return std::string(buf.c_str());
        if (errno != ERANGE) return {};
        buf.resize(buf.size() * 2);
    }
    return {};
}

std::string_view strip_trailing_slashes(std::string_view path) {
    while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
    return path;
}

}  // namespace

bool same_file(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty()) return false;
    if (absolute_path(a) == absolute_path(b)) return true;
    struct stat sa {}, sb {};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

std::string random_uuid() {
    unsigned char b[16];
    if (::getrandom(b, sizeof b, 0) != static_cast<ssize_t>(sizeof b)) {
        // No entropy source: the time and the process mixed in (still unique enough for a book).
        struct timespec ts {};
        ::clock_gettime(CLOCK_REALTIME, &ts);
        unsigned long mix = static_cast<unsigned long>(ts.tv_nsec) ^ (static_cast<unsigned long>(ts.tv_sec) << 20) ^
                            (static_cast<unsigned long>(::getpid()) << 40);
        for (auto& c : b) {
            mix = mix * 6364136223846793005ul + 1442695040888963407ul;
            c = static_cast<unsigned char>(mix >> 56);
        }
    }
    b[6] = static_cast<unsigned char>((b[6] & 0x0F) | 0x40);   // version 4
    b[8] = static_cast<unsigned char>((b[8] & 0x3F) | 0x80);   // the RFC 4122 variant
    static const char HEX[] = "0123456789abcdef";
    std::string s;
    for (int i = 0; i < 16; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) s += '-';
        s += HEX[b[i] >> 4];
        s += HEX[b[i] & 0x0F];
    }
    return s;
}

std::string data_folder() {
    std::string home = env_value("RIX_HOME");
    if (!home.empty()) return home;
    std::string xdg = env_value("XDG_DATA_HOME");
    if (!xdg.empty() && xdg[0] == '/') return join_path(xdg, "rix");   // relative ones are invalid
    std::string home_dir = env_value("HOME");
    if (home_dir.empty()) {
        if (const struct passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) home_dir = pw->pw_dir;
    }
    return join_path(home_dir, ".local/share/rix");
}

bool install_data_folder(const std::string& folder, const std::string& resource_dir,
                         const std::vector<std::string>& private_names) {
    if (!make_folders(folder)) return false;
    if (!folder_exists(resource_dir)) return true;   // nothing to copy
    return install_tree(folder, resource_dir, 0, private_names);
}

bool keep_private(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid();
    if (ok && (st.st_mode & (S_IRWXG | S_IRWXO)) != 0)
        ok = ::fchmod(fd, st.st_mode & 07777 & ~(S_IRWXG | S_IRWXO)) == 0;
    ::close(fd);
    return ok;
}

std::string join_path(std::string_view folder, std::string_view name) {
    while (!name.empty() && name.front() == '/') name.remove_prefix(1);
    if (folder.empty()) return std::string(name);
    if (name.empty()) return std::string(folder);
    std::string out(folder);
    while (out.size() > 1 && out.back() == '/') out.pop_back();
    if (out != "/") out += '/';
    out += name;
    return out;
}

std::string folder_of(std::string_view path) {
    path = strip_trailing_slashes(path);
    std::size_t slash = path.rfind('/');
    if (slash == std::string_view::npos) return {};
    std::string_view folder = path.substr(0, slash);
    while (!folder.empty() && folder.back() == '/') folder.remove_suffix(1);
    return folder.empty() ? std::string("/") : std::string(folder);
}

std::string name_of(std::string_view path) {
    path = strip_trailing_slashes(path);
    if (path == "/") return {};
    std::size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string absolute_path(std::string_view path, std::string_view base) {
    if (!path.empty() && path.front() == '/') return normalise_absolute(path);
    std::string from(base);
    if (from.empty() || from.front() != '/') {
        std::string cwd = current_folder();
        if (cwd.empty()) return std::string(path);
        from = join_path(cwd, from);
    }
    return normalise_absolute(join_path(from, path));
}

std::string link_target(const std::string& path) { return replace_target(path); }

bool file_exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool folder_exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::int64_t file_size(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
    return st.st_size;
}

bool file_modified_time(const std::string& path, std::int64_t* seconds) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    *seconds = st.st_mtime;
    return true;
}

PathKind path_kind(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) return kind_of_mode(st.st_mode);
    switch (errno) {
    case ELOOP: return PathKind::LINK_LOOP;
    case EACCES:
    case EPERM: return PathKind::NO_ACCESS;
    case ENOENT:
        return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode) ? PathKind::BROKEN_LINK : PathKind::MISSING;
    case ENOTDIR: return PathKind::MISSING;
    default: return PathKind::OTHER;
    }
}

int open_regular_file(const std::string& path, PathKind* kind) {
    struct stat st {};
    return open_regular_for_read(path, &st, kind);
}

bool read_file_prefix(const std::string& path, std::size_t limit, std::string* out) {
    out->clear();
    struct stat st {};
    int fd = open_regular_for_read(path, &st);
    if (fd < 0) return false;
    bool ok = read_up_to(fd, limit, out);
    ::close(fd);
    return ok;
}

bool read_whole_file(const std::string& path, std::string* out) {
    out->clear();
    struct stat st {};
    int fd = open_regular_for_read(path, &st);
    if (fd < 0) return false;
    bool ok = false;
    if (st.st_size <= MAX_WHOLE_FILE_BYTES) {
        out->reserve(static_cast<std::size_t>(st.st_size));
        // One byte past the cap tells a file that grew too large while read.
        ok = read_up_to(fd, static_cast<std::size_t>(MAX_WHOLE_FILE_BYTES) + 1, out);
        if (ok && out->size() > static_cast<std::size_t>(MAX_WHOLE_FILE_BYTES)) ok = false;
    } else {
        errno = EFBIG;
    }
    int saved = errno;
    ::close(fd);
    if (!ok) {
        out->clear();
        errno = saved;
    }
    return ok;
}

bool FileReplacement::open(const std::string& path, int mode) {
    discard();
    if (path.empty()) {
        errno = ENOENT;
        return false;
    }
    target_ = replace_target(path);
    mode_ = mode;
    struct stat st {};
    existing_ = ::stat(target_.c_str(), &st) == 0;
    if (existing_ && !S_ISREG(st.st_mode)) {
        errno = EISDIR;
        return false;
    }
    old_mode_ = existing_ ? static_cast<std::uint32_t>(st.st_mode & 07777) : 0;
    old_uid_ = existing_ ? static_cast<std::uint32_t>(st.st_uid) : 0;
    old_gid_ = existing_ ? static_cast<std::uint32_t>(st.st_gid) : 0;
    TempFile tmp;
    // An existing file's contents stay private until its own mode is applied.
    if (!tmp.open_beside(target_, existing_ || mode >= 0 ? 0600 : 0666)) return false;
    fd_ = tmp.fd;
    temp_ = tmp.path;
    return true;
}

bool FileReplacement::commit() {
    if (temp_.empty()) {
        errno = EBADF;
        return false;
    }
    bool ok = true;
    if (existing_) {
        if (old_uid_ != ::geteuid() || old_gid_ != ::getegid())
            (void)!::fchown(fd_, old_uid_, old_gid_);   // best effort, before the mode
        ok = ::fchmod(fd_, mode_ >= 0 ? static_cast<mode_t>(mode_) : static_cast<mode_t>(old_mode_)) == 0;
    } else if (mode_ >= 0) {
        ok = ::fchmod(fd_, static_cast<mode_t>(mode_)) == 0;
    }
    TempFile tmp;
    tmp.fd = fd_;
    tmp.path = temp_;
    fd_ = -1;
    if (ok) ok = tmp.finish();
    if (ok) ok = ::rename(tmp.path.c_str(), target_.c_str()) == 0;
    temp_.clear();
    if (!ok) {
        tmp.discard();
        return false;
    }
    const std::string folder = folder_of(target_);
    sync_folder(folder.empty() ? std::string(".") : folder);
    return true;
}

void FileReplacement::discard() {
    TempFile tmp;
    tmp.fd = fd_;
    tmp.path = temp_;
    tmp.discard();
    fd_ = -1;
    temp_.clear();
}

namespace {

bool replace_file(const std::string& path, std::string_view bytes, int mode) {
    FileReplacement out;
    if (!out.open(path, mode)) return false;
    if (!write_all(out.descriptor(), bytes.data(), bytes.size())) {
        out.discard();
        return false;
    }
    return out.commit();
}

}  // namespace

bool atomic_replace(const std::string& path, std::string_view bytes) { return replace_file(path, bytes, -1); }

bool atomic_replace_private(const std::string& path, std::string_view bytes) { return replace_file(path, bytes, 0600); }

bool rename_no_overwrite(const std::string& from, const std::string& to) {
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return false;
#endif
    // The file system cannot rename without replacing: a hard link fails on
    // an existing name, so link + unlink never overwrites either.
    if (::link(from.c_str(), to.c_str()) != 0) return false;
    if (::unlink(from.c_str()) != 0) {
        int saved = errno;
        ::unlink(to.c_str());   // leave things as they were
        errno = saved;
        return false;
    }
    return true;
}

int create_exclusive(const std::string& path) {
    return ::open(path.c_str(), O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC, 0666);
}

bool is_read_only(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && (st.st_mode & S_IWUSR) == 0;
}

namespace {
InUseMarkJournal* mark_journal = nullptr;   // the one journal of the process, if any
}  // namespace

void install_in_use_mark_journal(InUseMarkJournal* journal) { mark_journal = journal; }

bool set_in_use_mark(const std::string& path, std::uint32_t* saved_mode) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    mode_t mode = st.st_mode & 07777;
    // Recorded before the bits go: a process killed in between leaves a
    // record of a writable file, which the next start leaves alone.
    if (mark_journal) mark_journal->marked(path, mode);
    if (::chmod(path.c_str(), mode & ~WRITE_BITS) != 0) {
        if (mark_journal) mark_journal->unmarked(path);
        return false;
    }
    *saved_mode = mode;
    return true;
}

bool clear_in_use_mark(const std::string& path, std::uint32_t saved_mode) {
    std::string target = path;
    struct stat st {};
    if (mark_journal && ::lstat(path.c_str(), &st) != 0 && errno == ENOENT) {
        std::string moved = mark_journal->moved_file(path);
        if (!moved.empty()) target = std::move(moved);
    }
    bool ok = ::chmod(target.c_str(), static_cast<mode_t>(saved_mode & 07777)) == 0;
    if (ok && mark_journal) mark_journal->unmarked(path);
    return ok;
}

std::vector<std::string> list_folder_names(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return names;
    while (struct dirent* e = ::readdir(dir)) {
        std::string_view n(e->d_name);
        if (n == "." || n == "..") continue;
        names.emplace_back(n);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace rix
