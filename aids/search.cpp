// The search engine, find and replace, and the readers of the text at the
// cursor (see search.h).
#include "aids/search.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <optional>
#include <vector>

#include "document/display_lines.h"
#include "document/storage.h"
#include "editing/cursor.h"
#include "editing/dispatch.h"
#include "editing/edit_text.h"
#include "platform/codec.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace rix {

namespace {

bool is_end(ItemKind k) { return k == ItemKind::LINE_END || k == ItemKind::TEXT_END || k == ItemKind::CUT; }

// The stored bytes of one loaded line before its end mark.
struct LineBytes {
    const std::uint8_t* p = nullptr;
    std::uint32_t length = 0;     // bytes before the end mark (or before the scan limit)
    std::size_t available = 0;    // bytes that may be read from p
};

// The first byte at or after `from` and below `end` that may be structure
// rather than character: 0x1A or 0xFD-0xFF (no lead or trail byte of a stored
// character is one of them). `end` when there is none.
std::size_t next_structure_byte(const std::uint8_t* p, std::size_t from, std::size_t end) {
    std::size_t i = from;
#if defined(__SSE2__)
    const __m128i text_end = _mm_set1_epi8(static_cast<char>(TEXT_END_MARK));
    const __m128i marks = _mm_set1_epi8(static_cast<char>(TAG_MARK));
    for (; i + 16 <= end; i += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const __m128i at_least_fd = _mm_cmpeq_epi8(_mm_max_epu8(x, marks), x);
        const int hits = _mm_movemask_epi8(_mm_or_si128(at_least_fd, _mm_cmpeq_epi8(x, text_end)));
        if (hits != 0) return i + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(hits)));
    }
#endif
    for (; i < end; ++i)
        if (p[i] >= TAG_MARK || p[i] == TEXT_END_MARK) return i;
    return end;
}

// The line's end the way LineScanner finds it, for stored text: characters
// are passed in bulk, a block from its opening mark to the same mark again
// (its parameter or serial bytes unexamined), and the line ends at 0xFE,
// 0x1A, or where a block is not closed within the bytes available.
LineBytes line_bytes(const Document& doc, std::uint32_t line) {
    LineBytes out;
    const BufferOffset start = doc.lines.start(line);
    const BufferOffset append = doc.buffer.append_position();
    if (start >= append) return out;
    out.p = doc.buffer.pointer(start);
    out.available = std::min<std::size_t>(append - start, MAX_LINE_SCAN);
    // Most lines hold no tag and end at their first 0xFE; only a ruby's
    // parameter byte (just after its opening mark) could be one before that,
    // and only the text's last line holds the end mark 0x1A.
    if (line + 1 < doc.lines.count()) {
        const void* fe = std::memchr(out.p, LINE_END_MARK, out.available);
        const std::size_t e = fe ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(fe) - out.p) : 0;
        if (fe != nullptr && (e == 0 || out.p[e - 1] != RUBY_MARK) && !std::memchr(out.p, TAG_MARK, e)) {
            out.length = static_cast<std::uint32_t>(e);
            return out;
        }
    }
    std::size_t pos = 0;
    for (;;) {
        const std::size_t k = next_structure_byte(out.p, pos, out.available);
        out.length = static_cast<std::uint32_t>(k);
        if (k >= out.available) return out;
        const std::uint8_t mark = out.p[k];
        if (mark == LINE_END_MARK || mark == TEXT_END_MARK) return out;
        const std::size_t first = k + (mark == RUBY_MARK ? 2 : 3);
        if (first >= out.available) return out;
        const void* close = std::memchr(out.p + first, mark, out.available - first);
        if (close == nullptr) return out;
        pos = static_cast<std::size_t>(static_cast<const std::uint8_t*>(close) - out.p) + 1;
    }
}

// A search text with its skip table (built once for a whole walk): a
// Horspool search over the pairs of bytes that end each window.
class Needle {
public:
    explicit Needle(std::string_view text) : n_(reinterpret_cast<const std::uint8_t*>(text.data())), m_(text.size()) {
        if (m_ < 3) return;
        const std::size_t m1 = m_ - 1;
        for (std::size_t i = 1; i < m1; ++i) shift_[hash(n_ + i)] = static_cast<std::uint8_t>(i);
        const std::uint8_t h = hash(n_ + m1);
        shift1_ = m1 - shift_[h];
        shift_[h] = static_cast<std::uint8_t>(m1);
    }
    std::size_t size() const { return m_; }
    bool empty() const { return m_ == 0; }

