// The screen of the main window, tied to the application: the display
// engine's Screen with its off-screen surfaces, built from the settings
// record (the current screen format, or the one a snapshot asks for) and the
// size of the edit surface.
//
// A background picture is read (or kept) at each full re-initialisation and
// laid on the surface before the display engine draws the grid and the text.
//
// rebuild_screen is the full re-initialisation: format font, geometry (what
// it changes goes back into the record), wrapping rules (display lines are
// recounted when they changed), the blank page and the snapshot when the
// size changed, enough of the document loaded for the screen, then the
// repaint road of the display engine. The surfaces come from the window
// (Gui); tests pass their own.
#pragma once

#include <functional>
#include <memory>

#include "app/shell/application.h"
#include "display/background.h"
#include "display/render.h"
#include "platform/fonts.h"
#include "platform/surface.h"

namespace rix {

using SurfaceFactory = std::function<std::unique_ptr<Surface>(int width, int height)>;

struct ScreenState {
    Screen screen;
    int slot_override = -1;                    // a screen slot 0..4 to show instead of the current; -1 = none
    bool index_docked = false;                 // the structure index is a side pane of the main window
    std::unique_ptr<Surface> blank_page;
    std::unique_ptr<Surface> snapshot;
    BackgroundPicture background;              // the format's picture, kept between full re-initialisations
    BackgroundPaint background_paint;          // what prepare_background gave at the last one
};

// The drawing values of screen slot `slot` (0..4; out of range reads 0).
RenderFormat render_format(const SettingsRecord& rec, int slot);
// The slot the screen shows.
int shown_screen_slot(const Application& app, const ScreenState& state);

// Rebuilds and draws the whole screen on `surface` (null: nothing to draw).
// False when there is nothing to draw or the format font cannot be made.
bool rebuild_screen(Application& app, ScreenState& state, Surface* surface, const SurfaceFactory& make_surface,
                    FontService& fonts);

}  // namespace rix
