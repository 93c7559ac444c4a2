// Pieces of a file for insertion at the cursor.
#include "document/read_in.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/codec.h"
#include "platform/files.h"

namespace rix {

ReadInFile::~ReadInFile() {
    if (fd_ >= 0) ::close(fd_);
}

bool ReadInFile::open(const std::string& path) {
    fd_ = open_regular_file(path);   // never waits on a FIFO or a device
    return fd_ >= 0;
}

// Reads until `want` bytes are pending or the text ends.
bool ReadInFile::fill(std::size_t want) {
    char buf[65536];
    while (!eof_ && pending_.size() < want) {
        ssize_t n = ::read(fd_, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            failed_ = true;
            eof_ = true;
            return false;
        }
        if (n == 0) {
            eof_ = true;
            break;
        }
        std::string_view got(buf, static_cast<std::size_t>(n));
        std::size_t end = got.find('\x1A');
        if (end != std::string_view::npos) {
            pending_.append(got.substr(0, end));
            eof_ = true;
            break;
        }
        pending_.append(got);
    }
    return true;
}

bool ReadInFile::next_piece(std::string* out, std::size_t limit) {
    out->clear();
    if (fd_ < 0 || limit == 0) return false;
    fill(limit);
    if (pending_.empty()) return false;
    std::size_t take = pending_.size();
    if (take > limit) {
        std::size_t lf = pending_.rfind('\n', limit - 1);
        take = lf != std::string::npos ? lf + 1 : cut_on_boundary(pending_, limit);
        // A CR LF stays in one piece: a piece ending in its CR would leave the
        // CR standing alone in the line.
        if (lf == std::string::npos && take > 1 && pending_[take - 1] == '\r' && pending_[take] == '\n') --take;
        if (take == 0) take = limit;   // a lone lead byte at the very start: never stall
    }
    out->assign(pending_, 0, take);
    pending_.erase(0, take);
    consumed_ += take;
    return true;
}

}  // namespace rix
