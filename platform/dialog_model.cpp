// The dialog value model, the context a procedure sees, and the user's actions.
//
// Owns the rules every host shares: byte limits cut on a character boundary,
// spin ranges read as signed 16-bit halves with the position kept inside,
// radio groups exclusive, list selections following inserts and deletes, and
// the default handling of buttons 1 and 2, spins, buddy edits and swatches.
// Never calls Qt; a host mirrors the model through DialogView.
#include "platform/dialog_model.h"

#include <algorithm>
#include <climits>
#include <utility>

#include "platform/codec.h"

namespace rix {

SpinRange spin_range_from_halves(int lo, int hi) {
    return SpinRange{static_cast<std::int16_t>(static_cast<std::uint16_t>(lo & 0xFFFF)),
                     static_cast<std::int16_t>(static_cast<std::uint16_t>(hi & 0xFFFF))};
}

int clamp_spin(int pos, SpinRange range) {
    return std::clamp(pos, std::min(range.lo, range.hi), std::max(range.lo, range.hi));
}

std::string_view limit_text(std::string_view text, int byte_limit) {
    if (byte_limit <= 0) return text;
    return text.substr(0, cut_on_boundary(text, static_cast<std::size_t>(byte_limit)));
}

bool parse_dialog_number(std::string_view text, int* value) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    long long v = 0;
    std::size_t digits = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++digits) {
        v = v * 10 + (text[i] - '0');
        if (v > static_cast<long long>(INT_MAX) + 1) return false;
    }
    while (i < text.size() && text[i] == ' ') ++i;
    if (digits == 0 || i != text.size()) return false;
    if (negative) v = -v;
    if (v > INT_MAX || v < INT_MIN) return false;
    *value = static_cast<int>(v);
    return true;
}

// ---- DialogModel -------------------------------------------------------------

DialogModel::DialogModel(const DialogTemplate& tmpl) : caption(tmpl.caption), tmpl_(tmpl) {
    states_.resize(tmpl_.controls.size());
    for (std::size_t i = 0; i < states_.size(); ++i) {
        const ControlDef& def = tmpl_.controls[i];
        ControlState& st = states_[i];
        st.text = std::string(limit_text(def.text, def.byte_limit));
        st.enabled = !(def.flags & CONTROL_DISABLED);
        st.visible = !(def.flags & CONTROL_HIDDEN);
        for (const std::string& item : def.items) st.rows.push_back({item});
        st.row_data.assign(st.rows.size(), 0);
        st.range = spin_range_from_halves(def.min, def.max);
        st.pos = clamp_spin(0, st.range);
        st.colour = def.colour;
    }
}

int DialogModel::index_of(int id) const {
    if (id < 0) return -1;
    for (std::size_t i = 0; i < tmpl_.controls.size(); ++i)
        if (tmpl_.controls[i].id == id) return static_cast<int>(i);
    return -1;
}

const ControlDef* DialogModel::def(int id) const {
    int i = index_of(id);
    if (i < 0) {
        missing.push_back(id);
        return nullptr;
    }
    return &tmpl_.controls[static_cast<std::size_t>(i)];
}

const ControlState* DialogModel::state(int id) const {
    int i = index_of(id);
    if (i < 0) {
        missing.push_back(id);
        return nullptr;
    }
    return &states_[static_cast<std::size_t>(i)];
}

ControlState* DialogModel::state(int id) {
    return const_cast<ControlState*>(std::as_const(*this).state(id));
}

const ControlState* DialogModel::state_of(int id, std::initializer_list<ControlKind> kinds) const {
    int i = index_of(id);
    if (i >= 0 && std::find(kinds.begin(), kinds.end(), tmpl_.controls[static_cast<std::size_t>(i)].kind) !=
                      kinds.end())
        return &states_[static_cast<std::size_t>(i)];
    missing.push_back(id);
    return nullptr;
}

ControlState* DialogModel::state_of(int id, std::initializer_list<ControlKind> kinds) {
    return const_cast<ControlState*>(std::as_const(*this).state_of(id, kinds));
}

