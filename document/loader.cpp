// Loading a document chunk by chunk (see loader.h).
//
// A chunk is read at the file read offset (a large one in pieces of 64 KB,
// each treated as a chunk). When it is not the last one, the
// converter is given the bytes up to its last LF (or its first 0x1A): only
// whole lines of the file, so a line is never converted twice unless it is
// longer than the chunk. When the chunk holds no finished line at all, the
// read is doubled until it does (a line of the file is split after
// RAW_LINE_SPLIT bytes, so this ends).
//
// A UTF-8 file is converted to code page 932 window by window before the
// converter sees it: the converter's columns are then code page 932 bytes,
// as the extension file counts them, and what it consumed is mapped back to
// the file's bytes (utf8_bytes_for) only when it stopped short of the
// window's end (a split line, the 0x1A).
#include "document/loader.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "document/storage.h"
#include "platform/codec.h"

namespace rix {
namespace {

constexpr std::size_t MIN_CHUNK_BYTES = 16;
constexpr std::size_t MAX_WINDOW_BYTES = std::size_t{RAW_LINE_SPLIT} + 16;   // a window this big always commits
constexpr std::size_t READ_PIECE_BYTES = 64u * 1024;    // raw bytes read at a time within a chunk
constexpr std::size_t MIN_PIECE_BYTES = 16u * 1024;     // less of a chunk left: it ends there

// The answers of a load that has no one to ask: every question is answered
// no, the answer that changes nothing in the text.
class AnswerNo final : public Questions {
public:
    bool yes_no(std::string_view, std::uintptr_t) override { return false; }
};

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

// The window's bytes as the converter takes them: the raw bytes, or for a
// UTF-8 file their code page 932 form; a final window gets the 0x1A.
ChunkInput window_input(Document& doc, LoadSession& s, std::size_t n, bool final, std::size_t* raw_used) {
    ChunkInput in;
    in.final = final;
    if (doc.load.form.encoding == TextEncoding::SHIFT_JIS) {
        in.file_offset = doc.load.file_offset;
        if (final) s.staging[n++] = static_cast<char>(TEXT_END_MARK);
        in.bytes = std::string_view(s.staging.data(), final ? n : whole_lines(s.staging.data(), n));
        *raw_used = in.bytes.size();
        return in;
    }
    const std::size_t raw = final ? n : whole_lines(s.staging.data(), n);
    s.decoded.clear();
    s.lost.clear();
    *raw_used = utf8_text_to_sjis(std::string_view(s.staging.data(), raw), !final, &s.decoded, &s.lost);
    if (final) s.decoded.push_back(static_cast<char>(TEXT_END_MARK));
    in.file_offset = s.decoded_offset;   // a place in the converted text, the same in every window
    in.bytes = s.decoded;
    in.lost = &s.lost;
    return in;
}

std::uint64_t file_size_of(int fd) {
    struct stat st {};
    return fd >= 0 && ::fstat(fd, &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
}

// The text ended at an 0x1A of the file that ends at file offset `after`:
// the file had its end mark, and what follows it is not read.
void text_end_met(Document& doc, DocumentState& state, std::uint64_t after) {
    doc.load.form.end_mark = true;
    const std::uint64_t size = file_size_of(state.text_fd);
    if (size <= after) return;
    ReportPlace place;
    if (doc.load.report.first.line == 0) {
        const TextPos end = doc.load.end;
        place = ReportPlace{end.line() + 1, characters_in(doc.line_pointer(end.line()), end.column()) + 1};
    }
    doc.load.report.count(Conversion::TEXT_END, size - after, place);
    state.modified |= MODIFIED_TEXT | MODIFIED_CONVERTED;
}

// Document::index as the structure index keeps it, whatever the extension
// file and the index lines of the text say: in line order, the entries of
// one line shallower first, one entry per level a line (the one read first
// stays), and, once the whole text is in, none past its last line. Every
// other entry the file holds is kept: a document may hold more than
// registering allows, and a save writes them all back. Run between chunks,
// never inside one: the converter gives back an unfinished line's entries
// by their count.
void tidy_index(Document& doc) {
    std::vector<IndexEntry>& index = doc.index;
    auto key = [](const IndexEntry& e) { return std::pair<std::uint32_t, int>(e.line, e.level & 0x07); };
    std::stable_sort(index.begin(), index.end(),
                     [&](const IndexEntry& a, const IndexEntry& b) { return key(a) < key(b); });
    index.erase(std::unique(index.begin(), index.end(),
                            [&](const IndexEntry& a, const IndexEntry& b) { return key(a) == key(b); }),
                index.end());
    if (doc.fully_loaded())
        std::erase_if(index, [&](const IndexEntry& e) { return e.line >= doc.lines.count(); });
}

// Reads `want` raw bytes at the file read offset and converts the whole lines
// among them; a window that holds no finished line is doubled until it does.
// False when nothing was converted: the load stopped (a limit, a read error).
bool convert_window(Document& doc, DocumentState& state, LoadSession& s, std::size_t want, Notices& notices) {
    ExtensionReader* records = s.extension ? &s.reader : nullptr;
    AnswerNo no;
    Questions& questions = s.questions ? *s.questions : no;
    for (;;) {
        std::uint64_t offset = doc.load.file_offset;
        long long got = read_at(state.text_fd, offset, want, s.staging);
        if (got < 0) {
            notices.add("文書ファイルを読めません｡", 3000);
            s.carry.stopped = true;
            return false;
        }
        auto n = static_cast<std::size_t>(got);
        std::size_t raw_used = 0;
        const ChunkInput in = window_input(doc, s, n, n < want, &raw_used);
        ChunkResult r = convert_chunk(doc, state, s.options, records, s.carry, in, questions, notices);
        ++doc.generation;
        // The file bytes behind what was consumed (the appended 0x1A has none).
        std::size_t raw = std::min(r.consumed, raw_used);
        if (in.lost) {
            const std::size_t text = in.bytes.size() - (in.final ? 1 : 0);
            raw = r.consumed >= text ? raw_used : utf8_bytes_for(std::string_view(s.staging.data(), raw_used), r.consumed);
        }
        const bool own_mark = r.text_ended && r.consumed < in.bytes.size() + (in.final ? 0 : 1);
        doc.load.file_offset = offset + std::min<std::uint64_t>(raw, n);
        if (in.lost) s.decoded_offset += r.consumed;
        if (own_mark) text_end_met(doc, state, doc.load.file_offset);
        tidy_index(doc);
        if (r.consumed > 0 || r.text_ended) return true;
        if (r.refused || in.final || want >= MAX_WINDOW_BYTES) {
            s.carry.stopped = true;
            return false;
        }
        want = std::min(want * 2, MAX_WINDOW_BYTES);
    }
}

}  // namespace

namespace {

constexpr std::size_t FIRST_LOOK_BYTES = 64u * 1024;   // Shift_JIS text shows itself here
constexpr unsigned REPORT_NOTICE_MS = 20000;
constexpr unsigned REFUSED_UTF8_NOTICE_MS = 8000;

// The kind check of the encoding, on the file's first ENCODING_CHECK_BYTES
// (the first 64 KB decide for most Shift_JIS files). A file with the
// byte-order mark is read after it.
void judge_file_encoding(Document& doc, DocumentState& state, LoadSession& s, Notices& notices) {
    const std::uint64_t size = file_size_of(state.text_fd);
    if (size == 0) return;
    std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(size, FIRST_LOOK_BYTES));
    long long got = read_at(state.text_fd, 0, want, s.staging);
    if (got <= 0) return;
    EncodingJudgement j = judge_encoding(std::string_view(s.staging.data(), static_cast<std::size_t>(got)),
                                         static_cast<std::uint64_t>(got) >= size);
    if (!j.bom && static_cast<std::uint64_t>(got) < size &&
        check_utf8(std::string_view(s.staging.data(), static_cast<std::size_t>(got)), true).valid) {
        want = static_cast<std::size_t>(std::min<std::uint64_t>(size, ENCODING_CHECK_BYTES));
        got = read_at(state.text_fd, 0, want, s.staging);
        if (got <= 0) return;
        j = judge_encoding(std::string_view(s.staging.data(), static_cast<std::size_t>(got)),
                           static_cast<std::uint64_t>(got) >= size);
    }
    TextForm& form = doc.load.form;
    form.encoding = j.encoding;
    form.bom = j.bom;
    form.end_mark = j.encoding == TextEncoding::SHIFT_JIS;
    // Until a line end is met: UTF-8 text on this system ends its lines in LF.
    if (j.encoding == TextEncoding::UTF8) form.line_end = LineEndStyle::LF;
    if (j.bom) doc.load.file_offset = UTF8_BOM.size();
    if (j.refused_utf8)
        notices.add("この文書はUTF-8で書かれているように見えますが､\n" + std::to_string(j.invalid_at + 1) +
                        "バイト目にUTF-8として正しくないバイト列があります｡\n"
                        "Shift_JISの文書として読込みます｡",
                    REFUSED_UTF8_NOTICE_MS);
    s.staging.clear();
    s.staging.shrink_to_fit();
}

}  // namespace

void tell_load_report(Document& doc, Notices& notices) {
    LoadReport& r = doc.load.report;
    if (r.told || !r.any()) return;
    r.told = true;
    if (r.unmappable > 0) notices.add(unmappable_message(r), REPORT_NOTICE_MS);
    if (r.first.line != 0) notices.add(conversion_message(r), REPORT_NOTICE_MS);
}

bool load_more(Document& doc, DocumentState& state, LoadSession& s, Notices* notices) {
    Notices dropped;
    Notices& out = notices ? *notices : dropped;
    if (doc.fully_loaded() || s.carry.stopped) return false;
    // A large chunk is read and converted in pieces, so that the raw bytes held
    // at a time stay few (and in the cache); each piece ends after a whole
    // line, as a chunk does, so the lines are the same.
    const std::uint64_t end = doc.load.file_offset + std::max(s.options.chunk_size, MIN_CHUNK_BYTES);
    auto piece = [&] {
        return static_cast<std::size_t>(std::min<std::uint64_t>(end - doc.load.file_offset, READ_PIECE_BYTES));
    };
    if (!convert_window(doc, state, s, piece(), out)) return false;
    while (!doc.fully_loaded() && !s.carry.stopped && doc.load.file_offset + MIN_PIECE_BYTES <= end) {
        if (!convert_window(doc, state, s, piece(), out)) break;
    }
    if (s.started) tell_load_report(doc, out);
    return true;
}

bool load_all(Document& doc, DocumentState& state, LoadSession& s, Notices* notices) {
    while (load_more(doc, state, s, notices)) {
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

namespace {

// The cursor a load with restore starts at (see start_load).
TextPos restored_cursor(Document& doc, DocumentState& state, LoadSession& s, std::uint32_t screen_lines,
                        Notices& notices) {
    TextPos stored = s.extension->header.cursor;
    while (doc.lines.count() <= stored.line() && load_more(doc, state, s, &notices)) {
    }
    if (stored.line() >= doc.lines.count()) return TextPos();
    if (doc.lines.count() - stored.line() - 1 < screen_lines) load_more(doc, state, s, &notices);
    return clamp_to_character(doc, stored);
}

}  // namespace

TextPos start_load(Document& doc, DocumentState& state, LoadSession& s, bool restore_cursor,
                   std::uint32_t screen_lines, Notices* notices) {
    Notices dropped;
    Notices& out = notices ? *notices : dropped;
    clear_document(doc);
    state.modified = 0;
    state.keep_original.clear();
    s.carry = ConvertCarry{};
    s.carry.ruby_reading = s.options.read_rubies;
    s.reader = s.extension ? ExtensionReader(s.extension) : ExtensionReader();
    s.decoded_offset = 0;
    s.started = false;
    if (s.extension)
        for (const ExtensionIndexEntry& e : s.extension->index)
            doc.index.push_back(IndexEntry{e.line, e.level, e.title});
    tidy_index(doc);
    judge_file_encoding(doc, state, s, out);
    load_more(doc, state, s, &out);
    // What a UTF-8 file loses is told before editing starts: it is read whole.
    if (doc.load.form.encoding == TextEncoding::UTF8) load_all(doc, state, s, &out);
    TextPos cursor;
    if (restore_cursor && s.extension && state.file_length != 0)
        cursor = restored_cursor(doc, state, s, screen_lines, out);
    s.started = true;
    tell_load_report(doc, out);
    if (doc.load.report.unmappable > 0) state.keep_original = state.opened_path;
    return cursor;
}

DocumentCounts count_document(const Document& doc) {
    DocumentCounts c;
    c.lines = doc.lines.count();
    c.display_lines = doc.lines.total_display_lines();
    c.index_entries = doc.index.size();
    c.unmappable = doc.load.report.unmappable;
    c.converted = doc.load.report.converted_bytes();
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
