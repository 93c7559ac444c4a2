// The files of auto-save (see autosave_files.h).
#include "document/autosave_files.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>

#include "platform/files.h"

namespace rix {

unsigned autosave_generation_of(const std::string& file_name, const std::string& document_name) {
    const std::size_t prefix = std::strlen(AUTOSAVE_PREFIX);
    if (document_name.empty() || file_name.size() != prefix + 3 + document_name.size()) return 0;
    if (file_name.compare(0, prefix, AUTOSAVE_PREFIX) != 0) return 0;
    const char d1 = file_name[prefix], d2 = file_name[prefix + 1];
    if (d1 < '0' || d1 > '9' || d2 < '0' || d2 > '9' || file_name[prefix + 2] != '_') return 0;
    if (file_name.compare(prefix + 3, std::string::npos, document_name) != 0) return 0;
    return static_cast<unsigned>((d1 - '0') * 10 + (d2 - '0'));
}

std::string next_autosave_path(const std::string& document_path, unsigned generations) {
    const std::string folder = folder_of(document_path);
    const std::string name = name_of(document_path);
    if (name.empty()) return {};
    if (generations < 1 || generations > 99) generations = 1;
    unsigned newest = 0;
    struct timespec newest_time {};
    for (const std::string& entry : list_folder_names(folder.empty() ? "." : folder)) {
        const unsigned g = autosave_generation_of(entry, name);
        if (g == 0) continue;
        struct stat st {};
        if (::stat(join_path(folder, entry).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        const bool later = newest == 0 || st.st_mtim.tv_sec > newest_time.tv_sec ||
                           (st.st_mtim.tv_sec == newest_time.tv_sec && st.st_mtim.tv_nsec > newest_time.tv_nsec);
        if (later) {
            newest = g;
            newest_time = st.st_mtim;
        }
    }
    if (newest >= generations) newest = 0;
    char number[16];   // any unsigned number in full
    std::snprintf(number, sizeof number, "%02u_", newest + 1);
    return join_path(folder, std::string(AUTOSAVE_PREFIX) + number + name);
}

}  // namespace rix
