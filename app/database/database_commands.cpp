// The document database: 文書データベース (407) opens the browser window
// (database/browser.h) on a DatabaseView the window program makes, with the
// browser's settings copied from the settings record and back whenever the
// browser changes them. The exit of the program waits while it is open
// (DocumentHooks::database_open).
#include <ctime>
#include <memory>

#include "app/window/command_table.h"
#include "app/shell/features.h"
#include "app/database/db_dialogs.h"
#include "app/database/db_print_run.h"
#include "app/window/shell_events.h"
#include "database/browser.h"
#include "platform/codec.h"
#include "platform/gui.h"
#include "platform/messages.h"

namespace rix {

namespace {

DbFont font_of(const FontRecord& r) {
    DbFont f;
    f.height = r.height;
    f.weight = r.weight;
    f.italic = r.italic != 0;
    f.face = std::string(read_field(r.face, sizeof r.face));
    return f;
}

void store_font(FontRecord* r, const DbFont& f) {
    r->height = f.height;
    r->weight = f.weight;
    r->italic = f.italic ? 1 : 0;
    r->charset = 128;
    store_field(r->face, sizeof r->face, f.face);
}

}  // namespace

DbBrowserSettings database_settings_of(const SettingsRecord& rec) {
    DbBrowserSettings s;
    s.document_folder = sjis_to_utf8(read_field(rec.document_folder, sizeof rec.document_folder));
    s.content_spacing = rec.db_content_spacing;
    s.list_spacing = rec.list_line_spacing;
    s.last_table = rec.db_last_table;
    s.last_field = rec.db_last_field;
    s.last_record = rec.db_last_record;
    s.rect = {rec.db_window_rect[0], rec.db_window_rect[1], rec.db_window_rect[2], rec.db_window_rect[3]};
    s.list_bottom = rec.db_list_bottom;
    s.horizontal = (rec.db_flags & 1) != 0;
    s.last_file = sjis_to_utf8(read_field(rec.db_last_file, sizeof rec.db_last_file));
    s.screen_font = font_of(rec.db_screen_font);
    s.print_font = font_of(rec.db_print_font);
    s.text_colour = rec.text_colour_rgb[0];
    return s;
}

void store_database_settings(const DbBrowserSettings& s, SettingsRecord* rec) {
    const std::string folder = utf8_to_sjis(s.document_folder);
    if (folder.size() < sizeof rec->document_folder) store_field(rec->document_folder, sizeof rec->document_folder, folder);
    rec->db_content_spacing = static_cast<std::uint8_t>(std::clamp(s.content_spacing, 0, 4));
    rec->list_line_spacing = static_cast<std::uint8_t>(std::clamp(s.list_spacing, 0, 2));
    rec->db_last_table = static_cast<std::uint8_t>(std::clamp(s.last_table, 0, 255));
    rec->db_last_field = static_cast<std::uint8_t>(std::clamp(s.last_field, 0, 255));
    rec->db_last_record = static_cast<std::int16_t>(std::clamp(s.last_record, 0, 32767));
    const int rect[4] = {s.rect.x, s.rect.y, s.rect.w, s.rect.h};
    for (int i = 0; i < 4; ++i) rec->db_window_rect[i] = static_cast<std::int16_t>(std::clamp(rect[i], -32768, 32767));
    rec->db_list_bottom = static_cast<std::int16_t>(std::clamp(s.list_bottom, 0, 32767));
    rec->db_flags = static_cast<std::uint8_t>((rec->db_flags & ~1u) | (s.horizontal ? 1u : 0u));
    // The field holds paths shorter than itself; a longer one is not kept.
    const std::string path = utf8_to_sjis(s.last_file);
    store_field(rec->db_last_file, sizeof rec->db_last_file, path.size() < sizeof rec->db_last_file ? path : "");
    store_font(&rec->db_screen_font, s.screen_font);
    store_font(&rec->db_print_font, s.print_font);
}

namespace {

// The browser's notices and questions through the message box, 説明 through
// the help viewer.
class MessageBrowserPrompts final : public BrowserPrompts {
public:
    explicit MessageBrowserPrompts(const Application& app) : questions_(app) {}
    void tell(const Notices& notices) override { show_notices(notices); }
    bool yes_no(std::string_view utf8, std::uintptr_t owner) override { return questions_.yes_no(utf8, owner); }
    void help(std::string_view topic) override { messages().show_help(topic); }

private:
    MessageQuestions questions_;
};

struct DatabaseGlue {
    std::unique_ptr<MessageBrowserPrompts> prompts;   // made with each browser, outlives it
    std::unique_ptr<DatabaseView> view;
    DbBrowserSettings settings;
    std::unique_ptr<DatabaseBrowser> browser;
    DbPrintSettings print;            // kept while the program runs
    DateTimeChoice date_time;
};

DbBrowserServices services_of(Application& app, DatabaseGlue* g) {
    DbBrowserServices s;
    s.start_folder = app.paths.program_folder;
    s.settings_dialog = [&app](DbBrowserSettings& settings, WindowRef owner) {
        DbSettingsServices services;
        if (app.window.gui) services.fonts = &app.window.gui->font_chooser();
        services.choose_folder = app.window.choose_folder;
        return run_db_settings_dialog(&settings, services, owner);
    };
    s.date_time = [g](std::string* text, WindowRef owner) {
        const std::time_t t = std::time(nullptr);
        std::tm now{};
        localtime_r(&t, &now);
        return run_date_time_dialog(&g->date_time, now, text, owner);
    };
    s.find = [](TextBox& box, bool replace, WindowRef owner) { return run_content_find_dialog(box, replace, owner); };
    s.page_setup = [](DbPrintSettings& settings) { return run_db_page_setup_dialog(&settings, 0); };
    if (app.window.print_devices)
        s.print = [&app](const ContentPrintJob& job) {
            PrintDeviceSetup setup;
            setup.title = "文書データベース";
            std::unique_ptr<PrintDevice> device = app.window.print_devices(setup);
            int pages = 0;
            if (!device || print_content(*device, job, &pages) == ContentPrintResult::DEVICE_FAILED) {
                messages().show_message(MSG_NOTICE, 0, utf8_to_sjis("印刷できませんでした。"), 3000);
                return false;
            }
            return true;
        };
    if (app.window.preview_window)
        s.preview = [&app](const ContentPrintJob& job) {
            // An A4 page at 300 dpi: the preview measures the text at the printer's size.
            ContentPreview source(job, 2480, 3508, 300, "用紙Ａ４");
            app.window.preview_window(source);
        };
    s.settings_changed = [&app, g] {
        store_database_settings(g->settings, &app.settings.rec);
        mark_settings_changed(&app.settings);
    };
    return s;
}

}  // namespace

void install_database_commands(Application& app) {
    auto glue = std::make_shared<DatabaseGlue>();
    DatabaseGlue* g = glue.get();
    CommandTable& t = app.window.shell->commands();
    t.set_handler(
        COMMAND_DATABASE,
        [&app, glue](int) {
            DatabaseGlue* g = glue.get();
            if (g->browser && g->browser->is_open()) {
                g->view->raise();
                return;
            }
            if (g->browser) g->print = g->browser->print_settings();
            g->browser.reset();
            g->view = app.window.database_view();
            if (!g->view) return;
            g->settings = database_settings_of(app.settings.rec);
            g->prompts = std::make_unique<MessageBrowserPrompts>(app);
            g->browser = std::make_unique<DatabaseBrowser>(*g->view, g->settings, services_of(app, g), *g->prompts);
            g->browser->print_settings() = g->print;
            g->browser->open();
        },
        [&app] { return static_cast<bool>(app.window.database_view); });
    app.hooks.database_open.set([g] { return g->browser && g->browser->is_open(); });
}

}  // namespace rix
