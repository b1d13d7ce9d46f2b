// Window scroll bars: the platform's clamping, disabled bars, mouse actions as
// WM_VSCROLL codes with track positions, ScrollWindow.
#include <gtest/gtest.h>

#include "tests/platform/platform_test_support.h"

using namespace ploxa::test;
using ploxa::win::FrameWidgetOf;

namespace {

int g_trackSeen = -1;

// Reads the track position while the thumb moves, as a scrolling panel does.
LRESULT CALLBACK TrackReader(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_VSCROLL) {
    Log().push_back({hwnd, msg, wParam, lParam});
    if (LOWORD(wParam) == SB_THUMBTRACK) {
      SCROLLINFO si{sizeof si, SIF_TRACKPOS, 0, 0, 0, 0, 0};
      GetScrollInfo(hwnd, SB_VERT, &si);
      g_trackSeen = si.nTrackPos;
    }
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

class ScrollTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Log().clear();
    // 200 x 200 with a vertical bar: a client area of 184 x 200.
    win_ = CreateRecorder(200, 200, WS_POPUP | WS_VISIBLE | WS_VSCROLL);
  }
  void TearDown() override {
    DestroyWindow(win_);
    PumpMessages();
  }
  // The middle of the down arrow: black when the bar is enabled, grey when not.
  QColor DownArrowColour() {
    const QImage image = FrameWidgetOf(win_)->grab().toImage();
    return image.pixelColor(184 + 7, 200 - 16 + 7);
  }
  HWND win_ = nullptr;
};

TEST_F(ScrollTest, PositionsFollowThePlatformsClamping) {
  const struct {
    const char* name;
    UINT mask;
    int min, max;
    UINT page;
    int pos;
    int setPos;
    UINT expectPage;
    int expectPos;
    bool enabled;
  } cases[] = {
      {"largest position is max - page + 1", SIF_RANGE | SIF_PAGE, 0, 498, 100, 0, 1000, 100, 399, true},
      {"below the minimum gives the minimum", SIF_RANGE | SIF_PAGE, 0, 498, 100, 0, -5, 100, 0, true},
      {"no page: largest position is max", SIF_RANGE | SIF_PAGE, 0, 50, 0, 0, 80, 0, 50, true},
      {"the page stays when only the range changes", SIF_RANGE, 0, 20, 0, 0, 80, 0, 20, true},
      {"position set with the range in one call", SIF_RANGE | SIF_PAGE | SIF_POS, 0, 498, 100, 1000, 399, 100, 399, true},
      {"content one pixel taller than the client", SIF_RANGE | SIF_PAGE, 0, 199, 199, 0, 5, 199, 1, true},
      {"content exactly the client's size: disabled", SIF_RANGE | SIF_PAGE, 0, 198, 199, 0, 10, 199, 0, false},
      {"page beyond the range is cut, disabled", SIF_RANGE | SIF_PAGE, 0, 99, 500, 0, 10, 100, 0, false},
      {"maximum below the minimum: disabled at 0", SIF_RANGE | SIF_PAGE, 0, -2, static_cast<UINT>(-1), 0, 50, 0, 0, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SCROLLINFO si{sizeof si, c.mask | SIF_DISABLENOSCROLL, c.min, c.max, c.page, c.pos, 0};
    SetScrollInfo(win_, SB_VERT, &si, TRUE);
    if (!(c.mask & SIF_POS)) SetScrollPos(win_, SB_VERT, c.setPos, TRUE);
    SCROLLINFO got{sizeof got, SIF_ALL, 0, 0, 0, 0, 0};
    ASSERT_TRUE(GetScrollInfo(win_, SB_VERT, &got));
    EXPECT_EQ(got.nPage, c.expectPage);
    EXPECT_EQ(got.nPos, c.expectPos);
    EXPECT_EQ(GetScrollPos(win_, SB_VERT), c.expectPos);
    EXPECT_EQ(got.nTrackPos, c.expectPos) << "no drag: the track position is the position";
    EXPECT_EQ(DownArrowColour(), c.enabled ? QColor(0, 0, 0) : QColor(128, 128, 128));
    RECT rc{};
    GetClientRect(win_, &rc);
    EXPECT_EQ(rc.right, 184) << "SIF_DISABLENOSCROLL keeps the bar";
  }
}

TEST_F(ScrollTest, SetScrollPosReturnsThePreviousPosition) {
  SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE, 0, 999, 100, 0, 0};
  SetScrollInfo(win_, SB_VERT, &si, TRUE);
  EXPECT_EQ(SetScrollPos(win_, SB_VERT, 300, TRUE), 0);
  EXPECT_EQ(SetScrollPos(win_, SB_VERT, 5000, TRUE), 300);
  EXPECT_EQ(GetScrollPos(win_, SB_VERT), 900);
}

TEST_F(ScrollTest, ABarNotNeededWithoutDisableNoScrollIsHiddenAndTheClientGrows) {
  SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE, 0, 99, 500, 0, 0};
  Log().clear();
  SetScrollInfo(win_, SB_VERT, &si, TRUE);
  RECT rc{};
  GetClientRect(win_, &rc);
  EXPECT_EQ(rc.right, 200);
  ASSERT_EQ(LogOf(WM_SIZE).size(), 1u);
  EXPECT_EQ(LogOf(WM_SIZE)[0].lParam, MAKELPARAM(200, 200));
}

