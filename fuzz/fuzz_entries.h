// Entry points shared by the loader fuzz target and the seed replay test:
// loading bytes from an in-memory file, a comparable image of a loaded
// document, and the checks a load must pass whatever its input.
//
// The loader entry reads its input as
//   OFFSET  SIZE  MEANING
//   0       1     options: bit 0 rubies, 1 index, 2 line information, 3-4 notation - 1,
//                 5 answer No to the long-ruby question, 6-7 kinsoku mode
//   1       1     small chunk size: 16 + value
//   2       1     tab width: value % 9 (0 included)
//   3       1     characters per column: 1 + value % 40
//   4       2     length L of an extension file image (big-endian)
//   6       L     the extension file image
//   6+L     ...   the document text
// and loads the text once in one chunk and once in small chunks; both must
// give the same document, and the document must hold its invariants.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "document/display_lines.h"
#include "document/extension_file.h"
#include "document/loader.h"
#include "document/storage.h"
#include "platform/messages.h"

namespace rix::fuzz {

// A message service that answers every question the same way.
class FixedAnswers final : public MessageService {
public:
    explicit FixedAnswers(int answer) : answer_(answer) { install_messages(this); }
    ~FixedAnswers() override { install_messages(nullptr); }
    int show_message(int kind, WindowRef, std::string_view, unsigned) override {
        ++shown;
        return (kind & 0xFF) == MSG_NOTICE ? MSG_RESULT_OK : answer_;
    }
    void show_help(std::string_view) override {}
    void set_beep(bool) override {}
    int shown = 0;

private:
    int answer_;
};

// A file descriptor of an in-memory file holding `bytes`; -1 on failure.
inline int memory_file(std::string_view bytes) {
    int fd = ::memfd_create("rix-load", MFD_CLOEXEC);
    if (fd < 0) return -1;
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t w = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (w <= 0) break;
        done += static_cast<std::size_t>(w);
    }
    return fd;
}

// Loads `text` as the document's file; returns the cursor start_load gave.
inline TextPos load_bytes(Document& doc, DocumentState& state, LoadSession& session, std::string_view text,
                          bool restore_cursor = false, Notices* notices = nullptr) {
    state.text_fd = memory_file(text);
    state.file_length = static_cast<std::int64_t>(text.size());
    TextPos cursor = start_load(doc, state, session, restore_cursor, 40, notices);
    load_all(doc, state, session, notices);
    if (state.text_fd >= 0) ::close(state.text_fd);
    state.text_fd = -1;
    return cursor;
}

// Everything a load produces, as bytes: per line its stored bytes through the
// end mark, marks, format word and display lines; then the end, the index
// and the modified bits.
inline std::string document_image(const Document& doc, const DocumentState& state) {
    std::string out;
    auto num = [&out](std::uint64_t v) { out += std::to_string(v) + ","; };
    for (std::uint32_t line = 0; line < doc.lines.count(); ++line) {
        const std::uint8_t* p = doc.line_pointer(line);
        LineScanner scan(p, MAX_LINE_SCAN);
        ScanItem item = scan.next();
        while (item.kind != ItemKind::LINE_END && item.kind != ItemKind::TEXT_END && item.kind != ItemKind::CUT)
            item = scan.next();
        out.append(reinterpret_cast<const char*>(p), item.column + item.length);
        out += '|';
        num(doc.lines.marks(line));
        num(doc.formats.word(line));
        num(doc.lines.display_lines(line));
        out += '\n';
    }
    num(doc.load.end.value);
    for (const IndexEntry& e : doc.index) num(e.line), num(e.level), out += e.title + ";";
    num(state.modified);
    return out;
}

// What must hold after any load. "" when it does, else what is wrong.
inline std::string check_loaded(const Document& doc) {
    std::string bad = doc.lines.check_invariant(doc.buffer.append_position());
    if (!bad.empty()) return bad;
    if (doc.lines.count() > MAX_LINES) return "too many lines";
    for (std::uint32_t line = 0; line < doc.lines.count(); ++line) {
        if (doc.lines.start(line) & 1) return "odd line start";
        LineScanner scan(doc.line_pointer(line), MAX_LINE_SCAN);
        ScanItem item = scan.next();
        while (item.kind != ItemKind::LINE_END && item.kind != ItemKind::TEXT_END && item.kind != ItemKind::CUT)
            item = scan.next();
        if (item.kind == ItemKind::CUT) return "line " + std::to_string(line) + " has no end";
        if (item.column + 1 > MAX_LINE_BYTES) return "line " + std::to_string(line) + " too long";
        bool last = line + 1 == doc.lines.count();
        if ((item.kind == ItemKind::TEXT_END) != (last && doc.fully_loaded())) return "misplaced text end";
        if (doc.lines.display_lines(line) != count_display_lines(doc, line)) return "display count differs";
    }
    // The structure index's own order: by line, one line's entries shallower
    // first, one per level; titles within their limit; none past a loaded
    // text's end (a file may hold more entries than registering allows).
    for (std::size_t k = 0; k < doc.index.size(); ++k) {
        const IndexEntry& e = doc.index[k];
        if (e.title.size() > EXT_INDEX_TITLE_BYTES) return "index title too long";
        if (doc.fully_loaded() && e.line >= doc.lines.count()) return "index entry past the last line";
        if (k > 0 && (doc.index[k - 1].line > e.line ||
                      (doc.index[k - 1].line == e.line && (doc.index[k - 1].level & 7) >= (e.level & 7))))
            return "index entries out of order";
    }
    return "";
}

