// The find and replace dialog (see find_dialog.h).
#include "app/search/find_dialog.h"

#include <memory>

#include "app/shell/application.h"
#include "platform/messages.h"

namespace rix {

bool find_dialog_open(const FindUi& ui) { return ui.handle != 0 && dialog_host().is_open(ui.handle); }

int shown_caret_type(const FindUi& ui, int format_caret_type) { return find_dialog_open(ui) ? 0 : format_caret_type; }

void FindDialog::init(DialogContext& ctx) {
    ctx.set_text(FIND_WHAT_EDIT, state_->what);
    if (state_->replace_mode) ctx.set_text(FIND_WITH_EDIT, state_->with);
    else ctx.set_radio(FIND_UP_RADIO, FIND_DOWN_RADIO, FIND_DOWN_RADIO);
    enable_buttons(ctx);
    ctx.focus(FIND_WHAT_EDIT);
}

void FindDialog::enable_buttons(DialogContext& ctx) {
    const bool any = !ctx.get_text(FIND_WHAT_EDIT).empty();
    ctx.enable(FIND_NEXT_BUTTON, any);
    if (!state_->replace_mode) return;
    ctx.enable(FIND_REPLACE_BUTTON, any);
    ctx.enable(FIND_REPLACE_ALL_BUTTON, any);
}

void FindDialog::act(DialogContext& ctx, FindAction action) {
    state_->what = ctx.get_text(FIND_WHAT_EDIT);
    if (state_->replace_mode) state_->with = ctx.get_text(FIND_WITH_EDIT);
    if (state_->what.empty() || !services_.edit) return;
    const bool down = state_->replace_mode || ctx.get_check(FIND_DOWN_RADIO);
    const WindowRef over = ctx.window();
    services_.edit([&](EditContext& c) { show_notices(run_find_action(c, *state_, action, down, over).notices); });
}

bool FindDialog::command(DialogContext& ctx, int id, int notification) {
    if (id == FIND_WHAT_EDIT && notification == NOTIFY_EDIT_CHANGE) {
        state_->found = false;   // another text: the next Replace searches first
        enable_buttons(ctx);
        return true;
    }
    if (notification != NOTIFY_CLICKED) return false;
    switch (id) {
        case FIND_NEXT_BUTTON: act(ctx, FindAction::FIND_NEXT); return true;
        case FIND_REPLACE_BUTTON: act(ctx, FindAction::REPLACE); return true;
        case FIND_REPLACE_ALL_BUTTON: act(ctx, FindAction::REPLACE_ALL); return true;
        case FIND_HELP_BUTTON: show_help("KENTIKAN"); return true;
        default: return false;
    }
}

void FindDialog::cancel(DialogContext& ctx) {
    state_->what = ctx.get_text(FIND_WHAT_EDIT);
    ui_->handle = 0;
}

void close_find_dialog(FindUi& ui) {
    if (ui.handle != 0) dialog_host().close_modeless(ui.handle);
    ui.handle = 0;
}

DialogHandle open_find_dialog(FindUi& s, bool replace, FindServices services) {
    close_find_dialog(s);
    s.state.replace_mode = replace;
    s.state.found = false;
    s.state.with.clear();
    s.state.what.clear();
    if (services.edit)
        services.edit([&](EditContext& c) {
            Notices notices;
            s.state.what = word_at_cursor(c, services.owner, notices);
            show_notices(notices);
        });
    const WindowRef owner = services.owner;
    s.procedure = std::make_unique<FindDialog>(&s, std::move(services));
    s.handle = open_modeless(replace ? "REPLACE_TEXT" : "FIND_TEXT", *s.procedure, owner);
    return s.handle;
}

}  // namespace rix
