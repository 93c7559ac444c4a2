// QtDialogHost: template dialogs on Qt Widgets (see qt_dialogs.h).
//
// Owns the dialog windows it makes: a modal one lives for one run_dialog, a
// modeless one until it ends (then it deletes itself). Every value shown is
// the model's; a widget signal is turned into the user's action on the
// session, and the widget is then set again from the model, so a refused or
// cut input never lingers on screen.
#include "platform/qt/qt_dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QColorDialog>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QStyle>
#include <QTabWidget>
#include <QTreeWidget>

#include <algorithm>
#include <memory>

#include "platform/codec.h"
#include "platform/dialog_model.h"
#include "platform/format_colour.h"
#include "platform/qt/qt_text_box.h"
#include "platform/qt/spin_box.h"

namespace rix {

namespace {

constexpr int FONT_PIXEL_HEIGHT = 12;
constexpr int VERTICAL_BOX_PIXEL_HEIGHT = 14;   // vertical text needs a little more than the dialog font
const QColor DIALOG_BRUSH(0xF0, 0xF8, 0xD8);

// Code page 932 -> QString; "\r\n" becomes "\n".
QString qs(std::string_view cp932) {
    QString s = QString::fromStdString(sjis_to_utf8(cp932));
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return s;
}

// QString -> code page 932; with `crlf`, "\n" becomes "\r\n".
std::string to_sjis(QString s, bool crlf) {
    if (crlf) s.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return utf8_to_sjis(s.toStdString());
}

QColor to_qcolor(std::uint32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

std::uint32_t to_colorref(const QColor& c) {
    return static_cast<std::uint32_t>(c.red()) | static_cast<std::uint32_t>(c.green()) << 8 |
           static_cast<std::uint32_t>(c.blue()) << 16;
}

// The top-level widget behind an owner reference, or nullptr.
QWidget* find_owner(WindowRef owner) {
    if (owner == 0) return nullptr;
    const QWidgetList widgets = QApplication::allWidgets();
    for (QWidget* w : widgets)
        if (reinterpret_cast<WindowRef>(w) == owner) return w->window();
    return nullptr;
}

bool is_multiline(const ControlDef& def) {
    return def.kind == ControlKind::TEXT_BOX || (def.kind == ControlKind::EDIT && (def.flags & CONTROL_MULTILINE));
}

// A button that shows a colour.
class ColourSwatch final : public QAbstractButton {
public:
    explicit ColourSwatch(QWidget* parent) : QAbstractButton(parent) {}
    void set_colour(std::uint32_t c) {
        colour_ = c;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), to_qcolor(colour_));
        p.setPen(isEnabled() ? Qt::black : Qt::gray);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
        if (hasFocus()) p.drawRect(rect().adjusted(2, 2, -3, -3));
    }

private:
    std::uint32_t colour_ = 0;
};

}  // namespace

QFont dialog_font(bool fixed) {
    QFont font;
    if (fixed)
        font.setFamilies({QStringLiteral("IPAGothic"), QString::fromUtf8("IPAゴシック"), QStringLiteral("IPAexGothic")});
    else
        font.setFamilies({QStringLiteral("IPAexGothic"), QString::fromUtf8("IPAexゴシック"), QStringLiteral("IPAGothic")});
    font.setPixelSize(FONT_PIXEL_HEIGHT);
    font.setFixedPitch(fixed);
    font.setStyleHint(fixed ? QFont::Monospace : QFont::SansSerif);
    return font;
}

// ---- ByteLimitValidator ---------------------------------------------------------

ByteLimitValidator::ByteLimitValidator(int byte_limit, bool digits_only, bool allow_minus, QObject* parent)
    : QValidator(parent), byte_limit_(byte_limit), digits_only_(digits_only), allow_minus_(allow_minus) {}

