// The text forms of cut, copy and paste, and of reading a file in: the
// marked range in export form, clipboard and file text in the raw form
// insert_text takes.
#include <string>

#include "document/export.h"
#include "document/notation.h"
#include "document/storage.h"
#include "editing/cursor.h"
#include "editing/edit_text.h"
#include "platform/codec.h"
#include "platform/text_tools.h"

namespace rix {
namespace {

// pos stands on the second character of a half-width pair.
bool second_of_pair(const Document& doc, TextPos pos) {
    if (pos.line() >= doc.lines.count() || pos.column() == 0) return false;
    LineScanner scan(doc.line_pointer(pos.line()), MAX_LINE_SCAN);
    for (ScanItem it = scan.next();; it = scan.next()) {
        if (it.kind == ItemKind::LINE_END || it.kind == ItemKind::TEXT_END || it.kind == ItemKind::CUT) return false;
        if (it.column + it.length > pos.column()) return it.kind == ItemKind::PAIR && it.column + 1 == pos.column();
    }
}

}  // namespace

std::string export_marked_text(EditContext& c) {
    std::string out;
    const Marking& m = c.edit.mark;
    if (!m.on || !(m.start < m.end) || c.doc.lines.count() == 0) return out;
    const EditOptions& e = c.edit.options;
    ExportOptions o;
    o.form = ExportForm::EXPORT;
    o.write_rubies = e.export_rubies;
    o.ruby_notation = e.ruby_notation;
    o.custom_delimiters = e.custom_delimiters;
    o.write_line_info = e.export_line_info;
    o.write_index = e.export_index;
    o.line_id_symbol = e.line_id_symbol;
    // The export walks whole items: a range that starts or ends on the
    // second character of a half-width pair takes that character here.
    TextPos at = m.start;
    TextPos end = std::min(m.end, document_end(c.doc));
    std::string head, tail;
    if (second_of_pair(c.doc, at)) {
        head.push_back(static_cast<char>(*(c.doc.line_pointer(at.line()) + at.column())));
        at = TextPos(at.line(), at.column() + 1);
    }
    if (end > at && second_of_pair(c.doc, end)) {
        end = TextPos(end.line(), end.column() - 1);
        tail.push_back(static_cast<char>(*(c.doc.line_pointer(end.line()) + end.column())));
    }
    out = head;
    while (at < end) {
        ExportResult r = export_text(c.doc, o, &at, end, &out);
        if (r.finished) break;
    }
    out += tail;
    return out;
}

std::string import_clipboard_text(std::string_view utf8, std::size_t* replaced) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t count = 0;
    for (std::size_t k = 0; k < utf8.size();) {
        // One UTF-8 character: its length from the lead byte (bad bytes alone).
        const auto b = static_cast<std::uint8_t>(utf8[k]);
        std::size_t n = b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
        if (k + n > utf8.size()) n = utf8.size() - k;
        const std::string_view ch = utf8.substr(k, n);
        k += n;
        if (ch == "\r") {
            out += "\r\n";
            if (k < utf8.size() && utf8[k] == '\n') ++k;
            continue;
        }
        if (ch == "\n") {
            out += "\r\n";
            continue;
        }
        if (ch[0] == '\0' || static_cast<std::uint8_t>(ch[0]) == TEXT_END_MARK) continue;   // never text
        const std::string sjis = utf8_to_sjis(ch);
        if (ch != "\xE3\x80\x93")   // 〓 itself is no replacement
            for (std::size_t at = 0; at + 1 < sjis.size(); at += char_length_at(sjis, at))
                if (sjis.compare(at, 2, GETA_MARK) == 0) ++count;
        out += sjis;
    }
    if (replaced) *replaced = count;
    return out;
}

std::string insertable_file_text(std::string_view text) { return clean_text(text, LoneCr::KEEP); }

}  // namespace rix
