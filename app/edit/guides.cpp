// The guides tied to the application.
#include "app/edit/guides.h"

#include "app/edit/editor.h"
#include "app/edit/format_views.h"
#include "app/print/print_format_view.h"
#include "app/print/print_run.h"
#include "app/edit/screen.h"
#include "document/display_lines.h"
#include "document/load_report.h"
#include "document/loader.h"
#include "platform/codec.h"
#include "platform/messages.h"
#include "publish/page_layout.h"

namespace rix {

namespace {

int place_of(const SettingsRecord& rec, int slot) {
    const int place = rec.edit_info_place[slot];
    return place >= GUIDE_PLACE_SMALL && place <= GUIDE_PLACE_LARGE ? place : GUIDE_PLACE_TITLE;
}

int content_of(const SettingsRecord& rec, int slot) {
    const int content = rec.edit_info_content[slot];
    return content <= 2 ? content : 2;
}

int shown_slot(const Application& app) {
    return app.window.screen ? shown_screen_slot(app, *app.window.screen) : current_screen_slot(app.settings.rec);
}

// Whether the capacity counted last still describes the text and formats.
bool capacity_current(const Application& app, const GuideState& g) {
    return g.capacity.known && g.counted_generation == app.loaded->document.generation &&
           g.counted_screen_slot == shown_slot(app) && g.counted_print_slot == current_print_slot(app.settings.rec);
}

// The page count is stale while a count is due under another format than
// the last one (or none was made yet).
bool page_count_stale(const Application& app, const GuideState& g) {
    return g.count_pending && (!g.capacity.known || g.counted_screen_slot != shown_slot(app) ||
                               g.counted_print_slot != current_print_slot(app.settings.rec));
}

std::string name_part(const Application& app) {
    std::string part = title_name_part(utf8_to_sjis(app.doc.save_name));
    if (app.loaded && app.loaded->document.load.form.encoding != TextEncoding::SHIFT_JIS)
        part += " [" + utf8_to_sjis(encoding_name(app.loaded->document.load.form)) + "]";
    return part;
}

void show_title(Application& app, GuideState& g, int slot) {
    if (app.doc.save_name.empty() || !app.host) return;
    const SettingsRecord& rec = app.settings.rec;
    const bool overwrite = app.loaded && !app.loaded->edit.insert_mode;
    const bool modified = (app.doc.modified & MODIFIED_TEXT) != 0;
    g.title.ime = ime_mode_part(ImeState{});   // the window cannot tell the input method's mode
    g.title.char_code = rec.show_char_code && app.loaded ? char_code_part(app.loaded->document, app.loaded->cursor)
                                                         : std::string();
    app.host->set_title(compose_title(g.title, place_of(rec, slot) == GUIDE_PLACE_TITLE, content_of(rec, slot),
                                      overwrite, modified));
}

// The record of what is shown, emptied when the surface is another one or
// was painted blank since the guides were drawn on it.
ShownGuides& shown_on(GuideState& g, const Screen& s, int place) {
    ShownGuides& shown = g.shown;
    const Surface* surface = s.surface;
    if (shown.surface != surface || shown.paints != s.paints || shown.width != surface->width() ||
        shown.height != surface->height() || shown.place != place) {
        shown = ShownGuides{};
        shown.surface = surface;
        shown.paints = s.paints;
        shown.width = surface->width();
        shown.height = surface->height();
        shown.place = place;
    }
    return shown;
}

void draw_boxes(Application& app, GuideState& g, int slot, const GuidePosition& p, bool stale) {
    Screen& s = app.window.screen->screen;
    const SettingsRecord& rec = app.settings.rec;
    const GuideBoxLayout layout = guide_box_layout(place_of(rec, slot));
    const bool overwrite = !app.loaded->edit.insert_mode;
    const bool modified = (app.doc.modified & MODIFIED_TEXT) != 0;
    ShownGuides& shown = shown_on(g, s, place_of(rec, slot));
    GuideBoxFields position = position_box_fields(slot + 1, p, stale, overwrite, modified);
    if (shown.position.rows.empty() || position != shown.position) {
        draw_guide_box(*s.surface, layout.position, layout.font_px, position, 0,
                       shown.position.rows.empty() ? nullptr : &shown.position);
        shown.position = std::move(position);
    }
    if (content_of(rec, slot) != 0 && !app.doc.save_name.empty() && g.capacity.known) {
        GuideBoxFields capacity = capacity_box_fields(g.capacity);
        if (!shown.capacity_shown || capacity != shown.capacity) {
            draw_guide_box(*s.surface, layout.capacity, layout.font_px, capacity, 0,
                           shown.capacity_shown ? &shown.capacity : nullptr);
            shown.capacity = std::move(capacity);
            shown.capacity_shown = true;
        }
    }
}

void draw_bar(Application& app, GuideState& g, int slot, std::uint64_t cursor_line) {
    Screen& s = app.window.screen->screen;
    const SettingsRecord& rec = app.settings.rec;
    if (rec.show_position_bar[slot] != 1) return;
    const std::uint64_t total = app.loaded->document.lines.total_display_lines();
    const PositionBar bar = position_bar(s.surface->width(), cursor_line, total > 0 ? total - 1 : 0, s.geo.vertical);
    ShownGuides& shown = shown_on(g, s, place_of(rec, slot));
    if (!bar.shown || shown.bar_tick == bar.tick_x) return;
    draw_position_bar(*s.surface, s.blank_page, bar, rec.text_colour_rgb[slot]);
    shown.bar_tick = bar.tick_x;
}

// The count display's text.
std::string count_message(GuideState& g, const PrintRange& range, int print_number, const std::string& format_name,
                          std::uint64_t pages, const TextCounts& t, std::uint64_t index_entries,
                          std::uint64_t tags) {
    static constexpr const char* MODES[] = {"全部", "行", "頁"};
    const int mode = range.mode >= RANGE_ALL && range.mode <= RANGE_PAGES ? range.mode : RANGE_ALL;
    std::string span;
    if (mode != RANGE_ALL) span = " " + std::to_string(range.start) + "-" + std::to_string(range.end) + " ";
    const std::string range_text = utf8_to_sjis(" 範囲は") + utf8_to_sjis(MODES[mode]) + span + utf8_to_sjis("です｡\n\n");
    auto n = [&g](std::uint64_t v) { return std::string(format_count(g.ring, v)); };
    char index_field[24], tag_field[24];
    std::snprintf(index_field, sizeof index_field, "%5s", n(index_entries).c_str());
    std::snprintf(tag_field, sizeof tag_field, "%5s", n(tags).c_str());
    return utf8_to_sjis("　計数表示\n") + range_text + utf8_to_sjis("印刷ﾍﾟｰｼﾞ数  ") + n(pages) +
           utf8_to_sjis("\n[書式") + std::to_string(print_number) + ":" + format_name + "]\n\n" +
           utf8_to_sjis("行数(改行) ") + n(t.lines) + " (" + n(t.empty_lines) + ")\n\n" +
           utf8_to_sjis("文字数(半角) ") + n(t.characters()) + " (" + n(t.half) + ")\n\n" +
           utf8_to_sjis("ｺｰﾄﾞｻｲｽﾞ ") + n(t.bytes()) + " byte\n\n" + utf8_to_sjis("索引数") + index_field + " \n" +
           utf8_to_sjis("付箋数") + tag_field + "\n";
}

void tell(const std::string& text, unsigned time_ms) {
    if (!text.empty()) show_message(MSG_NOTICE, WindowRef{}, text, time_ms);
}

}  // namespace

int guide_width(const SettingsRecord& rec, int slot) {
    if (slot < 0 || slot >= SCREEN_FORMAT_COUNT) return 0;
    return guide_box_width(place_of(rec, slot));
}

void update_guides(Application& app, GuideState& g, int mode) {
    if (mode == GUIDES_NAME) {
        g.title.name = name_part(app);
        return;
    }
    if (!editing_ready(app)) return;
    const int slot = shown_slot(app);
    const SettingsRecord& rec = app.settings.rec;
    Document& doc = app.loaded->document;
    const TextPos cursor = app.loaded->cursor;
    const DisplayLineNo line = document_display_line(doc, cursor);
    const GuidePosition p = guide_position(line, rec.page_columns[slot], rec.column_numbering[slot] == 1, cursor);
    const bool stale = page_count_stale(app, g);
    g.title.name = name_part(app);   // a save under a new name changes it
    g.title.position = title_position_part(g.ring, slot + 1, p, stale);
    if (g.capacity.known) g.title.capacity = title_capacity_part(g.ring, g.capacity);
    if (app.window.screen->screen.surface) {
        if (place_of(rec, slot) != GUIDE_PLACE_TITLE) draw_boxes(app, g, slot, p, stale);
        draw_bar(app, g, slot, line.value);
    }
    show_title(app, g, slot);
}

void update_capacity(Application& app, GuideState& g) {
    if (!app.loaded || app.doc.save_name.empty()) return;
    if (content_of(app.settings.rec, shown_slot(app)) == 0) return;
    count_document(app, g, CountOwner::CAPACITY_BOX);
}

void guides_after_redraw(Application& app, GuideState& g) {
    if (!editing_ready(app)) return;
    const bool wanted =
        app.host && !app.doc.save_name.empty() && content_of(app.settings.rec, shown_slot(app)) != 0;
    if (wanted && !g.count_pending && !capacity_current(app, g)) {
        g.count_pending = true;
        app.host->set_timer(TIMER_COUNT, 0);
    }
    update_guides(app, g, GUIDES_POSITION);
}

void guides_count_timer(Application& app, GuideState& g) {
    if (app.host) app.host->kill_timer(TIMER_COUNT);
    if (!g.count_pending) return;
    update_capacity(app, g);
    g.count_pending = false;
    update_guides(app, g, GUIDES_POSITION);
    if (app.window.show_surface) app.window.show_surface();
}

std::uint64_t count_document(Application& app, GuideState& g, CountOwner owner) {
    if (!app.loaded) return 0;
    Document& doc = app.loaded->document;
    load_all_shown(doc, app.doc, app.loaded->session);
    const SettingsRecord& rec = app.settings.rec;
    const bool silent = owner != CountOwner::MENU;
    const PrintRange range = silent ? PrintRange{} : print_range_view(rec);   // silent passes count everything
    const int print_slot = current_print_slot(rec);
    const int screen_slot = shown_slot(app);
    const PrintFormat format = print_format_view(rec, print_slot, screen_slot);
    PrintLayout layout;
    if (!check_print_format(format, range).ok() ||
        !make_print_layout(format, range, page_for_paper(format.paper, PRINT_DPI, PRINT_DPI), &layout)) {
        if (!silent) tell(print_check_message(check_print_format(format, range)), 3000);
        return 0;
    }
    layout.index = index_hooks_for(doc.index);
    ++g.passes;
    std::uint64_t pages = 0;
    TextPos from, to(doc.lines.count(), 0);
    {
        PrintScope scope(doc, layout.rules);
        PrintJob job;
        const RangeResult resolved = resolve_print_range(doc, layout, range, false, {}, {}, &job);
        if (resolved != RangeResult::OK) {
            if (!silent) tell(range_message(resolved), 2000);
            return 0;
        }
        from = job.start;
        const std::uint64_t limit = static_cast<std::uint64_t>(job.last_sheet - job.first_sheet + 1) *
                                    static_cast<std::uint64_t>(layout.halves);
        TextPos pos = job.start;
        for (;;) {
            const HalfPlan half = plan_half(doc, layout, pos);
            ++pages;
            if (half.text_ended || job_done(job, half) || (range.mode == RANGE_PAGES && pages >= limit)) {
                if (!half.text_ended && range.mode == RANGE_PAGES) to = half.next;
                break;
            }
            if (half.next == pos) break;
            pos = half.next;
        }
        if (range.mode == RANGE_LINES) to = TextPos(static_cast<std::uint32_t>(range.end), 0);
    }
    const TextCounts text = count_text(doc, from, to);
    if (silent) {
        g.capacity.known = true;
        g.capacity.pages = pages;
        g.capacity.print_format = print_index(print_slot) + 1;
        g.capacity.text = text;
        g.counted_generation = doc.generation;
        g.counted_screen_slot = screen_slot;
        g.counted_print_slot = print_slot;
        return pages;
    }
    const std::string name(read_field(rec.format_name[print_slot], sizeof rec.format_name[print_slot]));
    const DocumentCounts blocks = count_document(doc);
    const std::string message = count_message(g, range, print_index(print_slot) + 1, name, pages, text,
                                              doc.index.size(), blocks.tags);
    messages().set_beep(false);
    show_message(MSG_NOTICE, WindowRef{}, message, 20000);
    messages().set_beep(rec.no_beep == 0);
    return pages;
}

}  // namespace rix
