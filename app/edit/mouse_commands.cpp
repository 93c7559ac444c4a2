// The mouse of the edit view, the caret and the scroll bar: pointer events go
// to the mouse glue, which keeps the caret and the bar in step with the
// cursor after every redraw.
#include <memory>

#include "app/shell/features.h"
#include "app/edit/mouse_glue.h"
#include "app/window/shell_events.h"

namespace rix {

void install_mouse_commands(Application& app) {
    WindowParts& w = app.window;
    if (!w.screen || !w.shell) return;
    auto glue = std::make_shared<MouseGlue>(app, *w.screen, w.gui, w.clipboard, w.shell);
    MouseGlue* g = glue.get();
    app.features.mouse = std::move(glue);
    PointerHooks& hooks = w.shell->pointer_hooks();
    hooks.button.set([g](int button, int action, int x, int y, int buttons, int flags) {
        g->button(button, action, x, y, buttons, flags);
    });
    hooks.moved.set([g](int x, int y, int buttons, int flags) { g->moved(x, y, buttons, flags); });
    hooks.scroll_bar.set([g](int action, int position) { g->scroll_bar(action, position); });
    hooks.focus.set([g](bool has_focus) { g->focus(has_focus); });
    hooks.right_taken.set([g] { return g->right_taken(); });
    // Drag scrolling and the idle pointer.
    for (int id : {TIMER_AUTO_REPEAT, TIMER_IDLE_POINTER}) app.events.timer.subscribe(id, [g](int t) { g->timer(t); });
    app.events.redraw.subscribe([g] { g->refresh(); });
}

}  // namespace rix
