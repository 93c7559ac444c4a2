// The chunk converter, loading form (see convert.h for what it guarantees).
//
// One Converter runs per chunk. It walks the raw bytes once and writes the
// current logical line at the buffer's append position; the append position
// and the tables move only when a line is committed. A commit also takes a
// snapshot of everything the converter changes outside the line (record
// reader, tag serial, index entries, modified bits, carried flags); when the
// chunk ends inside a line, the snapshot is put back and the line's raw
// bytes are left for the next chunk.
//
// Ruby notation: the base of a ruby is what was written since the base
// start (RubyBaseState in notation.h: a kanji run, a ｜ that holds until the
// next ruby, the end of the previous ruby); it never reaches before the
// current line, never holds a ruby block and keeps at most its last 15
// cells. A ｜ is stored as text and removed when the ruby after it takes
// its base from there. A notation that cannot become a ruby (nothing
// collected, no base, no room) stays as text; so does an open delimiter that
// meets anything but a double-byte character before its close.
#include "document/convert.h"

#include <algorithm>
#include <cassert>
#include <cstring>

#include "document/display_lines.h"
#include "document/notation.h"
#include "document/storage.h"
#include "platform/codec.h"

namespace rix {
namespace {

constexpr std::size_t LINE_RESERVE = MAX_LINE_BYTES + 16;   // buffer room made ready for one line
constexpr std::uint8_t CR = 0x0D, LF = 0x0A, TAB = 0x09;

bool is_raw_lead(std::uint8_t b) { return is_lead_byte(b); }   // 0x81-0x9F, 0xE0-0xFC

class Converter {
public:
    Converter(Document& doc, DocumentState& state, const LoadOptions& options, ExtensionReader* records,
              ConvertCarry& carry, const ChunkInput& in, Questions& questions, Notices& notices)
        : doc_(doc), state_(state), options_(options), records_(records), carry_(carry), questions_(questions),
          notices_(notices),
          in_(reinterpret_cast<const std::uint8_t*>(in.bytes.data())), size_(in.bytes.size()),
          file_offset_(in.file_offset), final_(in.final),
          delimiters_(ruby_delimiters(options.ruby_notation, options.custom_delimiters)), lost_(in.lost) {}

    ChunkResult run();

private:
    struct Snapshot {
        ExtensionReaderState reader;
        std::uint32_t tag_serial = 0;
        std::size_t index_size = 0;
        std::uint8_t modified = 0;
        bool ruby_reading = false;
        bool at_file_line_start = true;
        TextForm form;
        LoadReport report;
        std::size_t lost_next = 0;   // a line converted again counts its lost characters again
    };

    // Reading raw bytes. A byte beyond the input of a chunk that is not the
    // last makes the current line unfinished.
    std::uint8_t raw(std::size_t k) {
        if (k < size_) return in_[k];
        if (!final_) short_ = true;
        return TEXT_END_MARK;
    }
    std::uint32_t column() const { return static_cast<std::uint32_t>(i_ - raw_line_start_); }

    Snapshot take_snapshot() const;
    void restore(const Snapshot& s);
    bool begin_line();
    void end_line(bool text_end, std::size_t resume_at);
    void refuse(std::string_view utf8, unsigned ms);
    ReportPlace place() const;
    void note(Conversion kind, std::uint64_t bytes);
    void note_lost_characters();

    bool step();
    void plain_run();
    void follow_base(const std::uint8_t* run, std::uint32_t length);
    bool try_info_line();
    void line_end(std::uint8_t x);
    void character(std::uint16_t code);
    void tab();
    void single(std::uint8_t x);
    void count_cell(std::uint16_t ch, std::size_t next);

    void write_due_records();
    void write_remaining_tags();
    void write_record(const PositionRecord& r);
    void refuse_record();
    std::uint32_t text_bytes() const { return n_ - record_bytes_; }
    std::uint32_t text_bound_from(std::size_t at) const;
    void redo_line(std::uint32_t text_needed);
    bool room(std::uint32_t bytes, std::size_t split_at);
    void put_double(std::uint16_t code, std::size_t next);
    void put_text(std::string_view bytes);

    void flush_collection();
    void finish_ruby();
    void ruby_overflow();
    std::uint32_t base_cells(std::uint32_t* start) const;

