// FakeDialogHost: dialogs for tests, run on the shared value model.
//
// Owns the scripts, the chooser answers and what the dialogs asked of their
// window (focus, colour captions). Modeless sessions live until the fake goes,
// so that a procedure closing its own dialog never pulls the floor from under
// itself.
#include "platform/fake_dialogs.h"

namespace rix {

class FakeDialogHost::View final : public DialogView {
public:
    explicit View(FakeDialogHost& host) : host_(host) {}
    void refresh(int, const ControlDef&, const ControlState&) override {}
    void end(int) override {}
    WindowRef window() const override { return 0; }
    void set_caption(std::string_view) override {}
    void show_window(bool on) override { shown_ = on; }
    void focus(int id) override { host_.focused.push_back(id); }
    bool window_position(int* x, int* y) const override {
        *x = x_;
        *y = y_;
        return true;
    }
    void move_window(int x, int y) override {
        x_ = x;
        y_ = y;
    }
    bool window_extent(WindowExtent* out) const override {
        *out = host_.extent;
        return true;
    }
    bool choose_colour(std::uint32_t* colour, std::string_view caption) override {
        host_.colour_captions.emplace_back(caption);
        if (host_.colour_answers.empty()) return false;
        std::optional<std::uint32_t> answer = host_.colour_answers.front();
        host_.colour_answers.pop_front();
        if (!answer) return false;
        *colour = *answer & 0x00FFFFFF;
        return true;
    }

private:
    FakeDialogHost& host_;
    bool shown_ = true;
    int x_ = 0, y_ = 0;
};

struct FakeDialogHost::Modeless {
    Modeless(FakeDialogHost& host, const DialogTemplate& tmpl, DialogProcedure& proc, WindowRef owner)
        : view(host), session(tmpl, proc, &view, owner) {}
    View view;
    DialogSession session;
};

FakeDialogHost::FakeDialogHost() : previous_(&dialog_host()) { install_dialog_host(this); }

FakeDialogHost::~FakeDialogHost() {
    if (&dialog_host() == this) install_dialog_host(previous_);
}

int FakeDialogHost::run_dialog(const DialogTemplate& tmpl, DialogProcedure& proc, WindowRef owner) {
    opened.push_back(tmpl.name);
    View view(*this);
    DialogSession session(tmpl, proc, &view, owner);
    session.start();
    if (!session.ended()) {
        if (scripts.empty()) {
            ++unscripted;
        } else {
            Script script = std::move(scripts.front());
            scripts.pop_front();
            script(session);
            if (!session.ended()) ++left_open;
        }
    }
    if (!session.ended()) session.press_escape();
    const auto& lost = session.model().missing;
    missing.insert(missing.end(), lost.begin(), lost.end());
    return session.result();
}

DialogHandle FakeDialogHost::open_modeless(const DialogTemplate& tmpl, DialogProcedure& proc, WindowRef owner) {
    opened.push_back(tmpl.name);
    DialogHandle handle = next_handle_++;
    auto entry = std::make_unique<Modeless>(*this, tmpl, proc, owner);
    DialogSession& session = entry->session;
    modeless_.emplace(handle, std::move(entry));
    session.start();
    return handle;
}

void FakeDialogHost::close_modeless(DialogHandle handle) {
    auto it = modeless_.find(handle);
    if (it == modeless_.end() || it->second->session.ended()) return;
    it->second->session.end_dialog(DIALOG_CANCEL);
    const auto& lost = it->second->session.model().missing;
    missing.insert(missing.end(), lost.begin(), lost.end());
}

bool FakeDialogHost::is_open(DialogHandle handle) const {
    auto it = modeless_.find(handle);
    return it != modeless_.end() && !it->second->session.ended();
}

DialogSession* FakeDialogHost::session(DialogHandle handle) {
    auto it = modeless_.find(handle);
    return it != modeless_.end() && !it->second->session.ended() ? &it->second->session : nullptr;
}

}  // namespace rix
