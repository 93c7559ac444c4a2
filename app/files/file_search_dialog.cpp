// FILE_SEARC (see file_search_dialog.h).
#include "app/files/file_search_dialog.h"

#include <cstdio>

#include "platform/codec.h"
#include "platform/messages.h"

namespace rix {
namespace {

class FileSearch final : public DialogProcedure {
public:
    FileSearch(FileSearchState* state, const FileSearchServices& services) : st_(*state), s_(services) {}

    void init(DialogContext& ctx) override {
        if (st_.folder.empty()) st_.folder = s_.document_folder.empty() ? std::string("/") : s_.document_folder;
        if (st_.folder.back() != '/') st_.folder += '/';
        if (st_.text.empty()) st_.text = ".txt";
        ctx.set_text(FILE_SEARCH_FOLDER, utf8_to_sjis(st_.folder));
        ctx.set_text(FILE_SEARCH_TEXT, st_.text);
        ctx.enable(FILE_SEARCH_FOLDER_BUTTON, static_cast<bool>(s_.choose_folder));
        ctx.enable(FILE_SEARCH_PREVIEW, static_cast<bool>(s_.view));
        ctx.enable(FILE_SEARCH_OPEN, static_cast<bool>(s_.open_document));
        st_.last = SearchOutcome{};
        ctx.clear_items(FILE_SEARCH_LIST);
        for (const std::string& line : search_usage_lines()) ctx.add_item(FILE_SEARCH_LIST, line);
        ctx.set_selection(FILE_SEARCH_LIST, -1);
        ctx.focus(FILE_SEARCH_TEXT);
    }

    bool command(DialogContext& ctx, int id, int notification) override {
        if (id == FILE_SEARCH_LIST) {
            if (notification == NOTIFY_SELECTION) select(ctx);
            if (notification == NOTIFY_DOUBLE_CLICK && select(ctx) && s_.view) s_.view(path_of(chosen_));
            return true;
        }
        if (notification != NOTIFY_CLICKED) return false;
        switch (id) {
            case FILE_SEARCH_FOLDER_BUTTON: {
                std::string folder = sjis_to_utf8(ctx.get_text(FILE_SEARCH_FOLDER));
                if (s_.choose_folder && s_.choose_folder(&folder)) {
                    if (folder.empty() || folder.back() != '/') folder += '/';
                    ctx.set_text(FILE_SEARCH_FOLDER, utf8_to_sjis(folder));
                }
                return true;
            }
            case FILE_SEARCH_PREVIEW:
                if (need_selection(ctx) && s_.view) s_.view(path_of(chosen_));
                return true;
            case FILE_SEARCH_OPEN:
                if (need_selection(ctx) && s_.open_document) {
                    const std::string path = path_of(chosen_);
                    st_.folder = st_.last.found[static_cast<std::size_t>(chosen_)].folder;
                    ctx.end_dialog(DIALOG_CANCEL);
                    s_.open_document(path);
                }
                return true;
            default: return false;
        }
    }

    // 検索実行 is button 1 (and Enter): the dialog stays.
    bool ok(DialogContext& ctx) override {
        search(ctx);
        return false;
    }
    void cancel(DialogContext& ctx) override {
        st_.folder = sjis_to_utf8(ctx.get_text(FILE_SEARCH_FOLDER));
        st_.text = ctx.get_text(FILE_SEARCH_TEXT);
    }

private:
    std::string path_of(int index) const {
        const FoundFile& f = st_.last.found[static_cast<std::size_t>(index)];
        return f.folder + f.name;
    }

    bool select(DialogContext& ctx) {
        const int row = ctx.get_selection(FILE_SEARCH_LIST);
        const int n = static_cast<int>(st_.last.found.size());
        chosen_ = row >= 0 && row < n && searched_ ? row : -1;
        if (chosen_ < 0) return false;
        char text[32];
        std::snprintf(text, sizeof text, "%3u/%-u", static_cast<unsigned>(chosen_ + 1), static_cast<unsigned>(n));
        ctx.set_text(FILE_SEARCH_COUNTER, text);
        return true;
    }

    bool need_selection(DialogContext& ctx) {
        if (chosen_ >= 0) return true;
        ctx.show_message(MSG_NOTICE, utf8_to_sjis("先に選択してください。"), 2000);
        return false;
    }

    void search(DialogContext& ctx) {
        st_.folder = sjis_to_utf8(ctx.get_text(FILE_SEARCH_FOLDER));
        st_.text = ctx.get_text(FILE_SEARCH_TEXT);
        ctx.clear_items(FILE_SEARCH_LIST);
        chosen_ = -1;
        SearchHooks hooks;
        hooks.stop = s_.escape_pressed;
        hooks.progress = [&ctx](const SearchCounters& c) { ctx.set_text(FILE_SEARCH_COUNTER, counter_text(c)); };
        st_.last = search_files(st_.folder, st_.text, hooks);
        searched_ = true;
        if (st_.last.end == SearchEnd::NO_FOLDER)
            ctx.show_message(MSG_NOTICE, utf8_to_sjis("フォルダが存在しません｡"), 2000);
        for (std::size_t i = 0; i < st_.last.found.size(); ++i)
            ctx.add_item(FILE_SEARCH_LIST, result_line(static_cast<int>(i + 1), st_.last.found[i]));
        ctx.set_text(FILE_SEARCH_COUNTER, counter_text(st_.last.counters));
    }

    FileSearchState& st_;
    const FileSearchServices& s_;
    int chosen_ = -1;            // index into st_.last.found; -1 = none
    bool searched_ = false;      // the list shows results, not the usage text
};

}  // namespace

void run_file_search_dialog(FileSearchState* state, const FileSearchServices& services, WindowRef owner) {
    FileSearch proc(state, services);
    run_dialog("FILE_SEARC", proc, owner);
}

}  // namespace rix
