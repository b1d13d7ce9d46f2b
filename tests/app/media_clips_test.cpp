// Sound and video quizzes offscreen: play and stop buttons clicked with the
// mouse, the clip files they leave in the current folder (the test's own), and
// which question's player plays.
#include <dirent.h>
#include <gtest/gtest.h>

#include <QTest>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "panels/media_clips.h"
#include "platform/media_player.h"
#include "tests/app/player_fixture.h"
#include "tests/support/wav_clip.h"

namespace {

using namespace ploxa::test;
using Bytes = std::vector<std::uint8_t>;
using State = MediaPlayer::State;

constexpr int WAIT_MS = 15000;

class Clips : public Player {
 protected:
  void TearDown() override {
    Player::TearDown();
    SetMediaPlayersAvailable(true);
  }

  // A quiz of `kindByte` (3 sound, 4 video) with the clips given by question
  // number; the window is made wide enough for every button to take clicks.
  void StartWithClips(int kindByte, int questions, const std::map<int, Bytes>& clips) {
    program_ = Folder() + "/quiz.exe";
    const TestQuiz quiz = CellQuiz(kindByte, questions, 1, 0);
    bundle::BundleWriter writer;
    writer.Add(bundle::ResourceType::Named("PATCH"), 104, CodedRecord(quiz.AnswersRecord()));
    writer.Add(bundle::ResourceType::Named("PATCH"), 105, CodedRecord(quiz.CodesRecord()));
    for (const auto& [n, bytes] : clips) writer.Add(bundle::ResourceType::Named("IMG"), 400 + n, bytes);
    const Bytes bundleBytes = writer.Finish();
    std::ofstream out(program_, std::ios::binary | std::ios::trunc);
    out << "\x7F" "ELF stand-in for the player";
    out.write(reinterpret_cast<const char*>(bundleBytes.data()), static_cast<std::streamsize>(bundleBytes.size()));
    out.close();
    StartProgram(program_);
    SetWindowPos(windows.main, nullptr, 0, 0, 1000, 700, SWP_NOMOVE | SWP_NOZORDER);
    PumpMessages(windows.questions);
  }

  void Click(int id) {
    ASSERT_NE(Q(id), nullptr) << "no button " << id;
    ClickAt(Q(id), QPoint(10, 10));
    PumpMessages(windows.questions);
  }

  // The clip files in the current folder.
  std::set<std::string> ClipFiles() const {
    std::set<std::string> names;
    DIR* dir = ::opendir(Folder().c_str());
    if (dir == nullptr) return names;
    while (const dirent* entry = ::readdir(dir)) {
      if (std::string(entry->d_name).rfind("ploxa", 0) == 0) names.insert(entry->d_name);
    }
    ::closedir(dir);
    return names;
  }

