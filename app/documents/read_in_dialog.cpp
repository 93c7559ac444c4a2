// The reading options dialog READ_IN (see read_in_dialog.h).
#include "app/documents/read_in_dialog.h"

#include "platform/codec.h"
#include "platform/messages.h"

namespace rix {

namespace {

constexpr int NOTATION_COUNT = 4;
constexpr int ALLOT_COUNT = 3;
constexpr int DEFAULT_NOTATION = 3;   // 《》
constexpr std::size_t SYMBOL_BYTES = 2;

std::string text(const char* utf8) { return utf8_to_sjis(utf8); }

// Two double-byte characters: the only pair the loader can use as delimiters.
bool is_delimiter_pair(std::string_view s) {
    if (s.size() != 4) return false;
    for (std::size_t i = 0; i < 4; i += 2) {
        const auto lead = static_cast<std::uint8_t>(s[i]);
        const auto trail = static_cast<std::uint8_t>(s[i + 1]);
        if (!is_stored_lead(lead) || !is_trail_byte(trail)) return false;
    }
    return true;
}

}  // namespace

void ReadInDialog::init(DialogContext& ctx) {
    const SettingsRecord& r = settings_->rec;
    ctx.set_check(READ_IN_INDEX, reading_->index);
    ctx.set_check(READ_IN_LINE_INFO, reading_->line_info);
    ctx.set_check(READ_IN_RUBIES, reading_->rubies);
    ctx.set_text(READ_IN_SYMBOL, read_field(r.line_id_symbol, sizeof r.line_id_symbol));
    const int notation = r.ruby_notation >= 1 && r.ruby_notation <= NOTATION_COUNT ? r.ruby_notation : DEFAULT_NOTATION;
    ctx.set_radio(READ_IN_NOTATION_FIRST, READ_IN_NOTATION_FIRST + NOTATION_COUNT - 1,
                  READ_IN_NOTATION_FIRST + notation - 1);
    ctx.set_text(READ_IN_CUSTOM, read_field(r.ruby_custom_delimiters, sizeof r.ruby_custom_delimiters));
    const int allot = r.ruby_allotment < ALLOT_COUNT ? r.ruby_allotment : 0;
    ctx.set_radio(READ_IN_ALLOT_FIRST, READ_IN_ALLOT_FIRST + ALLOT_COUNT - 1, READ_IN_ALLOT_FIRST + allot);
    ctx.set_check(READ_IN_DECRYPT, reading_->decrypt);
    key_edits_.init(ctx, reading_->key, reading_->show_key);
    enable_controls(ctx);
}

void ReadInDialog::enable_controls(DialogContext& ctx) {
    ctx.enable(READ_IN_SYMBOL, ctx.get_check(READ_IN_INDEX) || ctx.get_check(READ_IN_LINE_INFO));
    const bool rubies = ctx.get_check(READ_IN_RUBIES);
    for (int i = 0; i < NOTATION_COUNT; ++i) ctx.enable(READ_IN_NOTATION_FIRST + i, rubies);
    for (int i = 0; i < ALLOT_COUNT; ++i) ctx.enable(READ_IN_ALLOT_FIRST + i, rubies);
    ctx.enable(READ_IN_CUSTOM, rubies);
}

bool ReadInDialog::command(DialogContext& ctx, int id, int) {
    switch (id) {
    case READ_IN_INDEX:
    case READ_IN_LINE_INFO:
    case READ_IN_RUBIES: enable_controls(ctx); return true;
    case READ_IN_SHOW_KEY: key_edits_.toggle(ctx); return true;
    case READ_IN_HELP: show_help("RDIN"); return true;
    default: return false;
    }
}

bool ReadInDialog::ok(DialogContext& ctx) {
    SettingsRecord& r = settings_->rec;
    const std::string symbol = ctx.get_text(READ_IN_SYMBOL);
    const bool symbol_used = ctx.is_enabled(READ_IN_SYMBOL);
    // A symbol the user cannot edit (both switches off) never blocks 設定;
    // it is then left as it was when it is not two bytes.
    if (symbol_used && symbol.size() != SYMBOL_BYTES) {
        ctx.show_message(MSG_NOTICE, text("行識別記号の長さは２バイトです｡"), READ_IN_SYMBOL_NOTICE_MS);
        ctx.focus(READ_IN_SYMBOL);
        return false;
    }
    const int notation_id = ctx.get_radio(READ_IN_NOTATION_FIRST, READ_IN_NOTATION_FIRST + NOTATION_COUNT - 1);
    const int notation = notation_id ? notation_id - READ_IN_NOTATION_FIRST + 1 : DEFAULT_NOTATION;
    const std::string custom = ctx.get_text(READ_IN_CUSTOM);
    // The loader would silently read 《》 for any other custom pair.
    if (notation == NOTATION_COUNT && ctx.get_check(READ_IN_RUBIES) && !is_delimiter_pair(custom)) {
        ctx.show_message(MSG_NOTICE, text("指定の区分記号は全角２文字です｡"), READ_IN_DELIMITER_NOTICE_MS);
        ctx.focus(READ_IN_CUSTOM);
        return false;
    }
    const bool decrypt = ctx.get_check(READ_IN_DECRYPT);
    const std::string key = key_edits_.key(ctx);
    if (decrypt && key.empty()) {
        ctx.show_message(MSG_NOTICE, text("暗号キーを入力してください｡"), READ_IN_SYMBOL_NOTICE_MS);
        ctx.focus(READ_IN_KEY);
        return false;
    }
    reading_->decrypt = decrypt;
    reading_->key = key;
    reading_->show_key = ctx.get_check(READ_IN_SHOW_KEY);
    reading_->index = ctx.get_check(READ_IN_INDEX);
    reading_->line_info = ctx.get_check(READ_IN_LINE_INFO);
    reading_->rubies = ctx.get_check(READ_IN_RUBIES);
    if (symbol.size() == SYMBOL_BYTES) store_field(r.line_id_symbol, sizeof r.line_id_symbol, symbol);
    r.ruby_notation = static_cast<std::uint8_t>(notation);
    store_field(r.ruby_custom_delimiters, sizeof r.ruby_custom_delimiters, custom);
    const int allot_id = ctx.get_radio(READ_IN_ALLOT_FIRST, READ_IN_ALLOT_FIRST + ALLOT_COUNT - 1);
    if (allot_id) r.ruby_allotment = static_cast<std::uint8_t>(allot_id - READ_IN_ALLOT_FIRST);
    mark_settings_changed(settings_);
    return true;
}

int run_read_in_dialog(SettingsState* settings, ReadingOptions* reading, WindowRef owner) {
    ReadInDialog dialog(settings, reading);
    return run_dialog("READ_IN", dialog, owner);
}

}  // namespace rix