    Document& doc_;
    DocumentState& state_;
    const LoadOptions& options_;
    ExtensionReader* records_;
    ConvertCarry& carry_;
    Questions& questions_;
    Notices& notices_;
    const std::uint8_t* in_;
    std::size_t size_;
    std::uint64_t file_offset_;
    bool final_;
    RubyDelimiters delimiters_;
    const std::vector<LostCharacter>* lost_;
    std::size_t lost_next_ = 0;   // the next entry of lost_ not counted yet

    ChunkResult result_;
    Snapshot committed_;
    bool stop_ = false;           // refused or ended: leave the loop
    bool redo_ = false;           // the line is converted again from its start (redo_line)
    bool short_ = false;          // ran past the input: the current line is unfinished

    std::size_t i_ = 0;           // next raw byte
    std::size_t item_start_ = 0;  // raw index of the item being converted
    std::size_t raw_line_start_ = 0;   // raw index where the line's column 0 lies
    std::uint32_t line_ = 0;      // the logical line being built
    BufferOffset line_start_ = 0;
    std::uint8_t* p_ = nullptr;   // first byte of the line in the buffer
    std::uint32_t n_ = 0;         // bytes written to the line
    std::uint32_t record_bytes_ = 0;   // of them, blocks of the extension file's records
    std::uint32_t record_budget_ = LINE_BLOCK_LIMIT;   // block bytes the line's records may take
    int redone_ = 0;              // times the current line was converted again
    std::size_t line_refused_ = 0;     // records of the line not merged
    std::uint8_t marks_ = 0;
    std::uint32_t word_ = 0;      // line-format word
    std::uint32_t cells_ = 0;     // cells of the current display line
    std::uint32_t breaks_ = 0;    // display lines the line was broken into so far, less one
    bool exact_ = true;           // breaks_ is what the wrapper finds in the stored line (see end_line)
    std::uint32_t capacity_ = 1;
    bool first_display_ = true;
    bool pair_open_ = false;      // the last cell holds one single byte; a printable one may join it

