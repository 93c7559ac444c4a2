// The HTML dialogs HTML_MAKE, HTML_SEL and HTML_COL (see html_dialog.h).
#include "app/publish/html_dialog.h"

#include <algorithm>

#include "app/documents/output_path.h"
#include "display/screen_format.h"
#include "document/extension_file.h"
#include "platform/codec.h"
#include "platform/file_names.h"
#include "platform/files.h"
#include "platform/messages.h"
#include "publish/html_list.h"

namespace rix {
namespace {

constexpr unsigned BAD_PERCENT_MS = 5000;
constexpr unsigned NO_DOCUMENTS_MS = 10000;
constexpr unsigned MODIFIED_MS = 7000;
constexpr unsigned NOTICE_MS = 3000;
constexpr unsigned LIMIT_MS = 3500;
constexpr unsigned NOT_A_LIST_MS = 5000;
constexpr int MIN_PERCENT = 10, MAX_PERCENT = 100;
constexpr int RUBY_CHOICES = 5, TITLE_CHOICES = 3, HELP_LINES = 3, HELP_SIZES = 3, PALETTE = 16;
constexpr std::size_t DOCUMENT_TITLE_BYTES = 24, PRINT_TITLE_BYTES = 40, CUSTOM_PAIR_BYTES = 4;
constexpr std::size_t LIST_FILE_LIMIT = 1 << 20;   // a list of 300 lines is far smaller

std::string text(const char* utf8) { return utf8_to_sjis(utf8); }

std::string cut(std::string_view cp932, std::size_t limit) {
    return std::string(cp932.substr(0, cut_on_boundary(cp932, limit)));
}

const char* const FORM_DESCRIPTIONS[2] = {
    "縦書ページ(CSS)：本文とルビをそのまま書き込み、スタイルシートで縦書にしたページを作ります。"
    "ブラウザだけで原稿の体裁のまま読めます。",
    "縦書ビューア：縦書アプレット(rix.class)に文書ファイルを頁ごとに表示させるページを作ります。"
    "複数の文書を一つのページから読ませることもできます。",
};

// The title a mode names, from two boxes (or an entry's two titles).
const std::string& title_of(int mode, const std::string& document_title, const std::string& print_title) {
    static const std::string none;
    if (mode == HTML_TITLE_DOCUMENT) return document_title;
    if (mode == HTML_TITLE_PRINT) return print_title;
    return none;
}

class HtmlMakeDialog final : public DialogProcedure {
public:
    HtmlMakeDialog(SettingsState* settings, HtmlSession* session, HtmlMakeServices* services)
        : settings_(settings), session_(session), services_(services) {}

