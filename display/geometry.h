// Display geometry: the pixel layout of the manuscript grid for one format
// slot and one client (or page) size, and the positions of lines and cells
// in it.
//
// recompute_geometry is a pure function of the format (ScreenFormat), the
// client size, the metrics of the format font and the geometry of the
// previous computation (which carries what is remembered between runs: the
// slot, the size, the pitches and the font ratios). What it wants stored back
// into the settings (auto-adjust results, migrated margins) comes back as
// ScreenFormatChanges; recreating the font after a rescale is the caller's.
//
// Invariants of a computed geometry (client_w > 0): every pitch, count and
// available extent is at least 1; a skipped computation (a zero or tiny
// window) leaves the previous geometry as it was.
//
// Short names in comments: W, H = client_w, client_h; Ncol = columns;
// Nch = chars; Nch0 = grid_chars; Nscreen = screen_lines; Nmax = max_cells.
#pragma once

#include <cstdint>

#include "display/screen_format.h"
#include "platform/fonts.h"

namespace rix {

// A client smaller than this in either direction (minimised, an early
// resize) is not laid out: the old geometry stays.
constexpr int MIN_CLIENT_EXTENT = 16;

struct DisplayGeometry {
    // --- remembered between computations ---
    int slot = -1;                 // format slot of the last computation; -1 = none
    int client_w = 0;              // W, pixels; 0 = never computed
    int client_h = 0;              // H
    int line_pitch = 0;            // distance between successive lines (across), >= 1
    int char_pitch = 0;            // distance between successive cells (along), >= 1
    float ratio_w = 0;             // font_w / W at the last unadjusted computation
    float ratio_h = 0;             // font_h / H

    // --- the layout ---
    int adjust_mode = ADJUST_NONE; // the mode this computation used
    bool vertical = true;
    int columns = 0;               // Ncol: lines per tier
    int chars = 0;                 // Nch: cells per line (a print fold length replaces it)
    int grid_chars = 0;            // Nch0: the grid's line length
    int tiers = 1;
    int gap = 0;                   // empty cells between tiers
    int screen_lines = 0;          // Nscreen = columns × tiers
    int max_cells = 0;             // Nmax: cells a line may use with hanging punctuation
    int kinsoku_mode = 0;
    int font_w = 0, font_h = 0;    // one character of the format font
    int cell_size = 0;             // side of a grid cell
    int cell_inset = 0;            // line_pitch − (cell_size − font_w)/2 − cell offset
    int margin_start_px = 0;       // start-side margin (includes guide_px in horizontal writing)
    int margin_top_px = 0;
    int centre_px = 0;             // centre gutter (vertical writing: between the halves of a tier)
    int guide_px = 0;              // edit-information box at the left edge; 0 = none
    int total_cells = 0;           // cells along the whole tier stack
    int tier_pitch = 0;            // distance from one tier to the next, pixels
    int right_extent = 0;          // right pixel of the laid-out page
    int bottom_extent = 0;         // bottom pixel
    int page_cols = 0;             // lines per page (page marks and numbers)
    int caret_type = 0;            // passed through from the format
    int edit_info_place = 0;
    int page_x = 0, page_y = 0;    // print composition's page offsets; 0 on screen

    bool computed() const { return client_w > 0; }
};

// Computes the geometry of `format` for a client of client_w × client_h.
// Returns false and leaves *out = previous, *changes empty, when the client
// is smaller than MIN_CLIENT_EXTENT either way. `out` may be &previous.
bool recompute_geometry(const ScreenFormat& format, int client_w, int client_h, const FontMetrics& font,
                        const DisplayGeometry& previous, DisplayGeometry* out, ScreenFormatChanges* changes);

// The across coordinate of screen line c (0 <= c < screen_lines): its top y
// in horizontal writing, its right x in vertical writing.
int line_position(const DisplayGeometry& g, int c);
// The along coordinate of the start of cell k of screen line c.
int cell_position(const DisplayGeometry& g, int c, int k);

// The last cell the caret normally reaches in a line, and the last hanging one.
inline int last_caret_cell(const DisplayGeometry& g) { return g.chars - 1; }
inline int last_hanging_cell(const DisplayGeometry& g) { return g.chars - 1 + g.kinsoku_mode; }

// The layout size of a format font from its record height and width: font_h
// = |height|, font_w = |width| or font_h. A screen font above
// MAX_SCREEN_FONT_PX, and a height of 0, are laid out as OVERSIZE_FONT_PX.
void format_font_size(std::int16_t height, std::int16_t width, bool screen, int* font_w, int* font_h);

}  // namespace rix
