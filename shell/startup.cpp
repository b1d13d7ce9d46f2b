#include "shell/startup.h"

#include <memory>

#include "panels/control_ids.h"
#include "panels/header_panel.h"
#include "panels/media_clips.h"
#include "panels/question_panel.h"
#include "platform/win_api.h"
#include "quiz/appearance_set.h"
#include "quiz/quiz_loader.h"
#include "quiz/quiz_state.h"
#include "shell/app_state.h"
#include "shell/main_window.h"
#include "shell/platform_services.h"

namespace {

constexpr int MAIN_WINDOW_WIDTH = 544;
constexpr int MAIN_WINDOW_HEIGHT = 375;

QuizState* quizState = nullptr;
bool quizLoaded = false;
HBRUSH footerBrush = nullptr;

PlatformServices& Services() {
  static PlatformServices services;
  return services;
}

}  // namespace

QuizState* TheQuizState() { return quizState; }
QuizServices& AppServices() { return Services(); }
bool QuizLoaded() { return quizLoaded; }

bool StartPlayer(HINSTANCE instance, PlayerWindows& windows) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = &MainWindowProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
  wc.hIconSm = LoadIconA(nullptr, IDI_APPLICATION);
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_SCROLLBAR + 1));
  wc.lpszClassName = "Ploxa";
  if (RegisterClassExA(&wc) == 0) {
    MessageBoxA(nullptr, "Erreur dans la cr\xE9" "ation de la fen\xEAtre principale", "Ploxa", MB_ICONINFORMATION);
    return false;
  }

  footerBrush = CreateSolidBrush(FOOTER_COLOUR);
  SetFooterBrush(footerBrush);

  quizState = new QuizState{};
  InitQuizState(quizState, Services());
  const QuizLoadResult loaded = LoadQuiz(quizState, Services());
  quizLoaded = loaded == QuizLoadResult::Loaded || loaded == QuizLoadResult::CodesMissing;

  StartMediaSupport(quizState);

  windows.main = CreateWindowExA(0, "Ploxa", quizState->title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                 MAIN_WINDOW_WIDTH, MAIN_WINDOW_HEIGHT, nullptr, nullptr, instance, nullptr);
  CenterWindow(windows.main, GetDesktopWindow());

  windows.header = CreateDialogParamA(instance, MAKEINTRESOURCEA(HEADER_PANEL_TEMPLATE), windows.main,
                                      &HeaderPanelProc, 0);
  ShowWindow(windows.header, SW_SHOWNORMAL);
  quizState->headerPanel = windows.header;

  // The panel's construction already uses the handle (folding, saving).
  windows.questions = CreateDialogParamA(instance, MAKEINTRESOURCEA(QUESTION_PANEL_TEMPLATE), windows.main,
                                         &QuestionPanelProc, 0);
  quizState->questionPanel = windows.questions;

  ShowWindow(windows.main, SW_SHOWNORMAL);
  ShowWindow(windows.questions, SW_SHOWNORMAL);
  SendMessageA(windows.questions, WM_VSCROLL, SB_TOP, 0);
  return true;
}

int RunMessageLoop(const PlayerWindows& windows) {
  MSG message{};
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (!IsDialogMessageA(windows.questions, &message)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
  return static_cast<int>(message.wParam);
}

void ShutDownPlayer(PlayerWindows& windows) {
  // Closing the window has destroyed the question panel already.
  if (IsWindow(windows.questions)) EndDialog(windows.questions, 0);
  DestroyWindow(windows.header);
  StopMediaSupport(quizState, windows.main);
  // The main window of the other kinds goes here, so nothing of it outlives the quiz.
  if (IsWindow(windows.main)) DestroyWindow(windows.main);
  UnregisterClassA("Ploxa", GetModuleHandleA(nullptr));
  DeleteObject(footerBrush);
  footerBrush = nullptr;
  SetFooterBrush(nullptr);
  if (quizState != nullptr) {
    ReleaseQuizState(quizState, Services());
    delete quizState;
    quizState = nullptr;
  }
  quizLoaded = false;
  windows = {};
}

int WINAPI_WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  PlayerWindows windows;
  if (!StartPlayer(instance, windows)) return 0;
  const int code = RunMessageLoop(windows);
  ShutDownPlayer(windows);
  return code;
}
