// What the mouse does in the text window: placing the cursor, marking by
// dragging (with auto-repeat while the pointer is held beside the text),
// dragging marked text to move or copy it, scrolling by pressing into the
// margins, setting the margins by dragging the corners of the page, the
// pointer shapes of the zones and hiding an idle pointer.
//
// Pure logic over the geometry and the cell map of the Screen. Every
// movement is a cursor key handed to the key dispatcher through
// MouseServices, so marking and scrolling follow the keyboard's rules; what
// the window must do (pointer, timers, drawing the drop frame, the drop
// menu, the clipboard commands) goes through MouseServices as well.
//
// Design rules:
// - Keys are raw virtual keys; the dispatcher maps them to the writing
//   direction. The modifier is KEY_SHIFT to extend the marking,
//   KEY_PLAIN_MOVE for a plain move, 0 for a page.
// - Every loop of keys stops when the cursor stops moving.
// - The screen is never read past its cell map; the cursor's screen line and
//   cell are read back from the services after every key.
#pragma once

#include <cstdint>

#include "display/hit_test.h"
#include "editing/command_ids.h"
#include "display/render.h"
#include "platform/window_host.h"

namespace rix {

// The timers (TIMER_AUTO_REPEAT, TIMER_IDLE_POINTER) are platform/window_host.h's.
constexpr unsigned AUTO_REPEAT_FIRST_MS = 300;
constexpr unsigned AUTO_REPEAT_NEXT_MS = 10;
constexpr unsigned IDLE_POINTER_MS = 10000;

// Items of the drop menu.
enum : int { DROP_MOVE = COMMAND_DROP_MOVE, DROP_COPY = COMMAND_DROP_COPY, DROP_CANCEL = COMMAND_DROP_CANCEL };

enum : int {
    MOUSE_LEFT_DOWN,
    MOUSE_LEFT_UP,
    MOUSE_LEFT_DOUBLE,
    MOUSE_RIGHT_DOWN,
    MOUSE_RIGHT_UP,
    MOUSE_RIGHT_DOUBLE,
    MOUSE_MOVE,
    MOUSE_TIMER,
};
// Buttons held during an event.
enum : int { MOUSE_BUTTON_LEFT = 1, MOUSE_BUTTON_RIGHT = 2 };

struct MouseEvent {
    int kind = MOUSE_MOVE;
    int x = 0, y = 0;          // client pixels of the text window
    int buttons = 0;           // MOUSE_BUTTON_* held
    int timer = 0;             // MOUSE_TIMER: which one
};

// The cursor as the mouse needs it.
struct MouseCursor {
    TextPos pos;
    int line = 0;              // screen line (may lie outside the screen)
    int cell = 0;              // cell within its display line, indentation excluded
    bool second_half = false;
    DisplayLineNo display_line;
};

// Margins set by a corner drag, in ‰; -1 = unchanged.
struct MarginChange {
    int start = -1, end = -1, top = -1, bottom = -1;
};

class MouseServices {
public:
    virtual ~MouseServices() = default;
    virtual MouseCursor cursor() = 0;
    // The marked range [start, end); false when nothing is marked.
    virtual bool marked_range(TextPos* start, TextPos* end) = 0;
    // The text position of a HIT_TEXT hit; false beyond the text or what is loaded.
    virtual bool position_of(const Hit& hit, TextPos* pos) = 0;
    // Puts the cursor at pos (a plain placement; the marking stays).
    virtual void move_cursor(TextPos pos) = 0;
    // One key to the dispatcher; the screen follows before it returns.
    virtual void dispatch_key(int key, int flags) = 0;
    // Ends the marking and takes its highlight off.
    virtual void end_marking() = 0;
    // A command (cut, copy, paste, the document start and end); false
    // when it did nothing (a cut the clipboard refused).
    virtual bool run_command(int id) = 0;
    // The drop menu at the point: DROP_* or 0 when nothing was chosen.
    virtual int drop_menu(int x, int y) = 0;
    virtual void set_timer(int id, unsigned ms) = 0;
    virtual void kill_timer(int id) = 0;
    // The pointer shape by its name, hot spot in the 24 × 24 image.
    virtual void set_pointer(const char* name, int hot_x, int hot_y) = 0;
    virtual void show_pointer(bool shown) = 0;
    // Whether an idle pointer may be hidden now (window active, no menu open).
    virtual bool may_hide_pointer() { return true; }
    virtual void warp_pointer(int x, int y) = 0;
    // The one-pixel frame of the drop point at a cell (indentation
    // included); line -1 takes it away.
    virtual void drop_frame(int line, int cell) = 0;
    virtual void set_margins(const MarginChange& change) = 0;
    virtual void caret_shown(bool shown) = 0;
    // The synonym window for the word at the cursor (a double click) and
    // the copy history (a second click on the same cell).
    virtual void open_synonyms() {}
    virtual void open_copy_history() {}
};

// What the mouse keeps between events.
struct MouseState {
    int zone = ZONE_TEXT;              // ZONE_*; 5..8 while a corner drag runs
    int corner = CORNER_NONE_TEXT;     // CORNER_*
    const char* pointer = "";          // the pointer shape set last
    bool left_marking = false;         // left button pressed on text: moves extend the marking
    bool right_on_text = false;        // right button pressed on text
    bool right_down = false;
    bool moved = false;                // the pointer moved while a button was held
    bool pressed_marked = false;       // the last left press found text marked
    int last_x = 0, last_y = 0;        // the last pointer position taken
    int last_line = -1000, last_cell = -1000;   // the hit of the last move taken
    int click_line = -1, click_cell = -1;       // the last single click's cell
    int repeat_key = 0;                // the key repeated by timer 2; 0 none
    int repeat_flags = 0;
    bool pointer_hidden = false;
    bool right_consumed = false;       // the last right button press scrolled or dragged text
    int quick_edit = 0;                // settings 0x185: 1 a right press, 2 a right double click on text cuts or pastes
    // The mark drag.
    int drag = 0;                      // 0 none, 1 armed, 2 dragging
    MouseCursor drag_saved;            // the cursor to restore on cancel
    TextPos drop;                      // where the drop goes
    int frame_line = -1, frame_cell = -1;   // the drop frame shown; -1 none
};

// Handles one event; returns the hit of its point (HIT_NOWHERE for timers).
int handle_mouse(MouseState& m, const Screen& s, MouseServices& io, const MouseEvent& e);

// The margins a corner drag released at (x, y) sets; the point is held
// inside the window first. A width or height margin above 255 ‰ is 10 ‰.
MarginChange corner_margins(const DisplayGeometry& g, int corner, int x, int y);

// Where the dropped text goes once the cut of [start, end) removed it:
// a drop before the range stays, a drop after it on the range's last line
// or on a later line moves back by the lines and columns the cut took.
// False for a drop inside the range (the move is cancelled).
bool drop_after_cut(TextPos start, TextPos end, TextPos drop, TextPos* out);

// The top-left of the glyph box of cell `cell` (indentation included) on
// screen line `line`.
void cell_point(const DisplayGeometry& g, int line, int cell, int* x, int* y);

}  // namespace rix
