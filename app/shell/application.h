// The life of one editor process: the environment file it reads, the
// document it opens first, switching documents, the other instances, and
// the exit flow.
//
// `Application` holds the process-wide state: nothing of it lives in a
// static. Operations take it as an argument, so a test builds its own with a
// FakeWindowHost and FakeMessages. Each feature installs its commands,
// dialogs and subscriptions from its folder's `*_commands.cpp` (see
// features.h). The shell's flow reaches the features two ways (app/shell/events.h):
// it publishes events (`Application::events`) that any number of features
// subscribe to, and it asks the single answers of `DocumentHooks` and
// `AidLinks`, each set by one feature; an unset answer means there is nothing
// to do. The features' own state is typed (`Features`), never a bag.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/documents/autosave.h"
#include "app/shell/command_line.h"
#include "app/documents/document_load.h"
#include "app/publish/epub_dialog.h"
#include "app/shell/events.h"
#include "app/files/file_tools.h"
#include "app/settings/fmset_dialog.h"
#include "app/settings/key_assign_dialog.h"
#include "app/search/find_dialog.h"
#include "app/publish/html_session.h"
#include "app/search/jump_sheet.h"
#include "app/print/pdf_dialog.h"
#include "app/documents/save_state.h"
#include "app/settings/settings_record.h"
#include "document/document_state.h"
#include "document/notices.h"
#include "platform/file_choice.h"
#include "platform/instances.h"
#include "platform/file_viewer.h"
#include "platform/preview_window.h"
#include "platform/printer.h"
#include "platform/window_host.h"

