// The print preview window on Qt.
#include "platform/qt/qt_preview.h"

#include <QDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <memory>

#include "platform/qt/image_surface.h"

namespace rix {

namespace {

class PreviewDialog final : public QDialog {
public:
    explicit PreviewDialog(PreviewSource& source) : source_(source) {
        paging_ = {source.first_sheet(), source.last_sheet(), source.start_sheet()};
        setWindowTitle(QStringLiteral("　印刷プレビュー"));
        const QRect screen = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->availableGeometry()
                                                              : QRect(0, 0, 1200, 900);
        resize(screen.width() * 98 / 100, screen.height() * 96 / 100);
        auto* column = new QVBoxLayout(this);
        page_ = new QLabel(this);
        page_->setAlignment(Qt::AlignCenter);
        page_->setAttribute(Qt::WA_TransparentForMouseEvents);
        setMouseTracking(true);
        column->addWidget(page_, 1);
        auto* row = new QHBoxLayout;
        sheet_field_ = new QLineEdit(this);
        sheet_field_->setMaximumWidth(60);
        range_ = new QLabel(QStringLiteral("%1-%2").arg(paging_.first).arg(paging_.last), this);
        row->addWidget(sheet_field_);
        row->addWidget(range_);
        add_button(row, QStringLiteral("先 頭"), [this] { go(paging_.first); });
        add_button(row, QStringLiteral("前 頁"), [this] { go(paging_.current - 1); });
        add_button(row, QStringLiteral("次 頁"), [this] { go(paging_.current + 1); });
        add_button(row, QStringLiteral("最 後"), [this] { go(paging_.last); });
        row->addWidget(new QLabel(QString::fromUtf8(source.paper_text().c_str()), this), 1);
        add_button(row, QStringLiteral("閉じる"), [this] { accept(); });
        column->addLayout(row);
        connect(sheet_field_, &QLineEdit::returnPressed, this, [this] { go(sheet_field_->text().toInt()); });
        show_sheet();
    }

protected:
    void wheelEvent(QWheelEvent* e) override { go(paging_.current + (e->angleDelta().y() < 0 ? 1 : -1)); }
    // The pointer over a margin arms its corner; pressing there drags it.
    void mouseMoveEvent(QMouseEvent* e) override {
        if (dragging_) return;
        const QPoint p = on_page(e->position().toPoint());
        armed_ = source_.margin_corner(p.x(), p.y());
        setCursor(armed_ ? (armed_ % 2 ? Qt::SizeBDiagCursor : Qt::SizeFDiagCursor) : Qt::ArrowCursor);
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        if (!dragging_ || e->button() != Qt::LeftButton) return;
        const QPoint p = on_page(e->position().toPoint());
        const int corner = dragging_;
        dragging_ = 0;
        if (source_.release_margin(corner, p.x(), p.y())) show_sheet();
    }
    void mousePressEvent(QMouseEvent* e) override {
        const QRect r = shown_rect();
        if (e->button() == Qt::RightButton) {
            frame_ = !frame_;
            show_sheet();
            return;
        }
        if (e->button() == Qt::LeftButton && armed_) {
            dragging_ = armed_;
            return;
        }
        if (e->button() != Qt::LeftButton || !r.contains(e->position().toPoint())) return;
        const QPoint p = e->position().toPoint() - r.topLeft();
        switch (preview_click(p.x(), p.y(), r.width(), r.height(), source_.vertical())) {
            case PreviewClick::CLOSE: accept(); break;
            case PreviewClick::BACK: go(paging_.current - 1); break;
            case PreviewClick::FORWARD: go(paging_.current + 1); break;
        }
    }
    void resizeEvent(QResizeEvent* e) override {
        QDialog::resizeEvent(e);
        show_sheet();
    }

private:
    template <class F>
    void add_button(QHBoxLayout* row, const QString& text, F f) {
        auto* b = new QPushButton(text, this);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, f);
        row->addWidget(b);
    }
    // The sheet's rectangle inside the label.
    QRect shown_rect() const {
        const QSize size = image_size_;
        const QPoint at = page_->mapTo(this, QPoint((page_->width() - size.width()) / 2, (page_->height() - size.height()) / 2));
        return QRect(at, size);
    }
    // A point of the dialog in the printer's page pixels (outside the page too).
    QPoint on_page(QPoint at) const {
        const QRect r = shown_rect();
        return QPoint(static_cast<int>((at.x() - r.left()) / scale_), static_cast<int>((at.y() - r.top()) / scale_));
    }
    void go(int sheet) {
        if (preview_go(&paging_, sheet)) show_sheet();
        sheet_field_->setText(QString::number(paging_.current));
    }
    void show_sheet() {
        const int w = std::max(page_->width(), 100), h = std::max(page_->height(), 100);
        const double scale = std::min(static_cast<double>(w) / std::max(source_.page_width(), 1),
                                      static_cast<double>(h) / std::max(source_.page_height(), 1));
        const int iw = std::max(static_cast<int>(source_.page_width() * scale), 1);
        const int ih = std::max(static_cast<int>(source_.page_height() * scale), 1);
        scale_ = scale > 0 ? scale : 1;
        ImageSurface image(iw, ih, 0xFFFFFF);
        image.set_scale(scale);
        source_.paint(paging_.current, image);
        if (frame_) draw_printable_frame(image, source_.page_width(), source_.page_height());
        image_size_ = QSize(iw, ih);
        page_->setPixmap(QPixmap::fromImage(image.image()));
        sheet_field_->setText(QString::number(paging_.current));
    }

    PreviewSource& source_;
    PreviewPaging paging_;
    QLabel* page_ = nullptr;
    QLabel* range_ = nullptr;
    QLineEdit* sheet_field_ = nullptr;
    QSize image_size_;
    double scale_ = 1;
    int armed_ = 0;       // the corner the pointer arms; 0 none
    int dragging_ = 0;    // the corner being dragged; 0 none
    bool frame_ = false;  // the printable area's outline is shown (right button)
};

}  // namespace

void run_preview_window(PreviewSource& source) {
    PreviewDialog dialog(source);
    dialog.exec();
}

}  // namespace rix
