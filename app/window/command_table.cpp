// The command slots and the command table of the main window.
#include "app/window/command_table.h"

#include <algorithm>

#include "platform/codec.h"

namespace rix {
namespace {

// One line per slot, in slot order; empty slots hold command 0.
constexpr CommandSlot SLOTS[COMMAND_SLOT_COUNT] = {
    {101, "上書き保存", 'S', "ﾎ", "", "上書"},
    {102, "名前を付けて保存", 'N', "ﾅ", "", "名付"},
    {103, "文書を開く", 'O', "ﾋ", "", "開く"},
    {104, "現在行に読込み", 'R', "ﾖ", "", "読込"},
    {400, "文書情報/編集履歴", 'I', "ﾌ", "", "情報"},
    {0, "", 0, "", "", ""},
    {111, "印 刷", 'P', "ｲ", "", "印刷"},
    {114, "保存・終了", 'W', "ｶ", "", "保終"},
    {115, "ミルトアの終了", 'X', "ｼ", "", "終了"},
    {200, "元に戻す･Undo", 'U', "ﾓ", " Shift+Bs", "戻す"},
    {202, "切り取り", 'T', "ｷ", "  Shift+Del", "切取"},
    {203, "コ ピ ー", 'C', "ｺ", "   Ctrl +Ins", "ｺﾋﾟｰ"},
    {205, "貼り付け", 'P', "ﾊ", "  Shift+Ins", "貼付"},
    {206, "ルビを振る", 'R', "ﾙ", "", "ルビ"},
    {300, "検 索", 'S', "ｹ", "", "検索"},
    {301, "置 換", 'R', "ﾁ", "", "置換"},
    {310, "ジャンプ", 'J', "ｼ", "", "ｼﾞｬﾝﾌ"},
    {0, "", 0, "", "", ""},
    {0, "", 0, "", "", ""},
    {313, "文書先頭へｼﾞｬﾝﾌﾟ", 'T', "ｾ", "", "先頭"},
    {314, "文書最後へｼﾞｬﾝﾌﾟ", 'E', "ｻ", "", "最後"},
    {0, "", 0, "", "", ""},
    {606, "右ｸﾘｯｸﾒﾆｭｰ設定", 'R', "ﾐ", "", "右ク"},
    {601, "編集画面書式", 'S', "ｼ", "", "書式"},
    {403, "手 帖", 'N', "ﾃ", "", "手帖"},
    {207, "日付入力", 'D', "ﾋ", "", "日付"},
    {504, "メール送信", 'M', "ﾒ", "", "ﾒｰﾙ"},
    {100, "新規文書作成", 'N', "ｼ", "", "新規"},
    {703, "ダウンロード設定", 'D', "ﾀ", "", "ＤＬ"},
    {600, "全書式共通項目", 'A', "ｵ", "", "共通"},
    {605, "ﾂｰﾙﾊﾞｰ/右ｸﾘｯｸ設定", 'T', "ﾂ", "", "ﾂｰﾙ"},
    {607, "編集ｷｰ/禁則文字設定", 'E', "ﾍ", "", "キー"},
    {404, "構成索引", 'S', "ｺ", "", "索引"},
    {405, "類語一覧", 'Q', "ﾙ", "", "類語"},
    {0, "", 0, "", "", ""},
    {500, "HTML(ﾎｰﾑﾍﾟｰｼﾞ)作成", 'H', "ｴ", "", "HTML"},
    {406, "計数表示", 'K', "ｹ", "", "計数"},
    {503, "FTP(ﾌｧｲﾙ転送)", 'F', "ﾃ", "", "FTP"},
    {214, "行の書式設定", 'F', "ｼ", "", "行設"},
    {602, "行書式登録", 'G', "ﾄ", "", "行登"},
    {705, "ショートカット作成", 'C', "ｶ", "", "SC作"},
    {108, "ﾌｧｲﾙの暗号/復号化", 'C', "ｱ", "", "暗号"},
    {201, "やり直し･ReUndo", 'Y', "ﾔ", " Alt+Bs", "直し"},
    {215, "全て選択", 'A', "ｽ", "", "全選"},
    {401, "付箋 ･ しおり付け", 'T', "ﾌ", "", "付箋"},
    {350, "前の付箋へ", 'F', "ﾌ", "", "前箋"},
    {351, "次の付箋へ", 'F', "ﾌ", "", "次箋"},
    {112, "印刷プレビュー", 'V', "ﾌ", "", "プレ"},
    {799, "ヘルプの表示", 'H', "ﾍ", "", "ﾍﾙﾌﾟ"},
    {407, "文書データベース", 'B', "ﾍ", "", "ＤＢ"},
    {502, "EPUBファイル出力", 'E', "ｲ", "", "EPUB"},
};

// Every command of the main window and its help topic, in menu order.
struct TopicOf {
    int first, last;
    const char* topic;
};

constexpr TopicOf COMMANDS[] = {
    {100, 100, ""}, {101, 101, "CONT"}, {102, 102, "RENAME"}, {103, 103, "OPEN"},
    {104, 104, "READIN"}, {108, 108, "CRYPT"}, {109, 109, "FSEARCH"}, {111, 111, "PRINT"},
    {112, 112, ""}, {114, 115, "EXIT"}, {150, 159, ""}, {200, 200, "EDIT"},
    {201, 201, "EDIT"}, {202, 202, "EDIT"}, {203, 203, "EDIT"}, {205, 205, "EDIT"},
    {206, 206, "RUBY"}, {207, 207, "DATE"}, {214, 214, "ROWINF"}, {215, 215, ""},
    {220, 220, "EDIT"}, {221, 221, "EDIT"}, {230, 230, ""}, {250, 252, ""},
    {300, 301, "KENTIKAN"}, {310, 310, "JUMP"}, {311, 312, "MRKJUMP"}, {313, 314, ""},
    {320, 320, ""}, {321, 328, ""}, {330, 330, ""}, {331, 338, ""},
    {350, 351, ""}, {400, 400, "INF"}, {401, 401, "TAG"}, {402, 402, ""},
    {403, 403, "NOTE"}, {404, 404, "IDX"}, {405, 405, "SYN"}, {406, 406, "CNT"},
    {407, 407, "DB"}, {500, 500, "HTML"}, {502, 502, "EPUB"}, {503, 503, "FTP"},
    {504, 504, "MAIL"}, {600, 600, "ENV_COM"}, {601, 601, "ENV_FMSET"}, {602, 602, "RFMREG"},
    {605, 605, "ENV_TB"}, {606, 606, "ENV_RB"}, {607, 607, "ENV_ASGN"}, {703, 703, "DWL"},
    {705, 705, "SHORT"}, {730, 734, ""}, {748, 749, ""}, {750, 769, ""},
    {799, 799, ""}, {800, 800, "TOP"}, {805, 805, "SUPORT"}, {806, 806, "HOME"},
    {810, 810, "VERSION"}, {811, 811, ""}, {822, 822, "F_FAQ"}, {830, 830, "F_OPE1"},
    {831, 831, "F_OPE2"}, {832, 832, "F_OPE3"}, {833, 833, "F_OPE4"}, {900, 903, ""},
    {1000, 1025, ""}, {9001, 9001, "RDIN"}, {9002, 9002, "WROUT"},
};

}  // namespace

const CommandSlot* command_slot(int slot) {
    if (slot < 1 || slot > COMMAND_SLOT_COUNT) return nullptr;
    const CommandSlot& s = SLOTS[slot - 1];
    return s.command ? &s : nullptr;
}

int slot_of_command(int command) {
    for (int i = 0; i < COMMAND_SLOT_COUNT; ++i)
        if (command != 0 && SLOTS[i].command == command) return i + 1;
    return 0;
}

std::string slot_name(int slot) {
    const CommandSlot* s = command_slot(slot);
    return s ? utf8_to_sjis(s->name) : std::string();
}

std::string slot_suffix(int slot) {
    const CommandSlot* s = command_slot(slot);
    if (!s) return {};
    std::string text = "(\x1E";
    text += s->letter;
    text += '\x1F';
    text += utf8_to_sjis(s->kana);
    text += ')';
    text += s->key_text;
    return text.substr(0, SLOT_SUFFIX_FIELD - 1);
}

std::string slot_menu_text(int slot) {
    if (!command_slot(slot)) return {};
    return slot_name(slot) + " " + slot_suffix(slot);
}

CommandTable::CommandTable() {
    for (const TopicOf& c : COMMANDS) entries_.push_back(CommandEntry{c.first, c.last, c.topic, {}, {}});
}

const CommandEntry* CommandTable::find(int id) const {
    for (const CommandEntry& e : entries_)
        if (id >= e.first && id <= e.last) return &e;
    return nullptr;
}

bool CommandTable::enabled(int id) const {
    const CommandEntry* e = find(id);
    return e && e->run && (!e->enabled || e->enabled());
}

std::string CommandTable::topic(int id) const {
    const CommandEntry* e = find(id);
    return e ? e->topic : std::string();
}

bool CommandTable::set_handler(int id, CommandHandler run, CommandPredicate enabled) {
    auto it = std::find_if(entries_.begin(), entries_.end(),
                           [id](const CommandEntry& e) { return id >= e.first && id <= e.last; });
    if (it == entries_.end()) return false;
    it->run = std::move(run);
    it->enabled = std::move(enabled);
    return true;
}

void CommandTable::clear_handler(int id) { set_handler(id, {}, {}); }

bool CommandTable::run(int id) const {
    if (!enabled(id)) return false;
    // The handler may replace entries (a command that re-installs another):
    // run a copy so that it outlives such a change.
    CommandHandler handler = find(id)->run;
    handler(id);
    return true;
}

std::vector<int> CommandTable::ids() const {
    std::vector<int> out;
    for (const CommandEntry& e : entries_)
        for (int id = e.first; id <= e.last; ++id) out.push_back(id);
    return out;
}

}  // namespace rix