    void init(DialogContext& ctx) override {
        const SettingsRecord& r = settings_->rec;
        const bool viewer = r.html_format == 1;
        ctx.set_radio(HTML_MAKE_FORM_VERTICAL, HTML_MAKE_FORM_VIEWER,
                      viewer ? HTML_MAKE_FORM_VIEWER : HTML_MAKE_FORM_VERTICAL);
        ctx.set_radio(HTML_MAKE_MINCHO, HTML_MAKE_GOTHIC, r.html_font == 1 ? HTML_MAKE_GOTHIC : HTML_MAKE_MINCHO);
        ctx.set_check(HTML_MAKE_BOLD, r.html_bold != 0);
        ctx.set_check(HTML_MAKE_NEXT_GUIDE, r.html_next_guide != 0);
        ctx.set_check(HTML_MAKE_PREV_GUIDE, r.html_prev_guide != 0);
        ctx.set_check(HTML_MAKE_BACK_BUTTON, r.html_back_button != 0);
        const int ruby = r.html_ruby_separators < RUBY_CHOICES ? r.html_ruby_separators : 0;
        ctx.set_radio(HTML_MAKE_RUBY_FIRST, HTML_MAKE_RUBY_FIRST + RUBY_CHOICES - 1, HTML_MAKE_RUBY_FIRST + ruby);
        ctx.set_text(HTML_MAKE_RUBY_CUSTOM,
                     cut(read_field(r.html_custom_separators, sizeof r.html_custom_separators), CUSTOM_PAIR_BYTES));
        const int title = r.html_title_mode < TITLE_CHOICES ? r.html_title_mode : 0;
        ctx.set_radio(HTML_MAKE_TITLE_FIRST, HTML_MAKE_TITLE_FIRST + TITLE_CHOICES - 1, HTML_MAKE_TITLE_FIRST + title);
        ctx.set_text(HTML_MAKE_DOCUMENT_TITLE, cut(services_->document_title, DOCUMENT_TITLE_BYTES));
        ctx.set_text(HTML_MAKE_PRINT_TITLE, cut(services_->print_title, PRINT_TITLE_BYTES));
        for (int b = 0; b < HELP_LINES; ++b) ctx.set_check(HTML_MAKE_HELP_LINE_FIRST + b, (r.html_help_lines >> b) & 1);
        const int help_size = r.html_help_size < HELP_SIZES ? r.html_help_size : 0;
        ctx.set_radio(HTML_MAKE_HELP_SIZE_FIRST, HTML_MAKE_HELP_SIZE_FIRST + HELP_SIZES - 1,
                      HTML_MAKE_HELP_SIZE_FIRST + help_size);
        ctx.set_radio(HTML_MAKE_SIZE_FIXED, HTML_MAKE_SIZE_PERCENT,
                      (r.html_size_mode & 1) ? HTML_MAKE_SIZE_PERCENT : HTML_MAKE_SIZE_FIXED);
        ctx.set_number(HTML_MAKE_HEIGHT_PERCENT, r.html_height_percent);
        ctx.set_number(HTML_MAKE_WIDTH_PERCENT, r.html_width_percent);

        // The names: those kept for this document, else proposed from it.
        const std::string document_name = name_of(services_->document_path);
        if (session_->for_document != services_->document_path) {
            session_->for_document = services_->document_path;
            session_->html_name.clear();
            session_->text_target.clear();
        }
        if (session_->html_name.empty() && !document_name.empty())
            session_->html_name = name_with_extension(document_name, "htm");
        ctx.set_text(HTML_MAKE_FILE, utf8_to_sjis(session_->html_name));
        ctx.set_text(HTML_MAKE_LIST_FILE, utf8_to_sjis(next_html_list_name(services_->folder_names, document_name)));
        // Several documents start switched off; the list and its choices stay.
        ctx.set_check(HTML_MAKE_SEVERAL, false);
        ctx.set_check(HTML_MAKE_PAGE_EACH, session_->page_each);
        ctx.set_radio(HTML_MAKE_FIRST_DOCUMENT, HTML_MAKE_FIRST_LIST,
                      session_->first_document < 0 ? HTML_MAKE_FIRST_LIST : HTML_MAKE_FIRST_DOCUMENT);
        ctx.set_number(HTML_MAKE_FIRST_NUMBER, std::max(1, session_->first_document));
        show_count(ctx);
        enable(ctx);
    }

    bool command(DialogContext& ctx, int id, int) override {
        switch (id) {
        case HTML_MAKE_FORM_VERTICAL:
        case HTML_MAKE_FORM_VIEWER:
        case HTML_MAKE_SEVERAL:
        case HTML_MAKE_FIRST_DOCUMENT:
        case HTML_MAKE_FIRST_LIST:
        case HTML_MAKE_SIZE_FIXED:
        case HTML_MAKE_SIZE_PERCENT:
            enable(ctx);
            return true;
        case HTML_MAKE_SELECT:
            open_html_select(session_, services_->select, ctx.window());
            show_count(ctx);
            return true;
        case HTML_MAKE_RUBY_EXPORT:
            if (!store(ctx) || !services_->ruby_export) return true;
            if (std::string target = services_->ruby_export(); !target.empty()) session_->text_target = target;
            return true;
        case HTML_MAKE_PUBLISH:
            if (services_->publish) services_->publish(session_->made);
            return true;
        case HTML_MAKE_COLOURS:
            open_html_colours(settings_, ctx.window());
            return true;
        case HTML_MAKE_HELP:
            show_help("HTML");
            return true;
        default:
            if ((id >= HTML_MAKE_RUBY_FIRST && id < HTML_MAKE_RUBY_FIRST + RUBY_CHOICES) ||
                (id >= HTML_MAKE_TITLE_FIRST && id < HTML_MAKE_TITLE_FIRST + TITLE_CHOICES)) {
                enable(ctx);
                return true;
            }
            return false;
        }
    }

