// File names and their extensions: one rule for every layer (the text and
// its extension file, backups, the writers' output names, the file list).
//
// The extension is what follows the last dot of the file name that ends a
// path (after its last '/'): a folder on the way never lends its dots.
// Nothing here touches the file system.
#pragma once

#include <string>
#include <string_view>

namespace rix {

// The extension of the file name that ends `path` (what follows the name's
// last '/'), without its dot: what follows the name's last dot. A name that
// begins with its only dot (".memo") has no extension, and its stem is the
// whole name, so that two such files never share a backup or an extension
// file; "a." has the empty extension and the stem "a". Folders on the way
// ("x.d/memo") never lend their dots. Case is kept.
std::string_view extension_of(std::string_view path);
// The file name that ends `path` without its extension and that extension's dot.
std::string_view stem_of(std::string_view path);
// The file name that ends `path` with `extension` (without its dot) in place
// of its own, or added when it has none: "a.txt" -> "a.pdf", ".memo" -> ".memo.pdf".
std::string name_with_extension(std::string_view path, std::string_view extension);
// Whether the file name that ends `path` has `extension`, ASCII letters in
// either case ("A.TXT" has "txt").
bool has_extension(std::string_view path, std::string_view extension);

}  // namespace rix
