// Tags (付箋): notes pinned to places in the text, and every tag a bookmark.
//
// A tag lives in the text buffer as a tag block at its anchor (document/
// storage.h: 0xFD, serial hi, serial lo, width / 2, height / 2, text, 0xFD),
// so insertion, deletion, undo and copying carry it. This file holds what
// the dialogs and the tag windows do with tags, free of any window:
// creating a tag, rewriting or deleting it from its window, resizing it in
// place, the document's tag list and its rows, previous/next tag, the
// address under a caret in a tag's text, and the placement and table of the
// tag windows beside the text.
//
// Rules:
// - A tag's text is at most MAX_TAG_TEXT (1000) bytes of code page 932 with
//   CR LF line breaks; never 0x00, 0x1A or 0xFC-0xFF (storable_tag_text).
// - Every size byte comes from tag_size_byte (document/storage.h).
// - An edit through a tag's serial first checks that the block at the anchor
//   is that tag; it never deletes bytes that are not that tag.
// - Adding, changing or deleting a tag leaves the document's modified flags
//   as they were before it and adds MODIFIED_EXTENSION: a tag is extension
//   data, not text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "document/notices.h"
#include "editing/edit_state.h"
#include "platform/messages.h"

namespace rix {

constexpr std::size_t TAG_LIST_LIMIT = 2000;       // entries of the tag list
constexpr std::size_t SHOWN_TAG_LIMIT = 100;       // tag windows at once
constexpr std::size_t TAG_ROW_TEXT_BYTES = 44;     // text bytes of a list row
constexpr int TAG_WINDOW_MAX_PX = 505;             // a tag window's width and height at most
constexpr unsigned TAG_NOTICE_MS = 3000;

// A tag block found in the text.
struct TagBlock {
    TextPos at;                   // its opening 0xFD
    std::uint32_t length = 0;     // bytes, both marks included
    std::uint16_t serial = 0;
    std::uint8_t width_byte = 0;  // window width / 2; 0 = the stored size for the orientation
    std::uint8_t height_byte = 0; // window height / 2
    std::string text;             // code page 932, CR LF line breaks
};

// The bytes of a tag block; `text` must be storable (storable_tag_text).
std::string make_tag_block(std::uint16_t serial, std::uint8_t width_byte, std::uint8_t height_byte,
                           std::string_view text);

// What of a text box's text may stand in a tag: whole characters (a lone
// lead byte becomes 〓), CR and LF; 0x00, 0x1A and 0xFC-0xFF dropped. Not cut.
std::string storable_tag_text(std::string_view text);

// The tag block opening exactly at `at`, when there is a whole one.
bool tag_block_at(const Document& doc, TextPos at, TagBlock* out);

// The tag with `serial`: the block at `anchor` when it is that tag, else
// the first block of the anchor's line with that serial. False when the
// tag is not there any more (its window's edit is then abandoned).
bool find_tag(const Document& doc, TextPos anchor, std::uint16_t serial, TagBlock* out);

enum class TagEdit : std::uint8_t {
    DONE,        // the text changed as asked
    UNCHANGED,   // the tag already holds that text
    EMPTY,       // nothing to insert
    ON_TAG,      // a tag already stands at the cursor
    TOO_LONG,    // more than MAX_TAG_TEXT bytes
    NOT_FOUND,   // the tag is gone (stale anchor or serial): nothing deleted
    REFUSED,     // the line would pass its limits (the editing layer told the user)
};

// Whether the cursor stands on a tag block (then no tag may be added there).
bool cursor_on_tag(const Document& doc, TextPos cursor);

// Command 401's edit: the block with the next serial (doc.load.tag_serial,
// then incremented) and the given size bytes, inserted at the cursor as
// one undoable insertion. Refuses an empty text, a text over 1000 bytes
// and a cursor on a tag; says nothing itself.
TagEdit create_tag(EditContext& c, std::string_view text, std::uint8_t width_byte, std::uint8_t height_byte);

// The tag window's write-back: the tag is found (find_tag) and replaced by
// a block with the same serial and size bytes and the new text (cut to 1000
// bytes) as one undoable change; an empty `text` deletes the tag. When the
// line cannot take the new block the tag stays as it was (REFUSED). The
// cursor keeps its place in the text.
TagEdit rewrite_tag(EditContext& c, TextPos anchor, std::uint16_t serial, std::string_view text);

// A tag window resized to width x height pixels.
struct TagResize {
    int width = 0, height = 0;   // the size kept, at most TAG_WINDOW_MAX_PX each
    bool clamped = false;        // the asked size was larger (the user is told)
    bool redraw = false;         // clamped, or grown past twice the old size bytes
    bool written = false;        // the size bytes were written into the block
};
// Vertical documents write the halved size into the block's bytes 3 and 4
// in place (replace_block_at without a record: a resize is no step of undo)
// and add MODIFIED_EXTENSION; horizontal ones only clamp (their windows take
// the stored horizontal size).
TagResize resize_tag(EditContext& c, TextPos anchor, std::uint16_t serial, int width, int height, bool vertical);

// ---- the tag list --------------------------------------------------------

struct TagListEntry {
    TextPos anchor;
    std::uint16_t serial = 0;
    std::string head;             // the first 44 bytes, cut on a character boundary
    bool longer = false;          // the text has more than 44 bytes
};

struct TagList {
    std::vector<TagListEntry> entries;   // document order, at most TAG_LIST_LIMIT
    bool truncated = false;              // the document holds more tags
};

// Every tag of the document (the rest of a partly loaded one is loaded first).
TagList collect_tags(EditContext& c);

// The list head of a tag's text: at most 44 bytes cut after a whole
// character; CR LF (and a lone CR or LF) shown as one blank.
std::string tag_list_head(std::string_view text, bool* longer);

// One row: "%3d:%04d %s", the 1-based tag number, the 1-based logical line
// and the head, with "‥‥" after a longer text.
std::string tag_list_row(int number, const TagListEntry& entry);

// Index of the first tag at or after `pos`; the last tag when none is, 0
// for an empty list.
int first_tag_at_or_after(const TagList& list, TextPos pos);

// Commands 350 (forward = false) and 351: the cursor to the previous or
// next tag. Not found: the notice "目的の箇所が見付かりません｡" (2 s), the
// cursor stays.
bool tag_jump(EditContext& c, bool forward, WindowRef owner, Notices& notices);

// ---- the address in a tag's text -----------------------------------------

// The address under the caret (a byte offset) of a tag's text, by the rules
// of address_at_cursor (aids/search.h): a run of printable single bytes
// holding the caret (two-byte characters, blanks, CR and LF end it), with
// a "." after its first byte and shorter than 260 bytes; only http, https,
// ftp and mail addresses count, "www." is given "http://" and a mail
// address "mailto:". A local path or a program is never an address.
bool address_in_text(std::size_t caret, std::string_view text, std::string* address);

// ---- the tag windows beside the text ---------------------------------------

struct TagPlacementInput {
    int anchor_x = 0, anchor_y = 0;   // the anchor cell's top-left, client pixels
    int cell_width = 0, cell_height = 0;
    int line_pitch = 0;               // pixels from one line (column) to the next
    int width = 0, height = 0;        // the window
    int client_width = 0, client_height = 0;
    bool vertical = true;
};

struct TagPlacement {
    int x = 0, y = 0;                 // the window's top-left, client pixels
    bool flipped = false;             // left of the column / below the line
};

// Where a tag window stands: 2/7 of the line pitch away from its anchor.
// Vertical: right of the anchor's column, or left when it would leave the
// client area on the right; its top at the anchor, clipped into the area.
// Horizontal: above the anchor's line, or below when there is no room;
// its left at the anchor, clipped into the area.
TagPlacement place_tag_window(const TagPlacementInput& in);

// The connector of a placed window: from the anchor cell's side that faces
// the window (vertical: the column's edge at the cell's top; horizontal:
// the line's edge at the cell's start) to the nearest point of the window.
struct TagConnectorLine {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};
TagConnectorLine tag_connector_line(const TagPlacementInput& in, const TagPlacement& placed);

// One tag shown in a window.
struct ShownTag {
    std::uint16_t serial = 0;
    TextPos anchor;
    int anchor_x = 0, anchor_y = 0;   // the anchor cell, client pixels
    int x = 0, y = 0;                 // the window
    int width = 0, height = 0;        // the window's size in pixels
    std::string text;                 // a copy of the tag's text
    bool has_window = false;          // the window exists (made by the window side)
};

// The tags shown now, at most SHOWN_TAG_LIMIT; a tag past the limit is not shown.
class ShownTagTable {
public:
    // The renderer drew `tag` at the anchor cell: its entry is updated, or
    // added with the size from the block (vertical; the stored size when
    // its width byte is 0) or the stored horizontal size. Null when the
    // table is full.
    ShownTag* register_tag(const TagBlock& tag, int anchor_x, int anchor_y, bool vertical, int stored_width,
                           int stored_height);
    ShownTag* find(std::uint16_t serial);
    // Drops the entries whose serial is not among `visible`, keeping order.
    void keep_only(const std::vector<std::uint16_t>& visible);
    void clear() { entries_.clear(); }
    const std::vector<ShownTag>& entries() const { return entries_; }

private:
    std::vector<ShownTag> entries_;
};

}  // namespace rix
