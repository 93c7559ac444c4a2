// What the FTP window knows without a network: listings as servers send them
// (Unix and DOS LIST lines, MLSD facts), the checks a name from a server must
// pass before it reaches a command or a local path, the rows of the two file
// lists (type mark, size, date), their sort order, and the site check of 接 続.
//
// Owns nothing; no I/O. Server names are kept as the server sent them (bytes
// in its encoding, `raw`); what the lists show is code page 932.
//
// Rules:
// - A name that fails ftp_name_safe never leaves this file as a row: it could
//   climb out of the chosen folder (`..`, `/`, `\`) or add a command (CR, LF).
// - Sizes from a listing are what the server claims; readers bound their
//   buffers themselves (platform/ftp_client.h).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rix {

// One entry of a folder, local or remote.
struct FtpEntry {
    std::string raw;               // the name as stored: server bytes, or UTF-8 for a local file
    std::string name;              // the name shown, code page 932
    bool folder = false;
    bool parent = false;           // the ".." row
    std::int64_t size = -1;        // bytes; -1 = not known
    int year = 0, month = 0, day = 0, hour = 0, minute = 0;   // year 0 = not known
};

// A UTF-8 name that may be used as one path part: not empty, not "." or
// "..", without '/', '\\', CR, LF or NUL.
bool ftp_name_safe(std::string_view utf8);
// A name a server listed, in its bytes: safe as above once read as UTF-8 or
// code page 932 (so "ソ", whose second byte is 0x5C, is a name like any other).
bool ftp_server_name_safe(std::string_view raw, bool server_utf8);

// The name as the lists show it (code page 932): the server's bytes read as
// UTF-8 when the server announced UTF8, else taken as code page 932.
std::string ftp_display_name(std::string_view raw, bool server_utf8);
// The server's bytes of a local (UTF-8) file name.
std::string ftp_server_name(std::string_view local_utf8, bool server_utf8);
// The local (UTF-8) name a server name is downloaded under.
std::string ftp_local_name(std::string_view raw, bool server_utf8);

// One line of a LIST answer in the Unix ("drwxr-xr-x 2 u g 4096 Mar  5 12:34 name")
// or the DOS ("03-05-19  12:34PM  <DIR>  name") form. `now_year` and `now_month`
// date a Unix line that gives a time instead of a year (a month after the
// current one is of last year). False for lines that name no entry ("total 8",
// blank lines, "." and "..") and for anything it cannot read.
bool parse_list_line(std::string_view line, int now_year, int now_month, FtpEntry* out);
// One line of an MLSD answer ("type=file;size=12;modify=20190305123400; name").
// False for the folder itself and its parent (cdir, pdir) and for bad lines.
bool parse_mlsd_line(std::string_view line, FtpEntry* out);

struct FtpListing {
    std::vector<FtpEntry> entries;  // names checked and converted
    int refused = 0;                // entries dropped for an unsafe name
};
// A whole answer, line by line (CR LF or LF). `mlsd`: the answer of MLSD, else of LIST.
FtpListing parse_listing(std::string_view text, bool mlsd, bool server_utf8, int now_year, int now_month);

// ---- the rows of the lists ----

// Columns of both list views.
enum : int { FTP_COLUMN_MARK = 0, FTP_COLUMN_NAME = 1, FTP_COLUMN_SIZE = 2, FTP_COLUMN_DATE = 3 };

// The type mark (code page 932): "F" folder, "↑" parent, "T" .txt/.tex,
// "H" .htm/.html, "V" .rix, "C" an extension starting ".cla" (the applet
// rix.class), else "".
std::string ftp_type_mark(const FtpEntry& entry);
// "%8d", or " ﾌｫﾙﾀﾞ" for a folder (code page 932); "" when not known.
std::string ftp_size_text(const FtpEntry& entry);
// "%02d%02d%02d %02d:%02d" of year (two digits), month, day, hour, minute; "" when not known.
std::string ftp_date_text(const FtpEntry& entry);
// The four cells of a row.
std::vector<std::string> ftp_row_cells(const FtpEntry& entry);

// Orders the cells of two rows by `column`: case-insensitive on the text
// (ASCII letters only; a trail byte of a double-byte character is never
// folded), the date column with its two-digit year read so that 70..99 come
// before 00..69. <0, 0 or >0.
int ftp_compare_cells(const std::vector<std::string>& a, const std::vector<std::string>& b, int column);
// Sorts the entries by `column`; the parent row stays first.
void ftp_sort_entries(std::vector<FtpEntry>* entries, int column, bool ascending);

// ---- 接 続 ----

struct FtpSite {
    std::string name, host, user, password;   // code page 932 as in the settings record
    std::string site_folder, local_folder;
};
enum class FtpSiteFault : std::uint8_t { NONE, SITE_FOLDER, PASSWORD, USER, HOST, PASSWORD_LINE_BREAK };
// The site fields are checked in the order site folder, password, ID, host;
// the last one found empty is the one reported. A password holding CR or LF
// (never sent: a command could hide behind it) is a fault in the password's
// place of that order.
FtpSiteFault ftp_site_fault(const FtpSite& site);
// True when a password may be kept and sent: it holds no CR and no LF.
bool ftp_password_sendable(std::string_view password);
// The notice for a fault (code page 932): "ホスト名が設定されていません｡\n[詳細]をクリックして設定してください｡" …
std::string ftp_site_fault_text(FtpSiteFault fault);

// ---- the progress log ----

// What the connection reports; the numbers are those the log's table uses.
enum FtpStatus : int {
    FTP_STATUS_RESOLVING = 10,
    FTP_STATUS_RESOLVED = 11,
    FTP_STATUS_CONNECTING = 20,
    FTP_STATUS_CONNECTED = 21,
    FTP_STATUS_SENDING = 30,
    FTP_STATUS_SENT = 31,
    FTP_STATUS_RECEIVING = 40,
    FTP_STATUS_RECEIVED = 41,
    FTP_STATUS_CLOSING = 50,
    FTP_STATUS_CLOSED = 51,
    FTP_STATUS_HANDLE_CREATED = 60,
    FTP_STATUS_HANDLE_CLOSING = 70,
    FTP_STATUS_COMPLETE = 100,
    FTP_STATUS_REDIRECT = 110,
};
// The log line of a status (code page 932); "" for a status the log does not
// show. `address` fills the socket lines, `bytes` the byte counts.
std::string ftp_status_line(int status, std::string_view address, long bytes);

}  // namespace rix
