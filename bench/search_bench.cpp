// Times a search for a string the document does not hold, from its start to
// its end (locate_target, SEEK_TEXT_FORWARD), and memmem over the same
// stored bytes; prints the time of each and the ratio (aim: at most 3.0).
//   search_bench FILE
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "aids/search.h"
#include "bench/bench_report.h"
#include "document/loader.h"
#include "editing/cursor.h"
#include "platform/codec.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int ROUNDS = 9;

double seconds_since(Clock::time_point t0) { return std::chrono::duration<double>(Clock::now() - t0).count(); }

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: search_bench FILE\n");
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

    rix::Document doc;
    rix::DocumentState state;
    state.text_fd = fd;
    state.file_length = st.st_size;
    rix::LoadSession session;
    session.options.read_rubies = true;
    rix::start_load(doc, state, session);
    rix::load_all(doc, state, session);
    rix::EditState edit;
    rix::EditContext c{doc, state, edit, &session};
    rix::place_cursor(c, rix::TextPos(0, 0));

    const std::string needle = rix::utf8_to_sjis("存在しない検索語");
    const std::uint8_t* bytes = doc.buffer.pointer(0);
    const std::size_t length = doc.buffer.append_position();

    double search = 1e9, reference = 1e9;
    bool found = false;
    const void* hit = nullptr;
    for (int r = 0; r < ROUNDS; ++r) {
        auto t0 = Clock::now();
        found = found || rix::locate_target(c, rix::SEEK_TEXT_FORWARD, 0, needle).found;
        search = std::min(search, seconds_since(t0));
        t0 = Clock::now();
        hit = ::memmem(bytes, length, needle.data(), needle.size());
        reference = std::min(reference, seconds_since(t0));
    }
    std::printf("file %s: %zu stored bytes, %u lines, found %d/%d\n", argv[1], length, doc.lines.count(),
                found ? 1 : 0, hit ? 1 : 0);
    std::printf("%-26s %9.6f s\n", "memmem", reference);
    std::printf("%-26s %9.6f s   %6.2f x memmem (aim <= 3.0)\n", "search (absent string)", search,
                reference > 0 ? search / reference : 0.0);
    rix::bench::print_result("search absent string / memmem", reference > 0 ? search / reference : 0.0, 3.0);
    return 0;
}
