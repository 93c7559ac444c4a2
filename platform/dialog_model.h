// The value model of a dialog, shared by every dialog host.
//
// DialogModel holds the state of each control, built from the template.
// DialogSession is the running dialog: the DialogContext the procedure sees
// plus the actions of a user (press, type, spin, select), which notify the
// procedure the way the controls would. The Qt host turns widget signals into
// these actions and mirrors the model into its widgets through DialogView; the
// fake host lets a test script perform them. So the rules (byte limits, spin
// ranges, radio groups, what Enter and Escape do) live here and only here.
// Internal to the platform layer: procedures include dialogs.h only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dialogs.h"

namespace rix {

// A spin range as the range message gives it: each half a signed 16-bit value.
struct SpinRange {
    int lo = 0;
    int hi = 0;
};
SpinRange spin_range_from_halves(int lo, int hi);
// `pos` brought into the range (a range given high-to-low counts the same).
int clamp_spin(int pos, SpinRange range);
// The longest prefix of `text` that fits `byte_limit` bytes and ends on a
// character boundary; the whole text when the limit is 0.
std::string_view limit_text(std::string_view text, int byte_limit);
// A signed decimal number with optional spaces around it; false otherwise.
bool parse_dialog_number(std::string_view text, int* value);

struct ControlState {
    std::string text;                         // code page 932
    bool checked = false;
    bool enabled = true;
    bool visible = true;
    std::vector<std::vector<std::string>> rows;   // items; a list's row has one cell
    std::vector<std::int64_t> row_data;       // parallel to rows
    unsigned rows_version = 0;                // grows with every change of rows
    int selection = -1;                       // -1 = none
    std::vector<int> selected;                // multiselect list view: all selected rows, ascending
    int sort_column = -1;                     // list view indicator; -1 = none
    bool sort_ascending = true;
    int page = 0;                             // tabs control: the page shown
    SpinRange range;                          // spin
    int pos = 0;                              // spin, always inside range
    std::uint32_t colour = 0;                 // COLORREF
};

class DialogModel {
public:
    explicit DialogModel(const DialogTemplate& tmpl);

    const DialogTemplate& dialog_template() const { return tmpl_; }
    // Definition and state of a control, or nullptr (the id goes to `missing`).
    const ControlDef* def(int id) const;
    ControlState* state(int id);
    const ControlState* state(int id) const;
    // As above, but only for one of the given kinds.
    ControlState* state_of(int id, std::initializer_list<ControlKind> kinds);
    const ControlState* state_of(int id, std::initializer_list<ControlKind> kinds) const;

    std::string caption;                      // code page 932
    // Ids asked for that the template lacks or that are of the wrong kind:
    // a programmer's error, which tests check for.
    mutable std::vector<int> missing;

private:
    int index_of(int id) const;

    DialogTemplate tmpl_;
    std::vector<ControlState> states_;        // parallel to tmpl_.controls
};

// What a host shows. The session tells it which controls changed; it redraws
// them from the model when flushed (after each procedure call, and before a
// box or chooser opens over the dialog).
class DialogView {
public:
    virtual ~DialogView() = default;
    virtual void refresh(int id, const ControlDef& def, const ControlState& state) = 0;
    virtual void end(int result) = 0;
    virtual WindowRef window() const = 0;
    virtual void set_caption(std::string_view cp932) = 0;
    virtual void show_window(bool on) = 0;
    virtual void focus(int id) = 0;
    virtual bool window_position(int* x, int* y) const = 0;
    virtual void move_window(int x, int y) = 0;
    virtual bool window_extent(WindowExtent* out) const { (void)out; return false; }
    virtual bool choose_colour(std::uint32_t* colour, std::string_view caption_cp932) = 0;
};

// Holds the model so that it is built before the context that refers to it.
struct DialogModelHolder {
    explicit DialogModelHolder(const DialogTemplate& tmpl) : owned_model(tmpl) {}
    DialogModel owned_model;
};

class DialogSession final : private DialogModelHolder, public DialogContext {
public:
    // The template is copied; the procedure and the view must outlive the session.
    DialogSession(const DialogTemplate& tmpl, DialogProcedure& proc, DialogView* view, WindowRef owner);
    ~DialogSession();

    // Calls init, then shows what it set.
    void start();
    int result() const { return result_; }
    const DialogModel& model() const { return model_; }
    // Redraws every control that changed since the last flush.
    void flush() { flush_view(); }
    // Treat every control as changed (after the view has built its widgets).
    void touch_all();

    // What a user does. Each is ignored once the dialog has ended, and on a
    // disabled or hidden control.
    void press(int id);                       // button, check, radio, colour swatch
    void type_text(int id, std::string_view cp932);  // replaces the text; the limit applies
    void select(int id, int index);           // list, combo, list view
    void select_rows(int id, std::vector<int> rows);   // a multiselect list view: several at once
    void double_click(int id, int index);
    void click_column(int id, int column);    // list view header
    void spin(int id, int steps);             // up (+) or down (-), clamped
    void select_page(int id, int page);
    void press_enter();                       // the default button
    void press_escape();                      // cancel, also the close box

    // The button Enter presses: the one flagged default, else 1.
    int default_button() const;
    // Whether the user can reach the control (enabled, visible, on the page shown).
    bool reachable(int id) const;

private:
    using Fallback = void (DialogSession::*)(int);
    // Calls the procedure's command; when it is not handled, the fallback.
    void notify(int id, int notification, Fallback fallback);
    bool enter_call();                        // false while a procedure call runs
    void leave_call(bool outer);
    void press_ok(int id);
    void press_cancel(int id);
    void copy_spin_to_buddy(int id);
    void choose_swatch_colour(int id);
    void take_number_into_spin(int id);

    DialogProcedure& proc_;
};

}  // namespace rix