    // 作 成 makes the pages and leaves the dialog open.
    bool ok(DialogContext& ctx) override {
        if (store(ctx)) create(ctx);
        return false;
    }
    void cancel(DialogContext&) override {}

private:
    bool viewer(const DialogContext& ctx) const { return ctx.get_check(HTML_MAKE_FORM_VIEWER); }
    bool several(const DialogContext& ctx) const { return viewer(ctx) && ctx.get_check(HTML_MAKE_SEVERAL); }

    void show_count(DialogContext& ctx) {
        const int count = static_cast<int>(session_->documents.size());
        ctx.set_text(HTML_MAKE_COUNT, text(("登録 " + std::to_string(count) + " 件").c_str()));
        bool number = false;
        const int first = ctx.get_number(HTML_MAKE_FIRST_NUMBER, &number);
        if (!number || first < 1 || (count > 0 && first > count))
            ctx.set_number(HTML_MAKE_FIRST_NUMBER, std::clamp(number ? first : 1, 1, std::max(1, count)));
    }

    void enable(DialogContext& ctx) {
        const bool v = viewer(ctx);
        ctx.set_text(HTML_MAKE_DESCRIPTION, text(FORM_DESCRIPTIONS[v ? 1 : 0]));
        for (int id : {HTML_MAKE_NEXT_GUIDE, HTML_MAKE_PREV_GUIDE, HTML_MAKE_BACK_BUTTON, HTML_MAKE_SIZE_FIXED,
                       HTML_MAKE_SIZE_PERCENT, HTML_MAKE_SEVERAL})
            ctx.enable(id, v);
        for (int i = 0; i < RUBY_CHOICES; ++i) ctx.enable(HTML_MAKE_RUBY_FIRST + i, v);
        ctx.enable(HTML_MAKE_RUBY_CUSTOM, v && ctx.get_check(HTML_MAKE_RUBY_FIRST + RUBY_CHOICES - 1));
        for (int i = 0; i < HELP_LINES; ++i) ctx.enable(HTML_MAKE_HELP_LINE_FIRST + i, v);
        for (int i = 0; i < HELP_SIZES; ++i) ctx.enable(HTML_MAKE_HELP_SIZE_FIRST + i, v);
        const bool percent = v && ctx.get_check(HTML_MAKE_SIZE_PERCENT);
        ctx.enable(HTML_MAKE_HEIGHT_PERCENT, percent);
        ctx.enable(HTML_MAKE_WIDTH_PERCENT, percent);
        const bool s = several(ctx);
        for (int id : {HTML_MAKE_SELECT, HTML_MAKE_LIST_FILE, HTML_MAKE_PAGE_EACH, HTML_MAKE_FIRST_DOCUMENT,
                       HTML_MAKE_FIRST_LIST, HTML_MAKE_COUNT})
            ctx.enable(id, s);
        ctx.enable(HTML_MAKE_FIRST_NUMBER, s && ctx.get_check(HTML_MAKE_FIRST_DOCUMENT));
        const int title = ctx.get_radio(HTML_MAKE_TITLE_FIRST, HTML_MAKE_TITLE_FIRST + TITLE_CHOICES - 1);
        ctx.enable(HTML_MAKE_DOCUMENT_TITLE, title == HTML_MAKE_TITLE_FIRST + HTML_TITLE_DOCUMENT);
        ctx.enable(HTML_MAKE_PRINT_TITLE, title == HTML_MAKE_TITLE_FIRST + HTML_TITLE_PRINT);
        ctx.enable(HTML_MAKE_RUBY_EXPORT, static_cast<bool>(services_->ruby_export));
        ctx.enable(HTML_MAKE_PUBLISH, static_cast<bool>(services_->publish));
    }

