// Jumps (see jumps.h).
#include "aids/jumps.h"

#include "document/display_lines.h"
#include "document/storage.h"
#include "platform/codec.h"

namespace rix {

namespace {

bool reach(EditContext& c, const SeekResult& r, bool top_at_target, WindowRef owner, Notices& notices) {
    if (!r.found) {
        notices.add("目的の箇所が見付かりません｡", 2000, owner);
        return false;
    }
    move_to_target(c, r.pos, top_at_target);
    return true;
}

}  // namespace

bool line_jump(EditContext& c, int mode, std::int64_t value, MarkJumpMemory* memory, WindowRef owner,
               Notices& notices) {
    if (memory) memory->forget();
    if (mode != SEEK_LINE && mode != SEEK_DISPLAY_LINE && mode != SEEK_PAGE) return false;
    return reach(c, locate_target(c, mode, value), mode == SEEK_PAGE, owner, notices);
}

bool mark_jump(EditContext& c, std::uint8_t mask, bool forward, WindowRef owner, Notices& notices) {
    return reach(c, locate_target(c, forward ? SEEK_MARK_FORWARD : SEEK_MARK_BACKWARD, mask & 0x0F), false, owner,
                 notices);
}

bool text_jump(EditContext& c, std::string_view text, bool forward, WindowRef owner, Notices& notices) {
    if (text.empty()) return false;
    const SeekResult r = locate_target(c, forward ? SEEK_TEXT_FORWARD : SEEK_TEXT_BACKWARD, 0, text);
    if (!r.found) {
        notices.add("検索語が見つかりません｡", 1500, owner);
        return false;
    }
    move_to_target(c, r.pos, false);
    return true;
}

bool run_jump_command(EditContext& c, int command, const JumpEnv& env, Notices& notices) {
    if (command == COMMAND_MARK_JUMP) {
        if (env.memory == nullptr || !env.memory->set) {
            notices.add("先に「マーク指定」してください｡", 2000, env.owner);
            return false;
        }
        return mark_jump(c, env.memory->mask, env.memory->forward, env.owner, notices);
    }
    if (command == COMMAND_DOCUMENT_START || command == COMMAND_DOCUMENT_END) {
        if (env.memory) env.memory->forget();
        const bool start = command == COMMAND_DOCUMENT_START;
        return reach(c, locate_target(c, start ? SEEK_TEXT_BACKWARD : SEEK_TEXT_FORWARD, 0, {}), false, env.owner,
                     notices);
    }
    const bool forward = command >= COMMAND_DIGIT_FORWARD_FIRST && command <= COMMAND_DIGIT_FORWARD_LAST;
    const bool backward = command >= COMMAND_DIGIT_BACKWARD_FIRST && command <= COMMAND_DIGIT_BACKWARD_LAST;
    if (!forward && !backward) return false;
    const int n = command - (forward ? COMMAND_DIGIT_FORWARD_FIRST : COMMAND_DIGIT_BACKWARD_FIRST) + 1;   // 1..8
    if (n <= 4 && env.marks_on_digit_keys)
        return mark_jump(c, static_cast<std::uint8_t>(1u << (n - 1)), forward, env.owner, notices);
    if (env.strings == nullptr) return false;
    return text_jump(c, (*env.strings)[static_cast<std::size_t>(n - 1)], forward, env.owner, notices);
}

void attach_marks(EditContext& c, std::uint8_t marks, MarkJumpMemory* memory) {
    if (memory) memory->forget();
    const std::uint32_t line = c.edit.cursor.pos.line();
    if (line >= c.doc.lines.count()) return;
    marks &= 0x0F;
    if (c.doc.lines.marks(line) == marks) return;
    c.doc.lines.set_marks(line, marks);
    c.state.modified |= MODIFIED_EXTENSION;
    c.edit.damage.note_text_from(DisplayLineNo{c.doc.lines.display_lines_before(line)});
}

std::string jump_string_field(std::string_view text) {
    const std::size_t nul = text.find('\0');
    if (nul != std::string_view::npos) text = text.substr(0, nul);
    std::size_t k = 0;
    while (k < text.size()) {
        const std::size_t n = is_stored_lead(static_cast<std::uint8_t>(text[k])) ? 2 : 1;
        if (k + n > text.size() || k + n > JUMP_STRING_BYTES) break;
        k += n;
    }
    return std::string(text.substr(0, k));
}

void register_jump_strings(JumpStrings& table, const JumpStrings& boxes, DocumentState& state) {
    JumpStrings fresh;
    for (std::size_t i = 0; i < JUMP_SLOTS; ++i) fresh[i] = jump_string_field(boxes[i]);
    if (fresh == table) return;
    table = fresh;
    state.modified |= MODIFIED_EXTENSION;
}

}  // namespace rix
