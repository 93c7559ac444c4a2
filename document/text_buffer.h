// The TextBuffer: the document text in its stored form (storage.h), addressed
// by 32-bit buffer offsets.
//
// One address range of up to 4 GiB is reserved once; memory is committed as
// it is touched, so a pointer into the buffer stays valid while the buffer
// grows (nothing ever moves). Text is only written at the append position or
// over the line written last. Offsets at or beyond the spill threshold are
// backed by this instance's spill file (mapped over the same addresses), so a
// machine short of memory keeps the old text on disk instead of in RAM. The
// spill file is removed when the buffer is destroyed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace rix {

using BufferOffset = std::uint32_t;
constexpr BufferOffset BUFFER_LIMIT = 0xFFF00000u;   // bytes the buffer may hold (4 GiB less a margin)

class TextBuffer {
public:
    // spill_folder: where the spill file is made ("" = no spill file; the
    // threshold is then ignored). spill_threshold: buffer offset from which
    // text lives in the spill file.
    explicit TextBuffer(std::string spill_folder = {}, std::uint64_t spill_threshold = UINT64_MAX);
    ~TextBuffer();
    TextBuffer(const TextBuffer&) = delete;
    TextBuffer& operator=(const TextBuffer&) = delete;

    // Pointer to the byte at `offset`; at least MAX_LINE_SCAN bytes after it
    // are addressable. Valid for the life of the buffer. nullptr when the
    // address range could not be reserved.
    std::uint8_t* pointer(BufferOffset offset);
    const std::uint8_t* pointer(BufferOffset offset) const;

    // Makes at least n bytes after the append position usable (spill file
    // grown as needed). False when the buffer would pass BUFFER_LIMIT or the
    // spill file cannot grow: the caller refuses the load or the edit.
    bool reserve(std::size_t n);

    BufferOffset append_position() const { return append_; }
    void set_append_position(BufferOffset p) { append_ = p; }
    // Starts a new document at offset 0 (the spill file is kept).
    void clear() { append_ = 0; }

    bool spilling() const { return spill_fd_ >= 0; }
    const std::string& spill_path() const { return spill_path_; }
    std::uint64_t spill_threshold() const { return threshold_; }
    // Bytes of RAM-backed buffer reserved or committed so far (for the memory benchmark).
    std::size_t committed_bytes() const { return committed_ > populated_ ? committed_ : populated_; }

private:
    bool map_spill(std::size_t up_to);
    void populate();

    std::uint8_t* base_ = nullptr;     // start of the reserved range
    std::size_t reserved_ = 0;         // bytes reserved
    std::size_t committed_ = 0;        // bytes made usable so far
    std::size_t populated_ = 0;        // bytes of RAM committed ahead of writing (a step past the append position)
    std::size_t high_water_ = 0;       // largest append position + reservation so far
    BufferOffset append_ = 0;
    std::string spill_folder_;
    std::uint64_t threshold_;
    int spill_fd_ = -1;
    std::string spill_path_;
    std::size_t spill_mapped_ = 0;     // bytes of the spill file mapped from the threshold on
};

// The spill threshold from the memory the system has available: text beyond
// it goes to the spill file. Never less than 64 MiB.
std::uint64_t default_spill_threshold();

}  // namespace rix
