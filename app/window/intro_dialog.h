// The introduction dialog (基本操作の説明): shown once at the start of the
// first instance until the writer ticks "次回からはこの説明を表示しない。",
// and from the help menu.
#pragma once

#include "app/shell/application.h"
#include "editing/command_ids.h"

namespace rix {

// True when the start of this process should show it: instance 1, the
// introduction not switched off, and the opened document empty.
bool introduction_due(const Application& app);
// Runs the dialog; button 1 then opens the sample manuscript.
void show_introduction(Application& app);

}  // namespace rix
