// Dialogs: templates, the procedure interface and the dialog host.
//
// A dialog is a template (controls with ids, kinds, texts and limits, read
// from resources/dialogs/NAME.dlg) plus a procedure that reads and writes the
// controls by id through a DialogContext. The host makes the window: the Qt
// host (platform/qt/qt_dialogs.h) builds widgets, FakeDialogHost
// (fake_dialogs.h) holds values only and runs a test script. Both keep the
// values in one model (dialog_model.h), so byte limits, spin ranges and radio
// groups behave the same with and without widgets.
//
// Rules of the house:
// - Texts are code page 932 bytes; multi-line texts use "\r\n" between lines.
// - Positions and sizes in a template are dialog units: a horizontal unit is
//   a quarter of the dialog font's average character width, a vertical unit
//   an eighth of its height. The Qt host scales them to pixels once per dialog.
// - Ids are 0..65535 and unique within a template (property sheet pages
//   included); -1 marks a label or frame that nobody addresses.
// - Only the user's actions notify the procedure. What the procedure sets
//   through the context never comes back to it as a command.
// - A procedure must outlive its dialog; the context is valid only inside the
//   procedure's calls (and, for a modeless dialog, while it is open).
//
// Template file format (UTF-8 on disk, converted to code page 932 on load):
//
//   file     := { line }                       one statement per line
//   line     := blank | '#' comment | header | control
//   header   := "dialog" NAME W H [TEXT]       exactly one, before any control
//   control  := KIND ID X Y W H [TEXT] { option }
//   KIND     := static | edit | number | check | radio | button | list | combo
//             | listview | tabs | colour | textbox | group | spin
//   ID       := integer 0..65535 | "-" (no id)
//   TEXT     := '"' { character | \" | \\ | \n | \r | \t } '"'
//   option   := FLAG | limit=N | min=N | max=N | group=N | page=N | buddy=ID
//             | colour=N | item=TEXT | tab=TEXT | column=N,TEXT
//   FLAG     := readonly | password | multiline | vertical | disabled | hidden
//             | default | fixedfont | multiselect
//
// Numbers are decimal with an optional minus sign, or hexadecimal after 0x.
// item= adds an initial entry to a list or combo, tab= a page caption of a
// tabs control, column= a list view column of width N (dialog units). A radio
// without group= joins the group of the radio just before it, or starts a new
// group. A control with page=N lies on page N of the dialog's tabs control.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/messages.h"

