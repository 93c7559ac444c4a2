// What the saving side of the program keeps for the run: the writing options
// (書出設定) and what the saves of this run remember. Owned by Application.
#pragma once

#include <functional>

#include "document/save.h"

namespace rix {

struct Application;

// 書出設定: state of the running program, all off at start, not stored.
struct WritingOptions {
    bool index = false;       // 索引書出
    bool line_info = false;   // 行情報書出
    bool rubies = false;      // ルビ書出
    bool encrypt = false;     // 暗号化書出: the saves encrypt (DocumentState::encrypt follows it)
    bool save_key = false;    // 暗号キーを保存
    bool show_key = false;    // 暗号キーを表示 (every key edit)
    // Whether a save under a new name writes notations (a write-out) rather than the document.
    bool any() const { return index || line_info || rubies; }
};

struct SaveFlowState {
    WritingOptions writing;
    SaveRun run;
    // Called after each save that wrote something (the edit history).
    std::function<void(Application&)> after_save;
};

}  // namespace rix
