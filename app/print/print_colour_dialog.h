// The print colours dialog (template PRINT_COLOUR, 印刷色 of PRINT_SET): the
// body text, the page number and title, and the grid of the current print
// format, each one of the sixteen basic colours; and the line-format colour
// switch, a flag of the running program that is never stored.
//
// 設定 stores the three palette indices into the record (the settings are
// marked changed only when one of them changed); 取消 stores nothing.
#pragma once

#include "app/settings/settings_record.h"
#include "platform/dialogs.h"

namespace rix {

constexpr int PRINT_COLOUR_SWATCH_FIRST = 4000;   // + palette index
constexpr int PRINT_COLOUR_TEXT_FIRST = 4100;     // radios: + palette index
constexpr int PRINT_COLOUR_HEADER_FIRST = 4200;
constexpr int PRINT_COLOUR_GRID_FIRST = 4300;
constexpr int PRINT_COLOUR_LINE_FORMATS = 4400;   // 行書式の文字色有効
constexpr int PALETTE_SIZE = 16;

class PrintColourDialog final : public DialogProcedure {
public:
    PrintColourDialog(SettingsState* settings, bool* line_format_colours)
        : settings_(settings), line_format_colours_(line_format_colours) {}

    void init(DialogContext& ctx) override;
    bool command(DialogContext& ctx, int id, int notification) override;
    bool ok(DialogContext& ctx) override;
    void cancel(DialogContext&) override {}

private:
    SettingsState* settings_;
    bool* line_format_colours_;   // may be null: the switch is then left off
};

// Shows PRINT_COLOUR over the current print format; true when 設定 stored it.
bool open_print_colours(SettingsState* settings, bool* line_format_colours, WindowRef owner);

}  // namespace rix
