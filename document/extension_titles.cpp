// The titles as the header keeps them (see extension_titles.h).
#include "document/extension_titles.h"

#include "platform/codec.h"

namespace rix {

std::string stored_title(std::string_view title, std::size_t width) {
    title = title.substr(0, title.find('\0'));
    title = title.substr(0, cut_on_boundary(title, width));
    std::size_t at = 0, last = 0;
    while (at < title.size()) {
        last = at;
        at += char_length_at(title, at);
    }
    if (!title.empty() && last == title.size() - 1 && is_lead_byte(static_cast<std::uint8_t>(title[last])))
        title.remove_suffix(1);
    return std::string(title);
}

bool write_back_titles(ExtensionHeader& header, DocumentState& state, std::string_view title,
                       std::string_view print_title) {
    std::string kept_title = stored_title(title, EXT_TITLE_BYTES);
    std::string kept_print_title = stored_title(print_title, EXT_PRINT_TITLE_BYTES);
    if (kept_title == stored_title(header.title, EXT_TITLE_BYTES) &&
        kept_print_title == stored_title(header.print_title, EXT_PRINT_TITLE_BYTES))
        return false;
    header.title = std::move(kept_title);
    header.print_title = std::move(kept_print_title);
    state.modified |= MODIFIED_EXTENSION;
    return true;
}

}  // namespace rix
