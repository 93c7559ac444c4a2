// Whether a file selection dialog is open (see file_choice.h).
#include "platform/file_choice.h"

#include <atomic>

namespace rix {
namespace {

// Dialogs are modal and run on the window's thread; the count is the one
// piece of process state the timers need to see.
std::atomic<int> open_dialogs{0};

}  // namespace

FileDialogOpen::FileDialogOpen() { ++open_dialogs; }
FileDialogOpen::~FileDialogOpen() { --open_dialogs; }

bool file_dialog_open() { return open_dialogs.load() > 0; }

}  // namespace rix
