// The notebook window (command 403 手 帖; templates NOTEBOOK_0..2 by the
// size bits of settings 0x2ae): the heading list in its four modes, the
// heading box and the article's text box, vertical for vertical documents.
//
// The notebook itself lives in NotebookBook, owned by the application for
// the document: closing the window keeps it, reopening shows it (not the
// file), and the document's close and exit flows write it when
// MODIFIED_NOTEBOOK is set. The window only reads the file when the book is
// not loaded yet, or when 選帖 fixes another file.
//
// An edited article is stored when the writer leaves the box: the first
// action of the window after an edit (a button, the list, closing) stores
// it first, with the refusal and the date question of an article edit. An
// article typed before any heading is selected stays in the box (after a
// notice) and becomes the article of the heading 登録 registers next.
//
// ｻｲｽﾞ cycles the three templates and makes the window again with the
// heading box's text searched. The window opens at the position kept for the
// document's orientation (app/window/side_windows.h) and keeps it when it closes.
//
// Not built yet: the blinking of 検索 and of the not-found notice (a notice
// box and the button's text "次へ" stand for them), and the notebook font
// and the format's background colour in the article box.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "aids/notebook.h"
#include "app/search/find_dialog.h"
#include "app/settings/settings_record.h"
#include "document/document_state.h"
#include "platform/dialogs.h"
#include "platform/file_choice.h"

namespace rix {

// Control ids of NOTEBOOK_0..2.
constexpr int NOTEBOOK_INDEX = 1;          // 索 引: the word of the heading box in the structure index
constexpr int NOTEBOOK_CLOSE = 2;          // 閉じる
constexpr int NOTEBOOK_REGISTER = 3;       // 登 録
constexpr int NOTEBOOK_SEARCH = 4;         // 検 索 / 次 へ
constexpr int NOTEBOOK_CHANGE = 5;         // 変 更
constexpr int NOTEBOOK_HELP = 6;           // ﾍﾙﾌﾟ: topic NOTE
constexpr int NOTEBOOK_DELETE = 7;         // 削 除
constexpr int NOTEBOOK_LIST = 1000;        // the headings
constexpr int NOTEBOOK_HEADING = 1010;     // the heading box
constexpr int NOTEBOOK_COUNTER = 1100;     // "%u/%u"
constexpr int NOTEBOOK_ARTICLE_V = 1301;   // the article box of vertical documents
constexpr int NOTEBOOK_ARTICLE_H = 1302;   // the article box of horizontal documents
constexpr int NOTEBOOK_UP = 1400;          // ↑
constexpr int NOTEBOOK_DOWN = 1500;        // ↓
constexpr int NOTEBOOK_SIZE = 1600;        // ｻｲｽﾞ: NOTEBOOK_0 -> 1 -> 2 -> 0
constexpr int NOTEBOOK_CHOOSE = 1800;      // 選 帖

inline constexpr const char* NOTEBOOK_HELP_TOPIC = "NOTE";

// The document's notebook while the program runs.
struct NotebookBook {
    Notebook book;
    std::string path;        // the file, fixed at the first opening (UTF-8)
    bool loaded = false;     // book holds the file (or the edits since)
};

struct NotebookServices {
    EditRunner edit;                     // the edited document (word at the cursor); may be null
    SettingsState* settings = nullptr;   // mode and size bits, the chosen file
    DocumentState* state = nullptr;      // MODIFIED_NOTEBOOK
    std::string document_path;           // the document's path or save name (UTF-8)
    bool vertical = true;                // the document is written vertically
    NotebookClock clock;                 // null: the system clock
    // The file chooser; null: 選帖 disabled.
    std::function<bool(const FileChoice& choice, std::vector<std::string>* paths)> choose_files;
    // Shows a word in the structure index (opening it); null: 索引 disabled.
    std::function<void(const std::string& word)> index_link;
    // Makes the window again (ｻｲｽﾞ) with `heading` searched; null: ｻｲｽﾞ disabled.
    std::function<void(const std::string& heading)> reopen;
    WindowRef owner = 0;
};

class NotebookWindow;

// The window's state (never saved).
struct NotebookUi {
    std::vector<NotebookRow> rows;                 // list row -> entry
    std::size_t selected = SIZE_MAX;               // entry; SIZE_MAX = none
    std::size_t search_start = 0;                  // row where the next search starts
    bool heading_edited = false;                   // the writer typed in the heading box
    bool article_edited = false;                   // the article box differs from the stored article
    bool warned_no_heading = false;                // the "no heading selected" notice was shown for this edit
    bool unfiled_article = false;                  // the article box holds text typed with no heading: 登録 files it
    std::uint64_t searched_cursor = UINT64_MAX;    // cursor (line << 32 | offset) of the last search
    int date_answer = 0;                           // article date question: 0 unasked, 1 Yes, -1 No
    std::size_t index_word = 0;                    // next word of the heading box for 索 引
    DialogHandle handle = 0;                       // 0 = not open
    std::unique_ptr<NotebookWindow> procedure;     // outlives its dialog
    std::unique_ptr<NotebookWindow> retired;       // the one before, whose call may still run
};

class NotebookWindow final : public DialogProcedure {
public:
    NotebookWindow(NotebookUi* ui, NotebookBook* book, NotebookServices services)
        : ui_(ui), book_(book), services_(std::move(services)) {}

