// The document as the preview window shows it: the current print format
// over the settings record, the range (the whole document opened from the
// menu, starting at the sheet of the cursor; the range fields or a marked
// range opened from the print settings), and each sheet painted as
// printing draws it. The document wraps at the print width only while a
// sheet is counted or painted (PrintScope), so the window behind is never
// left with the print's display lines.
#pragma once

#include "app/shell/application.h"
#include "platform/preview_window.h"
#include "publish/page_layout.h"

namespace rix {

struct PreviewRequest {
    bool from_menu = true;         // the whole document, from the cursor's sheet
    bool marked = false;           // a marked range (from the print settings)
    TextPos mark_start, mark_end;
};

class DocumentPreview final : public PreviewSource {
public:
    DocumentPreview(Application& app, const PreviewRequest& request);
    // False when nothing can be shown (the reason was told).
    bool ready() const { return ready_; }

    int first_sheet() const override { return job_.first_sheet; }
    int last_sheet() const override { return std::max(job_.last_sheet, job_.first_sheet); }
    int start_sheet() const override { return start_; }
    int page_width() const override { return layout_.page.width; }
    int page_height() const override { return layout_.page.height; }
    bool vertical() const override { return layout_.geo.vertical; }
    std::string paper_text() const override;
    void paint(int sheet, Surface& image) override;
    int margin_corner(int x, int y) const override;
    // Stores the margins into the print format at once and lays the page out again.
    bool release_margin(int corner, int x, int y) override;

private:
    Application& app_;
    PrintRange range_;
    Document& doc_;
    PrintLayout layout_;
    PrintJob job_;
    HeaderTitles titles_;
    int start_ = 1;
    bool ready_ = false;
};

// Shows the preview window (through app.window.preview_window).
void show_print_preview(Application& app, const PreviewRequest& request);

}  // namespace rix
