// ZIP and LZH member lists by our own parser; extraction through libarchive.
//
// ZIP (all numbers little-endian). The list comes from the central directory,
// found through the end record in the last 65,557 bytes of the file:
//   end record      OFFSET SIZE MEANING
//                   0      4    signature 50 4B 05 06
//                   4      2    number of this disk (0: no split archive)
//                   10     2    entries in the central directory
//                   12     4    size of the central directory
//                   16     4    offset of the central directory
//                   20     2    comment length
//   central header  0      4    signature 50 4B 01 02
//                   8      2    flags (bit 11: the name is UTF-8)
//                   20     4    compressed size (0xFFFFFFFF: in the zip64 extra)
//                   24     4    uncompressed size (0xFFFFFFFF: in the zip64 extra)
//                   28     2    name length n
//                   30     2    extra length e
//                   32     2    comment length c
//                   42     4    offset of the local header (0xFFFFFFFF: in the zip64 extra)
//                   46     n    name; then e bytes of extra fields (id 2, size 2,
//                               data; id 0x0001 holds the 64-bit uncompressed size,
//                               compressed size and offset, each only when its
//                               field above is 0xFFFFFFFF), c of comment
//   local header    0      4    signature 50 4B 03 04
//                   6      2    flags (bit 11: the name is UTF-8)
//                   26     2    name length n
//                   28     2    extra length
//                   30     n    name
//
// LZH: headers one after another from the start, each followed by its data;
// a header-size byte 0 ends the archive.
//   level 0   0  1 size of the header after the first two bytes
//             1  1 checksum: sum of those bytes, modulo 256
//             2  5 method "-lh0-" .. "-lh7-", "-lhd-" (a folder), "-lzs-", "-lz5-"
//             7  4 compressed size
//             11 4 original size
//             15 4 time, 19 1 attribute, 20 1 level (0)
//             21 1 name length n, 22 n name, then a CRC-16 (2)
//   level 1   as level 0, but 7 4 is the compressed size plus the extended
//             headers; after the name: CRC-16 (2), OS id (1), the size of the
//             first extended header (2). Each extended header is its type (1),
//             its data and the size of the next one (2); its size counts all three.
//   level 2   0  2 size of the whole header
//             2  5 method, 7 4 compressed size, 11 4 original size,
//             15 4 time, 19 1 reserved, 20 1 level (2), 21 2 CRC-16,
//             23 1 OS id, 24 2 size of the first extended header, then the
//             extended headers as in level 1. Type 0x01 holds the file name,
//             0x02 the folder name (components ended by 0xFF).
#include "platform/archive.h"

#include <archive.h>
#include <archive_entry.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>

#include "platform/codec.h"
#include "platform/files.h"
#include "platform/save_temporaries.h"

