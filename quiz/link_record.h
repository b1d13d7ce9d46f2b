// The link record: a 70-byte coded array in the player's initialised data,
// right after the words "Ploxa", "BRAVO", "Anagramme" and "FAUX" (each with its
// terminator). The packer finds the words in its copy of the player and writes
// a quiz's own link record over the bytes that follow them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

inline constexpr std::size_t LINK_RECORD_SIZE = 70;
// The words as they lie in the program file, terminators included.
inline constexpr char PROGRAM_WORDS[] = "Ploxa\0BRAVO\0Anagramme\0FAUX";
inline constexpr std::size_t PROGRAM_WORDS_SIZE = sizeof PROGRAM_WORDS;  // 27

// The 70 bytes as the program file holds them now (patched or the default).
std::array<std::uint8_t, LINK_RECORD_SIZE> ReadLinkRecord();
