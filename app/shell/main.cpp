// The window program's entry: the start without a window (process_start.h),
// then instance number, main window, message loop. Batch options never open
// a window.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/shell/application.h"
#include "app/shell/batch_modes.h"
#include "app/shell/features.h"
#include "app/database/db_print_run.h"
#include "app/edit/editor.h"
#include "app/edit/format_views.h"
#include "app/publish/ftp_batch.h"
#include "app/window/menus.h"
#include "app/documents/output_guard.h"
#include "app/print/print_run.h"
#include "app/shell/process_start.h"
#include "app/documents/recovery_flow.h"
#include "app/documents/save_flow.h"
#include "app/edit/screen.h"
#include "app/window/shell_events.h"
#include "platform/codec.h"
#include "platform/files.h"
#include "platform/gui.h"
#include "platform/messages.h"
#include "platform/qt/qt_folder_chooser.h"
#include "platform/qt/qt_database_view.h"
#include "platform/qt/qt_file_chooser.h"
#include "platform/qt/qt_escape_poll.h"
#include "platform/qt/qt_file_viewer.h"
#include "platform/qt/qt_preview.h"
#include "platform/qt/qt_picture.h"
#include "platform/qt/qt_printer.h"

using namespace rix;

namespace {

// Test hook: RIX_TEST_TYPE (UTF-8) is typed into the document once, as soon
// as the first screen is built on it, so that a test can drive a real window
// program to a changed document (tests/cli/signals_test.sh). Unset in every
// other run.
void type_test_text(Application& app) {
    const char* text = std::getenv("RIX_TEST_TYPE");
    if (text && *text && app.hooks.insert_text) app.hooks.insert_text(app, utf8_to_sjis(text));
    // RIX_TEST_PREEDIT (UTF-8): a composition shown at the cursor, its first
    // half the target clause, so that a snapshot shows it.
    const char* preedit = std::getenv("RIX_TEST_PREEDIT");
    if (preedit && *preedit && app.window.shell) {
        InputMethodEvent e;
        e.preedit = preedit;
        const std::size_t chars = sjis_to_utf32(utf8_to_sjis(preedit)).size();
        e.attributes.assign(chars, 0);
        std::fill(e.attributes.begin(), e.attributes.begin() + static_cast<std::ptrdiff_t>(chars / 2), IME_ATTR_TARGET);
        e.cursor = static_cast<int>(chars / 2);
        app.window.shell->input_method(e);
    }
}

}  // namespace

int main(int argc, char** argv) {
    Application app;
    install_qt_picture_decoder();
    const int started = start_without_window(app, argc, argv);
    if (started != START_NEEDS_WINDOW) return started;
    const BatchServices batch_services =
        window_batch_runs(create_pdf_print_device, PreviewImages{create_preview_image, save_preview_image});
    const int before = run_batch_stage(app, BatchStage::BEFORE_GUI, batch_services);
    if (before != START_NEEDS_WINDOW) return before;
    if (const std::string error = check_batch_stage(app.line, BatchStage::WITH_GUI); !error.empty())
        return usage_error(error);
    app.loaded = std::make_unique<LoadedDocument>(app.paths.program_folder, default_spill_threshold());
    app.hooks.load_document.set([](Application& a) {
        load_into_application(a);
        start_editing(a);
    });
    install_save_hooks(app);

    std::unique_ptr<Gui> gui = create_gui(argc, argv, app.batch, join_path(app.paths.program_folder, "help"),
                                          app.settings.rec.help_window_rect,
                                          [&app] { mark_settings_changed(&app.settings); });
    // Batch options never open a box: messages go to standard error.
    if (app.batch) install_messages(nullptr);
    messages().set_beep(app.settings.rec.no_beep == 0);
    app.host = &gui->host();
    if (!app.line.snapshot_path.empty() && !app.line.document.empty()) {
        DocumentState named;
        named.opened_path = absolute_path(app.line.document);
        named.save_name = named.opened_path;
        if (refuse_output_over_input(app.line.snapshot_path, "画像", document_inputs(named))) return 1;
    }
    const int with_gui = run_batch_stage(app, BatchStage::WITH_GUI, batch_services);
    if (with_gui != START_NEEDS_WINDOW) return with_gui;

    // The screen: drawn on the edit view's surface whenever the shell asks.
    ScreenState screen;
    if (app.batch) screen.slot_override = app.line.format;   // a snapshot shows the format asked for
    Gui* window = gui.get();
    bool test_text_typed = false;
    app.hooks.rebuild_screen.set([&screen, window, &test_text_typed](Application& a) {
        rebuild_screen(a, screen, window->edit_surface(),
                       [window](int w, int h) { return window->make_surface(w, h); }, window->fonts());
        editing_after_rebuild(a, screen);
        window_changed(a);
        if (!test_text_typed && editing_ready(a)) {
            test_text_typed = true;
            type_test_text(a);
        }
    });

    InstanceRegistry registry(instance_registry_folder());
    RegistryMarkJournal marks(&registry);
    int highest = 0;
    give_back_stale_marks(registry);
    if (!app.batch) {
        app.instance_number = registry.register_self(static_cast<long>(::getpid()), "『ミルトア』", &highest);
        if (app.instance_number == 0) app.instance_number = 1;   // no registry: this is the only one we know of
        app.registry = &registry;
        install_in_use_mark_journal(&marks);
        gui->watch_end_signals([&app](int number) {
            install_messages(nullptr);
            end_on_signal(app, number);
        });
    } else {
        app.instance_number = 0;   // a snapshot never writes the settings back
    }

    MenuTables menus;
    std::string menu_error;
    if (!load_menu_tables(resource_folder(), &menus, &menu_error)) {
        std::fprintf(stderr, "rix: %s\n", menu_error.c_str());
        shutdown_process(app);
        return 1;
    }
    ShellEvents events(app, gui.get(), std::move(menus));
    app.window.screen = &screen;
    app.window.gui = window;
    app.window.tag_windows = gui->tag_windows();
    app.window.clipboard = &gui->clipboard();
    app.window.show_surface = [window] { window->invalidate(); };
    app.window.print_devices = create_print_device;
    app.window.pump_events = pump_print_events;
    app.window.page_setup = run_page_setup_dialog;
    app.window.choose_folder = run_folder_chooser;
    app.window.choose_font_file = run_font_file_chooser;
    app.window.choose_files = run_file_chooser;
    app.window.preview_window = run_preview_window;
    app.window.view_file = run_file_viewer;
    app.window.beep = [window] { window->beep(); };
    app.window.escape_pressed = poll_escape_key;
    app.window.database_view = create_qt_database_view;
    app.window.dock_pane = [window](std::uint32_t dialog, int side) { return window->dock_dialog(dialog, side); };
    install_features(app);
    if (!gui->create_main_window(main_window_setup(app, events, highest, resource_folder()), &events)) {
        std::fprintf(stderr, "rix: the main window cannot be created\n");
        shutdown_process(app);
        return 1;
    }
    if (app.batch) {
        bool ok = gui->snapshot(app.line.snapshot_path, app.line.snapshot_width, app.line.snapshot_height);
        bool ended = app.shut_down;
        shutdown_process(app);
        if (ended)
            std::fprintf(stderr, "rix: the start ended without a document; no snapshot written\n");
        else if (!ok)
            std::fprintf(stderr, "rix: cannot write %s\n", app.line.snapshot_path.c_str());
        return ok ? 0 : 1;
    }
    gui->listen_for_raise(app.instance_number);
    int code = gui->run();
    shutdown_process(app);
    install_in_use_mark_journal(nullptr);
    return code;
}
