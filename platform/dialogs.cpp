// The installed dialog host, the batch host that stands in for it, and the
// shorthands that run a dialog by its template name.
//
// Owns the process-wide host pointer and the template folder. The batch host
// runs a dialog without a window: init, then cancel, as if the user had
// pressed Escape at once, so a batch run never changes a setting by a dialog.
#include <cstdio>
#include <string>

#include "platform/codec.h"
#include "platform/dialog_model.h"
#include "platform/dialogs.h"
#include "rix_build_paths.h"

namespace rix {

namespace {

class BatchDialogHost final : public DialogHost {
public:
    int run_dialog(const DialogTemplate& tmpl, DialogProcedure& proc, WindowRef owner) override {
        std::string line = "ミルトア: ダイアログ " + tmpl.name + " " + sjis_to_utf8(tmpl.caption) + " -> 取消\n";
        std::fwrite(line.data(), 1, line.size(), stderr);
        DialogSession session(tmpl, proc, nullptr, owner);
        session.start();
        if (!session.ended()) session.press_escape();
        return session.result();
    }
    DialogHandle open_modeless(const DialogTemplate&, DialogProcedure&, WindowRef) override { return 0; }
    void close_modeless(DialogHandle) override {}
    bool is_open(DialogHandle) const override { return false; }
    DialogContext* context(DialogHandle) override { return nullptr; }
};

DialogHost* g_installed = nullptr;   // nullptr = the batch host

std::string& resource_dir() {
    static std::string dir = RIX_RESOURCE_DIR;
    return dir;
}

// Loads a template, telling the user when it cannot be read.
bool load_or_tell(std::string_view name, DialogTemplate* tmpl) {
    TemplateResult r = load_dialog_template(resource_dir(), name, tmpl);
    if (r.ok()) return true;
    show_message(MSG_NOTICE, 0, utf8_to_sjis("ダイアログの定義を読めません｡\n") + r.message, 5000);
    return false;
}

}  // namespace

DialogHost& dialog_host() {
    static BatchDialogHost batch;
    return g_installed ? *g_installed : batch;
}

void install_dialog_host(DialogHost* host) { g_installed = host; }

void set_dialog_resource_dir(std::string dir) { resource_dir() = std::move(dir); }

const std::string& dialog_resource_dir() { return resource_dir(); }

int run_dialog(std::string_view name, DialogProcedure& proc, WindowRef owner) {
    DialogTemplate tmpl;
    if (!load_or_tell(name, &tmpl)) return DIALOG_FAILED;
    return dialog_host().run_dialog(tmpl, proc, owner);
}

DialogHandle open_modeless(std::string_view name, DialogProcedure& proc, WindowRef owner) {
    DialogTemplate tmpl;
    if (!load_or_tell(name, &tmpl)) return 0;
    return dialog_host().open_modeless(tmpl, proc, owner);
}

}  // namespace rix