// ---- DialogContext -----------------------------------------------------------

namespace {

constexpr std::initializer_list<ControlKind> ITEM_KINDS = {ControlKind::LIST, ControlKind::COMBO,
                                                          ControlKind::LIST_VIEW};

bool valid_index(const ControlState& st, int index) {
    return index >= 0 && static_cast<std::size_t>(index) < st.rows.size();
}

}  // namespace

DialogContext::DialogContext(DialogModel& model, DialogView* view, WindowRef owner)
    : model_(model), view_(view), owner_(owner) {}

void DialogContext::flush_view() {
    std::set<int> dirty;
    dirty.swap(dirty_);
    if (!view_) return;
    for (int id : dirty) {
        const ControlDef* def = model_.def(id);
        const ControlState* st = model_.state(id);
        if (def && st) view_->refresh(id, *def, *st);
    }
}

std::string DialogContext::get_text(int id) const {
    const ControlDef* def = model_.def(id);
    if (!def) return {};
    const ControlState& st = *model_.state(id);
    if (def->kind == ControlKind::COMBO) return valid_index(st, st.selection) ? st.rows[st.selection][0] : "";
    return st.text;
}

void DialogContext::set_text(int id, std::string_view cp932) {
    if (const ControlDef* def = model_.def(id)) {
        ControlState& st = *model_.state(id);
        if (def->kind == ControlKind::COMBO) {
            st.selection = -1;
            for (std::size_t i = 0; i < st.rows.size(); ++i)
                if (st.rows[i][0] == cp932) st.selection = static_cast<int>(i);
        } else {
            st.text = std::string(limit_text(cp932, def->byte_limit));
        }
        touch(id);
    }
}

int DialogContext::get_number(int id, bool* ok) const {
    int value = 0;
    bool good = parse_dialog_number(get_text(id), &value);
    if (ok) *ok = good;
    return good ? value : 0;
}

void DialogContext::set_number(int id, int value) { set_text(id, std::to_string(value)); }

bool DialogContext::get_check(int id) const {
    const ControlState* st = model_.state_of(id, {ControlKind::CHECK, ControlKind::RADIO});
    return st && st->checked;
}

void DialogContext::set_check(int id, bool on) {
    const ControlDef* def = model_.def(id);
    if (!def || (def->kind != ControlKind::CHECK && def->kind != ControlKind::RADIO)) return;
    // A radio that comes on takes its group's mark from the others.
    if (on && def->kind == ControlKind::RADIO) {
        for (const ControlDef& other : model_.dialog_template().controls) {
            if (other.kind != ControlKind::RADIO || other.group != def->group || other.id == id) continue;
            if (other.id >= 0 && model_.state(other.id)->checked) {
                model_.state(other.id)->checked = false;
                touch(other.id);
            }
        }
    }
    model_.state(id)->checked = on;
    touch(id);
}

int DialogContext::get_radio(int first, int last) const {
    int found = 0;
    bool any = false;
    for (const ControlDef& def : model_.dialog_template().controls) {
        if (def.kind != ControlKind::RADIO || def.id < first || def.id > last) continue;
        any = true;
        if (model_.state(def.id)->checked && (found == 0 || def.id < found)) found = def.id;
    }
    if (!any) model_.missing.push_back(first);
    return found;
}

void DialogContext::set_radio(int first, int last, int id) {
    bool any = false;
    for (const ControlDef& def : model_.dialog_template().controls) {
        if (def.kind != ControlKind::RADIO || def.id < first || def.id > last) continue;
        any = true;
        model_.state(def.id)->checked = def.id == id;
        touch(def.id);
    }
    if (!any) model_.missing.push_back(first);
}

void DialogContext::enable(int id, bool on) {
    if (ControlState* st = model_.state(id)) {
        st->enabled = on;
        touch(id);
    }
}

bool DialogContext::is_enabled(int id) const {
    const ControlState* st = model_.state(id);
    return st && st->enabled;
}

void DialogContext::show(int id, bool on) {
    if (ControlState* st = model_.state(id)) {
        st->visible = on;
        touch(id);
    }
}

