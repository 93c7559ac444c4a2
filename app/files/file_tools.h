// The file tools in the shell: the file selection dialog behind every
// document choice of the window, the file viewer, whole-file encryption
// (command 108) and the file search (command 109). Builds the services of
// the files/ dialogs from the Application.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/files/file_crypt_dialog.h"
#include "app/files/file_search_dialog.h"
#include "files/file_list.h"
#include "platform/text_box.h"

namespace rix {

struct Application;

// What the file tools' dialogs keep while the program runs
// (Application::file_tools): paths and key checks, the search and its
// results, and each column's sort direction in the file selection's list.
struct FileToolsUi {
    FileCryptState crypt;
    FileSearchState search;
    std::uint8_t column_directions[SORT_COLUMNS] = {};
};

// The viewer's look: the writing aids' font, the fill colour and the writing
// direction of the current screen format.
TextBoxFormat viewer_format(const Application& app);
// Shows a file in the viewer (a notice when it cannot be read); nothing
// without a viewer window.
void view_file(Application& app, const std::string& path);

// select_file on the window host, its notices shown: the document choice of
// the start and of the file commands.
int select_document(Application& app, int mode, std::string* path);

// FILE_SEL in `mode` with the preset *path; the CHOSEN_* result, *path the choice.
int run_file_selection(Application& app, int mode, std::string* path);
// FILE_SEL in mode 3 (several documents) or 4 (a list file); false when cancelled.
bool choose_documents(Application& app, const std::string& folder, std::vector<std::string>* paths);
bool choose_list_file(Application& app, const std::string& folder, std::string* path);

void open_file_crypt(Application& app);
void open_file_search(Application& app);

}  // namespace rix
