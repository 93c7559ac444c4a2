// Line formats: 行の書式設定 (214) on the cursor's line or the marked lines,
// 行書式登録 (602) for the current screen format, the size-step keys
// (Ctrl with the keys of scan codes 0x1B and 0x2B), F5 .. F12 and the
// registered formats around typed text (typing itself is edit.cpp's).
#include "app/window/command_table.h"
#include "app/shell/features.h"
#include "app/edit/editor.h"
#include "app/edit/format_views.h"
#include "app/settings/row_form_dialog.h"
#include "app/settings/rowfm_reg_dialog.h"
#include "app/window/shell_events.h"
#include "editing/line_formats.h"
#include "platform/fonts.h"
#include "platform/virtual_keys.h"

namespace rix {
namespace {

int current_slot(const Application& app) { return current_screen_slot(app.settings.rec); }

bool format_font_bold(const Application& app) {
    return app.settings.rec.font[current_slot(app)].weight > BOLD_WEIGHT_ABOVE;
}

int chars_per_line(Application& app) {
    return static_cast<int>(app.loaded ? app.loaded->document.rules.chars_per_column : 20);
}

// Ctrl+[ (scan code 0x1B) one size step smaller, Ctrl+] (0x2B) one larger;
// F5 .. F12 the registered formats. True when the key was taken.
bool line_format_key(Application& app, int vk, int mods) {
    if (!editing_ready(app)) return false;
    if (mods == KEY_FLAG_CTRL && (vk == VK_OEM_4 || vk == VK_OEM_6)) {
        run_edit(app, [&](EditContext& c) { step_line_size(c, vk == VK_OEM_4 ? 1 : -1); });
        return true;
    }
    if (mods == 0 && vk >= AUTO_FORMAT_KEY_FIRST && vk <= AUTO_FORMAT_KEY_LAST) {
        bool applied = false;
        run_edit(app, [&](EditContext& c) { applied = auto_line_format(c, vk, {}); });
        return applied;   // otherwise the key gets its usual meaning
    }
    return false;
}

}  // namespace

void install_line_format_commands(Application& app) {
    CommandTable& t = app.window.shell->commands();
    auto ready = [&app] { return editing_ready(app); };
    t.set_handler(COMMAND_ROW_FORMAT, [&app](int) {
        if (!editing_ready(app)) return;
        EditContext c = edit_context(app);
        run_row_form(c, chars_per_line(app), format_font_bold(app), 0);
        show_edit_notices(c);
        editing_done(app);
        rebuild(app);
    }, ready);
    t.set_handler(COMMAND_LINE_FORMATS, [&app](int) {
        run_rowfm_reg(&app.settings, current_slot(app), chars_per_line(app), format_font_bold(app), 0);
        refresh_edit_options(app);
    }, [&app] { return app.loaded != nullptr; });
    t.line_format_key.set([&app](int vk, int mods) { return line_format_key(app, vk, mods); });
}

}  // namespace rix