    // The first occurrence in [h, h + length), or -1.
    std::int64_t find(const std::uint8_t* h, std::size_t length) const {
        if (m_ > length) return -1;
        if (m_ < 3) return find_substring(h, length, n_, m_);
        const std::size_t m1 = m_ - 1;
        const std::uint8_t* const last = h + length - m_;   // the last window start
        const std::uint8_t* w = h;                           // the window start
        while (w <= last) {
            // Pass windows whose last pair of bytes the needle does not hold.
            std::size_t at;
            do {
                w += m1;
                at = shift_[hash(w)];
            } while (at == 0 && w <= last);
            w -= at;
            if (at < m1) continue;
            if (w <= last && std::memcmp(w, n_, m_) == 0) return w - h;
            w += shift1_;
        }
        return -1;
    }

private:
    // Two bytes, the one at p and the one before it, folded into a table index.
    static std::uint8_t hash(const std::uint8_t* p) {
        return static_cast<std::uint8_t>(static_cast<unsigned>(p[0]) - (static_cast<unsigned>(p[-1]) << 3));
    }

    const std::uint8_t* n_;
    std::size_t m_;
    std::uint8_t shift_[256] = {};   // the last position 1..m-1 of a pair per hash; 0 = none
    std::size_t shift1_ = 1;         // the step after a failed comparison
};

// Judges columns of one line, asked in increasing order: whether a
// character starts there (the second of a half-width pair included), outside
// every block.
class CharacterStarts {
public:
    explicit CharacterStarts(const LineBytes& line) : scan_(line.p, line.available) {}
    bool at(std::uint32_t col) {
        for (;;) {
            if (!have_) {
                item_ = scan_.next();
                have_ = true;
            }
            if (is_end(item_.kind)) return false;
            if (col < item_.column + item_.length) break;
            have_ = false;
        }
        if (col < item_.column) return false;
        switch (item_.kind) {
            case ItemKind::DOUBLE:
            case ItemKind::SINGLE: return col == item_.column;
            case ItemKind::PAIR: return col == item_.column || col == item_.column + 1;
            default: return false;
        }
    }

private:
    LineScanner scan_;
    ScanItem item_{};
    bool have_ = false;
};

// A search text: whole characters only (a trailing lone lead byte is dropped).
std::string_view whole_characters(std::string_view text) {
    std::size_t k = 0;
    while (k < text.size()) {
        const auto b = static_cast<std::uint8_t>(text[k]);
        if (is_stored_lead(b)) {
            if (k + 1 >= text.size()) break;
            k += 2;
        } else {
            ++k;
        }
    }
    return text.substr(0, k);
}

// The first match at or after `from` that starts a character; -1 when none.
std::int64_t first_match(const LineBytes& line, const Needle& needle, std::uint32_t from) {
    if (line.p == nullptr || needle.empty()) return -1;
    std::optional<CharacterStarts> starts;
    std::size_t pos = from;
    while (pos + needle.size() <= line.length) {
        const std::int64_t hit = needle.find(line.p + pos, line.length - pos);
        if (hit < 0) return -1;
        const std::uint32_t col = static_cast<std::uint32_t>(pos + static_cast<std::size_t>(hit));
        if (!starts) starts.emplace(line);
        if (starts->at(col)) return col;
        pos = col + 1;
    }
    return -1;
}

// The last match starting before `limit` that starts a character; -1 when none.
std::int64_t last_match(const LineBytes& line, const Needle& needle, std::uint32_t limit) {
    if (line.p == nullptr || needle.empty()) return -1;
    std::optional<CharacterStarts> starts;
    std::int64_t best = -1;
    std::size_t pos = 0;
    while (pos < limit && pos + needle.size() <= line.length) {
        const std::int64_t hit = needle.find(line.p + pos, line.length - pos);
        if (hit < 0) break;
        const std::uint32_t col = static_cast<std::uint32_t>(pos + static_cast<std::size_t>(hit));
        if (col >= limit) break;
        if (!starts) starts.emplace(line);
        if (starts->at(col)) best = col;
        pos = col + 1;
    }
    return best;
}

