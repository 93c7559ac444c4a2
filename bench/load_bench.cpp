// Times loading a document (ruby reading on, default chunks) and recounting
// its display lines, against `iconv -f CP932 -t UTF-8` of the same file timed
// in the same run (rounds interleaved, best of each, so that the machine's
// other load falls on both alike); reports the memory the loaded document
// takes as a multiple of the file size.
//   load_bench FILE
// Aims: load at most 1.0 x iconv, recount at most 0.3 x iconv, memory at
// most 1.1 x the file size.
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

namespace {

using Clock = std::chrono::steady_clock;
constexpr int ROUNDS = 7;

double seconds_since(Clock::time_point t0) { return std::chrono::duration<double>(Clock::now() - t0).count(); }

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
    std::unique_ptr<rix::Document> loaded;
    double iconv = 1e9, load = 1e9, recount = 1e9;
    for (int r = 0; r < ROUNDS; ++r) {
        const double t = rix::bench::time_command(rix::bench::iconv_command(argv[1]));
        if (t < 0) {
            std::fprintf(stderr, "load_bench: iconv -f CP932 -t UTF-8 %s failed\n", argv[1]);
            return 1;
        }
        iconv = std::min(iconv, t);
        loaded.reset();
        auto t0 = Clock::now();
        auto fresh = std::make_unique<rix::Document>();
        rix::LoadSession session;
        session.options.read_rubies = true;
        rix::start_load(*fresh, state, session);
        rix::load_all(*fresh, state, session);
        load = std::min(load, seconds_since(t0));
        loaded = std::move(fresh);
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
    ::close(fd);
    rix::install_messages(nullptr);
    return doc.fully_loaded() ? 0 : 1;
}