QValidator::State ByteLimitValidator::validate(QString& input, int& pos) const {
    std::u32string chars = input.toStdU32String();
    std::size_t cursor = QStringView(input).left(std::clamp<qsizetype>(pos, 0, input.size())).toUcs4().size();
    if (digits_only_) {
        std::u32string kept;
        std::size_t kept_cursor = 0;
        for (std::size_t i = 0; i < chars.size(); ++i) {
            char32_t c = chars[i];
            bool good = (c >= '0' && c <= '9') || (c == '-' && allow_minus_ && kept.empty());
            if (good) kept += c;
            if (i < cursor && good) ++kept_cursor;
        }
        chars = kept;
        cursor = kept_cursor;
    }
    if (byte_limit_ > 0) {
        std::vector<int> bytes(chars.size());
        long long total = 0;
        for (std::size_t i = 0; i < chars.size(); ++i) total += bytes[i] = static_cast<int>(encode_char(chars[i]).size());
        // Drop from the end of what was inserted (before the cursor), then from the end.
        while (total > byte_limit_ && cursor > 0) {
            total -= bytes[cursor - 1];
            bytes.erase(bytes.begin() + static_cast<long>(cursor - 1));
            chars.erase(cursor - 1, 1);
            --cursor;
        }
        while (total > byte_limit_ && !chars.empty()) {
            total -= bytes.back();
            bytes.pop_back();
            chars.pop_back();
        }
    }
    QString result = QString::fromStdU32String(chars);
    if (result != input) {
        input = result;
        pos = static_cast<int>(QString::fromStdU32String(chars.substr(0, cursor)).size());
    }
    return Acceptable;
}

// ---- the dialog window ------------------------------------------------------------

class QtDialogWindow final : public QDialog, public DialogView {
public:
    QtDialogWindow(const DialogTemplate& tmpl, DialogProcedure& proc, QWidget* parent, WindowRef owner, bool modal)
        : QDialog(parent), modal_(modal) {
        setAttribute(Qt::WA_DeleteOnClose, false);
        setWindowTitle(qs(tmpl.caption));
        setFont(dialog_font());
        QPalette pal = palette();
        pal.setBrush(QPalette::Window, QBrush(DIALOG_BRUSH));
        setPalette(pal);
        setAutoFillBackground(true);
        QFontMetrics fm(font());
        base_x_ = std::max(1, fm.averageCharWidth());
        base_y_ = std::max(1, fm.height());
        setFixedSize(px_x(tmpl.w), px_y(tmpl.h));
        build(tmpl);
        session_ = std::make_unique<DialogSession>(tmpl, proc, this, owner);
        session_->touch_all();
        session_->flush();
        place(parent);
    }

    ~QtDialogWindow() override {
        // The session must not call back into a half-destroyed window.
        session_.reset();
    }

    DialogSession& session() { return *session_; }
    void set_loop(QEventLoop* loop) { loop_ = loop; }

    // DialogView
    void refresh(int id, const ControlDef& def, const ControlState& st) override;
    void end(int) override {
        hide();
        if (loop_) loop_->quit();
        if (!modal_) deleteLater();
    }
    WindowRef window() const override { return reinterpret_cast<WindowRef>(this); }
    void set_caption(std::string_view cp932) override { setWindowTitle(qs(cp932)); }
    void show_window(bool on) override { setVisible(on); }
    void focus(int id) override {
        if (QWidget* w = widget(id)) w->setFocus(Qt::OtherFocusReason);
    }
    bool window_position(int* x, int* y) const override {
        *x = pos().x();
        *y = pos().y();
        return true;
    }
    void move_window(int x, int y) override { move(x, y); }
    bool window_extent(WindowExtent* e) const override {
        const QRect frame = frameGeometry();
        // Before the window is shown (or where the platform draws no frame)
        // the caption is the style's.
        int caption = frame.height() - height();
        if (!isVisible() || caption <= 0) caption = style()->pixelMetric(QStyle::PM_TitleBarHeight);
        e->width = std::max(frame.width(), width());
        e->height = height() + caption;
        e->caption = caption;
        const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
        const QRect area = s ? s->availableGeometry() : QRect(0, 0, 1024, 768);
        e->screen_x = area.x();
        e->screen_y = area.y();
        e->screen_w = area.width();
        e->screen_h = area.height();
        return true;
    }
    bool choose_colour(std::uint32_t* colour, std::string_view caption) override;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        const int key = event->key();
        if (key == Qt::Key_Escape) return session_->press_escape();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && !(event->modifiers() & ~Qt::KeypadModifier)) {
            auto* focused = qobject_cast<QPushButton*>(focusWidget());
            bool ok = false;
            int id = focused ? focused->objectName().toInt(&ok) : 0;
            return ok ? session_->press(id) : session_->press_enter();
        }
        QDialog::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent* event) override {
        event->ignore();
        if (!session_->ended()) session_->press_escape();
    }
    void accept() override { session_->press_enter(); }
    void reject() override { session_->press_escape(); }