// Makes `line` a loaded line when the document can be loaded that far.
bool ensure_line(EditContext& c, std::uint32_t line) {
    while (line >= c.doc.lines.count()) {
        if (c.doc.fully_loaded() || c.session == nullptr) return false;
        if (!load_more(c.doc, c.state, *c.session, &c.notices)) return line < c.doc.lines.count();
    }
    return true;
}

void load_everything(EditContext& c) {
    if (c.session == nullptr) return;
    while (!c.doc.fully_loaded() && load_more(c.doc, c.state, *c.session, &c.notices)) {
    }
}

SeekResult found_at(Document& doc, TextPos pos) {
    SeekResult r;
    r.found = true;
    r.pos = pos;
    r.display_line = document_display_line(doc, pos);
    return r;
}

SeekResult seek_mark(EditContext& c, bool forward, std::int64_t value) {
    const auto mask = static_cast<std::uint8_t>(value & 0x0F);
    const std::uint32_t from = c.edit.cursor.pos.line();
    if (mask == 0 || value < 0) return {};
    if (forward) {
        for (std::uint32_t l = from + 1; l < MAX_LINES && ensure_line(c, l); ++l)
            if (c.doc.lines.marks(l) & mask) return found_at(c.doc, TextPos(l, 0));
    } else {
        for (std::uint32_t l = std::min(from, c.doc.lines.count()); l-- > 0;)
            if (c.doc.lines.marks(l) & mask) return found_at(c.doc, TextPos(l, 0));
    }
    return {};
}

SeekResult seek_line(EditContext& c, std::int64_t value) {
    if (value < 0 || value >= static_cast<std::int64_t>(MAX_LINES)) return {};
    const auto line = static_cast<std::uint32_t>(value);
    if (line == c.edit.cursor.pos.line()) return found_at(c.doc, c.edit.cursor.pos);
    if (!ensure_line(c, line)) return {};
    return found_at(c.doc, TextPos(line, 0));
}

SeekResult seek_display_line(EditContext& c, std::int64_t value) {
    if (value < 0) return {};
    const auto target = static_cast<std::uint64_t>(value);
    Document& doc = c.doc;
    if (c.edit.cursor.pos.line() < doc.lines.count() && document_display_line(doc, c.edit.cursor.pos).value == target)
        return found_at(doc, c.edit.cursor.pos);
    while (doc.lines.total_display_lines() <= target) {
        if (doc.fully_loaded() || c.session == nullptr || !load_more(doc, c.state, *c.session, &c.notices)) break;
    }
    if (doc.lines.count() == 0 || doc.lines.total_display_lines() <= target) return {};
    // The last line whose first display line is at or before the target.
    std::uint32_t lo = 0, hi = doc.lines.count() - 1;
    while (lo < hi) {
        const std::uint32_t mid = lo + (hi - lo + 1) / 2;
        if (doc.lines.display_lines_before(mid) <= target) lo = mid;
        else hi = mid - 1;
    }
    const std::uint64_t within = target - doc.lines.display_lines_before(lo);
    TextPos pos(lo, 0);
    if (within > 0) {
        DisplayMove m = display_lines_forward(doc, pos, static_cast<std::uint32_t>(within));
        if (m.moved != within || m.pos.line() != lo) return {};
        pos = m.pos;
    }
    SeekResult r;
    r.found = true;
    r.pos = pos;
    r.display_line = DisplayLineNo{target};
    return r;
}

SeekResult seek_text_backward(EditContext& c, std::string_view text) {
    const Needle needle(text);
    if (needle.empty()) return found_at(c.doc, TextPos(0, 0));
    const TextPos cursor = c.edit.cursor.pos;
    const std::uint32_t count = c.doc.lines.count();
    if (cursor.line() >= count) return {};
    for (std::uint32_t l = cursor.line() + 1; l-- > 0;) {
        const std::uint32_t limit = l == cursor.line() ? cursor.column() : std::numeric_limits<std::uint32_t>::max();
        const std::int64_t col = last_match(line_bytes(c.doc, l), needle, limit);
        if (col >= 0) return found_at(c.doc, TextPos(l, static_cast<std::uint32_t>(col)));
    }
    return {};
}

