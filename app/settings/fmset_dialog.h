// The screen format dialog (template ENV_FMSET): edits the five screen
// formats of the settings record while the screen shows each change at once.
//
// Owns nothing but its per-run state: the record copies taken when a format
// is first shown (what 取消 writes back) and the remembered dialog position.
// Every store goes straight into the record and marks the settings changed;
// the screen follows through the `apply` hook, which the application sets to
// re-initialise the screen (font, geometry, redraw) from the record.
//
// Storing (設定, テスト, 閉じてテスト), in this order: the name (設定 only);
// the direction against the font's "@" (a question; anything but yes puts the
// direction radios back and stores nothing more); radios and checks; the nine
// numbers (the first out of range is named in a notice and storing stops,
// the dialog stays); the zero-gap warning; the colours when one changed; the
// background (a missing image file keeps the old mode and stops); then the
// settings are marked changed and the screen re-initialised. A step that
// stops leaves what earlier steps stored in the record, marked changed.
#pragma once

#include <functional>
#include <map>
#include <string>

#include "app/edit/screen_format.h"
#include "app/settings/settings_record.h"
#include "editing/command_ids.h"
#include "platform/dialogs.h"
#include "platform/fonts.h"

namespace rix {

// Control ids of ENV_FMSET.
constexpr int FMSET_TEST = 4;   // テスト
constexpr int FMSET_HELP = 6;   // ﾍﾙﾌﾟ
constexpr int FMSET_TEST_HIDDEN = 7;   // 閉じてテスト
constexpr int FMSET_FORMAT_FIRST = 100;   // radios 100..104, formats 1..5
constexpr int FMSET_NAME_FIRST = 900;   // edits 900..904
constexpr int FMSET_NAME_BUTTON = 950;   // 名称設定
constexpr int FMSET_FONT_BUTTON = 1210;
constexpr int FMSET_FONT_FACE = 1220;
constexpr int FMSET_FONT_STYLE = 1230;
constexpr int FMSET_FONT_POINTS = 1240;
constexpr int FMSET_NUMBER_FIRST = 2000;   // edits 2000..2008 in FORMAT_NUMBER_RANGES order
constexpr int FMSET_SWATCH_FIRST = 3000;   // colour swatches 3000..3007
constexpr int FMSET_COLOUR_FIRST = 3100;   // their 選択 buttons 3100..3107
constexpr int FMSET_IMAGE_BUTTON = 3108;
constexpr int FMSET_BACKGROUND_FIRST = 3200;   // radios 3200..3202
constexpr int FMSET_TILE_IMAGE = 3300;
constexpr int FMSET_FULL_IMAGE = 3301;
constexpr int FMSET_SPIN_FIRST = 10000;   // spins 10000..10008
constexpr int FMSET_COLOUR_COUNT = 8;

constexpr unsigned FMSET_RANGE_NOTICE_MS = 3000;
constexpr unsigned FMSET_GAP_NOTICE_MS = 4000;
constexpr unsigned FMSET_IMAGE_NOTICE_MS = 3000;
constexpr unsigned FMSET_IMAGE_NAME_NOTICE_MS = 4000;
constexpr unsigned FMSET_TEST_VIEW_MS = 7000;

// What the dialog needs from the rest of the program. Every hook may be unset.
struct FmsetServices {
    FontChooser* font_chooser = nullptr;   // the font dialog; null disables 選択 (1210)
    std::string program_folder;            // where background images are looked for (native)
    int screen_dpi = 96;                   // vertical dots per inch, for the point size shown
    std::function<void()> apply;           // re-initialise the screen from the record
    std::function<void()> page_count_stale;    // the cached page count must be counted again
    std::function<void(int slot)> ime_colours_changed;   // the IME windows take the new colours
    // A format switch happened (radios 100..104): the caller moves the IME
    // windows and re-docks the index window when the switch asks for it.
    std::function<void(const FormatSwitch&)> format_switched;
    std::function<bool()> index_window_open;
    // The image file dialog: on true, *path holds the chosen file (native
    // path). Null disables 選択 (3108); the names can still be typed.
    std::function<bool(std::string* path)> choose_image;
};

// What ENV_FMSET keeps while the program runs (Application::fmset): where
// it stood; the first opening leaves the place to the host (centred on the
// main window).
struct FmsetUi {
    bool position_known = false;
    int x = 0, y = 0;
};

class FmsetDialog final : public DialogProcedure {
public:
    FmsetDialog(FmsetUi* ui, SettingsState* settings, FmsetServices services);

    void init(DialogContext& ctx) override;
    bool command(DialogContext& ctx, int id, int notification) override;
    bool ok(DialogContext& ctx) override;
    void cancel(DialogContext& ctx) override;

private:
    void fill(DialogContext& ctx);
    void fill_font_box(DialogContext& ctx);
    void enable_background(DialogContext& ctx, int mode);
    void switch_format(DialogContext& ctx, int slot);
    void choose_colour(DialogContext& ctx, int index);
    void choose_image(DialogContext& ctx);
    void set_counts_name(DialogContext& ctx);
    // The stores of 設定 and the test buttons; false when a step stopped.
    bool store(DialogContext& ctx, bool with_name);
    bool store_direction_and_choices(DialogContext& ctx);
    bool store_numbers(DialogContext& ctx);
    void store_colours(DialogContext& ctx);
    bool store_background(DialogContext& ctx);
    void remember_position(DialogContext& ctx);
    void apply() const;

    FmsetUi* ui_;
    SettingsState* settings_;
    FmsetServices services_;
    int slot_ = 0;                             // the format shown, 0..4
    std::map<int, SettingsRecord> snapshots_;  // slot -> the record when the slot was first shown
};

// Alt+1..5: makes screen format n (0..4) current when its name is not empty.
// True when the format changed; the caller then lays the screen out again.
bool select_format_by_key(SettingsState* settings, int n, bool index_window_open);

// Runs the dialog over `owner`; returns DIALOG_OK, DIALOG_CANCEL or DIALOG_FAILED.
int run_fmset_dialog(FmsetUi* ui, SettingsState* settings, FmsetServices services, WindowRef owner);

}  // namespace rix
