// The FTP window: two lists, the connection, transfers and the file operations.
#include "app/publish/ftp_window.h"

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <ctime>

#include "app/publish/ftp_dialogs.h"
#include "platform/codec.h"
#include "platform/files.h"
#include "platform/ftp_client.h"
#include "publish/ftp_listing.h"

namespace rix {
namespace {

constexpr int LOG_LINES = 500;          // the log keeps its newest lines
constexpr unsigned SHORT_MS = 1500, NOTICE_MS = 3000, LONG_MS = 4000;
constexpr const char* CHOICE_LABELS[] = {"公開ﾌｫﾙﾀﾞ", "選択ﾌｫﾙﾀﾞ", "ﾏｲﾌｫﾙﾀﾞ", "既定ﾌｫﾙﾀﾞ"};

struct Side {
    int list = FTP_LOCAL_LIST;
    std::string folder;                 // local: UTF-8 path; site: absolute path in the server's bytes
    std::vector<FtpEntry> entries;      // in the order shown
    int sort_column = -1;
    bool ascending = true;
    std::array<bool, 4> next_ascending{true, true, true, true};
};

std::string sj(std::string_view utf8) { return utf8_to_sjis(utf8); }

std::string quoted(std::string_view format_utf8, std::string_view a_sjis, std::string_view b_sjis) {
    // "「%s」…「%s」…" with both parts filled, the rest converted.
    std::string out;
    std::string_view rest = format_utf8;
    for (std::string_view part : {a_sjis, b_sjis}) {
        const std::size_t at = rest.find("%s");
        if (at == std::string_view::npos) break;
        out += sj(rest.substr(0, at));
        out += part;
        rest.remove_prefix(at + 2);
    }
    return out + sj(rest);
}

bool valid_utf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        const std::size_t n = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
        if (n == 0 || i + n > s.size()) return false;
        for (std::size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += n;
    }
    return true;
}

// File bytes as the viewer shows them: UTF-8 or code page 932, "\r\n" lines, no NUL.
std::string viewer_text(std::string bytes) {
    for (char& c : bytes)
        if (c == '\0') c = ' ';
    std::string text = valid_utf8(bytes) ? sj(bytes) : bytes;
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
        out += text[i];
    }
    return out;
}

FtpEntry parent_entry() {
    FtpEntry up;
    up.raw = up.name = "..";
    up.folder = up.parent = true;
    return up;
}

std::vector<FtpEntry> local_entries(const std::string& folder) {
    std::vector<FtpEntry> out;
    if (folder != "/") out.push_back(parent_entry());
    for (const std::string& name : list_folder_names(folder)) {
        struct stat st {};
        if (::stat(join_path(folder, name).c_str(), &st) != 0) continue;
        FtpEntry e;
        e.raw = name;
        e.name = sj(name);
        e.folder = S_ISDIR(st.st_mode);
        if (!e.folder) e.size = st.st_size;
        std::tm t{};
        const std::time_t when = st.st_mtime;
        if (localtime_r(&when, &t)) {
            e.year = t.tm_year + 1900;
            e.month = t.tm_mon + 1;
            e.day = t.tm_mday;
            e.hour = t.tm_hour;
            e.minute = t.tm_min;
        }
        out.push_back(std::move(e));
    }
    return out;
}

class FtpWindow final : public DialogProcedure {
public:
    FtpWindow(SettingsState* settings, int mode, const FtpWindowServices& services)
        : settings_(settings), mode_(mode), services_(services) {
        local_.list = FTP_LOCAL_LIST;
        site_.list = FTP_SITE_LIST;
        chosen_folder_ = services.document_path.empty() ? services.current_folder : folder_of(services.document_path);
        client_.set_status_sink([this](int status, const std::string& address, long bytes) {
            log(ftp_status_line(status, address, bytes));
        });
        client_.set_progress([this](std::int64_t, std::int64_t) {
            if (services_.pump_events) services_.pump_events();
            return true;
        });
    }

