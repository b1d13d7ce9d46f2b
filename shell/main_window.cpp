#include "shell/main_window.h"

#include "panels/child_controls.h"
#include "panels/control_ids.h"
#include "panels/save_progress.h"
#include "platform/win_api.h"
#include "quiz/quiz_state.h"
#include "shell/app_state.h"

namespace {

HBRUSH footerBrush = nullptr;

constexpr WORD WHEEL_UP = 120;
constexpr WORD WHEEL_DOWN = 65416;  // -120 as an unsigned 16-bit value

void LayOut(HWND window, int w, int h) {
  const QuizState* quiz = TheQuizState();
  if (quiz != nullptr && quiz->questionPanel != nullptr) {
    SetWindowPos(quiz->questionPanel, nullptr, 5, 50, w - 11, h - 68, SWP_NOZORDER);
  }
  if (quiz != nullptr && quiz->headerPanel != nullptr) {
    SetWindowPos(quiz->headerPanel, nullptr, 5, 2, w - 11, 49, SWP_NOZORDER);
  }
  SetWindowPos(GetDlgItem(window, FOOTER_LABEL_ID), nullptr, w - 145, h - 16, 150, 15,
               SWP_NOOWNERZORDER | SWP_NOACTIVATE);
}

void DestroyQuestionPanel() {
  QuizState* quiz = TheQuizState();
  // WM_CLOSE destroys it first; the WM_DESTROY that follows finds it gone.
  if (quiz != nullptr && IsWindow(quiz->questionPanel)) DestroyWindow(quiz->questionPanel);
  PostQuitMessage(0);
}

}  // namespace

void SetFooterBrush(HBRUSH brush) { footerBrush = brush; }

void CenterWindow(HWND window, HWND over) {
  RECT r{}, o{};
  GetWindowRect(window, &r);
  GetWindowRect(over, &o);
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;
  const int x = o.left + ((o.right - o.left) - width) / 2;
  const int y = o.top + ((o.bottom - o.top) - height) / 2;
  SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

HWND CreateLabel(HWND parent, LPCSTR text, int x, int y, int width, int height, int id) {
  HWND label = CreateControl(parent, "Static", text, 0, x, y, width, height, id);
  SetFont(label, GetStockObject(DEFAULT_GUI_FONT), TRUE);
  return label;
}

void ForwardMouseWheel(HWND questionPanel, WPARAM wheelParameter) {
  const WORD delta = HIWORD(wheelParameter);
  if (delta == WHEEL_UP) PostMessageA(questionPanel, WM_VSCROLL, SCROLL_STEP_UP, 0);
  else if (delta == WHEEL_DOWN) PostMessageA(questionPanel, WM_VSCROLL, SCROLL_STEP_DOWN, 0);
}

LRESULT MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: {
      RECT client{};
      GetClientRect(window, &client);
      const QuizState* quiz = TheQuizState();
      CreateLabel(window, quiz != nullptr ? quiz->footerText : "", 720, client.bottom - 16, 140, 15, FOOTER_LABEL_ID);
      SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(LoadIconA(nullptr, IDI_QUESTION)));
      return 0;
    }
    case WM_SIZE:
      if (wParam != SIZE_MINIMIZED) LayOut(window, LOWORD(static_cast<ULONG_PTR>(lParam)), HIWORD(static_cast<ULONG_PTR>(lParam)));
      return 0;
    case WM_CLOSE:
      SaveProgress(TheQuizState());
      DestroyQuestionPanel();
      return 0;
    case WM_DESTROY:
      DestroyQuestionPanel();
      return 0;
    case WM_CTLCOLORSTATIC:
      if (GetWindowLongA(reinterpret_cast<HWND>(lParam), GWL_ID) == FOOTER_LABEL_ID) {
        SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        return reinterpret_cast<LRESULT>(footerBrush);
      }
      return 0;
    case WM_MOUSEWHEEL: {
      const QuizState* quiz = TheQuizState();
      if (quiz != nullptr) ForwardMouseWheel(quiz->questionPanel, wParam);
      return 0;
    }
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}
