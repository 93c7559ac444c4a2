// The modeless find and replace dialog (commands 300 検 索 and 301 置 換;
// templates FIND_TEXT and REPLACE_TEXT).
//
// One dialog exists at a time; opening it again replaces the open one. It
// works on the edited document through an EditRunner, so it never holds a
// document of its own: every button press asks the runner for the current
// edit context, and the runner brings the screen up to date afterwards.
// The find text is pre-filled with word_at_cursor at each opening; the
// replacement starts empty. Find next, Replace and Replace All are disabled
// while the find text is empty.
//
// While the dialog is open the caret is drawn in its own frame shape
// (shown_caret_type), whatever the format asks for: a run-time override,
// never stored into the settings.
#pragma once

#include <functional>
#include <memory>

#include "aids/search.h"
#include "editing/edit_state.h"
#include "platform/dialogs.h"

namespace rix {

// Runs `work` on the edit context of the edited document and brings the
// screen up to date afterwards; false (and `work` not run) when no document
// is being edited.
using EditRunner = std::function<bool(const std::function<void(EditContext&)>& work)>;

// Control ids of FIND_TEXT and REPLACE_TEXT (those of the system's find dialog).
constexpr int FIND_WHAT_EDIT = 1152;       // 検索する文字列
constexpr int FIND_WITH_EDIT = 1153;       // 置換後の文字列 (REPLACE_TEXT only)
constexpr int FIND_UP_RADIO = 1056;        // 上へ (FIND_TEXT only)
constexpr int FIND_DOWN_RADIO = 1057;      // 下へ
constexpr int FIND_NEXT_BUTTON = 1;        // 次を検索
constexpr int FIND_REPLACE_BUTTON = 1024;  // 置換して次に
constexpr int FIND_REPLACE_ALL_BUTTON = 1025;   // すべて置換
constexpr int FIND_HELP_BUTTON = 1038;     // help topic KENTIKAN

struct FindServices {
    EditRunner edit;
    WindowRef owner = 0;                   // the main window
};

class FindDialog;

// The find dialog of the main window: its texts and the open dialog.
struct FindUi {
    FindState state;
    DialogHandle handle = 0;                 // 0 = not open
    std::unique_ptr<FindDialog> procedure;   // outlives its dialog: replaced only after it is closed
};

class FindDialog final : public DialogProcedure {
public:
    FindDialog(FindUi* ui, FindServices services) : ui_(ui), state_(&ui->state), services_(std::move(services)) {}

    void init(DialogContext& ctx) override;
    bool command(DialogContext& ctx, int id, int notification) override;
    bool ok(DialogContext&) override { return false; }
    void cancel(DialogContext& ctx) override;

private:
    void enable_buttons(DialogContext& ctx);
    void act(DialogContext& ctx, FindAction action);

    FindUi* ui_;
    FindState* state_;
    FindServices services_;
};

// Commands 300 (replace = false) and 301: opens the dialog over the main
// window, replacing one that is open. Returns its handle (0 when it could
// not be made).
DialogHandle open_find_dialog(FindUi& ui, bool replace, FindServices services);
// Closes the dialog when it is open (the document is switched or closed).
void close_find_dialog(FindUi& ui);
bool find_dialog_open(const FindUi& ui);

// The caret shape to draw: the frame caret (0) while the find dialog is open,
// else the format's own.
int shown_caret_type(const FindUi& ui, int format_caret_type);

}  // namespace rix
