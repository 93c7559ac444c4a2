// The notebook window (see notebook_window.h).
#include "app/notebook/notebook_window.h"

#include <algorithm>
#include <cstdio>

#include "aids/search.h"
#include "app/shell/application.h"
#include "app/window/side_windows.h"
#include "platform/codec.h"
#include "platform/files.h"
#include "platform/messages.h"

namespace rix {

namespace {

std::string sj(std::string_view utf8) { return utf8_to_sjis(utf8); }

constexpr std::uint8_t SIZE_BITS = 0x03;
constexpr std::uint8_t OPEN_BIT = 0x80;      // the window was open at the last end
constexpr std::uint8_t MODE_BITS = 0x0C;
constexpr int MODE_SHIFT = 2;

const char* const CAPTIONS[4] = {"　手 帖", "　手 帖 ［日付表示］", "　手 帖 ［日付・昇順表示］",
                                 "　手 帖 ［日付・降順表示］"};
const char* const TEMPLATES[3] = {"NOTEBOOK_0", "NOTEBOOK_1", "NOTEBOOK_2"};

std::string chosen_path(const SettingsState* settings) {
    if (!settings) return {};
    return sjis_to_utf8(read_field(settings->rec.notebook_file_choice, sizeof settings->rec.notebook_file_choice));
}

void tell(DialogContext& ctx, std::string_view utf8, unsigned ms) { ctx.show_message(MSG_NOTICE, sj(utf8), ms); }

void tell_edit(DialogContext& ctx, NotebookEdit e) {
    switch (e) {
        case NotebookEdit::TooMany: tell(ctx, " 見出しは 999 までです。", 3000); break;
        case NotebookEdit::TooLarge: tell(ctx, " 手帖の容量を超えるため登録出来ません。", 3000); break;
        case NotebookEdit::HeadingMark: tell(ctx, " 行先頭に句点「。」がある為、\n登録出来ませんでした。", 5000); break;
        case NotebookEdit::SortedMode: tell(ctx, " 見出しが昇順／降順整列中は移動出来ません。", 4000); break;
        default: break;
    }
}

// The key of an encrypted document's notebook; null for a plain document.
const NotebookKey* key_of(const DocumentState* state, NotebookKey* key) {
    if (!state || !state->encrypt || state->key.empty()) return nullptr;
    key->text = state->key;
    key->form = state->key_form;
    return key;
}

}  // namespace

void load_notebook_book(NotebookBook& book, const SettingsState* settings, const std::string& document_path,
                        WindowRef owner, const DocumentState* state) {
    if (book.loaded) return;
    book.path = notebook_path(chosen_path(settings), document_path);
    NotebookKey key;
    if (read_notebook_file(book.path, &book.book, key_of(state, &key)) == NotebookFile::Failed)
        show_message(MSG_NOTICE, owner, sj("手帖ファイル\n" + book.path + "\nを読めませんでした。"), 4000);
    book.loaded = true;
}

bool notebook_window_open(const NotebookUi& ui) { return ui.handle != 0 && dialog_host().is_open(ui.handle); }

NotebookMode NotebookWindow::mode() const {
    const std::uint8_t flags = services_.settings ? services_.settings->rec.panel_flags : 0;
    return static_cast<NotebookMode>((flags & MODE_BITS) >> MODE_SHIFT);
}

std::string NotebookWindow::today() const {
    return date_code(services_.clock ? services_.clock() : notebook_today());
}

void NotebookWindow::mark_changed() {
    if (services_.state) services_.state->modified |= MODIFIED_NOTEBOOK;
}

void NotebookWindow::update_caption(DialogContext& ctx) {
    const std::string caption = std::string(CAPTIONS[static_cast<int>(mode())]) + " （" + name_of(book_->path) + "）";
    ctx.set_caption(sj(caption));
}

void NotebookWindow::rebuild_list(DialogContext& ctx) {
    ui_->rows = notebook_rows(book_->book, mode());
    ctx.clear_items(NOTEBOOK_LIST);
    for (const NotebookRow& r : ui_->rows) ctx.add_item(NOTEBOOK_LIST, r.text);
    const std::size_t row = row_of_entry(ui_->rows, ui_->selected);
    ctx.set_selection(NOTEBOOK_LIST, row < ui_->rows.size() ? static_cast<int>(row) : -1);
    char counter[32];
    std::snprintf(counter, sizeof counter, "%u/%u", row < ui_->rows.size() ? static_cast<unsigned>(row + 1) : 0u,
                  static_cast<unsigned>(ui_->rows.size()));
    ctx.set_text(NOTEBOOK_COUNTER, counter);
}

void NotebookWindow::show_selected(DialogContext& ctx, bool fill_heading) {
    const std::size_t row = row_of_entry(ui_->rows, ui_->selected);
    const bool any = row < ui_->rows.size();
    if (fill_heading && any) {
        ctx.set_text(NOTEBOOK_HEADING, ui_->rows[row].text);
        ui_->heading_edited = false;
    }
    ctx.set_text(article_box(), any ? book_->book.entries[ui_->selected].article : std::string());
    ui_->article_edited = false;
    ui_->warned_no_heading = false;
    ui_->unfiled_article = false;
}

void NotebookWindow::select_entry(DialogContext& ctx, std::size_t entry, bool fill_heading) {
    ui_->selected = entry < book_->book.entries.size() ? entry : SIZE_MAX;
    rebuild_list(ctx);
    show_selected(ctx, fill_heading);
}

bool NotebookWindow::commit_article(DialogContext& ctx) {
    if (!ui_->article_edited) return true;
    ui_->article_edited = false;
    if (ui_->selected >= book_->book.entries.size()) return true;
    const std::string text = article_from_box(ctx.get_text(article_box()));
    NotebookEntry& e = book_->book.entries[ui_->selected];
    if (text == e.article) return true;
    const NotebookEdit st = set_article(book_->book, ui_->selected, text);
    if (st != NotebookEdit::Done) {
        tell_edit(ctx, st);
        return false;
    }
    const std::string date = today();
    if (article_edit_asks_date(e.heading, date) && ui_->date_answer >= 0) {
        if (ui_->date_answer == 0) {
            const std::string q = "編集した記事の見出し日付\n\n" + e.heading.substr(0, NOTEBOOK_DATE_BYTES) +
                                  " を本日付に更新しますか？";
            ui_->date_answer = ctx.show_message(MSG_YES_NO, sj(q)) == MSG_RESULT_YES ? 1 : -1;
        }
        if (ui_->date_answer > 0) {
            e.heading = with_date(e.heading, date);
            rebuild_list(ctx);
        }
    }
    mark_changed();
    return true;
}

void NotebookWindow::search(DialogContext& ctx) {
    std::uint64_t cursor = UINT64_MAX;
    std::string word;
    if (services_.edit)
        services_.edit([&](EditContext& c) {
            cursor = c.edit.cursor.pos.value;
            if (cursor != ui_->searched_cursor && !ui_->heading_edited) {
                Notices notices;
                word = word_at_cursor(c, ctx.window(), notices);
                show_notices(notices);
            }
        });
    if (cursor != ui_->searched_cursor && !ui_->heading_edited && !word.empty()) {
        ctx.set_text(NOTEBOOK_HEADING, word);
        ui_->search_start = 0;
    }
    ui_->searched_cursor = cursor;
    const std::string text = ctx.get_text(NOTEBOOK_HEADING);
    const NotebookMatch m = search_rows(ui_->rows, ui_->search_start, text);
    if (m.first == SIZE_MAX) {
        ui_->search_start = 0;
        ctx.set_text(NOTEBOOK_SEARCH, sj("検 索"));
        ui_->selected = SIZE_MAX;
        ctx.set_selection(NOTEBOOK_LIST, -1);
        if (!ui_->unfiled_article) ctx.set_text(article_box(), "");   // an unfiled article waits for 登録
        ui_->article_edited = false;
        tell(ctx, "該当見出しはありません。", 1000);
        return;
    }
    ui_->selected = ui_->rows[m.first].entry;
    rebuild_list(ctx);
    show_selected(ctx, false);
    ui_->search_start = m.second == SIZE_MAX ? 0 : m.second;
    ctx.set_text(NOTEBOOK_SEARCH, sj(m.second == SIZE_MAX ? "検 索" : "次 へ"));
}

void NotebookWindow::search_for(DialogContext& ctx, const std::string& text, bool opening) {
    if (!commit_article(ctx)) return;
    if (!text.empty()) {
        ctx.set_text(NOTEBOOK_HEADING, fit_heading(text));
        ui_->heading_edited = true;  // the given text, not the word at the cursor
        ui_->search_start = 0;
    }
    search(ctx);
    if (ui_->selected == SIZE_MAX && opening && !book_->book.entries.empty()) {
        ui_->selected = ui_->rows.front().entry;
        rebuild_list(ctx);
        show_selected(ctx, true);
    }
}

void NotebookWindow::add(DialogContext& ctx) {
    Notebook& nb = book_->book;
    if (!nb.entries.empty() && ui_->selected >= nb.entries.size()) {
        tell(ctx, " 登録個所を指定してください。", 3000);
        return;
    }
    const std::string text = ctx.get_text(NOTEBOOK_HEADING);
    for (const NotebookRow& r : ui_->rows)
        if (r.text == text) {
            tell(ctx, " 同じ見出しが存在します。", 3000);
            break;
        }
    const std::size_t at = nb.entries.empty() ? 0 : ui_->selected;
    // An article typed while no heading was selected belongs to this one.
    const std::string unfiled = ui_->unfiled_article ? ctx.get_text(article_box()) : std::string();
    const NotebookEdit st = register_heading(nb, at, text, today());
    if (st != NotebookEdit::Done) {
        tell_edit(ctx, st);
        return;
    }
    mark_changed();
    select_entry(ctx, at, false);
    if (unfiled.empty()) return;
    ctx.set_text(article_box(), unfiled);
    ui_->article_edited = true;
    commit_article(ctx);   // a refusal is told and the text stays in the box
}

void NotebookWindow::change(DialogContext& ctx) {
    Notebook& nb = book_->book;
    if (ui_->selected >= nb.entries.size()) {
        tell(ctx, " 変更する見出しを指定してください。", 3000);
        return;
    }
    const std::string text = ctx.get_text(NOTEBOOK_HEADING);
    const std::string& old = nb.entries[ui_->selected].heading;
    bool use_today = true;
    if (change_asks_date(old, text)) {
        const std::string q = "元の見出しに更新日\n" + old.substr(0, NOTEBOOK_DATE_BYTES) + " があります。\n現在の日付と置換えますか？";
        use_today = ctx.show_message(MSG_YES_NO, sj(q)) == MSG_RESULT_YES;
    }
    const NotebookEdit st = change_heading(nb, ui_->selected, text, today(), use_today);
    if (st != NotebookEdit::Done) {
        tell_edit(ctx, st);
        return;
    }
    mark_changed();
    rebuild_list(ctx);
}

void NotebookWindow::remove(DialogContext& ctx) {
    if (ui_->selected >= book_->book.entries.size()) {
        tell(ctx, " 削除する見出しを指定してください。", 3000);
        return;
    }
    if (ctx.show_message(MSG_YES_NO, sj("この見出しを削除すると該当記事も削除されます。\n削除してもいいですか？")) !=
        MSG_RESULT_YES)
        return;
    std::size_t next = SIZE_MAX;
    if (delete_heading(book_->book, ui_->selected, &next) != NotebookEdit::Done) return;
    mark_changed();
    select_entry(ctx, next, true);
}

void NotebookWindow::move(DialogContext& ctx, bool up) {
    if (ui_->selected >= book_->book.entries.size()) return;
    const NotebookEdit st = move_heading(book_->book, mode(), ui_->selected, up);
    if (st != NotebookEdit::Done) {
        tell_edit(ctx, st);
        return;
    }
    mark_changed();
    select_entry(ctx, up ? ui_->selected - 1 : ui_->selected + 1, false);
}

void NotebookWindow::cycle_mode(DialogContext& ctx) {
    if (!services_.settings) return;
    std::uint8_t& flags = services_.settings->rec.panel_flags;
    const int next = (static_cast<int>(mode()) + 1) % 4;
    flags = static_cast<std::uint8_t>((flags & ~MODE_BITS) | next << MODE_SHIFT);
    mark_settings_changed(services_.settings);
    update_caption(ctx);
    rebuild_list(ctx);
    show_selected(ctx, true);
}

void NotebookWindow::load(DialogContext& ctx) {
    book_->loaded = false;
    load_notebook_book(*book_, services_.settings, services_.document_path, ctx.window(), services_.state);
    ui_->selected = book_->book.entries.empty() ? SIZE_MAX : 0;
    ui_->search_start = 0;
    update_caption(ctx);
    rebuild_list(ctx);
    show_selected(ctx, true);
}

void NotebookWindow::choose_file(DialogContext& ctx) {
    if (!services_.settings || !services_.choose_files) return;
    SettingsState& settings = *services_.settings;
    const std::string chosen = chosen_path(&settings);
    const std::string default_path = notebook_path("", services_.document_path);
    std::string next;
    bool to_default = false;
    if (!chosen.empty()) {
        std::string q = "既定の手帖ファイル（文書名.ren）以外の\n" + chosen + "\nが表示されています。\n\n";
        q += file_exists(default_path) ? "既定の手帖ファイルを表示しますか？"
                                       : "既定の手帖ファイルは存在しませんが、\n新規作成しますか？";
        to_default = ctx.show_message(MSG_YES_NO, sj(q)) == MSG_RESULT_YES;
    }
    if (!to_default) {
        FileChoice choice{folder_of(default_path), "　手帖ファイルの選択", "手帖ファイル （*.ren）", false};
        std::vector<std::string> paths;
        if (!services_.choose_files(choice, &paths) || paths.empty()) return;
        next = paths.front();
    }
    // The notebook in use is written first when the writer wants it.
    if (services_.state && (services_.state->modified & MODIFIED_NOTEBOOK)) {
        const std::string q = "使用していた手帖ファイル\n" + book_->path + "\nが更新されています。\n\n保存しますか？";
        NotebookKey key;
        if (ctx.show_message(MSG_YES_NO, sj(q)) == MSG_RESULT_YES &&
            !write_notebook_file(book_->path, book_->book, key_of(services_.state, &key))) {
            tell(ctx, "手帖ファイル\n" + book_->path + "\nに書き込めませんでした。", 4000);
            return;  // the unsaved notebook stays in use
        }
        services_.state->modified &= static_cast<std::uint8_t>(~MODIFIED_NOTEBOOK);
    }
    const std::string stored = sj(next);
    if (stored.size() >= sizeof settings.rec.notebook_file_choice) {
        tell(ctx, "ファイル名が長すぎます。", 3000);
        return;
    }
    store_field(settings.rec.notebook_file_choice, sizeof settings.rec.notebook_file_choice, stored);
    mark_settings_changed(&settings);
    load(ctx);
}

void NotebookWindow::link_index(DialogContext& ctx) {
    if (!services_.index_link) return;
    const std::string text = ctx.get_text(NOTEBOOK_HEADING);
    std::size_t next = 0;
    std::string_view word = split_words(text, ui_->index_word, &next);
    if (word.empty() && ui_->index_word != 0) word = split_words(text, 0, &next);
    ui_->index_word = next;
    if (!word.empty()) services_.index_link(std::string(word));
}

void NotebookWindow::init(DialogContext& ctx) {
    load_notebook_book(*book_, services_.settings, services_.document_path, ctx.window(), services_.state);
    ctx.show(NOTEBOOK_ARTICLE_V, services_.vertical);
    ctx.show(NOTEBOOK_ARTICLE_H, !services_.vertical);
    ctx.enable(NOTEBOOK_CHOOSE, services_.settings != nullptr && static_cast<bool>(services_.choose_files));
    ctx.enable(NOTEBOOK_INDEX, static_cast<bool>(services_.index_link));
    ctx.enable(NOTEBOOK_SIZE, services_.settings != nullptr && static_cast<bool>(services_.reopen));
    if (services_.settings) place_side_window(ctx, services_.settings->rec.notebook_window_pos, services_.vertical);
    ui_->selected = SIZE_MAX;
    ui_->search_start = 0;
    ui_->heading_edited = false;
    ui_->article_edited = false;
    ui_->searched_cursor = UINT64_MAX;
    ui_->date_answer = 0;
    ui_->index_word = 0;
    update_caption(ctx);
    rebuild_list(ctx);
}

bool NotebookWindow::command(DialogContext& ctx, int id, int notification) {
    if (id == article_box() && notification == NOTIFY_EDIT_CHANGE) {
        if (ui_->selected >= book_->book.entries.size()) {
            if (!ui_->warned_no_heading) tell(ctx, " 見出しが選択されていません。", 3000);
            ui_->warned_no_heading = true;
            ui_->unfiled_article = true;
            return true;
        }
        ui_->article_edited = true;
        return true;
    }
    if (id == NOTEBOOK_HEADING) {
        if (notification == NOTIFY_EDIT_CHANGE) ui_->heading_edited = true;
        return true;
    }
    // Anything else leaves the article box: an edit is stored first.
    if (id == NOTEBOOK_LIST) {
        const bool stored = commit_article(ctx);
        const int row = ctx.get_selection(NOTEBOOK_LIST);
        if (!stored || row < 0 || static_cast<std::size_t>(row) >= ui_->rows.size()) {
            rebuild_list(ctx);
            return true;
        }
        ui_->search_start = 0;
        if (notification == NOTIFY_DOUBLE_CLICK) {
            ui_->selected = ui_->rows[static_cast<std::size_t>(row)].entry;
            cycle_mode(ctx);
        } else if (notification == NOTIFY_SELECTION) {
            select_entry(ctx, ui_->rows[static_cast<std::size_t>(row)].entry, true);
        }
        return true;
    }
    if (notification != NOTIFY_CLICKED) return false;
    if (id == NOTEBOOK_HELP) {
        show_help(NOTEBOOK_HELP_TOPIC);
        return true;
    }
    if (id == NOTEBOOK_CLOSE) return false;  // cancel() stores the article
    if (!commit_article(ctx)) return true;
    switch (id) {
        case NOTEBOOK_INDEX: link_index(ctx); return true;
        case NOTEBOOK_REGISTER: add(ctx); return true;
        case NOTEBOOK_SEARCH: search(ctx); return true;
        case NOTEBOOK_CHANGE: change(ctx); return true;
        case NOTEBOOK_DELETE: remove(ctx); return true;
        case NOTEBOOK_UP: move(ctx, true); return true;
        case NOTEBOOK_DOWN: move(ctx, false); return true;
        case NOTEBOOK_CHOOSE: choose_file(ctx); return true;
        case NOTEBOOK_SIZE: next_size(ctx); return true;
        default: return false;
    }
}

void NotebookWindow::cancel(DialogContext& ctx) {
    commit_article(ctx);
    keep_position(ctx);
    ui_->handle = 0;
}

void NotebookWindow::keep_position(DialogContext& ctx) {
    if (services_.settings)
        keep_side_window_position(ctx, services_.settings, services_.settings->rec.notebook_window_pos,
                                  services_.vertical);
}

// ｻｲｽﾞ: the next template; the new window searches what the heading box holds.
void NotebookWindow::next_size(DialogContext& ctx) {
    if (services_.settings == nullptr || !services_.reopen) return;
    std::uint8_t& flags = services_.settings->rec.panel_flags;
    const int size = std::min(flags & SIZE_BITS, 2);
    flags = static_cast<std::uint8_t>((flags & ~SIZE_BITS) | ((size + 1) % 3));
    mark_settings_changed(services_.settings);
    services_.reopen(ctx.get_text(NOTEBOOK_HEADING));
}

void remember_notebook_window(NotebookUi& ui, SettingsState* settings) {
    if (settings == nullptr) return;
    const bool open = notebook_window_open(ui) && ui.procedure;
    std::uint8_t& flags = settings->rec.panel_flags;
    const auto wanted = static_cast<std::uint8_t>(open ? flags | OPEN_BIT : flags & ~OPEN_BIT);
    if (wanted != flags) {
        flags = wanted;
        mark_settings_changed(settings);
    }
    if (!open) return;
    if (DialogContext* ctx = dialog_host().context(ui.handle)) ui.procedure->keep_position(*ctx);
}

void close_notebook_window(NotebookUi& ui) {
    // cancel() forgets the handle: the dialog is closed by the one kept here.
    const DialogHandle handle = ui.handle;
    if (notebook_window_open(ui)) {
        if (DialogContext* ctx = dialog_host().context(handle)) ui.procedure->cancel(*ctx);
    }
    if (handle != 0) dialog_host().close_modeless(handle);
    ui.handle = 0;
}

DialogHandle open_notebook_window(NotebookUi& ui, NotebookBook& book, NotebookServices services,
                                  const std::string& search_text) {
    if (!notebook_window_open(ui)) {
        close_notebook_window(ui);
        const WindowRef owner = services.owner;
        const std::uint8_t flags = services.settings ? services.settings->rec.panel_flags : 0;
        const int size = std::min(flags & SIZE_BITS, 2);
        // The window may be made again from a call of its own procedure (ｻｲｽﾞ).
        ui.retired = std::move(ui.procedure);
        ui.procedure = std::make_unique<NotebookWindow>(&ui, &book, std::move(services));
        ui.handle = open_modeless(TEMPLATES[size], *ui.procedure, owner);
        if (ui.handle == 0) return 0;
    }
    DialogContext* ctx = dialog_host().context(ui.handle);
    if (ctx == nullptr) return ui.handle;
    ctx->show_window(true);
    ui.procedure->search_for(*ctx, search_text, true);
    return ui.handle;
}

bool save_notebook_book(NotebookUi& ui, NotebookBook& book, DocumentState& state, WindowRef owner) {
    if (notebook_window_open(ui)) {
        if (DialogContext* ctx = dialog_host().context(ui.handle)) ui.procedure->store_article(*ctx);
    }
    if (!(state.modified & MODIFIED_NOTEBOOK) || !book.loaded) return true;
    NotebookKey key;
    if (!write_notebook_file(book.path, book.book, key_of(&state, &key))) {
        show_message(MSG_NOTICE, owner, sj("手帖ファイル\n" + book.path + "\nに書き込めませんでした。"), 4000);
        return false;
    }
    state.modified &= static_cast<std::uint8_t>(~MODIFIED_NOTEBOOK);
    return true;
}

bool rekey_notebook_file(const SettingsState* settings, const std::string& document_path, const NotebookKey* old_ptr,
                         const NotebookKey* new_ptr) {
    if (!old_ptr && !new_ptr) return true;
    if (old_ptr && new_ptr && old_ptr->text == new_ptr->text && old_ptr->form == new_ptr->form) return true;
    const std::string path = notebook_path(chosen_path(settings), document_path);
    Notebook book;
    switch (read_notebook_file(path, &book, old_ptr)) {
    case NotebookFile::Missing: return true;
    case NotebookFile::Failed: return false;
    case NotebookFile::Read: break;
    }
    return write_notebook_file(path, book, new_ptr);
}

}  // namespace rix
