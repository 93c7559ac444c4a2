// The mouse of the main window tied to the editing layer.
#include "app/edit/mouse_glue.h"

#include <algorithm>

#include "app/edit/format_views.h"
#include "app/window/menus.h"
#include "display/caret.h"
#include "editing/clipboard_commands.h"
#include "editing/cursor.h"
#include "editing/dispatch.h"
#include "platform/gui.h"

namespace rix {

MouseGlue::MouseGlue(Application& app, ScreenState& screen, Gui* gui, Clipboard* clipboard, ShellEvents* events)
    : app_(app), screen_(screen), gui_(gui), clipboard_(clipboard), events_(events) {}

bool MouseGlue::ready() const {
    return app_.loaded && app_.startup_done && !app_.shut_down && screen_.screen.geo.computed() &&
           app_.loaded->document.lines.count() > 0;
}

int MouseGlue::slot() const { return shown_screen_slot(app_, screen_); }

void MouseGlue::after_change() {
    editing_after_change(app_, screen_);
    if (gui_) gui_->invalidate();
    refresh();
}

DisplayLineNo MouseGlue::last_display_line() {
    Document& doc = app_.loaded->document;
    const TextPos end = document_end(doc);
    return document_display_line(doc, TextPos(end.line(), 0)).after(display_line_index_of(doc, end));
}

void MouseGlue::refresh() {
    if (!ready()) {
        caret_ = CaretView{};
        if (gui_) gui_->set_caret(caret_);
        return;
    }
    const SettingsRecord& rec = app_.settings.rec;
    const int s = slot();
    const Screen& screen = screen_.screen;
    const EditState& edit = app_.loaded->edit;
    CaretView c;
    const CaretShape shape = caret_shape(screen.geo, shown_caret_type(app_.find, rec.caret_type[s]), caret_place(screen), !edit.insert_mode);
    c.shown = shape.visible && caret_wanted_ && focused_;
    c.type = shape.type;
    c.rect = shape.rect;
    c.outer = shape.outer;
    c.colour = rec.caret_colour[s];
    caret_ = c;
    bar_ = scroll_bar_values(rec.show_scrollbar[s] != 0, screen.geo.vertical, last_display_line(),
                             screen.geo.screen_lines, edit.cursor.display_line);
    if (!gui_) return;
    gui_->set_caret(caret_);
    ScrollBarSetup b;
    b.shown = bar_.shown;
    b.horizontal = bar_.horizontal_bar;
    b.minimum = bar_.minimum;
    b.maximum = bar_.maximum;
    b.page = bar_.page;
    b.position = bar_.position;
    gui_->set_scroll_bar(b);
}

// ---- events ----

void MouseGlue::button(int button, int action, int x, int y, int buttons, int) {
    if (!ready()) return;
    MouseEvent e;
    const bool left = button == POINTER_LEFT;
    e.kind = action == POINTER_DOWN     ? (left ? MOUSE_LEFT_DOWN : MOUSE_RIGHT_DOWN)
             : action == POINTER_UP     ? (left ? MOUSE_LEFT_UP : MOUSE_RIGHT_UP)
                                        : (left ? MOUSE_LEFT_DOUBLE : MOUSE_RIGHT_DOUBLE);
    e.x = x;
    e.y = y;
    e.buttons = buttons;
    const std::uint8_t quick = app_.settings.rec.right_button_action;
    state_.quick_edit = quick <= 2 ? quick : 0;
    handle_mouse(state_, screen_.screen, *this, e);
}

void MouseGlue::moved(int x, int y, int buttons, int) {
    if (!ready()) return;
    MouseEvent e;
    e.kind = MOUSE_MOVE;
    e.x = x;
    e.y = y;
    e.buttons = buttons;
    handle_mouse(state_, screen_.screen, *this, e);
}

void MouseGlue::timer(int id) {
    if (id != TIMER_AUTO_REPEAT && id != TIMER_IDLE_POINTER) return;
    if (!ready()) {
        kill_timer(id);
        return;
    }
    MouseEvent e;
    e.kind = MOUSE_TIMER;
    e.timer = id;
    handle_mouse(state_, screen_.screen, *this, e);
}

void MouseGlue::scroll_bar(int action, int position) {
    if (!ready()) return;
    const bool vertical = screen_.screen.geo.vertical;
    if (const int key = scroll_bar_key(action, vertical)) {
        dispatch_key(key, KEY_PLAIN_MOVE);
        return;
    }
    if (action != SCROLL_THUMB_TRACK) return;
    // The thumb: to the display line it stands for.
    EditContext c = edit_context(app_);
    const DisplayLineNo target = scroll_bar_display_line(position, vertical, last_display_line());
    const Cursor& cur = c.edit.cursor;
    const std::int64_t delta = display_distance(cur.display_line, target);
    if (delta == 0) return;
    const int k = static_cast<int>(std::clamp<std::int64_t>(delta, -0x7FFFFFFF, 0x7FFFFFFF));
    const CellMove to = move_by_display_lines(c.doc, cur.pos, k, 0, false);
    if (!to.ok) return;
    place_cursor(c, to.pos);
    keep_cursor_on_screen(c);
    show_edit_notices(c);
    after_change();
}

void MouseGlue::focus(bool has_focus) {
    focused_ = has_focus;
    refresh();
}

// ---- MouseServices ----

MouseCursor MouseGlue::cursor() {
    const Cursor& c = app_.loaded->edit.cursor;
    MouseCursor m;
    m.pos = c.pos;
    m.line = c.screen_line;
    m.cell = static_cast<int>(c.cell);
    m.second_half = c.second_half;
    m.display_line = c.display_line;
    return m;
}

bool MouseGlue::marked_range(TextPos* start, TextPos* end) {
    const Marking& m = app_.loaded->edit.mark;
    if (!m.on) return false;
    *start = m.start;
    *end = m.end;
    return true;
}

bool MouseGlue::position_of(const Hit& hit, TextPos* pos) {
    Document& doc = app_.loaded->document;
    const Cursor& c = app_.loaded->edit.cursor;
    const CellMove to = hit_position(doc, c.pos, c.screen_line, hit);
    if (!to.ok || to.pos > document_end(doc)) return false;
    *pos = to.pos;
    return true;
}

void MouseGlue::move_cursor(TextPos pos) {
    EditContext c = edit_context(app_);
    place_cursor(c, pos);
    keep_cursor_on_screen(c);
    show_edit_notices(c);
    after_change();
}

void MouseGlue::dispatch_key(int key, int flags) {
    EditContext c = edit_context(app_);
    rix::dispatch_key(c, key, flags);
    show_edit_notices(c);
    after_change();
}

void MouseGlue::end_marking() {
    EditContext c = edit_context(app_);
    rix::end_marking(c);
    show_edit_notices(c);
    after_change();
}

bool MouseGlue::run_command(int id) {
    if (id == COMMAND_CUT || id == COMMAND_COPY || id == COMMAND_PASTE) {
        if (!clipboard_) return false;
        EditContext c = edit_context(app_);
        ClipboardHooks hooks;
        hooks.add_copy_history = app_.links.add_copy_history.function();
        const bool ok = run_clipboard_command(c, *clipboard_, id, hooks);
        show_edit_notices(c);
        after_change();
        return ok;
    }
    const bool ran = events_ && events_->commands().run(id);
    refresh();
    return ran;
}

void MouseGlue::open_copy_history() {
    if (app_.links.open_copy_history) app_.links.open_copy_history();
}

void MouseGlue::open_synonyms() {
    if (app_.links.open_synonyms) app_.links.open_synonyms();
}

int MouseGlue::drop_menu(int x, int y) {
    if (!gui_ || !events_) return 0;
    const MenuResource* menu = events_->menus().popup("RIX_Drop_Menu");
    std::vector<MenuItem> items;
    if (menu) items = menu_items(*menu, [](int) { return true; });
    if (items.empty()) {
        for (auto [id, label] : {std::pair{DROP_MOVE, "ここへ移動(&M)"}, std::pair{DROP_COPY, "ここへコピー(&C)"},
                                 std::pair{DROP_CANCEL, "キャンセル(&A)"}}) {
            MenuItem item;
            item.command = id;
            item.label = label;
            items.push_back(item);
        }
    }
    return gui_->popup_menu(items, x, y);
}

void MouseGlue::set_timer(int id, unsigned ms) {
    if (app_.host) app_.host->set_timer(id, ms);
}

void MouseGlue::kill_timer(int id) {
    if (app_.host) app_.host->kill_timer(id);
}

void MouseGlue::set_pointer(const char* name, int hot_x, int hot_y) {
    if (gui_) gui_->set_pointer_shape(name, hot_x, hot_y, app_.settings.rec.mouse_cursor_colour[slot()]);
}

void MouseGlue::show_pointer(bool shown) {
    if (gui_) gui_->show_pointer(shown);
}

bool MouseGlue::may_hide_pointer() {
    if (!gui_ || !gui_->window_active()) return false;
    int x = 0, y = 0;
    gui_->pointer_position(&x, &y);
    return y >= 0;
}

void MouseGlue::warp_pointer(int x, int y) {
    if (gui_) gui_->warp_pointer(x, y);
}

void MouseGlue::drop_frame(int line, int cell) {
    if (!gui_) return;
    const DisplayGeometry& g = screen_.screen.geo;
    SurfaceRect box;
    if (line >= 0 && line < g.screen_lines) {
        cell_point(g, line, cell, &box.x, &box.y);
        box.w = g.font_w;
        box.h = g.font_h;
    }
    gui_->set_drop_frame(box, app_.settings.rec.caret_colour[slot()]);
}

void MouseGlue::set_margins(const MarginChange& change) {
    SettingsRecord& rec = app_.settings.rec;
    const int s = slot();
    auto store = [](std::uint8_t& field, int permille) {
        if (permille >= 0) field = static_cast<std::uint8_t>(std::min(permille, 255));
    };
    store(rec.margin_start_permille[s], change.start);
    store(rec.margin_end_permille[s], change.end);
    store(rec.margin_top_permille[s], change.top);
    store(rec.margin_bottom_permille[s], change.bottom);
    mark_settings_changed(&app_.settings);
    rebuild(app_);
    refresh();
}

void MouseGlue::caret_shown(bool shown) {
    caret_wanted_ = shown;
    refresh();
}

}  // namespace rix
