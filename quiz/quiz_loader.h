// Fills the quiz from the link record and the "PATCH" 104 and 105 records.
#pragma once

#include <cstdint>
#include <span>

#include "quiz/quiz_state.h"

class QuizServices;

inline constexpr int ANSWERS_RECORD_ID = 104;
inline constexpr int CODES_RECORD_ID = 105;

// The loader's messages (code page 1252), all with the caption "Ploxa".
inline constexpr const char* LINK_DECODE_FAILED = "Erreur dans le d\xE9" "cryptage";
inline constexpr const char* ANSWERS_NOT_FOUND = "Reponses non trouv\xE9" "es";
inline constexpr const char* ANSWERS_DECODE_FAILED = "Erreur dans le d\xE9" "cryptage des reponses";
inline constexpr const char* CODES_DECODE_FAILED = "Erreur dans le d\xE9" "cryptage des codes";
inline constexpr const char* LOADER_CAPTION = "Ploxa";

// How loading went. Only a quiz whose answers record loaded holds answers of
// its own worth saving; the messages have been shown either way.
enum class QuizLoadResult { Loaded, CodesMissing, FallbackQuiz, Failed };

// Loads the quiz with the program's own link record.
QuizLoadResult LoadQuiz(QuizState* state, QuizServices& services);
// The same with a given coded link record (its whole length is the input).
QuizLoadResult LoadQuiz(QuizState* state, QuizServices& services, std::span<const std::uint8_t> codedLinkRecord);

// The decoded records' parsers. Each checks every read against the decoded
// length, the 96-question limit and its fields' sizes; false means the record
// is refused and the state is left untouched.
struct LinkTexts {
  char linkText[LINK_TEXT_SIZE];
  char footerText[FOOTER_TEXT_SIZE];
};
bool ParseLinkRecord(std::span<const std::uint8_t> decoded, LinkTexts& texts);
// Fills the answers-record fields and appends the questions; on false nothing
// has been changed.
bool ParseAnswersRecord(std::span<const std::uint8_t> decoded, QuizState* state, QuizServices& services);
bool ParseCodesRecord(std::span<const std::uint8_t> decoded, QuizState* state);
