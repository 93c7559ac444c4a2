// Fuzz target for FTP listings as servers send them.
//
//   OFFSET  SIZE  MEANING
//   0       1     bit 0 an MLSD answer (else LIST: Unix and DOS lines), bit 1 the
//                 server announced UTF8, bits 2-3 the sort column, bit 4 ascending,
//                 bits 5-7 the current month - 1 (dates a Unix line without a year)
//   1       ...   the answer
//
// What the reader promises: every entry it gives has a name that is one safe
// path part locally and on the server (nothing climbs out of the chosen
// folder or adds a command), a known date that is a date, a size that is a
// size or unknown, folders without one; sorting keeps every row, the parent
// row first, in the order of the comparator.
#include "fuzz/fuzz_target.h"
#include "publish/ftp_listing.h"

namespace {

std::string check_entry(const rix::FtpEntry& e, bool utf8) {
    if (!rix::ftp_server_name_safe(e.raw, utf8)) return "unsafe server name";
    if (!rix::ftp_name_safe(rix::ftp_local_name(e.raw, utf8))) return "unsafe local name";
    if (e.name.empty()) return "empty name shown";
    if (e.parent) return "a listing gave the parent row";
    if (e.size < -1 || (e.folder && e.size != -1)) return "size out of range";
    if (e.year != 0 && (e.month < 1 || e.month > 12 || e.day < 1 || e.day > 31 || e.hour < 0 || e.hour > 23 ||
                        e.minute < 0 || e.minute > 59))
        return "a date that is no date";
    if (rix::ftp_row_cells(e).size() != 4) return "row without four cells";
    return "";
}

std::string ftp_listing_entry(const std::uint8_t* data, std::size_t size) {
    std::string_view in = rix::fuzz::bytes_of(data, size);
    const std::uint8_t flags = rix::fuzz::take_flags(&in);
    const bool mlsd = flags & 1, utf8 = flags & 2, ascending = flags & 16;
    const int column = (flags >> 2) & 3, month = (flags >> 5) + 1;
    rix::FtpListing listing = rix::parse_listing(in, mlsd, utf8, 2026, month);
    if (listing.refused < 0) return "negative refusals";
    for (const rix::FtpEntry& e : listing.entries)
        if (std::string bad = check_entry(e, utf8); !bad.empty()) return bad + ": " + e.raw;

    std::vector<rix::FtpEntry> rows = listing.entries;
    rix::FtpEntry parent;
    parent.parent = parent.folder = true;
    parent.raw = "..";
    parent.name = "..";
    rows.push_back(parent);
    rix::ftp_sort_entries(&rows, column, ascending);
    if (rows.size() != listing.entries.size() + 1) return "sorting lost rows";
    if (!rows[0].parent) return "the parent row is not first";
    for (std::size_t i = 2; i < rows.size(); ++i) {
        int order = rix::ftp_compare_cells(rix::ftp_row_cells(rows[i - 1]), rix::ftp_row_cells(rows[i]), column);
        if (ascending ? order > 0 : order < 0) return "rows out of order";
    }
    return "";
}

}  // namespace

RIX_FUZZ_TARGET(ftp_listing, ftp_listing_entry)
