// Listings, name checks, rows and their order for the FTP window.
#include "publish/ftp_listing.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "platform/codec.h"

namespace rix {
namespace {

struct Token {
    std::string_view text;
    std::size_t end;   // offset just past it in the line
};

std::vector<Token> split_tokens(std::string_view line, std::size_t most) {
    std::vector<Token> out;
    std::size_t i = 0;
    while (i < line.size() && out.size() < most) {
        while (i < line.size() && line[i] == ' ') ++i;
        if (i >= line.size()) break;
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ') ++i;
        out.push_back({line.substr(start, i - start), i});
    }
    return out;
}

bool all_digits(std::string_view s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A decimal number of at most `width` digits; -1 when it is not one.
long long number_of(std::string_view s, std::size_t width = 18) {
    if (!all_digits(s) || s.size() > width) return -1;
    long long v = 0;
    for (char c : s) v = v * 10 + (c - '0');
    return v;
}

int month_number(std::string_view s) {
    static constexpr const char* MONTHS[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                             "jul", "aug", "sep", "oct", "nov", "dec"};
    if (s.size() != 3) return 0;
    for (int m = 0; m < 12; ++m) {
        bool same = true;
        for (int k = 0; k < 3; ++k)
            if (std::tolower(static_cast<unsigned char>(s[k])) != MONTHS[m][k]) same = false;
        if (same) return m + 1;
    }
    return 0;
}

// "hh:mm" into hour and minute.
bool clock_of(std::string_view s, int* hour, int* minute) {
    const std::size_t colon = s.find(':');
    if (colon == std::string_view::npos) return false;
    const long long h = number_of(s.substr(0, colon), 2), m = number_of(s.substr(colon + 1, 2), 2);
    if (h < 0 || h > 23 || m < 0 || m > 59) return false;
    *hour = static_cast<int>(h);
    *minute = static_cast<int>(m);
    return true;
}

bool dot_name(std::string_view name) { return name == "." || name == ".."; }

bool parse_unix_line(std::string_view line, int now_year, int now_month, FtpEntry* out) {
    const std::vector<Token> t = split_tokens(line, 9);
    if (t.size() < 7 || t[0].text.size() < 10 || std::strchr("-dlbcps", t[0].text[0]) == nullptr) return false;
    // The month may stand fourth (no group column) or later.
    for (std::size_t i = 3; i + 2 < t.size() && i <= 6; ++i) {
        const int month = month_number(t[i].text);
        const long long day = number_of(t[i + 1].text, 2);
        const long long size = number_of(t[i - 1].text);
        if (month == 0 || day < 1 || day > 31 || size < 0) continue;
        FtpEntry e;
        e.month = month;
        e.day = static_cast<int>(day);
        e.size = size;
        const std::string_view when = t[i + 2].text;
        if (when.find(':') != std::string_view::npos) {
            if (!clock_of(when, &e.hour, &e.minute)) return false;
            e.year = month > now_month ? now_year - 1 : now_year;
        } else {
            const long long year = number_of(when, 4);
            if (year < 1900) return false;
            e.year = static_cast<int>(year);
        }
        const std::size_t start = t[i + 2].end + 1;
        if (start >= line.size()) return false;
        std::string_view name = line.substr(start);
        if (t[0].text[0] == 'l') {
            const std::size_t arrow = name.find(" -> ");
            if (arrow != std::string_view::npos) name = name.substr(0, arrow);
        }
        if (name.empty() || dot_name(name)) return false;
        e.folder = t[0].text[0] == 'd';
        if (e.folder) e.size = -1;
        e.raw = std::string(name);
        *out = std::move(e);
        return true;
    }
    return false;
}

bool parse_dos_line(std::string_view line, FtpEntry* out) {
    const std::vector<Token> t = split_tokens(line, 3);
    if (t.size() < 3) return false;
    const std::string_view date = t[0].text;
    if (date.size() != 8 && date.size() != 10) return false;
    if (date[2] != '-' || date[5] != '-') return false;
    const long long month = number_of(date.substr(0, 2), 2), day = number_of(date.substr(3, 2), 2);
    long long year = number_of(date.substr(6), 4);
    if (month < 1 || month > 12 || day < 1 || day > 31 || year < 0) return false;
    if (date.size() == 8) year += year < 70 ? 2000 : 1900;
    FtpEntry e;
    e.year = static_cast<int>(year);
    e.month = static_cast<int>(month);
    e.day = static_cast<int>(day);
    std::string_view clock = t[1].text;
    int pm = -1;
    if (clock.size() > 2) {
        const std::string_view suffix = clock.substr(clock.size() - 2);
        if (suffix == "AM" || suffix == "am") pm = 0;
        if (suffix == "PM" || suffix == "pm") pm = 1;
        if (pm >= 0) clock.remove_suffix(2);
    }
    if (!clock_of(clock, &e.hour, &e.minute)) return false;
    if (pm >= 0) {
        if (e.hour < 1 || e.hour > 12) return false;
        e.hour = e.hour % 12 + (pm ? 12 : 0);
    }
    if (t[2].text == "<DIR>") {
        e.folder = true;
    } else {
        e.size = number_of(t[2].text);
        if (e.size < 0) return false;
    }
    std::size_t start = t[2].end;
    while (start < line.size() && line[start] == ' ') ++start;
    if (start >= line.size()) return false;
    const std::string_view name = line.substr(start);
    if (dot_name(name)) return false;
    e.raw = std::string(name);
    *out = std::move(e);
    return true;
}

std::string lower_ascii(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool ends_with(std::string_view s, std::string_view tail) {
    return s.size() >= tail.size() && s.substr(s.size() - tail.size()) == tail;
}

// Code page 932 text with its single-byte ASCII letters in lower case.
std::string folded(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (is_lead_byte(b) && i + 1 < s.size()) {
            out += s[i];
            out += s[++i];
        } else {
            out += static_cast<char>(std::tolower(b));
        }
    }
    return out;
}

// "yymmdd hh:mm" with its century put in front: 70..99 are 19xx, 00..69 20xx.
std::string dated(std::string_view cell) {
    if (cell.size() < 2 || !all_digits(cell.substr(0, 2))) return std::string(cell);
    return (cell[0] >= '7' ? "19" : "20") + std::string(cell);
}

int sign(int v) { return v < 0 ? -1 : v > 0 ? 1 : 0; }

}  // namespace

bool ftp_name_safe(std::string_view utf8) {
    if (utf8.empty() || dot_name(utf8)) return false;
    return utf8.find_first_of(std::string_view("/\\\r\n\0", 5)) == std::string_view::npos;
}

bool ftp_server_name_safe(std::string_view raw, bool server_utf8) {
    // '/', CR, LF and NUL are never the second byte of a double-byte character.
    if (raw.find_first_of(std::string_view("/\r\n\0", 4)) != std::string_view::npos) return false;
    return ftp_name_safe(ftp_local_name(raw, server_utf8));
}

std::string ftp_display_name(std::string_view raw, bool server_utf8) {
    return server_utf8 ? utf8_to_sjis(raw) : std::string(raw);
}

std::string ftp_server_name(std::string_view local_utf8, bool server_utf8) {
    return server_utf8 ? std::string(local_utf8) : utf8_to_sjis(local_utf8);
}

std::string ftp_local_name(std::string_view raw, bool server_utf8) {
    return server_utf8 ? std::string(raw) : sjis_to_utf8(raw);
}

bool parse_list_line(std::string_view line, int now_year, int now_month, FtpEntry* out) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
    if (line.empty()) return false;
    if (line[0] >= '0' && line[0] <= '9') return parse_dos_line(line, out);
    return parse_unix_line(line, now_year, now_month, out);
}

bool parse_mlsd_line(std::string_view line, FtpEntry* out) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
    const std::size_t space = line.find(' ');
    if (space == std::string_view::npos || space + 1 >= line.size()) return false;
    const std::string_view facts = line.substr(0, space), name = line.substr(space + 1);
    FtpEntry e;
    bool typed = false;
    std::size_t pos = 0;
    while (pos < facts.size()) {
        std::size_t semi = facts.find(';', pos);
        if (semi == std::string_view::npos) semi = facts.size();
        const std::string_view fact = facts.substr(pos, semi - pos);
        pos = semi + 1;
        const std::size_t eq = fact.find('=');
        if (eq == std::string_view::npos) continue;
        const std::string key = lower_ascii(fact.substr(0, eq));
        const std::string_view value = fact.substr(eq + 1);
        if (key == "type") {
            const std::string type = lower_ascii(value);
            if (type == "cdir" || type == "pdir") return false;
            e.folder = type == "dir";
            typed = true;
        } else if (key == "size" || key == "sizd") {
            e.size = number_of(value);
        } else if (key == "modify" && value.size() >= 12 && all_digits(value.substr(0, 12))) {
            // A time that is no time (month 13, 24:60) leaves the date unknown.
            const long long year = number_of(value.substr(0, 4)), month = number_of(value.substr(4, 2)),
                            day = number_of(value.substr(6, 2)), hour = number_of(value.substr(8, 2)),
                            minute = number_of(value.substr(10, 2));
            if (month >= 1 && month <= 12 && day >= 1 && day <= 31 && hour <= 23 && minute <= 59) {
                e.year = static_cast<int>(year);
                e.month = static_cast<int>(month);
                e.day = static_cast<int>(day);
                e.hour = static_cast<int>(hour);
                e.minute = static_cast<int>(minute);
            }
        }
    }
    if (!typed || dot_name(name)) return false;
    if (e.folder) e.size = -1;
    e.raw = std::string(name);
    *out = std::move(e);
    return true;
}