TEST_F(ScrollTest, MouseOnTheBarSendsScrollCodes) {
  SetWindowLongA(win_, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(TrackReader));
  SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL, 0, 999, 100, 0, 0};
  SetScrollInfo(win_, SB_VERT, &si, TRUE);
  // Track 200 - 2 x 16 = 168 pixels, thumb 168 x 100 / 1000 = 16 pixels at the top of the track.
  const struct {
    const char* name;
    QPoint press;
    QPoint moveTo;  // (0, 0): no move
    std::vector<WPARAM> expected;
  } cases[] = {
      {"down arrow", {192, 192}, {}, {MAKEWPARAM(SB_LINEDOWN, 0), MAKEWPARAM(SB_ENDSCROLL, 0)}},
      {"up arrow", {192, 5}, {}, {MAKEWPARAM(SB_LINEUP, 0), MAKEWPARAM(SB_ENDSCROLL, 0)}},
      {"track below the thumb", {192, 120}, {}, {MAKEWPARAM(SB_PAGEDOWN, 0), MAKEWPARAM(SB_ENDSCROLL, 0)}},
      {"thumb dragged half way", {192, 20}, {192, 96},
       {MAKEWPARAM(SB_THUMBTRACK, 0), MAKEWPARAM(SB_THUMBTRACK, 450), MAKEWPARAM(SB_THUMBPOSITION, 450),
        MAKEWPARAM(SB_ENDSCROLL, 0)}},
  };
  QWidget* frame = FrameWidgetOf(win_);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Log().clear();
    g_trackSeen = -1;
    QTest::mousePress(frame, Qt::LeftButton, Qt::NoModifier, c.press);
    PumpMessages();
    if (!c.moveTo.isNull()) {
      QTest::mouseMove(frame, c.moveTo);
      PumpMessages();
      EXPECT_EQ(g_trackSeen, 450) << "GetScrollInfo gives the track position during the drag";
      EXPECT_EQ(GetScrollPos(win_, SB_VERT), 0) << "the position is the program's business";
    }
    QTest::mouseRelease(frame, Qt::LeftButton, Qt::NoModifier, c.moveTo.isNull() ? c.press : c.moveTo);
    PumpMessages();
    std::vector<WPARAM> codes;
    for (const Recorded& r : LogOf(WM_VSCROLL)) codes.push_back(r.wParam);
    EXPECT_EQ(codes, c.expected);
  }
}

TEST_F(ScrollTest, AHeldArrowRepeatsAfterAPauseUntilReleased) {
  SetWindowLongA(win_, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(TrackReader));
  SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL, 0, 999, 100, 0, 0};
  SetScrollInfo(win_, SB_VERT, &si, TRUE);
  QWidget* frame = FrameWidgetOf(win_);
  QTest::mousePress(frame, Qt::LeftButton, Qt::NoModifier, QPoint(192, 192));
  PumpMessages();
  const std::size_t atPress = LogOf(WM_VSCROLL).size();
  QTest::qWait(200);
  PumpMessages();
  EXPECT_EQ(LogOf(WM_VSCROLL).size(), atPress) << "no repeat before the pause";
  QTest::qWait(500);
  PumpMessages();
  QTest::mouseRelease(frame, Qt::LeftButton, Qt::NoModifier, QPoint(192, 192));
  PumpMessages();
  const std::size_t afterRelease = LogOf(WM_VSCROLL).size();
  QTest::qWait(150);
  PumpMessages();
  const std::vector<Recorded> codes = LogOf(WM_VSCROLL);
  EXPECT_EQ(codes.size(), afterRelease) << "no repeat after the release";
  ASSERT_GE(codes.size(), 4u) << "the press, at least two repeats, the end";
  for (std::size_t i = 0; i + 1 < codes.size(); ++i) EXPECT_EQ(codes[i].wParam, MAKEWPARAM(SB_LINEDOWN, 0));
  EXPECT_EQ(codes.back().wParam, MAKEWPARAM(SB_ENDSCROLL, 0));
}

TEST_F(ScrollTest, ScrollWindowMovesTheChildren) {
  HWND child = CreateWindowExA(0, "Static", "", WS_CHILD | WS_VISIBLE, 10, 20, 30, 10, win_, nullptr, nullptr, nullptr);
  const struct {
    int dx, dy;
    POINT expected;
  } steps[] = {{0, -15, {10, 5}}, {-4, 0, {6, 5}}, {4, 315, {10, 320}}};
  for (const auto& s : steps) {
    ScrollWindow(win_, s.dx, s.dy, nullptr, nullptr);
    RECT rc{};
    GetWindowRect(child, &rc);
    POINT p{rc.left, rc.top};
    ScreenToClient(win_, &p);
    EXPECT_EQ(p.x, s.expected.x);
    EXPECT_EQ(p.y, s.expected.y);
  }
}

}  // namespace
