// Loading a document chunk by chunk (see loader.h).
//
// A chunk is read at the file read offset (a large one in pieces of 64 KB,
// each treated as a chunk). When it is not the last one, the
// converter is given the bytes up to its last LF (or its first 0x1A): only
// whole lines of the file, so a line is never converted twice unless it is
// longer than the chunk. When the chunk holds no finished line at all, the
// read is doubled until it does (a line of the file is split after
// RAW_LINE_SPLIT bytes, so this ends).
#include "document/loader.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "document/storage.h"
#include "platform/codec.h"
#include "platform/messages.h"

namespace rix {
namespace {

constexpr std::size_t MIN_CHUNK_BYTES = 16;
constexpr std::size_t MAX_WINDOW_BYTES = std::size_t{RAW_LINE_SPLIT} + 16;   // a window this big always commits
constexpr std::size_t READ_PIECE_BYTES = 64u * 1024;    // raw bytes read at a time within a chunk
constexpr std::size_t MIN_PIECE_BYTES = 16u * 1024;     // less of a chunk left: it ends there

// Reads up to `want` bytes at `offset` into `out`. -1 on a read error.
long long read_at(int fd, std::uint64_t offset, std::size_t want, std::vector<char>& out) {
    out.resize(want + 1);
    std::size_t got = 0;
    while (fd >= 0 && got < want) {
        ssize_t r = ::pread(fd, out.data() + got, want - got, static_cast<off_t>(offset + got));
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) return -1;
        if (r == 0) break;
        got += static_cast<std::size_t>(r);
    }
    return static_cast<long long>(got);
}

// The bytes of a full window that hold whole lines: through the last LF, or
// through the first 0x1A (the text ends there); the whole window when it
// holds neither.
std::size_t whole_lines(const char* data, std::size_t n) {
    const void* eot = std::memchr(data, TEXT_END_MARK, n);
    if (eot) return static_cast<std::size_t>(static_cast<const char*>(eot) - data) + 1;
    for (std::size_t k = n; k > 0; --k)
        if (data[k - 1] == '\n') return k;
    return n;
}

}  // namespace

void clear_document(Document& doc) {
    ++doc.generation;
    doc.buffer.clear();
    doc.lines.clear();
    doc.formats.clear();
    doc.cache.invalidate();
    doc.load = LoadState{};
    doc.index.clear();
}

namespace {

// Reads `want` raw bytes at the file read offset and converts the whole lines
// among them; a window that holds no finished line is doubled until it does.
// False when nothing was converted: the load stopped (a limit, a read error).
bool convert_window(Document& doc, DocumentState& state, LoadSession& s, std::size_t want) {
    ExtensionReader* records = s.extension ? &s.reader : nullptr;
    for (;;) {
        std::uint64_t offset = doc.load.file_offset;
        long long got = read_at(state.text_fd, offset, want, s.staging);
        if (got < 0) {
            show_message(MSG_NOTICE, 0, utf8_to_sjis("文書ファイルを読めません｡"), 3000);
            s.carry.stopped = true;
            return false;
        }
        auto n = static_cast<std::size_t>(got);
        ChunkInput in;
        in.file_offset = offset;
        in.final = n < want;
        if (in.final) s.staging[n++] = static_cast<char>(TEXT_END_MARK);
        in.bytes = std::string_view(s.staging.data(), in.final ? n : whole_lines(s.staging.data(), n));
        ChunkResult r = convert_chunk(doc, state, s.options, records, s.carry, in);
        ++doc.generation;
        doc.load.file_offset = offset + std::min<std::uint64_t>(r.consumed, static_cast<std::uint64_t>(got));
        if (r.consumed > 0 || r.text_ended) return true;
        if (r.refused || in.final || want >= MAX_WINDOW_BYTES) {
            s.carry.stopped = true;
            return false;
        }
        want = std::min(want * 2, MAX_WINDOW_BYTES);
    }
}

}  // namespace

