// Fuzz target for the notation reader: ruby notation, structure-index lines
// and line-information lines, read by the loader with every reading option on.
//
//   OFFSET  SIZE  MEANING
//   0       1     bits 0-1 the ruby notation - 1 (4: custom 【】), bit 2 the line
//                 symbol ＃ instead of ◆, bits 3-4 the ruby allotment
//   1       ...   the document text (code page 932)
//
// What the reader promises: each line of the file read as an information
// line gives a level 0..9, a title of at most 40 bytes, marks 1..4 only; the
// loaded document holds its invariants (its index in the structure index's
// order among them) and is the same in one chunk and in small chunks; and
// the document written out with every notation reads back with the same
// lines, marks, format words and index entries.
#include "document/export.h"
#include "document/notation.h"
#include "fuzz/fuzz_entries.h"
#include "fuzz/fuzz_target.h"

namespace {

// Calls f with each line of the text, without its CR LF or LF.
template <typename F>
void for_each_line(std::string_view text, F f) {
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t lf = text.find('\n', at);
        std::string_view line = text.substr(at, lf == std::string_view::npos ? std::string_view::npos : lf - at);
        at = lf == std::string_view::npos ? text.size() : lf + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        f(line);
    }
}

std::string check_info_lines(std::string_view text, std::string_view symbol) {
    std::string bad;
    for_each_line(text, [&](std::string_view line) {
        rix::InfoLine info;
        if (!bad.empty() || !rix::parse_info_line(line, symbol, &info)) return;
        if (!info.has_index && !info.has_info) bad = "an information line with nothing in it";
        else if (info.level > 9 || info.title.size() > rix::INDEX_TITLE_BYTES || info.marks > 0x0F)
            bad = "information line out of range";
        else if (!info.has_info && (info.marks != 0 || info.format_word != 0)) bad = "marks without line information";
    });
    return bad;
}

std::size_t count_info_lines(std::string_view text, std::string_view symbol) {
    text = text.substr(0, text.find('\x1A'));   // the text ends at its end mark
    std::size_t n = 0;
    for_each_line(text, [&](std::string_view line) {
        rix::InfoLine info;
        n += rix::parse_info_line(line, symbol, &info) ? 1 : 0;
    });
    return n;
}

std::string notation_entry(const std::uint8_t* data, std::size_t size) {
    std::string_view in = rix::fuzz::bytes_of(data, size);
    const std::uint8_t flags = rix::fuzz::take_flags(&in);
    rix::fuzz::LoadCase c;
    c.options.read_rubies = c.options.read_index = c.options.read_line_info = true;
    c.options.ruby_notation = static_cast<std::uint8_t>((flags & 3) + 1);
    c.options.custom_delimiters = "\x81\x79\x81\x7A";                      // 【】
    c.options.line_id_symbol = flags & 4 ? "\x81\x94" : "\x81\x9F";        // ＃ or ◆
    c.options.ruby_allotment = static_cast<std::uint8_t>((flags >> 3) & 3) % 3;
    c.options.chunk_size = 16 + size % 251;
    c.rules.line_start_prohibited = "\x81\x41\x81\x42\x81\x76";
    c.rules.line_end_prohibited = "\x81\x75";
    c.text = std::string(in);
    if (std::string bad = check_info_lines(in, c.options.line_id_symbol); !bad.empty()) return bad;
    if (std::string bad = rix::fuzz::run_load_case(c); !bad.empty()) return bad;

    rix::fuzz::FixedAnswers answers(rix::MSG_RESULT_YES);
    rix::Document doc;
    doc.rules = c.rules;
    rix::DocumentState state;
    rix::LoadSession session;
    session.options = c.options;
    rix::fuzz::load_bytes(doc, state, session, c.text);
    for (const rix::IndexEntry& e : doc.index)   // the order is checked with the load above
        if (e.level > 9 || e.title.size() > rix::INDEX_TITLE_BYTES) return "index entry out of range";
    // Written out with every notation and read back with the same options:
    // the same lines with the same marks, format words (those the
    // information line carries) and index entries.
    rix::ExportOptions out;
    out.form = rix::ExportForm::EXPORT;
    out.write_rubies = out.write_line_info = out.write_index = true;
    out.line_id_symbol = c.options.line_id_symbol;
    out.ruby_notation = c.options.ruby_notation;
    out.custom_delimiters = c.options.custom_delimiters;
    std::string written;
    rix::TextPos from;
    while (!rix::export_text(doc, out, &from, rix::TextPos(doc.lines.count(), 0), &written).finished) {
    }
    // A text line that itself reads as an information line (typed so, or
    // made so by bytes the reader dropped) cannot be written as text: the
    // notation has no escape. Such documents are not compared.
    std::size_t expected_info = 0;
    for (std::uint32_t line = 0, k = 0; line < doc.lines.count(); ++line) {
        std::size_t entries = 0;
        for (; k < doc.index.size() && doc.index[k].line == line; ++k) ++entries;
        const bool carried = doc.lines.marks(line) != 0 || (doc.formats.word(line) & rix::EXPORT_LINE_INFO_BITS) != 0;
        expected_info += entries + (carried && entries == 0 ? 1 : 0);
    }
    if (std::string bad = check_info_lines(written, out.line_id_symbol); !bad.empty()) return "written: " + bad;
    if (count_info_lines(written, out.line_id_symbol) != expected_info) return "";
    rix::Document back;
    back.rules = c.rules;
    rix::DocumentState back_state;
    rix::LoadSession back_session;
    back_session.options = c.options;
    rix::fuzz::load_bytes(back, back_state, back_session, written);
    // A Shift_JIS text kept Shift_JIS by bytes the reader dropped (0xFC-0xFF)
    // may be well-formed UTF-8 without them: it is then read as UTF-8, and
    // there is nothing line by line to compare.
    if (back.load.form.encoding != doc.load.form.encoding) return "";
    if (back.lines.count() != doc.lines.count()) {
        if (written.size() > 60000) return "";   // a long line may split where it grew by its notation
        return "written out and read back: " + std::to_string(back.lines.count()) + " lines, not " +
               std::to_string(doc.lines.count());
    }
    for (std::uint32_t line = 0; line < doc.lines.count(); ++line) {
        const std::uint8_t marks = doc.lines.marks(line);
        const std::uint32_t word = doc.formats.word(line);
        const bool carried = marks != 0 || (word & rix::EXPORT_LINE_INFO_BITS) != 0;
        if (back.lines.marks(line) != marks || back.formats.word(line) != (carried ? word : 0))
            return "line " + std::to_string(line) + ": marks or format word read back differently";
    }
    if (back.index.size() != doc.index.size()) return "index entries lost or made by writing out";
    for (std::size_t k = 0; k < doc.index.size(); ++k) {
        std::string title = doc.index[k].title;
        for (char& ch : title)
            if (ch == '\r' || ch == '\n' || ch == '\x1A') ch = ' ';
        if (back.index[k].line != doc.index[k].line || back.index[k].level != doc.index[k].level ||
            back.index[k].title != title)
            return "index entry " + std::to_string(k) + " read back differently";
    }
    return "";
}

}  // namespace

RIX_FUZZ_TARGET(notation, notation_entry)
