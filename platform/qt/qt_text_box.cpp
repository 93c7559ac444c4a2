// QtTextBox: the shared text box on Qt Widgets (see qt_text_box.h).
//
// The vertical editor keeps everything in its TextBoxModel; Qt only brings
// the events and shows the picture draw_text_box made. The horizontal
// editor is Qt's plain text editor, held to the byte limit after each change
// (what went over is taken back from just before the caret, in the same
// undo step).
#include "platform/qt/qt_text_box.h"

#include <QAbstractScrollArea>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>

#include "platform/codec.h"
#include "platform/qt/image_surface.h"
#include "platform/qt/qt_clipboard.h"
#include "platform/qt/qt_fonts.h"
#include "platform/text_box_draw.h"
#include "platform/text_box_model.h"

namespace rix {

namespace {

constexpr int MARGIN = 4;            // pixels between the frame and the text area
constexpr int TWIPS_PER_INCH = 1440;

// Code page 932 -> QString; "\r\n" becomes "\n".
QString qs(std::string_view cp932) {
    QString s = QString::fromStdString(sjis_to_utf8(cp932));
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return s;
}

// A plain text editor's text -> code page 932 with CR LF.
std::string to_sjis(QString s) {
    s.replace(QChar::ParagraphSeparator, u'\n');
    s.replace(QChar::LineSeparator, u'\n');
    s.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return utf8_to_sjis(s.toStdString());
}

// Clipboard text (UTF-8, any line ends) <-> code page 932 with CR LF.
std::string from_clipboard(const std::string& utf8) { return clean_box_text(utf8_to_sjis(utf8)); }
std::string to_clipboard(std::string_view cp932) { return qs(cp932).toStdString(); }

// Bytes a character of a plain text editor takes in code page 932.
std::size_t cp932_bytes(char32_t c) {
    if (c == '\n' || c == QChar::ParagraphSeparator || c == QChar::LineSeparator) return 2;
    return encode_char(c).size();
}

// The character of `s` that ends at index `end` (one or two UTF-16 units).
char32_t char_before(const QString& s, int end, int* units) {
    if (end >= 2 && s[end - 1].isLowSurrogate() && s[end - 2].isHighSurrogate()) {
        *units = 2;
        return QChar::surrogateToUcs4(s[end - 2], s[end - 1]);
    }
    *units = 1;
    return s[end - 1].unicode();
}

// The editor position of a byte offset into the code page 932 text.
int position_of(const QString& s, std::size_t bytes) {
    std::size_t seen = 0;
    int i = 0;
    while (i < s.size() && seen < bytes) {
        const int units = s[i].isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate() ? 2 : 1;
        seen += cp932_bytes(units == 2 ? QChar::surrogateToUcs4(s[i], s[i + 1]) : s[i].unicode());
        i += units;
    }
    return i;
}

int twips_to_pixels(int twips, int dpi) { return (twips * dpi + TWIPS_PER_INCH / 2) / TWIPS_PER_INCH; }

FontRequest request_of(const TextBoxFormat& f, bool vertical) {
    FontRequest r;
    r.face = is_vertical_face(f.face) ? f.face.substr(1) : f.face;
    r.vertical = vertical;
    r.pixel_height = std::max(f.pixel_height, 1);
    r.weight = std::clamp(f.weight, 1, 1000);
    r.italic = f.italic;
    return r;
}

TextBoxStyle style_of(const TextBoxFormat& f, bool vertical, int dpi) {
    TextBoxStyle s;
    s.font = request_of(f, vertical);
    s.text_colour = f.text_colour;
    s.background = f.background;
    s.raise = twips_to_pixels(f.baseline_offset, dpi);
    return s;
}

// Cells of the font's height; a gap of half a cell between columns.
TextBoxGeometry geometry_in(const SurfaceRect& area, const TextBoxFormat& f, bool vertical) {
    TextBoxGeometry g;
    g.area = area;
    g.cell = std::max(f.pixel_height, 4);
    g.gap = std::max(2, g.cell / 2);
    g.vertical = vertical;
    return g;
}

QColor colour_of(std::uint32_t colorref) { return qt_colour(colorref); }

// ---- the horizontal editor --------------------------------------------------------------

class HorizontalEdit final : public QPlainTextEdit {
public:
    HorizontalEdit(QtTextBox& owner, QWidget* parent) : QPlainTextEdit(parent), owner_(owner) {}

protected:
    void focusInEvent(QFocusEvent* e) override {
        QPlainTextEdit::focusInEvent(e);
        if (e->reason() != Qt::PopupFocusReason) owner_.focus_event(true);
    }
    void focusOutEvent(QFocusEvent* e) override {
        QPlainTextEdit::focusOutEvent(e);
        if (e->reason() != Qt::PopupFocusReason) owner_.focus_event(false);
    }
    void contextMenuEvent(QContextMenuEvent* e) override {
        if (!owner_.context_menu(e->globalPos())) QPlainTextEdit::contextMenuEvent(e);
    }

private:
    QtTextBox& owner_;
};

// Takes back what went over `limit` bytes: first from just before the
// caret (what was just typed or pasted), then from the end; whole
// characters only, so a line break (CR LF) is never split. Joined to the
// edit that went over, so one undo takes both back.
void hold_to_limit(QPlainTextEdit& edit, std::size_t limit) {
    if (limit == 0) return;
    const QString all = edit.toPlainText();
    std::size_t total = 0;
    for (char32_t c : all.toStdU32String()) total += cp932_bytes(c);
    if (total <= limit) return;
    std::size_t over = total - limit;
    const int caret = edit.textCursor().position();
    int from = caret;
    while (over > 0 && from > 0) {
        int units = 1;
        const std::size_t b = cp932_bytes(char_before(all, from, &units));
        from -= units;
        over -= std::min(over, b);
    }
    int end = all.size(), tail = end;
    while (over > 0 && tail > caret) {
        int units = 1;
        const std::size_t b = cp932_bytes(char_before(all, tail, &units));
        tail -= units;
        over -= std::min(over, b);
    }
    QTextCursor cur(edit.document());
    cur.joinPreviousEditBlock();
    if (tail < end) {
        cur.setPosition(tail);
        cur.setPosition(end, QTextCursor::KeepAnchor);
        cur.removeSelectedText();
    }
    if (from < caret) {
        cur.setPosition(from);
        cur.setPosition(caret, QTextCursor::KeepAnchor);
        cur.removeSelectedText();
    }
    cur.endEditBlock();
    QTextCursor shown = edit.textCursor();
    shown.setPosition(from);
    edit.setTextCursor(shown);
}

}  // namespace

// ---- the vertical editor ----------------------------------------------------------------

class VerticalTextArea final : public QAbstractScrollArea {
public:
    VerticalTextArea(QtTextBox& owner, QWidget* parent) : QAbstractScrollArea(parent), owner_(owner) {
        setFocusPolicy(Qt::StrongFocus);
        setAttribute(Qt::WA_InputMethodEnabled, true);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        // Column 0 is at the right: the bar's start too.
        horizontalScrollBar()->setInvertedAppearance(true);
        horizontalScrollBar()->setInvertedControls(false);
        viewport()->setCursor(Qt::IBeamCursor);
    }

