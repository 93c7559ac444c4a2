// The chunk converter, editing form (see edit_convert.h).
//
// Cost: one pass over the raw text, plus one count of display lines per
// produced line when it is placed. The produced lines are built in strings
// first, so writing them over the bytes they came from is safe.
#include "document/edit_convert.h"

#include <algorithm>
#include <cstring>

#include "document/convert.h"
#include "document/display_lines.h"
#include "document/notation.h"
#include "document/storage.h"
#include "platform/codec.h"

namespace rix {
namespace {

constexpr std::uint8_t CR = 0x0D, LF = 0x0A, TAB = 0x09;

class EditConverter {
public:
    EditConverter(std::string_view raw, const WrapRules& rules, std::uint32_t word, std::uint32_t tab_width,
                  std::span<const std::uint32_t> offsets)
        : raw_(raw), rules_(rules), word_(word), tab_width_(tab_width), offsets_(offsets) {
        out_.positions.assign(offsets.size(), TextPos());
        mapped_.assign(offsets.size(), false);
    }

    EditConversion run();

private:
    std::uint8_t at(std::size_t k) const { return k < raw_.size() ? static_cast<std::uint8_t>(raw_[k]) : TEXT_END_MARK; }
    void map_offsets(std::size_t upto);
    void check_limits();
    void new_line();
    void count_cell(std::uint16_t ch, std::size_t next);
    void tab();
    std::size_t block_end(std::size_t k) const;

    std::string_view raw_;
    const WrapRules& rules_;
    std::uint32_t word_;
    std::uint32_t tab_width_;
    std::span<const std::uint32_t> offsets_;
    std::vector<bool> mapped_;
    EditConversion out_;