bool DialogContext::is_visible(int id) const {
    const ControlState* st = model_.state(id);
    return st && st->visible;
}

int DialogContext::add_item(int id, std::string_view cp932) {
    return insert_item(id, INT_MAX, cp932);
}

int DialogContext::insert_item(int id, int index, std::string_view cp932) {
    ControlState* st = model_.state_of(id, ITEM_KINDS);
    if (!st) return -1;
    int n = static_cast<int>(st->rows.size());
    if (index < 0 || index > n) index = n;
    st->rows.insert(st->rows.begin() + index, std::vector<std::string>{std::string(cp932)});
    st->row_data.insert(st->row_data.begin() + index, 0);
    if (st->selection >= index) ++st->selection;
    for (int& row : st->selected)
        if (row >= index) ++row;
    ++st->rows_version;
    touch(id);
    return index;
}

bool DialogContext::delete_item(int id, int index) {
    ControlState* st = model_.state_of(id, ITEM_KINDS);
    if (!st || !valid_index(*st, index)) return false;
    st->rows.erase(st->rows.begin() + index);
    st->row_data.erase(st->row_data.begin() + index);
    if (st->selection == index) st->selection = -1;
    else if (st->selection > index) --st->selection;
    std::erase(st->selected, index);
    for (int& row : st->selected)
        if (row > index) --row;
    ++st->rows_version;
    touch(id);
    return true;
}

void DialogContext::clear_items(int id) {
    if (ControlState* st = model_.state_of(id, ITEM_KINDS)) {
        st->rows.clear();
        st->row_data.clear();
        st->selection = -1;
        st->selected.clear();
        ++st->rows_version;
        touch(id);
    }
}

int DialogContext::item_count(int id) const {
    const ControlState* st = model_.state_of(id, ITEM_KINDS);
    return st ? static_cast<int>(st->rows.size()) : 0;
}

std::string DialogContext::item_text(int id, int index) const { return cell_text(id, index, 0); }

void DialogContext::set_item_data(int id, int index, std::int64_t data) {
    ControlState* st = model_.state_of(id, ITEM_KINDS);
    if (st && valid_index(*st, index)) st->row_data[static_cast<std::size_t>(index)] = data;
}

std::int64_t DialogContext::item_data(int id, int index) const {
    const ControlState* st = model_.state_of(id, ITEM_KINDS);
    return st && valid_index(*st, index) ? st->row_data[static_cast<std::size_t>(index)] : 0;
}

int DialogContext::get_selection(int id) const {
    const ControlState* st = model_.state_of(id, ITEM_KINDS);
    return st ? st->selection : -1;
}

void DialogContext::set_selection(int id, int index) {
    if (ControlState* st = model_.state_of(id, ITEM_KINDS)) {
        st->selection = valid_index(*st, index) ? index : -1;
        st->selected.clear();
        if (st->selection >= 0) st->selected.push_back(st->selection);
        touch(id);
    }
}

std::vector<int> DialogContext::selected_rows(int id) const {
    const ControlState* st = model_.state_of(id, ITEM_KINDS);
    if (!st) return {};
    const ControlDef* def = model_.def(id);
    if (def && (def->flags & CONTROL_MULTI_SELECT)) return st->selected;
    if (st->selection >= 0) return {st->selection};
    return {};
}

void DialogContext::set_selected_rows(int id, std::vector<int> rows) {
    ControlState* st = model_.state_of(id, ITEM_KINDS);
    if (!st) return;
    const ControlDef* def = model_.def(id);
    std::erase_if(rows, [st](int row) { return !valid_index(*st, row); });
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    if (!def || !(def->flags & CONTROL_MULTI_SELECT)) rows.resize(std::min<std::size_t>(rows.size(), 1));
    st->selection = rows.empty() ? -1 : rows.front();
    st->selected = std::move(rows);
    touch(id);
}

int DialogContext::add_row(int id, std::vector<std::string> cells) {
    ControlState* st = model_.state_of(id, {ControlKind::LIST_VIEW});
    if (!st) return -1;
    if (cells.empty()) cells.emplace_back();
    st->rows.push_back(std::move(cells));
    st->row_data.push_back(0);
    ++st->rows_version;
    touch(id);
    return static_cast<int>(st->rows.size()) - 1;
}

