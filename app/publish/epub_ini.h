// "Rix.ini" in the data folder: the profile file that keeps the four EPUB
// texts the writer reuses from book to book (section "EPUB": Description,
// Creator, CopyRight, Publisher).
//
// Format (profile strings, code page 932 bytes, lines end in CR LF):
//   [Section]        a section runs until the next "[" line
//   Key=Value        key and value trimmed of blanks; a value enclosed in
//                    double quotes loses one pair of them
//   ;comment         and any other line: kept, never interpreted
// Section and key names compare without regard to ASCII case; the first
// section of a name and the first key of a name in it count.
//
// Writing changes only the lines of the keys written (appending the key to
// its section, or the section to the file, when missing); every other byte
// of the file stays as it was, whatever its encoding. The file is replaced
// through a temporary file, so a failed write leaves the old one whole.
// Nothing here shows a message.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace rix {

constexpr const char EPUB_INI_NAME[] = "Rix.ini";
constexpr std::size_t EPUB_INI_VALUE_LIMIT = 49;   // bytes a value keeps (cut on a character)

// The four texts of the "EPUB" section, code page 932.
struct EpubIniValues {
    std::string description;   // Description (内 容)
    std::string creator;       // Creator (著 者)
    std::string rights;        // CopyRight (著作権)
    std::string publisher;     // Publisher (発行者)
};

// ---- profile text in memory ----

// The value of `key` in `section`; false (and *value emptied) when absent.
bool profile_value(std::string_view file, std::string_view section, std::string_view key, std::string* value);
// `file` with each key of `values` set in `section`. A value is stored as it
// is, without CR, LF or NUL; one that begins or ends with a blank or a
// double quote is written inside double quotes so that it reads back whole.
std::string with_profile_values(std::string_view file, std::string_view section,
                                const std::vector<std::pair<std::string, std::string>>& values);

// ---- Rix.ini ----

std::string epub_ini_path(const std::string& program_folder);
// The four values, each cut to EPUB_INI_VALUE_LIMIT bytes. False when the
// file is missing or cannot be read: the values are then empty.
bool load_epub_ini(const std::string& program_folder, EpubIniValues* values);
// Stores the four values (cut as above). False when the file could not be
// written, or exists but could not be read (it is then left alone).
bool save_epub_ini(const std::string& program_folder, const EpubIniValues& values);

}  // namespace rix
