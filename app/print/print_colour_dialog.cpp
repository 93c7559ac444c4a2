// The print colours dialog PRINT_COLOUR (see print_colour_dialog.h).
#include "app/print/print_colour_dialog.h"

#include "app/print/print_format_view.h"

namespace rix {
namespace {

constexpr int GROUP_FIRSTS[3] = {PRINT_COLOUR_TEXT_FIRST, PRINT_COLOUR_HEADER_FIRST, PRINT_COLOUR_GRID_FIRST};

// The three stored indices of the current print format: text, header, grid.
std::uint8_t* colour_fields(SettingsRecord& r, int group) {
    const int s = current_print_slot(r), p = print_index(s);
    if (group == 0) return &r.text_colour[s];
    if (group == 1) return &r.header_colour[p];
    return &r.grid_colour[s];
}

}  // namespace

void PrintColourDialog::init(DialogContext& ctx) {
    for (int i = 0; i < PALETTE_SIZE; ++i) ctx.set_colour(PRINT_COLOUR_SWATCH_FIRST + i, BASIC_PALETTE[i]);
    for (int g = 0; g < 3; ++g) {
        const int index = *colour_fields(settings_->rec, g);
        // An index beyond the palette (a damaged record) checks no radio;
        // storing without a choice keeps it as it is.
        if (index < PALETTE_SIZE)
            ctx.set_radio(GROUP_FIRSTS[g], GROUP_FIRSTS[g] + PALETTE_SIZE - 1, GROUP_FIRSTS[g] + index);
    }
    ctx.set_check(PRINT_COLOUR_LINE_FORMATS, line_format_colours_ && *line_format_colours_);
    if (!line_format_colours_) ctx.enable(PRINT_COLOUR_LINE_FORMATS, false);
}

bool PrintColourDialog::command(DialogContext&, int id, int) {
    // The swatches only show the palette: no colour chooser behind them.
    return id >= PRINT_COLOUR_SWATCH_FIRST && id < PRINT_COLOUR_SWATCH_FIRST + PALETTE_SIZE;
}

bool PrintColourDialog::ok(DialogContext& ctx) {
    SettingsRecord& r = settings_->rec;
    bool changed = false;
    for (int g = 0; g < 3; ++g) {
        const int radio = ctx.get_radio(GROUP_FIRSTS[g], GROUP_FIRSTS[g] + PALETTE_SIZE - 1);
        if (radio == 0) continue;
        const auto index = static_cast<std::uint8_t>(radio - GROUP_FIRSTS[g]);
        std::uint8_t* field = colour_fields(r, g);
        changed |= *field != index;
        *field = index;
    }
    if (changed) mark_settings_changed(settings_);
    if (line_format_colours_) *line_format_colours_ = ctx.get_check(PRINT_COLOUR_LINE_FORMATS);
    return true;
}

bool open_print_colours(SettingsState* settings, bool* line_format_colours, WindowRef owner) {
    PrintColourDialog dialog(settings, line_format_colours);
    return run_dialog("PRINT_COLOUR", dialog, owner) == DIALOG_OK;
}

}  // namespace rix