  Bytes FileBytes(const std::string& name) const {
    std::ifstream in(Folder() + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }

  static State StateOf(int n) {
    const MediaPlayer* player = ClipPlayer(n);
    return player == nullptr ? State::Stopped : player->GetState();
  }

  static bool Reaches(int n, State state) { return QTest::qWaitFor([&] { return StateOf(n) == state; }, WAIT_MS); }
};

const Bytes kTone = ToneWav(1500);

TEST_F(Clips, PlayWritesTheClipAndPlaysItAnyStopButtonStopsItAndDeletesTheFile) {
  StartWithClips(3, 6, {{2, kTone}, {3, kTone}, {5, kTone}});
  Click(7001);
  EXPECT_EQ(ClipFiles(), std::set<std::string>{}) << "a stop before any play does nothing";

  Click(6003);
  EXPECT_EQ(ClipFiles(), std::set<std::string>{"ploxa403.WAV"});
  EXPECT_EQ(FileBytes("ploxa403.WAV"), kTone);
  EXPECT_TRUE(Reaches(3, State::Playing));
  EXPECT_EQ(StateOf(2), State::Stopped);

  Click(7005);
  EXPECT_EQ(StateOf(3), State::Stopped) << "question 5's stop button stops the clip that plays";
  EXPECT_EQ(ClipFiles(), std::set<std::string>{});
  EXPECT_TRUE(boxes.empty());
}

TEST_F(Clips, AnotherPlayStopsTheFirstClipAndReplacesItsFile) {
  StartWithClips(3, 6, {{2, kTone}, {3, kTone}});
  Click(6003);
  ASSERT_TRUE(Reaches(3, State::Playing));
  Click(6002);
  EXPECT_EQ(StateOf(3), State::Stopped);
  EXPECT_TRUE(Reaches(2, State::Playing));
  EXPECT_EQ(ClipFiles(), std::set<std::string>{"ploxa402.WAV"});

  // Question 6 has no clip: the others stop, nothing is written or said.
  Click(6006);
  EXPECT_EQ(StateOf(2), State::Stopped);
  EXPECT_EQ(ClipFiles(), std::set<std::string>{});
  EXPECT_TRUE(boxes.empty());
}

TEST_F(Clips, TheSameClipPlayedAgainIsWrittenAgainUnderTheSameNameAndRestarts) {
  StartWithClips(3, 3, {{3, kTone}});
  Click(6003);
  ASSERT_TRUE(Reaches(3, State::Playing));
  std::ofstream(Folder() + "/ploxa403.WAV", std::ios::binary | std::ios::trunc) << "damaged";
  Click(6003);
  EXPECT_EQ(FileBytes("ploxa403.WAV"), kTone);
  EXPECT_TRUE(Reaches(3, State::Playing));
}

struct NameCase {
  const char* name;
  Bytes clip;
  const char* file;
};

TEST_F(Clips, ClipFilesAreNamedByTheirResourceIdAndTypeAndHoldEveryByte) {
  const std::vector<NameCase> cases = {
      {"wave", kTone, "ploxa401.WAV"},
      {"mpeg audio f3", {0xFF, 0xF3, 0x44, 0xC4, 0, 0, 0, 0, 0, 0}, "ploxa402.MP3"},
      {"mpeg audio fb", {0xFF, 0xFB, 0x90, 0x64, 0, 0, 0, 0, 0, 0}, "ploxa403.XXX"},
      {"pack start", {0, 0, 1, 0xBA, 0x44, 0, 4, 0, 4, 1}, "ploxa404.MPG"},
      {"two bytes of riff", {0x52, 0x49}, "ploxa405.XXX"},
  };
  std::map<int, Bytes> clips;
  for (std::size_t i = 0; i < cases.size(); ++i) clips[static_cast<int>(i) + 1] = cases[i].clip;
  StartWithClips(3, static_cast<int>(cases.size()), clips);
  for (std::size_t i = 0; i < cases.size(); ++i) {
    Click(6001 + static_cast<int>(i));
    EXPECT_EQ(ClipFiles(), std::set<std::string>{cases[i].file}) << cases[i].name;
    EXPECT_EQ(FileBytes(cases[i].file), cases[i].clip) << cases[i].name;
  }
  EXPECT_TRUE(boxes.empty()) << "a clip the player cannot read is its own business";
}

TEST_F(Clips, ClosingWhileAClipPlaysDeletesItsFileAndLetsThePlayersGo) {
  StartWithClips(4, 3, {{1, kTone}});
  Click(6001);
  ASSERT_TRUE(Reaches(1, State::Playing));
  ASSERT_EQ(ClipFiles(), std::set<std::string>{"ploxa401.WAV"});
  Close();
  EXPECT_EQ(ClipFiles(), std::set<std::string>{});
  EXPECT_EQ(ClipPlayer(1), nullptr);
}

TEST_F(Clips, WithoutAPlayerTheConstructionEndsAtTheFirstQuestion) {
  SetMediaPlayersAvailable(false);
  StartWithClips(4, 3, {{1, kTone}});
  EXPECT_NE(Q(9901), nullptr) << "the first media cell is made before its player";
  EXPECT_EQ(Q(4001), nullptr);
  EXPECT_EQ(Q(6001), nullptr);
  EXPECT_EQ(Q(9902), nullptr);
  EXPECT_TRUE(boxes.empty());
}

}  // namespace
