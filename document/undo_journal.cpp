// The undo journal (see undo_journal.h for the record layout).
//
// Bookkeeping: offsets count every byte ever written, so a record's bytes
// are [previous end, its end) and never need a wrap test; the ring index is
// offset % capacity. Kept records are contiguous: the done records, then
// the undone ones that redo may replay in the reverse order of their undo.
// A closed record drops the undone ones (they can no longer be replayed)
// and then as many whole records from the old end as its room needs.
//
// The redo list holds at most redo_limit entries. Undoing one more record
// drops the entry undone first: it is the newest record of the ring and the
// last one redo would replay, so what stays redoable is still a consistent
// prefix of the undone edits.
#include "document/undo_journal.h"

namespace rix {
namespace {

std::size_t done_records(const UndoJournal& j) { return j.record_ends.size() - j.redo.size(); }

std::size_t record_begin(const UndoJournal& j, std::size_t k) { return k == 0 ? j.start : j.record_ends[k - 1]; }

void read_record(const UndoJournal& j, std::size_t k, JournalRecord* out) {
    const std::size_t begin = record_begin(j, k), end = j.record_ends[k];
    out->reversed.clear();
    out->type = 0;
    if (end == begin) return;
    out->type = j.bytes[(end - 1) % j.capacity];
    out->reversed.reserve(end - begin - 1);
    for (std::size_t at = end - 1; at > begin; --at) out->reversed.push_back(j.bytes[(at - 1) % j.capacity]);
}

// Drops the oldest kept record.
void evict_oldest(UndoJournal& j) {
    const std::size_t end = j.record_ends.front();
    j.used -= end - j.start;
    j.start = end;
    j.record_ends.erase(j.record_ends.begin());
}

// Drops the undone records.
void drop_redo(UndoJournal& j) {
    if (j.redo.empty()) return;
    const std::size_t keep = done_records(j);
    const std::size_t end = keep == 0 ? j.start : j.record_ends[keep - 1];
    j.used = end - j.start;
    j.record_ends.resize(keep);
    j.redo.clear();
}

}  // namespace

void journal_clear(UndoJournal& j) {
    j.record_ends.clear();
    j.redo.clear();
    j.open.clear();
    j.start = 0;
    j.used = 0;
    j.recording = false;
}

void journal_begin(UndoJournal& j) {
    if (j.suspended) return;
    j.open.clear();
    j.recording = true;
}

void journal_push(UndoJournal& j, std::uint8_t byte) {
    if (j.suspended) return;
    if (!j.recording) journal_begin(j);
    j.open.push_back(byte);
}

void journal_push_length(UndoJournal& j, std::uint16_t length) {
    journal_push(j, static_cast<std::uint8_t>(length));
    journal_push(j, static_cast<std::uint8_t>(length >> 8));
}

void journal_push_position(UndoJournal& j, TextPos pos) {
    for (int shift = 0; shift < 32; shift += 8) journal_push(j, static_cast<std::uint8_t>(pos.value >> shift));
}

bool journal_end(UndoJournal& j) {
    if (j.suspended || !j.recording) return true;
    j.recording = false;
    j.refused = false;
    const std::size_t size = j.open.size();
    if (size == 0) return true;
    if (size > j.capacity) {
        journal_refuse(j);
        return false;
    }
    if (j.bytes.size() != j.capacity) j.bytes.assign(j.capacity, 0);
    drop_redo(j);
    while (j.used + size > j.capacity) evict_oldest(j);
    std::size_t at = j.start + j.used;
    for (std::uint8_t b : j.open) j.bytes[at++ % j.capacity] = b;
    j.record_ends.push_back(at);
    j.used += size;
    j.open.clear();
    return true;
}

void journal_refuse(UndoJournal& j) {
    journal_clear(j);
    j.refused = true;
}

int journal_state(const UndoJournal& j) {
    int state = 0;
    if (done_records(j) > 0) state |= JOURNAL_CAN_UNDO;
    if (!j.redo.empty()) state |= JOURNAL_CAN_REDO;
    return state;
}

bool journal_take_undo(UndoJournal& j, JournalRecord* out) {
    if (done_records(j) == 0) return false;
    if (j.redo_limit > 0 && j.redo.size() >= j.redo_limit) {
        // The entry undone first is the newest record: it leaves the ring too.
        j.redo.erase(j.redo.begin());
        j.record_ends.pop_back();
        j.used = j.record_ends.back() - j.start;
    }
    const std::size_t k = done_records(j) - 1;
    read_record(j, k, out);
    if (j.redo_limit > 0) {
        j.redo.push_back(j.record_ends[k]);
    } else {
        // Nothing is kept for redo: the record leaves the journal.
        drop_redo(j);
        j.record_ends.pop_back();
        j.used = record_begin(j, k) - j.start;
    }
    return true;
}

bool journal_take_redo(UndoJournal& j, JournalRecord* out) {
    if (j.redo.empty()) return false;
    const std::size_t k = done_records(j);
    read_record(j, k, out);
    j.redo.pop_back();
    return true;
}

std::uint8_t RecordReader::byte() {
    if (at_ >= bytes_.size()) {
        ok_ = false;
        return 0;
    }
    return bytes_[at_++];
}

std::uint16_t RecordReader::length() {
    const std::uint16_t hi = byte();
    const std::uint16_t lo = byte();
    return static_cast<std::uint16_t>(hi << 8 | lo);
}

TextPos RecordReader::position() {
    std::uint32_t v = 0;
    for (int k = 0; k < 4; ++k) v = v << 8 | byte();
    return TextPos(v);
}

void RecordReader::skip(std::size_t n) {
    if (n > bytes_.size() - at_) {
        ok_ = false;
        at_ = bytes_.size();
        return;
    }
    at_ += n;
}

std::vector<std::uint8_t> RecordReader::text(std::size_t n) {
    if (n > bytes_.size() - at_) {
        ok_ = false;
        at_ = bytes_.size();
        return {};
    }
    std::vector<std::uint8_t> out(bytes_.begin() + static_cast<std::ptrdiff_t>(at_),
                                  bytes_.begin() + static_cast<std::ptrdiff_t>(at_ + n));
    at_ += n;
    return out;
}

}  // namespace rix
