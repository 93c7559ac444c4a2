// ScreenFormat: what the geometry needs to know about one format slot, as
// plain values. The application fills it from the settings record
// (app/edit/screen_format.h) together with the run-time facts the record does not
// hold (the guide box width, whether the structure index is docked here, the
// page offsets of print composition). The display layer never reads the
// record itself; what the geometry wants stored back into the record comes
// back as ScreenFormatChanges, which the application applies.
#pragma once

#include <cstdint>

namespace rix {

// The 16 basic colours (COLORREF) of print, PDF, HTML and line-format colours,
// indexed by the palette indices stored in the record.
inline constexpr std::uint32_t BASIC_PALETTE[16] = {
    0x000000,  //  0 黒 black
    0x000080,  //  1 栗色 maroon
    0x008000,  //  2 緑 green
    0x008080,  //  3 ｵﾘｰﾌﾞ olive
    0x800000,  //  4 濃紺 navy
    0x800080,  //  5 紫 purple
    0x808000,  //  6 緑青 teal
    0x808080,  //  7 灰色 grey
    0xC0C0C0,  //  8 銀 silver
    0x0000FF,  //  9 赤 red
    0x00FF00,  // 10 黄緑 lime
    0x00FFFF,  // 11 黄 yellow
    0xFF0000,  // 12 青 blue
    0xFF00FF,  // 13 明紫 fuchsia
    0xFFFF00,  // 14 水色 aqua
    0xFFFFFF,  // 15 白 white
};

// Ranges of the counts as the screen format dialog enforces them. The
// geometry keeps the counts it stores back (auto-adjust mode 2) inside them.
constexpr int MIN_SCREEN_COLUMNS = 10;   // columns_per_page
constexpr int MAX_SCREEN_COLUMNS = 50;
constexpr int MIN_SCREEN_CHARS = 5;      // chars_per_column
constexpr int MAX_SCREEN_CHARS = 100;
constexpr int MAX_TIERS = 4;             // tier_count

// Auto-adjust modes (auto_adjust).
enum : int {
    ADJUST_NONE = 0,          // しない
    ADJUST_SCALE_FONT = 1,    // keep the counts, scale the font with the window
    ADJUST_COUNTS = 2,        // keep the font and the pitches, recompute the counts
};

// Largest font height (pixels) a screen format lays out as it is; a larger
// one is laid out as OVERSIZE_FONT_PX square cells, and auto-adjust mode 1
// never scales beyond it.
constexpr int MAX_SCREEN_FONT_PX = 50;
constexpr int OVERSIZE_FONT_PX = 20;

struct ScreenFormat {
    // --- from the settings record ---
    int slot = 0;                      // 0..4 screen formats, 5..7 print formats
    bool vertical = true;              // writing_direction 0
    int columns_per_page = 20;         // Ncol, lines per tier
    int chars_per_column = 20;         // Nch, cells per line in one tier
    int tier_count = 1;                // 段組数; 0 (old records) reads as 1 and is stored back
    int tier_gap = 0;                  // empty cells between tiers
    int page_columns = 20;             // lines per page (page marks, numbers)
    int kinsoku_mode = 1;              // 0 none, 1 on, 2 double (two hanging cells)
    int cell_width_percent = 0;        // the cell is this many per cent larger than the font
    int cell_offset_percent = 0;       // signed; shifts the grid against the text, pixels on screen
    int margin_start_permille = 0;     // ‰ of the width, line-start side
    int margin_top_permille = 0;       // ‰ of the height
    int margin_end_permille = 0;       // ‰ of the width, line-end side
    int margin_bottom_permille = 0;    // ‰ of the height
    bool margins_in_permille = true;   // false: an old record with per-cent margins, migrated once
    int centre_margin_permille = 0;    // gutter between the halves of a tier, ‰ of the width
    int auto_adjust = ADJUST_NONE;     // ADJUST_*
    int caret_type = 0;                // passed through for the caret
    int edit_info_place = 0;           // 0 title bar, 1..3 box sizes
    std::int16_t font_height = -20;    // FontRecord height (sign kept when mode 1 rescales)

    // --- print slots only (5..7) ---
    bool print = false;                // a print format: never adjusts, no gutter, no guide
    bool two_pages_per_sheet = false;  // 袋綴じ: the across dimension holds two pages
    int fold_length = 0;               // 折返し: cells per line after folding; 0 = no folding
    int fukuro_offset_permille = 0;    // migrated with the margins

    // --- run-time facts the record does not hold ---
    int guide_px = 0;                  // width of the edit-information box at the left; 0 = none
    bool index_docked_here = false;    // structure index window open and docked in this slot
    int page_x = 0, page_y = 0;        // fixed page offsets of print composition; 0 on screen
};

// Values the geometry asks to store into the slot's record fields. Each
// group is stored only when its flag is set.
struct ScreenFormatChanges {
    bool margins_migrated = false;     // the four margins (and the print offset), then the ‰ bit
    int margin_start_permille = 0;
    int margin_top_permille = 0;
    int margin_end_permille = 0;
    int margin_bottom_permille = 0;
    int fukuro_offset_permille = 0;    // print slots only

    bool tier_count_fixed = false;     // a stored 0: store tier_count = 1

    bool counts_adjusted = false;      // auto-adjust mode 2: the new counts (in the dialog ranges)
    int columns_per_page = 0;
    int chars_per_column = 0;

    bool font_rescaled = false;        // auto-adjust mode 1: the new FontRecord height
    std::int16_t font_height = 0;      // 1..50 pixels, with the sign the record had

    bool any() const { return margins_migrated || tier_count_fixed || counts_adjusted || font_rescaled; }
};

}  // namespace rix
