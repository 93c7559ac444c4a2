// Output file names of the writers (PDF, EPUB): a document's name with
// another extension, in a folder the user chose. Paths are UTF-8, '/'
// separated; nothing here touches the file system.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace rix {

// Where the file name begins: just past the last '/' (0 without one).
std::size_t file_name_start(std::string_view path);
// `folder` and `name` with one '/' between them ("" folder: `name` alone).
std::string join_folder(std::string_view folder, std::string_view name);
// The file name of `document` with `extension` (without its dot) in place
// of its own, or added when it has none (".memo" has no extension).
std::string file_name_with_extension(std::string_view document, std::string_view extension);
// The file name of `path` without its extension.
std::string file_stem(std::string_view path);
// The output for `document`: the folder of `output` (of the document itself
// when `output` is empty) and file_name_with_extension. `output` alone when
// there is no document.
std::string output_path_for(std::string_view output, std::string_view document, std::string_view extension);

}  // namespace rix
