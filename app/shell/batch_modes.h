// Every batch form of the command line in one table, in the order a start
// tries them: the options that choose it, the stage of the start it runs in,
// the check of the rest of the command line, and its run.
//
// The front program `rix` links neither Qt nor the network libraries: it runs
// the FRONT forms itself and hands every other start to the window program,
// which runs the BEFORE_GUI forms before it makes the Qt application and the
// WITH_GUI forms (they need its fonts and its PDF printer) right after. The
// checks of the WITH_GUI forms run before the Qt application is made, so that
// a command line in error starts nothing.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/print/print_run.h"

namespace rix {

struct Application;
struct CommandLine;

enum class BatchStage { FRONT, BEFORE_GUI, WITH_GUI };

// The runs of the window program's forms, by the `options` of their rows.
// They reach the whole application and the libraries the front program never
// links, so only the window program makes them (window_batch_runs).
struct BatchServices {
    std::map<std::string, std::function<int(Application&)>> runs;
};
// The window program's runs, with its PDF printer and preview images.
BatchServices window_batch_runs(PrintDeviceFactory pdf_printer, PreviewImages preview_images);

struct BatchMode {
    const char* options;                         // the options that choose it
    BatchStage stage;
    bool (*chosen)(const CommandLine& line);
    // "" when the command line is whole for this form, else the usage error.
    std::string (*check)(const CommandLine& line);
    // The run of a FRONT form; the others' are the window program's (BatchServices).
    int (*run)(Application& app);
};

// The table, in the order of trial.
const std::vector<BatchMode>& batch_modes();

// Whether a form of `stage` is chosen by the command line.
bool batch_stage_chosen(const CommandLine& line, BatchStage stage);
// The usage error of the first chosen form of `stage` whose check fails; "".
std::string check_batch_stage(const CommandLine& line, BatchStage stage);
// Runs the first chosen form of `stage` (WITH_GUI: in the order --print,
// --db-pdf, --preview-snapshot, its checks made before), after its check (a
// usage error gives exit code 2): its exit code, or START_NEEDS_WINDOW when
// none is chosen.
int run_batch_stage(Application& app, BatchStage stage, const BatchServices& services);

}  // namespace rix
