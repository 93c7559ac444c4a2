// Times loading a document (ruby reading on, default chunks) and recounting
// its display lines, against `iconv -f CP932 -t UTF-8` of the same file timed
// in the same run (rounds interleaved, best of each, so that the machine's
// other load falls on both alike); reports the memory the loaded document
// takes as a multiple of the file size. With UTF8_COPY, the file is written
// there in UTF-8 and loading it is timed against loading the Shift_JIS file,
// in the same rounds.
//   load_bench FILE [UTF8_COPY]
// Aims: load at most 1.0 x iconv, recount at most 0.3 x iconv, memory at
// most 1.1 x the file size, UTF-8 loading at most 1.5 x Shift_JIS loading.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>

#include "bench/bench_report.h"
#include "document/display_lines.h"
#include "document/loader.h"
#include "platform/codec.h"
#include "platform/files.h"
#include "platform/messages.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int ROUNDS = 7;

double seconds_since(Clock::time_point t0) { return std::chrono::duration<double>(Clock::now() - t0).count(); }

// Seconds to load the document held in `state` into a new document (ruby
// reading on), which is kept in *loaded.
double time_load(rix::DocumentState& state, std::unique_ptr<rix::Document>* loaded) {
    loaded->reset();
    auto t0 = Clock::now();
    auto fresh = std::make_unique<rix::Document>();
    rix::LoadSession session;
    session.options.read_rubies = true;
    rix::start_load(*fresh, state, session);
    rix::load_all(*fresh, state, session);
    const double t = seconds_since(t0);
    *loaded = std::move(fresh);
    return t;
}

// The file in UTF-8 at `path`, held open in *state; false when it cannot be.
bool make_utf8_copy(const char* from, const char* path, rix::DocumentState* state) {
    std::string sjis;
    if (!rix::read_whole_file(from, &sjis) || !rix::atomic_replace(path, rix::sjis_to_utf8(sjis))) return false;
    state->text_fd = ::open(path, O_RDONLY | O_CLOEXEC);
    return state->text_fd >= 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: load_bench FILE\n");
        return 2;
    }
    int fd = ::open(argv[1], O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    rix::BatchMessages quiet;
    rix::install_messages(&quiet);

    rix::DocumentState state;
    state.text_fd = fd;
    state.file_length = st.st_size;

    // Each round loads into a new document, as opening a file does: its
    // memory is committed anew.
    rix::DocumentState utf8_state;
    if (argc > 2 && !make_utf8_copy(argv[1], argv[2], &utf8_state)) {
        std::fprintf(stderr, "load_bench: cannot write the UTF-8 copy %s\n", argv[2]);
        return 1;
    }
    std::unique_ptr<rix::Document> loaded, utf8_loaded;
    double iconv = 1e9, load = 1e9, recount = 1e9, utf8_load = 1e9;
    for (int r = 0; r < ROUNDS; ++r) {
        const double t = rix::bench::time_command(rix::bench::iconv_command(argv[1]));
        if (t < 0) {
            std::fprintf(stderr, "load_bench: iconv -f CP932 -t UTF-8 %s failed\n", argv[1]);
            return 1;
        }
        iconv = std::min(iconv, t);
        load = std::min(load, time_load(state, &loaded));
        if (utf8_state.text_fd >= 0) utf8_load = std::min(utf8_load, time_load(utf8_state, &utf8_loaded));
    }
    rix::Document& doc = *loaded;
    for (int r = 0; r < ROUNDS; ++r) {
        doc.rules.chars_per_column = r % 2 ? 20 : 40;
        auto t0 = Clock::now();
        rix::recount_display_lines(doc, rix::TextPos());
        recount = std::min(recount, seconds_since(t0));
    }
    rix::DocumentCounts n = rix::count_document(doc);
    std::size_t tables = std::size_t{n.lines} * (sizeof(rix::BufferOffset) + 1 + 4 + 8 + 4);
    double memory = static_cast<double>(doc.buffer.committed_bytes() + tables) / static_cast<double>(st.st_size);

    std::printf("file %s: %lld bytes, %u lines, %llu rubies, fully loaded %d\n", argv[1],
                static_cast<long long>(st.st_size), n.lines, static_cast<unsigned long long>(n.rubies),
                doc.fully_loaded() ? 1 : 0);
    std::printf("%-26s %9.4f s\n", "iconv -f CP932 -t UTF-8", iconv);
    std::printf("%-26s %9.4f s   %6.2f x iconv\n", "load (rubies on)", load, load / iconv);
    std::printf("%-26s %9.4f s   %6.2f x iconv\n", "recount_display_lines", recount, recount / iconv);
    std::printf("%-26s %9.2f x file size (buffer %zu + tables %zu bytes)\n", "memory after load", memory,
                doc.buffer.committed_bytes(), tables);
    rix::bench::print_result("load 2 MB, rubies on / iconv", load / iconv, 1.0);
    rix::bench::print_result("recount display lines / iconv", recount / iconv, 0.3);
    rix::bench::print_result("memory after load / file size", memory, 1.1);
    if (utf8_state.text_fd >= 0) {
        const bool same = utf8_loaded->lines.count() == n.lines && utf8_loaded->load.report.unmappable == 0;
        std::printf("%-26s %9.4f s   %6.2f x Shift_JIS%s\n", "load as UTF-8 (rubies on)", utf8_load,
                    utf8_load / load, same ? "" : "   (NOT the same document)");
        rix::bench::print_result("load 2 MB as UTF-8 / as Shift_JIS", same ? utf8_load / load : 99.0, 1.5);
        ::close(utf8_state.text_fd);
    }
    ::close(fd);
    rix::install_messages(nullptr);
    return doc.fully_loaded() ? 0 : 1;
}
