// The start of a process up to its window (see process_start.h), and the
// shell's message helpers the start and every later flow use.
#include "app/shell/process_start.h"

#include <unistd.h>

#include <cstdio>
#include <vector>

#include "app/edit/format_views.h"
#include "app/shell/batch_modes.h"
#include "platform/codec.h"
#include "platform/files.h"
#include "platform/dialogs.h"
#include "platform/messages.h"
#include "platform/shell.h"
#include "rix_build_paths.h"

namespace rix {
namespace {

constexpr std::size_t MAX_OPEN_REQUEST = 128;
// The settings file of the data folder. It keeps the FTP sites' passwords:
// installed with mode 0600, and one with wider modes is made private at start.
constexpr char ENVIRONMENT_FILE[] = "rix.env";

std::string current_folder() {
    std::vector<char> buf(4096);
    if (!::getcwd(buf.data(), buf.size())) return "/";
    return buf.data();
}

}  // namespace

int ask_question(Application& app, int kind, const std::string& utf8, int batch_answer) {
    if (app.batch) {
        BatchMessages batch;
        batch.question_answer = batch_answer;
        return batch.show_message(kind, 0, utf8_to_sjis(utf8), 0);
    }
    return show_message(kind, 0, utf8_to_sjis(utf8), 0);
}

void shell_notice(const std::string& utf8, unsigned time_ms) {
    show_message(MSG_NOTICE, 0, utf8_to_sjis(utf8), time_ms);
}

Flow locate_environment_file(Application& app) {
    std::string named = absolute_path(app.line.env_name, app.paths.program_folder);
    std::string standard = join_path(app.paths.program_folder, ENVIRONMENT_FILE);
    std::size_t got = read_settings(named, &app.settings);
    bool replaced = false;
    if (got == 0 && app.line.env_named && named != standard) {
        got = read_settings(standard, &app.settings);
        replaced = got > 0;
    }
    if (got == 0) {
        shell_notice("環境設定ファイル（" + name_of(named) + "）が見つかりません。\n" + name_of(named) +
                         " はデータフォルダ\n" + app.paths.program_folder + "\nに必要です。",
                     7000);
        return Flow::End;
    }
    if (replaced &&
        ask_question(app, MSG_YES_NO,
                     "指定の環境設定ファイル\n" + named + "\nがありません。\n標準の RIX.ENV を使いますか？",
                     MSG_RESULT_YES) != MSG_RESULT_YES)
        return Flow::End;
    SettingsRecord& rec = app.settings.rec;
    app.paths.env_path = replaced ? standard : named;
    keep_private(app.paths.env_path);
    app.paths.log_path = absolute_path(app.line.log_name, app.paths.program_folder);
    messages().set_beep(rec.no_beep == 0);
    std::string folder = sjis_to_utf8(read_field(rec.document_folder, sizeof rec.document_folder));
    app.paths.open_request = folder.empty() ? app.paths.start_folder : folder;
    if (app.paths.open_request.size() > MAX_OPEN_REQUEST) app.paths.open_request = app.paths.start_folder;
    return Flow::Continue;
}

void print_usage(std::FILE* out) {
    std::fprintf(out,
                 "usage: rix [DOCUMENT|URL] [FILE/e] [FILE/l]\n"
                 "       rix --version | --data-folder\n"
                 "       rix --snapshot OUT.png [--size WxH] [DOCUMENT]\n"
                 "       rix --info [--format N] [--read-rubies] [--read-index] [--read-line-info] DOCUMENT\n"
                 "       rix --save-as OUT [--encoding sjis|utf8] [--read-rubies] [--read-index] [--read-line-info] DOCUMENT\n"
                 "       rix --write-out OUT [--rubies] [--line-info] [--index] [--read-...] DOCUMENT\n"
                 "       rix --print OUT.pdf [--print-format N] [--pages A-B] DOCUMENT\n"
                 "       rix --pdf OUT.pdf [--print-format N] [--pages A-B] [--[no-]compress] [--[no-]outline|--outline-title]\n"
                 "           [--read-index] DOCUMENT\n"
                 "       rix --epub OUT.epub [--print-format N] [--read-rubies] [--read-index] DOCUMENT\n"
                 "       rix --html OUT.htm [--format N] [--read-rubies] DOCUMENT\n"
                 "       rix --preview-snapshot OUT.png [--print-format N] [--sheet K] [--size WxH] DOCUMENT\n"
                 "       rix --db-pdf OUT.pdf --db-table TABLE --db-row ROWID [--db-field FIELD] DATABASE.ksl\n"
                 "       rix --ftp-put SITE FILE... (SITE 1..3: the FTP site of the settings; into its site folder)\n"
                 "       rix --help\n");
}

int usage_error(const std::string& error) {
    std::fprintf(stderr, "rix: %s\n", error.c_str());
    print_usage(stderr);
    return 2;
}

bool answered_without_window(const CommandLine& line) {
    return line.show_help || line.show_version || line.show_data_folder || batch_stage_chosen(line, BatchStage::FRONT);
}

std::string resource_folder() {
    const std::string installed = join_path(folder_of(folder_of(executable_path())), "share/rix");
    if (folder_exists(join_path(installed, "dialogs"))) return installed;
    return RIX_RESOURCE_DIR;
}

int start_without_window(Application& app, int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (!parse_command_line(args, &app.line)) return usage_error(app.line.error);
    if (app.line.show_help) {
        print_usage(stdout);
        return 0;
    }
    if (app.line.show_version) {
        std::printf("ミルトア (rix) 7.11\n");
        return 0;
    }
    app.paths.program_folder = data_folder();
    app.paths.start_folder = current_folder();
    const std::string resources = resource_folder();
    set_dialog_resource_dir(resources);
    if (!install_data_folder(app.paths.program_folder, resources, {ENVIRONMENT_FILE})) {
        std::fprintf(stderr, "rix: cannot create the data folder %s\n", app.paths.program_folder.c_str());
        return 1;
    }
    keep_private(join_path(app.paths.program_folder, ENVIRONMENT_FILE));
    if (app.line.show_data_folder) {
        std::printf("%s\n", app.paths.program_folder.c_str());
        return 0;
    }
    app.batch = app.line.batch();
    app.reading.rubies = app.line.read_rubies;
    app.reading.index = app.line.read_index;
    app.reading.line_info = app.line.read_line_info;
    if (locate_environment_file(app) == Flow::End) return app.batch ? 1 : 0;
    return run_batch_stage(app, BatchStage::FRONT, BatchServices{});
}

}  // namespace rix
