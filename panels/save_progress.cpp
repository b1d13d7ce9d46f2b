#include "panels/save_progress.h"

#include <vector>

#include "panels/control_ids.h"
#include "panels/progress_file.h"
#include "panels/question_panel.h"
#include "platform/win_api.h"
#include "quiz/quiz_state.h"
#include "shell/app_state.h"
#include "shell/program_name.h"

std::string ProgressFilePath() { return ProgressFileName(GetProgramFileName()); }

void SaveProgress(QuizState* state) {
  if (!QuizLoaded()) return;
  const int fields = state->questionCount * (state->answersPerQuestion == 2 ? 2 : 1);
  const std::vector<std::string>& restored = PanelValues().restoredLines;
  std::vector<std::string> texts;
  texts.reserve(static_cast<std::size_t>(fields));
  for (int i = 1; i <= fields; ++i) {
    HWND field = GetDlgItem(state->questionPanel, FIRST_ANSWER_FIELD_ID + i);
    if (field == nullptr) {
      const auto k = static_cast<std::size_t>(i - 1);
      texts.push_back(k < restored.size() ? restored[k] : std::string());
      continue;
    }
    char text[ANSWER_TEXT_SIZE];
    GetWindowTextA(field, text, sizeof text);
    texts.emplace_back(text);
  }
  WriteProgressFile(ProgressFilePath(), FormatProgress(texts));
}