    bool collecting_ = false;
    std::string collected_;
    std::size_t collect_start_ = 0;    // raw index of the opening delimiter
    RubyBaseState base_;               // where the next base begins (columns of the line)
};

Converter::Snapshot Converter::take_snapshot() const {
    Snapshot s;
    if (records_) s.reader = records_->save_state();
    s.tag_serial = doc_.load.tag_serial;
    s.index_size = doc_.index.size();
    s.modified = state_.modified;
    s.ruby_reading = carry_.ruby_reading;
    s.at_file_line_start = carry_.at_file_line_start;
    s.form = doc_.load.form;
    s.report = doc_.load.report;
    s.lost_next = lost_next_;
    return s;
}

void Converter::restore(const Snapshot& s) {
    if (records_) records_->restore_state(s.reader);
    doc_.load.tag_serial = s.tag_serial;
    doc_.index.resize(s.index_size);
    state_.modified = s.modified;
    carry_.ruby_reading = s.ruby_reading;
    carry_.at_file_line_start = s.at_file_line_start;
    doc_.load.form = s.form;
    doc_.load.report = s.report;
    lost_next_ = s.lost_next;
}

// Where the converter stands: the line being built and the character after
// those written to it.
ReportPlace Converter::place() const { return ReportPlace{line_ + 1, characters_in(p_, n_) + 1}; }

// A change to the file's text, here.
void Converter::note(Conversion kind, std::uint64_t bytes) {
    LoadReport& r = doc_.load.report;
    r.count(kind, bytes, r.first.line == 0 ? place() : ReportPlace{});
    state_.modified |= MODIFIED_TEXT | MODIFIED_CONVERTED;
}

// The lost characters whose 〓 stands before the next raw byte.
void Converter::note_lost_characters() {
    while (lost_ && lost_next_ < lost_->size() && (*lost_)[lost_next_].at <= i_) {
        LoadReport& r = doc_.load.report;
        r.count_unmappable((*lost_)[lost_next_++].ch, r.unmappable == 0 ? place() : ReportPlace{});
        state_.modified |= MODIFIED_TEXT | MODIFIED_CONVERTED;
    }
}

void Converter::refuse(std::string_view utf8, unsigned ms) {
    notices_.add(std::string(utf8), ms);
    result_.refused = true;
    carry_.stopped = true;
    stop_ = true;
}

bool Converter::begin_line() {
    line_ = doc_.lines.count();
    line_start_ = doc_.buffer.append_position();
    if (!doc_.buffer.reserve(LINE_RESERVE) || !doc_.buffer.pointer(line_start_)) {
        refuse("テキストバッファーを拡大出来ません。", 4000);
        return false;
    }
    p_ = doc_.buffer.pointer(line_start_);
    n_ = 0;
    record_bytes_ = 0;
    line_refused_ = 0;
    const LineRecord* rec = records_ ? records_->begin_line(line_) : nullptr;
    marks_ = rec ? rec->marks : 0;
    word_ = rec ? rec->format_word : 0;
    cells_ = 0;
    breaks_ = 0;
    exact_ = true;
    first_display_ = true;
    capacity_ = line_capacity(doc_.rules, word_, true);
    pair_open_ = false;
    base_ = RubyBaseState{};
    return true;
}

// Writes the end mark, enters the line in the tables and commits; the next
// line's raw bytes begin at `resume_at`.
void Converter::end_line(bool text_end, std::size_t resume_at) {
    if (stop_) return;
    if (!text_end && line_ + 1 >= MAX_LINES) {
        restore(committed_);
        refuse("行数が上限の65536行に達したため、\nこれより後は読込めません｡\n"
               "保存しても読込めなかった部分は\n元のまま残ります｡",
               6000);
        return;
    }
    p_[n_] = text_end ? TEXT_END_MARK : LINE_END_MARK;
    p_[n_ + 1] = 0;
    BufferOffset next = line_start_ + n_ + 2;
    if (next & 1) p_[n_ + 2] = 0, ++next;
    doc_.lines.append(line_start_, marks_, 1);
    doc_.formats.set_word(line_, word_);
    // The cells counted while converting break the line as the wrapper breaks the
    // stored line as long as every character was stored as it was read, with
    // the same character after it; anything else (see the exact_ = false) has
    // the wrapper count the stored line.
    const std::uint32_t display_lines = exact_ ? breaks_ + 1 : count_display_lines(doc_, line_);
    assert(display_lines == count_display_lines(doc_, line_));
    doc_.lines.set_display_lines(line_, display_lines);
    doc_.buffer.set_append_position(next);
    if (text_end) {
        doc_.load.end = TextPos(line_, n_);
        result_.text_ended = true;
        stop_ = true;
    }
    if (line_refused_ > 0) carry_.refused_records[file_offset_ + raw_line_start_] = line_refused_;
    result_.consumed = resume_at;
    record_budget_ = LINE_BLOCK_LIMIT;
    redone_ = 0;
    committed_ = take_snapshot();
    raw_line_start_ = resume_at;
    if (!text_end) begin_line();
}

// Makes room for `bytes` more characters in the line, splitting it before
// raw index `split_at` when they do not fit. The blocks of the extension
// file's records never cause a split: when they crowd out text that would
// fit, the line is converted again with fewer of them. False when the load
// stopped or the line is converted again.
bool Converter::room(std::uint32_t bytes, std::size_t split_at) {
    if (stop_) return false;
    if (text_bytes() + bytes <= LINE_TEXT_LIMIT) {
        if (n_ + bytes <= LINE_BLOCK_LIMIT) return true;
        if (redone_ < 2) {
            redo_line(text_bytes() + bytes);
            return false;
        }
    }
    note(Conversion::LINE_SPLIT, 2);
    carry_.at_file_line_start = false;
    exact_ = false;   // the last character was counted with the text after it
    end_line(false, split_at);
    return !stop_;
}

void Converter::count_cell(std::uint16_t ch, std::size_t next) {
    ++cells_;
    if (cells_ < capacity_) return;
    std::uint8_t nx = raw(next);
    if (nx == LF) nx = LINE_END_MARK;
    if (nx == CR && raw(next + 1) == LF) nx = LINE_END_MARK;
    std::uint8_t nt = is_stored_lead(nx) ? raw(next + 1) : 0;
    // A ruby block goes before its base: the character after the base is not the delimiter.
    if (carry_.ruby_reading && (nx << 8 | nt) == delimiters_.open) exact_ = false;
    if (may_break_after(doc_.rules, cells_, ch, nx, nt)) {
        ++breaks_;
        cells_ = 0;
        if (first_display_) {
            first_display_ = false;
            capacity_ = line_capacity(doc_.rules, word_, false);
        }
    }
}

void Converter::put_double(std::uint16_t code, std::size_t next) {
    if (!room(2, item_start_)) return;
    p_[n_++] = static_cast<std::uint8_t>(code >> 8);
    p_[n_++] = static_cast<std::uint8_t>(code);
    pair_open_ = false;
    count_cell(code, next);
}

// Text from a notation that did not become a ruby: double-byte characters.
void Converter::put_text(std::string_view bytes) {
    exact_ = false;
    for (std::size_t k = 0; k + 1 < bytes.size() && !stop_; k += 2) {
        auto code = static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes[k]) << 8 |
                                               static_cast<std::uint8_t>(bytes[k + 1]));
        p_[n_++] = static_cast<std::uint8_t>(code >> 8);
        p_[n_++] = static_cast<std::uint8_t>(code);
        pair_open_ = false;
        count_cell(code, i_);
    }
}

