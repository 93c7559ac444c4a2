// Output file names of the writers.
#include "app/documents/output_path.h"

#include "platform/file_names.h"

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

std::string output_path_for(std::string_view output, std::string_view document, std::string_view extension) {
    if (document.empty()) return std::string(output);
    const std::string_view base = output.empty() ? document : output;
    return std::string(base.substr(0, file_name_start(base))) + name_with_extension(document, extension);
}

}  // namespace rix
