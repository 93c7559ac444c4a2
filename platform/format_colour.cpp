// The colour chooser of the formats (see format_colour.h).
#include "platform/format_colour.h"

#include <cstdio>

#include "platform/codec.h"

namespace rix {
namespace {

constexpr const char* KIND_NAMES[COLOUR_KIND_COUNT] = {
    "文字", "桝目", "カーソル", "ﾏｳｽｶｰｿﾙ", "IME文字", "IME背景", "改行ﾏｰｸ", "塗潰し", "付箋背景",
};
constexpr int GREY_STEPS[16] = {4, 4, 4, 5, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};

}  // namespace

std::string format_colour_caption(int format_number, int kind) {
    const char* name = kind >= 0 && kind < COLOUR_KIND_COUNT ? KIND_NAMES[kind] : "";
    char caption[96];
    std::snprintf(caption, sizeof caption, " 書式 %d　%s色設定", format_number, name);
    return utf8_to_sjis(caption);
}

std::uint8_t format_colour_grey(int i) {
    if (i < 0 || i > 15) return 0;
    return static_cast<std::uint8_t>(254 - GREY_STEPS[i] * i);
}

bool choose_format_colour(DialogContext& ctx, int format_number, int kind, std::uint32_t* colour) {
    std::uint32_t chosen = *colour & 0x00FFFFFF;
    if (!ctx.choose_colour(&chosen, format_colour_caption(format_number, kind))) return false;
    *colour = chosen & 0x00FFFFFF;
    return true;
}

}  // namespace rix
