// Desktop entries (the freedesktop launcher files, "*.desktop") of type
// Application: written and read back for the desktop shortcuts that start
// the program with chosen settings.
//
// Exec is an argument vector. An argument is quoted when it holds a blank or
// a reserved character; inside the quotes ", `, $ and \ take a backslash; %
// is written %%; then the value's own escaping doubles every backslash and
// writes a line break as \n. Reading undoes both layers and drops field codes
// (%f, %u, ...). Every other text is UTF-8, written with the value escapes
// \n, \t, \r and \\ and read back through them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace rix {

struct DesktopEntry {
    std::string name;                 // Name
    std::string comment;              // Comment
    std::vector<std::string> exec;    // Exec: the program, then its arguments
    std::string path;                 // Path: the working folder ("" = none)
    std::string icon;                 // Icon: a file path or a theme name
    std::string field_code;           // written after Exec's arguments as it is ("%u"); "" = none
    std::string mime_types;           // MimeType ("text/plain;application/zip;"); "" = none
};

// The Exec value of an argument vector, and back (false when the quoting is
// broken: an open quote, a character that must be escaped left bare).
std::string exec_value(const std::vector<std::string>& args);
bool split_exec_value(std::string_view value, std::vector<std::string>* args);

// The file's text, and back: false when no "[Desktop Entry]" group with
// Type=Application and an Exec key is found. Keys of other groups and
// localised keys (Name[ja]) are passed over.
std::string format_desktop_entry(const DesktopEntry& e);
bool parse_desktop_entry(std::string_view text, DesktopEntry* out);

// Written atomically and made executable (mode 0755), replacing an entry of
// the same name; read whole (at most 1 MiB).
bool write_desktop_entry(const std::string& path, const DesktopEntry& e);
bool read_desktop_entry(const std::string& path, DesktopEntry* out);

// The entry that offers the program in a browser's or file manager's "open
// with" (applications_folder()/rix-open.desktop): Exec="<program>" %u for text
// files and ZIP and LZH archives. Written or removed; false on failure (a
// missing entry removed is no failure).
std::string open_with_entry_path();
bool write_open_with_entry(const std::string& program);
bool remove_open_with_entry();

// The user's folders (UTF-8 paths without a final "/"): the desktop
// ($XDG_DESKTOP_DIR from user-dirs.dirs, else ~/Desktop) and the applications
// menu ($XDG_DATA_HOME/applications).
std::string desktop_folder();
std::string applications_folder();

}  // namespace rix
