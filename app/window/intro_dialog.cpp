// The introduction dialog and its two texts.
#include "app/window/intro_dialog.h"

#include "platform/codec.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/messages.h"

namespace rix {
namespace {

constexpr std::uint8_t INTRO_OFF = 0x80;   // intro_flags bit 7

const char* const WRITING_TEXT =
    "ミルトアは原稿用紙の升目に文章を書くための編集ソフトです。\r\n"
    "文字はそのまま打ち込み、Enter で改行します。縦書きでは行が右から左へ進みます。\r\n"
    "句読点や閉じ括弧は行頭に来ないよう、行末にぶら下がります（禁則処理）。\r\n"
    "ルビは 漢字《かんじ》 の形で書いた文書を読み込むとき、ルビとして取り込めます。\r\n"
    "文書はシフトJISのテキストファイルとして保存され、ルビや付箋などは\r\n"
    "同じ名前の拡張ファイル（.rix）に保たれます。";

const char* const SETUP_TEXT =
    "画面の書式は五つまで登録でき、Alt+1〜5 で切り替えます。\r\n"
    "一行の字数・行数・段組・升目の形・書体・色は「画面書式設定」で決めます。\r\n"
    "印刷は三つの印刷書式から選び、原稿用紙の体裁で印刷やPDF出力ができます。\r\n"
    "設定は終了時に環境設定ファイル（rix.env）へ保存され、次の起動で使われます。\r\n"
    "下のボタンで、それぞれの説明を開けます。";

class IntroProcedure final : public DialogProcedure {
public:
    explicit IntroProcedure(std::uint8_t flags) : flags_(flags) {}

    void init(DialogContext& c) override {
        std::string writing = utf8_to_sjis(WRITING_TEXT), setup = utf8_to_sjis(SETUP_TEXT);
        for (int id : {1000, 1010}) c.set_text(id, writing);
        for (int id : {1001, 1011}) c.set_text(id, setup);
        c.set_check(3, (flags_ & INTRO_OFF) != 0);
        show_orientation(c);
    }

    bool command(DialogContext& c, int id, int) override {
        static const char* const TOPICS[] = {"ENV_FMSET", "ENV_COM", "PRINT", "BEGIN"};
        if (id >= 4 && id <= 7) {
            show_help(TOPICS[id - 4]);
            return true;
        }
        if (id == 9) {
            vertical_ = !vertical_;
            show_orientation(c);
            return true;
        }
        if (id == 1 || id == 2) {
            off_ = c.get_check(3);
            ended_ = id;
            c.end_dialog(id);
            return true;
        }
        return false;
    }

    bool ok(DialogContext& c) override {
        off_ = c.get_check(3);
        ended_ = 2;
        return true;
    }

    void cancel(DialogContext& c) override { off_ = c.get_check(3); }

    bool off() const { return off_; }
    int ended() const { return ended_; }

private:
    void show_orientation(DialogContext& c) const {
        c.show(1000, vertical_);
        c.show(1001, vertical_);
        c.show(1010, !vertical_);
        c.show(1011, !vertical_);
        c.set_text(9, utf8_to_sjis(vertical_ ? "横表示へ" : "縦表示へ"));
    }

    std::uint8_t flags_;
    bool vertical_ = true;   // the boxes start vertical
    bool off_ = false;
    int ended_ = 2;
};

}  // namespace

bool introduction_due(const Application& app) {
    return app.instance_number == 1 && !app.batch && (app.settings.rec.intro_flags & INTRO_OFF) == 0 &&
           app.doc.file_length == 0;
}

void show_introduction(Application& app) {
    std::uint8_t& flags = app.settings.rec.intro_flags;
    IntroProcedure procedure(flags);
    run_dialog("SCREEN_MSG", procedure, 0);
    std::uint8_t stored = static_cast<std::uint8_t>(procedure.off() ? (flags | INTRO_OFF) : (flags & ~INTRO_OFF));
    if (stored != flags) {
        flags = stored;
        mark_settings_changed(&app.settings);
    }
    if (procedure.ended() != 1) return;
    std::string sample = join_path(app.paths.program_folder, "サンプル.txt");
    if (!file_exists(sample)) {
        show_message(MSG_NOTICE, 0, utf8_to_sjis("サンプル文書がありません｡"), 3000);
        return;
    }
    launch_instance(app, sample);
}

}  // namespace rix
