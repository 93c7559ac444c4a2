// The file viewer's text (see file_viewer.h).
#include "files/file_viewer.h"

#include "platform/codec.h"
#include "platform/files.h"

namespace rix {

bool read_viewer_text(const std::string& path, std::string* out) {
    out->clear();
    std::string bytes;
    // One byte more tells whether the cut falls inside the file.
    if (path_kind(path) != PathKind::REGULAR || !read_file_prefix(path, VIEWER_MAX_BYTES + 1, &bytes)) return false;
    if (bytes.size() > VIEWER_MAX_BYTES) {
        // A character that the cut would split is left out whole.
        bytes.resize(VIEWER_MAX_BYTES + 1);
        std::size_t keep = cut_on_boundary(bytes, VIEWER_MAX_BYTES);
        bytes.resize(keep);
    } else if (!bytes.empty() && bytes.back() == '\x1A') {
        bytes.pop_back();
    }
    *out = std::move(bytes);
    return true;
}

bool make_viewer_request(const std::string& path, const TextBoxFormat& format, ViewerRequest* out,
                         Notices& notices) {
    *out = ViewerRequest{};
    if (!read_viewer_text(path, &out->text)) {
        notices.add(path + "\n\nこのファイルは開けません｡", 3000);
        return false;
    }
    out->label = path;
    out->format = format;
    return true;
}

}  // namespace rix