    bool refuse(DialogContext& ctx, int id, const char* utf8, unsigned ms = NOTICE_MS) {
        ctx.show_message(MSG_NOTICE, text(utf8), ms);
        ctx.focus(id);
        return false;
    }

    // A file name typed into `id`: a bare name (no folder), as UTF-8.
    bool file_name(DialogContext& ctx, int id, std::string* utf8) {
        const std::string typed = ctx.get_text(id);
        if (typed.empty()) return refuse(ctx, id, "ファイル名を入力してください｡");
        if (!bare_file_name(typed) || typed.find(',') != std::string::npos)
            return refuse(ctx, id, "ファイル名だけを入力してください｡\n（フォルダ・「,」は指定できません）");
        *utf8 = sjis_to_utf8(typed);
        return true;
    }

    // The dialog into the record and the session. False, with the
    // message, when the viewer's percentages are out of range or a file
    // name cannot be used; the valid values are stored all the same.
    bool store(DialogContext& ctx) {
        SettingsRecord& r = settings_->rec;
        r.html_format = viewer(ctx) ? 1 : 0;
        r.html_font = ctx.get_check(HTML_MAKE_GOTHIC) ? 1 : 0;
        r.html_bold = ctx.get_check(HTML_MAKE_BOLD) ? 1 : 0;
        r.html_next_guide = ctx.get_check(HTML_MAKE_NEXT_GUIDE) ? 1 : 0;
        r.html_prev_guide = ctx.get_check(HTML_MAKE_PREV_GUIDE) ? 1 : 0;
        r.html_back_button = ctx.get_check(HTML_MAKE_BACK_BUTTON) ? 1 : 0;
        if (int ruby = ctx.get_radio(HTML_MAKE_RUBY_FIRST, HTML_MAKE_RUBY_FIRST + RUBY_CHOICES - 1))
            r.html_ruby_separators = static_cast<std::uint8_t>(ruby - HTML_MAKE_RUBY_FIRST);
        store_field(r.html_custom_separators, sizeof r.html_custom_separators,
                    cut(ctx.get_text(HTML_MAKE_RUBY_CUSTOM), CUSTOM_PAIR_BYTES));
        const int title = ctx.get_radio(HTML_MAKE_TITLE_FIRST, HTML_MAKE_TITLE_FIRST + TITLE_CHOICES - 1);
        if (title) r.html_title_mode = static_cast<std::uint8_t>(title - HTML_MAKE_TITLE_FIRST);
        std::uint8_t lines = r.html_help_lines & ~((1u << HELP_LINES) - 1);
        for (int b = 0; b < HELP_LINES; ++b)
            if (ctx.get_check(HTML_MAKE_HELP_LINE_FIRST + b)) lines |= static_cast<std::uint8_t>(1u << b);
        r.html_help_lines = lines;
        if (int size = ctx.get_radio(HTML_MAKE_HELP_SIZE_FIRST, HTML_MAKE_HELP_SIZE_FIRST + HELP_SIZES - 1))
            r.html_help_size = static_cast<std::uint8_t>(size - HTML_MAKE_HELP_SIZE_FIRST);
        const bool percent = ctx.get_check(HTML_MAKE_SIZE_PERCENT);
        r.html_size_mode = static_cast<std::uint8_t>((r.html_size_mode & ~1u) | (percent ? 1u : 0u));
        bool height_ok = false, width_ok = false;
        const int height = ctx.get_number(HTML_MAKE_HEIGHT_PERCENT, &height_ok);
        const int width = ctx.get_number(HTML_MAKE_WIDTH_PERCENT, &width_ok);
        height_ok = height_ok && height >= MIN_PERCENT && height <= MAX_PERCENT;
        width_ok = width_ok && width >= MIN_PERCENT && width <= MAX_PERCENT;
        if (height_ok) r.html_height_percent = static_cast<std::uint8_t>(height);
        if (width_ok) r.html_width_percent = static_cast<std::uint8_t>(width);
        mark_settings_changed(settings_);

        session_->several = ctx.get_check(HTML_MAKE_SEVERAL);
        session_->page_each = ctx.get_check(HTML_MAKE_PAGE_EACH);
        bool number = false;
        const int first = ctx.get_number(HTML_MAKE_FIRST_NUMBER, &number);
        session_->first_document = ctx.get_check(HTML_MAKE_FIRST_LIST) ? -1 : (number ? std::max(1, first) : 1);

        if (viewer(ctx) && percent && !(height_ok && width_ok))
            return refuse(ctx, height_ok ? HTML_MAKE_WIDTH_PERCENT : HTML_MAKE_HEIGHT_PERCENT,
                          "画面割合の設定値が不正です｡", BAD_PERCENT_MS);
        std::string name;
        if (!file_name(ctx, HTML_MAKE_FILE, &name)) return false;
        session_->html_name = name;
        if (several(ctx)) {
            if (!file_name(ctx, HTML_MAKE_LIST_FILE, &name)) return false;
            session_->list_name = name;
        }
        return true;
    }

