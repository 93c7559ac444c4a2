// The files of auto-save: copies of a document N.X written beside it as
// "自動保存NN_" + N.X (NN the generation, two digits, 01..99), each with its
// own extension file of the same stem. The generations turn round: the next
// copy follows the newest one and starts again at 01 after the last
// generation kept.
#pragma once

#include <string>

namespace rix {

constexpr const char* AUTOSAVE_PREFIX = "自動保存";   // UTF-8, as file names are

// The generation of `file_name` when it is an auto-save copy of a document
// named `document_name` (both names without folder): the prefix, exactly two
// digits, "_" and the document's name. 0 for any other name.
unsigned autosave_generation_of(const std::string& file_name, const std::string& document_name);

// The path of the next auto-save copy of `document_path`: generation g + 1,
// where g is the generation of the newest copy in the folder (by
// modification time; 0 when there is none, or when g reached `generations`).
std::string next_autosave_path(const std::string& document_path, unsigned generations);

}  // namespace rix
