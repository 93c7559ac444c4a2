// The seed replay program of the test build: every fuzz target compiled
// with RIX_FUZZ_REPLAY registers its entry here, and
//
//   rix_fuzz_replay TARGET FILE_OR_FOLDER...
//
// runs the target's entry on each file given and on every file of each
// folder given, in name order, printing the fault of each that fails.
// Exit status 0 when every input passed (and there was one), else 1.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "fuzz/fuzz_target.h"

namespace rix::fuzz {

std::map<std::string, FuzzEntry>& targets() {
    static std::map<std::string, FuzzEntry> all;
    return all;
}

bool register_target(const char* name, FuzzEntry entry) {
    targets()[name] = entry;
    return true;
}

}  // namespace rix::fuzz

namespace {

std::vector<std::string> inputs_of(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return {};
    if (!S_ISDIR(st.st_mode)) return {path};
    std::vector<std::string> files;
    if (DIR* d = ::opendir(path.c_str())) {
        while (dirent* e = ::readdir(d))
            if (e->d_name[0] != '.') files.push_back(path + "/" + e->d_name);
        ::closedir(d);
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace

int main(int argc, char** argv) {
    auto& targets = rix::fuzz::targets();
    auto target = argc > 1 ? targets.find(argv[1]) : targets.end();
    if (target == targets.end()) {
        std::fprintf(stderr, "usage: %s TARGET FILE_OR_FOLDER...\ntargets:", argv[0]);
        for (const auto& [name, entry] : targets) std::fprintf(stderr, " %s", name.c_str());
        std::fprintf(stderr, "\n");
        return 2;
    }
    int runs = 0, failed = 0;
    for (int a = 2; a < argc; ++a) {
        for (const std::string& file : inputs_of(argv[a])) {
            std::string bytes;
            if (!rix::fuzz::read_file(file, &bytes)) {
                std::fprintf(stderr, "%s: unreadable\n", file.c_str());
                ++failed;
                continue;
            }
            ++runs;
            std::string fault = target->second(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
            if (!fault.empty()) {
                std::fprintf(stderr, "%s: %s\n", file.c_str(), fault.c_str());
                ++failed;
            }
        }
    }
    std::printf("%s: %d inputs, %d failed\n", target->first.c_str(), runs, failed);
    return runs > 0 && failed == 0 ? 0 : 1;
}
