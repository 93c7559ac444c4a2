// The document's editing tables: the buffer, the two line tables, the wrap
// cache, the wrapping rules of the current format, the load state, and the
// structure-index entries found while reading. The application owns one;
// operations take it as an argument so a test builds its own.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "document/line_table.h"
#include "document/load_report.h"
#include "document/notices.h"
#include "document/text_buffer.h"
#include "document/text_pos.h"
#include "document/wrap.h"

namespace rix {

constexpr std::uint32_t NO_LINE = 0xFFFFFFFFu;

// The breaks of one logical line (the wrap cache).
struct WrapCache {
    std::uint32_t line = NO_LINE;          // the line described; NO_LINE = none
    std::vector<std::uint32_t> breaks;     // byte column where display line k starts; breaks[0] = 0
    std::uint32_t current = 0;             // display line that holds the column asked for
    std::uint32_t break_count() const { return breaks.empty() ? 0 : static_cast<std::uint32_t>(breaks.size() - 1); }
    void invalidate() { line = NO_LINE; }
};

// One structure-index entry (chapter headings and the like).
struct IndexEntry {
    std::uint32_t line = 0;       // logical line
    std::uint8_t level = 0;       // 0..9
    std::string title;            // code page 932, at most 40 bytes
    bool operator==(const IndexEntry&) const = default;
};

struct LoadState {
    std::uint64_t file_offset = 0;         // first byte of the file not yet converted
    TextPos end = END_NOT_LOADED;          // the end-of-text mark once everything is converted
    std::uint32_t tag_serial = 0;          // serial of the next tag block; one counter per load
    TextForm form;                         // the file's form, which a save writes back
    LoadReport report;                     // what the load changed or lost
};

struct Document {
    TextBuffer buffer;
    LineTable lines;
    LineFormatTable formats;
    WrapCache cache;
    WrapRules rules;
    LoadState load;
    std::vector<IndexEntry> index;
    // Bumped by everything that writes, moves or renumbers the stored lines
    // (a new load and every chunk loaded, placing edited lines, removing
    // lines, a save). A copy of a line taken at another generation is stale.
    std::uint64_t generation = 0;
    // What an operation met deep below every caller that returns notices (a
    // line without its end while wrapping), in order: app/ shows and clears
    // them when the command that met it returns.
    Notices notices;

    explicit Document(std::string spill_folder = {}, std::uint64_t spill_threshold = UINT64_MAX)
        : buffer(std::move(spill_folder), spill_threshold) {}
    bool fully_loaded() const { return load.end != END_NOT_LOADED; }
    // Pointer to the first byte of a loaded line.
    const std::uint8_t* line_pointer(std::uint32_t line) const { return buffer.pointer(lines.start(line)); }
};

}  // namespace rix
