// The background picture of a screen format (see background.h).
#include "app/edit/background.h"

#include <sys/stat.h>

#include "app/shell/application.h"
#include "app/edit/format_views.h"
#include "app/edit/screen.h"

#include "platform/codec.h"
#include "platform/messages.h"

namespace rix {

namespace {

constexpr std::size_t IMAGE_NAME_BYTES = sizeof(BackgroundImageNames::tile_image_name);

// The file's modification time and size mixed into one number; 0 when it
// cannot be read.
std::int64_t file_stamp(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return 0;
    return static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000003 + st.st_mtim.tv_nsec / 1000 * 31 + st.st_size;
}

void tell_failure(PictureStatus status, bool jpeg) {
    if (status == PictureStatus::NOT_BITMAP) {
        show_message(MSG_NOTICE, 0, utf8_to_sjis("ビットマップではありません｡"), BACKGROUND_NOT_BMP_NOTICE_MS);
        return;
    }
    const char* text = jpeg ? "ＪＰＥＧ画像ファイルのオープンに失敗しました｡\n背景を塗潰し描画にします｡"
                            : "画像ファイルのオープンに失敗しました｡\n背景を塗潰し描画にします｡";
    show_message(MSG_NOTICE, 0, utf8_to_sjis(text), BACKGROUND_OPEN_NOTICE_MS);
}

}  // namespace

std::string background_picture_path(const SettingsRecord& rec, int slot, const std::string& program_folder) {
    if (slot < 0 || slot >= SCREEN_FORMAT_COUNT) return {};
    const int mode = rec.background_mode[slot];
    if (mode != BACKGROUND_TILED && mode != BACKGROUND_STRETCHED) return {};
    const BackgroundImageNames& names = rec.background_images[slot];
    const std::string name(
        read_field(mode == BACKGROUND_TILED ? names.tile_image_name : names.full_image_name, IMAGE_NAME_BYTES));
    if (name.empty()) return {};
    return program_folder + "/" + sjis_to_utf8(name);
}

BackgroundPaint prepare_background(SettingsState* settings, int slot, const std::string& program_folder,
                                   BackgroundPicture& bg, int client_width) {
    SettingsRecord& rec = settings->rec;
    if (slot < 0 || slot >= SCREEN_FORMAT_COUNT) slot = 0;
    BackgroundPaint paint;
    paint.fill_colour = rec.fill_colour[slot];
    if (client_width > 0) bg.reference_width = client_width;
    paint.reference_width = bg.reference_width;
    const int mode = rec.background_mode[slot];
    if (mode != BACKGROUND_TILED && mode != BACKGROUND_STRETCHED) return paint;
    const std::string path = background_picture_path(rec, slot, program_folder);
    const std::int64_t stamp = path.empty() ? 0 : file_stamp(path);
    if (path.empty() || path != bg.path || stamp == 0 || stamp != bg.file_stamp || !bg.picture.valid()) {
        bg.path.clear();
        bg.file_stamp = 0;
        const PictureStatus status =
            path.empty() ? PictureStatus::OPEN_FAILED : load_picture_file(path, &bg.picture);
        if (status != PictureStatus::OK) {
            bg.picture = {};
            tell_failure(status, is_jpeg_name(path));
            rec.background_mode[slot] = BACKGROUND_FILL;
            mark_settings_changed(settings);
            return paint;
        }
        bg.path = path;
        bg.file_stamp = stamp;
    }
    paint.mode = mode;
    paint.picture = &bg.picture;
    return paint;
}

BackgroundPaint page_background(Application& app, BackgroundPicture& local) {
    BackgroundPicture& bg = app.window.screen ? app.window.screen->background : local;
    if (bg.reference_width <= 0) bg.reference_width = BACKGROUND_BATCH_REFERENCE_WIDTH;
    return prepare_background(&app.settings, current_screen_slot(app.settings.rec), app.paths.program_folder, bg, 0);
}

}  // namespace rix
