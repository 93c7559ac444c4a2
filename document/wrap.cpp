// The break rule with kinsoku, the capacity of a display line, and the
// wrapping settings taken from the settings record's fields.
//
// Pure functions of their arguments: no state, no allocation except where a
// break set's bytes change.
#include "document/wrap.h"

#include <algorithm>

#include "document/storage.h"
#include "document/line_table.h"
#include "platform/codec.h"

namespace rix {

namespace {

// The small kana, by code page 932 code, ascending.
constexpr std::uint16_t SMALL_KANA[] = {
    0x829F, 0x82A1, 0x82A3, 0x82A5, 0x82A7, 0x82C1, 0x82E1, 0x82E3, 0x82E5, 0x82EC, 0x8340,
    0x8342, 0x8344, 0x8346, 0x8348, 0x8362, 0x8383, 0x8385, 0x8387, 0x838E, 0x8395, 0x8396,
};

}  // namespace

bool is_small_kana(std::uint16_t code) {
    if (code < 0x829F || code > 0x8396) return false;
    return std::binary_search(std::begin(SMALL_KANA), std::end(SMALL_KANA), code);
}

bool set_contains(std::string_view set, std::uint16_t code) {
    std::size_t i = 0;
    while (i < set.size()) {
        auto b = static_cast<std::uint8_t>(set[i]);
        if (is_lead_byte(b) && i + 1 < set.size()) {
            auto member = static_cast<std::uint16_t>(b << 8 | static_cast<std::uint8_t>(set[i + 1]));
            if (code > 0xFF && member == code) return true;
            i += 2;
        } else {
            // A single-byte member matches only a single-byte character.
            if (code <= 0xFF && b == code) return true;
            i += 1;
        }
    }
    return false;
}

BreakSet& BreakSet::operator=(std::string_view bytes) {
    bytes_.assign(bytes);
    rebuild();
    return *this;
}

BreakSet& BreakSet::operator+=(std::string_view bytes) {
    bytes_.append(bytes);
    rebuild();
    return *this;
}

// The members, by the same walk as set_contains.
void BreakSet::rebuild() {
    std::fill(std::begin(singles_), std::end(singles_), 0);
    std::fill(std::begin(doubles_), std::end(doubles_), 0);
    std::size_t i = 0;
    while (i < bytes_.size()) {
        auto b = static_cast<std::uint8_t>(bytes_[i]);
        if (is_lead_byte(b) && i + 1 < bytes_.size()) {
            const unsigned trail = static_cast<std::uint8_t>(bytes_[i + 1]);
            doubles_[lead_row(b) * WORDS_PER_ROW + (trail >> 6)] |= std::uint64_t{1} << (trail & 63);
            i += 2;
        } else {
            singles_[b >> 6] |= std::uint64_t{1} << (b & 63);
            i += 1;
        }
    }
}

int may_break_after(const WrapRules& rules, std::uint32_t j, std::uint16_t ch, std::uint8_t next,
                    std::uint8_t next_trail) {
    std::uint32_t hard_limit = rules.chars_per_column + 1 + (rules.kinsoku_mode == 2 ? 1 : 0);
    if (j >= hard_limit) return 1;
    if (rules.kinsoku_mode == 0) return (next == LINE_END_MARK || next == 0x0D) ? 0 : 1;
    // An opening bracket is not left at the end: the line takes the next character too.
    if (rules.line_end_prohibited.contains(ch)) return 0;
    if (is_stored_lead(next)) {
        auto c = static_cast<std::uint16_t>(next << 8 | next_trail);
        if (rules.line_start_prohibited.contains(c)) return 0;
        if (rules.small_kana_kinsoku && is_small_kana(c)) return 0;
        return 1;
    }
    return (next == 0x0D || next == LINE_END_MARK) ? 0 : 1;
}

NextCharacter next_character(const std::uint8_t* line, std::size_t column) {
    NextCharacter out;
    if (line == nullptr || column >= MAX_LINE_SCAN) return out;
    LineScanner scanner(line + column, MAX_LINE_SCAN - column);
    for (;;) {
        const ScanItem it = scanner.next();
        switch (it.kind) {
            case ItemKind::RUBY:
            case ItemKind::TAG:
            case ItemKind::IGNORED: continue;
            case ItemKind::DOUBLE:
                out.byte = static_cast<std::uint8_t>(it.code >> 8);
                out.trail = static_cast<std::uint8_t>(it.code);
                return out;
            case ItemKind::SINGLE:
            case ItemKind::PAIR: {
                const std::size_t at = column + it.column;
                out.byte = line[at];
                out.trail = at + 1 < MAX_LINE_SCAN ? line[at + 1] : LINE_END_MARK;
                return out;
            }
            case ItemKind::TEXT_END: out.byte = TEXT_END_MARK; return out;
            case ItemKind::LINE_END:
            case ItemKind::CUT: return out;
        }
    }
}

int may_break_in_line(const WrapRules& rules, std::uint32_t j, std::uint16_t ch, const std::uint8_t* line,
                      std::size_t column) {
    // The hard limit needs no look ahead.
    if (j >= rules.chars_per_column + 1 + (rules.kinsoku_mode == 2 ? 1u : 0u)) return 1;
    const NextCharacter next = next_character(line, column);
    return may_break_after(rules, j, ch, next.byte, next.trail);
}

std::uint32_t display_line_indent(std::uint32_t format_word, bool first_display_line) {
    const int a = static_cast<int>(start_indent(format_word)) +
                  (first_display_line ? first_line_adjustment(format_word) : 0);
    return a < 0 ? 0u : static_cast<std::uint32_t>(a);
}

std::uint32_t line_capacity(const WrapRules& rules, std::uint32_t format_word, bool first_display_line) {
    const std::int64_t cap = static_cast<std::int64_t>(rules.chars_per_column) -
                             display_line_indent(format_word, first_display_line) - end_indent(format_word);
    return cap < 1 ? 1u : static_cast<std::uint32_t>(cap);
}

WrapRules wrap_rules_from_fields(std::uint32_t chars_per_column, std::uint8_t kinsoku_mode, bool small_kana,
                                 const char* start_set_field, std::size_t start_width,
                                 const char* end_set_field, std::size_t end_width) {
    WrapRules rules;
    rules.chars_per_column = chars_per_column;
    rules.kinsoku_mode = kinsoku_mode;
    rules.small_kana_kinsoku = small_kana;
    rules.line_start_prohibited = read_field(start_set_field, start_width);
    rules.line_end_prohibited = read_field(end_set_field, end_width);
    return rules;
}

}  // namespace rix
