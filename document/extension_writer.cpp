// Writing the extension file (layout tables in extension_file.h; the rules
// the writer keeps in extension_writer.h).
#include "document/extension_writer.h"

#include <algorithm>

#include "platform/codec.h"
#include "platform/file_names.h"

namespace rix {
namespace {

constexpr char CURRENT_MAGIC[] = "RIX45";
constexpr std::size_t EXT_INDEX_MAX_UNITS = EXT_INDEX_TITLE_BYTES / EXT_UNIT_BYTES;   // 5

void put_be16(std::string* out, std::uint32_t v) {
    out->push_back(static_cast<char>((v >> 8) & 0xFF));
    out->push_back(static_cast<char>(v & 0xFF));
}

void put_be32(std::string* out, std::uint32_t v) {
    put_be16(out, v >> 16);
    put_be16(out, v & 0xFFFF);
}

// `text` cut on a character boundary to `limit` bytes.
std::string_view cut_text(std::string_view text, std::size_t limit) {
    return text.substr(0, cut_on_boundary(text, limit));
}

// Writes `text` into the field at `offset` of `width` bytes (the rest stays 0).
void put_field(std::string* out, std::size_t offset, std::size_t width, std::string_view text) {
    std::string_view t = cut_text(text, width);
    std::copy(t.begin(), t.end(), out->begin() + static_cast<std::ptrdiff_t>(offset));
}

// Payload of n units: the text followed by NULs.
void put_payload(std::string* out, std::string_view text, std::size_t units) {
    std::size_t start = out->size();
    out->append(units * EXT_UNIT_BYTES, '\0');
    std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(std::min(text.size(), units * EXT_UNIT_BYTES)),
              out->begin() + static_cast<std::ptrdiff_t>(start));
}

// The reader's test for a jump unit: 0xFF 0xFF, a slot 1..8, five zero bytes.
bool looks_like_jump_unit(std::string_view unit) {
    if (unit.size() < EXT_UNIT_BYTES) return false;
    auto b = [&](std::size_t i) { return static_cast<std::uint8_t>(unit[i]); };
    if (b(0) != 0xFF || b(1) != 0xFF || b(2) < 1 || b(2) > EXT_JUMP_SLOTS) return false;
    for (std::size_t i = 3; i < EXT_UNIT_BYTES; ++i)
        if (b(i) != 0) return false;
    return true;
}

std::string line_unit(std::uint32_t line, std::uint8_t marks, std::uint32_t word) {
    std::string u;
    put_be16(&u, line);
    u.push_back(static_cast<char>(marks & 0x0F));
    u.push_back('\0');
    put_be32(&u, word);
    return u;
}

}  // namespace

std::string extension_header_bytes(const ExtensionHeader& h) {
    std::string out(EXT_HEADER_BYTES, '\0');
    std::copy(CURRENT_MAGIC, CURRENT_MAGIC + EXT_MAGIC_BYTES, out.begin());
    put_field(&out, EXT_OFFSET_TEXT_EXTENSION, EXT_TEXT_EXTENSION_BYTES, h.text_extension);
    put_field(&out, EXT_OFFSET_TITLE, EXT_TITLE_BYTES, h.title);
    std::string cursor;
    put_be32(&cursor, h.cursor.value);
    std::copy(cursor.begin(), cursor.end(), out.begin() + EXT_OFFSET_CURSOR);
    out[EXT_OFFSET_ENCRYPTED] = h.encrypted ? 1 : 0;
    out[EXT_OFFSET_SCREEN_FORMAT] = static_cast<char>(h.screen_format <= 4 ? h.screen_format : 0);
    put_field(&out, EXT_OFFSET_PRINT_TITLE, EXT_PRINT_TITLE_BYTES, h.print_title);
    return out;
}

ExtensionWriter::ExtensionWriter(const ExtensionHeader& header) : out_(extension_header_bytes(header)) {
    for (std::size_t slot = 0; slot < EXT_JUMP_SLOTS; ++slot) {
        std::string_view text = cut_text(header.jumps[slot], EXT_JUMP_BYTES);
        if (text.empty() || text[0] == '\0') continue;
        out_.push_back('\xFF');
        out_.push_back('\xFF');
        out_.push_back(static_cast<char>(slot + 1));
        out_.append(5, '\0');
        put_payload(&out_, text, EXT_JUMP_BYTES / EXT_UNIT_BYTES);
    }
}

