// What every benchmark shares: the line that hands a figure to bench.sh's
// closing table, and the timing of a whole command (the references that run
// as processes: iconv, the editor itself).
//
// A figure line reads "result<TAB>FIGURE<TAB>VALUE<TAB>AIM": VALUE is a
// ratio, AIM the largest ratio that still holds. bench.sh collects these
// lines; everything else a benchmark prints goes to the log as it is.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

extern char** environ;

namespace rix::bench {

inline void print_result(const char* figure, double value, double aim) {
    std::printf("result\t%s\t%.3f\t%.2f\n", figure, value, aim);
    std::fflush(stdout);
}

// Seconds one run of `argv` takes from its start to its exit, standard
// output and error to /dev/null; -1 when it could not start or exited with a
// status other than 0 (a reference that failed half way is no reference).
inline double time_command(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto t0 = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return -1;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? s : -1;
}

// The reference of the loading figures: iconv of the same file.
inline std::vector<std::string> iconv_command(const char* file) {
    return {"iconv", "-f", "CP932", "-t", "UTF-8", file};
}

}  // namespace rix::bench
