// Escape during a long run of the window's thread (the file search): the
// pending window events are handled, the user's input to the windows is held
// back, and a press of Escape is noted.
#pragma once

namespace rix {

// Handles the pending events; true when Escape was pressed since the last call.
bool poll_escape_key();

}  // namespace rix
