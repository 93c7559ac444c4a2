// The self-pipe of the ending signals (see end_signals.h).
#include "platform/end_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace rix {
namespace {

// Both ends of the pipe; the write end is what the handler reaches. Process
// wide, as the handler itself is.
int pipe_ends[2] = {-1, -1};

constexpr int END_SIGNALS[] = {SIGTERM, SIGHUP, SIGINT, SIGQUIT};

extern "C" void on_end_signal(int signal_number) {
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(signal_number);
    ssize_t ignored = ::write(pipe_ends[1], &byte, 1);   // a full pipe already holds a pending end
    (void)ignored;
    errno = saved;
}

}  // namespace

int watch_end_signals() {
    if (pipe_ends[0] >= 0) return pipe_ends[0];
    if (::pipe2(pipe_ends, O_CLOEXEC | O_NONBLOCK) != 0) {
        pipe_ends[0] = pipe_ends[1] = -1;
        return -1;
    }
    struct sigaction action {};
    action.sa_handler = on_end_signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal_number : END_SIGNALS) ::sigaction(signal_number, &action, nullptr);
    return pipe_ends[0];
}

int take_end_signal(int fd) {
    unsigned char byte = 0;
    for (;;) {
        ssize_t n = ::read(fd, &byte, 1);
        if (n == 1) return byte;
        if (n < 0 && errno == EINTR) continue;
        return 0;
    }
}

}  // namespace rix
