// The common settings dialog ENV_COMMON (see common_settings_dialog.h).
#include "app/settings/common_settings_dialog.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "platform/codec.h"
#include "platform/messages.h"

namespace rix {

namespace {

constexpr std::size_t DOCUMENT_FOLDER_BYTES = sizeof(SettingsRecord::document_folder);
constexpr std::size_t KEY_FOLDER_BYTES = sizeof(SettingsRecord::key_folder);
constexpr std::size_t NEW_NAME_BYTES = sizeof(SettingsRecord::new_document_name);

// "%ld" reading: blanks, a sign and digits; what follows the digits is
// ignored. False when no number starts the text or it does not fit a long.
bool read_long(const std::string& text, long* value) {
    const char* p = text.c_str();
    char* end = nullptr;
    errno = 0;
    const long n = std::strtol(p, &end, 10);
    if (end == p || errno == ERANGE) return false;
    *value = n;
    return true;
}

std::string field_text(const char* field, std::size_t width) { return std::string(read_field(field, width)); }

int radio_index(DialogContext& ctx, int first, int count, int fallback) {
    const int id = ctx.get_radio(first, first + count - 1);
    return id == 0 ? fallback : id - first;
}

class CommonSettingsDialog final : public DialogProcedure {
public:
    explicit CommonSettingsDialog(const CommonSettingsServices& services) : services_(services) {}

    void init(DialogContext& ctx) override {
        show_form(ctx, common_settings_form(services_.settings->rec));
        ctx.enable(COMMON_MANUAL_AUTOSAVE, static_cast<bool>(services_.manual_autosave));
        ctx.enable(COMMON_DOCUMENT_BROWSE, static_cast<bool>(services_.choose_folder));
        ctx.enable(COMMON_KEY_BROWSE, static_cast<bool>(services_.choose_folder));
        ctx.enable(COMMON_DOWNLOAD, static_cast<bool>(services_.download_settings));
        ctx.enable(COMMON_SHORTCUT, static_cast<bool>(services_.make_shortcut));
        ctx.enable(COMMON_ASSOCIATE, services_.associations != nullptr);
        ctx.enable(COMMON_EXTENSION, services_.associations != nullptr);
        follow_checks(ctx);
    }

    bool command(DialogContext& ctx, int id, int notification) override {
        if (notification != NOTIFY_CLICKED) return false;
        if ((id >= COMMON_STARTUP_FIRST && id <= COMMON_STARTUP_FIRST + 3) || id == COMMON_BY_CHARS ||
            id == COMMON_BY_MINUTES) {
            follow_checks(ctx);
            return false;
        }
        switch (id) {
            case COMMON_DOCUMENT_BROWSE: browse(ctx, COMMON_DOCUMENT_FOLDER, DOCUMENT_FOLDER_BYTES); return true;
            case COMMON_KEY_BROWSE: browse(ctx, COMMON_KEY_FOLDER, KEY_FOLDER_BYTES); return true;
            case COMMON_MANUAL_AUTOSAVE:
                if (services_.manual_autosave) services_.manual_autosave();
                return true;
            case COMMON_ASSOCIATE: associate(ctx); return true;
            case COMMON_DOWNLOAD:
                if (services_.download_settings) services_.download_settings();
                return true;
            case COMMON_SHORTCUT:
                if (services_.make_shortcut) services_.make_shortcut();
                return true;
            case COMMON_HELP: show_help("ENV_COM"); return true;
            default: return false;
        }
    }

    bool ok(DialogContext& ctx) override {
        store_common_settings(read_form(ctx), &services_.settings->rec);
        mark_settings_changed(services_.settings);
        return true;
    }

