// Replays every seed of the loader and extension-file fuzz targets through
// the fuzz entry functions, so the seeds guard the build like any test.
#include <gtest/gtest.h>

#include <dirent.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz/fuzz_entries.h"
#include "rix_build_paths.h"

namespace rix {
namespace {

std::vector<std::string> seed_files(const std::string& folder) {
    std::vector<std::string> files;
    if (DIR* d = ::opendir(folder.c_str())) {
        while (dirent* e = ::readdir(d))
            if (e->d_name[0] != '.') files.push_back(folder + "/" + e->d_name);
        ::closedir(d);
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string read_all(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void replay(const char* folder, std::string (*entry)(const std::uint8_t*, std::size_t)) {
    std::vector<std::string> files = seed_files(std::string(RIX_SOURCE_DIR) + "/fuzz/seeds/" + folder);
    EXPECT_FALSE(files.empty()) << folder;
    for (const std::string& f : files) {
        std::string bytes = read_all(f);
        EXPECT_EQ(entry(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), "") << f;
    }
}

TEST(FuzzSeeds, Loader) { replay("loader", fuzz::loader_entry); }
TEST(FuzzSeeds, ExtensionFile) { replay("extension_file", fuzz::extension_entry); }

}  // namespace
}  // namespace rix
