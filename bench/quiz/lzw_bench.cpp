// LzwDecode against a classic LZW decoder (one prefix code and one suffix byte
// per entry, each string unwound backwards into the output), both decoding
// the largest French text whose coded form fits the decoder's input.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "quiz/lzw_decoder.h"
#include "tests/support/french_text.h"
#include "tools/lzw_encoder.h"

namespace {

struct Sample {
  std::string plain;
  std::vector<std::uint8_t> coded;
};

const Sample& LargestFrenchText() {
  static const Sample sample = [] {
    const std::string text = FrenchWords(LZW_MAX_OUTPUT);
    auto encode = [](const std::string& s) {
      return LzwEncode({reinterpret_cast<const std::uint8_t*>(s.data()), s.size()});
    };
    std::size_t low = 1, high = text.size();
    while (low < high) {
      const std::size_t middle = (low + high + 1) / 2;
      if (encode(text.substr(0, middle)).status == LzwEncodeStatus::Ok) low = middle;
      else high = middle - 1;
    }
    Sample s{text.substr(0, low), encode(text.substr(0, low)).coded};
    std::printf("sample: %zu bytes of French text coded in %zu bytes\n", s.plain.size(), s.coded.size());
    return s;
  }();
  return sample;
}

// The textbook decoder for the same format. It keeps entries as prefix links,
// which is right for streams whose entries made after a restart never build on
// entries from before it (as the project's encoder writes them).
std::size_t ClassicDecode(const std::vector<std::uint8_t>& in, std::vector<std::uint8_t>& out) {
  static std::uint16_t prefix[4096];
  static std::uint8_t suffix[4096];
  static std::uint16_t length[4096];
  static std::uint8_t first[4096];
  for (unsigned c = 0; c < 256; ++c) {
    suffix[c] = first[c] = static_cast<std::uint8_t>(c);
    length[c] = 1;
  }
  // Codes are read from a bit accumulator filled a byte at a time.
  std::size_t pos = 0;
  std::uint64_t bits = 0;
  unsigned count = 0;
  auto read = [&](unsigned width, std::uint32_t& value) {
    while (count < width && pos < in.size()) {
      bits = (bits << 8) | in[pos++];
      count += 8;
    }
    if (count < width) return false;
    count -= width;
    value = static_cast<std::uint32_t>((bits >> count) & ((1u << width) - 1));
    return true;
  };
  std::uint8_t* o = out.data();
  std::size_t n = 0;
  unsigned width = 9, next = 259;
  std::uint32_t code = 0;
  read(9, code);
  std::uint32_t previous = code & 0xFF;
  auto emit = [&](std::uint32_t c) {
    std::size_t at = n + length[c];
    n = at;
    while (c >= 256) {
      o[--at] = suffix[c];
      c = prefix[c];
    }
    o[--at] = static_cast<std::uint8_t>(c);
  };
  while (read(width, code)) {
    if (code == 256) break;
    if (code == 258) {
      next = 259;
      width = 9;
      continue;
    }
    if (code == 257) {
      ++width;
      continue;
    }
    const std::uint8_t f = code == next ? first[previous] : first[code];
    emit(previous);
    prefix[next] = static_cast<std::uint16_t>(previous);
    suffix[next] = f;
    length[next] = static_cast<std::uint16_t>(length[previous] + 1);
    first[next] = first[previous];
    ++next;
    previous = code;
  }
  emit(previous);
  return n;
}

void BM_LzwDecode(benchmark::State& state) {
  const Sample& s = LargestFrenchText();
  std::vector<std::uint8_t> decoded;
  std::int32_t length = 0;
  for (auto _ : state) {
    LzwDecode(s.coded, decoded, length);
    benchmark::DoNotOptimize(decoded.data());
  }
  if (std::string(decoded.begin(), decoded.end()) != s.plain) state.SkipWithError("wrong output");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * s.plain.size()));
}
BENCHMARK(BM_LzwDecode);

void BM_ClassicLzwDecode(benchmark::State& state) {
  const Sample& s = LargestFrenchText();
  std::vector<std::uint8_t> decoded(LZW_MAX_OUTPUT + 4096);
  std::size_t n = 0;
  for (auto _ : state) {
    n = ClassicDecode(s.coded, decoded);
    benchmark::DoNotOptimize(decoded.data());
  }
  if (std::string(decoded.begin(), decoded.begin() + static_cast<long>(n)) != s.plain) {
    state.SkipWithError("wrong output");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * s.plain.size()));
}
BENCHMARK(BM_ClassicLzwDecode);

}  // namespace

BENCHMARK_MAIN();
