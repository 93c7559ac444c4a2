// The synonym window's search history (see synonym_history.h).
#include "aids/synonym_history.h"

#include <algorithm>

#include "platform/codec.h"
#include "platform/files.h"

namespace rix {
namespace {

std::string fit_term(std::string_view term) {
    return std::string(term.substr(0, cut_on_boundary(term, SYNONYM_HISTORY_TERM_BYTES)));
}

bool holds(const SynonymHistory& h, const std::string& term) {
    return std::find(h.terms.begin(), h.terms.end(), term) != h.terms.end();
}

void push_term(SynonymHistory& h, std::string term) {
    if (h.terms.size() >= SYNONYM_HISTORY_TERMS)
        h.terms.erase(h.terms.begin(), h.terms.end() - (SYNONYM_HISTORY_TERMS - 1));
    h.terms.push_back(std::move(term));
}

}  // namespace

bool add_synonym_history(SynonymHistory& h, std::string_view term) {
    std::string t = fit_term(term);
    if (t.empty() || t == h.last_added || holds(h, t)) return false;
    h.last_added = t;
    push_term(h, std::move(t));
    h.changed = true;
    return true;
}

bool remove_synonym_history(SynonymHistory& h, std::size_t index) {
    if (index >= h.terms.size()) return false;
    h.terms.erase(h.terms.begin() + static_cast<std::ptrdiff_t>(index));
    h.changed = true;
    return true;
}

void clear_synonym_history(SynonymHistory& h) {
    h.terms.clear();
    h.changed = true;
}

std::string synonym_history_bytes(const SynonymHistory& h) {
    std::string out;
    for (const std::string& t : h.terms) out += t + "\r\n";
    return out;
}

void parse_synonym_history(std::string_view bytes, SynonymHistory* h) {
    h->terms.clear();
    h->last_added.clear();
    h->changed = false;
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t lf = bytes.find('\n', at);
        std::string_view line = lf == std::string_view::npos ? bytes.substr(at) : bytes.substr(at, lf - at);
        at = lf == std::string_view::npos ? bytes.size() : lf + 1;
        if (lf != std::string_view::npos && !line.empty() && line.back() == '\r') line.remove_suffix(1);
        std::string t = fit_term(line);
        if (!t.empty() && !holds(*h, t)) push_term(*h, std::move(t));
    }
}

bool load_synonym_history(const std::string& path, SynonymHistory* h) {
    parse_synonym_history({}, h);
    const PathKind kind = path_kind(path);
    if (kind == PathKind::MISSING) return true;
    std::string bytes;
    if (kind != PathKind::REGULAR || !read_file_prefix(path, SYNONYM_HISTORY_READ_LIMIT, &bytes)) return false;
    parse_synonym_history(bytes, h);
    return true;
}

bool save_synonym_history(const std::string& path, SynonymHistory& h) {
    if (!atomic_replace(path, synonym_history_bytes(h))) return false;
    h.changed = false;
    return true;
}

}  // namespace rix