// The bytes of stored text the rest of the line from raw index `at` can
// need at most: two for every byte (a lone lead byte becomes 〓), a tab's
// full-width spaces, the text before `at`; never more than a line holds.
std::uint32_t Converter::text_bound_from(std::size_t at) const {
    std::uint64_t bound = text_bytes();
    const std::uint64_t tab_bytes = 2 * std::uint64_t{options_.tab_width ? options_.tab_width : 1};
    for (std::size_t k = at; k < size_ && bound < LINE_TEXT_LIMIT; ++k) {
        const std::uint8_t x = in_[k];
        if (x == CR || x == LF || x == TEXT_END_MARK) break;
        bound += x == TAB ? tab_bytes : 2;
    }
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(bound, LINE_TEXT_LIMIT));
}

// The records of the line took the room its text needs (`text_needed` bytes
// so far): the line is converted again from its start, its records kept
// within what the text leaves: first what the rest of the raw line can
// need, then, should that still not do, what the longest text leaves.
void Converter::redo_line(std::uint32_t text_needed) {
    const std::uint32_t bound = std::max(text_needed, text_bound_from(i_));
    record_budget_ = LINE_BLOCK_LIMIT - (redone_ == 0 ? bound : LINE_TEXT_LIMIT);
    ++redone_;
    // From the last committed line end: line-information lines consumed
    // since are read again, as after a chunk boundary.
    restore(committed_);
    i_ = result_.consumed;
    raw_line_start_ = result_.consumed;
    collecting_ = false;
    collected_.clear();
    redo_ = true;
    stop_ = true;
}

// A record that does not fit beside its line's text is not merged. The
// writer is told once a load; the count is kept by the file offset of the
// line so that a line converted again does not count twice.
void Converter::refuse_record() {
    ++line_refused_;
    if (carry_.refusal_told) return;
    carry_.refusal_told = true;
    notices_.add("行" + std::to_string(line_ + 1) +
                            "のルビ・タグが多すぎて行に収まらないため､\n拡張ファイルのその分を読込みませんでした｡\n"
                            "本文はそのままです｡",
                        6000);
}

void Converter::write_record(const PositionRecord& r) {
    exact_ = false;
    std::uint32_t len = static_cast<std::uint32_t>(r.text.size()) + (r.kind == PositionKind::RUBY ? 3 : 6);
    if (record_bytes_ + len > record_budget_ || n_ + len > LINE_BLOCK_LIMIT) return refuse_record();
    std::uint8_t* q = p_ + n_;
    if (r.kind == PositionKind::RUBY) {
        *q++ = RUBY_MARK;
        *q++ = r.param;
        std::memcpy(q, r.text.data(), r.text.size());
        q += r.text.size();
        *q++ = RUBY_MARK;
    } else {
        std::uint32_t serial = doc_.load.tag_serial++;
        *q++ = TAG_MARK;
        *q++ = static_cast<std::uint8_t>(serial >> 8);
        *q++ = static_cast<std::uint8_t>(serial);
        *q++ = storable_tag_size_byte(r.attr1);
        *q++ = storable_tag_size_byte(r.attr2);
        std::memcpy(q, r.text.data(), r.text.size());
        q += r.text.size();
        *q++ = TAG_MARK;
    }
    n_ += len;
    record_bytes_ += len;
    pair_open_ = false;
}

