#include "panels/answer_field.h"

#include "answers/matcher.h"
#include "answers/verdict_effects.h"
#include "panels/control_ids.h"
#include "panels/question_panel.h"
#include "panels/save_progress.h"
#include "platform/win_api.h"
#include "quiz/quiz_state.h"
#include "shell/app_state.h"

namespace {

LRESULT PassOn(HWND field, UINT message, WPARAM wParam, LPARAM lParam) {
  WNDPROC base = PanelValues().baseEditProc;
  return base != nullptr ? CallWindowProcA(base, field, message, wParam, lParam) : 0;
}

// Brings a field that Tab reached into view: the scroll position that centres
// it in the panel, from where it stands in the panel's content. The view is the
// panel's client area, so a field behind the horizontal scroll bar or the
// panel's border counts as out of view.
void FollowTab(HWND field) {
  HWND panel = GetParent(field);
  RECT fieldRect{}, client{};
  GetWindowRect(field, &fieldRect);
  GetClientRect(panel, &client);
  POINT top{fieldRect.left, fieldRect.top};
  ScreenToClient(panel, &top);
  const int fieldHeight = fieldRect.bottom - fieldRect.top;
  const int viewHeight = client.bottom - client.top;
  const int contentTop = top.y + GetScrollPos(panel, SB_VERT);
  PanelValues().tabScrollTarget = contentTop - (viewHeight - fieldHeight) / 2;
  if (top.y + fieldHeight > viewHeight || top.y < 0) SendMessageA(panel, WM_VSCROLL, SCROLL_TO_TARGET, 0);
}

// Returns true when the key was Enter, whose message goes no further.
bool KeyAction(HWND field, WPARAM key) {
  HWND panel = GetParent(field);
  switch (key) {
    case VK_RETURN:
      EvaluateAnswer(TheQuizState(), panel, GetDlgCtrlID(field));
      return true;
    case VK_TAB:
      FollowTab(field);
      break;
    case VK_PRIOR:
    case VK_UP:
      SendMessageA(panel, WM_VSCROLL, SB_PAGEUP, 0);
      break;
    case VK_NEXT:
    case VK_DOWN:
      SendMessageA(panel, WM_VSCROLL, SB_PAGEDOWN, 0);
      break;
    case VK_F1:
      CopyAnswerToUnsolved(field);
      break;
    case VK_F2:
      SaveProgress(TheQuizState());
      break;
    default:
      break;
  }
  return false;
}

}  // namespace

void CopyAnswerToUnsolved(HWND field) {
  HWND panel = GetParent(field);
  const QuizState* quiz = TheQuizState();
  char text[ANSWER_TEXT_SIZE];
  GetWindowTextA(field, text, sizeof text);
  const int fields = quiz->questionCount * (quiz->answersPerQuestion == 2 ? 2 : 1);
  for (int i = 1; i <= fields; ++i) {
    char verdict[ANSWER_TEXT_SIZE];
    GetDlgItemTextA(panel, FIRST_VERDICT_LABEL_ID + i, verdict, sizeof verdict);
    if (lstrcmpA(verdict, VERDICT_RIGHT) == 0) continue;
    SetDlgItemTextA(panel, FIRST_ANSWER_FIELD_ID + i, text);
    SetFocus(GetDlgItem(panel, FIRST_ANSWER_FIELD_ID + i));
  }
  SetFocus(field);
}

LRESULT AnswerFieldProc(HWND field, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SETFOCUS:
      SendMessageA(field, EM_SETSEL, 0, ANSWER_TEXT_SIZE);
      break;
    case WM_KILLFOCUS:
      EvaluateAnswer(TheQuizState(), GetParent(field), GetDlgCtrlID(field));
      break;
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
      if (KeyAction(field, wParam)) return 1;
      break;
    case WM_CHAR:
      if (wParam == 0 || wParam == VK_TAB || wParam == VK_RETURN) return 0;
      break;
    default:
      break;
  }
  return PassOn(field, message, wParam, lParam);
}
