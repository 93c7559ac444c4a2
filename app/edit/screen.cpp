// The application's screen: settings -> geometry -> the repaint road.
#include "app/edit/screen.h"

#include <cstdlib>

#include "app/edit/background.h"
#include "app/edit/format_views.h"
#include "app/edit/guides.h"
#include "app/edit/screen_format.h"
#include "document/display_lines.h"
#include "document/loader.h"
#include "platform/codec.h"

namespace rix {

namespace {

bool same_wrapping(const WrapRules& a, const WrapRules& b) {
    return a.chars_per_column == b.chars_per_column && a.kinsoku_mode == b.kinsoku_mode &&
           a.small_kana_kinsoku == b.small_kana_kinsoku && a.line_start_prohibited == b.line_start_prohibited &&
           a.line_end_prohibited == b.line_end_prohibited;
}

// Loads on until the screen can be filled from the cursor (or the text ends).
void load_for_screen(Application& app, TextPos cursor, int screen_lines) {
    LoadedDocument& loaded = *app.loaded;
    Document& doc = loaded.document;
    const std::uint32_t wanted = cursor.line() + 2 * static_cast<std::uint32_t>(screen_lines) + 1;
    Notices notices;
    while (!doc.fully_loaded() && doc.lines.count() < wanted) {
        if (!load_more(doc, app.doc, loaded.session, &notices)) break;
    }
    show_notices(notices);
}

// Font, geometry and wrapping of the shown slot; false when the font cannot be made.
bool prepare_format(Application& app, ScreenState& state, Surface& surface, FontService& fonts) {
    const int slot = shown_screen_slot(app, state);
    Screen& s = state.screen;
    FontMetrics metrics;
    if (!create_format_font(&app.settings, slot, fonts, nullptr, &metrics)) return false;
    ScreenFormat format = screen_format_view(app.settings.rec, slot);
    format.index_docked_here = state.index_docked;
    format.guide_px = guide_width(app.settings.rec, slot);
    ScreenFormatChanges changes;
    DisplayGeometry geo;
    if (!recompute_geometry(format, surface.width(), surface.height(), metrics, s.geo, &geo, &changes)) return false;
    apply_screen_format_changes(&app.settings, slot, changes);
    if (changes.font_rescaled && !create_format_font(&app.settings, slot, fonts, nullptr, &metrics)) return false;
    s.geo = geo;
    s.fmt = render_format(app.settings.rec, slot);
    state.background_paint =
        prepare_background(&app.settings, slot, app.paths.program_folder, state.background, surface.width());
    s.fmt.plain_background = state.background_paint.mode == BACKGROUND_FILL;
    Document& doc = app.loaded->document;
    const WrapRules rules = wrap_rules_for(app.settings.rec, slot);
    if (!same_wrapping(rules, doc.rules)) {
        doc.rules = rules;
        recount_display_lines(doc, app.loaded->cursor);
    }
    return true;
}

// A picture background goes on the surface before the repaint road, which
// then draws the grid and the text over it (and keeps it in the blank page).
void lay_picture(Screen& s, const BackgroundPaint& paint) {
    if (!s.surface || s.fmt.plain_background) return;
    paint_background_area(*s.surface, paint, {0, 0, s.surface->width(), s.surface->height()});
}

}  // namespace

RenderFormat render_format(const SettingsRecord& rec, int slot) {
    if (slot < 0 || slot >= SCREEN_FORMAT_COUNT) slot = 0;
    RenderFormat f;
    f.grid_style = rec.grid_style[slot];
    f.halfwidth_display = rec.halfwidth_display[slot];
    f.mark_flags = rec.mark_flags[slot];
    f.text_colour = rec.text_colour_rgb[slot];
    f.grid_colour = rec.grid_colour_rgb[slot];
    f.mark_colour = rec.mark_colour[slot];
    f.fill_colour = rec.fill_colour[slot];
    const FontRecord& font = rec.font[slot];
    f.font = font_request_from_fields(font.height, font.width, font.weight, font.italic != 0,
                                      read_field(font.face, sizeof font.face));
    f.font_record_px = std::abs(static_cast<int>(font.height));
    f.cell_offset = rec.cell_offset_percent[slot];
    f.plain_background = rec.background_mode[slot] == 0;
    return f;
}

int shown_screen_slot(const Application& app, const ScreenState& state) {
    if (state.slot_override >= 0 && state.slot_override < SCREEN_FORMAT_COUNT) return state.slot_override;
    return current_screen_slot(app.settings.rec);
}

bool rebuild_screen(Application& app, ScreenState& state, Surface* surface, const SurfaceFactory& make_surface,
                    FontService& fonts) {
    if (!surface || !app.loaded) return false;
    Screen& s = state.screen;
    const int w = surface->width(), h = surface->height();
    auto fresh = [&](std::unique_ptr<Surface>& owned) {
        if (!make_surface) return;
        if (!owned || owned->width() != w || owned->height() != h) owned = make_surface(w, h);
    };
    auto rebuild = [&](Screen&) {
        if (!prepare_format(app, state, *surface, fonts)) return false;
        fresh(state.blank_page);
        fresh(state.snapshot);
        s.surface = surface;
        s.blank_page = state.blank_page.get();
        s.snapshot = state.snapshot.get();
        prepare_screen(s);
        load_for_screen(app, app.loaded->cursor, s.geo.screen_lines);
        s.cursor = app.loaded->cursor;
        lay_picture(s, state.background_paint);
        return true;
    };
    if (s.reinit_pending == PENDING_NOTHING) reinit_screen(app.loaded->document, s, REINIT_LAYOUT, rebuild);
    return reinit_screen(app.loaded->document, s, REINIT_PAINT, rebuild);
}

}  // namespace rix
