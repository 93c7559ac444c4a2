// The editing layer tied to the application: the pane's EditState (held
// with the loaded document), its options taken from the settings, the keys,
// typed text and edit commands of the main window, and the screen brought up
// to date after each of them.
//
// The screen's top and the editing frame's top are one value seen from two
// sides: a rebuild of the screen (format change, resize, load) places the
// top and hands it to the frame; every edit or move hands the frame's top
// back to the screen through apply_view_damage.
#pragma once

#include <string>

#include <functional>

#include "app/shell/application.h"
#include "app/edit/screen.h"
#include "editing/edit_state.h"

namespace rix {

// The editing options of screen slot `slot`, the settings and the writing
// options of the run.
EditOptions edit_options_for(const SettingsRecord& rec, int slot, const WritingOptions& writing);

// The editing context of the loaded document (app.loaded must exist).
EditContext edit_context(Application& app);
// Shows what the operations on `c` reported, then what its document met
// while wrapping (Document::notices), and clears both: called as soon as an
// operation returns, where its messages used to appear.
void show_edit_notices(EditContext& c);

// A document was loaded: the journal, the staging area and the marking start
// afresh, insert mode is on, the cursor stands where the load put it.
void start_editing(Application& app);

// The screen was rebuilt: the frame takes its counts and top, the cursor its
// screen line, and the highlight is drawn again.
void editing_after_rebuild(Application& app, ScreenState& screen);

// After an edit or a move: the screen shows the damage, the loaded
// document's cursor follows.
void editing_after_change(Application& app, ScreenState& screen);

// Whether there is a document on a laid-out screen to edit.
bool editing_ready(const Application& app);
// After an edit or a move through the window: the screen follows, the
// window shows it, the caret and the scroll bar follow.
void editing_done(Application& app);
// Runs `work` on the edit context when editing_ready, then editing_done.
bool run_edit(Application& app, const std::function<void(EditContext&)>& work);
// The options were changed by a dialog: the editing state takes them again.
void refresh_edit_options(Application& app);

}  // namespace rix
