// Times the whole process of `rix --info --read-rubies FILE` (start, data
// folder and settings, load, counts, exit) against the whole process of
// `iconv -f CP932 -t UTF-8 FILE`, rounds interleaved, best of each; prints
// both and their ratio (aim: at most 2.0).
//   start_bench RIX FILE       (RIX_HOME: the data folder the runs use)
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_report.h"

namespace {

constexpr int ROUNDS = 11;

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: start_bench RIX FILE\n");
        return 2;
    }
    const std::vector<std::string> info = {argv[1], "--info", "--read-rubies", argv[2]};
    const std::vector<std::string> iconv = rix::bench::iconv_command(argv[2]);
    // The first start fills the data folder; it is not timed.
    if (rix::bench::time_command(info) < 0) {
        std::fprintf(stderr, "start_bench: %s --info --read-rubies %s failed\n", argv[1], argv[2]);
        return 1;
    }
    double ours = 1e9, reference = 1e9;
    for (int r = 0; r < ROUNDS; ++r) {
        const double a = rix::bench::time_command(iconv);
        const double b = rix::bench::time_command(info);
        if (a < 0 || b < 0) {
            std::fprintf(stderr, "start_bench: a run failed\n");
            return 1;
        }
        reference = std::min(reference, a);
        ours = std::min(ours, b);
    }
    std::printf("%-26s %9.4f s\n", "iconv (whole process)", reference);
    std::printf("%-26s %9.4f s   %6.2f x iconv\n", "rix --info (whole process)", ours, ours / reference);
    rix::bench::print_result("rix --info process, rubies on / iconv", ours / reference, 2.0);
    return 0;
}
