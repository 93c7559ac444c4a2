// The copy history dialog (template CPYLOG, modeless): the copies of the
// history newest first. 貼 付 pastes the chosen entry at the cursor and
// closes; a double click pastes and stays open; 削 除 and 全履歴削除 ask
// first. It holds no document: a paste goes through the services' paste,
// which inserts as the clipboard's paste does.
//
// Not built: the placement beside the cursor with a connector line in
// vertical documents (the host places it over the main window), the list's
// item height from the list line spacing and its horizontal extent of 8
// pixels a byte (the host's list sizes itself).
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "aids/copy_history.h"
#include "platform/dialogs.h"

namespace rix {

// Control ids of CPYLOG.
constexpr int COPY_LOG_PASTE = 1;       // 貼 付
constexpr int COPY_LOG_CLOSE = 2;       // 閉じる
constexpr int COPY_LOG_CLEAR = 3;       // 全履歴削除
constexpr int COPY_LOG_DELETE = 5;      // 削 除
constexpr int COPY_LOG_HELP = 6;        // ﾍﾙﾌﾟ: topic CPLOG
constexpr int COPY_LOG_LIST = 1000;     // the entries, newest first

inline constexpr const char* COPY_LOG_HELP_TOPIC = "CPLOG";

struct CopyHistoryServices {
    CopyHistory* history = nullptr;
    // Inserts an entry at the cursor as a paste does; false when refused.
    std::function<bool(const std::string& sjis)> paste;
    std::function<void()> redraw;           // the main window, after 閉じる; may be null
    WindowRef owner = 0;
};

class CopyHistoryDialog;

// The dialog while the program runs.
struct CopyHistoryUi {
    DialogHandle handle = 0;                        // 0 = not open
    std::unique_ptr<CopyHistoryDialog> procedure;   // outlives its dialog
};

class CopyHistoryDialog final : public DialogProcedure {
public:
    CopyHistoryDialog(CopyHistoryUi* ui, CopyHistoryServices services) : ui_(ui), services_(std::move(services)) {}

    void init(DialogContext& ctx) override;
    bool command(DialogContext& ctx, int id, int notification) override;
    bool ok(DialogContext&) override { return false; }
    void cancel(DialogContext& ctx) override;

    // The list and the caption from the history (after a copy while open).
    void refill(DialogContext& ctx);

private:
    // The entry of the chosen row (index into the history), or -1 after
    // telling the writer to choose one.
    long chosen(DialogContext& ctx);
    void paste(DialogContext& ctx, bool close);
    void remove(DialogContext& ctx);
    void clear(DialogContext& ctx);

    CopyHistoryUi* ui_;
    CopyHistoryServices services_;
};

// The list row of an entry: its line breaks shown as "↓".
std::string copy_history_row(const std::string& entry);

// Opens the dialog, or brings the open one forward with its list refilled.
// With an empty history only the notice is shown (0 returned).
DialogHandle open_copy_history_dialog(CopyHistoryUi& ui, CopyHistoryServices services);
void close_copy_history_dialog(CopyHistoryUi& ui);
bool copy_history_dialog_open(const CopyHistoryUi& ui);
// Refills an open dialog's list (the history changed under it).
void refresh_copy_history_dialog(CopyHistoryUi& ui);

}  // namespace rix