    void init(DialogContext& ctx) override {
        Scope scope(this, ctx);
        ctx.set_caption(sj(mode_ == FTP_OPEN_MENU ? "　ＦＴＰ" : "　ＨＴＭＬ公開"));
        site_index_ = settings_->rec.ftp_site_index <= 2 ? settings_->rec.ftp_site_index : 0;
        first_choice_ = mode_ == FTP_OPEN_MENU ? (my_folder().empty() ? FTP_LOCAL_CHOSEN : FTP_LOCAL_MINE)
                                               : FTP_LOCAL_PUBLISH;
        ctx.set_radio(FTP_SIDE_LOCAL, FTP_SIDE_SITE, FTP_SIDE_LOCAL);
        ctx.set_check(FTP_SORT_LINKED, settings_->rec.ftp_sort_linked != 0);
        ctx.enable(FTP_CHOOSE, static_cast<bool>(services_.choose_folder));
        show_sites(ctx);
        reset_log(ctx);
        if (mode_ == FTP_OPEN_PAGE || mode_ == FTP_OPEN_LIST) prepare_publish_folder(mode_, services_, ctx.window());
        set_choice(ctx, first_choice_);
        show_connection(ctx);
    }

    bool command(DialogContext& ctx, int id, int notification) override {
        Scope scope(this, ctx);
        if ((id == FTP_LOCAL_LIST || id == FTP_SITE_LIST) && is_column_click(notification)) {
            sort_by(ctx, id == FTP_LOCAL_LIST ? local_ : site_, clicked_column(notification));
            return true;
        }
        if ((id == FTP_LOCAL_LIST || id == FTP_SITE_LIST) && notification == NOTIFY_DOUBLE_CLICK) {
            open_row(ctx, id == FTP_LOCAL_LIST ? local_ : site_);
            return true;
        }
        if (id >= FTP_SITE_FIRST && id < FTP_SITE_FIRST + 3 && notification == NOTIFY_CLICKED) {
            site_index_ = id - FTP_SITE_FIRST;
            settings_->rec.ftp_site_index = static_cast<std::uint8_t>(site_index_);
            mark_settings_changed(settings_);
            show_sites(ctx);
            return true;
        }
        if (notification != NOTIFY_CLICKED) return false;
        switch (id) {
        case FTP_CONNECT:
            if (client_.connected())
                disconnect(ctx);
            else
                connect_site(ctx);
            return true;
        case FTP_UPLOAD: transfer(ctx, true); return true;
        case FTP_DOWNLOAD: transfer(ctx, false); return true;
        case FTP_VIEW: view(ctx); return true;
        case FTP_MAKE_FOLDER: make_folder(ctx); return true;
        case FTP_RENAME: rename(ctx); return true;
        case FTP_DELETE: remove(ctx); return true;
        case FTP_SWITCH: switch_choice(ctx); return true;
        case FTP_CHOOSE: choose(ctx); return true;
        case FTP_DETAILS:
            if (open_ftp_site_dialog(settings_, site_index_, services_, ctx.window())) {
                show_sites(ctx);
                if (choice_ == FTP_LOCAL_MINE) set_choice(ctx, FTP_LOCAL_MINE);
            }
            return true;
        case FTP_SORT_LINKED: return true;
        default: return false;
        }
    }

    bool ok(DialogContext&) override { return false; }

    void cancel(DialogContext& ctx) override {
        Scope scope(this, ctx);
        if (client_.connected()) disconnect(ctx);
        SettingsRecord& r = settings_->rec;
        const auto linked = static_cast<std::uint8_t>(ctx.get_check(FTP_SORT_LINKED) ? 1 : 0);
        if (r.ftp_site_index != site_index_ || r.ftp_sort_linked != linked) {
            r.ftp_site_index = static_cast<std::uint8_t>(site_index_);
            r.ftp_sort_linked = linked;
            mark_settings_changed(settings_);
        }
    }

private:
    // The context of the call running, for the log lines the client reports.
    struct Scope {
        Scope(FtpWindow* w, DialogContext& ctx) : window(w), before(w->ctx_) { w->ctx_ = &ctx; }
        ~Scope() { window->ctx_ = before; }
        FtpWindow* window;
        DialogContext* before;
    };

