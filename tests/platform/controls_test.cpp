// Static, Edit and Button controls: the colour messages they ask and the pixels
// they paint, bitmaps in statics, clicks and their notifications, the link cursor.
#include <gtest/gtest.h>

#include "tests/platform/platform_test_support.h"

using namespace ploxa::test;
using ploxa::win::BitmapImage;
using ploxa::win::ClientWidgetOf;
using ploxa::win::IconPixmap;

namespace {

class ControlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Log().clear();
    ClearColorAnswers();
    top_ = CreateRecorder(500, 300, WS_POPUP | WS_VISIBLE);
  }
  void TearDown() override {
    ClearColorAnswers();
    DestroyWindow(top_);
    for (HGDIOBJ o : objects_) DeleteObject(o);
    PumpMessages();
  }
  HWND Make(const char* cls, DWORD style, const char* text, int id, int w = 120, int h = 30) {
    return CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, 10, 10, w, h, top_,
                           reinterpret_cast<HMENU>(static_cast<LONG_PTR>(id)), nullptr, nullptr);
  }
  HBRUSH Brush(COLORREF c) {
    HBRUSH b = CreateSolidBrush(c);
    objects_.push_back(b);
    return b;
  }
  HWND top_ = nullptr;
  std::vector<HGDIOBJ> objects_;
};

TEST_F(ControlsTest, ControlsAskTheirParentForColoursBeforePainting) {
  const struct {
    const char* name;
    const char* cls;
    DWORD style;
    const char* text;
    bool answered;
    COLORREF brush;
    int bkMode;
    COLORREF bkColor;
    UINT asked;
    QColor farPixel;   // away from the text: the brush
    QColor textStart;  // the first pixel of the text line: brush or background colour
  } cases[] = {
      {"static with a brush, transparent text", "Static", SS_LEFT, " I", true, RGB(255, 0, 0), TRANSPARENT, 0,
       WM_CTLCOLORSTATIC, QColor(255, 0, 0), QColor(255, 0, 0)},
      {"static with a brush and an opaque text background", "Static", SS_LEFT, " I", true, RGB(0, 0, 255), OPAQUE,
       RGB(255, 255, 0), WM_CTLCOLORSTATIC, QColor(0, 0, 255), QColor(255, 255, 0)},
      {"static answered 0 gets the system colours", "Static", SS_LEFT, " I", false, 0, 0, 0, WM_CTLCOLORSTATIC,
       QColor(212, 208, 200), QColor(212, 208, 200)},
      {"read-only edit asks as a static", "Edit", ES_READONLY, " I", true, RGB(0, 128, 0), TRANSPARENT, 0,
       WM_CTLCOLORSTATIC, QColor(0, 128, 0), QColor(0, 128, 0)},
      {"editable edit asks WM_CTLCOLOREDIT, white by default", "Edit", 0, " I", false, 0, 0, 0, WM_CTLCOLOREDIT,
       QColor(255, 255, 255), QColor(255, 255, 255)},
      {"check box asks as a static", "Button", BS_AUTOCHECKBOX, "", true, RGB(255, 0, 255), TRANSPARENT, 0,
       WM_CTLCOLORSTATIC, QColor(255, 0, 255), QColor(255, 0, 255)},
      {"push button asks WM_CTLCOLORBTN, button face by default", "Button", BS_PUSHBUTTON, "", false, 0, 0, 0,
       WM_CTLCOLORBTN, QColor(212, 208, 200), QColor(212, 208, 200)},
  };
  int id = 100;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ++id;
    if (c.answered) SetColorAnswer(id, Brush(c.brush), c.bkMode, RGB(0, 0, 0), c.bkColor);
    HWND control = Make(c.cls, c.style, c.text, id);
    Log().clear();
    const QImage image = GrabClient(control);
    bool asked = false;
    for (const Recorded& r : Log()) asked |= r.msg == c.asked && r.lParam == reinterpret_cast<LPARAM>(control);
    EXPECT_TRUE(asked);
    EXPECT_EQ(image.pixelColor(image.width() - 3, image.height() / 2), c.farPixel);
    if (std::string(c.cls) != "Button") {
      EXPECT_EQ(image.pixelColor(2, 3), c.textStart);
    }
    DestroyWindow(control);
  }
}

TEST_F(ControlsTest, TextIsDrawnInTheColourTheParentSetOnTheDc) {
  LOGFONTA lf{};
  lf.lfHeight = -40;
  lf.lfWeight = FW_BOLD;
  HFONT big = CreateFontIndirectA(&lf);
  objects_.push_back(big);
  SetColorAnswer(7, Brush(RGB(255, 255, 255)), TRANSPARENT, RGB(0, 0, 200));
  HWND label = Make("Static", SS_CENTER, "IIII", 7, 200, 60);
  SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(big), TRUE);
  const QImage image = GrabClient(label);
  int textPixels = 0, others = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      if (c == QColor(0, 0, 200)) {
        ++textPixels;
      } else if (c != QColor(255, 255, 255)) {
        ++others;  // anti-aliased edges
      }
    }
  }
  EXPECT_GT(textPixels, 100);
  EXPECT_LT(others, textPixels);
}