namespace rix {

enum class ControlKind : std::uint8_t {
    STATIC,     // label
    EDIT,       // one-line (or multi-line) text, byte_limit applies
    NUMBER,     // edit for a signed decimal number (a SPIN may serve it)
    CHECK,
    RADIO,
    BUTTON,
    LIST,
    COMBO,      // drop-down list
    LIST_VIEW,  // rows of cells under column headers; the procedure sorts
    TAB_PAGES,  // property sheet pages; captions in `columns`
    COLOUR,     // swatch button holding a COLORREF
    TEXT_BOX,   // multi-line text, horizontal or vertical (CONTROL_VERTICAL)
    GROUP_BOX,  // frame with a caption
    SPIN,       // up/down control; `buddy` names its edit
};

enum : std::uint32_t {
    CONTROL_READ_ONLY = 1u << 0,
    CONTROL_PASSWORD = 1u << 1,
    CONTROL_MULTILINE = 1u << 2,
    CONTROL_VERTICAL = 1u << 3,   // TEXT_BOX: columns from right to left
    CONTROL_DISABLED = 1u << 4,
    CONTROL_HIDDEN = 1u << 5,
    CONTROL_DEFAULT = 1u << 6,    // BUTTON pressed by Enter (else button 1)
    CONTROL_FIXED_FONT = 1u << 7, // the fixed-pitch face
    CONTROL_MULTI_SELECT = 1u << 8, // LIST_VIEW: several rows may be selected at once
};

constexpr int NO_CONTROL = -1;
constexpr int CONTROL_ID_MAX = 65535;

// The buttons every dialog understands: pressing 1 asks the procedure's ok,
// pressing 2 (also Escape and the close box) its cancel.
enum : int { DIALOG_OK = 1, DIALOG_CANCEL = 2 };
// What run_dialog returns when the dialog could not be made.
constexpr int DIALOG_FAILED = -1;

// Notification codes of DialogProcedure::command.
enum : int {
    NOTIFY_CLICKED = 0,           // button, check, radio, colour swatch pressed
    NOTIFY_SPIN = 1,              // spin moved by the user
    NOTIFY_SELECTION = 1,         // list, combo, list view selection changed by the user;
                                  // colour changed by the host's colour chooser
    NOTIFY_DOUBLE_CLICK = 2,      // list or list view item double-clicked
    NOTIFY_EDIT_CHANGE = 0x0300,  // edit or text box changed by the user
    NOTIFY_PAGE_CHANGE = 0x0400,  // tabs control shows another page
    NOTIFY_COLUMN_CLICK = 0x1000, // + column: list view header clicked
    NOTIFY_COLUMN_CLICK_END = 0x1100,
};
constexpr bool is_column_click(int notification) {
    return notification >= NOTIFY_COLUMN_CLICK && notification < NOTIFY_COLUMN_CLICK_END;
}
constexpr int clicked_column(int notification) { return notification - NOTIFY_COLUMN_CLICK; }

struct ControlDef {
    int id = NO_CONTROL;              // 0..65535; -1 = not addressable
    ControlKind kind = ControlKind::STATIC;
    int x = 0, y = 0, w = 0, h = 0;   // dialog units; on a page, relative to the page
    std::string text;                 // code page 932: label or initial text
    int byte_limit = 0;               // most bytes the text may hold; 0 = no limit
    int min = 0, max = 0;             // SPIN: initial range; NUMBER: min < 0 allows a minus sign
    int group = 0;                    // RADIO: radios of one group (>= 1) exclude each other
    int page = -1;                    // page of the tabs control holding it; -1 = on the dialog
    std::uint32_t flags = 0;          // CONTROL_*
    std::vector<std::string> columns; // LIST_VIEW headers, TAB_PAGES captions (code page 932)
    std::vector<int> column_widths;   // LIST_VIEW: dialog units per column
    std::vector<std::string> items;   // LIST, COMBO: initial entries (code page 932)
    int buddy = NO_CONTROL;           // SPIN: the edit it serves
    std::uint32_t colour = 0;         // COLOUR: initial COLORREF 0x00BBGGRR
};

struct DialogTemplate {
    std::string name;                 // resource name, e.g. "ENV_FMSET"
    std::string caption;              // code page 932
    int w = 0, h = 0;                 // client size in dialog units
    std::vector<ControlDef> controls;  // in tab order
    // The control with this id, or nullptr.
    const ControlDef* find(int id) const;
};

enum class TemplateStatus : std::uint8_t {
    OK,
    NOT_FOUND,   // no such file, or it cannot be read
    BAD_NAME,    // the name is not [A-Za-z0-9_]+
    TOO_LARGE,   // file, line or control count past the reader's limits
    BAD_LINE,    // a statement the grammar does not accept
};

struct TemplateResult {
    TemplateStatus status = TemplateStatus::OK;
    int line = 0;             // 1-based line of the fault; 0 = none or the whole file
    std::string message;      // code page 932, e.g. "SAMPLE.dlg:3: unknown control kind"
    bool ok() const { return status == TemplateStatus::OK; }
};

// Reads a template from UTF-8 text; `out` is left empty on failure.
TemplateResult parse_dialog_template(std::string_view utf8, DialogTemplate* out);
// Reads resource_dir/dialogs/NAME.dlg; the header's name must be NAME.
TemplateResult load_dialog_template(const std::string& resource_dir, std::string_view name,
                                    DialogTemplate* out);

class DialogModel;
class DialogView;

// A dialog window's outer size and the work area of the screen it is on, in
// screen pixels.
struct WindowExtent {
    int width = 0, height = 0;   // the whole window, frame and caption included
    int caption = 0;             // the caption's height
    int screen_x = 0, screen_y = 0, screen_w = 0, screen_h = 0;   // the work area
};

// What a procedure sees of its dialog. Every call names a control by id; a
// call on an id the template lacks (or of the wrong kind) does nothing and
// returns the empty value, and the model notes the id (DialogModel::missing).
class DialogContext {
public:
    DialogContext(const DialogContext&) = delete;
    DialogContext& operator=(const DialogContext&) = delete;

    // Text of a control. An edit with a byte limit never holds more bytes than
    // the limit: a longer text is cut after its last whole character.
    std::string get_text(int id) const;
    void set_text(int id, std::string_view cp932);
    // The text read as a signed decimal number (spaces around it allowed);
    // *ok is false (and 0 returned) for anything else or past 32 bits.
    int get_number(int id, bool* ok = nullptr) const;
    void set_number(int id, int value);

    bool get_check(int id) const;             // CHECK or RADIO
    void set_check(int id, bool on);
    // The id of the checked radio among first..last, 0 when none is checked.
    int get_radio(int first, int last) const;
    // Checks `id` and clears the other radios among first..last.
    void set_radio(int first, int last, int id);

    void enable(int id, bool on);
    bool is_enabled(int id) const;
    void show(int id, bool on);
    bool is_visible(int id) const;            // its own flag; pages do not count

    // Lists, combos and list views: an item is a row; a list's row has one cell.
    int add_item(int id, std::string_view cp932);                 // its index, -1 on failure
    int insert_item(int id, int index, std::string_view cp932);   // index past the end appends
    bool delete_item(int id, int index);
    void clear_items(int id);
    int item_count(int id) const;
    std::string item_text(int id, int index) const;               // first cell
    void set_item_data(int id, int index, std::int64_t data);
    std::int64_t item_data(int id, int index) const;              // 0 when none
    int get_selection(int id) const;                              // -1 = none
    void set_selection(int id, int index);                        // out of range = none
    // The selected rows in ascending order: of a multiselect list view all of
    // them, of any other control the one selection (or none). Setting them
    // makes the first the selection; rows out of range are dropped.
    std::vector<int> selected_rows(int id) const;
    void set_selected_rows(int id, std::vector<int> rows);

