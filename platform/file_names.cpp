// File names and their extensions (see file_names.h).
#include "platform/file_names.h"

namespace rix {

namespace {

std::string_view name_part(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// The position of the dot that begins the extension of `name`, or npos.
std::size_t extension_dot(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    return dot == 0 ? std::string_view::npos : dot;
}

}  // namespace

std::string_view extension_of(std::string_view path) {
    const std::string_view name = name_part(path);
    const std::size_t dot = extension_dot(name);
    return dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
}

std::string_view stem_of(std::string_view path) {
    const std::string_view name = name_part(path);
    return name.substr(0, extension_dot(name));
}

std::string name_with_extension(std::string_view path, std::string_view extension) {
    std::string out(stem_of(path));
    out += '.';
    out += extension;
    return out;
}

bool has_extension(std::string_view path, std::string_view extension) {
    const std::string_view own = extension_of(path);
    if (own.size() != extension.size() || extension_dot(name_part(path)) == std::string_view::npos) return false;
    for (std::size_t i = 0; i < own.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(own[i]) != lower(extension[i])) return false;
    }
    return true;
}

}  // namespace rix
