// FILE_SEARC (" ファイル検索", command 109 and ﾌｧｲﾙ検索 of the file selection
// dialog): files below a folder whose names contain a text
// (files/file_search.h), listed to be previewed or opened in another editor.
#pragma once

#include <functional>
#include <string>

#include "files/file_search.h"
#include "platform/dialogs.h"

namespace rix {

// Control ids of FILE_SEARC.
constexpr int FILE_SEARCH_RUN = 1;           // 検索実行 (also Enter)
constexpr int FILE_SEARCH_CLOSE = 2;         // 閉じる
constexpr int FILE_SEARCH_FOLDER_BUTTON = 3; // ﾌｫﾙﾀﾞ選択
constexpr int FILE_SEARCH_PREVIEW = 4;       // ﾌﾟﾚﾋﾞｭｰ
constexpr int FILE_SEARCH_OPEN = 5;          // 文書を開く
constexpr int FILE_SEARCH_FOLDER = 10;
constexpr int FILE_SEARCH_TEXT = 11;
constexpr int FILE_SEARCH_LIST = 12;
constexpr int FILE_SEARCH_COUNTER = 13;

// Kept while the program runs.
struct FileSearchState {
    std::string folder;          // UTF-8; "" = the current document's folder at the next opening
    std::string text;            // code page 932; "" = ".txt" at the next opening
    SearchOutcome last;          // the results listed
};

struct FileSearchServices {
    std::string document_folder;                              // UTF-8, the current document's folder
    std::function<bool()> escape_pressed;                     // polled between steps; null = never
    std::function<bool(std::string* folder)> choose_folder;   // null = disabled
    std::function<void(const std::string& path)> view;        // null = disabled
    std::function<void(const std::string& path)> open_document;   // null = disabled
};

// Shows FILE_SEARC until 閉じる or 文書を開く.
void run_file_search_dialog(FileSearchState* state, const FileSearchServices& services, WindowRef owner);

}  // namespace rix