void DialogContext::set_rows(int id, std::vector<std::vector<std::string>> rows) {
    ControlState* st = model_.state_of(id, {ControlKind::LIST_VIEW});
    if (!st) return;
    for (auto& row : rows)
        if (row.empty()) row.emplace_back();
    st->rows = std::move(rows);
    st->row_data.assign(st->rows.size(), 0);
    st->selection = -1;
    st->selected.clear();
    ++st->rows_version;
    touch(id);
}

std::string DialogContext::cell_text(int id, int row, int column) const {
    const ControlState* st = model_.state_of(id, ITEM_KINDS);
    if (!st || !valid_index(*st, row) || column < 0) return {};
    const auto& cells = st->rows[static_cast<std::size_t>(row)];
    return static_cast<std::size_t>(column) < cells.size() ? cells[static_cast<std::size_t>(column)] : "";
}

int DialogContext::column_count(int id) const {
    const ControlDef* def = model_.def(id);
    return def && def->kind == ControlKind::LIST_VIEW ? static_cast<int>(def->columns.size()) : 0;
}

void DialogContext::set_sort_indicator(int id, int column, bool ascending) {
    if (ControlState* st = model_.state_of(id, {ControlKind::LIST_VIEW})) {
        st->sort_column = column >= 0 && column < column_count(id) ? column : -1;
        st->sort_ascending = ascending;
        touch(id);
    }
}

int DialogContext::get_page(int id) const {
    const ControlState* st = model_.state_of(id, {ControlKind::TAB_PAGES});
    return st ? st->page : 0;
}

void DialogContext::set_page(int id, int page) {
    ControlState* st = model_.state_of(id, {ControlKind::TAB_PAGES});
    if (!st || page < 0 || page >= static_cast<int>(model_.def(id)->columns.size())) return;
    st->page = page;
    touch(id);
}

std::uint32_t DialogContext::get_colour(int id) const {
    const ControlState* st = model_.state_of(id, {ControlKind::COLOUR});
    return st ? st->colour : 0;
}

void DialogContext::set_colour(int id, std::uint32_t colour) {
    if (ControlState* st = model_.state_of(id, {ControlKind::COLOUR})) {
        st->colour = colour & 0x00FFFFFF;
        touch(id);
    }
}

void DialogContext::set_range(int id, int lo, int hi) {
    if (ControlState* st = model_.state_of(id, {ControlKind::SPIN})) {
        st->range = spin_range_from_halves(lo, hi);
        st->pos = clamp_spin(st->pos, st->range);
        touch(id);
    }
}

void DialogContext::set_pos(int id, int pos) {
    if (ControlState* st = model_.state_of(id, {ControlKind::SPIN})) {
        st->pos = clamp_spin(pos, st->range);
        touch(id);
    }
}

int DialogContext::get_pos(int id) const {
    const ControlState* st = model_.state_of(id, {ControlKind::SPIN});
    return st ? st->pos : 0;
}

void DialogContext::end_dialog(int result) {
    if (ended_) return;
    ended_ = true;
    result_ = result;
    flush_view();
    if (view_) view_->end(result);
}

WindowRef DialogContext::window() const { return view_ ? view_->window() : 0; }

void DialogContext::set_caption(std::string_view cp932) {
    model_.caption = std::string(cp932);
    if (view_) view_->set_caption(cp932);
}

std::string DialogContext::caption() const { return model_.caption; }

void DialogContext::show_window(bool on) {
    flush_view();
    if (view_) view_->show_window(on);
}

void DialogContext::focus(int id) {
    if (!model_.def(id)) return;
    flush_view();
    if (view_) view_->focus(id);
}

bool DialogContext::window_position(int* x, int* y) const { return view_ && view_->window_position(x, y); }

bool DialogContext::window_extent(WindowExtent* out) const { return view_ && view_->window_extent(out); }

