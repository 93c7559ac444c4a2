// The undo journal: one circular byte buffer of records, each pushed byte by
// byte and read back from its end (the type byte is read first).
//
//   TYPE          PUSHED IN THIS ORDER
//   1 insertion   inserted bytes last..first; length (2); cursor bytes (3);
//                 position before (4); position after (4); 1
//   2 overwrite   new bytes last..first; replaced bytes last..first; length (2);
//                 position before (4); 2
//   0 deletion    cursor bytes (3); end of range (4); deleted bytes last..first;
//                 length (2); position after = start of range (4); 0
//   3 line format per line: old word (4), new word (4); first line (4);
//                 number of lines (2); 3   (editing/line_formats.cpp)
//   4 line move   first line (4); number of lines (4); before line (4); 4
//                 (lines [first, first + n) moved before line `before` of
//                 the numbering before the move)
//
// Numbers are little-endian within the record; the cursor bytes are the
// cursor's screen line, cell and second-half flag. Lengths have 16 bits.
//
// Unlike a plain ring that overwrites its oldest bytes, the journal keeps
// whole records only: a record that does not fit evicts whole records from
// the old end, and a record larger than the journal is not kept at all
// (the journal is emptied and `refused` tells the caller to say so).
// A record is opened with journal_begin and closed with journal_end; the
// bytes pushed in between are kept or dropped as one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "document/text_pos.h"

namespace rix {

constexpr std::size_t JOURNAL_CAPACITY = 102400;
constexpr std::size_t REDO_STACK_LIMIT = 1000;

enum : std::uint8_t { RECORD_DELETION = 0, RECORD_INSERTION = 1, RECORD_OVERWRITE = 2, RECORD_LINE_FORMAT = 3,
                    RECORD_LINE_MOVE = 4 };

// journal_state bits.
enum : int { JOURNAL_CAN_UNDO = 1, JOURNAL_CAN_REDO = 2 };

struct UndoJournal {
    std::vector<std::uint8_t> bytes;           // capacity bytes, allocated on first use
    std::size_t capacity = JOURNAL_CAPACITY;
    // Implementation-owned bookkeeping (record boundaries, redo entries, the
    // record being written); see undo_journal.cpp.
    // Offsets count bytes ever written (they never wrap); the byte at offset
    // k lies at bytes[k % capacity]. Kept records are the done ones followed
    // by the undone (redoable) ones.
    std::vector<std::size_t> record_ends;      // end offset (exclusive) of each kept record, oldest first
    std::size_t start = 0;                     // offset of the oldest kept byte
    std::size_t used = 0;                      // bytes of kept records
    std::vector<std::size_t> redo;             // end offsets of undone records still redoable, newest last
    std::size_t redo_limit = REDO_STACK_LIMIT; // redo entries kept; the earliest undone is dropped past it
    std::vector<std::uint8_t> open;            // the record being written
    bool recording = false;
    bool suspended = false;                    // set while an undo or redo applies its edits
    bool refused = false;                      // the last record was too large to keep
};

// Empties the journal (a new or switched document).
void journal_clear(UndoJournal& j);
// Record writing. Nothing is written while suspended.
void journal_begin(UndoJournal& j);
void journal_push(UndoJournal& j, std::uint8_t byte);
void journal_push_length(UndoJournal& j, std::uint16_t length);
void journal_push_position(UndoJournal& j, TextPos pos);
// Closes the record. Every closed record empties the redo stack. False when
// the record was too large for the journal (nothing kept, j.refused set).
bool journal_end(UndoJournal& j);
// Gives up the record being written and empties the journal, setting
// j.refused: an edit that cannot be journaled (a span of 65,536 bytes or
// more) makes every older record useless.
void journal_refuse(UndoJournal& j);
int journal_state(const UndoJournal& j);

// Reading one record backwards: the newest done record (for undo) or the
// newest undone one (for redo). The bytes come out in reading order: the
// type first, then the fields back to the first pushed byte.
struct JournalRecord {
    std::uint8_t type = 0;
    std::vector<std::uint8_t> reversed;   // the record's bytes from its end to its start, type excluded
};
// Takes the newest done record for undo (it becomes redoable). False when
// there is none.
bool journal_take_undo(UndoJournal& j, JournalRecord* out);
// Takes the newest undone record for redo (it becomes done again). False
// when there is none.
bool journal_take_redo(UndoJournal& j, JournalRecord* out);

// A reader over JournalRecord::reversed.
class RecordReader {
public:
    explicit RecordReader(const JournalRecord& r) : bytes_(r.reversed) {}
    bool ok() const { return ok_; }
    std::uint8_t byte();
    std::uint16_t length();      // two bytes, pushed low first
    TextPos position();          // four bytes, pushed low first
    void skip(std::size_t n);
    // n bytes that were pushed last..first: they come out first..last.
    std::vector<std::uint8_t> text(std::size_t n);
private:
    const std::vector<std::uint8_t>& bytes_;
    std::size_t at_ = 0;
    bool ok_ = true;
};

}  // namespace rix
