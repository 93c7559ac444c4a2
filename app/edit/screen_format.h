// Screen formats over the settings record: the view the geometry works on,
// storing back what the geometry changed, switching formats (Alt+1..5), the
// format names, the format font (creating and choosing it), and the pieces of
// the screen format dialog that touch the record (ranges of its numbers,
// storing its choices and numbers, the texts of its font box).
//
// Every store into the record here is followed by mark_settings_changed,
// also when a later step stops early: whatever reached the record must reach
// the environment file.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "app/settings/settings_record.h"
#include "display/geometry.h"
#include "display/screen_format.h"
#include "platform/fonts.h"

namespace rix {

constexpr int FORMAT_NAME_BYTES = 16;
constexpr unsigned FONT_INVALID_NOTICE_MS = 2500;

// ---- the view and its write-back ----

// The fields of `slot` (0..7; out of range reads slot 0) the geometry needs.
// guide_px, index_docked_here and the page offsets are left for the caller.
ScreenFormat screen_format_view(const SettingsRecord& rec, int slot);
// Stores what recompute_geometry asked for into `slot` and marks the settings
// changed when there was anything.
void apply_screen_format_changes(SettingsState* settings, int slot, const ScreenFormatChanges& changes);

// ---- switching formats ----

struct FormatSwitch {
    bool changed = false;        // the current format is now another one
    int previous_slot = 0;
    bool redock_index = false;   // the open index window must dock again
};

// Makes screen format n (0..4) current; a value out of range changes nothing.
// The caller then creates the font of slot n (create_format_font), moves the
// IME windows, marks the page count stale unless it was counted for n, tells
// the index window when redock_index is set, and re-initialises the screen.
FormatSwitch select_screen_format(SettingsState* settings, int n, bool index_window_open);

// ---- names ----

// The name of `slot`: at most 16 bytes up to the first NUL; a name that
// fills the field and ends in a lone lead byte loses that byte.
std::string format_name(const SettingsRecord& rec, int slot);
void store_format_name(SettingsState* settings, int slot, std::string_view name);
// The name button's text: "%d列x%d桁x%d段" in code page 932.
std::string counts_format_name(int columns, int chars, int tiers);

// ---- the format font ----

FontDescription font_description(const FontRecord& rec);
FontRecord font_record(const FontDescription& font);   // the face is cut on a character boundary

// Makes the font of `slot` and returns its metrics with cell_w / cell_h by
// the format rules (format_font_size). When it cannot be made, the notice
// "フォントが正しくありません。..." is shown and the user chooses another
// font, until one can be made or the dialog is cancelled; then false, and the
// previous font stays in use. chooser may be null (no dialog: just false).
bool create_format_font(SettingsState* settings, int slot, FontService& fonts, FontChooser* chooser,
                        FontMetrics* out);
// The font dialog for `slot`; on OK the record takes the choice (escapement
// and orientation 2700 for a vertical slot) and the settings are marked
// changed. Returns whether the record changed.
bool choose_format_font(SettingsState* settings, int slot, FontChooser& chooser);
// The caption of that dialog, code page 932.
std::string font_dialog_caption(int slot);

// Font box texts: "標準", "斜体", "太字" or "太字斜体" (code page 932), and
// the size in points, trunc(|height| × 72 / dpi + 0.5).
std::string font_style_name(const FontRecord& font);
int font_points(std::int16_t height, int dpi);

// True when the direction (0 vertical) agrees with the face's "@".
bool direction_matches_face(int writing_direction, const FontRecord& font);

// ---- the dialog's numbers and choices ----

constexpr int FORMAT_NUMBER_COUNT = 9;
// In the order of edits 2000..2008.
enum : int {
    NUM_COLUMNS = 0, NUM_CHARS, NUM_TIERS, NUM_GAP, NUM_CELL_WIDTH, NUM_CELL_OFFSET,
    NUM_TAB_WIDTH, NUM_PAGE_COLUMNS, NUM_CENTRE_MARGIN,
};

struct FormatNumberRange {
    const char* name;   // UTF-8, as the range message names it
    int min, max;
};
extern const FormatNumberRange FORMAT_NUMBER_RANGES[FORMAT_NUMBER_COUNT];

using FormatNumbers = std::array<int, FORMAT_NUMBER_COUNT>;

FormatNumbers format_numbers(const SettingsRecord& rec, int slot);
// Index of the first value outside its range, in the table's order; -1 = none.
int first_bad_format_number(const FormatNumbers& values);
// "%sの数値範囲は\n%d から %d までです。" for that index, code page 932.
std::string format_range_message(int index);

struct FormatNumberStore {
    int bad_index = -1;          // >= 0: nothing was stored; FORMAT_NUMBER_COUNT = not a screen slot
    bool page_count_stale = false;  // chars_per_column changed
    bool warn_zero_gap = false;  // tiers > 1 with gap 0, newly so
};
// Stores all nine values into screen slot `slot` (0..4) when every one is in
// range, and marks the settings changed.
FormatNumberStore store_format_numbers(SettingsState* settings, int slot, const FormatNumbers& values);

// The radio groups and check boxes of the dialog.
struct FormatChoices {
    int writing_direction = 0, grid_style = 0, caret_type = 0, edit_info_place = 0;
    int kinsoku_mode = 1;
    bool small_kana_kinsoku = false, auto_scroll = false, auto_indent = false;
    bool line_end_marks = false, page_break_marks = false;
    int halfwidth_display = 0, auto_adjust = 0, column_numbering = 0;
    bool show_scrollbar = false;
    int edit_info_content = 0;
    bool show_position_bar = false;
};

FormatChoices format_choices(const SettingsRecord& rec, int slot);
// Stores them into screen slot `slot` (0..4) and marks the settings changed.
// Returns true when kinsoku_mode plus small_kana_kinsoku changed (the cached
// page count is then stale).
bool store_format_choices(SettingsState* settings, int slot, const FormatChoices& choices);

}  // namespace rix
