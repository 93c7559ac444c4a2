// A real FTP server on 127.0.0.1 for one test: tests/support/ftp_server.py
// (python3-pyftpdlib) serving one folder to one user on a free port. The
// port is read from the script's first line, waited for at most ten
// seconds; the server is killed and reaped when the object goes.
#pragma once

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "rix_build_paths.h"

namespace rix::test {

class LocalFtpServer {
public:
    static constexpr const char* USER = "writer";
    static constexpr const char* PASSWORD = "ms-secret";

    // The Python that has pyftpdlib: the system's (where the Debian package
    // puts it) before whatever "python3" the PATH finds first; "" for none.
    static const std::string& python() {
        static const std::string found = [] {
            for (const char* candidate : {"/usr/bin/python3", "python3"}) {
                const std::string probe = std::string(candidate) + " -c 'import pyftpdlib' >/dev/null 2>&1";
                if (std::system(probe.c_str()) == 0) return std::string(candidate);
            }
            return std::string();
        }();
        return found;
    }
    static bool available() { return !python().empty(); }

    // hostile: every listing also names "../evil", "..\\evil" and "/etc/passwd".
    explicit LocalFtpServer(const std::string& folder, bool hostile = false) {
        const std::string interpreter = python();
        int out[2];
        if (::pipe(out) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(out[1], 1);
            ::close(out[0]);
            ::close(out[1]);
            const std::string script = std::string(RIX_SOURCE_DIR) + "/tests/support/ftp_server.py";
            ::execlp(interpreter.c_str(), "python3", script.c_str(), folder.c_str(), USER, PASSWORD, hostile ? "hostile" : "",
                     static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(out[1]);
        std::string line;
        pollfd p{out[0], POLLIN, 0};
        for (int waited = 0; waited < 100 && line.find('\n') == std::string::npos; ++waited) {
            if (::poll(&p, 1, 100) <= 0) continue;
            char buf[64];
            const ssize_t n = ::read(out[0], buf, sizeof buf);
            if (n <= 0) break;
            line.append(buf, static_cast<std::size_t>(n));
        }
        ::close(out[0]);
        if (line.rfind("PORT ", 0) == 0) port_ = std::atoi(line.c_str() + 5);
    }
    ~LocalFtpServer() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
    }
    LocalFtpServer(const LocalFtpServer&) = delete;
    LocalFtpServer& operator=(const LocalFtpServer&) = delete;

    int port() const { return port_; }   // 0 when it did not start

private:
    pid_t pid_ = -1;
    int port_ = 0;
};

// Skips the test where the server cannot run, except under CI, where its
// absence is a fault of the setup.
#define RIX_NEED_FTP_SERVER()                                                              \
    do {                                                                                   \
        if (!::rix::test::LocalFtpServer::available()) {                                   \
            if (std::getenv("CI")) FAIL() << "python3-pyftpdlib is missing";               \
            GTEST_SKIP() << "python3-pyftpdlib is missing";                                \
        }                                                                                  \
    } while (0)

}  // namespace rix::test
