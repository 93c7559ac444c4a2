// Desktop entries: the Exec quoting and the file's key=value lines (see desktop_entry.h).
#include "platform/desktop_entry.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <cstdlib>

#include "platform/files.h"

namespace rix {

namespace {

constexpr std::string_view RESERVED = " \t\n\"'\\><~|&;$*?#()`";
constexpr std::size_t MAX_ENTRY_BYTES = 1024 * 1024;

// The value escapes of a string key.
std::string escape_value(std::string_view s) {
    std::string out;
    for (char c : s) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\t': out += "\\t"; break;
            case '\r': out += "\\r"; break;
            default: out += c;
        }
    }
    // A leading blank would be taken for the space around "=".
    if (!out.empty() && out[0] == ' ') out = "\\s" + out.substr(1);
    return out;
}

std::string unescape_value(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\' || i + 1 == s.size()) {
            out += s[i];
            continue;
        }
        switch (s[++i]) {
            case 's': out += ' '; break;
            case 'n': out += '\n'; break;
            case 't': out += '\t'; break;
            case 'r': out += '\r'; break;
            case '\\': out += '\\'; break;
            default: out += '\\'; out += s[i];
        }
    }
    return out;
}

std::string quote_argument(const std::string& arg) {
    std::string body;
    bool quote = arg.empty();
    for (char c : arg) {
        if (RESERVED.find(c) != std::string_view::npos) quote = true;
        if (c == '%') body += '%';
        body += c;
    }
    if (!quote) return body;
    std::string out = "\"";
    for (char c : body) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') out += '\\';
        out += c;
    }
    return out + '"';
}

std::string trim(std::string_view s) {
    std::size_t a = 0, b = s.size();
    while (a < b && (s[a] == ' ' || s[a] == '\t')) ++a;
    while (b > a && (s[b - 1] == ' ' || s[b - 1] == '\t' || s[b - 1] == '\r')) --b;
    return std::string(s.substr(a, b - a));
}

std::string home() {
    const char* h = std::getenv("HOME");
    return h && h[0] == '/' ? h : "/";
}

}  // namespace

std::string exec_value(const std::vector<std::string>& args) {
    std::string line;
    for (const std::string& a : args) {
        if (!line.empty()) line += ' ';
        line += quote_argument(a);
    }
    return escape_value(line);
}

bool split_exec_value(std::string_view value, std::vector<std::string>* args) {
    args->clear();
    const std::string s = unescape_value(value);
    std::string arg;
    bool in_arg = false, field_only = false;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == ' ' || c == '\t' || c == '\n') {
            if (in_arg && !field_only) args->push_back(arg);
            arg.clear();
            in_arg = field_only = false;
            continue;
        }
        if (c == '"') {
            in_arg = true;
            field_only = false;
            for (++i;; ++i) {
                if (i >= s.size()) return false;   // an open quote
                if (s[i] == '"') break;
                if (s[i] == '\\' && i + 1 < s.size() && std::string_view("\"`$\\").find(s[i + 1]) != std::string_view::npos)
                    ++i;
                if (s[i] == '%' && i + 1 < s.size() && s[i + 1] == '%') ++i;
                arg += s[i];
            }
            continue;
        }
        if (c == '%' && i + 1 < s.size()) {
            if (s[i + 1] == '%') {
                arg += '%';
                field_only = false;
            } else if (!in_arg) {
                field_only = true;   // a field code standing alone is no argument
            }
            in_arg = true;
            ++i;
            continue;
        }
        if (field_only) field_only = false;
        arg += c;
        in_arg = true;
    }
    if (in_arg && !field_only) args->push_back(arg);
    return true;
}