FtpListing parse_listing(std::string_view text, bool mlsd, bool server_utf8, int now_year, int now_month) {
    FtpListing listing;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        FtpEntry e;
        if (!(mlsd ? parse_mlsd_line(line, &e) : parse_list_line(line, now_year, now_month, &e))) continue;
        if (!ftp_server_name_safe(e.raw, server_utf8)) {
            ++listing.refused;
            continue;
        }
        e.name = ftp_display_name(e.raw, server_utf8);
        listing.entries.push_back(std::move(e));
    }
    return listing;
}

std::string ftp_type_mark(const FtpEntry& entry) {
    if (entry.parent) return utf8_to_sjis("↑");
    if (entry.folder) return "F";
    const std::string name = folded(entry.name);
    if (ends_with(name, ".txt") || ends_with(name, ".tex")) return "T";
    if (ends_with(name, ".htm") || ends_with(name, ".html")) return "H";
    if (ends_with(name, ".rix")) return "V";
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && name.compare(dot, 4, ".cla") == 0) return "C";
    return {};
}

std::string ftp_size_text(const FtpEntry& entry) {
    if (entry.parent) return {};
    if (entry.folder) return utf8_to_sjis(" ﾌｫﾙﾀﾞ");
    if (entry.size < 0) return {};
    char buf[32];
    std::snprintf(buf, sizeof buf, "%8lld", static_cast<long long>(entry.size));
    return buf;
}

