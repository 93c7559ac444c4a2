// Renaming, secure deletion (see file_ops.h).
#include "files/file_ops.h"

#include <cerrno>

#include "document/extension_file.h"
#include "document/extension_writer.h"
#include "document/save.h"
#include "files/file_list.h"
#include "platform/codec.h"
#include "platform/file_names.h"
#include "platform/files.h"

namespace rix {

bool owns_extension_file(const std::string& path) {
    ExtensionHeader header;
    if (read_extension_header(path, &header) != ExtensionStatus::OK) return false;
    return equal_nocase(header.text_extension, recorded_text_extension(path));
}

RenameReport rename_document(const std::string& from, const std::string& to,
                             const std::function<bool()>& rename_backup) {
    RenameReport report;
    if (from == to) {
        report.result = RenameResult::SAME_NAME;
        return report;
    }
    const bool with_extension = owns_extension_file(from);
    const std::string old_ext = extension_path_for(from), new_ext = extension_path_for(to);
    const std::string old_bak = backup_path_for(from), new_bak = backup_path_for(to);
    const bool with_backup = old_bak != from && file_exists(old_bak);
    if (path_kind(to) != PathKind::MISSING || (with_extension && (new_ext.empty() || path_kind(new_ext) != PathKind::MISSING)) ||
        (with_backup && path_kind(new_bak) != PathKind::MISSING)) {
        report.result = RenameResult::NAME_TAKEN;
        return report;
    }
    if (!rename_no_overwrite(from, to)) {
        report.result = errno == EEXIST ? RenameResult::NAME_TAKEN : RenameResult::FAILED;
        return report;
    }
    report.result = RenameResult::RENAMED;
    if (with_extension) report.extension_renamed = rename_no_overwrite(old_ext, new_ext);
    if (with_backup && new_bak != to && rename_backup && rename_backup())
        report.backup_renamed = rename_no_overwrite(old_bak, new_bak);
    return report;
}

DeleteResult secure_delete(const std::string& path, const std::string& open_document) {
    if (!open_document.empty() && same_file(path, open_document)) return DeleteResult::OPEN_DOCUMENT;
    switch (overwrite_and_remove(path)) {
        case RemoveResult::REMOVED: return DeleteResult::REMOVED;
        case RemoveResult::READ_ONLY: return DeleteResult::READ_ONLY;
        default: return DeleteResult::FAILED;
    }
}

}  // namespace rix
