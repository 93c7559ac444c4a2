// The signals that ask the editor to end (SIGTERM: a desktop logging out,
// a shutdown; SIGHUP: the terminal it was started from closed; SIGINT and
// SIGQUIT: Ctrl+C and Ctrl+\ typed in that terminal), turned into bytes on a
// pipe that the event loop watches. All four end the editor in the same
// order, the typed text kept: none of them may kill it outright.
//
// The handler does nothing but write the signal's number as one byte to the
// pipe (write(2) is async-signal-safe; errno is kept); everything else runs
// later from the event loop, which reads the byte. The pipe's ends are
// non-blocking and close on exec; the handler never blocks on a full pipe
// (one pending byte is enough to end).
#pragma once

namespace rix {

// Installs the handler for SIGTERM, SIGHUP, SIGINT and SIGQUIT. Returns the descriptor to
// watch for reading, or -1 when the pipe could not be made (the signals then
// keep their default action). Called once; a second call returns the same
// descriptor.
int watch_end_signals();
// Reads one pending signal number from the descriptor; 0 when none is pending.
int take_end_signal(int fd);

}  // namespace rix
