// Fuzz target for the document loader: the input is decoded as options, an
// extension file image and a text (layout in fuzz_entries.h); the text is
// loaded in one chunk and in small chunks, and the run traps when the two
// differ or a loaded document breaks its invariants.
// Build: ./fuzz.sh (clang++ -fsanitize=fuzzer,address,undefined).
#include <cstdio>

#include "fuzz/fuzz_entries.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string bad = rix::fuzz::loader_entry(data, size);
    if (!bad.empty()) {
        std::fprintf(stderr, "loader fuzz: %s\n", bad.c_str());
        __builtin_trap();
    }
    return 0;
}
