// The HTML pages tied to the application.
#include "app/publish/html_run.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "app/edit/format_views.h"
#include "app/documents/output_guard.h"
#include "app/print/print_run.h"
#include "app/edit/screen.h"
#include "app/edit/screen_format.h"
#include "document/loader.h"
#include "platform/codec.h"
#include "platform/files.h"
#include "platform/messages.h"
#include "platform/shell.h"
#include "publish/html_list.h"

namespace rix {

namespace {

constexpr char TEMPLATE_NAME[] = "縦書ひな形.htm";
constexpr char APPLET_NAME[] = "rix.class";
constexpr int DEFAULT_CLIENT_W = 1000, DEFAULT_CLIENT_H = 700;

void notice(const std::string& utf8, unsigned ms) { show_message(MSG_NOTICE, 0, utf8_to_sjis(utf8), ms); }
bool ask(const std::string& utf8) { return show_message(MSG_YES_NO, 0, utf8_to_sjis(utf8)) == MSG_RESULT_YES; }

// The folder the pages go into: the open document's.
std::string document_folder(const Application& app) {
    return folder_of(app.doc.save_name.empty() ? app.doc.opened_path : app.doc.save_name);
}

// A page (or list file) written through a temporary file; false when it was
// refused or failed, with the message.
bool write_output(const Application& app, const std::string& path, const std::string& bytes) {
    if (name_of(path).empty()) {
        notice("ＨＴＭＬファイル名が指定されていません｡", 3000);
        return false;
    }
    if (refuse_output_over_input(path, "ＨＴＭＬ", document_inputs(app.doc))) return false;
    if (!atomic_replace(path, bytes)) {
        const int e = errno;
        notice("ファイルを書き出せません｡\n" + path + "\n" + std::strerror(e), 5000);
        return false;
    }
    return true;
}

// Copies `from` to `to`; without `overwrite` an existing `to` is left alone
// (false, errno EEXIST). A failed copy leaves no partial file.
bool copy_file(const std::string& from, const std::string& to, bool overwrite) {
    std::string bytes;
    if (!read_whole_file(from, &bytes)) return false;
    if (overwrite) return atomic_replace(to, bytes);
    const int fd = create_exclusive(to);
    if (fd < 0) return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    const bool ok = done == bytes.size() && ::fsync(fd) == 0;
    const int e = errno;
    if (::close(fd) != 0 || !ok) {
        ::unlink(to.c_str());
        errno = ok ? EIO : e;
        return false;
    }
    return true;
}

// The file's modification day as year × 372 + month × 31 + day; -1 when it is missing.
long file_day(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return -1;
    std::tm t{};
    const std::time_t when = st.st_mtime;
    localtime_r(&when, &t);
    return (t.tm_year + 1900L) * 372 + (t.tm_mon + 1) * 31 + t.tm_mday;
}

void open_page(const std::string& path) {
    if (!open_local_file(absolute_path(path))) notice("ブラウザを起動できませんでした｡", 3000);
}

bool ask_to_show(const std::string& path) {
    return ask("HTMLﾌｧｲﾙ\n" + path + "\nを作成しました。\nブラウザで表示しますか？");
}

// The background image of the page beside it, from the data folder.
void copy_background(const Application& app, const HtmlScreen& screen, const std::string& folder) {
    if (screen.background_mode == 0 || screen.background_image.empty()) return;
    const std::string name = sjis_to_utf8(screen.background_image);
    if (name.find('/') != std::string::npos || name == "." || name == "..") return;
    const std::string target = join_path(folder, name), source = join_path(app.paths.program_folder, name);
    if (file_exists(target)) return;
    if (!file_exists(source)) {
        notice("背景の画像ファイル " + name + " がデータフォルダにありません｡\nコピーできませんでした｡", 5000);
        return;
    }
    notice("文書ファイルフォルダに\n画像ファイルがありません。\n画像ファイルをコピーします。", 5000);
    if (!copy_file(source, target, false)) notice("画像ファイルをコピーできませんでした｡\n" + target, 5000);
}

// "rix.class" beside the viewer page: copied from the data folder when the
// folder has none or an older one. The viewer is not part of every
// installation: without it in the data folder nothing is claimed.
void copy_applet(const Application& app, const std::string& folder) {
    const std::string source = join_path(app.paths.program_folder, APPLET_NAME);
    const std::string target = join_path(folder, APPLET_NAME);
    const long source_day = file_day(source), target_day = file_day(target);
    if (source_day < 0) {
        if (target_day < 0)
            notice("データフォルダにrix.classファイルがないため、\n文書ファイルフォルダにコピーできません。\n"
                   "ページの表示にはrix.classが必要です。",
                   5000);
        return;
    }
    if (same_file(source, target) || (target_day >= 0 && target_day >= source_day)) return;
    notice(target_day < 0 ? "文書ファイルフォルダに\nrix.classファイルがありません。\nrix.classをコピーします。"
                          : "文書ファイルフォルダにある\nrix.classファイルは旧版です。\n新版のrix.classをコピーします。",
           5000);
    if (!copy_file(source, target, true)) notice("rix.classをコピーできませんでした｡\n" + target, 5000);
}

std::string page_path(const Application& app, const std::string& name) {
    return name.empty() || name.front() == '/' ? name : join_path(document_folder(app), name);
}

std::string cut(std::string_view s, std::size_t limit) { return std::string(s.substr(0, cut_on_boundary(s, limit))); }

// The static page of the loaded document of screen slot `slot` at `path`.
bool write_vertical_page(Application& app, const std::string& path, int slot, const std::string& title,
                         HtmlCounts* counts, std::size_t* bytes) {
    LoadedDocument& loaded = *app.loaded;
    load_all_shown(loaded.document, app.doc, loaded.session);
    const std::string page = vertical_html_page(loaded.document, html_screen(app, slot), html_options(app.settings.rec),
                                                title, html_today(), counts);
    if (bytes) *bytes = page.size();
    return write_output(app, path, page);
}

// The page's title by the title mode: the document title, the print title or none.
std::string page_title(const Application& app) {
    if (!app.loaded) return {};
    const int mode = app.settings.rec.html_title_mode;
    if (mode == HTML_TITLE_DOCUMENT) return app.loaded->extension.header.title;
    if (mode == HTML_TITLE_PRINT) return app.loaded->extension.header.print_title;
    return {};
}

}  // namespace

HtmlScreen html_screen(const Application& app, int slot) {
    const SettingsRecord& rec = app.settings.rec;
    if (slot < 0 || slot >= SCREEN_FORMAT_COUNT) slot = 0;
    DisplayGeometry geo;
    const ScreenState* shown = app.window.screen;
    if (shown && shown->screen.geo.computed() && shown->screen.geo.slot == slot) {
        geo = shown->screen.geo;
    } else {
        const FontRecord& font = rec.font[slot];
        FontMetrics metrics;
        metrics.valid = true;
        format_font_size(font.height, font.width, true, &metrics.cell_w, &metrics.cell_h);
        metrics.pixel_height = metrics.cell_h;
        const int w = rec.window_width >= 320 ? rec.window_width : DEFAULT_CLIENT_W;
        const int h = rec.window_height >= 240 ? rec.window_height : DEFAULT_CLIENT_H;
        ScreenFormatChanges changes;
        if (!recompute_geometry(screen_format_view(rec, slot), w, h, metrics, DisplayGeometry{}, &geo, &changes))
            geo = DisplayGeometry{};
    }
    HtmlScreen s;
    s.vertical = rec.writing_direction[slot] == 0;
    s.font_w = geo.font_w;
    s.char_pitch = geo.char_pitch;
    s.line_pitch = geo.line_pitch;
    s.start_origin = geo.margin_start_px;
    s.top_origin = geo.margin_top_px;
    s.client_w = geo.client_w;
    s.client_h = geo.client_h;
    s.columns = geo.columns;
    s.chars = geo.chars;
    s.tiers = geo.tiers;
    s.tier_pitch = geo.tier_pitch;
    s.cell_size = geo.cell_size;
    s.grid_style = rec.grid_style[slot];
    s.cell_offset = rec.cell_offset_percent[slot];
    s.text_colour = rec.text_colour_rgb[slot];
    s.fill_colour = rec.fill_colour[slot];
    s.grid_colour = rec.grid_colour_rgb[slot];
    s.background_mode = rec.background_mode[slot];
    const BackgroundImageNames& images = rec.background_images[slot];
    if (s.background_mode == 1) s.background_image = read_field(images.tile_image_name, sizeof images.tile_image_name);
    if (s.background_mode == 2) s.background_image = read_field(images.full_image_name, sizeof images.full_image_name);
    s.font_face = read_field(rec.font[slot].face, sizeof rec.font[slot].face);
    s.font_weight = rec.font[slot].weight;
    s.line_start_prohibited = read_field(rec.line_start_prohibited, sizeof rec.line_start_prohibited);
    s.line_end_prohibited = read_field(rec.line_end_prohibited, sizeof rec.line_end_prohibited);
    return s;
}

HtmlOptions html_options(const SettingsRecord& rec) {
    HtmlOptions o;
    o.font = rec.html_font == 1 ? 1 : 0;
    o.bold = rec.html_bold != 0;
    o.next_guide = rec.html_next_guide != 0;
    o.prev_guide = rec.html_prev_guide != 0;
    o.back_button = rec.html_back_button != 0;
    o.ruby_separators = rec.html_ruby_separators <= 4 ? rec.html_ruby_separators : 0;
    o.custom_separators = cut(read_field(rec.html_custom_separators, sizeof rec.html_custom_separators), 4);
    o.help_lines = rec.html_help_lines & 7;
    o.help_size = rec.html_help_size <= 2 ? rec.html_help_size : 0;
    o.help_colour = rec.html_help_colour & 0x0F;
    o.guide_colour = rec.html_guide_colour & 0x0F;
    o.percent_size = (rec.html_size_mode & 1) != 0;
    o.height_percent = rec.html_height_percent;
    o.width_percent = rec.html_width_percent;
    return o;
}

HtmlDate html_today() {
    const std::time_t now = std::time(nullptr);
    std::tm t{};
    localtime_r(&now, &t);
    return HtmlDate{t.tm_year + 1900, t.tm_mon + 1, t.tm_mday};
}

std::string write_vertical_html(Application& app, const std::string& html_name, const std::string& title_sjis,
                                bool ask_to_open) {
    if (!app.loaded) return {};
    const std::string path = page_path(app, html_name);
    const int slot = current_screen_slot(app.settings.rec);
    if (!write_vertical_page(app, path, slot, title_sjis, nullptr, nullptr)) return {};
    if (ask_to_open && ask_to_show(path)) {
        copy_background(app, html_screen(app, slot), folder_of(path));
        open_page(path);
    }
    return path;
}

std::string write_applet_html(Application& app, int mode, const std::string& html_name, const std::string& text_name,
                              const std::string& title_sjis) {
    const std::string path = page_path(app, html_name);
    const std::string page = applet_html_page(html_screen(app, current_screen_slot(app.settings.rec)),
                                              html_options(app.settings.rec), mode, utf8_to_sjis(text_name),
                                              title_sjis, html_today());
    if (!write_output(app, path, page)) return {};
    if (mode <= 1 && ask_to_show(path)) {
        copy_applet(app, folder_of(path));
        open_page(path);
    }
    return path;
}

bool write_html_list_file(Application& app, const std::vector<HtmlDocEntry>& documents, const std::string& list_name) {
    const std::string folder = document_folder(app);
    const std::string path = page_path(app, list_name);
    std::string bytes;
    const std::size_t count = std::min<std::size_t>(documents.size(), HTML_MAX_DOCUMENTS);
    for (std::size_t i = 0; i < count; ++i) {
        const HtmlDocEntry& entry = documents[i];
        const std::string name = name_of(entry.path);
        const std::string here = join_path(folder, name);
        if (!same_file(entry.path, here) &&
            ask("現在のフォルダにファイル\n" + name + "がありません。\nフォルダ" + folder_of(entry.path) +
                "\nからコピーしますか？")) {
            if (file_exists(here))
                notice("同じ名前のファイルがあるため、コピーしませんでした｡\n" + here, 5000);
            else if (!copy_file(entry.path, here, false))
                notice("ファイルをコピーできませんでした｡\n" + entry.path, 5000);
        }
        const std::string& title = entry.title_mode == HTML_TITLE_DOCUMENT ? entry.document_title
                                   : entry.title_mode == HTML_TITLE_PRINT  ? entry.print_title
                                                                           : std::string();
        bytes += html_list_line(utf8_to_sjis(name), cut(title, HTML_LIST_TITLE_BYTES));
    }
    return write_output(app, path, bytes);
}

std::string write_template_html(Application& app) {
    if (!app.loaded) return {};
    LoadedDocument& loaded = *app.loaded;
    load_all_shown(loaded.document, app.doc, loaded.session);
    const std::string path = join_path(app.paths.program_folder, TEMPLATE_NAME);
    const std::string page =
        template_html_page(loaded.document, html_screen(app, current_screen_slot(app.settings.rec)), html_today());
    if (!write_output(app, path, page)) return {};
    open_page(path);
    return path;
}

int batch_html(Application& app, const std::string& document) {
    if (!open_batch_document(app, document)) return 1;
    const int slot = app.line.format >= 0 ? app.line.format : current_screen_slot(app.settings.rec);
    HtmlCounts counts;
    std::size_t bytes = 0;
    const bool written = write_vertical_page(app, app.line.html_path, slot, page_title(app), &counts, &bytes);
    close_batch_document(app);
    if (!written) return 1;
    std::printf("lines=%u rubies=%u bytes=%zu\n", counts.lines, counts.rubies, bytes);
    return 0;
}

}  // namespace rix
