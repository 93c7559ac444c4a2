// The input method as the window reports it and as it asks about the text,
// without Qt types.
//
// The edit view turns each of the input method's events into one
// InputMethodEvent: the composition being typed (the preedit) with a clause
// attribute and the composition cursor, and the text it commits. Positions
// count characters (code points) of the UTF-8 strings, never bytes.
// The input method's questions (where the candidate list goes, which text
// surrounds the cursor for a reconversion) are answered with one
// InputMethodState the application keeps ready.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/surface.h"

namespace rix {

// Clause attribute bits of a composition character.
enum : std::uint8_t {
    IME_ATTR_TARGET = 0x01,      // the clause being converted (drawn inverted)
    IME_ATTR_UNCONVERTED = 0x02, // with IME_ATTR_TARGET: not converted yet (drawn with a band only)
};

struct InputMethodEvent {
    std::string preedit;                    // UTF-8; empty: no composition (any more)
    std::vector<std::uint8_t> attributes;   // IME_ATTR_* per character of preedit (missing ones: 0)
    int cursor = 0;                         // characters of preedit before the composition cursor; -1 = hidden
    std::string commit;                     // UTF-8, inserted as typed text; may come with a new preedit
    // The commit replaces text around the cursor first: `replace_length`
    // characters from `replace_from` characters after the cursor (negative:
    // before it), counted in the surrounding text last answered. 0 = none.
    int replace_from = 0;
    int replace_length = 0;
};

// What the edit view answers the input method's queries with.
struct InputMethodState {
    bool enabled = true;                    // text can be typed here now
    SurfaceRect cursor_rect;                // edit-view pixels: the candidate list goes beside it
    std::string surrounding;                // UTF-8: the phrase offered for reconversion ("" = none)
    int cursor = 0;                         // characters of `surrounding` before the cursor
    int anchor = 0;                         // the other end of the selection (== cursor: none)
    std::string selection;                  // UTF-8: the selected part of `surrounding`
};

}  // namespace rix
