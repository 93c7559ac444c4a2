// Output file names of the writers (PDF, EPUB): a document's name with
// another extension, in a folder the user chose. Paths are UTF-8, '/'
// separated; nothing here touches the file system. The names themselves
// come from platform/file_names.h (stem_of, name_with_extension).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace rix {

// Where the file name begins: just past the last '/' (0 without one).
std::size_t file_name_start(std::string_view path);
// `folder` and `name` with one '/' between them ("" folder: `name` alone).
std::string join_folder(std::string_view folder, std::string_view name);
// The output for `document`: the folder of `output` (of the document itself
// when `output` is empty) and the document's name with `extension`
// (name_with_extension, platform/file_names.h). `output` alone when there is no
// document.
std::string output_path_for(std::string_view output, std::string_view document, std::string_view extension);

}  // namespace rix
