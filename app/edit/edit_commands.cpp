// Editing through the main window: keys, typed text, the Ctrl+letter edit
// keys, undo and redo, the clipboard commands, the 編集キー／禁則文字 sheet,
// and the insertion hook of 現在行に読込み.
#include <string>

#include "app/shell/features.h"
#include "app/window/command_table.h"
#include "app/edit/editor.h"
#include "app/settings/key_assign_dialog.h"
#include "app/window/shell_events.h"
#include "editing/clipboard_commands.h"
#include "editing/dispatch.h"
#include "editing/edit_text.h"
#include "editing/line_formats.h"
#include "platform/virtual_keys.h"

namespace rix {
namespace {

void install_input(Application& app, CommandTable& t) {
    t.dispatch_key.set([&app](int vk, int flags) {
        if (vk == VK_SHIFT || vk == VK_CONTROL || vk == VK_MENU || vk == VK_CAPITAL) return;
        run_edit(app, [&](EditContext& c) {
            dispatch_key(c, vk, flags);
            accelerate_key(c, vk, flags);
        });
    });
    t.key_released.set([&app](int) {
        if (app.loaded) key_up(app.loaded->edit);
    });
    t.type_characters.set([&app](const std::string& text) {
        run_edit(app, [&](EditContext& c) { type_with_line_formats(c, text); });
    });
    t.edit_key.set([&app](int id) {
        int next = 0;
        run_edit(app, [&](EditContext& c) { next = edit_key_command(c, id - COMMAND_CTRL_LETTER_FIRST); });
        return next;
    });
}

}  // namespace

void install_edit_commands(Application& app) {
    CommandTable& t = app.window.shell->commands();
    install_input(app, t);
    auto ready = [&app] { return editing_ready(app); };
    auto can_undo = [&app] { return editing_ready(app) && (journal_state(app.loaded->edit.journal) & JOURNAL_CAN_UNDO); };
    auto can_redo = [&app] { return editing_ready(app) && (journal_state(app.loaded->edit.journal) & JOURNAL_CAN_REDO); };
    auto run_undo = [&app](int) { run_edit(app, [](EditContext& c) { undo(c); }); };
    auto run_redo = [&app](int) { run_edit(app, [](EditContext& c) { redo(c); }); };
    t.set_handler(COMMAND_UNDO, run_undo, can_undo);
    t.set_handler(COMMAND_UNDO_BY_KEY, run_undo, can_undo);
    t.set_handler(COMMAND_REDO, run_redo, can_redo);
    t.set_handler(COMMAND_REDO_BY_KEY, run_redo, can_redo);
    auto clip = [&app](int id) {
        if (!app.window.clipboard) return;
        ClipboardHooks hooks;
        hooks.add_copy_history = app.links.add_copy_history.function();
        run_edit(app, [&](EditContext& c) { run_clipboard_command(c, *app.window.clipboard, id, hooks); });
    };
    for (int id : {COMMAND_CUT, COMMAND_COPY, COMMAND_PASTE, COMMAND_SELECT_ALL}) t.set_handler(id, clip, ready);
    t.set_handler(COMMAND_KEY_ASSIGN_SHEET, [&app](int) {
        KeyAssignServices services;
        services.edit = app.loaded ? &app.loaded->edit : nullptr;
        services.relayout = [&app] { rebuild(app); };
        run_key_assign_sheet(&app.key_assign, &app.settings, std::move(services), 0);
        refresh_edit_options(app);
    });
    app.hooks.insert_text.set([](Application& a, const std::string& text) {
        bool ok = false;
        run_edit(a, [&](EditContext& c) { ok = insert_text(c, insertable_file_text(text), true); });
        return ok;
    });
}

}  // namespace rix