private:
    int px_x(int units) const { return (units * base_x_ + 2) / 4; }
    int px_y(int units) const { return (units * base_y_ + 4) / 8; }
    QWidget* widget(int id) const {
        auto it = widgets_.find(id);
        return it == widgets_.end() ? nullptr : it->second;
    }

    void build(const DialogTemplate& tmpl);
    QWidget* make_widget(const ControlDef& def, QWidget* parent);
    QWidget* make_edit(const ControlDef& def, QWidget* parent);
    QWidget* make_text_box(const ControlDef& def, QWidget* parent);
    QWidget* make_list_view(const ControlDef& def, QWidget* parent);
    void connect_user(const ControlDef& def, QWidget* w);
    void place(QWidget* parent);
    void refresh_items(int id, const ControlDef& def, const ControlState& st, QWidget* w);

    // Runs a user action unless the widget is being set from the model, then
    // shows the model's value again.
    template <class F>
    void user(int id, F&& action) {
        if (syncing_ || !session_ || session_->ended()) return;
        action(*session_);
        if (!session_ || session_->ended()) return;
        const DialogModel& m = session_->model();
        if (const ControlDef* def = m.dialog_template().find(id)) refresh(id, *def, *m.state(id));
    }

    std::unique_ptr<DialogSession> session_;
    std::map<int, QWidget*> widgets_;       // children, owned by Qt
    std::map<int, unsigned> rows_shown_;    // rows_version each item widget shows
    std::vector<QWidget*> pages_;           // pages of the tabs control
    QEventLoop* loop_ = nullptr;
    bool modal_;
    bool syncing_ = false;
    int base_x_ = 6, base_y_ = 12;
};

void QtDialogWindow::build(const DialogTemplate& tmpl) {
    // The tabs control first, so that its pages can take their controls.
    for (const ControlDef& def : tmpl.controls) {
        if (def.kind != ControlKind::TAB_PAGES) continue;
        QWidget* w = make_widget(def, this);
        widgets_[def.id] = w;
        connect_user(def, w);
    }
    for (const ControlDef& def : tmpl.controls) {
        if (def.kind == ControlKind::TAB_PAGES) continue;
        QWidget* parent = def.page >= 0 && static_cast<std::size_t>(def.page) < pages_.size() ? pages_[def.page] : this;
        QWidget* w = make_widget(def, parent);
        if (def.kind == ControlKind::GROUP_BOX) w->lower();
        if (def.id >= 0) {
            widgets_[def.id] = w;
            connect_user(def, w);
        }
    }
}

QWidget* QtDialogWindow::make_edit(const ControlDef& def, QWidget* parent) {
    if (is_multiline(def)) {
        auto* edit = new QPlainTextEdit(parent);
        edit->setReadOnly(def.flags & CONTROL_READ_ONLY);
        return edit;
    }
    auto* edit = new QLineEdit(parent);
    bool number = def.kind == ControlKind::NUMBER;
    edit->setValidator(new ByteLimitValidator(def.byte_limit, number, def.min < 0, edit));
    edit->setReadOnly(def.flags & CONTROL_READ_ONLY);
    if (def.flags & CONTROL_PASSWORD) edit->setEchoMode(QLineEdit::Password);
    if (number) {
        edit->setAttribute(Qt::WA_InputMethodEnabled, false);
        edit->setInputMethodHints(Qt::ImhDigitsOnly);
    }
    return edit;
}

