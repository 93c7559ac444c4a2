// The one list of the main window's features.
#include "app/shell/features.h"

namespace rix {

void install_features(Application& app) {
    install_file_commands(app);
    install_instance_commands(app);
    install_format_commands(app);
    install_edit_commands(app);
    install_ruby_commands(app);
    install_line_format_commands(app);
    install_date_commands(app);
    install_search_commands(app);
    install_mouse_commands(app);
    install_print_commands(app);
    install_html_commands(app);
    install_ftp_commands(app);
    install_epub_commands(app);
    install_mail_commands(app);
    install_tag_commands(app);
    install_notebook_commands(app);
    install_history_commands(app);
    install_common_settings_commands(app);
    install_desktop_commands(app);
    install_index_commands(app);
    install_database_commands(app);
    install_input_method(app);
    install_copy_history_commands(app);
    install_synonym_commands(app);
    install_guide_commands(app);   // after the mouse: it passes the mouse's timers on
}

}  // namespace rix
