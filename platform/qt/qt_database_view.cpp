#include "platform/qt/qt_database_view.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSplitter>
#include <QTableWidget>
#include <QUrl>
#include <QVBoxLayout>

#include "platform/codec.h"
#include "platform/qt/qt_text_box.h"

namespace rix {

namespace {

QString qs(std::string_view cp932) { return QString::fromStdString(sjis_to_utf8(cp932)); }

std::string to_sjis(const QString& s) {
    std::string out;
    for (char c : utf8_to_sjis(s.toStdString())) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

class DatabaseWindow final : public QWidget {
public:
    std::function<void()> on_close;
    std::function<void(const std::vector<std::string>&)> on_drop;

protected:
    void closeEvent(QCloseEvent* e) override {
        if (allow_close) return e->accept();
        e->ignore();
        if (on_close) on_close();
    }
    void keyPressEvent(QKeyEvent* e) override {
        if (e->key() == Qt::Key_Escape && on_close) return on_close();
        QWidget::keyPressEvent(e);
    }
    void dragEnterEvent(QDragEnterEvent* e) override {
        if (e->mimeData()->hasUrls()) e->acceptProposedAction();
    }
    void dropEvent(QDropEvent* e) override {
        std::vector<std::string> paths;
        for (const QUrl& u : e->mimeData()->urls())
            if (u.isLocalFile()) paths.push_back(u.toLocalFile().toStdString());
        e->acceptProposedAction();
        if (on_drop) on_drop(paths);
    }

public:
    bool allow_close = false;
};

class QtDatabaseView final : public DatabaseView {
public:
    QtDatabaseView();
    ~QtDatabaseView() override { delete window_; }

    void set_events(DatabaseEvents events) override { events_ = std::move(events); }
    void show(const DatabaseWindowRect& rect, int list_bottom) override;
    void raise() override {
        window_->raise();
        window_->activateWindow();
    }
    void close() override {
        window_->allow_close = true;
        window_->hide();
    }
    DatabaseWindowRect rect() const override {
        const QRect g = window_->geometry();
        return {g.x(), g.y(), g.width(), g.height()};
    }
    int list_bottom() const override { return splitter_->sizes().value(0); }
    WindowRef window() const override { return reinterpret_cast<WindowRef>(window_); }
    void set_caption(std::string_view cp932) override { window_->setWindowTitle(qs(cp932)); }

    void set_tables(const std::vector<std::string>& items, int selected) override {
        Quiet q(this);
        fill(tables_, items, selected);
    }
    void set_fields(std::string_view title, const std::vector<std::string>& items, int selected) override {
        Quiet q(this);
        field_title_->setText(qs(title));
        fill(fields_, items, selected);
    }
    void select_field(int index) override {
        Quiet q(this);
        fields_->setCurrentRow(index);
    }
    void set_record_columns(const std::vector<std::string>& titles, const std::vector<int>& widths,
                            int highlight) override;
    void set_records(const std::vector<std::vector<std::string>>& rows) override;
    void highlight_column(int column) override;
    void select_record(int row) override {
        Quiet q(this);
        if (row < 0) {
            records_->clearSelection();
            return;
        }
        records_->selectRow(row);
        if (QTableWidgetItem* it = records_->item(row, 0)) records_->scrollToItem(it);
    }
    int selected_record() const override {
        const auto rows = records_->selectionModel()->selectedRows();
        return rows.isEmpty() ? -1 : rows.front().row();
    }
    std::vector<int> column_widths() const override {
        std::vector<int> w;
        for (int c = 1; c < records_->columnCount(); ++c) w.push_back(records_->columnWidth(c));
        return w;
    }
    std::vector<int> column_order() const override {
        std::vector<int> order;
        QHeaderView* h = records_->horizontalHeader();
        for (int v = 0; v < h->count(); ++v) {
            const int logical = h->logicalIndex(v);
            if (logical > 0) order.push_back(logical - 1);
        }
        return order;
    }
    void set_row_height(int pixels) override { records_->verticalHeader()->setDefaultSectionSize(pixels); }
    void set_record_count_text(std::string_view cp932) override { count_->setText(qs(cp932)); }

    TextBox& content() override { return *content_; }
    void set_content_title(std::string_view cp932) override { content_title_->setText(qs(cp932)); }
    void set_content_menu(const std::vector<MenuItem>& items) override { menu_ = items; }

    int operation() const override {
        const int id = operations_->checkedId();
        return id >= DBV_OP_FIRST && id <= DBV_OP_LAST ? id : 0;
    }
    void set_operation_label(std::string_view cp932) override { op_label_->setText(qs(cp932)); }
    std::string value_text() const override { return to_sjis(value_->toPlainText()); }
    void set_value_text(std::string_view cp932) override { value_->setPlainText(qs(cp932)); }
    void set_filter_text(std::string_view cp932) override { filter_->setText(qs(cp932)); }
    bool choose_file(const std::string& folder, std::string_view caption, std::string_view filter, bool writing,
                     bool confirm_replace, std::string* path) override {
        const QString c = QString::fromUtf8(caption.data(), static_cast<int>(caption.size()));
        const QString f = QString::fromUtf8(filter.data(), static_cast<int>(filter.size()));
        const QString start = QString::fromStdString(folder);
        QString chosen;
        if (writing)
            chosen = QFileDialog::getSaveFileName(window_, c, start, f, nullptr,
                                                  confirm_replace ? QFileDialog::Options()
                                                                  : QFileDialog::DontConfirmOverwrite);
        else
            chosen = QFileDialog::getOpenFileName(window_, c, start, f);
        if (chosen.isEmpty()) return false;
        *path = chosen.toStdString();
        return true;
    }

private:
    // Changes made by the logic report nothing.
    struct Quiet {
        explicit Quiet(QtDatabaseView* v) : v_(v), was_(v->quiet_) { v->quiet_ = true; }
        ~Quiet() { v_->quiet_ = was_; }
        QtDatabaseView* v_;
        bool was_;
    };
    void fill(QListWidget* list, const std::vector<std::string>& items, int selected) {
        list->clear();
        for (const auto& i : items) list->addItem(qs(i));
        list->setCurrentRow(selected);
    }
    QPushButton* button(const char* utf8, int id) {
        auto* b = new QPushButton(QString::fromUtf8(utf8), window_);
        QObject::connect(b, &QPushButton::clicked, b, [this, id] {
            if (events_.button) events_.button(id);
        });
        return b;
    }
    void popup(int x, int y);

    DatabaseWindow* window_;
    DatabaseEvents events_;
    QListWidget* tables_;
    QListWidget* fields_;
    QLabel* field_title_;
    QTableWidget* records_;
    QLabel* count_;
    QSplitter* splitter_;
    QLabel* content_title_;
    QtTextBox* content_;
    QButtonGroup* operations_;
    QLabel* op_label_;
    QPlainTextEdit* value_;
    QPushButton* filter_;
    std::vector<MenuItem> menu_;
    int highlighted_ = -1;
    bool quiet_ = false;
};

QtDatabaseView::QtDatabaseView() {
    window_ = new DatabaseWindow;
    window_->setAcceptDrops(true);
    window_->on_close = [this] {
        if (events_.close_box) events_.close_box();
    };
    window_->on_drop = [this](const std::vector<std::string>& p) {
        if (events_.files_dropped) events_.files_dropped(p);
    };
    auto* top = new QHBoxLayout;
    tables_ = new QListWidget(window_);
    fields_ = new QListWidget(window_);
    field_title_ = new QLabel(window_);
    auto* tables_box = new QVBoxLayout;
    tables_box->addWidget(new QLabel(QString::fromUtf8("テーブル"), window_));
    tables_box->addWidget(tables_);
    auto* fields_box = new QVBoxLayout;
    fields_box->addWidget(field_title_);
    fields_box->addWidget(fields_);
    tables_->setMaximumHeight(150);
    fields_->setMaximumHeight(150);
    top->addLayout(tables_box, 2);
    top->addLayout(fields_box, 2);

    operations_ = new QButtonGroup(window_);
    auto* ops = new QGridLayout;
    const char* const names[] = {"テーブル作製", "テーブル名変更", "テーブル削除", "テーブルコピー",
                                 "項目追加",     "項目名変更",     "項目削除"};
    for (int i = 0; i < 7; ++i) {
        auto* r = new QRadioButton(QString::fromUtf8(names[i]), window_);
        operations_->addButton(r, DBV_OP_FIRST + i);
        ops->addWidget(r, i % 4, i / 4);
    }
    QObject::connect(operations_, &QButtonGroup::idClicked, window_, [this](int id) {
        if (events_.button) events_.button(id);
    });
    op_label_ = new QLabel(window_);
    value_ = new QPlainTextEdit(window_);
    value_->setTabChangesFocus(true);
    value_->setMaximumHeight(60);
    auto* op_box = new QVBoxLayout;
    op_box->addLayout(ops);
    op_box->addWidget(op_label_);
    op_box->addWidget(value_);
    op_box->addWidget(button("実 行", DBV_EXECUTE));
    top->addLayout(op_box, 3);

    records_ = new QTableWidget(window_);
    records_->setSelectionBehavior(QAbstractItemView::SelectRows);
    records_->setSelectionMode(QAbstractItemView::SingleSelection);
    records_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    records_->setShowGrid(true);
    records_->verticalHeader()->hide();
    records_->horizontalHeader()->setSectionsMovable(true);
    records_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    records_->setWordWrap(false);
    QObject::connect(records_, &QTableWidget::cellClicked, window_, [this](int row, int column) {
        if (!quiet_ && events_.record_clicked) events_.record_clicked(row, column);
    });
    QObject::connect(records_->horizontalHeader(), &QHeaderView::sectionClicked, window_, [this](int logical) {
        if (!quiet_ && events_.header_clicked) events_.header_clicked(logical);
    });
    QObject::connect(tables_, &QListWidget::itemClicked, window_, [this](QListWidgetItem* it) {
        if (!quiet_ && events_.table_clicked) events_.table_clicked(tables_->row(it));
    });
    QObject::connect(fields_, &QListWidget::itemClicked, window_, [this](QListWidgetItem* it) {
        if (!quiet_ && events_.field_clicked) events_.field_clicked(fields_->row(it));
    });
    count_ = new QLabel(window_);
    auto* middle = new QHBoxLayout;
    middle->addWidget(count_, 1);
    middle->addWidget(button("↑ 整列", DBV_ARRANGE));

    auto* content_area = new QWidget(window_);
    auto* content_box = new QVBoxLayout(content_area);
    content_box->setContentsMargins(0, 0, 0, 0);
    content_title_ = new QLabel(content_area);
    content_ = new QtTextBox(content_area);
    content_box->addWidget(content_title_);
    content_box->addWidget(content_, 1);
    TextBoxEvents te;
    te.changed = [this] {
        if (events_.content_edited) events_.content_edited();
    };
    te.context_menu = [this](int x, int y) { popup(x, y); };
    content_->set_events(std::move(te));

    splitter_ = new QSplitter(Qt::Vertical, window_);
    splitter_->addWidget(records_);
    splitter_->addWidget(content_area);
    splitter_->setStretchFactor(1, 1);
    splitter_->setChildrenCollapsible(false);
    content_area->setMinimumHeight(120);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(button("追 加", DBV_ADD));
    bottom->addWidget(button("入　力", DBV_INPUT));
    filter_ = button("選 択", DBV_FILTER);
    bottom->addWidget(filter_);
    bottom->addWidget(button("削 除", DBV_DELETE));
    bottom->addStretch(1);
    bottom->addWidget(button("DB選択", DBV_CHOOSE_FILE));
    bottom->addWidget(button("設 定", DBV_SETTINGS));
    bottom->addWidget(button("ﾍﾙﾌﾟ", DBV_HELP));
    bottom->addWidget(button("閉じる", DBV_CLOSE));

    auto* all = new QVBoxLayout(window_);
    all->addLayout(top, 0);
    all->addLayout(middle, 0);
    all->addWidget(splitter_, 1);
    all->addLayout(bottom, 0);
}

void QtDatabaseView::show(const DatabaseWindowRect& r, int list_bottom) {
    // The kept rectangle when it is a sensible one, else centred on the screen.
    if (r.w >= 301 && r.w <= 2999 && r.h >= 301 && r.h <= 2999 && r.x <= 999 && r.y <= 799) {
        window_->setGeometry(r.x, r.y, r.w, r.h);
    } else {
        window_->resize(760, 640);
        if (QScreen* s = QApplication::primaryScreen())
            window_->move(s->availableGeometry().center() - window_->rect().center());
    }
    window_->allow_close = false;
    window_->show();
    window_->layout()->activate();
    // The record list's height (the splitter's position), the rest for the content.
    const int list = list_bottom > 0 ? list_bottom : splitter_->height() * 2 / 5;
    splitter_->setSizes({list, std::max(120, splitter_->height() - list)});
}

void QtDatabaseView::set_record_columns(const std::vector<std::string>& titles, const std::vector<int>& widths,
                                        int highlight) {
    Quiet q(this);
    records_->clear();
    records_->setRowCount(0);
    // A new table: every column back in its own place.
    QHeaderView* h = records_->horizontalHeader();
    records_->setColumnCount(static_cast<int>(titles.size()) + 1);
    for (int v = 0; v < h->count(); ++v) {
        const int from = h->visualIndex(v);
        if (from != v) h->moveSection(from, v);
    }
    records_->setHorizontalHeaderItem(0, new QTableWidgetItem(QString()));
    records_->setColumnWidth(0, 25);
    for (std::size_t j = 0; j < titles.size(); ++j) {
        records_->setHorizontalHeaderItem(static_cast<int>(j) + 1, new QTableWidgetItem(qs(titles[j])));
        records_->setColumnWidth(static_cast<int>(j) + 1, j < widths.size() ? widths[j] : 180);
    }
    highlighted_ = -1;
    highlight_column(highlight);
}

void QtDatabaseView::set_records(const std::vector<std::vector<std::string>>& rows) {
    Quiet q(this);
    records_->clearContents();
    records_->setRowCount(static_cast<int>(rows.size()));
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (std::size_t c = 0; c < rows[r].size() && static_cast<int>(c) < records_->columnCount(); ++c) {
            // One line of each value in the list; the content box shows it whole.
            std::string cell = rows[r][c];
            const std::size_t end = cell.find_first_of("\r\n");
            if (end != std::string::npos) cell = cell.substr(0, end) + "...";
            records_->setItem(static_cast<int>(r), static_cast<int>(c), new QTableWidgetItem(qs(cell)));
        }
}

void QtDatabaseView::highlight_column(int column) {
    const QPalette pal = window_->palette();
    if (QTableWidgetItem* old = records_->horizontalHeaderItem(highlighted_ + 1); old && highlighted_ >= 0) {
        old->setBackground(QBrush());
        old->setForeground(QBrush());
    }
    highlighted_ = column;
    if (QTableWidgetItem* it = records_->horizontalHeaderItem(column + 1); it && column >= 0) {
        it->setBackground(pal.brush(QPalette::Highlight));
        it->setForeground(pal.brush(QPalette::HighlightedText));
    }
}

void QtDatabaseView::popup(int x, int y) {
    QMenu menu(window_);
    for (const MenuItem& m : menu_) {
        if (m.command == 0) {
            menu.addSeparator();
            continue;
        }
        QAction* a = menu.addAction(QString::fromStdString(m.label));
        a->setData(m.command);
        if (m.command == 200) a->setEnabled(content_->can_undo());
        if (m.command == 201) a->setEnabled(content_->can_redo());
        if (m.command == 202 || m.command == 203) a->setEnabled(content_->has_selection());
    }
    QAction* chosen = menu.exec(QPoint(x, y));
    if (chosen && events_.content_command) events_.content_command(chosen->data().toInt());
}

}  // namespace

std::unique_ptr<DatabaseView> create_qt_database_view() { return std::make_unique<QtDatabaseView>(); }

}  // namespace rix
