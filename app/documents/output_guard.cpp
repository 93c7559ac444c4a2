// The writers' check that an output is none of their inputs.
#include "app/documents/output_guard.h"

#include "document/extension_file.h"
#include "platform/codec.h"
#include "platform/files.h"
#include "platform/messages.h"

namespace rix {

namespace {

constexpr unsigned REFUSAL_MS = 4000;

void add_text_file(std::vector<std::string>* inputs, const std::string& path) {
    if (path.empty()) return;
    inputs->push_back(path);
    inputs->push_back(extension_path_for(path));
}

}  // namespace

std::vector<std::string> document_inputs(const DocumentState& doc) {
    std::vector<std::string> inputs;
    add_text_file(&inputs, doc.opened_path);
    if (doc.save_name != doc.opened_path) add_text_file(&inputs, doc.save_name);
    return inputs;
}

std::vector<std::string> document_extension_files(const DocumentState& doc) {
    std::vector<std::string> files;
    for (const std::string& text : {doc.opened_path, doc.save_name})
        if (!text.empty()) files.push_back(extension_path_for(text));
    return files;
}

std::vector<std::string> database_inputs(const std::string& database) {
    if (database.empty()) return {};
    // SQLite names its files after the file a link leads to.
    const std::string real = link_target(absolute_path(database));
    return {database, real + "-journal", real + "-wal", real + "-shm"};
}

bool output_is_an_input(const std::string& output, const std::vector<std::string>& inputs) {
    for (const std::string& input : inputs)
        if (!input.empty() && same_file(output, input)) return true;
    return false;
}

bool refuse_output_over_input(const std::string& output, std::string_view what_utf8,
                              const std::vector<std::string>& inputs) {
    if (!output_is_an_input(output, inputs)) return false;
    show_message(MSG_NOTICE, 0,
                 utf8_to_sjis("編集中の文書に" + std::string(what_utf8) + "を上書きすることはできません｡\n" + output),
                 REFUSAL_MS);
    return true;
}

}  // namespace rix
