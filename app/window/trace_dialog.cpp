// The trace dialog.
#include "app/window/trace_dialog.h"

#include <cinttypes>
#include <cstdio>

#include "document/undo_journal.h"
#include "platform/codec.h"
#include "platform/dialogs.h"
#include "platform/messages.h"

namespace rix {
namespace {

std::string position(TextPos p) {
    char text[48];
    std::snprintf(text, sizeof text, "%u 行 %u 桁", p.line() + 1, p.column());
    return text;
}

std::string number(std::uint64_t n) {
    char text[24];
    std::snprintf(text, sizeof text, "%" PRIu64, n);
    return text;
}

class TraceProcedure final : public DialogProcedure {
public:
    TraceProcedure(std::string text, Clipboard* clipboard) : text_(std::move(text)), clipboard_(clipboard) {}

    void init(DialogContext& c) override {
        c.set_text(100, utf8_to_sjis(text_));
        c.enable(3, clipboard_ != nullptr);
    }
    bool command(DialogContext&, int id, int) override {
        if (id != 3 || !clipboard_) return false;
        if (!clipboard_->set_text(text_))
            show_message(MSG_NOTICE, 0, utf8_to_sjis("クリップボードに写せませんでした｡"), 2000);
        return true;
    }
    bool ok(DialogContext&) override { return true; }
    void cancel(DialogContext&) override {}

private:
    std::string text_;
    Clipboard* clipboard_;
};

}  // namespace

std::string trace_text(const Application& app) {
    std::string t;
    auto line = [&t](const std::string& label, const std::string& value) { t += label + "：" + value + "\r\n"; };
    const DocumentState& d = app.doc;
    line("文書", d.save_name.empty() ? std::string("（なし）") : d.save_name);
    line("ファイル長", number(static_cast<std::uint64_t>(d.file_length < 0 ? 0 : d.file_length)) + " バイト");
    char flags[8];
    std::snprintf(flags, sizeof flags, "%02X", d.modified);
    line("更新フラグ", flags);
    if (!app.loaded) return t;
    const LoadedDocument& loaded = *app.loaded;
    const Document& doc = loaded.document;
    line("論理行", number(doc.lines.count()) + (doc.fully_loaded() ? "（全部読込済み）" : "（読込途中）"));
    line("表示行", number(doc.lines.total_display_lines()));
    if (doc.fully_loaded()) line("文書末", position(doc.load.end));
    const EditState& e = loaded.edit;
    line("カーソル", position(e.cursor.pos) + "、表示行 " + number(e.cursor.display_line.value + 1) + "、画面行 " +
                         std::to_string(e.cursor.screen_line) + "、升目 " + std::to_string(e.cursor.cell) +
                         (e.cursor.second_half ? "（後半）" : ""));
    line("画面の先頭", position(e.frame.top) + "、表示行 " + number(e.frame.top_display_line.value + 1));
    line("入力", e.insert_mode ? "挿入" : "上書");
    line("マーク", e.mark.on ? position(e.mark.start) + " 〜 " + position(e.mark.end) : std::string("なし"));
    const UndoJournal& j = e.journal;
    const int state = journal_state(j);
    line("元に戻す", std::string((state & JOURNAL_CAN_UNDO) ? "できる" : "できない") + "（記録 " + number(j.used) +
                         " / " + number(j.capacity) + " バイト）");
    line("やり直し", (state & JOURNAL_CAN_REDO) ? "できる" : "できない");
    line("テキストバッファ", number(doc.buffer.append_position()) + " バイト使用" +
                                 (doc.buffer.spilling() ? "（一時ファイル " + doc.buffer.spill_path() + "）" : ""));
    return t;
}

void show_trace(const Application& app, Clipboard* clipboard) {
    TraceProcedure procedure(trace_text(app), clipboard);
    run_dialog("TRACE_DSP", procedure, 0);
}

}  // namespace rix
