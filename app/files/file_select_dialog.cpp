// FILE_SEL (see file_select_dialog.h).
#include "app/files/file_select_dialog.h"

#include <cstdio>
#include <set>

#include "app/shell/application.h"
#include "document/document_state.h"
#include "document/extension_file.h"
#include "files/file_ops.h"
#include "files/select_file.h"
#include "platform/codec.h"
#include "platform/file_choice.h"
#include "platform/file_tools.h"
#include "platform/file_names.h"
#include "platform/files.h"
#include "platform/messages.h"
#include "platform/window_host.h"

namespace rix {
namespace {

constexpr unsigned SHORT_MS = 2000;

const char* caption_of(int mode) {
    switch (mode) {
        case SELECT_SAVE_AS: return "　名前を付けて保存";
        case SELECT_READ_IN: return "　現在行に読込み";
        case SELECT_DOCUMENTS: return "　文書の選択";
        case SELECT_LIST: return "　リストの選択";
        default: return "　文書を開く";
    }
}

std::string sjis(std::string_view utf8) { return utf8_to_sjis(utf8); }

// classify_path with its notice shown (a folder that does not exist empties the path).
int classify_told(std::string* path) {
    Notices notices;
    const int kind = classify_path(path, &notices);
    show_notices(notices);
    return kind;
}

class FileSelect final : public DialogProcedure {
public:
    FileSelect(int mode, std::string preset, FileSelectServices& s) : mode_(mode), preset_(std::move(preset)), s_(s) {
        if (!s_.file_list_order) s_.file_list_order = &local_order_;
        if (!s_.folders_first) s_.folders_first = &local_folders_first_;
        if (!s_.column_directions) s_.column_directions = local_directions_;
    }

    FileSelectOutcome outcome;

    void init(DialogContext& ctx) override {
        ctx.set_caption(sjis(caption_of(mode_)));
        ctx.show(FILE_SEL_NEW, mode_ == SELECT_OPEN);
        ctx.enable(FILE_SEL_NEW, static_cast<bool>(s_.new_document_name));
        const bool options = (mode_ == SELECT_OPEN && s_.read_options) || (mode_ == SELECT_SAVE_AS && s_.write_options);
        ctx.show(FILE_SEL_OPTIONS, options);
        if (mode_ == SELECT_SAVE_AS) ctx.set_text(FILE_SEL_OPTIONS, sjis("書出設定"));
        ctx.show(FILE_SEL_PICKED_LABEL, mode_ == SELECT_DOCUMENTS);
        ctx.show(FILE_SEL_PICKED, mode_ == SELECT_DOCUMENTS);
        ctx.enable(FILE_SEL_HISTORY, static_cast<bool>(s_.edit_history));
        ctx.enable(FILE_SEL_PREVIEW, static_cast<bool>(s_.preview));
        ctx.enable(FILE_SEL_CHOOSE_FOLDER, static_cast<bool>(s_.choose_folder));
        ctx.enable(FILE_SEL_SEARCH, s_.file_search);
        ctx.set_check(FILE_SEL_FOLDERS_FIRST, *s_.folders_first != 0);
        const int key = *s_.file_list_order & 0x0F;
        if (key < SORT_COLUMNS) s_.column_directions[key] = (*s_.file_list_order & 0xF0) ? 1 : 0;
        // The first execution: list the preset's folder.
        std::string path = preset_;
        const int kind = classify_path(&path);
        if (kind == PATH_NO_FOLDER) path = absolute_path("") + "/";
        list_for(ctx, path);
        set_box(ctx, kind == PATH_LISTABLE || kind == PATH_NO_FOLDER ? listing_.folder + listing_.pattern : path);
    }

