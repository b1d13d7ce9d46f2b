// The scrollable panel of questions: construction, commands, colours,
// scrolling and the folding of solved questions.
#pragma once

#include <string>
#include <vector>

#include "platform/win_types.h"

struct QuizState;

INT_PTR QuestionPanelProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam);

// Both scroll bars from contentWidth, contentHeight and the panel's client size.
void UpdateScrollRanges(QuizState* state, HWND panel);
// Folds solved questions while the header panel's Cacher box is ticked, unfolds
// them otherwise, then refreshes the scroll bars keeping the view.
void ApplyHideSolved(QuizState* state);

enum class Visibility { Hide, Show, Unchanged };
// Moves question n's number label, answer fields and verdict labels by dy; when
// the visibility is unchanged (a row moving up or down) its cell, reveal label
// and, for a row's first question, the row's answer labels move too; otherwise
// its cell is hidden or shown, and its reveal label hidden (shown later, when
// earned).
void ShiftQuestion(QuizState* state, HWND panel, int n, Visibility visibility, int dy);

// Shows question n's reveal label unless the question is folded.
void ShowRevealLabel(QuizState* state, HWND panel, int n);
// Moves a control down by dy pixels (up when negative) within its parent.
void MoveControlBy(HWND control, int dy);

// The panel's own values.
struct QuestionPanelValues {
  HBRUSH bravoBrush = nullptr;
  WNDPROC baseEditProc = nullptr;
  int tabScrollTarget = 0;
  // The progress file's lines as read at start, one per answer field, so that
  // a save never drops the answer of a field that was not built.
  std::vector<std::string> restoredLines;
  // The two answer labels of each row of a two-answer cell layout (they share one id).
  std::vector<std::vector<HWND>> answerLabels;
};
QuestionPanelValues& PanelValues();