namespace rix {

namespace {

std::uint32_t get16(std::string_view b, std::size_t at) {
    return static_cast<std::uint8_t>(b[at]) | static_cast<std::uint8_t>(b[at + 1]) << 8;
}
std::uint32_t get32(std::string_view b, std::size_t at) {
    return get16(b, at) | get16(b, at + 2) << 16;
}
std::uint64_t get64(std::string_view b, std::size_t at) {
    return get32(b, at) | static_cast<std::uint64_t>(get32(b, at + 4)) << 32;
}

// Sizes and the offset from a zip64 extra field, taken only for the fields
// that asked for it (they stand in this order, each only when asked for).
void read_zip64_fields(std::string_view extra, ArchiveMember* m, bool want_original, bool want_packed,
                       bool want_offset) {
    std::size_t at = 0;
    while (at + 4 <= extra.size()) {
        const std::uint32_t id = get16(extra, at), size = get16(extra, at + 2);
        if (at + 4 + size > extra.size()) return;
        if (id == 0x0001) {
            std::size_t field = at + 4;
            const std::size_t end = field + size;
            std::uint64_t* wanted[3] = {want_original ? &m->original : nullptr, want_packed ? &m->packed : nullptr,
                                        want_offset ? &m->header_offset : nullptr};
            for (std::uint64_t* value : wanted) {
                if (!value) continue;
                if (field + 8 > end) return;
                *value = get64(extra, field);
                field += 8;
            }
            return;
        }
        at += 4 + size;
    }
}

// A ZIP name as the list keeps it: flagged UTF-8 names in code page 932.
std::string zip_name(std::string_view raw, std::uint32_t flags) {
    return (flags & 0x0800) ? utf8_to_sjis(raw) : std::string(raw);
}

// True when a local header stands at `at` and carries `name`.
bool zip_local_header_names(std::string_view b, std::uint64_t at, const std::string& name) {
    if (at > b.size() || b.size() - at < 30 || b.substr(at, 4) != std::string_view("PK\x03\x04", 4)) return false;
    const std::size_t n = get16(b, at + 26);
    if (b.size() - at - 30 < n) return false;
    return zip_name(b.substr(at + 30, n), get16(b, at + 6)) == name;
}

bool lzh_method(std::string_view b, std::size_t at) {
    return b[at] == '-' && b[at + 1] == 'l' && (b[at + 2] == 'h' || b[at + 2] == 'z') && b[at + 4] == '-';
}

bool lzh_folder_method(std::string_view b, std::size_t at) { return b.substr(at, 5) == "-lhd-"; }

// Walks the extended headers of levels 1 and 2 starting with the size at
// `first_size`; fills the name from types 1 and 2. Returns the bytes they
// take, or SIZE_MAX when they run past `limit`.
std::size_t lzh_extended(std::string_view b, std::size_t at, std::size_t limit, std::string* file,
                         std::string* folder) {
    std::size_t total = 0;
    std::size_t size = get16(b, at);
    at += 2;
    while (size != 0) {
        if (size < 3 || at + size > limit) return SIZE_MAX;
        const std::uint8_t type = static_cast<std::uint8_t>(b[at]);
        const std::string_view data = b.substr(at + 1, size - 3);
        if (type == 0x01) *file = std::string(data);
        if (type == 0x02) *folder = std::string(data);
        total += size;
        at += size;
        size = get16(b, at - 2);
    }
    return total;
}

// A folder name of an extended header: components ended by 0xFF, joined with "\".
std::string lzh_folder_text(std::string folder) {
    for (char& c : folder)
        if (static_cast<std::uint8_t>(c) == 0xFF) c = '\\';
    return folder;
}

int lower_ascii(int c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; }

}  // namespace

bool archive_kind_of(std::string_view path, ArchiveKind* kind) {
    if (path.size() < 4 || path[path.size() - 4] != '.') return false;
    std::string ext;
    for (char c : path.substr(path.size() - 3)) ext += static_cast<char>(lower_ascii(c));
    if (ext == "zip") *kind = ArchiveKind::ZIP;
    else if (ext == "lzh") *kind = ArchiveKind::LZH;
    else return false;
    return true;
}

ArchiveStatus parse_zip_members(std::string_view b, std::vector<ArchiveMember>* out) {
    out->clear();
    if (b.size() < 22) return ArchiveStatus::CORRUPT;
    std::size_t end = std::string_view::npos;
    const std::size_t lowest = b.size() > 22 + 65535 ? b.size() - 22 - 65535 : 0;
    for (std::size_t at = b.size() - 22 + 1; at-- > lowest;) {
        if (b.substr(at, 4) == std::string_view("PK\x05\x06", 4) && at + 22 + get16(b, at + 20) <= b.size()) {
            end = at;
            break;
        }
    }
    if (end == std::string_view::npos) return ArchiveStatus::CORRUPT;
    if (get16(b, end + 4) != 0 || get16(b, end + 6) != 0) return ArchiveStatus::UNSUPPORTED;
    const std::uint32_t count = get16(b, end + 10);
    std::size_t at = get32(b, end + 16);
    if (at > end || get32(b, end + 12) > end - at) return ArchiveStatus::CORRUPT;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (at + 46 > end || b.substr(at, 4) != std::string_view("PK\x01\x02", 4)) return ArchiveStatus::CORRUPT;
        const std::size_t n = get16(b, at + 28), e = get16(b, at + 30), c = get16(b, at + 32);
        if (at + 46 + n + e + c > end) return ArchiveStatus::CORRUPT;
        ArchiveMember m;
        const std::string_view name = b.substr(at + 46, n);
        m.name = zip_name(name, get16(b, at + 8));
        m.packed = get32(b, at + 20);
        m.original = get32(b, at + 24);
        m.header_offset = get32(b, at + 42);
        const bool wide_original = m.original == 0xFFFFFFFFu, wide_packed = m.packed == 0xFFFFFFFFu;
        const bool wide_offset = m.header_offset == 0xFFFFFFFFu;
        if (wide_original || wide_packed || wide_offset)
            read_zip64_fields(b.substr(at + 46 + n, e), &m, wide_original, wide_packed, wide_offset);
        // On the decoded name: the "\\" that ends 表 (95 5C) ends no folder.
        const std::string text = sjis_to_utf8(m.name);
        m.directory = !text.empty() && (text.back() == '/' || text.back() == '\\');
        out->push_back(std::move(m));
        at += 46 + n + e + c;
    }
    return ArchiveStatus::OK;
}

