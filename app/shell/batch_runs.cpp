// The runs of the batch forms that only the window program makes (see
// batch_modes.h): they reach the whole application, the network library and
// the Qt printer and images it is given.
#include "app/database/db_print_run.h"
#include "app/documents/save_flow.h"
#include "app/publish/ftp_batch.h"
#include "app/shell/application.h"
#include "app/shell/batch_modes.h"
#include "platform/files.h"

namespace rix {

BatchServices window_batch_runs(PrintDeviceFactory pdf_printer, PreviewImages preview_images) {
    BatchServices s;
    s.runs["--ftp-put"] = batch_ftp_put;
    s.runs["--save-as, --write-out"] = [](Application& app) {
        app.save_flow.writing.rubies = app.line.write_rubies;
        app.save_flow.writing.line_info = app.line.write_line_info;
        app.save_flow.writing.index = app.line.write_index;
        const std::string document = absolute_path(app.line.document);
        if (!app.line.save_as_path.empty()) return batch_save_as(app, document, absolute_path(app.line.save_as_path));
        return batch_write_out(app, document, absolute_path(app.line.write_out_path));
    };
    s.runs["--print"] = [pdf_printer](Application& app) {
        app.instance_number = 0;
        return batch_print(app, absolute_path(app.line.document), pdf_printer);
    };
    s.runs["--preview-snapshot"] = [preview_images](Application& app) {
        app.instance_number = 0;
        return batch_preview_snapshot(app, absolute_path(app.line.document), preview_images);
    };
    s.runs["--db-pdf"] = [pdf_printer](Application& app) {
        app.instance_number = 0;
        app.line.db_pdf_path = absolute_path(app.line.db_pdf_path);
        return batch_db_pdf(app, absolute_path(app.line.document), pdf_printer);
    };
    return s;
}

}  // namespace rix