    bool command(DialogContext& ctx, int id, int notification) override {
        if (id == FILE_SEL_LIST) return list_event(ctx, notification);
        if (notification != NOTIFY_CLICKED) return false;
        switch (id) {
            case FILE_SEL_HELP: show_help("FILE"); return true;
            case FILE_SEL_NEW: new_document(ctx); return true;
            case FILE_SEL_OPTIONS:
                if (mode_ == SELECT_OPEN && s_.read_options) s_.read_options();
                if (mode_ == SELECT_SAVE_AS && s_.write_options) s_.write_options();
                return true;
            case FILE_SEL_HISTORY: history(ctx); return true;
            case FILE_SEL_RENAME: rename(ctx); return true;
            case FILE_SEL_DELETE: remove(ctx); return true;
            case FILE_SEL_READ_ONLY: toggle_read_only(ctx); return true;
            case FILE_SEL_PREVIEW: preview(ctx); return true;
            case FILE_SEL_CHOOSE_FOLDER: choose_folder(ctx); return true;
            case FILE_SEL_DEFAULT_FOLDER: default_folder(ctx); return true;
            case FILE_SEL_SEARCH:
                outcome.search_requested = true;
                ctx.end_dialog(DIALOG_CANCEL);
                return true;
            case FILE_SEL_FOLDERS_FIRST:
                *s_.folders_first = ctx.get_check(FILE_SEL_FOLDERS_FIRST) ? 1 : 0;
                if (s_.settings_changed) s_.settings_changed();
                relist(ctx);
                return true;
            default: return false;
        }
    }

    bool ok(DialogContext& ctx) override { return execute(ctx); }
    void cancel(DialogContext&) override { outcome.result = CHOSEN_CANCELLED; }

private:
    // The path in the box (UTF-8). A row's path stands for the box while the
    // box shows it unchanged, so names that code page 932 cannot spell work.
    // A bare name belongs to the folder listed, not to the process's folder.
    std::string box_path(const DialogContext& ctx) const {
        const std::string text = ctx.get_text(FILE_SEL_PATH);
        std::string path = text == box_text_ ? box_utf8_ : sjis_to_utf8(text);
        if (!path.empty() && path.front() != '/' && !listing_.folder.empty()) path = listing_.folder + path;
        return path;
    }
    void set_box(DialogContext& ctx, const std::string& utf8) {
        box_utf8_ = utf8;
        box_text_ = sjis(utf8);
        ctx.set_text(FILE_SEL_PATH, box_text_);
    }

    // Lists the folder a listable path names, with its pattern.
    void list_for(DialogContext& ctx, const std::string& path) {
        std::string folder = path.back() == '/' ? path : folder_of(path) + "/";
        std::string name = path.back() == '/' ? std::string() : name_of(path);
        std::string pattern = name.find_first_of("*?") != std::string::npos ? name : std::string("*.*");
        list(ctx, folder, pattern);
    }

    void list(DialogContext& ctx, const std::string& folder, const std::string& pattern) {
        picked_.clear();
        if (!list_folder(folder, pattern, *s_.file_list_order, *s_.folders_first != 0, &listing_)) {
            listing_.folder = folder;
            listing_.pattern = pattern;
        }
        listed_ = true;
        if (listing_.capped) {
            char text[160];
            std::snprintf(text, sizeof text, "フォルダ内のファイル数は\n%d に制限されていますので、\nファイルを全て表示出来ません。",
                          FILE_LIST_MAX_ROWS);
            ctx.show_message(MSG_NOTICE, sjis(text), 7000);
        } else if (listing_.entries == 0) {
            ctx.show_message(MSG_NOTICE, sjis("指定のファイルがありません｡"), SHORT_MS);
        }
        show_rows(ctx);
        const int key = *s_.file_list_order & 0x0F;
        ctx.set_sort_indicator(FILE_SEL_LIST, key < SORT_COLUMNS ? key : -1, (*s_.file_list_order & 0xF0) == 0);
        char count[16];
        std::snprintf(count, sizeof count, "%6d", static_cast<int>(listing_.rows.size()));
        ctx.set_text(FILE_SEL_COUNTER, count);
        show_picked(ctx);
    }

    void relist(DialogContext& ctx) { list(ctx, listing_.folder, listing_.pattern); }

    void show_rows(DialogContext& ctx) {
        std::vector<std::vector<std::string>> rows;
        rows.reserve(listing_.rows.size());
        for (std::size_t i = 0; i < listing_.rows.size(); ++i) {
            rows.push_back(row_cells(listing_.rows[i]));
            if (picked_.count(static_cast<int>(i))) rows.back()[0] = sjis("●");
        }
        ctx.set_rows(FILE_SEL_LIST, std::move(rows));
    }

