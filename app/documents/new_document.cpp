// New document names and their creation.
#include "app/documents/new_document.h"

#include <cerrno>
#include <cstdio>

#include "platform/files.h"

namespace rix {
namespace {

constexpr int MAX_CREATE_TRIES = 1000;

// Characters, not bytes: a UTF-8 name counts each code point once.
std::size_t utf8_length(const std::string& s) {
    std::size_t n = 0;
    for (unsigned char c : s) n += (c & 0xC0) != 0x80;
    return n;
}

void split_pattern(const std::string& pattern, std::string* stem, std::string* ext) {
    std::size_t dot = pattern.find_last_of('.');
    *stem = dot == std::string::npos ? pattern : pattern.substr(0, dot);
    *ext = dot == std::string::npos ? std::string() : pattern.substr(dot);
}

std::string numbered(const std::string& stem, unsigned long n, const std::string& ext) {
    char digits[32];
    std::snprintf(digits, sizeof digits, "%03lu", n);
    return stem + digits + ext;
}

}  // namespace

std::string next_document_name(const std::vector<std::string>& existing, const std::string& pattern,
                               const std::string& folder, const std::string& current_save_name) {
    std::string stem, ext;
    split_pattern(pattern, &stem, &ext);
    unsigned long highest = 0;
    for (const std::string& name : existing) {
        if (name.size() < stem.size() + ext.size()) continue;
        if (name.compare(0, stem.size(), stem) != 0) continue;
        if (name.compare(name.size() - ext.size(), ext.size(), ext) != 0) continue;
        std::string name_stem = name.substr(0, name.size() - ext.size());
        if (utf8_length(name_stem) < utf8_length(stem) + 3) continue;
        unsigned long n = 0;
        std::size_t i = stem.size();
        bool any = false;
        while (i < name_stem.size() && name_stem[i] >= '0' && name_stem[i] <= '9' && n < 100000000UL) {
            n = n * 10 + static_cast<unsigned long>(name_stem[i++] - '0');
            any = true;
        }
        if (any && n > highest) highest = n;
    }
    std::string name = numbered(stem, highest + 1, ext);
    if (join_path(folder, name) == current_save_name) name = numbered(stem, highest + 2, ext);
    return name;
}

int create_new_document(const std::string& folder, const std::string& pattern,
                        const std::string& current_save_name, std::string* path) {
    std::vector<std::string> names = list_folder_names(folder);
    for (int attempt = 0; attempt < MAX_CREATE_TRIES; ++attempt) {
        std::string candidate = join_path(folder, next_document_name(names, pattern, folder, current_save_name));
        int fd = create_exclusive(candidate);
        if (fd >= 0) {
            *path = candidate;
            return fd;
        }
        if (errno != EEXIST) return -1;
        names.push_back(name_of(candidate));   // taken meanwhile: count it and go on
    }
    return -1;
}

}  // namespace rix
