// The FTP window (template HTML_FTP, command 503, and 公 開 of HTML_MAKE)
// and the site details (HTML_FTP_SITE).
//
// The local folder lists at the left, a folder of the selected site at the
// right; → and ← transfer the selected rows, the buttons below act on the
// list the radios 230 (local) / 231 (site) choose. One FtpClient
// (platform/ftp_client.h) holds the connection while the window is open.
//
// Rules of this window:
// - A name from a server is used only after publish/ftp_listing.h's checks;
//   a download goes into the local folder shown and nowhere else, and never
//   replaces a file there.
// - The parent row ("↑") is never transferred, renamed or deleted.
// - A local rename never overwrites; a remote one onto a listed name is refused.
// - A local file without write permission (the edited document, which carries
//   the in-use mark) is never deleted.
// - Reads for ﾌﾟﾚﾋﾞｭｰ stop at FTP_VIEW_CAP whatever size the listing claimed.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/publish/html_session.h"
#include "app/settings/settings_record.h"
#include "platform/dialogs.h"

namespace rix {

// Control ids of HTML_FTP.
constexpr int FTP_LOCAL_LIST = 100;
constexpr int FTP_SITE_LIST = 101;
constexpr int FTP_LOCAL_ROWS = 102;          // the local list's count
constexpr int FTP_SITE_ROWS = 103;           // the site list's count
constexpr int FTP_LOCAL_CHOICE = 104;       // "公開ﾌｫﾙﾀﾞ" … "既定ﾌｫﾙﾀﾞ"
constexpr int FTP_LOCAL_FOLDER = 105;
constexpr int FTP_SITE_FOLDER = 106;
constexpr int FTP_SWITCH = 110;             // 切替
constexpr int FTP_CHOOSE = 111;             // 選択
constexpr int FTP_UPLOAD = 120;             // →
constexpr int FTP_DOWNLOAD = 121;           // ←
constexpr int FTP_CONNECT = 130;            // 接 続 / 切 断
constexpr int FTP_SITE_FIRST = 140;         // radios 140..142: site 0..2
constexpr int FTP_SITE_NAME_FIRST = 143;    // labels 143..145
constexpr int FTP_DETAILS = 150;            // 詳細 → HTML_FTP_SITE
constexpr int FTP_VIEW = 160;               // ﾌﾟﾚﾋﾞｭｰ
constexpr int FTP_MAKE_FOLDER = 161;        // 作成
constexpr int FTP_RENAME = 162;             // 名変
constexpr int FTP_DELETE = 163;             // 削除
constexpr int FTP_SORT_LINKED = 170;        // 連動
constexpr int FTP_LOG = 180;
constexpr int FTP_CLOSE = 2;                // 閉じる
constexpr int FTP_SIDE_LOCAL = 230;
constexpr int FTP_SIDE_SITE = 231;

// Control ids of HTML_FTP_SITE.
constexpr int FTP_SITE_EDIT_NAME = 10;
constexpr int FTP_SITE_EDIT_HOST = 11;
constexpr int FTP_SITE_EDIT_USER = 12;
constexpr int FTP_SITE_EDIT_PASSWORD = 13;
constexpr int FTP_SITE_EDIT_FOLDER = 14;
constexpr int FTP_SITE_EDIT_LOCAL = 15;
constexpr int FTP_SITE_BROWSE = 20;         // 参照
constexpr int FTP_SITE_HELP = 6;

// Buttons of YESNOALL (2 is 取消).
constexpr int YESNOALL_YES = 1;
constexpr int YESNOALL_ALL = 3;
constexpr int YESNOALL_NO = 4;

// Opening modes.
enum : int {
    FTP_OPEN_MENU = 0,
    FTP_OPEN_HTML = 1,          // from HTML_MAKE, nothing generated
    FTP_OPEN_PAGE = 2,          // after a page of one document
    FTP_OPEN_LIST = 3,          // after a page of several documents
};

// Local folder choices.
enum : int { FTP_LOCAL_PUBLISH = 0, FTP_LOCAL_CHOSEN = 1, FTP_LOCAL_MINE = 2, FTP_LOCAL_DEFAULT = 3 };

constexpr std::size_t FTP_VIEW_CAP = 1u << 20;   // most bytes ﾌﾟﾚﾋﾞｭｰ reads
constexpr char FTP_PUBLISH_FOLDER[] = "公開フォルダ";

struct FtpWindowServices {
    std::string program_folder;     // UTF-8: the data folder ("rix.class", the publishing folder)
    std::string document_path;      // UTF-8: the open document ("" = none)
    std::string current_folder;     // UTF-8: the process's folder (既定ﾌｫﾙﾀﾞ without a document folder)
    int port = 21;                  // the servers' port (tests use another)
    // What HTML_MAKE made (modes 2 and 3).
    std::string made_page, made_list;           // UTF-8 paths
    std::vector<HtmlDocEntry> documents;        // mode 3: the listed documents
    // The folder chooser (選択, 参照): starts at *folder; false when cancelled. Null: disabled.
    std::function<bool(std::string* folder)> choose_folder;
    // Handles window events during a transfer; may be null.
    std::function<void()> pump_events;
};

// Shows HTML_FTP until 閉じる.
void open_ftp_window(SettingsState* settings, int mode, const FtpWindowServices& services, WindowRef owner);
// Shows HTML_FTP_SITE for site 0..2; true when 設 定 stored the fields.
bool open_ftp_site_dialog(SettingsState* settings, int site, const FtpWindowServices& services, WindowRef owner);

// YESNOALL over `owner` with `text` (code page 932): YESNOALL_YES, YESNOALL_ALL,
// YESNOALL_NO or DIALOG_CANCEL.
int ask_yes_no_all(std::string_view text, WindowRef owner);

// Fills the publishing folder (created when missing) for modes 2 and 3: asks
// before emptying it of files, then copies "rix.class" from the data folder,
// the page (and its numbered companions), the list file and every listed
// document. Returns the folder ("" when it cannot be made).
std::string prepare_publish_folder(int mode, const FtpWindowServices& services, WindowRef owner);

}  // namespace rix
