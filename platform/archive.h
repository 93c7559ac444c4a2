// ZIP and LZH archives: the member list read by our own header parser, and
// one member extracted through libarchive into a file we create ourselves.
//
// The list never trusts the archive: every header is bounds-checked against
// the file, sizes are 64-bit, a header that does not parse ends the list with
// ARCHIVE_CORRUPT. Member names are kept as the archive stores them (code
// page 932 bytes; a ZIP name flagged UTF-8 is converted to code page 932).
//
// A member is found for extraction by its header offset, and the header
// there must carry the member's name: never by its place among the entries
// (a ZIP's central directory may list the members in another order than
// their headers stand in the file, and two members may have one size).
//
// Extraction writes only inside the chosen folder and only under the
// member's file name (`member_file_name`): "../x" and "/etc/x" become "x".
// The bytes go to a save temporary in that folder (created exclusively, so
// never through a link), which is renamed to the destination only when the
// member was read whole, so a failure leaves no partial file; the rename
// replaces a link of that name, never what it points to. An existing
// destination is replaced only when the caller says so (it asks the writer
// first).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rix {

enum class ArchiveKind : std::uint8_t { LZH = 0, ZIP = 1 };

struct ArchiveMember {
    std::string name;                 // code page 932, the path as stored in the archive
    std::uint64_t packed = 0;         // compressed size in bytes
    std::uint64_t original = 0;       // uncompressed size in bytes
    std::uint64_t header_offset = 0;  // bytes from the file's start to its header (ZIP: the local header)
    bool directory = false;           // a folder entry (ZIP name ending in "/", LZH -lhd-)
};

enum class ArchiveStatus : std::uint8_t {
    OK,
    UNREADABLE,    // the file cannot be opened or read
    CORRUPT,       // not an archive of that kind, or a header past the file's end
    UNSUPPORTED,   // a header form we do not read (LZH level 3, split ZIP)
};

// The archive kind by extension (".zip", ".lzh", any case); false for others.
bool archive_kind_of(std::string_view path, ArchiveKind* kind);

// Parses the member list from archive bytes already in memory.
ArchiveStatus parse_zip_members(std::string_view bytes, std::vector<ArchiveMember>* out);
ArchiveStatus parse_lzh_members(std::string_view bytes, std::vector<ArchiveMember>* out);
// Reads the list of the archive at `path` (a native path).
ArchiveStatus list_archive(const std::string& path, ArchiveKind kind, std::vector<ArchiveMember>* out);

// The ratio column: compressed × 100 / original as "%5.1f" (for LZH taken
// in whole tenths of a per cent, as the LZH tools report it); "" when the
// original size is 0.
std::string member_ratio_text(const ArchiveMember& m, ArchiveKind kind);

// The name a member is extracted under (UTF-8): the last component of its
// stored name, cut on the decoded text as it will become a file name
// (separators "/" and "\", and LZH's 0xFF, which no character holds), so
// that a lead byte before a "/" cannot hide it. "" when nothing usable is
// left ("", ".", "..", a NUL).
std::string member_file_name(std::string_view name);

// Members that are files (directory entries do not count).
int archive_file_count(const std::vector<ArchiveMember>& members);

enum class ExtractResult : std::uint8_t {
    OK,
    OPEN_FAILED,     // libarchive cannot open or read the archive
    NOT_FOUND,       // no such member (or it is a directory)
    BAD_NAME,        // the member has no usable file name
    EXISTS,          // the destination exists and replacing was not allowed
    READ_FAILED,     // the member's data could not be read whole
    WRITE_FAILED,    // the destination could not be written
};

// Extracts member `index` of `members` (the list read from `path`) into
// `folder` under its file name; *written gets the path of the file made.
// NOT_FOUND also when the header at the member's offset does not carry its
// name (the archive changed, or its directory lies).
ExtractResult extract_archive_member(const std::string& path, ArchiveKind kind,
                                     const std::vector<ArchiveMember>& members, int index,
                                     const std::string& folder, bool replace, std::string* written);

}  // namespace rix
