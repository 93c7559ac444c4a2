// Choosing a document: a preset that names a file needs no dialog; a folder
// or a pattern lets the user choose.
#pragma once

#include <string>

#include "document/notices.h"
#include "platform/window_host.h"

namespace rix {

enum : int {
    SELECT_OPEN = 0,          // 文書を開く
    SELECT_SAVE_AS = 1,       // 名前を付けて保存
    SELECT_READ_IN = 2,       // 現在行に読込み
    SELECT_DOCUMENTS = 3,     // 文書の選択 (several documents)
    SELECT_LIST = 4,          // リストの選択
};

// True for an empty path, a folder, a name with "*" or "?", or one ending in "/".
bool path_needs_dialog(const std::string& path);
// Returns CHOSEN_EXISTING, CHOSEN_NEW_NAME or CHOSEN_CANCELLED; *path holds
// the preset on entry and the choice on return (made absolute against the
// current folder; classify_path without notices). The window host's
// choose_file runs the file selection dialog in mode 1 and for folders and
// patterns. A choice in a folder that does not exist ("フォルダが存在しません｡",
// 2 s) or a name taken by anything but a regular file (a FIFO, a device, a
// link loop, a broken link; 3 s) is cancelled with a notice in `notices`
// saying so.
int select_file(WindowHost& host, int mode, std::string* path, Notices& notices);

}  // namespace rix
