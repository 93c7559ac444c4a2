// The registered line formats: the eight slots of each screen format in the
// settings record (F5 .. F12), the copy editing works from, and the dialog
// ROWFM_REG (command 602) that sets them.
//
// A slot's word is changed through ROW_FORM in mode slot + 1 (its 変更
// button) and stored at once; 登 録 stores the enable and 前/後 bits, the
// trigger characters and the two options of the format.
#pragma once

#include <cstdint>
#include <string>

#include "app/settings/settings_record.h"
#include "editing/edit_state.h"
#include "platform/dialogs.h"

namespace rix {

// Control ids of ROWFM_REG; per slot j the id is the base + j.
constexpr int ROWFM_REG_SET = 1;              // 登 録
constexpr int ROWFM_REG_CLOSE = 2;            // 閉じる
constexpr int ROWFM_REG_HELP = 6;             // ﾍﾙﾌﾟ
constexpr int ROWFM_REG_ENABLED = 100;        // check 有効
constexpr int ROWFM_REG_TRIGGER = 200;        // edit 文字
constexpr int ROWFM_REG_AFTER = 300;          // check 前/後 (ticked: 後)
constexpr int ROWFM_REG_INDENT = 400;         // texts 前, 一列目, 後, 色, 変倍
constexpr int ROWFM_REG_FIRST = 500;
constexpr int ROWFM_REG_END = 600;
constexpr int ROWFM_REG_COLOUR = 700;
constexpr int ROWFM_REG_SIZE = 800;
constexpr int ROWFM_REG_BOLD = 900;           // check 太字, display only
constexpr int ROWFM_REG_CHANGE = 1000;        // button 変更
constexpr int ROWFM_REG_KEYS = 1100;          // ﾌｧﾝｸｼｮﾝｷｰ 有効
constexpr int ROWFM_REG_RESET = 1200;         // 改行時ﾘｾｯﾄ 有効
constexpr unsigned ROWFM_REG_EMPTY_NOTICE_MS = 5000;

// The registered formats of screen slot `slot` as editing uses them.
RegisteredLineFormats registered_line_formats(const SettingsRecord& rec, int slot);

// The colour name of palette index i (code page 932), as the dialogs show it.
std::string palette_colour_name(int index);

class RowFmRegDialog final : public DialogProcedure {
public:
    // slot: the screen format whose slots are shown; chars_per_line and
    // format_font_bold as ROW_FORM needs them for the 変更 buttons.
    RowFmRegDialog(SettingsState* settings, int slot, int chars_per_line, bool format_font_bold)
        : settings_(settings), slot_(slot), chars_per_line_(chars_per_line), format_font_bold_(format_font_bold) {}

    void init(DialogContext& ctx) override;
    bool command(DialogContext& ctx, int id, int notification) override;
    bool ok(DialogContext& ctx) override;
    void cancel(DialogContext&) override {}

private:
    void show_slot(DialogContext& ctx, int j);

    SettingsState* settings_;
    int slot_;
    int chars_per_line_;
    bool format_font_bold_;
};

// Command 602 for the current screen format. True after 登 録.
bool run_rowfm_reg(SettingsState* settings, int slot, int chars_per_line, bool format_font_bold, WindowRef owner);

}  // namespace rix