    void create(DialogContext& ctx) {
        const int mode = ctx.get_radio(HTML_MAKE_TITLE_FIRST, HTML_MAKE_TITLE_FIRST + TITLE_CHOICES - 1) -
                         HTML_MAKE_TITLE_FIRST;
        const std::string document_title = cut(ctx.get_text(HTML_MAKE_DOCUMENT_TITLE), DOCUMENT_TITLE_BYTES);
        const std::string print_title = cut(ctx.get_text(HTML_MAKE_PRINT_TITLE), PRINT_TITLE_BYTES);
        const std::string title = title_of(mode, document_title, print_title);
        if (several(ctx)) {
            create_list_pages(ctx, title);
            return;
        }
        services_->document_title = document_title;
        services_->print_title = print_title;
        services_->titles_changed = true;
        std::string page;
        if (viewer(ctx)) {
            if (services_->modified && services_->modified()) {
                ctx.show_message(MSG_NOTICE, text("文章が変更されています。\n文章を保存してから再実行してください。"),
                                 MODIFIED_MS);
                return;
            }
            const std::string& shown =
                session_->text_target.empty() ? services_->document_path : session_->text_target;
            if (services_->write_viewer) page = services_->write_viewer(0, session_->html_name, name_of(shown), title);
        } else if (services_->write_vertical) {
            page = services_->write_vertical(session_->html_name, title);
        }
        if (page.empty()) return;
        session_->made = HTML_MADE_PAGE;
        session_->made_page = page;
        session_->made_list.clear();
    }

    void create_list_pages(DialogContext& ctx, const std::string& title) {
        const int count = static_cast<int>(session_->documents.size());
        if (count == 0) {
            ctx.show_message(MSG_NOTICE,
                             text("文章が選択されていません。\n選択を実行するか複数文書指定を解除してください。"),
                             NO_DOCUMENTS_MS);
            return;
        }
        if (!services_->write_list || !services_->write_viewer ||
            !services_->write_list(session_->documents, session_->list_name))
            return;
        std::string first_page;
        if (session_->page_each) {
            for (int n = 1; n <= count; ++n) {
                std::string page =
                    services_->write_viewer(n, numbered_page_name(session_->html_name, n), session_->list_name, title);
                if (page.empty()) return;
                if (n == 1) first_page = page;
            }
        } else {
            const int start = session_->first_document < 0 ? -1 : std::clamp(session_->first_document, 1, count);
            first_page = services_->write_viewer(start, session_->html_name, session_->list_name, title);
            if (first_page.empty()) return;
        }
        session_->made = HTML_MADE_LIST;
        session_->made_page = first_page;
        session_->made_list = join_path(folder_of(services_->document_path), session_->list_name);
    }

    SettingsState* settings_;
    HtmlSession* session_;
    HtmlMakeServices* services_;
};

class HtmlSelectDialog final : public DialogProcedure {
public:
    HtmlSelectDialog(HtmlSession* session, const HtmlSelectServices& services)
        : session_(session), services_(services) {}

    void init(DialogContext& ctx) override {
        ctx.enable(HTML_SEL_ADD, static_cast<bool>(services_.choose_documents));
        ctx.enable(HTML_SEL_READ_LIST, static_cast<bool>(services_.choose_list_file));
        ctx.enable(HTML_SEL_PREVIEW, static_cast<bool>(services_.preview_file));
        fill(ctx, session_->documents.empty() ? -1 : 0);
    }

