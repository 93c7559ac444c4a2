// Fuzz target for ZIP and LZH archives: the member list from our own header
// parser, the list read from the file, and the extraction of the first
// members into a folder of their own.
//
//   OFFSET  SIZE  MEANING
//   0       1     bit 0 the kind: 1 ZIP, 0 LZH; bit 1 extract (else list only)
//   1       ...   the archive file
//
// What the readers promise: a status for bad headers, never a read past the
// file; member names whose base name is one path part; the file lists as its
// bytes do; and an extraction that writes only a regular file directly in
// the chosen folder, under the member's base name, whole (the size the list
// gave) or not at all: nothing else in the folder, nothing outside it, no
// temporary left behind. The target walks the whole scratch folder to check.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <map>
#include <set>

#include "fuzz/fuzz_target.h"
#include "platform/archive.h"

namespace {

using rix::ArchiveKind;
using rix::ArchiveMember;
using rix::ArchiveStatus;
using rix::ExtractResult;

constexpr int MEMBERS_EXTRACTED = 6;

bool same_members(const std::vector<ArchiveMember>& a, const std::vector<ArchiveMember>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].name != b[i].name || a[i].packed != b[i].packed || a[i].original != b[i].original ||
            a[i].directory != b[i].directory)
            return false;
    return true;
}

// The entries of `folder` by name with their kinds ('f' regular file, 'd'
// folder, '?' anything else, a link included).
std::map<std::string, char> folder_entries(const std::string& folder) {
    std::map<std::string, char> names;
    if (DIR* d = ::opendir(folder.c_str())) {
        while (dirent* e = ::readdir(d)) {
            std::string name = e->d_name;
            if (name == "." || name == "..") continue;
            struct stat st;
            char kind = '?';
            if (::lstat((folder + "/" + name).c_str(), &st) == 0) kind = S_ISREG(st.st_mode) ? 'f' : S_ISDIR(st.st_mode) ? 'd' : '?';
            names[name] = kind;
        }
        ::closedir(d);
    }
    return names;
}

std::string archive_entry(const std::uint8_t* data, std::size_t size) {
    std::string_view in = rix::fuzz::bytes_of(data, size);
    const std::uint8_t flags = rix::fuzz::take_flags(&in);
    const ArchiveKind kind = flags & 1 ? ArchiveKind::ZIP : ArchiveKind::LZH;
    std::vector<ArchiveMember> members;
    ArchiveStatus st = kind == ArchiveKind::ZIP ? rix::parse_zip_members(in, &members) : rix::parse_lzh_members(in, &members);
    if (st == ArchiveStatus::UNREADABLE) return "bytes in memory reported unreadable";
    for (const ArchiveMember& m : members) {
        // The file name is UTF-8: no separator byte may stand anywhere in it.
        const std::string base = rix::member_file_name(m.name);
        if (base == "." || base == ".." || base.find('\0') != std::string::npos) return "file name climbs";
        if (base.find('/') != std::string::npos || base.find('\\') != std::string::npos)
            return "file name holds a separator";
        rix::member_ratio_text(m, kind);
    }
    if (rix::archive_file_count(members) > static_cast<int>(members.size())) return "file count";

    const std::string top = rix::fuzz::scratch_folder() + "/archive";
    const std::string out = top + "/out";
    ::mkdir(top.c_str(), 0700);
    rix::fuzz::empty_folder(top);
    ::mkdir(out.c_str(), 0700);
    const std::string path = top + (kind == ArchiveKind::ZIP ? "/a.zip" : "/a.lzh");
    if (!rix::fuzz::write_file(path, in)) return "";
    std::vector<ArchiveMember> listed;
    if (rix::list_archive(path, kind, &listed) != st || !same_members(listed, members))
        return "the file lists otherwise than its bytes";
    if (st != ArchiveStatus::OK || !(flags & 2)) return "";

    std::set<std::string> made;
    for (int i = 0; i < static_cast<int>(members.size()) && i < MEMBERS_EXTRACTED; ++i) {
        std::string written;
        ExtractResult r = rix::extract_archive_member(path, kind, members, i, out, false, &written);
        if (r == ExtractResult::EXISTS) r = rix::extract_archive_member(path, kind, members, i, out, true, &written);
        if (r != ExtractResult::OK) continue;
        const std::string base = rix::member_file_name(members[i].name);
        if (written != out + "/" + base) return "written under another name than its file name";
        struct stat st_written;
        if (::lstat(written.c_str(), &st_written) != 0 || !S_ISREG(st_written.st_mode)) return "no regular file written";
        if (static_cast<std::uint64_t>(st_written.st_size) != members[i].original) return "a member written in part";
        made.insert(base);
    }
    std::map<std::string, char> expected_out;
    for (const std::string& name : made) expected_out[name] = 'f';
    if (folder_entries(out) != expected_out) return "the folder holds other things than the members written";
    const std::map<std::string, char> expected_top = {{path.substr(top.size() + 1), 'f'}, {"out", 'd'}};
    if (folder_entries(top) != expected_top) return "something was written beside the folder";
    if (folder_entries(rix::fuzz::scratch_folder()) != std::map<std::string, char>{{"archive", 'd'}})
        return "something was written outside the folder";
    return "";
}

}  // namespace

RIX_FUZZ_TARGET(archive, archive_entry)
