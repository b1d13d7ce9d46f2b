#include "quiz/appearance_set.h"

#include "quiz/quiz_services.h"
#include "quiz/quiz_state.h"

void CreateAnswerFont(QuizState* state, QuizServices& services) {
  // Built once per panel; a second build must not leak the first font.
  services.DeleteFont(state->answerFont);
  state->answerFont = services.CreateFont(ANSWER_FONT);
}

void ReplaceThemeBrush(QuizState* state, QuizServices& services, std::uint32_t colour) {
  HBRUSH old = state->themeBrush;
  state->themeBrush = services.CreateSolidBrush(colour);
  services.DeleteBrush(old);
}

void ReleaseAppearanceSet(QuizState* state, QuizServices& services) {
  services.DeleteBrush(state->themeBrush);
  services.DeleteBrush(state->wrongBrush);
  services.DeleteBrush(state->anagramBrush);
  services.DeleteBrush(state->hintBrush);
  services.DeleteBrush(state->questionBrush);
  services.DeleteFont(state->titleFont);
  services.DeleteFont(state->answerFont);
  services.DeleteFont(state->counterFont);
  state->themeBrush = state->wrongBrush = state->anagramBrush = state->hintBrush = state->questionBrush = nullptr;
  state->titleFont = state->answerFont = state->counterFont = nullptr;
}