    TextBoxModel& model() { return model_; }
    const TextBoxModel& model() const { return model_; }

    void set_format(const TextBoxFormat& format) {
        format_ = format;
        font_set_ = false;
        relayout();
    }
    void set_read_only(bool read_only) {
        read_only_ = read_only;
        setAttribute(Qt::WA_InputMethodEnabled, !read_only);
    }

    // After every change of the model: the caret in view, the bar, the picture.
    void shown_changed(bool text_changed) {
        model_.scroll_to_caret(layout_geometry().visible_columns());
        sync_bar();
        viewport()->update();
        updateMicroFocus();
        if (text_changed) owner_.user_changed();
    }

    bool copy() {
        if (!model_.has_selection()) return false;
        return owner_.clipboard().set_text(to_clipboard(model_.selected_text()));
    }
    bool cut() {
        if (read_only_ || !copy()) return false;
        const bool changed = model_.delete_selection();
        shown_changed(changed);
        return changed;
    }
    bool paste() {
        std::string utf8;
        if (read_only_ || !owner_.clipboard().get_text(&utf8)) return false;
        const bool changed = model_.insert(from_clipboard(utf8), TextInput::PASTED);
        shown_changed(changed);
        return changed;
    }
    bool edit(bool (TextBoxModel::*op)()) {
        if (read_only_) return false;
        const bool changed = (model_.*op)();
        shown_changed(changed);
        return changed;
    }
    void relayout() {
        model_.set_cells_per_line(layout_geometry().cells_per_line());
        shown_changed(false);
    }

    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override {
        switch (query) {
        case Qt::ImEnabled: return !read_only_;
        case Qt::ImCursorRectangle: {
            // The caret's cell, so that the candidate window stands beside it.
            const TextBoxGeometry g = layout_geometry();
            TextBoxCell c = model_.caret_cell();
            c.row = std::min(c.row, g.cells_per_line() - 1);
            const SurfaceRect r = g.cell_rect(c, model_.first_column());
            return QRect(r.x, r.y, r.w, r.h).translated(viewport()->pos());
        }
        case Qt::ImFont: return qt_font_for(request_of(format_, false));
        case Qt::ImCursorPosition:
        case Qt::ImAnchorPosition: {
            const std::size_t at = query == Qt::ImCursorPosition ? model_.caret() : model_.anchor();
            return static_cast<int>(qs(model_.text().substr(0, at)).size());
        }
        case Qt::ImSurroundingText: return qs(model_.text());
        case Qt::ImCurrentSelection: return qs(model_.selected_text());
        default: return QAbstractScrollArea::inputMethodQuery(query);
        }
    }

protected:
    void paintEvent(QPaintEvent*) override {
        const QSize size = viewport()->size();
        if (surface_.width() != size.width() || surface_.height() != size.height())
            surface_.resize(std::max(size.width(), 1), std::max(size.height(), 1), format_.background);
        TextBoxPaint paint;
        paint.caret = hasFocus();
        paint.preedit = preedit_;
        paint.fill = {0, 0, size.width(), size.height()};
        paint.set_font = !font_set_;
        const TextBoxStyle style = style_of(format_, true, logicalDpiY());
        draw_text_box(surface_, model_, layout_geometry(), style, paint);
        font_set_ = true;
        QPainter p(viewport());
        p.drawImage(0, 0, surface_.image());
    }
    void resizeEvent(QResizeEvent* e) override {
        QAbstractScrollArea::resizeEvent(e);
        relayout();
    }
    void scrollContentsBy(int, int) override {
        model_.scroll_to(horizontalScrollBar()->value(), layout_geometry().visible_columns());
        viewport()->update();
        updateMicroFocus();
    }
    void keyPressEvent(QKeyEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override {
        preedit_ = read_only_ ? std::string() : utf8_to_sjis(e->preeditString().toStdString());
        bool changed = false;
        if (!read_only_ && !e->commitString().isEmpty())
            changed = model_.insert(utf8_to_sjis(e->commitString().toStdString()), TextInput::COMMITTED);
        e->accept();
        shown_changed(changed);
    }
    void mousePressEvent(QMouseEvent* e) override {
        if (e->button() != Qt::LeftButton) return QAbstractScrollArea::mousePressEvent(e);
        setFocus(Qt::MouseFocusReason);
        place(e->position().toPoint(), e->modifiers() & Qt::ShiftModifier);
        dragging_ = true;
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        if (dragging_ && (e->buttons() & Qt::LeftButton)) place(e->position().toPoint(), true);
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton) dragging_ = false;
        QAbstractScrollArea::mouseReleaseEvent(e);
    }
    void wheelEvent(QWheelEvent* e) override {
        wheel_sum_ += e->angleDelta().y();
        const int steps = wheel_sum_ / 120;
        wheel_sum_ -= steps * 120;
        // Turning the wheel towards the user reads on: the next columns.
        if (steps) horizontalScrollBar()->setValue(horizontalScrollBar()->value() - steps);
        e->accept();
    }
    void focusInEvent(QFocusEvent* e) override {
        QAbstractScrollArea::focusInEvent(e);
        viewport()->update();
        if (e->reason() != Qt::PopupFocusReason) owner_.focus_event(true);
    }
    void contextMenuEvent(QContextMenuEvent* e) override {
        owner_.context_menu(e->globalPos());
        e->accept();
    }
    void focusOutEvent(QFocusEvent* e) override {
        QAbstractScrollArea::focusOutEvent(e);
        dragging_ = false;
        viewport()->update();
        if (e->reason() != Qt::PopupFocusReason) owner_.focus_event(false);
    }

private:
    TextBoxGeometry layout_geometry() const {
        const QSize size = viewport()->size();
        const SurfaceRect area{MARGIN, MARGIN, size.width() - 2 * MARGIN, size.height() - 2 * MARGIN};
        return geometry_in(area, format_, true);
    }
    void sync_bar() {
        QScrollBar* bar = horizontalScrollBar();
        const int visible = layout_geometry().visible_columns();
        const QSignalBlocker block(bar);
        bar->setRange(0, std::max(0, model_.column_count() - visible));
        bar->setPageStep(visible);
        bar->setSingleStep(1);
        bar->setValue(model_.first_column());
    }
    void place(QPoint p, bool extend) {
        model_.place_at(layout_geometry().cell_at(p.x(), p.y(), model_.first_column()), extend);
        shown_changed(false);
    }
    bool command_key(QKeyEvent* e);
    bool move_key(int key, Qt::KeyboardModifiers mods);

