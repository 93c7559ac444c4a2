// Times printing a long database content (the ~2 MB document as one record's
// text: its pages laid out and every page drawn, on a surface that only
// takes the calls) against laying the same text out in the content box
// once, in the same run (rounds interleaved, best of each). The pages reuse
// the one layout, so all the pages together cost about as much as that
// layout, not a walk through the text before each page. Also the page
// before the last (a full one) drawn against the first: a page costs what
// it shows, wherever it lies.
//   content_print_bench FILE
// Aims: all pages at most 3.0 x the layout; the page near the end at most 2.0 x the first.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "bench/bench_report.h"
#include "database/content_print.h"
#include "platform/files.h"
#include "platform/text_box_model.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int ROUNDS = 5;
constexpr int PAGE_REPEATS = 200;

double seconds_since(Clock::time_point t0) { return std::chrono::duration<double>(Clock::now() - t0).count(); }

// A surface that takes every call and draws nothing: the time is the pages'.
class NullSurface final : public rix::Surface {
public:
    int width() const override { return 4960; }
    int height() const override { return 7015; }
    bool set_font(int, const rix::FontRequest&) override { return true; }
    void draw_cell(const rix::CellGlyph& g) override { sum_ += g.code; }
    void draw_line(int, int, int, int, std::uint32_t) override {}
    void draw_dotted_line(int, int, int, int, std::uint32_t) override {}
    void draw_ellipse(const rix::SurfaceRect&, std::uint32_t) override {}
    void draw_arc(const rix::SurfaceRect&, int, int, int, int, std::uint32_t) override {}
    void fill_rect(const rix::SurfaceRect&, std::uint32_t) override {}
    void invert_rect(const rix::SurfaceRect&) override {}
    void copy_from(const rix::Surface&, const rix::SurfaceRect&, int, int) override {}
    unsigned long sum() const { return sum_; }

private:
    unsigned long sum_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: content_print_bench FILE\n");
        return 2;
    }
    std::string text;
    if (!rix::read_whole_file(argv[1], &text)) {
        std::perror(argv[1]);
        return 1;
    }
    // An A4 page at 600 dpi with the default margins and a 16-pixel font as printing makes it.
    const int dpi = 600;
    const rix::FontRequest font = rix::content_print_font(0, 400, false, "", true, dpi);
    const rix::ContentPageGeometry g =
        rix::content_page_geometry(4960, 7015, dpi, rix::DbPrintSettings{}, font.pixel_height, true);
    rix::TextBoxStyle style;
    style.font = font;
    rix::FontRequest number = font;
    number.vertical = false;

    double layout = 1e9, pages = 1e9, first = 1e9, last = 1e9;
    std::size_t count = 0;
    unsigned long seen = 0;
    for (int r = 0; r < ROUNDS; ++r) {
        auto t0 = Clock::now();
        rix::TextBoxModel model;
        model.set_cells_per_line(g.cells.cells_per_line());
        model.set_text(text);
        layout = std::min(layout, seconds_since(t0));
        seen += model.entries().size();

        NullSurface surface;
        t0 = Clock::now();
        const rix::ContentPages content(text, g);
        for (std::size_t i = 0; i < content.count(); ++i) content.draw(surface, i, style, number);
        pages = std::min(pages, seconds_since(t0));
        count = content.count();

        t0 = Clock::now();
        for (int k = 0; k < PAGE_REPEATS; ++k) content.draw(surface, 0, style, number);
        first = std::min(first, seconds_since(t0));
        t0 = Clock::now();
        for (int k = 0; k < PAGE_REPEATS; ++k) content.draw(surface, content.count() - 2, style, number);
        last = std::min(last, seconds_since(t0));
        seen += surface.sum();
    }
    if (count < 2) {
        std::fprintf(stderr, "content_print_bench: %s makes fewer than two pages\n", argv[1]);
        return 1;
    }
    std::printf("%-34s %9.4f s   (%zu bytes, checksum %lu)\n", "content laid out in the box", layout, text.size(),
                seen % 1000);
    std::printf("%-34s %9.4f s   %6.2f x the layout (%zu pages)\n", "every page laid out and drawn", pages,
                pages / layout, count);
    std::printf("%-34s %9.6f s   (x %d)\n", "the first page drawn", first, PAGE_REPEATS);
    std::printf("%-34s %9.6f s   %6.2f x the first page\n", "the page before the last drawn", last, last / first);
    rix::bench::print_result("content print: all pages / layout", pages / layout, 3.0);
    rix::bench::print_result("content print: page at the end / first", last / first, 2.0);
    return 0;
}
