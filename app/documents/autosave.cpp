// Auto-save (see autosave.h).
#include "app/documents/autosave.h"

#include "app/shell/application.h"
#include "app/documents/save_flow.h"
#include "document/autosave_files.h"
#include "document/save.h"
#include "platform/file_choice.h"

namespace rix {
namespace {

constexpr unsigned FAILED_NOTICE_MS = 2000;
constexpr unsigned ENCRYPTED_NOTICE_MS = 2000;
constexpr unsigned DONE_NOTICE_MS = 7000;

}  // namespace

bool autosave_due(std::uint8_t flags, std::uint64_t edited_bytes, unsigned chars, unsigned minutes,
                  unsigned minutes_setting) {
    const bool c = (flags & AUTOSAVE_BY_CHARS) && edited_bytes >= 2ull * chars;
    const bool m = (flags & AUTOSAVE_BY_MINUTES) && minutes >= minutes_setting;
    return (flags & AUTOSAVE_BOTH) ? (c && m) : (c || m);
}

void reset_autosave_counters(Application& app) {
    app.autosave.minutes = 0;
    if (app.loaded) app.loaded->edit.autosave_edits = 0;
}

void autosave_tick(Application& app) {
    if (file_dialog_open()) return;
    ++app.autosave.minutes;
    if (!app.loaded) return;
    const SettingsRecord& r = app.settings.rec;
    const unsigned chars = r.autosave_chars >= 1 && r.autosave_chars <= 9999 ? r.autosave_chars : 1;
    const unsigned minutes = r.autosave_minutes >= 1 && r.autosave_minutes <= 9999 ? r.autosave_minutes : 1;
    if (!autosave_due(r.autosave_flags, app.loaded->edit.autosave_edits, chars, app.autosave.minutes, minutes)) return;
    // A document as it stands on disk needs no copy.
    if (app.doc.modified == 0 && app.loaded->edit.autosave_edits == 0) {
        reset_autosave_counters(app);
        return;
    }
    auto_save(app, false);
}

bool auto_save(Application& app, bool asked) {
    if (!app.loaded) return false;
    DocumentState& doc = app.doc;
    // A document without a name has no folder to keep its copies in; an
    // encrypted one that was not deciphered holds no text to keep.
    if (doc.save_name.empty() || (app.loaded->extension.header.encrypted && !doc.decrypted)) return false;
    const SettingsRecord& r = app.settings.rec;
    const unsigned generations =
        r.autosave_generations >= 1 && r.autosave_generations <= 99 ? r.autosave_generations : 1;
    const std::string path = next_autosave_path(doc.save_name, generations);
    if (doc.encrypt) shell_notice(" 暗号化自動保存実行中 ", ENCRYPTED_NOTICE_MS);
    Notices notices;
    const bool written = write_document_copy(app.loaded->document, doc, app.loaded->session,
                                             save_request_for(app, SAVE_MODE_SWITCH_OR_END), path, &notices);
    show_notices(notices);
    if (!written) {
        shell_notice("自動保存を実行出来ません。", FAILED_NOTICE_MS);
        return false;
    }
    reset_autosave_counters(app);
    if (asked) shell_notice(path + "\nを\n保存実行しました。", DONE_NOTICE_MS);
    return true;
}

}  // namespace rix
