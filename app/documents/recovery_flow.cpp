// Ending on a signal, marks of dead editors, recovery files offered.
#include "app/documents/recovery_flow.h"

#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>

#include "app/documents/save_flow.h"
#include "document/recovery.h"
#include "platform/files.h"
#include "platform/messages.h"

namespace rix {
namespace {

constexpr unsigned STALE_MARK_NOTICE_MS = 8000;
constexpr unsigned RECOVERY_FAILED_NOTICE_MS = 5000;

const char* signal_name(int number) {
    switch (number) {
    case SIGTERM:
        return "SIGTERM";
    case SIGHUP:
        return "SIGHUP";
    case SIGINT:
        return "SIGINT";
    case SIGQUIT:
        return "SIGQUIT";
    default:
        return "a signal";
    }
}

}  // namespace

void end_on_signal(Application& app, int signal_number) {
    const bool changed = (app.doc.modified & (MODIFIED_TEXT | MODIFIED_EXTENSION)) != 0;
    if (changed && app.loaded) {
        Notices notices;
        std::string written = write_recovery_file(app.loaded->document, app.doc, app.loaded->session,
                                                  save_request_for(app, SAVE_MODE_SWITCH_OR_END), &notices);
        show_notices(notices);
        if (!written.empty())
            std::fprintf(stderr, "rix: %s: the unsaved text of %s is kept in %s\n", signal_name(signal_number),
                         app.doc.save_name.c_str(), written.c_str());
        else
            std::fprintf(stderr, "rix: %s: the unsaved text of %s could not be kept\n", signal_name(signal_number),
                         app.doc.save_name.c_str());
    }
    shutdown_process(app);
}

int give_back_stale_marks(InstanceRegistry& registry) {
    int given_back = 0;
    for (const HeldFile& hold : registry.stale_holds()) {
        const std::string where = registry.stale_mark_location(hold);   // renamed since: its new name
        if (!where.empty())
            shell_notice("前回『ミルトア』が正常に終了しなかったため、\n" + where +
                             "\nに使用中の印が残っています｡\n編集していた『ミルトア』はもう動いていないので、\n"
                             "印を外して書込み出来るように戻します｡",
                         STALE_MARK_NOTICE_MS);
        StaleMark result = registry.give_back_stale_mark(hold);
        if (result == StaleMark::GIVEN_BACK) ++given_back;
        if (result == StaleMark::FAILED)
            shell_notice("使用中の印を外せませんでした｡\n" + hold.path, RECOVERY_FAILED_NOTICE_MS);
    }
    return given_back;
}

bool offer_recovery(Application& app) {
    DocumentState& doc = app.doc;
    if (!doc.in_use_mark_held || doc.save_name.empty()) return false;   // another editor's or read-only
    // Only a whole save is offered: an empty or cut file (an editor killed
    // while writing it) would replace the document's text with less.
    std::vector<std::string> found = find_recovery_files(doc.save_name);
    auto whole = std::find_if(found.begin(), found.end(), recovery_file_whole);
    if (whole == found.end()) return false;
    const std::string recovered = *whole;
    int answer = ask_question(app, MSG_YES_NO,
                              "この文書には、保存されずに終わった編集の内容が残っています｡\n" + recovered +
                                  "\n\n復元した文章を開きますか？\n\n〔いいえ〕では保存されている文書を開きます｡\n"
                                  "復元ファイルはそのまま残ります｡",
                              MSG_RESULT_NO);
    if (answer != MSG_RESULT_YES) return false;
    int fd = open_regular_file(recovered);
    if (fd < 0) {
        shell_notice("復元ファイルを開けません｡\n" + recovered, RECOVERY_FAILED_NOTICE_MS);
        return false;
    }
    if (doc.text_fd >= 0) ::close(doc.text_fd);
    doc.text_fd = fd;
    doc.opened_path = recovered;
    doc.file_length = file_size(recovered);
    doc.recovered_from = recovered;
    return true;
}

void after_recovered_load(Application& app) {
    DocumentState& doc = app.doc;
    if (doc.recovered_from.empty()) return;
    doc.modified |= MODIFIED_TEXT | MODIFIED_EXTENSION;
    // The 〓 the recovered text carries for characters of the document's
    // own file must not be saved over that file either.
    if (doc.keep_original.empty() && file_loses_characters(doc.save_name)) doc.keep_original = doc.save_name;
}

}  // namespace rix
