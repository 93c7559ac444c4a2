// The dialogs of the document database browser: DB_DTIN (日時入力),
// DB_EVSET (設 定) and DB_FIND (検索 and 置換 over the record content box).
#pragma once

#include <ctime>
#include <functional>
#include <string>

#include "app/settings/settings_record.h"
#include "database/browser.h"
#include "database/content_text.h"
#include "platform/dialogs.h"
#include "platform/fonts.h"
#include "platform/text_box.h"

namespace rix {

// The forms chosen last, kept while the program runs.
struct DateTimeChoice {
    DateKind date = DateKind::MM_DD;
    TimeKind time = TimeKind::HH_MM;
};

// DB_DTIN: *text receives the date and time of `now` in the chosen forms
// (code page 932); false when cancelled.
bool run_date_time_dialog(DateTimeChoice* choice, const std::tm& now, std::string* text, WindowRef owner);

struct DbSettingsServices {
    FontChooser* fonts = nullptr;                              // null: the font buttons are disabled
    std::function<bool(std::string* folder)> choose_folder;    // null: 参 照 disabled
};

// DB_EVSET on `settings`; true when 設 定 stored the choices.
bool run_db_settings_dialog(DbBrowserSettings* settings, const DbSettingsServices& services, WindowRef owner);

// DB_PAGESET: the four margins (whole millimetres, 0..100) of `settings`;
// true when 設 定 stored them.
bool run_db_page_setup_dialog(DbPrintSettings* settings, WindowRef owner);

// DB_FIND over `box`, the replace form when `replace`. Returns whether the
// box's text was changed.
bool run_content_find_dialog(TextBox& box, bool replace, WindowRef owner);

// The browser's settings from the settings record, and back (a path or a
// folder too long for its field is not kept).
DbBrowserSettings database_settings_of(const SettingsRecord& rec);
void store_database_settings(const DbBrowserSettings& settings, SettingsRecord* rec);

}  // namespace rix
