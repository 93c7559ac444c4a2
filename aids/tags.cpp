// Tags (see tags.h).
#include "aids/tags.h"

#include <algorithm>
#include <cstdio>

#include "aids/search.h"
#include "document/loader.h"
#include "document/storage.h"
#include "editing/cursor.h"
#include "editing/edit_text.h"
#include "platform/codec.h"

namespace rix {
namespace {

constexpr std::size_t TAG_HEAD_BYTES = 5;     // 0xFD, serial (2), size bytes (2)
constexpr std::size_t ADDRESS_TEXT_BYTES = 1000;
constexpr unsigned NOT_FOUND_MS = 2000;

struct LineSpan {
    const std::uint8_t* p = nullptr;
    std::size_t available = 0;
};

LineSpan line_span(const Document& doc, std::uint32_t line) {
    LineSpan out;
    if (line >= doc.lines.count()) return out;
    const BufferOffset start = doc.lines.start(line);
    const BufferOffset append = doc.buffer.append_position();
    if (start >= append) return out;
    out.p = doc.buffer.pointer(start);
    out.available = std::min<std::size_t>(append - start, MAX_LINE_SCAN);
    return out;
}

bool is_end(ItemKind k) { return k == ItemKind::LINE_END || k == ItemKind::TEXT_END || k == ItemKind::CUT; }

TagBlock read_block(const std::uint8_t* p, std::uint32_t line, const ScanItem& it) {
    TagBlock t;
    const std::uint8_t* b = p + it.column;
    t.at = TextPos(line, it.column);
    t.length = it.length;
    t.serial = static_cast<std::uint16_t>(b[1] << 8 | b[2]);
    t.width_byte = b[3];
    t.height_byte = b[4];
    t.text.assign(reinterpret_cast<const char*>(b + TAG_HEAD_BYTES), it.length - TAG_HEAD_BYTES - 1);
    return t;
}

// Calls visit(block) for every whole tag block of `line` until it returns false.
template <class Visit>
void for_each_tag(const Document& doc, std::uint32_t line, Visit visit) {
    const LineSpan s = line_span(doc, line);
    if (!s.p) return;
    LineScanner scan(s.p, s.available);
    for (ScanItem it = scan.next(); !is_end(it.kind); it = scan.next())
        if (it.kind == ItemKind::TAG && it.length > TAG_HEAD_BYTES && !visit(read_block(s.p, line, it))) return;
}

void load_everything(EditContext& c) {
    while (c.session && load_more(c.doc, c.state, *c.session, &c.notices)) {
    }
}

// Where the cursor was, after the block at `at` changed from old_length to new_length bytes.
TextPos shifted(TextPos pos, TextPos at, std::uint32_t old_length, std::uint32_t new_length) {
    if (pos.line() != at.line() || pos.column() < at.column() + old_length) return pos;
    return TextPos(pos.line(), pos.column() - old_length + new_length);
}

}  // namespace

std::string make_tag_block(std::uint16_t serial, std::uint8_t width_byte, std::uint8_t height_byte,
                           std::string_view text) {
    std::string b;
    b.reserve(text.size() + TAG_HEAD_BYTES + 1);
    b += static_cast<char>(TAG_MARK);
    b += static_cast<char>(serial >> 8);
    b += static_cast<char>(serial & 0xFF);
    b += static_cast<char>(storable_tag_size_byte(width_byte));
    b += static_cast<char>(storable_tag_size_byte(height_byte));
    b += text;
    b += static_cast<char>(TAG_MARK);
    return b;
}

std::string storable_tag_text(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t k = 0; k < text.size();) {
        const auto b = static_cast<std::uint8_t>(text[k]);
        if (is_never_text_byte(b)) {
            ++k;
        } else if (is_stored_lead(b)) {
            // A trail byte 0xFC would end the block for the scanners: that character becomes 〓.
            const auto t = k + 1 < text.size() ? static_cast<std::uint8_t>(text[k + 1]) : 0;
            if (is_trail_byte(t) && t < IGNORED_MARK) {
                out.append(text.substr(k, 2));
                k += 2;
            } else {
                out += GETA_MARK;
                ++k;
            }
        } else {
            out += static_cast<char>(b);
            ++k;
        }
    }
    return out;
}

bool tag_block_at(const Document& doc, TextPos at, TagBlock* out) {
    bool found = false;
    for_each_tag(doc, at.line(), [&](const TagBlock& t) {
        if (t.at.column() < at.column()) return true;
        if (t.at.column() == at.column()) {
            *out = t;
            found = true;
        }
        return false;
    });
    return found;
}

bool find_tag(const Document& doc, TextPos anchor, std::uint16_t serial, TagBlock* out) {
    TagBlock t;
    if (tag_block_at(doc, anchor, &t) && t.serial == serial) {
        *out = std::move(t);
        return true;
    }
    bool found = false;
    for_each_tag(doc, anchor.line(), [&](const TagBlock& b) {
        if (b.serial != serial) return true;
        *out = b;
        found = true;
        return false;
    });
    return found;
}

