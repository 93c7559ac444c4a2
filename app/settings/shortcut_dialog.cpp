// SC_MKDB: desktop shortcuts with their own settings (see shortcut_dialog.h).
#include "app/settings/shortcut_dialog.h"

#include "app/shell/command_line.h"
#include "platform/codec.h"
#include "platform/desktop_entry.h"
#include "platform/files.h"
#include "platform/messages.h"

namespace rix {

namespace {

constexpr const char* DEFAULT_ENTRY = "ミルトア.desktop";
constexpr const char* PROGRAM_NAME = "rix";

bool ends_with_switch(const std::string& a, char letter) {
    if (a.size() < 2 || a[a.size() - 2] != '/') return false;
    const char c = a.back();
    return c == letter || c == letter - 'a' + 'A';
}

bool is_address(const std::string& a) { return a.rfind("http:", 0) == 0 || a.rfind("https:", 0) == 0; }

std::string lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

void notice(DialogContext& ctx, const std::string& utf8, unsigned ms) {
    ctx.show_message(MSG_NOTICE, utf8_to_sjis(utf8), ms);
}

class ShortcutProcedure final : public DialogProcedure {
public:
    explicit ShortcutProcedure(const ShortcutServices& s) : services_(s) {}

    void init(DialogContext& ctx) override {
        target_ = services_.program;
        ctx.enable(SC_BROWSE, static_cast<bool>(services_.choose_folder));
        for (int id : {SC_CHANGE, SC_ENV_CHOOSE, SC_LOG_CHOOSE, SC_DOC_CHOOSE})
            ctx.enable(id, static_cast<bool>(services_.choose_file));
        ctx.set_radio(SC_ICON_FIRST, SC_ICON_FIRST + SC_ICON_COUNT - 1, SC_ICON_FIRST);
        DesktopEntry e;
        const std::string path = join_path(services_.desktop_folder, DEFAULT_ENTRY);
        if (read_desktop_entry(path, &e)) {
            fill(ctx, path, e);
        } else {
            // Without an entry to start from, the fields start empty and the
            // entry to be written starts this program.
            ctx.set_text(SC_TARGET, utf8_to_sjis(target_));
            notice(ctx, "ショートカット情報の取得に失敗しました｡\n[参照先変更]ボタンで他のｼｮｰﾄｶｯﾄを選択してください｡", 7000);
        }
    }

    bool command(DialogContext& ctx, int id, int notification) override {
        if (notification != NOTIFY_CLICKED) return false;
        switch (id) {
            case SC_CHANGE: change_entry(ctx); return true;
            case SC_BROWSE: {
                std::string folder = sjis_to_utf8(ctx.get_text(SC_FOLDER));
                if (services_.choose_folder && services_.choose_folder(&folder)) ctx.set_text(SC_FOLDER, utf8_to_sjis(folder));
                return true;
            }
            case SC_DESKTOP: ctx.set_text(SC_FOLDER, utf8_to_sjis(services_.desktop_folder)); return true;
            case SC_MENU: ctx.set_text(SC_FOLDER, utf8_to_sjis(services_.menu_folder)); return true;
            case SC_ENV_CHOOSE:
                choose(ctx, SC_ENV, services_.data_folder, "　環境設定ファイルの選択", "環境設定 ファイル（*env） (*.env)", true);
                return true;
            case SC_LOG_CHOOSE:
                choose(ctx, SC_LOG, services_.data_folder, "　編集履歴ファイルの選択", "編集履歴 ファイル（*log） (*.log)", true);
                return true;
            case SC_DOC_CHOOSE:
                choose(ctx, SC_DOC, services_.document_folder, "　文書ファイルの選択", "文書 ファイル（*txt） (*.txt)", false);
                return true;
            case SC_HELP: show_help("SHORT"); return true;
            default: return false;
        }
    }

    bool ok(DialogContext& ctx) override {
        std::string folder = sjis_to_utf8(ctx.get_text(SC_FOLDER));
        const std::string name = sjis_to_utf8(ctx.get_text(SC_NAME));
        DesktopEntry e;
        e.name = name;
        e.comment = sjis_to_utf8(ctx.get_text(SC_COMMENT));
        e.exec.push_back(target_);
        ShortcutFields f{sjis_to_utf8(ctx.get_text(SC_ENV)), sjis_to_utf8(ctx.get_text(SC_LOG)),
                         sjis_to_utf8(ctx.get_text(SC_DOC))};
        for (std::string& a : shortcut_arguments(f)) e.exec.push_back(std::move(a));
        e.path = working_folder_;
        const int radio = ctx.get_radio(SC_ICON_FIRST, SC_ICON_FIRST + SC_ICON_COUNT - 1);
        const int icon = radio ? radio - SC_ICON_FIRST : 0;
        e.icon = join_path(services_.icon_folder, "rix" + std::to_string(icon) + ".png");
        // A name is one file name: no folder part, not empty.
        const bool name_ok = !name.empty() && name.find('/') == std::string::npos && name != "." && name != "..";
        if (name_ok && !folder.empty() && folder_exists(folder) &&
            write_desktop_entry(join_path(folder, name + ".desktop"), e)) {
            notice(ctx, "ショートカットファイルを作成しました｡", 5000);
            return true;
        }
        notice(ctx, "ショートカットファイルの作成に失敗しました｡", 5000);
        return false;
    }