SeekResult seek_text_forward(EditContext& c, std::string_view text, bool at_cursor) {
    const Needle needle(text);
    if (needle.empty()) {
        if (at_cursor) return {};
        load_everything(c);
        if (c.doc.lines.count() == 0) return {};
        return found_at(c.doc, TextPos(c.doc.lines.count() - 1, 0));
    }
    const TextPos cursor = c.edit.cursor.pos;
    if (cursor.line() >= c.doc.lines.count()) return {};
    std::uint32_t from = cursor.column();
    if (!at_cursor) {
        // Past the cursor; a ruby block at the cursor is passed whole.
        const LineBytes line = line_bytes(c.doc, cursor.line());
        if (from < line.length && line.p[from] == RUBY_MARK) {
            LineScanner scan(line.p + from, line.available - from);
            const ScanItem it = scan.next();
            from += it.kind == ItemKind::RUBY ? it.length : 1;
        } else {
            ++from;
        }
    }
    for (std::uint32_t l = cursor.line(); l < MAX_LINES && ensure_line(c, l); ++l) {
        const std::int64_t col = first_match(line_bytes(c.doc, l), needle, l == cursor.line() ? from : 0);
        if (col >= 0) return found_at(c.doc, TextPos(l, static_cast<std::uint32_t>(col)));
    }
    return {};
}

}  // namespace

std::int64_t find_substring(const std::uint8_t* haystack, std::size_t haystack_length, const std::uint8_t* needle,
                            std::size_t needle_length) {
    if (needle_length == 0) return 0;
    if (needle_length > haystack_length) return -1;
    const void* hit = needle_length == 1 ? std::memchr(haystack, needle[0], haystack_length)
                                         : ::memmem(haystack, haystack_length, needle, needle_length);
    return hit ? static_cast<const std::uint8_t*>(hit) - haystack : -1;
}

SeekResult locate_target(EditContext& c, int mode, std::int64_t value, std::string_view text) {
    if (c.doc.lines.count() == 0) return {};
    const std::string_view needle = whole_characters(text);
    switch (mode) {
        case SEEK_MARK_BACKWARD: return seek_mark(c, false, value);
        case SEEK_MARK_FORWARD: return seek_mark(c, true, value);
        case SEEK_LINE: return seek_line(c, value);
        case SEEK_PAGE: {
            const auto per_page = static_cast<std::int64_t>(std::max(1, c.edit.frame.page_columns));
            if (value < 0 || value > std::numeric_limits<std::int64_t>::max() / per_page) return {};
            return seek_display_line(c, value * per_page);
        }
        case SEEK_DISPLAY_LINE: return seek_display_line(c, value);
        case SEEK_TEXT_BACKWARD: return seek_text_backward(c, needle);
        case SEEK_TEXT_FORWARD: return seek_text_forward(c, needle, false);
        case SEEK_TEXT_AT_CURSOR: return seek_text_forward(c, needle, true);
        default: return {};
    }
}

// ---- find and replace -----------------------------------------------------

void move_to_target(EditContext& c, TextPos target, bool top_at_target) {
    const int screen = std::max(1, c.edit.frame.screen_lines);
    load_for(c, target, static_cast<std::uint32_t>(screen));
    if (c.edit.mark.on) end_marking(c);
    place_cursor(c, target);
    const int line = c.edit.cursor.screen_line;
    if (line >= 0 && line < screen) return;
    TextPos top = cell_at(c.doc, target).line_start;
    if (!top_at_target) {
        const int tier_lines = std::max(1, screen / std::max(1, c.edit.frame.tiers));
        top = display_lines_backward(c.doc, top, static_cast<std::uint32_t>(tier_lines / 3)).pos;
    }
    set_top(c, top);
}

