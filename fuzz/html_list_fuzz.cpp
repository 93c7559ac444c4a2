// Fuzz target for the list file of a page of several documents (the lists
// ﾘｽﾄ読込 reads back). What the reader promises: the lines before the first
// bad one, each naming a bare file and a title of at most 40 bytes cut on a
// character boundary; the bad line's number when it stops; and the lines it
// kept, written again, read back the same and sound.
#include "fuzz/fuzz_target.h"
#include "publish/html_list.h"

namespace {

std::string html_list_entry(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes = rix::fuzz::bytes_of(data, size);
    rix::HtmlListRead read = rix::read_html_list(bytes);
    if (read.bad != (read.bad_line > 0)) return "bad line number without a bad line";
    if (read.bad && static_cast<std::size_t>(read.bad_line) != read.lines.size() + 1)
        return "the bad line is not the one after the lines kept";
    std::string written;
    for (const rix::HtmlListLine& line : read.lines) {
        if (!rix::bare_file_name(line.file)) return "a kept line names no bare file";
        if (line.title.size() > rix::HTML_LIST_TITLE_BYTES) return "title longer than 40 bytes";
        if (line.title.find('\n') != std::string::npos) return "title holds a line break";
        written += rix::html_list_line(line.file, line.title);
    }
    rix::HtmlListRead again = rix::read_html_list(written);
    if (again.bad) return "written lines read as bad";
    if (again.lines.size() != read.lines.size()) return "written lines read back as another count";
    for (std::size_t i = 0; i < read.lines.size(); ++i)
        if (again.lines[i].file != read.lines[i].file || again.lines[i].title != read.lines[i].title)
            return "line " + std::to_string(i + 1) + " reads back differently";
    return "";
}

}  // namespace

RIX_FUZZ_TARGET(html_list, html_list_entry)
