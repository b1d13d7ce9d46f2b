// Any bytes as a coded record: the decoder must stay in bounds and keep its
// promises about what it hands back.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "quiz/lzw_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> decoded;
  std::int32_t length = 0;
  const int result = LzwDecode({data, size}, decoded, length);
  if (result != LZW_OK && result != LZW_NO_FIRST_CODE && result != LZW_BAD_STREAM) std::abort();
  if (decoded.size() > LZW_MAX_OUTPUT) std::abort();
  if (length != static_cast<std::int32_t>(decoded.size() + 2)) std::abort();
  if (size == 0 && result != LZW_NO_FIRST_CODE) std::abort();
  return 0;
}