namespace {

bool text_at_cursor_is(EditContext& c, std::string_view what) {
    const TextPos at = c.edit.cursor.pos;
    if (at.line() >= c.doc.lines.count()) return false;
    const LineBytes line = line_bytes(c.doc, at.line());
    if (line.p == nullptr || at.column() + what.size() > line.length) return false;
    if (std::memcmp(line.p + at.column(), what.data(), what.size()) != 0) return false;
    CharacterStarts starts(line);
    return starts.at(at.column());
}

// Replaces the find text at the cursor; the cursor ends after the inserted
// text. False when the insertion was refused (the find text is put back).
bool replace_at_cursor(EditContext& c, const FindState& state) {
    const TextPos at = c.edit.cursor.pos;
    const TextPos end(at.line(), at.column() + static_cast<std::uint32_t>(state.what.size()));
    if (!delete_range(c, end, at, c.edit.cursor)) return false;
    place_cursor(c, at);
    if (state.with.empty()) return true;
    if (insert_text(c, state.with, true)) return true;
    place_cursor(c, at);
    insert_text(c, state.what, true);
    place_cursor(c, at);
    return false;
}

}  // namespace

FindOutcome run_find_action(EditContext& c, FindState& state, FindAction action, bool down, WindowRef owner) {
    FindOutcome out;
    const bool replacing = action != FindAction::FIND_NEXT;
    state.what = std::string(whole_characters(state.what));
    if (state.what.empty() || (replacing && !state.replace_mode) || c.doc.lines.count() == 0) {
        out.refused = true;
        return out;
    }
    const int mode = replacing ? SEEK_TEXT_AT_CURSOR : down ? SEEK_TEXT_FORWARD : SEEK_TEXT_BACKWARD;
    for (;;) {
        if (replacing && state.found && text_at_cursor_is(c, state.what)) {
            if (!replace_at_cursor(c, state)) {
                state.found = false;
                break;
            }
            ++out.replaced;
        }
        const SeekResult r = locate_target(c, mode, 0, state.what);
        if (!r.found) {
            out.notices.add(state.replace_mode ? "置換先が見つかりません｡" : "検索語が見つかりません｡", 1500, owner);
            state.found = false;
            break;
        }
        move_to_target(c, r.pos, false);
        state.found = true;
        if (action != FindAction::REPLACE_ALL) break;
    }
    out.found = state.found;
    return out;
}

// ---- the text at the cursor -----------------------------------------------

namespace {

// Character classes of the find pre-fill, by the first byte.
int byte_class(std::uint8_t b) {
    if (b == 0x81) return 3;
    if (b < 0x83) return 0;
    if (b <= 0x87) return 1;
    return 2;
}

// The characters of [from, to) on one line, blocks left out.
std::string characters_between(const LineBytes& line, std::uint32_t from, std::uint32_t to) {
    std::string out;
    LineScanner scan(line.p, line.available);
    for (ScanItem it = scan.next(); !is_end(it.kind) && it.column < to; it = scan.next()) {
        if (it.kind != ItemKind::DOUBLE && it.kind != ItemKind::SINGLE && it.kind != ItemKind::PAIR) continue;
        for (std::uint32_t k = it.column; k < it.column + it.length; ++k)
            if (k >= from && k < to) out += static_cast<char>(line.p[k]);
    }
    return std::string(whole_characters(out));
}

std::string ruby_base(const LineBytes& line, std::uint32_t at) {
    LineScanner scan(line.p + at, line.available - at);
    const ScanItem block = scan.next();
    if (block.kind != ItemKind::RUBY || block.length < 2) return {};
    std::uint32_t cells = line.p[at + 1] & 0x0F;
    std::string out;
    for (ScanItem it = scan.next(); cells > 0; it = scan.next(), --cells) {
        if (it.kind != ItemKind::DOUBLE && it.kind != ItemKind::SINGLE && it.kind != ItemKind::PAIR) break;
        out.append(reinterpret_cast<const char*>(line.p + at + it.column), it.length);
    }
    return out;
}

std::string class_run(const LineBytes& line, std::uint32_t at) {
    std::string run;
    std::vector<std::size_t> ends;   // byte count after each character of the run
    int run_class = -1;
    LineScanner scan(line.p + at, line.available - at);
    for (ScanItem it = scan.next(); !is_end(it.kind); it = scan.next()) {
        if (it.kind != ItemKind::DOUBLE && it.kind != ItemKind::SINGLE && it.kind != ItemKind::PAIR) break;
        bool stop = false;
        // A pair is two single-byte characters; each is judged on its own.
        const std::uint32_t chars = it.kind == ItemKind::PAIR ? 2 : 1;
        for (std::uint32_t k = 0; k < chars && !stop; ++k) {
            const std::uint32_t col = at + it.column + k;
            const std::uint32_t len = it.kind == ItemKind::DOUBLE ? 2 : 1;
            const std::uint8_t b = line.p[col];
            int cls = byte_class(b);
            if (it.kind == ItemKind::DOUBLE && (it.code == 0x815B || it.code == 0x8158) && run_class >= 0)
                cls = run_class;
            if (run_class < 0) run_class = cls;
            if (cls != run_class || run.size() + len > FIND_TEXT_BYTES) {
                stop = true;
                break;
            }
            run.append(reinterpret_cast<const char*>(line.p + col), len);
            ends.push_back(run.size());
        }
        if (stop) break;
    }
    // Whole two-byte cells of the run, and whole characters of them.
    const std::size_t keep = run.size() / 2 * 2;
    std::size_t cut = 0;
    for (std::size_t e : ends)
        if (e <= keep) cut = e;
    return run.substr(0, cut);
}

}  // namespace