    void cancel(DialogContext&) override {}

private:
    void show_form(DialogContext& ctx, const CommonSettingsForm& f) {
        ctx.set_radio(COMMON_STARTUP_FIRST, COMMON_STARTUP_FIRST + 3, COMMON_STARTUP_FIRST + f.startup_action);
        ctx.set_check(COMMON_MAXIMIZED, f.start_maximized);
        ctx.set_check(COMMON_HIDE_TASKBAR, f.hide_taskbar);
        ctx.set_check(COMMON_HIDE_MENUBAR, f.hide_menubar);
        ctx.set_check(COMMON_RESTORE, f.restore_position);
        ctx.set_radio(COMMON_RIGHT_FIRST, COMMON_RIGHT_FIRST + 2, COMMON_RIGHT_FIRST + f.right_button_action);
        ctx.set_radio(COMMON_DIGITS_FIRST, COMMON_DIGITS_FIRST + 1, COMMON_DIGITS_FIRST + (f.marks_on_digit_keys ? 1 : 0));
        ctx.set_radio(COMMON_SPACING_SMALL, COMMON_SPACING_SMALL + 2, COMMON_SPACING_SMALL + 2 - f.list_line_spacing);
        ctx.set_check(COMMON_HISTORY, f.store_history);
        ctx.set_check(COMMON_IME, f.ime_control);
        ctx.set_check(COMMON_FULLWIDTH_NAMES, f.fullwidth_file_names);
        ctx.set_check(COMMON_NO_BACKUP, f.no_backup);
        ctx.set_check(COMMON_NO_BEEP, f.no_beep);
        ctx.set_text(COMMON_WHEEL, f.wheel_columns);
        ctx.set_radio(COMMON_ACCEL_COLUMNS_FIRST, COMMON_ACCEL_COLUMNS_FIRST + 4, COMMON_ACCEL_COLUMNS_FIRST + f.accel_columns);
        ctx.set_radio(COMMON_ACCEL_CHARS_FIRST, COMMON_ACCEL_CHARS_FIRST + 4, COMMON_ACCEL_CHARS_FIRST + f.accel_chars);
        ctx.set_check(COMMON_BY_CHARS, f.by_chars);
        ctx.set_check(COMMON_BY_MINUTES, f.by_minutes);
        ctx.set_check(COMMON_BOTH, f.both_required);
        ctx.set_text(COMMON_CHARS, f.autosave_chars);
        ctx.set_text(COMMON_MINUTES, f.autosave_minutes);
        ctx.set_text(COMMON_GENERATIONS, f.autosave_generations);
        ctx.set_radio(COMMON_SYNONYM_LIST, COMMON_SYNONYM_LIST + 1, COMMON_SYNONYM_LIST + f.synonym_display);
        ctx.set_radio(COMMON_SYNONYM_PARTIAL, COMMON_SYNONYM_PARTIAL + 1, COMMON_SYNONYM_PARTIAL + (f.synonym_partial ? 0 : 1));
        ctx.set_text(COMMON_DOCUMENT_FOLDER, f.document_folder);
        ctx.set_text(COMMON_KEY_FOLDER, f.key_folder);
        ctx.set_text(COMMON_NEW_NAME, f.new_document_name);
    }

