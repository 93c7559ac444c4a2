// The PDF document information dialog (template PDF_DB, "ＰＤＦファイル出力"),
// shown by PDF 出力 → of the print settings before a PDF is written: the
// title, subtitle and author of the file's information, the output file,
// and the PDF options of the record.
//
// Owns nothing. The information and the output path belong to the running
// program (PdfSession, never stored in the settings); the option bytes go
// into the record. The dialog works on its own copy of the values: only
// 実 行 writes them back (session and record, settings marked changed);
// 閉じる leaves both exactly as they were, the remembered document
// included, so the next opening for another document still takes that
// document's titles.
//
// The output path is UTF-8 in the session and code page 932 in the edit. A
// path the user has not retyped is kept as it came (a folder name outside
// code page 932 survives); a retyped one is read back from the edit.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "app/documents/path_edit.h"
#include "app/settings/settings_record.h"
#include "platform/dialogs.h"
#include "publish/pdf_writer.h"

namespace rix {

struct Application;

// Control ids of PDF_DB. Each text's ｸﾘｱ button is its id + 1.
constexpr int PDF_DB_HELP = 6;              // ﾍﾙﾌﾟ
constexpr int PDF_DB_PREVIEW = 10;          // ﾌﾟﾚﾋﾞｭｰ
constexpr int PDF_DB_TITLE = 100;           // タイトル
constexpr int PDF_DB_TITLE_CLEAR = 101;
constexpr int PDF_DB_SUBTITLE = 200;        // サブタイトル
constexpr int PDF_DB_SUBTITLE_CLEAR = 201;
constexpr int PDF_DB_AUTHOR = 300;          // 作成者
constexpr int PDF_DB_AUTHOR_CLEAR = 301;
constexpr int PDF_DB_PATH = 400;            // 出力ファイル
constexpr int PDF_DB_PATH_CLEAR = 401;
constexpr int PDF_DB_BROWSE = 402;          // 参照: another folder, the same file name
constexpr int PDF_DB_OPEN_VIEWER = 600;     // ビューアで表示: pdf_options bit 0
constexpr int PDF_DB_COMPRESS = 700;        // テキストを圧縮: pdf_options bit 1
constexpr int PDF_DB_OUTLINE = 800;         // しおり 生成する: pdf_outline_options bit 0
constexpr int PDF_DB_OUTLINE_TITLE = 900;   // タイトル階層を設ける: bit 1
constexpr int PDF_DB_OUTLINE_OPEN = 950;    // 開いた時表示: bit 2

constexpr std::size_t PDF_INFO_LIMIT = 49;  // bytes of each information text (code page 932)
constexpr std::size_t PDF_PATH_LIMIT = 259; // bytes of the output path (UTF-8)

// The PDF document information of this run of the program.
struct PdfSession {
    PdfInfo info;              // code page 932, each at most PDF_INFO_LIMIT bytes
    std::string path;          // UTF-8 output path, at most PDF_PATH_LIMIT bytes; "" = not chosen yet
    std::string for_document;  // UTF-8: the document the information was last stored for
};

struct PdfDialogServices {
    std::string document_path;                 // UTF-8, the open document
    std::string document_title, print_title;   // code page 932 (the document's titles)
    std::string user_name;                     // code page 932: the logged-on user
    bool has_index = false;                    // the document has structure-index entries
    // The folder chooser, UTF-8 in and out; false = cancelled; null = 参照 disabled.
    std::function<bool(std::string* folder)> choose_folder;
    std::function<void()> preview;             // null = ﾌﾟﾚﾋﾞｭｰ disabled
};

class PdfDialog final : public DialogProcedure {
public:
    PdfDialog(SettingsState* settings, PdfSession* session, const PdfDialogServices& services)
        : settings_(settings), session_(session), services_(services) {}

    void init(DialogContext& ctx) override;
    bool command(DialogContext& ctx, int id, int notification) override;
    bool ok(DialogContext& ctx) override;
    void cancel(DialogContext&) override {}

private:
    void enable_outline(DialogContext& ctx);
    void browse(DialogContext& ctx);

    SettingsState* settings_;
    PdfSession* session_;
    const PdfDialogServices& services_;
    PathEdit path_edit_{PDF_DB_PATH};
};

// Shows PDF_DB: 1 when 実 行 stored everything, 2 when it was closed (or
// could not be shown; the host has then said why).
int open_pdf_dialog(SettingsState* settings, PdfSession* session, const PdfDialogServices& services,
                    WindowRef owner);

// The services for the application's open document: its path and titles,
// whether it has index entries, the logged-on user, the window's folder
// chooser. The preview is left for the caller, who knows its range.
PdfDialogServices pdf_dialog_services(const Application& app);

// The output path for `document`: the folder of `output` (of the document
// itself when `output` is empty) and the document's file name with the
// extension "pdf" in place of its own (added when it has none). `output`
// alone when there is no document.
std::string pdf_output_path(std::string_view output, std::string_view document);

}  // namespace rix