std::string ftp_date_text(const FtpEntry& entry) {
    if (entry.year <= 0) return {};
    char buf[40];
    std::snprintf(buf, sizeof buf, "%02d%02d%02d %02d:%02d", entry.year % 100, entry.month, entry.day, entry.hour,
                  entry.minute);
    return buf;
}

std::vector<std::string> ftp_row_cells(const FtpEntry& entry) {
    return {ftp_type_mark(entry), entry.name, ftp_size_text(entry), ftp_date_text(entry)};
}

int ftp_compare_cells(const std::vector<std::string>& a, const std::vector<std::string>& b, int column) {
    if (column < 0) return 0;
    const std::size_t c = static_cast<std::size_t>(column);
    const std::string_view x = c < a.size() ? std::string_view(a[c]) : std::string_view();
    const std::string_view y = c < b.size() ? std::string_view(b[c]) : std::string_view();
    if (column == FTP_COLUMN_DATE) return sign(dated(x).compare(dated(y)));
    if (column == FTP_COLUMN_SIZE) {
        // Past eight digits "%8d" no longer lines up: numbers compare as numbers.
        const auto trim = [](std::string_view s) {
            while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
            return s;
        };
        const long long p = number_of(trim(x)), q = number_of(trim(y));
        if (p >= 0 && q >= 0) return p < q ? -1 : p > q ? 1 : 0;
    }
    return sign(folded(x).compare(folded(y)));
}

