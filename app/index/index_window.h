// The index window (command 404 構成索引; template INDEX_WIN): the
// structure index as a modeless dialog beside the manuscript.
//
// The list shows one row per entry of a shown level (index_rows); 登録,
// 変更 and 削除 edit the entries, ｼﾞｬﾝﾌﾟ (or a double click) puts the cursor
// on an entry's line, 移動 moves the section of the previously selected
// entry (the source) before the line of the selected one (the destination).
// The window follows the cursor: follow_index_cursor is called after every
// redraw of the main window and reselects when the cursor's line changed,
// rebuilding the list when the entries changed (an edit renumbered them).
//
// Like the find dialog it holds no document: every action runs on the edit
// context the runner hands it. Each screen format places the window (see
// app/window/side_windows.h): floating (INDEX_WIN, at its kept position), or as a
// side pane of the main window at the left or right (INDEX_WIN_LF, without
// a caption); 左表示/別窓表示 and 右表示 change the placement of the current
// format and make the window again. Closing a pane lays the screen out again.
// 手帖 opens the notebook with the name box searched (disabled without a
// notebook service); 移動音 needs the desktop's beep (greyed without one).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "aids/structure_index.h"
#include "app/search/find_dialog.h"
#include "app/settings/settings_record.h"
#include "platform/dialogs.h"

namespace rix {

// Control ids of INDEX_WIN.
constexpr int INDEX_LIST = 1000;
constexpr int INDEX_REGISTER = 1;          // 登 録
constexpr int INDEX_CLOSE = 2;             // 閉じる
constexpr int INDEX_MOVE = 3;              // 移 動
constexpr int INDEX_CHANGE = 4;            // 変 更
constexpr int INDEX_JUMP = 5;              // ｼﾞｬﾝﾌﾟ
constexpr int INDEX_HELP = 6;              // ﾍﾙﾌﾟ: topic IDX
constexpr int INDEX_DELETE = 7;            // 削 除
constexpr int INDEX_NAME = 1010;           // 索引名, at most 40 bytes
constexpr int INDEX_LEVEL_FIRST = 1020;    // radios １..７
constexpr int INDEX_SHOW_FIRST = 1030;     // checks １..７ of 表示階層
constexpr int INDEX_COUNTER = 1040;        // "%3u/%-u"
constexpr int INDEX_CURRENT_LINE = 1050;   // 現在行
constexpr int INDEX_SOUND = 1060;          // 移動音
constexpr int INDEX_DOCK_LEFT = 1080;      // 左表示 / 別窓表示
constexpr int INDEX_DOCK_RIGHT = 1090;     // 右表示 / 左表示
constexpr int INDEX_PAGE_BREAK_CHECK = 1100;   // +改頁
constexpr int INDEX_NOTEBOOK = 1110;       // 手 帖

struct IndexServices {
    EditRunner edit;                       // the edited document; the screen follows
    std::function<void()> redraw;          // rebuilds the screen (after a move); may be null
    SettingsState* settings = nullptr;     // 移動音; may be null
    std::function<void()> beep;            // null: no sound, 移動音 disabled
    // Opens the notebook with this name searched; null: 手帖 disabled.
    std::function<void(const std::string& name)> notebook;
    WindowRef owner = 0;
    // Makes the open window a side pane of the main window (1 left, 2
    // right); null, or false: it stays a window of its own.
    std::function<bool(DialogHandle handle, int side)> dock;
    // The side pane came (1, 2) or went (0): the screen is laid out again.
    std::function<void(int side)> pane_changed;
    // Makes the window again for another placement (1080, 1090); null:
    // the buttons are disabled.
    std::function<void()> reopen;
};

class IndexWindow;

// The window's state while the program runs (never saved).
struct IndexUi {
    std::uint8_t filter = INDEX_ALL_LEVELS;          // bit k: level k + 1 shown
    bool page_break = false;                         // +改頁 for new and changed entries
    std::size_t selected = NO_INDEX_ENTRY;
    std::size_t source = NO_INDEX_ENTRY;             // the previously selected entry: what 移動 moves
    std::string last_name;                           // the name last shown or registered
    std::vector<std::size_t> rows;                   // list row -> entry
    std::vector<IndexEntry> listed;                  // the entries the list was built from
    std::uint32_t cursor_line = NO_LINE;             // the line last followed
    bool followed = false;                           // followed the cursor since opening
    DialogHandle handle = 0;                         // 0 = not open
    int pane = 0;                                    // side of the open pane: 0 none, 1 left, 2 right
    std::unique_ptr<IndexWindow> procedure;          // outlives its dialog
    std::unique_ptr<IndexWindow> retired;            // the one before, whose call may still run
};

class IndexWindow final : public DialogProcedure {
public:
    IndexWindow(IndexUi* ui, IndexServices services) : ui_(ui), services_(std::move(services)) {}

    void init(DialogContext& ctx) override;
    bool command(DialogContext& ctx, int id, int notification) override;
    bool ok(DialogContext&) override { return false; }
    void cancel(DialogContext& ctx) override;

    // The cursor moved or the entries changed (see follow_index_cursor).
    void follow(DialogContext& ctx, EditContext& c, bool rebuild);
    // The notebook's 索引: the name into the name box, and the first entry
    // of that name selected and jumped to (nothing selected when none has it).
    void show_named(DialogContext& ctx, EditContext& c, const std::string& name);
    // The window goes: a floating one keeps its position, a pane gives its
    // room back to the screen.
    void leave(DialogContext& ctx);
    // The placement of the current screen format, and the document's orientation.
    int placement() const;
    bool vertical() const;
    const IndexServices& services() const { return services_; }

private:
    void change_placement(int button);
    void rebuild_list(DialogContext& ctx, const std::vector<IndexEntry>& index);
    void show_entry(DialogContext& ctx, const std::vector<IndexEntry>& index);
    void select_row(DialogContext& ctx, int row);
    void add(DialogContext& ctx, EditContext& c);
    void change(DialogContext& ctx, EditContext& c);
    void remove(DialogContext& ctx, EditContext& c);
    void settle(DialogContext& ctx, const std::vector<IndexEntry>& index, IndexStatus st, int level, std::size_t at);
    void jump(DialogContext& ctx, EditContext& c);
    void move(DialogContext& ctx, EditContext& c);
    int chosen_level(const DialogContext& ctx) const;
    // Runs an action on the edit context; false when there is no document.
    bool on_document(const std::function<void(EditContext&)>& work);

    IndexUi* ui_;
    IndexServices services_;
};

// Command 404: opens the window, or brings the open one to the front with
// its list rebuilt. Returns its handle (0 when it could not be made).
DialogHandle open_index_window(IndexUi& ui, IndexServices services);
// Closes the window (a pane gives its room back).
void close_index_window(IndexUi& ui);
// The end of the program: stores whether the window is open, and where.
void remember_index_window(IndexUi& ui, SettingsState* settings);
// Opens the window if needed and shows the entry named `name` (show_named).
void show_index_name(IndexUi& ui, IndexServices services, const std::string& name);
bool index_window_open(const IndexUi& ui);
// After the main window was redrawn: follows the cursor's line when it
// changed, and rebuilds the list when the entries changed.
void follow_index_cursor(IndexUi& ui, EditContext& c);

}  // namespace rix
