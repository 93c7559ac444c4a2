// Loading the edited document.
#include "app/documents/document_load.h"

#include <fcntl.h>
#include <unistd.h>

#include <cinttypes>

#include "app/documents/crypt_flow.h"
#include "app/edit/format_views.h"
#include "app/shell/application.h"
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

namespace {

// The questions of a start of loading: the notices gathered so far are
// shown first, so that the writer meets notices and questions in the order
// they arose.
class NoticesFirst final : public Questions {
public:
    NoticesFirst(Questions& ask, Notices& pending) : ask_(ask), pending_(pending) {}
    bool yes_no(std::string_view utf8, std::uintptr_t owner) override {
        show_notices(pending_);
        pending_.items.clear();
        return ask_.yes_no(utf8, owner);
    }

private:
    Questions& ask_;
    Notices& pending_;
};

}  // namespace

Notices start_document_load(LoadedDocument& loaded, DocumentState& state, const SettingsRecord& rec,
                            const ReadingOptions& reading, int slot, bool restore, Questions& questions) {
    Notices notices;
    NoticesFirst first(questions, notices);
    loaded.extension = ExtensionFile{};
    state.damaged_extension.clear();
    bool have_extension = false;
    if (!state.opened_path.empty()) {
        ExtensionStatus status = open_extension_file(state.opened_path, 0, &loaded.extension, first);
        // A damaged file gives what was read before the damage, and is kept.
        have_extension = status == ExtensionStatus::OK ||
                         (status == ExtensionStatus::CORRUPT && loaded.extension.header.version != 0);
        if (status == ExtensionStatus::CORRUPT || status == ExtensionStatus::UNREADABLE) {
            state.damaged_extension = extension_path_for(state.opened_path);
            tell_extension_damage(state.damaged_extension, status, loaded.extension, 0, notices);
        }
    }
    // A text recovered from a recovery file is saved under the document's
    // name: a damaged extension file of the document itself is kept too.
    if (!state.recovered_from.empty() && state.damaged_extension.empty() && !state.save_name.empty()) {
        ExtensionFile own;
        const ExtensionStatus status = open_extension_file(state.save_name, 0, &own, first);
        if (status == ExtensionStatus::CORRUPT || status == ExtensionStatus::UNREADABLE)
            state.damaged_extension = extension_path_for(state.save_name);
    }
    loaded.session = LoadSession{};
    loaded.session.options = load_options_for(rec, reading, slot);
    loaded.session.extension = have_extension ? &loaded.extension : nullptr;
    loaded.session.questions = &first;
    loaded.document.rules = wrap_rules_for(rec, slot);
    loaded.cursor = start_load(loaded.document, state, loaded.session, restore && have_extension,
                               rec.columns_per_page[slot] ? rec.columns_per_page[slot] : 20, &notices);
    loaded.session.questions = &questions;
    return notices;
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

// Beside start_document_load rather than with the rest of application.h,
// so that the batch forms that load link no more of app/ than they call.
void start_loading(Application& app, bool restore) {
    const SettingsRecord& r = app.settings.rec;
    app.loaded->questions = std::make_unique<MessageQuestions>(app);
    show_notices(start_document_load(*app.loaded, app.doc, r, app.reading, current_screen_slot(r), restore,
                                     *app.loaded->questions));
}

bool accept_document_kind_shown(DocumentKind kind, std::uintptr_t owner) {
    Notices notices;
    const bool accepted = accept_document_kind(kind, owner, &notices);
    show_notices(notices);
    return accepted;
}

int open_text_file_shown(const std::string& path) {
    Notices notices;
    const int fd = open_text_file(path, 0, &notices);
    show_notices(notices);
    return fd;
}

bool open_document_file_shown(DocumentState* doc, const std::string& path) {
    Notices notices;
    const bool opened = open_document_file(doc, path, 0, &notices);
    show_notices(notices);
    return opened;
}

bool load_all_shown(Document& doc, DocumentState& state, LoadSession& session) {
    Notices notices;
    const bool whole = load_all(doc, state, session, &notices);
    show_notices(notices);
    return whole;
}

int print_document_info(const std::string& path, const SettingsRecord& rec, const std::string& program_folder,
                        const ReadingOptions& reading, int slot, Questions& questions, std::FILE* out) {
    DocumentState state;
    Notices refused;
    state.text_fd = open_text_file(path, 0, &refused);
    if (state.text_fd < 0) {
        show_notices(refused);
        return 1;
    }
    DocumentKind kind = check_document_kind(path);
    if (!accept_document_kind(kind, 0, &refused)) {
        show_notices(refused);
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
    show_notices(start_document_load(loaded, state, rec, reading, slot, false, questions));
    Notices notices;
    bool complete = load_all(loaded.document, state, loaded.session, &notices);
    show_notices(notices);
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
