// 現在行に読込み: reading another file into the document at the cursor.
#include "app/shell/application.h"
#include "app/files/file_tools.h"
#include "document/read_in.h"
#include "files/select_file.h"
#include "platform/codec.h"
#include "platform/files.h"
#include "platform/messages.h"

namespace rix {

bool read_into_current_line(Application& app) {
    if (!app.hooks.insert_text) return false;
    std::string path = app.doc.save_name.empty() ? app.paths.open_request : folder_of(app.doc.save_name) + "/";
    if (select_document(app, SELECT_READ_IN, &path) == CHOSEN_CANCELLED) return false;
    if (show_message(MSG_YES_NO, 0, utf8_to_sjis("文書の読込みを始めますか？"), 0) != MSG_RESULT_YES) return false;
    if (!file_exists(path)) {
        show_message(MSG_NOTICE, 0, utf8_to_sjis("文書が見つかりませんでした｡"), 2500);
        return false;
    }
    if (!accept_document_kind_shown(check_document_kind(path))) return false;
    ReadInFile file;
    if (!file.open(path)) {
        show_message(MSG_NOTICE, 0, utf8_to_sjis("文書ファイルを開けません｡\n" + path), 3000);
        return false;
    }
    std::string piece;
    bool any = false;
    while (file.next_piece(&piece)) {
        if (!app.hooks.insert_text(app, piece)) break;
        any = true;
    }
    if (file.failed()) show_message(MSG_NOTICE, 0, utf8_to_sjis("文書を最後まで読めませんでした｡\n" + path), 4000);
    return any;
}

}  // namespace rix
