// The player started in-process on program files built by a test, offscreen:
// the fixture and the small quizzes the player's tests share.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "answers/verdict_effects.h"
#include "panels/control_ids.h"
#include "pictures/picture_loading.h"
#include "platform/win_api.h"
#include "quiz/quiz_state.h"
#include "shell/app_state.h"
#include "shell/startup.h"
#include "tests/platform/platform_test_support.h"
#include "tests/support/quiz_records.h"

namespace ploxa::test {

struct Box {
  std::string text;
  std::string caption;
  UINT type;
};

struct Placement {
  int x, y, width, height;
  bool operator==(const Placement& o) const {
    return x == o.x && y == o.y && width == o.width && height == o.height;
  }
};

inline std::ostream& operator<<(std::ostream& out, const Placement& p) {
  return out << "(" << p.x << ", " << p.y << ", " << p.width << " x " << p.height << ")";
}

inline TestQuiz TextQuiz(int n, int revealMode = 0) {
  TestQuiz quiz;
  quiz.kindByte = 1;
  quiz.revealMode = revealMode;
  const char* cities[] = {"Paris", "Lyon", "Marseille", "Toulouse", "Nice", "Nantes"};
  for (int i = 0; i < n; ++i) {
    quiz.questions.push_back({cities[i % 6], "", "Ville num\xE9ro " + std::to_string(i + 1) + " ?",
                              "Bravo " + std::string(cities[i % 6])});
  }
  return quiz;
}

inline TestQuiz CellQuiz(int kindByte, int n, int answerFields, int revealMode) {
  TestQuiz quiz = TextQuiz(n, revealMode);
  quiz.kindByte = kindByte;
  quiz.answerFields = answerFields;
  for (TestQuestion& q : quiz.questions) q.answer2 = "France";
  return quiz;
}

class Player : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/ploxa_player_XXXXXX";
    folder_ = ::mkdtemp(pattern);
    char cwd[4096];
    previousFolder_ = ::getcwd(cwd, sizeof cwd);
    ASSERT_EQ(::chdir(folder_.c_str()), 0);
    SetMessageBoxHook([this](HWND, std::string_view text, std::string_view caption, UINT type) {
      boxes.push_back({std::string(text), std::string(caption), type});
      return IDOK;
    });
    baseline_ = GetGdiObjectCounts();
  }

  void TearDown() override {
    if (started_) Close();
    SetProgramFileForResources(nullptr);
    SetPictureSource({});
    SetMessageBoxHook({});
    ::chdir(previousFolder_.c_str());
    std::system(("rm -rf '" + folder_ + "'").c_str());
  }

  // Pictures of chosen sizes by resource id, as plain bitmaps.
  void Pictures(std::map<int, std::pair<int, int>> sizes) {
    SetPictureSource([sizes](int id, int, int) -> HBITMAP {
      auto found = sizes.find(id);
      if (found == sizes.end()) return nullptr;
      return CreateCompatibleBitmap(nullptr, found->second.first, found->second.second);
    });
  }

  void Start(const TestQuiz& quiz, const std::string& name = "quiz.exe") {
    program_ = folder_ + "/" + name;
    WriteProgramFile(program_, quiz);
    StartProgram(program_);
  }

  void StartProgram(const std::string& path) {
    SetProgramFileForResources(path.c_str());
    ASSERT_TRUE(StartPlayer(GetModuleHandleA(nullptr), windows));
    started_ = true;
    PumpMessages(windows.questions);
  }

  void Close() {
    SendMessageA(windows.main, WM_CLOSE, 0, 0);
    PumpMessages();
    ShutDownPlayer(windows);
    started_ = false;
    const GdiObjectCounts after = GetGdiObjectCounts();
    EXPECT_EQ(after.fonts, baseline_.fonts) << "fonts left after shutdown";
    EXPECT_EQ(after.brushes, baseline_.brushes) << "brushes left after shutdown";
    EXPECT_EQ(after.bitmaps, baseline_.bitmaps) << "bitmaps left after shutdown";
  }

  HWND Q(int id) const { return GetDlgItem(windows.questions, id); }
  HWND H(int id) const { return GetDlgItem(windows.header, id); }
  QuizState* Quiz() const { return TheQuizState(); }

  // Where a control stands in its parent's client area.
  static Placement At(HWND control) {
    RECT r{};
    GetWindowRect(control, &r);
    POINT p{r.left, r.top};
    ScreenToClient(GetParent(control), &p);
    return {p.x, p.y, r.right - r.left, r.bottom - r.top};
  }

  static std::string Text(HWND control) {
    char text[300];
    GetWindowTextA(control, text, sizeof text);
    return text;
  }

  void Answer(int field, const std::string& text) {
    SetWindowTextA(Q(field), text.c_str());
    EvaluateAnswer(Quiz(), windows.questions, field);
  }

  // The test's own current folder, where the progress file lives.
  const std::string& Folder() const { return folder_; }

  PlayerWindows windows;
  std::vector<Box> boxes;
  std::string program_;

 private:
  std::string folder_;
  std::string previousFolder_;
  GdiObjectCounts baseline_{};
  bool started_ = false;
};

}  // namespace ploxa::test
