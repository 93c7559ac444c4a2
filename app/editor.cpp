// The editing layer tied to the application.
#include "app/editor.h"

#include <algorithm>

#include "app/command_table.h"
#include "app/format_views.h"
#include "aids/jumps.h"
#include "app/find_dialog.h"
#include "app/jump_sheet.h"
#include "app/key_assign_dialog.h"
#include "app/ruby_dialog.h"
#include "app/save_flow.h"
#include "display/edit_view.h"
#include "editing/clipboard_commands.h"
#include "editing/cursor.h"
#include "editing/dispatch.h"
#include "editing/edit_text.h"
#include "platform/codec.h"
#include "platform/virtual_keys.h"

namespace rix {

EditOptions edit_options_for(const SettingsRecord& rec, int slot) {
    if (slot < 0 || slot >= SCREEN_FORMAT_COUNT) slot = 0;
    EditOptions o;
    o.tab_width = rec.tab_width[slot];
    o.auto_indent = rec.auto_indent[slot] != 0;
    o.auto_scroll = rec.auto_scroll[slot] != 0;
    o.accel_chars = rec.accel_chars <= 4 ? rec.accel_chars : 0;
    o.accel_columns = rec.accel_columns <= 4 ? rec.accel_columns : 0;
    o.reset_format_on_break = (rec.line_format_options[slot] & 2) != 0;
    std::copy(std::begin(rec.edit_key_letters), std::end(rec.edit_key_letters), o.edit_key_letters);
    const WritingOptions& writing = save_flow_state().writing;
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

namespace {

void refresh_options(Application& app) {
    EditState& edit = app.loaded->edit;
    const std::uint8_t* before = edit.options.edit_key_letters;
    EditOptions fresh = edit_options_for(app.settings.rec, current_screen_slot(app.settings.rec));
    const bool keys_changed = !std::equal(before, before + 32, fresh.edit_key_letters);
    edit.options = std::move(fresh);
    if (keys_changed) build_edit_key_table(edit);
}

}  // namespace

void start_editing(Application& app) {
    if (!app.loaded) return;
    EditState& edit = app.loaded->edit;
    reset_editing(edit);
    edit.mark = Marking{};
    edit.insert_mode = true;
    edit.key_repeat = 0;
    edit.options = edit_options_for(app.settings.rec, current_screen_slot(app.settings.rec));
    build_edit_key_table(edit);
    edit.frame.top = TextPos(0, 0);
    edit.frame.top_display_line = 0;
    EditContext c = edit_context(app);
    if (app.loaded->document.lines.count() > 0) place_cursor(c, app.loaded->cursor);
    edit.damage.clear();
}

void editing_after_rebuild(Application& app, ScreenState& screen) {
    if (!app.loaded) return;
    Screen& s = screen.screen;
    if (!s.geo.computed()) return;
    refresh_options(app);
    EditState& edit = app.loaded->edit;
    const int slot = shown_screen_slot(app, screen);
    frame_from_screen(s, app.settings.rec.page_columns[slot], &edit.frame);
    edit.frame.top = s.top;
    edit.frame.top_display_line = s.top_display_line;
    EditContext c = edit_context(app);
    if (c.doc.lines.count() == 0) return;
    const std::uint32_t remembered = edit.cursor.remembered_cell;
    place_cursor(c, app.loaded->cursor, false);
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

std::string insertable_file_text(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 32);
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n; ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b == 0x0D && i + 1 < n && text[i + 1] == '\n') {
            out += "\r\n";
            ++i;
        } else if (b == 0x0A) {
            out += "\r\n";
        } else if (b == 0x00 || b == 0x1A || b >= 0xFC) {
            continue;
        } else if (((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFB)) && i + 1 < n) {
            const auto t = static_cast<unsigned char>(text[i + 1]);
            if (t >= 0x40 && t <= 0xFC && t != 0x7F) {
                out += static_cast<char>(b);
                out += static_cast<char>(t);
                ++i;
            } else {
                out += "\x81\xAC";   // 〓 for a lead byte without its trail byte
            }
        } else if ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFB)) {
            out += "\x81\xAC";
        } else {
            out += static_cast<char>(b);
        }
    }
    return out;
}

