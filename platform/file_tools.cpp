// Folder reading, overwriting before removal, the read-only mark and
// temporary output files (see file_tools.h).
#include "platform/file_tools.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/files.h"

namespace rix {

FolderReader::~FolderReader() {
    if (dir_) ::closedir(dir_);
}

FolderReader::FolderReader(FolderReader&& other) noexcept : dir_(other.dir_) { other.dir_ = nullptr; }

FolderReader& FolderReader::operator=(FolderReader&& other) noexcept {
    if (this != &other) {
        if (dir_) ::closedir(dir_);
        dir_ = other.dir_;
        other.dir_ = nullptr;
    }
    return *this;
}

bool FolderReader::open(const std::string& folder) {
    if (dir_) ::closedir(dir_);
    dir_ = ::opendir(folder.empty() ? "." : folder.c_str());
    return dir_ != nullptr;
}

bool FolderReader::next(FolderEntry* out, bool follow_links) {
    if (!dir_) return false;
    for (;;) {
        errno = 0;
        const struct dirent* d = ::readdir(dir_);
        if (!d) return false;
        if (std::strcmp(d->d_name, ".") == 0 || std::strcmp(d->d_name, "..") == 0) continue;
        *out = FolderEntry{};
        out->name = d->d_name;
        struct stat st {};
        if (::fstatat(::dirfd(dir_), d->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) return true;
        out->link = S_ISLNK(st.st_mode);
        if (out->link && follow_links) {
            struct stat target {};
            if (::fstatat(::dirfd(dir_), d->d_name, &target, 0) == 0) st = target;
        }
        out->folder = S_ISDIR(st.st_mode);
        out->size = S_ISREG(st.st_mode) ? static_cast<std::int64_t>(st.st_size) : 0;
        out->mtime = static_cast<std::int64_t>(st.st_mtim.tv_sec);
        return true;
    }
}

RemoveResult overwrite_and_remove(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return RemoveResult::NOT_REGULAR;
    // Root may write anything: the mode bits are what the user set.
    if ((st.st_mode & S_IWUSR) == 0) return RemoveResult::READ_ONLY;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return errno == EACCES || errno == EPERM ? RemoveResult::READ_ONLY : RemoveResult::FAILED;
    constexpr std::size_t BLOCK = 64 * 1024;
    const std::vector<char> zeros(BLOCK, 0);
    bool ok = true;
    for (std::uint64_t left = static_cast<std::uint64_t>(st.st_size); ok && left > 0;) {
        const std::size_t n = left < BLOCK ? static_cast<std::size_t>(left) : BLOCK;
        ok = write_all(fd, zeros.data(), n);
        left -= n;
    }
    ok = sync_and_close(fd) && ok;
    if (!ok) return RemoveResult::FAILED;
    return ::unlink(path.c_str()) == 0 ? RemoveResult::REMOVED : RemoveResult::FAILED;
}

bool set_read_only(const std::string& path, bool read_only) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    mode_t mode = st.st_mode & 07777;
    mode = read_only ? mode & ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH) : mode | S_IWUSR;
    return ::chmod(path.c_str(), mode) == 0;
}

int create_temporary_in(const std::string& folder, const std::string& prefix, std::string* path) {
    std::string pattern = join_path(folder.empty() ? "." : folder, prefix + "XXXXXX");
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const int fd = ::mkostemp(buffer.data(), O_CLOEXEC);
    if (fd >= 0) *path = buffer.data();
    return fd;
}

long read_some(int fd, void* buffer, std::size_t n) {
    for (;;) {
        const ssize_t got = ::read(fd, buffer, n);
        if (got >= 0 || errno != EINTR) return static_cast<long>(got);
    }
}

bool write_all(int fd, const void* data, std::size_t n) {
    const char* p = static_cast<const char*>(data);
    while (n > 0) {
        const ssize_t put = ::write(fd, p, n);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        p += put;
        n -= static_cast<std::size_t>(put);
    }
    return true;
}

bool sync_and_close(int fd) {
    const bool synced = ::fsync(fd) == 0;
    return ::close(fd) == 0 && synced;
}

void close_file(int fd) {
    if (fd >= 0) ::close(fd);
}

bool replace_file(const std::string& from, const std::string& to) { return ::rename(from.c_str(), to.c_str()) == 0; }

bool remove_file(const std::string& path) { return ::unlink(path.c_str()) == 0; }

}  // namespace rix
