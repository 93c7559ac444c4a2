// Fuzz target for the extension file reader: any bytes are parsed, and the
// record reader is driven over every line the file names as the loader would.
// Fails when a result breaks what the reader promises (texts within their
// limits and free of block markers, records grouped by line and column).
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "document/extension_file.h"
#include "fuzz/fuzz_target.h"

namespace {

// The first promise broken, with the source line that checks it.
struct Checks {
    std::string fault;
    void operator()(bool ok, int line = __builtin_LINE()) {
        if (!ok && fault.empty()) fault = "check at extension_file_fuzz.cpp:" + std::to_string(line);
    }
};

bool block_safe(std::string_view text) {
    for (char c : text) {
        auto b = static_cast<std::uint8_t>(c);
        if (b == 0 || b == 0x1A || b >= 0xFD) return false;
    }
    return true;
}

void check_file(Checks& check, const rix::ExtensionFile& x) {
    check(x.header.title.size() <= rix::EXT_TITLE_BYTES);
    check(x.header.print_title.size() <= rix::EXT_PRINT_TITLE_BYTES);
    for (const auto& j : x.header.jumps) check(j.size() <= rix::EXT_JUMP_BYTES);
    for (const auto& e : x.index) check(e.title.size() <= rix::EXT_INDEX_TITLE_BYTES && e.level <= 15);
    for (std::size_t i = 0; i < x.line_records.size(); ++i) {
        check(x.line_records[i].marks <= 0x0F);
        check(i == 0 || x.line_records[i - 1].line < x.line_records[i].line);
    }
    for (std::size_t i = 0; i < x.positions.size(); ++i) {
        const auto& r = x.positions[i];
        bool ruby = r.kind == rix::PositionKind::RUBY;
        check(r.text.size() <= (ruby ? rix::EXT_RUBY_TEXT_BYTES : rix::EXT_TAG_TEXT_BYTES));
        check(block_safe(r.text));
        check(!ruby || ((r.param & 0x0F) != 0 && !r.text.empty()));
        check(ruby || (r.attr1 <= 0xFC && r.attr2 <= 0xFC));
        if (i > 0) {
            const auto& p = x.positions[i - 1];
            check(p.line < r.line || (p.line == r.line && p.column <= r.column));
        }
    }
}

// Drives the reader line by line; every record must come out exactly once.
void drive(Checks& check, const rix::ExtensionFile& x) {
    rix::ExtensionReader reader(&x);
    std::size_t handed = 0;
    for (std::size_t i = 0; i < x.positions.size(); ++i) {
        std::uint32_t line = x.positions[i].line;
        if (i > 0 && x.positions[i - 1].line == line) continue;
        reader.begin_line(line);
        rix::ExtensionReaderState start = reader.save_state();
        while (reader.next_ruby_due(7) || reader.next_tag_due(7)) {
        }
        reader.restore_state(start);
        for (std::uint32_t c = 0; c < 0x10000; c += 0x1000)
            while (reader.next_due(c)) ++handed;
        while (reader.next_due(0xFFFF)) ++handed;
    }
    check(handed == x.positions.size());
}

std::string extension_file_entry(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    Checks check;
    rix::ExtensionFile x;
    rix::ExtensionStatus status = rix::read_extension_bytes(bytes, &x);
    check(x.damage_offset <= size);
    if (status == rix::ExtensionStatus::OK || status == rix::ExtensionStatus::CORRUPT) {
        check_file(check, x);
        drive(check, x);
    }
    return check.fault;
}

}  // namespace

RIX_FUZZ_TARGET(extension_file, extension_file_entry)
