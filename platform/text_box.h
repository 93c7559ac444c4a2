// TextBox: the one text box of the program for plain text in one format
// for the whole box, horizontal or vertical. Tags, the notebook's article
// box, the database record content box, the file viewer and the dialogs'
// text boxes use it through this interface; the widget behind it lives in
// platform/qt/qt_text_box.h (horizontal: Qt's plain text editor; vertical:
// our own columns of cells on TextBoxModel, drawn by text_box_draw.h).
//
// Rules:
// - Text is code page 932 with CR LF line breaks, in and out.
// - Only the user's changes notify (`changed`); set_text never does.
// - Focus notifications ignore the focus a popup menu takes and gives back,
//   so a context menu of the box is not a focus loss.
// - The byte limit cuts on character boundaries and never splits CR LF.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/surface.h"

namespace rix {

struct TextBoxFormat {
    std::string face;                   // code page 932; a leading "@" is allowed and ignored
    int pixel_height = 16;              // character height in pixels
    int weight = 400;                   // 1..1000; bold above 500
    bool italic = false;
    std::uint32_t text_colour = 0x000000;   // COLORREF 0x00BBGGRR
    std::uint32_t background = 0xFFFFFF;
    int baseline_offset = 0;            // twips (1/1440 inch) the text stands raised
    bool vertical = false;              // columns from right to left
};

struct TextBoxEvents {
    std::function<void()> changed;      // the user changed the text
    std::function<void()> focus_in;
    std::function<void()> focus_out;
    // The right button or the menu key, at a point of the screen (global
    // pixels). Unset: a horizontal box shows Qt's own menu, a vertical none.
    std::function<void(int x, int y)> context_menu;
};

class TextBox {
public:
    virtual ~TextBox() = default;

    virtual void set_text(std::string_view cp932) = 0;   // cut to the limit; caret at the start
    virtual std::string text() const = 0;
    // Changing the orientation keeps the text, the limit and read-only.
    virtual void set_format(const TextBoxFormat& format) = 0;
    virtual const TextBoxFormat& format() const = 0;
    virtual void set_byte_limit(std::size_t bytes) = 0;   // 0 = none; a longer text is cut
    virtual void set_read_only(bool read_only) = 0;
    virtual bool read_only() const = 0;
    virtual void set_events(TextBoxEvents events) = 0;

    // Commands, for a context menu and its enabling. Each returns whether it did something.
    virtual void select_all() = 0;
    virtual bool cut() = 0;
    virtual bool copy() = 0;
    virtual bool paste() = 0;
    virtual bool undo() = 0;
    virtual bool redo() = 0;
    virtual bool can_undo() const = 0;
    virtual bool can_redo() const = 0;
    virtual bool has_selection() const = 0;

    // Byte offsets into text(), on character boundaries.
    virtual std::size_t caret_offset() const = 0;
    virtual void select(std::size_t anchor, std::size_t caret) = 0;
    virtual void take_focus() = 0;

    // Draws the box's text (without caret and selection) into `rect` of
    // `surface` in cells of the font's height, as the vertical box lays it
    // out (a horizontal box too, one cell a character): for printing.
    virtual void paint(Surface& surface, const SurfaceRect& rect) = 0;
};

}  // namespace rix
