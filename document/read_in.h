// Reading another file into the document at the cursor (現在行に読込み):
// the file is taken up to its first 0x1A, in pieces that end at a line end
// (CR LF, or a lone LF) so that no piece splits a line, each at most
// READ_IN_PIECE bytes (a line longer than that is cut on a character
// boundary, never between the CR and the LF of a line end). The caller
// inserts each piece as one insertion.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace rix {

constexpr std::size_t READ_IN_PIECE = 2u * 1024 * 1024;

class ReadInFile {
public:
    ReadInFile() = default;
    ~ReadInFile();
    ReadInFile(const ReadInFile&) = delete;
    ReadInFile& operator=(const ReadInFile&) = delete;

    bool open(const std::string& path);
    // The next piece into *out; false at the end of the text (or a read error,
    // then failed() is true).
    bool next_piece(std::string* out, std::size_t limit = READ_IN_PIECE);
    bool failed() const { return failed_; }
    std::uint64_t consumed() const { return consumed_; }

private:
    bool fill(std::size_t want);

    int fd_ = -1;
    std::string pending_;          // bytes read but not handed out
    std::uint64_t consumed_ = 0;   // bytes handed out
    bool eof_ = false;             // the file (or its 0x1A) is exhausted
    bool failed_ = false;
};

}  // namespace rix
