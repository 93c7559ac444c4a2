// Reading the extension file: the layout parser, the checks made when a
// document is opened, and the record reader the loader drives.
//
// Owns nothing beyond the ExtensionFile it fills. Every read is bounded by
// the bytes left; nothing here asserts on file bytes.
#include "document/extension_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>

#include "document/extension_titles.h"
#include "document/extension_writer.h"
#include "document/storage.h"
#include "platform/codec.h"
#include "platform/file_names.h"
#include "platform/files.h"

namespace rix {

namespace {

std::uint8_t byte_at(std::string_view bytes, std::size_t pos) { return static_cast<std::uint8_t>(bytes[pos]); }

std::uint16_t be16(std::string_view bytes, std::size_t pos) {
    return static_cast<std::uint16_t>(byte_at(bytes, pos) << 8 | byte_at(bytes, pos + 1));
}

std::uint32_t be32(std::string_view bytes, std::size_t pos) {
    return static_cast<std::uint32_t>(be16(bytes, pos)) << 16 | be16(bytes, pos + 2);
}

// A NUL-padded text field of `width` bytes, cut on a character boundary to
// `limit`; a lead byte left without its trail byte at the end is dropped.
std::string field_text(std::string_view bytes, std::size_t pos, std::size_t width, std::size_t limit) {
    return stored_title(bytes.substr(pos, width), limit);
}

// Text that may stand inside a ruby or tag block: no end-of-text mark and no
// byte that the buffer's scanner takes for a marker inside a block.
bool storable_in_block(std::string_view text) {
    return std::none_of(text.begin(), text.end(), [](char c) {
        auto b = static_cast<std::uint8_t>(c);
        return b == TEXT_END_MARK || b > IGNORED_MARK;
    });
}

// Tag window sizes run 0..252; a stored value above that means the default (0).
std::uint8_t tag_attribute(std::uint8_t stored) { return stored >= 0xFD ? 0 : stored; }

ExtensionStatus mark_damaged(ExtensionFile* out, std::size_t pos) {
    out->damage_offset = pos;
    return ExtensionStatus::CORRUPT;
}

void read_header(std::string_view bytes, ExtensionHeader* h) {
    h->text_extension = field_text(bytes, EXT_OFFSET_TEXT_EXTENSION, EXT_TEXT_EXTENSION_BYTES, EXT_TEXT_EXTENSION_BYTES);
    h->title = field_text(bytes, EXT_OFFSET_TITLE, EXT_TITLE_BYTES, EXT_TITLE_BYTES);
    if (h->size < EXT_HEADER_BYTES) return;
    h->cursor = TextPos(be32(bytes, EXT_OFFSET_CURSOR));
    h->encrypted = byte_at(bytes, EXT_OFFSET_ENCRYPTED) != 0;
    std::uint8_t format = byte_at(bytes, EXT_OFFSET_SCREEN_FORMAT);
    h->screen_format = format <= 4 ? format : EXT_NO_SCREEN_FORMAT;
    h->print_title = field_text(bytes, EXT_OFFSET_PRINT_TITLE, EXT_PRINT_TITLE_BYTES, EXT_PRINT_TITLE_BYTES);
}

bool is_jump_unit(std::string_view bytes, std::size_t pos) {
    if (byte_at(bytes, pos) != 0xFF || byte_at(bytes, pos + 1) != 0xFF) return false;
    std::uint8_t slot = byte_at(bytes, pos + 2);
    if (slot < 1 || slot > EXT_JUMP_SLOTS) return false;
    for (std::size_t i = 3; i < EXT_UNIT_BYTES; ++i)
        if (byte_at(bytes, pos + i) != 0) return false;
    return true;
}

// Jump strings, then index entries. Leaves *pos at the first per-line record.
ExtensionStatus read_jumps_and_index(std::string_view bytes, std::size_t* pos, ExtensionFile* out) {
    while (bytes.size() - *pos >= EXT_UNIT_BYTES && is_jump_unit(bytes, *pos)) {
        if (bytes.size() - *pos < EXT_JUMP_RECORD_BYTES) return mark_damaged(out, *pos);
        std::string& slot = out->header.jumps[byte_at(bytes, *pos + 2) - 1];
        std::string text = field_text(bytes, *pos + EXT_UNIT_BYTES, EXT_JUMP_BYTES, EXT_JUMP_BYTES);
        if (slot.empty())
            slot = std::move(text);
        else
            ++out->dropped;   // a second record for one slot: the first stands
        *pos += EXT_JUMP_RECORD_BYTES;
    }
    while (bytes.size() - *pos >= EXT_UNIT_BYTES && (byte_at(bytes, *pos + 2) & 0x80) != 0) {
        std::uint8_t b2 = byte_at(bytes, *pos + 2);
        std::size_t payload = ((b2 >> 4) & 0x07) * EXT_UNIT_BYTES;
        if (bytes.size() - *pos - EXT_UNIT_BYTES < payload) return mark_damaged(out, *pos);
        // Every entry is read: the next save writes back what was read, so an
        // entry passed over here would be gone from the file after it.
        ExtensionIndexEntry e;
        e.line = be16(bytes, *pos);
        e.level = b2 & 0x0F;
        e.title = field_text(bytes, *pos + EXT_UNIT_BYTES, payload, EXT_INDEX_TITLE_BYTES);
        out->index.push_back(std::move(e));
        *pos += EXT_UNIT_BYTES + payload;
    }
    return ExtensionStatus::OK;
}

// One ruby or tag record whose payload is known to be inside the bytes.
// Returns false when the record cannot be valid (it is skipped); a ruby text
// that had to be cleaned counts in *cleaned.
bool read_position_record(std::string_view bytes, std::size_t pos, RecordUnitKind kind, std::size_t payload,
                          PositionRecord* rec, std::size_t* cleaned) {
    rec->line = be16(bytes, pos);
    rec->column = be16(bytes, pos + 6);
    std::string_view text = bytes.substr(pos + EXT_UNIT_BYTES, payload);
    text = text.substr(0, text.find('\0'));
    if (kind == RecordUnitKind::TAG) {
        if (text.size() > EXT_TAG_TEXT_BYTES || !storable_in_block(text)) return false;
        rec->text.assign(text);
        rec->kind = PositionKind::TAG;
        rec->attr1 = tag_attribute(byte_at(bytes, pos + 4));
        rec->attr2 = tag_attribute(byte_at(bytes, pos + 5));
        return true;
    }
    // Ruby text is cleaned as typed ruby text is.
    rec->text = storable_ruby_text(text);
    if (rec->text.size() != text.size()) ++*cleaned;
    rec->kind = PositionKind::RUBY;
    rec->param = byte_at(bytes, pos + 3);
    return (rec->param & 0x0F) != 0 && !rec->text.empty();
}

ExtensionStatus read_line_records(std::string_view bytes, std::size_t pos, ExtensionFile* out) {
    ExtensionStatus status = ExtensionStatus::OK;
    while (pos < bytes.size()) {
        if (bytes.size() - pos < EXT_UNIT_BYTES) {
            status = mark_damaged(out, pos);
            break;
        }
        std::uint8_t b2 = byte_at(bytes, pos + 2), b3 = byte_at(bytes, pos + 3);
        RecordUnitKind kind = classify_record_unit(b2, b3);
        if (kind == RecordUnitKind::LINE) {
            out->line_records.push_back({be16(bytes, pos), static_cast<std::uint8_t>(b2 & 0x0F), be32(bytes, pos + 4)});
            pos += EXT_UNIT_BYTES;
            continue;
        }
        std::size_t payload = (kind == RecordUnitKind::RUBY ? b2 >> 4 : b3) * EXT_UNIT_BYTES;
        if (bytes.size() - pos - EXT_UNIT_BYTES < payload) {
            status = mark_damaged(out, pos);
            break;
        }
        PositionRecord rec;
        if (read_position_record(bytes, pos, kind, payload, &rec, &out->cleaned))
            out->positions.push_back(std::move(rec));
        else
            ++out->dropped;
        pos += EXT_UNIT_BYTES + payload;
    }
    // Group by line; the first line record of a line stands.
    std::stable_sort(out->line_records.begin(), out->line_records.end(),
                     [](const LineRecord& a, const LineRecord& b) { return a.line < b.line; });
    auto dup = std::unique(out->line_records.begin(), out->line_records.end(),
                           [](const LineRecord& a, const LineRecord& b) { return a.line == b.line; });
    out->dropped += static_cast<std::size_t>(out->line_records.end() - dup);
    out->line_records.erase(dup, out->line_records.end());
    std::stable_sort(out->positions.begin(), out->positions.end(), [](const PositionRecord& a, const PositionRecord& b) {
        return a.line != b.line ? a.line < b.line : a.column < b.column;
    });
    return status;
}

bool equal_ascii_nocase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

bool local_mtime(const std::string& path, std::tm* out) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    std::time_t t = st.st_mtime;
    return ::localtime_r(&t, out) != nullptr;
}

bool same_minute(const std::tm& a, const std::tm& b) {
    return a.tm_year == b.tm_year && a.tm_mon == b.tm_mon && a.tm_mday == b.tm_mday && a.tm_hour == b.tm_hour &&
           a.tm_min == b.tm_min;
}

std::string date_line(const char* label_utf8, const std::tm& t) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%02u-%02u-%02u %02u:%02u\n", static_cast<unsigned>((t.tm_year + 1900) % 100),
                  static_cast<unsigned>(t.tm_mon + 1), static_cast<unsigned>(t.tm_mday),
                  static_cast<unsigned>(t.tm_hour), static_cast<unsigned>(t.tm_min));
    return std::string(label_utf8) + buf;
}

