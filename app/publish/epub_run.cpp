// An EPUB run tied to the application.
#include "app/publish/epub_run.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "app/documents/document_load.h"
#include "app/publish/epub_ini.h"
#include "app/edit/format_views.h"
#include "app/documents/output_guard.h"
#include "app/documents/output_path.h"
#include "app/print/print_format_view.h"
#include "app/print/print_run.h"
#include "document/loader.h"
#include "platform/codec.h"
#include "platform/file_names.h"
#include "platform/files.h"
#include "platform/messages.h"
#include "platform/shell.h"

namespace rix {

namespace {

constexpr std::size_t EPUB_TEXT_BYTES = 49;
constexpr std::size_t FONT_NAME_BYTES = 31;

void notice(const std::string& utf8, unsigned ms) { show_message(MSG_NOTICE, 0, utf8_to_sjis(utf8), ms); }

std::string utc_now() {
    const std::time_t now = std::time(nullptr);
    std::tm t{};
    gmtime_r(&now, &t);
    char buf[80];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02dZ", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                  t.tm_hour, t.tm_min, t.tm_sec);
    return buf;
}

std::string cut(const std::string& s, std::size_t limit) { return s.substr(0, cut_on_boundary(s, limit)); }

// The embedded font of the options: a plain file name in the data folder.
// False (with the message) when it is asked for and cannot be read.
bool take_font(const Application& app, EpubOptions* options) {
    const SettingsRecord& rec = app.settings.rec;
    if (!(rec.epub_flags & 2)) return true;
    const std::string name = sjis_to_utf8(cut(std::string(read_field(rec.epub_font_file, sizeof rec.epub_font_file)),
                                              FONT_NAME_BYTES));
    const bool plain = !name.empty() && name.find('/') == std::string::npos && name != "." && name != "..";
    std::string bytes;
    if (!plain || !read_whole_file(join_path(app.paths.program_folder, name), &bytes)) {
        notice("指定のフォントファイルが見付かりませんでした。\n\nフォントファイルを再選択してください。", 5000);
        return false;
    }
    options->font_name = name;
    options->font_bytes = std::move(bytes);
    return true;
}

}  // namespace

EpubMetadata default_epub_metadata(const Application& app, const EpubMetadata& kept) {
    EpubMetadata m = kept;
    if (app.loaded) {
        m.title = app.loaded->extension.header.title;
        if (!app.loaded->extension.header.print_title.empty()) m.description = app.loaded->extension.header.print_title;
    }
    for (std::string* s : {&m.title, &m.description, &m.creator, &m.rights, &m.publisher}) *s = cut(*s, EPUB_TEXT_BYTES);
    return m;
}

EpubOutcome write_document_epub(Application& app, const EpubRunRequest& request, EpubRunSummary* summary) {
    *summary = EpubRunSummary{};
    LoadedDocument& loaded = *app.loaded;
    Document& doc = loaded.document;
    load_all_shown(doc, app.doc, loaded.session);
    const SettingsRecord& rec = app.settings.rec;
    if (request.path.empty()) {
        notice("ＥＰＵＢファイル名が指定されていません｡", 3000);
        return EpubOutcome::REFUSED;
    }
    if (refuse_output_over_input(request.path, "ＥＰＵＢ", document_inputs(app.doc))) return EpubOutcome::REFUSED;
    const PrintFormat format = print_format_view(rec, request.slot, current_screen_slot(rec));
    EpubOptions options = EpubOptions::from_record(rec.epub_flags, rec.epub_font_size_index,
                                                   rec.epub_line_spacing_index, rec.epub_split_kb,
                                                   format.screen.vertical);
    if (!take_font(app, &options)) return EpubOutcome::REFUSED;
    EpubIdentity identity{random_uuid(), utc_now(), std::string(stem_of(app.doc.opened_path))};
    EpubCounts counts;
    const std::vector<EpubEntry> entries = epub_entries(doc, request.metadata, options, identity, &counts);
    std::string book, error;
    if (!pack_zip(entries, &book, &error)) {
        notice("ＥＰＵＢファイルを作成できません｡\n" + error, 5000);
        return EpubOutcome::FAILED;
    }
    if (!atomic_replace(request.path, book)) {
        const int e = errno;
        notice("ＥＰＵＢファイルを書き出せません｡\n" + request.path + "\n" + std::strerror(e), 5000);
        return EpubOutcome::FAILED;
    }
    summary->files = counts.files;
    summary->contents = counts.contents;
    summary->bytes = book.size();
    if (request.ask_to_open &&
        show_message(MSG_YES_NO, 0,
                     utf8_to_sjis("ＥＰＵＢファイル\n" + request.path +
                                  "\nを作成しました。\n\n書籍リーダーソフトで表示しますか？")) == MSG_RESULT_YES &&
        !open_local_file(absolute_path(request.path)))
        notice("書籍リーダーソフトを起動できませんでした｡", 3000);
    return EpubOutcome::WRITTEN;
}

EpubOutcome write_session_epub(Application& app) {
    EpubRunRequest request;
    request.path = app.epub.path;
    request.metadata = app.epub.metadata;
    EpubRunSummary summary;
    return write_document_epub(app, request, &summary);
}

int batch_epub(Application& app, const std::string& document) {
    if (!open_batch_document(app, document)) return 1;
    EpubRunRequest request;
    request.slot = app.line.print_format;
    request.path = app.line.epub_path;
    EpubIniValues kept;
    load_epub_ini(app.paths.program_folder, &kept);
    request.metadata = default_epub_metadata(app, EpubMetadata{"", "", kept.creator, kept.rights, kept.publisher});
    request.ask_to_open = false;
    EpubRunSummary summary;
    const EpubOutcome outcome = write_document_epub(app, request, &summary);
    close_batch_document(app);
    if (outcome != EpubOutcome::WRITTEN) return 1;
    std::printf("files=%d\ncontents=%d\nbytes=%zu\n", summary.files, summary.contents, summary.bytes);
    return 0;
}

}  // namespace rix
