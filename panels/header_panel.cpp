#include "panels/header_panel.h"

#include <strings.h>

#include <cstring>

#include "panels/child_controls.h"
#include "panels/control_ids.h"
#include "panels/question_panel.h"
#include "panels/save_progress.h"
#include "platform/win_api.h"
#include "quiz/quiz_state.h"
#include "shell/app_state.h"

namespace {

HBRUSH panelBrush = nullptr;
HFONT linkFont = nullptr;

constexpr COLORREF PANEL_COLOUR = RGB(128, 128, 255);
constexpr COLORREF LINK_COLOUR = RGB(50, 50, 255);

// An underlined font three quarters of the label's height, and the hand cursor.
void SetUpLinkLabel(HWND label) {
  RECT client{};
  GetClientRect(label, &client);
  LOGFONTA description{};
  description.lfHeight = -((client.bottom - client.top) * 3 / 4);
  description.lfWeight = FW_NORMAL;
  description.lfUnderline = 1;
  linkFont = CreateFontIndirectA(&description);
  SetFont(label, linkFont, FALSE);
  SetClassLongA(label, GCL_HCURSOR,
                reinterpret_cast<LONG_PTR>(LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(LINK_CURSOR_ID))));
}

void CreateControls(HWND panel, const QuizState& quiz) {
  const HGDIOBJ stock = GetStockObject(DEFAULT_GUI_FONT);
  HWND link = CreateControl(panel, "Static", quiz.linkText, SS_NOTIFY, 736, 5, 115, 18, LINK_LABEL_ID);
  SetUpLinkLabel(link);
  SetFont(CreateControl(panel, "Static", "Par :", 0, 736, 25, 27, 18, BY_LABEL_ID), stock, TRUE);
  SetFont(CreateControl(panel, "Static", quiz.author, 0, 763, 25, 85, 18, AUTHOR_LABEL_ID), stock, TRUE);
  if (quiz.quizKind == KIND_PICTURES) {
    SetFont(CreateControl(panel, "button", "Cacher", BS_AUTOCHECKBOX, 666, 5, 65, 18, HIDE_BOX_ID), stock, TRUE);
  }
  SetFont(CreateControl(panel, "button", "Sauver", BS_PUSHBUTTON, 666, 25, 55, 18, SAVE_BUTTON_ID), stock, TRUE);
  SetFont(CreateControl(panel, "Static", quiz.explanation, 0, 110, 19, 490, 27, EXPLANATION_LABEL_ID), stock, TRUE);
  SetFont(CreateControl(panel, "Static", quiz.title, 0, 110, 3, 190, 18, TITLE_LABEL_ID), quiz.titleFont, FALSE);
  SetFont(CreateControl(panel, "Static", " Code :", 0, 7, 29, 36, 15, CODE_CAPTION_ID), stock, TRUE);
  char counter[32];
  wsprintfA(counter, " 0 / %d", quiz.questionCount);
  SetFont(CreateControl(panel, "Static", counter, SS_CENTER, 10, 1, 80, 20, COUNTER_LABEL_ID), quiz.counterFont, FALSE);
  SetFont(CreateControl(panel, "edit", "", ES_READONLY, 44, 29, 53, 16, CODE_FIELD_ID), stock, TRUE);
  CreateControl(panel, "Static", "", WS_BORDER, 0, 26, 100, 1, LOWER_LEFT_RULE_ID);
  CreateControl(panel, "Static", "", WS_BORDER, 100, 0, 1, 50, LEFT_RULE_ID);
  CreateControl(panel, "Static", "", WS_BORDER, 730, 0, 1, 50, RIGHT_RULE_ID);
}

void Place(HWND panel, int id, int x, int y, int width, int height, bool repaint) {
  HWND control = GetDlgItem(panel, id);
  if (control == nullptr) return;
  SetWindowPos(control, nullptr, x, y, width, height, SWP_NOOWNERZORDER | SWP_NOACTIVATE);
  if (repaint) InvalidateRect(control, nullptr, FALSE);
}

void LayOut(HWND panel, const QuizState& quiz) {
  RECT client{};
  GetClientRect(panel, &client);
  const int w = client.right - client.left;
  Place(panel, TITLE_LABEL_ID, 110, 3, w - 350, 18, false);
  Place(panel, LINK_LABEL_ID, w - 134, 0, 115, 18, false);
  Place(panel, BY_LABEL_ID, w - 134, 25, 26, 18, false);
  Place(panel, AUTHOR_LABEL_ID, w - 107, 25, 105, 18, true);
  Place(panel, SAVE_BUTTON_ID, w - 204, 25, 55, 18, true);
  Place(panel, EXPLANATION_LABEL_ID, 110, 19, w - 324, 28, true);
  Place(panel, RIGHT_RULE_ID, w - 145, 0, 1, 50, true);
  if (quiz.quizKind == KIND_PICTURES && quiz.answersPerQuestion == 1) {
    Place(panel, HIDE_BOX_ID, w - 234, 0, 85, 18, true);
  }
}

void OpenLink(const char* link) {
  if (!IsOpenableLink(link)) return;
  // "www." addresses are web addresses without their scheme.
  char target[LINK_TEXT_SIZE + 8] = "http://";
  if (strncasecmp(link, "www.", 4) == 0) lstrcatA(target, link);
  else lstrcpyA(target, link);
  ShellExecuteA(nullptr, "open", target, nullptr, nullptr, SW_SHOWNORMAL);
}

INT_PTR ColourStatic(HDC dc, HWND control) {
  const auto id = static_cast<int>(GetWindowLongA(control, GWL_ID));
  if (id == LINK_LABEL_ID) {
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, LINK_COLOUR);
    return reinterpret_cast<INT_PTR>(panelBrush);
  }
  if (id >= 20 && id <= 33) {
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<INT_PTR>(panelBrush);
  }
  return FALSE;
}

}  // namespace

bool IsOpenableLink(const char* link) {
  if (link == nullptr) return false;
  static const char* const prefixes[] = {"http://", "https://", "mailto:", "www."};
  std::size_t prefixLength = 0;
  for (const char* prefix : prefixes) {
    const std::size_t n = std::strlen(prefix);
    if (strncasecmp(link, prefix, n) == 0) prefixLength = n;
  }
  // A bare prefix names nothing; blanks and control bytes never belong in an address.
  if (prefixLength == 0 || link[prefixLength] == '\0') return false;
  for (const char* p = link; *p != '\0'; ++p) {
    if (static_cast<unsigned char>(*p) <= ' ') return false;
  }
  return true;
}

INT_PTR HeaderPanelProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam) {
  QuizState* quiz = TheQuizState();
  switch (message) {
    case WM_INITDIALOG:
      CreateControls(panel, *quiz);
      panelBrush = CreateSolidBrush(PANEL_COLOUR);
      return TRUE;
    case WM_SIZE:
      LayOut(panel, *quiz);
      return FALSE;
    case WM_COMMAND:
      if (wParam == LINK_LABEL_ID) OpenLink(quiz->linkText);
      else if (wParam == SAVE_BUTTON_ID) SaveProgress(quiz);
      else if (wParam == HIDE_BOX_ID) ApplyHideSolved(quiz);
      return FALSE;
    case WM_CTLCOLORDLG:
      return reinterpret_cast<INT_PTR>(panelBrush);
    case WM_CTLCOLORSTATIC:
      return ColourStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_DESTROY:
      DeleteObject(panelBrush);
      panelBrush = nullptr;
      // The link font goes with the panel, so the process keeps nothing it made.
      DeleteObject(linkFont);
      linkFont = nullptr;
      return FALSE;
    default:
      return FALSE;
  }
}
