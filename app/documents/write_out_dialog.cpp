// The writing options dialog WRITE_OUT (see write_out_dialog.h).
#include "app/documents/write_out_dialog.h"

#include "platform/codec.h"
#include "platform/messages.h"

namespace rix {
namespace {

constexpr int NOTATION_COUNT = 4;
constexpr int DEFAULT_NOTATION = 3;   // 《》; a stored 0 is shown as this
constexpr std::size_t SYMBOL_BYTES = 2;
constexpr unsigned NOTICE_MS = 4000;
constexpr int NOTATION_LAST = WRITE_OUT_NOTATION_FIRST + NOTATION_COUNT - 1;

// Two double-byte characters: the only pair that can stand as delimiters.
bool is_delimiter_pair(std::string_view s) {
    if (s.size() != 4) return false;
    for (std::size_t i = 0; i < 4; i += 2) {
        auto lead = static_cast<std::uint8_t>(s[i]), trail = static_cast<std::uint8_t>(s[i + 1]);
        if (!is_stored_lead(lead) || !is_trail_byte(trail)) return false;
    }
    return true;
}

}  // namespace

void WriteOutDialog::init(DialogContext& ctx) {
    const SettingsRecord& r = settings_->rec;
    ctx.set_check(WRITE_OUT_INDEX, writing_->index);
    ctx.set_check(WRITE_OUT_LINE_INFO, writing_->line_info);
    ctx.set_check(WRITE_OUT_RUBIES, writing_->rubies);
    ctx.set_text(WRITE_OUT_SYMBOL, read_field(r.line_id_symbol, sizeof r.line_id_symbol));
    int notation = r.ruby_notation >= 1 && r.ruby_notation <= NOTATION_COUNT ? r.ruby_notation : DEFAULT_NOTATION;
    ctx.set_radio(WRITE_OUT_NOTATION_FIRST, NOTATION_LAST, WRITE_OUT_NOTATION_FIRST + notation - 1);
    ctx.set_text(WRITE_OUT_CUSTOM, read_field(r.ruby_custom_delimiters, sizeof r.ruby_custom_delimiters));
    ctx.set_check(WRITE_OUT_ENCRYPT, writing_->encrypt && key_);
    ctx.set_check(WRITE_OUT_SAVE_KEY, writing_->save_key);
    key_edits_.init(ctx, key_ ? *key_ : std::string(), writing_->show_key);
    if (!key_)
        for (int id : {WRITE_OUT_ENCRYPT, WRITE_OUT_SAVE_KEY, WRITE_OUT_SHOW_KEY, WRITE_OUT_KEY, CRYPT_KEY_SHOWN})
            ctx.enable(id, false);
    enable_controls(ctx);
}

void WriteOutDialog::enable_controls(DialogContext& ctx) {
    ctx.enable(WRITE_OUT_SYMBOL, ctx.get_check(WRITE_OUT_INDEX) || ctx.get_check(WRITE_OUT_LINE_INFO));
    bool rubies = ctx.get_check(WRITE_OUT_RUBIES);
    for (int id = WRITE_OUT_NOTATION_FIRST; id <= NOTATION_LAST; ++id) ctx.enable(id, rubies);
    ctx.enable(WRITE_OUT_CUSTOM, rubies);
}

bool WriteOutDialog::command(DialogContext& ctx, int id, int) {
    switch (id) {
    case WRITE_OUT_INDEX:
    case WRITE_OUT_LINE_INFO:
    case WRITE_OUT_RUBIES:
        enable_controls(ctx);
        return true;
    case WRITE_OUT_SHOW_KEY:
        key_edits_.toggle(ctx);
        return true;
    case WRITE_OUT_HELP:
        show_help("WROUT");
        return true;
    default:
        return false;
    }
}

bool WriteOutDialog::ok(DialogContext& ctx) {
    SettingsRecord& r = settings_->rec;
    std::string symbol = ctx.get_text(WRITE_OUT_SYMBOL);
    if (ctx.is_enabled(WRITE_OUT_SYMBOL) && symbol.size() != SYMBOL_BYTES) {
        ctx.show_message(MSG_NOTICE, utf8_to_sjis("行識別記号の長さは２バイトです｡"), NOTICE_MS);
        ctx.focus(WRITE_OUT_SYMBOL);
        return false;
    }
    int notation_id = ctx.get_radio(WRITE_OUT_NOTATION_FIRST, NOTATION_LAST);
    int notation = notation_id ? notation_id - WRITE_OUT_NOTATION_FIRST + 1 : DEFAULT_NOTATION;
    std::string custom = ctx.get_text(WRITE_OUT_CUSTOM);
    // Any other custom pair would be written as 《》 without a word.
    if (notation == NOTATION_COUNT && ctx.get_check(WRITE_OUT_RUBIES) && !is_delimiter_pair(custom)) {
        ctx.show_message(MSG_NOTICE, utf8_to_sjis("指定の区分記号は全角２文字です｡"), NOTICE_MS);
        ctx.focus(WRITE_OUT_CUSTOM);
        return false;
    }
    const bool encrypt = key_ && ctx.get_check(WRITE_OUT_ENCRYPT);
    const std::string key = key_edits_.key(ctx);
    if (encrypt && key.empty()) {
        ctx.show_message(MSG_NOTICE, utf8_to_sjis("暗号キーを入力してください｡"), NOTICE_MS);
        ctx.focus(WRITE_OUT_KEY);
        return false;
    }
    if (key_) {
        writing_->encrypt = encrypt;
        writing_->save_key = ctx.get_check(WRITE_OUT_SAVE_KEY);
        writing_->show_key = ctx.get_check(WRITE_OUT_SHOW_KEY);
        if (encrypt) *key_ = key;
    }
    writing_->index = ctx.get_check(WRITE_OUT_INDEX);
    writing_->line_info = ctx.get_check(WRITE_OUT_LINE_INFO);
    writing_->rubies = ctx.get_check(WRITE_OUT_RUBIES);
    if (symbol.size() == SYMBOL_BYTES) store_field(r.line_id_symbol, sizeof r.line_id_symbol, symbol);
    r.ruby_notation = static_cast<std::uint8_t>(notation);
    store_field(r.ruby_custom_delimiters, sizeof r.ruby_custom_delimiters, custom);
    mark_settings_changed(settings_);
    return true;
}

int run_write_out_dialog(SettingsState* settings, WritingOptions* writing, WindowRef owner, std::string* key) {
    WriteOutDialog dialog(settings, writing, key);
    return run_dialog("WRITE_OUT", dialog, owner);
}

}  // namespace rix
