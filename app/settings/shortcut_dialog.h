// ショートカット作成 (command 705, and ｼｮｰﾄｶｯﾄ 作成 of the common settings):
// the modal dialog SC_MKDB, which writes desktop entries (platform/
// desktop_entry.h) that start the program with its own environment file,
// history file and document: Exec = program, "FILE/e", "FILE/l", DOC, each
// argument only when its field is not empty. An entry is opened from the
// desktop folder ("ミルトア.desktop", or another through 参照先変更) and fills
// the fields; 実 行 writes the entry (executable) as FOLDER/NAME.desktop,
// replacing one of that name.
//
// The arguments of an entry read back are taken apart with the command
// line's rule: an argument ending in "/e" or "/l" (either case) is a switch
// whose value is the text before (at most 512 bytes); the last other one is
// the document. Each is one argument of the entry, so blanks survive.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/dialogs.h"

namespace rix {

constexpr int SC_RUN = 1;                    // 実 行
constexpr int SC_CLOSE = 2;                  // 閉じる
constexpr int SC_HELP = 6;
constexpr int SC_TARGET = 100;               // the program (read-only)
constexpr int SC_FOLDER = 200;               // where the entry is written
constexpr int SC_CHANGE = 201;               // 参照先変更
constexpr int SC_BROWSE = 202;               // ﾌｫﾙﾀﾞ選択
constexpr int SC_DESKTOP = 203;              // ﾃﾞｽｸﾄｯﾌﾟﾌｫﾙﾀﾞ
constexpr int SC_MENU = 204;                 // ｽﾀｰﾄﾒﾆｭｰﾌｫﾙﾀﾞ: the applications menu
constexpr int SC_NAME = 300;                 // the entry's name without ".desktop"
constexpr int SC_ICON_FIRST = 400;           // radios 400..404
constexpr int SC_ENV = 500, SC_ENV_CHOOSE = 501;
constexpr int SC_LOG = 600, SC_LOG_CHOOSE = 601;
constexpr int SC_DOC = 700, SC_DOC_CHOOSE = 701;
constexpr int SC_COMMENT = 800;
constexpr int SC_ICON_COUNT = 5;

// The fields an entry's arguments fill, and the arguments they give (UTF-8).
struct ShortcutFields {
    std::string env, log, document;
    bool operator==(const ShortcutFields&) const = default;
};
std::vector<std::string> shortcut_arguments(const ShortcutFields& f);
ShortcutFields split_shortcut_arguments(const std::vector<std::string>& args);   // args without the program

// The icon index of an icon path ".../rixN.png" or ".svg", N 0..4; 0 otherwise.
int shortcut_icon_index(const std::string& icon);

struct ShortcutServices {
    std::string program;                     // this program (UTF-8), the target when no entry is read
    std::string data_folder;                 // where env and log files live: chosen there, entered by name
    std::string document_folder;             // where 選択 beside the document starts
    std::string desktop_folder, menu_folder; // the user's desktop and applications menu
    std::string icon_folder;                 // the five icons: rix0.png .. rix4.png
    // A file chooser: starts in `folder`; false when cancelled.
    std::function<bool(const std::string& folder, const std::string& caption, const std::string& filter,
                       std::string* path)>
        choose_file;
    std::function<bool(std::string* folder)> choose_folder;
    WindowRef owner = 0;
};

int run_shortcut_dialog(const ShortcutServices& services);

}  // namespace rix