// Rubies and tags of the extension file due at the current column, in the
// order they were stored. A notation being collected is given up first.
void Converter::write_due_records() {
    if (!records_) return;
    if (collecting_) {
        ExtensionReaderState before = records_->save_state();
        bool due = records_->next_due(column()) != nullptr;
        records_->restore_state(before);
        if (!due) return;
        flush_collection();
        if (stop_) return;
    }
    while (const PositionRecord* r = records_->next_due(column())) write_record(*r);
}

// At a line end every tag still due in the line is written; a ruby cannot
// stand there and is passed over.
void Converter::write_remaining_tags() {
    if (!records_) return;
    while (const PositionRecord* r = records_->next_tag_due(UINT32_MAX)) write_record(*r);
}

void Converter::flush_collection() {
    if (!collecting_) return;
    collecting_ = false;
    std::string text = std::string{static_cast<char>(delimiters_.open >> 8), static_cast<char>(delimiters_.open)};
    text += collected_;
    if (!room(static_cast<std::uint32_t>(text.size()), collect_start_)) return;
    put_text(text);
}

// Cells of the base (what was written since the base start), moving *start
// past any ruby block and then forward until at most 15 cells remain.
std::uint32_t Converter::base_cells(std::uint32_t* start) const {
    // The starts of the last cells, in a ring one longer than a base may be.
    constexpr std::size_t RING = MAX_RUBY_BASE_CELLS + 1;
    std::uint32_t ring[RING];
    std::size_t cells = 0;
    std::uint32_t from = *start;
    LineScanner scan(p_ + from, n_ - from);
    for (;;) {
        ScanItem item = scan.next();
        if (item.kind == ItemKind::CUT || item.kind == ItemKind::LINE_END || item.kind == ItemKind::TEXT_END) break;
        if (item.kind == ItemKind::RUBY) cells = 0, from = *start + item.column + item.length;
        if (item.kind == ItemKind::DOUBLE || item.kind == ItemKind::SINGLE || item.kind == ItemKind::PAIR)
            ring[cells++ % RING] = *start + item.column;
    }
    if (cells > MAX_RUBY_BASE_CELLS) {
        from = ring[(cells - MAX_RUBY_BASE_CELLS) % RING];
        cells = MAX_RUBY_BASE_CELLS;
    }
    *start = from;
    return static_cast<std::uint32_t>(cells);
}

void Converter::finish_ruby() {
    collecting_ = false;
    std::string open{static_cast<char>(delimiters_.open >> 8), static_cast<char>(delimiters_.open)};
    std::string close{static_cast<char>(delimiters_.close >> 8), static_cast<char>(delimiters_.close)};
    std::uint32_t start = std::min(base_.base, n_);
    std::uint32_t cells = collected_.empty() ? 0 : base_cells(&start);
    auto block = static_cast<std::uint32_t>(collected_.size() + 3);
    if (cells == 0 || n_ + block > LINE_BLOCK_LIMIT) {
        std::string text = open + collected_ + close;
        if (room(static_cast<std::uint32_t>(text.size()), collect_start_)) put_text(text);
        base_.ruby_closed(n_);
        return;
    }
    if (base_.bar_taken_by(start)) {
        // The ｜ marked this base: it goes.
        std::memmove(p_ + base_.bar, p_ + base_.bar + 2, n_ - base_.bar - 2);
        start -= 2;
        n_ -= 2;
        if (cells_ > 0) --cells_;
        exact_ = false;
    }
    std::memmove(p_ + start + block, p_ + start, n_ - start);
    p_[start] = RUBY_MARK;
    p_[start + 1] = static_cast<std::uint8_t>((options_.ruby_allotment & 0x0F) << 4 | cells);
    std::memcpy(p_ + start + 2, collected_.data(), collected_.size());
    p_[start + block - 1] = RUBY_MARK;
    n_ += block;
    state_.modified |= MODIFIED_TEXT | MODIFIED_EXTENSION;
    if (!state_.downloaded) state_.modified |= MODIFIED_CONVERTED;
    base_.ruby_closed(n_);
}

