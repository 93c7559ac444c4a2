// DWL_DB: the download settings (see download_dialog.h).
#include "app/settings/download_dialog.h"

#include "platform/codec.h"
#include "platform/messages.h"

namespace rix {

namespace {

constexpr int RUBY_CONTROLS[] = {DWL_RUBY_GROUP, 61, 62, 63, 64, DWL_CUSTOM, 70, 71, 72};

class DownloadProcedure final : public DialogProcedure {
public:
    explicit DownloadProcedure(const DownloadServices& s) : services_(s) {}

    void init(DialogContext& ctx) override {
        const SettingsRecord& r = services_.settings->rec;
        const DownloadForm f = download_form(r);
        ctx.set_check(DWL_ENTRY, (r.download_flags & 1) != 0);
        ctx.enable(DWL_ENTRY, static_cast<bool>(services_.set_entry));
        ctx.set_radio(DWL_DISPOSAL_FIRST, DWL_DISPOSAL_FIRST + 3, DWL_DISPOSAL_FIRST + f.disposal);
        ctx.set_check(DWL_SINGLE, f.single);
        ctx.set_check(DWL_TITLE, f.title);
        ctx.set_check(DWL_RUBY, f.ruby);
        ctx.set_radio(DWL_NOTATION_FIRST, DWL_NOTATION_FIRST + 3, DWL_NOTATION_FIRST + f.notation - 1);
        ctx.set_text(DWL_CUSTOM, f.custom);
        ctx.set_radio(DWL_ALLOT_FIRST, DWL_ALLOT_FIRST + 2, DWL_ALLOT_FIRST + f.allotment);
        enable_ruby(ctx);
    }

    bool command(DialogContext& ctx, int id, int notification) override {
        if (notification != NOTIFY_CLICKED) return false;
        switch (id) {
            case DWL_RUBY: enable_ruby(ctx); return true;
            case DWL_ENTRY: switch_entry(ctx); return true;
            case DWL_HELP: show_help("DWL"); return true;
            default: return false;
        }
    }

    bool ok(DialogContext& ctx) override {
        DownloadForm f;
        f.ruby = ctx.get_check(DWL_RUBY);
        f.single = ctx.get_check(DWL_SINGLE);
        f.title = ctx.get_check(DWL_TITLE);
        const int disposal = ctx.get_radio(DWL_DISPOSAL_FIRST, DWL_DISPOSAL_FIRST + 3);
        f.disposal = disposal ? disposal - DWL_DISPOSAL_FIRST : 0;
        const int notation = ctx.get_radio(DWL_NOTATION_FIRST, DWL_NOTATION_FIRST + 3);
        f.notation = notation ? notation - DWL_NOTATION_FIRST + 1 : 3;
        f.custom = ctx.get_text(DWL_CUSTOM);
        const int allot = ctx.get_radio(DWL_ALLOT_FIRST, DWL_ALLOT_FIRST + 2);
        f.allotment = allot ? allot - DWL_ALLOT_FIRST : 0;
        store_download_form(f, &services_.settings->rec);
        mark_settings_changed(services_.settings);
        return true;
    }

    void cancel(DialogContext&) override {}

private:
    void enable_ruby(DialogContext& ctx) {
        const bool on = ctx.get_check(DWL_RUBY);
        for (int id : RUBY_CONTROLS) ctx.enable(id, on);
    }

    void switch_entry(DialogContext& ctx) {
        const bool on = ctx.get_check(DWL_ENTRY);
        const char* question =
            on ? "「ダウンロード有効」がチェックオンされました。\nこれはブラウザやファイルマネージャの\n"
                 "「アプリケーションで開く」に本エディタ「ミルトア」を加え、\n"
                 "指定したテキストファイル（圧縮済を含む）を\n表示・編集する機能です。\n\n"
                 "この機能にはデスクトップ項目の登録が必要です。\n"
                 "チェックを外せば何時でも登録を元に戻せます。\n\n呼出し機能を登録しますか？\n"
               : "「ダウンロード有効」がチェックオフされました。\nブラウザやファイルマネージャからの本エディタ\n"
                 "呼出し「ミルトア」が使えなくなります。\n\n登録した呼出し機能を削除しますか？\n";
        bool done = false;
        if (ctx.show_message(MSG_YES_NO, utf8_to_sjis(question)) == MSG_RESULT_YES) {
            done = services_.set_entry(on);
            if (on && done)
                ctx.show_message(MSG_NOTICE,
                                 utf8_to_sjis("デスクトップ項目に登録しました｡\n\n「アプリケーションで開く」に\n"
                                              "「ミルトア」が表示されない場合は\n再ログインしてください。"),
                                 7000);
            else if (on)
                ctx.show_message(MSG_NOTICE, utf8_to_sjis("デスクトップ項目への登録に失敗しました｡"), 3000);
            else if (done)
                ctx.show_message(MSG_NOTICE, utf8_to_sjis("デスクトップ項目から削除しました｡"), 2000);
            else
                ctx.show_message(MSG_NOTICE, utf8_to_sjis("デスクトップ項目の削除に失敗しました｡"), 3000);
        }
        if (!done) {
            ctx.set_check(DWL_ENTRY, !on);
            return;
        }
        SettingsRecord& r = services_.settings->rec;
        r.download_flags = static_cast<std::uint8_t>((r.download_flags & ~1u) | (on ? 1u : 0u));
        mark_settings_changed(services_.settings);
    }

    DownloadServices services_;
};

}  // namespace

DownloadForm download_form(const SettingsRecord& r) {
    DownloadForm f;
    f.ruby = (r.download_flags & 2) != 0;
    f.single = (r.download_flags & 4) != 0;
    f.disposal = r.download_flags >> 3 & 3;
    f.title = (r.download_flags & 0x20) != 0;
    f.notation = r.ruby_notation >= 1 && r.ruby_notation <= 4 ? r.ruby_notation : 3;
    f.custom = std::string(read_field(r.ruby_custom_delimiters, 4));
    f.allotment = r.ruby_allotment <= 2 ? r.ruby_allotment : 0;
    return f;
}

void store_download_form(const DownloadForm& f, SettingsRecord* r) {
    std::uint32_t flags = r->download_flags & 1u;   // bit 0 follows the entry itself
    flags |= f.ruby ? 2u : 0u;
    flags |= f.single ? 4u : 0u;
    flags |= static_cast<std::uint32_t>(f.disposal >= 0 && f.disposal <= 3 ? f.disposal : 0) << 3;
    flags |= f.title ? 0x20u : 0u;
    flags |= r->download_flags & 0xC0u;             // bits this dialog does not own
    r->download_flags = static_cast<std::uint8_t>(flags);
    if (!f.ruby) return;
    r->ruby_notation = static_cast<std::uint8_t>(f.notation >= 1 && f.notation <= 4 ? f.notation : 3);
    store_field(r->ruby_custom_delimiters, sizeof r->ruby_custom_delimiters, f.custom.substr(0, cut_on_boundary(f.custom, 4)));
    r->ruby_allotment = static_cast<std::uint8_t>(f.allotment >= 0 && f.allotment <= 2 ? f.allotment : 0);
}

int run_download_dialog(const DownloadServices& services) {
    if (!services.settings) return DIALOG_CANCEL;
    DownloadProcedure proc(services);
    return run_dialog("DWL_DB", proc, services.owner);
}

}  // namespace rix
