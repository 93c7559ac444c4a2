// The desktop backend of the extension association (see association.h).
#include "platform/association.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "platform/files.h"
#include "platform/text_tools.h"

namespace rix {

namespace {

constexpr std::string_view TYPE_PREFIX = "text/x-rix-";
constexpr std::string_view FILE_PREFIX = "rix-";

std::string lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::string data_home() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && xdg[0] == '/') return xdg;
    const char* home = std::getenv("HOME");
    return std::string(home && home[0] ? home : "/") + "/.local/share";
}

std::vector<std::string> data_dirs() {
    std::vector<std::string> dirs{data_home()};
    const char* env = std::getenv("XDG_DATA_DIRS");
    std::string list = env && env[0] ? env : "/usr/local/share:/usr/share";
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(':', start);
        if (end == std::string::npos) end = list.size();
        std::string dir = list.substr(start, end - start);
        if (!dir.empty() && dir[0] == '/') dirs.push_back(dir);
        start = end + 1;
    }
    return dirs;
}

bool make_folders(const std::string& path) {
    for (std::size_t pos = 1; pos <= path.size(); ++pos) {
        if (pos < path.size() && path[pos] != '/') continue;
        const std::string part = path.substr(0, pos);
        if (::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return false;
    }
    return folder_exists(path);
}

// A program found on PATH, or "".
std::string on_path(const char* name) {
    const char* env = std::getenv("PATH");
    std::string list = env ? env : "";
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(':', start);
        if (end == std::string::npos) end = list.size();
        const std::string candidate = list.substr(start, end - start) + "/" + name;
        if (end > start && ::access(candidate.c_str(), X_OK) == 0) return candidate;
        start = end + 1;
    }
    return {};
}

// Runs a cache tool on a folder when it is installed; its output is dropped.
void run_tool(const char* name, const std::string& folder) {
    const std::string program = on_path(name);
    if (program.empty()) return;
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_RDWR);
        if (null >= 0) {
            ::dup2(null, 0);
            ::dup2(null, 1);
            ::dup2(null, 2);
        }
        ::execl(program.c_str(), name, folder.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    if (pid > 0) {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
    }
}

// The program as one quoted argument of a desktop entry's Exec key: inside
// the quotes ", `, $ and \ take a backslash, and the key's own escaping then
// doubles every backslash; % is written %%.
std::string exec_argument(const std::string& program) {
    std::string quoted = "\"";
    for (char c : program) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
        if (c == '%') quoted += '%';
        quoted += c;
    }
    quoted += '"';
    std::string out;
    for (char c : quoted) {
        if (c == '\\') out += '\\';
        out += c;
    }
    return out;
}


class DesktopAssociations final : public AssociationStore {
public:
    explicit DesktopAssociations(std::string program) : program_(std::move(program)) {}

    std::string find() override {
        const std::string folder = applications();
        for (const std::string& name : list_folder_names(folder)) {
            if (name.size() <= FILE_PREFIX.size() + 8 || name.compare(0, FILE_PREFIX.size(), FILE_PREFIX) != 0 ||
                name.compare(name.size() - 8, 8, ".desktop") != 0)
                continue;
            const std::string extension = "." + name.substr(FILE_PREFIX.size(), name.size() - FILE_PREFIX.size() - 8);
            std::string text;
            if (!valid_extension(extension) || !read_file_prefix(folder + "/" + name, 64 * 1024, &text)) continue;
            if (!file_exists(package(extension))) continue;
            if (runs_this_program(text)) return extension;
        }
        return {};
    }

