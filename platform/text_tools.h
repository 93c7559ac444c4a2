// Small text helpers the layers share: markup escaping for the writers
// (HTML, EPUB, the desktop's MIME package), numbers with thousands
// separators (file sizes, character counts), and the clean-up of code page
// 932 text that comes from outside (a file read in, a text box).
//
// The escaping works on bytes and serves UTF-8 and code page 932 alike:
// every byte it looks at lies below 0x40, where neither encoding puts a
// continuation or trail byte, so a double-byte character always passes whole.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace rix {

// What a markup text is written into; each names the characters written as
// references and the control bytes dropped.
enum class Markup : std::uint8_t {
    XML,              // & < > " escaped; C0 controls but tab, LF and CR dropped (XML allows no others)
    HTML_TEXT,        // & < > escaped; C0 controls but tab dropped
    HTML_ATTRIBUTE,   // & < " escaped (a quoted value keeps its >); C0 controls but tab dropped
};
// Appends `text` to *out as `how` says; every other byte passes unchanged.
void append_markup(std::string* out, std::string_view text, Markup how);
std::string escape_markup(std::string_view text, Markup how);

// n with a comma between groups of three digits: "999", "1,000", "2,621,440".
std::string group_thousands(std::uint64_t n);

// What clean_text makes of a CR that no LF follows.
enum class LoneCr : std::uint8_t {
    KEEP,       // stays a CR inside its line (the document keeps a file's lone CR as a character)
    LINE_END,   // becomes CR LF (a text box knows no other line end)
};
// Code page 932 text from outside made fit to store: CR LF and lone LFs
// become CR LF, a lone CR as `lone_cr` says; the bytes that never stand as
// text (is_never_text_byte of codec.h: NUL, 0x1A, 0xFC-0xFF) are dropped; a
// lead byte takes its trail byte with it whatever that byte looks like (a
// pair is never split, and a trail byte of 0x40-0x7E or 0x80-0xFC is never
// taken for a character of its own); a lead byte without a valid trail
// becomes 〓 and the byte after it is taken on its own.
std::string clean_text(std::string_view cp932, LoneCr lone_cr);

}  // namespace rix