    // List views.
    int add_row(int id, std::vector<std::string> cells);          // its index
    void set_rows(int id, std::vector<std::vector<std::string>> rows);  // selection cleared
    std::string cell_text(int id, int row, int column) const;
    int column_count(int id) const;
    void set_sort_indicator(int id, int column, bool ascending);  // column -1 hides it

    // Tabs control: the page shown (0-based).
    int get_page(int id) const;
    void set_page(int id, int page);

    // Colour swatches: COLORREF 0x00BBGGRR.
    std::uint32_t get_colour(int id) const;
    void set_colour(int id, std::uint32_t colour);

    // Spin controls, as their three messages: the range halves are read as
    // signed 16-bit values (0xFFF6 is -10); the position always lies within
    // the range (set_pos and a new range clamp it); get_pos reads it back.
    void set_range(int id, int lo, int hi);
    void set_pos(int id, int pos);
    int get_pos(int id) const;

    // The dialog itself.
    void end_dialog(int result);              // closes it; run_dialog returns result
    bool ended() const { return ended_; }
    WindowRef owner() const { return owner_; }
    WindowRef window() const;                 // the dialog as an owner of boxes
    void set_caption(std::string_view cp932);
    std::string caption() const;
    void show_window(bool on);                // hides or shows the whole dialog
    void focus(int id);
    bool window_position(int* x, int* y) const;   // top-left in screen pixels
    void move_window(int x, int y);
    // The window's extent and its screen's work area; false when unknown.
    bool window_extent(WindowExtent* out) const;
    // The message box over this dialog (platform/messages.h).
    int show_message(int kind, std::string_view cp932, unsigned time_ms = 0);
    // The colour chooser (sixteen custom greys); false when cancelled.
    bool choose_colour(std::uint32_t* colour, std::string_view caption_cp932);

protected:
    DialogContext(DialogModel& model, DialogView* view, WindowRef owner);
    ~DialogContext() = default;
    // A control changed: the view redraws it now, or after the procedure's call.
    void touch(int id) {
        dirty_.insert(id);
        if (!in_call_) flush_view();
    }
    void flush_view();

    DialogModel& model_;
    DialogView* view_;                        // may be null
    WindowRef owner_;
    bool ended_ = false;
    int result_ = DIALOG_CANCEL;
    std::set<int> dirty_;                     // controls changed since the last flush
    bool in_call_ = false;                    // a procedure call is running
};

class DialogProcedure {
public:
    virtual ~DialogProcedure() = default;
    // Before the dialog is shown: fill the controls.
    virtual void init(DialogContext& ctx) = 0;
    // A user action on control `id` (NOTIFY_*). Return true when handled; the
    // host then does nothing more (for buttons 1 and 2 it would otherwise ask
    // ok or cancel, for a spin copy its position into the buddy edit, for a
    // colour swatch open the colour chooser).
    virtual bool command(DialogContext& ctx, int id, int notification) = 0;
    // Button 1 or Enter: true closes the dialog with DIALOG_OK.
    virtual bool ok(DialogContext& ctx) = 0;
    // Button 2, Escape or the close box; the dialog then closes with DIALOG_CANCEL.
    virtual void cancel(DialogContext& ctx) = 0;
};

// Handle of a modeless dialog; 0 = none.
using DialogHandle = std::uint32_t;

class DialogHost {
public:
    virtual ~DialogHost() = default;
    // Modal: returns the result given to end_dialog, or DIALOG_FAILED.
    virtual int run_dialog(const DialogTemplate& tmpl, DialogProcedure& proc, WindowRef owner) = 0;
    // Modeless: open until the procedure ends it or close_modeless; 0 on failure.
    virtual DialogHandle open_modeless(const DialogTemplate& tmpl, DialogProcedure& proc,
                                       WindowRef owner) = 0;
    // Closes without asking the procedure; an unknown handle is ignored.
    virtual void close_modeless(DialogHandle handle) = 0;
    virtual bool is_open(DialogHandle handle) const = 0;
    // The controls of an open modeless dialog, or nullptr.
    virtual DialogContext* context(DialogHandle handle) = 0;
};

// The installed host. Until one is installed, a batch host that prints the
// dialog's name on standard error, runs init and cancel, and returns DIALOG_CANCEL.
DialogHost& dialog_host();
void install_dialog_host(DialogHost* host);   // nullptr restores the batch host

// Where templates are read from: RIX_RESOURCE_DIR until set.
void set_dialog_resource_dir(std::string dir);
const std::string& dialog_resource_dir();

// Loads template NAME and runs it on the installed host. A template that
// cannot be read is reported through show_message and gives DIALOG_FAILED.
int run_dialog(std::string_view name, DialogProcedure& proc, WindowRef owner);
DialogHandle open_modeless(std::string_view name, DialogProcedure& proc, WindowRef owner);

}  // namespace rix