namespace {

// The member whose header starts at `at`; *next gets where the header after
// it starts (past the member's data).
ArchiveStatus lzh_member_at(std::string_view b, std::size_t at, ArchiveMember* out, std::size_t* next) {
    if (at + 26 > b.size() || !lzh_method(b, at + 2)) return ArchiveStatus::CORRUPT;
    const int level = static_cast<std::uint8_t>(b[at + 20]);
    ArchiveMember m;
    m.header_offset = at;
    m.directory = lzh_folder_method(b, at + 2);
    m.packed = get32(b, at + 7);
    m.original = get32(b, at + 11);
    std::size_t header = 0;   // bytes from `at` to the data
    std::string file, folder;
    if (level == 0 || level == 1) {
        header = static_cast<std::uint8_t>(b[at]) + 2u;
        const std::size_t n = static_cast<std::uint8_t>(b[at + 21]);
        if (at + header > b.size() || 22 + n + 2 > header) return ArchiveStatus::CORRUPT;
        unsigned sum = 0;
        for (std::size_t i = 2; i < header; ++i) sum += static_cast<std::uint8_t>(b[at + i]);
        if ((sum & 0xFF) != static_cast<std::uint8_t>(b[at + 1])) return ArchiveStatus::CORRUPT;
        file = std::string(b.substr(at + 22, n));
        if (level == 1) {
            if (22 + n + 5 > header) return ArchiveStatus::CORRUPT;
            const std::size_t ext = lzh_extended(b, at + header - 2, b.size(), &file, &folder);
            if (ext == SIZE_MAX || ext > m.packed) return ArchiveStatus::CORRUPT;
            m.packed -= ext;
            header += ext;
        }
    } else if (level == 2) {
        header = get16(b, at);
        if (header < 26 || at + header > b.size()) return ArchiveStatus::CORRUPT;
        if (lzh_extended(b, at + 24, at + header, &file, &folder) == SIZE_MAX) return ArchiveStatus::CORRUPT;
    } else {
        return ArchiveStatus::UNSUPPORTED;
    }
    if (m.packed > b.size() - at - header) return ArchiveStatus::CORRUPT;
    folder = lzh_folder_text(folder);
    if (!folder.empty() && folder.back() != '\\' && !file.empty()) folder += '\\';
    m.name = folder + file;
    *next = at + header + m.packed;
    *out = std::move(m);
    return ArchiveStatus::OK;
}

// True when the header at `m.header_offset` is the one the list read for `m`.
bool lzh_header_is(std::string_view b, const ArchiveMember& m) {
    ArchiveMember there;
    std::size_t next = 0;
    return m.header_offset < b.size() &&
           lzh_member_at(b, static_cast<std::size_t>(m.header_offset), &there, &next) == ArchiveStatus::OK &&
           there.name == m.name && there.original == m.original && there.directory == m.directory;
}

}  // namespace

