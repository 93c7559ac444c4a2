// The line format dialog ROW_FORM (command 214): colour, indentation, first
// line, end indentation, size step and bold of the cursor's line or the
// marked lines (mode 0), or of a registered format slot (modes 1-8, opened
// from ROWFM_REG).
//
// The dialog only builds a word; the caller gives it to the lines
// (set_line_words, journaled) or to the slot. Every range is kept sound:
// 前 never below 0 (nor below the hanging first line's depth), 後 never
// below 0 however narrow the format, and an invalid first-line value is
// corrected in the dialog with a notice rather than stored.
#pragma once

#include <cstdint>

#include "editing/edit_state.h"
#include "platform/dialogs.h"

namespace rix {

// Control ids of ROW_FORM.
constexpr int ROW_FORM_SET = 1;              // 設 定 (the dialog's OK)
constexpr int ROW_FORM_CLOSE = 2;            // 閉じる
constexpr int ROW_FORM_HELP = 6;             // ﾍﾙﾌﾟ
constexpr int ROW_FORM_SWATCH_FIRST = 300;   // painted swatches 300..315
constexpr int ROW_FORM_COLOUR_FIRST = 400;   // radios 400..415, 黒 .. 白
constexpr int ROW_FORM_COLOUR_LAST = 415;
constexpr int ROW_FORM_COLOUR_ON = 1000;     // 設定有効
constexpr int ROW_FORM_LINES = 1100;         // 設定行数 (mode 0 only)
constexpr int ROW_FORM_INDENT = 1200;        // 前
constexpr int ROW_FORM_END = 1300;           // 後
constexpr int ROW_FORM_FIRST = 1400;         // 一列目 (signed)
constexpr int ROW_FORM_BOLD = 1500;          // 太字 (effective boldness)
constexpr int ROW_FORM_SIZE = 1600;          // 変倍 combo, item = size index
constexpr int ROW_FORM_LINES_SPIN = 10000;
constexpr int ROW_FORM_INDENT_SPIN = 10001;
constexpr int ROW_FORM_END_SPIN = 10002;
constexpr int ROW_FORM_FIRST_SPIN = 10003;
constexpr unsigned ROW_FORM_FIRST_NOTICE_MS = 3000;

// What the dialog starts from.
struct RowFormSetup {
    int mode = 0;                   // 0 the lines; 1..8 registered slot mode - 1
    std::uint32_t word = 0;
    int chars_per_line = 20;        // Nch of the format
    int lines = 1;                  // 設定行数 to start with (mode 0)
    int most_lines = 1;             // lines from the first to the document's last
    bool format_font_bold = false;  // the format font's weight is above 500
};

class RowFormDialog final : public DialogProcedure {
public:
    explicit RowFormDialog(const RowFormSetup& setup) : setup_(setup), word_(setup.word), lines_(setup.lines) {}

    void init(DialogContext& ctx) override;
    bool command(DialogContext& ctx, int id, int notification) override;
    bool ok(DialogContext& ctx) override;
    void cancel(DialogContext&) override {}

    std::uint32_t word() const { return word_; }   // after 設 定
    int lines() const { return lines_; }            // after 設 定, mode 0

private:
    int value(DialogContext& ctx, int edit, int spin) const;
    void update_ranges(DialogContext& ctx);
    void enable_colours(DialogContext& ctx);

    RowFormSetup setup_;
    std::uint32_t word_;
    int lines_;
};

// Command 214 on the cursor's line or the marked lines: the dialog, then the
// word given to each line as one undoable change. The marking ends either
// way. Returns the dialog's result.
int run_row_form(EditContext& c, int chars_per_line, bool format_font_bold, WindowRef owner);

// The first line and the number of lines the command works on: the
// cursor's line, or the lines the marking touches (its end line only when
// the marking ends after that line's start).
void row_form_lines(const EditContext& c, std::uint32_t* first, int* count);

}  // namespace rix
