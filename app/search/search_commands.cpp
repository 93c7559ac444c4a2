// Search and jumps: the find and replace dialog, the jump sheet, the mark
// jump, the document's start and end, and the digit jumps.
#include "aids/jumps.h"
#include "app/shell/features.h"
#include "app/window/command_table.h"
#include "app/edit/editor.h"
#include "app/search/find_dialog.h"
#include "app/search/jump_sheet.h"
#include "app/window/shell_events.h"

namespace rix {
namespace {

EditRunner runner_of(Application& app) {
    return [&app](const std::function<void(EditContext&)>& work) { return run_edit(app, work); };
}

void open_sheet(Application& app, int page) {
    JumpSheetServices services;
    services.settings = &app.settings;
    services.edit = runner_of(app);
    services.strings = app.loaded ? &app.loaded->extension.header.jumps : nullptr;
    services.ui = &app.jumps;
    services.clipboard = app.window.clipboard;
    services.add_copy_history = app.links.add_copy_history.function();
    run_jump_sheet(services, page);
}

void jump(Application& app, int id) {
    run_edit(app, [&](EditContext& c) {
        JumpEnv env{&app.loaded->extension.header.jumps, &app.jumps.memory,
                    app.settings.rec.marks_on_digit_keys == 1, 0};
        Notices notices;
        run_jump_command(c, id, env, notices);
        show_notices(notices);
    });
}

}  // namespace

void install_search_commands(Application& app) {
    CommandTable& t = app.window.shell->commands();
    auto ready = [&app] { return editing_ready(app); };
    t.set_handler(COMMAND_FIND, [&app](int id) {
        open_find_dialog(app.find, id == COMMAND_REPLACE, FindServices{runner_of(app), 0});
    }, ready);
    t.set_handler(COMMAND_JUMP_SHEET, [&app](int) { open_sheet(app, -1); }, ready);
    t.set_handler(COMMAND_MARK_PAGE, [&app](int id) {
        if (id == COMMAND_MARK_PAGE) open_sheet(app, JUMP_PAGE_MARKS);
        else jump(app, id);
    }, ready);
    for (int id : {COMMAND_DOCUMENT_START, COMMAND_DIGIT_FORWARD_FIRST, COMMAND_DIGIT_BACKWARD_FIRST})
        t.set_handler(id, [&app](int c) { jump(app, c); }, ready);
}

}  // namespace rix
