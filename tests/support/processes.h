// Processes for the tests of what belongs to a process.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

namespace rix::test {

// A pid that belonged to a process which has exited and been reaped.
inline long dead_pid() {
    pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    int status = 0;
    ::waitpid(child, &status, 0);
    return child;
}

}  // namespace rix::test
