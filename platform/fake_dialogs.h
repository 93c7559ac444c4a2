// A dialog host for tests: no widgets, only the shared value model.
//
// Each modal dialog runs the procedure's init and then the next script the
// test queued. A script receives the running DialogSession: it reads and sets
// values as the procedure would and acts as the user (press, type_text, spin,
// select, press_enter, press_escape), which notifies the procedure exactly as
// the Qt host does. A script that leaves the dialog open fails the test
// (counted in `left_open`) and the fake presses Escape for it.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/dialog_model.h"
#include "platform/dialogs.h"

namespace rix {

class FakeDialogHost final : public DialogHost {
public:
    using Script = std::function<void(DialogSession&)>;

    FakeDialogHost();                // installs itself
    ~FakeDialogHost() override;      // restores the host installed before it
    FakeDialogHost(const FakeDialogHost&) = delete;
    FakeDialogHost& operator=(const FakeDialogHost&) = delete;

    // Queues the script of the next modal dialog.
    void script(Script s) { scripts.push_back(std::move(s)); }

    int run_dialog(const DialogTemplate& tmpl, DialogProcedure& proc, WindowRef owner) override;
    DialogHandle open_modeless(const DialogTemplate& tmpl, DialogProcedure& proc, WindowRef owner) override;
    void close_modeless(DialogHandle handle) override;
    bool is_open(DialogHandle handle) const override;
    DialogContext* context(DialogHandle handle) override { return session(handle); }
    // An open modeless dialog, to act on as its user; nullptr when closed.
    DialogSession* session(DialogHandle handle);

    std::deque<Script> scripts;
    // Answers of the colour chooser, in order; nullopt (or none left) = cancelled.
    std::deque<std::optional<std::uint32_t>> colour_answers;

    std::vector<std::string> opened;           // template names, in order of opening
    std::vector<std::string> colour_captions;  // captions the chooser was opened with (cp932)
    std::vector<int> focused;                  // ids given focus
    // What every dialog tells of its size and screen (window_extent).
    WindowExtent extent{400, 460, 24, 0, 0, 1920, 1040};
    int left_open = 0;      // modal dialogs a script did not end
    int unscripted = 0;     // modal dialogs run with no script left
    // Ids the procedures and scripts named that their templates lack.
    std::vector<int> missing;

private:
    class View;
    struct Modeless;
    std::map<DialogHandle, std::unique_ptr<Modeless>> modeless_;
    DialogHandle next_handle_ = 1;
    DialogHost* previous_;
};

}  // namespace rix