void ExtensionWriter::add_index(const ExtensionIndexEntry& e) {
    std::string_view title = cut_text(e.title, EXT_INDEX_TITLE_BYTES);
    std::size_t units = std::clamp<std::size_t>((title.size() + EXT_UNIT_BYTES - 1) / EXT_UNIT_BYTES, 1,
                                                EXT_INDEX_MAX_UNITS);
    put_be16(&out_, e.line);
    out_.push_back(static_cast<char>(0x80 | units << 4 | (e.level & 0x0F)));
    out_.append(5, '\0');
    put_payload(&out_, title, units);
    index_written_ = true;
}

void ExtensionWriter::begin_record_unit(std::string_view unit) {
    if (line_records_begun_) return;
    line_records_begun_ = true;
    if (!index_written_ && looks_like_jump_unit(unit)) out_ += line_unit(0, 0, 0);
}

void ExtensionWriter::add_line_record(std::uint32_t line, std::uint8_t marks, std::uint32_t word) {
    std::string unit = line_unit(line, marks, word);
    begin_record_unit(unit);
    out_ += unit;
}

bool ExtensionWriter::add_ruby(std::uint32_t line, std::uint16_t column, std::uint8_t param, std::string_view text) {
    text = cut_text(text, EXT_RUBY_TEXT_BYTES);
    if (text.empty() || (param & 0x0F) == 0) return false;
    std::size_t units = (text.size() - 1) / EXT_UNIT_BYTES + 1;
    std::string unit;
    put_be16(&unit, line);
    unit.push_back(static_cast<char>(units << 4));
    unit.push_back(static_cast<char>(param));
    unit.append(2, '\0');
    put_be16(&unit, column);
    begin_record_unit(unit);
    out_ += unit;
    put_payload(&out_, text, units);
    return true;
}

void ExtensionWriter::add_tag(std::uint32_t line, std::uint16_t column, std::uint8_t attr1, std::uint8_t attr2,
                              std::string_view text) {
    text = cut_text(text, EXT_TAG_TEXT_BYTES);
    std::size_t units = (text.size() + 1) / EXT_UNIT_BYTES + 1;
    std::string unit;
    put_be16(&unit, line);
    unit.push_back('\0');
    unit.push_back(static_cast<char>(units));
    unit.push_back(static_cast<char>(attr1));
    unit.push_back(static_cast<char>(attr2));
    put_be16(&unit, column);
    begin_record_unit(unit);
    out_ += unit;
    put_payload(&out_, text, units);
}

bool ExtensionWriter::keeps_nothing() const { return extension_bytes_empty(out_); }

std::string encode_extension_file(const ExtensionFile& file) {
    ExtensionWriter w(file.header);
    for (const ExtensionIndexEntry& e : file.index) w.add_index(e);
    std::size_t next_line = 0, next_pos = 0;
    const auto& lines = file.line_records;
    const auto& pos = file.positions;
    while (next_line < lines.size() || next_pos < pos.size()) {
        std::uint32_t line = next_pos < pos.size() ? pos[next_pos].line : UINT32_MAX;
        if (next_line < lines.size()) line = std::min(line, lines[next_line].line);
        if (next_line < lines.size() && lines[next_line].line == line) {
            const LineRecord& r = lines[next_line++];
            w.add_line_record(r.line, r.marks, r.format_word);
        }
        for (; next_pos < pos.size() && pos[next_pos].line == line; ++next_pos) {
            const PositionRecord& r = pos[next_pos];
            if (r.kind == PositionKind::RUBY)
                w.add_ruby(r.line, r.column, r.param, r.text);
            else
                w.add_tag(r.line, r.column, r.attr1, r.attr2, r.text);
        }
    }
    return w.bytes();
}

bool extension_bytes_empty(std::string_view bytes) {
    if (bytes.size() != EXT_HEADER_BYTES) return false;
    return std::all_of(bytes.begin() + EXT_OFFSET_TITLE, bytes.end(), [](char c) { return c == '\0'; });
}

std::string recorded_text_extension(const std::string& text_path) {
    const std::string sjis = utf8_to_sjis(extension_of(text_path));
    return sjis.substr(0, cut_on_boundary(sjis, EXT_TEXT_EXTENSION_BYTES));
}

}  // namespace rix
