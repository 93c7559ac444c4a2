// Times the guides on the ~2 MB document, the editor as the window runs it
// (the features installed, the image surface and Qt's fonts, offscreen):
// - the capacity count (one pass of the print layout over the whole text)
//   against loading the document (aim: at most 2);
// - a typed character with its redraw and the guides (title, boxes and the
//   position bar) against the same with the guides off (aim: at most 1.1).
//   The count that follows a burst of typing is timed in the first figure,
//   not here: the window runs it once the typing pauses.
//   guides_bench FILE
#include <QGuiApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "app/shell/features.h"
#include "app/settings/default_settings.h"
#include "app/edit/editor.h"
#include "app/edit/guides.h"
#include "app/edit/screen.h"
#include "app/window/shell_events.h"
#include "bench/bench_report.h"
#include "platform/qt/image_surface.h"
#include "platform/qt/qt_fonts.h"
#include "platform/virtual_keys.h"

namespace {

using namespace rix;
using Clock = std::chrono::steady_clock;
constexpr int WIDTH = 1200, HEIGHT = 900;
constexpr int COUNT_ROUNDS = 3;
constexpr int KEY_ROUNDS = 200;
constexpr int KEY_REPEATS = 5;

double seconds_since(Clock::time_point t0) { return std::chrono::duration<double>(Clock::now() - t0).count(); }

struct Editor {
    FakeWindowHost host;
    QtFonts fonts;
    Application app;
    ScreenState screen;
    ImageSurface surface{WIDTH, HEIGHT};
    MenuTables menus;
    std::unique_ptr<ShellEvents> shell;

    // The guides on (the medium boxes with position and capacity, the
    // position bar) or off (the title bar with the position alone).
    void set_guides(bool on) {
        for (int f = 0; f < SCREEN_FORMAT_COUNT; ++f) {
            app.settings.rec.edit_info_place[f] = on ? 2 : 0;
            app.settings.rec.edit_info_content[f] = on ? 2 : 0;
            app.settings.rec.show_position_bar[f] = on ? 1 : 0;
        }
    }
    Editor() {
        build_default_settings(&app.settings.rec);
        set_guides(true);
        app.host = &host;
        app.loaded = std::make_unique<LoadedDocument>(std::string(), UINT64_MAX);
        app.hooks.rebuild_screen.set([this](Application& a) {
            rebuild_screen(a, screen, &surface, [](int w, int h) { return std::make_unique<ImageSurface>(w, h); },
                           fonts);
            editing_after_rebuild(a, screen);
        });
        shell = std::make_unique<ShellEvents>(app, nullptr, menus);
        app.window.screen = &screen;
        app.window.show_surface = [] {};
        install_features(app);
    }
    // Seconds to open and load the whole document.
    double open(const std::string& path) {
        const auto t0 = Clock::now();
        close_document(&app.doc, false);
        app.doc = DocumentState{};
        if (!open_document_file(&app.doc, path, 0)) return -1;
        app.doc.save_name = path;
        load_into_application(app);
        load_all(app.loaded->document, app.doc, app.loaded->session);
        const double t = seconds_since(t0);
        start_editing(app);
        app.startup_done = true;
        app.hooks.rebuild_screen(app);
        window_changed(app);
        return t;
    }
    ~Editor() {
        // The in-use mark is given back; the document is never saved.
        close_document(&app.doc, false);
    }
    // Best of KEY_REPEATS runs: one character typed and taken out again.
    double time_typing() {
        double best = 1e9;
        for (int r = 0; r < KEY_REPEATS; ++r) {
            const auto t0 = Clock::now();
            for (int i = 0; i < KEY_ROUNDS; ++i) {
                shell->characters_typed("a");
                shell->key_down(VK_BACK, 0);
            }
            surface.flush();
            best = std::min(best, seconds_since(t0) / (2 * KEY_ROUNDS));
        }
        return best;
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: guides_bench FILE\n");
        return 2;
    }
    QGuiApplication qt(argc, argv);
    const std::string path = argv[1];
    Editor on;
    double load = 1e9, count = 1e9;
    for (int r = 0; r < COUNT_ROUNDS; ++r) {
        const double l = on.open(path);
        if (l < 0) {
            std::fprintf(stderr, "guides_bench: cannot open %s\n", argv[1]);
            return 1;
        }
        load = std::min(load, l);
        const auto t0 = Clock::now();
        count_document(on.app, *on.app.features.guides, CountOwner::CAPACITY_BOX);
        count = std::min(count, seconds_since(t0));
    }
    std::printf("load %.1f ms, capacity count %.1f ms (%llu pages)\n", load * 1e3, count * 1e3,
                static_cast<unsigned long long>(on.app.features.guides->capacity.pages));
    rix::bench::print_result("guides count / load", count / load, 2.0);

    const double with_guides = on.time_typing();
    on.set_guides(false);
    on.app.hooks.rebuild_screen(on.app);
    window_changed(on.app);
    const double without = on.time_typing();
    std::printf("typed character: %.3f ms with the guides, %.3f ms without\n", with_guides * 1e3, without * 1e3);
    rix::bench::print_result("keystroke guides on / off", with_guides / without, 1.1);
    return 0;
}