    std::size_t i_ = 0;
    std::string* line_ = nullptr;
    std::uint32_t chars_ = 0;        // bytes of characters in the line (blocks excluded)
    std::uint32_t cells_ = 0;        // cells of the current display line
    std::uint32_t capacity_ = 1;
    bool first_display_ = true;
    bool pair_open_ = false;
};

void EditConverter::map_offsets(std::size_t upto) {
    for (std::size_t k = 0; k < offsets_.size(); ++k) {
        if (mapped_[k] || offsets_[k] > upto) continue;
        mapped_[k] = true;
        out_.positions[k] = TextPos(static_cast<std::uint32_t>(out_.lines.size() - 1),
                                    static_cast<std::uint32_t>(std::min<std::size_t>(line_->size(), 0xFFFF)));
    }
}

// The line built so far passes the limits of a position.
void EditConverter::check_limits() {
    if (line_ && (chars_ > LINE_TEXT_LIMIT || line_->size() > LINE_BLOCK_LIMIT))
        out_.status = EditConvertStatus::LINE_TOO_LONG;
}

void EditConverter::new_line() {
    check_limits();
    out_.lines.emplace_back();
    line_ = &out_.lines.back();
    chars_ = 0;
    cells_ = 0;
    first_display_ = true;
    capacity_ = line_capacity(rules_, word_, true);
    pair_open_ = false;
}

// As the loader counts: the break rule is asked once the display line is full.
void EditConverter::count_cell(std::uint16_t ch, std::size_t next) {
    if (++cells_ < capacity_) return;
    std::uint8_t nx = at(next);
    if (nx == CR && at(next + 1) == LF) nx = LINE_END_MARK;
    std::uint8_t nt = is_stored_lead(nx) ? at(next + 1) : 0;
    if (may_break_after(rules_, cells_, ch, nx, nt)) {
        cells_ = 0;
        if (first_display_) {
            first_display_ = false;
            capacity_ = line_capacity(rules_, word_, false);
        }
    }
}

void EditConverter::tab() {
    if (tab_width_ == 0) return;
    const std::uint64_t t = tab_width_;
    if (t + cells_ + 1 >= capacity_) return;
    const auto k = static_cast<std::uint32_t>(t - cells_ % t);
    for (std::uint32_t s = 0; s < k; ++s) {
        line_->push_back(static_cast<char>(CODE_FULL_WIDTH_SPACE >> 8));
        line_->push_back(static_cast<char>(CODE_FULL_WIDTH_SPACE & 0xFF));
    }
    chars_ += 2 * k;
    cells_ += k;
    pair_open_ = false;
}

// One past the closing mark of the block opening at k, or 0 when it is not closed.
std::size_t EditConverter::block_end(std::size_t k) const {
    const std::uint8_t mark = at(k);
    std::size_t j = k + (mark == RUBY_MARK ? 2 : 3);
    while (j < raw_.size() && static_cast<std::uint8_t>(raw_[j]) != mark) ++j;
    return j < raw_.size() ? j + 1 : 0;
}

EditConversion EditConverter::run() {
    new_line();
    for (;;) {
        check_limits();
        if (out_.status != EditConvertStatus::OK) return std::move(out_);
        map_offsets(i_);
        if (i_ >= raw_.size()) break;   // no terminator: taken as CR LF
        const std::uint8_t x = at(i_);
        if (x == TEXT_END_MARK) {
            if (i_ + 1 >= raw_.size()) {
                out_.text_end = true;
                break;
            }
            ++i_;   // only the last byte ends the text
            continue;
        }
        if (x == CR && at(i_ + 1) == LF) {
            i_ += 2;
            if (i_ >= raw_.size()) break;   // the line's own end
            new_line();
            continue;
        }
        if (x == RUBY_MARK || x == TAG_MARK) {
            std::size_t end = block_end(i_);
            if (end == 0) {
                ++i_;   // an unclosed block's mark is dropped
                continue;
            }
            line_->append(raw_.substr(i_, end - i_));
            i_ = end;
            pair_open_ = false;
            continue;
        }
        if (x >= IGNORED_MARK || x == LF) {
            ++i_;
            continue;
        }
        if (is_lead_byte(x)) {
            const std::uint8_t trail = at(i_ + 1);
            std::uint16_t code;
            if (x != IGNORED_MARK && i_ + 1 < raw_.size() && is_trail_byte(trail)) {
                code = static_cast<std::uint16_t>(x << 8 | trail);
                i_ += 2;
            } else {
                code = GETA_CODE;
                ++i_;
            }
            line_->push_back(static_cast<char>(code >> 8));
            line_->push_back(static_cast<char>(code & 0xFF));
            chars_ += 2;
            pair_open_ = false;
            count_cell(code, i_);
            continue;
        }
        ++i_;
        if (x == TAB) {
            tab();
            continue;
        }
        line_->push_back(static_cast<char>(x));
        ++chars_;
        if (pair_open_ && is_printable_single(x)) {
            pair_open_ = false;   // the second half of a cell counted with its first
            continue;
        }
        pair_open_ = true;
        count_cell(x, i_ + (is_printable_single(at(i_)) ? 1 : 0));
    }
    check_limits();
    for (std::size_t k = 0; k < offsets_.size(); ++k)
        if (!mapped_[k]) map_offsets(offsets_[k]);
    return std::move(out_);
}

BufferOffset even(BufferOffset n) { return n + (n & 1); }

}  // namespace

EditConversion convert_edit_text(std::string_view raw, const WrapRules& rules, std::uint32_t format_word,
                                 std::uint32_t tab_width, std::span<const std::uint32_t> raw_offsets) {
    EditConverter converter(raw, rules, format_word, tab_width, raw_offsets);
    return converter.run();
}

std::string edit_text_of_line(const Document& doc, std::uint32_t line) {
    const std::uint8_t* p = doc.line_pointer(line);
    LineScanner scan(p, MAX_LINE_SCAN);
    ScanItem item = scan.next();
    while (item.kind != ItemKind::LINE_END && item.kind != ItemKind::TEXT_END && item.kind != ItemKind::CUT)
        item = scan.next();
    std::string raw(reinterpret_cast<const char*>(p), item.column);
    if (item.kind == ItemKind::TEXT_END) raw.push_back(static_cast<char>(TEXT_END_MARK));
    else raw += "\r\n";
    return raw;
}

std::uint32_t stored_line_size(const Document& doc, std::uint32_t line) {
    LineScanner scan(doc.line_pointer(line), MAX_LINE_SCAN);
    ScanItem item = scan.next();
    while (item.kind != ItemKind::LINE_END && item.kind != ItemKind::TEXT_END && item.kind != ItemKind::CUT)
        item = scan.next();
    return even(item.column + 2);
}

EditConvertStatus place_edit_lines(Document& doc, std::uint32_t first, std::uint32_t replaced,
                                   const EditConversion& conv, const std::vector<std::uint32_t>& words) {
    if (conv.status != EditConvertStatus::OK) return conv.status;
    const auto produced = static_cast<std::uint32_t>(conv.lines.size());
    if (std::uint64_t{doc.lines.count()} - replaced + produced > MAX_LINES) return EditConvertStatus::TOO_MANY_LINES;

    std::uint64_t total = 0;
    for (const std::string& line : conv.lines) total += even(static_cast<BufferOffset>(line.size() + 2));

    // The run of replaced lines, when they lie one after another.
    bool contiguous = true;
    const BufferOffset region_start = doc.lines.start(first);
    BufferOffset region_end = region_start;
    for (std::uint32_t k = first; k < first + replaced; ++k) {
        if (doc.lines.start(k) != region_end) contiguous = false;
        region_end = doc.lines.start(k) + stored_line_size(doc, k);
    }
    const BufferOffset append = doc.buffer.append_position();
    BufferOffset at = append;
    bool moves_append = true;
    if (contiguous && region_end == append) {
        at = region_start;
    } else if (contiguous && total <= region_end - region_start) {
        at = region_start;
        moves_append = false;
    }
    if (moves_append) {
        if (!doc.buffer.reserve(static_cast<std::size_t>(total) + 2)) return EditConvertStatus::NO_BUFFER;
    }
    std::uint8_t* p = doc.buffer.pointer(at);
    if (p == nullptr) return EditConvertStatus::NO_BUFFER;

    std::vector<BufferOffset> starts;
    BufferOffset w = at;
    for (std::uint32_t k = 0; k < produced; ++k) {
        const std::string& line = conv.lines[k];
        std::uint8_t* q = doc.buffer.pointer(w);
        std::memcpy(q, line.data(), line.size());
        const bool last = k + 1 == produced;
        q[line.size()] = last && conv.text_end ? TEXT_END_MARK : LINE_END_MARK;
        q[line.size() + 1] = 0;
        const BufferOffset size = even(static_cast<BufferOffset>(line.size() + 2));
        if (size > line.size() + 2) q[line.size() + 2] = 0;
        starts.push_back(w);
        w += size;
    }
    if (moves_append) doc.buffer.set_append_position(w);

    const bool fully_loaded = doc.fully_loaded();
    const std::uint32_t old_end_line = doc.load.end.line();
    if (produced > replaced) insert_line_entries(doc, first + replaced, produced - replaced);
    if (produced < replaced) remove_line_entries(doc, first + replaced, replaced - produced);
    ++doc.generation;
    doc.cache.invalidate();
    for (std::uint32_t k = 0; k < produced; ++k) {
        doc.lines.set_start(first + k, starts[k]);
        doc.formats.set_word(first + k, k < words.size() ? words[k] : 0);
    }
    for (std::uint32_t k = 0; k < produced; ++k)
        doc.lines.set_display_lines(first + k, count_display_lines(doc, first + k));

    if (conv.text_end) {
        doc.load.end = TextPos(first + produced - 1, static_cast<std::uint32_t>(conv.lines.back().size()));
    } else if (fully_loaded && old_end_line >= first + replaced) {
        doc.load.end = TextPos(old_end_line + produced - replaced, doc.load.end.column());
    }
    return EditConvertStatus::OK;
}

EditConvertStatus rewrite_line_bytes(Document& doc, TextPos at, std::uint32_t old_length, std::string_view bytes,
                                     std::uint32_t tab_width) {
    const std::uint32_t line = at.line();
    if (line >= doc.lines.count()) return EditConvertStatus::NO_BUFFER;
    std::string raw = edit_text_of_line(doc, line);
    const std::size_t text_end = static_cast<std::uint8_t>(raw.back()) == TEXT_END_MARK ? raw.size() - 1 : raw.size() - 2;
    if (std::size_t{at.column()} + old_length > text_end) return EditConvertStatus::NO_BUFFER;
    if (bytes.size() == old_length) {
        std::memcpy(doc.buffer.pointer(doc.lines.start(line) + at.column()), bytes.data(), bytes.size());
        ++doc.generation;   // a copy of the line taken before is stale
        if (doc.cache.line == line) doc.cache.invalidate();
        return EditConvertStatus::OK;
    }
    raw.replace(at.column(), old_length, bytes);
    const std::uint32_t word = doc.formats.word(line);
    const EditConversion conv = convert_edit_text(raw, doc.rules, word, tab_width, {});
    if (conv.status == EditConvertStatus::OK && conv.lines.size() != 1) return EditConvertStatus::LINE_TOO_LONG;
    return place_edit_lines(doc, line, 1, conv, {word});
}

namespace {

// What must hold of one loaded line; "" when it does.
std::string check_line(const Document& doc, std::uint32_t line) {
    const std::uint32_t count = doc.lines.count();
    const std::string at = "line " + std::to_string(line) + ": ";
    if (doc.lines.start(line) & 1) return at + "odd start";
    if (doc.lines.start(line) >= doc.buffer.append_position()) return at + "starts beyond the append position";
    LineScanner scan(doc.line_pointer(line), MAX_LINE_SCAN);
    ScanItem item = scan.next();
    while (item.kind != ItemKind::LINE_END && item.kind != ItemKind::TEXT_END && item.kind != ItemKind::CUT)
        item = scan.next();
    if (item.kind == ItemKind::CUT) return at + "no end mark (or an open block)";
    if (item.column > LINE_BLOCK_LIMIT) return at + "longer than a position can address";
    const bool last = line + 1 == count;
    if ((item.kind == ItemKind::TEXT_END) != (last && doc.fully_loaded())) return at + "misplaced end of text";
    if (item.kind == ItemKind::TEXT_END && doc.load.end != TextPos(line, item.column))
        return at + "end position differs from the end mark";
    if (doc.lines.display_lines(line) < 1) return at + "no display line";
    if (doc.lines.display_lines(line) != count_display_lines(doc, line)) return at + "display-line count differs";
    return {};
}

std::string check_line_count(const Document& doc) {
    const std::uint32_t count = doc.lines.count();
    if (count == 0) return "no lines";
    if (count > MAX_LINES) return "too many lines";
    return {};
}

}  // namespace

std::string check_document_invariant(const Document& doc) {
    std::string bad = doc.lines.check_invariant(doc.buffer.append_position());
    if (bad.empty()) bad = check_line_count(doc);
    for (std::uint32_t line = 0; bad.empty() && line < doc.lines.count(); ++line) bad = check_line(doc, line);
    if (!bad.empty()) return bad;
    for (const IndexEntry& e : doc.index)
        if (doc.fully_loaded() && e.line >= doc.lines.count()) return "index entry beyond the loaded lines";
    return {};
}

std::string check_lines_invariant(const Document& doc, std::uint32_t first, std::uint32_t n) {
    std::string bad = check_line_count(doc);
    const std::uint32_t count = doc.lines.count();
    const std::uint32_t end = first < count ? first + std::min(n, count - first) : count;
    for (std::uint32_t line = first; bad.empty() && line < end; ++line) bad = check_line(doc, line);
    if (bad.empty() && end < count) bad = check_line(doc, count - 1);
    if (bad.empty() && doc.lines.total_display_lines() < count) return "fewer display lines than lines";
    return bad;
}

}  // namespace rix
