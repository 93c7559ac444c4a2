// The file list's actions on a document: renaming it together with the
// files that belong to it, secure deletion and the read-only mark.
//
// A document N.X owns N.rix only when that extension file's header names the
// extension X; N.bak is its backup. Nothing here ever overwrites an existing
// file. Messages are the caller's.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/file_tools.h"

namespace rix {

// Whether the extension file beside `path` belongs to it (its header names
// the file's extension).
bool owns_extension_file(const std::string& path);

enum class RenameResult : std::uint8_t {
    RENAMED,
    SAME_NAME,       // the new name is the old one
    NAME_TAKEN,      // the new name, or its .rix or .bak, exists
    FAILED,          // the rename of the file itself failed
};

struct RenameReport {
    RenameResult result = RenameResult::FAILED;
    bool extension_renamed = false;
    bool backup_renamed = false;
};

// Renames the document `from` to `to` (same folder or not), its extension
// file when it owns one, and its .bak when there is one and
// `rename_backup` (asked only then) says yes.
RenameReport rename_document(const std::string& from, const std::string& to,
                             const std::function<bool()>& rename_backup);

// Secure deletion refuses the document this editor has open as well as
// read-only files.
enum class DeleteResult : std::uint8_t { REMOVED, READ_ONLY, OPEN_DOCUMENT, FAILED };
DeleteResult secure_delete(const std::string& path, const std::string& open_document);

}  // namespace rix
