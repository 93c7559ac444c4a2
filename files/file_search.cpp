// File search (see file_search.h).
#include "files/file_search.h"

#include <cstdio>
#include <ctime>

#include "files/file_list.h"
#include "platform/codec.h"
#include "platform/file_tools.h"
#include "platform/text_tools.h"

namespace rix {
namespace {

struct Level {
    std::string folder;          // ends in "/"
    FolderReader reader;
};

// Pseudo file systems whose trees are not files of the writer's.
bool is_system_tree(const std::string& folder) { return folder == "/proc/" || folder == "/sys/"; }

std::string date_text(std::int64_t mtime) {
    const std::time_t t = static_cast<std::time_t>(mtime);
    std::tm tm{};
    if (!::localtime_r(&t, &tm)) return {};
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d-%02d-%02d %02d:%02d", tm.tm_year % 100, tm.tm_mon + 1, tm.tm_mday,
                  tm.tm_hour, tm.tm_min);
    return buf;
}

}  // namespace

SearchOutcome search_files(const std::string& start_in, std::string_view text_cp932, const SearchHooks& hooks) {
    SearchOutcome out;
    const std::string text = sjis_to_utf8(text_cp932);
    std::string start = start_in.empty() ? std::string("./") : start_in;
    if (start.back() != '/') start += '/';
    std::vector<Level> stack;
    stack.push_back({start, {}});
    if (!stack.back().reader.open(start)) {
        out.end = SearchEnd::NO_FOLDER;
        return out;
    }
    SearchCounters& c = out.counters;
    c.level = c.deepest = 0;
    auto tell = [&] {
        if (hooks.progress) hooks.progress(c);
    };
    FolderEntry e;
    while (!stack.empty()) {
        if (hooks.stop && hooks.stop()) {
            out.end = SearchEnd::CANCELLED;
            break;
        }
        Level& top = stack.back();
        if (!top.reader.next(&e, false)) {
            stack.pop_back();
            c.level = stack.empty() ? 0 : static_cast<int>(stack.size()) - 1;
            continue;
        }
        if (e.folder) {
            const std::string folder = top.folder + e.name + "/";
            if (is_system_tree(folder)) continue;
            if (static_cast<int>(stack.size()) >= SEARCH_MAX_LEVELS) {
                out.end = SearchEnd::TOO_DEEP;
                break;
            }
            if (c.folders + 1 >= SEARCH_MAX_FOLDERS) {
                out.end = SearchEnd::TOO_MANY_FOLDERS;
                break;
            }
            Level next{folder, {}};
            if (!next.reader.open(folder)) continue;   // unreadable: passed over
            ++c.folders;
            stack.push_back(std::move(next));
            c.level = static_cast<int>(stack.size()) - 1;
            if (c.level > c.deepest) c.deepest = c.level;
            tell();
            continue;
        }
        if (e.name.find(text) == std::string::npos) continue;
        ++c.matches;
        if (static_cast<int>(out.found.size()) < SEARCH_MAX_RESULTS)
            out.found.push_back({top.folder, e.name, e.size, e.mtime});
    }
    tell();
    return out;
}

std::string counter_text(const SearchCounters& c) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%d/%d %d-%d", c.level, c.deepest, c.folders, c.matches);
    return buf;
}

std::string result_line(int number, const FoundFile& f) {
    std::string folder = utf8_to_sjis(f.folder);
    const std::string name = utf8_to_sjis(f.name);
    static const std::string ellipsis = utf8_to_sjis("…");
    std::string pair;
    if (folder.size() + name.size() <= SEARCH_LINE_PAIR_BYTES) {
        pair = folder + "   " + name + std::string(SEARCH_LINE_PAIR_BYTES - folder.size() - name.size(), ' ');
    } else {
        const std::size_t room = SEARCH_LINE_PAIR_BYTES > name.size() + ellipsis.size()
                                     ? SEARCH_LINE_PAIR_BYTES - name.size() - ellipsis.size() : 0;
        const std::size_t keep = cut_on_boundary(folder, room);
        pair = folder.substr(0, keep) + ellipsis + std::string(room - keep, ' ') + "   " + name;
    }
    char head[16];
    std::snprintf(head, sizeof head, "%4d ", number);
    const std::string size = group_thousands(static_cast<std::uint64_t>(f.size < 0 ? 0 : f.size));
    char size_cell[40];
    std::snprintf(size_cell, sizeof size_cell, " %10sb ", size.c_str());
    return head + pair + size_cell + date_text(f.mtime);
}

std::vector<std::string> search_usage_lines() {
    static const char* const lines[] = {
        "", "--- 使用方法 ---", "", "保存した筈のファイルが見付からない、と云った時にお使いください。", "",
        "先ず、検索するドライブとフォルダを、右上の「フォルダ選択」を押下して一覧から選びます。",
        "次に検索ファイル名の一部を入力します。", "検索対象が文書であれば「.txt」をお勧めします。", "",
        "「検索実行」押下で対象領域の全ファイル名の部分一致検索を実行し、ファイル一覧が表示されます。",
        "一覧からファイルを選択し、文書であれば「プレビュー」で確認出来、", "「文書を開く」で編集画面を開けます。",
        "検索ファイル名入力後、Enterキー押下でも検索実行されます。", "プレビューは一覧のダブルクリックでも開けます。", "",
        "検索中のカウント表示説明", "「検索中階層値 / 検索最大階層値　検索済ﾌｫﾙﾀﾞ数 - 検索一致ﾌｧｲﾙ数」", "",
        "※記録媒体の構成状況に拠りまして、検索障害が発生する事があります。",
        "　このような場合は検索範囲を絞って再検索してください。", "",
        "※検索実行中は画面を切替えないでください。", "　エスケープ(Esc)キー押下で検索実行中止します。"};
    std::vector<std::string> out;
    for (const char* l : lines) out.push_back(utf8_to_sjis(l));
    return out;
}

}  // namespace rix
