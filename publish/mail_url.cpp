// The mail URL: query, wrapped body, the cut to clipboard text, and the
// desktop form.
#include "publish/mail_url.h"

#include "document/line_table.h"
#include "document/storage.h"
#include "document/wrap.h"
#include "platform/codec.h"

namespace rix {

namespace {

constexpr std::string_view MAILTO = "mailto:";
constexpr std::string_view IDEOGRAPHIC_SPACE = "\x81\x40";

bool lower_equals(std::string_view s, std::string_view lower) {
    if (s.size() != lower.size()) return false;
    for (std::size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != lower[i]) return false;
    }
    return true;
}

// Writes the body: into the URL until it has grown beyond the limit, then
// into the clipboard text. The switch is made only between steps (a cell,
// a line break, an indentation), so no character is ever divided, and only
// when something follows, so that a cut never leaves nothing to paste.
class BodyWriter {
public:
    explicit BodyWriter(MailUrl& mail) : m_(mail) {}

    void append(std::string_view bytes, MailPart part) {
        if (over_) {
            m_.cut = true;
            m_.remainder.append(bytes);
            return;
        }
        m_.url.append(bytes);
        m_.parts.insert(m_.parts.end(), bytes.size(), part);
    }
    // A character of the text, copied whole.
    void character(const std::uint8_t* p, std::size_t n) {
        append(std::string_view(reinterpret_cast<const char*>(p), n), MailPart::TEXT);
    }
    // A single byte (or a line break) through escape_mail_byte.
    void byte(std::uint8_t b) {
        char out[3];
        const std::size_t n = escape_mail_byte(over_, b, out);
        const bool copied = n == 1 && static_cast<std::uint8_t>(out[0]) == b;
        append(std::string_view(out, n), copied ? MailPart::TEXT : MailPart::MARKUP);
    }
    void indent(std::uint32_t cells) {
        for (std::uint32_t i = 0; i < cells; ++i)
            character(reinterpret_cast<const std::uint8_t*>(IDEOGRAPHIC_SPACE.data()), IDEOGRAPHIC_SPACE.size());
    }
    // After every step: past the limit, the rest of the body is clipboard text.
    void step_done() {
        if (m_.url.size() > MAIL_URL_LIMIT) over_ = true;
    }

private:
    MailUrl& m_;
    bool over_ = false;            // the URL is full: what follows is clipboard text
};

// Whether nothing but blocks stand between `column` and the end of the line
// or text. The screen gives a display line that its last cell filled (or a
// bracket hanging there) an empty display line after it, for the cursor; in
// the mail that would be a blank line in the middle of a paragraph, so the
// line's own break ends it alone.
bool ends_here(const std::uint8_t* p, std::size_t column) {
    const std::uint8_t next = next_character(p, column).byte;
    return next == LINE_END_MARK || next == TEXT_END_MARK;
}

// One logical line, wrapped as the screen wraps it (document/display_lines:
// the same capacity and break rule), but for the empty display line at its
// end. False when the text ends on it.
bool write_line(BodyWriter& w, const std::uint8_t* p, std::uint32_t word, const WrapRules& rules) {
    std::uint32_t cap = line_capacity(rules, word, true);
    std::uint32_t j = 0;
    w.indent(display_line_indent(word, true));
    w.step_done();
    LineScanner scanner(p, MAX_LINE_SCAN);
    for (;;) {
        const ScanItem it = scanner.next();
        switch (it.kind) {
            case ItemKind::DOUBLE: w.character(p + it.column, 2); break;
            case ItemKind::SINGLE: w.byte(p[it.column]); break;
            case ItemKind::PAIR:
                w.byte(p[it.column]);
                w.byte(p[it.column + 1]);
                break;
            case ItemKind::RUBY:      // the reading stays out; its base follows as text
            case ItemKind::TAG:       // private notes never reach a mail
            case ItemKind::IGNORED: continue;
            case ItemKind::TEXT_END: return false;
            case ItemKind::LINE_END:
            case ItemKind::CUT:       // no end within the scan limit: ended here, as the screen does
                w.byte(MAIL_LINE_BREAK);
                w.step_done();
                return true;
        }
        w.step_done();   // a cell was written
        if (++j < cap) continue;
        const std::size_t after = std::size_t{it.column} + it.length;
        if (may_break_in_line(rules, j, it.code, p, after) && !ends_here(p, after)) {
            w.byte(MAIL_LINE_BREAK);
            w.step_done();
            j = 0;
            cap = line_capacity(rules, word, false);
            w.indent(display_line_indent(word, false));
            w.step_done();
        }
    }
}

bool is_unreserved(std::uint8_t b) {
    return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') || b == '-' || b == '.' ||
           b == '_' || b == '~';
}

// The punctuation an address keeps: its scheme, user, host and query
// delimiters, and its own percent escapes. "#" is not among them: a
// fragment would swallow the subject and body after it.
bool address_keeps(std::uint8_t b) {
    if (is_unreserved(b)) return true;
    constexpr std::string_view KEPT = ":/?[]@!$&'()*+,;=%";
    return b < 0x80 && KEPT.find(static_cast<char>(b)) != std::string_view::npos;
}

void percent_encode(std::string* out, std::string_view utf8, bool (*keeps)(std::uint8_t)) {
    static constexpr char HEX[] = "0123456789ABCDEF";
    for (char c : utf8) {
        const auto b = static_cast<std::uint8_t>(c);
        if (keeps(b)) {
            *out += c;
        } else {
            *out += '%';
            *out += HEX[b >> 4];
            *out += HEX[b & 0x0F];
        }
    }
}

}  // namespace