ArchiveStatus parse_lzh_members(std::string_view b, std::vector<ArchiveMember>* out) {
    out->clear();
    std::size_t at = 0;
    while (at < b.size() && b[at] != 0) {
        ArchiveMember m;
        const ArchiveStatus status = lzh_member_at(b, at, &m, &at);
        if (status != ArchiveStatus::OK) return status;
        out->push_back(std::move(m));
    }
    return ArchiveStatus::OK;
}

ArchiveStatus list_archive(const std::string& path, ArchiveKind kind, std::vector<ArchiveMember>* out) {
    out->clear();
    std::string bytes;
    if (!read_whole_file(path, &bytes)) return ArchiveStatus::UNREADABLE;
    return kind == ArchiveKind::ZIP ? parse_zip_members(bytes, out) : parse_lzh_members(bytes, out);
}

std::string member_ratio_text(const ArchiveMember& m, ArchiveKind kind) {
    if (m.original == 0) return {};
    double ratio = static_cast<double>(m.packed) * 100.0 / static_cast<double>(m.original);
    if (kind == ArchiveKind::LZH) {
        const std::uint64_t tenths = m.packed > UINT64_MAX / 1000 ? UINT64_MAX : m.packed * 1000 / m.original;
        ratio = static_cast<double>(tenths) / 10.0;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%5.1f", ratio);
    return text;
}

std::string member_file_name(std::string_view name) {
    // 0xFF is never part of a character (no trail byte reaches it): cut there first.
    const std::size_t lzh_separator = name.find_last_of('\xFF');
    if (lzh_separator != std::string_view::npos) name.remove_prefix(lzh_separator + 1);
    // Then on the decoded text: a lead byte before "/" decodes to U+FFFD and
    // leaves the "/" standing, where a cut on the bytes would have hidden it.
    std::string text = sjis_to_utf8(name);
    const std::size_t separator = text.find_last_of("/\\");
    if (separator != std::string::npos) text.erase(0, separator + 1);
    if (text == "." || text == ".." || text.find('\0') != std::string::npos) return {};
    return text;
}

int archive_file_count(const std::vector<ArchiveMember>& members) {
    int n = 0;
    for (const ArchiveMember& m : members) n += m.directory ? 0 : 1;
    return n;
}

namespace {

struct ArchiveCloser {
    void operator()(struct archive* a) const { archive_read_free(a); }
};

// The bytes libarchive reads: the archive from one member's header on, with
// no way to seek. So libarchive reads that header first (a seekable ZIP
// would be read in the order of its central directory's offsets instead).
struct MemberStream {
    std::string_view rest;
};

la_ssize_t read_member_stream(struct archive*, void* data, const void** buffer) {
    MemberStream* stream = static_cast<MemberStream*>(data);
    const std::size_t n = std::min<std::size_t>(stream->rest.size(), 64 * 1024);
    *buffer = stream->rest.data();
    stream->rest.remove_prefix(n);
    return static_cast<la_ssize_t>(n);
}

// True when the header at the member's offset is the member's own.
bool header_is_member(std::string_view bytes, ArchiveKind kind, const ArchiveMember& m) {
    return kind == ArchiveKind::ZIP ? zip_local_header_names(bytes, m.header_offset, m.name) : lzh_header_is(bytes, m);
}

// Copies the current entry's data to fd; false on any short read or write.
bool copy_entry(struct archive* a, int fd, std::uint64_t expected) {
    char buffer[64 * 1024];
    std::uint64_t total = 0;
    for (;;) {
        const la_ssize_t n = archive_read_data(a, buffer, sizeof buffer);
        if (n < 0) return false;
        if (n == 0) break;
        for (la_ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(fd, buffer + done, static_cast<std::size_t>(n - done));
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) return false;
            done += w;
        }
        total += static_cast<std::uint64_t>(n);
    }
    return total == expected;
}

// Writes the current entry to a save temporary in `folder` (created with
// O_EXCL: never through a link) and renames it to `destination`, a name in
// that folder without a separator (a rename replaces a link itself, never
// the file it points to).
ExtractResult write_entry(struct archive* a, std::uint64_t expected, const std::string& folder,
                          const std::string& destination, bool replace) {
    remove_dead_save_temporaries(folder);
    std::string temporary;
    const int fd = create_save_temporary(folder, SAVE_TEMP_WRITE_OUT, &temporary);
    if (fd < 0) return ExtractResult::WRITE_FAILED;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    bool ok = copy_entry(a, fd, expected);
    const bool read_ok = ok;
    ok = ok && ::fchmod(fd, 0666 & ~mask) == 0 && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (ok) ok = replace ? ::rename(temporary.c_str(), destination.c_str()) == 0
                         : rename_no_overwrite(temporary.c_str(), destination.c_str());
    if (ok) return ExtractResult::OK;
    const bool existed = !replace && errno == EEXIST;
    ::unlink(temporary.c_str());
    if (!read_ok) return ExtractResult::READ_FAILED;
    return existed ? ExtractResult::EXISTS : ExtractResult::WRITE_FAILED;
}

}  // namespace

