// The window host: what the application logic asks of the main window.
//
// The Qt main window implements it (platform/qt); tests use FakeWindowHost,
// which records the calls. Texts are code page 932 bytes.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace rix {

// The timers of the edit window, one id each, for every layer that sets or
// answers one (the message box keeps its own).
enum : int {
    TIMER_AUTOSAVE = 1,       // 60 s, the auto-save check
    TIMER_AUTO_REPEAT = 2,    // 300 ms, then 10 ms: a drag scrolling, a held scroll zone (display/mouse.h)
    TIMER_IDLE_POINTER = 3,   // 10 s, hides the idle pointer (display/mouse.h)
    TIMER_MENU_BAR = 5,       // 500 ms, the menu bar back under the resting pointer (app/window/shell_events.h)
    TIMER_COUNT = 6,          // 0 ms, the debounced count once the window is idle (app/edit/guides.h)
};
constexpr unsigned AUTOSAVE_PERIOD_MS = 60000;

// Results of choose_file, the same as the file selection's.
enum : int { CHOSEN_EXISTING = 0, CHOSEN_NEW_NAME = 1, CHOSEN_CANCELLED = 2 };

class WindowHost {
public:
    virtual ~WindowHost() = default;
    virtual void set_title(std::string_view title) = 0;
    // Ends the window's life: the host calls shutdown_process and leaves the loop.
    virtual void destroy_main_window() = 0;
    virtual void maximize() = 0;
    virtual bool is_minimized() const = 0;
    virtual void restore() = 0;
    virtual void set_timer(int id, unsigned period_ms) = 0;
    virtual void kill_timer(int id) = 0;
    // Brings instance `number` of this user to the front (restored first).
    virtual void raise_instance(int number) = 0;
    // Lets the user pick a document: `path` is the preset on entry (a folder
    // or pattern) and the choice on return. Returns a CHOSEN_* value.
    virtual int choose_file(int mode, std::string* path) = 0;
    // The start-up question "new document or choose a file": returns 0 (new)
    // or 1 (choose), preset to `preset`; *dont_ask_again receives the check box.
    virtual int ask_startup_choice(int preset, bool* dont_ask_again) = 0;

    // The program's own file selection dialog, installed by the application;
    // the window's choose_file runs it (null: every choice is cancelled). The
    // fake host answers from its scripted `choices` instead.
    std::function<int(int mode, std::string* path)> file_selector;
};

// Records every call for tests.
class FakeWindowHost final : public WindowHost {
public:
    void set_title(std::string_view t) override { title = std::string(t); calls.push_back("title"); }
    void destroy_main_window() override { destroyed = true; calls.push_back("destroy"); }
    void maximize() override { maximized = true; calls.push_back("maximize"); }
    bool is_minimized() const override { return minimized; }
    void restore() override { minimized = false; calls.push_back("restore"); }
    void set_timer(int id, unsigned ms) override { calls.push_back("set_timer " + std::to_string(id) + " " + std::to_string(ms)); }
    void kill_timer(int id) override { calls.push_back("kill_timer " + std::to_string(id)); }
    void raise_instance(int n) override { calls.push_back("raise " + std::to_string(n)); }
    int choose_file(int mode, std::string* path) override {
        calls.push_back("choose " + std::to_string(mode) + " " + *path);
        if (choices.empty()) return CHOSEN_CANCELLED;
        auto [result, chosen] = choices.front();
        choices.erase(choices.begin());
        *path = chosen;
        return result;
    }

    int ask_startup_choice(int preset, bool* dont_ask_again) override {
        calls.push_back("startup_choice " + std::to_string(preset));
        *dont_ask_again = startup_dont_ask;
        return startup_answer < 0 ? preset : startup_answer;
    }

    std::string title;
    int startup_answer = -1;          // -1 = keep the preset
    bool startup_dont_ask = false;
    bool destroyed = false, maximized = false, minimized = false;
    std::vector<std::string> calls;
    std::vector<std::pair<int, std::string>> choices;   // scripted choose_file answers
};

}  // namespace rix
