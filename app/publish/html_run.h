// The HTML pages tied to the application: the active screen format's
// geometry and colours and the HTML options of the settings record handed
// to publish/html_writer, the pages written through a temporary file (a
// failure leaves an existing page whole, and is told), the question whether
// to show the page, the background image and "rix.class" copied beside it,
// the list file of a page of several documents. Used by ＨＴＭＬ(ﾎｰﾑﾍﾟｰｼﾞ)作成,
// by the mail command (the template) and by `rix --html`.
//
// File names are UTF-8; titles are code page 932. The pages are written into
// the open document's folder (the template into the data folder); a name
// that is the open document's own file is refused.
#pragma once

#include <string>
#include <vector>

#include "app/shell/application.h"
#include "app/publish/html_session.h"
#include "publish/html_writer.h"

namespace rix {

// ---- what the pages take from the application ----

// The screen format `slot` (0..4) as the pages take it: the geometry of the
// edit window when it shows that slot, else the one computed for the
// window's stored size.
HtmlScreen html_screen(const Application& app, int slot);
// The HTML options of the settings record.
HtmlOptions html_options(const SettingsRecord& rec);
// Today's date (local time).
HtmlDate html_today();

// ---- the pages ----

// The static page of the open document (loaded whole first) into the document's folder under
// html_name; asks "HTMLﾌｧｲﾙ\n%s\nを作成しました。\nブラウザで表示しますか？" when ask_to_open, copies a
// missing background image on yes (with its notice) and opens the page (platform/shell.h
// open_local_file). Returns the UTF-8 path written, "" on failure (told to the user).
std::string write_vertical_html(Application& app, const std::string& html_name, const std::string& title_sjis,
                                bool ask_to_open = true);
// The viewer page; mode 0 one document, n>=1 a list page starting at document n, -1 the selection list.
// text_name: the document's or the list file's name (UTF-8 file name). Asks to open only when mode <= 1;
// on yes "rix.class" is copied from the data folder when it is there and the document's folder has
// none or an older one.
std::string write_applet_html(Application& app, int mode, const std::string& html_name, const std::string& text_name,
                              const std::string& title_sjis);
// The list file in the open document's folder; for each entry whose file is not in that folder, asks the
// copy question and copies on yes (never overwriting). false when it could not be written (told).
bool write_html_list_file(Application& app, const std::vector<HtmlDocEntry>& documents, const std::string& list_name);
// "縦書ひな形.htm" in the data folder, written then opened. Returns its path or "".
std::string write_template_html(Application& app);
// rix --html OUT.htm [--format N] DOC: the static page of screen format N (1..5, default the current
// one), no window, no question; 0 written (a summary line on stdout), 1 with a message on stderr.
int batch_html(Application& app, const std::string& document);

}  // namespace rix
