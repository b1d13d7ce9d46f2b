// What a verdict changes: the verdict label, the solved flags, the rewards,
// the found counter and the code field.
#pragma once

#include "platform/win_types.h"

struct QuizState;

// Judges answer field `field` of the question panel and applies what follows.
void EvaluateAnswer(QuizState* state, HWND questionPanel, int field);
// Recounts the found questions into the header panel's counter and code field.
void RefreshProgress(QuizState* state, HWND questionPanel);
