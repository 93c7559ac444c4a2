// The decision whether a document choice needs a dialog at all.
#include "files/select_file.h"

#include "platform/codec.h"
#include "platform/files.h"
#include "platform/messages.h"

namespace rix {

bool path_needs_dialog(const std::string& path) {
    if (path.empty() || path.back() == '/') return true;
    if (path.find_first_of("*?") != std::string::npos) return true;
    return folder_exists(path);
}

int select_file(WindowHost& host, int mode, std::string* path) {
    *path = absolute_path(*path);
    if (mode == SELECT_SAVE_AS || path_needs_dialog(*path)) {
        int result = host.choose_file(mode, path);
        if (result == CHOSEN_CANCELLED) return result;
        *path = absolute_path(*path);
    }
    if (!folder_exists(folder_of(*path))) {
        show_message(MSG_NOTICE, 0, utf8_to_sjis("フォルダが存在しません｡"), 2000);
        return CHOSEN_CANCELLED;
    }
    return file_exists(*path) ? CHOSEN_EXISTING : CHOSEN_NEW_NAME;
}

}  // namespace rix
