#include "panels/media_clips.h"

#include "platform/win_api.h"
#include "quiz/quiz_state.h"

void StartMediaSupport(QuizState*) {}

void StopMediaSupport(QuizState* state, HWND mainWindow) {
  if (state != nullptr && (state->quizKind == KIND_SOUND || state->quizKind == KIND_VIDEO)) {
    DestroyWindow(mainWindow);
  }
}

bool CreateClipPlayer(QuizState*, HWND, int) { return true; }

void HandleClipCommand(QuizState*, HWND, WPARAM) {}

void DeleteClipFile() {}
