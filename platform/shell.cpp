// Starting processes with posix_spawn: argument lists only, never a shell.
#include "platform/shell.h"

#include <pwd.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>

extern char** environ;

namespace rix {
namespace {

bool spawn_detached(const std::string& program, const std::vector<std::string>& args, bool search_path) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    int rc = search_path ? posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ)
                         : posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ);
    return rc == 0;
}

bool starts_with_ci(const std::string& s, const char* prefix) {
    std::size_t n = std::strlen(prefix);
    if (s.size() < n) return false;
    for (std::size_t i = 0; i < n; ++i) {
        char c = s[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i]) return false;
    }
    return true;
}

}  // namespace

std::string executable_path() {
    char buf[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return {};
    return std::string(buf, static_cast<std::size_t>(n));
}

bool start_instance(const std::vector<std::string>& args) {
    std::string exe = executable_path();
    if (exe.empty()) return false;
    return spawn_detached(exe, args, false);
}

bool open_address(const std::string& address) {
    static const char* const ALLOWED[] = {"http://", "https://", "ftp://", "mailto:"};
    bool ok = false;
    for (const char* p : ALLOWED) ok = ok || starts_with_ci(address, p);
    if (!ok) return false;
    for (char c : address)
        if (static_cast<unsigned char>(c) < 0x20) return false;
    return spawn_detached("xdg-open", {address}, true);
}

bool open_local_file(const std::string& path) {
    struct stat st {};
    if (path.empty() || path[0] != '/' || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    for (char c : path)
        if (static_cast<unsigned char>(c) < 0x20) return false;
    return spawn_detached("xdg-open", {path}, true);
}

std::string logged_on_user_name() {
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_name && *pw->pw_name) return pw->pw_name;
    const char* user = std::getenv("USER");
    return user ? user : "";
}

}  // namespace rix
