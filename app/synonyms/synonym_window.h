// The synonym window (command 405 類語一覧; template SYNONYM, modeless, one
// at a time) and its history dialog (検索履歴; template SYNLOG, modal).
//
// Opening reads the dictionary whole (aids/synonyms.h) and the search
// history, then searches the word at the cursor. 検 索 searches the term of
// the box (filled again with the word at the cursor when the cursor moved
// since the last search); with results it moves on to the next class, 前分類
// back. Editing the box or choosing another condition clears the results.
// 入 力 inserts the chosen word's headword at the cursor as one undoable
// edit. Closing remembers the condition, writes the history and frees the
// dictionary.
//
// Not built: the blinking of the search button's count and of the
// not-found text (the count stands still; the not-found text is a notice);
// the list scrolled so that the chosen row stands tenth (ninth) from the top
// (the host keeps the chosen row in view); the list font and line spacing of
// the other lists.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "aids/synonym_history.h"
#include "aids/synonyms.h"
#include "app/search/find_dialog.h"
#include "app/settings/settings_record.h"
#include "platform/dialogs.h"

namespace rix {

// Control ids of SYNONYM.
constexpr int SYNONYM_SEARCH = 1;        // 検 索 / 残 n
constexpr int SYNONYM_CLOSE = 2;         // 閉じる
constexpr int SYNONYM_HISTORY = 3;       // 検索履歴
constexpr int SYNONYM_PREVIOUS = 4;      // 前分類
constexpr int SYNONYM_INSERT = 5;        // 入 力
constexpr int SYNONYM_HELP = 6;          // ﾍﾙﾌﾟ: topic SYN
constexpr int SYNONYM_MODE = 7;          // ﾓｰﾄﾞ切替
constexpr int SYNONYM_LIST = 1000;       // hits or the words of a class
constexpr int SYNONYM_TERM = 1100;       // the search box (29 bytes)
constexpr int SYNONYM_SYNONYMS = 1200;   // radio 類義語
constexpr int SYNONYM_RELATED = 1201;    // radio 関連語
constexpr int SYNONYM_HEADER = 1300;     // the line above the list
constexpr int SYNONYM_PARTIAL = 1400;    // radios 部分, 先頭 (1401), 後端 (1402), 完全 (1403)
constexpr int SYNONYM_EXACT = 1403;

// Control ids of SYNLOG.
constexpr int SYNLOG_SEARCH = 1;         // 検 索: the chosen term, as a double click
constexpr int SYNLOG_CLOSE = 2;          // 閉じる
constexpr int SYNLOG_CLEAR = 3;          // 全履歴削除
constexpr int SYNLOG_DELETE = 5;         // 削 除
constexpr int SYNLOG_LIST = 1000;        // the terms, newest first

inline constexpr const char* SYNONYM_HELP_TOPIC = "SYN";

struct SynonymServices {
    EditRunner edit;                     // the edited document; may be null
    SettingsState* settings = nullptr;   // synonym_display, synonym_search, synonym_window_pos
    bool vertical = true;                // the document is written vertically (window position)
    std::string dictionary_path;         // rix_lib.syn (UTF-8)
    std::string history_path;            // synonym.log; "" = not kept
    std::function<void()> redraw;        // the main window after closing; may be null
    WindowRef owner = 0;
};

class SynonymWindow;

// The window's state while it is open.
struct SynonymUi {
    SynonymDictionary dict;                        // read at opening, freed at closing
    SynonymHistory history;
    SynonymResults results;                        // empty = the next 検 索 searches
    SynonymMatch match = SynonymMatch::PARTIAL;
    bool class_view = false;                       // false: the hit list
    bool related = false;                          // the class view shows the related group (関連語)
    bool term_edited = false;                      // the box holds a term of the writer's, not the cursor's
    std::size_t current = 0;                       // the current class
    std::vector<SynonymRow> rows;                  // class view: row -> record
    int row = -1;                                  // the selected row of the class view
    int hit_row = -1;                              // the hit last chosen in the hit list
    std::uint64_t searched_cursor = UINT64_MAX;    // cursor (line << 32 | offset) at the last search
    DialogHandle handle = 0;                       // 0 = not open
    std::unique_ptr<SynonymWindow> procedure;      // outlives its dialog
};

class SynonymWindow final : public DialogProcedure {
public:
    SynonymWindow(SynonymUi* ui, SynonymServices services) : ui_(ui), services_(std::move(services)) {}

    void init(DialogContext& ctx) override;
    bool command(DialogContext& ctx, int id, int notification) override;
    bool ok(DialogContext&) override { return false; }
    void cancel(DialogContext& ctx) override;

    // The word at the cursor looked up anew (a double click in the edit window).
    void look_up_cursor_word(DialogContext& ctx);
    // Searches `term` as if typed into the box (the history dialog's choice).
    void search_term(DialogContext& ctx, const std::string& term);

private:
    void clear_results(DialogContext& ctx);
    void search(DialogContext& ctx);
    void step_class(DialogContext& ctx, bool forward);
    void show(DialogContext& ctx);
    void show_hit_list(DialogContext& ctx);
    void show_class(DialogContext& ctx, std::int64_t record);
    void update_class_header(DialogContext& ctx);
    void update_search_label(DialogContext& ctx);
    void list_clicked(DialogContext& ctx);
    void toggle_view(DialogContext& ctx);
    // The record of the selected row, or -1.
    std::int64_t chosen_record(DialogContext& ctx) const;
    void insert(DialogContext& ctx);
    void take_word(DialogContext& ctx);
    void open_history(DialogContext& ctx);

    SynonymUi* ui_;
    SynonymServices services_;
};

// The history dialog: the chosen term, or "" when closed without one.
std::string run_synonym_history_dialog(SynonymHistory& history, WindowRef owner);

// Opens the window, or restores and raises the open one; `look_up`: an open
// window looks the word at the cursor up again.
DialogHandle open_synonym_window(SynonymUi& ui, SynonymServices services, bool look_up);
void close_synonym_window(SynonymUi& ui);
bool synonym_window_open(const SynonymUi& ui);

// The dictionary the window reads: the data folder's, else the one the
// build made (`built_dir`). The data folder's path when neither exists.
std::string synonym_dictionary_path(const std::string& data_folder, const std::string& built_dir);

}  // namespace rix
