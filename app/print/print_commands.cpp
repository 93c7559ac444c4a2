// Printing: 印刷・ＰＤＦ出力 (command 111). The print settings dialog, then
// the run on the window's print device with the PR_GUIDE progress window
// and its 中止 button; 印刷プレビュー (112), the preview window over the
// whole document from the cursor's sheet.
#include <chrono>
#include <cstdio>
#include <thread>

#include "app/edit/format_views.h"
#include "app/print/pdf_dialog.h"
#include "app/print/pdf_run.h"
#include "app/print/print_format_view.h"
#include "app/print/print_preview.h"
#include "app/print/print_run.h"
#include "app/print/print_set_dialog.h"
#include "app/publish/epub_dialog.h"
#include "app/publish/epub_run.h"
#include "app/shell/features.h"
#include "app/window/command_table.h"
#include "app/window/shell_events.h"
#include "document/extension_titles.h"
#include "platform/codec.h"
#include "platform/gui.h"
#include "platform/messages.h"

namespace rix {
namespace {

constexpr int GUIDE_LINE = 13, GUIDE_COLUMN = 12, GUIDE_PAGE = 14, GUIDE_TIER = 17;

std::string text(const char* utf8) { return utf8_to_sjis(utf8); }

// PR_GUIDE: any of its commands cancels the run.
class PrintGuide final : public DialogProcedure {
public:
    void init(DialogContext&) override {}
    bool command(DialogContext&, int, int) override {
        cancelled = true;
        return true;
    }
    bool ok(DialogContext&) override { return false; }
    void cancel(DialogContext&) override { cancelled = true; }
    bool cancelled = false;
};

void show_counter(DialogContext* ctx, int id, const char* form, int value) {
    if (!ctx || value == 0) return;
    char buf[16];
    std::snprintf(buf, sizeof buf, form, value);
    ctx->set_text(id, buf);
}

// Waits `ms`, keeping the window (and 中止) alive. Without window events
// (no window to watch the progress in) nothing waits.
void pace(Application& app, unsigned ms) {
    if (!app.window.pump_events) return;
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    do {
        app.window.pump_events();
        if (ms) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    } while (std::chrono::steady_clock::now() < until);
}

// Asks about a marked range and removes the mark either way.
bool take_marked_range(Application& app, PrintRequest* request) {
    Marking& mark = app.loaded->edit.mark;
    if (!mark.on) return false;
    const bool yes = show_message(MSG_YES_NO, 0,
                                  text("文字列が反転マークされています。\n\n印刷の対象をこの文字列範囲にしますか？\n")) ==
                     MSG_RESULT_YES;
    if (yes) {
        request->marked = true;
        request->mark_start = mark.start;
        request->mark_end = mark.end;
    }
    mark = Marking{};
    rebuild(app);
    return yes;
}

PrintOutcome run_print(Application& app, const PrintRequest& request) {
    PrintGuide guide;
    const DialogHandle handle = open_modeless("PR_GUIDE", guide, 0);
    DialogContext* ctx = handle ? dialog_host().context(handle) : nullptr;
    PrintPacer pacer;
    int column = 0;
    const TierProgress progress = [&](int page, int tier, std::uint32_t line) {
        show_counter(ctx, GUIDE_LINE, "%5d", static_cast<int>(line));
        show_counter(ctx, GUIDE_PAGE, "%4d", page);
        show_counter(ctx, GUIDE_TIER, "%4d", tier);
        column += 1;
        show_counter(ctx, GUIDE_COLUMN, "%4d", column);
        pace(app, pacer.update(column));
        return !guide.cancelled;
    };
    PrintSummary summary;
    const PrintOutcome outcome = print_loaded_document(app, request, app.window.print_devices, progress, &summary);
    if (handle) dialog_host().close_modeless(handle);
    if (outcome == PrintOutcome::CANCELLED) show_message(MSG_NOTICE, 0, text("印刷を中止しました｡"), 2000);
    rebuild(app);
    return outcome;
}

// PDF 出力: the pages of the print settings' range (or the marked range)
// written by the PDF writer with the information PDF_DB kept.
void write_pdf_of(Application& app, const PrintRequest& print) {
    PdfRunRequest request;
    request.range = print.range;
    request.marked = print.marked;
    request.mark_start = print.mark_start;
    request.mark_end = print.mark_end;
    request.path = app.pdf.path;
    request.info = app.pdf.info;
    request.options = PdfOptions::from_bytes(app.settings.rec.pdf_options, app.settings.rec.pdf_outline_options);
    PdfRunSummary summary;
    write_document_pdf(app, request, &summary);
    rebuild(app);
}

void print_command(Application& app) {
    if (!app.loaded) return;
    SettingsRecord& rec = app.settings.rec;
    const int p = print_index(current_print_slot(rec));
    if (rec.print_font_size[p] == 0)
        show_message(MSG_NOTICE, 0, text("印刷フォントが設定されていません。\n[フォント]にて、選択してください。"), 2500);
    PrintRequest request;
    PrintSetServices services;
    services.marked = take_marked_range(app, &request);
    services.preview = [&app, &request](bool marked) {
        show_print_preview(app, PreviewRequest{false, marked, request.mark_start, request.mark_end});
    };
    if (app.window.gui) services.font_chooser = &app.window.gui->font_chooser();
    services.page_setup = app.window.page_setup;
    services.line_format_colours = &app.line_format_colours;
    services.has_index = !app.loaded->document.index.empty();
    services.screen_slot = current_screen_slot(rec);
    ExtensionHeader& header = app.loaded->extension.header;
    services.document_title = header.title;
    services.print_title = header.print_title;
    services.pdf_dialog = [&app, &services, &request](WindowRef owner) {
        PdfDialogServices pdf = pdf_dialog_services(app);
        pdf.document_title = services.document_title;   // as PRINT_SET just stored them
        pdf.print_title = services.print_title;
        pdf.preview = [&app, &request] {
            show_print_preview(app, PreviewRequest{false, request.marked, request.mark_start, request.mark_end});
        };
        return open_pdf_dialog(&app.settings, &app.pdf, pdf, owner) == 1;
    };
    services.epub_dialog = [&app, &services](WindowRef owner) {
        EpubDialogServices epub = epub_dialog_services(app);
        epub.document_title = services.document_title;   // as PRINT_SET has just stored them
        epub.print_title = services.print_title;
        if (app.window.preview_window) epub.preview = [&app] { show_print_preview(app, PreviewRequest{}); };
        return open_epub_dialog(&app.settings, &app.epub, epub, owner) == DIALOG_OK;
    };
    const int action = open_print_settings(&app.settings, &services, 0);
    if (services.titles_changed) write_back_titles(header, app.doc, services.document_title, services.print_title);
    if (action < 0) return;
    mark_settings_changed(&app.settings);
    if (action == PRINT_SET_EPUB) {
        write_session_epub(app);
        return;
    }
    request.range = print_range_view(rec);
    if (action == PRINT_SET_PDF) {
        write_pdf_of(app, request);
        return;
    }
    run_print(app, request);
}

}  // namespace

void install_print_commands(Application& app) {
    CommandTable& t = app.window.shell->commands();
    t.set_handler(COMMAND_PRINT, [&app](int) { print_command(app); });
    t.set_handler(COMMAND_PRINT_PREVIEW, [&app](int) {
        if (app.loaded && app.window.preview_window) show_print_preview(app, PreviewRequest{});
    });
}

}  // namespace rix
