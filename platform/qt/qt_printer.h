// The Qt print device: a QPrinter writing a PDF file (the batch and the
// tests) through the same PainterSurface drawing code as the screen.
#pragma once

#include <memory>
#include <string>

#include "platform/printer.h"

namespace rix {

// A device writing setup.pdf_path; null when the path is empty.
std::unique_ptr<PrintDevice> create_pdf_print_device(const PrintDeviceSetup& setup);
// The PDF device when the setup names a file, else the system's default
// printer (whose begin fails when there is none).
std::unique_ptr<PrintDevice> create_print_device(const PrintDeviceSetup& setup);
// An image surface of width × height pixels for the preview, on which
// everything is drawn scaled by `scale`; and its PNG file (false when the
// surface is not one of these images or the file cannot be written).
std::unique_ptr<Surface> create_preview_image(int width, int height, double scale);
bool save_preview_image(Surface& image, const std::string& png_path);
// The page setup dialog over the active window, started from the printer's
// paper number (the system's paper numbers; 0: the printer's default) and
// orientation; on OK both are set from the choice, a paper without a number
// giving 0. False when cancelled.
bool run_page_setup_dialog(int* paper_number, bool* landscape);
// The paper size of a paper number and back (0 for a size without one).
bool page_size_of_paper(int paper_number, int* width_mm, int* height_mm);
int paper_number_of_size(double width_mm, double height_mm);
// Handles the window events pending now (the cancel button of a print run).
void pump_print_events();

}  // namespace rix
