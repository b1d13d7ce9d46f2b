// JudgeAnswer on two 259-byte texts against a bare full-table Levenshtein of
// the same texts.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "answers/matcher.h"
#include "tests/support/french_text.h"

namespace {

// Two texts of 259 bytes that differ in a few places, so that every step of
// the judgement runs: distance, anagram and containment tests, similarity.
const std::string& Expected() {
  static const std::string s = FrenchText(259, 3);
  return s;
}
const std::string& Typed() {
  static const std::string s = [] {
    std::string t = Expected();
    for (std::size_t i = 7; i < t.size(); i += 41) t[i] = 'x';
    return t;
  }();
  return s;
}

int FullTableLevenshtein(const char* a, int la, const char* b, int lb) {
  static int d[260][260];
  for (int i = 0; i <= la; ++i) d[i][0] = i;
  for (int j = 0; j <= lb; ++j) d[0][j] = j;
  for (int i = 1; i <= la; ++i) {
    for (int j = 1; j <= lb; ++j) {
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
    }
  }
  return d[la][lb];
}

void BM_JudgeAnswer(benchmark::State& state) {
  const char* verdict = nullptr;
  for (auto _ : state) {
    verdict = JudgeAnswer(Expected().c_str(), Typed().c_str());
    benchmark::DoNotOptimize(verdict);
  }
  state.SetLabel(verdict);
}
BENCHMARK(BM_JudgeAnswer);

void BM_FullTableLevenshtein(benchmark::State& state) {
  int d = 0;
  for (auto _ : state) {
    d = FullTableLevenshtein(Expected().c_str(), 259, Typed().c_str(), 259);
    benchmark::DoNotOptimize(d);
  }
  state.SetLabel("distance " + std::to_string(d));
}
BENCHMARK(BM_FullTableLevenshtein);

}  // namespace

BENCHMARK_MAIN();