    QtTextBox& owner_;
    TextBoxModel model_;
    TextBoxFormat format_;
    bool read_only_ = false;
    std::string preedit_;      // code page 932: the composition being typed
    bool dragging_ = false;
    int wheel_sum_ = 0;
    ImageSurface surface_{1, 1};
    bool font_set_ = false;    // surface_ holds the format's font
};

bool VerticalTextArea::move_key(int key, Qt::KeyboardModifiers mods) {
    const bool ctrl = mods & Qt::ControlModifier;
    TextMove move;
    switch (key) {
    case Qt::Key_Down: move = TextMove::NEXT_CHAR; break;
    case Qt::Key_Up: move = TextMove::PREV_CHAR; break;
    case Qt::Key_Left: move = TextMove::NEXT_COLUMN; break;
    case Qt::Key_Right: move = TextMove::PREV_COLUMN; break;
    case Qt::Key_Home: move = ctrl ? TextMove::TEXT_START : TextMove::COLUMN_START; break;
    case Qt::Key_End: move = ctrl ? TextMove::TEXT_END : TextMove::COLUMN_END; break;
    default: return false;
    }
    model_.move(move, mods & Qt::ShiftModifier);
    shown_changed(false);
    return true;
}

bool VerticalTextArea::command_key(QKeyEvent* e) {
    if (e->matches(QKeySequence::SelectAll)) {
        model_.select_all();
        shown_changed(false);
    } else if (e->matches(QKeySequence::Copy) ||
               (e->key() == Qt::Key_Insert && e->modifiers() == Qt::ControlModifier)) {
        copy();
    } else if (e->matches(QKeySequence::Cut) || (e->key() == Qt::Key_Delete && e->modifiers() == Qt::ShiftModifier)) {
        cut();
    } else if (e->matches(QKeySequence::Paste) || (e->key() == Qt::Key_Insert && e->modifiers() == Qt::ShiftModifier)) {
        paste();
    } else if (e->matches(QKeySequence::Undo)) {
        edit(&TextBoxModel::undo);
    } else if (e->matches(QKeySequence::Redo) ||
               (e->key() == Qt::Key_Y && e->modifiers() == Qt::ControlModifier)) {
        edit(&TextBoxModel::redo);
    } else {
        return false;
    }
    return true;
}

void VerticalTextArea::keyPressEvent(QKeyEvent* e) {
    if (command_key(e) || move_key(e->key(), e->modifiers())) return e->accept();
    const int key = e->key();
    if (key == Qt::Key_Backspace || key == Qt::Key_Delete) {
        e->accept();
        edit(key == Qt::Key_Backspace ? &TextBoxModel::backspace : &TextBoxModel::delete_forward);
        return;
    }
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && !read_only_) {
        e->accept();
        shown_changed(model_.insert("\r\n", TextInput::TYPED));
        return;
    }
    const QString text = e->text();
    const bool plain = !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (plain && !read_only_ && !text.isEmpty() && text[0].isPrint()) {
        e->accept();
        shown_changed(model_.insert(utf8_to_sjis(text.toStdString()), TextInput::TYPED));
        return;
    }
    e->ignore();   // Escape, Tab, Enter in a read-only box: the dialog's
}