ExtractResult extract_archive_member(const std::string& path, ArchiveKind kind,
                                     const std::vector<ArchiveMember>& members, int index,
                                     const std::string& folder, bool replace, std::string* written) {
    if (index < 0 || index >= static_cast<int>(members.size()) || members[index].directory)
        return ExtractResult::NOT_FOUND;
    const ArchiveMember& member = members[index];
    const std::string file_name = member_file_name(member.name);
    if (file_name.empty() || file_name.find('/') != std::string::npos) return ExtractResult::BAD_NAME;
    const std::string destination = join_path(folder, file_name);
    if (!replace && file_exists(destination)) return ExtractResult::EXISTS;

    // One reading of the file serves both the check of the header and
    // libarchive, so the two cannot see different archives.
    std::string bytes;
    if (!read_whole_file(path, &bytes)) return ExtractResult::OPEN_FAILED;
    if (member.header_offset >= bytes.size()) return ExtractResult::NOT_FOUND;
    MemberStream stream{std::string_view(bytes).substr(static_cast<std::size_t>(member.header_offset))};
    std::unique_ptr<struct archive, ArchiveCloser> a(archive_read_new());
    if (!a) return ExtractResult::OPEN_FAILED;
    if (kind == ArchiveKind::ZIP) archive_read_support_format_zip(a.get());
    else archive_read_support_format_lha(a.get());
    archive_read_support_filter_none(a.get());
    if (archive_read_open(a.get(), &stream, nullptr, read_member_stream, nullptr) != ARCHIVE_OK)
        return ExtractResult::OPEN_FAILED;
    if (!header_is_member(bytes, kind, member)) return ExtractResult::NOT_FOUND;

    struct archive_entry* entry = nullptr;
    const int r = archive_read_next_header(a.get(), &entry);
    if (r == ARCHIVE_EOF) return ExtractResult::NOT_FOUND;
    if (r < ARCHIVE_WARN) return ExtractResult::OPEN_FAILED;
    if (archive_entry_filetype(entry) == AE_IFDIR) return ExtractResult::NOT_FOUND;
    if (archive_entry_size_is_set(entry) && static_cast<std::uint64_t>(archive_entry_size(entry)) != member.original)
        return ExtractResult::NOT_FOUND;
    const ExtractResult result = write_entry(a.get(), member.original, folder, destination, replace);
    if (result == ExtractResult::OK) *written = destination;
    return result;
}

}  // namespace rix
