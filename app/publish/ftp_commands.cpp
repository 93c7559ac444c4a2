// ＦＴＰ(ﾌｧｲﾙ転送) (command 503) and 公 開 of ＨＴＭＬ(ﾎｰﾑﾍﾟｰｼﾞ)作成: the FTP
// window over the data folder, the open document's folder and the sites of
// the settings record.
#include <unistd.h>

#include "app/window/command_table.h"
#include "app/shell/features.h"
#include "app/publish/ftp_batch.h"
#include "app/publish/ftp_window.h"
#include "app/window/shell_events.h"
#include "platform/files.h"

namespace rix {
namespace {

std::string current_folder() {
    char buf[4096];
    return ::getcwd(buf, sizeof buf) ? std::string(buf) : std::string("/");
}

FtpWindowServices ftp_window_services(Application& app) {
    FtpWindowServices s;
    s.program_folder = app.paths.program_folder;
    s.document_path = app.doc.save_name.empty() ? app.doc.opened_path : app.doc.save_name;
    s.current_folder = current_folder();
    s.port = ftp_port();
    s.choose_folder = app.window.choose_folder;
    s.pump_events = app.window.pump_events;
    return s;
}

}  // namespace

void open_ftp_from_html(Application& app, int made) {
    FtpWindowServices s = ftp_window_services(app);
    const int mode = made == HTML_MADE_PAGE ? FTP_OPEN_PAGE : made == HTML_MADE_LIST ? FTP_OPEN_LIST : FTP_OPEN_HTML;
    s.made_page = app.html.made_page;
    s.made_list = app.html.made_list;
    if (mode == FTP_OPEN_LIST) s.documents = app.html.documents;
    open_ftp_window(&app.settings, mode, s, 0);
}

void install_ftp_commands(Application& app) {
    CommandTable& t = app.window.shell->commands();
    t.set_handler(COMMAND_FTP, [&app](int) { open_ftp_window(&app.settings, FTP_OPEN_MENU, ftp_window_services(app), 0); });
}

}  // namespace rix
