#include "aids/notebook.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "platform/codec.h"
#include "platform/files.h"

namespace rix {
namespace {

constexpr std::string_view CRLF = "\r\n";
constexpr std::string_view DATE_LIMIT = "991939";  // highest digit allowed at each place of YYMMDD
constexpr std::string_view IDEOGRAPHIC_SPACE = "\x81\x40";

bool starts_with_mark(std::string_view line) { return line.substr(0, NOTEBOOK_MARK.size()) == NOTEBOOK_MARK; }

// Length of the blank (half-width or ideographic space) at text[pos], 0 when none.
std::size_t blank_at(std::string_view text, std::size_t pos) {
    if (pos < text.size() && text[pos] == ' ') return 1;
    if (text.substr(pos, 2) == IDEOGRAPHIC_SPACE) return 2;
    return 0;
}

std::size_t heading_bytes(const Notebook& nb) {
    std::size_t n = 0;
    for (const NotebookEntry& e : nb.entries) n += e.heading.size() + 1;
    return n;
}

std::size_t article_bytes(const Notebook& nb) {
    std::size_t n = 0;
    for (const NotebookEntry& e : nb.entries) n += e.article.size() + 1;
    return n;
}

std::string row_text(std::string_view heading, NotebookMode mode) {
    if (!has_date(heading)) return std::string(heading);
    if (mode == NotebookMode::Plain) return std::string(heading_text(heading));
    std::string out(heading.substr(0, NOTEBOOK_DATE_BYTES));
    out += ' ';
    out += heading_text(heading);
    return out;
}

}  // namespace

NotebookDay notebook_today() {
    const std::time_t now = std::time(nullptr);
    std::tm t{};
    localtime_r(&now, &t);
    return NotebookDay{static_cast<unsigned>(t.tm_year + 1900), static_cast<unsigned>(t.tm_mon + 1),
                       static_cast<unsigned>(t.tm_mday)};
}

std::string date_code(const NotebookDay& day) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02u%02u%02u", day.year % 100, day.month % 100, day.day % 100);
    return buf;
}

bool has_date(std::string_view heading) {
    if (heading.size() < NOTEBOOK_DATE_BYTES) return false;
    for (std::size_t k = 0; k < NOTEBOOK_DATE_BYTES; ++k)
        if (heading[k] < '0' || heading[k] > DATE_LIMIT[k]) return false;
    return true;
}

std::string_view heading_text(std::string_view heading) {
    return has_date(heading) ? heading.substr(NOTEBOOK_DATE_BYTES) : heading;
}

std::string with_date(std::string_view heading, std::string_view date) {
    std::string out(date);
    out += heading_text(heading);
    return out;
}

// --- file form -------------------------------------------------------------

Notebook parse_notebook(std::string_view bytes) {
    Notebook nb;
    std::size_t pos = bytes.find(CRLF);
    if (pos == std::string_view::npos) return nb;  // the header alone, or nothing
    pos += CRLF.size();
    bool in_entry = false;
    while (pos < bytes.size()) {
        std::size_t end = bytes.find(CRLF, pos);
        const bool terminated = end != std::string_view::npos;
        if (!terminated) end = bytes.size();
        const std::string_view line = bytes.substr(pos, end - pos);
        if (starts_with_mark(line)) {
            nb.entries.push_back(NotebookEntry{fit_heading(line.substr(NOTEBOOK_MARK.size())), {}});
            in_entry = true;
        } else if (in_entry) {
            nb.entries.back().article += line;
            nb.entries.back().article += CRLF;  // a final line without CR LF gains it
        }
        pos = terminated ? end + CRLF.size() : bytes.size();
    }
    return nb;
}

std::string serialize_notebook(const Notebook& nb) {
    std::string out(NOTEBOOK_HEADER);
    for (const NotebookEntry& e : nb.entries) {
        out += NOTEBOOK_MARK;
        out += e.heading;
        out += CRLF;
        out += terminated_article(e.article);
    }
    return out;
}

namespace {

// The first line names the notebook ("<version> ミルトア手帖"); the version
// differs between the programs that wrote it.
bool has_notebook_header(std::string_view bytes) {
    const std::size_t end = bytes.find(CRLF);
    if (end == std::string_view::npos) return false;
    const std::string_view name = NOTEBOOK_HEADER.substr(NOTEBOOK_HEADER.find(' ') + 1,
                                                         NOTEBOOK_HEADER.size() - NOTEBOOK_HEADER.find(' ') - 1 - CRLF.size());
    return bytes.substr(0, end).ends_with(name);
}

std::string enciphered(std::string bytes, const NotebookKey& key) {
    CipherStream stream(derive_cipher_key(key.text, key.form));
    stream.process(bytes.data(), bytes.size());
    return bytes;
}

}  // namespace