    void note(DialogContext& ctx, std::string_view utf8, unsigned ms) { ctx.show_message(MSG_NOTICE, sj(utf8), ms); }

    // ---- sites and the connection ----

    FtpSite site(int s) const {
        const SettingsRecord& r = settings_->rec;
        return FtpSite{std::string(read_field(r.ftp_site_name[s], sizeof r.ftp_site_name[s])),
                       std::string(read_field(r.ftp_host[s], sizeof r.ftp_host[s])),
                       std::string(read_field(r.ftp_user[s], sizeof r.ftp_user[s])),
                       std::string(read_field(r.ftp_password[s], sizeof r.ftp_password[s])),
                       std::string(read_field(r.ftp_site_folder[s], sizeof r.ftp_site_folder[s])),
                       std::string(read_field(r.ftp_local_folder[s], sizeof r.ftp_local_folder[s]))};
    }
    std::string my_folder() const { return sjis_to_utf8(site(site_index_).local_folder); }

    void show_sites(DialogContext& ctx) {
        ctx.set_radio(FTP_SITE_FIRST, FTP_SITE_FIRST + 2, FTP_SITE_FIRST + site_index_);
        for (int s = 0; s < 3; ++s) {
            ctx.set_text(FTP_SITE_NAME_FIRST + s, site(s).name);
            ctx.enable(FTP_SITE_NAME_FIRST + s, s == site_index_);
            ctx.enable(FTP_SITE_FIRST + s, !client_.connected());
        }
    }

    void show_connection(DialogContext& ctx) {
        const bool on = client_.connected();
        ctx.set_text(FTP_CONNECT, sj(on ? "切 断" : "接 続"));
        if (on)
            ctx.set_caption(sj("　") + site(site_index_).name + sj(" に接続中"));
        else
            ctx.set_caption(sj(mode_ == FTP_OPEN_MENU ? "　ＦＴＰ" : "　ＨＴＭＬ公開"));
        ctx.enable(FTP_DETAILS, !on);
        show_sites(ctx);
    }

    void connect_site(DialogContext& ctx) {
        const FtpSite s = site(site_index_);
        const FtpSiteFault fault = ftp_site_fault(s);
        if (fault != FtpSiteFault::NONE) {
            ctx.show_message(MSG_NOTICE, ftp_site_fault_text(fault), NOTICE_MS);
            return;
        }
        FtpLogin login;
        login.host = sjis_to_utf8(s.host);
        login.port = services_.port;
        login.user = sjis_to_utf8(s.user);
        login.password = sjis_to_utf8(s.password);
        const FtpResult r = client_.connect(login);
        if (!r.ok()) {
            if (!r.detail.empty()) log(sj(r.detail));
            note(ctx, r.error == FtpError::INIT ? "インターネットを開けません｡" : "接続中にエラー発生｡", NOTICE_MS);
            return;
        }
        site_.folder = ftp_resolve(client_.entry_path(), ftp_server_name(sjis_to_utf8(s.site_folder), client_.utf8()));
        if (!list_site(ctx)) {
            client_.disconnect();
            site_.entries.clear();
            note(ctx, "フォルダの設定が出来ません｡\n[詳細]のサイトフォルダを変更してください｡", LONG_MS);
            show_connection(ctx);
            return;
        }
        show_connection(ctx);
        note(ctx, "ＦＴＰサイトに接続しました｡", SHORT_MS);
    }

    void disconnect(DialogContext& ctx) {
        client_.disconnect();
        note(ctx, "ＦＴＰをクローズしました｡", SHORT_MS / 2);
        note(ctx, "インターネットから切り離しました｡", SHORT_MS / 2);
        site_.entries.clear();
        site_.folder.clear();
        ctx.set_rows(FTP_SITE_LIST, {});
        ctx.set_text(FTP_SITE_ROWS, "");
        ctx.set_text(FTP_SITE_FOLDER, "");
        reset_log(ctx);
        show_connection(ctx);
    }

