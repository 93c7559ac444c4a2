// The TextBuffer: one reserved address range, committed by touching, with the
// part from the spill threshold on backed by this instance's spill file.
//
// Owns the address range and the spill file; never moves a byte once written,
// so pointers stay valid for the life of the buffer.
//
// Address range layout (offsets from base_):
//
//   OFFSET                SIZE                     MEANING
//   0                     spill start              anonymous memory (zero-filled, committed on touch)
//   spill start           spill_mapped_            the spill file, mapped shared at the same addresses
//   after that            up to RANGE_BYTES        anonymous memory again (only read as slack)
//
// The spill start is the threshold rounded down to a page (mappings are
// page-granular); the bytes of the first page below the threshold that were
// already written are copied into the file before it is mapped. Buffer offset
// a >= spill start lies at file position a - spill start.
// Invariant: every offset below append position + the largest reservation,
// plus MAX_LINE_SCAN of slack, that lies at or beyond the spill start is
// inside the file mapping (the file is never mapped past its length, so no
// access raises SIGBUS).
#include "document/text_buffer.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "document/storage.h"

namespace rix {

namespace {

// The whole 32-bit offset space plus two scans of slack past its end.
constexpr std::size_t RANGE_BYTES = (std::size_t{1} << 32) + 2 * MAX_LINE_SCAN;
constexpr std::size_t SPILL_STEP = 8u * 1024 * 1024;     // the spill file grows in these steps
constexpr std::size_t POPULATE_STEP = 32u * 1024;        // RAM is committed ahead in these steps
constexpr std::uint64_t MIN_THRESHOLD = 64ull * 1024 * 1024;
constexpr std::uint64_t MEMORY_MARGIN = 64ull * 1024 * 1024;   // left to the rest of the system

std::atomic<unsigned> spill_serial{0};   // buffers of this process that made a spill file

std::size_t page_size() {
    long p = ::sysconf(_SC_PAGESIZE);
    return p > 0 ? static_cast<std::size_t>(p) : 4096;
}

std::string spill_name(const std::string& folder) {
    unsigned serial = spill_serial.fetch_add(1);
    std::string name = folder + "/rix$t$p$." + std::to_string(::getpid());
    if (serial > 0) name += "." + std::to_string(serial);
    return name;
}

}  // namespace

TextBuffer::TextBuffer(std::string spill_folder, std::uint64_t spill_threshold)
    : spill_folder_(std::move(spill_folder)), threshold_(spill_threshold) {
    void* p = ::mmap(nullptr, RANGE_BYTES, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE,
                     -1, 0);
    if (p != MAP_FAILED) {
        base_ = static_cast<std::uint8_t*>(p);
        reserved_ = RANGE_BYTES;
    }
    // Mappings start on a page: the spill area begins at the page that holds the threshold.
    if (threshold_ != UINT64_MAX) threshold_ -= threshold_ % page_size();
}

TextBuffer::~TextBuffer() {
    if (base_) ::munmap(base_, reserved_);
    if (spill_fd_ >= 0) {
        ::close(spill_fd_);
        ::unlink(spill_path_.c_str());
    }
}

std::uint8_t* TextBuffer::pointer(BufferOffset offset) { return base_ ? base_ + offset : nullptr; }

const std::uint8_t* TextBuffer::pointer(BufferOffset offset) const { return base_ ? base_ + offset : nullptr; }

bool TextBuffer::reserve(std::size_t n) {
    if (!base_) return false;
    std::uint64_t end = std::uint64_t{append_} + n;
    if (end > BUFFER_LIMIT) return false;
    // The slack a reader may scan past the last reserved byte must be file-backed too.
    std::uint64_t reach = end + MAX_LINE_SCAN;
    if (!spill_folder_.empty() && reach > threshold_) {
        if (!map_spill(static_cast<std::size_t>(reach - threshold_))) return false;
    }
    std::uint64_t ram_end = std::min(end, spill_fd_ >= 0 ? threshold_ : end);
    committed_ = std::max<std::size_t>(committed_, static_cast<std::size_t>(ram_end));
    if (std::size_t{append_} + POPULATE_STEP > populated_) populate();
    high_water_ = std::max<std::size_t>(high_water_, static_cast<std::size_t>(end));
    return true;
}

// Commits the RAM part from populated_ to one step past the append position
// with one call, where writing would take a fault per page. The reservation
// beyond (a line's worst case) is still committed only where it is written.
// A kernel without the call leaves every page to be committed by writing.
void TextBuffer::populate() {
    std::size_t upto = (std::size_t{append_} / POPULATE_STEP + 2) * POPULATE_STEP;
    // Never into the spill area, present or to come: its addresses are the file's.
    if (threshold_ < upto) upto = static_cast<std::size_t>(threshold_);
    if (upto <= populated_) return;
    ::madvise(base_ + populated_, upto - populated_, MADV_POPULATE_WRITE);
    populated_ = upto;
}

// Makes the spill file cover `up_to` bytes from the threshold on and maps the
// part not mapped yet over the buffer's addresses.
bool TextBuffer::map_spill(std::size_t up_to) {
    if (up_to <= spill_mapped_) return true;
    bool first = spill_fd_ < 0;
    if (first) {
        std::string path = spill_name(spill_folder_);
        int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd < 0) return false;
        spill_fd_ = fd;
        spill_path_ = std::move(path);
    }
    std::size_t want = (up_to + SPILL_STEP - 1) / SPILL_STEP * SPILL_STEP;
    want = std::min(want, static_cast<std::size_t>(reserved_ - threshold_));
    if (::ftruncate(spill_fd_, static_cast<off_t>(want)) != 0) return false;
    if (first) {
        // Text already written in the page below the threshold moves into the file.
        std::size_t written = std::max<std::size_t>(high_water_, append_);
        if (written > threshold_) {
            std::size_t len = written - static_cast<std::size_t>(threshold_);
            if (::pwrite(spill_fd_, base_ + threshold_, len, 0) != static_cast<ssize_t>(len)) return false;
        }
    }
    std::uint8_t* at = base_ + threshold_ + spill_mapped_;
    void* p = ::mmap(at, want - spill_mapped_, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_FIXED, spill_fd_,
                     static_cast<off_t>(spill_mapped_));
    if (p == MAP_FAILED) {
        // MAP_FIXED failed before replacing anything; the old mapping still stands.
        return false;
    }
    spill_mapped_ = want;
    return true;
}

std::uint64_t default_spill_threshold() {
    std::ifstream in("/proc/meminfo");
    std::string key;
    std::uint64_t kib = 0;
    std::string unit;
    while (in >> key >> kib >> unit) {
        if (key == "MemAvailable:") {
            std::uint64_t bytes = kib * 1024;
            std::uint64_t t = bytes > MEMORY_MARGIN ? bytes - MEMORY_MARGIN : 0;
            return std::max(t, MIN_THRESHOLD);
        }
    }
    return UINT64_MAX;   // unknown: keep everything in memory
}

}  // namespace rix