NotebookFile read_notebook_file(const std::string& path, Notebook* out, const NotebookKey* key) {
    *out = Notebook{};
    const PathKind kind = path_kind(path);
    if (kind == PathKind::MISSING) return NotebookFile::Missing;
    if (kind != PathKind::REGULAR) return NotebookFile::Failed;  // never wait on a pipe or read a device
    std::string bytes;
    if (!read_whole_file(path, &bytes)) return NotebookFile::Failed;
    if (key && !bytes.empty() && !has_notebook_header(bytes)) {
        std::string plain = enciphered(bytes, *key);   // the same operation deciphers
        // Neither plain nor enciphered with this key: another key's cipher
        // text, never to be taken for articles (and then written over).
        if (!has_notebook_header(plain)) return NotebookFile::Failed;
        bytes.swap(plain);
    }
    *out = parse_notebook(bytes);
    return NotebookFile::Read;
}

bool write_notebook_file(const std::string& path, const Notebook& nb, const NotebookKey* key) {
    return atomic_replace(path, key ? enciphered(serialize_notebook(nb), *key) : serialize_notebook(nb));
}

std::string notebook_path(std::string_view chosen, std::string_view document_path) {
    if (!chosen.empty()) return std::string(chosen);
    const std::size_t slash = document_path.rfind('/');
    const std::size_t dot = document_path.rfind('.');
    const bool has_extension = dot != std::string_view::npos &&
                               (slash == std::string_view::npos || dot > slash + 1);
    std::string out(has_extension ? document_path.substr(0, dot) : document_path);
    return out + ".ren";
}

// --- list ------------------------------------------------------------------

std::vector<NotebookRow> notebook_rows(const Notebook& nb, NotebookMode mode) {
    std::vector<NotebookRow> rows;
    rows.reserve(nb.entries.size());
    for (std::size_t k = 0; k < nb.entries.size(); ++k) rows.push_back({row_text(nb.entries[k].heading, mode), k});
    if (mode == NotebookMode::DatedUp)
        std::stable_sort(rows.begin(), rows.end(), [](const NotebookRow& a, const NotebookRow& b) { return a.text < b.text; });
    else if (mode == NotebookMode::DatedDown)
        std::stable_sort(rows.begin(), rows.end(), [](const NotebookRow& a, const NotebookRow& b) { return a.text > b.text; });
    return rows;
}

std::size_t row_of_entry(const std::vector<NotebookRow>& rows, std::size_t entry) {
    for (std::size_t r = 0; r < rows.size(); ++r)
        if (rows[r].entry == entry) return r;
    return rows.size();
}

std::string_view split_words(std::string_view text, std::size_t number, std::size_t* next) {
    std::size_t pos = 0, index = 0;
    std::string_view found;
    bool have = false;
    while (pos < text.size()) {
        if (std::size_t b = blank_at(text, pos)) { pos += b; continue; }
        const std::size_t start = pos;
        while (pos < text.size() && blank_at(text, pos) == 0) pos += char_length_at(text, pos);
        if (have) { *next = index; return found; }
        if (index == number) { found = text.substr(start, pos - start); have = true; }
        ++index;
    }
    *next = 0;
    return found;
}

NotebookMatch search_rows(const std::vector<NotebookRow>& rows, std::size_t start, std::string_view word) {
    NotebookMatch m;
    for (std::size_t r = start; r < rows.size(); ++r) {
        bool hit = rows[r].text == word;
        for (std::size_t n = 0, next = 0; !hit; n = next) {
            const std::string_view w = split_words(rows[r].text, n, &next);
            if (w.empty()) break;
            hit = w == word;
            if (next == 0) break;
        }
        if (!hit) continue;
        if (m.first == SIZE_MAX) {
            m.first = r;
        } else {
            m.second = r;
            break;
        }
    }
    return m;
}

// --- changes ---------------------------------------------------------------

std::string fit_heading(std::string_view text) {
    const std::size_t line_end = text.find_first_of("\r\n");
    if (line_end != std::string_view::npos) text = text.substr(0, line_end);
    return std::string(text.substr(0, cut_on_boundary(text, NOTEBOOK_HEADING_MAX)));
}