    // ---- the log ----

    void reset_log(DialogContext& ctx) {
        ctx.clear_items(FTP_LOG);
        ctx.add_item(FTP_LOG, sj("―通信経過情報―"));
    }
    void log(const std::string& line_sjis) {
        if (!ctx_ || line_sjis.empty()) return;
        while (ctx_->item_count(FTP_LOG) >= LOG_LINES) ctx_->delete_item(FTP_LOG, 1);
        const int at = ctx_->add_item(FTP_LOG, line_sjis);
        ctx_->set_selection(FTP_LOG, at);
    }

    // ---- the lists ----

    void show(DialogContext& ctx, Side& side) {
        if (side.sort_column >= 0) ftp_sort_entries(&side.entries, side.sort_column, side.ascending);
        std::vector<std::vector<std::string>> rows;
        int files = 0;
        for (const FtpEntry& e : side.entries) {
            rows.push_back(ftp_row_cells(e));
            if (!e.parent) ++files;
        }
        ctx.set_rows(side.list, std::move(rows));
        ctx.set_sort_indicator(side.list, side.sort_column, side.ascending);
        char count[32];
        std::snprintf(count, sizeof count, "%d", files);
        ctx.set_text(side.list == FTP_LOCAL_LIST ? FTP_LOCAL_ROWS : FTP_SITE_ROWS, count + sj("件"));
    }

    void list_local(DialogContext& ctx) {
        local_.entries = local_entries(local_.folder);
        ctx.set_text(FTP_LOCAL_FOLDER, sj(local_.folder));
        show(ctx, local_);
    }

    bool list_site(DialogContext& ctx) {
        std::string text;
        bool mlsd = false;
        if (!client_.list(site_.folder, &text, &mlsd).ok()) return false;
        const std::time_t now = std::time(nullptr);
        std::tm t{};
        localtime_r(&now, &t);
        FtpListing listing = parse_listing(text, mlsd, client_.utf8(), t.tm_year + 1900, t.tm_mon + 1);
        if (listing.refused > 0)
            log(sj("使えない名前の" + std::to_string(listing.refused) + "件を一覧から外しました"));
        site_.entries.clear();
        if (site_.folder != "/") site_.entries.push_back(parent_entry());
        for (FtpEntry& e : listing.entries) site_.entries.push_back(std::move(e));
        ctx.set_text(FTP_SITE_FOLDER, ftp_display_name(site_.folder, client_.utf8()));
        show(ctx, site_);
        return true;
    }

    void refresh(DialogContext& ctx, Side& side) {
        if (&side == &local_)
            list_local(ctx);
        else if (client_.connected())
            list_site(ctx);
    }

    void sort_by(DialogContext& ctx, Side& side, int column) {
        if (column < 0 || column > FTP_COLUMN_DATE) return;
        side.sort_column = column;
        side.ascending = side.next_ascending[static_cast<std::size_t>(column)];
        side.next_ascending[static_cast<std::size_t>(column)] = !side.ascending;
        show(ctx, side);
        if (ctx.get_check(FTP_SORT_LINKED)) {
            Side& other = &side == &local_ ? site_ : local_;
            other.sort_column = column;
            other.ascending = side.ascending;
            if (&other == &local_ || client_.connected()) show(ctx, other);
        }
    }

    Side& active(DialogContext& ctx) { return ctx.get_radio(FTP_SIDE_LOCAL, FTP_SIDE_SITE) == FTP_SIDE_SITE ? site_ : local_; }

    // The selected entries of a list, the parent row left out.
    std::vector<const FtpEntry*> selected(DialogContext& ctx, const Side& side, bool with_parent = false) {
        std::vector<const FtpEntry*> out;
        for (int row : ctx.selected_rows(side.list)) {
            if (row < 0 || static_cast<std::size_t>(row) >= side.entries.size()) continue;
            const FtpEntry& e = side.entries[static_cast<std::size_t>(row)];
            if (!e.parent || with_parent) out.push_back(&e);
        }
        return out;
    }