// More than 24 characters collected: the notation stays text and the user
// says whether to go on reading rubies. An answer is kept by the file offset
// of the delimiter, so a line read again after a chunk boundary asks once.
void Converter::ruby_overflow() {
    std::string text = collected_;
    std::uint32_t line_number = line_ + 1;
    flush_collection();
    std::uint64_t key = file_offset_ + collect_start_;
    bool go_on;
    auto found = carry_.answers.find(key);
    if (found != carry_.answers.end()) {
        go_on = found->second;
    } else {
        std::string msg = "『" + sjis_to_utf8(text) + "』\n\n行" + std::to_string(line_number) +
                          "で上のルビの長さが制限" + std::to_string(MAX_RUBY_TEXT / 2) +
                          "を超えました。\n区分終端記号が見付からないので\nこのルビは変換出来ません。\n\n"
                          "この後もルビの変換を実行しますか？";
        go_on = questions_.yes_no(msg);
        carry_.answers[key] = go_on;
    }
    if (!go_on) carry_.ruby_reading = false;
}

// A double-byte character (after the due records).
void Converter::character(std::uint16_t code) {
    std::size_t next = i_;
    if (carry_.ruby_reading) {
        if (collecting_) {
            if (code == delimiters_.close) return finish_ruby();
            collected_.push_back(static_cast<char>(code >> 8));
            collected_.push_back(static_cast<char>(code));
            if (collected_.size() > MAX_RUBY_TEXT) ruby_overflow();
            return;
        }
        if (code == delimiters_.open) {
            collecting_ = true;
            collected_.clear();
            collect_start_ = item_start_;
            return;
        }
        put_double(code, next);
        if (stop_) return;
        if (code == CODE_VERTICAL_BAR) base_.bar_at(n_ - 2);
        else base_.character(code, n_ - 2);
        return;
    }
    put_double(code, next);
}

// A tab becomes full-width spaces up to the next tab stop when the display
// line has room for a whole stop; otherwise it is dropped.
void Converter::tab() {
    exact_ = false;
    flush_collection();
    if (stop_) return;
    note(Conversion::TAB, 1);
    std::uint64_t t = options_.tab_width ? options_.tab_width : 1;
    if (t + cells_ + 1 >= capacity_) return;
    auto k = static_cast<std::uint32_t>(t - cells_ % t);
    std::uint32_t line_before = line_;
    if (!room(2 * k, item_start_)) return;
    exact_ = false;
    if (line_ != line_before) {
        // The line was split: the tab stands at the start of a fresh one.
        if (t + 1 >= capacity_) return;
        k = static_cast<std::uint32_t>(t);
    }
    for (std::uint32_t s = 0; s < k; ++s) {
        p_[n_++] = static_cast<std::uint8_t>(CODE_FULL_WIDTH_SPACE >> 8);
        p_[n_++] = static_cast<std::uint8_t>(CODE_FULL_WIDTH_SPACE);
    }
    cells_ += k;
    pair_open_ = false;
}

void Converter::single(std::uint8_t x) {
    exact_ = false;
    flush_collection();
    if (!room(1, item_start_)) return;
    exact_ = false;   // (again: the room may have been a new line)
    p_[n_++] = x;
    if (pair_open_ && is_printable_single(x)) {
        pair_open_ = false;   // the second half of a cell counted with its first
        return;
    }
    pair_open_ = true;
    count_cell(x, i_ + (is_printable_single(raw(i_)) ? 1 : 0));
}

void Converter::line_end(std::uint8_t x) {
    flush_collection();
    if (stop_) return;
    base_.break_run();
    if (x == CR && raw(i_) != LF) {
        // A lone CR is kept inside the line.
        if (short_) return;
        if (records_)
            while (const PositionRecord* r = records_->next_tag_due(column() - 1)) write_record(*r);
        exact_ = false;
        if (!room(1, item_start_)) return;
        exact_ = false;
        p_[n_++] = CR;
        pair_open_ = false;
        count_cell(CR, i_);
        return;
    }
    if (x == CR) ++i_;   // the LF after it
    // The file's first line end sets its kind; one of the other kind is a change.
    const LineEndStyle style = x == CR ? LineEndStyle::CR_LF : LineEndStyle::LF;
    TextForm& form = doc_.load.form;
    if (!form.line_end_known) {
        form.line_end = style;
        form.line_end_known = true;
    } else if (style != form.line_end) {
        note(Conversion::LINE_END, 1);
    }
    write_remaining_tags();
    carry_.at_file_line_start = true;
    end_line(false, i_);
}