// The two questions of opening. True when the file is to be used.
bool ask_old_version(Questions& questions, std::uintptr_t owner) {
    return questions.yes_no(
        "旧版の拡張ﾌｧｲﾙがあります｡\nこれを読込みますか？\n読込んで､書換えを行なうと\n旧版のRIXでは使えなくなります。",
        owner);
}

bool ask_other_date(Questions& questions, std::uintptr_t owner, const std::tm& text_time, const std::tm& ext_time) {
    std::string utf8 = "日時の異なる拡張ﾌｧｲﾙがあります｡\n";
    utf8 += date_line("テキストの日時は　", text_time);
    utf8 += date_line("拡張ﾌｧｲﾙの日時は　", ext_time);
    utf8 += "これを使いますか ？";
    return questions.yes_no(utf8, owner);
}

}  // namespace

RecordUnitKind classify_record_unit(std::uint8_t byte2, std::uint8_t byte3) {
    if (byte3 == 0) return RecordUnitKind::LINE;
    return byte2 == 0 ? RecordUnitKind::TAG : RecordUnitKind::RUBY;
}

int extension_version(std::string_view magic) {
    if (magic.size() < EXT_MAGIC_BYTES || !equal_ascii_nocase(magic.substr(0, 3), "RIX")) return 0;
    char d1 = magic[3], d2 = magic[4];
    if (d1 < '0' || d1 > '9' || d2 < '0' || d2 > '9') return 0;
    return (d1 - '0') * 10 + (d2 - '0');
}

