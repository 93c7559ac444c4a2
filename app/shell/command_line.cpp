// Parsing the command line (see command_line.h for the rules).
#include "app/shell/command_line.h"

#include <cstdio>

namespace rix {
namespace {

bool starts_with(const std::string& s, const char* p) { return s.rfind(p, 0) == 0; }

bool is_http_address(const std::string& s) { return starts_with(s, "http:") || starts_with(s, "https:"); }

// 'e', 'l', or 0 when the argument is no switch.
char switch_letter(const std::string& arg) {
    if (arg.size() < 2 || is_http_address(arg)) return 0;
    if (arg[arg.size() - 2] != '/') return 0;
    char c = arg.back();
    if (c == 'e' || c == 'E') return 'e';
    if (c == 'l' || c == 'L') return 'l';
    return 0;
}

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A local file:// URL (as a desktop's "open with" hands one) as its path;
// any other argument, or a URL that does not decode to a path, as it is.
std::string local_path_of(const std::string& arg) {
    if (!starts_with(arg, "file://")) return arg;
    std::string rest = arg.substr(7);
    if (starts_with(rest, "localhost/")) rest = rest.substr(9);
    if (rest.empty() || rest[0] != '/') return arg;
    std::string path;
    for (std::size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] == '%' && i + 2 < rest.size() && hex_digit(rest[i + 1]) >= 0 && hex_digit(rest[i + 2]) >= 0) {
            const char c = static_cast<char>(hex_digit(rest[i + 1]) * 16 + hex_digit(rest[i + 2]));
            if (c == '\0') return arg;
            path += c;
            i += 2;
        } else {
            path += rest[i];
        }
    }
    return path;
}

bool parse_size(const std::string& text, int* w, int* h) {
    int a = 0, b = 0;
    char x = 0, tail = 0;
    if (std::sscanf(text.c_str(), "%d%c%d%c", &a, &x, &b, &tail) != 3 || (x != 'x' && x != 'X')) return false;
    if (a < 100 || b < 100 || a > 8000 || b > 8000) return false;
    *w = a;
    *h = b;
    return true;
}

// --print OUT, --pdf OUT, --epub OUT, --html OUT, --preview-snapshot OUT, --print-format N (1..3), --sheet K,
// --pages A-B (1 <= A <= B <= 65535).
bool parse_print_option(const std::string& arg, const std::string* value, CommandLine* out) {
    if (!value || value->empty()) {
        out->error = arg + " needs a value";
        return false;
    }
    if (arg == "--print" || arg == "--preview-snapshot" || arg == "--pdf" || arg == "--epub" || arg == "--html") {
        (arg == "--print"  ? out->print_path
         : arg == "--pdf"  ? out->pdf_path
         : arg == "--epub" ? out->epub_path
         : arg == "--html" ? out->html_path
                           : out->preview_path) = *value;
        return true;
    }
    if (arg == "--sheet") {
        int k = 0;
        char tail = 0;
        if (std::sscanf(value->c_str(), "%d%c", &k, &tail) != 1 || k < 1 || k > 65535) {
            out->error = "--sheet takes a sheet number 1..65535: " + *value;
            return false;
        }
        out->preview_sheet = k;
        return true;
    }
    if (arg == "--print-format") {
        if (value->size() != 1 || (*value)[0] < '1' || (*value)[0] > '3') {
            out->error = "--print-format takes a print format number 1..3";
            return false;
        }
        out->print_format = 4 + ((*value)[0] - '0');
        return true;
    }
    int a = 0, b = 0;
    char dash = 0, tail = 0;
    if (std::sscanf(value->c_str(), "%d%c%d%c", &a, &dash, &b, &tail) != 3 || dash != '-' || a < 1 || b < a ||
        b > 65535) {
        out->error = "--pages takes FIRST-LAST sheets, 1 <= FIRST <= LAST <= 65535: " + *value;
        return false;
    }
    out->pages_start = a;
    out->pages_end = b;
    return true;
}

}  // namespace

