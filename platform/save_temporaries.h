// Temporary files of saves: the new versions of a document's text file and
// extension file while a save writes them, in the document's own folder.
//
// Name of one (hidden, recognisable, naming the process that made it):
//   ".rix-save-" PID "-" KIND "-" SUFFIX
//   PID     the writing process id, decimal, no leading zero
//   KIND    one letter: 't' text file, 'e' extension file, 'w' write-out
//   SUFFIX  six letters or digits
// A save that finishes renames its temporaries into place or removes them.
// One left behind belongs to a save that never finished (the process was
// killed, or the machine stopped): once its process is gone, the next save in
// that folder removes it. A temporary whose process lives is never touched.
#pragma once

#include <string>
#include <string_view>

namespace rix {

// Save temporaries are made with this kind letter.
enum : char { SAVE_TEMP_TEXT = 't', SAVE_TEMP_EXTENSION = 'e', SAVE_TEMP_WRITE_OUT = 'w' };

// Creates a new, empty save temporary in `folder` ("" = the current folder)
// for this process: an open descriptor (O_CLOEXEC, mode 0600), *path its name;
// -1 when none could be made.
int create_save_temporary(const std::string& folder, char kind, std::string* path);
// The process id named by a save temporary's file name; 0 for any other name.
long save_temporary_owner(std::string_view name);
// Removes the save temporaries of `folder` whose process is gone: regular
// files of this user only, never one whose process lives, nor one changed in
// the last SAVE_TEMPORARY_QUIET_SECONDS (a folder shared with another
// machine may hold a save going on there under a pid unknown here). Returns
// how many were removed.
constexpr long SAVE_TEMPORARY_QUIET_SECONDS = 3600;
int remove_dead_save_temporaries(const std::string& folder);

}  // namespace rix
