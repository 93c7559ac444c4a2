// The document handed to the desktop's mail program (メール送信, command
// 504, and a mail address of the right-click menu, command 230): the mail
// composed by publish/mail_url, the rest of a long body on the clipboard
// with a notice that says so, the vertical template page, then the URL
// opened by the desktop's handler.
#pragma once

#include <functional>
#include <string>

#include "app/shell/application.h"

namespace rix {

// The notice shown (MAIL_CUT_NOTICE_MS) when the body went on as clipboard text.
extern const char MAIL_CUT_NOTICE[];   // UTF-8
constexpr unsigned MAIL_CUT_NOTICE_MS = 18000;

struct MailServices {
    // Opens a URL (UTF-8) with the desktop's handler; false when no handler could be started.
    std::function<bool(const std::string& url)> open_address;
    // Writes and opens the vertical template page after the mail is composed; empty: no page.
    std::function<void()> template_page;
};

// The address メール送信 writes to: the address under the cursor when it is a
// mail address ("mailto:..."), else plain "mailto:" (the writer fills it in).
std::string mail_address_at_cursor(const Application& app);

// Mails the loaded document (loaded whole first) to `address` ("mailto:" or
// "mailto:" + an address), wrapped as the current screen format wraps it,
// with the longer of the document and print titles as the subject. A body
// past the URL limit goes on as clipboard text, and the notice says so.
// The address is opened even when the clipboard refused the text (the
// writer is told). False when the mail program could not be started (the
// writer is told).
bool send_document_mail(Application& app, const std::string& address, const MailServices& services);

}  // namespace rix
