// Judges a typed answer against the expected one. Pure, no platform.
// Texts are code page 1252 bytes, at most 259 of them (longer input is cut).
#pragma once

#include <cstddef>

inline constexpr std::size_t ANSWER_TEXT_MAX = 259;

// The ten verdict words (code page 1252).
inline constexpr const char* VERDICT_NOTHING = "?";
inline constexpr const char* VERDICT_RIGHT = "BRAVO";
inline constexpr const char* VERDICT_WRONG = "FAUX";
inline constexpr const char* VERDICT_ANAGRAM = "Anagramme";
inline constexpr const char* VERDICT_ONE_OFF = "Quasiment";
inline constexpr const char* VERDICT_TWO_OFF = "Presque";
inline constexpr const char* VERDICT_TOO_SHORT = "Trop court";
inline constexpr const char* VERDICT_NOT_FAR = "Pas loin";
inline constexpr const char* VERDICT_TOO_LONG = "Trop long";
inline constexpr const char* VERDICT_SIMILAR = "y a de l'id\xE9" "e";

struct NormalisedAnswer {
  char text[ANSWER_TEXT_MAX + 1];
  std::size_t length;
};

// Blanks (0x20 only) around removed, a-z upper-cased, every other byte kept.
NormalisedAnswer NormaliseAnswer(const char* text);
// Levenshtein distance with unit costs, exact byte comparison.
int EditDistance(const char* a, std::size_t la, const char* b, std::size_t lb);
// 2 when the typed text contains the expected one, -2 when it is a part of it, else 0.
int TestContainment(const char* expected, std::size_t le, const char* typed, std::size_t lt);
// One of the ten verdict words. Allocates nothing.
const char* JudgeAnswer(const char* expected, const char* typed);
