// The synonym window and its history dialog (see synonym_window.h).
#include "app/synonyms/synonym_window.h"

#include "aids/search.h"
#include "app/shell/application.h"
#include "app/window/side_windows.h"
#include "editing/dispatch.h"
#include "editing/edit_text.h"
#include "platform/codec.h"
#include "platform/files.h"
#include "platform/messages.h"

namespace rix {
namespace {

constexpr std::uint8_t ALWAYS_PARTIAL = 0x80;   // synonym_search bit 7: start with 部分 always
constexpr std::string_view NO_OTHER_CLASS = " 検索された語句には\n他の分類はありません。";
constexpr std::string_view CHOOSE_ONE = "語句を選択してください。";
const char* const NOT_FOUND[4] = {"該当掲載語なし", "「先頭」で一致なし", "「後端」で一致なし", "「完全」で一致なし"};

std::string sj(std::string_view utf8) { return utf8_to_sjis(utf8); }
void tell(DialogContext& ctx, std::string_view utf8, unsigned ms) { ctx.show_message(MSG_NOTICE, sj(utf8), ms); }
bool asked_yes(DialogContext& ctx, const std::string& sjis) {
    return ctx.show_message(MSG_YES_NO, sjis) == MSG_RESULT_YES;
}
std::string fit_term(std::string_view term) {
    return std::string(term.substr(0, cut_on_boundary(term, SYNONYM_HISTORY_TERM_BYTES)));
}

// SYNLOG: the terms newest first; a double click (or 検 索) closes it with a term.
class SynonymHistoryDialog final : public DialogProcedure {
public:
    explicit SynonymHistoryDialog(SynonymHistory& history) : history_(history) {}
    std::string chosen_term;

    void init(DialogContext& ctx) override { refill(ctx); }
    bool command(DialogContext& ctx, int id, int notification) override {
        switch (id) {
            case SYNLOG_LIST:
                if (notification == NOTIFY_DOUBLE_CLICK) choose(ctx);
                return true;
            case SYNLOG_DELETE: remove(ctx); return true;
            case SYNLOG_CLEAR: clear(ctx); return true;
            default: return false;
        }
    }
    bool ok(DialogContext& ctx) override {
        choose(ctx);
        return false;   // choose ends the dialog itself
    }
    void cancel(DialogContext&) override {}

private:
    void refill(DialogContext& ctx) {
        const auto& terms = history_.terms;
        ctx.clear_items(SYNLOG_LIST);
        for (std::size_t k = terms.size(); k-- > 0;) ctx.add_item(SYNLOG_LIST, terms[k]);
        ctx.set_caption(sj(" 検索履歴 " + std::to_string(terms.size()) + "/" + std::to_string(SYNONYM_HISTORY_TERMS)));
    }
    // The index of the chosen term (0 = oldest), or -1 after telling the writer to choose.
    long chosen(DialogContext& ctx) {
        const int row = ctx.get_selection(SYNLOG_LIST);
        const std::size_t count = history_.terms.size();
        if (row < 0 || static_cast<std::size_t>(row) >= count) {
            tell(ctx, CHOOSE_ONE, 2000);
            return -1;
        }
        return static_cast<long>(count - 1 - static_cast<std::size_t>(row));
    }
    void choose(DialogContext& ctx) {
        const long at = chosen(ctx);
        if (at < 0) return;
        chosen_term = history_.terms[static_cast<std::size_t>(at)];
        ctx.end_dialog(DIALOG_OK);
    }
    void remove(DialogContext& ctx) {
        const long at = chosen(ctx);
        if (at < 0) return;
        const std::string question = sj("『") + history_.terms[static_cast<std::size_t>(at)] + sj("』\nを削除しますか？");
        if (!asked_yes(ctx, question)) return;
        remove_synonym_history(history_, static_cast<std::size_t>(at));
        refill(ctx);
        tell(ctx, "削除しました。", 1500);
    }
    void clear(DialogContext& ctx) {
        if (!asked_yes(ctx, sj("検索の全履歴を削除しますか？"))) return;
        if (!asked_yes(ctx, sj("削除すると元に戻せません。\n本当に削除してもいいんですね？"))) return;
        clear_synonym_history(history_);
        refill(ctx);
        tell(ctx, "全履歴を削除しました。", 2000);
        ctx.end_dialog(DIALOG_CANCEL);
    }