std::string format_desktop_entry(const DesktopEntry& e) {
    std::string out = "[Desktop Entry]\nType=Application\nVersion=1.4\n";
    out += "Name=" + escape_value(e.name) + "\n";
    if (!e.comment.empty()) out += "Comment=" + escape_value(e.comment) + "\n";
    out += "Exec=" + exec_value(e.exec) + (e.field_code.empty() ? "" : " " + e.field_code) + "\n";
    if (!e.mime_types.empty()) out += "MimeType=" + escape_value(e.mime_types) + "\n";
    if (!e.path.empty()) out += "Path=" + escape_value(e.path) + "\n";
    if (!e.icon.empty()) out += "Icon=" + escape_value(e.icon) + "\n";
    out += "Terminal=false\n";
    return out;
}

bool parse_desktop_entry(std::string_view text, DesktopEntry* out) {
    *out = DesktopEntry{};
    bool in_group = false, application = false, has_exec = false;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        const std::string line = trim(text.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == '#') continue;
        if (line[0] == '[') {
            in_group = line == "[Desktop Entry]";
            continue;
        }
        const std::size_t eq = line.find('=');
        if (!in_group || eq == std::string::npos) continue;
        const std::string key = trim(std::string_view(line).substr(0, eq));
        const std::string value = trim(std::string_view(line).substr(eq + 1));
        if (key == "Type") application = value == "Application";
        else if (key == "Name") out->name = unescape_value(value);
        else if (key == "Comment") out->comment = unescape_value(value);
        else if (key == "Path") out->path = unescape_value(value);
        else if (key == "Icon") out->icon = unescape_value(value);
        else if (key == "Exec") has_exec = split_exec_value(value, &out->exec) && !out->exec.empty();
    }
    return application && has_exec;
}

bool write_desktop_entry(const std::string& path, const DesktopEntry& e) {
    return atomic_replace(path, format_desktop_entry(e)) && ::chmod(path.c_str(), 0755) == 0;
}

bool read_desktop_entry(const std::string& path, DesktopEntry* out) {
    std::string text;
    return read_file_prefix(path, MAX_ENTRY_BYTES, &text) && text.size() < MAX_ENTRY_BYTES &&
           parse_desktop_entry(text, out);
}

std::string desktop_folder() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const std::string dirs = (config && config[0] == '/' ? std::string(config) : home() + "/.config") + "/user-dirs.dirs";
    std::string text;
    if (read_file_prefix(dirs, 64 * 1024, &text)) {
        const std::size_t at = text.find("XDG_DESKTOP_DIR=\"");
        if (at != std::string::npos && (at == 0 || text[at - 1] == '\n')) {
            const std::size_t from = at + 17, to = text.find('"', from);
            std::string dir = text.substr(from, to == std::string::npos ? 0 : to - from);
            if (dir.compare(0, 5, "$HOME") == 0) dir = home() + dir.substr(5);
            while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
            if (!dir.empty() && dir[0] == '/') return dir;
        }
    }
    return join_path(home(), "Desktop");
}

std::string applications_folder() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    const std::string data = xdg && xdg[0] == '/' ? std::string(xdg) : home() + "/.local/share";
    return data + "/applications";
}

std::string open_with_entry_path() { return applications_folder() + "/rix-open.desktop"; }

bool write_open_with_entry(const std::string& program) {
    if (program.empty()) return false;
    const std::string folder = applications_folder();
    for (std::size_t pos = 1; pos <= folder.size(); ++pos) {
        if (pos < folder.size() && folder[pos] != '/') continue;
        if (::mkdir(folder.substr(0, pos).c_str(), 0755) != 0 && errno != EEXIST) return false;
    }
    DesktopEntry e;
    e.name = "ミルトア";
    e.comment = "ダウンロードした原稿を開く";
    e.exec = {program};
    e.field_code = "%u";
    e.icon = "rix";
    e.mime_types = "text/plain;application/zip;application/x-lha;application/x-lzh-compressed;";
    return atomic_replace(open_with_entry_path(), format_desktop_entry(e));
}

bool remove_open_with_entry() { return ::unlink(open_with_entry_path().c_str()) == 0 || errno == ENOENT; }

}  // namespace rix