    bool command(DialogContext& ctx, int id, int notification) override {
        auto& list = session_->documents;
        const int row = ctx.get_selection(HTML_SEL_LIST);
        const bool has_row = row >= 0 && row < static_cast<int>(list.size());
        switch (id) {
        case HTML_SEL_LIST:
            if (notification == NOTIFY_SELECTION) show_row(ctx);
            return true;
        case HTML_SEL_ADD:
            add_documents(ctx);
            return true;
        case HTML_SEL_READ_LIST:
            read_list(ctx);
            return true;
        case HTML_SEL_DELETE:
            if (!has_row) return true;
            list.erase(list.begin() + row);
            fill(ctx, std::min(row, static_cast<int>(list.size()) - 1));
            return true;
        case HTML_SEL_DELETE_ALL:
            if (list.empty() ||
                ctx.show_message(MSG_YES_NO, text("全てのデータを削除しますか？")) != MSG_RESULT_YES)
                return true;
            list.clear();
            fill(ctx, -1);
            return true;
        case HTML_SEL_UP:
        case HTML_SEL_DOWN: {
            const int to = id == HTML_SEL_UP ? row - 1 : row + 1;
            if (!has_row || to < 0 || to >= static_cast<int>(list.size())) return true;
            std::swap(list[static_cast<std::size_t>(row)], list[static_cast<std::size_t>(to)]);
            fill(ctx, to);
            return true;
        }
        case HTML_SEL_CHANGE:
            if (!has_row) return true;
            change_row(ctx, list[static_cast<std::size_t>(row)]);
            fill(ctx, row);
            return true;
        case HTML_SEL_PREVIEW:
            if (has_row && services_.preview_file) services_.preview_file(list[static_cast<std::size_t>(row)].path);
            return true;
        default:
            if (id >= HTML_SEL_TITLE_FIRST && id < HTML_SEL_TITLE_FIRST + TITLE_CHOICES) {
                enable_titles(ctx);
                return true;
            }
            return false;
        }
    }

    bool ok(DialogContext&) override { return false; }
    void cancel(DialogContext&) override {}

private:
    void fill(DialogContext& ctx, int selected) {
        std::vector<std::vector<std::string>> rows;
        rows.reserve(session_->documents.size());
        for (const HtmlDocEntry& e : session_->documents) {
            std::vector<std::string> row = html_select_row(e);
            for (std::string& cell : row) cell = utf8_to_sjis(cell);
            rows.push_back(std::move(row));
        }
        ctx.set_rows(HTML_SEL_LIST, std::move(rows));
        ctx.set_selection(HTML_SEL_LIST, selected);
        ctx.set_text(HTML_SEL_STATUS, text(("選択 " + std::to_string(session_->documents.size()) + " 件（最大 " +
                                            std::to_string(HTML_MAX_DOCUMENTS) + " 件）").c_str()));
        show_row(ctx);
    }

    // The selected row's title mode and titles in the boxes below the list.
    void show_row(DialogContext& ctx) {
        const int row = ctx.get_selection(HTML_SEL_LIST);
        const bool has_row = row >= 0 && row < static_cast<int>(session_->documents.size());
        HtmlDocEntry none;
        const HtmlDocEntry& e = has_row ? session_->documents[static_cast<std::size_t>(row)] : none;
        const int mode = std::clamp(e.title_mode, 0, TITLE_CHOICES - 1);
        ctx.set_radio(HTML_SEL_TITLE_FIRST, HTML_SEL_TITLE_FIRST + TITLE_CHOICES - 1, HTML_SEL_TITLE_FIRST + mode);
        ctx.set_text(HTML_SEL_DOCUMENT_TITLE, e.document_title);
        ctx.set_text(HTML_SEL_PRINT_TITLE, e.print_title);
        for (int id : {HTML_SEL_DELETE, HTML_SEL_CHANGE, HTML_SEL_UP, HTML_SEL_DOWN}) ctx.enable(id, has_row);
        ctx.enable(HTML_SEL_DELETE_ALL, !session_->documents.empty());
        ctx.enable(HTML_SEL_PREVIEW, has_row && services_.preview_file);
        for (int i = 0; i < TITLE_CHOICES; ++i) ctx.enable(HTML_SEL_TITLE_FIRST + i, has_row);
        enable_titles(ctx);
    }