// ---- QtTextBox ------------------------------------------------------------------------

QtTextBox::QtTextBox(QWidget* parent, Clipboard* clipboard) : QWidget(parent), clipboard_(clipboard) {
    if (!clipboard_) {
        own_clipboard_ = std::make_unique<QtClipboard>();
        clipboard_ = own_clipboard_.get();
    }
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    make_editor(false);
}

QtTextBox::~QtTextBox() = default;

QWidget* QtTextBox::input_widget() const {
    return horizontal_ ? static_cast<QWidget*>(horizontal_) : static_cast<QWidget*>(vertical_);
}

void QtTextBox::make_editor(bool vertical) {
    const std::string kept = horizontal_ || vertical_ ? text() : std::string();
    delete horizontal_;
    delete vertical_;
    horizontal_ = nullptr;
    vertical_ = nullptr;
    if (vertical) {
        vertical_ = new VerticalTextArea(*this, this);
        vertical_->set_read_only(read_only_);
        vertical_->model().set_byte_limit(limit_);
    } else {
        horizontal_ = new HorizontalEdit(*this, this);
        horizontal_->setReadOnly(read_only_);
        QObject::connect(horizontal_, &QPlainTextEdit::textChanged, this, [this] { horizontal_text_changed(); });
    }
    layout()->addWidget(input_widget());
    setFocusProxy(input_widget());
    apply_format();
    set_text(kept);
}

