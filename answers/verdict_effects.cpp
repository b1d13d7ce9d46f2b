#include "answers/verdict_effects.h"

#include <cstring>

#include "answers/matcher.h"
#include "panels/control_ids.h"
#include "panels/question_panel.h"
#include "pictures/picture_loading.h"
#include "platform/win_api.h"
#include "quiz/quiz_state.h"

namespace {

constexpr int VERDICT_TEXT_SIZE = 255;  // a verdict label is read up to 254 characters

int AnswersPerQuestion(const QuizState* state) { return state->answersPerQuestion == 2 ? 2 : 1; }

bool LabelSays(HWND panel, int id, const char* word) {
  char text[VERDICT_TEXT_SIZE];
  GetDlgItemTextA(panel, id, text, sizeof text);
  return lstrcmpA(text, word) == 0;
}

// A picture cell that exists takes the reveal picture in place of what it shows.
void ShowRevealPicture(HWND panel, int n) {
  HWND cell = GetDlgItem(panel, PICTURE_CELL_ID + n);
  if (cell == nullptr) return;
  HBITMAP reveal = LoadPicture(GetModuleHandleA(nullptr), REVEAL_PICTURE_ID + n, "IMG", CELL_WIDTH, CELL_WIDTH);
  if (reveal == nullptr) return;
  auto shown = reinterpret_cast<HGDIOBJ>(SendMessageA(cell, STM_GETIMAGE, IMAGE_BITMAP, 0));
  if (shown != nullptr) DeleteObject(shown);
  SendMessageA(cell, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(reveal));
}

// Every answer field of the question holds its expected text as the matcher
// compares them: blanks around forgiven, a to z in capitals.
bool QuestionComplete(HWND panel, const QuestionNode* node, int q, int answers) {
  for (int i = 1; i <= answers; ++i) {
    char typed[ANSWER_TEXT_SIZE];
    GetDlgItemTextA(panel, FIRST_ANSWER_FIELD_ID + q * answers + i, typed, sizeof typed);
    const NormalisedAnswer expected = NormaliseAnswer(i == 1 ? node->answer1 : node->answer2);
    const NormalisedAnswer given = NormaliseAnswer(typed);
    if (expected.length != given.length || std::memcmp(expected.text, given.text, expected.length) != 0) {
      return false;
    }
  }
  return true;
}

}  // namespace

void EvaluateAnswer(QuizState* state, HWND panel, int field) {
  char old[VERDICT_TEXT_SIZE];
  GetDlgItemTextA(panel, field + VERDICT_OFFSET, old, sizeof old);

  const int answers = AnswersPerQuestion(state);
  const int q = answers == 1 ? field - (FIRST_ANSWER_FIELD_ID + 1) : (field - 3999) / 2 - 1;
  if (q < 0 || q >= state->questionCount) return;
  QuestionNode* node = FindQuestion(state, q);
  if (node == nullptr) return;
  const char* expected = (answers == 1 || field % 2 == 1) ? node->answer1 : node->answer2;
  const int n = q + 1;

  char typed[ANSWER_TEXT_SIZE];
  GetDlgItemTextA(panel, field, typed, sizeof typed);
  const char* verdict = JudgeAnswer(expected, typed);
  const bool right = lstrcmpA(verdict, VERDICT_RIGHT) == 0;
  if (right && NormaliseAnswer(expected).length > 3) node->solved = 1;
  if (lstrcmpA(verdict, old) == 0) return;

  SetDlgItemTextA(panel, field + VERDICT_OFFSET, verdict);
  if (!right) {
    ShowWindow(GetDlgItem(panel, REVEAL_LABEL_ID + n), SW_HIDE);
    state->allSolved = 0;
  } else if (QuestionComplete(panel, node, q, answers)) {
    node->solved = 1;
    if (state->revealMode == 2 || state->revealMode == 3) ShowRevealLabel(state, panel, n);
    if (state->revealMode == 1 || state->revealMode == 3) ShowRevealPicture(panel, n);
  }

  if (state->revealMode == 4 && state->allSolved == 0) {
    const int labels = state->questionCount * answers;
    int right_labels = 0;
    for (int i = 1; i <= labels; ++i) right_labels += LabelSays(panel, FIRST_VERDICT_LABEL_ID + i, VERDICT_RIGHT);
    if (right_labels == labels) {
      state->allSolved = 1;
      for (int m = 1; m <= state->questionCount; ++m) ShowRevealLabel(state, panel, m);
    }
  }
  RefreshProgress(state, panel);
}

void RefreshProgress(QuizState* state, HWND panel) {
  const int answers = AnswersPerQuestion(state);
  int found = 0;
  for (int n = 1; n <= state->questionCount; ++n) {
    int right = 0;
    for (int k = 1; k <= answers; ++k) {
      right += LabelSays(panel, FIRST_VERDICT_LABEL_ID + answers * (n - 1) + k, VERDICT_RIGHT);
    }
    found += right == answers;
  }
  char counter[32];
  wsprintfA(counter, " %d / %d", found, state->questionCount);
  SetDlgItemTextA(state->headerPanel, COUNTER_LABEL_ID, counter);
  SetDlgItemTextA(state->headerPanel, CODE_FIELD_ID, found > 0 ? state->codes[found - 1] : "      ");
  ApplyHideSolved(state);
}