std::string word_at_cursor(EditContext& c, WindowRef owner, Notices& notices) {
    Document& doc = c.doc;
    const Marking m = c.edit.mark;
    if (m.on && m.start < m.end) {
        if (m.start.line() != m.end.line() || m.end.column() - m.start.column() > WORD_PREFILL_BYTES) {
            notices.add(" 指定文字範囲が長すぎます｡", 3000, owner);
            return {};
        }
        if (m.start.line() >= doc.lines.count()) return {};
        std::string text = characters_between(line_bytes(doc, m.start.line()), m.start.column(), m.end.column());
        end_marking(c);
        place_cursor(c, m.start);
        return text;
    }
    const TextPos at = c.edit.cursor.pos;
    if (at.line() >= doc.lines.count()) return {};
    const LineBytes line = line_bytes(doc, at.line());
    if (line.p == nullptr || at.column() >= line.length) return {};
    const std::uint8_t b = line.p[at.column()];
    if (b == RUBY_MARK) return ruby_base(line, at.column());
    return class_run(line, at.column());
}

bool address_at_cursor(const Document& doc, TextPos pos, std::string* address) {
    if (pos.line() >= doc.lines.count()) return false;
    const LineBytes line = line_bytes(doc, pos.line());
    if (line.p == nullptr || pos.column() >= line.length) return false;
    if (is_stored_lead(line.p[pos.column()])) return false;
    std::string token;
    bool holds_cursor = false;
    bool done = false;
    LineScanner scan(line.p, line.available);
    for (ScanItem it = scan.next(); !is_end(it.kind) && !done; it = scan.next()) {
        const bool single = it.kind == ItemKind::SINGLE || it.kind == ItemKind::PAIR;
        for (std::uint32_t k = 0; k < (single ? it.length : 1); ++k) {
            const std::uint8_t b = line.p[it.column + k];
            if (single && b > 0x20 && b < 0x7F) {
                token += static_cast<char>(b);
                if (it.column + k == pos.column()) holds_cursor = true;
            } else if (holds_cursor) {
                done = true;
                break;
            } else {
                token.clear();
            }
        }
    }
    if (!holds_cursor) return false;
    return address_of_token(token, address);
}

bool address_of_token(std::string_view token, std::string* address) {
    if (token.size() > ADDRESS_MAX_BYTES || token.find('.', 1) == std::string_view::npos) return false;
    std::string lower(token);
    for (char& ch : lower)
        if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
    auto starts = [&lower](std::string_view prefix) { return lower.compare(0, prefix.size(), prefix) == 0; };
    if (starts("http://") || starts("https://") || starts("ftp://") || starts("mailto:")) {
        const std::size_t scheme_end = lower.find("://");
        if (scheme_end != std::string::npos && lower.size() <= scheme_end + 3) return false;
        *address = token;
        return true;
    }
    if (lower.find(':') != std::string::npos || lower.find('\\') != std::string::npos) return false;
    if (token.find('@', 1) != std::string_view::npos) {
        *address = "mailto:" + std::string(token);
        return true;
    }
    if (starts("www.")) {
        *address = "http://" + std::string(token);
        return true;
    }
    return false;
}

}  // namespace rix
