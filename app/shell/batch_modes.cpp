// The table of batch forms (see batch_modes.h).
#include "app/shell/batch_modes.h"

#include <cstdio>

#include "app/documents/document_load.h"
#include "app/edit/format_views.h"
#include "app/print/pdf_run.h"
#include "app/publish/epub_run.h"
#include "app/publish/html_run.h"
#include "app/shell/application.h"
#include "app/shell/process_start.h"
#include "platform/files.h"

namespace rix {
namespace {

bool has(const std::string& s) { return !s.empty(); }

// --pdf, --epub and --html share their checks: a document, and one writer at a time.
std::string writer_check(const CommandLine& l) {
    if (l.document.empty()) return "--pdf, --epub and --html need a document";
    if (has(l.pdf_path) + has(l.epub_path) + has(l.html_path) + has(l.print_path) + has(l.preview_path) > 1)
        return "--pdf, --epub, --html, --print and --preview-snapshot go one at a time";
    return {};
}

std::string sheet_check(const CommandLine& l) {
    return l.document.empty() ? "--print and --preview-snapshot need a document" : std::string();
}

std::string no_check(const CommandLine&) { return {}; }

std::string document_of(const Application& app) { return absolute_path(app.line.document); }

const std::vector<BatchMode> MODES = {
    {"--info", BatchStage::FRONT, [](const CommandLine& l) { return l.info; },
     [](const CommandLine& l) { return l.document.empty() ? std::string("--info needs a document") : std::string(); },
     [](Application& app) {
         int slot = app.line.format >= 0 ? app.line.format : current_screen_slot(app.settings.rec);
         MessageQuestions questions(app);
         return print_document_info(document_of(app), app.settings.rec, app.paths.program_folder, app.reading, slot,
                                    questions, stdout);
     }},
    // The writers need no window and no Qt: text stays code page 932 (PDF,
    // HTML) or becomes UTF-8 (EPUB) in the program's own code.
    {"--pdf", BatchStage::FRONT, [](const CommandLine& l) { return has(l.pdf_path); }, writer_check,
     [](Application& app) {
         app.instance_number = 0;
         app.line.pdf_path = absolute_path(app.line.pdf_path);
         return batch_pdf(app, document_of(app));
     }},
    {"--html", BatchStage::FRONT, [](const CommandLine& l) { return has(l.html_path); }, writer_check,
     [](Application& app) {
         app.instance_number = 0;
         app.line.html_path = absolute_path(app.line.html_path);
         return batch_html(app, document_of(app));
     }},
    {"--epub", BatchStage::FRONT, [](const CommandLine& l) { return has(l.epub_path); }, writer_check,
     [](Application& app) {
         app.instance_number = 0;
         app.line.epub_path = absolute_path(app.line.epub_path);
         return batch_epub(app, document_of(app));
     }},
    {"--ftp-put", BatchStage::BEFORE_GUI, [](const CommandLine& l) { return l.ftp_site > 0; }, no_check, nullptr},
    {"--save-as, --write-out", BatchStage::BEFORE_GUI,
     [](const CommandLine& l) { return has(l.save_as_path) || has(l.write_out_path); },
     [](const CommandLine& l) {
         if (l.document.empty()) return std::string("--save-as and --write-out need a document");
         if (has(l.save_as_path) && has(l.write_out_path)) return std::string("--save-as and --write-out go one at a time");
         if (has(l.encoding) && !has(l.save_as_path)) return std::string("--encoding goes with --save-as");
         return std::string();
     },
     nullptr},
    // The PDF printer and the preview need the Qt application (fonts), never a window.
    {"--print", BatchStage::WITH_GUI, [](const CommandLine& l) { return has(l.print_path); }, sheet_check, nullptr},
    {"--preview-snapshot", BatchStage::WITH_GUI, [](const CommandLine& l) { return has(l.preview_path); },
     sheet_check, nullptr},
    {"--db-pdf", BatchStage::WITH_GUI, [](const CommandLine& l) { return has(l.db_pdf_path); },
     [](const CommandLine& l) {
         return l.document.empty() || l.db_table.empty() || l.db_row < 1
                    ? std::string("--db-pdf needs --db-table, --db-row and a database file")
                    : std::string();
     },
     nullptr},
};

// --print runs before --db-pdf, and --db-pdf before --preview-snapshot,
// whatever else the command line holds; the table keeps the order of checks.
constexpr const char* WITH_GUI_RUN_ORDER[] = {"--print", "--db-pdf", "--preview-snapshot"};

int run(const BatchMode& m, Application& app, const BatchServices& services) {
    if (m.run) return m.run(app);
    auto it = services.runs.find(m.options);
    if (it == services.runs.end() || !it->second) {
        std::fprintf(stderr, "rix: %s needs the window program\n", m.options);
        return 1;
    }
    return it->second(app);
}

}  // namespace

const std::vector<BatchMode>& batch_modes() { return MODES; }

bool batch_stage_chosen(const CommandLine& line, BatchStage stage) {
    for (const BatchMode& m : MODES)
        if (m.stage == stage && m.chosen(line)) return true;
    return false;
}

std::string check_batch_stage(const CommandLine& line, BatchStage stage) {
    for (const BatchMode& m : MODES) {
        if (m.stage != stage || !m.chosen(line)) continue;
        std::string error = m.check(line);
        if (!error.empty()) return error;
    }
    return {};
}

int run_batch_stage(Application& app, BatchStage stage, const BatchServices& services) {
    if (stage == BatchStage::WITH_GUI) {
        // Their checks ran before the Qt application was made (check_batch_stage).
        for (const char* name : WITH_GUI_RUN_ORDER)
            for (const BatchMode& m : MODES)
                if (m.stage == stage && name == std::string(m.options) && m.chosen(app.line))
                    return run(m, app, services);
        return START_NEEDS_WINDOW;
    }
    for (const BatchMode& m : MODES) {
        if (m.stage != stage || !m.chosen(app.line)) continue;
        const std::string error = m.check(app.line);
        return error.empty() ? run(m, app, services) : usage_error(error);
    }
    return START_NEEDS_WINDOW;
}

}  // namespace rix
