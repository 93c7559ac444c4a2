// The one list of the main window's features.
#include "app/shell/features.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace rix {

const std::vector<FeatureInstaller>& feature_installers() {
    static const std::vector<FeatureInstaller> list = {
        install_file_commands,
        install_instance_commands,
        install_format_commands,
        install_edit_commands,
        install_ruby_commands,
        install_line_format_commands,
        install_date_commands,
        install_search_commands,
        install_mouse_commands,
        install_print_commands,
        install_html_commands,
        install_ftp_commands,
        install_epub_commands,
        install_mail_commands,
        install_tag_commands,
        install_notebook_commands,
        install_history_commands,
        install_common_settings_commands,
        install_desktop_commands,
        install_index_commands,
        install_database_commands,
        install_input_method,
        install_copy_history_commands,
        install_synonym_commands,
        install_guide_commands,
    };
    return list;
}

void install_features(Application& app, FeatureOrder order) {
    std::vector<FeatureInstaller> list = feature_installers();
    if (order == FeatureOrder::Reversed) std::reverse(list.begin(), list.end());
    for (FeatureInstaller install : list) install(app);
}

void install_features(Application& app) {
    const char* reversed = std::getenv("RIX_REVERSE_FEATURES");
    install_features(app, reversed && std::strcmp(reversed, "1") == 0 ? FeatureOrder::Reversed : FeatureOrder::Menus);
}

}  // namespace rix