TEST_F(ControlsTest, DialogBackgroundComesFromItsOwnProcedure) {
  const struct {
    const char* name;
    bool answered;
    QColor expected;
  } cases[] = {
      {"WM_CTLCOLORDLG answered", true, QColor(128, 128, 255)},
      {"not answered: button face", false, QColor(212, 208, 200)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ClearColorAnswers();
    if (c.answered) SetColorAnswer(-1, Brush(RGB(128, 128, 255)), TRANSPARENT, 0);
    HWND dlg = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1002), top_, RecordingDialogProc, 0);
    SetWindowPos(dlg, nullptr, 0, 0, 200, 60, SWP_NOZORDER);
    ShowWindow(dlg, SW_SHOWNORMAL);
    EXPECT_EQ(PixelAt(dlg, QPoint(10, 10)), c.expected);
    DestroyWindow(dlg);
  }
}

TEST_F(ControlsTest, BitmapStaticsKeepTheirSizeAndCentreAndClipTheBitmap) {
  HBITMAP bitmap = CreateCompatibleBitmap(nullptr, 20, 10);
  objects_.push_back(bitmap);
  BitmapImage(bitmap)->fill(QColor(255, 0, 0));
  BitmapImage(bitmap)->setPixelColor(0, 0, QColor(0, 255, 0));
  const struct {
    const char* name;
    DWORD style;
    int width, height;
    QPoint point;
    QColor expected;
  } cases[] = {
      {"centred: middle of the bitmap", SS_CENTERIMAGE, 40, 30, {20, 15}, QColor(255, 0, 0)},
      {"centred: around it the top-left pixel's colour", SS_CENTERIMAGE, 40, 30, {2, 2}, QColor(0, 255, 0)},
      {"centred: the bitmap's own top-left pixel", SS_CENTERIMAGE, 40, 30, {10, 10}, QColor(0, 255, 0)},
      {"centred and clipped in a smaller static", SS_CENTERIMAGE, 10, 6, {0, 0}, QColor(255, 0, 0)},
      {"not centred: at the top-left corner", 0, 40, 30, {0, 0}, QColor(0, 255, 0)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    HWND cell = Make("Static", SS_BITMAP | c.style, "", 9901, c.width, c.height);
    EXPECT_EQ(SendMessageA(cell, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)), 0);
    EXPECT_EQ(SendMessageA(cell, STM_GETIMAGE, IMAGE_BITMAP, 0), reinterpret_cast<LRESULT>(bitmap));
    EXPECT_EQ(PixelAt(cell, c.point), c.expected);
    RECT rc{};
    GetClientRect(cell, &rc);
    EXPECT_EQ(rc.right, c.width) << "the static keeps its size";
    EXPECT_EQ(SendMessageA(cell, STM_SETIMAGE, IMAGE_BITMAP, 0), reinterpret_cast<LRESULT>(bitmap))
        << "STM_SETIMAGE gives back the previous image";
    DestroyWindow(cell);
  }
}

TEST_F(ControlsTest, ClicksNotifyTheParentWithTheControlId) {
  const struct {
    const char* name;
    const char* cls;
    DWORD style;
    int id;
    LRESULT checkAfterFirst, checkAfterSecond;
  } cases[] = {
      {"push button", "Button", BS_PUSHBUTTON, 27, BST_UNCHECKED, BST_UNCHECKED},
      {"check box toggles itself first", "Button", BS_AUTOCHECKBOX, 33, BST_CHECKED, BST_UNCHECKED},
      {"static with SS_NOTIFY", "Static", SS_NOTIFY, 24, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    HWND control = Make(c.cls, c.style, "Cacher", c.id);
    std::vector<LRESULT> checks;
    for (int i = 0; i < 2; ++i) {
      Log().clear();
      ClickAt(control, QPoint(5, 10));
      PumpMessages();
      const std::vector<Recorded> commands = LogOf(WM_COMMAND);
      ASSERT_EQ(commands.size(), 1u);
      EXPECT_EQ(commands[0].wParam, static_cast<WPARAM>(c.id)) << "notification code 0";
      EXPECT_EQ(commands[0].lParam, reinterpret_cast<LPARAM>(control));
      checks.push_back(SendMessageA(control, BM_GETCHECK, 0, 0));
    }
    EXPECT_EQ(checks, (std::vector<LRESULT>{c.checkAfterFirst, c.checkAfterSecond}));
    DestroyWindow(control);
  }
}

TEST_F(ControlsTest, StaticsWithoutNotifyLetTheMouseThroughToTheParent) {
  HWND label = Make("Static", 0, "Par :", 25);
  ClickAt(label, QPoint(5, 10));
  PumpMessages();
  EXPECT_TRUE(LogOf(WM_COMMAND).empty());
  const std::vector<Recorded> downs = LogOf(WM_LBUTTONDOWN);
  ASSERT_EQ(downs.size(), 1u);
  EXPECT_EQ(downs[0].hwnd, top_);
  EXPECT_EQ(downs[0].lParam, MAKELPARAM(15, 20)) << "in the parent's client coordinates";
}

TEST_F(ControlsTest, SpaceClicksTheFocusedCheckBox) {
  HWND box = Make("Button", BS_AUTOCHECKBOX | WS_TABSTOP, "Cacher", 33);
  SetFocus(box);
  Key(box, QTest::Press, Qt::Key_Space, QStringLiteral(" "));
  PumpMessages();
  EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_UNCHECKED) << "not before the release";
  Key(box, QTest::Release, Qt::Key_Space, QStringLiteral(" "));
  PumpMessages();
  EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_CHECKED);
}

