// Fuzz target for the document loader: the input is decoded as options, an
// extension file image and a text (layout in fuzz_entries.h); the text is
// loaded in one chunk and in small chunks, and the run fails when the two
// differ or a loaded document breaks its invariants. Shift_JIS and UTF-8
// texts both come this way: the loader tells them apart by their bytes.
#include "fuzz/fuzz_entries.h"
#include "fuzz/fuzz_target.h"

RIX_FUZZ_TARGET(loader, rix::fuzz::loader_entry)
