// The mouse of the edit view, the caret and the scroll bar: pointer events go
// to the mouse glue, which keeps the caret and the bar in step with the
// cursor after every redraw.
#include <memory>

#include "app/shell/features.h"
#include "app/edit/mouse_glue.h"
#include "app/shell/shell_events.h"

namespace rix {

void install_mouse_commands(Application& app) {
    WindowParts& w = app.window;
    if (!w.screen || !w.shell) return;
    auto glue = std::make_shared<MouseGlue>(app, *w.screen, w.gui, w.clipboard, w.shell);
    MouseGlue* g = glue.get();
    PointerHooks& hooks = w.shell->pointer_hooks();
    hooks.button = [g](int button, int action, int x, int y, int buttons, int flags) {
        g->button(button, action, x, y, buttons, flags);
    };
    hooks.moved = [g](int x, int y, int buttons, int flags) { g->moved(x, y, buttons, flags); };
    hooks.scroll_bar = [g](int action, int position) { g->scroll_bar(action, position); };
    hooks.timer = [g](int id) { g->timer(id); };
    hooks.focus = [g](bool has_focus) { g->focus(has_focus); };
    hooks.right_taken = [g] { return g->right_taken(); };
    w.after_redraw.push_back([g] { g->refresh(); });
    app.feature_state.push_back(std::move(glue));
}

}  // namespace rix
