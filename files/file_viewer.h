// What the file viewer shows: at most VIEWER_MAX_BYTES of a file, cut on a
// character boundary, without the end-of-text mark 0x1A that closes a saved
// document. The window itself is the platform's (platform/file_viewer.h).
#pragma once

#include <cstddef>
#include <string>

#include "document/notices.h"
#include "platform/file_viewer.h"

namespace rix {

constexpr std::size_t VIEWER_MAX_BYTES = 2u * 1024 * 1024;

// Reads the text the viewer shows (code page 932). False when the file
// cannot be opened or read (also for folders, devices and FIFOs).
bool read_viewer_text(const std::string& path, std::string* out);

// The request for `path` in `format`; false, with the notice
// "%s\n\nこのファイルは開けません｡" (3 s) in `notices`, when it cannot be read.
bool make_viewer_request(const std::string& path, const TextBoxFormat& format, ViewerRequest* out,
                         Notices& notices);

}  // namespace rix
