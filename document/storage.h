// The stored form of the text and the one scanner that walks it.
//
// Stored form (bytes of the TextBuffer):
//
//   BYTES                           MEANING
//   lead 0x81-0x9F/0xE0-0xFB, trail one double-byte character (one cell)
//   0x00-0x80, 0xA0-0xDF            one single-byte character; two printable ones in a row share a cell
//   0x0D                            a CR kept inside a line (a lone CR of the file); a character
//   0x0A                            a LF, only inside a tag block
//   0xFE 0x00                       end of a logical line (+ one filler byte when the next start would be odd)
//   0x1A 0x00                       end of the text, at the end of the last logical line
//   0xFF, param, ruby text, 0xFF    a ruby block, just before its base text; param = allotment<<4 | base cells
//   0xFD, serial hi, serial lo, attr1, attr2, tag text, 0xFD   a tag block (attr bytes never 0x1A)
//   0xFC                            ignored by every scanner; never written
//
// Scanning rule: a byte >= 0xFC, or any byte inside a block, is a marker or
// block content (0xFE ends the line; 0xFF and 0xFD open and close blocks, and
// the parameter byte after an opening 0xFF and the two serial bytes after an
// opening 0xFD are skipped unexamined); a lead byte takes its trail byte; 0x1A
// ends the text; any other byte is a single-byte character. Line bytes
// contain NUL bytes: no C string function touches them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/codec.h"   // is_stored_lead, is_trail_byte: the lead and trail bytes

