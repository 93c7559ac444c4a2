// The start of a process up to the point where it needs a window: the
// command line, the data folder, the settings file, and the batch options
// answered from these alone (--version, --data-folder, --info).
//
// The program users start (rix, app/front) runs only this part and hands
// every other start to the window program beside it (rix_window), so that
// these options load neither Qt nor the network libraries; the window
// program runs the same part first. Nothing here (nor what it calls) may
// reach platform/qt, the network or a dialog: the front must link without them.
#pragma once

#include <string>

#include "app/shell/application.h"

namespace rix {

// The window program's file name, in the folder of the front program.
constexpr const char* WINDOW_PROGRAM = "rix_window";

// start_without_window's answer when the start goes on to the window.
constexpr int START_NEEDS_WINDOW = -1;

// The exit code when the start was answered here (including a usage error
// and a missing settings file); START_NEEDS_WINDOW when the window program
// goes on with `app`: command line parsed, paths set, settings read.
int start_without_window(Application& app, int argc, char** argv);

// True when the command line asks only for what start_without_window answers.
bool answered_without_window(const CommandLine& line);

// Where the shipped resources are read from: ../share/rix beside the folder
// of the running program when it holds the dialog templates (an installed
// program, under any prefix), else the source tree's resources/ (a build).
std::string resource_folder();

// Prints `error` and the usage to standard error; returns the exit code 2.
int usage_error(const std::string& error);

}  // namespace rix