void DialogContext::move_window(int x, int y) {
    if (view_) view_->move_window(x, y);
}

int DialogContext::show_message(int kind, std::string_view cp932, unsigned time_ms) {
    flush_view();
    return rix::show_message(kind, window(), cp932, time_ms);
}

bool DialogContext::choose_colour(std::uint32_t* colour, std::string_view caption_cp932) {
    flush_view();
    return view_ && view_->choose_colour(colour, caption_cp932);
}

// ---- DialogSession: the running dialog and its user -------------------------

DialogSession::DialogSession(const DialogTemplate& tmpl, DialogProcedure& proc, DialogView* view,
                             WindowRef owner)
    : DialogModelHolder(tmpl), DialogContext(owned_model, view, owner), proc_(proc) {}

DialogSession::~DialogSession() = default;

bool DialogSession::enter_call() {
    if (in_call_) return false;
    in_call_ = true;
    return true;
}

void DialogSession::leave_call(bool outer) {
    if (outer) in_call_ = false;
    flush_view();
}

void DialogSession::start() {
    bool outer = enter_call();
    proc_.init(*this);
    leave_call(outer);
}

void DialogSession::touch_all() {
    for (const ControlDef& def : model_.dialog_template().controls)
        if (def.id >= 0) touch(def.id);
}

int DialogSession::default_button() const {
    for (const ControlDef& def : model_.dialog_template().controls)
        if (def.kind == ControlKind::BUTTON && (def.flags & CONTROL_DEFAULT) && def.id >= 0) return def.id;
    return DIALOG_OK;
}

bool DialogSession::reachable(int id) const {
    const ControlDef* def = model_.def(id);
    if (!def) return false;
    const ControlState* st = model_.state(id);
    if (!st->enabled || !st->visible) return false;
    if (def->page < 0) return true;
    for (const ControlDef& tabs : model_.dialog_template().controls)
        if (tabs.kind == ControlKind::TAB_PAGES && tabs.id >= 0) return model_.state(tabs.id)->page == def->page;
    return true;
}

void DialogSession::notify(int id, int notification, Fallback fallback) {
    if (ended_ || !enter_call()) return;
    bool handled = proc_.command(*this, id, notification);
    leave_call(true);
    if (!handled && fallback && !ended_) (this->*fallback)(id);
}

void DialogSession::press_ok(int) {
    if (!enter_call()) return;
    bool close = proc_.ok(*this);
    leave_call(true);
    if (close) end_dialog(DIALOG_OK);
}

void DialogSession::press_cancel(int) {
    if (!enter_call()) return;
    proc_.cancel(*this);
    leave_call(true);
    end_dialog(DIALOG_CANCEL);
}

void DialogSession::copy_spin_to_buddy(int id) {
    const ControlDef* def = model_.def(id);
    if (def && def->buddy >= 0) set_number(def->buddy, model_.state(id)->pos);
    flush_view();
}

void DialogSession::take_number_into_spin(int id) {
    int value = 0;
    if (!parse_dialog_number(model_.state(id)->text, &value)) return;
    for (const ControlDef& def : model_.dialog_template().controls)
        if (def.kind == ControlKind::SPIN && def.buddy == id && def.id >= 0) set_pos(def.id, value);
    flush_view();
}

void DialogSession::choose_swatch_colour(int id) {
    std::uint32_t colour = model_.state(id)->colour;
    if (!choose_colour(&colour, model_.caption)) return;
    set_colour(id, colour);
    flush_view();
    notify(id, NOTIFY_SELECTION, nullptr);
}

void DialogSession::press(int id) {
    if (ended_ || in_call_ || !reachable(id)) return;
    const ControlDef& def = *model_.def(id);
    switch (def.kind) {
    case ControlKind::CHECK:
        set_check(id, !model_.state(id)->checked);
        flush_view();
        return notify(id, NOTIFY_CLICKED, nullptr);
    case ControlKind::RADIO:
        set_check(id, true);
        flush_view();
        return notify(id, NOTIFY_CLICKED, nullptr);
    case ControlKind::BUTTON:
        return notify(id, NOTIFY_CLICKED,
                      id == DIALOG_OK ? &DialogSession::press_ok
                      : id == DIALOG_CANCEL ? &DialogSession::press_cancel : nullptr);
    case ControlKind::COLOUR:
        if (def.flags & CONTROL_READ_ONLY) return;
        return notify(id, NOTIFY_CLICKED, &DialogSession::choose_swatch_colour);
    default:
        return;
    }
}

