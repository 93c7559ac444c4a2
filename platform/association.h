// The association of a file extension with the program, behind a small
// interface so that the common-settings dialog is tested without touching
// the desktop.
//
// The desktop backend keeps the association in the user's XDG data folder
// ($XDG_DATA_HOME, else ~/.local/share), never in the system folders:
//   mime/packages/rix-NAME.xml     a shared-mime-info package: the type
//                                  text/x-rix-NAME, a sub-class of text/plain,
//                                  with the glob *.NAME
//   applications/rix-NAME.desktop  a hidden desktop entry that opens files
//                                  of that type: Exec="<exe>" %f
// where NAME is the extension without its dot. After a change the desktop's
// caches are brought up to date by update-mime-database and
// update-desktop-database when they are installed; without them the files
// take effect when the desktop next rebuilds its caches.
#pragma once

#include <memory>
#include <string>

namespace rix {

class AssociationStore {
public:
    virtual ~AssociationStore() = default;
    // The extension (".txt") associated with this program; "" = none.
    virtual std::string find() = 0;
    // Another program's type claims files of `extension` (".txt").
    virtual bool taken_by_other(const std::string& extension) = 0;
    // Associates `extension` with this program (replacing ours for it).
    virtual bool add(const std::string& extension) = 0;
    // Removes this program's association of `extension`.
    virtual bool remove(const std::string& extension) = 0;
};

// True for ".NAME" where NAME is 1..32 letters, digits, '_', '-' or '+'.
bool valid_extension(const std::string& extension);

// The desktop backend for the executable at `program` (a native path).
std::unique_ptr<AssociationStore> make_desktop_associations(const std::string& program);

}  // namespace rix
