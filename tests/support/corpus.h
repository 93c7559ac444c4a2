// The novels the tests read, kept in tests/data/corpus.
#pragma once

#include <fstream>
#include <sstream>
#include <string>

#include "rix_build_paths.h"

namespace rix::test {

// The bytes of corpus file `name` ("" when it cannot be read).
inline std::string read_corpus(const char* name) {
    std::ifstream in(std::string(RIX_CORPUS_DIR) + "/" + name, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace rix::test
