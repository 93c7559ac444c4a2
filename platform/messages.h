// The message service: the program's one message box and the help viewer.
//
// Every subsystem tells the user through show_message; nothing else opens a
// box of its own for a notice or a question. Texts are code page 932 bytes
// with "\n" between lines. The Qt implementation lives in platform/qt; tests
// install FakeMessages (fake_messages.h), which records every call and answers
// from a script.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace rix {

// Message kinds. MSG_CAPTION may be added to any kind: the first line of the
// text becomes the caption, and the box makes no sound.
enum : int {
    MSG_NOTICE = 0,         // one "閉じる" button; closes itself after the given time
    MSG_YES_NO_CANCEL = 3,  // "は い", "いいえ", "取消"
    MSG_YES_NO = 4,         // "は い", "いいえ"; Escape and the close box do nothing
    MSG_CAPTION = 0x8000,
};

// Results of show_message.
enum : int {
    MSG_RESULT_OK = 1,      // notice acknowledged or timed out
    MSG_RESULT_CANCEL = 2,  // notice closed with Escape, or "取消"
    MSG_RESULT_YES = 6,
    MSG_RESULT_NO = 7,
};

// Opaque reference to an owner window; 0 = none (centred on the screen).
using WindowRef = std::uintptr_t;

class MessageService {
public:
    virtual ~MessageService() = default;
    // kind: see above; time_ms: auto-close time of a notice (a 16-bit value,
    // ignored for questions). Returns one of the MSG_RESULT_* values.
    virtual int show_message(int kind, WindowRef owner, std::string_view text, unsigned time_ms) = 0;
    // Opens help topic "HLP_<topic>.htm"; an empty topic shows the last one.
    virtual void show_help(std::string_view topic) = 0;
    // Set from the settings record (no_beep); questions and notices beep otherwise.
    virtual void set_beep(bool on) = 0;
};

// The installed service. Until one is installed, a service that prints each
// message on standard error and takes the answer that loses nothing (batch mode).
MessageService& messages();
void install_messages(MessageService* service);  // nullptr restores the batch service

// Shorthands used everywhere.
inline int show_message(int kind, WindowRef owner, std::string_view text, unsigned time_ms = 0) {
    return messages().show_message(kind, owner, text, time_ms);
}
inline void show_help(std::string_view topic) { messages().show_help(topic); }

// The batch service: messages go to standard error in UTF-8, one line each
// (the line breaks of a text become spaces). A notice answers
// MSG_RESULT_OK; a question answers with `batch_answer` (the caller picks the
// answer that loses nothing) and prints it.
class BatchMessages final : public MessageService {
public:
    int show_message(int kind, WindowRef owner, std::string_view text, unsigned time_ms) override;
    void show_help(std::string_view topic) override;
    void set_beep(bool) override {}
    int question_answer = MSG_RESULT_NO;  // answer given to kind 3 and 4
};

}  // namespace rix
