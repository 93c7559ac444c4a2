// The guides: the position and capacity after every redraw, the debounced
// count on TIMER_COUNT, and 計数表示 (406).
#include <memory>

#include "app/window/command_table.h"
#include "app/shell/features.h"
#include "app/edit/editor.h"
#include "app/edit/guides.h"
#include "app/window/shell_events.h"

namespace rix {

void install_guide_commands(Application& app) {
    auto g = std::make_shared<GuideState>();
    app.features.guides = g;
    app.events.redraw.subscribe([&app, g] { guides_after_redraw(app, *g); });
    app.events.timer.subscribe(TIMER_COUNT, [&app, g](int) { guides_count_timer(app, *g); });
    if (!app.window.shell) return;
    CommandTable& t = app.window.shell->commands();
    t.set_handler(COMMAND_COUNT_DISPLAY, [&app, g](int) { count_document(app, *g, CountOwner::MENU); },
                  [&app] { return editing_ready(app); });
}

}  // namespace rix
