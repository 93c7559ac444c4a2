// The editing state of the one pane: the cursor, the marked range, what the
// screen shows (as far as editing needs to know), the options taken from the
// current screen format, the edit-line cache, the undo journal and the
// counters other subsystems read.
//
// Editing never draws. Every operation records in `damage` what the screen
// must bring up to date (text from a position on, a moved top, the marking
// highlight); the display layer reads and clears it. The top of the screen
// belongs to the view frame here: the cursor's screen line is its display
// line minus the top's display line, so scrolling is a change of frame.top.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

#include "document/document.h"
#include "document/document_state.h"
#include "document/loader.h"
#include "document/undo_journal.h"

namespace rix {

// Modifier flags passed with a key.
enum : int { KEY_SHIFT = 1, KEY_PLAIN_MOVE = 8, KEY_CTRL = 0x10 };

struct Cursor {
    TextPos pos;
    std::uint32_t cell = 0;             // cell within its display line, indentation excluded
    bool second_half = false;           // on the second character of a half-width pair
    std::uint32_t remembered_cell = 0;  // the cell aimed for on another display line
    int screen_line = 0;                // the cursor's display line on the screen (0 = first shown)
    DisplayLineNo display_line;         // the cursor's display line counted from the document start
};

struct Marking {
    bool on = false;
    TextPos start, end;                 // [start, end), start < end while on
    bool by_mouse = false;              // a mouse drag marks (Page keys keep it)
};

// The screen as editing sees it. The display layer sets the counts after
// every geometry computation; top moves with scrolling.
struct ViewFrame {
    int screen_lines = 1;               // display lines shown at once (all tiers)
    int tiers = 1;
    int page_columns = 10;              // display lines of one Page Up / Page Down
    bool vertical = true;
    TextPos top;                        // start of the display line on screen line 0
    DisplayLineNo top_display_line;     // its number from the document start
};

// What the screen must bring up to date; the display layer clears it.
struct ViewDamage {
    bool text = false;                  // text changed from display line `from_display_line` on
    DisplayLineNo from_display_line;
    bool lines_changed = false;         // the number of display (or logical) lines changed (lay out to the end)
    bool top_moved = false;             // frame.top changed
    bool marking = false;               // the marked range or its highlight changed
    bool full = false;                  // redraw everything
    void clear() { *this = ViewDamage{}; }
    // Text changed from display line `from` on, merged with what is noted already.
    void note_text_from(DisplayLineNo from) {
        from_display_line = text ? std::min(from_display_line, from) : from;
        text = true;
    }
};

// The registered line formats of the current screen format (F5 .. F12,
// slots 0 .. 7), copied from the settings record.
constexpr int LINE_FORMAT_SLOTS = 8;
struct RegisteredLineFormats {
    std::uint32_t words[LINE_FORMAT_SLOTS] = {};
    std::uint16_t triggers[LINE_FORMAT_SLOTS] = {};   // lead << 8 | trail as in the text; 0 = any text
    std::uint8_t after_typing = 0;      // bit j: slot j acts after the typed text (後), else before (前)
    std::uint8_t enabled = 0;           // bit j: slot j acts on typed text
    bool function_keys = false;         // F5 .. F12 apply the slots
};

// Options of the current screen format and of the settings, copied in by the
// application whenever they change (editing does not read the settings record).
struct EditOptions {
    int tab_width = 4;                  // full-width blanks for Tab; 0 = none
    bool auto_indent = false;
    bool auto_scroll = false;
    int accel_chars = 0;                // 0..4
    int accel_columns = 0;              // 0..4
    bool reset_format_on_break = false; // line-format option bit 1
    RegisteredLineFormats line_formats;
    std::uint8_t edit_key_letters[32] = {};
    // Export form of cut and copy.
    bool export_rubies = false;         // rubies in `ruby_notation`
    std::uint8_t ruby_notation = 3;
    std::string custom_delimiters;
    bool export_line_info = false;
    bool export_index = false;          // index entries on the line-information lines
    std::string line_id_symbol;
};

// The logical line held in the staging area between two insertions. It is
// used only while the document is at the generation it was copied at, so
// any writer of the document (a load, a save, an edit) makes it stale.
struct EditLineCache {
    std::uint32_t line = NO_LINE;       // NO_LINE: none
    std::uint32_t column = 0;           // cursor column it was copied for
    std::uint32_t raw_length = 0;
    std::uint32_t insertion_point = 0;  // raw offset of the cursor column
    BufferOffset start = 0;             // buffer offset of the line when it was staged
    std::uint64_t generation = 0;       // Document::generation when it was staged
    void invalidate() { line = NO_LINE; }
    bool holds(const Document& doc, std::uint32_t at_line, std::uint32_t at_column, std::size_t staged_bytes) const {
        return line == at_line && column == at_column && generation == doc.generation &&
               start == doc.lines.start(at_line) && raw_length == staged_bytes;
    }
};

struct EditKey {
    std::uint16_t key = 0;              // virtual key, or a command id >= 200; 0 = none
    std::uint8_t flags = 0;
};

struct EditState {
    Cursor cursor;
    Marking mark;
    ViewFrame frame;
    ViewDamage damage;
    EditOptions options;
    bool insert_mode = true;
    int key_repeat = 0;                 // key-down messages since the last key-up
    EditLineCache line_cache;
    std::string staging;                // the edited line in raw form (grows as needed)
    std::string pending;                // typed bytes waiting for a trail byte
    UndoJournal journal;
    std::array<EditKey, 26> edit_keys{};   // Ctrl+A..Z
    // Read by other subsystems.
    TextPos lowest_changed{0xFFFFFFFFu};
    bool page_count_stale = true;
    std::uint64_t autosave_edits = 0;   // bytes edited since the last auto-save
};

// What an editing operation works on. `session` may be null (a document
// built in memory, fully loaded). What the operations have to tell the
// writer (a refused edit, what a load of more lines met) is added to
// `notices` in order; app/ shows them when the operation returns.
struct EditContext {
    Document& doc;
    DocumentState& state;
    EditState& edit;
    LoadSession* session = nullptr;
    Notices notices{};
};

}  // namespace rix