    void enable_titles(DialogContext& ctx) {
        const int mode = ctx.get_radio(HTML_SEL_TITLE_FIRST, HTML_SEL_TITLE_FIRST + TITLE_CHOICES - 1);
        const bool has_row = ctx.is_enabled(HTML_SEL_CHANGE);
        ctx.enable(HTML_SEL_DOCUMENT_TITLE, has_row && mode == HTML_SEL_TITLE_FIRST + HTML_TITLE_DOCUMENT);
        ctx.enable(HTML_SEL_PRINT_TITLE, has_row && mode == HTML_SEL_TITLE_FIRST + HTML_TITLE_PRINT);
    }

    void change_row(DialogContext& ctx, HtmlDocEntry& e) {
        const int mode = ctx.get_radio(HTML_SEL_TITLE_FIRST, HTML_SEL_TITLE_FIRST + TITLE_CHOICES - 1);
        if (mode) e.title_mode = mode - HTML_SEL_TITLE_FIRST;
        e.document_title = cut(ctx.get_text(HTML_SEL_DOCUMENT_TITLE), DOCUMENT_TITLE_BYTES);
        e.print_title = cut(ctx.get_text(HTML_SEL_PRINT_TITLE), PRINT_TITLE_BYTES);
    }

    bool full(DialogContext& ctx) {
        if (session_->documents.size() < static_cast<std::size_t>(HTML_MAX_DOCUMENTS)) return false;
        ctx.show_message(MSG_NOTICE, text((" 選択の最大数は" + std::to_string(HTML_MAX_DOCUMENTS) + "です。").c_str()),
                         LIMIT_MS);
        return true;
    }

    // A document whose name the list file can carry: code page 932, no comma.
    bool listable(DialogContext& ctx, const std::string& path) {
        const std::string name = name_of(path);
        if (!name.empty() && name.find(',') == std::string::npos && utf8_fits_sjis(name)) return true;
        ctx.show_message(MSG_NOTICE, utf8_to_sjis(name) +
                                         text("\nはリストに加えられません｡\n（ファイル名に「,」か、表せない文字があります）"),
                         NOTICE_MS);
        return false;
    }

    static HtmlDocEntry entry_for(const std::string& path) {
        HtmlDocEntry e;
        e.path = path;
        ExtensionHeader header;
        if (read_extension_header(path, &header) == ExtensionStatus::OK) {
            e.document_title = cut(header.title, DOCUMENT_TITLE_BYTES);
            e.print_title = cut(header.print_title, PRINT_TITLE_BYTES);
        }
        e.title_mode = !e.document_title.empty() ? HTML_TITLE_DOCUMENT
                       : !e.print_title.empty()  ? HTML_TITLE_PRINT
                                                 : HTML_TITLE_NONE;
        return e;
    }

    void add_documents(DialogContext& ctx) {
        std::vector<std::string> paths;
        if (!services_.choose_documents || !services_.choose_documents(&paths)) return;
        const int before = static_cast<int>(session_->documents.size());
        for (const std::string& path : paths) {
            if (full(ctx)) break;
            if (listable(ctx, path)) session_->documents.push_back(entry_for(path));
        }
        fill(ctx, static_cast<int>(session_->documents.size()) > before ? before : ctx.get_selection(HTML_SEL_LIST));
    }