    std::string local_path(const FtpEntry& e) const { return join_path(local_.folder, e.raw); }
    std::string site_path(const FtpEntry& e) const { return ftp_join(site_.folder, e.raw); }
    std::string site_folder_text() const { return ftp_display_name(site_.folder, client_.utf8()); }

    // ---- local folder choice ----

    std::string choice_folder(int choice) const {
        switch (choice) {
        case FTP_LOCAL_PUBLISH: return join_path(services_.program_folder, FTP_PUBLISH_FOLDER);
        case FTP_LOCAL_CHOSEN: return chosen_folder_;
        case FTP_LOCAL_MINE: return my_folder();
        default: {
            const std::string folder = sjis_to_utf8(read_field(settings_->rec.document_folder, sizeof settings_->rec.document_folder));
            return folder.empty() ? services_.current_folder : folder;
        }
        }
    }

    void set_choice(DialogContext& ctx, int choice) {
        choice_ = choice;
        if (choice == FTP_LOCAL_PUBLISH) {
            const std::string folder = choice_folder(choice);
            if (!folder_exists(folder)) ::mkdir(folder.c_str(), 0755);
        }
        ctx.set_text(FTP_LOCAL_CHOICE, sj(CHOICE_LABELS[choice]));
        local_.folder = absolute_path(choice_folder(choice));
        list_local(ctx);
    }

    void switch_choice(DialogContext& ctx) {
        int next = choice_ + 1 > FTP_LOCAL_DEFAULT ? first_choice_ : choice_ + 1;
        if (next == FTP_LOCAL_MINE && my_folder().empty()) {
            note(ctx, "マイフォルダに登録がありません｡", SHORT_MS);
            next = FTP_LOCAL_DEFAULT;
        }
        set_choice(ctx, next);
    }

    void choose(DialogContext& ctx) {
        if (!services_.choose_folder) return;
        std::string folder = local_.folder;
        if (!services_.choose_folder(&folder)) return;
        chosen_folder_ = folder;
        set_choice(ctx, FTP_LOCAL_CHOSEN);
    }

    void open_row(DialogContext& ctx, Side& side) {
        const int row = ctx.get_selection(side.list);
        if (row < 0 || static_cast<std::size_t>(row) >= side.entries.size()) return;
        const FtpEntry e = side.entries[static_cast<std::size_t>(row)];
        if (!e.folder) {
            note(ctx, "フォルダではありません｡", SHORT_MS);
            return;
        }
        if (&side == &local_) {
            local_.folder = e.parent ? folder_of(local_.folder) : local_path(e);
            if (local_.folder.empty()) local_.folder = "/";
            list_local(ctx);
            return;
        }
        if (!client_.connected()) return;
        const std::string before = site_.folder;
        site_.folder = e.parent ? ftp_parent(site_.folder) : site_path(e);
        if (!list_site(ctx)) {
            site_.folder = before;
            note(ctx, "フォルダを開けません｡", NOTICE_MS);
        }
    }

    // ---- transfers ----

    void transfer(DialogContext& ctx, bool up) {
        if (!client_.connected()) {
            note(ctx, "接続されていません｡", SHORT_MS);
            return;
        }
        std::vector<FtpEntry> files;
        for (const FtpEntry* e : selected(ctx, up ? local_ : site_))
            if (!e->folder) files.push_back(*e);
        if (files.empty()) {
            note(ctx, "選択されていません", SHORT_MS);
            return;
        }
        const std::string target = up ? site_folder_text() : sj(local_.folder);
        bool all = false;
        int done = 0;
        for (const FtpEntry& e : files) {
            if (!all) {
                const int answer = ask_yes_no_all(
                    quoted(up ? "「%s」を「%s」にアップロードしますか？" : "「%s」を「%s」にダウンロードしますか？", e.name, target),
                    ctx.window());
                if (answer == DIALOG_CANCEL) break;
                if (answer == YESNOALL_NO) continue;
                all = answer == YESNOALL_ALL;
            }
            if (!(up ? upload(e) : download(e))) {
                note(ctx, up ? "アップロードに失敗しました｡" : "ダウンロードに失敗しました｡", NOTICE_MS);
                break;
            }
            ++done;
        }
        if (done == 0) return;
        refresh(ctx, up ? site_ : local_);
        note(ctx, up ? "アップロードしました｡" : "ダウンロードしました｡", SHORT_MS);
    }