namespace rix {

constexpr std::uint8_t LINE_END_MARK = 0xFE;
constexpr std::uint8_t TEXT_END_MARK = 0x1A;
constexpr std::uint8_t RUBY_MARK = 0xFF;
constexpr std::uint8_t TAG_MARK = 0xFD;
constexpr std::uint8_t IGNORED_MARK = 0xFC;
constexpr std::size_t MAX_LINE_SCAN = 0x200000;   // a scan without a line end stops here (2 MiB)
constexpr std::size_t MAX_RUBY_TEXT = 48;         // bytes of ruby text
constexpr std::size_t MAX_RUBY_BASE_CELLS = 15;   // low four bits of the parameter byte
constexpr std::size_t MAX_TAG_TEXT = 1000;
constexpr std::uint8_t MAX_TAG_SIZE_BYTE = 252;   // a tag window of 505 pixels, halved

// A tag block's size byte (window width or height halved) as it may be
// stored: at most 252, and never 0x1A, which would read as the end of the
// text (0x1A becomes 0x1B). Every size byte written into a block or a file
// goes through one of these two.
constexpr std::uint8_t storable_tag_size_byte(std::uint8_t halved) {
    const std::uint8_t b = halved < MAX_TAG_SIZE_BYTE ? halved : MAX_TAG_SIZE_BYTE;
    return b == TEXT_END_MARK ? 0x1B : b;
}
// The size byte of a window `pixels` wide or high (negative counts as 0).
constexpr std::uint8_t tag_size_byte(int pixels) {
    const int halved = pixels < 0 ? 0 : pixels / 2;
    return storable_tag_size_byte(static_cast<std::uint8_t>(halved < MAX_TAG_SIZE_BYTE ? halved : MAX_TAG_SIZE_BYTE));
}

// Ruby text made storable, whether typed or read from a file: whole
// double-byte characters and printable single bytes (no CR, LF or other
// control byte, no lone lead byte, no marker), at most MAX_RUBY_TEXT bytes
// cut on a character boundary. Such a text never splits a line or swallows
// the delimiter after it when it is written out in a notation.
std::string storable_ruby_text(std::string_view text);

// A single byte that may share a cell with the single byte before it.
constexpr bool is_printable_single(std::uint8_t b) { return (b >= 0x20 && b <= 0x80) || (b >= 0xA0 && b <= 0xDF); }

enum class ItemKind : std::uint8_t {
    DOUBLE,      // a double-byte character: one cell
    SINGLE,      // one single-byte character alone in its cell
    PAIR,        // two single-byte characters sharing one cell
    RUBY,        // a whole ruby block (no cell)
    TAG,         // a whole tag block (no cell)
    IGNORED,     // a stray byte >= 0xFC outside blocks, or 0xFC anywhere (no cell)
    LINE_END,    // 0xFE (the item covers the 0xFE 0x00 pair)
    TEXT_END,    // 0x1A (the item covers the 0x1A 0x00 pair)
    CUT,         // the scan reached its limit or the available bytes without a line end
};

struct ScanItem {
    ItemKind kind = ItemKind::CUT;
    std::uint32_t column = 0;   // byte column of the item's first byte within the line
    std::uint32_t length = 0;   // bytes the item covers
    std::uint16_t code = 0;     // DOUBLE: lead<<8|trail; SINGLE: the byte; PAIR: the second byte
};

// Walks one stored line. `line` points at the line's first byte and `available`
// bytes may be read from it (the scanner never reads beyond them, nor beyond
// MAX_LINE_SCAN). Cheap to copy; holds no ownership. The characters (the
// items nearly every call returns) are scanned inline; markers, blocks and
// the end of the available bytes go through next_other.
class LineScanner {
public:
    LineScanner(const std::uint8_t* line, std::size_t available)
        : line_(line), available_(available < MAX_LINE_SCAN ? available : MAX_LINE_SCAN) {}
    // The next item; after LINE_END, TEXT_END or CUT every call returns that item again.
    ScanItem next() {
        if (available_ - pos_ >= 2 && !done_) {
            const std::uint8_t x = line_[pos_];
            const std::uint8_t y = line_[pos_ + 1];
            ScanItem item;
            item.column = static_cast<std::uint32_t>(pos_);
            if (is_stored_lead(x)) {
                item.kind = ItemKind::DOUBLE;
                item.length = 2;
                item.code = static_cast<std::uint16_t>(x << 8 | y);
                pos_ += 2;
                return item;
            }
            if (x < IGNORED_MARK && x != TEXT_END_MARK) {
                // 0x00-0x80 but 0x1A, 0xA0-0xDF: a single-byte character, alone or sharing its cell.
                const bool pair = is_printable_single(y);
                item.kind = pair ? ItemKind::PAIR : ItemKind::SINGLE;
                item.length = pair ? 2 : 1;
                item.code = pair ? y : x;
                pos_ += item.length;
                return item;
            }
        }
        return next_other();
    }
    // Passes over a run of double-byte characters, at most `limit` of them,
    // as that many calls of next() would; returns how many it passed.
    std::uint32_t skip_doubles(std::uint32_t limit) {
        if (done_) return 0;
        const std::size_t start = pos_;
        const std::size_t end = available_ - start < 2 * std::size_t{limit} ? available_ : start + 2 * std::size_t{limit};
        std::size_t p = start;
        while (p + 1 < end && is_stored_lead(line_[p])) p += 2;
        pos_ = p;
        return static_cast<std::uint32_t>((p - start) / 2);
    }
    std::uint32_t column() const { return static_cast<std::uint32_t>(pos_); }

private:
    ScanItem next_other();

    const std::uint8_t* line_;
    std::size_t available_;
    std::size_t pos_ = 0;
    bool done_ = false;
    ScanItem last_{};
};

// A ruby block read whole with its base, for the writers that put the two
// side by side: the reading, and the bytes of the base, the next low-four-
// bits cells (at least one; tag blocks among them skipped; a line end, the
// text end or another ruby ends the base early). `next` is the scanner's
// item after the base.
struct RubyRun {
    std::string reading;
    std::string base;
    ScanItem next;
};
RubyRun read_ruby_run(const std::uint8_t* line, const ScanItem& ruby, LineScanner& scanner);

}  // namespace rix
