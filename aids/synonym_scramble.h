// The scrambling of the synonym dictionary "rix_lib.syn": the one place that
// defines the header mask and the rotation table. The reader
// (aids/synonyms.cpp), the writer of the tests and the converter
// (scripts/synonyms.py, which reads the two constants out of this file)
// all use these values; a dictionary written with others reads as noise.
//
// A stored header byte is the plain one XOR SYNONYM_HEADER_MASK. A stored
// text byte is the plain one rotated left by
//   SYNONYM_ROTATION[(popcount(byte) ^ position) & 7]
// where position is the byte's offset within the record's text. A rotation
// keeps the count of one bits, so unscrambling (rotating right) finds the
// same table entry from the stored byte.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

namespace rix {

inline constexpr std::uint8_t SYNONYM_HEADER_MASK = 0xA7;
inline constexpr std::uint8_t SYNONYM_ROTATION[8] = {3, 6, 1, 4, 7, 2, 5, 0};

constexpr std::uint8_t synonym_rotation(std::uint8_t byte, std::size_t position) {
    return SYNONYM_ROTATION[(static_cast<unsigned>(std::popcount(byte)) ^ position) & 7u];
}

constexpr std::uint8_t scramble_synonym_byte(std::uint8_t plain, std::size_t position) {
    return std::rotl(plain, synonym_rotation(plain, position));
}

constexpr std::uint8_t unscramble_synonym_byte(std::uint8_t stored, std::size_t position) {
    return std::rotr(stored, synonym_rotation(stored, position));
}

}  // namespace rix
