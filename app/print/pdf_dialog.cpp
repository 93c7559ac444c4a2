// The PDF document information dialog PDF_DB (see pdf_dialog.h).
#include "app/print/pdf_dialog.h"

#include "app/shell/application.h"
#include "app/documents/output_path.h"
#include "platform/codec.h"
#include "platform/file_names.h"
#include "platform/messages.h"
#include "platform/shell.h"

namespace rix {
namespace {

constexpr unsigned NOTICE_MS = 3000;
constexpr std::uint8_t VIEWER_BIT = 0x01, COMPRESS_BIT = 0x02;
constexpr std::uint8_t OUTLINE_BIT = 0x01, OUTLINE_TITLE_BIT = 0x02, OUTLINE_OPEN_BIT = 0x04;

std::string cut_info(std::string_view cp932) {
    return std::string(cp932.substr(0, cut_on_boundary(cp932, PDF_INFO_LIMIT)));
}

std::uint8_t with_bits(std::uint8_t byte, std::uint8_t mask, std::uint8_t bits) {
    return static_cast<std::uint8_t>((byte & ~mask) | bits);
}


}  // namespace

std::string pdf_output_path(std::string_view output, std::string_view document) {
    return output_path_for(output, document, "pdf");
}

void PdfDialog::init(DialogContext& ctx) {
    const PdfInfo& info = session_->info;
    const bool same_document = session_->for_document == services_.document_path;
    ctx.set_text(PDF_DB_TITLE, cut_info(same_document ? info.title : services_.document_title));
    ctx.set_text(PDF_DB_SUBTITLE, cut_info(same_document ? info.subtitle : services_.print_title));
    ctx.set_text(PDF_DB_AUTHOR, cut_info(info.author.empty() ? services_.user_name : info.author));
    const std::string& output = session_->path.empty() ? services_.document_path : session_->path;
    path_edit_.show(ctx, pdf_output_path(output, services_.document_path));

    const SettingsRecord& r = settings_->rec;
    ctx.set_check(PDF_DB_OPEN_VIEWER, r.pdf_options & VIEWER_BIT);
    ctx.set_check(PDF_DB_COMPRESS, r.pdf_options & COMPRESS_BIT);
    ctx.set_check(PDF_DB_OUTLINE, r.pdf_outline_options & OUTLINE_BIT);
    ctx.set_check(PDF_DB_OUTLINE_TITLE, r.pdf_outline_options & OUTLINE_TITLE_BIT);
    ctx.set_check(PDF_DB_OUTLINE_OPEN, r.pdf_outline_options & OUTLINE_OPEN_BIT);
    ctx.enable(PDF_DB_BROWSE, static_cast<bool>(services_.choose_folder));
    ctx.enable(PDF_DB_PREVIEW, static_cast<bool>(services_.preview));
    enable_outline(ctx);
}

// The outline needs index entries; its two details need the outline.
void PdfDialog::enable_outline(DialogContext& ctx) {
    ctx.enable(PDF_DB_OUTLINE, services_.has_index);
    const bool details = services_.has_index && ctx.get_check(PDF_DB_OUTLINE);
    ctx.enable(PDF_DB_OUTLINE_TITLE, details);
    ctx.enable(PDF_DB_OUTLINE_OPEN, details);
}

void PdfDialog::browse(DialogContext& ctx) {
    const std::string path = path_edit_.path(ctx);
    const std::string_view start_from = path.empty() ? std::string_view(services_.document_path) : path;
    std::string folder(start_from.substr(0, file_name_start(start_from)));
    if (!services_.choose_folder(&folder) || folder.empty()) return;
    std::string name = path.substr(file_name_start(path));
    if (name.empty() && !services_.document_path.empty())
        name = name_with_extension(services_.document_path, "pdf");
    path_edit_.show(ctx, join_folder(folder, name));
}

bool PdfDialog::command(DialogContext& ctx, int id, int) {
    switch (id) {
    case PDF_DB_TITLE_CLEAR:
    case PDF_DB_SUBTITLE_CLEAR:
    case PDF_DB_AUTHOR_CLEAR:
        ctx.set_text(id - 1, "");
        return true;
    case PDF_DB_PATH_CLEAR:
        path_edit_.show(ctx, "");
        return true;
    case PDF_DB_BROWSE:
        if (services_.choose_folder) browse(ctx);
        return true;
    case PDF_DB_OUTLINE:
        enable_outline(ctx);
        return true;
    case PDF_DB_PREVIEW:
        if (services_.preview) services_.preview();
        return true;
    case PDF_DB_HELP:
        show_help("PDF");
        return true;
    default:
        return false;
    }
}

bool PdfDialog::ok(DialogContext& ctx) {
    const std::string path = path_edit_.path(ctx);
    // A path ending in '/' names a folder: there is no file to write.
    if (path.empty() || path.back() == '/') {
        ctx.show_message(MSG_NOTICE, utf8_to_sjis("出力ファイル名を入力してください｡"), NOTICE_MS);
        ctx.focus(PDF_DB_PATH);
        return false;
    }
    if (path.size() > PDF_PATH_LIMIT) {
        ctx.show_message(MSG_NOTICE, utf8_to_sjis("出力ファイル名が長すぎます｡\n（259バイトまで）"), NOTICE_MS);
        ctx.focus(PDF_DB_PATH);
        return false;
    }
    session_->info.title = cut_info(ctx.get_text(PDF_DB_TITLE));
    session_->info.subtitle = cut_info(ctx.get_text(PDF_DB_SUBTITLE));
    session_->info.author = cut_info(ctx.get_text(PDF_DB_AUTHOR));
    session_->path = path;
    session_->for_document = services_.document_path;

    SettingsRecord& r = settings_->rec;
    std::uint8_t options = 0, outline = 0;
    if (ctx.get_check(PDF_DB_OPEN_VIEWER)) options |= VIEWER_BIT;
    if (ctx.get_check(PDF_DB_COMPRESS)) options |= COMPRESS_BIT;
    if (ctx.get_check(PDF_DB_OUTLINE)) outline |= OUTLINE_BIT;
    if (ctx.get_check(PDF_DB_OUTLINE_TITLE)) outline |= OUTLINE_TITLE_BIT;
    if (ctx.get_check(PDF_DB_OUTLINE_OPEN)) outline |= OUTLINE_OPEN_BIT;
    // Bits the dialog does not show are kept as they were.
    r.pdf_options = with_bits(r.pdf_options, VIEWER_BIT | COMPRESS_BIT, options);
    r.pdf_outline_options =
        with_bits(r.pdf_outline_options, OUTLINE_BIT | OUTLINE_TITLE_BIT | OUTLINE_OPEN_BIT, outline);
    mark_settings_changed(settings_);
    return true;
}

int open_pdf_dialog(SettingsState* settings, PdfSession* session, const PdfDialogServices& services,
                    WindowRef owner) {
    PdfDialog dialog(settings, session, services);
    return run_dialog("PDF_DB", dialog, owner) == DIALOG_OK ? DIALOG_OK : DIALOG_CANCEL;
}

PdfDialogServices pdf_dialog_services(const Application& app) {
    PdfDialogServices services;
    services.document_path = app.doc.opened_path;
    if (app.loaded) {
        services.document_title = app.loaded->extension.header.title;
        services.print_title = app.loaded->extension.header.print_title;
        services.has_index = !app.loaded->document.index.empty();
    }
    services.user_name = cut_info(utf8_to_sjis(logged_on_user_name()));
    services.choose_folder = app.window.choose_folder;
    return services;
}

}  // namespace rix