// The shared text box in the dialog's face, black on white.
QWidget* QtDialogWindow::make_text_box(const ControlDef& def, QWidget* parent) {
    auto* box = new QtTextBox(parent);
    const bool vertical = def.flags & CONTROL_VERTICAL;
    TextBoxFormat format;
    format.face = (vertical ? "@" : "") + utf8_to_sjis(def.flags & CONTROL_FIXED_FONT ? "IPAゴシック" : "IPAexゴシック");
    format.pixel_height = vertical ? VERTICAL_BOX_PIXEL_HEIGHT : FONT_PIXEL_HEIGHT;
    format.vertical = vertical;
    box->set_format(format);
    box->set_byte_limit(static_cast<std::size_t>(std::max(def.byte_limit, 0)));
    box->set_read_only(def.flags & CONTROL_READ_ONLY);
    return box;
}

QWidget* QtDialogWindow::make_list_view(const ControlDef& def, QWidget* parent) {
    auto* tree = new QTreeWidget(parent);
    tree->setRootIsDecorated(false);
    tree->setUniformRowHeights(true);
    tree->setSortingEnabled(false);   // the procedure sorts
    if (def.flags & CONTROL_MULTI_SELECT) tree->setSelectionMode(QAbstractItemView::ExtendedSelection);
    tree->setColumnCount(static_cast<int>(std::max<std::size_t>(1, def.columns.size())));
    QStringList headers;
    for (const std::string& h : def.columns) headers << qs(h);
    tree->setHeaderLabels(headers);
    tree->header()->setSectionsClickable(true);
    tree->header()->setStretchLastSection(true);
    for (std::size_t c = 0; c < def.column_widths.size(); ++c)
        tree->setColumnWidth(static_cast<int>(c), px_x(def.column_widths[c]));
    return tree;
}

QWidget* QtDialogWindow::make_widget(const ControlDef& def, QWidget* parent) {
    QWidget* w = nullptr;
    const QString text = qs(def.text);
    switch (def.kind) {
    case ControlKind::STATIC: {
        auto* label = new QLabel(text, parent);
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        w = label;
        break;
    }
    case ControlKind::EDIT:
    case ControlKind::NUMBER: w = make_edit(def, parent); break;
    case ControlKind::CHECK: w = new QCheckBox(text, parent); break;
    case ControlKind::RADIO: {
        auto* radio = new QRadioButton(text, parent);
        radio->setAutoExclusive(false);   // the model keeps the group
        w = radio;
        break;
    }
    case ControlKind::BUTTON: {
        auto* button = new QPushButton(text, parent);
        button->setAutoDefault(false);
        button->setDefault(false);
        w = button;
        break;
    }
    case ControlKind::LIST: w = new QListWidget(parent); break;
    case ControlKind::COMBO: w = new QComboBox(parent); break;
    case ControlKind::LIST_VIEW: w = make_list_view(def, parent); break;
    case ControlKind::TAB_PAGES: {
        auto* tabs = new QTabWidget(parent);
        for (const std::string& caption : def.columns) {
            auto* page = new QWidget(tabs);
            pages_.push_back(page);
            tabs->addTab(page, qs(caption));
        }
        w = tabs;
        break;
    }
    case ControlKind::COLOUR: w = new ColourSwatch(parent); break;
    case ControlKind::TEXT_BOX: w = make_text_box(def, parent); break;
    case ControlKind::GROUP_BOX: w = new QGroupBox(text, parent); break;
    case ControlKind::SPIN: w = new SpinBox(parent); break;
    }
    if (def.flags & CONTROL_FIXED_FONT) w->setFont(dialog_font(true));
    if (def.id >= 0) w->setObjectName(QString::number(def.id));
    w->setGeometry(px_x(def.x), px_y(def.y), px_x(def.w), px_y(def.h));
    return w;
}