// A line of the file that is a line-information line is consumed whole when
// its reading is on. False when the line is text (or unfinished).
bool Converter::try_info_line() {
    const std::string& sym = options_.line_id_symbol;
    if (!(options_.read_index || options_.read_line_info) || sym.size() != 2) return false;
    if (raw(i_) != static_cast<std::uint8_t>(sym[0]) || raw(i_ + 1) != static_cast<std::uint8_t>(sym[1]))
        return false;
    std::size_t end = i_;
    while (end - i_ <= INFO_LINE_MAX_BYTES) {
        std::uint8_t b = raw(end);
        if (short_ || b == CR || b == LF || b == TEXT_END_MARK) break;
        ++end;
    }
    if (short_ || end - i_ > INFO_LINE_MAX_BYTES) return false;
    std::size_t after = end;
    if (raw(end) == CR) {
        if (raw(end + 1) != LF) return false;   // a lone CR: not a line of its own
        after = end + 2;
    } else if (raw(end) == LF) {
        after = end + 1;
    }
    if (short_) return false;
    InfoLine info;
    std::string_view line(reinterpret_cast<const char*>(in_ + i_), end - i_);
    if (!parse_info_line(line, sym, &info)) return false;
    bool used = false;
    if (options_.read_index && info.has_index) {
        doc_.index.push_back(IndexEntry{line_, info.level, info.title});
        used = true;
    }
    if (options_.read_line_info && info.has_info) {
        marks_ = info.marks;
        word_ = info.format_word;
        capacity_ = line_capacity(doc_.rules, word_, true);
        used = true;
    }
    if (!used) return false;
    state_.modified |= MODIFIED_TEXT | MODIFIED_EXTENSION | MODIFIED_CONVERTED;
    i_ = after;
    raw_line_start_ = after;
    return true;
}

// A run of plain double-byte characters, the bulk of most text, in one tight
// loop: each is stored as it is, its cell counted and the ruby base followed,
// as character() would. The run ends before anything else (line ends,
// markers, tabs, a ruby delimiter or ｜, a due record, the last cell of a
// display line where the break rule decides, the limits of a line, the end
// of the input); step() takes it from there.
void Converter::plain_run() {
    const std::size_t record_at = records_ ? raw_line_start_ + records_->next_column() : SIZE_MAX;
    const std::size_t lost_at = lost_ && lost_next_ < lost_->size() ? (*lost_)[lost_next_].at : SIZE_MAX;
    const std::size_t end =
        std::min({size_ > 0 ? size_ - 1 : 0, record_at, lost_at, raw_line_start_ + RAW_LINE_SPLIT - 2});
    const std::uint8_t* in = in_;
    if (collecting_) {
        // Ruby text: collected as it was read, up to the close delimiter and
        // without passing the limit (the character that would is step()'s).
        const std::uint16_t close = delimiters_.close;
        const std::size_t room = MAX_RUBY_TEXT - std::min(collected_.size(), MAX_RUBY_TEXT);
        std::size_t i = i_;
        while (i < end && i + 2 - i_ <= room) {
            const std::uint8_t lead = in[i], trail = in[i + 1];
            if (!is_stored_lead(lead) || !is_trail_byte(trail) || (lead << 8 | trail) == close) break;
            i += 2;
        }
        collected_.append(reinterpret_cast<const char*>(in + i_), i - i_);
        i_ = i;
        return;
    }
    const bool reading = carry_.ruby_reading;
    const std::uint16_t open = delimiters_.open;
    const std::uint32_t capacity = capacity_;
    const std::size_t from = i_;
    std::size_t i = i_;
    std::uint32_t cells = cells_;
    const std::uint32_t limit = std::min(LINE_TEXT_LIMIT + record_bytes_, LINE_BLOCK_LIMIT);
    while (i < end && n_ + (i - from) + 2 <= limit && cells + 1 < capacity) {
        const std::uint8_t lead = in[i], trail = in[i + 1];
        if (!is_stored_lead(lead) || !is_trail_byte(trail)) break;
        const auto code = static_cast<std::uint16_t>(lead << 8 | trail);
        if (reading && (code == open || code == CODE_VERTICAL_BAR)) break;
        i += 2;
        ++cells;
    }
    if (i == from) return;
    // The run is stored as it was read.
    const auto length = static_cast<std::uint32_t>(i - from);
    std::memcpy(p_ + n_, in + from, length);
    if (reading) follow_base(in + from, length);
    i_ = i;
    n_ += length;
    cells_ = cells;
    pair_open_ = false;
}

