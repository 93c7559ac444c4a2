// EXTRACT_SEL ("　圧縮ファイル内容の選択"): the members of a ZIP or LZH archive
// that was chosen, dropped or downloaded for opening, one of which is
// extracted into a folder and opened in the archive's place.
//
// The list comes from our own header parser, the bytes through libarchive
// (platform/archive.h). A member is written under its file name only, inside
// the destination folder (a name that comes to nothing, "." or ".." is
// refused with its own notice); an existing file there is replaced only after the
// writer said yes; a folder entry is never extracted and does not count as a
// file; a failed extraction leaves nothing behind.
#pragma once

#include <functional>
#include <string>

#include "platform/archive.h"
#include "platform/dialogs.h"

namespace rix {

constexpr int EXTRACT_SELECT = 1;            // 選 択
constexpr int EXTRACT_CLOSE = 2;             // 閉じる
constexpr int EXTRACT_HELP = 6;
constexpr int EXTRACT_DESTINATION = 10;      // the destination path (read-only)
constexpr int EXTRACT_COUNTER = 11;          // "%3u/%-u"
constexpr int EXTRACT_FOLDER = 20;           // ﾌｫﾙﾀﾞ選択
constexpr int EXTRACT_LIST = 100;            // ファイル名, サイズ, 元ｻｲｽﾞ, 圧縮率

struct ExtractServices {
    std::string archive;                     // UTF-8 path of the archive
    ArchiveKind kind = ArchiveKind::ZIP;
    bool downloaded = false;                 // a downloaded archive is deleted after extraction
    bool single_at_once = false;             // download_flags bit 2
    std::function<bool(std::string* folder)> choose_folder;   // null: ﾌｫﾙﾀﾞ選択 greyed
    WindowRef owner = 0;
};

// 0 with *extracted naming the file written; 1 when nothing was extracted.
int run_extract_dialog(const ExtractServices& services, std::string* extracted);

}  // namespace rix
