// What a file chooser is asked for: where it starts, its caption, the files
// it lists and whether several may be chosen. The window's chooser
// (platform/qt/qt_file_chooser.h) answers it; tests answer with lambdas.
#pragma once

#include <string>

namespace rix {

struct FileChoice {
    std::string folder;    // UTF-8; a missing folder starts at the current one
    std::string caption;   // UTF-8
    std::string filter;    // UTF-8, "label (*.a *.b)" patterns separated by ";;"; "" = every file
    bool many = false;     // several files may be chosen
    bool new_name = false; // a name that does not exist yet may be typed (the caller asks before overwriting)
};

// While a file selection dialog is open (it runs its own event loop, and
// the edit window's timers go on firing): auto-save waits. One per dialog
// shown, on the stack around it.
class FileDialogOpen {
public:
    FileDialogOpen();
    ~FileDialogOpen();
    FileDialogOpen(const FileDialogOpen&) = delete;
    FileDialogOpen& operator=(const FileDialogOpen&) = delete;
};
// Whether a file selection dialog of this process is open now.
bool file_dialog_open();

}  // namespace rix
