// Starting other processes: another instance of the editor, a viewer for a URL.
#pragma once

#include <string>
#include <vector>

namespace rix {

// Path of the running executable (/proc/self/exe), or "" when unknown.
std::string executable_path();
// Starts the executable again with `args` (not including argv[0]) as a
// separate argument list — never a joined command line. The child is not
// waited for. False when it could not be started.
bool start_instance(const std::vector<std::string>& args);
// Opens an http, https, ftp or mailto address with the desktop's handler.
// Anything else (a local path, a script) is refused and returns false.
bool open_address(const std::string& address);
// Opens an existing regular file (absolute path) with the desktop's handler
// for its type, e.g. a written PDF in the PDF viewer. Anything else is
// refused and returns false.
bool open_local_file(const std::string& path);
// The logged-on user's login name (UTF-8), "" when unknown.
std::string logged_on_user_name();

}  // namespace rix