namespace rix {

struct Application;
class Clipboard;
class CommandTable;
class DatabaseView;
class Gui;
class MouseGlue;
class ShellEvents;
class TagWindows;
struct DateSession;
struct ScreenState;
struct GuideState;

// The single answers the shell's flow asks of the features. Each is set by
// one feature (or by main() for the shell's own); a second setter throws.
struct DocumentHooks {
    // Loads the opened document (opened_path, held in text_fd) into the
    // editing tables and restores the cursor. Called after every open.
    Slot<void(Application&)> load_document;
    // The save question: MSG_RESULT_YES, _NO or _CANCEL.
    Slot<int(Application&, bool explicit_save)> save_question;
    // Saves under the save name.
    Slot<SaveResult(Application&)> save_document;
    // Asks for a new name and saves there (downloaded documents); Nothing
    // when the writer cancelled.
    Slot<SaveResult(Application&)> save_as;
    // True while the document-database window is open (exit waits for it).
    Slot<bool()> database_open;
    // Opens the common settings (ENV_COMMON), e.g. after a key file could not
    // be written; unset: no such dialog.
    Slot<void(Application&)> common_settings;
    // ダウンロード設定 (DWL_DB) and ショートカット作成 (SC_MKDB), also reached from
    // the common settings; unset: those buttons are greyed.
    Slot<void(Application&)> download_settings;
    Slot<void(Application&)> make_shortcut;
    // A ZIP or LZH archive chosen or dropped as the document: *path becomes the
    // member the writer extracted (EXTRACT_SEL); false when none was. Unset:
    // archives are not opened.
    Slot<bool(Application&, std::string* path, bool downloaded)> open_archive;
    // Rebuilds the screen from the start of the document.
    Slot<void(Application&)> rebuild_screen;
    // Inserts text (file form: CR LF line ends) at the cursor as one
    // insertion; false when it was refused.
    Slot<bool(Application&, const std::string&)> insert_text;
    // Mails the document to a "mailto:" address (code page 932) of the
    // right-click menu; unset: the address opens as any other.
    Slot<void(Application&, const std::string& address)> send_mail;
    // Stores what the notebook window holds unstored (an article being
    // edited), so that MODIFIED_NOTEBOOK tells the truth; before the close
    // and exit flows look at the modified bits.
    Slot<void(Application&)> store_notebook;
    // Writes the notebook file; false when it failed (the writer was told).
    Slot<bool(Application&)> save_notebook;
    // Writes the copy history back at the end of the process (when it changed).
    Slot<void(Application&)> save_copy_history;
    // An auto-save now, asked for by the writer (手動実行 of the common
    // settings); unset: the button is greyed.
    Slot<void(Application&)> manual_autosave;
};

// How the side windows reach each other; each answer is set by the install
// function of the feature that gives it, unset until then.
struct AidLinks {
    Slot<void(const std::string& name)> open_notebook;  // 手帖 of the index window
    Slot<void(const std::string& word)> show_in_index;  // 索引 of the notebook window
    Slot<bool()> index_open;                             // the index window is open
    // The copy history: every successful copy or cut (code page 932) goes
    // in; two slow clicks on one cell open its dialog. Null: no history.
    Slot<void(const std::string& text)> add_copy_history;
    Slot<void()> open_copy_history;
    // The synonym window: a double click in the edit window opens it, or has
    // the open one look the word at the cursor up. Null: no window.
    Slot<void()> open_synonyms;
};

// The main window's side of the process, set by main() (a test sets what it
// uses). The features reach the window only through it.
struct WindowParts {
    ShellEvents* shell = nullptr;        // the window's events: command table, pointer hooks, menus
    ScreenState* screen = nullptr;       // the edit window's screen; null without one
    Gui* gui = nullptr;                  // null without a window
    TagWindows* tag_windows = nullptr;   // the tags' floating windows; null: none are shown
    Clipboard* clipboard = nullptr;      // the system clipboard; may be null
    // Shows the surface again after drawing; then window_changed publishes
    // the redraw events (the caret and the scroll bar follow).
    std::function<void()> show_surface;
    // Makes an open modeless dialog a side pane of the main window (1 at the
    // left, 2 at the right); false when it cannot. Null: no panes.
    std::function<bool(std::uint32_t dialog, int side)> dock_pane;
    // The printer (a PDF file when the setup names one); null: nothing prints.
    std::function<std::unique_ptr<PrintDevice>(const PrintDeviceSetup&)> print_devices;
    // Handles pending window events (中止 during a print run); may be null.
    std::function<void()> pump_events;
    // The page setup dialog (ﾌﾟﾘﾝﾀ設定 of the print settings): the printer's
    // paper number and orientation in and out; false when cancelled. Null:
    // no such dialog.
    std::function<bool(int* paper_number, bool* landscape)> page_setup;
    // The folder chooser (参照 of the PDF output): starts at *folder (UTF-8)
    // and sets it to the choice; false when cancelled. Null: no such dialog.
    std::function<bool(std::string* folder)> choose_folder;
    // The font file chooser (選択 of the EPUB output): starts in `folder`
    // (UTF-8) and gives back the chosen file's path; false when cancelled.
    // Null: no such dialog.
    std::function<bool(const std::string& folder, std::string* path)> choose_font_file;
    // The file chooser (追 加 and ﾘｽﾄ読込 of the HTML document list): starts in
    // `folder`, lists the files `filter` names (Qt's form: "テキスト (*.txt)"),
    // one file or several; gives back their paths (UTF-8); false when
    // cancelled. Null: no such dialog.
    std::function<bool(const FileChoice& choice, std::vector<std::string>* paths)> choose_files;
    // Runs the print preview window over a source of sheets; null: no preview.
    std::function<void(PreviewSource&)> preview_window;
    // Runs the file viewer over a file's text (platform/file_viewer.h); null: no viewer.
    std::function<void(const ViewerRequest&)> view_file;
    // Handles pending window events during a long run on the window's thread
    // (the file search) and tells whether Escape was pressed; null: never.
    std::function<bool()> escape_pressed;
    // Makes the document database's browser window; null: 文書データベース greyed.
    std::function<std::unique_ptr<DatabaseView>()> database_view;
    // The desktop's beep (移動音 of the structure index); null: none, and
    // 移動音 is greyed.
    std::function<void()> beep;
    // Opens a URL (UTF-8) in place of the desktop's handler (tests); null:
    // platform/shell's open_address.
    std::function<bool(const std::string& url)> open_address;
};

// The state the features keep for the life of the process, each of its own
// type; null until its feature is installed (or when it has no window to
// work on). A test reaches a feature's state here by its type. The features
// not listed keep theirs in their commands and subscriptions alone.
struct Features {
    std::shared_ptr<MouseGlue> mouse;     // edit/mouse_commands.cpp: pointer, caret, scroll bar
    std::shared_ptr<GuideState> guides;   // edit/guide_commands.cpp: the title, guide boxes and capacity
    std::shared_ptr<DateSession> dates;   // edit/date_commands.cpp: what the date dialog holds
};

struct ProcessPaths {
    std::string program_folder;   // the data folder: settings, history, help, sample
    std::string env_path;         // the environment file in use
    std::string log_path;         // the edit-history file
    std::string start_folder;     // the current folder at start
    std::string open_request;     // what the next open uses (native path)
};

// States of the start-up choice (they exist only inside run_startup_action).
enum StartupState : int {
    STARTUP_OPEN_EXISTING = 0,
    STARTUP_CHOOSE = 1,
    STARTUP_CANCELLED = 2,
    STARTUP_NEW = 3,
};

struct Application {
    SettingsState settings;
    DocumentState doc;
    CommandLine line;
    ProcessPaths paths;
    DocumentHooks hooks;
    WindowHost* host = nullptr;
    InstanceRegistry* registry = nullptr;   // nullptr: no other instances are seen
    int instance_number = 1;
    bool batch = false;               // no window; questions take the answer that loses nothing
    bool startup_done = false;        // the start-up action ran (once per process)
    bool autosave_timer_stopped = false;  // timer 1 stopped by minimising
    bool shut_down = false;
    std::string temp_folder;          // where downloads go ("" = $TMPDIR or /tmp)
    ReadingOptions reading;           // 読込設定 of this run
    bool line_format_colours = false; // 行書式の文字色有効 (印刷色): a switch of this run, never stored
    std::unique_ptr<LoadedDocument> loaded;   // the editing tables; null in batch forms that need none
    WindowParts window;
    SaveFlowState save_flow;          // writing options and what the saves of this run remember
    FindUi find;                      // the find dialog and its texts
    JumpSheetUi jumps;                // the jump sheet and the mark-jump memory
    FileToolsUi file_tools;           // the file tools' dialogs: paths, the search, the list's column directions
    FmsetUi fmset;                    // 編集画面書式: where the dialog stood
    KeyAssignUi key_assign;           // 編集キー／禁則文字: the page shown last, where the sheet stood
    PdfSession pdf;                   // the PDF document information of this run (PDF_DB)
    EpubSession epub;                 // the EPUB book of this run (EPUB_DB)
    HtmlSession html;                 // the pages, names and document list of this run (HTML_MAKE)
    AidLinks links;                   // how the side windows reach each other
    ShellEventBus events;             // what the shell publishes; the features subscribe
    AutosaveState autosave;           // the minutes counted by timer 1
    Features features;                // the features' own state, by type
};

// The window shows the surface again, and the redraw events follow.
void window_changed(Application& app);
// Rebuilds the screen through the hook, when there is one.
void rebuild(Application& app);

// A question of the shell (UTF-8 text). In batch mode nobody can answer:
// the question and `batch_answer`, the answer that loses nothing, are
// printed on standard error instead.
int ask_question(Application& app, int kind, const std::string& utf8, int batch_answer);
// A notice of the shell (UTF-8 text).
void shell_notice(const std::string& utf8, unsigned time_ms);
// Shows what an operation of a lower layer reported, in order.
void show_notices(const Notices& notices);
// The questions of a lower layer's operation, asked through the message box;
// in batch mode each takes `batch_yes` as its answer (the one that loses
// nothing) and is printed on standard error.
class MessageQuestions final : public Questions {
public:
    explicit MessageQuestions(const Application& app, bool batch_yes = false) : batch_(app.batch), batch_yes_(batch_yes) {}
    bool yes_no(std::string_view utf8, std::uintptr_t owner = 0) override;
private:
    bool batch_;
    bool batch_yes_;
};

// Loads the held document into app.loaded (the default load hook).
void load_into_application(Application& app);
// Starts the load of the held document into *app.loaded (start_document_load
// in the current screen format), its questions asked through the message
// box, and shows what it reported.
void start_loading(Application& app, bool restore);

// Whether the process goes on after the start-up work or the exit flow.
enum class Flow { Continue, End };

// Reads the environment file named by the command line (or rix.env) from the
// program folder, with the fallback question; Flow::End ends the process.
Flow locate_environment_file(Application& app);
// The start-up action: runs once, at the first display. Flow::End when the
// process is ending (the window was destroyed).
Flow run_startup_action(Application& app);
// Creates the next numbered new document in the open request's folder and
// makes it the edited document. False with a message when it cannot.
bool create_new_document_file(Application& app);
// Opening another document: "new" or a path. May switch in this window or
// start another process.
void launch_instance(Application& app, const std::string& request);
// Replaces the edited document in this window by `path`. False when the user
// cancelled the save question or the file could not be opened.
bool switch_document(Application& app, const std::string& path);
// 現在行に読込み: another file inserted at the cursor, piece by piece.
// False when nothing was read in (cancelled, missing, refused).
bool read_into_current_line(Application& app);
// The exit flow; save_first saves first. Flow::Continue when the exit was
// stopped (the window stays), Flow::End when the window was destroyed.
Flow exit_application(Application& app, bool save_first);
// Closing the main window from its close box: asks first.
Flow close_requested(Application& app);
// The end of the process: closes the document, writes the settings
// (instance 1, when changed). Runs once.
void shutdown_process(Application& app);

// Minimising stops timers 1-3; restoring restarts timer 1 once.
void window_minimized(Application& app);
void window_restored(Application& app);

// The window menu: one label per listed instance, numbered in full-width
// digits ("１ title"), the entry of this instance checked.
struct WindowMenuEntry {
    int command = 0;          // 750 + position
    std::string label;        // UTF-8
    bool checked = false;
    int instance_number = 0;
};
std::vector<WindowMenuEntry> window_menu_entries(const std::vector<InstanceEntry>& list, int self_number);
// Position in `list` to bring forward for Ctrl+PgUp (-1) or Ctrl+PgDn (+1);
// -1 when this instance is not listed or stands alone.
int neighbour_instance(const std::vector<InstanceEntry>& list, int self_number, int direction);
// Commands 748, 749 and 750+i. True when handled.
bool handle_window_command(Application& app, int command);

// Full-width digits for a number ("１２").
std::string fullwidth_number(int n);
// The window title of the edited document (UTF-8), and showing it in the
// window and the instance list.
std::string document_window_title(const Application& app);
void show_document_title(Application& app);

}  // namespace rix