bool load_more(Document& doc, DocumentState& state, LoadSession& s) {
    if (doc.fully_loaded() || s.carry.stopped) return false;
    // A large chunk is read and converted in pieces, so that the raw bytes held
    // at a time stay few (and in the cache); each piece ends after a whole
    // line, as a chunk does, so the lines are the same.
    const std::uint64_t end = doc.load.file_offset + std::max(s.options.chunk_size, MIN_CHUNK_BYTES);
    auto piece = [&] {
        return static_cast<std::size_t>(std::min<std::uint64_t>(end - doc.load.file_offset, READ_PIECE_BYTES));
    };
    if (!convert_window(doc, state, s, piece())) return false;
    while (!doc.fully_loaded() && !s.carry.stopped && doc.load.file_offset + MIN_PIECE_BYTES <= end) {
        if (!convert_window(doc, state, s, piece())) break;
    }
    return true;
}

bool load_all(Document& doc, DocumentState& state, LoadSession& s) {
    while (load_more(doc, state, s)) {
    }
    return doc.fully_loaded();
}

TextPos clamp_to_character(const Document& doc, TextPos pos) {
    if (pos.line() >= doc.lines.count()) return TextPos();
    LineScanner scan(doc.line_pointer(pos.line()), MAX_LINE_BYTES + 2);
    std::uint32_t best = 0;
    for (;;) {
        ScanItem item = scan.next();
        if (item.column > pos.column()) break;
        best = item.column;
        if (item.kind == ItemKind::PAIR && item.column + 1 <= pos.column()) best = item.column + 1;
        if (item.kind == ItemKind::LINE_END || item.kind == ItemKind::TEXT_END || item.kind == ItemKind::CUT) break;
    }
    return TextPos(pos.line(), best);
}

TextPos start_load(Document& doc, DocumentState& state, LoadSession& s, bool restore_cursor,
                   std::uint32_t screen_lines) {
    clear_document(doc);
    state.modified = 0;
    s.carry = ConvertCarry{};
    s.carry.ruby_reading = s.options.read_rubies;
    s.reader = s.extension ? ExtensionReader(s.extension) : ExtensionReader();
    if (s.extension)
        for (const ExtensionIndexEntry& e : s.extension->index)
            doc.index.push_back(IndexEntry{e.line, e.level, e.title});
    load_more(doc, state, s);
    if (!restore_cursor || !s.extension || state.file_length == 0) return TextPos();
    TextPos stored = s.extension->header.cursor;
    while (doc.lines.count() <= stored.line() && load_more(doc, state, s)) {
    }
    if (stored.line() >= doc.lines.count()) return TextPos();
    if (doc.lines.count() - stored.line() - 1 < screen_lines) load_more(doc, state, s);
    return clamp_to_character(doc, stored);
}

DocumentCounts count_document(const Document& doc) {
    DocumentCounts c;
    c.lines = doc.lines.count();
    c.display_lines = doc.lines.total_display_lines();
    c.index_entries = doc.index.size();
    for (std::uint32_t line = 0; line < c.lines; ++line) {
        LineScanner scan(doc.line_pointer(line), MAX_LINE_SCAN);
        for (;;) {
            const std::uint32_t doubles = scan.skip_doubles(UINT32_MAX);
            c.cells += doubles;
            c.bytes += 2 * std::uint64_t{doubles};
            const ScanItem item = scan.next();
            if (item.kind == ItemKind::LINE_END || item.kind == ItemKind::TEXT_END || item.kind == ItemKind::CUT)
                break;
            switch (item.kind) {
            case ItemKind::DOUBLE:
            case ItemKind::SINGLE:
            case ItemKind::PAIR:
                ++c.cells;
                c.bytes += item.length;
                break;
            case ItemKind::RUBY:
                ++c.rubies;
                break;
            case ItemKind::TAG:
                ++c.tags;
                break;
            default:
                break;
            }
        }
    }
    return c;
}

}  // namespace rix