void QtTextBox::set_format(const TextBoxFormat& format) {
    const bool turn = format.vertical != (vertical_ != nullptr);
    format_ = format;
    if (turn) make_editor(format.vertical);
    else apply_format();
}

void QtTextBox::apply_format() {
    if (vertical_) return vertical_->set_format(format_);
    const QScopedValueRollback<bool> guard(setting_, true);
    horizontal_->setFont(qt_font_for(request_of(format_, false)));
    QPalette pal = horizontal_->palette();
    pal.setColor(QPalette::Base, colour_of(format_.background));
    pal.setColor(QPalette::Text, colour_of(format_.text_colour));
    horizontal_->setPalette(pal);
    // The raise as a baseline offset, in percent of the font's height.
    QTextCharFormat raise;
    const int px = twips_to_pixels(format_.baseline_offset, logicalDpiY());
    raise.setBaselineOffset(100.0 * px / std::max(format_.pixel_height, 1));
    QTextDocument* doc = horizontal_->document();
    doc->setUndoRedoEnabled(false);   // a format is not an edit
    QTextCursor all(doc);
    all.select(QTextCursor::Document);
    all.mergeCharFormat(raise);
    doc->setUndoRedoEnabled(true);
    horizontal_->mergeCurrentCharFormat(raise);
}

void QtTextBox::set_text(std::string_view cp932) {
    {
        const QScopedValueRollback<bool> guard(setting_, true);
        if (vertical_) {
            vertical_->model().set_text(cp932);
            vertical_->shown_changed(false);
        } else {
            std::string clean = clean_box_text(cp932);
            if (limit_ > 0) clean.resize(fit_box_text(clean, limit_));
            horizontal_->setPlainText(qs(clean));
        }
    }
    if (horizontal_ && format_.baseline_offset != 0) apply_format();
    last_text_ = text();
}

std::string QtTextBox::text() const {
    if (vertical_) return vertical_->model().text();
    return clean_box_text(to_sjis(horizontal_->toPlainText()));
}

void QtTextBox::set_byte_limit(std::size_t bytes) {
    limit_ = bytes;
    if (vertical_) {
        vertical_->model().set_byte_limit(bytes);
        vertical_->shown_changed(false);
    } else if (limit_ > 0 && text().size() > limit_) {
        set_text(text());
    }
    last_text_ = text();
}

void QtTextBox::set_read_only(bool read_only) {
    read_only_ = read_only;
    if (vertical_) vertical_->set_read_only(read_only);
    else horizontal_->setReadOnly(read_only);
}

void QtTextBox::horizontal_text_changed() {
    if (setting_) return;
    {
        const QScopedValueRollback<bool> guard(setting_, true);
        hold_to_limit(*horizontal_, limit_);
    }
    user_changed();
}

void QtTextBox::user_changed() {
    if (setting_) return;
    std::string now = text();
    if (now == last_text_) return;
    last_text_ = std::move(now);
    if (events_.changed) events_.changed();
}

