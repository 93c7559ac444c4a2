// The main window's events: commands, keys, the wheel, drops, the right-click
// menu, help mode and the hidden menu bar.
#include "app/window/shell_events.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "aids/search.h"
#include "app/edit/format_views.h"
#include "app/history/recent_menu.h"
#include "app/window/trace_dialog.h"
#include "editing/edit_text.h"
#include "platform/codec.h"
#include "platform/file_names.h"
#include "platform/files.h"
#include "platform/messages.h"
#include "platform/shell.h"
#include "platform/virtual_keys.h"
#include "publish/mail_url.h"

namespace rix {
namespace {

constexpr int PLAIN_MOVE = 8;          // key dispatcher flag: move without marking
constexpr int MENU_BAR_BAND = 3;       // pixels at the top of the view that count as "the top"
constexpr int POINTER_SLACK = 16;      // how far the pointer may drift while the menu bar waits

// The help topics of the help menu's own commands open as pages.
constexpr int HELP_PAGE_COMMANDS[] = {
    COMMAND_HELP_CONTENTS, COMMAND_HELP_SUPPORT, COMMAND_HELP_HOME, COMMAND_HELP_VERSION, COMMAND_HELP_FAQ,
    COMMAND_HELP_OPERATION_FIRST, COMMAND_HELP_OPERATION_FIRST + 1, COMMAND_HELP_OPERATION_FIRST + 2,
    COMMAND_HELP_OPERATION_LAST};

bool is_archive(const std::string& path) { return has_extension(path, "lzh") || has_extension(path, "zip"); }

}  // namespace

ShellEvents::ShellEvents(Application& app, Gui* gui, MenuTables menus)
    : app_(app), gui_(gui), menus_(std::move(menus)) {
    app_.window.shell = this;
    install_commands();
}

// The window's own commands: the address of the right-click menu, the help
// menu and its pages, and the keys that arrive as commands. The features
// install theirs from their own folders of app/ (features.h).
void ShellEvents::install_commands() {
    CommandTable& t = commands_;
    t.set_handler(COMMAND_OPEN_ADDRESS, [this](int) {
        if (!address_.empty()) open_offered_address(app_, address_);
    }, [this] { return !address_.empty(); });
    t.set_handler(COMMAND_HELP, [this](int) {
        const MenuResource* popup = menus_.popup("RIX_Help_Menu_POPUP");
        if (!gui_ || !popup) return;
        int x = 0, y = 0;
        gui_->pointer_position(&x, &y);
        int chosen = gui_->popup_menu(menu_items(*popup, [this](int c) { return commands_.enabled(c); }), x, 0);
        if (chosen) command(chosen);
    });
    for (int id : HELP_PAGE_COMMANDS)
        t.set_handler(id, [this](int c) { show_help(commands_.topic(c)); });
    // Alt+arrows move through the key dispatcher once it is there.
    t.set_handler(COMMAND_ALT_ARROW_FIRST, [this](int id) {
        static constexpr int KEYS[] = {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN};
        commands_.dispatch_key(KEYS[id - COMMAND_ALT_ARROW_FIRST], PLAIN_MOVE);
    }, [this] { return bool(commands_.dispatch_key); });
    // Ctrl+letters through the edit-key table, which names the command to run.
    t.set_handler(COMMAND_CTRL_LETTER_FIRST, [this](int id) {
        int next = commands_.edit_key(id);
        if (next && (next < COMMAND_CTRL_LETTER_FIRST || next > COMMAND_CTRL_LETTER_LAST)) commands_.run(next);
    }, [this] { return bool(commands_.edit_key); });
}

bool open_desktop_address(Application& app, const std::string& url) {
    return app.window.open_address ? app.window.open_address(url) : open_address(url);
}

void open_offered_address(Application& app, const std::string& address) {
    if (app.hooks.send_mail && is_mail_address(address)) {
        app.hooks.send_mail(app, address);
        return;
    }
    if (!open_desktop_address(app, sjis_to_utf8(address)))
        shell_notice("アドレスを開けませんでした｡\n" + sjis_to_utf8(address), 3000);
}

void ShellEvents::first_paint() {
    if (app_.settings.rec.start_maximized) app_.host->maximize();
    // The screen is drawn once the document is there (unless the start ended).
    if (run_startup_action(app_) == Flow::Continue && !app_.shut_down) rix::rebuild(app_);
}

void ShellEvents::resized(int, int) {
    if (app_.startup_done && !app_.shut_down) rix::rebuild(app_);
}

void ShellEvents::close_requested() { rix::close_requested(app_); }

void ShellEvents::destroyed() { shutdown_process(app_); }

void ShellEvents::set_help_mode(bool on) {
    help_mode_ = on;
    if (gui_) gui_->set_help_cursor(on);
}

void ShellEvents::command(int id) {
    if (help_mode_) {
        std::string topic = commands_.topic(id);
        if (topic.empty()) shell_notice("ヘルプ項目がありません。", 1500);
        else show_help(topic);
        return;
    }
    commands_.run(id);
    refresh_states();
}

void ShellEvents::menu_help_key() { set_help_mode(true); }

void ShellEvents::key_down(int vk, int flags) {
    int mods = flags & KEY_FLAG_MODIFIERS;
    if (vk == VK_ESCAPE && mods == 0 && help_mode_) {
        set_help_mode(false);
        return;
    }
    if (vk == VK_ESCAPE && mods == 0) {
        rix::rebuild(app_);   // Escape draws the screen afresh
        return;
    }
    if (vk == VK_ESCAPE && mods == KEY_FLAG_SHIFT) {
        show_trace(app_, gui_ ? &gui_->clipboard() : nullptr);
        return;
    }
    if (vk == VK_F1 && (mods & ~KEY_FLAG_SHIFT) == 0) {
        if (mods & KEY_FLAG_SHIFT) {
            set_help_mode(true);
            shell_notice("ヘルプ表示モードに入ります。\n各メニューを選択すると､そのヘルプが読めます。\n"
                         "ESC キーで､ヘルプモードが解除されます。",
                         5000);
        } else {
            show_help("");
        }
        return;
    }
    if (commands_.line_format_key && commands_.line_format_key(vk, mods)) {
        refresh_states();
        return;
    }
    if (int id = accelerator_command(menus_.accelerators, vk, mods)) {
        command(id);
        return;
    }
    // Keys with Alt are the system's (menu mnemonics); the rest below '0'
    // go to the key dispatcher with Shift and Ctrl.
    if (vk < VK_0 && (mods & KEY_FLAG_ALT) == 0 && commands_.dispatch_key) {
        commands_.dispatch_key(vk, mods & (KEY_FLAG_SHIFT | KEY_FLAG_CTRL));
        refresh_states();   // undo, cut and copy follow the edit and the marking
    }
}

void ShellEvents::refresh_states() {
    if (gui_ && !app_.shut_down) gui_->refresh_command_states();
}

void ShellEvents::key_up(int vk) {
    if (commands_.key_released) commands_.key_released(vk);
}

void ShellEvents::characters_typed(const std::string& utf8) {
    if (utf8.empty() || !commands_.type_characters) return;
    for (unsigned char c : utf8)
        if (c < 0x20 || c == 0x7F) return;   // control characters are keys, not text
    std::size_t replaced = 0;
    const std::string text = import_clipboard_text(utf8, &replaced);
    if (text.empty()) return;
    commands_.type_characters(text);
    refresh_states();
    if (replaced > 0)
        shell_notice("シフトJISにない文字" + std::to_string(replaced) + "字を〓に置き換えました｡", 2500);
}

void ShellEvents::wheel_steps(int steps) {
    const SettingsRecord& r = app_.settings.rec;
    if (steps == 0 || r.wheel_columns == 0 || !commands_.dispatch_key) return;
    bool vertical = r.writing_direction[current_screen_slot(r)] == 0;
    int key = steps < 0 ? (vertical ? VK_LEFT : VK_DOWN) : (vertical ? VK_RIGHT : VK_UP);
    int moves = std::min(std::abs(steps), 100) * r.wheel_columns;
    for (int i = 0; i < moves; ++i) commands_.dispatch_key(key, PLAIN_MOVE);
    if (gui_) gui_->invalidate();
}

void ShellEvents::files_dropped(const std::vector<std::string>& paths) {
    if (paths.size() != 1 || help_mode_) return;
    std::string path = paths.front();
    if (is_archive(path) && (!app_.hooks.open_archive || !app_.hooks.open_archive(app_, &path, false))) return;
    const DocumentKind kind = check_document_kind(path);
    if (!accept_document_kind_shown(kind)) {
        // Enciphered text looks like any binary file: the writer may know better.
        if (kind != DocumentKind::NOT_TEXT ||
            ask_question(app_, MSG_YES_NO, "ドロップしたファイルはバイナリですが\n暗号化文書の可能性もあります｡\n編集しますか？",
                         MSG_RESULT_NO) != MSG_RESULT_YES)
            return;
        std::vector<std::string> args = instance_arguments(path, app_.line);
        args.insert(args.begin(), "--decrypt");
        if (!start_instance(args)) shell_notice("新しいウィンドウを開けません｡", 3000);
        return;
    }
    app_.paths.open_request = path;
    launch_instance(app_, path);
}

void ShellEvents::pointer_button(int button, int action, int x, int y, int buttons, int flags) {
    if (pointer_hooks_.button && !help_mode_) {
        pointer_hooks_.button(button, action, x, y, buttons, flags);
        if (action != POINTER_DOWN) refresh_states();   // a marking or a drop ended
    }
}

void ShellEvents::pointer_moved(int x, int y, int buttons, int flags) {
    if (pointer_hooks_.moved && !help_mode_) pointer_hooks_.moved(x, y, buttons, flags);
}

void ShellEvents::scroll_bar_action(int action, int position) {
    if (pointer_hooks_.scroll_bar) pointer_hooks_.scroll_bar(action, position);
}

void ShellEvents::focus_changed(bool has_focus) {
    if (pointer_hooks_.focus) pointer_hooks_.focus(has_focus);
}

void ShellEvents::input_method(const InputMethodEvent& e) {
    if (input_method_hooks_.event) input_method_hooks_.event(e);
    else if (!e.commit.empty()) characters_typed(e.commit);
}

InputMethodState ShellEvents::input_method_state() {
    return input_method_hooks_.state ? input_method_hooks_.state() : InputMethodState{};
}

void ShellEvents::right_button_up(int x, int y, int flags) {
    const SettingsRecord& r = app_.settings.rec;
    if (r.right_button_action != 0 || !gui_) return;
    if (pointer_hooks_.right_taken && pointer_hooks_.right_taken()) return;
    if (flags & KEY_FLAG_SHIFT) {
        command(COMMAND_ROW_FORMAT);
        return;
    }
    std::vector<MenuItem> items = right_click_items(r.right_click_items, menus_.popup("RIX_Help_Menu"),
                                                    [this](int c) { return commands_.enabled(c); });
    if (items.empty()) {
        if (!commands_.enabled(COMMAND_RIGHT_CLICK_SETTINGS)) {
            shell_notice("右クリックメニューは登録されていません。", 3000);
            return;
        }
        int answer = ask_question(app_, MSG_YES_NO,
                                  "右クリックメニューは登録されていません。\n登録設定画面で[既定値]を実行すれば\n"
                                  "従来仕様の右クリックメニューになります\n\n登録設定を実行しますか？",
                                  MSG_RESULT_NO);
        if (answer == MSG_RESULT_YES) command(COMMAND_RIGHT_CLICK_SETTINGS);
        return;
    }
    // An address at the cursor comes first.
    address_.clear();
    if (app_.loaded && app_.loaded->document.lines.count() > 0 &&
        address_at_cursor(app_.loaded->document, app_.loaded->edit.cursor.pos, &address_)) {
        std::string label;
        for (char ch : sjis_to_utf8(address_)) label += ch == '&' ? std::string("&&") : std::string(1, ch);
        MenuItem open_address;
        open_address.command = COMMAND_OPEN_ADDRESS;
        open_address.label = label;
        items.insert(items.begin(), {open_address, MenuItem{}});
    }
    int chosen = gui_->popup_menu(items, x, y);
    if (chosen) command(chosen);
}

void ShellEvents::mouse_moved(int x, int y) {
    pointer_x_ = x;
    pointer_y_ = y;
    if (!gui_) return;
    bool hiding = (app_.settings.rec.bar_flags & 2) != 0;
    if (!hiding) {
        if (!gui_->menu_bar_visible()) gui_->set_menu_bar_visible(true);
        return;
    }
    if (y >= MENU_BAR_BAND) {
        bar_pending_ = false;
        if (gui_->menu_bar_visible()) gui_->set_menu_bar_visible(false);
        return;
    }
    if (!gui_->menu_bar_visible() && !bar_pending_) {
        bar_pending_ = true;
        bar_x_ = x;
        bar_y_ = y;
        app_.host->set_timer(TIMER_MENU_BAR, MENU_BAR_DELAY_MS);
    }
}

void ShellEvents::timer(int id) {
    if (id == TIMER_AUTOSAVE) {
        autosave_tick(app_);
        return;
    }
    // Every other timer but the menu bar's goes to the features that
    // subscribed to it (the mouse's drag scrolling and idle pointer, the
    // guides' count).
    if (id != TIMER_MENU_BAR) {
        app_.events.timer.publish(id);
        return;
    }
    app_.host->kill_timer(TIMER_MENU_BAR);
    if (!bar_pending_ || !gui_) return;
    bar_pending_ = false;
    if (pointer_y_ <= bar_y_ && pointer_y_ < MENU_BAR_BAND && std::abs(pointer_x_ - bar_x_) <= POINTER_SLACK)
        gui_->set_menu_bar_visible(true);
}

void ShellEvents::minimized() { window_minimized(app_); }

void ShellEvents::restored() { window_restored(app_); }

void ShellEvents::moved() {
    if (!gui_) return;
    gui_->owner_moved();
    if (gui_->is_maximized() || app_.host->is_minimized()) return;
    int x = 0, y = 0, w = 0, h = 0;
    gui_->window_rect(&x, &y, &w, &h);
    SettingsRecord& r = app_.settings.rec;
    auto clamp16 = [](int v) { return static_cast<std::int16_t>(std::clamp(v, 0, 0x7FFF)); };
    std::int16_t values[4] = {clamp16(x), clamp16(y), clamp16(w), clamp16(h)};
    if (values[0] != r.window_x || values[1] != r.window_y || values[2] != r.window_width ||
        values[3] != r.window_height) {
        r.window_x = values[0];
        r.window_y = values[1];
        r.window_width = values[2];
        r.window_height = values[3];
        mark_settings_changed(&app_.settings);
    }
}

std::vector<MenuItem> ShellEvents::bar_menu_items(int index) const {
    if (index < 0 || index >= static_cast<int>(menus_.bar.size())) return {};
    auto enabled = [this](int id) { return commands_.enabled(id); };
    const MenuResource& menu = menus_.bar[static_cast<std::size_t>(index)];
    if (index != 0 || !recent_documents) return rix::menu_items(menu, enabled);
    return rix::menu_items(with_recent_documents(menu, recent_documents()), enabled);
}

bool ShellEvents::changed_menu_items(int index, std::vector<MenuItem>* items) {
    if (index != 0 || !recent_documents) return false;
    *items = bar_menu_items(index);
    return true;
}

std::vector<MenuItem> ShellEvents::window_menu() {
    std::vector<MenuItem> items;
    if (!app_.registry) return items;
    for (const WindowMenuEntry& e : window_menu_entries(app_.registry->list(), app_.instance_number)) {
        if (!items.empty()) items.push_back(MenuItem{});
        MenuItem item;
        item.command = e.command;
        item.label = e.label;
        item.checked = e.checked;
        items.push_back(std::move(item));
    }
    items.push_back(MenuItem{});
    MenuItem previous, next;
    previous.command = COMMAND_PREVIOUS_INSTANCE;
    previous.label = "前のウィンドウ\tCtrl+PgUp";
    next.command = COMMAND_NEXT_INSTANCE;
    next.label = "次のウィンドウ\tCtrl+PgDown";
    items.push_back(previous);
    items.push_back(next);
    return items;
}

ToolbarSetup ShellEvents::toolbar() const {
    const SettingsRecord& r = app_.settings.rec;
    ToolbarSetup t;
    int slot = current_screen_slot(r);
    t.size = slot < SCREEN_FORMAT_COUNT && r.toolbar_size[slot] <= 2 ? r.toolbar_size[slot] : 0;
    t.buttons = toolbar_buttons(r.toolbar_items);
    return t;
}

void ShellEvents::apply_toolbar() {
    if (gui_) gui_->set_toolbar(toolbar());
}

MainWindowSetup main_window_setup(const Application& app, const ShellEvents& events, int instance_offset,
                                  const std::string& resource_dir) {
    const SettingsRecord& r = app.settings.rec;
    MainWindowSetup s;
    s.title = "『ミルトア』 ver. 7.11";
    s.x = r.window_x;
    s.y = r.window_y;
    s.width = r.window_width >= 320 ? r.window_width : 1000;
    s.height = r.window_height >= 240 ? r.window_height : 700;
    s.instance_offset = instance_offset;
    s.fill_colour = r.fill_colour[current_screen_slot(r)];
    for (std::size_t m = 0; m < events.menus().bar.size(); ++m) {
        const MenuResource& menu = events.menus().bar[m];
        s.menus.emplace_back(display_label(menu.title), menu.window_menu ? std::vector<MenuItem>{}
                                                                          : events.bar_menu_items(static_cast<int>(m)));
        if (menu.window_menu) s.window_menu_index = static_cast<int>(m);
    }
    s.toolbar = events.toolbar();
    s.resource_dir = resource_dir;
    return s;
}

}  // namespace rix
