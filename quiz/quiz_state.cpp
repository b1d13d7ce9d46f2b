#include "quiz/quiz_state.h"

#include <cstring>

#include "quiz/appearance_set.h"
#include "quiz/quiz_services.h"

void CopyField(char* field, int fieldSize, const char* text) {
  if (fieldSize <= 0) return;
  const std::size_t n = strnlen(text, static_cast<std::size_t>(fieldSize - 1));
  std::memcpy(field, text, n);
  field[n] = '\0';
}

void InitQuizState(QuizState* state, QuizServices& services) {
  // Fields the steps below leave alone start zero: empty texts, no handles.
  std::memset(state, 0, sizeof *state);
  state->questionList.head = nullptr;
  state->questionList.tail = nullptr;

  state->counterFont = services.CreateFont(COUNTER_FONT);
  state->titleFont = services.CreateFont(TITLE_FONT);

  CopyField(state->title, TEXT_FIELD_SIZE, "Nom du ploxa");
  CopyField(state->author, TEXT_FIELD_SIZE, "Createur ploxa");
  state->quizKind = KIND_TEXT;
  state->questionCount = 2;

  state->themeRed = 90;
  state->themeGreen = 95;
  state->themeBlue = 150;
  state->themeBrush = services.CreateSolidBrush(CONSTRUCTION_THEME_COLOUR);

  state->revealMode = 0;
  state->themeColor = ColourOf(51, 102, 255);
  state->answersPerQuestion = 1;
  state->allSolved = 0;

  for (std::int32_t& s : state->questionStates) s = 0;

  state->wrongBrush = services.CreateSolidBrush(WRONG_COLOUR);
  state->anagramBrush = services.CreateSolidBrush(ANAGRAM_COLOUR);
  state->hintBrush = services.CreateSolidBrush(HINT_COLOUR);
  state->questionBrush = services.CreateSolidBrush(QUESTION_COLOUR);

  state->mediaFolder[0] = '\0';
}

void AddQuestion(QuizState* state, const char* answer1, const char* answer2, const char* prompt) {
  // Value-initialised: zero-filled, links none.
  auto* node = new QuestionNode{};
  CopyField(node->answer1, TEXT_FIELD_SIZE, answer1);
  CopyField(node->answer2, TEXT_FIELD_SIZE, answer2);
  CopyField(node->prompt, TEXT_FIELD_SIZE, prompt);
  node->prev = state->questionList.tail;
  if (state->questionList.tail != nullptr) state->questionList.tail->next = node;
  if (state->questionList.head == nullptr) state->questionList.head = node;
  state->questionList.tail = node;
}

QuestionNode* FindQuestion(const QuizState* state, int index) {
  QuestionNode* node = state->questionList.head;
  for (int i = 0; i < index && node != nullptr && node->next != nullptr; ++i) node = node->next;
  return node;
}

void ReleaseQuizState(QuizState* state, QuizServices& services) {
  ReleaseAppearanceSet(state, services);
  QuestionNode* node = state->questionList.head;
  while (node != nullptr) {
    QuestionNode* next = node->next;
    delete node;
    node = next;
  }
  state->questionList.head = nullptr;
  state->questionList.tail = nullptr;
}