std::string dated_heading(std::string_view box_text, std::string_view today) {
    const std::string box = fit_heading(box_text);
    std::string_view text = box;
    if (!has_date(text)) return fit_heading(std::string(today) + box);
    std::size_t pos = NOTEBOOK_DATE_BYTES;
    while (std::size_t b = blank_at(text, pos)) pos += b;
    return std::string(text.substr(0, NOTEBOOK_DATE_BYTES)) + std::string(text.substr(pos));
}

NotebookEdit register_heading(Notebook& nb, std::size_t before, std::string_view box_text, std::string_view today) {
    if (before > nb.entries.size()) return NotebookEdit::NoSuchEntry;
    if (nb.entries.size() >= NOTEBOOK_MAX_HEADINGS) return NotebookEdit::TooMany;
    std::string heading = dated_heading(box_text, today);
    if (heading_bytes(nb) + heading.size() + 1 > NOTEBOOK_HEADING_BYTES) return NotebookEdit::TooLarge;
    nb.entries.insert(nb.entries.begin() + static_cast<std::ptrdiff_t>(before), NotebookEntry{std::move(heading), {}});
    return NotebookEdit::Done;
}

bool change_asks_date(std::string_view old_heading, std::string_view box_text) {
    return !has_date(fit_heading(box_text)) && has_date(old_heading);
}

NotebookEdit change_heading(Notebook& nb, std::size_t index, std::string_view box_text, std::string_view today,
                            bool use_today) {
    if (index >= nb.entries.size()) return NotebookEdit::NoSuchEntry;
    std::string& old = nb.entries[index].heading;
    std::string heading = change_asks_date(old, box_text) && !use_today
                              ? dated_heading(box_text, old.substr(0, NOTEBOOK_DATE_BYTES))
                              : dated_heading(box_text, today);
    if (heading_bytes(nb) - old.size() + heading.size() > NOTEBOOK_HEADING_BYTES) return NotebookEdit::TooLarge;
    old = std::move(heading);
    return NotebookEdit::Done;
}

NotebookEdit delete_heading(Notebook& nb, std::size_t index, std::size_t* select) {
    *select = SIZE_MAX;
    if (index >= nb.entries.size()) return NotebookEdit::NoSuchEntry;
    nb.entries.erase(nb.entries.begin() + static_cast<std::ptrdiff_t>(index));
    if (!nb.entries.empty()) *select = std::min(index, nb.entries.size() - 1);
    return NotebookEdit::Done;
}

NotebookEdit move_heading(Notebook& nb, NotebookMode mode, std::size_t index, bool up) {
    if (is_sorted_mode(mode)) return NotebookEdit::SortedMode;
    if (index >= nb.entries.size()) return NotebookEdit::NoSuchEntry;
    if (up ? index == 0 : index + 1 >= nb.entries.size()) return NotebookEdit::AtEnd;
    std::swap(nb.entries[index], nb.entries[up ? index - 1 : index + 1]);
    return NotebookEdit::Done;
}

std::string terminated_article(std::string_view text) {
    std::string out(text);
    if (!out.empty() && !out.ends_with(CRLF)) out += CRLF;
    return out;
}

std::string article_from_box(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t k = 0; k < text.size(); ++k) {
        if (text[k] == '\r' || text[k] == '\n') {
            if (text[k] == '\r' && k + 1 < text.size() && text[k + 1] == '\n') ++k;
            out += CRLF;
        } else {
            out += text[k];
        }
    }
    return out;
}

bool has_heading_mark_line(std::string_view text) {
    if (starts_with_mark(text)) return true;
    for (std::size_t pos = text.find(CRLF); pos != std::string_view::npos; pos = text.find(CRLF, pos + 1))
        if (starts_with_mark(text.substr(pos + CRLF.size()))) return true;
    return false;
}

NotebookEdit set_article(Notebook& nb, std::size_t index, std::string_view text) {
    if (index >= nb.entries.size()) return NotebookEdit::NoSuchEntry;
    if (has_heading_mark_line(text)) return NotebookEdit::HeadingMark;
    std::string& article = nb.entries[index].article;
    if (text.size() > article.size() && article_bytes(nb) - article.size() + text.size() > NOTEBOOK_ARTICLE_BYTES)
        return NotebookEdit::TooLarge;
    article.assign(text);
    return NotebookEdit::Done;
}

bool article_edit_asks_date(std::string_view heading, std::string_view today) {
    return has_date(heading) && heading.substr(0, NOTEBOOK_DATE_BYTES) != today;
}

}  // namespace rix
