// A fresh folder under /tmp for one test, removed with everything in it.
#pragma once

#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <string_view>

#include "platform/files.h"

namespace rix::test {

class TempFolder {
public:
    TempFolder() {
        char pattern[] = "/tmp/rix-test-XXXXXX";
        const char* made = ::mkdtemp(pattern);
        path_ = made ? made : "";
    }
    ~TempFolder() {
        if (path_.empty()) return;
        ::nftw(path_.c_str(), [](const char* p, const struct stat*, int, FTW*) { return ::remove(p); }, 16,
               FTW_DEPTH | FTW_PHYS);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string file(std::string_view name) const { return path_ + "/" + std::string(name); }
    // Writes bytes to a file in the folder; returns its path.
    std::string write(std::string_view name, std::string_view bytes) const {
        std::string p = file(name);
        if (FILE* f = std::fopen(p.c_str(), "wb")) {
            std::fwrite(bytes.data(), 1, bytes.size(), f);
            std::fclose(f);
        }
        return p;
    }

private:
    std::string path_;
};

// The whole content of a file ("" when it cannot be read).
inline std::string slurp(const std::string& path) {
    std::string s;
    read_whole_file(path, &s);
    return s;
}

// Sets a file's times two hours back; returns its path.
inline const std::string& age(const std::string& path) {
    struct timespec back[2];
    ::clock_gettime(CLOCK_REALTIME, &back[0]);
    back[0].tv_sec -= 7200;
    back[1] = back[0];
    ::utimensat(AT_FDCWD, path.c_str(), back, 0);
    return path;
}

// The permission bits of a file; 0xFFFF when there is none.
inline unsigned mode_of(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0xFFFFu;
}

}  // namespace rix::test