    CommonSettingsForm read_form(DialogContext& ctx) const {
        CommonSettingsForm f;
        f.startup_action = radio_index(ctx, COMMON_STARTUP_FIRST, 4, 0);
        f.start_maximized = ctx.get_check(COMMON_MAXIMIZED);
        f.hide_taskbar = ctx.get_check(COMMON_HIDE_TASKBAR);
        f.hide_menubar = ctx.get_check(COMMON_HIDE_MENUBAR);
        f.restore_position = ctx.get_check(COMMON_RESTORE);
        f.right_button_action = radio_index(ctx, COMMON_RIGHT_FIRST, 3, 0);
        f.marks_on_digit_keys = radio_index(ctx, COMMON_DIGITS_FIRST, 2, 0) == 1;
        f.list_line_spacing = 2 - radio_index(ctx, COMMON_SPACING_SMALL, 3, 2);
        f.store_history = ctx.get_check(COMMON_HISTORY);
        f.ime_control = ctx.get_check(COMMON_IME);
        f.fullwidth_file_names = ctx.get_check(COMMON_FULLWIDTH_NAMES);
        f.no_backup = ctx.get_check(COMMON_NO_BACKUP);
        f.no_beep = ctx.get_check(COMMON_NO_BEEP);
        f.wheel_columns = ctx.get_text(COMMON_WHEEL);
        f.accel_columns = radio_index(ctx, COMMON_ACCEL_COLUMNS_FIRST, 5, 0);
        f.accel_chars = radio_index(ctx, COMMON_ACCEL_CHARS_FIRST, 5, 0);
        f.by_chars = ctx.get_check(COMMON_BY_CHARS);
        f.by_minutes = ctx.get_check(COMMON_BY_MINUTES);
        f.both_required = ctx.get_check(COMMON_BOTH);
        f.autosave_chars = ctx.get_text(COMMON_CHARS);
        f.autosave_minutes = ctx.get_text(COMMON_MINUTES);
        f.autosave_generations = ctx.get_text(COMMON_GENERATIONS);
        f.synonym_display = radio_index(ctx, COMMON_SYNONYM_LIST, 2, 0);
        f.synonym_partial = radio_index(ctx, COMMON_SYNONYM_PARTIAL, 2, 0) == 0;
        f.document_folder = ctx.get_text(COMMON_DOCUMENT_FOLDER);
        f.key_folder = ctx.get_text(COMMON_KEY_FOLDER);
        f.new_document_name = ctx.get_text(COMMON_NEW_NAME);
        return f;
    }

    // The controls that depend on others: 編集位置を再現 on 前回文書編集, each
    // auto-save edit on its check, 両条件合致時 on both checks.
    void follow_checks(DialogContext& ctx) {
        ctx.enable(COMMON_RESTORE, ctx.get_check(COMMON_STARTUP_FIRST + 1));
        const bool chars = ctx.get_check(COMMON_BY_CHARS), minutes = ctx.get_check(COMMON_BY_MINUTES);
        ctx.enable(COMMON_CHARS, chars);
        ctx.enable(COMMON_MINUTES, minutes);
        ctx.enable(COMMON_BOTH, chars && minutes);
    }

    void browse(DialogContext& ctx, int edit, std::size_t field_bytes) {
        if (!services_.choose_folder) return;
        std::string folder = sjis_to_utf8(ctx.get_text(edit));
        if (folder.empty()) folder = services_.document_folder;
        if (!services_.choose_folder(&folder) || folder.empty()) return;
        // A folder the settings cannot name exactly is refused, never stored altered.
        if (!utf8_fits_sjis(folder)) {
            ctx.show_message(MSG_NOTICE, utf8_to_sjis("選択したフォルダ名には設定に保存出来ない文字が\n含まれています｡\n"
                                                      "別のフォルダを選択してください｡"), 5000);
            return;
        }
        const std::string text = utf8_to_sjis(folder);
        if (text.size() > field_bytes) {
            ctx.show_message(MSG_NOTICE, utf8_to_sjis("選択したフォルダ名が長過ぎます｡\n別のフォルダを選択してください｡"),
                             5000);
            return;
        }
        ctx.set_text(edit, text);
    }

    void associate(DialogContext& ctx) {
        AssociationStore* store = services_.associations;
        if (!store) return;
        switch (association_state_) {
            case 0: look_up(ctx, *store); break;
            case 1: register_extension(ctx, *store); break;
            default: delete_extension(ctx, *store); break;
        }
    }

