// The features of the main window. Each lives in its own folder of app/
// (app/print/, app/tags/, ...), whose `*_commands.cpp` has one install
// function that registers its commands (handler and enabled predicate in the
// command table), its dialogs, its subscriptions to the shell's events and the
// answers it gives (app/shell/events.h); the feature's logic stays in its own
// layer (editing/, aids/, publish/, database/, files/). A new feature adds its
// folder (or its file to a neighbour's) and one entry to feature_installers.
//
// The order of installation does not matter: every install function reads
// the window's parts from app.window when a command runs, not when it is
// installed; the shell's events call every subscriber, so nothing a feature
// subscribes replaces another's; an answer (a Slot) is given by one feature
// only, and a second would throw. A test installs what it needs on an
// Application of its own, or everything in either order.
#pragma once

#include <vector>

#include "app/shell/application.h"

namespace rix {

using FeatureInstaller = void (*)(Application&);

// Every install function, in the order of the menus.
const std::vector<FeatureInstaller>& feature_installers();

enum class FeatureOrder { Menus, Reversed };

// Every feature, in the order asked. Needs app.window.shell.
void install_features(Application& app, FeatureOrder order);
// Every feature in the order of the menus; in reverse order when the
// environment sets RIX_REVERSE_FEATURES=1 (so that a whole test run, or the
// program itself, shows that the order does not matter).
void install_features(Application& app);

void install_file_commands(Application& app);      // documents/file_commands.cpp: new, open, save, save as, read in, exit, 読込設定, 書出設定
void install_instance_commands(Application& app);  // window/instance_commands.cpp: the window menu, Ctrl+PgUp/PgDn, the introduction
void install_format_commands(Application& app);    // edit/format_commands.cpp: 編集画面書式, Alt+1..5
void install_edit_commands(Application& app);      // edit/edit_commands.cpp: keys, typing, undo, redo, clipboard, edit keys
void install_ruby_commands(Application& app);      // edit/ruby_commands.cpp: ルビ
void install_search_commands(Application& app);    // search/search_commands.cpp: find, replace, the jump sheet, jumps
void install_mouse_commands(Application& app);     // edit/mouse_commands.cpp: pointer, caret, scroll bar (needs app.window.screen)
void install_print_commands(Application& app);     // print/print_commands.cpp: 印刷・ＰＤＦ出力
void install_html_commands(Application& app);      // publish/html_commands.cpp: ＨＴＭＬ(ﾎｰﾑﾍﾟｰｼﾞ)作成
void install_ftp_commands(Application& app);       // publish/ftp_commands.cpp: ＦＴＰ(ﾌｧｲﾙ転送)
// 公 開 of HTML_MAKE: the FTP window after what was made (HTML_MADE_*).
void open_ftp_from_html(Application& app, int made);
void install_epub_commands(Application& app);      // publish/epub_commands.cpp: ＥＰＵＢファイル出力
void install_mail_commands(Application& app);      // publish/mail_commands.cpp: メール送信, the mail address of the right-click menu
void install_tag_commands(Application& app);       // tags/tag_commands.cpp: 付箋 ･ しおり付け, 付箋一覧, previous and next tag
void install_index_commands(Application& app);     // index/index_commands.cpp: 構成索引
void install_notebook_commands(Application& app);  // notebook/notebook_commands.cpp: 手 帖
void install_input_method(Application& app);       // edit/input_method_commands.cpp: the composition in place, reconversion
void install_copy_history_commands(Application& app);  // history/copy_history_commands.cpp: the copy history (CPYLOG), rix.clg
void install_synonym_commands(Application& app);   // synonyms/synonym_commands.cpp: 類語一覧 (SYNONYM, SYNLOG), the double click
void install_guide_commands(Application& app);     // edit/guide_commands.cpp: the title, guide boxes, position bar, 計数表示
void install_history_commands(Application& app);   // history/history_commands.cpp: the edit history, recent documents, 文書情報／編集履歴
void install_common_settings_commands(Application& app);  // settings/settings_commands.cpp: 全書式共通項目
void install_line_format_commands(Application& app);  // settings/line_format_commands.cpp: 行の書式設定, 行書式登録, F5..F12
void install_desktop_commands(Application& app);   // settings/desktop_commands.cpp: ツールバー／右ｸﾘｯｸﾒﾆｭｰ, ダウンロード設定, ショートカット作成, archives
// An archive (.zip, .lzh) as the document: runs EXTRACT_SEL; *path becomes the
// extracted member. True with *path unchanged for any other file.
bool open_archive_document(Application& app, std::string* path, bool downloaded);
void install_date_commands(Application& app);      // edit/date_commands.cpp: 日付入力
void install_database_commands(Application& app);  // database/database_commands.cpp: 文書データベース

}  // namespace rix
