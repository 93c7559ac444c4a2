// Printing of a database record's content from the command line:
//   rix --db-pdf OUT.pdf --db-table TABLE --db-row ROWID [--db-field FIELD] DATABASE.ksl
// writes the value of FIELD (the table's first field when not given) of the
// record ROWID as the record content box prints it: the database print
// font, the content orientation and line spacing of the settings, 10 mm
// margins, "-- %d --" on every page. The database is opened for reading
// only, and nothing is written beside it; the PDF is none of its files, and
// an empty content is told before the PDF is opened.
#pragma once

#include <string>

#include "app/shell/application.h"
#include "app/print/print_run.h"
#include "database/content_print.h"

namespace rix {

// The job of a content from the settings (font, orientation, spacing).
ContentPrintJob content_print_job(const SettingsRecord& rec, std::string text, const DbPrintSettings& settings);

// 0 when the pages were written ("pages=N" on standard output), 1 when the
// database, table, field or record cannot be read, the content is empty
// or the device failed (told on standard error).
int batch_db_pdf(Application& app, const std::string& database, const PrintDeviceFactory& devices);

}  // namespace rix
