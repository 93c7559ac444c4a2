// The document database's browser window on Qt Widgets: the DatabaseView of
// platform/database_view.h. One top-level window: the table and field lists
// and the table operations at the top, the record list (a QTableWidget with
// movable, resizable field columns) above a splitter, the record content
// box (a QtTextBox with the menu the logic gives) below it, the buttons at
// the bottom.
#pragma once

#include <memory>

#include "platform/database_view.h"

namespace rix {

std::unique_ptr<DatabaseView> create_qt_database_view();

}  // namespace rix
