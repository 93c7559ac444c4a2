// The buffer as external text (see export.h for the forms and the ruby rule).
//
// One LineWriter runs per logical line; it scans the stored line once with
// the LineScanner and appends to the caller's string. In EXPORT form with
// ruby writing it keeps a mirror of what the reader will store for the line
// (the characters without notations), the reader's base start in it and
// its kanji-run flag, so the ｜ decision is made against the reader itself.
#include "document/export.h"

#include <algorithm>
#include <cstdio>
#include <unordered_map>
#include <vector>

#include "document/line_table.h"
#include "document/notation.h"
#include "document/storage.h"
#include "platform/codec.h"

namespace rix {

// The line-information line of `line` with its index entry (or none).
std::string information_line(const Document& doc, const ExportOptions& o, std::uint32_t line,
                             const IndexEntry* entry);

namespace {

constexpr char CRLF[] = "\r\n";

void put_code(std::string* out, std::uint16_t code) {
    out->push_back(static_cast<char>(code >> 8));
    out->push_back(static_cast<char>(code & 0xFF));
}

bool ends_walk(ItemKind k) { return k == ItemKind::LINE_END || k == ItemKind::TEXT_END || k == ItemKind::CUT; }
bool is_cell(ItemKind k) { return k == ItemKind::DOUBLE || k == ItemKind::SINGLE || k == ItemKind::PAIR; }

// The reader's view of one line: the characters it stores (no blocks) and
// its RubyBaseState over them.
struct ReaderMirror {
    std::string chars;
    RubyBaseState st;

    std::uint32_t size() const { return static_cast<std::uint32_t>(chars.size()); }

    // One cell item as the reader converts it (ruby reading on).
    void feed(ItemKind kind, std::uint16_t code, std::string_view bytes) {
        chars.append(bytes);
        if (kind == ItemKind::DOUBLE) {
            if (code == CODE_VERTICAL_BAR) st.bar_at(size() - 2);
            else st.character(code, size() - 2);
            return;
        }
        if (bytes.find('\r') != std::string_view::npos) st.break_run();   // a lone CR ends a kanji run
    }

    // Where the base the reader would take now begins: the last
    // MAX_RUBY_BASE_CELLS cells from the base start.
    std::uint32_t reader_base_start() const {
        std::vector<std::uint32_t> cells;
        const std::uint32_t base = std::min(st.base, size());
        auto* p = reinterpret_cast<const std::uint8_t*>(chars.data()) + base;
        LineScanner scan(p, chars.size() - base);
        for (ScanItem item = scan.next(); !ends_walk(item.kind); item = scan.next())
            if (is_cell(item.kind)) cells.push_back(base + item.column);
        if (cells.empty()) return size();
        if (cells.size() > MAX_RUBY_BASE_CELLS) return cells[cells.size() - MAX_RUBY_BASE_CELLS];
        return cells.front();
    }

    // A ruby closes as the reader closes it: a ｜ just before its base goes.
    void ruby_closed() {
        const std::uint32_t start = reader_base_start();
        if (st.bar_taken_by(start)) chars.erase(st.bar, 2);
        st.ruby_closed(size());
    }
};

struct CellBytes {
    ItemKind kind;
    std::uint16_t code;
    std::string_view bytes;
};

class LineWriter {
public:
    LineWriter(const Document& doc, const ExportOptions& o, const IndexEntry* index_entry, std::uint32_t line,
               std::string* out, ExtensionWriter* records)
        : doc_(doc), o_(o), index_(index_entry), line_(line), out_(out), records_(records),
          delimiters_(ruby_delimiters(o.ruby_notation, o.custom_delimiters)) {}

    // Writes the line from `column` until its end or `end_column`. Returns
    // true when the text ended (0x1A written) or the end column was reached.
    bool write(std::uint32_t column, std::uint32_t end_column);

private:
    void line_start();
    void ruby_block(const std::uint8_t* p, const ScanItem& item, LineScanner scan);
    void cell(const CellBytes& c);
    void close_ruby();
    void record(const std::uint8_t* p, const ScanItem& item);
    std::uint16_t save_column() const { return static_cast<std::uint16_t>(std::min<std::size_t>(written_, 0xFFFF)); }

    const Document& doc_;
    const ExportOptions& o_;
    const IndexEntry* index_;
    std::uint32_t line_;
    std::string* out_;
    ExtensionWriter* records_;
    RubyDelimiters delimiters_;
    std::size_t written_ = 0;        // characters of the line written (the save-form column)

