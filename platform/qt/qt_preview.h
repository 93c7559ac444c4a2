// The print preview window on Qt: a modal dialog over most of the screen
// showing one sheet of a PreviewSource scaled to fit, with the paging
// buttons, the sheet field and the range, the paper line, the wheel, and
// clicks that page or close (see platform/preview_window.h).
#pragma once

#include "platform/preview_window.h"

namespace rix {

// Runs the window until it is closed.
void run_preview_window(PreviewSource& source);

}  // namespace rix