    bool upload(const FtpEntry& e) {
        if (!ftp_name_safe(e.raw)) return false;
        const FtpResult r = client_.upload(local_path(e), ftp_join(site_.folder, ftp_server_name(e.raw, client_.utf8())));
        if (!r.ok() && !r.detail.empty()) log(sj(r.detail));
        return r.ok();
    }

    bool download(const FtpEntry& e) {
        if (!ftp_server_name_safe(e.raw, client_.utf8())) return false;
        const std::string target = join_path(local_.folder, ftp_local_name(e.raw, client_.utf8()));
        const FtpResult r = client_.download(site_path(e), target);
        if (!r.ok() && !r.detail.empty()) log(sj(r.detail));
        return r.ok();
    }

    // ---- view, create, rename, delete ----

    void view(DialogContext& ctx) {
        Side& side = active(ctx);
        const std::vector<const FtpEntry*> rows = selected(ctx, side, true);
        if (rows.empty()) return note(ctx, "選択されていません｡", SHORT_MS);
        if (rows.size() > 1) return note(ctx, "複数選択されています｡", SHORT_MS);
        const FtpEntry e = *rows.front();
        if (e.folder) {
            ctx.show_message(MSG_NOTICE, quoted("「%s」はファイルではありません", e.name, ""), SHORT_MS);
            return;
        }
        // The listed size is only a hint: the read stops at the cap whatever it said.
        const std::size_t cap =
            e.size >= 0 && static_cast<std::uint64_t>(e.size) + 2048 < FTP_VIEW_CAP ? static_cast<std::size_t>(e.size) + 2048 : FTP_VIEW_CAP;
        std::string bytes;
        bool truncated = false;
        if (&side == &local_) {
            const int fd = open_regular_file(local_path(e));
            if (fd < 0) return note(ctx, "ファイルオープンの失敗｡", NOTICE_MS);
            ::close(fd);
            if (!read_file_prefix(local_path(e), cap, &bytes)) return note(ctx, "読み出し失敗", NOTICE_MS);
            truncated = bytes.size() == cap && file_size(local_path(e)) > static_cast<std::int64_t>(cap);
        } else {
            if (!client_.connected()) return note(ctx, "接続されていません｡", SHORT_MS);
            const FtpResult r = client_.read(site_path(e), cap, &bytes, &truncated);
            if (!r.ok()) {
                const bool opened = r.error != FtpError::NOT_FOUND && r.error != FtpError::REFUSED;
                return note(ctx, opened ? "読み出し失敗" : "FtpOpenFileの失敗です", NOTICE_MS);
            }
        }
        std::string text = viewer_text(std::move(bytes));
        if (truncated) text += sj("\r\n……（先頭の" + std::to_string(cap) + "バイトまで）");
        show_text_viewer(e.name, text, ctx.window());
    }

    void make_folder(DialogContext& ctx) {
        Side& side = active(ctx);
        if (&side == &site_ && !client_.connected()) return note(ctx, "接続されていません｡", SHORT_MS);
        std::string name_sjis;
        if (!ask_folder_name(&name_sjis, ctx.window()) || name_sjis.empty()) return;
        const std::string name = sjis_to_utf8(name_sjis);
        if (!ftp_name_safe(name)) return note(ctx, "その名前は使えません｡", NOTICE_MS);
        bool ok;
        if (&side == &local_) {
            ok = ::mkdir(join_path(local_.folder, name).c_str(), 0755) == 0;
        } else {
            ok = client_.make_folder(ftp_join(site_.folder, ftp_server_name(name, client_.utf8()))).ok();
        }
        if (!ok) note(ctx, "フォルダを作成できませんでした｡", NOTICE_MS);
        refresh(ctx, side);
    }

