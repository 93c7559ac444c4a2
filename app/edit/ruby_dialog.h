// The ruby dialog RUBY_BOX (command 206): shows the base word at the cursor
// and an existing ruby there, and leaves a pending edit — add, replace or
// remove a ruby block — that is made only after the dialog has closed and
// the screen has been rebuilt (apply_ruby_edit, editing/ruby.h).
//
// The dialog itself never changes the text. The ruby covers 1..min(most
// cells, 15) cells, whatever number is typed into the edit; an empty ruby
// text and one of an odd byte count are refused with a notice and the
// dialog stays open.
#pragma once

#include <functional>

#include "editing/command_ids.h"
#include "editing/ruby.h"
#include "platform/dialogs.h"

namespace rix {

// Control ids of RUBY_BOX.
constexpr int RUBY_ADD = 1;             // 付 加 (the dialog's OK)
constexpr int RUBY_CLOSE = 2;           // 閉じる
constexpr int RUBY_HELP = 6;            // ﾍﾙﾌﾟ
constexpr int RUBY_DELETE = 7;          // 削除
constexpr int RUBY_CELLS_EDIT = 11;     // the number of cells the ruby covers
constexpr int RUBY_TEXT_EDIT = 12;
constexpr int RUBY_ALLOT_FIRST = 13;    // radios 13 均等, 14 先頭揃え, 15 中央揃え
constexpr int RUBY_ALLOT_LAST = 15;
constexpr int RUBY_BASE_SHOWN = 16;     // 対象語
constexpr int RUBY_WORD_SHOWN = 17;     // 語長
constexpr int RUBY_CELLS_SPIN = 10000;
constexpr unsigned RUBY_ODD_NOTICE_MS = 4000;

class RubyDialog final : public DialogProcedure {
public:
    // `target` is what prepare_ruby_edit found (result >= 0); the edit the
    // user asks for goes to *pending.
    RubyDialog(const RubyTarget& target, PendingRubyEdit* pending);

    void init(DialogContext& ctx) override;
    bool command(DialogContext& ctx, int id, int notification) override;
    bool ok(DialogContext& ctx) override;
    void cancel(DialogContext& ctx) override;

    // The cells the ruby covers for what the controls hold now.
    std::uint32_t chosen_cells(DialogContext& ctx) const;

    // Called in init to place the dialog (beside the cursor's column in
    // vertical writing); unset leaves the host's placement.
    std::function<void(DialogContext&)> place;

private:
    void show_base(DialogContext& ctx, std::uint32_t cells);

    RubyTarget target_;
    PendingRubyEdit* pending_;
};

struct RubyDialogServices {
    // The editing state changed (cursor, marking): bring the screen and the
    // remembered cursor up to date. Called before the rebuild and after the edit.
    std::function<void()> after_change;
    // Rebuild the screen (lay out and draw the whole edit window again).
    std::function<void()> rebuild_screen;
    // Placement of the dialog (see RubyDialog::place); may be unset.
    std::function<void(DialogContext&)> place;
};

// Command 206. prepare_ruby_edit (limit 24) at the cursor; when a ruby can
// go there, RUBY_BOX over `owner`. Whatever happens the marking ends; then
// after_change, rebuild_screen, the pending edit (apply_ruby_edit) and
// after_change again. Returns the dialog's result: DIALOG_OK after 付 加,
// RUBY_DELETE after 削除, DIALOG_CANCEL after 閉じる or when no ruby can go
// at the cursor, DIALOG_FAILED when the dialog could not be made.
int run_ruby_dialog(EditContext& c, const RubyDialogServices& services, WindowRef owner);

}  // namespace rix
