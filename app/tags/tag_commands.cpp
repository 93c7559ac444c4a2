// Tags: 付箋 ･ しおり付け (401), 付箋一覧 (402), previous and next tag (350,
// 351), and the tags' windows beside the text after every redraw.
#include <memory>

#include "aids/tags.h"
#include "app/shell/features.h"
#include "app/window/command_table.h"
#include "app/edit/editor.h"
#include "app/window/shell_events.h"
#include "app/tags/tag_dialogs.h"
#include "app/tags/tag_windows.h"

namespace rix {
namespace {

TagServices services_of(Application& app, TagWindowGlue* glue) {
    TagServices s;
    s.settings = &app.settings;
    s.edit = [&app](const std::function<void(EditContext&)>& work) { return run_edit(app, work); };
    // A new tag: every window closes, and the redraw opens those on the screen.
    s.redraw = [&app, glue] {
        glue->close_all();
        rebuild(app);
    };
    if (app.window.gui) s.font_chooser = &app.window.gui->font_chooser();
    return s;
}

}  // namespace

void install_tag_commands(Application& app) {
    // The redraw subscriber owns the glue (it lives as long as the
    // application's events).
    auto glue = std::make_shared<TagWindowGlue>(app);
    TagWindowGlue* g = glue.get();
    g->open_tag_list = [&app, g] { run_tag_list(services_of(app, g)); };
    app.events.redraw.subscribe([glue] { glue->refresh(); });
    // Another document: the windows of the old one's tags go.
    app.events.document_cleared.subscribe([g] { g->close_all(); });

    CommandTable& t = app.window.shell->commands();
    auto ready = [&app] { return editing_ready(app); };
    t.set_handler(COMMAND_TAG, [&app, g](int) {
        g->show_again();   // 付箋を隠す lasts until TAGSET opens
        run_tag_set(services_of(app, g));
    }, ready);
    t.set_handler(COMMAND_TAG_LIST, [&app, g](int) { run_tag_list(services_of(app, g)); }, ready);
    t.set_handler(COMMAND_PREVIOUS_TAG, [&app](int id) {
        run_edit(app, [id](EditContext& c) {
            Notices notices;
            tag_jump(c, id == COMMAND_NEXT_TAG, 0, notices);
            show_notices(notices);
        });
    }, ready);
    t.set_handler(COMMAND_NEXT_TAG, [&app](int id) {
        run_edit(app, [id](EditContext& c) {
            Notices notices;
            tag_jump(c, id == COMMAND_NEXT_TAG, 0, notices);
            show_notices(notices);
        });
    }, ready);
}

}  // namespace rix
