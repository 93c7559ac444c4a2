// The "_ruby" file: the whole document written out with its rubies in the
// notation after their bases (all other notations off), for the HTML writer,
// which may take that file as its target instead of the document.
//
// With D.X the document's save name, the file is D_ruby.X in the same folder
// (D_ruby when the name has no extension). Two yes/no questions, asked
// through the caller's Questions: whether to make the file, and afterwards
// whether it becomes the HTML target.
#pragma once

#include <string>

#include "document/document.h"
#include "document/document_state.h"
#include "document/export.h"
#include "document/loader.h"
#include "document/notices.h"
#include "platform/messages.h"

namespace rix {

// D.X -> D_ruby.X (native paths; a dot in a folder name is not an extension).
std::string ruby_file_path(const std::string& save_name);

struct RubyEmbedResult {
    bool written = false;        // the file was made
    bool made_target = false;    // *html_target now names it
    Notices notices;             // what writing the file reported (a failure, the load of the rest)
};

// Loads the rest of the document and writes the "_ruby" file with ruby
// writing on in `notation` (its ruby_notation and custom_delimiters are
// used; every other writing option is off). *html_target becomes the file's
// path when the writer says so. Both questions go to `questions` with
// `owner`; a failed write is told by write_out_document.
RubyEmbedResult embed_rubies(Document& doc, DocumentState& state, LoadSession& session,
                             const ExportOptions& notation, std::string* html_target, Questions& questions,
                             WindowRef owner = 0);

}  // namespace rix
