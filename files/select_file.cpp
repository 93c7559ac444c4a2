// The decision whether a document choice needs a dialog at all.
#include "files/select_file.h"

#include <utility>

#include "document/document_state.h"
#include "files/file_list.h"
#include "platform/file_choice.h"
#include "platform/files.h"

namespace rix {

bool path_needs_dialog(const std::string& path) { return is_listing_path(path) || folder_exists(path); }

int select_file(WindowHost& host, int mode, std::string* path, Notices& notices) {
    classify_path(path);
    if (mode == SELECT_SAVE_AS || path_needs_dialog(*path)) {
        int result = CHOSEN_CANCELLED;
        {
            const FileDialogOpen open;
            result = host.choose_file(mode, path);
        }
        if (result == CHOSEN_CANCELLED) return result;
        *path = absolute_path(*path);
    }
    if (!folder_exists(folder_of(*path))) {
        notices.add("フォルダが存在しません｡", 2000);
        return CHOSEN_CANCELLED;
    }
    // A name taken by something that is not a document (a FIFO, a device, a
    // link loop, ...) is neither opened nor made a new document.
    PathKind kind = path_kind(*path);
    if (kind == PathKind::REGULAR) return CHOSEN_EXISTING;
    if (kind == PathKind::MISSING) return CHOSEN_NEW_NAME;
    std::string text = mode == SELECT_SAVE_AS ? "この名前では保存出来ません｡\n" + *path : unopenable_file_text(*path, kind);
    std::string why = path_kind_reason(kind);
    if (mode == SELECT_SAVE_AS && !why.empty()) text += "\n" + why;
    notices.add(std::move(text), 3000);
    return CHOSEN_CANCELLED;
}

}  // namespace rix