bool is_mail_address(std::string_view address) {
    return address.size() >= MAILTO.size() && lower_equals(address.substr(0, MAILTO.size()), MAILTO);
}

std::size_t escape_mail_byte(bool clipboard, std::uint8_t byte, char* out) {
    if (byte == MAIL_LINE_BREAK) {
        if (clipboard) {
            out[0] = '\r';
            out[1] = '\n';
            return 2;
        }
        out[0] = '%';
        out[1] = '0';
        out[2] = 'A';
        return 3;
    }
    if (!clipboard && (byte == '&' || byte == '?')) {
        out[0] = '%';
        out[1] = byte == '&' ? '2' : '3';
        out[2] = byte == '&' ? '6' : 'F';
        return 3;
    }
    out[0] = static_cast<char>(byte);
    return 1;
}

MailUrl compose_mail_url(std::string_view address, const Document& doc, const WrapRules& rules,
                         std::string_view title, std::string_view print_title) {
    MailUrl mail;
    BodyWriter w(mail);
    const std::string_view own = is_mail_address(address) ? address.substr(MAILTO.size()) : address;
    w.append(MAILTO, MailPart::MARKUP);
    w.append(own, MailPart::ADDRESS);
    // An address with a query of its own takes the subject and body as further fields.
    const std::string_view join = own.find('?') == std::string_view::npos ? "?" : "&";
    const std::string_view subject = title.size() >= print_title.size() ? title : print_title;
    if (!subject.empty()) {
        w.append(join, MailPart::MARKUP);
        w.append("subject=", MailPart::MARKUP);
        w.append(subject, MailPart::TEXT);
        w.append("&body=", MailPart::MARKUP);
    } else {
        w.append(join, MailPart::MARKUP);
        w.append("body=", MailPart::MARKUP);
    }
    w.step_done();
    const std::uint32_t count = doc.lines.count();
    for (std::uint32_t l = 0; l < count; ++l) {
        const std::uint8_t* p = doc.line_pointer(l);
        if (p == nullptr || !write_line(w, p, doc.formats.word(l), rules)) break;
    }
    return mail;
}

std::string desktop_mail_url(const MailUrl& mail) {
    std::string out;
    out.reserve(mail.url.size() * 3);
    std::size_t i = 0;
    while (i < mail.url.size()) {
        const MailPart part = i < mail.parts.size() ? mail.parts[i] : MailPart::TEXT;
        std::size_t end = i + 1;
        while (end < mail.url.size() && (end < mail.parts.size() ? mail.parts[end] : MailPart::TEXT) == part) ++end;
        const std::string_view run(mail.url.data() + i, end - i);
        switch (part) {
            case MailPart::MARKUP: out.append(run); break;
            case MailPart::ADDRESS: percent_encode(&out, sjis_to_utf8(run), address_keeps); break;
            case MailPart::TEXT: percent_encode(&out, sjis_to_utf8(run), is_unreserved); break;
        }
        i = end;
    }
    return out;
}

}  // namespace rix