    void read_list(DialogContext& ctx) {
        std::string path, bytes;
        if (!services_.choose_list_file || !services_.choose_list_file(&path)) return;
        const std::string shown = utf8_to_sjis(name_of(path));
        if (file_size(path) > static_cast<std::int64_t>(LIST_FILE_LIMIT) || !read_whole_file(path, &bytes)) {
            ctx.show_message(MSG_NOTICE, shown + text("は\nリストファイルではありません。"), NOT_A_LIST_MS);
            return;
        }
        const HtmlListRead read = read_html_list(bytes);
        const int before = static_cast<int>(session_->documents.size());
        const std::string folder = folder_of(path);
        bool stopped = false;
        for (const HtmlListLine& line : read.lines) {
            if (full(ctx)) {
                stopped = true;
                break;
            }
            HtmlDocEntry e = entry_for(join_path(folder, sjis_to_utf8(line.file)));
            e.print_title = line.title;
            e.title_mode = HTML_TITLE_PRINT;
            session_->documents.push_back(std::move(e));
        }
        if (read.bad && !stopped)
            ctx.show_message(MSG_NOTICE, shown + text("は\nリストファイルではありません。"), NOT_A_LIST_MS);
        fill(ctx, static_cast<int>(session_->documents.size()) > before ? before : ctx.get_selection(HTML_SEL_LIST));
    }

    HtmlSession* session_;
    const HtmlSelectServices& services_;
};

class HtmlColourDialog final : public DialogProcedure {
public:
    explicit HtmlColourDialog(SettingsState* settings) : settings_(settings) {}

    void init(DialogContext& ctx) override {
        const SettingsRecord& r = settings_->rec;
        for (int i = 0; i < PALETTE; ++i) ctx.set_colour(HTML_COL_SWATCH_FIRST + i, BASIC_PALETTE[i]);
        ctx.set_radio(HTML_COL_HELP_FIRST, HTML_COL_HELP_FIRST + PALETTE - 1,
                      HTML_COL_HELP_FIRST + (r.html_help_colour < PALETTE ? r.html_help_colour : 0));
        ctx.set_radio(HTML_COL_GUIDE_FIRST, HTML_COL_GUIDE_FIRST + PALETTE - 1,
                      HTML_COL_GUIDE_FIRST + (r.html_guide_colour < PALETTE ? r.html_guide_colour : 0));
    }
    // The swatches only show their colours.
    bool command(DialogContext&, int id, int) override {
        return id >= HTML_COL_SWATCH_FIRST && id < HTML_COL_SWATCH_FIRST + PALETTE;
    }
    bool ok(DialogContext& ctx) override {
        SettingsRecord& r = settings_->rec;
        if (int help = ctx.get_radio(HTML_COL_HELP_FIRST, HTML_COL_HELP_FIRST + PALETTE - 1))
            r.html_help_colour = static_cast<std::uint8_t>(help - HTML_COL_HELP_FIRST);
        if (int guide = ctx.get_radio(HTML_COL_GUIDE_FIRST, HTML_COL_GUIDE_FIRST + PALETTE - 1))
            r.html_guide_colour = static_cast<std::uint8_t>(guide - HTML_COL_GUIDE_FIRST);
        mark_settings_changed(settings_);
        return true;
    }
    void cancel(DialogContext&) override {}

private:
    SettingsState* settings_;
};

}  // namespace

std::string numbered_page_name(const std::string& html_name, int number) {
    const std::string stem(stem_of(html_name));
    const std::string extension = html_name.substr(stem.size());
    std::string digits = std::to_string(number);
    if (digits.size() < 3) digits.insert(0, 3 - digits.size(), '0');
    return stem + digits + extension;
}

std::vector<std::string> html_select_row(const HtmlDocEntry& entry) {
    return {folder_of(entry.path), name_of(entry.path),
            sjis_to_utf8(title_of(entry.title_mode, entry.document_title, entry.print_title))};
}

void open_html_dialog(SettingsState* settings, HtmlSession* session, HtmlMakeServices* services, WindowRef owner) {
    HtmlMakeDialog dialog(settings, session, services);
    run_dialog("HTML_MAKE", dialog, owner);
}

void open_html_select(HtmlSession* session, const HtmlSelectServices& services, WindowRef owner) {
    HtmlSelectDialog dialog(session, services);
    run_dialog("HTML_SEL", dialog, owner);
}

bool open_html_colours(SettingsState* settings, WindowRef owner) {
    HtmlColourDialog dialog(settings);
    return run_dialog("HTML_COL", dialog, owner) == DIALOG_OK;
}

}  // namespace rix
