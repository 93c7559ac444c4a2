// The copy history dialog (see copy_history_dialog.h).
#include "app/history/copy_history_dialog.h"

#include <string_view>

#include "platform/codec.h"
#include "platform/messages.h"

namespace rix {
namespace {

constexpr std::string_view NO_HISTORY = "履歴は在りません。\nコピーを行なうと蓄積されます。";
constexpr std::string_view CHOOSE_ONE = "語句を選択してください。";

std::string sj(std::string_view utf8) { return utf8_to_sjis(utf8); }
void tell(DialogContext& ctx, std::string_view utf8, unsigned ms) { ctx.show_message(MSG_NOTICE, sj(utf8), ms); }
bool asked_yes(DialogContext& ctx, const std::string& sjis) {
    return ctx.show_message(MSG_YES_NO, sjis) == MSG_RESULT_YES;
}

}  // namespace

std::string copy_history_row(const std::string& entry) {
    std::string row;
    row.reserve(entry.size());
    for (std::size_t i = 0; i < entry.size(); i += char_length_at(entry, i)) {
        if (entry[i] == '\r') {
            row += sj("↓");
            if (i + 1 < entry.size() && entry[i + 1] == '\n') ++i;
        } else if (entry[i] != '\n') {
            row.append(entry, i, char_length_at(entry, i));
        }
    }
    return row;
}

void CopyHistoryDialog::init(DialogContext& ctx) { refill(ctx); }

void CopyHistoryDialog::refill(DialogContext& ctx) {
    const auto& entries = services_.history->entries;
    ctx.clear_items(COPY_LOG_LIST);
    for (std::size_t k = entries.size(); k-- > 0;) ctx.add_item(COPY_LOG_LIST, copy_history_row(entries[k]));
    ctx.set_caption(sj(" コピー履歴選択 " + std::to_string(entries.size()) + "/" +
                       std::to_string(COPY_HISTORY_ENTRIES)));
}

long CopyHistoryDialog::chosen(DialogContext& ctx) {
    const int row = ctx.get_selection(COPY_LOG_LIST);
    const std::size_t count = services_.history->entries.size();
    if (row < 0 || static_cast<std::size_t>(row) >= count) {
        tell(ctx, CHOOSE_ONE, 2000);
        return -1;
    }
    return static_cast<long>(count - 1 - static_cast<std::size_t>(row));
}

void CopyHistoryDialog::paste(DialogContext& ctx, bool close) {
    const long at = chosen(ctx);
    if (at < 0) return;
    // A copy: the paste may run a copy that changes the history.
    const std::string text = services_.history->entries[static_cast<std::size_t>(at)];
    if (!services_.paste || !services_.paste(text)) return;
    if (close) ctx.end_dialog(DIALOG_OK);
}

void CopyHistoryDialog::remove(DialogContext& ctx) {
    const long at = chosen(ctx);
    if (at < 0) return;
    CopyHistory& h = *services_.history;
    const std::string question = sj("『") + h.entries[static_cast<std::size_t>(at)] + sj("』\nを削除しますか？");
    if (!asked_yes(ctx, question)) return;
    remove_copy_history_entry(h, static_cast<std::size_t>(at));
    refill(ctx);
    tell(ctx, "削除しました。", 1500);
}

void CopyHistoryDialog::clear(DialogContext& ctx) {
    CopyHistory& h = *services_.history;
    if (h.entries.empty()) {
        tell(ctx, NO_HISTORY, 3000);
        return;
    }
    if (!asked_yes(ctx, sj("コピーの全履歴を削除しますか？"))) return;
    if (!asked_yes(ctx, sj("削除すると元に戻せません。\n本当に削除してもいいんですね？"))) return;
    clear_copy_history(h);
    refill(ctx);
    tell(ctx, "全履歴を削除しました。", 2000);
    ctx.end_dialog(DIALOG_OK);
}

bool CopyHistoryDialog::command(DialogContext& ctx, int id, int notification) {
    switch (id) {
        case COPY_LOG_PASTE: paste(ctx, true); return true;
        case COPY_LOG_LIST:
            if (notification == NOTIFY_DOUBLE_CLICK) paste(ctx, false);
            return true;
        case COPY_LOG_DELETE: remove(ctx); return true;
        case COPY_LOG_CLEAR: clear(ctx); return true;
        case COPY_LOG_HELP: show_help(COPY_LOG_HELP_TOPIC); return true;
        default: return false;   // 閉じる: the host's cancel
    }
}

void CopyHistoryDialog::cancel(DialogContext&) {
    ui_->handle = 0;
    if (services_.redraw) services_.redraw();
}

bool copy_history_dialog_open(const CopyHistoryUi& ui) {
    return ui.handle != 0 && dialog_host().is_open(ui.handle);
}

void close_copy_history_dialog(CopyHistoryUi& ui) {
    if (ui.handle != 0) dialog_host().close_modeless(ui.handle);
    ui.handle = 0;
}

DialogHandle open_copy_history_dialog(CopyHistoryUi& ui, CopyHistoryServices services) {
    if (!services.history) return 0;
    if (copy_history_dialog_open(ui)) {
        if (DialogContext* ctx = dialog_host().context(ui.handle)) {
            ctx->show_window(true);
            ui.procedure->refill(*ctx);
        }
        return ui.handle;
    }
    close_copy_history_dialog(ui);
    if (services.history->entries.empty()) {
        show_message(MSG_NOTICE, services.owner, sj(NO_HISTORY), 3000);
        return 0;
    }
    const WindowRef owner = services.owner;
    ui.procedure = std::make_unique<CopyHistoryDialog>(&ui, std::move(services));
    ui.handle = open_modeless("CPYLOG", *ui.procedure, owner);
    return ui.handle;
}

void refresh_copy_history_dialog(CopyHistoryUi& ui) {
    if (!copy_history_dialog_open(ui) || !ui.procedure) return;
    if (DialogContext* ctx = dialog_host().context(ui.handle)) ui.procedure->refill(*ctx);
}

}  // namespace rix