    void cancel(DialogContext&) override {}

private:
    void fill(DialogContext& ctx, const std::string& path, const DesktopEntry& e) {
        target_ = e.exec.empty() ? services_.program : e.exec[0];
        working_folder_ = e.path;
        ctx.set_text(SC_TARGET, utf8_to_sjis(target_));
        ctx.set_text(SC_FOLDER, utf8_to_sjis(folder_of(path)));
        std::string name = name_of(path);
        if (name.size() > 8 && name.compare(name.size() - 8, 8, ".desktop") == 0) name.resize(name.size() - 8);
        ctx.set_text(SC_NAME, utf8_to_sjis(name));
        ctx.set_radio(SC_ICON_FIRST, SC_ICON_FIRST + SC_ICON_COUNT - 1, SC_ICON_FIRST + shortcut_icon_index(e.icon));
        const ShortcutFields f =
            split_shortcut_arguments(std::vector<std::string>(e.exec.begin() + (e.exec.empty() ? 0 : 1), e.exec.end()));
        ctx.set_text(SC_ENV, utf8_to_sjis(f.env));
        ctx.set_text(SC_LOG, utf8_to_sjis(f.log));
        ctx.set_text(SC_DOC, utf8_to_sjis(f.document));
        ctx.set_text(SC_COMMENT, utf8_to_sjis(e.comment));
    }

    void change_entry(DialogContext& ctx) {
        std::string path;
        if (!services_.choose_file(services_.desktop_folder, "　参照先ファイルの選択",
                                   "ショートカットファイル（*desktop） (*.desktop)", &path))
            return;
        DesktopEntry e;
        if (!read_desktop_entry(path, &e)) {
            notice(ctx, "ショートカット情報の取得に失敗しました｡\n他のショートカットを選択してください｡", 5000);
            return;
        }
        if (lower(name_of(e.exec[0])) != PROGRAM_NAME) {
            notice(ctx, "このショートカットは「ミルトア」用ではありません｡\n他のショートカットを選択してください｡", 5000);
            return;
        }
        fill(ctx, path, e);
    }

    void choose(DialogContext& ctx, int field, const std::string& folder, const char* caption, const char* filter,
                bool by_name_in_folder) {
        std::string path;
        if (!services_.choose_file(folder, caption, filter, &path)) return;
        if (by_name_in_folder && folder_of(path) == folder) path = name_of(path);
        ctx.set_text(field, utf8_to_sjis(path));
    }

    ShortcutServices services_;
    std::string target_;                     // kept from the entry read last
    std::string working_folder_;
};

}  // namespace

std::vector<std::string> shortcut_arguments(const ShortcutFields& f) {
    std::vector<std::string> args;
    if (!f.env.empty()) args.push_back(f.env + "/e");
    if (!f.log.empty()) args.push_back(f.log + "/l");
    if (!f.document.empty()) args.push_back(f.document);
    return args;
}

ShortcutFields split_shortcut_arguments(const std::vector<std::string>& args) {
    ShortcutFields f;
    for (const std::string& a : args) {
        const bool env = !is_address(a) && ends_with_switch(a, 'e');
        const bool log = !is_address(a) && ends_with_switch(a, 'l');
        if ((env || log) && a.size() - 2 > MAX_SWITCH_VALUE) continue;   // as the command line ignores it
        if (env) f.env = a.substr(0, a.size() - 2);
        else if (log) f.log = a.substr(0, a.size() - 2);
        else f.document = a;
    }
    return f;
}

int shortcut_icon_index(const std::string& icon) {
    const std::string name = name_of(icon);
    if (name.size() >= 8 && name.compare(0, 3, "rix") == 0 && name[3] >= '0' && name[3] <= '4' && name[4] == '.')
        return name[3] - '0';
    return 0;
}

int run_shortcut_dialog(const ShortcutServices& services) {
    ShortcutProcedure proc(services);
    return run_dialog("SC_MKDB", proc, services.owner);
}

}  // namespace rix
