// The mail of the loaded document.
#include "app/publish/mail_run.h"

#include "aids/search.h"
#include "app/edit/format_views.h"
#include "document/loader.h"
#include "platform/clipboard.h"
#include "platform/codec.h"
#include "publish/mail_url.h"

namespace rix {

const char MAIL_CUT_NOTICE[] =
    "インターネット仕様上のメーラー起動容量制限に達しましたので、\n本文の残りはクリップボードに格納しました。\n\n"
    "送信メッセージ欄の最後にカーソルを合わせ、\n右クリックメニューの「貼り付け」か、\n"
    "Sift+Insertキーで残りの本文を付け加えてください。";

std::string mail_address_at_cursor(const Application& app) {
    std::string address;
    if (app.loaded && address_at_cursor(app.loaded->document, app.loaded->edit.cursor.pos, &address) &&
        is_mail_address(address))
        return address;
    return "mailto:";
}

bool send_document_mail(Application& app, const std::string& address, const MailServices& services) {
    LoadedDocument& loaded = *app.loaded;
    Document& doc = loaded.document;
    load_all_shown(doc, app.doc, loaded.session);
    const SettingsRecord& rec = app.settings.rec;
    const WrapRules rules = wrap_rules_for(rec, current_screen_slot(rec));
    const ExtensionHeader& header = loaded.extension.header;
    const MailUrl mail = compose_mail_url(address, doc, rules, header.title, header.print_title);
    if (mail.cut) {
        Clipboard* clipboard = app.window.clipboard;
        if (clipboard && clipboard->set_text(sjis_to_utf8(mail.remainder)))
            shell_notice(MAIL_CUT_NOTICE, MAIL_CUT_NOTICE_MS);
        else
            shell_notice("インターネット仕様上のメーラー起動容量制限に達しましたが、\n"
                         "本文の残りをクリップボードへ転送できませんでした。",
                         MAIL_CUT_NOTICE_MS);
    }
    // The vertical template page (縦書ひな形.htm) follows every mail.
    if (services.template_page) services.template_page();
    if (services.open_address && services.open_address(desktop_mail_url(mail))) return true;
    shell_notice("メールソフトを起動できませんでした｡", 3000);
    return false;
}

}  // namespace rix