    void show_picked(DialogContext& ctx) {
        if (mode_ == SELECT_DOCUMENTS) ctx.set_text(FILE_SEL_PICKED, std::to_string(picked_.size()));
    }

    const FileRow* clicked_row() const {
        return clicked_ >= 0 && clicked_ < static_cast<int>(listing_.rows.size()) ? &listing_.rows[clicked_] : nullptr;
    }

    bool list_event(DialogContext& ctx, int notification) {
        if (is_column_click(notification)) {
            const int column = clicked_column(notification);
            if (column < 0 || column >= SORT_COLUMNS) return true;
            *s_.file_list_order = static_cast<std::uint8_t>(clicked_order(column, s_.column_directions));
            if (s_.settings_changed) s_.settings_changed();
            relist(ctx);
            return true;
        }
        int row = ctx.get_selection(FILE_SEL_LIST);
        if (row < 0 && notification == NOTIFY_DOUBLE_CLICK) row = clicked_;   // mode 3 clears the selection
        if (row < 0 || row >= static_cast<int>(listing_.rows.size())) return true;
        clicked_ = row;
        const FileRow& r = listing_.rows[row];
        if (notification == NOTIFY_SELECTION) {
            set_box(ctx, r.kind == RowKind::FILE ? r.path : r.path + listing_.pattern);
            char count[32];
            std::snprintf(count, sizeof count, "%3u/%-u", static_cast<unsigned>(row + 1),
                          static_cast<unsigned>(listing_.rows.size()));
            ctx.set_text(FILE_SEL_COUNTER, count);
            if (mode_ == SELECT_DOCUMENTS && r.kind == RowKind::FILE) {
                // A click picks a document or takes it back; the rows show
                // the picked ones marked, with no selection left, so that a
                // second click on the same row is a click again.
                if (!picked_.erase(row)) picked_.insert(row);
                show_rows(ctx);
                show_picked(ctx);
            }
            return true;
        }
        if (notification == NOTIFY_DOUBLE_CLICK) {
            set_box(ctx, r.kind == RowKind::FILE ? r.path : r.path + listing_.pattern);
            if (mode_ == SELECT_DOCUMENTS && r.kind == RowKind::FILE) picked_.insert(row);
            if (execute(ctx)) ctx.end_dialog(DIALOG_OK);
            return true;
        }
        return true;
    }

    // Whether `path` is a document this program edits; the refusal over the dialog.
    static bool accept_kind(DialogContext& ctx, const std::string& path) {
        Notices refused;
        const bool accepted = accept_document_kind(check_document_kind(path), ctx.window(), &refused);
        for (const Notice& n : refused.items) ctx.show_message(MSG_NOTICE, sjis(n.utf8), n.time_ms);
        return accepted;
    }
    bool ask(DialogContext& ctx, const std::string& utf8) { return ctx.show_message(MSG_YES_NO, sjis(utf8)) == MSG_RESULT_YES; }

