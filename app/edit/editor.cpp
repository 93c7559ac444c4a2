// The editing layer tied to the application.
#include "app/edit/editor.h"

#include <algorithm>

#include "app/window/command_table.h"
#include "app/edit/format_views.h"
#include "aids/jumps.h"
#include "app/search/find_dialog.h"
#include "app/search/jump_sheet.h"
#include "app/settings/key_assign_dialog.h"
#include "app/settings/rowfm_reg_dialog.h"
#include "app/edit/ruby_dialog.h"
#include "app/documents/save_flow.h"
#include "display/edit_view.h"
#include "editing/clipboard_commands.h"
#include "editing/cursor.h"
#include "editing/dispatch.h"
#include "editing/edit_text.h"
#include "platform/codec.h"
#include "platform/virtual_keys.h"

namespace rix {

EditOptions edit_options_for(const SettingsRecord& rec, int slot, const WritingOptions& writing) {
    if (slot < 0 || slot >= SCREEN_FORMAT_COUNT) slot = 0;
    EditOptions o;
    o.tab_width = rec.tab_width[slot];
    o.auto_indent = rec.auto_indent[slot] != 0;
    o.auto_scroll = rec.auto_scroll[slot] != 0;
    o.accel_chars = rec.accel_chars <= 4 ? rec.accel_chars : 0;
    o.accel_columns = rec.accel_columns <= 4 ? rec.accel_columns : 0;
    o.reset_format_on_break = (rec.line_format_options[slot] & 2) != 0;
    o.line_formats = registered_line_formats(rec, slot);
    std::copy(std::begin(rec.edit_key_letters), std::end(rec.edit_key_letters), o.edit_key_letters);
    o.export_rubies = writing.rubies;
    o.export_line_info = writing.line_info;
    o.export_index = writing.index;
    o.ruby_notation = rec.ruby_notation >= 1 && rec.ruby_notation <= 4 ? rec.ruby_notation : 3;
    o.custom_delimiters = std::string(read_field(rec.ruby_custom_delimiters, sizeof rec.ruby_custom_delimiters));
    o.line_id_symbol = std::string(read_field(rec.line_id_symbol, sizeof rec.line_id_symbol));
    return o;
}

EditContext edit_context(Application& app) {
    LoadedDocument& loaded = *app.loaded;
    return EditContext{loaded.document, app.doc, loaded.edit, &loaded.session};
}

void show_edit_notices(EditContext& c) {
    show_notices(c.notices);
    c.notices.items.clear();
    show_notices(c.doc.notices);
    c.doc.notices.items.clear();
}

void refresh_edit_options(Application& app) {
    if (!app.loaded) return;
    EditState& edit = app.loaded->edit;
    const std::uint8_t* before = edit.options.edit_key_letters;
    EditOptions fresh = edit_options_for(app.settings.rec, current_screen_slot(app.settings.rec), app.save_flow.writing);
    const bool keys_changed = !std::equal(before, before + 32, fresh.edit_key_letters);
    edit.options = std::move(fresh);
    if (keys_changed) build_edit_key_table(edit);
}

void start_editing(Application& app) {
    if (!app.loaded) return;
    EditState& edit = app.loaded->edit;
    reset_editing(edit);
    edit.mark = Marking{};
    edit.insert_mode = true;
    edit.key_repeat = 0;
    edit.options = edit_options_for(app.settings.rec, current_screen_slot(app.settings.rec), app.save_flow.writing);
    build_edit_key_table(edit);
    edit.frame.top = TextPos(0, 0);
    edit.frame.top_display_line = DisplayLineNo{};
    EditContext c = edit_context(app);
    if (app.loaded->document.lines.count() > 0) place_cursor(c, app.loaded->cursor);
    show_edit_notices(c);
    edit.damage.clear();
}

void editing_after_rebuild(Application& app, ScreenState& screen) {
    if (!app.loaded) return;
    Screen& s = screen.screen;
    if (!s.geo.computed()) return;
    refresh_edit_options(app);
    EditState& edit = app.loaded->edit;
    const int slot = shown_screen_slot(app, screen);
    frame_from_screen(s, app.settings.rec.page_columns[slot], &edit.frame);
    edit.frame.top = s.top;
    edit.frame.top_display_line = s.top_display_line;
    EditContext c = edit_context(app);
    if (c.doc.lines.count() == 0) return;
    const std::uint32_t remembered = edit.cursor.remembered_cell;
    place_cursor(c, app.loaded->cursor, false);
    show_edit_notices(c);
    edit.cursor.remembered_cell = remembered;
    edit.damage.clear();
    apply_view_damage(c.doc, s, edit);   // the highlight after a full repaint
}

void editing_after_change(Application& app, ScreenState& screen) {
    if (!app.loaded) return;
    EditState& edit = app.loaded->edit;
    app.loaded->cursor = edit.cursor.pos;
    Screen& s = screen.screen;
    if (!s.geo.computed() || !s.surface) {
        edit.damage.clear();
        return;
    }
    apply_view_damage(app.loaded->document, s, edit);
}

bool editing_ready(const Application& app) {
    return app.loaded && app.startup_done && !app.shut_down && app.window.screen &&
           app.window.screen->screen.geo.computed() && app.loaded->document.lines.count() > 0;
}

void editing_done(Application& app) {
    if (app.window.screen) editing_after_change(app, *app.window.screen);
    window_changed(app);
}

bool run_edit(Application& app, const std::function<void(EditContext&)>& work) {
    if (!editing_ready(app)) return false;
    EditContext c = edit_context(app);
    work(c);
    show_edit_notices(c);
    editing_done(app);
    return true;
}

}  // namespace rix
