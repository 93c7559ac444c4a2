// The index window (see index_window.h).
#include "app/index/index_window.h"

#include <algorithm>
#include <cstdio>

#include "aids/search.h"
#include "app/documents/document_load.h"
#include "app/edit/format_views.h"
#include "app/shell/application.h"
#include "app/window/side_windows.h"
#include "document/loader.h"
#include "platform/codec.h"
#include "platform/messages.h"

namespace rix {

namespace {

std::string sj(const std::string& utf8) { return utf8_to_sjis(utf8); }

// A refusal of the index, told over the window.
void tell_index_status(IndexStatus status, int level, WindowRef owner) {
    Notices notices;
    note_index_status(status, level, owner, notices);
    show_notices(notices);
}

}  // namespace

bool index_window_open(const IndexUi& ui) { return ui.handle != 0 && dialog_host().is_open(ui.handle); }

int IndexWindow::placement() const {
    if (services_.settings == nullptr) return INDEX_FLOATING;
    return index_placement_of(services_.settings->rec, current_screen_slot(services_.settings->rec));
}

bool IndexWindow::vertical() const {
    if (services_.settings == nullptr) return true;
    const SettingsRecord& rec = services_.settings->rec;
    return rec.writing_direction[current_screen_slot(rec)] == 0;
}

void IndexWindow::change_placement(int button) {
    if (services_.settings == nullptr || !services_.reopen) return;
    SettingsRecord& rec = services_.settings->rec;
    const int slot = current_screen_slot(rec);
    rec.index_dock[slot] = static_cast<std::uint8_t>(index_placement_after(placement(), button));
    mark_settings_changed(services_.settings);
    services_.reopen();
}

void IndexWindow::leave(DialogContext& ctx) {
    if (ui_->pane == 0) {
        if (services_.settings) keep_side_window_position(ctx, services_.settings, services_.settings->rec.index_window_pos, vertical());
        return;
    }
    ui_->pane = 0;
    if (services_.pane_changed) services_.pane_changed(0);
}

bool IndexWindow::on_document(const std::function<void(EditContext&)>& work) {
    return services_.edit && services_.edit(work);
}

int IndexWindow::chosen_level(const DialogContext& ctx) const {
    const int id = ctx.get_radio(INDEX_LEVEL_FIRST, INDEX_LEVEL_FIRST + INDEX_LEVELS - 1);
    return id == 0 ? 1 : id - INDEX_LEVEL_FIRST + 1;
}

void IndexWindow::init(DialogContext& ctx) {
    for (int k = 0; k < INDEX_LEVELS; ++k) ctx.set_check(INDEX_SHOW_FIRST + k, (ui_->filter >> k & 1) != 0);
    ctx.set_radio(INDEX_LEVEL_FIRST, INDEX_LEVEL_FIRST + INDEX_LEVELS - 1, INDEX_LEVEL_FIRST);
    ctx.set_check(INDEX_PAGE_BREAK_CHECK, ui_->page_break);
    ctx.set_check(INDEX_SOUND, services_.settings && services_.settings->rec.index_move_sound != 0);
    ctx.enable(INDEX_SOUND, services_.settings != nullptr && static_cast<bool>(services_.beep));
    ctx.enable(INDEX_NOTEBOOK, static_cast<bool>(services_.notebook));
    const int p = placement();
    ctx.set_text(INDEX_DOCK_LEFT, sj(index_left_button_caption(p)));
    ctx.set_text(INDEX_DOCK_RIGHT, sj(index_right_button_caption(p)));
    const bool can_place = services_.settings != nullptr && static_cast<bool>(services_.reopen);
    ctx.enable(INDEX_DOCK_LEFT, can_place);
    ctx.enable(INDEX_DOCK_RIGHT, can_place);
    if (p == INDEX_FLOATING && services_.settings)
        place_side_window(ctx, services_.settings->rec.index_window_pos, vertical());
    ui_->followed = false;
    ui_->cursor_line = NO_LINE;
    ui_->last_name.clear();
    on_document([&](EditContext& c) { follow(ctx, c, true); });
}

void IndexWindow::select_row(DialogContext& ctx, int row) {
    ctx.set_selection(INDEX_LIST, row);
}

void IndexWindow::rebuild_list(DialogContext& ctx, const std::vector<IndexEntry>& index) {
    ui_->listed = index;
    ui_->rows.clear();
    ctx.clear_items(INDEX_LIST);
    int selected_row = -1;
    for (const IndexRow& r : index_rows(index, ui_->filter)) {
        const int row = ctx.add_item(INDEX_LIST, r.text);
        ctx.set_item_data(INDEX_LIST, row, static_cast<std::int64_t>(r.entry));
        if (r.entry == ui_->selected) selected_row = row;
        ui_->rows.push_back(r.entry);
    }
    select_row(ctx, selected_row);
}

void IndexWindow::show_entry(DialogContext& ctx, const std::vector<IndexEntry>& index) {
    char counter[32];
    const bool any = ui_->selected < index.size();
    std::snprintf(counter, sizeof counter, "%3u/%-u", any ? static_cast<unsigned>(ui_->selected + 1) : 0u,
                  static_cast<unsigned>(index.size()));
    ctx.set_text(INDEX_COUNTER, counter);
    if (!any) return;
    const IndexEntry& e = index[ui_->selected];
    const int level = std::min(index_level(e), INDEX_LEVELS);
    ctx.set_radio(INDEX_LEVEL_FIRST, INDEX_LEVEL_FIRST + INDEX_LEVELS - 1, INDEX_LEVEL_FIRST + level - 1);
    ctx.set_text(INDEX_NAME, e.title);
    ui_->last_name = e.title;
}

void IndexWindow::follow(DialogContext& ctx, EditContext& c, bool rebuild) {
    const std::vector<IndexEntry>& index = c.doc.index;
    const std::uint32_t line = c.edit.cursor.pos.line();
    ctx.set_text(INDEX_CURRENT_LINE, sj("現在行 ") + std::to_string(line + 1));
    const std::size_t candidate = index_entry_for_line(index, line);
    const bool on_line = candidate != NO_INDEX_ENTRY && index[candidate].line == line;
    ui_->cursor_line = line;
    if (ui_->followed && !on_line && !rebuild) return;
    ui_->followed = true;
    ui_->selected = candidate;
    ui_->source = candidate;
    if (services_.beep && services_.settings && services_.settings->rec.index_move_sound) services_.beep();
    if (rebuild || index != ui_->listed) {
        rebuild_list(ctx, index);
    } else {
        int row = -1;
        for (std::size_t r = 0; r < ui_->rows.size(); ++r)
            if (ui_->rows[r] == candidate) row = static_cast<int>(r);
        select_row(ctx, row);
    }
    show_entry(ctx, index);
}

void IndexWindow::add(DialogContext& ctx, EditContext& c) {
    ui_->cursor_line = c.edit.cursor.pos.line();
    const std::uint32_t line = c.edit.cursor.pos.line();
    const int level = chosen_level(ctx);
    std::vector<IndexEntry>& index = c.doc.index;
    const std::size_t k = index_insertion_point(index, line, level);
    if (k < index.size() && index[k].line == line && index_level(index[k]) == level) {
        tell_index_status(IndexStatus::DUPLICATE, level, ctx.window());
        return;
    }
    if (index.size() >= INDEX_MAX_ENTRIES) {
        tell_index_status(IndexStatus::FULL, level, ctx.window());
        return;
    }
    std::string name = ctx.get_text(INDEX_NAME);
    if (name == ui_->last_name) {
        const int answer = ctx.show_message(
            MSG_YES_NO, sj(" 索引名が入力されていません。\n本文の文字列をコピーして使いますか？"));
        if (answer != MSG_RESULT_YES) return;
        name = index_name_from_line(c.doc, line, c.edit.options);
        ctx.set_text(INDEX_NAME, name);
    }
    std::size_t at = 0;
    const IndexStatus st =
        add_index_entry(c.doc, c.state, line, level, ctx.get_check(INDEX_PAGE_BREAK_CHECK), name, &at);
    settle(ctx, index, st, level, at);
}

// After a register or a change: the refusal told, or the entry at `at`
// selected in the rebuilt list.
void IndexWindow::settle(DialogContext& ctx, const std::vector<IndexEntry>& index, IndexStatus st, int level,
                         std::size_t at) {
    if (st != IndexStatus::OK) {
        tell_index_status(st, level, ctx.window());
        return;
    }
    ui_->selected = ui_->source = at;
    rebuild_list(ctx, index);
    show_entry(ctx, index);
}

void IndexWindow::change(DialogContext& ctx, EditContext& c) {
    ui_->cursor_line = c.edit.cursor.pos.line();
    std::vector<IndexEntry>& index = c.doc.index;
    if (ui_->selected >= index.size()) return;
    const int level = chosen_level(ctx);
    const int old_level = index_level(index[ui_->selected]);
    const std::string name = ctx.get_text(INDEX_NAME);
    const bool page_break = ctx.get_check(INDEX_PAGE_BREAK_CHECK);
    if (level != old_level) {
        for (const IndexEntry& e : index)
            if (&e != &index[ui_->selected] && e.line == index[ui_->selected].line && index_level(e) == level) {
                tell_index_status(IndexStatus::DUPLICATE, level, ctx.window());
                return;
            }
        ctx.show_message(MSG_NOTICE, sj("元の階層 " + std::to_string(old_level) + " を " + std::to_string(level) +
                                        " に変更します。"),
                         3500);
    }
    std::size_t at = ui_->selected;
    const IndexStatus st = change_index_entry(c.doc, c.state, ui_->selected, level, page_break, name, &at);
    settle(ctx, index, st, level, at);
}

void IndexWindow::remove(DialogContext& ctx, EditContext& c) {
    ui_->cursor_line = c.edit.cursor.pos.line();
    std::vector<IndexEntry>& index = c.doc.index;
    if (ui_->selected >= index.size()) return;
    const std::string question = "行 " + std::to_string(index[ui_->selected].line + 1) + " の索引を削除しますか？";
    if (ctx.show_message(MSG_YES_NO, sj(question)) != MSG_RESULT_YES) return;
    delete_index_entry(c.doc, c.state, ui_->selected);
    if (ui_->selected >= index.size()) ui_->selected = index.empty() ? NO_INDEX_ENTRY : index.size() - 1;
    ui_->source = ui_->selected;
    rebuild_list(ctx, index);
    show_entry(ctx, index);
}

void IndexWindow::jump(DialogContext& ctx, EditContext& c) {
    if (ui_->selected >= c.doc.index.size()) return;
    const SeekResult r = locate_target(c, SEEK_LINE, c.doc.index[ui_->selected].line);
    if (!r.found) {
        ctx.show_message(MSG_NOTICE, sj("該当行が見つかりません｡"), 1500);
        return;
    }
    move_to_target(c, TextPos(r.pos.line(), 0), false);
    // The window chose this entry: following the new line must not pick another of it.
    ui_->cursor_line = c.edit.cursor.pos.line();
    ctx.set_text(INDEX_CURRENT_LINE, sj("現在行 ") + std::to_string(ui_->cursor_line + 1));
}

void IndexWindow::show_named(DialogContext& ctx, EditContext& c, const std::string& name) {
    const std::vector<IndexEntry>& index = c.doc.index;
    std::size_t found = NO_INDEX_ENTRY;
    for (std::size_t k = 0; k < index.size() && found == NO_INDEX_ENTRY; ++k)
        if (index[k].title == name) found = k;
    ui_->source = ui_->selected;
    ui_->selected = found;
    rebuild_list(ctx, index);
    show_entry(ctx, index);
    ctx.set_text(INDEX_NAME, name);
    if (found != NO_INDEX_ENTRY) jump(ctx, c);
}

void IndexWindow::move(DialogContext& ctx, EditContext& c) {
    IndexSection sec;
    IndexStatus st = plan_index_move(c.doc, ui_->source, ui_->selected, &sec);
    if (st == IndexStatus::NOT_LOADED && c.session) {
        load_all_shown(c.doc, c.state, *c.session);
        st = plan_index_move(c.doc, ui_->source, ui_->selected, &sec);
    }
    if (st != IndexStatus::OK) {
        tell_index_status(st, 0, ctx.window());
        return;
    }
    const std::string question = "行 " + std::to_string(sec.first_line + 1) + " から " +
                                 std::to_string(sec.first_line + sec.line_count) + " を\n行 " +
                                 std::to_string(sec.before_line + 1) +
                                 " の前に移動しますか？\n（注：索引と同時に本文も移動されます）";
    if (ctx.show_message(MSG_YES_NO, sj(question)) != MSG_RESULT_YES) return;
    const std::uint32_t line = apply_index_move(c, sec);
    move_to_target(c, TextPos(line, 0), false);
    ui_->selected = ui_->source = index_entry_for_line(c.doc.index, line);
    ui_->cursor_line = c.edit.cursor.pos.line();
    rebuild_list(ctx, c.doc.index);
    show_entry(ctx, c.doc.index);
}

bool IndexWindow::command(DialogContext& ctx, int id, int notification) {
    if (id == INDEX_LIST) {
        const int row = ctx.get_selection(INDEX_LIST);
        if (row < 0 || static_cast<std::size_t>(row) >= ui_->rows.size()) return true;
        if (notification == NOTIFY_SELECTION || notification == NOTIFY_DOUBLE_CLICK) {
            if (ui_->rows[static_cast<std::size_t>(row)] != ui_->selected) {
                ui_->source = ui_->selected;
                ui_->selected = ui_->rows[static_cast<std::size_t>(row)];
            }
            show_entry(ctx, ui_->listed);
        }
        if (notification == NOTIFY_DOUBLE_CLICK) on_document([&](EditContext& c) { jump(ctx, c); });
        return true;
    }
    if (notification != NOTIFY_CLICKED) return false;
    if (id >= INDEX_SHOW_FIRST && id < INDEX_SHOW_FIRST + INDEX_LEVELS) {
        std::uint8_t filter = 0;
        for (int k = 0; k < INDEX_LEVELS; ++k)
            if (ctx.get_check(INDEX_SHOW_FIRST + k)) filter = static_cast<std::uint8_t>(filter | 1u << k);
        ui_->filter = filter;
        rebuild_list(ctx, ui_->listed);
        return true;
    }
    switch (id) {
        case INDEX_REGISTER: on_document([&](EditContext& c) { add(ctx, c); }); return true;
        case INDEX_CHANGE: on_document([&](EditContext& c) { change(ctx, c); }); return true;
        case INDEX_DELETE: on_document([&](EditContext& c) { remove(ctx, c); }); return true;
        case INDEX_JUMP: on_document([&](EditContext& c) { jump(ctx, c); }); return true;
        case INDEX_MOVE: {
            bool moved = false;
            on_document([&](EditContext& c) {
                const std::uint64_t before = c.doc.generation;
                move(ctx, c);
                moved = c.doc.generation != before;
            });
            if (moved && services_.redraw) services_.redraw();
            return true;
        }
        case INDEX_HELP: show_help("IDX"); return true;
        case INDEX_NOTEBOOK:
            if (services_.notebook) services_.notebook(ctx.get_text(INDEX_NAME));
            return true;
        case INDEX_DOCK_LEFT:
        case INDEX_DOCK_RIGHT: change_placement(id); return true;
        case INDEX_PAGE_BREAK_CHECK: ui_->page_break = ctx.get_check(INDEX_PAGE_BREAK_CHECK); return true;
        case INDEX_SOUND:
            if (services_.settings) {
                services_.settings->rec.index_move_sound = ctx.get_check(INDEX_SOUND) ? 1 : 0;
                mark_settings_changed(services_.settings);
            }
            return true;
        default: return false;
    }
}

void IndexWindow::cancel(DialogContext& ctx) {
    ui_->handle = 0;
    leave(ctx);
}

void close_index_window(IndexUi& ui) {
    if (index_window_open(ui) && ui.procedure)
        if (DialogContext* ctx = dialog_host().context(ui.handle)) ui.procedure->leave(*ctx);
    if (ui.handle != 0) dialog_host().close_modeless(ui.handle);
    ui.handle = 0;
    ui.pane = 0;
}

void remember_index_window(IndexUi& ui, SettingsState* settings) {
    if (settings == nullptr) return;
    const bool open = index_window_open(ui) && ui.procedure;
    if (settings->rec.index_window_open != (open ? 1 : 0)) {
        settings->rec.index_window_open = open ? 1 : 0;
        mark_settings_changed(settings);
    }
    if (!open || ui.pane != 0) return;
    if (DialogContext* ctx = dialog_host().context(ui.handle))
        keep_side_window_position(*ctx, settings, settings->rec.index_window_pos, ui.procedure->vertical());
}

DialogHandle open_index_window(IndexUi& ui, IndexServices services) {
    if (index_window_open(ui)) {
        DialogContext* ctx = dialog_host().context(ui.handle);
        if (ctx) {
            ctx->show_window(true);
            if (services.edit) services.edit([&](EditContext& c) { ui.procedure->follow(*ctx, c, true); });
        }
        return ui.handle;
    }
    close_index_window(ui);
    const WindowRef owner = services.owner;
    // The window may be made again from a call of its own procedure (1080, 1090).
    ui.retired = std::move(ui.procedure);
    ui.procedure = std::make_unique<IndexWindow>(&ui, std::move(services));
    const int side = ui.procedure->placement();
    ui.handle = open_modeless(side == INDEX_FLOATING ? "INDEX_WIN" : "INDEX_WIN_LF", *ui.procedure, owner);
    ui.pane = 0;
    if (ui.handle == 0 || side == INDEX_FLOATING) return ui.handle;
    const IndexServices& s = ui.procedure->services();
    if (s.dock && s.dock(ui.handle, side)) {
        ui.pane = side;
        if (s.pane_changed) s.pane_changed(side);
    } else if (DialogContext* ctx = dialog_host().context(ui.handle); ctx && s.settings) {
        // No pane to be had: a window of its own where a floating one stands.
        place_side_window(*ctx, s.settings->rec.index_window_pos, ui.procedure->vertical());
    }
    return ui.handle;
}

void show_index_name(IndexUi& ui, IndexServices services, const std::string& name) {
    EditRunner edit = services.edit;
    if (open_index_window(ui, std::move(services)) == 0 || !edit) return;
    DialogContext* ctx = dialog_host().context(ui.handle);
    if (ctx == nullptr || !ui.procedure) return;
    edit([&](EditContext& c) { ui.procedure->show_named(*ctx, c, name); });
}

void follow_index_cursor(IndexUi& ui, EditContext& c) {
    if (!index_window_open(ui) || !ui.procedure) return;
    DialogContext* ctx = dialog_host().context(ui.handle);
    if (ctx == nullptr) return;
    const bool entries_changed = c.doc.index != ui.listed;
    if (!entries_changed && c.edit.cursor.pos.line() == ui.cursor_line) return;
    ui.procedure->follow(*ctx, c, entries_changed);
}

}  // namespace rix
