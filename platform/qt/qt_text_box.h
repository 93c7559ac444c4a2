// QtTextBox: the TextBox of platform/text_box.h on Qt Widgets.
//
// One QWidget that holds the editor of its orientation as its only child
// and is its focus proxy: a QPlainTextEdit for a horizontal box (one format
// for the whole document), or VerticalTextArea, our own scroll area of
// columns of cells over a TextBoxModel, drawn through an ImageSurface with
// the edit window's vertical glyph rules. Switching the orientation makes
// the other editor and carries the text, the limit and read-only over.
//
// Owns its editor (as a Qt child) and, when none is given, a QtClipboard.
// The clipboard given to the constructor must outlive the box.
#pragma once

#include <QWidget>

#include <memory>

#include "platform/clipboard.h"
#include "platform/text_box.h"

class QPlainTextEdit;

namespace rix {

class VerticalTextArea;

class QtTextBox final : public QWidget, public TextBox {
    Q_OBJECT

public:
    // `clipboard` null: the system clipboard.
    explicit QtTextBox(QWidget* parent, Clipboard* clipboard = nullptr);
    ~QtTextBox() override;

    void set_text(std::string_view cp932) override;
    std::string text() const override;
    void set_format(const TextBoxFormat& format) override;
    const TextBoxFormat& format() const override { return format_; }
    void set_byte_limit(std::size_t bytes) override;
    void set_read_only(bool read_only) override;
    bool read_only() const override { return read_only_; }
    void set_events(TextBoxEvents events) override;

    void select_all() override;
    bool cut() override;
    bool copy() override;
    bool paste() override;
    bool undo() override;
    bool redo() override;
    bool can_undo() const override;
    bool can_redo() const override;
    bool has_selection() const override;

    std::size_t caret_offset() const override;
    void select(std::size_t anchor, std::size_t caret) override;
    void take_focus() override;
    void paint(Surface& surface, const SurfaceRect& rect) override;

    // The widget that takes keys, the mouse and input-method events.
    QWidget* input_widget() const;

    // Called by the editors.
    void user_changed();
    void focus_event(bool in);
    // True when the owner shows its own menu (and was asked to).
    bool context_menu(QPoint global);
    Clipboard& clipboard() { return *clipboard_; }

private:
    void make_editor(bool vertical);
    void apply_format();
    void horizontal_text_changed();

    std::unique_ptr<Clipboard> own_clipboard_;
    Clipboard* clipboard_;
    TextBoxFormat format_;
    TextBoxEvents events_;
    std::size_t limit_ = 0;
    bool read_only_ = false;
    bool setting_ = false;                 // the text is being set, not typed
    std::string last_text_;                // what the last notification saw
    QPlainTextEdit* horizontal_ = nullptr; // exactly one of the two editors
    VerticalTextArea* vertical_ = nullptr;
};

}  // namespace rix
