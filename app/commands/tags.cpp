// Tags: 付箋 ･ しおり付け (401), 付箋一覧 (402), previous and next tag (350, 351).
#include "aids/tags.h"
#include "app/commands/features.h"
#include "app/command_table.h"
#include "app/editor.h"
#include "app/shell_events.h"
#include "app/tag_dialogs.h"

namespace rix {
namespace {

TagServices services_of(Application& app) {
    TagServices s;
    s.settings = &app.settings;
    s.edit = [&app](const std::function<void(EditContext&)>& work) { return run_edit(app, work); };
    s.redraw = [&app] { rebuild(app); };
    if (app.window.gui) s.font_chooser = &app.window.gui->font_chooser();
    return s;
}

}  // namespace

void install_tag_commands(Application& app) {
    CommandTable& t = app.window.shell->commands();
    auto ready = [&app] { return editing_ready(app); };
    t.set_handler(COMMAND_TAG, [&app](int) { run_tag_set(services_of(app)); }, ready);
    t.set_handler(COMMAND_TAG_LIST, [&app](int) { run_tag_list(services_of(app)); }, ready);
    t.set_handler(COMMAND_PREVIOUS_TAG, [&app](int id) {
        run_edit(app, [id](EditContext& c) { tag_jump(c, id == COMMAND_NEXT_TAG, 0); });
    }, ready);
    t.set_handler(COMMAND_NEXT_TAG, [&app](int id) {
        run_edit(app, [id](EditContext& c) { tag_jump(c, id == COMMAND_NEXT_TAG, 0); });
    }, ready);
}

}  // namespace rix