    void rename(DialogContext& ctx) {
        Side& side = active(ctx);
        if (&side == &site_ && !client_.connected()) return note(ctx, "接続されていません｡", SHORT_MS);
        const std::vector<const FtpEntry*> rows = selected(ctx, side);
        if (rows.empty()) return note(ctx, "選択されていません｡", SHORT_MS);
        if (rows.size() > 1) return note(ctx, "複数選択されています｡", SHORT_MS);
        const FtpEntry e = *rows.front();
        std::string name_sjis;
        if (!ask_new_name(e.name, &name_sjis, ctx.window()) || name_sjis.empty() || name_sjis == e.name) return;
        const std::string name = sjis_to_utf8(name_sjis);
        if (!ftp_name_safe(name)) return note(ctx, "その名前は使えません｡", NOTICE_MS);
        if (&side == &local_) {
            if (!rename_no_overwrite(local_path(e), join_path(local_.folder, name)))
                note(ctx, errno == EEXIST ? "同じ名前のファイルがあります｡" : "名前を変更できませんでした｡", NOTICE_MS);
        } else {
            const std::string raw = ftp_server_name(name, client_.utf8());
            // The server might replace a file of that name: a listed one is refused.
            for (const FtpEntry& other : site_.entries)
                if (other.raw == raw) return note(ctx, "同じ名前のファイルがあります｡", NOTICE_MS);
            if (!client_.rename(site_path(e), ftp_join(site_.folder, raw)).ok())
                note(ctx, "名前を変更できませんでした｡", NOTICE_MS);
        }
        refresh(ctx, side);
    }

    void remove(DialogContext& ctx) {
        Side& side = active(ctx);
        const bool local = &side == &local_;
        if (!local && !client_.connected()) return note(ctx, "接続されていません｡", SHORT_MS);
        std::vector<FtpEntry> rows;
        for (const FtpEntry* e : selected(ctx, side)) rows.push_back(*e);
        if (rows.empty()) return note(ctx, "選択されていません｡", SHORT_MS);
        const std::string folder = local ? sj(local_.folder) : site_folder_text();
        bool all = false;
        for (const FtpEntry& e : rows) {
            if (!all) {
                const int answer = ask_yes_no_all(quoted("「%s」から「%s」を削除しますか？", folder, e.name), ctx.window());
                if (answer == DIALOG_CANCEL) break;
                if (answer == YESNOALL_NO) continue;
                all = answer == YESNOALL_ALL;
            }
            bool ok;
            if (local) {
                const std::string path = local_path(e);
                if (e.folder)
                    ok = ::rmdir(path.c_str()) == 0;
                else   // a file without write permission (the edited document's in-use mark) stays
                    ok = !is_read_only(path) && !(services_.document_path.size() && same_file(path, services_.document_path)) &&
                         ::unlink(path.c_str()) == 0;
            } else {
                ok = (e.folder ? client_.remove_folder(site_path(e)) : client_.delete_file(site_path(e))).ok();
            }
            if (!ok)
                note(ctx, e.folder ? "フォルダの削除に失敗しました｡\nフォルダ内にファイルが存在しないか確認してください｡"
                                   : "削除出来ませんでした｡",
                     NOTICE_MS);
        }
        refresh(ctx, side);
    }

    SettingsState* settings_;
    int mode_;
    const FtpWindowServices& services_;
    FtpClient client_;
    Side local_, site_;
    int site_index_ = 0;
    int choice_ = FTP_LOCAL_CHOSEN, first_choice_ = FTP_LOCAL_CHOSEN;
    std::string chosen_folder_;
    DialogContext* ctx_ = nullptr;
};

}  // namespace

void open_ftp_window(SettingsState* settings, int mode, const FtpWindowServices& services, WindowRef owner) {
    FtpWindow proc(settings, mode, services);
    run_dialog("HTML_FTP", proc, owner);
}

}  // namespace rix
