// The frame every fuzz target is written in. A target is one source file
// under fuzz/ with an entry function
//
//   std::string entry(const std::uint8_t* data, std::size_t size);
//
// that feeds the bytes to one reader of outside data and returns "" when
// everything the reader promises held, else what went wrong. The file ends
// with RIX_FUZZ_TARGET(name, entry), which makes of it
// - in the fuzz build (clang, libFuzzer): LLVMFuzzerTestOneInput, trapping
//   with the fault's text on stderr;
// - in the test build (RIX_FUZZ_REPLAY): an entry of the seed replay program
//   (fuzz/replay_main.cpp), which runs every seed file of fuzz/seeds/<name>.
// So the same code is fuzzed by clang and replayed by every `./test.sh`.
//
// Also here: what several targets share (a private temporary folder, files
// written into it, small readers of the input's bytes, a test of sound
// text).
#pragma once

#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/codec.h"

namespace rix::fuzz {

using FuzzEntry = std::string (*)(const std::uint8_t* data, std::size_t size);

#ifdef RIX_FUZZ_REPLAY
// Registers a target of the replay program; defined in replay_main.cpp.
bool register_target(const char* name, FuzzEntry entry);
#endif

// The bytes of the input as a string_view.
inline std::string_view bytes_of(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// Takes the input's first byte as option bits (0 for an empty input) and
// leaves the rest as the reader's bytes.
inline std::uint8_t take_flags(std::string_view* in) {
    if (in->empty()) return 0;
    auto flags = static_cast<std::uint8_t>((*in)[0]);
    in->remove_prefix(1);
    return flags;
}

// A folder of this process under /dev/shm (else /tmp), made on first use and removed with
// everything in it when the process ends. "" when it cannot be made.
inline const std::string& scratch_folder() {
    static const std::string path = [] {
        // Memory rather than disk where there is one: the targets write much.
        std::string pattern = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm/rix-fuzz-XXXXXX" : "/tmp/rix-fuzz-XXXXXX";
        const char* made = ::mkdtemp(pattern.data());
        if (!made) return std::string();
        std::atexit([] {
            ::nftw(scratch_folder().c_str(), [](const char* p, const struct stat*, int, FTW*) { return ::remove(p); },
                   16, FTW_DEPTH | FTW_PHYS);
        });
        return std::string(made);
    }();
    return path;
}

// Empties a folder (and its subfolders) without removing it.
inline void empty_folder(const std::string& folder) {
    static std::string top;
    top = folder;
    ::nftw(folder.c_str(),
           [](const char* p, const struct stat*, int, FTW*) { return top == p ? 0 : ::remove(p); }, 16,
           FTW_DEPTH | FTW_PHYS);
}

// Writes `bytes` to `path`, replacing it; false when it cannot.
inline bool write_file(const std::string& path, std::string_view bytes) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t w = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (w <= 0) break;
        done += static_cast<std::size_t>(w);
    }
    ::close(fd);
    return done == bytes.size();
}

// The whole file at `path`; false when it cannot be read.
inline bool read_file(const std::string& path, std::string* out) {
    out->clear();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    char buf[65536];
    ssize_t r;
    while ((r = ::read(fd, buf, sizeof buf)) > 0) out->append(buf, static_cast<std::size_t>(r));
    ::close(fd);
    return r == 0;
}

// Code page 932 text that is sound as stored text: no NUL, 0x1A or byte
// 0xFC-0xFF standing as a character, no lead byte without its trail byte,
// and CR and LF only when `line_breaks` allows them.
inline bool sound_cp932(std::string_view text, bool line_breaks = false) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<std::uint8_t>(text[i]);
        if (is_never_text_byte(b)) return false;
        if (!line_breaks && (b == '\r' || b == '\n')) return false;
        if (is_lead_byte(b)) {
            if (i + 1 >= text.size() || !is_trail_byte(static_cast<std::uint8_t>(text[i + 1]))) return false;
            ++i;
        }
    }
    return true;
}

}  // namespace rix::fuzz

#ifdef RIX_FUZZ_REPLAY
#define RIX_FUZZ_TARGET(NAME, ENTRY) \
    [[maybe_unused]] static const bool rix_fuzz_registered_##NAME = rix::fuzz::register_target(#NAME, ENTRY);
#else
#define RIX_FUZZ_TARGET(NAME, ENTRY)                                                        \
    extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {     \
        std::string rix_fuzz_fault = ENTRY(data, size);                                     \
        if (!rix_fuzz_fault.empty()) {                                                      \
            std::fprintf(stderr, "%s fuzz: %s\n", #NAME, rix_fuzz_fault.c_str());           \
            __builtin_trap();                                                               \
        }                                                                                   \
        return 0;                                                                           \
    }
#endif
