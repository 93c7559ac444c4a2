// Display geometry: recompute_geometry and the line and cell positions.
//
// The computation runs in fixed steps, numbered as the functions below
// name them:
//   1     choose the adjust mode
//   2     migrate old per-cent margins
//   3     take the writing direction; load and sanitise the counts
//   4     what fits beside a docked structure index
//   5-7   gutter, margins and the available space
//   8     the gap between tiers
//   9     fit the pitches to the counts (modes 0 and 1), or
//   10    the counts to the remembered pitches (mode 2)
//   11    rescale the font (mode 1)
//   12    fill in the derived values
// Floating values are truncated toward zero; integer divisions truncate.
#include "display/geometry.h"

#include <algorithm>
#include <cstdlib>

namespace rix {

namespace {

// The values of one computation that are not part of the result.
struct Work {
    int mode = ADJUST_NONE;
    int g = 0;                 // cells between the ends of two tiers' lines
    int avail_w = 1;           // space for the lines, pixels, >= 1
    int avail_h = 1;
};

// Step 1: a resize of the same slot adjusts by the slot's mode; anything
// else (first run, another slot, the same size) does not, and records the
// font ratios that mode 1 scales by later.
void start_computation(const ScreenFormat& f, int w, int h, const FontMetrics& font,
                       const DisplayGeometry& prev, DisplayGeometry* g) {
    const bool resized = prev.computed() && prev.slot == f.slot && (w != prev.client_w || h != prev.client_h);
    const bool known_mode = f.auto_adjust == ADJUST_SCALE_FONT || f.auto_adjust == ADJUST_COUNTS;
    g->adjust_mode = !f.print && resized && known_mode ? f.auto_adjust : ADJUST_NONE;
    g->slot = f.slot;
    g->client_w = w;
    g->client_h = h;
    g->font_w = std::max(font.cell_w, 1);
    g->font_h = std::max(font.cell_h, 1);
    if (g->adjust_mode == ADJUST_NONE) {
        g->ratio_w = static_cast<float>(g->font_w) / static_cast<float>(w);
        g->ratio_h = static_cast<float>(g->font_h) / static_cast<float>(h);
    } else {
        g->ratio_w = prev.ratio_w;
        g->ratio_h = prev.ratio_h;
    }
}

// Old records held two symmetric margins in per cent: the start and top
// values below 10 become ‰, the end and bottom copy them. Once per slot.
void migrate_margins(ScreenFormat* f, ScreenFormatChanges* changes) {
    if (f->margins_in_permille) return;
    if (f->margin_start_permille < 10) f->margin_start_permille *= 10;
    if (f->margin_top_permille < 10) f->margin_top_permille *= 10;
    f->margin_end_permille = f->margin_start_permille;
    f->margin_bottom_permille = f->margin_top_permille;
    if (f->print && f->fukuro_offset_permille < 10) f->fukuro_offset_permille *= 10;
    f->margins_in_permille = true;
    changes->margins_migrated = true;
    changes->margin_start_permille = f->margin_start_permille;
    changes->margin_top_permille = f->margin_top_permille;
    changes->margin_end_permille = f->margin_end_permille;
    changes->margin_bottom_permille = f->margin_bottom_permille;
    changes->fukuro_offset_permille = f->fukuro_offset_permille;
}

// Counts from a damaged record: at least one line and one cell, 1..4 tiers.
// Only a tier count of 0 is written back (as 1); the rest is layout only.
void clamp_counts(const ScreenFormat& f, DisplayGeometry* out, ScreenFormatChanges* changes) {
    out->columns = std::max(f.columns_per_page, 1);
    out->chars = std::max(f.chars_per_column, 1);
    out->tiers = std::clamp(f.tier_count, 1, MAX_TIERS);
    if (f.tier_count == 0) changes->tier_count_fixed = true;
    out->gap = std::max(f.tier_gap, 0);
    out->kinsoku_mode = std::clamp(f.kinsoku_mode, 0, 2);
}

int total_cells_for(int chars, int tiers, int g) { return (chars + g) * tiers - g; }

// Pitch of `count` lines (or cells) in `avail` pixels: the space over half a
// line less than the count, so that the last glyph ends near the margin.
int fitted_pitch(int avail, int count) {
    const int pitch = static_cast<int>(avail / (count - 0.5));
    return std::max(pitch, 1);
}

// The far edge of `count` lines at `pitch` after `lead` pixels: the last
// line's glyph ends 0.4 pitch short of its slot.
int lines_extent(int pitch, int count, int lead, bool print) {
    if (print) return pitch * count + lead - static_cast<int>(0.4 * pitch);
    return static_cast<int>(pitch * count + lead - 0.4 * pitch);
}

// Steps 5-7: gutter, margins and the available space.
void place_margins(const ScreenFormat& f, int w, int h, DisplayGeometry* out, Work* work) {
    out->centre_px = f.print ? 0 : f.centre_margin_permille * w / 1000;
    out->guide_px = f.print ? 0 : std::max(f.guide_px, 0);
    out->margin_start_px = f.margin_start_permille * w / 1000;
    out->margin_top_px = f.margin_top_permille * h / 1000;
    const int halves = f.print && f.two_pages_per_sheet ? 2 : 1;
    const int across_w = f.vertical ? w / halves : w;
    const int across_h = f.vertical ? h : h / halves;
    work->avail_w = std::max(across_w - f.margin_end_permille * w / 1000 - out->centre_px -
                                 out->margin_start_px - out->guide_px, 1);
    if (!f.vertical) out->margin_start_px += out->guide_px;
    work->avail_h = std::max(across_h - f.margin_bottom_permille * h / 1000 - out->margin_top_px, 1);
}

// Step 9: the counts are fixed, the pitches follow from the space.
void fit_pitches(const ScreenFormat& f, DisplayGeometry* out, const Work& work) {
    const unsigned w = static_cast<unsigned>(out->client_w);
    const unsigned h = static_cast<unsigned>(out->client_h);
    const int across_avail = out->vertical ? work.avail_w : work.avail_h;
    const int along_avail = out->vertical ? work.avail_h : work.avail_w;
    const int across_lead = out->centre_px + (out->vertical ? out->margin_start_px : out->margin_top_px);
    const int along_lead = out->vertical ? out->margin_top_px : out->margin_start_px;
    const unsigned across_limit = out->vertical ? w : h;
    const unsigned along_limit = out->vertical ? h : w;

    int lp = fitted_pitch(across_avail, out->columns);
    int across_end = lines_extent(lp, out->columns, across_lead, f.print);
    if (static_cast<unsigned>(across_end) > across_limit && lp > 1) {
        --lp;
        across_end = lines_extent(lp, out->columns, across_lead, f.print);
    }
    int cp = fitted_pitch(along_avail, out->total_cells);
    int along_end = cp * out->total_cells + along_lead;
    if (static_cast<unsigned>(along_end) > along_limit && cp > 1) {
        --cp;
        along_end = cp * out->total_cells + along_lead;
    }
    out->line_pitch = lp;
    out->char_pitch = cp;
    out->right_extent = out->vertical ? across_end : along_end;
    out->bottom_extent = out->vertical ? along_end : across_end;
}

// Step 10: the pitches are those of the previous computation, the counts
// follow. The counts are stored into the record, so they are kept inside the
// dialog's ranges (single bytes that also size the cell map); the total and
// the extents are those of the counts kept.
void fit_counts(const ScreenFormat& f, const DisplayGeometry& previous, DisplayGeometry* out,
                const Work& work, ScreenFormatChanges* changes) {
    const int lp = std::max(previous.line_pitch, 1);
    const int cp = std::max(previous.char_pitch, 1);
    const int across_avail = out->vertical ? work.avail_w : work.avail_h;
    const int along_avail = out->vertical ? work.avail_h : work.avail_w;
    const int cells = along_avail / cp;
    out->columns = std::clamp(across_avail / lp, MIN_SCREEN_COLUMNS, MAX_SCREEN_COLUMNS);
    out->chars = std::clamp((cells - work.g * out->tiers + work.g) / out->tiers, MIN_SCREEN_CHARS,
                            MAX_SCREEN_CHARS);
    out->total_cells = total_cells_for(out->chars, out->tiers, work.g);
    out->grid_chars = out->chars;
    out->line_pitch = lp;
    out->char_pitch = cp;
    const int across_end = lp * out->columns + out->centre_px - lp / 4 +
                           (out->vertical ? out->margin_start_px : out->margin_top_px);
    const int along_end = cp * out->total_cells + (out->vertical ? out->margin_top_px : out->margin_start_px);
    out->right_extent = out->vertical ? across_end : along_end;
    out->bottom_extent = out->vertical ? along_end : across_end;
    if (out->columns != f.columns_per_page || out->chars != f.chars_per_column) {
        changes->counts_adjusted = true;
        changes->columns_per_page = out->columns;
        changes->chars_per_column = out->chars;
    }
}

// Step 11: the font follows the window by the ratios of the last unadjusted
// computation, kept within 1..MAX_SCREEN_FONT_PX.
void scale_font(const ScreenFormat& f, DisplayGeometry* out, ScreenFormatChanges* changes) {
    const int a = static_cast<int>(static_cast<float>(out->client_w) * out->ratio_w);
    const int b = static_cast<int>(static_cast<float>(out->client_h) * out->ratio_h);
    const int size = std::clamp((a + b + 1) / 2, 1, MAX_SCREEN_FONT_PX);
    out->font_w = out->font_h = size;
    const auto height = static_cast<std::int16_t>(f.font_height < 0 ? -size : size);
    if (height != f.font_height) {
        changes->font_rescaled = true;
        changes->font_height = height;
    }
}

// Step 12: the values derived from the counts and pitches.
void derive_values(const ScreenFormat& f, DisplayGeometry* out) {
    const int hanging = 1 + (out->kinsoku_mode == 2 ? 1 : 0);
    out->screen_lines = out->columns * out->tiers;
    out->page_cols = f.page_columns;
    out->cell_size = (std::max(f.cell_width_percent, 0) + 100) * out->font_w / 100;
    out->cell_inset = out->line_pitch - (out->cell_size - out->font_w) / 2 - f.cell_offset_percent;
    out->max_cells = out->chars + hanging;
    out->tier_pitch = (out->grid_chars + hanging + out->gap) * out->char_pitch;
}

}  // namespace

bool recompute_geometry(const ScreenFormat& format, int client_w, int client_h, const FontMetrics& font,
                        const DisplayGeometry& previous, DisplayGeometry* out, ScreenFormatChanges* changes) {
    *changes = ScreenFormatChanges{};
    if (client_w < MIN_CLIENT_EXTENT || client_h < MIN_CLIENT_EXTENT) {
        if (out != &previous) *out = previous;
        return false;
    }
    const DisplayGeometry prev = previous;   // out may alias previous
    ScreenFormat f = format;
    DisplayGeometry g;
    Work work;

    start_computation(f, client_w, client_h, font, prev, &g);   // step 1
    work.mode = g.adjust_mode;
    migrate_margins(&f, changes);                                // step 2
    g.vertical = f.vertical;                                     // step 3
    clamp_counts(f, &g, changes);
    g.caret_type = f.caret_type;
    g.edit_info_place = f.edit_info_place;
    g.page_x = f.page_x;
    g.page_y = f.page_y;
    if (f.index_docked_here && !f.print) {                       // step 4: what fits beside the index
        if (f.vertical && prev.line_pitch >= 1) {
            g.columns = std::clamp(client_w / prev.line_pitch, 1, MAX_SCREEN_COLUMNS);
        }
        if (!f.vertical && prev.char_pitch >= 1) {
            g.chars = std::clamp(client_w / prev.char_pitch, 1, MAX_SCREEN_CHARS);
        }
    }
    place_margins(f, client_w, client_h, &g, &work);             // steps 5-7
    g.grid_chars = g.chars;
    work.g = g.gap + (g.tiers > 1 ? 1 : 0);                      // step 8
    g.total_cells = total_cells_for(g.chars, g.tiers, work.g);

    if (work.mode == ADJUST_COUNTS) {
        fit_counts(f, prev, &g, work, changes);                  // step 10
    } else {
        fit_pitches(f, &g, work);                                // step 9
        if (f.print && f.fold_length > 0) {                      // folding keeps the grid's length
            g.chars = std::clamp(f.fold_length, 1, g.grid_chars);
            g.total_cells = total_cells_for(g.chars, g.tiers, work.g);
        }
    }
    if (work.mode == ADJUST_SCALE_FONT) scale_font(f, &g, changes);   // step 11
    derive_values(f, &g);                                        // step 12
    *out = g;
    return true;
}

int line_position(const DisplayGeometry& g, int c) {
    const int ncol = std::max(g.columns, 1);
    const int r = c % ncol;
    if (!g.vertical) return r * g.line_pitch + g.margin_top_px + g.page_y;
    const int gutter = r >= ncol / 2 ? g.centre_px : 0;
    return g.client_w - g.margin_start_px - r * g.line_pitch - gutter + g.page_x;
}

int cell_position(const DisplayGeometry& g, int c, int k) {
    const int ncol = std::max(g.columns, 1);
    const int t = c / ncol;
    // Tiers stand a grid's length apart: a print fold shortens the lines, not the tiers.
    const int along = (t * (g.grid_chars + g.max_cells - g.chars + g.gap) + k) * g.char_pitch;
    return g.vertical ? along + g.margin_top_px + g.page_y : along + g.margin_start_px + g.page_x;
}

void format_font_size(std::int16_t height, std::int16_t width, bool screen, int* font_w, int* font_h) {
    int h = std::abs(static_cast<int>(height));
    int w = std::abs(static_cast<int>(width));
    if (h == 0 || (screen && h > MAX_SCREEN_FONT_PX)) {
        *font_w = *font_h = OVERSIZE_FONT_PX;
        return;
    }
    *font_h = h;
    *font_w = w ? w : h;
}

}  // namespace rix
