// The sample program files built by the packer, started in-process offscreen:
// each shows its own quiz.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "panels/control_ids.h"
#include "platform/win_api.h"
#include "quiz/quiz_state.h"
#include "shell/app_state.h"
#include "shell/startup.h"
#include "tests/platform/platform_test_support.h"

namespace {

struct Sample {
  const char* file;
  const char* title;  // code page 1252
  const char* firstPrompt;
  int kind;
  QColor theme;
};

TEST(BuiltProgram, ShowsItsTitlePromptAndTheme) {
  const char* folder = std::getenv("PLOXA_SAMPLES_DIR");
  ASSERT_NE(folder, nullptr);
  char pattern[] = "/tmp/ploxa_samples_XXXXXX";
  ASSERT_NE(::mkdtemp(pattern), nullptr);
  ASSERT_EQ(::chdir(pattern), 0);
  int boxes = 0;
  SetMessageBoxHook([&](HWND, std::string_view, std::string_view, UINT) { ++boxes; return IDOK; });

  const Sample samples[] = {
      {"culture", "Culture g\xE9n\xE9rale", "Quelle est la capitale de l'Italie ?", KIND_TEXT, QColor(0x33, 0x66, 0x99)},
      {"drapeaux", "Drapeaux du monde", "Quel est ce drapeau ?", KIND_PICTURES, QColor(0x2E, 0x7D, 0x32)},
      {"ecoute", "\xC0 l'\xE9" "coute", "\xC9" "coutez le mot \xE9" "pel\xE9.", KIND_SOUND, QColor(0x6A, 0x1B, 0x9A)},
      {"images", "Images anim\xE9" "es", "Que montre cette image de test ?", KIND_VIDEO, QColor(0xC6, 0x28, 0x28)},
  };
  for (const Sample& s : samples) {
    SCOPED_TRACE(s.file);
    const std::string path = std::string(folder) + "/" + s.file;
    SetProgramFileForResources(path.c_str());
    PlayerWindows windows;
    ASSERT_TRUE(StartPlayer(GetModuleHandleA(nullptr), windows));
    ploxa::test::PumpMessages(windows.questions);
    EXPECT_EQ(boxes, 0) << "no loader message";
    char text[300];
    GetWindowTextA(windows.main, text, sizeof text);
    EXPECT_STREQ(text, s.title);
    EXPECT_EQ(TheQuizState()->quizKind, s.kind);
    EXPECT_STREQ(FindQuestion(TheQuizState(), 0)->prompt, s.firstPrompt);
    if (s.kind == KIND_TEXT) {
      GetDlgItemTextA(windows.questions, QUESTION_LABEL_ID, text, sizeof text);
      EXPECT_STREQ(text, s.firstPrompt);
    }
    RECT client{};
    GetClientRect(windows.questions, &client);
    EXPECT_EQ(ploxa::test::PixelAt(windows.questions, QPoint(2, client.bottom - 3)), s.theme);
    SendMessageA(windows.main, WM_CLOSE, 0, 0);
    ploxa::test::PumpMessages();
    ShutDownPlayer(windows);
  }
  SetProgramFileForResources(nullptr);
  SetMessageBoxHook({});
  std::system((std::string("rm -rf '") + pattern + "'").c_str());
}

}  // namespace