void QtDialogWindow::connect_user(const ControlDef& def, QWidget* w) {
    const int id = def.id;
    switch (def.kind) {
    case ControlKind::TEXT_BOX:
        if (auto* box = qobject_cast<QtTextBox*>(w)) {
            TextBoxEvents events;
            events.changed = [this, id, box] { user(id, [&](DialogSession& s) { s.type_text(id, box->text()); }); };
            box->set_events(std::move(events));
        }
        break;
    case ControlKind::EDIT:
    case ControlKind::NUMBER:
        if (auto* line = qobject_cast<QLineEdit*>(w)) {
            connect(line, &QLineEdit::textEdited, this,
                    [this, id](const QString& t) { user(id, [&](DialogSession& s) { s.type_text(id, to_sjis(t, false)); }); });
        } else if (auto* box = qobject_cast<QPlainTextEdit*>(w)) {
            connect(box, &QPlainTextEdit::textChanged, this, [this, id, box] {
                user(id, [&](DialogSession& s) { s.type_text(id, to_sjis(box->toPlainText(), true)); });
            });
        }
        break;
    case ControlKind::CHECK:
    case ControlKind::RADIO:
    case ControlKind::BUTTON:
    case ControlKind::COLOUR:
        connect(static_cast<QAbstractButton*>(w), &QAbstractButton::clicked, this,
                [this, id] { user(id, [&](DialogSession& s) { s.press(id); }); });
        break;
    case ControlKind::LIST: {
        auto* list = static_cast<QListWidget*>(w);
        connect(list, &QListWidget::currentRowChanged, this,
                [this, id](int row) { user(id, [&](DialogSession& s) { s.select(id, row); }); });
        connect(list, &QListWidget::itemDoubleClicked, this, [this, id, list](QListWidgetItem* item) {
            user(id, [&](DialogSession& s) { s.double_click(id, list->row(item)); });
        });
        break;
    }
    case ControlKind::COMBO:
        connect(static_cast<QComboBox*>(w), &QComboBox::activated, this,
                [this, id](int index) { user(id, [&](DialogSession& s) { s.select(id, index); }); });
        break;
    case ControlKind::LIST_VIEW: {
        auto* tree = static_cast<QTreeWidget*>(w);
        if (def.flags & CONTROL_MULTI_SELECT) {
            connect(tree, &QTreeWidget::itemSelectionChanged, this, [this, id, tree] {
                std::vector<int> rows;
                for (QTreeWidgetItem* item : tree->selectedItems()) rows.push_back(tree->indexOfTopLevelItem(item));
                user(id, [&](DialogSession& s) { s.select_rows(id, rows); });
            });
        } else {
            connect(tree, &QTreeWidget::currentItemChanged, this, [this, id, tree](QTreeWidgetItem* item) {
                user(id, [&](DialogSession& s) { s.select(id, item ? tree->indexOfTopLevelItem(item) : -1); });
            });
        }
        connect(tree, &QTreeWidget::itemDoubleClicked, this, [this, id, tree](QTreeWidgetItem* item) {
            user(id, [&](DialogSession& s) { s.double_click(id, tree->indexOfTopLevelItem(item)); });
        });
        connect(tree->header(), &QHeaderView::sectionClicked, this,
                [this, id](int column) { user(id, [&](DialogSession& s) { s.click_column(id, column); }); });
        break;
    }
    case ControlKind::TAB_PAGES:
        connect(static_cast<QTabWidget*>(w), &QTabWidget::currentChanged, this,
                [this, id](int page) { user(id, [&](DialogSession& s) { s.select_page(id, page); }); });
        break;
    case ControlKind::SPIN: {
        auto* spin = static_cast<SpinBox*>(w);
        connect(spin, &SpinBox::moved, this, [this, id](int pos) {
            user(id, [&](DialogSession& s) { s.spin(id, pos - s.get_pos(id)); });
        });
        break;
    }
    case ControlKind::STATIC:
    case ControlKind::GROUP_BOX: break;
    }
}

