// Network transfers through libcurl.
#pragma once

#include <string>

namespace rix {

struct DownloadResult {
    bool ok = false;
    long http_status = 0;      // 0 when no answer came
    std::string error;         // reason for the user, UTF-8, when !ok
};

// The file name a downloaded address is saved under: its last path segment
// without query or fragment, with any character that is unsafe in a file name
// replaced; "download.txt" when nothing usable is left.
std::string download_file_name(const std::string& url);
// Fetches an http or https address into `dest_path` (written through a
// temporary file; nothing is left behind on failure). Only a 2xx answer
// counts as success. Bounded: connect 15 s, whole transfer 120 s.
DownloadResult http_download(const std::string& url, const std::string& dest_path);

}  // namespace rix
