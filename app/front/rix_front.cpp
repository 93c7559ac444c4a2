// The program users start as `rix`. The batch options answered without a
// window (--version, --data-folder, --info) run here, in a program that
// loads neither Qt nor the network libraries, so that they start as fast as
// a command-line tool; every other start becomes the window program in the
// same folder (the same process, the same arguments, argv[0] included).
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/shell/process_start.h"
#include "platform/files.h"
#include "platform/shell.h"

using namespace rix;

int main(int argc, char** argv) {
    CommandLine line;
    if (parse_command_line(std::vector<std::string>(argv + 1, argv + argc), &line) &&
        answered_without_window(line)) {
        Application app;
        const int started = start_without_window(app, argc, argv);
        if (started != START_NEEDS_WINDOW) return started;
    }
    const std::string window = join_path(folder_of(executable_path()), WINDOW_PROGRAM);
    ::execv(window.c_str(), argv);
    std::fprintf(stderr, "rix: cannot start %s: %s\n", window.c_str(), std::strerror(errno));
    return 1;
}
