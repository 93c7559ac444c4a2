// The structure index (see structure_index.h).
#include "aids/structure_index.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "document/export.h"
#include "editing/edit_text.h"
#include "platform/codec.h"

namespace rix {

std::uint8_t index_level_byte(int level, bool page_break) {
    const int l = std::clamp(level, 1, INDEX_LEVELS);
    return static_cast<std::uint8_t>((l - 1) | (page_break ? INDEX_PAGE_BREAK : 0));
}

std::string index_name(std::string_view text, std::size_t max_bytes) {
    text = text.substr(0, text.find('\0'));
    return std::string(text.substr(0, cut_on_boundary(text, max_bytes)));
}

void note_index_status(IndexStatus status, int level, WindowRef owner, Notices& notices) {
    std::string text;
    unsigned ms = 2000;
    switch (status) {
        case IndexStatus::OK: return;
        case IndexStatus::DUPLICATE:
            text = "この行には既に階層 " + std::to_string(level) + " の\n索引が付いています。";
            ms = 3000;
            break;
        case IndexStatus::FULL: text = "索引は " + std::to_string(INDEX_MAX_ENTRIES) + " 個までです。"; break;
        case IndexStatus::NO_ENTRY: text = "索引が選ばれていません。"; ms = 1500; break;
        case IndexStatus::SAME_ENTRY: text = "移動元と移動先を指定してください。"; break;
        case IndexStatus::LAST_LINE:
            text = "本文のＥＯＦ(最終)行は移動出来ません。\n行の終端に改行を入れてください。";
            ms = 3000;
            break;
        case IndexStatus::INTO_ITSELF: text = "移動先が移動する範囲の中にあります。"; break;
        case IndexStatus::SHARED_LINE:
            text = "移動元の行には上位の索引も付いています。\n行ごと移動すると索引が離れるため移動出来ません。";
            ms = 3000;
            break;
        case IndexStatus::NOT_LOADED: text = "本文を最後まで読み込めませんでした。"; break;
    }
    notices.add(std::move(text), ms, owner);
}

std::size_t index_insertion_point(const std::vector<IndexEntry>& index, std::uint32_t line, int level) {
    std::size_t k = 0;
    while (k < index.size() && (index[k].line < line || (index[k].line == line && index_level(index[k]) < level))) ++k;
    return k;
}

namespace {

bool line_has_level(const std::vector<IndexEntry>& index, std::uint32_t line, int level, std::size_t except) {
    for (std::size_t k = 0; k < index.size(); ++k)
        if (k != except && index[k].line == line && index_level(index[k]) == level) return true;
    return false;
}

// Entries of one line shallower first; stable, so nothing else moves.
void sort_entries(std::vector<IndexEntry>& index) {
    std::stable_sort(index.begin(), index.end(), [](const IndexEntry& a, const IndexEntry& b) {
        return a.line != b.line ? a.line < b.line : index_level(a) < index_level(b);
    });
}

}  // namespace

IndexStatus add_index_entry(Document& doc, DocumentState& state, std::uint32_t line, int level, bool page_break,
                            std::string_view name, std::size_t* at) {
    if (doc.index.size() >= INDEX_MAX_ENTRIES) return IndexStatus::FULL;
    const std::size_t k = index_insertion_point(doc.index, line, level);
    if (k < doc.index.size() && doc.index[k].line == line && index_level(doc.index[k]) == level)
        return IndexStatus::DUPLICATE;
    doc.index.insert(doc.index.begin() + static_cast<std::ptrdiff_t>(k),
                     IndexEntry{line, index_level_byte(level, page_break), index_name(name)});
    state.modified |= MODIFIED_EXTENSION;
    if (at) *at = k;
    return IndexStatus::OK;
}

IndexStatus change_index_entry(Document& doc, DocumentState& state, std::size_t entry, int level, bool page_break,
                               std::string_view name, std::size_t* at) {
    if (entry >= doc.index.size()) return IndexStatus::NO_ENTRY;
    IndexEntry& e = doc.index[entry];
    if (line_has_level(doc.index, e.line, level, entry)) return IndexStatus::DUPLICATE;
    e.level = index_level_byte(level, page_break);
    e.title = index_name(name);
    // Only the entries of this one line can change places.
    const IndexEntry changed = e;
    sort_entries(doc.index);
    state.modified |= MODIFIED_EXTENSION;
    if (at) {
        *at = index_insertion_point(doc.index, changed.line, index_level(changed));
    }
    return IndexStatus::OK;
}

IndexStatus delete_index_entry(Document& doc, DocumentState& state, std::size_t entry) {
    if (entry >= doc.index.size()) return IndexStatus::NO_ENTRY;
    doc.index.erase(doc.index.begin() + static_cast<std::ptrdiff_t>(entry));
    state.modified |= MODIFIED_EXTENSION;
    return IndexStatus::OK;
}

std::string index_name_from_line(const Document& doc, std::uint32_t line, const EditOptions& options) {
    if (line >= doc.lines.count()) return {};
    ExportOptions o;
    o.form = ExportForm::EXPORT;
    o.write_rubies = options.export_rubies;
    o.ruby_notation = options.ruby_notation;
    o.custom_delimiters = options.custom_delimiters;
    o.end_mark = false;
    TextPos start(line, 0);
    std::string text;
    const TextPos end = line + 1 < doc.lines.count() ? TextPos(line + 1, 0) : TextPos(0xFFFFFFFFu);
    export_text(doc, o, &start, end, &text);
    text = text.substr(0, text.find_first_of("\r\n"));
    std::size_t k = 0;
    while (k + 1 < text.size() && static_cast<std::uint8_t>(text[k]) == 0x81 && static_cast<std::uint8_t>(text[k + 1]) == 0x40)
        k += 2;
    return index_name(std::string_view(text).substr(k));
}

std::size_t index_entry_for_line(const std::vector<IndexEntry>& index, std::uint32_t line) {
    if (index.empty()) return NO_INDEX_ENTRY;
    for (std::size_t k = 0; k < index.size(); ++k)
        if (index[k].line >= line) return k;
    return index.size() - 1;
}

// ---- the section move -----------------------------------------------------

IndexStatus plan_index_move(const Document& doc, std::size_t source, std::size_t destination, IndexSection* out) {
    const std::vector<IndexEntry>& index = doc.index;
    if (source >= index.size() || destination >= index.size()) return IndexStatus::NO_ENTRY;
    if (source == destination) return IndexStatus::SAME_ENTRY;
    const IndexEntry& s = index[source];
    const std::uint32_t count = doc.lines.count();
    if (!doc.fully_loaded() || index.back().line >= count) return IndexStatus::NOT_LOADED;
    if (s.line + 1 >= count) return IndexStatus::LAST_LINE;
    // The section's lines end at the next entry of the source's level or a shallower one.
    std::size_t e = source + 1;
    while (e < index.size() && index_level(index[e]) > index_level(s)) ++e;
    IndexSection sec;
    sec.first_line = s.line;
    sec.line_count = e < index.size() ? index[e].line - s.line : 1;
    if (sec.line_count == 0) return IndexStatus::SHARED_LINE;   // that entry shares the source's line
    const std::uint32_t end_line = sec.first_line + sec.line_count;
    // Exactly the entries on the moved lines move; one of them before the
    // source (a shallower entry of its line) would be torn from its line.
    if (source > 0 && index[source - 1].line == s.line) return IndexStatus::SHARED_LINE;
    sec.first_entry = source;
    sec.end_entry = source;
    while (sec.end_entry < index.size() && index[sec.end_entry].line < end_line) ++sec.end_entry;
    sec.before_line = index[destination].line;
    if (sec.before_line >= sec.first_line && sec.before_line < end_line) return IndexStatus::INTO_ITSELF;
    if (end_line >= count) return IndexStatus::LAST_LINE;   // the end of the text never moves
    *out = sec;
    return IndexStatus::OK;
}

std::uint32_t apply_index_move(EditContext& c, const IndexSection& sec) {
    return move_lines(c, sec.first_line, sec.line_count, sec.before_line);
}

// ---- the list rows --------------------------------------------------------

namespace {

const char* const GLYPH_TEE = "├";
const char* const GLYPH_ELBOW = "└";
const char* const GLYPH_BAR = "│";
const char* const GLYPH_DASH = "─";
const char* const GLYPH_BLANK = "　";

bool shown(const IndexEntry& e, std::uint8_t filter) {
    return (filter >> (std::min(index_level(e), INDEX_LEVELS) - 1) & 1) != 0;
}

// The glyphs of visible row i (levels 0-based).
std::string row_glyphs(const std::vector<int>& levels, std::size_t i, std::vector<bool>& tee) {
    const int level = levels[i];
    int parent = -1;
    for (std::size_t j = i; j-- > 0;)
        if (levels[j] < level) {
            parent = levels[j];
            break;
        }
    std::string out;
    for (int k = 0; k < level; ++k) {
        if (parent < 0) {
            out += GLYPH_BLANK;
        } else if (k == parent) {
            bool more = false;
            for (std::size_t j = i + 1; j < levels.size() && levels[j] > parent; ++j)
                if (levels[j] <= level) {
                    more = true;
                    break;
                }
            tee[static_cast<std::size_t>(k)] = more;
            out += more ? GLYPH_TEE : GLYPH_ELBOW;
        } else if (k > parent) {
            out += GLYPH_DASH;
        } else {
            out += tee[static_cast<std::size_t>(k)] ? GLYPH_BAR : GLYPH_BLANK;
        }
    }
    return out;
}

}  // namespace

std::vector<IndexRow> index_rows(const std::vector<IndexEntry>& index, std::uint8_t filter) {
    std::vector<std::size_t> entries;
    std::vector<int> levels;
    for (std::size_t k = 0; k < index.size(); ++k)
        if (shown(index[k], filter)) {
            entries.push_back(k);
            levels.push_back(index_level(index[k]) - 1);
        }
    std::vector<bool> tee(INDEX_LEVELS + 1, false);
    unsigned ordinals[INDEX_LEVELS + 1] = {};
    std::vector<IndexRow> rows;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const IndexEntry& e = index[entries[i]];
        const int level = levels[i];
        ++ordinals[level];
        std::fill(std::begin(ordinals) + level + 1, std::end(ordinals), 0u);
        char head[16];
        std::snprintf(head, sizeof head, "%5u%c", static_cast<unsigned>(e.line + 1), index_page_break(e) ? '+' : ' ');
        char ordinal[16];
        std::snprintf(ordinal, sizeof ordinal, "%02u ", ordinals[level]);
        rows.push_back({entries[i], head + utf8_to_sjis(row_glyphs(levels, i, tee)) + ordinal + index_name(e.title)});
    }
    return rows;
}

std::string index_invariant(const std::vector<IndexEntry>& index) {
    for (std::size_t k = 0; k < index.size(); ++k) {
        if (index[k].title.size() > INDEX_NAME_BYTES) return "entry " + std::to_string(k) + ": name too long";
        if (k == 0) continue;
        const IndexEntry& a = index[k - 1];
        const IndexEntry& b = index[k];
        if (a.line > b.line || (a.line == b.line && index_level(a) >= index_level(b)))
            return "entry " + std::to_string(k) + " out of order";
    }
    return {};
}

}  // namespace rix