    ReaderMirror mirror_;
    bool ruby_open_ = false;         // a ruby waits for the end of its base
    std::string ruby_text_;
    std::size_t ruby_cells_left_ = 0;
};

void LineWriter::line_start() {
    if (o_.form == ExportForm::SAVE) {
        std::uint8_t marks = doc_.lines.marks(line_);
        std::uint32_t word = doc_.formats.word(line_);
        if (line_record_due(marks, word)) records_->add_line_record(line_, marks, word);
        return;
    }
    if (o_.form != ExportForm::EXPORT) return;
    *out_ += information_line(doc_, o_, line_, index_);
    // The line's further entries (deeper levels: the index keeps a line's
    // entries together, shallower first) follow as index lines of their own;
    // the reader gives every information line to the text line after it.
    if (index_ && o_.write_index && o_.line_id_symbol.size() == 2) {
        ExportOptions index_only = o_;
        index_only.write_line_info = false;
        const IndexEntry* end = doc_.index.data() + doc_.index.size();
        for (const IndexEntry* e = index_ + 1; e < end && e->line == line_; ++e)
            *out_ += information_line(doc_, index_only, line_, e);
    }
    std::uint32_t word = doc_.formats.word(line_);
    int adjustment = std::max(first_line_adjustment(word), 0);
    std::uint32_t spaces = start_indent(word) + static_cast<std::uint32_t>(adjustment);
    for (std::uint32_t k = 0; k < spaces; ++k) put_code(out_, CODE_FULL_WIDTH_SPACE);
}

void LineWriter::close_ruby() {
    if (!ruby_open_) return;
    ruby_open_ = false;
    put_code(out_, delimiters_.open);
    *out_ += ruby_text_;
    put_code(out_, delimiters_.close);
    mirror_.ruby_closed();
}

// A ruby block in EXPORT form with ruby writing: finds its base ahead, puts
// ｜ before it when the reader would not find it (or when a ｜ of the text
// still holds the base start, which the reader would otherwise take away),
// and waits for its end.
void LineWriter::ruby_block(const std::uint8_t* p, const ScanItem& item, LineScanner scan) {
    close_ruby();
    std::size_t cells = p[item.column + 1] & 0x0F;
    std::string text(reinterpret_cast<const char*>(p + item.column + 2), item.length - 3);
    if (text.empty() || cells == 0) return;
    ReaderMirror trial;
    const std::uint32_t from = std::min(mirror_.st.base, mirror_.size());
    trial.chars = mirror_.chars.substr(from);
    trial.st.run = mirror_.st.run;
    trial.st.pinned = mirror_.st.pinned;
    std::uint32_t intended = trial.size();
    std::size_t found = 0;
    for (ScanItem next = scan.next(); found < cells && !ends_walk(next.kind) && next.kind != ItemKind::RUBY;
         next = scan.next()) {
        if (!is_cell(next.kind)) continue;
        std::string_view bytes(reinterpret_cast<const char*>(p + next.column), next.length);
        trial.feed(next.kind, next.code, bytes);
        ++found;
    }
    if (found == 0) return;   // no base to write it after
    if (mirror_.st.pinned || trial.reader_base_start() != intended) {
        put_code(out_, CODE_VERTICAL_BAR);
        mirror_.feed(ItemKind::DOUBLE, CODE_VERTICAL_BAR, "\x81\x62");
    }
    ruby_open_ = true;
    ruby_text_ = std::move(text);
    ruby_cells_left_ = found;
}

void LineWriter::cell(const CellBytes& c) {
    *out_ += c.bytes;
    written_ += c.bytes.size();
    if (o_.form != ExportForm::EXPORT || !o_.write_rubies) return;
    mirror_.feed(c.kind, c.code, c.bytes);
    if (ruby_open_ && --ruby_cells_left_ == 0) close_ruby();
}

// A ruby or tag block in SAVE form: an extension record at the current column.
void LineWriter::record(const std::uint8_t* p, const ScanItem& item) {
    const std::uint8_t* b = p + item.column;
    if (item.kind == ItemKind::RUBY) {
        std::string_view text(reinterpret_cast<const char*>(b + 2), item.length - 3);
        records_->add_ruby(line_, save_column(), b[1], text);
        return;
    }
    if (item.length < 6) return;   // not a whole tag block
    std::uint8_t a1 = b[3] ? b[3] : o_.tag_default_attr1;
    std::uint8_t a2 = b[4] ? b[4] : o_.tag_default_attr2;
    std::string_view text(reinterpret_cast<const char*>(b + 5), item.length - 6);
    records_->add_tag(line_, save_column(), a1, a2, text);
}

bool LineWriter::write(std::uint32_t column, std::uint32_t end_column) {
    const std::uint8_t* p = doc_.line_pointer(line_);
    if (column == 0) line_start();
    LineScanner scan(p, MAX_LINE_SCAN);
    for (;;) {
        ScanItem item = scan.next();
        if (item.column < column && !ends_walk(item.kind)) continue;
        if (item.column >= end_column) {
            close_ruby();
            return true;
        }
        std::string_view bytes(reinterpret_cast<const char*>(p + item.column), item.length);
        switch (item.kind) {
        case ItemKind::LINE_END:
        case ItemKind::CUT:
            close_ruby();
            *out_ += o_.lf_line_ends ? "\n" : CRLF;
            return false;
        case ItemKind::TEXT_END:
            close_ruby();
            if (o_.end_mark) out_->push_back(static_cast<char>(TEXT_END_MARK));
            return true;
        case ItemKind::RUBY:
        case ItemKind::TAG:
            if (o_.form == ExportForm::RAW) *out_ += bytes;
            else if (o_.form == ExportForm::SAVE) record(p, item);
            else if (item.kind == ItemKind::RUBY && o_.write_rubies) ruby_block(p, item, scan);
            break;
        case ItemKind::IGNORED:
            if (o_.form == ExportForm::RAW) *out_ += bytes;
            break;
        default:
            cell(CellBytes{item.kind, item.code, bytes});
            break;
        }
    }
}

// The index title on one line of the file: CR, LF and 0x1A become blanks
// (they never stand as trail bytes).
std::string one_line_title(std::string_view title) {
    std::string t(title.substr(0, cut_on_boundary(title, INDEX_TITLE_BYTES)));
    for (char& c : t)
        if (c == '\r' || c == '\n' || c == static_cast<char>(TEXT_END_MARK)) c = ' ';
    return t;
}

}  // namespace

std::string information_line(const Document& doc, const ExportOptions& o, std::uint32_t line,
                             const IndexEntry* entry) {
    if (o.form != ExportForm::EXPORT || o.line_id_symbol.size() != 2) return {};
    std::string out;
    std::uint8_t marks = doc.lines.marks(line);
    std::uint32_t word = doc.formats.word(line);
    if (o.write_line_info && (marks != 0 || (word & EXPORT_LINE_INFO_BITS) != 0)) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "%02X%02X%02X%02X%02X%02X", marks & 0x0F, 0, (word >> 24) & 0xFF,
                      (word >> 16) & 0xFF, (word >> 8) & 0xFF, word & 0xFF);
        out = o.line_id_symbol + hex;
    }
    if (o.write_index && entry) {
        if (out.empty()) out = o.line_id_symbol;
        // The reader takes one decimal digit: deeper levels are written as 9.
        out += static_cast<char>('0' + std::min<int>(entry->level, 9));
        out += ' ';
        out += one_line_title(entry->title);
    }
    if (!out.empty()) out += CRLF;
    return out;
}

