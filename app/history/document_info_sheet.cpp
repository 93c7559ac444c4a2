// The document-information sheet (see document_info_sheet.h).
#include "app/history/document_info_sheet.h"

#include <cstdio>
#include <ctime>
#include <vector>

#include "document/document_state.h"
#include "document/edit_history.h"
#include "platform/codec.h"
#include "platform/files.h"
#include "platform/messages.h"

namespace rix {

namespace {

constexpr const char* PAGE_TEMPLATES[INFO_PAGE_COUNT] = {"TEXT_INF", "LOG_INF"};
constexpr const char* PAGE_HELP[INFO_PAGE_COUNT] = {"INF", "LOG"};
constexpr int SWITCH_TO_PAGE = 100;   // + page: the user chose another tab

void notice(DialogContext& ctx, const std::string& utf8, unsigned ms) {
    ctx.show_message(MSG_NOTICE, utf8_to_sjis(utf8), ms);
}

// What the titles' edits hold while the sheet is open.
struct InfoDraft {
    std::string title, print_title;
};

class InfoPage final : public DialogProcedure {
public:
    InfoPage(int page, DocumentInfoServices& services, InfoDraft& draft)
        : page_(page), services_(services), draft_(draft) {}

    void init(DialogContext& ctx) override {
        ctx.set_page(INFO_TABS, page_);
        if (services_.last_page) *services_.last_page = page_;
        if (page_ == INFO_PAGE_DOCUMENT) init_document(ctx);
        else init_history(ctx);
    }

    bool command(DialogContext& ctx, int id, int notification) override {
        if (id == INFO_TABS && notification == NOTIFY_PAGE_CHANGE) {
            const int page = ctx.get_page(INFO_TABS);
            if (page == page_ || page < 0 || page >= INFO_PAGE_COUNT) return true;
            leave_page(ctx);
            ctx.end_dialog(SWITCH_TO_PAGE + page);
            return true;
        }
        if (page_ == INFO_PAGE_HISTORY && id == LOG_LIST) {
            if (notification == NOTIFY_DOUBLE_CLICK) open_chosen(ctx);
            else if (notification == NOTIFY_SELECTION) show_counter(ctx);
            return true;
        }
        if (notification != NOTIFY_CLICKED) return false;
        if (page_ == INFO_PAGE_HISTORY && id == LOG_PREVIEW) {
            std::string path;
            if (services_.preview && chosen_path(ctx, &path)) services_.preview(path);
            return true;
        }
        if (id == INFO_HELP) {
            show_help(PAGE_HELP[page_]);
            return true;
        }
        return false;
    }

    bool ok(DialogContext& ctx) override {
        if (page_ == INFO_PAGE_HISTORY) open_chosen(ctx);
        return false;   // open_chosen ends the sheet itself when a document was chosen
    }

    void cancel(DialogContext& ctx) override { leave_page(ctx); }

private:
    void init_document(DialogContext& ctx) {
        const DocumentInfoServices& s = services_;
        ctx.set_text(INFO_OPENED_PATH, utf8_to_sjis(s.opened_path));
        ctx.set_text(INFO_SAVE_NAME, utf8_to_sjis(s.save_name));
        if (s.opened.known) {
            ctx.set_text(INFO_OPENED_SIZE, byte_count_text(s.opened.size));
            ctx.set_text(INFO_OPENED_TIME, local_time_text(s.opened.time));
        }
        if (s.saved.known) {
            ctx.set_text(INFO_SAVED_SIZE, byte_count_text(s.saved.size));
            ctx.set_text(INFO_SAVED_TIME, local_time_text(s.saved.time));
        }
        ctx.set_text(INFO_MODIFIED, utf8_to_sjis(s.modified ? "有" : "無"));
        ctx.set_text(INFO_TITLE, draft_.title);
        ctx.set_text(INFO_PRINT_TITLE, draft_.print_title);
    }

