// Files: the data folder, safe replacement, the in-use mark, whole-file reads.
//
// Paths are native file names (UTF-8 on Linux) held in std::string; text that
// came from a document or the settings is converted at the edge (codec.h).
// Nothing here shows a message: callers decide what to tell the user.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rix {

// The program's data folder: $RIX_HOME when set, else $XDG_DATA_HOME/rix, else
// ~/.local/share/rix. Not created here.
std::string data_folder();
// A random (version 4) UUID in its text form, lower case: "xxxxxxxx-xxxx-4xxx-yxxx-xxxxxxxxxxxx".
std::string random_uuid();
// Creates the data folder when missing and copies into it every file of
// `resource_dir` that it lacks (default settings, sample manuscript,
// dictionary, help). Existing files are never overwritten. Files of one
// folder that share the name before the last dot (a text and its extension
// file) are installed together or not at all: when one of them is there,
// the others are not added; installed together, they carry one
// modification time. Files of the folder's top level named in
// `private_names` are created with mode 0600 (they will hold secrets).
// Returns false when the folder cannot be created.
bool install_data_folder(const std::string& folder, const std::string& resource_dir,
                         const std::vector<std::string>& private_names = {});
// Takes the group and other permission bits off the user's own regular file
// at `path` (a link is followed, as the file's rewrites follow it); leaves
// every other bit, and anyone else's file, alone. True when the file is the
// user's own and private afterwards.
bool keep_private(const std::string& path);

// Joins a folder and a name with one "/".
std::string join_path(std::string_view folder, std::string_view name);
// The folder part of a path ("" for a bare name) and the name part.
std::string folder_of(std::string_view path);
std::string name_of(std::string_view path);
// Makes a relative path absolute against `base` (the current folder when empty).
std::string absolute_path(std::string_view path, std::string_view base = {});

bool file_exists(const std::string& path);
// The file a symbolic link names (followed to the end), or `path` itself when
// it is no link or the link leads nowhere.
std::string link_target(const std::string& path);
// The same file: the same absolute name, or one file reached through two
// names (a link, another spelling of the folder).
bool same_file(const std::string& a, const std::string& b);     // a regular file (or a link to one)
bool folder_exists(const std::string& path);
// Size of a regular file, or -1.
std::int64_t file_size(const std::string& path);
// Modification time of a file in seconds since the epoch; false when it cannot be read.
bool file_modified_time(const std::string& path, std::int64_t* seconds);

// What a path names, judged without opening it (stat, and lstat for a link
// whose target is missing).
enum class PathKind : std::uint8_t {
    REGULAR,      // a regular file (or a link to one)
    MISSING,      // nothing by that name
    FOLDER,
    FIFO,         // a named pipe: opening it for reading would wait for a writer
    DEVICE,       // a character or block device
    SOCKET,
    LINK_LOOP,    // symbolic links that lead round in a circle (ELOOP)
    BROKEN_LINK,  // a symbolic link whose target is missing
    NO_ACCESS,    // a folder on the way, or the file itself, may not be read
    OTHER,        // anything else that stat or open refused
};
PathKind path_kind(const std::string& path);

// Opens a regular file for reading (never blocking on a FIFO or a device):
// the path is judged before it is opened, opened with O_NONBLOCK and judged
// again on the descriptor. A descriptor the caller closes, or -1 (also for
// anything but a regular file) with *kind, when given, saying what it was.
int open_regular_file(const std::string& path, PathKind* kind = nullptr);
// Reads at most `limit` bytes from the start of the file. False when it
// cannot be opened or read.
bool read_file_prefix(const std::string& path, std::size_t limit, std::string* out);
bool read_whole_file(const std::string& path, std::string* out);

// Writes `bytes` to `path` through a temporary file in the same folder,
// fsync, and rename over the target: the old file stays whole when anything
// fails. The mode bits of an existing target are kept.
bool atomic_replace(const std::string& path, std::string_view bytes);
// As atomic_replace, but the file ends with mode 0600 whatever it had: for
// files that hold secrets (the environment file keeps the sites' passwords).
bool atomic_replace_private(const std::string& path, std::string_view bytes);
// A new version of a file, written under a temporary name beside it (beside
// the file a symbolic link names) and put in place by commit: synced, given
// the mode and owner of the file it replaces, renamed over it. Until commit
// the file under its own name is untouched; discard, or the destructor,
// removes the temporary. For writers that open the file themselves (a
// printer writing a PDF), temporary() names the file to write.
class FileReplacement {
public:
    FileReplacement() = default;
    ~FileReplacement() { discard(); }
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;
    // Creates the empty temporary, readable by its owner alone until commit.
    // `mode` < 0: the mode of the file replaced is kept, a new file gets 0666
    // less the umask; else the file ends with `mode`. False (errno set) when
    // the target is no regular file or no temporary can be made beside it.
    bool open(const std::string& path, int mode = -1);
    bool is_open() const { return !temp_.empty(); }
    const std::string& temporary() const { return temp_; }
    int descriptor() const { return fd_; }   // the temporary, open for writing; -1 when none
    // Puts the temporary in place; false (the temporary removed, the old file
    // as it was) when it cannot be synced, given its mode or renamed.
    bool commit();
    void discard();

private:
    std::string target_;           // the file replaced (a link's target)
    std::string temp_;             // "" = nothing open
    int fd_ = -1;
    int mode_ = -1;                // as given to open
    bool existing_ = false;        // the target was there at open
    std::uint32_t old_mode_ = 0;   // its mode bits, uid and gid then
    std::uint32_t old_uid_ = 0, old_gid_ = 0;
};

// Renames `from` to `to` only when `to` does not exist (never overwrites).
bool rename_no_overwrite(const std::string& from, const std::string& to);
// Creates an empty file that did not exist (O_EXCL). Returns an open
// descriptor, or -1 (errno EEXIST when the name is taken).
int create_exclusive(const std::string& path);

// The in-use mark: a document being edited carries no write permission bits.
// Judged from st_mode alone (the tests run as root, for whom access() says yes).
bool is_read_only(const std::string& path);
// Removes every write bit; *saved_mode receives the mode to restore.
bool set_in_use_mark(const std::string& path, std::uint32_t* saved_mode);
// Puts the mode back exactly as it was before the mark. A file renamed while
// it was marked (no file under `path` any more) gets its mode back where the
// journal finds it.
bool clear_in_use_mark(const std::string& path, std::uint32_t saved_mode);
// Told of every mark this process sets or gives back, so that a mark left by
// a killed process can be recognised later (the instance registry keeps them).
class InUseMarkJournal {
public:
    virtual ~InUseMarkJournal() = default;
    virtual void marked(const std::string& path, std::uint32_t saved_mode) = 0;
    virtual void unmarked(const std::string& path) = 0;
    // Where the file this process marked under `path` is now, when no file
    // is left under that name (it was renamed while held); "" when unknown.
    virtual std::string moved_file(const std::string& path) { (void)path; return {}; }
};
// The journal of this process (nullptr = none, the default); it must outlive its use.
void install_in_use_mark_journal(InUseMarkJournal* journal);

// Names of the entries of a folder (no "." or ".."); empty when unreadable.
std::vector<std::string> list_folder_names(const std::string& folder);

}  // namespace rix
