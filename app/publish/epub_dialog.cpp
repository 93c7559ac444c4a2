// The EPUB book dialog EPUB_DB (see epub_dialog.h).
#include "app/publish/epub_dialog.h"

#include <algorithm>

#include "app/shell/application.h"
#include "app/publish/epub_ini.h"
#include "app/documents/output_path.h"
#include "platform/codec.h"
#include "platform/file_names.h"
#include "platform/files.h"
#include "platform/messages.h"

namespace rix {
namespace {

constexpr unsigned NOTICE_MS = 3000;
constexpr unsigned NO_FOLDER_MS = 8000;
constexpr std::uint8_t CHAPTER_BIT = 0x01, FONT_BIT = 0x02, SPLIT_BIT = 0x04;
constexpr int SIZE_CHOICES = 5;
constexpr int STANDARD_SIZE = 2;         // 標準, what an index out of range reads as
constexpr int MIN_SPLIT_KB = 1, MAX_SPLIT_KB = 255;

std::string text(const char* utf8) { return utf8_to_sjis(utf8); }

std::string cut_text(std::string_view cp932, std::size_t limit = EPUB_TEXT_LIMIT) {
    return std::string(cp932.substr(0, cut_on_boundary(cp932, limit)));
}


int size_index(std::uint8_t stored) { return stored < SIZE_CHOICES ? stored : STANDARD_SIZE; }

// The split size the writer would use for a stored byte.
int split_kb_in_range(std::uint8_t stored) { return std::clamp<int>(stored, MIN_SPLIT_KB, MAX_SPLIT_KB); }

}  // namespace

std::string epub_output_path(std::string_view output, std::string_view document) {
    return output_path_for(output, document, "epub");
}

void EpubDialog::init(DialogContext& ctx) {
    init_texts(ctx);
    // The path stored for this document stays as it was (a renamed book
    // included); another document's book is not written over: its folder
    // is kept, the name is this document's.
    const bool same_document = !session_->path.empty() && session_->for_document == services_.document_path;
    path_edit_.show(ctx, same_document ? session_->path : epub_output_path(session_->path, services_.document_path));
    init_options(ctx);
    ctx.enable(EPUB_DB_BROWSE, static_cast<bool>(services_.choose_folder));
    ctx.enable(EPUB_DB_PREVIEW, static_cast<bool>(services_.preview));
    enable_options(ctx);
}

// The four kept texts from Rix.ini (those of this run when it cannot be
// read), the title and, when there is one, the print title of the document.
void EpubDialog::init_texts(DialogContext& ctx) {
    EpubIniValues kept;
    if (!load_epub_ini(services_.program_folder, &kept)) {
        const EpubMetadata& m = session_->metadata;
        kept = EpubIniValues{m.description, m.creator, m.rights, m.publisher};
    }
    ctx.set_text(EPUB_DB_TITLE, cut_text(services_.document_title));
    ctx.set_text(EPUB_DB_DESCRIPTION, cut_text(services_.print_title.empty() ? kept.description
                                                                              : services_.print_title));
    ctx.set_text(EPUB_DB_CREATOR, cut_text(kept.creator));
    ctx.set_text(EPUB_DB_RIGHTS, cut_text(kept.rights));
    ctx.set_text(EPUB_DB_PUBLISHER, cut_text(kept.publisher));
}

void EpubDialog::init_options(DialogContext& ctx) {
    const SettingsRecord& r = settings_->rec;
    ctx.set_check(EPUB_DB_CHAPTER_NUMBERS, r.epub_flags & CHAPTER_BIT);
    ctx.set_check(EPUB_DB_EMBED_FONT, r.epub_flags & FONT_BIT);
    ctx.set_check(EPUB_DB_SPLIT, r.epub_flags & SPLIT_BIT);
    ctx.set_number(EPUB_DB_SPLIT_KB, split_kb_in_range(r.epub_split_kb));
    ctx.set_pos(EPUB_DB_SPLIT_SPIN, split_kb_in_range(r.epub_split_kb));
    ctx.set_text(EPUB_DB_FONT_FILE, cut_text(read_field(r.epub_font_file, sizeof r.epub_font_file),
                                             EPUB_FONT_NAME_LIMIT));
    ctx.set_radio(EPUB_DB_FONT_SIZE_FIRST, EPUB_DB_FONT_SIZE_FIRST + SIZE_CHOICES - 1,
                  EPUB_DB_FONT_SIZE_FIRST + size_index(r.epub_font_size_index));
    ctx.set_radio(EPUB_DB_LINE_SPACING_FIRST, EPUB_DB_LINE_SPACING_FIRST + SIZE_CHOICES - 1,
                  EPUB_DB_LINE_SPACING_FIRST + size_index(r.epub_line_spacing_index));
}

// Chapter numbers need index entries; the split size needs 自動分割; the
// font file needs フォント付加.
void EpubDialog::enable_options(DialogContext& ctx) {
    ctx.enable(EPUB_DB_CHAPTER_GROUP, services_.has_index);
    ctx.enable(EPUB_DB_CHAPTER_NUMBERS, services_.has_index);
    const bool split = ctx.get_check(EPUB_DB_SPLIT);
    ctx.enable(EPUB_DB_SPLIT_KB, split);
    ctx.enable(EPUB_DB_SPLIT_SPIN, split);
    const bool font = ctx.get_check(EPUB_DB_EMBED_FONT);
    ctx.enable(EPUB_DB_FONT_FILE, font);
    ctx.enable(EPUB_DB_CHOOSE_FONT, font && services_.choose_font_file);
}

// The file name `path` keeps when its folder changes: its own, or the
// document's book name when it has none.
std::string EpubDialog::file_name_for_folder(const std::string& path) const {
    std::string name = path.substr(file_name_start(path));
    if (name.empty() && !services_.document_path.empty())
        name = name_with_extension(services_.document_path, "epub");
    return name;
}

void EpubDialog::browse(DialogContext& ctx) {
    const std::string path = path_edit_.path(ctx);
    const std::string_view start_from = path.empty() ? std::string_view(services_.document_path) : path;
    std::string folder(start_from.substr(0, file_name_start(start_from)));
    if (!services_.choose_folder(&folder) || folder.empty()) return;
    path_edit_.show(ctx, join_folder(folder, file_name_for_folder(path)));
}

void EpubDialog::default_folder(DialogContext& ctx) {
    const SettingsRecord& r = settings_->rec;
    const std::string folder = sjis_to_utf8(read_field(r.document_folder, sizeof r.document_folder));
    if (folder.empty()) {
        ctx.show_message(MSG_NOTICE,
                         text("「文書の保存既定フォルダ」が設定されていません。\n\n次に開く環境設定画面で設定出来ます。\n"),
                         NO_FOLDER_MS);
        return;
    }
    path_edit_.show(ctx, join_folder(folder, file_name_for_folder(path_edit_.path(ctx))));
}

// Only a file the writer can find by its name in the data folder is taken.
void EpubDialog::choose_font(DialogContext& ctx) {
    std::string chosen;
    if (!services_.choose_font_file(services_.program_folder, &chosen)) return;
    const std::string name = name_of(chosen);
    if (name.empty()) return;
    const std::string cp932 = utf8_to_sjis(name);
    if (sjis_to_utf8(cp932) != name || cp932.size() > EPUB_FONT_NAME_LIMIT) {
        ctx.show_message(MSG_NOTICE, text("このフォントファイル名は使えません｡\n（半角31文字・全角15文字まで）\n") + cp932,
                         NOTICE_MS);
        return;
    }
    if (!file_exists(join_path(services_.program_folder, name))) {
        ctx.show_message(MSG_NOTICE, text("フォントファイルはデータフォルダに置いてください｡\n") +
                                         utf8_to_sjis(services_.program_folder), NOTICE_MS);
        return;
    }
    ctx.set_text(EPUB_DB_FONT_FILE, cp932);
}

bool EpubDialog::command(DialogContext& ctx, int id, int) {
    switch (id) {
    case EPUB_DB_TITLE + 1:
    case EPUB_DB_DESCRIPTION + 1:
    case EPUB_DB_CREATOR + 1:
    case EPUB_DB_RIGHTS + 1:
    case EPUB_DB_PUBLISHER + 1:
        ctx.set_text(id - 1, "");
        return true;
    case EPUB_DB_BROWSE:
        if (services_.choose_folder) browse(ctx);
        return true;
    case EPUB_DB_DEFAULT_FOLDER:
        default_folder(ctx);
        return true;
    case EPUB_DB_CHOOSE_FONT:
        if (services_.choose_font_file) choose_font(ctx);
        return true;
    case EPUB_DB_SPLIT:
    case EPUB_DB_EMBED_FONT:
        enable_options(ctx);
        return true;
    case EPUB_DB_PREVIEW:
        if (services_.preview) services_.preview();
        return true;
    case EPUB_DB_HELP:
        show_help("EPUB");
        return true;
    default:
        return false;
    }
}

bool EpubDialog::refused(DialogContext& ctx, int id, const char* utf8) {
    ctx.show_message(MSG_NOTICE, text(utf8), NOTICE_MS);
    ctx.focus(id);
    return false;
}

bool EpubDialog::ok(DialogContext& ctx) {
    const std::string path = path_edit_.path(ctx);
    // A path ending in '/' names a folder: there is no file to write.
    if (path.empty() || path.back() == '/') return refused(ctx, EPUB_DB_PATH, "出力ファイル名を入力してください｡");
    if (path.size() > EPUB_PATH_LIMIT) return refused(ctx, EPUB_DB_PATH, "出力ファイル名が長すぎます｡\n（259バイトまで）");
    if (ctx.get_check(EPUB_DB_EMBED_FONT) && ctx.get_text(EPUB_DB_FONT_FILE).empty())
        return refused(ctx, EPUB_DB_FONT_FILE, "付加するフォントファイルを選択してください｡");
    bool number = false;
    const int split_kb = ctx.get_number(EPUB_DB_SPLIT_KB, &number);
    const bool split_valid = number && split_kb >= MIN_SPLIT_KB && split_kb <= MAX_SPLIT_KB;
    if (ctx.get_check(EPUB_DB_SPLIT) && !split_valid)
        return refused(ctx, EPUB_DB_SPLIT_KB, "分割ｻｲｽﾞは 1～255 (KB) で入力してください｡");
    store(ctx, path, split_valid ? split_kb : -1);
    EpubIniValues kept{session_->metadata.description, session_->metadata.creator, session_->metadata.rights,
                       session_->metadata.publisher};
    if (!save_epub_ini(services_.program_folder, kept))
        ctx.show_message(MSG_NOTICE, text("内容・著者・著作権・発行者を保存できませんでした｡\n") +
                                         utf8_to_sjis(epub_ini_path(services_.program_folder)), NOTICE_MS);
    return true;
}

// Texts and path into the session, options into the record. A split size
// of -1 (not a valid number while 自動分割 is off) keeps the stored one.
void EpubDialog::store(DialogContext& ctx, const std::string& path, int split_kb) {
    EpubMetadata& m = session_->metadata;
    m.title = cut_text(ctx.get_text(EPUB_DB_TITLE));
    m.description = cut_text(ctx.get_text(EPUB_DB_DESCRIPTION));
    m.creator = cut_text(ctx.get_text(EPUB_DB_CREATOR));
    m.rights = cut_text(ctx.get_text(EPUB_DB_RIGHTS));
    m.publisher = cut_text(ctx.get_text(EPUB_DB_PUBLISHER));
    session_->path = path;
    session_->for_document = services_.document_path;

    SettingsRecord& r = settings_->rec;
    std::uint8_t flags = 0;
    if (ctx.get_check(EPUB_DB_CHAPTER_NUMBERS)) flags |= CHAPTER_BIT;
    if (ctx.get_check(EPUB_DB_EMBED_FONT)) flags |= FONT_BIT;
    if (ctx.get_check(EPUB_DB_SPLIT)) flags |= SPLIT_BIT;
    // Bits the dialog does not show are kept as they were.
    r.epub_flags = static_cast<std::uint8_t>((r.epub_flags & ~(CHAPTER_BIT | FONT_BIT | SPLIT_BIT)) | flags);
    if (split_kb >= 0) r.epub_split_kb = static_cast<std::uint8_t>(split_kb);
    const int size = ctx.get_radio(EPUB_DB_FONT_SIZE_FIRST, EPUB_DB_FONT_SIZE_FIRST + SIZE_CHOICES - 1);
    if (size) r.epub_font_size_index = static_cast<std::uint8_t>(size - EPUB_DB_FONT_SIZE_FIRST);
    const int spacing = ctx.get_radio(EPUB_DB_LINE_SPACING_FIRST, EPUB_DB_LINE_SPACING_FIRST + SIZE_CHOICES - 1);
    if (spacing) r.epub_line_spacing_index = static_cast<std::uint8_t>(spacing - EPUB_DB_LINE_SPACING_FIRST);
    store_field(r.epub_font_file, sizeof r.epub_font_file, cut_text(ctx.get_text(EPUB_DB_FONT_FILE),
                                                                     EPUB_FONT_NAME_LIMIT));
    mark_settings_changed(settings_);
}

int open_epub_dialog(SettingsState* settings, EpubSession* session, const EpubDialogServices& services,
                     WindowRef owner) {
    EpubDialog dialog(settings, session, services);
    return run_dialog("EPUB_DB", dialog, owner) == DIALOG_OK ? DIALOG_OK : DIALOG_CANCEL;
}

EpubDialogServices epub_dialog_services(const Application& app) {
    EpubDialogServices services;
    services.document_path = app.doc.opened_path;
    services.program_folder = app.paths.program_folder;
    if (app.loaded) {
        services.document_title = app.loaded->extension.header.title;
        services.print_title = app.loaded->extension.header.print_title;
        services.has_index = !app.loaded->document.index.empty();
    }
    services.choose_folder = app.window.choose_folder;
    services.choose_font_file = app.window.choose_font_file;
    return services;
}

}  // namespace rix