// RubyBaseState::character for every character of a plain run (`run`,
// `length` bytes, to be stored at n_), worked out from its end: the base
// begins where the last kanji run that began within it begins.
void Converter::follow_base(const std::uint8_t* run, std::uint32_t length) {
    auto kanji_at = [run](std::uint32_t k) {
        return is_kanji_run_char(static_cast<std::uint16_t>(run[k] << 8 | run[k + 1]));
    };
    std::uint32_t k = length;
    while (k > 0 && !kanji_at(k - 2)) k -= 2;   // past the characters after the last kanji
    const bool ends_in_kanji = k == length;
    if (k > 0) {
        while (k > 0 && kanji_at(k - 2)) k -= 2;   // to the first kanji of that run
        const bool began_here = k > 0 || !base_.run;
        if (began_here && !base_.pinned) base_.base = n_ + k;
    }
    base_.run = ends_in_kanji;
}

// Converts one item of the raw text. False when the loop ends.
bool Converter::step() {
    if (carry_.at_file_line_start && n_ == 0) {
        if (try_info_line()) return !short_;
        if (short_) return false;
        carry_.at_file_line_start = false;
    }
    plain_run();
    note_lost_characters();
    item_start_ = i_;
    if (i_ >= size_ && !final_) return false;
    std::uint8_t x = i_ < size_ ? in_[i_] : TEXT_END_MARK;
    if (x == CR || x == LF) {
        ++i_;
        line_end(x);
    } else if (x == TEXT_END_MARK) {
        flush_collection();
        write_remaining_tags();
        end_line(true, std::min(i_ + 1, size_));
        return false;
    } else if (x > IGNORED_MARK || (x == IGNORED_MARK && !is_trail_byte(raw(i_ + 1)))) {
        ++i_;   // a marker byte standing alone: dropped
        exact_ = false;
        note(Conversion::DROPPED_BYTE, 1);
    } else {
        write_due_records();
        if (stop_) return false;
        if (is_raw_lead(x)) {
            std::uint8_t trail = raw(i_ + 1);
            if (short_) return false;
            std::uint16_t code;
            if (is_trail_byte(trail) && x != IGNORED_MARK) {
                code = static_cast<std::uint16_t>(x << 8 | trail);
                i_ += 2;
            } else {
                // A 0xFC character, or a lead byte without its trail byte.
                code = GETA_CODE;
                const std::uint32_t bytes = is_trail_byte(trail) ? 2 : 1;
                i_ += bytes;
                exact_ = false;
                note(Conversion::LONE_LEAD, bytes);
            }
            character(code);
        } else if (x == TAB) {
            ++i_;
            tab();
        } else {
            ++i_;
            single(x);
        }
    }
    if (stop_ || short_) return false;
    if (column() >= RAW_LINE_SPLIT) {
        flush_collection();
        if (column() >= RAW_LINE_SPLIT && !stop_) {
            note(Conversion::LINE_SPLIT, 2);
            carry_.at_file_line_start = false;
            exact_ = false;
            end_line(false, i_);
        }
    }
    return !stop_ && !short_;
}

ChunkResult Converter::run() {
    committed_ = take_snapshot();
    if (carry_.stopped || !begin_line()) return result_;
    for (;;) {
        while (step()) {
        }
        if (!redo_) break;
        redo_ = false;
        stop_ = false;
        if (!begin_line()) break;
    }
    if (!result_.text_ended && !result_.refused) restore(committed_);
    return result_;
}

}  // namespace

std::uint32_t characters_in(const std::uint8_t* line, std::uint32_t bytes) {
    std::uint32_t chars = 0;
    LineScanner scan(line, bytes);
    for (ScanItem item = scan.next(); item.kind != ItemKind::CUT; item = scan.next()) {
        if (item.kind == ItemKind::DOUBLE || item.kind == ItemKind::SINGLE) ++chars;
        if (item.kind == ItemKind::PAIR) chars += 2;
        if (item.kind == ItemKind::LINE_END || item.kind == ItemKind::TEXT_END) break;
    }
    return chars;
}

ChunkResult convert_chunk(Document& doc, DocumentState& state, const LoadOptions& options,
                          ExtensionReader* records, ConvertCarry& carry, const ChunkInput& in, Questions& questions, Notices& notices) {
    Converter converter(doc, state, options, records, carry, in, questions, notices);
    return converter.run();
}

}  // namespace rix
