// The small dialogs of the FTP window (YESNOALL, MYCREATEDIR, MYRENAME,
// MYTEXTDLG), the site details (HTML_FTP_SITE) and the publishing folder.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "app/publish/ftp_dialogs.h"
#include "app/publish/ftp_window.h"
#include "app/publish/html_dialog.h"
#include "platform/codec.h"
#include "platform/files.h"
#include "platform/messages.h"
#include "publish/ftp_listing.h"

namespace rix {
namespace {

constexpr char APPLET_NAME[] = "rix.class";

void note(WindowRef owner, std::string_view utf8, unsigned ms) {
    show_message(MSG_NOTICE, owner, utf8_to_sjis(utf8), ms);
}

class YesNoAll final : public DialogProcedure {
public:
    explicit YesNoAll(std::string_view text) : text_(text) {}
    void init(DialogContext& ctx) override { ctx.set_text(10, text_); }
    bool command(DialogContext& ctx, int id, int) override {
        if (id == YESNOALL_YES || id == YESNOALL_ALL || id == YESNOALL_NO) {
            ctx.end_dialog(id);
            return true;
        }
        return false;
    }
    bool ok(DialogContext&) override { return true; }
    void cancel(DialogContext&) override {}

private:
    std::string text_;
};

// MYCREATEDIR and MYRENAME: one edit (id `edit`) whose text OK hands back.
class NameDialog final : public DialogProcedure {
public:
    NameDialog(int edit, std::string old_name) : edit_(edit), old_(std::move(old_name)) {}
    void init(DialogContext& ctx) override {
        if (!old_.empty()) {
            ctx.set_text(10, old_);
            ctx.set_text(edit_, old_);
        }
        ctx.focus(edit_);
    }
    bool command(DialogContext&, int, int) override { return false; }
    bool ok(DialogContext& ctx) override {
        name = ctx.get_text(edit_);
        return true;
    }
    void cancel(DialogContext&) override {}
    std::string name;

private:
    int edit_;
    std::string old_;
};

class TextViewer final : public DialogProcedure {
public:
    TextViewer(std::string_view caption, std::string_view text) : caption_(caption), text_(text) {}
    void init(DialogContext& ctx) override {
        ctx.set_caption(caption_);
        ctx.set_text(10, text_);
    }
    bool command(DialogContext&, int, int) override { return false; }
    bool ok(DialogContext&) override { return true; }
    void cancel(DialogContext&) override {}

private:
    std::string caption_, text_;
};

class SiteDialog final : public DialogProcedure {
public:
    SiteDialog(SettingsState* settings, int site, const FtpWindowServices& services)
        : settings_(settings), site_(site), services_(services) {}
    void init(DialogContext& ctx) override {
        const SettingsRecord& r = settings_->rec;
        ctx.set_text(FTP_SITE_EDIT_NAME, read_field(r.ftp_site_name[site_], sizeof r.ftp_site_name[site_]));
        ctx.set_text(FTP_SITE_EDIT_HOST, read_field(r.ftp_host[site_], sizeof r.ftp_host[site_]));
        ctx.set_text(FTP_SITE_EDIT_USER, read_field(r.ftp_user[site_], sizeof r.ftp_user[site_]));
        ctx.set_text(FTP_SITE_EDIT_PASSWORD, read_field(r.ftp_password[site_], sizeof r.ftp_password[site_]));
        ctx.set_text(FTP_SITE_EDIT_FOLDER, read_field(r.ftp_site_folder[site_], sizeof r.ftp_site_folder[site_]));
        ctx.set_text(FTP_SITE_EDIT_LOCAL, read_field(r.ftp_local_folder[site_], sizeof r.ftp_local_folder[site_]));
        ctx.enable(FTP_SITE_BROWSE, static_cast<bool>(services_.choose_folder));
    }
    bool command(DialogContext& ctx, int id, int) override {
        if (id == FTP_SITE_HELP) {
            show_help("FTP");
            return true;
        }
        if (id == FTP_SITE_BROWSE && services_.choose_folder) {
            std::string folder = sjis_to_utf8(ctx.get_text(FTP_SITE_EDIT_LOCAL));
            if (folder.empty()) folder = services_.current_folder;
            if (services_.choose_folder(&folder)) {
                const std::string sjis = utf8_to_sjis(folder);
                if (sjis.size() > 63 || sjis_to_utf8(sjis) != folder)
                    ctx.show_message(MSG_NOTICE, utf8_to_sjis("フォルダ名が長すぎるか、使えない文字を含みます｡"), 3000);
                else
                    ctx.set_text(FTP_SITE_EDIT_LOCAL, sjis);
            }
            return true;
        }
        return false;
    }
    bool ok(DialogContext& ctx) override {
        // A line break in the password would end the login command early: refused here, not at 接 続.
        if (!ftp_password_sendable(ctx.get_text(FTP_SITE_EDIT_PASSWORD))) {
            ctx.show_message(MSG_NOTICE, utf8_to_sjis("Ｐａｓｓに改行は使えません｡"), 3000);
            ctx.focus(FTP_SITE_EDIT_PASSWORD);
            return false;
        }
        SettingsRecord& r = settings_->rec;
        store_field(r.ftp_site_name[site_], sizeof r.ftp_site_name[site_], ctx.get_text(FTP_SITE_EDIT_NAME));
        store_field(r.ftp_host[site_], sizeof r.ftp_host[site_], ctx.get_text(FTP_SITE_EDIT_HOST));
        store_field(r.ftp_user[site_], sizeof r.ftp_user[site_], ctx.get_text(FTP_SITE_EDIT_USER));
        store_field(r.ftp_password[site_], sizeof r.ftp_password[site_], ctx.get_text(FTP_SITE_EDIT_PASSWORD));
        store_field(r.ftp_site_folder[site_], sizeof r.ftp_site_folder[site_], ctx.get_text(FTP_SITE_EDIT_FOLDER));
        store_field(r.ftp_local_folder[site_], sizeof r.ftp_local_folder[site_], ctx.get_text(FTP_SITE_EDIT_LOCAL));
        mark_settings_changed(settings_);
        return true;
    }
    void cancel(DialogContext&) override {}

private:
    SettingsState* settings_;
    int site_;
    const FtpWindowServices& services_;
};

bool copy_into(const std::string& from, const std::string& folder) {
    std::string bytes;
    return read_whole_file(from, &bytes) && atomic_replace(join_path(folder, name_of(from)), bytes);
}

}  // namespace

int ask_yes_no_all(std::string_view text, WindowRef owner) {
    YesNoAll proc(text);
    const int r = run_dialog("YESNOALL", proc, owner);
    return r == YESNOALL_YES || r == YESNOALL_ALL || r == YESNOALL_NO ? r : DIALOG_CANCEL;
}

bool ask_folder_name(std::string* name, WindowRef owner) {
    NameDialog proc(10, {});
    if (run_dialog("MYCREATEDIR", proc, owner) != DIALOG_OK) return false;
    *name = proc.name;
    return true;
}

bool ask_new_name(const std::string& old_name, std::string* name, WindowRef owner) {
    NameDialog proc(11, old_name);
    if (run_dialog("MYRENAME", proc, owner) != DIALOG_OK) return false;
    *name = proc.name;
    return true;
}

void show_text_viewer(std::string_view caption, std::string_view text, WindowRef owner) {
    TextViewer proc(caption, text);
    run_dialog("MYTEXTDLG", proc, owner);
}

bool open_ftp_site_dialog(SettingsState* settings, int site, const FtpWindowServices& services, WindowRef owner) {
    if (site < 0 || site > 2) return false;
    SiteDialog proc(settings, site, services);
    return run_dialog("HTML_FTP_SITE", proc, owner) == DIALOG_OK;
}

std::string prepare_publish_folder(int mode, const FtpWindowServices& services, WindowRef owner) {
    const std::string folder = join_path(services.program_folder, FTP_PUBLISH_FOLDER);
    if (!folder_exists(folder) && ::mkdir(folder.c_str(), 0755) != 0) {
        note(owner, "公開フォルダを作成できません｡\n" + folder, 4000);
        return {};
    }
    if (mode != FTP_OPEN_PAGE && mode != FTP_OPEN_LIST) return folder;
    std::vector<std::string> files;
    for (const std::string& name : list_folder_names(folder))
        if (path_kind(join_path(folder, name)) == PathKind::REGULAR) files.push_back(name);
    if (!files.empty() &&
        show_message(MSG_YES_NO, owner,
                     utf8_to_sjis("既に公開フォルダにファイルが存在します｡\nこれを消去して、新しいファイルを用意していいですか？")) ==
            MSG_RESULT_YES) {
        for (const std::string& name : files) ::unlink(join_path(folder, name).c_str());
    }
    std::vector<std::string> sources;
    const std::string applet = join_path(services.program_folder, APPLET_NAME);
    if (file_exists(applet)) sources.push_back(applet);
    if (!services.made_page.empty()) {
        sources.push_back(services.made_page);
        // A page per listed document: name001.htm, name002.htm, ...
        if (mode == FTP_OPEN_LIST)
            for (std::size_t i = 1; i <= services.documents.size(); ++i) {
                const std::string page =
                    join_path(folder_of(services.made_page), numbered_page_name(name_of(services.made_page), static_cast<int>(i)));
                if (file_exists(page)) sources.push_back(page);
            }
    }
    if (mode == FTP_OPEN_LIST) {
        if (!services.made_list.empty()) sources.push_back(services.made_list);
        for (const HtmlDocEntry& doc : services.documents) {
            const std::string here = join_path(folder_of(services.made_list), name_of(doc.path));
            sources.push_back(file_exists(here) ? here : doc.path);
        }
    }
    for (const std::string& source : sources)
        if (!copy_into(source, folder)) note(owner, "ファイルを公開フォルダにコピーできませんでした｡\n" + source, 4000);
    return folder;
}

}  // namespace rix
