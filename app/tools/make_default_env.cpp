// rix_make_env: writes the shipped environment file (resources/rix.env) from
// build_default_settings, so that the file and the code cannot drift apart.
//
// Usage: rix_make_env OUTPUT_PATH
// The record is checked against the documented ranges first; a record that
// fails is not written and the exit code is 1.
#include <cstdio>
#include <string>
#include <string_view>

#include "app/settings/default_settings.h"
#include "app/settings/settings_record.h"
#include "platform/files.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_PATH\n", argc > 0 ? argv[0] : "rix_make_env");
        return 2;
    }
    rix::SettingsRecord rec;
    rix::build_default_settings(&rec);
    std::string problem;
    if (!rix::check_settings_ranges(rec, &problem)) {
        std::fprintf(stderr, "default settings out of range: %s\n", problem.c_str());
        return 1;
    }
    std::string_view bytes(reinterpret_cast<const char*>(&rec), sizeof rec);
    if (!rix::atomic_replace(argv[1], bytes)) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
