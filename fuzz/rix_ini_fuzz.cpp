// Fuzz target for Rix.ini, the profile file of the EPUB texts. The bytes are
// the file; it is read, its four values stored again, and read back. What
// the reader and writer promise: values of at most 49 bytes without line
// breaks; every value stored reads back as it was stored; keys the writer
// does not own keep their values.
#include "app/publish/epub_ini.h"
#include "fuzz/fuzz_target.h"

namespace {

std::string check_values(const rix::EpubIniValues& v) {
    for (const std::string* s : {&v.description, &v.creator, &v.rights, &v.publisher}) {
        if (s->size() > rix::EPUB_INI_VALUE_LIMIT) return "value longer than its limit";
        if (s->find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos) return "value holds a line break";
    }
    return "";
}

bool same(const rix::EpubIniValues& a, const rix::EpubIniValues& b) {
    return a.description == b.description && a.creator == b.creator && a.rights == b.rights &&
           a.publisher == b.publisher;
}

std::string rix_ini_entry(const std::uint8_t* data, std::size_t size) {
    std::string_view file = rix::fuzz::bytes_of(data, size);
    // Values with every form the writer must quote, set into the file in memory.
    const std::vector<std::pair<std::string, std::string>> awkward = {
        {"Description", " \x93\xE0\x97\x65 "}, {"Creator", "\"quoted\""}, {"CopyRight", "a=b;c"},
        {"Publisher", ""}};
    std::string before_other, before_title;
    bool had_other = rix::profile_value(file, "Main", "Description", &before_other);
    bool had_title = rix::profile_value(file, "EPUB", "Title", &before_title);
    std::string changed = rix::with_profile_values(file, "EPUB", awkward);
    for (const auto& [key, value] : awkward) {
        std::string back;
        if (!rix::profile_value(changed, "EPUB", key, &back) || back != value) return key + " does not read back";
    }
    std::string after;
    if (rix::profile_value(changed, "Main", "Description", &after) != had_other || after != before_other)
        return "a key of another section changed";
    if (rix::profile_value(changed, "EPUB", "Title", &after) != had_title || after != before_title)
        return "another key of the section changed";

    const std::string& folder = rix::fuzz::scratch_folder();
    if (!rix::fuzz::write_file(rix::epub_ini_path(folder), file)) return "";
    rix::EpubIniValues values, again;
    if (!rix::load_epub_ini(folder, &values)) return "a readable file was refused";
    if (std::string bad = check_values(values); !bad.empty()) return bad;
    if (!rix::save_epub_ini(folder, values)) return "save failed";
    if (!rix::load_epub_ini(folder, &again) || !same(values, again)) return "saved values read back differently";
    return "";
}

}  // namespace

RIX_FUZZ_TARGET(rix_ini, rix_ini_entry)
