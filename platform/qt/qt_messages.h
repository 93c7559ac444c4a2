// QtMessages: the message box and the help viewer on Qt Widgets.
//
// The message box is a modal dialog laid out from its text: centred lines in
// the program's gothic face, one row of buttons under them, placed centred
// over the owner window. The help viewer is one top-level window with a text
// browser over the HTML pages of the help folder (HLP_<topic>.htm); it is
// created on first use and kept, hidden, when the user closes it. Its
// rectangle is read from and written back to the settings through the
// pointer given at construction, which must outlive this object.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/messages.h"

class QWidget;
class QTextBrowser;

namespace rix {

// Pixel layout of a message box; all values in client coordinates.
struct MessageBoxLayout {
    int width = 0;           // client width
    int height = 0;          // client height
    int line_top = 0;        // top of the first body line
    int line_step = 0;       // distance from one line to the next
    int button_top = 0;
    int button_count = 0;    // 1, 2 or 3
    int button_left[3] = {}; // left edges, in button order
};

// Lays out a box of `kind` (MSG_CAPTION removed) with `body_lines` lines, the
// longest `longest_bytes` bytes of code page 932 text, unit width `unit_w`
// (advance of the digit 0) and buttons of button_w × button_h.
MessageBoxLayout layout_message_box(int kind, int unit_w, int body_lines, int longest_bytes,
                                    int button_w, int button_h);

// The font of the message box and its unit width (advance of "0").
int message_unit_width();

class QtMessages final : public MessageService {
public:
    // help_folder: native path of the folder with the HLP_*.htm pages.
    // help_rect: the settings' help window rectangle (left, top, right,
    // bottom), or nullptr; rect_changed: marks the settings changed.
    QtMessages(std::string help_folder, std::int16_t* help_rect,
               std::function<void()> rect_changed);
    ~QtMessages() override;  // uninstalls itself when installed
    QtMessages(const QtMessages&) = delete;
    QtMessages& operator=(const QtMessages&) = delete;

    int show_message(int kind, WindowRef owner, std::string_view text, unsigned time_ms) override;
    void show_help(std::string_view topic) override;
    void set_beep(bool on) override { beep_ = on; }

    // Called when the main window has moved: stores the help viewer's
    // rectangle in the settings while the viewer is on screen.
    void owner_moved();

    // The help viewer window and its browser; nullptr before the first show_help.
    QWidget* help_window() const { return help_window_; }
    QTextBrowser* help_browser() const { return help_browser_; }

private:
    void create_help_window();
    void place_help_window();
    void load_help_topic(const std::string& topic);

    std::string help_folder_;
    std::int16_t* help_rect_;             // 4 values, or nullptr
    std::function<void()> rect_changed_;
    std::string last_topic_;              // code page 932, empty = none yet
    QWidget* help_window_ = nullptr;      // owned
    QTextBrowser* help_browser_ = nullptr;  // child of help_window_
    bool beep_ = true;
};

}  // namespace rix