ExtensionStatus read_extension_bytes(std::string_view bytes, ExtensionFile* out) {
    out->clear();
    if (bytes.size() < EXT_MAGIC_BYTES) return ExtensionStatus::CORRUPT;
    int version = extension_version(bytes.substr(0, EXT_MAGIC_BYTES));
    if (version < EXT_VERSION_OLDEST) return ExtensionStatus::UNSUPPORTED;
    std::size_t header_size = version < EXT_VERSION_LONG_HEADER ? EXT_SHORT_HEADER_BYTES : EXT_HEADER_BYTES;
    if (bytes.size() < header_size) return ExtensionStatus::CORRUPT;
    out->header.version = version;
    out->header.size = header_size;
    read_header(bytes, &out->header);
    std::size_t pos = header_size;
    if (read_jumps_and_index(bytes, &pos, out) != ExtensionStatus::OK) return ExtensionStatus::CORRUPT;
    out->records_offset = pos;
    return read_line_records(bytes, pos, out);
}

ExtensionStatus read_extension_header(const std::string& text_path, ExtensionHeader* out) {
    *out = ExtensionHeader{};
    const std::string path = extension_path_for(text_path);
    std::string bytes;
    if (path.empty() || !file_exists(path) || !read_file_prefix(path, EXT_HEADER_BYTES, &bytes))
        return ExtensionStatus::MISSING;
    if (bytes.size() < EXT_MAGIC_BYTES) return ExtensionStatus::CORRUPT;
    const int version = extension_version(std::string_view(bytes).substr(0, EXT_MAGIC_BYTES));
    if (version < EXT_VERSION_OLDEST) return ExtensionStatus::UNSUPPORTED;
    const std::size_t size = version < EXT_VERSION_LONG_HEADER ? EXT_SHORT_HEADER_BYTES : EXT_HEADER_BYTES;
    if (bytes.size() < size) return ExtensionStatus::CORRUPT;
    out->version = version;
    out->size = size;
    read_header(bytes, out);
    return ExtensionStatus::OK;
}

