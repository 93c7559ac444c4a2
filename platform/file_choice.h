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
};

}  // namespace rix