bool cursor_on_tag(const Document& doc, TextPos cursor) {
    const LineSpan s = line_span(doc, cursor.line());
    return s.p && cursor.column() < s.available && s.p[cursor.column()] == TAG_MARK;
}

TagEdit create_tag(EditContext& c, std::string_view text, std::uint8_t width_byte, std::uint8_t height_byte) {
    if (cursor_on_tag(c.doc, c.edit.cursor.pos)) return TagEdit::ON_TAG;
    const std::string stored = storable_tag_text(text);
    if (stored.empty()) return TagEdit::EMPTY;
    if (stored.size() > MAX_TAG_TEXT) return TagEdit::TOO_LONG;
    const std::uint8_t before = c.state.modified;
    const auto serial = static_cast<std::uint16_t>(c.doc.load.tag_serial);
    if (!insert_text(c, make_tag_block(serial, width_byte, height_byte, stored), true)) return TagEdit::REFUSED;
    ++c.doc.load.tag_serial;
    c.state.modified = before | MODIFIED_EXTENSION;
    return TagEdit::DONE;
}

TagEdit rewrite_tag(EditContext& c, TextPos anchor, std::uint16_t serial, std::string_view text) {
    TagBlock old;
    if (!find_tag(c.doc, anchor, serial, &old)) return TagEdit::NOT_FOUND;
    std::string stored = storable_tag_text(text);
    if (stored.size() > MAX_TAG_TEXT) stored = stored.substr(0, cut_on_boundary(stored, MAX_TAG_TEXT));
    if (stored == old.text) return TagEdit::UNCHANGED;
    const std::uint8_t before = c.state.modified;
    const Cursor keep = c.edit.cursor;
    std::uint32_t new_length = 0;
    if (stored.empty()) {
        if (!delete_block_at(c, old.at, keep)) return TagEdit::REFUSED;
    } else {
        // One journaled change, so that one undo gives the old text back
        // (never a moment without the tag).
        const std::string block = make_tag_block(old.serial, old.width_byte, old.height_byte, stored);
        if (!replace_block_at(c, old.at, block)) return TagEdit::REFUSED;
        new_length = static_cast<std::uint32_t>(block.size());
    }
    place_cursor(c, shifted(keep.pos, old.at, old.length, new_length));
    keep_cursor_on_screen(c);   // the edit showed its own place; the screen goes back to the cursor
    c.state.modified = before | MODIFIED_EXTENSION;
    return TagEdit::DONE;
}

TagResize resize_tag(EditContext& c, TextPos anchor, std::uint16_t serial, int width, int height, bool vertical) {
    TagResize r;
    r.width = std::clamp(width, 0, TAG_WINDOW_MAX_PX);
    r.height = std::clamp(height, 0, TAG_WINDOW_MAX_PX);
    r.clamped = r.width != width || r.height != height;
    r.redraw = r.clamped;
    if (!vertical) return r;
    TagBlock t;
    if (!find_tag(c.doc, anchor, serial, &t)) return r;
    if (r.width > 2 * t.width_byte || r.height > 2 * t.height_byte) r.redraw = true;
    // The same bytes with the new size: no record, the extension changed.
    const std::string block = make_tag_block(t.serial, tag_size_byte(r.width), tag_size_byte(r.height), t.text);
    r.written = replace_block_at(c, t.at, block, false);
    return r;
}

// ---- the tag list --------------------------------------------------------

TagList collect_tags(EditContext& c) {
    load_everything(c);
    TagList list;
    for (std::uint32_t line = 0; line < c.doc.lines.count() && !list.truncated; ++line) {
        for_each_tag(c.doc, line, [&](const TagBlock& t) {
            if (list.entries.size() == TAG_LIST_LIMIT) {
                list.truncated = true;
                return false;
            }
            TagListEntry e;
            e.anchor = t.at;
            e.serial = t.serial;
            e.head = tag_list_head(t.text, &e.longer);
            list.entries.push_back(std::move(e));
            return true;
        });
    }
    return list;
}

std::string tag_list_head(std::string_view text, bool* longer) {
    *longer = text.size() > TAG_ROW_TEXT_BYTES;
    std::string_view head = text.substr(0, cut_on_boundary(text, TAG_ROW_TEXT_BYTES));
    std::string out;
    for (std::size_t k = 0; k < head.size(); ++k) {
        const char ch = head[k];
        if (ch == '\r' || ch == '\n') {
            if (ch == '\r' && k + 1 < head.size() && head[k + 1] == '\n') ++k;
            out += ' ';
        } else {
            out += ch;
        }
    }
    return out;
}

std::string tag_list_row(int number, const TagListEntry& entry) {
    char lead[32];
    std::snprintf(lead, sizeof lead, "%3d:%04u ", number, entry.anchor.line() + 1);
    std::string row = lead + entry.head;
    if (entry.longer) row += utf8_to_sjis("‥‥");
    return row;
}

int first_tag_at_or_after(const TagList& list, TextPos pos) {
    const auto& e = list.entries;
    for (std::size_t i = 0; i < e.size(); ++i)
        if (!(e[i].anchor < pos)) return static_cast<int>(i);
    return e.empty() ? 0 : static_cast<int>(e.size()) - 1;
}

