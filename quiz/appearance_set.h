// The fonts and brushes the panels share: their definitions, creation and release.
#pragma once

#include <cstdint>

struct QuizState;
class QuizServices;

// A font description: every field not named here is zero.
// Height > 0 asks for a cell height, < 0 for a character height in pixels.
struct FontSpec {
  std::int32_t height;
  std::int32_t weight;
  bool italic;
  bool underline;
  const char* face;  // "" lets the system pick its default face
};

constexpr std::uint32_t ColourOf(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return std::uint32_t{r} | (std::uint32_t{g} << 8) | (std::uint32_t{b} << 16);
}

inline constexpr FontSpec COUNTER_FONT{25, 400, false, false, "Arial"};
inline constexpr FontSpec TITLE_FONT{-15, 700, true, false, ""};
inline constexpr FontSpec ANSWER_FONT{15, 100, false, false, ""};

inline constexpr std::uint32_t CONSTRUCTION_THEME_COLOUR = ColourOf(90, 95, 150);
inline constexpr std::uint32_t WRONG_COLOUR = ColourOf(255, 0, 0);
inline constexpr std::uint32_t ANAGRAM_COLOUR = ColourOf(255, 100, 0);
inline constexpr std::uint32_t HINT_COLOUR = ColourOf(255, 203, 38);
inline constexpr std::uint32_t QUESTION_COLOUR = ColourOf(255, 255, 192);
inline constexpr std::uint32_t FOOTER_COLOUR = ColourOf(212, 208, 200);

// Made once while the question panel is built.
void CreateAnswerFont(QuizState* state, QuizServices& services);
// Replaces themeBrush with a brush of the given colour, deleting the old one.
void ReplaceThemeBrush(QuizState* state, QuizServices& services, std::uint32_t colour);
// Deletes every member, in the order themeBrush, wrongBrush, anagramBrush,
// hintBrush, questionBrush, titleFont, answerFont, counterFont.
void ReleaseAppearanceSet(QuizState* state, QuizServices& services);
