// The file choosers on Qt: the system's open-file dialog over the active
// window. Owns only the dialog while it is open.
#pragma once

#include <string>
#include <vector>

#include "platform/file_choice.h"

namespace rix {

// On OK sets *paths to the chosen files (UTF-8, cleaned, at least one).
// False when cancelled: *paths is then untouched.
bool run_file_chooser(const FileChoice& choice, std::vector<std::string>* paths);

// The font file chooser of the EPUB output: TrueType files in `folder`
// ("フォントファイル （*.ttf）", caption "　フォントファイルの選択").
bool run_font_file_chooser(const std::string& folder, std::string* path);

}  // namespace rix