struct LoadCase {
    LoadOptions options;
    WrapRules rules;
    int answer = MSG_RESULT_YES;
    std::string extension;       // extension file image ("" = none)
    std::string text;
};

inline LoadCase decode_load_case(const std::uint8_t* data, std::size_t size) {
    LoadCase c;
    std::string_view in(reinterpret_cast<const char*>(data), size);
    auto at = [&](std::size_t k) { return k < in.size() ? static_cast<std::uint8_t>(in[k]) : std::uint8_t{0}; };
    std::uint8_t flags = at(0);
    c.options.read_rubies = flags & 1;
    c.options.read_index = flags & 2;
    c.options.read_line_info = flags & 4;
    c.options.ruby_notation = static_cast<std::uint8_t>(((flags >> 3) & 3) + 1);
    c.options.custom_delimiters = "\x81\x79\x81\x7A";   // 【】
    c.options.line_id_symbol = "\x81\x9F";              // ◆
    c.answer = flags & 0x20 ? MSG_RESULT_NO : MSG_RESULT_YES;
    c.rules.kinsoku_mode = static_cast<std::uint8_t>((flags >> 6) % 3);
    c.rules.line_start_prohibited = "\x81\x41\x81\x42\x81\x76";   // 、。」
    c.rules.line_end_prohibited = "\x81\x75";                      // 「
    c.options.chunk_size = 16 + at(1);
    c.options.tab_width = at(2) % 9;
    c.rules.chars_per_column = 1 + at(3) % 40;
    std::size_t ext_len = static_cast<std::size_t>(at(4)) << 8 | at(5);
    std::size_t rest = in.size() > 6 ? in.size() - 6 : 0;
    ext_len = std::min(ext_len, rest);
    c.extension = std::string(in.substr(std::min<std::size_t>(6, in.size()), ext_len));
    c.text = std::string(in.substr(std::min(in.size(), 6 + ext_len)));
    return c;
}

// Loads the case in one chunk and in small chunks. "" when both agree and
// hold the invariants.
inline std::string run_load_case(const LoadCase& c) {
    ExtensionFile ext;
    bool have_ext = false;
    if (!c.extension.empty()) {
        ExtensionStatus st = read_extension_bytes(c.extension, &ext);
        have_ext = st == ExtensionStatus::OK || st == ExtensionStatus::CORRUPT;
    }
    std::string images[2];
    for (int pass = 0; pass < 2; ++pass) {
        FixedAnswers answers(c.answer);
        Document doc;
        doc.rules = c.rules;
        DocumentState state;
        LoadSession session;
        session.options = c.options;
        if (pass == 0) session.options.chunk_size = c.text.size() + 16;   // the whole text in one chunk
        session.extension = have_ext ? &ext : nullptr;
        load_bytes(doc, state, session, c.text, true);
        std::string bad = check_loaded(doc);
        if (!bad.empty()) return (pass == 0 ? "one chunk: " : "small chunks: ") + bad;
        images[pass] = document_image(doc, state);
    }
    if (images[0] != images[1]) return "one chunk and small chunks differ";
    return "";
}

inline std::string loader_entry(const std::uint8_t* data, std::size_t size) {
    return run_load_case(decode_load_case(data, size));
}

// An extension file image merged into a fixed text with rubies, tags, marks
// and a tab, read with and without ruby notation.
inline std::string extension_entry(const std::uint8_t* data, std::size_t size) {
    LoadCase c;
    c.extension.assign(reinterpret_cast<const char*>(data), size);
    // 吾輩は猫である。《わがはい》 / 漢字かな\t / ｜東京《とうきょう》 / (empty) / 0x1A
    c.text = "\x8C\xE1\x94\x79\x82\xCD\x94\x4C\x82\xC5\x82\xA0\x82\xE9\x81\x42\x81\x73\x82\xED\x82\xAA\x82\xCD"
             "\x82\xA2\x81\x74\r\n\x8A\xBF\x8E\x9A\x82\xA9\x82\xC8\t\r\nab\x81\x62\x93\x8C\x8B\x9E\x81\x73\x82"
             "\xC6\x82\xA4\x82\xAB\x82\xE5\x82\xA4\x81\x74\r\n\r\n";
    c.options.chunk_size = 16;
    for (int rubies = 0; rubies < 2; ++rubies) {
        c.options.read_rubies = rubies;
        std::string bad = run_load_case(c);
        if (!bad.empty()) return bad;
    }
    return "";
}

}  // namespace rix::fuzz
