// The command line: one document (path or http address), the value/e and
// value/l switches, and the batch options that never open a window.
//
// A switch is an argument that ends in "/e" or "/l" (either case); its value
// is the text before. Values longer than 512 bytes are ignored. An argument
// that begins with "http:" or "https:" is never a switch. The first other
// argument is the document; later ones are ignored. A document whose first
// byte is a control character or a blank is discarded. After "--" every
// argument is a document name (a file named "e" in some folder ends in "/e").
// A local "file://" URL document (from a desktop's "open with") becomes its
// percent-decoded path.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace rix {

constexpr std::size_t MAX_SWITCH_VALUE = 512;

struct CommandLine {
    std::string document;          // "" = none
    std::string env_name = "rix.env";
    bool env_named = false;        // /e given
    std::string log_name = "rix.log";

    // Batch options.
    bool show_version = false;     // --version
    bool show_help = false;        // --help: the usage on standard output
    bool show_data_folder = false; // --data-folder
    bool new_document = false;     // --new-document: start on a new numbered document
    bool decrypt = false;          // --decrypt: the document is taken as encrypted (a dropped binary file)
    std::string snapshot_path;     // --snapshot OUT.png
    int snapshot_width = 0;        // --size WxH (0 = the window's own size)
    int snapshot_height = 0;
    bool info = false;             // --info: print the document's counts
    int format = -1;               // --format N (1..5): screen format for counts; -1 = current
    bool read_rubies = false;      // --read-rubies: ruby notation becomes rubies while loading
    bool read_index = false;       // --read-index: index lines become structure-index entries
    bool read_line_info = false;   // --read-line-info: line-information lines become marks and formats
    std::string save_as_path;      // --save-as OUT: load the document and save it as OUT
    std::string encoding;          // --encoding sjis|utf8: the encoding --save-as writes; "" = the document's
    std::string write_out_path;    // --write-out OUT: write the document out with notations into OUT
    bool write_rubies = false;     // --rubies: the write-out puts rubies in notation
    bool write_line_info = false;  // --line-info: the write-out puts line-information lines
    bool write_index = false;      // --index: the write-out puts index lines
    std::string print_path;        // --print OUT.pdf: compose the pages through printing into a PDF file
    int print_format = -1;         // --print-format N (1..3): print format slot 5..7; -1 = current
    std::string pdf_path;          // --pdf OUT.pdf: write the PDF of the print format into OUT.pdf
    int pdf_compress = -1;         // --compress 1 / --no-compress 0: the PDF's content streams deflated; -1 = the settings'
    int pdf_outline = -1;          // --outline 1 / --no-outline 0: the outline from the structure index; -1 = the settings'
    bool pdf_outline_title = false;// --outline-title: under one item named after the title (implies --outline)
    std::string epub_path;         // --epub OUT.epub: write the document as an EPUB 3 book
    std::string html_path;         // --html OUT.htm: write the static vertical page of screen format --format
    std::string db_pdf_path;       // --db-pdf OUT.pdf: a database record's content printed into OUT.pdf
    std::string db_table;          // --db-table NAME (UTF-8)
    std::int64_t db_row = 0;       // --db-row ROWID
    std::string db_field;          // --db-field NAME (UTF-8); "" = the table's first field
    std::string preview_path;      // --preview-snapshot OUT.png: the preview of one sheet
    int preview_sheet = 1;         // --sheet K: the sheet it shows (1..65535)
    int pages_start = 0;           // --pages A-B: sheets A..B (0 = the whole document)
    int pages_end = 0;
    int ftp_site = 0;              // --ftp-put SITE (1..3): upload the files after it to that site; 0 = none
    std::vector<std::string> ftp_files;   // every argument after --ftp-put SITE
    std::string error;             // a bad batch option, for the user (UTF-8)

    bool batch() const {
        return show_version || show_help || show_data_folder || info || !snapshot_path.empty() || !save_as_path.empty() ||
               !write_out_path.empty() || !print_path.empty() || !preview_path.empty() || !db_pdf_path.empty() ||
               !pdf_path.empty() || !epub_path.empty() || !html_path.empty() || ftp_site > 0;
    }
};

// args excludes argv[0]. Returns false (with `error`) only for bad batch options.
bool parse_command_line(const std::vector<std::string>& args, CommandLine* out);

// The arguments that start another instance on `document` with the same
// environment and log files (an argument list, not a joined string).
std::vector<std::string> instance_arguments(const std::string& document, const CommandLine& line);

}  // namespace rix
