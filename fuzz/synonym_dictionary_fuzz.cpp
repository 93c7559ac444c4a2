// Fuzz target for the synonym dictionary rix_lib.syn and its search.
//
//   OFFSET  SIZE  MEANING
//   0       1     bits 0-1 the match condition, bit 2 the related view
//   1       1     length L of the search term (code page 932)
//   2       L     the term
//   2+L     ...   the dictionary file (stored, scrambled form)
//
// What the reader promises: it stops at a record cut short (TRUNCATED) or of
// kind 3 (DAMAGED) and never reads past the end; the records it kept, written
// back, are exactly the bytes it read; a search keeps its limits and its
// classes and hits point inside the dictionary; the views stay in range.
#include <algorithm>

#include "aids/synonyms.h"
#include "fuzz/fuzz_target.h"

namespace {

using rix::SynonymFile;

std::string check_results(const rix::SynonymDictionary& dict, const rix::SynonymResults& r, bool related) {
    const std::size_t n = dict.records.size();
    if (r.hits.size() > rix::SYNONYM_MAX_HITS || r.classes.size() > rix::SYNONYM_MAX_CLASSES) return "limits passed";
    for (std::size_t i = 0; i < r.hits.size(); ++i) {
        const rix::SynonymHit& h = r.hits[i];
        if (h.record >= n || h.cls >= r.classes.size()) return "hit out of range";
        if (i > 0 && (r.hits[i - 1].record >= h.record || r.hits[i - 1].cls > h.cls)) return "hits out of order";
        const rix::SynonymClass& c = r.classes[h.cls];
        if (h.record < c.begin || h.record >= c.end) return "hit outside its class";
    }
    for (std::size_t k = 0; k < r.classes.size(); ++k) {
        const rix::SynonymClass& c = r.classes[k];
        if (c.begin > c.first_match || c.first_match >= c.end || c.end > n) return "class range broken";
        if (c.related_begin > c.begin || c.related_end < c.end || c.related_end > n) return "related group broken";
        if (k > 0 && r.classes[k - 1].end > c.begin) return "classes overlap";
    }
    // The views of the first classes (each view walks its class).
    std::size_t cls = 0;
    for (int step = 0; step < 4 && !r.classes.empty(); ++step) {
        std::vector<rix::SynonymRow> rows = rix::synonym_class_rows(dict, r.classes[cls], related);
        for (std::size_t row = 0; row < rows.size(); ++row) {
            if (rows[row].record >= static_cast<std::int64_t>(n)) return "row beyond the dictionary";
            int word = rix::synonym_word_row(rows, static_cast<int>(row), 0);
            if (word >= 0 && (static_cast<std::size_t>(word) >= rows.size() || rows[word].record < 0))
                return "word row is no word";
        }
        if (rows.size() > 0 && rix::synonym_word_count(rows) == 0) return "a view without words";
        std::size_t next = rix::step_synonym_class(r, cls, true);
        if (next >= r.classes.size()) return "stepped out of the classes";
        cls = next;
    }
    if (rix::synonym_hit_rows(dict, r).size() != r.hits.size()) return "hit rows differ from hits";
    return "";
}

std::string synonym_dictionary_entry(const std::uint8_t* data, std::size_t size) {
    std::string_view in = rix::fuzz::bytes_of(data, size);
    const std::uint8_t flags = rix::fuzz::take_flags(&in);
    const std::size_t term_length = std::min<std::size_t>(rix::fuzz::take_flags(&in), in.size());
    const std::string_view term = in.substr(0, term_length);
    const std::string_view bytes = in.substr(term_length);

    rix::SynonymDictionary dict;
    SynonymFile st = rix::parse_synonym_dictionary(bytes, &dict);
    if (st != SynonymFile::READ && st != SynonymFile::TRUNCATED && st != SynonymFile::DAMAGED) return "status";
    for (const rix::SynonymRecord& r : dict.records)
        if (r.text.size() % 2 != 0 || r.text.size() > 2 * rix::SYNONYM_TEXT_CHARS) return "record text length";
    const std::string written = rix::synonym_dictionary_bytes(dict);
    if (bytes.substr(0, written.size()) != written) return "records written back differ from the file";
    if ((st == SynonymFile::READ) != (written.size() == bytes.size())) return "status disagrees with what was read";

    const auto match = static_cast<rix::SynonymMatch>(flags & 3);
    rix::SynonymResults r = rix::search_synonyms(dict, term, match);
    if (std::string bad = check_results(dict, r, flags & 4); !bad.empty()) return bad;
    // A headword of the dictionary is found by an exact search.
    if (!dict.records.empty()) {
        std::string_view head = rix::synonym_headword(dict.records[0].text);
        if (head.size() % 2 != 0) return "headword cut inside a character";
        rix::SynonymResults exact = rix::search_synonyms(dict, head, rix::SynonymMatch::EXACT);
        if (std::string bad = check_results(dict, exact, !(flags & 4)); !bad.empty()) return "exact: " + bad;
        if (!head.empty() && head.size() <= rix::SYNONYM_TERM_BYTES && exact.hits.empty())
            return "a headword is not found by itself";
    }
    return "";
}

}  // namespace

RIX_FUZZ_TARGET(synonym_dictionary, synonym_dictionary_entry)