    bool taken_by_other(const std::string& extension) override {
        const std::string glob = "*" + lower(extension);
        for (const std::string& dir : data_dirs()) {
            std::string text;
            if (!read_file_prefix(dir + "/mime/globs2", 16 * 1024 * 1024, &text)) continue;
            std::size_t start = 0;
            while (start < text.size()) {
                std::size_t end = text.find('\n', start);
                if (end == std::string::npos) end = text.size();
                const std::string line = text.substr(start, end - start);
                start = end + 1;
                // weight:type:pattern[:flags]
                const std::size_t a = line.find(':');
                const std::size_t b = a == std::string::npos ? a : line.find(':', a + 1);
                if (b == std::string::npos || line[0] == '#') continue;
                const std::string type = line.substr(a + 1, b - a - 1);
                std::string pattern = line.substr(b + 1);
                pattern = pattern.substr(0, pattern.find(':'));
                if (lower(pattern) == glob && type.compare(0, TYPE_PREFIX.size(), TYPE_PREFIX) != 0) return true;
            }
        }
        // Packages of other programs in the user's folder whose cache was not rebuilt.
        const std::string packages = data_home() + "/mime/packages";
        for (const std::string& name : list_folder_names(packages)) {
            if (name.compare(0, FILE_PREFIX.size(), FILE_PREFIX) == 0) continue;
            std::string text;
            if (read_file_prefix(packages + "/" + name, 1024 * 1024, &text) &&
                lower(text).find("pattern=\"" + glob + "\"") != std::string::npos)
                return true;
        }
        return false;
    }

    bool add(const std::string& extension) override {
        if (!valid_extension(extension) || program_.empty() || program_.find('\n') != std::string::npos) return false;
        const std::string name = extension.substr(1);
        if (!make_folders(data_home() + "/mime/packages") || !make_folders(applications())) return false;
        const std::string type = std::string(TYPE_PREFIX) + lower(name);
        const std::string xml =
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
            "  <mime-type type=\"" + type + "\">\n"
            "    <comment>ミルトア manuscript (" + escape_markup(extension, Markup::XML) + ")</comment>\n"
            "    <sub-class-of type=\"text/plain\"/>\n"
            "    <glob pattern=\"*" + escape_markup(extension, Markup::XML) + "\" weight=\"60\"/>\n"
            "  </mime-type>\n"
            "</mime-info>\n";
        const std::string desktop =
            "[Desktop Entry]\n"
            "Type=Application\n"
            "Name=ミルトア\n"
            "Comment=" + extension + "\n"
            "Exec=" + exec_argument(program_) + " %f\n"
            "MimeType=" + type + ";\n"
            "NoDisplay=true\n"
            "Terminal=false\n";
        if (!atomic_replace(package(extension), xml) || !atomic_replace(entry(extension), desktop)) {
            ::unlink(package(extension).c_str());
            ::unlink(entry(extension).c_str());
            return false;
        }
        refresh();
        return true;
    }

    bool remove(const std::string& extension) override {
        if (!valid_extension(extension)) return false;
        bool ok = true;
        for (const std::string& path : {entry(extension), package(extension)})
            if (::unlink(path.c_str()) != 0 && errno != ENOENT) ok = false;
        refresh();
        return ok;
    }

private:
    static std::string applications() { return data_home() + "/applications"; }
    static std::string package(const std::string& extension) {
        return data_home() + "/mime/packages/" + std::string(FILE_PREFIX) + extension.substr(1) + ".xml";
    }
    static std::string entry(const std::string& extension) {
        return applications() + "/" + std::string(FILE_PREFIX) + extension.substr(1) + ".desktop";
    }
    static void refresh() {
        run_tool("update-mime-database", data_home() + "/mime");
        run_tool("update-desktop-database", applications());
    }

    // The entry's Exec names this program's file (compared in lower case).
    bool runs_this_program(const std::string& text) const {
        const std::size_t at = text.find("\nExec=");
        if (at == std::string::npos) return false;
        const std::string exec = lower(text.substr(at + 6, text.find('\n', at + 6) - at - 6));
        const std::string program = lower(name_of(program_));
        return !program.empty() && exec.find(program) != std::string::npos;
    }

    std::string program_;
};

}  // namespace

bool valid_extension(const std::string& extension) {
    if (extension.size() < 2 || extension.size() > 33 || extension[0] != '.') return false;
    for (std::size_t i = 1; i < extension.size(); ++i) {
        const char c = extension[i];
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
                        c == '-' || c == '+';
        if (!ok) return false;
    }
    return true;
}

std::unique_ptr<AssociationStore> make_desktop_associations(const std::string& program) {
    return std::make_unique<DesktopAssociations>(program);
}

}  // namespace rix
