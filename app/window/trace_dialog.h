// The trace dialog (Shift+Escape): the editing state in words, the document,
// its loading, the cursor and marking, the undo journal and the buffer, to
// read and to copy into a fault report.
#pragma once

#include <string>

#include "app/shell/application.h"
#include "platform/clipboard.h"

namespace rix {

// The trace as the dialog shows it (UTF-8, CR LF line ends).
std::string trace_text(const Application& app);

// Opens the dialog; コピー puts the text on `clipboard` (may be null).
void show_trace(const Application& app, Clipboard* clipboard);

}  // namespace rix