std::string extension_path_for(const std::string& text_path) {
    if (text_path.empty() || has_extension(text_path, "rix")) return {};
    return join_path(folder_of(text_path), name_with_extension(text_path, "rix"));
}


namespace {

// Before a name that begins with its only dot (".memo") had an extension file
// of its own, every such file of a folder kept its rubies and tags in the one
// ".rix", recording what follows the dot as its extension. Such a file is
// still read for the document it was written for (until the next save writes
// the document's own); "" when there is none, or it belongs to another.
std::string shared_dot_file_extension(const std::string& text_path) {
    const std::string name = name_of(text_path);
    if (name.size() < 2 || name[0] != '.' || name.find('.', 1) != std::string::npos) return {};
    const std::string path = join_path(folder_of(text_path), ".rix");
    std::string bytes;
    ExtensionFile shared;
    if (!file_exists(path) || !read_file_prefix(path, EXT_MAX_FILE_BYTES, &bytes)) return {};
    read_extension_bytes(bytes, &shared);
    const std::string recorded = recorded_text_extension("x" + name);   // what follows the dot, as recorded
    if (shared.header.version == 0 || !equal_ascii_nocase(shared.header.text_extension, recorded)) return {};
    return path;
}

}  // namespace

ExtensionStatus open_extension_file(const std::string& text_path, std::uintptr_t owner, ExtensionFile* out,
                                    Questions& questions) {
    out->clear();
    std::string path = extension_path_for(text_path);
    bool shared = false;
    if (!path.empty() && !file_exists(path)) {
        const std::string old = shared_dot_file_extension(text_path);
        if (!old.empty()) path = old, shared = true;
    }
    std::tm text_time{}, ext_time{};
    if (path.empty() || !file_exists(path) || !local_mtime(text_path, &text_time)) return ExtensionStatus::MISSING;
    std::int64_t size = file_size(path);
    std::string bytes;
    if (size < 0 || static_cast<std::uint64_t>(size) > EXT_MAX_FILE_BYTES ||
        !read_file_prefix(path, EXT_MAX_FILE_BYTES, &bytes) || !local_mtime(path, &ext_time))
        return ExtensionStatus::UNREADABLE;

    ExtensionFile parsed;
    ExtensionStatus status = read_extension_bytes(bytes, &parsed);
    if (status != ExtensionStatus::OK && status != ExtensionStatus::CORRUPT) return status;
    if (parsed.header.version == 0) return status;   // not even the header was whole
    if (!shared && !equal_ascii_nocase(parsed.header.text_extension, recorded_text_extension(text_path)))
        return ExtensionStatus::OTHER_EXTENSION;
    if (parsed.header.version < EXT_VERSION_LINE_RECORD_FIRST && !ask_old_version(questions, owner))
        return ExtensionStatus::DECLINED;
    if (!same_minute(text_time, ext_time) && !ask_other_date(questions, owner, text_time, ext_time))
        return ExtensionStatus::DECLINED;
    *out = std::move(parsed);
    return status;
}

