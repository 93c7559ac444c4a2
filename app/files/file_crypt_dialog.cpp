// FILE_CRYPT (see file_crypt_dialog.h).
#include "app/files/file_crypt_dialog.h"

#include "app/documents/crypt_flow.h"
#include "files/file_crypt.h"
#include "platform/codec.h"
#include "platform/files.h"
#include "platform/messages.h"

namespace rix {
namespace {

constexpr unsigned DONE_MS = 3000, FAILED_MS = 5000;

class FileCrypt final : public DialogProcedure {
public:
    FileCrypt(FileCryptState* state, const FileCryptServices& services) : st_(*state), s_(services) {}

    void init(DialogContext& ctx) override {
        ctx.set_text(FILE_CRYPT_SOURCE, utf8_to_sjis(st_.source));
        ctx.set_text(FILE_CRYPT_OUTPUT, utf8_to_sjis(st_.output));
        edits_.init(ctx, st_.key ? *st_.key : std::string(), st_.show_key);
        ctx.set_check(FILE_CRYPT_SHOW_RESULT, st_.show_result);
        ctx.enable(FILE_CRYPT_CHOOSE_SOURCE, static_cast<bool>(s_.choose_source));
        ctx.enable(FILE_CRYPT_CHOOSE_OUTPUT, static_cast<bool>(s_.choose_output));
    }

    bool command(DialogContext& ctx, int id, int notification) override {
        if (notification != NOTIFY_CLICKED) return false;
        switch (id) {
            case FILE_CRYPT_DECRYPT: run(ctx, false); return true;
            case FILE_CRYPT_SHOW_KEY: edits_.toggle(ctx); return true;
            case FILE_CRYPT_HELP: show_help("CRYPT"); return true;
            case FILE_CRYPT_CHOOSE_SOURCE: choose(ctx, FILE_CRYPT_SOURCE, s_.choose_source); return true;
            case FILE_CRYPT_CHOOSE_OUTPUT: choose(ctx, FILE_CRYPT_OUTPUT, s_.choose_output); return true;
            default: return false;
        }
    }

    // 暗号化 is button 1: it runs and the dialog stays.
    bool ok(DialogContext& ctx) override {
        run(ctx, true);
        return false;
    }
    void cancel(DialogContext& ctx) override { take(ctx); }

private:
    void take(DialogContext& ctx) {
        st_.source = sjis_to_utf8(ctx.get_text(FILE_CRYPT_SOURCE));
        st_.output = sjis_to_utf8(ctx.get_text(FILE_CRYPT_OUTPUT));
        if (st_.key) *st_.key = edits_.key(ctx);
        st_.show_key = ctx.get_check(FILE_CRYPT_SHOW_KEY);
        st_.show_result = ctx.get_check(FILE_CRYPT_SHOW_RESULT);
    }

    void choose(DialogContext& ctx, int edit, const std::function<bool(std::string*)>& chooser) {
        if (!chooser) return;
        std::string path = sjis_to_utf8(ctx.get_text(edit));
        if (chooser(&path)) ctx.set_text(edit, utf8_to_sjis(path));
    }

    void run(DialogContext& ctx, bool encrypt) {
        take(ctx);
        const std::string source = st_.source.empty() ? std::string() : absolute_path(st_.source);
        const std::string output = st_.output.empty() ? std::string() : absolute_path(st_.output);
        if (source.empty() || output.empty()) {
            ctx.show_message(MSG_NOTICE, crypt_result_text(source.empty() ? CryptResult::SOURCE_UNREADABLE
                                                                          : CryptResult::OUTPUT_UNWRITABLE, encrypt),
                             FAILED_MS);
            return;
        }
        if (path_kind(output) != PathKind::MISSING &&
            ctx.show_message(MSG_YES_NO, utf8_to_sjis("変換後のファイル\n" + output + "\nは既に存在します｡\n上書きしますか？")) !=
                MSG_RESULT_YES)
            return;
        const CryptResult r = transform_file(source, output, st_.key ? *st_.key : std::string());
        ctx.show_message(MSG_NOTICE, crypt_result_text(r, encrypt), r == CryptResult::DONE ? DONE_MS : FAILED_MS);
        if (r == CryptResult::DONE && st_.show_result && s_.view) s_.view(output);
    }

    FileCryptState& st_;
    const FileCryptServices& s_;
    KeyEdits edits_;
};

}  // namespace

void run_file_crypt_dialog(FileCryptState* state, const FileCryptServices& services, WindowRef owner) {
    FileCrypt proc(state, services);
    run_dialog("FILE_CRYPT", proc, owner);
}

}  // namespace rix
