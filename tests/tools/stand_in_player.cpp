// A player without windows: it loads its own quiz the way the real one does
// (its link record from its data block, its records through FindResourceA on
// its own program file) and prints what the windows would show.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/win_resources.h"
#include "quiz/quiz_loader.h"
#include "quiz/quiz_services.h"
#include "quiz/quiz_state.h"
#include "tools/pack/text_1252.h"

namespace {

class ProgramServices : public QuizServices {
 public:
  std::vector<std::string> messages;

  std::span<const std::uint8_t> PatchResource(int id) override {
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(static_cast<WORD>(id)), "PATCH");
    if (found == nullptr) return {};
    const auto* bytes = static_cast<const std::uint8_t*>(LockResource(LoadResource(nullptr, found)));
    return {bytes, SizeofResource(nullptr, found)};
  }
  void ShowMessage(const char* text, const char*) override { messages.push_back(Cp1252ToUtf8(text)); }
  HFONT CreateFont(const FontSpec&) override { return nullptr; }
  HBRUSH CreateSolidBrush(std::uint32_t) override { return nullptr; }
  void DeleteFont(HFONT) override {}
  void DeleteBrush(HBRUSH) override {}
};

void Line(const char* name, const std::string& value) { std::printf("%s=%s\n", name, value.c_str()); }

}  // namespace

int main() {
  ProgramServices services;
  auto state = std::make_unique<QuizState>();
  InitQuizState(state.get(), services);
  LoadQuiz(state.get(), services);

  for (const std::string& m : services.messages) Line("message", m);
  Line("link", Cp1252ToUtf8(state->linkText));
  Line("footer", Cp1252ToUtf8(state->footerText));
  Line("title", Cp1252ToUtf8(state->title));
  Line("author", Cp1252ToUtf8(state->author));
  Line("kind", std::to_string(state->quizKind));
  Line("questions", std::to_string(state->questionCount));
  Line("answers", std::to_string(state->answersPerQuestion));
  Line("reveal", std::to_string(state->revealMode));
  char colour[16];
  std::snprintf(colour, sizeof colour, "#%02X%02X%02X", state->themeColor & 0xFF, (state->themeColor >> 8) & 0xFF,
                (state->themeColor >> 16) & 0xFF);
  Line("theme", colour);
  if (const QuestionNode* first = FindQuestion(state.get(), 0)) {
    Line("prompt1", Cp1252ToUtf8(first->prompt));
    Line("answer1", Cp1252ToUtf8(first->answer1));
  }
  if (state->questionCount > 0) Line("code1", Cp1252ToUtf8(state->codes[0]));
  // Question pictures and clips as the player finds them.
  int pictures = 0;
  for (int n = 1; n <= state->questionCount; ++n) {
    const WORD id = static_cast<WORD>(400 + n);
    if (FindResourceA(nullptr, MAKEINTRESOURCEA(id), "IMG") != nullptr ||
        FindResourceA(nullptr, MAKEINTRESOURCEA(id), RT_RCDATA) != nullptr) {
      ++pictures;
    }
  }
  Line("media", std::to_string(pictures));
  ReleaseQuizState(state.get(), services);
  return 0;
}
