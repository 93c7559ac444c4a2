// What the file tools (the file list, file search, secure deletion and
// whole-file encryption) ask of the operating system: folder reading with
// the reader kept open, overwriting before removal, the read-only mark and
// temporary output files.
//
// Paths are native file names (UTF-8). Nothing here shows a message.
#pragma once

#include <dirent.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace rix {

struct FolderEntry {
    std::string name;            // never "." or ".."
    bool folder = false;         // a folder (reached through a link only when following links)
    bool link = false;           // the entry itself is a symbolic link
    std::int64_t size = 0;       // bytes of a regular file; 0 otherwise
    std::int64_t mtime = 0;      // seconds since the epoch
};

// Reads the entries of one folder in the order the system gives them. The
// folder stays open until the reader goes, so a walk that returns to a level
// goes on where it stopped instead of reading the level again.
class FolderReader {
public:
    FolderReader() = default;
    ~FolderReader();
    FolderReader(FolderReader&& other) noexcept;
    FolderReader& operator=(FolderReader&& other) noexcept;
    FolderReader(const FolderReader&) = delete;
    FolderReader& operator=(const FolderReader&) = delete;

    // False when the folder cannot be opened (or is not one).
    bool open(const std::string& folder);
    // The next entry; false at the end. With `follow_links` a link is judged
    // by its target (a link to a folder is a folder); without, a link is
    // never a folder.
    bool next(FolderEntry* out, bool follow_links);

private:
    DIR* dir_ = nullptr;
};

// How overwrite_and_remove ended.
enum class RemoveResult : std::uint8_t {
    REMOVED,
    READ_ONLY,      // no write bit for the owner (judged from the mode bits, also for root)
    NOT_REGULAR,    // missing, a folder, a device, ...
    FAILED,         // opening, writing, syncing or removing failed
};
// Overwrites every byte of a regular file with zeros (in blocks), syncs it to
// the disk, then removes it. A read-only file is left alone.
RemoveResult overwrite_and_remove(const std::string& path);

// Gives the file's owner write permission (`read_only` false) or takes every
// write bit away (true).
bool set_read_only(const std::string& path, bool read_only);

// An empty new file in `folder` whose name begins with `prefix`; an open
// descriptor (mode 0600) or -1. *path receives its name.
int create_temporary_in(const std::string& folder, const std::string& prefix, std::string* path);
// Reads up to n bytes (retried on interruption): the count, 0 at the end, -1 on error.
long read_some(int fd, void* buffer, std::size_t n);
// Writes all n bytes; false on any error or a short write.
bool write_all(int fd, const void* data, std::size_t n);
// Syncs and closes; false when either fails. The descriptor is closed in any case.
bool sync_and_close(int fd);
void close_file(int fd);
// Renames `from` over `to` in one step (the old `to` stays until it is replaced).
bool replace_file(const std::string& from, const std::string& to);
bool remove_file(const std::string& path);

}  // namespace rix
