// The folder chooser on Qt: the system's folder dialog over the active
// window, for a caller that needs a folder and not a file (参照 of the PDF
// output). Owns only the dialog while it is open.
#pragma once

#include <string>

namespace rix {

// Starts at *folder (UTF-8; an empty or missing folder starts at the
// current one) and on OK sets *folder to the chosen folder, without a
// trailing '/' (the root stays "/"). False when cancelled: *folder is then
// untouched.
bool run_folder_chooser(std::string* folder);

}  // namespace rix
