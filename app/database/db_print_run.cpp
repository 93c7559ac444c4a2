#include "app/database/db_print_run.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/documents/output_guard.h"
#include "database/document_db.h"
#include "platform/codec.h"

namespace rix {

ContentPrintJob content_print_job(const SettingsRecord& rec, std::string text, const DbPrintSettings& settings) {
    ContentPrintJob job;
    job.text = std::move(text);
    job.vertical = (rec.db_flags & 1) == 0;
    const FontRecord& f = rec.db_print_font;
    job.font_height = f.height;
    job.font_weight = f.weight;
    job.font_italic = f.italic != 0;
    job.font_face = std::string(read_field(f.face, sizeof f.face));
    job.spacing = rec.db_content_spacing;
    job.settings = settings;
    return job;
}

namespace {

// Says on standard error what is wrong with the database after a failed
// read; `otherwise` for a failure of no particular kind.
void tell_fault(const DocumentDb& db, const std::string& database, const std::string& otherwise) {
    const char* error = db.last_error().c_str();
    switch (db.last_fault()) {
    case DbFault::DAMAGED:
        std::fprintf(stderr, "rix: the database %s is damaged: %s\n", database.c_str(), error);
        break;
    case DbFault::UNFINISHED_CHANGE:
        std::fprintf(stderr,
                     "rix: a change to the database %s was cut short (its journal lies beside it); open it in the "
                     "database window once to roll the change back: %s\n",
                     database.c_str(), error);
        break;
    case DbFault::BUSY:
        std::fprintf(stderr, "rix: the database %s is locked by another program: %s\n", database.c_str(), error);
        break;
    default:
        std::fprintf(stderr, "rix: %s: %s\n", otherwise.c_str(), error);
        break;
    }
}

}  // namespace

int batch_db_pdf(Application& app, const std::string& database, const PrintDeviceFactory& devices) {
    const CommandLine& line = app.line;
    if (refuse_output_over_input(line.db_pdf_path, "ＰＤＦ", database_inputs(database))) return 1;
    DocumentDb db;
    if (db.open_read_only(database) != DbOpenResult::OPENED) {
        tell_fault(db, database, database + " is no database that can be read");
        return 1;
    }
    const std::string table = utf8_to_sjis(line.db_table);
    std::vector<std::string> fields;
    if (!db.list_fields(table, &fields)) {
        tell_fault(db, database, "the tables of " + database + " cannot be read");
        return 1;
    }
    if (fields.empty()) {
        std::fprintf(stderr, "rix: no table %s in %s\n", line.db_table.c_str(), database.c_str());
        return 1;
    }
    std::string field = line.db_field.empty() ? fields.front() : utf8_to_sjis(line.db_field);
    if (std::find(fields.begin(), fields.end(), field) == fields.end()) {
        std::fprintf(stderr, "rix: no field %s in table %s\n", line.db_field.c_str(), line.db_table.c_str());
        return 1;
    }
    std::string text;
    if (!db.read_value(table, field, line.db_row, &text)) {
        if (db.last_fault() == DbFault::NO_RECORD)
            std::fprintf(stderr, "rix: no record %lld in table %s\n", static_cast<long long>(line.db_row),
                         line.db_table.c_str());
        else
            tell_fault(db, database, "the record cannot be read from " + database);
        return 1;
    }
    db.close();
    // Decided before the output is opened, so that an existing PDF stays.
    if (!content_has_print(text)) {
        std::fprintf(stderr, "rix: the content is empty: nothing printed\n");
        return 1;
    }
    PrintDeviceSetup setup;
    setup.pdf_path = line.db_pdf_path;
    setup.title = "ミルトア 文書データベース";
    std::unique_ptr<PrintDevice> device = devices(setup);
    if (!device) return 1;
    int pages = 0;
    const ContentPrintResult result = print_content(*device, content_print_job(app.settings.rec, text, {}), &pages);
    if (result == ContentPrintResult::EMPTY) {
        std::fprintf(stderr, "rix: the content is empty: nothing printed\n");
        return 1;
    }
    if (result != ContentPrintResult::PRINTED) {
        std::fprintf(stderr, "rix: the PDF %s could not be written\n", setup.pdf_path.c_str());
        return 1;
    }
    std::printf("pages=%d\n", pages);
    return 0;
}

}  // namespace rix
