// The input method's composition, drawn by the editor itself in place: the
// reading and its conversion stand in the cells where the text will go, cell
// by cell in the writing direction, in the format's input-method colours.
//
// The composition is an overlay: the document does not change until the
// input method commits, and whatever the drawing covered is put back from
// the screen's snapshot (or, without one, by drawing the screen lines again
// from the cell map) before the next drawing, on a cancel and before a
// commit is inserted. So a shrinking composition leaves nothing behind and a
// cancel leaves the screen as it was, pixel for pixel.
//
// Flow (composition_event): the first non-empty preedit starts a
// composition; every event first takes the old drawing away; a commit is
// handed back whole for insertion as typed text (which makes a character
// outside code page 932 〓 and says so); a remaining preedit is drawn again
// at the cursor; an empty preedit ends the composition (a cancel when
// nothing was committed: nothing is inserted).
//
// Owns nothing outside Composition; reads the Screen's geometry and cell
// map and draws on its surface. Never shows messages.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "display/render.h"
#include "platform/input_method.h"

namespace rix {

// The composition string in code page 932.
struct CompositionText {
    std::string bytes;                      // 〓 for what code page 932 cannot hold
    std::vector<std::uint8_t> attributes;   // IME_ATTR_* per byte (both bytes of a character alike)
    int cursor = 0;                         // bytes before the composition cursor; -1 = hidden
};

struct Composition {
    bool composing = false;                 // between the first preedit and the end
    CompositionText text;                   // what is drawn now (empty: nothing)
    std::vector<SurfaceRect> covered;       // pixels the drawing covers, to be put back
    int first_line = -1;                    // screen lines the drawing covers: [first_line, last_line]
    int last_line = -1;
    std::size_t longest = 0;                // bytes of the longest composition drawn since the start
};

// What the application does for one event, in this order: put the covered
// pixels back (restore), insert `commit` as typed text, draw `text` at the
// cursor (draw).
struct CompositionStep {
    bool restore = false;
    std::string commit;                     // UTF-8, whole, for the typed-text road; empty: nothing
    int replace_from = 0, replace_length = 0;   // from the event: characters around the cursor replaced
    bool draw = false;
    bool ended = false;                     // the composition ended (committed or cancelled)
};

// The composition string of a preedit: each character in code page 932 (〓
// for one outside it), its attribute on both bytes, the cursor in bytes.
CompositionText composition_text(const InputMethodEvent& e);
// Advances the flow by one event and says what to do.
CompositionStep composition_event(Composition& c, const InputMethodEvent& e);

// One cell of the drawn composition (or half a cell for a half-width character).
struct CompositionCell {
    int line = 0;                           // screen line
    int cell = 0;                           // cell in the line, indentation included
    bool half = false;                      // a half-width character
    bool second = false;                    // the second half of its cell
    std::uint16_t code = 0;                 // double-byte code, or the single byte
    std::uint8_t attributes = 0;
};

struct CompositionLayout {
    std::vector<CompositionCell> cells;
    int lines_past_end = 0;                 // lines it needs below the last screen line (scroll first)
};

// Lays `text` out from cell `cell` (indentation included) of screen line
// `line`: two half-width characters to a cell, a full-width one a cell,
// going on at cell 0 of the next line when the line's Nch cells are used up.
CompositionLayout layout_composition(const DisplayGeometry& g, int line, int cell, const CompositionText& text);

struct CompositionColours {
    std::uint32_t text = 0;                 // COLORREF: ime_text_colour of the format
    std::uint32_t back = 0xFFFFFF;          // ime_back_colour
};

// Draws `c.text` at the cursor's cell on s.surface: each glyph box (widened
// by two pixels on its start side across the line) filled with the back
// colour, the glyph in the text colour, a target clause inverted (half the
// box for a half-width character), an unconverted target with a two-pixel
// band only (along the bottom in horizontal writing, the right edge in
// vertical writing), and the composition cursor as a two-pixel bar across
// the line. Records what it covers in `c`. The caller has scrolled the view
// when layout_composition needed lines past the end; cells that still fall
// off the screen are not drawn.
void draw_composition(Screen& s, Composition& c, const CompositionColours& colours);
// Puts back what the drawing covered and forgets it.
void restore_under_composition(Screen& s, Composition& c);
// The screen line and cell (indentation included) where the composition starts.
bool composition_origin(const Screen& s, int* line, int* cell);

// The rectangle the candidate list is placed beside (edit-view pixels), a
// quarter of the line along: in horizontal writing reaching two cells below
// a line in the upper half of the window (the list goes below it) and two
// cells above one in the lower half; in vertical writing two cells right of
// a column in the left half and left of one in the right half. Input
// methods open their list at its lower left corner.
SurfaceRect candidate_rect(const DisplayGeometry& g, int line);

}  // namespace rix