bool parse_command_line(const std::vector<std::string>& args, CommandLine* out) {
    bool options_done = false;
    bool have_document = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!options_done && starts_with(arg, "--")) {
            if (arg == "--") {
                options_done = true;
            } else if (arg == "--version") {
                out->show_version = true;
            } else if (arg == "--help") {
                out->show_help = true;
            } else if (arg == "--data-folder") {
                out->show_data_folder = true;
            } else if (arg == "--new-document") {
                out->new_document = true;
            } else if (arg == "--decrypt") {
                out->decrypt = true;
            } else if (arg == "--info") {
                out->info = true;
            } else if (arg == "--read-rubies") {
                out->read_rubies = true;
            } else if (arg == "--read-index") {
                out->read_index = true;
            } else if (arg == "--read-line-info") {
                out->read_line_info = true;
            } else if (arg == "--rubies") {
                out->write_rubies = true;
            } else if (arg == "--line-info") {
                out->write_line_info = true;
            } else if (arg == "--index") {
                out->write_index = true;
            } else if (arg == "--save-as" || arg == "--write-out") {
                if (i + 1 >= args.size() || args[i + 1].empty()) {
                    out->error = arg + " needs an output file";
                    return false;
                }
                (arg == "--save-as" ? out->save_as_path : out->write_out_path) = args[++i];
            } else if (arg == "--encoding") {
                if (i + 1 >= args.size() || (args[i + 1] != "sjis" && args[i + 1] != "utf8")) {
                    out->error = "--encoding takes sjis or utf8";
                    return false;
                }
                out->encoding = args[++i];
            } else if (arg == "--format") {
                if (i + 1 >= args.size() || args[i + 1].size() != 1 || args[i + 1][0] < '1' || args[i + 1][0] > '5') {
                    out->error = "--format takes a screen format number 1..5";
                    return false;
                }
                out->format = args[++i][0] - '1';
            } else if (arg == "--compress" || arg == "--no-compress") {
                out->pdf_compress = arg == "--compress" ? 1 : 0;
            } else if (arg == "--outline" || arg == "--no-outline") {
                out->pdf_outline = arg == "--outline" ? 1 : 0;
            } else if (arg == "--outline-title") {
                out->pdf_outline = 1;
                out->pdf_outline_title = true;
            } else if (arg == "--print" || arg == "--print-format" || arg == "--pages" || arg == "--preview-snapshot" ||
                       arg == "--sheet" || arg == "--pdf" || arg == "--epub" || arg == "--html") {
                if (!parse_print_option(arg, i + 1 < args.size() ? &args[++i] : nullptr, out)) return false;
            } else if (arg == "--db-pdf" || arg == "--db-table" || arg == "--db-row" || arg == "--db-field") {
                if (i + 1 >= args.size() || args[i + 1].empty()) {
                    out->error = arg + " needs a value";
                    return false;
                }
                const std::string& value = args[++i];
                if (arg == "--db-row") {
                    long long row = 0;
                    char tail = 0;
                    if (std::sscanf(value.c_str(), "%lld%c", &row, &tail) != 1 || row < 1) {
                        out->error = "--db-row takes a record number (ROWID) of 1 or more: " + value;
                        return false;
                    }
                    out->db_row = row;
                } else {
                    (arg == "--db-pdf" ? out->db_pdf_path : arg == "--db-table" ? out->db_table : out->db_field) = value;
                }
            } else if (arg == "--ftp-put") {
                if (i + 2 >= args.size() || args[i + 1].size() != 1 || args[i + 1][0] < '1' || args[i + 1][0] > '3') {
                    out->error = "--ftp-put takes a site number 1..3 and the files to upload";
                    return false;
                }
                out->ftp_site = args[++i][0] - '0';
                out->ftp_files.assign(args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
                break;
            } else if (arg == "--snapshot" || arg == "--size") {
                if (i + 1 >= args.size()) {
                    out->error = arg + " needs a value";
                    return false;
                }
                const std::string& value = args[++i];
                if (arg == "--snapshot") {
                    out->snapshot_path = value;
                } else if (!parse_size(value, &out->snapshot_width, &out->snapshot_height)) {
                    out->error = "--size takes WIDTHxHEIGHT, each 100..8000: " + value;
                    return false;
                }
            } else {
                out->error = "unknown option " + arg;
                return false;
            }
            continue;
        }
        char letter = options_done ? 0 : switch_letter(arg);
        if (letter) {
            std::string value = arg.substr(0, arg.size() - 2);
            if (value.empty() || value.size() > MAX_SWITCH_VALUE) continue;
            if (letter == 'e') {
                out->env_name = value;
                out->env_named = true;
            } else {
                out->log_name = value;
            }
            continue;
        }
        if (have_document) continue;
        have_document = true;
        unsigned char first = arg.empty() ? 0 : static_cast<unsigned char>(arg[0]);
        if (first > 0x20 && first != 0x7F) out->document = local_path_of(arg);
    }
    return true;
}

std::vector<std::string> instance_arguments(const std::string& document, const CommandLine& line) {
    std::vector<std::string> args;
    if (document.empty()) args.push_back("--new-document");
    args.push_back(line.env_name + "/e");
    args.push_back(line.log_name + "/l");
    if (!document.empty()) {
        // A document that itself looks like a switch or an option is given after "--".
        args.push_back("--");
        args.push_back(document);
    }
    return args;
}

}  // namespace rix
