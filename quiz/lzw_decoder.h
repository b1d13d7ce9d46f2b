// Decoder of the coded quiz records.
//
// Codes are packed most significant bit first, 9 bits wide until the stream
// widens them. 0-255 are literals, 256 ends the stream, 257 widens every
// following code by one bit, 258 restarts the dictionary, 259-4095 are entries.
// The first code is always a literal.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

class QuizServices;

inline constexpr int LZW_OK = 0;
inline constexpr int LZW_NO_MEMORY = -4;
inline constexpr int LZW_NO_FIRST_CODE = -5;  // empty input, or fewer than 9 bits
inline constexpr int LZW_BAD_STREAM = -7;

inline constexpr unsigned CODE_END = 256;
inline constexpr unsigned CODE_GROW = 257;
inline constexpr unsigned CODE_CLEAR = 258;
inline constexpr unsigned FIRST_ENTRY_CODE = 259;
inline constexpr unsigned LAST_ENTRY_CODE = 4095;

inline constexpr unsigned LZW_FIRST_WIDTH = 9;
inline constexpr unsigned LZW_MAX_WIDTH = 32;
inline constexpr std::size_t LZW_MAX_INPUT = 32768;    // coded bytes
inline constexpr std::size_t LZW_MAX_OUTPUT = 120000;  // decoded bytes
inline constexpr std::size_t LZW_MAX_STRING = 4096;    // bytes of one dictionary string

// Decodes `coded`. Results: LZW_OK; LZW_NO_FIRST_CODE; LZW_BAD_STREAM for a code
// above the next to assign, a width above 32, input that ends before the end
// code, or a stream past the limits above (input over 32768 bytes, output over
// 120000, an entry above 4095, a string over 4096 bytes); LZW_NO_MEMORY.
// Except for LZW_NO_MEMORY while setting up, `decoded` receives the bytes decoded
// so far (on success, all of them) and `decodedLength` their count plus 2.
// When the output cannot be allocated and `services` is given, the memory
// message is shown. Nothing carries over from one call to the next.
int LzwDecode(std::span<const std::uint8_t> coded, std::vector<std::uint8_t>& decoded,
              std::int32_t& decodedLength, QuizServices* services = nullptr);
