// Output file names of the writers.
#include "app/documents/output_path.h"

namespace rix {

std::size_t file_name_start(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? 0 : slash + 1;
}

std::string join_folder(std::string_view folder, std::string_view name) {
    std::string out(folder);
    if (!out.empty() && out.back() != '/') out += '/';
    out += name;
    return out;
}

std::string file_stem(std::string_view path) {
    std::string_view name = path.substr(file_name_start(path));
    const std::size_t dot = name.rfind('.');
    if (dot != std::string_view::npos && dot > 0) name = name.substr(0, dot);
    return std::string(name);
}

std::string file_name_with_extension(std::string_view document, std::string_view extension) {
    return file_stem(document) + "." + std::string(extension);
}

std::string output_path_for(std::string_view output, std::string_view document, std::string_view extension) {
    if (document.empty()) return std::string(output);
    const std::string_view base = output.empty() ? document : output;
    return std::string(base.substr(0, file_name_start(base))) + file_name_with_extension(document, extension);
}

}  // namespace rix
