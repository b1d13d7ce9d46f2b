// The question panel after construction: scrolling, colours, commands, folding.
#include <algorithm>

#include "answers/matcher.h"
#include "panels/control_ids.h"
#include "panels/media_clips.h"
#include "panels/question_panel.h"
#include "platform/win_api.h"
#include "quiz/quiz_state.h"
#include "shell/app_state.h"

INT_PTR BuildQuestionPanel(HWND panel);

namespace {

constexpr int VERTICAL_ARROW_STEP = 310;
constexpr int HORIZONTAL_ARROW_STEP = 1;
constexpr int WHEEL_STEP = 50;
constexpr int WHEEL_NOTCH = 120;
constexpr int REVEAL_LABEL_HEIGHT = 65;

int Answers(const QuizState* quiz) { return quiz->answersPerQuestion == 2 ? 2 : 1; }

SCROLLINFO ReadScrollBar(HWND panel, int bar) {
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_ALL;
  GetScrollInfo(panel, bar, &info);
  return info;
}

// Steps 3 to 5 of a scroll, on the bar as read in step 1: clamped, set, and
// the content moved by what the position really changed.
void ScrollTo(HWND panel, int bar, const SCROLLINFO& info, int requested) {
  const int position = std::clamp(requested, info.nMin, std::max(info.nMin, info.nMax));
  SetScrollPos(panel, bar, position, TRUE);
  const int moved = info.nPos - GetScrollPos(panel, bar);
  if (bar == SB_VERT) ScrollWindow(panel, 0, moved, nullptr, nullptr);
  else ScrollWindow(panel, moved, 0, nullptr, nullptr);
}

void VerticalScroll(HWND panel, int code) {
  const SCROLLINFO info = ReadScrollBar(panel, SB_VERT);
  int p = info.nPos;
  switch (code) {
    case SB_LINEUP: p -= VERTICAL_ARROW_STEP; break;
    case SB_LINEDOWN: p += VERTICAL_ARROW_STEP; break;
    case SB_PAGEUP: p -= static_cast<int>(info.nPage); break;
    case SB_PAGEDOWN: p += static_cast<int>(info.nPage); break;
    case SB_THUMBTRACK: p = info.nTrackPos; break;
    case SB_TOP: p = 0; break;
    case SB_BOTTOM: p = info.nMax; break;
    case SCROLL_STEP_DOWN: p += WHEEL_STEP; break;
    case SCROLL_STEP_UP: p -= WHEEL_STEP; break;
    case SCROLL_TO_TARGET: p = PanelValues().tabScrollTarget; break;
    default: break;
  }
  ScrollTo(panel, SB_VERT, info, p);
}

void HorizontalScroll(HWND panel, int code) {
  const SCROLLINFO info = ReadScrollBar(panel, SB_HORZ);
  int p = info.nPos;
  switch (code) {
    case SB_LINELEFT: p -= HORIZONTAL_ARROW_STEP; break;
    case SB_LINERIGHT: p += HORIZONTAL_ARROW_STEP; break;
    case SB_PAGELEFT: p -= static_cast<int>(info.nPage); break;
    case SB_PAGERIGHT: p += static_cast<int>(info.nPage); break;
    case SB_THUMBTRACK: p = info.nTrackPos; break;
    default: break;
  }
  ScrollTo(panel, SB_HORZ, info, p);
}

// Scroll ranges follow the content; the content stays where the view was.
void KeepView(QuizState* quiz, HWND panel) {
  const int oldX = GetScrollPos(panel, SB_HORZ);
  const int oldY = GetScrollPos(panel, SB_VERT);
  UpdateScrollRanges(quiz, panel);
  const int newX = GetScrollPos(panel, SB_HORZ);
  const int newY = GetScrollPos(panel, SB_VERT);
  if (oldX != newX || oldY != newY) ScrollWindow(panel, oldX - newX, oldY - newY, nullptr, nullptr);
}

bool Between(int id, int first, int last) { return id >= first && id <= last; }

INT_PTR ColourStatic(QuizState* quiz, HDC dc, HWND control) {
  const auto id = static_cast<int>(GetWindowLongA(control, GWL_ID));
  const int n = quiz->questionCount;
  const int answers = Answers(quiz);
  if (Between(id, NUMBER_LABEL_ID, NUMBER_LABEL_ID + n) || id == ANSWER_LABEL_ID ||
      Between(id, REVEAL_LABEL_ID + 1, REVEAL_LABEL_ID + n)) {
    SetBkMode(dc, TRANSPARENT);
    const bool light = quiz->themeRed > 69 || quiz->themeGreen > 69;
    SetTextColor(dc, light ? RGB(0, 0, 0) : RGB(255, 255, 255));
    return reinterpret_cast<INT_PTR>(quiz->themeBrush);
  }
  if (Between(id, FIRST_VERDICT_LABEL_ID + 1, FIRST_VERDICT_LABEL_ID + n * answers)) {
    char text[ANSWER_TEXT_SIZE];
    GetWindowTextA(control, text, sizeof text);
    if (lstrcmpA(text, VERDICT_ANAGRAM) == 0) {
      SetBkColor(dc, RGB(255, 100, 0));
      return reinterpret_cast<INT_PTR>(quiz->anagramBrush);
    }
    if (lstrcmpA(text, VERDICT_RIGHT) == 0) {
      SetBkColor(dc, RGB(0, 255, 0));
      return reinterpret_cast<INT_PTR>(PanelValues().bravoBrush);
    }
    if (lstrcmpA(text, VERDICT_WRONG) == 0) {
      SetBkColor(dc, RGB(255, 0, 0));
      return reinterpret_cast<INT_PTR>(quiz->wrongBrush);
    }
    if (lstrcmpA(text, VERDICT_NOTHING) == 0) return FALSE;
    SetBkColor(dc, RGB(255, 203, 38));
    return reinterpret_cast<INT_PTR>(quiz->hintBrush);
  }
  if (id == QUESTION_LABEL_ID) {
    SetBkColor(dc, RGB(255, 255, 192));
    return reinterpret_cast<INT_PTR>(quiz->questionBrush);
  }
  return FALSE;
}

void ReleasePanel() {
  QuestionPanelValues& values = PanelValues();
  if (values.bravoBrush != nullptr) DeleteObject(values.bravoBrush);
  values.bravoBrush = nullptr;
  DeleteClipFile();
}

// The bitmaps the picture cells still hold go with the panel.
void ReleaseCellBitmaps(QuizState* quiz, HWND panel) {
  for (int n = 1; n <= quiz->questionCount; ++n) {
    HWND cell = GetDlgItem(panel, PICTURE_CELL_ID + n);
    if (cell == nullptr) continue;
    auto bitmap = reinterpret_cast<HGDIOBJ>(SendMessageA(cell, STM_SETIMAGE, IMAGE_BITMAP, 0));
    if (bitmap != nullptr) DeleteObject(bitmap);
  }
}

// Takes the control's window rectangle, moves its top by dy, and places it there
// in its parent's client coordinates.
void MoveBy(HWND panel, int id, int dy) {
  HWND control = GetDlgItem(panel, id);
  if (control == nullptr) return;
  MoveControlBy(control, dy);
}

bool RewardEarned(QuizState* quiz, HWND panel, int n) {
  if (quiz->revealMode == 4) return quiz->allSolved != 0;
  if (quiz->revealMode != 2 && quiz->revealMode != 3) return false;
  const int answers = Answers(quiz);
  for (int k = 1; k <= answers; ++k) {
    char text[ANSWER_TEXT_SIZE];
    GetDlgItemTextA(panel, FIRST_VERDICT_LABEL_ID + answers * (n - 1) + k, text, sizeof text);
    if (lstrcmpA(text, VERDICT_RIGHT) != 0) return false;
  }
  return true;
}

// The two answer labels of row r (from 0) of a two-answer cell layout.
void MoveAnswerLabels(int r, int dy) {
  const auto& rows = PanelValues().answerLabels;
  if (r < 0 || static_cast<std::size_t>(r) >= rows.size()) return;
  for (HWND label : rows[static_cast<std::size_t>(r)]) {
    if (label != nullptr) MoveControlBy(label, dy);
  }
}

}  // namespace

