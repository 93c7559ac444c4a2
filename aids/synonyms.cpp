// The synonym dictionary, its search and its views (see synonyms.h).
#include "aids/synonyms.h"

#include <algorithm>
#include <cstdio>

#include "aids/synonym_scramble.h"
#include "platform/codec.h"
#include "platform/files.h"

namespace rix {
namespace {

constexpr std::uint8_t KIND_SHIFT = 6;
constexpr std::uint8_t LENGTH_BITS = 0x3F;

std::string sj(std::string_view utf8) { return utf8_to_sjis(utf8); }

// "（" and "［" in code page 932.
constexpr char PAREN_OPEN[] = "\x81\x69";
constexpr char BRACKET_OPEN[] = "\x81\x6D";

std::string full_width_number(std::size_t n) {
    static const char* const DIGITS[10] = {"０", "１", "２", "３", "４", "５", "６", "７", "８", "９"};
    std::string out;
    for (char ch : std::to_string(n)) out += DIGITS[ch - '0'];
    return out;
}

// The first occurrence of `term` in `text` at an even offset, or npos.
std::size_t find_on_boundary(std::string_view text, std::string_view term) {
    for (std::size_t at = text.find(term); at != std::string_view::npos; at = text.find(term, at + 1))
        if (at % 2 == 0) return at;
    return std::string_view::npos;
}

}  // namespace

SynonymFile parse_synonym_dictionary(std::string_view bytes, SynonymDictionary* dict) {
    dict->records.clear();
    std::size_t at = 0;
    while (at < bytes.size()) {
        const auto header = static_cast<std::uint8_t>(static_cast<std::uint8_t>(bytes[at]) ^ SYNONYM_HEADER_MASK);
        const unsigned kind = header >> KIND_SHIFT;
        if (kind > 2) return SynonymFile::DAMAGED;
        const std::size_t length = 2u * (header & LENGTH_BITS);
        if (bytes.size() - at - 1 < length) return SynonymFile::TRUNCATED;
        SynonymRecord r;
        r.kind = static_cast<SynonymKind>(kind);
        r.text.resize(length);
        for (std::size_t k = 0; k < length; ++k)
            r.text[k] = static_cast<char>(unscramble_synonym_byte(static_cast<std::uint8_t>(bytes[at + 1 + k]), k));
        dict->records.push_back(std::move(r));
        at += 1 + length;
    }
    return SynonymFile::READ;
}

SynonymFile load_synonym_dictionary(const std::string& path, SynonymDictionary* dict) {
    dict->records.clear();
    const PathKind kind = path_kind(path);
    if (kind == PathKind::MISSING) return SynonymFile::MISSING;
    std::string bytes;
    if (kind != PathKind::REGULAR || !read_file_prefix(path, SYNONYM_READ_LIMIT, &bytes)) return SynonymFile::FAILED;
    return parse_synonym_dictionary(bytes, dict);
}

std::string synonym_dictionary_bytes(const SynonymDictionary& dict) {
    std::string out;
    for (const SynonymRecord& r : dict.records) {
        const std::size_t chars = std::min(r.text.size() / 2, SYNONYM_TEXT_CHARS);
        const auto header = static_cast<std::uint8_t>(static_cast<unsigned>(r.kind) << KIND_SHIFT | chars);
        out.push_back(static_cast<char>(header ^ SYNONYM_HEADER_MASK));
        for (std::size_t k = 0; k < 2 * chars; ++k)
            out.push_back(static_cast<char>(scramble_synonym_byte(static_cast<std::uint8_t>(r.text[k]), k)));
    }
    return out;
}

std::string_view synonym_headword(std::string_view text) {
    for (std::size_t at = 0; at + 1 < text.size(); at += 2) {
        const std::string_view ch = text.substr(at, 2);
        if (ch == PAREN_OPEN || ch == BRACKET_OPEN) return text.substr(0, at);
    }
    return text;
}

const char* synonym_match_name(SynonymMatch m) {
    switch (m) {
        case SynonymMatch::PREFIX: return "先頭";
        case SynonymMatch::SUFFIX: return "後端";
        case SynonymMatch::EXACT: return "完全";
        default: return "部分";
    }
}

bool synonym_text_matches(std::string_view text, std::string_view term, SynonymMatch m) {
    if (term.empty()) return false;
    const std::size_t at = find_on_boundary(text, term);
    if (at == std::string_view::npos) return false;
    const std::size_t head = synonym_headword(text).size();
    switch (m) {
        case SynonymMatch::PARTIAL: return at < head;
        case SynonymMatch::PREFIX: return at == 0 && term.size() < head;
        case SynonymMatch::SUFFIX: return at + term.size() == head && term.size() < head;
        case SynonymMatch::EXACT: return at == 0 && term.size() == head;
    }
    return false;
}

SynonymResults search_synonyms(const SynonymDictionary& dict, std::string_view term, SynonymMatch m) {
    SynonymResults r;
    term = term.substr(0, cut_on_boundary(term, SYNONYM_TERM_BYTES));
    if (term.empty()) return r;
    const auto count = static_cast<std::uint32_t>(dict.records.size());
    std::uint32_t class_start = 0, group_start = 0;
    bool pending = false;               // matches of the candidate class wait for its end
    std::uint32_t pending_first = 0;    // its first matching record
    std::size_t open_related = 0;       // classes from here on have no related end yet
    // Closes the candidate class at `end` when it holds matches.
    auto close_class = [&](std::uint32_t end) {
        if (!pending) return;
        r.classes.push_back({pending_first, class_start, end, group_start, 0});
        pending = false;
    };
    auto close_groups = [&](std::uint32_t end) {
        for (; open_related < r.classes.size(); ++open_related) r.classes[open_related].related_end = end;
    };
    for (std::uint32_t i = 0; i < count; ++i) {
        const SynonymRecord& rec = dict.records[i];
        if (rec.kind != SynonymKind::WORD) {
            close_class(i);
            class_start = i;
            if (rec.kind == SynonymKind::GROUP) {
                close_groups(i);
                group_start = i;
            }
        }
        if (!synonym_text_matches(rec.text, term, m)) continue;
        const bool class_full = !pending && r.classes.size() >= SYNONYM_MAX_CLASSES;
        if (r.hits.size() >= SYNONYM_MAX_HITS || class_full) {
            r.cut_short = true;
            continue;
        }
        if (!pending) {
            pending = true;
            pending_first = i;
        }
        r.hits.push_back({i, static_cast<std::uint32_t>(r.classes.size())});
    }
    // The end of the data closes the last class and group.
    close_class(count);
    close_groups(count);
    return r;
}

std::size_t step_synonym_class(const SynonymResults& r, std::size_t current, bool forward) {
    const std::size_t n = r.classes.size();
    if (n == 0) return 0;
    current %= n;
    return forward ? (current + 1) % n : (current + n - 1) % n;
}

std::vector<SynonymRow> synonym_class_rows(const SynonymDictionary& dict, const SynonymClass& cls, bool related) {
    std::vector<SynonymRow> rows;
    const std::uint32_t begin = related ? cls.related_begin : cls.begin;
    const std::uint32_t end = std::min<std::uint32_t>(related ? cls.related_end : cls.end,
                                                      static_cast<std::uint32_t>(dict.records.size()));
    std::uint32_t word = 0;
    for (std::uint32_t i = begin; i < end; ++i) {
        if (related && dict.records[i].kind == SynonymKind::CLASS) rows.push_back({-1, 0});
        rows.push_back({i, ++word});
    }
    return rows;
}

int synonym_row_of(const std::vector<SynonymRow>& rows, std::uint32_t record) {
    for (std::size_t k = 0; k < rows.size(); ++k)
        if (rows[k].record == static_cast<std::int64_t>(record)) return static_cast<int>(k);
    return -1;
}

int synonym_word_row(const std::vector<SynonymRow>& rows, int row, int from) {
    const int n = static_cast<int>(rows.size());
    if (row < 0 || row >= n) return -1;
    if (rows[row].record >= 0) return row;
    const int step = row >= from ? 1 : -1;
    for (int dir : {step, -step})
        for (int k = row + dir; k >= 0 && k < n; k += dir)
            if (rows[k].record >= 0) return k;
    return -1;
}

std::uint32_t synonym_word_count(const std::vector<SynonymRow>& rows) {
    std::uint32_t n = 0;
    for (const SynonymRow& r : rows) n += r.record >= 0 ? 1 : 0;
    return n;
}

std::vector<std::string> synonym_hit_rows(const SynonymDictionary& dict, const SynonymResults& r) {
    std::vector<std::string> rows;
    rows.reserve(r.hits.size());
    std::uint32_t shown = UINT32_MAX;
    for (const SynonymHit& h : r.hits) {
        char number[16];
        std::snprintf(number, sizeof number, "%2u", static_cast<unsigned>(h.cls + 1));
        std::string row = h.cls == shown ? std::string(std::string_view(number).size(), ' ') : std::string(number);
        shown = h.cls;
        row += ' ';
        if (h.record < dict.records.size()) row += dict.records[h.record].text;
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string synonym_hits_header(SynonymMatch m, const SynonymResults& r) {
    return sj(std::string("［") + synonym_match_name(m) + "］" + std::to_string(r.classes.size()) + "分類 " +
              std::to_string(r.hits.size()) + "語ﾋｯﾄ");
}

std::string synonym_class_header(SynonymMatch m, std::size_t classes, std::size_t current, std::uint32_t word,
                                 std::uint32_t words) {
    return sj(std::string("［") + synonym_match_name(m) + "］" + std::to_string(classes) + "分類中" +
              std::to_string(current + 1) + "［" + std::to_string(word) + " /" + std::to_string(words) + "］");
}

std::string synonym_remaining_label(std::size_t remaining) {
    if (remaining >= 100) return sj("残 " + std::to_string(remaining));
    return sj("残 " + full_width_number(remaining));
}

std::string synonym_caption(std::size_t words) {
    std::string digits = std::to_string(words);
    for (std::size_t k = digits.size(); k > 3; k -= 3) digits.insert(k - 3, ",");
    return sj(" 類語一覧 " + digits + "語");
}

}  // namespace rix
