// FILE_CRYPT ("　暗号／復号化", command 108): a copy of any file encrypted or
// decrypted with a typed key (files/file_crypt.h). The paths, the key and
// the two checks live in FileCryptState for the whole run of the program;
// the key is the reading options' key text.
#pragma once

#include <functional>
#include <string>

#include "platform/dialogs.h"

namespace rix {

// Control ids of FILE_CRYPT.
constexpr int FILE_CRYPT_ENCRYPT = 1;        // 暗号化
constexpr int FILE_CRYPT_CLOSE = 2;          // 閉じる
constexpr int FILE_CRYPT_SHOW_KEY = 3;       // 暗号キーを表示 (the ids of KeyEdits)
constexpr int FILE_CRYPT_DECRYPT = 4;        // 復号化
constexpr int FILE_CRYPT_SHOW_RESULT = 5;    // 変換後の内容表示
constexpr int FILE_CRYPT_HELP = 6;
constexpr int FILE_CRYPT_SOURCE = 100;
constexpr int FILE_CRYPT_CHOOSE_SOURCE = 101;    // 選択
constexpr int FILE_CRYPT_OUTPUT = 200;
constexpr int FILE_CRYPT_CHOOSE_OUTPUT = 201;    // 参照

struct FileCryptState {
    std::string source, output;       // UTF-8
    std::string* key = nullptr;       // code page 932; the reading options' key
    bool show_key = false;
    bool show_result = false;
};

struct FileCryptServices {
    // 選択: a document through the file selection dialog; null = disabled.
    std::function<bool(std::string* path)> choose_source;
    // 参照: any file; null = disabled.
    std::function<bool(std::string* path)> choose_output;
    // Shows a file in the viewer; null: 変換後の内容表示 does nothing.
    std::function<void(const std::string& path)> view;
};

// Shows FILE_CRYPT until 閉じる.
void run_file_crypt_dialog(FileCryptState* state, const FileCryptServices& services, WindowRef owner);

}  // namespace rix