    void init(DialogContext& ctx) override;
    bool command(DialogContext& ctx, int id, int notification) override;
    bool ok(DialogContext&) override { return false; }
    void cancel(DialogContext& ctx) override;

    // Puts `text` in the heading box and searches (from the structure index,
    // or at opening with the word at the cursor when `text` is empty).
    void search_for(DialogContext& ctx, const std::string& text, bool opening);
    // Stores an article being edited (before the notebook is written).
    bool store_article(DialogContext& ctx) { return commit_article(ctx); }
    // Keeps the window's position for the document's orientation.
    void keep_position(DialogContext& ctx);

private:
    NotebookMode mode() const;
    int article_box() const { return services_.vertical ? NOTEBOOK_ARTICLE_V : NOTEBOOK_ARTICLE_H; }
    std::string today() const;
    void mark_changed();
    void update_caption(DialogContext& ctx);
    void rebuild_list(DialogContext& ctx);
    void show_selected(DialogContext& ctx, bool fill_heading);
    void select_entry(DialogContext& ctx, std::size_t entry, bool fill_heading);
    // Stores an edited article (the box was left); false when refused.
    bool commit_article(DialogContext& ctx);
    void search(DialogContext& ctx);
    void add(DialogContext& ctx);
    void change(DialogContext& ctx);
    void remove(DialogContext& ctx);
    void move(DialogContext& ctx, bool up);
    void cycle_mode(DialogContext& ctx);
    void choose_file(DialogContext& ctx);
    void link_index(DialogContext& ctx);
    void next_size(DialogContext& ctx);
    void load(DialogContext& ctx);

    NotebookUi* ui_;
    NotebookBook* book_;
    NotebookServices services_;
};

// Fixes the notebook file of the document and reads it unless the book is
// loaded already: the chosen file of the settings, else <document>.ren.
// The notebook of an encrypted document (`state`, may be null) is read and
// written with the document's key, so that it is never kept in plain text
// beside it.
void load_notebook_book(NotebookBook& book, const SettingsState* settings, const std::string& document_path,
                        WindowRef owner, const DocumentState* state = nullptr);
// Command 403 (search_text empty: the word at the cursor is searched), and the
// 手帖 button of the structure index (its name searched). Opens the window or
// brings the open one to the front. Returns its handle (0 when it could not be made).
DialogHandle open_notebook_window(NotebookUi& ui, NotebookBook& book, NotebookServices services,
                                  const std::string& search_text = {});
void close_notebook_window(NotebookUi& ui);
// The end of the program: the open bit (bit 7 of panel_flags) and the position.
void remember_notebook_window(NotebookUi& ui, SettingsState* settings);
bool notebook_window_open(const NotebookUi& ui);
// The document's close and exit flows: writes the notebook when it changed,
// first storing an article being edited. False when the write failed (the
// writer was told).
bool save_notebook_book(NotebookUi& ui, NotebookBook& book, DocumentState& state, WindowRef owner);
// The notebook file of the document at `document_path` enciphered anew when
// its document's key changes: read with `from`, written with `to` (either
// null for plain). True when there is nothing to do or it was rewritten;
// false (the file untouched) when it could not be read or written.
bool rekey_notebook_file(const SettingsState* settings, const std::string& document_path, const NotebookKey* from,
                         const NotebookKey* to);

}  // namespace rix
