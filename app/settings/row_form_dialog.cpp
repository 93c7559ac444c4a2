// The line format dialog (see row_form_dialog.h).
#include "app/settings/row_form_dialog.h"

#include <algorithm>
#include <vector>

#include "display/screen_format.h"
#include "document/line_format.h"
#include "editing/dispatch.h"
#include "editing/line_formats.h"
#include "platform/codec.h"
#include "platform/messages.h"

namespace rix {

namespace {

constexpr int PALETTE = 16;

}  // namespace

int RowFormDialog::value(DialogContext& ctx, int edit, int spin) const {
    bool ok = false;
    const int v = ctx.get_number(edit, &ok);
    return ok ? v : ctx.get_pos(spin);
}

// 前 from max(0, -first line) to min(15, Nch - 後 - 1); 後 from 0 to
// min(15, Nch - 前 - 1), never below 0; 一列目 from max(-3, -前) to 4.
void RowFormDialog::update_ranges(DialogContext& ctx) {
    const int nch = setup_.chars_per_line;
    const int indent = value(ctx, ROW_FORM_INDENT, ROW_FORM_INDENT_SPIN);
    const int end = value(ctx, ROW_FORM_END, ROW_FORM_END_SPIN);
    const int first = value(ctx, ROW_FORM_FIRST, ROW_FORM_FIRST_SPIN);
    const int indent_lo = std::max(0, -first);
    ctx.set_range(ROW_FORM_INDENT_SPIN, indent_lo, std::max(indent_lo, std::min(LINE_INDENT_MAX, nch - end - 1)));
    ctx.set_range(ROW_FORM_END_SPIN, 0, std::max(0, std::min(LINE_INDENT_MAX, nch - indent - 1)));
    ctx.set_range(ROW_FORM_FIRST_SPIN, std::max(LINE_FIRST_MIN, -indent), LINE_FIRST_MAX);
}

void RowFormDialog::enable_colours(DialogContext& ctx) {
    const bool on = ctx.get_check(ROW_FORM_COLOUR_ON);
    for (int i = 0; i < PALETTE; ++i) ctx.enable(ROW_FORM_COLOUR_FIRST + i, on);
}

void RowFormDialog::init(DialogContext& ctx) {
    const LineFormat f = decode_line_format(word_);
    for (int i = 0; i < PALETTE; ++i) ctx.set_colour(ROW_FORM_SWATCH_FIRST + i, BASIC_PALETTE[i]);
    ctx.set_check(ROW_FORM_COLOUR_ON, f.colour_on);
    ctx.set_radio(ROW_FORM_COLOUR_FIRST, ROW_FORM_COLOUR_LAST, ROW_FORM_COLOUR_FIRST + f.colour);
    enable_colours(ctx);
    const int most = std::max(setup_.most_lines, 1);
    ctx.set_range(ROW_FORM_LINES_SPIN, 1, most);
    ctx.set_pos(ROW_FORM_LINES_SPIN, std::clamp(lines_, 1, most));
    ctx.set_number(ROW_FORM_LINES, ctx.get_pos(ROW_FORM_LINES_SPIN));
    ctx.enable(ROW_FORM_LINES, setup_.mode == 0);
    ctx.enable(ROW_FORM_LINES_SPIN, setup_.mode == 0);
    // Values first, then the ranges they allow, then the values held to them.
    ctx.set_number(ROW_FORM_INDENT, f.indent);
    ctx.set_number(ROW_FORM_END, f.end_indent);
    ctx.set_number(ROW_FORM_FIRST, f.first_line);
    update_ranges(ctx);
    ctx.set_pos(ROW_FORM_INDENT_SPIN, f.indent);
    ctx.set_pos(ROW_FORM_END_SPIN, f.end_indent);
    ctx.set_pos(ROW_FORM_FIRST_SPIN, f.first_line);
    ctx.set_selection(ROW_FORM_SIZE, f.size_index);
    ctx.set_check(ROW_FORM_BOLD, f.bold_toggle != setup_.format_font_bold);
}

bool RowFormDialog::command(DialogContext& ctx, int id, int notification) {
    struct Pair { int edit, spin; };
    static const Pair PAIRS[] = {{ROW_FORM_LINES, ROW_FORM_LINES_SPIN},
                                 {ROW_FORM_INDENT, ROW_FORM_INDENT_SPIN},
                                 {ROW_FORM_END, ROW_FORM_END_SPIN},
                                 {ROW_FORM_FIRST, ROW_FORM_FIRST_SPIN}};
    for (const Pair& p : PAIRS) {
        if (id == p.spin && notification == NOTIFY_SPIN) {
            ctx.set_number(p.edit, ctx.get_pos(p.spin));
            if (p.edit != ROW_FORM_LINES) update_ranges(ctx);
            return true;
        }
        if (id == p.edit && notification == NOTIFY_EDIT_CHANGE) {
            bool ok = false;
            const int v = ctx.get_number(p.edit, &ok);
            if (ok) ctx.set_pos(p.spin, v);
            if (p.edit != ROW_FORM_LINES) update_ranges(ctx);
            return true;
        }
    }
    if (id == ROW_FORM_COLOUR_ON && notification == NOTIFY_CLICKED) {
        enable_colours(ctx);
        return true;
    }
    if (id == ROW_FORM_HELP && notification == NOTIFY_CLICKED) {
        show_help("ROWINF");
        return true;
    }
    return false;
}

bool RowFormDialog::ok(DialogContext& ctx) {
    // Typed numbers are read as typed and held to what the word and the
    // format can take; the first line is checked against the indentation.
    const int nch = setup_.chars_per_line;
    LineFormat f;
    f.end_indent = std::clamp(value(ctx, ROW_FORM_END, ROW_FORM_END_SPIN), 0, std::max(0, std::min(LINE_INDENT_MAX, nch - 1)));
    f.indent = std::clamp(value(ctx, ROW_FORM_INDENT, ROW_FORM_INDENT_SPIN), 0,
                          std::max(0, std::min(LINE_INDENT_MAX, nch - f.end_indent - 1)));
    f.first_line = std::clamp(value(ctx, ROW_FORM_FIRST, ROW_FORM_FIRST_SPIN), LINE_FIRST_MIN, LINE_FIRST_MAX);
    if (f.indent < -f.first_line) {
        ctx.show_message(MSG_NOTICE, utf8_to_sjis("一列目インデント値が不正です｡"), ROW_FORM_FIRST_NOTICE_MS);
        ctx.set_number(ROW_FORM_INDENT, f.indent);
        ctx.set_number(ROW_FORM_FIRST, -f.indent);
        update_ranges(ctx);
        ctx.set_pos(ROW_FORM_INDENT_SPIN, f.indent);
        ctx.set_pos(ROW_FORM_FIRST_SPIN, -f.indent);
        return false;
    }
    f.colour_on = ctx.get_check(ROW_FORM_COLOUR_ON);
    const int radio = ctx.get_radio(ROW_FORM_COLOUR_FIRST, ROW_FORM_COLOUR_LAST);
    f.colour = radio ? radio - ROW_FORM_COLOUR_FIRST : 0;
    const int size = ctx.get_selection(ROW_FORM_SIZE);
    f.size_index = size >= 0 && size < LINE_SIZE_STEPS ? size : LINE_SIZE_PLAIN;
    f.bold_toggle = ctx.get_check(ROW_FORM_BOLD) != setup_.format_font_bold;
    word_ = encode_line_format(f);
    lines_ = std::clamp(value(ctx, ROW_FORM_LINES, ROW_FORM_LINES_SPIN), 1, std::max(setup_.most_lines, 1));
    return true;
}

void row_form_lines(const EditContext& c, std::uint32_t* first, int* count) {
    const Marking& m = c.edit.mark;
    if (!m.on) {
        *first = c.edit.cursor.pos.line();
        *count = 1;
        return;
    }
    *first = m.start.line();
    const std::uint32_t last = m.end.column() > 0 ? m.end.line() : std::max(m.end.line(), m.start.line() + 1) - 1;
    *count = static_cast<int>(last - m.start.line() + 1);
}

int run_row_form(EditContext& c, int chars_per_line, bool format_font_bold, WindowRef owner) {
    std::uint32_t first = 0;
    int count = 1;
    row_form_lines(c, &first, &count);
    const std::uint32_t lines = c.doc.lines.count();
    if (first >= lines) first = lines > 0 ? lines - 1 : 0;
    RowFormSetup setup;
    setup.word = c.doc.formats.word(first);
    setup.chars_per_line = chars_per_line;
    setup.most_lines = static_cast<int>(std::max<std::uint32_t>(lines - first, 1));
    setup.lines = std::clamp(count, 1, setup.most_lines);
    setup.format_font_bold = format_font_bold;
    RowFormDialog dialog(setup);
    const int result = run_dialog("ROW_FORM", dialog, owner);
    end_marking(c);
    if (result == DIALOG_OK && lines > 0) {
        const std::vector<std::uint32_t> words(static_cast<std::size_t>(dialog.lines()), dialog.word());
        set_line_words(c, first, words);
        c.edit.damage.full = true;
    }
    return result;
}

}  // namespace rix
