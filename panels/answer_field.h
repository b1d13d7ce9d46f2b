// The quiz behaviour of every answer field, over the edit control's own.
#pragma once

#include "platform/win_types.h"

LRESULT AnswerFieldProc(HWND field, UINT message, WPARAM wParam, LPARAM lParam);
// F1: this field's text into every answer field whose verdict is not "BRAVO".
void CopyAnswerToUnsolved(HWND field);