    void look_up(DialogContext& ctx, AssociationStore& store) {
        const std::string found = store.find();
        if (!found.empty()) {
            ctx.set_text(COMMON_EXTENSION, found);
            ctx.set_text(COMMON_ASSOCIATE, utf8_to_sjis("削除"));
            ctx.show_message(MSG_NOTICE, utf8_to_sjis("関連付けの拡張子 " + found +
                                                      " が登録されています。\n「削除」ボタンをクリックすれば削除出来ます。"),
                             7000);
            association_state_ = 2;
            return;
        }
        ctx.set_text(COMMON_ASSOCIATE, utf8_to_sjis("登録"));
        ctx.show_message(MSG_NOTICE, utf8_to_sjis("関連付けの拡張子は登録されていません。\n拡張子名を入力してから「登録」ボタンを\n"
                                                  "クリックすれば登録出来ます。"),
                         7000);
        association_state_ = 1;
    }

    void register_extension(DialogContext& ctx, AssociationStore& store) {
        std::string extension = ctx.get_text(COMMON_EXTENSION);
        if (extension.empty()) {
            ctx.show_message(MSG_NOTICE, utf8_to_sjis("拡張子名を入力してください｡"), 3000);
            return;
        }
        if (extension[0] != '.') {
            extension.insert(0, ".");
            ctx.set_text(COMMON_EXTENSION, extension);
        }
        if (valid_extension(extension) && store.taken_by_other(extension) &&
            ctx.show_message(MSG_YES_NO, utf8_to_sjis("指定の拡張子には既に他のアプリケーション\nに拠る関連付けが設定されています。"
                                                      "\n\n上書き登録しますか？")) != MSG_RESULT_YES)
            return;
        if (!valid_extension(extension) || !store.add(extension)) {
            ctx.show_message(MSG_NOTICE, utf8_to_sjis("レジストリの書換えに失敗しました｡\n詳細はヘルプをご覧ください｡\n"), 6000);
            return;
        }
        ctx.show_message(MSG_NOTICE, utf8_to_sjis("関連付けの拡張子を登録しました｡"), 4000);
        ctx.set_text(COMMON_ASSOCIATE, utf8_to_sjis("削除"));
        association_state_ = 2;
    }

    void delete_extension(DialogContext& ctx, AssociationStore& store) {
        const std::string extension = ctx.get_text(COMMON_EXTENSION);
        if (ctx.show_message(MSG_YES_NO, utf8_to_sjis("関連付けの拡張子 ") + extension + utf8_to_sjis(" を削除しますか？")) !=
            MSG_RESULT_YES)
            return;
        if (!store.remove(extension)) {
            ctx.show_message(MSG_NOTICE, utf8_to_sjis("レジストリの書換えに失敗しました｡\n詳細はヘルプをご覧ください｡\n"), 6000);
            return;
        }
        ctx.show_message(MSG_NOTICE, utf8_to_sjis("関連付けの拡張子を削除しました｡"), 4000);
        ctx.set_text(COMMON_EXTENSION, "");
        ctx.set_text(COMMON_ASSOCIATE, utf8_to_sjis("登録"));
        association_state_ = 1;
    }

