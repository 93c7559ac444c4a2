// The tag dialogs (see tag_dialogs.h).
#include "app/tags/tag_dialogs.h"

#include <cstdio>

#include "aids/search.h"
#include "app/edit/format_views.h"
#include "app/edit/screen_format.h"
#include "document/storage.h"
#include "platform/codec.h"
#include "platform/format_colour.h"
#include "platform/messages.h"

namespace rix {
namespace {

void notice(WindowRef owner, const char* utf8, unsigned ms) { show_message(MSG_NOTICE, owner, utf8_to_sjis(utf8), ms); }

}  // namespace

bool tags_vertical(const SettingsRecord& rec) { return rec.writing_direction[current_screen_slot(rec)] == 0; }

void new_tag_size_bytes(const SettingsRecord& rec, std::uint8_t* width_byte, std::uint8_t* height_byte) {
    const std::int16_t* size = tags_vertical(rec) ? rec.tag_size_vertical : rec.tag_size_horizontal;
    *width_byte = tag_size_byte(size[0]);
    *height_byte = tag_size_byte(size[1]);
}

std::uint32_t tag_background(const SettingsRecord& rec) {
    const std::uint32_t c = rec.tag_background[current_screen_slot(rec)];
    return c == 0 ? TAG_BACKGROUND_UNSET : c;
}

bool choose_tag_font(SettingsState* settings, FontChooser& chooser) {
    SettingsRecord& r = settings->rec;
    FontChoice choice;
    choice.caption = utf8_to_sjis(" 付箋　文字フォントの設定");
    choice.help_topic = "TAG";
    choice.min_points = 1;
    choice.max_points = 24;
    choice.screen_fonts_only = true;
    choice.font = font_description(r.tag_font.height != 0 ? r.tag_font : r.font[current_screen_slot(r)]);
    if (!chooser.choose_font(&choice)) return false;
    r.tag_font = font_record(choice.font);
    mark_settings_changed(settings);
    return true;
}

// ---- TAGSET ----------------------------------------------------------------

int TagSetDialog::box() const {
    const bool vertical = services_.settings && tags_vertical(services_.settings->rec);
    return vertical ? TAGSET_BOX_VERTICAL : TAGSET_BOX_HORIZONTAL;
}

void TagSetDialog::init(DialogContext& ctx) {
    const int shown = box();
    ctx.show(TAGSET_BOX_VERTICAL, shown == TAGSET_BOX_VERTICAL);
    ctx.show(TAGSET_BOX_HORIZONTAL, shown == TAGSET_BOX_HORIZONTAL);
    ctx.set_text(shown, *text_);
    ctx.enable(TAGSET_FONT, services_.font_chooser != nullptr);
    ctx.enable(TAGSET_BACKGROUND, services_.settings != nullptr);
    ctx.focus(shown);
}

bool TagSetDialog::ok(DialogContext& ctx) {
    std::string text = storable_tag_text(ctx.get_text(box()));
    if (text.size() > MAX_TAG_TEXT) {
        ctx.show_message(MSG_NOTICE, utf8_to_sjis("付箋の最大文字数は全角で５００文字です。"), TAG_TOO_LONG_MS);
        return false;
    }
    *text_ = std::move(text);
    return true;
}

bool TagSetDialog::command(DialogContext& ctx, int id, int notification) {
    if (notification != NOTIFY_CLICKED) return false;
    switch (id) {
        case TAGSET_LIST:
            ctx.end_dialog(TAGSET_LIST);
            return true;
        case TAGSET_FONT:
            if (services_.font_chooser && services_.settings) choose_tag_font(services_.settings, *services_.font_chooser);
            return true;
        case TAGSET_BACKGROUND: {
            if (!services_.settings) return true;
            SettingsRecord& r = services_.settings->rec;
            const int slot = current_screen_slot(r);
            std::uint32_t colour = tag_background(r);
            if (!choose_format_colour(ctx, slot + 1, COLOUR_KIND_TAG_BACKGROUND, &colour)) return true;
            r.tag_background[slot] = colour == 0 ? 0x010101 : colour;   // 0 means not set
            mark_settings_changed(services_.settings);
            *text_ = ctx.get_text(box());
            ctx.end_dialog(TAGSET_REOPEN);
            return true;
        }
        case TAGSET_HELP:
            show_help("TAG");
            return true;
        default:
            return false;
    }
}

int run_tag_set(const TagServices& services) {
    bool on_tag = false;
    if (services.edit) services.edit([&](EditContext& c) { on_tag = cursor_on_tag(c.doc, c.edit.cursor.pos); });
    if (on_tag) {
        notice(services.owner, "ここには既に付箋が有ります。", TAG_NOTICE_MS);
        return DIALOG_CANCEL;
    }
    std::string text;
    for (;;) {
        TagSetDialog dialog(services, &text);
        const int result = run_dialog("TAGSET", dialog, services.owner);
        if (result == TAGSET_REOPEN) continue;
        if (result == TAGSET_LIST) return run_tag_list(services);
        if (result != DIALOG_OK || text.empty() || !services.edit) return result;
        TagEdit done = TagEdit::REFUSED;
        services.edit([&](EditContext& c) {
            std::uint8_t w = 0, h = 0;
            if (services.settings) new_tag_size_bytes(services.settings->rec, &w, &h);
            done = create_tag(c, text, w, h);
        });
        if (done == TagEdit::DONE && services.redraw) services.redraw();
        return result;
    }
}

// ---- the tag list ------------------------------------------------------------

void TagListPanel::show_counter(DialogContext& ctx, int index) {
    char counter[32];
    std::snprintf(counter, sizeof counter, "%d / %d", index + 1, static_cast<int>(list_.entries.size()));
    ctx.set_text(counter_, counter);
}

void TagListPanel::fill(DialogContext& ctx, const EditRunner& edit) {
    TextPos cursor;
    list_ = TagList{};
    if (edit)
        edit([&](EditContext& c) {
            list_ = collect_tags(c);
            cursor = c.edit.cursor.pos;
        });
    ctx.clear_items(rows_);
    for (std::size_t i = 0; i < list_.entries.size(); ++i)
        ctx.add_item(rows_, tag_list_row(static_cast<int>(i) + 1, list_.entries[i]));
    const int selected = first_tag_at_or_after(list_, cursor);
    if (!list_.entries.empty()) ctx.set_selection(rows_, selected);
    show_counter(ctx, selected);
    if (list_.truncated)
        ctx.show_message(MSG_NOTICE, utf8_to_sjis("付箋が2000を超えていますので、最初の2000までを一覧にしました。"),
                         TAG_LIST_FULL_MS);
}

void TagListPanel::jump(DialogContext& ctx, const EditRunner& edit, int index) {
    if (index < 0 || index >= static_cast<int>(list_.entries.size())) return;
    ctx.set_selection(rows_, index);
    show_counter(ctx, index);
    const TextPos target = list_.entries[static_cast<std::size_t>(index)].anchor;
    if (edit) edit([&](EditContext& c) { move_to_target(c, target, false); });
}

void TagListPanel::step(DialogContext& ctx, const EditRunner& edit, bool forward) {
    const int at = ctx.get_selection(rows_);
    const int next = at < 0 ? 0 : at + (forward ? 1 : -1);
    if (next < 0 || next >= static_cast<int>(list_.entries.size())) {
        ctx.show_message(MSG_NOTICE, utf8_to_sjis("目的の箇所が見付かりません｡"), 2000);
        return;
    }
    jump(ctx, edit, next);
}

bool TagListDialog::command(DialogContext& ctx, int id, int notification) {
    if (id == TAGLIST_ROWS && notification == NOTIFY_SELECTION) {
        panel_.jump(ctx, services_.edit, ctx.get_selection(TAGLIST_ROWS));
        return true;
    }
    if (notification != NOTIFY_CLICKED) return false;
    switch (id) {
        case TAGLIST_TOWARDS_END: panel_.step(ctx, services_.edit, true); return true;
        case TAGLIST_TOWARDS_START: panel_.step(ctx, services_.edit, false); return true;
        case TAGLIST_HELP: show_help("TAG"); return true;
        default: return false;
    }
}

int run_tag_list(const TagServices& services) {
    TagListDialog dialog(services);
    return run_dialog("TAGLIST", dialog, services.owner);
}

}  // namespace rix
