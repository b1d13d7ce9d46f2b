// Encoder for the coded quiz records (see quiz/lzw_decoder.h for the format).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

enum class LzwEncodeStatus {
  Ok,
  Empty,          // nothing to code: the first code is always a literal
  PlainTooLong,   // more than the decoder's 120000 output bytes
  CodedTooLong,   // the coded form passes the decoder's 32768 input bytes
};

struct LzwEncodeResult {
  LzwEncodeStatus status = LzwEncodeStatus::Ok;
  std::vector<std::uint8_t> coded;  // also filled for CodedTooLong, to tell by how much
  std::size_t restarts = 0;         // CODE_CLEAR codes sent
};

// The usual LZW way: the code of the longest known string, then that string
// plus the next byte as a new entry. It starts at width 9 with next entry 259,
// sends CODE_GROW before a code that does not fit the width, sends CODE_CLEAR
// when the next entry would pass 4095 (and then adds the pending entry as 259),
// and ends with the last string's code, CODE_END and zero padding.
LzwEncodeResult LzwEncode(std::span<const std::uint8_t> plain);
