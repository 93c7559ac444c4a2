// The colour chooser of the formats: one title and one set of custom
// colours for every colour a screen format holds (the format dialog's
// swatches) and for the tags' background.
#pragma once

#include <cstdint>
#include <string>

#include "platform/dialogs.h"

namespace rix {

// Colour kinds and their names in the chooser's title.
enum : int {
    COLOUR_KIND_TEXT = 0,             // 文字
    COLOUR_KIND_GRID = 1,             // 桝目
    COLOUR_KIND_CARET = 2,            // カーソル
    COLOUR_KIND_POINTER = 3,          // ﾏｳｽｶｰｿﾙ
    COLOUR_KIND_IME_TEXT = 4,         // IME文字
    COLOUR_KIND_IME_BACK = 5,         // IME背景
    COLOUR_KIND_LINE_END = 6,         // 改行ﾏｰｸ
    COLOUR_KIND_FILL = 7,             // 塗潰し
    COLOUR_KIND_TAG_BACKGROUND = 8,   // 付箋背景
    COLOUR_KIND_COUNT = 9,
};

// " 書式 %d　%s色設定" with the format number (1..5) and the kind's name;
// code page 932. An unknown kind has no name.
std::string format_colour_caption(int format_number, int kind);

// Custom colour i (0..15) of the chooser: the grey 254 - k(i) * i, with
// k = 4, 4, 4, 5, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16.
std::uint8_t format_colour_grey(int i);

// Opens the chooser over the dialog with *colour (COLORREF 0x00BBGGRR);
// true and *colour changed when the user confirmed.
bool choose_format_colour(DialogContext& ctx, int format_number, int kind, std::uint32_t* colour);

}  // namespace rix
