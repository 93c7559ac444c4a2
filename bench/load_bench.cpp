// Times loading a document (ruby reading on, default chunks) and recounting
// its display lines, and reports the memory the loaded document takes.
//   load_bench FILE [REFERENCE_SECONDS]
// With a reference time (the same file through iconv, measured by bench.sh
// in the same run) each time is printed also as a ratio to it.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "document/display_lines.h"
#include "document/loader.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int ROUNDS = 5;

double seconds_since(Clock::time_point t0) {
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

void report(const char* what, double s, double reference) {
    if (reference > 0)
        std::printf("%-26s %9.4f s   %6.2f x iconv\n", what, s, s / reference);
    else
        std::printf("%-26s %9.4f s\n", what, s);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: load_bench FILE [REFERENCE_SECONDS]\n");
        return 2;
    }
    double reference = argc > 2 ? std::atof(argv[2]) : 0;
    int fd = ::open(argv[1], O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    rix::BatchMessages quiet;
    rix::install_messages(&quiet);

    rix::Document doc;
    rix::DocumentState state;
    state.text_fd = fd;
    state.file_length = st.st_size;
    rix::LoadSession session;
    session.options.read_rubies = true;

    double load = 1e9, recount = 1e9;
    for (int r = 0; r < ROUNDS; ++r) {
        auto t0 = Clock::now();
        rix::start_load(doc, state, session);
        rix::load_all(doc, state, session);
        load = std::min(load, seconds_since(t0));
    }
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
    if (reference > 0) report("iconv -f CP932 -t UTF-8", reference, reference);
    report("load (rubies on)", load, reference);
    report("recount_display_lines", recount, reference);
    std::printf("%-26s %9.2f x file size (buffer %zu + tables %zu bytes)\n", "memory after load", memory,
                doc.buffer.committed_bytes(), tables);
    ::close(fd);
    rix::install_messages(nullptr);
    return 0;
}
