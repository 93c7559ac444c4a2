// EXTRACT_SEL: the archive's member list and the extraction of one member
// (see extract_dialog.h).
#include "app/files/extract_dialog.h"

#include <unistd.h>

#include <cstdio>
#include <vector>

#include "platform/codec.h"
#include "platform/files.h"
#include "platform/messages.h"

namespace rix {

namespace {

void notice(DialogContext& ctx, const std::string& utf8, unsigned ms) {
    ctx.show_message(MSG_NOTICE, utf8_to_sjis(utf8), ms);
}

class ExtractProcedure final : public DialogProcedure {
public:
    ExtractProcedure(const ExtractServices& s, std::string* extracted) : services_(s), extracted_(extracted) {
        folder_ = folder_of(s.archive);
    }

    void init(DialogContext& ctx) override {
        ctx.set_caption(utf8_to_sjis(" 圧縮ファイル内容選択　" + services_.archive));
        ctx.enable(EXTRACT_FOLDER, static_cast<bool>(services_.choose_folder));
        if (list_archive(services_.archive, services_.kind, &members_) != ArchiveStatus::OK) {
            notice(ctx, "書庫ファイルオープン失敗", 4000);
            ctx.end_dialog(1);
            return;
        }
        std::vector<std::vector<std::string>> rows;
        for (const ArchiveMember& m : members_)
            rows.push_back({m.name, std::to_string(m.packed), std::to_string(m.original),
                            member_ratio_text(m, services_.kind)});
        ctx.set_rows(EXTRACT_LIST, std::move(rows));
        for (int i = 0; i < static_cast<int>(members_.size()) && picked_ < 0; ++i)
            if (!members_[i].directory) picked_ = i;
        ctx.set_selection(EXTRACT_LIST, picked_);
        show_picked(ctx);
        if (services_.downloaded && services_.single_at_once && archive_file_count(members_) == 1) extract(ctx);
    }

    bool command(DialogContext& ctx, int id, int notification) override {
        if (id == EXTRACT_LIST) {
            const int row = ctx.get_selection(EXTRACT_LIST);
            picked_ = row >= 0 && row < static_cast<int>(members_.size()) && !members_[row].directory ? row : -1;
            show_picked(ctx);
            if (notification == NOTIFY_DOUBLE_CLICK && picked_ >= 0) extract(ctx);
            return true;
        }
        if (notification != NOTIFY_CLICKED) return false;
        if (id == EXTRACT_FOLDER) {
            std::string folder = folder_;
            if (services_.choose_folder && services_.choose_folder(&folder) && !folder.empty()) {
                folder_ = folder;
                show_picked(ctx);
            }
            return true;
        }
        if (id == EXTRACT_HELP) {
            show_help("EXTRACT");
            return true;
        }
        return false;
    }

    bool ok(DialogContext& ctx) override {
        if (picked_ < 0) {
            // A folder row picked: nothing to open; with no member at all, the dialog ends.
            if (archive_file_count(members_) == 0) ctx.end_dialog(1);
            return false;
        }
        extract(ctx);
        return false;
    }

    void cancel(DialogContext&) override {}

private:
    std::string file_name() const { return picked_ < 0 ? std::string() : member_file_name(members_[picked_].name); }
    std::string destination() const {
        const std::string name = file_name();
        return name.empty() ? folder_ + "/" : join_path(folder_, name);
    }

    void show_picked(DialogContext& ctx) {
        ctx.set_text(EXTRACT_DESTINATION, utf8_to_sjis(destination()));
        char text[32];
        std::snprintf(text, sizeof text, "%3u/%-u", static_cast<unsigned>(picked_ + 1),
                      static_cast<unsigned>(members_.size()));
        ctx.set_text(EXTRACT_COUNTER, text);
    }

    void extract(DialogContext& ctx) {
        if (picked_ < 0) return;
        if (file_name().empty()) {
            notice(ctx, " ファイル名が無いため解凍できません｡\n（名前が空か「.」「..」です）", 3000);
            return;
        }
        bool replace = false;
        if (file_exists(destination())) {
            const int answer = ctx.show_message(
                MSG_YES_NO, utf8_to_sjis(name_of(destination()) + " は既に存在します｡\n置き換えますか？"));
            if (answer != MSG_RESULT_YES) return;
            replace = true;
        }
        std::string written;
        const ExtractResult r =
            extract_archive_member(services_.archive, services_.kind, members_, picked_, folder_, replace, &written);
        if (r != ExtractResult::OK) {
            notice(ctx, " 解凍エラーが発生しました｡", 3000);
            return;
        }
        if (services_.downloaded) ::unlink(services_.archive.c_str());
        *extracted_ = written;
        ctx.end_dialog(0);
    }

    ExtractServices services_;
    std::string* extracted_;
    std::string folder_;
    std::vector<ArchiveMember> members_;
    int picked_ = -1;
};

}  // namespace

int run_extract_dialog(const ExtractServices& services, std::string* extracted) {
    ExtractProcedure proc(services, extracted);
    const int result = run_dialog("EXTRACT_SEL", proc, services.owner);
    return result == 0 ? 0 : 1;
}

}  // namespace rix
