// QtDialogHost: dialogs from templates on Qt Widgets.
//
// Builds a QDialog from a DialogTemplate with absolute placement (dialog
// units scaled to pixels once per dialog from the dialog font), one widget
// per control with the control id as its objectName, on the common dialog
// brush RGB(0xF0, 0xF8, 0xD8) with transparent labels. The values live in the
// shared DialogModel (platform/dialog_model.h): widget signals become the
// user's actions on the DialogSession, and the session's changes are pushed
// back into the widgets. Enter presses the default button (1 unless one is
// flagged), Escape and the close box press 2.
// A modal dialog runs its own event loop, so that hiding it for a moment
// (show_window) does not end it. Modeless dialogs delete themselves when
// they end; the host keeps only weak references.
#pragma once

#include <QFont>
#include <QPointer>
#include <QValidator>

#include <map>

#include "platform/dialogs.h"

class QDialog;

namespace rix {

class QtDialogWindow;

// The face of dialog texts; `fixed` for CONTROL_FIXED_FONT.
QFont dialog_font(bool fixed = false);

// Keeps a line edit within `byte_limit` code page 932 bytes (0 = no limit):
// text that would pass the limit is dropped from the end of what was just
// inserted, one whole character at a time, so nothing is cut in half. With
// `digits_only`, anything but digits (and a leading minus when `allow_minus`)
// is dropped as well.
class ByteLimitValidator final : public QValidator {
public:
    ByteLimitValidator(int byte_limit, bool digits_only, bool allow_minus, QObject* parent = nullptr);
    State validate(QString& input, int& pos) const override;

private:
    int byte_limit_;
    bool digits_only_;
    bool allow_minus_;
};

class QtDialogHost final : public DialogHost {
public:
    QtDialogHost() = default;
    ~QtDialogHost() override;     // uninstalls itself when installed; closes modeless dialogs
    QtDialogHost(const QtDialogHost&) = delete;
    QtDialogHost& operator=(const QtDialogHost&) = delete;

    int run_dialog(const DialogTemplate& tmpl, DialogProcedure& proc, WindowRef owner) override;
    DialogHandle open_modeless(const DialogTemplate& tmpl, DialogProcedure& proc, WindowRef owner) override;
    void close_modeless(DialogHandle handle) override;
    bool is_open(DialogHandle handle) const override;
    DialogContext* context(DialogHandle handle) override;
    // The window of an open modeless dialog, or nullptr.
    QDialog* window(DialogHandle handle) const;

private:
    QtDialogWindow* find(DialogHandle handle) const;

    std::map<DialogHandle, QPointer<QtDialogWindow>> modeless_;
    DialogHandle next_handle_ = 1;
};

}  // namespace rix
