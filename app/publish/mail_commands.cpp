// メール送信 (command 504) and the mail address of the right-click menu
// (command 230, through DocumentHooks::send_mail): the document as a mail
// through the desktop's mail program.
#include "app/window/command_table.h"
#include "app/shell/features.h"
#include "app/publish/html_run.h"
#include "app/publish/mail_run.h"
#include "app/window/shell_events.h"
#include "platform/codec.h"

namespace rix {

namespace {

MailServices mail_services(Application& app) {
    MailServices services;
    services.open_address = [&app](const std::string& url) { return open_desktop_address(app, url); };
    services.template_page = [&app] { write_template_html(app); };
    return services;
}

}  // namespace

void install_mail_commands(Application& app) {
    CommandTable& t = app.window.shell->commands();
    t.set_handler(COMMAND_MAIL, [&app](int) {
        if (!app.loaded) return;
        send_document_mail(app, mail_address_at_cursor(app), mail_services(app));
    });
    app.hooks.send_mail.set([](Application& a, const std::string& address) {
        if (a.loaded) send_document_mail(a, address, mail_services(a));
        else open_desktop_address(a, sjis_to_utf8(address));
    });
}

}  // namespace rix
