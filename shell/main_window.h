// The player's top-level window: the two panels and the footer label.
#pragma once

#include "platform/win_types.h"

LRESULT MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Moves `window`, keeping its size, so that it is centred over `over`.
void CenterWindow(HWND window, HWND over);
// A plain static label with the dialogs' 8-point font.
HWND CreateLabel(HWND parent, LPCSTR text, int x, int y, int width, int height, int id);
// One notch of the wheel (120 or -120 in the high word) asks the question panel to scroll.
void ForwardMouseWheel(HWND questionPanel, WPARAM wheelParameter);

// The footer's brush, made by start-up before the quiz and deleted after it.
void SetFooterBrush(HBRUSH brush);
