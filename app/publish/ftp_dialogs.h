// The small dialogs the FTP window asks with: a new folder's name
// (MYCREATEDIR), a new name (MYRENAME) and the read-only text viewer
// (MYTEXTDLG). Texts are code page 932.
#pragma once

#include <string>
#include <string_view>

#include "platform/dialogs.h"

namespace rix {

// MYCREATEDIR: false when cancelled.
bool ask_folder_name(std::string* name, WindowRef owner);
// MYRENAME showing `old_name`: false when cancelled.
bool ask_new_name(const std::string& old_name, std::string* name, WindowRef owner);
// MYTEXTDLG with `caption` over `text` ("\r\n" between lines).
void show_text_viewer(std::string_view caption, std::string_view text, WindowRef owner);

}  // namespace rix