void QtTextBox::set_events(TextBoxEvents events) { events_ = std::move(events); }

// The handlers are called from copies: a handler may replace the events
// (its owner closing the box) while it runs.
bool QtTextBox::context_menu(QPoint global) {
    const auto handler = events_.context_menu;
    if (!handler) return false;
    handler(global.x(), global.y());
    return true;
}

void QtTextBox::focus_event(bool in) {
    const auto handler = in ? events_.focus_in : events_.focus_out;
    if (handler) handler();
}

// ---- commands ----------------------------------------------------------------------

void QtTextBox::select_all() {
    if (vertical_) {
        vertical_->model().select_all();
        vertical_->shown_changed(false);
    } else {
        horizontal_->selectAll();
    }
}

bool QtTextBox::copy() {
    if (vertical_) return vertical_->copy();
    if (!horizontal_->textCursor().hasSelection()) return false;
    return clipboard_->set_text(to_clipboard(to_sjis(horizontal_->textCursor().selectedText())));
}

bool QtTextBox::cut() {
    if (vertical_) return vertical_->cut();
    if (read_only_ || !copy()) return false;
    horizontal_->textCursor().removeSelectedText();
    return true;
}

bool QtTextBox::paste() {
    if (vertical_) return vertical_->paste();
    std::string utf8;
    if (read_only_ || !clipboard_->get_text(&utf8)) return false;
    const std::string cp932 = from_clipboard(utf8);
    if (cp932.empty()) return false;
    const std::string before = text();
    // Its own edit block: the editor would merge it into the typing before.
    QTextCursor cur = horizontal_->textCursor();
    cur.beginEditBlock();
    cur.insertText(qs(cp932));
    cur.endEditBlock();
    horizontal_->setTextCursor(cur);
    return text() != before;
}

bool QtTextBox::undo() {
    if (vertical_) return vertical_->edit(&TextBoxModel::undo);
    if (read_only_ || !can_undo()) return false;
    horizontal_->undo();
    return true;
}

bool QtTextBox::redo() {
    if (vertical_) return vertical_->edit(&TextBoxModel::redo);
    if (read_only_ || !can_redo()) return false;
    horizontal_->redo();
    return true;
}

bool QtTextBox::can_undo() const {
    if (read_only_) return false;
    return vertical_ ? vertical_->model().can_undo() : horizontal_->document()->isUndoAvailable();
}

bool QtTextBox::can_redo() const {
    if (read_only_) return false;
    return vertical_ ? vertical_->model().can_redo() : horizontal_->document()->isRedoAvailable();
}

bool QtTextBox::has_selection() const {
    return vertical_ ? vertical_->model().has_selection() : horizontal_->textCursor().hasSelection();
}

std::size_t QtTextBox::caret_offset() const {
    if (vertical_) return vertical_->model().caret();
    const QString all = horizontal_->toPlainText();
    return to_sjis(all.left(horizontal_->textCursor().position())).size();
}

void QtTextBox::select(std::size_t anchor, std::size_t caret) {
    if (vertical_) {
        vertical_->model().select(anchor, caret);
        vertical_->shown_changed(false);
        return;
    }
    const QString all = horizontal_->toPlainText();
    QTextCursor cur = horizontal_->textCursor();
    cur.setPosition(position_of(all, anchor));
    cur.setPosition(position_of(all, caret), QTextCursor::KeepAnchor);
    horizontal_->setTextCursor(cur);
}

void QtTextBox::take_focus() { input_widget()->setFocus(Qt::OtherFocusReason); }

void QtTextBox::paint(Surface& surface, const SurfaceRect& rect) {
    const bool vertical = vertical_ != nullptr;
    const SurfaceRect area{rect.x + MARGIN, rect.y + MARGIN, rect.w - 2 * MARGIN, rect.h - 2 * MARGIN};
    const TextBoxGeometry geo = geometry_in(area, format_, vertical);
    TextBoxModel laid;
    laid.set_text(text());
    laid.set_cells_per_line(geo.cells_per_line());
    TextBoxPaint paint;
    paint.selection = false;
    paint.fill = rect;
    draw_text_box(surface, laid, geo, style_of(format_, vertical, logicalDpiY()), paint);
}

}  // namespace rix
