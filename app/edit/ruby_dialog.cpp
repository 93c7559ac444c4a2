// The ruby dialog (see ruby_dialog.h).
#include "app/edit/ruby_dialog.h"

#include <algorithm>

#include "app/edit/editor.h"
#include "editing/dispatch.h"
#include "platform/codec.h"
#include "platform/messages.h"

namespace rix {
namespace {

constexpr unsigned RUBY_EMPTY_NOTICE_MS = 3000;

}  // namespace

RubyDialog::RubyDialog(const RubyTarget& target, PendingRubyEdit* pending) : target_(target), pending_(pending) {}

void RubyDialog::show_base(DialogContext& ctx, std::uint32_t cells) {
    // The cells the ruby will cover, then the rest of the candidate apart.
    std::string_view base = target_.base;
    std::string_view covered = first_cells(base, cells);
    std::string shown(covered);
    if (covered.size() < base.size()) shown += " " + std::string(base.substr(covered.size()));
    ctx.set_text(RUBY_BASE_SHOWN, shown);
}

void RubyDialog::init(DialogContext& ctx) {
    if (place) place(ctx);
    const std::uint32_t most = std::max<std::uint32_t>(target_.most_cells, 1);
    std::uint32_t start = target_.existing ? (target_.param & 0x0F) : target_.word;
    start = std::clamp<std::uint32_t>(start, 1, most);
    ctx.set_text(RUBY_WORD_SHOWN, std::to_string(target_.word));
    ctx.set_range(RUBY_CELLS_SPIN, 1, static_cast<int>(most));
    ctx.set_pos(RUBY_CELLS_SPIN, static_cast<int>(start));
    ctx.set_number(RUBY_CELLS_EDIT, static_cast<int>(start));
    ctx.set_text(RUBY_TEXT_EDIT, target_.ruby_text);
    const int allotment = target_.existing ? target_.param >> 4 : 0;
    ctx.set_radio(RUBY_ALLOT_FIRST, RUBY_ALLOT_LAST, RUBY_ALLOT_FIRST + (allotment <= 2 ? allotment : 0));
    ctx.enable(RUBY_DELETE, target_.existing);
    show_base(ctx, start);
    ctx.focus(RUBY_TEXT_EDIT);
}

std::uint32_t RubyDialog::chosen_cells(DialogContext& ctx) const {
    bool ok = false;
    int value = ctx.get_number(RUBY_CELLS_EDIT, &ok);
    if (!ok) value = ctx.get_pos(RUBY_CELLS_SPIN);
    // Never more than the low four bits of the parameter byte can hold.
    const int most = static_cast<int>(std::clamp<std::uint32_t>(target_.most_cells, 1, MAX_RUBY_BASE_CELLS));
    return static_cast<std::uint32_t>(std::clamp(value, 1, most));
}

bool RubyDialog::command(DialogContext& ctx, int id, int notification) {
    if (id == RUBY_CELLS_SPIN && notification == NOTIFY_SPIN) {
        ctx.set_number(RUBY_CELLS_EDIT, ctx.get_pos(RUBY_CELLS_SPIN));
        show_base(ctx, chosen_cells(ctx));
        return true;
    }
    if (id == RUBY_CELLS_EDIT && notification == NOTIFY_EDIT_CHANGE) {
        bool ok = false;
        int value = ctx.get_number(RUBY_CELLS_EDIT, &ok);
        if (ok) ctx.set_pos(RUBY_CELLS_SPIN, value);
        show_base(ctx, chosen_cells(ctx));
        return true;
    }
    if (id == RUBY_DELETE && notification == NOTIFY_CLICKED) {
        if (!target_.existing) return true;
        *pending_ = PendingRubyEdit{RubyEditKind::REMOVE, target_.at, target_.block_end, {}};
        ctx.end_dialog(RUBY_DELETE);
        return true;
    }
    if (id == RUBY_HELP && notification == NOTIFY_CLICKED) {
        show_help("RUBY");
        return true;
    }
    return false;
}

bool RubyDialog::ok(DialogContext& ctx) {
    const std::string typed = ctx.get_text(RUBY_TEXT_EDIT);
    const std::string text = storable_ruby_text(typed.substr(0, std::min(typed.size(), MAX_RUBY_TEXT)));
    if (text.empty()) {
        ctx.show_message(MSG_NOTICE, utf8_to_sjis(" ルビが入力されていません｡"), RUBY_EMPTY_NOTICE_MS);
        ctx.focus(RUBY_TEXT_EDIT);
        return false;
    }
    if (text.size() % 2 != 0) {
        ctx.show_message(MSG_NOTICE, utf8_to_sjis("ルビは偶数桁でなければなりません｡\n半角文字は文字数を偶数にしてください｡"),
                         RUBY_ODD_NOTICE_MS);
        ctx.focus(RUBY_TEXT_EDIT);
        return false;
    }
    const int radio = ctx.get_radio(RUBY_ALLOT_FIRST, RUBY_ALLOT_LAST);
    const auto allotment = static_cast<std::uint8_t>(radio ? radio - RUBY_ALLOT_FIRST : 0);
    PendingRubyEdit e;
    e.kind = target_.existing ? RubyEditKind::REPLACE : RubyEditKind::ADD;
    e.at = target_.at;
    e.old_end = target_.block_end;
    e.block = make_ruby_block(allotment, chosen_cells(ctx), text);
    *pending_ = std::move(e);
    return true;
}

void RubyDialog::cancel(DialogContext&) {}

int run_ruby_dialog(EditContext& c, const RubyDialogServices& services, WindowRef owner) {
    const RubyTarget target = prepare_ruby_edit(c, RUBY_DIALOG_BASE_LIMIT);
    show_edit_notices(c);
    PendingRubyEdit pending;
    int result = DIALOG_CANCEL;
    if (target.result >= 0) {
        RubyDialog proc(target, &pending);
        proc.place = services.place;
        result = run_dialog("RUBY_BOX", proc, owner);
    }
    end_marking(c);
    c.edit.damage.full = true;
    if (services.after_change) services.after_change();
    if (services.rebuild_screen) services.rebuild_screen();
    if (pending.kind != RubyEditKind::NONE && apply_ruby_edit(c, pending) && services.after_change)
        services.after_change();
    return result;
}

}  // namespace rix