TEST_F(ControlsTest, CheckedBoxShowsItsTickAndIconButtonsTheirIcon) {
  HWND box = Make("Button", BS_AUTOCHECKBOX, "", 33, 65, 18);
  SendMessageA(box, BM_SETCHECK, BST_CHECKED, 0);
  const QImage checked = GrabClient(box);
  int black = 0;
  for (int y = 0; y < 18; ++y) {
    for (int x = 0; x < 13; ++x) black += checked.pixelColor(x, y) == QColor(0, 0, 0);
  }
  EXPECT_GE(black, 15) << "the tick";
  EXPECT_EQ(checked.pixelColor(3, 4), QColor(255, 255, 255)) << "white box interior";

  HWND play = Make("Button", BS_DEFPUSHBUTTON | BS_ICON, "", 6001, 20, 20);
  HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1004));
  EXPECT_EQ(SendMessageA(play, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon)), 0);
  EXPECT_EQ(PixelAt(play, QPoint(9, 10)), QColor(0, 0, 0)) << "the triangle in the middle";
  EXPECT_EQ(PixelAt(play, QPoint(0, 0)), QColor(0, 0, 0)) << "the default button's frame";
}

TEST_F(ControlsTest, ClassCursorOfTheLinkIsTheHandWithItsHotSpot) {
  HWND link = Make("Static", SS_NOTIFY, "lien", 24);
  HCURSOR hand = LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1003));
  ASSERT_TRUE(hand);
  SetClassLongA(link, GCL_HCURSOR, reinterpret_cast<LONG_PTR>(hand));
  const QCursor cursor = ClientWidgetOf(link)->cursor();
  EXPECT_EQ(cursor.hotSpot(), QPoint(6, 0));
  EXPECT_EQ(cursor.pixmap().toImage().pixelColor(6, 0), QColor(0, 0, 0));
  EXPECT_EQ(cursor.pixmap().size(), QSize(32, 32));
  HWND later = Make("Static", SS_NOTIFY, "autre", 25);
  EXPECT_EQ(ClientWidgetOf(later)->cursor().hotSpot(), QPoint(6, 0)) << "the class cursor, shared by all statics";
  // Restore the arrow: the class is process-wide.
  SetClassLongA(link, GCL_HCURSOR, reinterpret_cast<LONG_PTR>(LoadCursorA(nullptr, IDC_ARROW)));
}

}  // namespace

namespace {

// Static text breaks into lines at blanks only: a word wider than the control
// (a web address) stays whole on the first line.
TEST_F(ControlsTest, StaticTextBreaksOnlyAtBlanks) {
  const struct {
    const char* name;
    const char* text;
    bool secondLine;
  } cases[] = {
      {"words wrap at blanks", "aaaa bbbb cccc dddd eeee ffff", true},
      {"an address stays on one line", "https://ploxa.example/quiz/drapeaux", false},
  };
  int id = 300;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ++id;
    SetColorAnswer(id, Brush(RGB(255, 255, 255)), TRANSPARENT, RGB(0, 0, 0));
    HWND control = Make("Static", SS_LEFT, c.text, id, 80, 60);
    const QImage image = GrabClient(control);
    bool inked = false;
    for (int y = image.height() / 2; y < image.height() && !inked; ++y) {
      for (int x = 0; x < image.width() && !inked; ++x) inked = image.pixelColor(x, y) != QColor(255, 255, 255);
    }
    EXPECT_EQ(inked, c.secondLine);
    DestroyWindow(control);
  }
}

}  // namespace
