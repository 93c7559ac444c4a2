// The document as a mail: a `mailto:` URL whose subject is the document's
// title and whose body is the text wrapped as the screen wraps it, for the
// desktop's mail program.
//
// Mail programs take only short URLs: once the URL has grown beyond
// MAIL_URL_LIMIT bytes the body goes on as clipboard text instead, which the
// writer pastes at the end of the message.
//
// The URL is made in two forms. The composed form (code page 932) is the
// one the limit counts: "&", "?" and line breaks of the text escaped as
// %26, %3F and %0A, every other byte as the text holds it. The desktop form
// (UTF-8, desktop_mail_url) is what a mail program is given: the text's
// bytes converted to UTF-8 and percent-encoded outside the unreserved set,
// the escapes and the query's own punctuation as composed. To tell a typed
// "%26" from an escape, every byte of the composed form remembers where it
// came from (MailUrl::parts).
//
// Nothing here touches windows, the clipboard or processes: the application
// shows the notice, fills the clipboard and opens the URL (app/publish/mail_run.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "document/document.h"

namespace rix {

// The body switches to clipboard text once the composed URL is longer than this.
constexpr std::size_t MAIL_URL_LIMIT = 2000;
// The byte escape_mail_byte reads as a line break.
constexpr std::uint8_t MAIL_LINE_BREAK = 0x0A;

// Where a byte of the composed URL came from.
enum class MailPart : std::uint8_t {
    MARKUP,     // "mailto:", "?subject=", "&body=", the escapes %26 %3F %0A: given to the desktop as they are
    ADDRESS,    // the address the caller gave (after "mailto:"): its query punctuation kept
    TEXT,       // the title and the body's characters and indentation: encoded for the desktop
};

struct MailUrl {
    std::string url;                 // code page 932: "mailto:", address, query, escaped body up to the cut
    std::vector<MailPart> parts;     // one per byte of url
    std::string remainder;           // code page 932, CR LF line ends: the body after the cut; "" unless cut
    bool cut = false;                // the body went on as clipboard text
};

// One byte of the body as the URL (clipboard = false) or the clipboard text
// (clipboard = true) holds it, written to out (room for 3 bytes); returns
// the bytes written. URL: "&" -> "%26", "?" -> "%3F", a line break -> "%0A".
// Clipboard: a line break -> CR LF. Every other byte is copied.
std::size_t escape_mail_byte(bool clipboard, std::uint8_t byte, char* out);

// The mail of a whole (fully loaded) document. `address` is "mailto:" or
// "mailto:" followed by an address, which may hold a query of its own (the
// subject and body are then joined with "&"). The subject is the longer of
// `title` and `print_title` (the title when they are equally long; none when
// both are empty). Each display line under `rules` starts with its
// indentation as ideographic spaces and ends with a line break; ruby
// readings, tag blocks and ignored markers leave nothing.
MailUrl compose_mail_url(std::string_view address, const Document& doc, const WrapRules& rules,
                         std::string_view title, std::string_view print_title);

// The URL for the desktop's handler (UTF-8): MARKUP bytes as they are, TEXT
// converted to UTF-8 with every byte outside A-Z a-z 0-9 - . _ ~
// percent-encoded, the ADDRESS converted to UTF-8 with its URI punctuation
// kept and everything else (non-ASCII, blanks, controls, "#", quotes,
// brackets) percent-encoded.
std::string desktop_mail_url(const MailUrl& mail);

// Whether an address starts with "mailto:" (in any case).
bool is_mail_address(std::string_view address);

}  // namespace rix
