// Creating the panels' controls: visible children of the program's own module.
#pragma once

#include "platform/win_api.h"

inline HWND CreateControl(HWND parent, LPCSTR className, LPCSTR text, DWORD style, int x, int y, int width,
                          int height, int id) {
  return CreateWindowExA(0, className, text, WS_CHILD | WS_VISIBLE | style, x, y, width, height, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
}

inline void SetFont(HWND control, HGDIOBJ font, BOOL redraw) {
  SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw);
}
