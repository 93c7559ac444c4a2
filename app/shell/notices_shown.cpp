// Showing what a lower layer reported, and asking its questions, through the
// message box. A file of its own, so that a program that shows notices (rix
// --info) links no more of app/ than it calls.
#include <string>

#include "app/shell/application.h"
#include "platform/codec.h"
#include "platform/messages.h"

namespace rix {

void show_notices(const Notices& notices) {
    for (const Notice& n : notices.items) show_message(MSG_NOTICE, n.owner, utf8_to_sjis(n.utf8), n.time_ms);
}

bool MessageQuestions::yes_no(std::string_view utf8, std::uintptr_t owner) {
    std::string text = utf8_to_sjis(std::string(utf8));
    if (batch_) {
        BatchMessages batch;
        batch.question_answer = batch_yes_ ? MSG_RESULT_YES : MSG_RESULT_NO;
        return batch.show_message(MSG_YES_NO, owner, text, 0) == MSG_RESULT_YES;
    }
    return show_message(MSG_YES_NO, owner, text, 0) == MSG_RESULT_YES;
}

}  // namespace rix
