// Loading the edited document.
#include "app/documents/document_load.h"

#include <fcntl.h>
#include <unistd.h>

#include <cinttypes>

#include "app/documents/crypt_flow.h"
#include "app/edit/format_views.h"
#include "document/encryption.h"
#include "platform/codec.h"
#include "platform/messages.h"

namespace rix {

LoadOptions load_options_for(const SettingsRecord& rec, const ReadingOptions& reading, int slot) {
    LoadOptions o;
    o.read_rubies = reading.rubies;
    o.read_index = reading.index;
    o.read_line_info = reading.line_info;
    o.ruby_notation = rec.ruby_notation >= 1 && rec.ruby_notation <= 4 ? rec.ruby_notation : 3;
    o.custom_delimiters = std::string(read_field(rec.ruby_custom_delimiters, sizeof rec.ruby_custom_delimiters));
    o.ruby_allotment = rec.ruby_allotment <= 2 ? rec.ruby_allotment : 0;
    o.line_id_symbol = std::string(read_field(rec.line_id_symbol, sizeof rec.line_id_symbol));
    if (slot < 0 || slot >= FORMAT_SLOT_COUNT) slot = 0;
    o.tab_width = rec.tab_width[slot] ? rec.tab_width[slot] : 1;
    return o;
}

void start_document_load(LoadedDocument& loaded, DocumentState& state, const SettingsRecord& rec,
                         const ReadingOptions& reading, int slot, bool restore) {
    loaded.extension = ExtensionFile{};
    state.damaged_extension.clear();
    bool have_extension = false;
    if (!state.opened_path.empty()) {
        ExtensionStatus status = open_extension_file(state.opened_path, 0, &loaded.extension);
        // A damaged file gives what was read before the damage, and is kept.
        have_extension = status == ExtensionStatus::OK ||
                         (status == ExtensionStatus::CORRUPT && loaded.extension.header.version != 0);
        if (status == ExtensionStatus::CORRUPT || status == ExtensionStatus::UNREADABLE) {
            state.damaged_extension = extension_path_for(state.opened_path);
            tell_extension_damage(state.damaged_extension, status, loaded.extension, 0);
        }
    }
    // A text recovered from a recovery file is saved under the document's
    // name: a damaged extension file of the document itself is kept too.
    if (!state.recovered_from.empty() && state.damaged_extension.empty() && !state.save_name.empty()) {
        ExtensionFile own;
        const ExtensionStatus status = open_extension_file(state.save_name, 0, &own);
        if (status == ExtensionStatus::CORRUPT || status == ExtensionStatus::UNREADABLE)
            state.damaged_extension = extension_path_for(state.save_name);
    }
    loaded.session = LoadSession{};
    loaded.session.options = load_options_for(rec, reading, slot);
    loaded.session.extension = have_extension ? &loaded.extension : nullptr;
    loaded.document.rules = wrap_rules_for(rec, slot);
    loaded.cursor = start_load(loaded.document, state, loaded.session, restore && have_extension,
                               rec.columns_per_page[slot] ? rec.columns_per_page[slot] : 20);
}

namespace {

// The form and what the load changed: "encoding=", "unmappable=",
// "converted=" (bytes), and where the first of each stands.
void print_load_report(const Document& doc, std::FILE* out) {
    const LoadReport& r = doc.load.report;
    std::fprintf(out, "encoding=%s\nunmappable=%" PRIu64 "\nconverted=%" PRIu64 "\n",
                 encoding_key(doc.load.form.encoding), r.unmappable, r.converted_bytes());
    if (r.unmappable > 0) {
        std::string ch = r.unmappable_char == CODEC_INVALID ? "" : " " + char_to_utf8(r.unmappable_char);
        std::fprintf(out, "first_unmappable=%" PRIu32 ":%" PRIu32 " %s%s\n", r.first_unmappable.line,
                     r.first_unmappable.column, character_name(r.unmappable_char).c_str(), ch.c_str());
    }
    if (r.first.line != 0)
        std::fprintf(out, "first_converted=%" PRIu32 ":%" PRIu32 " %s\n", r.first.line, r.first.column,
                     conversion_name(r.first_kind).c_str());
}

}  // namespace

int print_document_info(const std::string& path, const SettingsRecord& rec, const std::string& program_folder,
                        const ReadingOptions& reading, int slot, std::FILE* out) {
    DocumentState state;
    state.text_fd = open_text_file(path, 0);
    if (state.text_fd < 0) return 1;
    DocumentKind kind = check_document_kind(path);
    if (!accept_document_kind(kind, 0)) {
        ::close(state.text_fd);
        return 1;
    }
    state.opened_path = path;
    state.save_name = path;
    if (!unlock_with_key_file(state, document_key_file(rec, program_folder, path))) {
        ::close(state.text_fd);
        return 1;
    }
    LoadedDocument loaded({}, UINT64_MAX);
    start_document_load(loaded, state, rec, reading, slot, false);
    bool complete = load_all(loaded.document, state, loaded.session);
    ::close(state.text_fd);
    DocumentCounts c = count_document(loaded.document);
    std::fprintf(out,
                 "lines=%" PRIu32 "\ndisplay_lines=%" PRIu64 "\ncells=%" PRIu64 "\nbytes=%" PRIu64
                 "\nrubies=%" PRIu64 "\ntags=%" PRIu64 "\nindex_entries=%" PRIu64 "\n",
                 c.lines, c.display_lines, c.cells, c.bytes, c.rubies, c.tags, c.index_entries);
    print_load_report(loaded.document, out);
    if (!complete) std::fprintf(out, "complete=0\n");
    return complete ? 0 : 1;
}

}  // namespace rix
