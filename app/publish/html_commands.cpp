// ＨＴＭＬ(ﾎｰﾑﾍﾟｰｼﾞ)作成 (command 500): HTML_MAKE over the open document, with
// the page writers of app/publish/html_run.h, the "_ruby" file of ﾙﾋﾞ書出 and the
// file selection dialog for the document list; the titles 作 成 stored go
// into the document's extension header afterwards.
#include "app/documents/save_flow.h"
#include "app/files/file_tools.h"
#include "app/publish/html_dialog.h"
#include "app/publish/html_run.h"
#include "app/shell/features.h"
#include "app/window/command_table.h"
#include "app/window/shell_events.h"
#include "document/extension_titles.h"
#include "platform/codec.h"
#include "platform/files.h"
#include "platform/messages.h"
#include "publish/ruby_embed.h"

namespace rix {
namespace {

constexpr unsigned NOT_SAVED_MS = 5000;

// The document list chooses through the file selection dialog: several
// documents (mode 3) or a list file (mode 4).
HtmlSelectServices select_services(Application& app, const std::string& folder) {
    HtmlSelectServices s;
    s.choose_documents = [&app, folder](std::vector<std::string>* paths) { return choose_documents(app, folder, paths); };
    s.choose_list_file = [&app, folder](std::string* path) { return choose_list_file(app, folder, path); };
    if (app.window.view_file) s.preview_file = [&app](const std::string& path) { view_file(app, path); };
    return s;
}

// The "_ruby" file with the rubies in the notation of the reading and
// writing settings; its path when the writer made it the pages' target.
std::string export_rubies(Application& app) {
    if (!app.loaded) return {};
    ExportOptions notation = write_out_options(app.settings.rec, app.save_flow.writing);
    std::string target;
    MessageQuestions questions(app);
    RubyEmbedResult r =
        embed_rubies(app.loaded->document, app.doc, app.loaded->session, notation, &target, questions);
    show_notices(r.notices);
    return r.made_target ? target : std::string();
}

void html_command(Application& app) {
    if (!app.loaded) return;
    if (app.doc.opened_path.empty()) {
        show_message(MSG_NOTICE, 0,
                     utf8_to_sjis("ＨＴＭＬは文書と同じフォルダに作成します｡\n先に文書を保存してください｡"), NOT_SAVED_MS);
        return;
    }
    ExtensionHeader& header = app.loaded->extension.header;
    HtmlMakeServices services;
    services.document_path = app.doc.opened_path;
    services.document_title = header.title;
    services.print_title = header.print_title;
    // The viewer shows the file as saved: the text must be.
    services.modified = [&app] { return (app.doc.modified & (MODIFIED_TEXT | MODIFIED_CONVERTED)) != 0; };
    const std::string folder = folder_of(app.doc.opened_path);
    services.folder_names = list_folder_names(folder);
    services.write_vertical = [&app](const std::string& name, const std::string& title) {
        return write_vertical_html(app, name, title);
    };
    services.write_viewer = [&app](int mode, const std::string& name, const std::string& text,
                                   const std::string& title) { return write_applet_html(app, mode, name, text, title); };
    services.write_list = [&app](const std::vector<HtmlDocEntry>& documents, const std::string& name) {
        return write_html_list_file(app, documents, name);
    };
    services.ruby_export = [&app] { return export_rubies(app); };
    services.publish = [&app](int made) { open_ftp_from_html(app, made); };
    services.select = select_services(app, folder);
    open_html_dialog(&app.settings, &app.html, &services, 0);
    if (services.titles_changed) write_back_titles(header, app.doc, services.document_title, services.print_title);
}

}  // namespace

void install_html_commands(Application& app) {
    CommandTable& t = app.window.shell->commands();
    t.set_handler(COMMAND_HTML, [&app](int) { html_command(app); });
}

}  // namespace rix
