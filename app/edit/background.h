// The background picture of the current screen format, tied to the
// settings: which file a format names (敷詰画像 for tiles, 全面画像 for one
// stretched picture, in the data folder), reading it once per full
// re-initialisation of the screen, and what a failure does: a notice, the
// fill in its place, and the format's background_mode set to 0 in the
// settings (so the format dialog shows 塗潰し afterwards).
//
// The picture is kept in BackgroundPicture (display/background.h) and read
// again only when the format names another file or the file changed since.
#pragma once

#include <string>

#include "app/settings/settings_record.h"
#include "display/background.h"

namespace rix {

struct Application;

constexpr unsigned BACKGROUND_OPEN_NOTICE_MS = 5000;
constexpr unsigned BACKGROUND_NOT_BMP_NOTICE_MS = 3000;
// The reference width of pages printed without an edit window (the batch
// forms): a usual width of the window, so that tiles come out as large.
constexpr int BACKGROUND_BATCH_REFERENCE_WIDTH = 1024;

// The picture file of screen slot `slot` for its mode (native path), "" for
// the fill or a format without a name.
std::string background_picture_path(const SettingsRecord& rec, int slot, const std::string& program_folder);

// Prepares the background of screen slot `slot` for painting: for a picture
// mode, the picture read (or kept); on failure the notice and mode 0 stored.
// The reference width becomes `client_width` when it is above 0 (the
// screen); printing passes 0 and keeps the screen's. Returns what painting
// needs; its picture points into `bg`.
BackgroundPaint prepare_background(SettingsState* settings, int slot, const std::string& program_folder,
                                   BackgroundPicture& bg, int client_width);

// The background of printed pages, the preview and the PDF: the current
// screen format's fill or picture with the screen's reference width. The
// picture is the screen's when the window has one, else read into `local`.
BackgroundPaint page_background(Application& app, BackgroundPicture& local);

}  // namespace rix
