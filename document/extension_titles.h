// The document's two titles (document title, print title) as the extension
// file's header keeps them, and their write-back from the dialogs that edit
// them (document information, print settings, HTML).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "document/document_state.h"
#include "document/extension_file.h"

namespace rix {

// A text as a header field of `width` bytes keeps it, read back: up to its
// first NUL, cut on a character boundary, without a lead byte left alone at
// its end.
std::string stored_title(std::string_view title, std::size_t width);

// Writes the titles a writer gave back into `header` as the extension file
// will keep them. The extension counts as modified (MODIFIED_EXTENSION in
// state.modified) only when the kept bytes change: a dialog closed with the
// titles as they were, or with a title that differs only past its field,
// changes nothing. True when they changed.
bool write_back_titles(ExtensionHeader& header, DocumentState& state, std::string_view title,
                       std::string_view print_title);

}  // namespace rix
