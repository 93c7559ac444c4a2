// The notebook: 手 帖 (403) opens the notebook window with the word at the
// cursor searched. The document's notebook lives here while the program
// runs; the close and exit flows write it through DocumentHooks (first
// storing an article being edited), and switching documents drops it.
// A window open at the last end of the program opens again with the first
// document.
#include <memory>

#include "app/window/command_table.h"
#include "app/shell/features.h"
#include "app/edit/editor.h"
#include "app/edit/format_views.h"
#include "app/notebook/notebook_window.h"
#include "app/window/shell_events.h"

namespace rix {

namespace {

struct NotebookGlue {
    NotebookUi ui;
    NotebookBook book;
    bool started = false;   // the window of the last end was reopened (or not wanted)
};

NotebookServices services_of(Application& app, NotebookGlue* g) {
    NotebookServices s;
    s.edit = [&app](const std::function<void(EditContext&)>& work) { return run_edit(app, work); };
    s.settings = &app.settings;
    s.state = &app.doc;
    s.document_path = app.doc.save_name;
    s.vertical = app.settings.rec.writing_direction[current_screen_slot(app.settings.rec)] == 0;
    s.choose_files = app.window.choose_files;
    s.index_link = app.links.show_in_index.function();
    s.reopen = [&app, g](const std::string& heading) {
        close_notebook_window(g->ui);
        if (editing_ready(app)) open_notebook_window(g->ui, g->book, services_of(app, g), heading);
    };
    return s;
}

}  // namespace

void install_notebook_commands(Application& app) {
    auto glue = std::make_shared<NotebookGlue>();
    NotebookGlue* g = glue.get();
    auto open = [&app, g](const std::string& text) {
        if (editing_ready(app)) open_notebook_window(g->ui, g->book, services_of(app, g), text);
    };
    app.links.open_notebook.set(open);
    CommandTable& t = app.window.shell->commands();
    t.set_handler(COMMAND_NOTEBOOK, [open, glue](int) { open({}); }, [&app] { return editing_ready(app); });

    app.hooks.store_notebook.set([g](Application&) {
        if (notebook_window_open(g->ui))
            if (DialogContext* ctx = dialog_host().context(g->ui.handle)) g->ui.procedure->store_article(*ctx);
    });
    app.events.exit.subscribe([&app, g] { remember_notebook_window(g->ui, &app.settings); });
    app.events.redraw.subscribe([&app, g, open] {
        if (g->started || !editing_ready(app)) return;
        g->started = true;
        if ((app.settings.rec.panel_flags & 0x80) && !notebook_window_open(g->ui)) open({});
    }, RANK_NOTEBOOK_WINDOW);
    app.hooks.save_notebook.set([g](Application& a) { return save_notebook_book(g->ui, g->book, a.doc, 0); });
    // Another document: its own notebook, read when the window opens next.
    app.events.document_cleared.subscribe([g] {
        close_notebook_window(g->ui);
        g->book = NotebookBook{};
    });
}

}  // namespace rix
