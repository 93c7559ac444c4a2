// Times the whole process of `rix --epub OUT --print-format 1 FILE` (start,
// load, the content files, package and contents built in memory, the zip
// deflated and the book written) against the whole process of
// `rix --info FILE` (start and load alone), rounds interleaved, best of
// each; prints both and their ratio (aim: at most 3.0).
//   epub_bench RIX FILE OUT     (RIX_HOME: the data folder the runs use)
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_report.h"

namespace {

constexpr int ROUNDS = 3;

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: epub_bench RIX FILE OUT\n");
        return 2;
    }
    const std::vector<std::string> info = {argv[1], "--info", argv[2]};
    const std::vector<std::string> epub = {argv[1], "--epub", argv[3], "--print-format", "1", argv[2]};
    // The first start fills the data folder; it is not timed.
    if (rix::bench::time_command(info) < 0) {
        std::fprintf(stderr, "epub_bench: %s --info %s failed\n", argv[1], argv[2]);
        return 1;
    }
    double ours = 1e9, reference = 1e9;
    for (int r = 0; r < ROUNDS; ++r) {
        const double a = rix::bench::time_command(info);
        const double b = rix::bench::time_command(epub);
        if (a < 0 || b < 0) {
            std::fprintf(stderr, "epub_bench: a run failed\n");
            return 1;
        }
        reference = std::min(reference, a);
        ours = std::min(ours, b);
    }
    std::printf("%-27s %9.4f s\n", "rix --info (whole process)", reference);
    std::printf("%-27s %9.4f s   %6.2f x rix --info\n", "rix --epub (whole process)", ours, ours / reference);
    rix::bench::print_result("rix --epub process / rix --info", ours / reference, 3.0);
    return 0;
}
