// The EPUB book dialog (template EPUB_DB, "ＥＰＵＢファイル出力"), shown by
// ＥＰＵＢファイル出力 (502) and by EPUB 出力 → of the print settings before
// a book is written: the book's title, description, creator, rights and
// publisher, the output file, and the EPUB options of the record.
//
// Owns nothing. The texts and the output path belong to the running program
// (EpubSession, never stored in the settings); the description, creator,
// rights and publisher are also kept in Rix.ini (app/publish/epub_ini.h), reloaded
// at every opening; the title is the document's each time. The option bytes
// go into the record. Only 実 行 writes anything (session, record with the
// settings marked changed, Rix.ini); 閉じる leaves everything as it was.
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
#include "publish/epub_writer.h"

namespace rix {

struct Application;

// Control ids of EPUB_DB. Each text's ｸﾘｱ button is its id + 1.
constexpr int EPUB_DB_HELP = 6;                  // ﾍﾙﾌﾟ
constexpr int EPUB_DB_PREVIEW = 10;              // ﾌﾟﾚﾋﾞｭｰ
constexpr int EPUB_DB_TITLE = 100;               // タイトル
constexpr int EPUB_DB_DESCRIPTION = 200;         // 内 容
constexpr int EPUB_DB_CREATOR = 300;             // 著 者
constexpr int EPUB_DB_RIGHTS = 400;              // 著作権
constexpr int EPUB_DB_PUBLISHER = 500;           // 発行者
constexpr int EPUB_DB_PATH = 600;                // 出力ファイル
constexpr int EPUB_DB_BROWSE = 601;              // 参照: another folder, the same file name
constexpr int EPUB_DB_DEFAULT_FOLDER = 602;      // 既定ﾌｫﾙﾀﾞ: into document_folder
constexpr int EPUB_DB_CHAPTER_GROUP = 1000;      // the frame of 章番号付加
constexpr int EPUB_DB_CHAPTER_NUMBERS = 1100;    // 章番号付加: epub_flags bit 0
constexpr int EPUB_DB_LINE_SPACING_FIRST = 1200; // radios 1200..1204: epub_line_spacing_index 0..4
constexpr int EPUB_DB_FONT_SIZE_FIRST = 1400;    // radios 1400..1404: epub_font_size_index 0..4
constexpr int EPUB_DB_EMBED_FONT = 1500;         // フォント付加: bit 1
constexpr int EPUB_DB_FONT_FILE = 1600;          // the font's file name in the data folder
constexpr int EPUB_DB_CHOOSE_FONT = 1601;        // 選択
constexpr int EPUB_DB_SPLIT = 1700;              // 自動分割: bit 2
constexpr int EPUB_DB_SPLIT_KB = 1800;           // 分割ｻｲｽﾞ(KB): epub_split_kb 1..255
constexpr int EPUB_DB_SPLIT_SPIN = 1801;

constexpr std::size_t EPUB_TEXT_LIMIT = 49;      // bytes of each text (code page 932)
constexpr std::size_t EPUB_PATH_LIMIT = 259;     // bytes of the output path (UTF-8)
constexpr std::size_t EPUB_FONT_NAME_LIMIT = 31; // bytes of the font file name (code page 932)

// The book of this run of the program, as the last 実 行 left it.
struct EpubSession {
    EpubMetadata metadata;     // code page 932, each at most EPUB_TEXT_LIMIT bytes
    std::string path;          // UTF-8 output path, at most EPUB_PATH_LIMIT bytes; "" = not chosen yet
    std::string for_document;  // UTF-8: the document the path was stored for
};

struct EpubDialogServices {
    std::string document_path;                 // UTF-8, the open document
    std::string document_title, print_title;   // code page 932 (the document's titles)
    std::string program_folder;                // UTF-8: the data folder (Rix.ini, font files)
    bool has_index = false;                    // the document has structure-index entries
    // The folder chooser, UTF-8 in and out; false = cancelled; null = 参照 disabled.
    std::function<bool(std::string* folder)> choose_folder;
    // The font file chooser: starts in the folder, gives back the chosen
    // file's path (UTF-8); false = cancelled; null = 選択 disabled.
    std::function<bool(const std::string& folder, std::string* path)> choose_font_file;
    std::function<void()> preview;             // null = ﾌﾟﾚﾋﾞｭｰ disabled
};

class EpubDialog final : public DialogProcedure {
public:
    EpubDialog(SettingsState* settings, EpubSession* session, const EpubDialogServices& services)
        : settings_(settings), session_(session), services_(services) {}

    void init(DialogContext& ctx) override;
    bool command(DialogContext& ctx, int id, int notification) override;
    bool ok(DialogContext& ctx) override;
    void cancel(DialogContext&) override {}

private:
    void init_texts(DialogContext& ctx);
    void init_options(DialogContext& ctx);
    void enable_options(DialogContext& ctx);
    std::string file_name_for_folder(const std::string& path) const;
    void browse(DialogContext& ctx);
    void default_folder(DialogContext& ctx);
    void choose_font(DialogContext& ctx);
    bool refused(DialogContext& ctx, int id, const char* utf8);
    void store(DialogContext& ctx, const std::string& path, int split_kb);

    SettingsState* settings_;
    EpubSession* session_;
    const EpubDialogServices& services_;
    PathEdit path_edit_{EPUB_DB_PATH};
};

// Shows EPUB_DB: 1 when 実 行 stored everything, 2 when it was closed (or
// could not be shown; the host has then said why).
int open_epub_dialog(SettingsState* settings, EpubSession* session, const EpubDialogServices& services,
                     WindowRef owner);

// The services for the application's open document: its path and titles,
// whether it has index entries, the data folder, the window's choosers.
// The preview is left for the caller, who knows its range.
EpubDialogServices epub_dialog_services(const Application& app);

// The output path for `document`: the folder of `output` (of the document
// itself when `output` is empty) and the document's file name with the
// extension "epub" in place of its own (added when it has none). `output`
// alone when there is no document.
std::string epub_output_path(std::string_view output, std::string_view document);

}  // namespace rix
