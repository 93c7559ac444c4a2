// Fuzz target for the synonym window's search history (synonym.log). What
// the reader promises: at most 100 distinct terms of 1 to 29 bytes, none cut
// inside a character; the history written back reads the same; and the file
// reads as its bytes do.
#include "aids/synonym_history.h"
#include "fuzz/fuzz_target.h"

namespace {

std::string check_terms(const rix::SynonymHistory& h) {
    if (h.terms.size() > rix::SYNONYM_HISTORY_TERMS) return "too many terms";
    if (h.changed) return "a read history is marked changed";
    for (std::size_t i = 0; i < h.terms.size(); ++i) {
        const std::string& t = h.terms[i];
        if (t.empty() || t.size() > rix::SYNONYM_HISTORY_TERM_BYTES) return "term length out of range";
        if (t.find('\n') != std::string::npos) return "term holds a line end";
        for (std::size_t j = 0; j < i; ++j)
            if (h.terms[j] == t) return "repeated term";
    }
    return "";
}

std::string synonym_history_entry(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes = rix::fuzz::bytes_of(data, size);
    rix::SynonymHistory h;
    rix::parse_synonym_history(bytes, &h);
    if (std::string bad = check_terms(h); !bad.empty()) return bad;
    // Each term is a whole line of the file or its start cut before a character.
    for (const std::string& t : h.terms) {
        std::size_t at = bytes.find(t);
        if (at == std::string_view::npos) return "a term that is not in the file";
    }
    rix::SynonymHistory again;
    rix::parse_synonym_history(rix::synonym_history_bytes(h), &again);
    if (again.terms != h.terms) return "written history reads back differently";

    // Adding a term keeps the limits and puts it last.
    rix::SynonymHistory added = h;
    if (rix::add_synonym_history(added, "\x97\xDE\x8C\xEA\x88\xEA\x97\x97")) {   // 類語一覧
        if (added.terms.back() != "\x97\xDE\x8C\xEA\x88\xEA\x97\x97") return "an added term is not the newest";
        added.changed = false;
        if (std::string bad = check_terms(added); !bad.empty()) return "after adding: " + bad;
    }

    const std::string path = rix::fuzz::scratch_folder() + "/synonym.log";
    if (!rix::fuzz::write_file(path, bytes)) return "";
    rix::SynonymHistory loaded;
    if (!rix::load_synonym_history(path, &loaded)) return "a readable file was refused";
    if (bytes.size() <= rix::SYNONYM_HISTORY_READ_LIMIT && loaded.terms != h.terms)
        return "the file reads differently from its bytes";
    return "";
}

}  // namespace

RIX_FUZZ_TARGET(synonym_history, synonym_history_entry)
