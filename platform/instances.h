// Instance numbering: the running editors of one user find each other here.
//
// A registry folder (per user, under the runtime folder) holds one file per
// running instance, named by its number and holding "pid\ntitle". Every change
// happens under an exclusive flock of the folder's lock file, so two instances
// started together never take the same number. Entries whose process has died
// are stale: they are ignored and removed at the next change.
#pragma once

#include <string>
#include <vector>

namespace rix {

constexpr int MAX_LISTED_INSTANCES = 20;   // the window menu lists at most 20

struct InstanceEntry {
    int number = 0;        // 1 = the first instance
    long pid = 0;
    std::string title;     // window title, UTF-8, at most 99 characters
};

// $RIX_RUNTIME_DIR when set, else $XDG_RUNTIME_DIR/rix, else /tmp/rix-<uid>.
std::string instance_registry_folder();

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

private:
    std::string folder_;
};

// Name of the local socket through which instance `number` of this user can be
// asked to come to the front.
std::string instance_socket_name(int number);

}  // namespace rix
