// Naming and creating new documents: "原稿_.txt" makes 原稿_001.txt, 原稿_002.txt...
#pragma once

#include <string>
#include <vector>

namespace rix {

// The name a new document gets in a folder holding `existing` names: with S
// the stem and X the extension of `pattern`, N is the largest number right
// after S among the names S…X whose stem is at least three characters longer
// than S (0 when none); the name is S, N+1 in at least three digits, X. When
// that path equals `current_save_name`, N+2 is used. Names are native (UTF-8).
std::string next_document_name(const std::vector<std::string>& existing, const std::string& pattern,
                               const std::string& folder, const std::string& current_save_name);

// Creates the next new document in `folder` with O_EXCL, taking the next
// number while a name is taken, so an existing file is never truncated.
// Returns the open descriptor (its path in *path), or -1.
int create_new_document(const std::string& folder, const std::string& pattern,
                        const std::string& current_save_name, std::string* path);

}  // namespace rix