    void init_history(DialogContext& ctx) {
        const std::string path = utf8_to_sjis(services_.log_path);
        ctx.set_caption(utf8_to_sjis("　編集履歴情報 ［") + path + utf8_to_sjis("］"));
        ctx.enable(LOG_PREVIEW, static_cast<bool>(services_.preview));
        std::string text;
        if (!file_exists(services_.log_path) || !read_whole_file(services_.log_path, &text)) {
            notice(ctx, "編集履歴ファイル\n" + services_.log_path + "\nがありません。\n\n文書を保存した時点で作成されます。",
                   8000);
        }
        std::vector<std::string> lines = split_history_lines(text);
        const std::size_t first = lines.size() > HISTORY_MAX_LINES ? lines.size() - HISTORY_MAX_LINES : 0;
        lines_.clear();
        for (std::size_t i = lines.size(); i > first; --i) {
            if (lines[i - 1].empty()) continue;
            lines_.push_back(std::move(lines[i - 1]));
        }
        ctx.clear_items(LOG_LIST);
        for (const std::string& line : lines_) ctx.add_item(LOG_LIST, history_display_line(line));
        show_counter(ctx);
    }

    void show_counter(DialogContext& ctx) {
        const int chosen = ctx.get_selection(LOG_LIST);
        char text[32];
        if (chosen < 0) std::snprintf(text, sizeof text, "%zu", lines_.size());
        else std::snprintf(text, sizeof text, "%3u/%-u", static_cast<unsigned>(chosen + 1), static_cast<unsigned>(lines_.size()));
        ctx.set_text(LOG_COUNTER, text);
    }

    void open_chosen(DialogContext& ctx) {
        std::string native;
        if (!chosen_path(ctx, &native)) return;
        services_.open_request = native;
        ctx.end_dialog(DIALOG_OK);
    }

    // The existing document of the chosen line (native path); false after a notice.
    bool chosen_path(DialogContext& ctx, std::string* out) {
        const int chosen = ctx.get_selection(LOG_LIST);
        if (chosen < 0 || chosen >= static_cast<int>(lines_.size())) {
            notice(ctx, "先に選択してください。", 2000);
            return false;
        }
        const std::string path = history_line_path(lines_[static_cast<std::size_t>(chosen)]);
        if (path.empty()) {
            notice(ctx, "選択したのは旧版で作成された履歴データです。\nこのデータでは文書を開けません。", 4000);
            return false;
        }
        *out = sjis_to_utf8(path);
        if (path_kind(*out) != PathKind::REGULAR) {
            notice(ctx, "選択した文書がありません。", 2000);
            return false;
        }
        return true;
    }

    void leave_page(DialogContext& ctx) {
        if (page_ != INFO_PAGE_DOCUMENT) return;
        draft_.title = ctx.get_text(INFO_TITLE);
        draft_.print_title = ctx.get_text(INFO_PRINT_TITLE);
    }

    int page_;
    DocumentInfoServices& services_;
    InfoDraft& draft_;
    std::vector<std::string> lines_;   // the history's lines as listed, newest first
};

}  // namespace

std::string byte_count_text(std::int64_t bytes) {
    if (bytes < 0) bytes = 0;
    std::string digits = std::to_string(bytes);
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out + " byte";
}

std::string local_time_text(std::int64_t seconds) {
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm tm{};
    if (!::localtime_r(&t, &tm)) return {};
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u", static_cast<unsigned>(tm.tm_year + 1900),
                  static_cast<unsigned>(tm.tm_mon + 1), static_cast<unsigned>(tm.tm_mday),
                  static_cast<unsigned>(tm.tm_hour), static_cast<unsigned>(tm.tm_min));
    return text;
}

int run_document_info_sheet(DocumentInfoServices* services, int page) {
    bool scratch_open = false;
    bool* open = services->open ? services->open : &scratch_open;
    if (*open) return DIALOG_CANCEL;
    *open = true;
    if (page < 0) page = services->last_page ? *services->last_page : INFO_PAGE_DOCUMENT;
    if (page < 0 || page >= INFO_PAGE_COUNT) page = INFO_PAGE_DOCUMENT;
    InfoDraft draft{services->title, services->print_title};
    int result = DIALOG_FAILED;
    for (;;) {
        InfoPage proc(page, *services, draft);
        result = run_dialog(PAGE_TEMPLATES[page], proc, services->owner);
        if (result < SWITCH_TO_PAGE || result >= SWITCH_TO_PAGE + INFO_PAGE_COUNT) break;
        page = result - SWITCH_TO_PAGE;
    }
    *open = false;
    if (result != DIALOG_FAILED &&
        (draft.title != services->title || draft.print_title != services->print_title)) {
        services->title = draft.title;
        services->print_title = draft.print_title;
        services->titles_changed = true;
    }
    return result;
}

}  // namespace rix