void DialogSession::press_enter() {
    if (ended_ || in_call_) return;
    int id = default_button();
    if (model_.dialog_template().find(id) && !reachable(id)) return;
    notify(id, NOTIFY_CLICKED,
           id == DIALOG_OK ? &DialogSession::press_ok
           : id == DIALOG_CANCEL ? &DialogSession::press_cancel : nullptr);
}

void DialogSession::press_escape() {
    if (ended_ || in_call_) return;
    notify(DIALOG_CANCEL, NOTIFY_CLICKED, &DialogSession::press_cancel);
}

void DialogSession::type_text(int id, std::string_view cp932) {
    if (ended_ || in_call_ || !reachable(id)) return;
    const ControlDef& def = *model_.def(id);
    if (def.kind != ControlKind::EDIT && def.kind != ControlKind::NUMBER && def.kind != ControlKind::TEXT_BOX)
        return;
    if (def.flags & CONTROL_READ_ONLY) return;
    std::string before = model_.state(id)->text;
    set_text(id, cp932);
    flush_view();
    if (model_.state(id)->text == before) return;
    notify(id, NOTIFY_EDIT_CHANGE, &DialogSession::take_number_into_spin);
}

void DialogSession::select(int id, int index) {
    if (ended_ || in_call_ || !reachable(id)) return;
    ControlState* st = model_.state_of(id, ITEM_KINDS);
    if (!st) return;
    int before = st->selection;
    set_selection(id, index);
    flush_view();
    if (st->selection != before) notify(id, NOTIFY_SELECTION, nullptr);
}

void DialogSession::select_rows(int id, std::vector<int> rows) {
    if (ended_ || in_call_ || !reachable(id)) return;
    ControlState* st = model_.state_of(id, ITEM_KINDS);
    if (!st) return;
    const std::vector<int> before = selected_rows(id);
    set_selected_rows(id, std::move(rows));
    flush_view();
    if (selected_rows(id) != before) notify(id, NOTIFY_SELECTION, nullptr);
}

void DialogSession::double_click(int id, int index) {
    if (ended_ || in_call_ || !reachable(id)) return;
    const ControlState* st = model_.state_of(id, ITEM_KINDS);
    if (!st || !valid_index(*st, index)) return;
    select(id, index);
    notify(id, NOTIFY_DOUBLE_CLICK, nullptr);
}

void DialogSession::click_column(int id, int column) {
    if (ended_ || in_call_ || !reachable(id)) return;
    if (column < 0 || column >= column_count(id) || !is_column_click(NOTIFY_COLUMN_CLICK + column)) return;
    notify(id, NOTIFY_COLUMN_CLICK + column, nullptr);
}

void DialogSession::spin(int id, int steps) {
    if (ended_ || in_call_ || !reachable(id)) return;
    ControlState* st = model_.state_of(id, {ControlKind::SPIN});
    if (!st) return;
    long long wanted = static_cast<long long>(st->pos) + steps;
    int pos = clamp_spin(static_cast<int>(std::clamp<long long>(wanted, INT_MIN, INT_MAX)), st->range);
    if (pos == st->pos) return;
    set_pos(id, pos);
    flush_view();
    notify(id, NOTIFY_SPIN, &DialogSession::copy_spin_to_buddy);
}

void DialogSession::select_page(int id, int page) {
    if (ended_ || in_call_ || !reachable(id)) return;
    const ControlState* st = model_.state_of(id, {ControlKind::TAB_PAGES});
    if (!st || st->page == page) return;
    set_page(id, page);
    flush_view();
    if (st->page == page) notify(id, NOTIFY_PAGE_CHANGE, nullptr);
}

}  // namespace rix
