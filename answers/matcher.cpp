#include "answers/matcher.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace {

constexpr std::size_t SHORT_ANSWER_MAX = 3;  // expected answers this short get no hints

// Anagrams have the same bytes in any fixed order: compare byte counts.
bool AreAnagrams(const char* a, std::size_t la, const char* b, std::size_t lb) {
  if (la != lb) return false;
  std::array<int, 256> counts{};
  for (std::size_t i = 0; i < la; ++i) {
    ++counts[static_cast<unsigned char>(a[i])];
    --counts[static_cast<unsigned char>(b[i])];
  }
  return std::all_of(counts.begin(), counts.end(), [](int c) { return c == 0; });
}

}  // namespace

NormalisedAnswer NormaliseAnswer(const char* text) {
  NormalisedAnswer out{};
  std::size_t length = strnlen(text, ANSWER_TEXT_MAX);
  std::size_t start = 0;
  while (start < length && text[start] == ' ') ++start;
  while (length > start && text[length - 1] == ' ') --length;
  for (std::size_t i = start; i < length; ++i) {
    const char c = text[i];
    out.text[i - start] = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 0x20) : c;
  }
  out.length = length - start;
  out.text[out.length] = '\0';
  return out;
}

int EditDistance(const char* a, std::size_t la, const char* b, std::size_t lb) {
  la = std::min(la, ANSWER_TEXT_MAX);
  lb = std::min(lb, ANSWER_TEXT_MAX);
  if (la == 0) return static_cast<int>(lb);
  if (lb == 0) return static_cast<int>(la);
  // One row of the full table at a time: row i holds D[i][0..lb].
  std::array<std::int32_t, ANSWER_TEXT_MAX + 1> row;
  for (std::size_t j = 0; j <= lb; ++j) row[j] = static_cast<std::int32_t>(j);
  for (std::size_t i = 1; i <= la; ++i) {
    std::int32_t diagonal = row[0];  // D[i-1][j-1]
    row[0] = static_cast<std::int32_t>(i);
    const char ai = a[i - 1];
    for (std::size_t j = 1; j <= lb; ++j) {
      const std::int32_t above = row[j];  // D[i-1][j]
      const std::int32_t substitution = diagonal + (ai == b[j - 1] ? 0 : 1);
      row[j] = std::min({above + 1, row[j - 1] + 1, substitution});
      diagonal = above;
    }
  }
  return row[lb];
}

int TestContainment(const char* expected, std::size_t le, const char* typed, std::size_t lt) {
  const bool typedIsShorter = lt < le;
  const std::string_view longer = typedIsShorter ? std::string_view(expected, le) : std::string_view(typed, lt);
  const std::string_view shorter = typedIsShorter ? std::string_view(typed, lt) : std::string_view(expected, le);
  if (longer.find(shorter) == std::string_view::npos) return 0;
  return typedIsShorter ? -2 : 2;
}

const char* JudgeAnswer(const char* expected, const char* typed) {
  const NormalisedAnswer e = NormaliseAnswer(expected);
  const NormalisedAnswer t = NormaliseAnswer(typed);
  const std::size_t le = e.length;
  const std::size_t lt = t.length;

  if (lt == 0) return VERDICT_NOTHING;
  if (le <= SHORT_ANSWER_MAX) {
    return (le == lt && std::memcmp(e.text, t.text, le) == 0) ? VERDICT_RIGHT : VERDICT_WRONG;
  }

  const int d = EditDistance(e.text, le, t.text, lt);
  if (d == 0) return VERDICT_RIGHT;
  if (AreAnagrams(e.text, le, t.text, lt)) return VERDICT_ANAGRAM;
  if (d == 1) return VERDICT_ONE_OFF;
  if (d == 2) return VERDICT_TWO_OFF;

  const int containment = TestContainment(e.text, le, t.text, lt);
  if (containment == -2) {
    if (le <= 9) return VERDICT_WRONG;
    if (10 * lt > 7 * le) return VERDICT_TOO_SHORT;
    if (2 * lt > le) return VERDICT_NOT_FAR;
    return VERDICT_WRONG;
  }
  if (containment == 2) return VERDICT_TOO_LONG;

  const std::size_t m = std::min(le, lt);
  return m > 5 * static_cast<std::size_t>(d) ? VERDICT_SIMILAR : VERDICT_WRONG;
}
