// The font file chooser on Qt: the system's open-file dialog over the
// active window, listing TrueType font files ("フォントファイル （*.ttf）",
// caption "　フォントファイルの選択"), for 選択 of the EPUB output. Owns
// only the dialog while it is open.
#pragma once

#include <string>

namespace rix {

// Starts in `folder` (UTF-8; a missing one starts at the current folder) and
// on OK sets *path to the chosen file's path (UTF-8). False when cancelled:
// *path is then untouched.
bool run_font_file_chooser(const std::string& folder, std::string* path);

}  // namespace rix