void MoveControlBy(HWND control, int dy) {
  RECT r{};
  GetWindowRect(control, &r);
  POINT topLeft{r.left, r.top + dy};
  HWND parent = GetParent(control);
  if (parent != nullptr && parent != GetDesktopWindow()) ScreenToClient(parent, &topLeft);
  SetWindowPos(control, nullptr, topLeft.x, topLeft.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void UpdateScrollRanges(QuizState* quiz, HWND panel) {
  RECT client{};
  GetClientRect(panel, &client);
  const int cw = client.right - client.left;
  const int ch = client.bottom - client.top;
  int pw = cw, ph = ch;
  if (quiz->contentWidth <= cw) {
    pw = quiz->contentWidth;
    SetScrollPos(panel, SB_HORZ, 0, FALSE);
  }
  if (quiz->contentHeight <= ch) {
    ph = quiz->contentHeight;
    SetScrollPos(panel, SB_VERT, 0, FALSE);
  }
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL;
  info.nMin = 0;
  info.nMax = quiz->contentWidth - 2;
  info.nPage = static_cast<UINT>(std::max(0, pw - 1));
  SetScrollInfo(panel, SB_HORZ, &info, TRUE);
  info.nMax = quiz->contentHeight - 2;
  info.nPage = static_cast<UINT>(std::max(0, ph - 1));
  SetScrollInfo(panel, SB_VERT, &info, TRUE);
}

void ShowRevealLabel(QuizState* quiz, HWND panel, int n) {
  // A folded question keeps its reveal label hidden until it unfolds.
  if (n >= 1 && n <= MAX_QUESTIONS && quiz->questionStates[n] != 0) return;
  ShowWindow(GetDlgItem(panel, REVEAL_LABEL_ID + n), SW_SHOWNORMAL);
}

void ShiftQuestion(QuizState* quiz, HWND panel, int n, Visibility visibility, int dy) {
  if (visibility == Visibility::Unchanged) {
    MoveBy(panel, PICTURE_CELL_ID + n, dy);
    // The row's reveal label and answer labels travel with it when rows move up.
    MoveBy(panel, REVEAL_LABEL_ID + n, dy);
    if ((n - 1) % 3 == 0) MoveAnswerLabels((n - 1) / 3, dy);
  } else {
    const int command = visibility == Visibility::Hide ? SW_HIDE : SW_SHOWNORMAL;
    ShowWindow(GetDlgItem(panel, PICTURE_CELL_ID + n), command);
    if (visibility == Visibility::Hide) ShowWindow(GetDlgItem(panel, REVEAL_LABEL_ID + n), SW_HIDE);
  }
  const int answers = Answers(quiz);
  for (int k = 1; k <= answers; ++k) {
    const int field = FIRST_ANSWER_FIELD_ID + answers * (n - 1) + k;
    MoveBy(panel, field, dy);
    MoveBy(panel, field + VERDICT_OFFSET, dy);
  }
  MoveBy(panel, NUMBER_LABEL_ID + n, dy);
}

void ApplyHideSolved(QuizState* quiz) {
  HWND panel = quiz->questionPanel;
  const int n = std::min(quiz->questionCount, MAX_QUESTIONS);
  const int collapseExtra = quiz->revealMode >= 2 ? REVEAL_LABEL_HEIGHT : 0;
  auto rowHeight = [&](int r) { return r < MAX_ROWS ? quiz->rowHeights[r] : 0; };
  if (panel != nullptr && SendDlgItemMessageA(quiz->headerPanel, HIDE_BOX_ID, BM_GETCHECK, 0, 0) == BST_CHECKED) {
    int r = 0, folded = 0;
    for (int j = 1; j <= n; ++j) {
      const int s = quiz->questionStates[j];
      if (s == 1) ++folded;
      const QuestionNode* node = FindQuestion(quiz, j - 1);
      if (node != nullptr && node->solved == 1 && s == 0) {
        ShiftQuestion(quiz, panel, j, Visibility::Hide, -rowHeight(r));
        ++folded;
        quiz->questionStates[j] = 1;
      }
      if (j % 3 == 0) {
        if (folded == 3) {
          const int d = rowHeight(r) + collapseExtra;
          // The collapsed row's fields went up by its height; its answer labels follow them.
          MoveAnswerLabels(r, -rowHeight(r));
          for (int m = j + 1; m <= n; ++m) ShiftQuestion(quiz, panel, m, Visibility::Unchanged, -d);
          quiz->contentHeight -= d;
          quiz->questionStates[j] = 2;
        }
        ++r;
        folded = 0;
      }
    }
  } else if (panel != nullptr) {
    int r = 0;
    for (int j = 1; j <= n; ++j) {
      const int s = quiz->questionStates[j];
      if (s == 1 || s == 2) ShiftQuestion(quiz, panel, j, Visibility::Show, rowHeight(r));
      if (s == 2) {
        const int d = rowHeight(r) + collapseExtra;
        MoveAnswerLabels(r, rowHeight(r));
        quiz->contentHeight += d;
        for (int m = j + 1; m <= n; ++m) ShiftQuestion(quiz, panel, m, Visibility::Unchanged, d);
      }
      quiz->questionStates[j] = 0;
      if (s != 0 && RewardEarned(quiz, panel, j)) ShowRevealLabel(quiz, panel, j);
      if (j % 3 == 0) ++r;
    }
  }
  if (panel != nullptr) KeepView(quiz, panel);
}

INT_PTR QuestionPanelProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam) {
  QuizState* quiz = TheQuizState();
  switch (message) {
    case WM_INITDIALOG:
      return BuildQuestionPanel(panel);
    case WM_SIZE:
      KeepView(quiz, panel);
      return FALSE;
    case WM_VSCROLL:
      VerticalScroll(panel, LOWORD(wParam));
      return FALSE;
    case WM_HSCROLL:
      HorizontalScroll(panel, LOWORD(wParam));
      return FALSE;
    case WM_MOUSEWHEEL: {
      const WORD delta = HIWORD(wParam);
      if (delta == WHEEL_NOTCH) PostMessageA(panel, WM_VSCROLL, SCROLL_STEP_UP, 0);
      else if (delta == static_cast<WORD>(-WHEEL_NOTCH)) PostMessageA(panel, WM_VSCROLL, SCROLL_STEP_DOWN, 0);
      return FALSE;  // not handled: the main window hears of it too
    }
    case WM_CTLCOLORDLG:
      return reinterpret_cast<INT_PTR>(quiz->themeBrush);
    case WM_CTLCOLORSTATIC:
      return ColourStatic(quiz, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_COMMAND:
      if (quiz->quizKind == KIND_SOUND || quiz->quizKind == KIND_VIDEO) HandleClipCommand(quiz, panel, wParam);
      return FALSE;
    case WM_CLOSE:
      ReleasePanel();
      return FALSE;
    case WM_DESTROY:
      ReleasePanel();
      ReleaseCellBitmaps(quiz, panel);
      return FALSE;
    default:
      return FALSE;
  }
}
