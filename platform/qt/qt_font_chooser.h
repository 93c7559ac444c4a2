// QtFontChooser: the font dialog of the format fonts on Qt Widgets.
//
// Lists every face the font service offers for a format font (each Japanese
// family twice: plain for horizontal writing, "@" for vertical writing), the
// four styles and the point sizes the request allows, with a preview. On
// 設 定 the choice is written back as a font description: height negative (a
// character height in pixels at the screen's vertical dpi), width 0, weight
// 400 or 700, italic; the other fields stay as they came in. Owns only the
// dialog while it is open; modal to the active dialog or window.
#pragma once

#include <QString>

#include "platform/fonts.h"

class QDialog;

namespace rix {

class QtFontChooser final : public FontChooser {
public:
    explicit QtFontChooser(FontService& fonts) : fonts_(fonts) {}
    bool choose_font(FontChoice* choice) override;

    // Object names of the dialog's parts (for tests and styling).
    static const char* const FACE_LIST;    // QListWidget of faces
    static const char* const STYLE_LIST;   // QListWidget: 標準, 斜体, 太字, 太字斜体
    static const char* const SIZE_LIST;    // QListWidget of point sizes
    static const char* const PREVIEW;      // QLabel
    static const char* const OK_BUTTON;    // 設 定
    static const char* const CANCEL_BUTTON;  // 取 消
    static const char* const HELP_BUTTON;  // ヘルプ

private:
    FontService& fonts_;
};

// The vertical dots per inch of the primary screen (96 without one).
int screen_dpi();

}  // namespace rix
