// Instance numbering: the running editors of one user find each other here.
//
// A registry folder (per user, under the runtime folder) holds one file per
// running instance, named by its number and holding "pid\ntitle". Every change
// happens under an exclusive flock of the folder's lock file, so two instances
// started together never take the same number. Entries whose process has died
// are stale: they are ignored and removed at the next change.
//
// Beside them, one hold record per file an instance holds with its in-use
// mark: the file and the permission bits the mark took away. A record whose
// process is gone (killed, crashed) names a mark nobody will give back; the
// next start finds it (stale_holds) and gives the bits back. A record follows
// its file by device and inode: a document renamed while held gets its bits
// back under its new name (looked for in the same folder).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/files.h"

namespace rix {

constexpr int MAX_LISTED_INSTANCES = 20;   // the window menu lists at most 20

struct InstanceEntry {
    int number = 0;        // 1 = the first instance
    long pid = 0;
    std::string title;     // window title, UTF-8, at most 99 characters
};

// Whether process `pid` exists (a pid <= 0, which kill() would read as a
// process group, never does).
bool process_alive(long pid);

// $RIX_RUNTIME_DIR when set, else $XDG_RUNTIME_DIR/rix, else /tmp/rix-<uid>.
std::string instance_registry_folder();

// A file that an instance holds with its in-use mark.
struct HeldFile {
    long pid = 0;                  // the holder
    std::uint64_t start_time = 0;  // the holder's start, clock ticks after boot; 0 = unknown
    std::uint32_t mode = 0;        // permission bits before the mark (07777 at most)
    std::uint64_t device = 0;      // the file marked (a file replaced since is another file)
    std::uint64_t inode = 0;
    std::string path;              // absolute native path
    std::string record;            // the record's name in the registry folder
};

// What give_back_stale_mark did.
enum class StaleMark {
    GIVEN_BACK,   // the file had no write bit and got its bits back
    LEFT,         // the file is gone, was replaced, is writable or held by a live instance: untouched
    FAILED,       // the bits could not be given back (the record stays for the next start)
};

class InstanceRegistry {
public:
    explicit InstanceRegistry(std::string folder);
    // Takes the number one more than the highest live number (1 when none);
    // *highest_found receives that highest live number (0 when none). Returns
    // 0 when the registry cannot be written.
    int register_self(long pid, const std::string& title, int* highest_found = nullptr);
    void update_title(int number, const std::string& title);
    void unregister(int number);
    // Live entries sorted by number, at most `limit` of them.
    std::vector<InstanceEntry> list(std::size_t limit = MAX_LISTED_INSTANCES) const;
    const std::string& folder() const { return folder_; }

    // This process put the in-use mark on `path`, whose bits were `mode`
    // (a second mark of the same path replaces the record).
    bool record_hold(const std::string& path, std::uint32_t mode);
    // This process gave the mark of `path` back.
    void release_hold(const std::string& path);
    // Hold records whose process is gone, sorted by path.
    std::vector<HeldFile> stale_holds() const;
    // Whether a dead holder's mark is still on its file: the file is the one
    // it marked (not replaced since), has no write bit, and no live instance
    // holds it.
    bool stale_mark_present(const HeldFile& hold) const { return !stale_mark_location(hold).empty(); }
    // Where that mark is: the recorded path, or, when nothing is left under
    // it, the name the same file (device and inode) has now in that folder
    // (renamed while held); "" when there is no such mark.
    std::string stale_mark_location(const HeldFile& hold) const;
    // Where the file this process marked under `path` is now when nothing is
    // left under that name; "" when unknown.
    std::string own_moved_file(const std::string& path) const;
    // Gives that mark back (checked again); the record is removed unless FAILED.
    StaleMark give_back_stale_mark(const HeldFile& hold);

private:
    std::string folder_;
};

// Records the marks of this process in a registry (install_in_use_mark_journal).
class RegistryMarkJournal final : public InUseMarkJournal {
public:
    explicit RegistryMarkJournal(InstanceRegistry* registry) : registry_(registry) {}
    void marked(const std::string& path, std::uint32_t mode) override { registry_->record_hold(path, mode); }
    void unmarked(const std::string& path) override { registry_->release_hold(path); }
    std::string moved_file(const std::string& path) override { return registry_->own_moved_file(path); }

private:
    InstanceRegistry* registry_;
};

// Name of the local socket through which instance `number` of this user can be
// asked to come to the front.
std::string instance_socket_name(int number);

}  // namespace rix