    // 実 行: lists a folder or a pattern; otherwise takes the file.
    bool execute(DialogContext& ctx) {
        std::string path = box_path(ctx);
        const int kind = classify_told(&path);
        if (kind == PATH_NO_FOLDER) {
            set_box(ctx, "");
            return false;
        }
        if (kind == PATH_LISTABLE || (mode_ == SELECT_SAVE_AS && !listed_)) {
            list_for(ctx, path);
            set_box(ctx, kind == PATH_LISTABLE ? listing_.folder + listing_.pattern : path);
            return false;
        }
        if (kind == PATH_NEW_NAME && mode_ != SELECT_OPEN && mode_ != SELECT_SAVE_AS) {
            ctx.show_message(MSG_NOTICE, sjis("指定のファイルがありません｡"), SHORT_MS);
            return false;
        }
        if (kind == PATH_EXISTING && (mode_ == SELECT_OPEN || mode_ == SELECT_READ_IN || mode_ == SELECT_LIST)) {
            const std::string name = name_of(path);
            const std::string_view ext = extension_of(name);
            const bool exempt = equal_nocase(ext, "txt") || s_.decrypt_on_read ||
                                (mode_ == SELECT_OPEN && (equal_nocase(ext, "lzh") || equal_nocase(ext, "zip")));
            if (!exempt && !accept_kind(ctx, path)) return false;
        }
        if (mode_ == SELECT_OPEN && s_.reading_conversions_on && s_.reading_conversions_on() &&
            !ask(ctx, "読込実行が設定されています｡\n通常の文書編集を実行する場合は、\n[読込設定]で全てのﾁｪｯｸをｵﾌにしてください｡\n\nこのまま実行しますか？"))
            return false;
        if (mode_ == SELECT_SAVE_AS && s_.writing_conversions_on && s_.writing_conversions_on() &&
            !ask(ctx, "書出実行が設定されています｡\n通常の文書保存を実行する場合は、\n[書出設定]で全てのﾁｪｯｸをｵﾌにしてください｡\n\nこのまま実行しますか？"))
            return false;
        outcome.path = path;
        outcome.result = kind == PATH_EXISTING ? CHOSEN_EXISTING : CHOSEN_NEW_NAME;
        if (mode_ == SELECT_DOCUMENTS) {
            for (int row : picked_) outcome.chosen.push_back(listing_.rows[row].path);
            if (outcome.chosen.empty()) outcome.chosen.push_back(path);
        }
        return true;
    }

    void new_document(DialogContext& ctx) {
        if (!s_.new_document_name) return;
        const std::string name = s_.new_document_name();
        const std::string text = std::string("新規文書の編集を始めるには、\n保存するフォルダを選択後、\n存在しない新しいファイル名を入力し、\n[実行]をクリックしてください。\n\n\n自動生成の文書名は次の名前になります。") +
                                 "\n\n" + name + "\n\n" + "この名前を使う場合は[はい]をクリック後、\n[実行]をクリックしてください。";
        if (ask(ctx, text)) set_box(ctx, listing_.folder + name);
    }

    void history(DialogContext& ctx) {
        std::string path;
        if (!s_.edit_history || !s_.edit_history(&path)) return;
        outcome.path = path;
        outcome.result = CHOSEN_EXISTING;
        ctx.end_dialog(DIALOG_OK);
    }

    // The file the row clicked last names, when it is a file row.
    bool clicked_file(DialogContext& ctx, std::string* path) {
        const FileRow* r = clicked_row();
        if (!r || r->kind != RowKind::FILE) {
            ctx.show_message(MSG_NOTICE, sjis("先に選択してください。"), SHORT_MS);
            return false;
        }
        *path = r->path;
        return true;
    }

    void rename(DialogContext& ctx) {
        std::string from;
        if (!clicked_file(ctx, &from)) return;
        std::string to = box_path(ctx);
        if (classify_told(&to) == PATH_NO_FOLDER) return;
        if (to == from) {
            ctx.show_message(MSG_NOTICE, sjis("名前は変更されていません。"), 1500);
            return;
        }
        if (path_kind(to) != PathKind::MISSING || to.back() == '/') {
            ctx.show_message(MSG_NOTICE, sjis("この名前の文書は既に存在します。"), SHORT_MS);
            return;
        }
        if (!ask(ctx, "名前を次のように変更しますか？\n\n" + to)) return;
        RenameReport r = rename_document(from, to, [&] { return ask(ctx, ".bakファイルがあります。\nこれの名前も変更しますか？"); });
        if (r.result == RenameResult::NAME_TAKEN)
            ctx.show_message(MSG_NOTICE, sjis("この名前の文書は既に存在します。"), SHORT_MS);
        else if (r.result == RenameResult::FAILED)
            ctx.show_message(MSG_NOTICE, sjis(from + "\n\nこの文書の名前を変更出来ませんでした。"), 3000);
        clicked_ = -1;
        relist(ctx);
    }

