// The tag windows beside the text (see tag_windows.h).
#include "app/tags/tag_windows.h"

#include <algorithm>
#include <cstring>

#include "app/edit/editor.h"
#include "app/edit/screen.h"
#include "app/window/shell_events.h"
#include "app/tags/tag_dialogs.h"
#include "display/render.h"
#include "document/storage.h"
#include "editing/edit_text.h"
#include "platform/codec.h"
#include "platform/messages.h"

namespace rix {
namespace {

// A window's size while the settings hold none for the orientation (both
// values must exceed 10 to count).
constexpr int TAG_WINDOW_DEFAULT_W = 200;
constexpr int TAG_WINDOW_DEFAULT_H = 150;
constexpr int TAG_BASELINE_TWIPS = 20;
constexpr unsigned TAG_BACKGROUND_NOTICE_MS = 10000;
constexpr unsigned TAG_CLAMP_NOTICE_MS = 4000;
constexpr unsigned TAG_FULL_NOTICE_MS = 4000;

void notice(const char* utf8, unsigned ms) { show_message(MSG_NOTICE, 0, utf8_to_sjis(utf8), ms); }

bool same_format(const TextBoxFormat& a, const TextBoxFormat& b) {
    return a.face == b.face && a.pixel_height == b.pixel_height && a.weight == b.weight && a.italic == b.italic &&
           a.text_colour == b.text_colour && a.background == b.background &&
           a.baseline_offset == b.baseline_offset && a.vertical == b.vertical;
}

bool contains(const std::vector<std::uint16_t>& v, std::uint16_t serial) {
    return std::find(v.begin(), v.end(), serial) != v.end();
}

MenuItem item(int command, const char* label, bool enabled = true) {
    MenuItem m;
    m.command = command;
    m.label = label;
    m.enabled = enabled;
    return m;
}

}  // namespace

std::vector<MenuItem> tag_box_menu(const std::string& address_utf8, bool in_tag_set) {
    std::vector<MenuItem> items;
    if (!address_utf8.empty()) {
        std::string label;
        for (char ch : address_utf8) label += ch == '&' ? std::string("&&") : std::string(1, ch);
        items.push_back(item(TAG_BOX_OPEN_ADDRESS, label.c_str()));
        items.push_back(MenuItem{});
    }
    items.push_back(item(TAG_BOX_UNDO, "元に戻す･Undo (&Uﾓ)"));
    items.push_back(item(TAG_BOX_REDO, "やり直し･ReUndo (&Rﾔ)"));
    items.push_back(MenuItem{});
    items.push_back(item(TAG_BOX_CUT, "切り取り (&Tｷ)\tShift+Del"));
    items.push_back(item(TAG_BOX_COPY, "コ ピ ー (&Cｺ)\tCtrl +Ins"));
    items.push_back(item(TAG_BOX_PASTE, "貼り付け (&Pﾊ)\tShift+Ins"));
    items.push_back(MenuItem{});
    items.push_back(item(TAG_BOX_SELECT_ALL, "全て選択 (&Aｽ)"));
    items.push_back(MenuItem{});
    items.push_back(item(TAG_BOX_LIST, "付箋一覧 (&Lｲ)"));
    items.push_back(item(TAG_BOX_HIDE, "付箋を隠す (&Kｶ)"));
    items.push_back(item(TAG_BOX_DELETE, "付箋を削除 (&Dｻ)", !in_tag_set));
    items.push_back(item(TAG_BOX_HELP, "付箋のヘルプ (&Hﾍ)"));
    return items;
}

TextBoxFormat tag_box_format(const SettingsRecord& rec, int slot, bool vertical) {
    slot = std::clamp(slot, 0, 4);
    const FontRecord& font = rec.tag_font.height != 0 ? rec.tag_font : rec.font[slot];
    TextBoxFormat f;
    f.face.assign(font.face, strnlen(font.face, sizeof font.face));
    f.pixel_height = std::max(std::abs(static_cast<int>(font.height)), 1);
    f.weight = font.weight > 0 ? font.weight : 400;
    f.italic = font.italic != 0;
    f.text_colour = rec.text_colour_rgb[slot];
    const std::uint32_t bg = rec.tag_background[slot];
    f.background = bg == 0 ? TAG_BACKGROUND_UNSET : bg;
    f.baseline_offset = TAG_BASELINE_TWIPS;
    f.vertical = vertical;
    return f;
}

TagWindows* TagWindowGlue::windows() {
    TagWindows* w = app_.window.tag_windows;
    if (w && w != connected_) connect(w);
    return w;
}

void TagWindowGlue::connect(TagWindows* w) {
    connected_ = w;
    TagWindowEvents e;
    e.focus_gained = [this](std::uint16_t serial) { focus_gained(serial); };
    e.focus_lost = [this](std::uint16_t serial, const std::string& text) { focus_lost(serial, text); };
    e.resized = [this](std::uint16_t serial, int width, int height) { resized(serial, width, height); };
    e.context_menu = [this](std::uint16_t serial, int x, int y) { context_menu(serial, x, y); };
    w->set_events(std::move(e));
}

bool TagWindowGlue::vertical() const { return !app_.window.screen || app_.window.screen->screen.geo.vertical; }

void TagWindowGlue::tell_unset_background(int slot) {
    SettingsRecord& rec = app_.settings.rec;
    if (slot < 0 || slot >= 5 || rec.tag_background[slot] != 0) return;
    // Light grey until the writer chooses a colour; not a change of the settings.
    rec.tag_background[slot] = TAG_BACKGROUND_UNSET;
    if (told_background_[slot]) return;
    told_background_[slot] = true;
    static const char* const DIGITS[] = {"１", "２", "３", "４", "５"};
    const std::string text = std::string("書式") + DIGITS[slot] +
                             "の付箋背景色が設定されていません。\n「付箋・しおり付け」の「背景」をクリックして設定してください。"
                             "\n\n設定までは一時的に「明るい灰色」の背景色で表示します。";
    notice(text.c_str(), TAG_BACKGROUND_NOTICE_MS);
}

void TagWindowGlue::refresh() {
    if (rewriting_) return;
    TagWindows* w = windows();
    if (!w) return;
    ScreenState* state = app_.window.screen;
    if (!editing_ready(app_) || !state || !state->screen.surface) {
        close_all();
        return;
    }
    Screen& s = state->screen;
    Document& doc = app_.loaded->document;
    SettingsRecord& rec = app_.settings.rec;
    const int slot = shown_screen_slot(app_, *state);
    const bool vert = s.geo.vertical;
    // An edit in a window that closes now is written back at the end.
    struct Pending {
        std::uint16_t serial;
        TextPos anchor;
        std::string text;
    };
    std::vector<Pending> pending;
    auto keep_edit_of = [&](const ShownTag& e) {
        if (!focused_ || focus_serial_ != e.serial) return;
        if (TextBox* box = w->box(e.serial)) pending.push_back({e.serial, e.anchor, box->text()});
        focused_ = false;
    };
    const TextBoxFormat format = tag_box_format(rec, slot, vert);
    if (format_known_ && !same_format(format, format_)) {   // another format: new boxes
        for (const ShownTag& e : table_.entries()) keep_edit_of(e);
        close_all();
    }
    format_ = format;
    format_known_ = true;
    const std::int16_t* stored = vert ? rec.tag_size_vertical : rec.tag_size_horizontal;
    const bool stored_valid = stored[0] > 10 && stored[1] > 10;
    const int stored_w = stored_valid ? stored[0] : TAG_WINDOW_DEFAULT_W;
    const int stored_h = stored_valid ? stored[1] : TAG_WINDOW_DEFAULT_H;

    std::vector<std::uint16_t> visible;
    std::vector<TagConnector> lines;
    for (const TagOnScreen& t : tags_on_screen(doc, s)) {
        TagBlock b;
        if (!tag_block_at(doc, t.at, &b) || contains(visible, b.serial)) continue;
        ShownTag* e = table_.register_tag(b, t.cell.x, t.cell.y, vert, stored_w, stored_h);
        if (!e) {
            if (!told_full_) notice("画面上の付箋が100を超えましたので、最初の100だけを表示します。", TAG_FULL_NOTICE_MS);
            told_full_ = true;
            continue;
        }
        visible.push_back(b.serial);
        e->text = b.text;
        if (e->has_window && !(focused_ && focus_serial_ == b.serial)) {
            TextBox* box = w->box(b.serial);
            if (box && box->text() != b.text) box->set_text(b.text);   // changed under the window (undo)
        }
        TagPlacementInput in;
        in.anchor_x = t.cell.x, in.anchor_y = t.cell.y;
        in.cell_width = t.cell.w, in.cell_height = t.cell.h;
        in.line_pitch = s.geo.line_pitch;
        in.width = e->width, in.height = e->height;
        in.client_width = s.geo.client_w, in.client_height = s.geo.client_h;
        in.vertical = vert;
        const TagPlacement placed = place_tag_window(in);
        e->x = placed.x, e->y = placed.y;
        const TagConnectorLine l = tag_connector_line(in, placed);
        lines.push_back({l.x0, l.y0, l.x1, l.y1, rec.mark_colour[std::clamp(slot, 0, 4)]});
    }

    // Windows of tags that left the screen close.
    for (const ShownTag& e : table_.entries()) {
        if (contains(visible, e.serial) || !e.has_window) continue;
        keep_edit_of(e);
        w->close(e.serial);
    }
    table_.keep_only(visible);
    for (std::uint16_t serial : visible) {
        ShownTag* e = table_.find(serial);
        const SurfaceRect rect{e->x, e->y, e->width, e->height};
        if (e->has_window) {
            w->move(serial, rect);
            continue;
        }
        tell_unset_background(slot);
        w->open(serial, rect, e->text, format_, hidden_);
        e->has_window = true;
        if (TextBox* box = w->box(serial)) box->set_byte_limit(MAX_TAG_TEXT);
    }
    w->set_connectors(hidden_ ? std::vector<TagConnector>{} : lines);
    for (const Pending& p : pending) write_back(p.serial, p.anchor, p.text);
}

void TagWindowGlue::close_all() {
    focused_ = false;
    table_.clear();
    if (TagWindows* w = windows()) {
        w->close_all();
        w->set_connectors({});
    }
}

void TagWindowGlue::hide_all() {
    hidden_ = true;
    if (TagWindows* w = windows()) {
        w->set_hidden(true);
        w->set_connectors({});
    }
}

void TagWindowGlue::show_again() {
    if (!hidden_) return;
    hidden_ = false;
    if (TagWindows* w = windows()) w->set_hidden(false);
    refresh();
}

void TagWindowGlue::focus_gained(std::uint16_t serial) {
    focused_ = true;
    focus_serial_ = serial;
}

void TagWindowGlue::focus_lost(std::uint16_t serial, const std::string& text) {
    if (focused_ && focus_serial_ == serial) focused_ = false;
    const ShownTag* e = table_.find(serial);
    if (e) write_back(serial, e->anchor, text);
}

void TagWindowGlue::write_back(std::uint16_t serial, TextPos anchor, const std::string& text) {
    TagEdit done = TagEdit::UNCHANGED;
    rewriting_ = true;
    run_edit(app_, [&](EditContext& c) { done = rewrite_tag(c, anchor, serial, text); });
    rewriting_ = false;
    if (done == TagEdit::DONE) refresh();
}

void TagWindowGlue::resized(std::uint16_t serial, int width, int height) {
    ShownTag* e = table_.find(serial);
    if (!e || !editing_ready(app_)) return;
    const bool vert = vertical();
    EditContext c = edit_context(app_);
    const TagResize r = resize_tag(c, e->anchor, serial, width, height, vert);
    if (r.clamped) notice("設定可能な付箋の最大サイズを\n超えましたので、最大値を設定します。", TAG_CLAMP_NOTICE_MS);
    e->width = r.width;
    e->height = r.height;
    std::int16_t* stored = vert ? app_.settings.rec.tag_size_vertical : app_.settings.rec.tag_size_horizontal;
    if (stored[0] != r.width || stored[1] != r.height) {
        stored[0] = static_cast<std::int16_t>(r.width);
        stored[1] = static_cast<std::int16_t>(r.height);
        mark_settings_changed(&app_.settings);
    }
    if (r.redraw) rebuild(app_);
    else refresh();
}

void TagWindowGlue::context_menu(std::uint16_t serial, int x, int y) {
    TagWindows* w = windows();
    TextBox* box = w ? w->box(serial) : nullptr;
    if (!box) return;
    std::string address;
    const bool found = address_in_text(box->caret_offset(), box->text(), &address);
    std::vector<MenuItem> items = tag_box_menu(found ? sjis_to_utf8(address) : std::string(), false);
    for (MenuItem& m : items) {
        if (m.command == TAG_BOX_UNDO) m.enabled = box->can_undo();
        if (m.command == TAG_BOX_REDO) m.enabled = box->can_redo();
        if (m.command == TAG_BOX_CUT || m.command == TAG_BOX_COPY) m.enabled = box->has_selection();
    }
    int chosen = 0;
    if (popup) chosen = popup(items, x, y);
    else if (app_.window.gui) chosen = app_.window.gui->popup_menu(items, x, y);
    if (chosen == TAG_BOX_OPEN_ADDRESS) open_desktop_address(app_, sjis_to_utf8(address));
    else if (chosen) box_command(serial, chosen);
}

void TagWindowGlue::box_command(std::uint16_t serial, int command) {
    TagWindows* w = windows();
    TextBox* box = w ? w->box(serial) : nullptr;
    if (!box) return;
    switch (command) {
        case TAG_BOX_UNDO: box->undo(); break;
        case TAG_BOX_REDO: box->redo(); break;
        case TAG_BOX_CUT: box->cut(); break;
        case TAG_BOX_COPY: box->copy(); break;
        case TAG_BOX_PASTE: box->paste(); break;
        case TAG_BOX_SELECT_ALL: box->select_all(); break;
        case TAG_BOX_LIST:
            close_all();
            rebuild(app_);
            if (open_tag_list) open_tag_list();
            break;
        case TAG_BOX_HIDE: hide_all(); break;
        case TAG_BOX_DELETE: {
            if (show_message(MSG_YES_NO, 0, utf8_to_sjis("この付箋を削除しますか？")) != MSG_RESULT_YES) break;
            const ShownTag* e = table_.find(serial);
            if (!e) break;
            const TextPos anchor = e->anchor;
            box->set_text("");
            if (focused_ && focus_serial_ == serial) focused_ = false;
            write_back(serial, anchor, "");
            break;
        }
        case TAG_BOX_HELP: show_help("TAG"); break;
        default: break;
    }
}

}  // namespace rix