    SynonymHistory& history_;
};

}  // namespace

std::string run_synonym_history_dialog(SynonymHistory& history, WindowRef owner) {
    SynonymHistoryDialog proc(history);
    if (run_dialog("SYNLOG", proc, owner) != DIALOG_OK) return {};
    return proc.chosen_term;
}

std::string synonym_dictionary_path(const std::string& data_folder, const std::string& built_dir) {
    const std::string own = data_folder.empty() ? std::string() : join_path(data_folder, SYNONYM_FILE_NAME);
    if (!own.empty() && path_kind(own) != PathKind::MISSING) return own;
    const std::string built = join_path(built_dir, SYNONYM_FILE_NAME);
    if (!built_dir.empty() && path_kind(built) != PathKind::MISSING) return built;
    return own.empty() ? built : own;
}

void SynonymWindow::init(DialogContext& ctx) {
    if (SettingsState* s = services_.settings) {
        place_side_window(ctx, s->rec.synonym_window_pos, services_.vertical);
        const std::uint8_t kept = s->rec.synonym_search;
        ui_->match = (kept & ALWAYS_PARTIAL) || kept > 3 ? SynonymMatch::PARTIAL : static_cast<SynonymMatch>(kept);
        ui_->class_view = s->rec.synonym_display == 1;
    }
    ctx.set_radio(SYNONYM_PARTIAL, SYNONYM_EXACT, SYNONYM_PARTIAL + static_cast<int>(ui_->match));
    ctx.set_radio(SYNONYM_SYNONYMS, SYNONYM_RELATED, ui_->related ? SYNONYM_RELATED : SYNONYM_SYNONYMS);
    const SynonymFile f = load_synonym_dictionary(services_.dictionary_path, &ui_->dict);
    if (f == SynonymFile::MISSING || f == SynonymFile::FAILED)
        tell(ctx, std::string(SYNONYM_FILE_NAME) + " が見つかりません。", 3000);
    ctx.set_caption(synonym_caption(ui_->dict.records.size()));
    if (!services_.history_path.empty()) load_synonym_history(services_.history_path, &ui_->history);
    search(ctx);
}

void SynonymWindow::clear_results(DialogContext& ctx) {
    ui_->results = SynonymResults{};
    ui_->current = 0;
    ui_->rows.clear();
    ui_->row = -1;
    ui_->hit_row = -1;
    update_search_label(ctx);
}

void SynonymWindow::search(DialogContext& ctx) {
    // The word at the cursor, when the cursor moved since the last search
    // and the box holds no term of the writer's.
    std::uint64_t cursor = UINT64_MAX;
    std::string word;
    const bool from_cursor = !ui_->term_edited;
    if (services_.edit)
        services_.edit([&](EditContext& c) {
            if (from_cursor && c.edit.cursor.pos.value != ui_->searched_cursor) {
                Notices notices;
                word = word_at_cursor(c, ctx.window(), notices);
                show_notices(notices);
            }
            if (c.edit.mark.on) end_marking(c);
            cursor = c.edit.cursor.pos.value;
        });
    const bool moved = cursor != ui_->searched_cursor;
    ui_->searched_cursor = cursor;
    if (from_cursor && moved) {
        if (word.empty()) {
            tell(ctx, " 語句が取得出来ません。", 3000);
            return;
        }
        ctx.set_text(SYNONYM_TERM, fit_term(word));
    }
    ui_->term_edited = false;
    const std::string term = ctx.get_text(SYNONYM_TERM);
    if (term.empty()) return;
    clear_results(ctx);
    ui_->results = search_synonyms(ui_->dict, term, ui_->match);
    if (ui_->results.classes.empty()) {
        ctx.clear_items(SYNONYM_LIST);
        ctx.set_text(SYNONYM_HEADER, "");
        tell(ctx, NOT_FOUND[static_cast<int>(ui_->match)], 1500);
        return;
    }
    add_synonym_history(ui_->history, term);
    show(ctx);
}

void SynonymWindow::search_term(DialogContext& ctx, const std::string& term) {
    ctx.set_text(SYNONYM_TERM, fit_term(term));
    ui_->term_edited = true;
    clear_results(ctx);
    search(ctx);
}

void SynonymWindow::look_up_cursor_word(DialogContext& ctx) {
    ui_->searched_cursor = UINT64_MAX;
    ui_->term_edited = false;
    clear_results(ctx);
    search(ctx);
}

void SynonymWindow::show(DialogContext& ctx) {
    if (ui_->class_view)
        show_class(ctx, ui_->results.classes[ui_->current].first_match);
    else
        show_hit_list(ctx);
    update_search_label(ctx);
}

void SynonymWindow::show_hit_list(DialogContext& ctx) {
    ui_->class_view = false;
    ctx.clear_items(SYNONYM_LIST);
    for (const std::string& row : synonym_hit_rows(ui_->dict, ui_->results)) ctx.add_item(SYNONYM_LIST, row);
    ctx.set_selection(SYNONYM_LIST, ui_->hit_row);
    ctx.set_text(SYNONYM_HEADER, synonym_hits_header(ui_->match, ui_->results));
}

void SynonymWindow::show_class(DialogContext& ctx, std::int64_t record) {
    ui_->class_view = true;
    const SynonymClass& cls = ui_->results.classes[ui_->current];
    ui_->rows = synonym_class_rows(ui_->dict, cls, ui_->related);
    ctx.clear_items(SYNONYM_LIST);
    for (const SynonymRow& r : ui_->rows)
        ctx.add_item(SYNONYM_LIST, r.record < 0 ? sj(SYNONYM_SEPARATOR)
                                                : ui_->dict.records[static_cast<std::size_t>(r.record)].text);
    ui_->row = record >= 0 ? synonym_row_of(ui_->rows, static_cast<std::uint32_t>(record)) : -1;
    if (ui_->row < 0) ui_->row = synonym_row_of(ui_->rows, cls.first_match);
    ctx.set_selection(SYNONYM_LIST, ui_->row);
    update_class_header(ctx);
}

void SynonymWindow::update_class_header(DialogContext& ctx) {
    const std::uint32_t word =
        ui_->row >= 0 && static_cast<std::size_t>(ui_->row) < ui_->rows.size() ? ui_->rows[ui_->row].word : 0;
    ctx.set_text(SYNONYM_HEADER, synonym_class_header(ui_->match, ui_->results.classes.size(), ui_->current, word,
                                                      synonym_word_count(ui_->rows)));
}

void SynonymWindow::update_search_label(DialogContext& ctx) {
    const std::size_t n = ui_->results.classes.size();
    ctx.set_text(SYNONYM_SEARCH, n > 1 ? synonym_remaining_label(n - 1 - ui_->current) : sj("検 索"));
}

void SynonymWindow::step_class(DialogContext& ctx, bool forward) {
    if (ui_->results.classes.size() < 2) {
        tell(ctx, NO_OTHER_CLASS, 1500);
        return;
    }
    ui_->current = step_synonym_class(ui_->results, ui_->current, forward);
    show_class(ctx, -1);
    update_search_label(ctx);
}

void SynonymWindow::toggle_view(DialogContext& ctx) {
    if (ui_->results.classes.empty()) {
        search(ctx);
        if (ui_->results.classes.empty()) return;
    }
    if (!ui_->class_view) {
        show_class(ctx, -1);
    } else if (ui_->results.classes.size() < 2) {
        tell(ctx, NO_OTHER_CLASS, 1500);
    } else {
        show_hit_list(ctx);
    }
}

void SynonymWindow::list_clicked(DialogContext& ctx) {
    const int sel = ctx.get_selection(SYNONYM_LIST);
    if (!ui_->class_view) {
        if (sel < 0 || static_cast<std::size_t>(sel) >= ui_->results.hits.size()) return;
        const SynonymHit& hit = ui_->results.hits[static_cast<std::size_t>(sel)];
        ui_->hit_row = sel;
        ui_->current = hit.cls;
        show_class(ctx, hit.record);
        update_search_label(ctx);
        return;
    }
    const int row = synonym_word_row(ui_->rows, sel, ui_->row);
    if (row != sel) ctx.set_selection(SYNONYM_LIST, row);
    ui_->row = row;
    update_class_header(ctx);
}

std::int64_t SynonymWindow::chosen_record(DialogContext& ctx) const {
    const int sel = ctx.get_selection(SYNONYM_LIST);
    if (sel < 0) return -1;
    const auto k = static_cast<std::size_t>(sel);
    if (ui_->class_view) return k < ui_->rows.size() ? ui_->rows[k].record : -1;
    return k < ui_->results.hits.size() ? static_cast<std::int64_t>(ui_->results.hits[k].record) : -1;
}

void SynonymWindow::insert(DialogContext& ctx) {
    const std::int64_t record = chosen_record(ctx);
    if (record < 0 || static_cast<std::size_t>(record) >= ui_->dict.records.size()) {
        tell(ctx, CHOOSE_ONE, 2000);
        return;
    }
    const std::string word(synonym_headword(ui_->dict.records[static_cast<std::size_t>(record)].text));
    if (word.empty() || !services_.edit) return;
    services_.edit([&](EditContext& c) {
        if (c.edit.mark.on) end_marking(c);
        insert_text(c, word, true);
        ui_->searched_cursor = c.edit.cursor.pos.value;   // the word just put in is not looked up
    });
}

void SynonymWindow::take_word(DialogContext& ctx) {
    const std::int64_t record = chosen_record(ctx);
    if (record < 0 || static_cast<std::size_t>(record) >= ui_->dict.records.size()) return;
    ctx.set_text(SYNONYM_TERM, fit_term(synonym_headword(ui_->dict.records[static_cast<std::size_t>(record)].text)));
    ui_->term_edited = true;
    clear_results(ctx);
}

void SynonymWindow::open_history(DialogContext& ctx) {
    const std::string term = run_synonym_history_dialog(ui_->history, ctx.window());
    if (!term.empty()) search_term(ctx, term);
}

bool SynonymWindow::command(DialogContext& ctx, int id, int notification) {
    if (id >= SYNONYM_PARTIAL && id <= SYNONYM_EXACT) {
        ui_->match = static_cast<SynonymMatch>(id - SYNONYM_PARTIAL);
        clear_results(ctx);
        search(ctx);
        return true;
    }
    switch (id) {
        case SYNONYM_SEARCH:
            if (ui_->results.classes.empty())
                search(ctx);
            else
                step_class(ctx, true);
            return true;
        case SYNONYM_PREVIOUS: step_class(ctx, false); return true;
        case SYNONYM_INSERT: insert(ctx); return true;
        case SYNONYM_HELP: show_help(SYNONYM_HELP_TOPIC); return true;
        case SYNONYM_MODE: toggle_view(ctx); return true;
        case SYNONYM_HISTORY: open_history(ctx); return true;
        case SYNONYM_TERM:
            if (notification == NOTIFY_EDIT_CHANGE) {
                ui_->term_edited = true;
                clear_results(ctx);
            }
            return true;
        case SYNONYM_SYNONYMS:
        case SYNONYM_RELATED:
            ui_->related = id == SYNONYM_RELATED;
            if (ui_->class_view && !ui_->results.classes.empty()) show_class(ctx, chosen_record(ctx));
            return true;
        case SYNONYM_LIST:
            if (notification == NOTIFY_SELECTION) list_clicked(ctx);
            if (notification == NOTIFY_DOUBLE_CLICK) take_word(ctx);
            return true;
        default: return false;   // 閉じる: the host's cancel
    }
}

void SynonymWindow::cancel(DialogContext& ctx) {
    if (SettingsState* s = services_.settings) {
        if (!(s->rec.synonym_search & ALWAYS_PARTIAL) && s->rec.synonym_search != static_cast<std::uint8_t>(ui_->match)) {
            s->rec.synonym_search = static_cast<std::uint8_t>(ui_->match);
            mark_settings_changed(s);
        }
        keep_side_window_position(ctx, s, s->rec.synonym_window_pos, services_.vertical);
    }
    if (!services_.history_path.empty() && ui_->history.changed &&
        !save_synonym_history(services_.history_path, ui_->history))
        show_message(MSG_NOTICE, services_.owner, sj("検索履歴を保存出来ませんでした｡\n") + services_.history_path, 5000);
    ui_->dict = SynonymDictionary{};
    ui_->results = SynonymResults{};
    ui_->rows.clear();
    ui_->handle = 0;
    if (services_.redraw) services_.redraw();
}

bool synonym_window_open(const SynonymUi& ui) { return ui.handle != 0 && dialog_host().is_open(ui.handle); }

void close_synonym_window(SynonymUi& ui) {
    // cancel() forgets the handle: the dialog is closed by the one kept here.
    const DialogHandle handle = ui.handle;
    if (synonym_window_open(ui))
        if (DialogContext* ctx = dialog_host().context(handle)) ui.procedure->cancel(*ctx);
    if (handle != 0) dialog_host().close_modeless(handle);
    ui.handle = 0;
}

DialogHandle open_synonym_window(SynonymUi& ui, SynonymServices services, bool look_up) {
    if (synonym_window_open(ui)) {
        if (DialogContext* ctx = dialog_host().context(ui.handle)) {
            ctx->show_window(true);
            if (look_up) ui.procedure->look_up_cursor_word(*ctx);
        }
        return ui.handle;
    }
    close_synonym_window(ui);
    const WindowRef owner = services.owner;
    ui.searched_cursor = UINT64_MAX;
    ui.term_edited = false;
    ui.history = SynonymHistory{};
    ui.procedure = std::make_unique<SynonymWindow>(&ui, std::move(services));
    ui.handle = open_modeless("SYNONYM", *ui.procedure, owner);
    return ui.handle;
}

}  // namespace rix