    // One file of a secure deletion; false when the user said no or it failed.
    bool delete_one(DialogContext& ctx, const std::string& path) {
        if (!ask(ctx, "ファイルを上書して、完全削除します。\n実行すると通常の削除と異なり､ファイル復元\nソフト等による復元も不可能になります。\n\n" +
                          path + "\n\nこのファイルを完全削除しますか？"))
            return false;
        switch (secure_delete(path, s_.open_document)) {
            case DeleteResult::REMOVED: return true;
            case DeleteResult::OPEN_DOCUMENT:
                ctx.show_message(MSG_NOTICE, sjis(path + "\n\nこの文書は編集中のため削除出来ません｡"), 3000);
                return false;
            default:
                ctx.show_message(MSG_NOTICE,
                                 sjis(path + "\n\nこの文書を削除出来ませんでした。\nこの文書は読取専用ファイルの可能性があります。\n［属変］ボタンで書込可能ファイルに変更してから\n再度、削除を実行してみてください。"),
                                 12000);
                return false;
        }
    }

    void remove(DialogContext& ctx) {
        std::string path;
        if (!clicked_file(ctx, &path)) return;
        const bool owns = owns_extension_file(path);
        if (delete_one(ctx, path) && owns) delete_one(ctx, extension_path_for(path));
        clicked_ = -1;
        relist(ctx);
    }

    void toggle_read_only(DialogContext& ctx) {
        std::string path = box_path(ctx);
        if (classify_told(&path) != PATH_EXISTING) return;
        const bool ro = is_read_only(path);
        const std::string q = ro ? path + "\n\nこの文書は読取専用ファイルです｡\n書込可能ファイルに変更しますか？"
                                 : path + "\n\nこの文書は書込可能ファイルです｡\n読取専用ファイルに変更しますか？";
        if (ask(ctx, q) && !set_read_only(path, !ro))
            ctx.show_message(MSG_NOTICE, sjis(path + "\n\n属性を変更出来ませんでした｡"), 3000);
    }

    void preview(DialogContext& ctx) {
        if (!s_.preview) return;
        std::string path = box_path(ctx);
        if (classify_told(&path) != PATH_EXISTING) {
            ctx.show_message(MSG_NOTICE, sjis("先に選択してください。"), SHORT_MS);
            return;
        }
        if (mode_ != SELECT_DOCUMENTS && !accept_kind(ctx, path)) return;
        s_.preview(path);
    }

    // A folder becomes the path (keeping the name in mode 1) and is listed.
    void go_to_folder(DialogContext& ctx, std::string folder) {
        if (folder.empty() || folder.back() != '/') folder += '/';
        const std::string current = box_path(ctx);
        const std::string name = current.empty() || current.back() == '/' ? std::string() : name_of(current);
        list(ctx, folder, listing_.pattern.empty() ? "*.*" : listing_.pattern);
        set_box(ctx, mode_ == SELECT_SAVE_AS && !name.empty() && name.find_first_of("*?") == std::string::npos
                         ? folder + name : folder + listing_.pattern);
    }

    void choose_folder(DialogContext& ctx) {
        std::string folder = listing_.folder;
        if (s_.choose_folder && s_.choose_folder(&folder)) go_to_folder(ctx, folder);
    }

    void default_folder(DialogContext& ctx) {
        if (s_.document_folder.empty()) {
            ctx.show_message(MSG_NOTICE, sjis("「文書の保存既定フォルダ」が設定されていません。\n\n次に開く環境設定画面で設定出来ます。\n"), 8000);
            if (s_.common_settings) s_.common_settings();
            return;
        }
        go_to_folder(ctx, s_.document_folder);
    }

    int mode_;
    std::string preset_;
    FileSelectServices& s_;
    std::uint8_t local_order_ = SORT_NAME, local_folders_first_ = 1;
    std::uint8_t local_directions_[SORT_COLUMNS] = {};
    FolderListing listing_;
    bool listed_ = false;
    int clicked_ = -1;                  // row clicked last; -1 = none
    std::set<int> picked_;              // mode 3: rows chosen
    std::string box_utf8_, box_text_;   // what set_box put into the path box
};

}  // namespace

FileSelectOutcome run_file_select_dialog(int mode, const std::string& path, FileSelectServices& services,
                                         WindowRef owner) {
    FileSelect proc(mode, path, services);
    const FileDialogOpen open;
    const int r = run_dialog("FILE_SEL", proc, owner);
    if (r != DIALOG_OK) {
        proc.outcome.result = CHOSEN_CANCELLED;
        proc.outcome.chosen.clear();
    }
    return proc.outcome;
}

}  // namespace rix