void QtDialogWindow::refresh(int id, const ControlDef& def, const ControlState& st) {
    QWidget* w = widget(id);
    if (!w) return;
    QScopedValueRollback<bool> guard(syncing_, true);
    w->setEnabled(st.enabled);
    w->setVisible(st.visible);
    const QString text = qs(st.text);
    switch (def.kind) {
    case ControlKind::STATIC: static_cast<QLabel*>(w)->setText(text); break;
    case ControlKind::GROUP_BOX: static_cast<QGroupBox*>(w)->setTitle(text); break;
    case ControlKind::TEXT_BOX:
        if (auto* box = qobject_cast<QtTextBox*>(w); box && box->text() != st.text) {
            box->set_text(st.text);
            // A horizontal box shows its newest lines, a vertical one its first columns.
            if (!box->format().vertical) box->select(box->text().size(), box->text().size());
        }
        break;
    case ControlKind::EDIT:
    case ControlKind::NUMBER:
        if (auto* line = qobject_cast<QLineEdit*>(w)) {
            if (line->text() != text) line->setText(text);
        } else if (auto* box = qobject_cast<QPlainTextEdit*>(w)) {
            if (box->toPlainText() != text) {
                box->setPlainText(text);
                box->moveCursor(QTextCursor::End);
            }
        }
        break;
    case ControlKind::CHECK:
    case ControlKind::RADIO:
    case ControlKind::BUTTON: {
        auto* button = static_cast<QAbstractButton*>(w);
        if (button->text() != text) button->setText(text);
        if (def.kind != ControlKind::BUTTON) button->setChecked(st.checked);
        break;
    }
    case ControlKind::LIST:
    case ControlKind::COMBO:
    case ControlKind::LIST_VIEW: refresh_items(id, def, st, w); break;
    case ControlKind::TAB_PAGES: static_cast<QTabWidget*>(w)->setCurrentIndex(st.page); break;
    case ControlKind::COLOUR: static_cast<ColourSwatch*>(w)->set_colour(st.colour); break;
    case ControlKind::SPIN: {
        auto* spin = static_cast<SpinBox*>(w);
        spin->set_range(st.range.lo, st.range.hi);
        spin->set_position(st.pos);
        break;
    }
    }
}