void ftp_sort_entries(std::vector<FtpEntry>* entries, int column, bool ascending) {
    std::vector<std::pair<std::vector<std::string>, FtpEntry>> rows;
    rows.reserve(entries->size());
    for (FtpEntry& e : *entries) rows.emplace_back(ftp_row_cells(e), std::move(e));
    std::stable_sort(rows.begin(), rows.end(), [column, ascending](const auto& a, const auto& b) {
        if (a.second.parent != b.second.parent) return a.second.parent;
        const int order = ftp_compare_cells(a.first, b.first, column);
        return ascending ? order < 0 : order > 0;
    });
    entries->clear();
    for (auto& row : rows) entries->push_back(std::move(row.second));
}

FtpSiteFault ftp_site_fault(const FtpSite& site) {
    FtpSiteFault fault = FtpSiteFault::NONE;
    if (site.site_folder.empty()) fault = FtpSiteFault::SITE_FOLDER;
    if (site.password.empty()) fault = FtpSiteFault::PASSWORD;
    else if (!ftp_password_sendable(site.password)) fault = FtpSiteFault::PASSWORD_LINE_BREAK;
    if (site.user.empty()) fault = FtpSiteFault::USER;
    if (site.host.empty()) fault = FtpSiteFault::HOST;
    return fault;
}

bool ftp_password_sendable(std::string_view password) {
    return password.find_first_of("\r\n") == std::string_view::npos;
}

std::string ftp_site_fault_text(FtpSiteFault fault) {
    const char* what = nullptr;
    switch (fault) {
    case FtpSiteFault::NONE: return {};
    case FtpSiteFault::SITE_FOLDER: what = "サイトフォルダが設定されていません"; break;
    case FtpSiteFault::PASSWORD: what = "Ｐａｓｓが設定されていません"; break;
    case FtpSiteFault::PASSWORD_LINE_BREAK: what = "Ｐａｓｓに改行が入っています"; break;
    case FtpSiteFault::USER: what = "ＩＤが設定されていません"; break;
    case FtpSiteFault::HOST: what = "ホスト名が設定されていません"; break;
    }
    return utf8_to_sjis(std::string(what) + "｡\n[詳細]をクリックして設定してください｡");
}

std::string ftp_status_line(int status, std::string_view address, long bytes) {
    const std::string count = std::to_string(bytes);
    const std::string where(address);
    std::string line;
    switch (status) {
    case FTP_STATUS_RESOLVING: line = "IPアドレスの取得中"; break;
    case FTP_STATUS_RESOLVED: line = "IPアドレスを取得終了"; break;
    case FTP_STATUS_CONNECTING: line = "ソケットアドレス" + where + "に接続中"; break;
    case FTP_STATUS_CONNECTED: line = "ソケットアドレス" + where + "に接続完了"; break;
    case FTP_STATUS_SENDING: line = "サーバーに要求を送信"; break;
    case FTP_STATUS_SENT: line = count + "バイト送信"; break;
    case FTP_STATUS_RECEIVING: line = "サーバーの反応待ち"; break;
    case FTP_STATUS_RECEIVED: line = count + "バイト受信"; break;
    case FTP_STATUS_CLOSING: line = "サーバから切断中"; break;
    case FTP_STATUS_CLOSED: line = "サーバーからの接続をクローズ"; break;
    case FTP_STATUS_HANDLE_CREATED: line = "FTPセッションハンドルを作成"; break;
    case FTP_STATUS_HANDLE_CLOSING: line = "ハンドルがクローズされた"; break;
    case FTP_STATUS_COMPLETE: line = "非同期捜査が終了した"; break;
    case FTP_STATUS_REDIRECT: line = "自動リダイレクトによる要求の転送中"; break;
    default: return {};
    }
    return utf8_to_sjis(line);
}

}  // namespace rix
