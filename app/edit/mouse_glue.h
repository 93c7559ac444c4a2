// The mouse, the caret and the scroll bar of the main window tied to the
// editing layer: pointer events go to handle_mouse, whose keys reach the
// key dispatcher and whose drops reach the clipboard commands; after every
// change the caret and the scroll bar follow the cursor.
#pragma once

#include <memory>

#include "app/edit/editor.h"
#include "app/window/shell_events.h"
#include "display/mouse.h"
#include "display/scroll_bar.h"

namespace rix {

class Gui;

class MouseGlue final : public MouseServices {
public:
    // gui may be null (tests without a window: no caret, pointer or bar).
    MouseGlue(Application& app, ScreenState& screen, Gui* gui, Clipboard* clipboard, ShellEvents* events);

    // The pointer events of the edit view.
    void button(int button, int action, int x, int y, int buttons, int flags);
    void moved(int x, int y, int buttons, int flags);
    void timer(int id);
    void scroll_bar(int action, int position);
    void focus(bool has_focus);
    bool right_taken() const { return state_.right_consumed; }
    // The caret and the scroll bar follow the cursor.
    void refresh();

    // What the window shows now (also for the tests).
    const CaretView& caret() const { return caret_; }
    const ScrollBarValues& bar() const { return bar_; }
    const MouseState& state() const { return state_; }

    // MouseServices
    MouseCursor cursor() override;
    bool marked_range(TextPos* start, TextPos* end) override;
    bool position_of(const Hit& hit, TextPos* pos) override;
    void move_cursor(TextPos pos) override;
    void dispatch_key(int key, int flags) override;
    void end_marking() override;
    bool run_command(int id) override;
    int drop_menu(int x, int y) override;
    void set_timer(int id, unsigned ms) override;
    void kill_timer(int id) override;
    void set_pointer(const char* name, int hot_x, int hot_y) override;
    void show_pointer(bool shown) override;
    bool may_hide_pointer() override;
    void warp_pointer(int x, int y) override;
    void drop_frame(int line, int cell) override;
    void set_margins(const MarginChange& change) override;
    void caret_shown(bool shown) override;
    void open_copy_history() override;
    void open_synonyms() override;

private:
    bool ready() const;
    int slot() const;
    void after_change();
    DisplayLineNo last_display_line();

    Application& app_;
    ScreenState& screen_;
    Gui* gui_;
    Clipboard* clipboard_;
    ShellEvents* events_;
    MouseState state_;
    CaretView caret_;
    ScrollBarValues bar_;
    bool caret_wanted_ = true;   // not hidden by a held button
    bool focused_ = true;
    bool in_change_ = false;
};

}  // namespace rix
