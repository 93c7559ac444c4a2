// The installed message service and the batch service that stands in for it.
//
// Owns the process-wide pointer to the installed MessageService. Until a
// window-backed service (or a test fake) is installed, every message goes to
// standard error in UTF-8 and questions take the caller's "loses nothing"
// answer. Single-threaded like the rest of the program.
#include "platform/messages.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "platform/codec.h"

namespace rix {

namespace {

MessageService* g_installed = nullptr;  // nullptr = the batch service

BatchMessages& batch_service() {
    static BatchMessages service;
    return service;
}

const char* answer_label(int result) {
    switch (result) {
    case MSG_RESULT_YES: return "はい";
    case MSG_RESULT_NO: return "いいえ";
    case MSG_RESULT_CANCEL: return "取消";
    default: return "閉じる";
    }
}

void print_line(std::string_view utf8) {
    std::fwrite(utf8.data(), 1, utf8.size(), stderr);
    std::fputc('\n', stderr);
}

}  // namespace

MessageService& messages() {
    return g_installed ? *g_installed : batch_service();
}

void install_messages(MessageService* service) {
    g_installed = service;
}

int BatchMessages::show_message(int kind, WindowRef, std::string_view text, unsigned) {
    // One line a message, so that each stays one line of the log.
    std::string line = sjis_to_utf8(text);
    std::replace(line.begin(), line.end(), '\n', ' ');
    print_line("ミルトア: " + line);
    int base = kind & ~MSG_CAPTION;
    if (base != MSG_YES_NO_CANCEL && base != MSG_YES_NO) return MSG_RESULT_OK;
    int result = question_answer;
    // A yes/no box has no cancel; anything but yes is taken as no.
    if (base == MSG_YES_NO && result != MSG_RESULT_YES) result = MSG_RESULT_NO;
    if (base == MSG_YES_NO_CANCEL && result != MSG_RESULT_YES && result != MSG_RESULT_NO)
        result = MSG_RESULT_CANCEL;
    print_line(std::string("  -> ") + answer_label(result));
    return result;
}

void BatchMessages::show_help(std::string_view topic) {
    print_line("ミルトア: ヘルプ " + (topic.empty() ? std::string("(前回の項目)") : sjis_to_utf8(topic)));
}

}  // namespace rix
