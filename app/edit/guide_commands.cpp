// The guides: the position and capacity after every redraw, the debounced
// count on TIMER_COUNT, and 計数表示 (406).
#include <memory>

#include "app/shell/command_table.h"
#include "app/shell/features.h"
#include "app/edit/editor.h"
#include "app/edit/guides.h"
#include "app/shell/shell_events.h"

namespace rix {

void install_guide_commands(Application& app) {
    auto g = std::make_shared<GuideState>();
    app.guides = g;
    app.window.after_redraw.push_back([&app, g] { guides_after_redraw(app, *g); });
    if (!app.window.shell) return;
    // The count's timer; every other timer goes where it went before.
    PointerHooks& hooks = app.window.shell->pointer_hooks();
    hooks.timer = [&app, g, before = hooks.timer](int id) {
        if (id == TIMER_COUNT) {
            guides_count_timer(app, *g);
            return;
        }
        if (before) before(id);
    };
    CommandTable& t = app.window.shell->commands();
    t.set_handler(COMMAND_COUNT_DISPLAY, [&app, g](int) { count_document(app, *g, CountOwner::MENU); },
                  [&app] { return editing_ready(app); });
}

}  // namespace rix
