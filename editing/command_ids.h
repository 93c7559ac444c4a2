// The command numbers of the main window: one name for each number the
// menus, the accelerators, the tool bar, the right-click menu, the edit-key
// table and the mouse can send.
//
// The numbers are stored (tool-bar and right-click slot bytes name commands
// through the slot list, the edit-key table names them directly), so they
// never change. This header sits in the lowest layer that names a command
// (the key dispatcher and the clipboard commands); everything above includes
// it and no other file gives a command number a second name.
#pragma once

namespace rix {

enum : int {
    // ファイル
    COMMAND_NEW_DOCUMENT = 100,
    COMMAND_SAVE = 101,
    COMMAND_SAVE_AS = 102,
    COMMAND_OPEN = 103,
    COMMAND_READ_INTO_LINE = 104,
    COMMAND_FILE_CRYPT = 108,
    COMMAND_FILE_SEARCH = 109,
    COMMAND_PRINT = 111,
    COMMAND_PRINT_PREVIEW = 112,
    COMMAND_SAVE_AND_EXIT = 114,
    COMMAND_EXIT = 115,
    COMMAND_RECENT_FIRST = 150,          // the recent documents
    COMMAND_RECENT_LAST = 159,

    // 編集
    COMMAND_UNDO = 200,
    COMMAND_REDO = 201,
    COMMAND_CUT = 202,
    COMMAND_COPY = 203,
    COMMAND_COPY_KEEP_HIGHLIGHT = 204,   // copy without ending the marking
    COMMAND_PASTE = 205,
    COMMAND_RUBY = 206,
    COMMAND_DATE = 207,
    COMMAND_ROW_FORMAT = 214,
    COMMAND_SELECT_ALL = 215,
    COMMAND_UNDO_BY_KEY = 220,           // Shift+Back Space
    COMMAND_REDO_BY_KEY = 221,           // Alt+Back Space
    COMMAND_OPEN_ADDRESS = 230,          // the address the right-click menu offered
    COMMAND_DROP_MOVE = 250,             // the drop menu
    COMMAND_DROP_COPY = 251,
    COMMAND_DROP_CANCEL = 252,

    // 検索・ジャンプ
    COMMAND_FIND = 300,
    COMMAND_REPLACE = 301,
    COMMAND_JUMP_SHEET = 310,
    COMMAND_MARK_PAGE = 311,
    COMMAND_MARK_JUMP = 312,             // repeats the mark jump of the mark page
    COMMAND_DOCUMENT_START = 313,
    COMMAND_DOCUMENT_END = 314,
    COMMAND_NEW_BY_KEY = 320,            // Ctrl+0
    COMMAND_DIGIT_FORWARD_FIRST = 321,   // Ctrl+1 .. Ctrl+8
    COMMAND_DIGIT_FORWARD_LAST = 328,
    COMMAND_NEW_BY_KEY_ALT = 330,        // Ctrl+Alt+0
    COMMAND_DIGIT_BACKWARD_FIRST = 331,  // Ctrl+Alt+1 .. Ctrl+Alt+8
    COMMAND_DIGIT_BACKWARD_LAST = 338,
    COMMAND_PREVIOUS_TAG = 350,
    COMMAND_NEXT_TAG = 351,

    // ツール
    COMMAND_DOCUMENT_INFO = 400,
    COMMAND_TAG = 401,
    COMMAND_TAG_LIST = 402,
    COMMAND_NOTEBOOK = 403,
    COMMAND_INDEX = 404,
    COMMAND_SYNONYMS = 405,
    COMMAND_COUNT_DISPLAY = 406,
    COMMAND_DATABASE = 407,
    COMMAND_HTML = 500,
    COMMAND_EPUB = 502,
    COMMAND_FTP = 503,
    COMMAND_MAIL = 504,

    // 設定
    COMMAND_COMMON_SETTINGS = 600,
    COMMAND_FORMAT_DIALOG = 601,         // 編集画面書式
    COMMAND_LINE_FORMATS = 602,
    COMMAND_TOOLBAR_SETTINGS = 605,
    COMMAND_RIGHT_CLICK_SETTINGS = 606,
    COMMAND_KEY_ASSIGN_SHEET = 607,      // 編集キー／禁則文字
    COMMAND_DOWNLOAD_SETTINGS = 703,
    COMMAND_SHORTCUT = 705,
    COMMAND_SELECT_FORMAT_FIRST = 730,   // Alt+1..5
    COMMAND_SELECT_FORMAT_LAST = 734,

    // ウィンドウ
    COMMAND_PREVIOUS_INSTANCE = 748,     // Ctrl+Page Up
    COMMAND_NEXT_INSTANCE = 749,         // Ctrl+Page Down
    COMMAND_WINDOW_FIRST = 750,          // one entry per listed instance
    COMMAND_WINDOW_LAST = 769,

    // ヘルプ
    COMMAND_HELP = 799,                  // the help pop-up menu
    COMMAND_HELP_CONTENTS = 800,
    COMMAND_HELP_SUPPORT = 805,
    COMMAND_HELP_HOME = 806,
    COMMAND_HELP_VERSION = 810,
    COMMAND_INTRODUCTION = 811,
    COMMAND_HELP_FAQ = 822,
    COMMAND_HELP_OPERATION_FIRST = 830,
    COMMAND_HELP_OPERATION_LAST = 833,

    // Keys that reach the window as commands.
    COMMAND_ALT_ARROW_FIRST = 900,       // Alt+Left, Right, Up, Down
    COMMAND_ALT_ARROW_LAST = 903,
    COMMAND_CTRL_LETTER_FIRST = 1000,    // Ctrl+A .. Ctrl+Z
    COMMAND_CTRL_LETTER_LAST = 1025,

    // The reading and writing options live on the file selection dialog; the
    // file menu carries them under numbers of our own.
    COMMAND_READ_OPTIONS = 9001,         // 読込設定
    COMMAND_WRITE_OPTIONS = 9002,        // 書出設定
};

}  // namespace rix
