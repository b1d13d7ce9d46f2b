// The media player component: real playback offscreen, with whatever audio
// output the machine has (none in CI). A video's frames must show fitted in
// the host window and go on a stop; a sound must play to its end.
#include "platform/media_player.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QColor>
#include <QImage>
#include <QTest>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/platform/platform_test_support.h"
#include "tests/support/wav_clip.h"

namespace {

using ploxa::test::GrabClient;

constexpr int WAIT_MS = 15000;

std::string SampleVideo() {
  const char* source = std::getenv("PLOXA_SOURCE_DIR");
  return std::string(source ? source : ".") + "/examples/images/media/mire.avi";
}

void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

bool Near(QColor got, QColor want, int tolerance = 40) {
  return std::abs(got.red() - want.red()) <= tolerance && std::abs(got.green() - want.green()) <= tolerance &&
         std::abs(got.blue() - want.blue()) <= tolerance;
}

class MediaPlayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/ploxa_media_XXXXXX";
    folder_ = ::mkdtemp(pattern);
    window_ = ploxa::test::CreateRecorder(400, 300);
    // A media cell as the question panel makes it: a bordered static, 260 x 200.
    host_ = CreateWindowExA(0, "Static", nullptr, WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 10, 260, 200, window_,
                            reinterpret_cast<HMENU>(9901), nullptr, nullptr);
    ShowWindow(window_, SW_SHOWNORMAL);
    ploxa::test::PumpMessages();
  }

  void TearDown() override {
    SetMediaPlayersAvailable(true);
    DestroyWindow(window_);
    std::system(("rm -rf '" + folder_ + "'").c_str());
  }

  std::string Path(const char* name) const { return folder_ + "/" + name; }

  HWND window_ = nullptr;
  HWND host_ = nullptr;

 private:
  std::string folder_;
};

TEST_F(MediaPlayerTest, NoPlayerWithoutALiveHostOrWhilePlayersAreUnavailable) {
  EXPECT_FALSE(MediaPlayer::Create(nullptr));
  HWND gone = CreateWindowExA(0, "Static", nullptr, WS_CHILD, 0, 0, 10, 10, window_, nullptr, nullptr, nullptr);
  DestroyWindow(gone);
  EXPECT_FALSE(MediaPlayer::Create(gone));
  SetMediaPlayersAvailable(false);
  MediaPlayer refused = MediaPlayer::Create(host_);
  EXPECT_FALSE(refused);
  EXPECT_FALSE(refused.Open(Path("any.wav").c_str()));
  refused.Play();
  EXPECT_EQ(refused.GetState(), MediaPlayer::State::Stopped);
  SetMediaPlayersAvailable(true);
  EXPECT_TRUE(MediaPlayer::Create(host_));
}

TEST_F(MediaPlayerTest, PlaysASoundToItsEnd) {
  WriteFile(Path("tone.wav"), ploxa::test::ToneWav(400));
  MediaPlayer player = MediaPlayer::Create(host_);
  ASSERT_TRUE(player);
  ASSERT_TRUE(player.Open(Path("tone.wav").c_str()));
  player.Play();
  EXPECT_TRUE(QTest::qWaitFor([&] { return player.GetState() == MediaPlayer::State::Playing; }, WAIT_MS));
  // With no sound device the clip still runs its course instead of hanging.
  EXPECT_TRUE(QTest::qWaitFor([&] { return player.GetState() == MediaPlayer::State::Stopped; }, WAIT_MS))
      << "the sound did not come to its end";
}

TEST_F(MediaPlayerTest, PaintsVideoFramesFittedIntoItsHostAndClearsThemOnStop) {
  MediaPlayer player = MediaPlayer::Create(host_);
  ASSERT_TRUE(player);
  const QImage before = GrabClient(host_);
  ASSERT_EQ(before.size(), QSize(258, 198)) << "the client area inside the one-pixel border";

  ASSERT_TRUE(player.Open(SampleVideo().c_str()));
  player.Play();
  ASSERT_TRUE(QTest::qWaitFor([&] { return player.PaintedFrames() >= 3; }, WAIT_MS)) << "no frame was painted";
  const QImage playing = GrabClient(host_);
  // The 160 x 120 colour bars scaled to 258 x 193, centred: a black line above
  // and below, and the seven bars across the whole width.
  const QColor bars[] = {{190, 190, 190}, {190, 190, 0}, {0, 190, 190}, {0, 190, 0},
                         {190, 0, 190}, {190, 0, 0}, {0, 0, 190}};
  for (int i = 0; i < 7; ++i) {
    const QColor got = playing.pixelColor(258 * (2 * i + 1) / 14, 60);
    EXPECT_TRUE(Near(got, bars[i])) << "bar " << i << " is " << got.name().toStdString();
  }
  EXPECT_EQ(playing.pixelColor(129, 0), QColor(Qt::black));
  EXPECT_EQ(playing.pixelColor(129, 197), QColor(Qt::black));

  player.Stop();
  EXPECT_EQ(player.GetState(), MediaPlayer::State::Stopped);
  const QImage stopped = GrabClient(host_);
  EXPECT_EQ(stopped.pixelColor(258 / 14, 60), before.pixelColor(258 / 14, 60)) << "the frame stayed after the stop";
  EXPECT_EQ(stopped.pixelColor(129, 100), before.pixelColor(129, 100));
}

TEST_F(MediaPlayerTest, OpeningTheSameNameAgainReadsTheFileAnew) {
  const std::string clip = Path("clip.avi");
  WriteFile(clip, ploxa::test::ToneWav(300));
  MediaPlayer player = MediaPlayer::Create(host_);
  ASSERT_TRUE(player);
  ASSERT_TRUE(player.Open(clip.c_str()));
  player.Play();
  ASSERT_TRUE(QTest::qWaitFor([&] { return player.GetState() == MediaPlayer::State::Playing; }, WAIT_MS));
  player.Stop();

  // Another clip under the same name: a video this time, whose frames show.
  WriteFile(clip, ReadFile(SampleVideo()));
  ASSERT_TRUE(player.Open(clip.c_str()));
  player.Play();
  EXPECT_TRUE(QTest::qWaitFor([&] { return player.PaintedFrames() > 0; }, WAIT_MS))
      << "the player played what it had read before";
  player.Stop();
}

TEST_F(MediaPlayerTest, GoesQuietWhenItsHostIsDestroyed) {
  WriteFile(Path("long.wav"), ploxa::test::ToneWav(5000));
  MediaPlayer player = MediaPlayer::Create(host_);
  ASSERT_TRUE(player);
  ASSERT_TRUE(player.Open(Path("long.wav").c_str()));
  player.Play();
  ASSERT_TRUE(QTest::qWaitFor([&] { return player.GetState() == MediaPlayer::State::Playing; }, WAIT_MS));
  DestroyWindow(host_);
  ploxa::test::PumpMessages();
  EXPECT_TRUE(QTest::qWaitFor([&] { return player.GetState() == MediaPlayer::State::Stopped; }, 1000));
  // Its calls stay harmless, and letting it go touches nothing of the host.
  player.Stop();
  EXPECT_EQ(player.PaintedFrames(), 0);
}

}  // namespace
