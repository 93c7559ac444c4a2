// TextBoxModel: text, caret, journal and cell layout of the shared text box
// (see text_box_model.h). The layout is rebuilt whole after every change:
// a box holds a note or an article, and even a viewed file of some hundred
// kilobytes lays out in well under a millisecond a change.
#include "platform/text_box_model.h"

#include <algorithm>

#include "platform/codec.h"
#include "platform/text_tools.h"

namespace rix {

namespace {

constexpr std::size_t JOURNAL_STEPS = 100;   // undo steps kept; the oldest go first

}  // namespace

std::string clean_box_text(std::string_view cp932) { return clean_text(cp932, LoneCr::LINE_END); }

std::size_t fit_box_text(std::string_view clean, std::size_t room) {
    if (clean.size() <= room) return clean.size();
    std::size_t cut = cut_on_boundary(clean, room);
    if (cut > 0 && clean[cut - 1] == '\r' && cut < clean.size() && clean[cut] == '\n') --cut;
    return cut;
}

// ---- text ----------------------------------------------------------------------

void TextBoxModel::set_text(std::string_view cp932) {
    std::string clean = clean_box_text(cp932);
    if (limit_ > 0) clean.resize(fit_box_text(clean, limit_));
    text_ = std::move(clean);
    steps_.clear();
    undo_count_ = 0;
    end_run();
    caret_ = anchor_ = 0;
    trailing_ = false;
    first_column_ = 0;
    relayout();
}

void TextBoxModel::set_byte_limit(std::size_t limit) {
    limit_ = limit;
    if (limit_ == 0 || text_.size() <= limit_) return;
    const std::size_t caret = caret_, anchor = anchor_;
    set_text(std::string(text_));   // cuts
    select(anchor, caret);
}

// ---- caret and selection --------------------------------------------------------

std::size_t TextBoxModel::slot_index(std::size_t offset) const {
    // The last slot whose offset is <= offset.
    auto it = std::upper_bound(slots_.begin(), slots_.end(), offset,
                               [](std::size_t off, const TextBoxSlot& s) { return off < s.offset; });
    return it == slots_.begin() ? 0 : static_cast<std::size_t>(it - slots_.begin() - 1);
}

void TextBoxModel::set_caret(std::size_t offset, bool extend, bool trailing) {
    caret_ = boundary(std::min(offset, text_.size()));
    if (!extend) anchor_ = caret_;
    trailing_ = trailing;
    end_run();
}

void TextBoxModel::select(std::size_t anchor, std::size_t caret) {
    anchor_ = boundary(std::min(anchor, text_.size()));
    caret_ = boundary(std::min(caret, text_.size()));
    trailing_ = false;
    end_run();
}

void TextBoxModel::move(TextMove move, bool extend) {
    const std::size_t i = slot_index(caret_);
    const TextBoxCell here = caret_cell();
    std::size_t to = caret_;
    bool trailing = false;
    switch (move) {
    case TextMove::NEXT_CHAR:
        if (i + 1 < slots_.size()) to = slots_[i + 1].offset;
        break;
    case TextMove::PREV_CHAR:
        // From after a full column the caret first goes before that column's last character.
        if (i > 0) to = slots_[i - 1].offset;
        break;
    case TextMove::NEXT_COLUMN:
    case TextMove::PREV_COLUMN: {
        const int column = here.column + (move == TextMove::NEXT_COLUMN ? 1 : -1);
        if (column >= 0 && column < column_count()) to = offset_at({column, here.row}, &trailing);
        else trailing = trailing_;
        break;
    }
    case TextMove::COLUMN_START: to = offset_at({here.column, 0}, &trailing); break;
    case TextMove::COLUMN_END: to = offset_at({here.column, cells_}, &trailing); break;
    case TextMove::TEXT_START: to = 0; break;
    case TextMove::TEXT_END: to = text_.size(); break;
    }
    set_caret(to, extend, trailing);
}

void TextBoxModel::place_at(TextBoxCell cell, bool extend) {
    bool trailing = false;
    const std::size_t to = offset_at(cell, &trailing);
    set_caret(to, extend, trailing);
}

// ---- edits -------------------------------------------------------------------------

bool TextBoxModel::replace(std::size_t at, std::size_t length, std::string inserted, StepKind kind) {
    if (length == 0 && inserted.empty()) return false;
    Step step;
    step.at = at;
    step.removed = text_.substr(at, length);
    step.inserted = std::move(inserted);
    step.anchor_before = anchor_;
    step.caret_before = caret_;
    step.kind = kind;
    text_.replace(at, length, step.inserted);
    const std::size_t caret = at + step.inserted.size();

    steps_.resize(undo_count_);   // a new edit drops what could be redone
    Step* last = steps_.empty() ? nullptr : &steps_.back();
    bool merged = false;
    if (run_open_ && last && last->kind == kind) {
        if (kind == StepKind::TYPING && step.removed.empty() && step.at == last->at + last->inserted.size()) {
            last->inserted += step.inserted;
            merged = true;
        } else if (kind == StepKind::BACKSPACE && step.at + step.removed.size() == last->at) {
            last->removed.insert(0, step.removed);
            last->at = step.at;
            merged = true;
        } else if (kind == StepKind::FORWARD_DELETE && step.at == last->at) {
            last->removed += step.removed;
            merged = true;
        }
    }
    if (!merged) {
        steps_.push_back(std::move(step));
        if (steps_.size() > JOURNAL_STEPS) steps_.erase(steps_.begin());
    }
    undo_count_ = steps_.size();
    relayout();
    caret_ = anchor_ = caret;
    trailing_ = false;
    run_open_ = kind != StepKind::OTHER;
    return true;
}

bool TextBoxModel::insert(std::string_view cp932, TextInput how) {
    last_insert_cut_ = false;
    std::string clean = clean_box_text(cp932);
    const std::size_t start = selection_start(), length = selection_end() - start;
    if (limit_ > 0) {
        const std::size_t room = limit_ - (text_.size() - length);
        const std::size_t fit = fit_box_text(clean, room);
        last_insert_cut_ = fit < clean.size();
        clean.resize(fit);
    }
    if (clean.empty()) return false;
    return replace(start, length, std::move(clean), how == TextInput::TYPED ? StepKind::TYPING : StepKind::OTHER);
}

bool TextBoxModel::delete_selection() {
    if (!has_selection()) return false;
    const std::size_t start = selection_start();
    return replace(start, selection_end() - start, {}, StepKind::OTHER);
}

bool TextBoxModel::delete_forward() {
    if (has_selection()) return delete_selection();
    const std::size_t i = slot_index(caret_);
    if (slots_[i].length == 0) return false;
    return replace(caret_, slots_[i].length, {}, StepKind::FORWARD_DELETE);
}

bool TextBoxModel::backspace() {
    if (has_selection()) return delete_selection();
    const std::size_t i = slot_index(caret_);
    if (i == 0) return false;
    return replace(slots_[i - 1].offset, slots_[i - 1].length, {}, StepKind::BACKSPACE);
}

bool TextBoxModel::undo() {
    if (!can_undo()) return false;
    const Step& s = steps_[--undo_count_];
    text_.replace(s.at, s.inserted.size(), s.removed);
    relayout();
    anchor_ = s.anchor_before;
    caret_ = s.caret_before;
    trailing_ = false;
    end_run();
    return true;
}

bool TextBoxModel::redo() {
    if (!can_redo()) return false;
    const Step& s = steps_[undo_count_++];
    text_.replace(s.at, s.removed.size(), s.inserted);
    relayout();
    caret_ = anchor_ = s.at + s.inserted.size();
    trailing_ = false;
    end_run();
    return true;
}

// ---- layout ------------------------------------------------------------------------

void TextBoxModel::set_cells_per_line(int cells) {
    cells = std::max(cells, 1);
    if (cells == cells_) return;
    cells_ = cells;
    relayout();
}

void TextBoxModel::relayout() {
    slots_.clear();
    column_start_.assign(1, 0);
    int column = 0, row = 0;
    for (std::size_t i = 0; i < text_.size();) {
        TextBoxSlot s;
        s.offset = i;
        if (text_[i] == '\r' && i + 1 < text_.size() && text_[i + 1] == '\n') {
            s.length = 2;
            s.line_break = true;
            s.cell = {column, row};   // the line's end; may hang after a full column
            slots_.push_back(s);
            i += 2;
            ++column;
            row = 0;
            column_start_.push_back(slots_.size());
            continue;
        }
        if (row >= cells_) {
            ++column;
            row = 0;
            column_start_.push_back(slots_.size());
        }
        s.length = static_cast<std::uint8_t>(char_length_at(text_, i));
        s.cell = {column, row++};
        slots_.push_back(s);
        i += s.length;
    }
    TextBoxSlot end;
    end.offset = text_.size();
    end.cell = {column, row};
    slots_.push_back(end);
}

TextBoxCell TextBoxModel::cell_of(std::size_t offset) const { return slots_[slot_index(offset)].cell; }

TextBoxCell TextBoxModel::caret_cell() const {
    const std::size_t i = slot_index(caret_);
    const TextBoxSlot& s = slots_[i];
    // After a full column: the caret hangs below its last cell.
    if (trailing_ && i > 0 && s.cell.row == 0 && !slots_[i - 1].line_break && slots_[i - 1].cell.column < s.cell.column)
        return {slots_[i - 1].cell.column, cells_};
    return s.cell;
}

std::size_t TextBoxModel::offset_at(TextBoxCell cell, bool* trailing) const {
    *trailing = false;
    if (cell.column < 0) return 0;
    if (cell.column >= column_count()) return text_.size();
    const std::size_t first = column_start_[static_cast<std::size_t>(cell.column)];
    const std::size_t next = static_cast<std::size_t>(cell.column) + 1 < column_start_.size()
                                 ? column_start_[static_cast<std::size_t>(cell.column) + 1]
                                 : slots_.size();
    const std::size_t last = next - 1;   // the column's last slot
    const int row = std::max(cell.row, 0);
    if (row <= slots_[last].cell.row) return slots_[first + static_cast<std::size_t>(row)].offset;
    // Past the column's last slot: a line end or the text's end stays there;
    // a full column ends after its last character, before the next column.
    if (slots_[last].line_break || slots_[last].length == 0) return slots_[last].offset;
    *trailing = true;
    return slots_[last].offset + slots_[last].length;
}

// ---- scrolling ---------------------------------------------------------------------

std::size_t TextBoxModel::first_entry_of(int column) const {
    const auto last = static_cast<int>(column_start_.size()) - 1;
    return column_start_[static_cast<std::size_t>(std::clamp(column, 0, last))];
}

void TextBoxModel::scroll_to(int first, int visible_columns) {
    const int most = std::max(0, column_count() - std::max(visible_columns, 1));
    first_column_ = std::clamp(first, 0, most);
}

void TextBoxModel::scroll_to_caret(int visible_columns) {
    visible_columns = std::max(visible_columns, 1);
    const int column = caret_cell().column;
    int first = std::clamp(first_column_, column - visible_columns + 1, column);
    scroll_to(first, visible_columns);
}

bool TextBoxModel::check_invariant() const {
    if (limit_ > 0 && text_.size() > limit_) return false;
    if (clean_box_text(text_) != text_) return false;
    if (boundary(caret_) != caret_ || boundary(anchor_) != anchor_) return false;
    if (caret_ > text_.size() || anchor_ > text_.size()) return false;
    if (undo_count_ > steps_.size()) return false;
    return slots_.back().offset == text_.size() && slots_.back().length == 0;
}

// ---- geometry ----------------------------------------------------------------------

int TextBoxGeometry::cells_per_line() const { return std::max(1, (vertical ? area.h : area.w) / std::max(cell, 1)); }

int TextBoxGeometry::visible_columns() const {
    return std::max(1, ((vertical ? area.w : area.h) + gap) / std::max(pitch(), 1));
}

SurfaceRect TextBoxGeometry::cell_rect(TextBoxCell c, int first) const {
    const int line = c.column - first;
    if (vertical) return {area.x + area.w - line * pitch() - cell, area.y + c.row * cell, cell, cell};
    return {area.x + c.row * cell, area.y + line * pitch(), cell, cell};
}

TextBoxCell TextBoxGeometry::cell_at(int x, int y, int first) const {
    const int across = vertical ? area.x + area.w - 1 - x : y - area.y;
    const int along = vertical ? y - area.y : x - area.x;
    const int p = std::max(pitch(), 1);
    // Floor division: a point before the first line is line -1.
    const int line = across >= 0 ? across / p : -((-across + p - 1) / p);
    const int row = std::clamp((along + cell / 2) / std::max(cell, 1), 0, cells_per_line());
    return {first + line, along < 0 ? 0 : row};
}

}  // namespace rix