void install_editor(CommandTable& commands, const EditorWiring& w) {
    Application* app = w.app;
    ScreenState* screen = w.screen;
    Clipboard* clipboard = w.clipboard;
    auto invalidate = w.invalidate;
    // Whether there is a document on a laid-out screen to edit.
    auto ready = [app, screen] {
        return app->loaded && app->startup_done && !app->shut_down && screen->screen.geo.computed() &&
               app->loaded->document.lines.count() > 0;
    };
    auto done = [app, screen, invalidate] {
        editing_after_change(*app, *screen);
        if (invalidate) invalidate();
    };
    commands.dispatch_key = [app, ready, done](int vk, int flags) {
        if (!ready()) return;
        if (vk == VK_SHIFT || vk == VK_CONTROL || vk == VK_MENU || vk == VK_CAPITAL) return;
        EditContext c = edit_context(*app);
        dispatch_key(c, vk, flags);
        accelerate_key(c, vk, flags);
        done();
    };
    commands.key_released = [app](int) {
        if (app->loaded) key_up(app->loaded->edit);
    };
    commands.type_characters = [app, ready, done](const std::string& text) {
        if (!ready()) return;
        EditContext c = edit_context(*app);
        type_characters(c, text);
        done();
    };
    commands.edit_key = [app, ready, done](int id) {
        if (!ready()) return 0;
        EditContext c = edit_context(*app);
        int next = edit_key_command(c, id - COMMAND_CTRL_LETTER_FIRST);
        done();
        return next;
    };
    auto can_undo = [app, ready] { return ready() && (journal_state(app->loaded->edit.journal) & JOURNAL_CAN_UNDO); };
    auto can_redo = [app, ready] { return ready() && (journal_state(app->loaded->edit.journal) & JOURNAL_CAN_REDO); };
    auto run_undo = [app, ready, done](int) {
        if (!ready()) return;
        EditContext c = edit_context(*app);
        undo(c);
        done();
    };
    auto run_redo = [app, ready, done](int) {
        if (!ready()) return;
        EditContext c = edit_context(*app);
        redo(c);
        done();
    };
    commands.set_handler(200, run_undo, can_undo);
    commands.set_handler(220, run_undo, can_undo);
    commands.set_handler(201, run_redo, can_redo);
    commands.set_handler(221, run_redo, can_redo);
    auto clip = [app, ready, done, clipboard](int id) {
        if (!ready() || !clipboard) return;
        EditContext c = edit_context(*app);
        run_clipboard_command(c, *clipboard, id);
        done();
    };
    for (int id : {COMMAND_CUT, COMMAND_COPY, COMMAND_PASTE, COMMAND_SELECT_ALL})
        commands.set_handler(id, clip, ready);
    commands.set_handler(607, [app](int) {
        KeyAssignServices services;
        services.edit = app->loaded ? &app->loaded->edit : nullptr;
        services.relayout = [app] {
            if (app->hooks.rebuild_screen) app->hooks.rebuild_screen(*app);
        };
        run_key_assign_sheet(&app->settings, std::move(services), 0);
        if (app->loaded) refresh_options(*app);
    });
    commands.set_handler(206, [app, ready, done](int) {
        if (!ready()) return;
        EditContext c = edit_context(*app);
        RubyDialogServices services;
        services.after_change = done;
        services.rebuild_screen = [app] {
            if (app->hooks.rebuild_screen) app->hooks.rebuild_screen(*app);
        };
        run_ruby_dialog(c, services, 0);
    }, ready);
    // Search, replace and jumps.
    EditRunner runner = [app, ready, done](const std::function<void(EditContext&)>& work) {
        if (!ready()) return false;
        EditContext c = edit_context(*app);
        work(c);
        done();
        return true;
    };
    commands.set_handler(300, [runner](int id) { open_find_dialog(id == 301, FindServices{runner, 0}); }, ready);
    auto jump_env = [app] {
        return JumpEnv{&app->loaded->extension.header.jumps, &mark_jump_memory(),
                       app->settings.rec.marks_on_digit_keys == 1, 0};
    };
    auto sheet = [app, runner, clipboard](int page) {
        JumpSheetServices services;
        services.settings = &app->settings;
        services.edit = runner;
        services.strings = app->loaded ? &app->loaded->extension.header.jumps : nullptr;
        services.memory = &mark_jump_memory();
        services.clipboard = clipboard;
        run_jump_sheet(services, page);
    };
    commands.set_handler(310, [sheet](int) { sheet(-1); }, ready);
    auto jump = [runner, jump_env](int id) {
        runner([&](EditContext& c) { run_jump_command(c, id, jump_env()); });
    };
    commands.set_handler(311, [sheet, jump](int id) {
        if (id == 311) sheet(JUMP_PAGE_MARKS);
        else jump(id);
    }, ready);
    for (int id : {313, 321, 331}) commands.set_handler(id, jump, ready);
    // A save may move the text the staging line was copied for.
    for (auto* hook : {&app->hooks.save_document, &app->hooks.save_as}) {
        if (!*hook) continue;
        *hook = [saver = *hook](Application& a) {
            const int result = saver(a);
            if (a.loaded) a.loaded->edit.line_cache.invalidate();
            return result;
        };
    }
    app->hooks.insert_text = [ready, done](Application& a, const std::string& text) {
        if (!ready()) return false;
        EditContext c = edit_context(a);
        const bool ok = insert_text(c, insertable_file_text(text), true);
        done();
        return ok;
    };
}

}  // namespace rix