    CommonSettingsServices services_;
    int association_state_ = 0;   // 0 not looked up, 1 registering offered, 2 deleting offered
};

}  // namespace

long ranged_number(const std::string& text, long lo, long hi, long fallback) {
    long n = 0;
    if (!read_long(text, &n) || n < lo || n > hi) return fallback;
    return n;
}

CommonSettingsForm common_settings_form(const SettingsRecord& r) {
    CommonSettingsForm f;
    f.startup_action = std::min<int>(r.startup_action, 3);
    f.start_maximized = r.start_maximized != 0;
    f.hide_taskbar = (r.bar_flags & 1) != 0;
    f.hide_menubar = (r.bar_flags & 2) != 0;
    f.restore_position = (r.restore_flags & 1) != 0;
    f.right_button_action = std::min<int>(r.right_button_action, 2);
    f.marks_on_digit_keys = r.marks_on_digit_keys == 1;
    f.list_line_spacing = std::min<int>(r.list_line_spacing, 2);
    f.store_history = r.store_history != 0;
    f.ime_control = r.ime_control != 0;
    f.fullwidth_file_names = r.fullwidth_file_names != 0;
    f.no_backup = r.no_backup != 0;
    f.no_beep = r.no_beep != 0;
    f.wheel_columns = std::to_string(r.wheel_columns);
    f.accel_columns = std::min<int>(r.accel_columns, 4);
    f.accel_chars = std::min<int>(r.accel_chars, 4);
    f.by_chars = (r.autosave_flags & 1) != 0;
    f.by_minutes = (r.autosave_flags & 2) != 0;
    f.both_required = (r.autosave_flags & 4) != 0;
    f.autosave_chars = std::to_string(r.autosave_chars);
    f.autosave_minutes = std::to_string(r.autosave_minutes);
    f.autosave_generations = std::to_string(r.autosave_generations);
    f.synonym_display = r.synonym_display == 1 ? 1 : 0;
    f.synonym_partial = (r.synonym_search & 0x80) != 0;
    f.document_folder = field_text(r.document_folder, DOCUMENT_FOLDER_BYTES);
    f.key_folder = field_text(r.key_folder, KEY_FOLDER_BYTES);
    f.new_document_name = field_text(r.new_document_name, NEW_NAME_BYTES);
    return f;
}

void store_common_settings(const CommonSettingsForm& f, SettingsRecord* r) {
    auto choice = [](int v, int count) { return static_cast<std::uint8_t>(v >= 0 && v < count ? v : 0); };
    r->startup_action = choice(f.startup_action, 4);
    r->start_maximized = f.start_maximized ? 1 : 0;
    r->bar_flags = static_cast<std::uint8_t>((r->bar_flags & ~3u) | (f.hide_taskbar ? 1u : 0u) | (f.hide_menubar ? 2u : 0u));
    // Bit 1 has no control and is stored as 0; nothing is restored unless
    // the program starts on the previous document.
    r->restore_flags = r->startup_action == 1 && f.restore_position ? 1 : 0;
    r->right_button_action = choice(f.right_button_action, 3);
    r->marks_on_digit_keys = f.marks_on_digit_keys ? 1 : 0;
    r->list_line_spacing = choice(f.list_line_spacing, 3);
    r->store_history = f.store_history ? 1 : 0;
    r->ime_control = f.ime_control ? 1 : 0;
    r->fullwidth_file_names = f.fullwidth_file_names ? 1 : 0;
    r->no_backup = f.no_backup ? 1 : 0;
    r->no_beep = f.no_beep ? 1 : 0;
    long wheel = 0;
    if (read_long(f.wheel_columns, &wheel)) r->wheel_columns = static_cast<std::uint8_t>(std::clamp<long>(wheel, 0, 255));
    r->accel_columns = choice(f.accel_columns, 5);
    r->accel_chars = choice(f.accel_chars, 5);
    std::uint8_t flags = static_cast<std::uint8_t>((f.by_chars ? 1 : 0) | (f.by_minutes ? 2 : 0));
    if (f.both_required && flags == 3) flags |= 4;
    r->autosave_flags = flags;
    r->autosave_chars = static_cast<std::uint16_t>(ranged_number(f.autosave_chars, 1, 9999, 1));
    r->autosave_minutes = static_cast<std::uint16_t>(ranged_number(f.autosave_minutes, 1, 9999, 1));
    r->autosave_generations = static_cast<std::uint8_t>(ranged_number(f.autosave_generations, 1, 99, 1));
    r->synonym_display = f.synonym_display == 1 ? 1 : 0;
    r->synonym_search = f.synonym_partial ? 0xFF : 0;
    store_field(r->document_folder, DOCUMENT_FOLDER_BYTES, f.document_folder);
    store_field(r->key_folder, KEY_FOLDER_BYTES, f.key_folder);
    store_field(r->new_document_name, NEW_NAME_BYTES, f.new_document_name);
}

int run_common_settings_dialog(const CommonSettingsServices& services) {
    if (!services.settings) return DIALOG_FAILED;
    CommonSettingsDialog proc(services);
    return run_dialog("ENV_COMMON", proc, services.owner);
}

}  // namespace rix