std::string line_information_line(const Document& doc, const ExportOptions& options, std::uint32_t line) {
    const IndexEntry* entry = nullptr;
    for (const IndexEntry& e : doc.index)
        if (e.line == line) {
            entry = &e;
            break;
        }
    return information_line(doc, options, line, entry);
}

ExportResult export_text(const Document& doc, const ExportOptions& options, TextPos* start, TextPos end,
                         std::string* out, ExtensionWriter* records) {
    ExportResult result;
    std::unordered_map<std::uint32_t, const IndexEntry*> index;
    if (options.form == ExportForm::EXPORT && options.write_index)
        for (const IndexEntry& e : doc.index) index.emplace(e.line, &e);
    std::size_t before = out->size();
    std::uint32_t line = start->line(), column = start->column();
    for (;;) {
        if (line >= doc.lines.count() || TextPos(line, column) >= end) {
            result.finished = true;
            break;
        }
        auto found = index.find(line);
        LineWriter writer(doc, options, found == index.end() ? nullptr : found->second, line, out, records);
        std::uint32_t end_column = line == end.line() ? end.column() : UINT32_MAX;
        bool stop = writer.write(column, end_column);
        if (stop) {
            result.finished = true;
            break;
        }
        ++line;
        column = 0;
        if (out->size() - before > EXPORT_PIECE_BYTES) break;
    }
    *start = result.finished ? end : TextPos(line, column);
    result.bytes = out->size() - before;
    return result;
}

}  // namespace rix