bool tag_jump(EditContext& c, bool forward, WindowRef owner, Notices& notices) {
    const TextPos from = c.edit.cursor.pos;
    bool found = false;
    TextPos target;
    if (forward) {
        for (std::uint32_t line = from.line(); !found; ++line) {
            while (line >= c.doc.lines.count() && c.session && load_more(c.doc, c.state, *c.session, &c.notices)) {
            }
            if (line >= c.doc.lines.count()) break;
            for_each_tag(c.doc, line, [&](const TagBlock& t) {
                if (!(from < t.at)) return true;
                target = t.at;
                found = true;
                return false;
            });
        }
    } else {
        for (std::uint32_t line = std::min(from.line() + 1, c.doc.lines.count()); line-- > 0 && !found;) {
            for_each_tag(c.doc, line, [&](const TagBlock& t) {
                if (!(t.at < from)) return false;
                target = t.at;   // the last one before the cursor wins
                found = true;
                return true;
            });
        }
    }
    if (!found) {
        notices.add("目的の箇所が見付かりません｡", NOT_FOUND_MS, owner);
        return false;
    }
    move_to_target(c, target, false);
    return true;
}

// ---- the address in a tag's text -----------------------------------------

bool address_in_text(std::size_t caret, std::string_view text, std::string* address) {
    text = text.substr(0, cut_on_boundary(text, ADDRESS_TEXT_BYTES));
    std::size_t start = 0;
    for (std::size_t k = 0; k <= text.size();) {
        const auto b = k < text.size() ? static_cast<std::uint8_t>(text[k]) : 0;
        const bool joins = k < text.size() && b > 0x20 && b < 0x7F;
        if (joins) {
            ++k;
            continue;
        }
        // A token [start, k) ends here.
        if (caret >= start && caret <= k && k > start) return address_of_token(text.substr(start, k - start), address);
        if (caret < k) return false;
        k += k < text.size() && is_stored_lead(b) && k + 1 < text.size() ? 2 : 1;
        start = k;
    }
    return false;
}

// ---- the tag windows beside the text ---------------------------------------

TagPlacement place_tag_window(const TagPlacementInput& in) {
    TagPlacement p;
    const int gap = in.line_pitch * 2 / 7;
    auto clip = [](int v, int size, int area) { return std::max(0, std::min(v, area - size)); };
    if (in.vertical) {
        p.x = in.anchor_x + in.cell_width + gap;
        if (p.x + in.width > in.client_width) {
            p.x = in.anchor_x - gap - in.width;
            p.flipped = true;
        }
        p.x = clip(p.x, in.width, in.client_width);
        p.y = clip(in.anchor_y, in.height, in.client_height);
    } else {
        p.y = in.anchor_y - gap - in.height;
        if (p.y < 0) {
            p.y = in.anchor_y + in.cell_height + gap;
            p.flipped = true;
        }
        p.y = clip(p.y, in.height, in.client_height);
        p.x = clip(in.anchor_x, in.width, in.client_width);
    }
    return p;
}

TagConnectorLine tag_connector_line(const TagPlacementInput& in, const TagPlacement& placed) {
    TagConnectorLine l;
    if (in.vertical) {
        l.x0 = placed.flipped ? in.anchor_x : in.anchor_x + in.cell_width;
        l.y0 = in.anchor_y;
    } else {
        l.x0 = in.anchor_x;
        l.y0 = placed.flipped ? in.anchor_y + in.cell_height : in.anchor_y;
    }
    l.x1 = std::clamp(l.x0, placed.x, placed.x + std::max(in.width - 1, 0));
    l.y1 = std::clamp(l.y0, placed.y, placed.y + std::max(in.height - 1, 0));
    return l;
}

ShownTag* ShownTagTable::find(std::uint16_t serial) {
    for (ShownTag& e : entries_)
        if (e.serial == serial) return &e;
    return nullptr;
}

ShownTag* ShownTagTable::register_tag(const TagBlock& tag, int anchor_x, int anchor_y, bool vertical,
                                      int stored_width, int stored_height) {
    ShownTag* e = find(tag.serial);
    if (!e) {
        if (entries_.size() >= SHOWN_TAG_LIMIT) return nullptr;
        ShownTag fresh;
        fresh.serial = tag.serial;
        const bool own_size = vertical && tag.width_byte != 0;
        fresh.width = own_size ? 2 * tag.width_byte : stored_width;
        fresh.height = own_size ? 2 * tag.height_byte : stored_height;
        fresh.text = tag.text;
        entries_.push_back(std::move(fresh));
        e = &entries_.back();
    }
    e->anchor = tag.at;
    e->anchor_x = anchor_x;
    e->anchor_y = anchor_y;
    return e;
}

void ShownTagTable::keep_only(const std::vector<std::uint16_t>& visible) {
    std::erase_if(entries_, [&](const ShownTag& e) {
        return std::find(visible.begin(), visible.end(), e.serial) == visible.end();
    });
}

}  // namespace rix