std::string damaged_extension_name(const std::string& ext_path) {
    constexpr int MAX_DAMAGED_COPIES = 99;
    for (int n = 1; n <= MAX_DAMAGED_COPIES; ++n) {
        std::string name = ext_path + ".damaged" + (n == 1 ? std::string() : "-" + std::to_string(n));
        struct stat st {};
        if (::lstat(name.c_str(), &st) != 0 && errno == ENOENT) return name;
    }
    return {};
}

void tell_extension_damage(const std::string& ext_path, ExtensionStatus status, const ExtensionFile& read,
                           std::uintptr_t owner, Notices& notices) {
    constexpr unsigned DAMAGE_NOTICE_MS = 10000;
    std::string text;
    if (status == ExtensionStatus::CORRUPT) {
        std::int64_t size = file_size(ext_path);
        std::size_t lost = size > 0 ? static_cast<std::size_t>(size) - read.damage_offset : 0;
        text = "拡張ファイルが壊れています｡\n" + ext_path + "\n" + std::to_string(read.damage_offset) +
               "バイト目から後の" + std::to_string(lost) + "バイトを読めませんでした｡\n" +
               (read.header.version ? "それより前のルビ・タグ" + std::to_string(read.positions.size()) +
                                          "個と行の情報は読込みました｡\n"
                                    : std::string("見出しも読めないため､何も読込んでいません｡\n"));
    } else {
        text = "拡張ファイルを読めません（" + std::to_string(EXT_MAX_FILE_BYTES / (1024 * 1024)) +
               "MiBを超えるか､読取りが許されていません）｡\n" + ext_path + "\n";
    }
    std::string kept = damaged_extension_name(ext_path);
    text += kept.empty() ? "控えの名前が尽きているため保存出来ません｡\n" + ext_path + ".damaged* を片付けてください｡"
                         : "保存すると、このファイルは\n" + kept + "\nとして残します｡";
    notices.add(std::move(text), DAMAGE_NOTICE_MS, owner);
}

const LineRecord* ExtensionReader::begin_line(std::uint32_t line) {
    state_.line = line;
    if (!file_) return nullptr;
    const auto& positions = file_->positions;
    state_.next_position = static_cast<std::size_t>(
        std::lower_bound(positions.begin(), positions.end(), line,
                         [](const PositionRecord& r, std::uint32_t l) { return r.line < l; }) -
        positions.begin());
    const auto& lines = file_->line_records;
    auto it = std::lower_bound(lines.begin(), lines.end(), line,
                               [](const LineRecord& r, std::uint32_t l) { return r.line < l; });
    return it != lines.end() && it->line == line ? &*it : nullptr;
}

std::uint32_t ExtensionReader::next_column() const {
    if (!file_ || state_.next_position >= file_->positions.size()) return UINT32_MAX;
    const PositionRecord& rec = file_->positions[state_.next_position];
    return rec.line == state_.line ? rec.column : UINT32_MAX;
}

const PositionRecord* ExtensionReader::next_of(std::uint32_t column, bool of_kind, PositionKind kind) {
    if (!file_ || state_.next_position >= file_->positions.size()) return nullptr;
    const PositionRecord& rec = file_->positions[state_.next_position];
    if (rec.line != state_.line || rec.column > column || (of_kind && rec.kind != kind)) return nullptr;
    ++state_.next_position;
    return &rec;
}

}  // namespace rix