void QtDialogWindow::refresh_items(int id, const ControlDef& def, const ControlState& st, QWidget* w) {
    auto seen = rows_shown_.find(id);
    const bool rebuild = seen == rows_shown_.end() || seen->second != st.rows_version;
    rows_shown_[id] = st.rows_version;
    if (def.kind == ControlKind::LIST) {
        auto* list = static_cast<QListWidget*>(w);
        if (rebuild) {
            list->clear();
            for (const auto& row : st.rows) list->addItem(qs(row[0]));
        }
        list->setCurrentRow(st.selection);
        if (st.selection < 0) list->clearSelection();
    } else if (def.kind == ControlKind::COMBO) {
        auto* combo = static_cast<QComboBox*>(w);
        if (rebuild) {
            combo->clear();
            for (const auto& row : st.rows) combo->addItem(qs(row[0]));
        }
        combo->setCurrentIndex(st.selection);
    } else {
        auto* tree = static_cast<QTreeWidget*>(w);
        if (rebuild) {
            tree->clear();
            QList<QTreeWidgetItem*> items;
            for (const auto& row : st.rows) {
                QStringList cells;
                for (const std::string& cell : row) cells << qs(cell);
                items << new QTreeWidgetItem(cells);
            }
            tree->addTopLevelItems(items);
        }
        if (def.flags & CONTROL_MULTI_SELECT) {
            tree->clearSelection();
            for (int row : st.selected)
                if (QTreeWidgetItem* item = tree->topLevelItem(row)) item->setSelected(true);
        } else {
            tree->setCurrentItem(st.selection >= 0 ? tree->topLevelItem(st.selection) : nullptr);
            if (st.selection < 0) tree->clearSelection();
        }
        tree->header()->setSortIndicatorShown(st.sort_column >= 0);
        if (st.sort_column >= 0)
            tree->header()->setSortIndicator(st.sort_column, st.sort_ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
    }
}

// Centres the dialog over its owner (or the screen) and keeps it on the screen.
void QtDialogWindow::place(QWidget* parent) {
    QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    QPoint centre = parent ? parent->frameGeometry().center() : area.center();
    int x = std::max(area.left(), std::min(centre.x() - width() / 2, area.right() + 1 - width()));
    int y = std::max(area.top(), std::min(centre.y() - height() / 2, area.bottom() + 1 - height()));
    move(x, y);
}

bool QtDialogWindow::choose_colour(std::uint32_t* colour, std::string_view caption) {
    // The custom colours: the sixteen greys of platform/format_colour.h.
    for (int i = 0; i < 16; ++i) {
        const int grey = format_colour_grey(i);
        QColorDialog::setCustomColor(i, QColor(grey, grey, grey));
    }
    QColorDialog chooser(to_qcolor(*colour), this);
    chooser.setOption(QColorDialog::DontUseNativeDialog);
    chooser.setWindowTitle(qs(caption));
    if (auto* box = chooser.findChild<QDialogButtonBox*>()) {
        if (QPushButton* ok = box->button(QDialogButtonBox::Ok)) ok->setText(QString::fromUtf8("設 定"));
        if (QPushButton* no = box->button(QDialogButtonBox::Cancel)) no->setText(QString::fromUtf8("取 消"));
    }
    if (chooser.exec() != QDialog::Accepted) return false;
    *colour = to_colorref(chooser.selectedColor());
    return true;
}

// ---- QtDialogHost ------------------------------------------------------------------

QtDialogHost::~QtDialogHost() {
    if (&dialog_host() == this) install_dialog_host(nullptr);
    for (auto& [handle, window] : modeless_)
        if (window) delete window.data();
}

int QtDialogHost::run_dialog(const DialogTemplate& tmpl, DialogProcedure& proc, WindowRef owner) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        DialogSession session(tmpl, proc, nullptr, owner);
        session.start();
        if (!session.ended()) session.press_escape();
        return session.result();
    }
    auto* window = new QtDialogWindow(tmpl, proc, find_owner(owner), owner, true);
    QPointer<QtDialogWindow> guard(window);
    window->session().start();
    if (!window->session().ended()) {
        QEventLoop loop;
        QObject::connect(window, &QObject::destroyed, &loop, &QEventLoop::quit);
        window->set_loop(&loop);
        window->setWindowModality(Qt::ApplicationModal);
        window->show();
        window->activateWindow();
        loop.exec(QEventLoop::DialogExec);
        if (guard) window->set_loop(nullptr);
    }
    if (!guard) return DIALOG_CANCEL;   // the owner took it down
    int result = window->session().result();
    delete window;
    return result;
}

DialogHandle QtDialogHost::open_modeless(const DialogTemplate& tmpl, DialogProcedure& proc, WindowRef owner) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return 0;
    auto* window = new QtDialogWindow(tmpl, proc, find_owner(owner), owner, false);
    window->setWindowModality(Qt::NonModal);
    DialogHandle handle = next_handle_++;
    modeless_[handle] = window;
    window->session().start();
    if (!window->session().ended()) window->show();
    return handle;
}

QtDialogWindow* QtDialogHost::find(DialogHandle handle) const {
    auto it = modeless_.find(handle);
    if (it == modeless_.end() || !it->second || it->second->session().ended()) return nullptr;
    return it->second.data();
}

void QtDialogHost::close_modeless(DialogHandle handle) {
    if (QtDialogWindow* window = find(handle)) window->session().end_dialog(DIALOG_CANCEL);
    modeless_.erase(handle);
}

bool QtDialogHost::is_open(DialogHandle handle) const { return find(handle) != nullptr; }

DialogContext* QtDialogHost::context(DialogHandle handle) {
    QtDialogWindow* window = find(handle);
    return window ? &window->session() : nullptr;
}

QDialog* QtDialogHost::window(DialogHandle handle) const { return find(handle); }

}  // namespace rix
