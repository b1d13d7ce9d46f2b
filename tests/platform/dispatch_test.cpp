// Window records, messages and dispatch: creation order, sizes, subclassing,
// the queue, destruction, stale handles, geometry, wheel propagation.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QWheelEvent>
#include <functional>

#include "tests/platform/platform_test_support.h"

using namespace ploxa::test;
using ploxa::win::ClientWidgetOf;

namespace {

class DispatchTest : public ::testing::Test {
 protected:
  void SetUp() override { Log().clear(); }
  void TearDown() override {
    for (HWND w : windows_) DestroyWindow(w);
    PumpMessages();
  }
  HWND Keep(HWND w) {
    windows_.push_back(w);
    return w;
  }
  std::vector<HWND> windows_;
};

std::vector<UINT> MessagesTo(HWND hwnd) {
  std::vector<UINT> out;
  for (const Recorded& r : Log()) {
    if (r.hwnd == hwnd) out.push_back(r.msg);
  }
  return out;
}

// A wheel turn of `delta` (120 a notch) over the window's client area.
void Wheel(HWND hwnd, int delta);

TEST_F(DispatchTest, CreationSendsCreateThenSizeWithTheClientSize) {
  HWND w = Keep(CreateRecorder(544, 375));
  ASSERT_TRUE(w);
  EXPECT_EQ(MessagesTo(w), (std::vector<UINT>{WM_NCCREATE, WM_CREATE, WM_SIZE}));
  // A classic overlapped window: 4-pixel sizing frame, 19-pixel caption.
  EXPECT_EQ(LogOf(WM_SIZE).back().lParam, MAKELPARAM(536, 348));
}

TEST_F(DispatchTest, SizeMessagesOnFirstShowMinimiseRestoreAndResize) {
  HWND w = Keep(CreateRecorder(300, 200, WS_POPUP));
  Log().clear();
  ShowWindow(w, SW_SHOWNORMAL);
  ShowWindow(w, SW_SHOWNORMAL);  // already shown: no second WM_SIZE
  ShowWindow(w, SW_MINIMIZE);
  ShowWindow(w, SW_RESTORE);
  SetWindowPos(w, nullptr, 0, 0, 250, 120, SWP_NOMOVE | SWP_NOZORDER);
  SetWindowPos(w, nullptr, 40, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);  // a move alone
  const std::vector<Recorded> sizes = LogOf(WM_SIZE);
  ASSERT_EQ(sizes.size(), 4u);
  EXPECT_EQ(sizes[0].wParam, SIZE_RESTORED);
  EXPECT_EQ(sizes[0].lParam, MAKELPARAM(300, 200));
  EXPECT_EQ(sizes[1].wParam, SIZE_MINIMIZED);
  EXPECT_EQ(sizes[2].wParam, SIZE_RESTORED);
  EXPECT_EQ(sizes[3].lParam, MAKELPARAM(250, 120));
}

struct ClientCase {
  const char* name;
  DWORD style;
  int width, height;
  LONG clientWidth, clientHeight;
};

TEST_F(DispatchTest, ClientRectangleIsTheOuterSizeLessFrameBorderAndBars) {
  const ClientCase cases[] = {
      {"overlapped window", WS_OVERLAPPEDWINDOW, 544, 375, 536, 348},
      {"popup without frame", WS_POPUP, 100, 50, 100, 50},
      {"negative sizes are taken as 0", WS_POPUP, -5, -7, 0, 0},
      {"child with border and both bars", WS_CHILD | WS_BORDER | WS_VSCROLL | WS_HSCROLL, 200, 100, 182, 82},
      {"child too small for its bars", WS_CHILD | WS_VSCROLL, 10, 10, 0, 10},
  };
  HWND parent = Keep(CreateRecorder(600, 400, WS_POPUP));
  for (const ClientCase& c : cases) {
    SCOPED_TRACE(c.name);
    HWND w = CreateWindowExA(0, RecorderClass(), "", c.style, 0, 0, c.width, c.height,
                             (c.style & WS_CHILD) ? parent : nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(w);
    RECT rc{};
    ASSERT_TRUE(GetClientRect(w, &rc));
    EXPECT_EQ(rc.right, c.clientWidth);
    EXPECT_EQ(rc.bottom, c.clientHeight);
    DestroyWindow(w);
  }
}

TEST_F(DispatchTest, ScreenCoordinatesFollowTheParentsClientOrigin) {
  HWND top = Keep(CreateRecorder(544, 375));
  SetWindowPos(top, nullptr, 100, 80, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  HWND child = CreateWindowExA(0, "Static", "", WS_CHILD | WS_VISIBLE, 5, 50, 30, 20, top, nullptr, nullptr, nullptr);
  RECT rc{};
  GetWindowRect(top, &rc);
  EXPECT_EQ(rc.left, 100);
  EXPECT_EQ(rc.bottom, 80 + 375);
  GetWindowRect(child, &rc);
  EXPECT_EQ(rc.left, 100 + 4 + 5);
  EXPECT_EQ(rc.top, 80 + 23 + 50);
  POINT p{rc.left, rc.top};
  ScreenToClient(top, &p);
  EXPECT_EQ(p.x, 5);
  EXPECT_EQ(p.y, 50);
  RECT desk{};
  GetClientRect(GetDesktopWindow(), &desk);
  EXPECT_EQ(desk.right, QGuiApplication::primaryScreen()->geometry().width());
}

TEST_F(DispatchTest, ClassNamesCompareWithoutCase) {
  HWND parent = Keep(CreateRecorder());
  const char* names[] = {"Static", "STATIC", "static", "eDiT", "BUTTON", "recorder"};
  for (const char* name : names) {
    SCOPED_TRACE(name);
    HWND w = CreateWindowExA(0, name, "", WS_CHILD, 0, 0, 10, 10, parent, nullptr, nullptr, nullptr);
    EXPECT_TRUE(w);
  }
  EXPECT_FALSE(CreateWindowExA(0, "NoSuchClass", "", WS_CHILD, 0, 0, 10, 10, parent, nullptr, nullptr, nullptr));
  WNDCLASSEXA again{};
  again.cbSize = sizeof again;
  again.lpfnWndProc = DefWindowProcA;
  again.lpszClassName = "RECORDER";
  EXPECT_EQ(RegisterClassExA(&again), 0) << "a class registered twice under another case";
}

LRESULT CALLBACK UpperCaseTextProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
WNDPROC g_kept = nullptr;
int g_subclassCalls = 0;

LRESULT CALLBACK UpperCaseTextProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  ++g_subclassCalls;
  if (msg == WM_SETTEXT) {
    std::string text = reinterpret_cast<const char*>(lParam);
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return CallWindowProcA(g_kept, hwnd, msg, wParam, reinterpret_cast<LPARAM>(text.c_str()));
  }
  return CallWindowProcA(g_kept, hwnd, msg, wParam, lParam);
}

TEST_F(DispatchTest, SubclassingSwapsTheProcedureAndKeepsTheOldOneCallable) {
  HWND parent = Keep(CreateRecorder());
  HWND edit = CreateWindowExA(0, "Edit", "", WS_CHILD | WS_VISIBLE, 0, 0, 100, 20, parent, nullptr, nullptr, nullptr);
  HWND other = CreateWindowExA(0, "Edit", "", WS_CHILD | WS_VISIBLE, 0, 30, 100, 20, parent, nullptr, nullptr, nullptr);
  const LONG_PTR classProc = GetWindowLongA(edit, GWL_WNDPROC);
  g_kept = reinterpret_cast<WNDPROC>(SetWindowLongA(edit, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(UpperCaseTextProc)));
  EXPECT_EQ(reinterpret_cast<LONG_PTR>(g_kept), classProc);
  EXPECT_EQ(GetWindowLongA(edit, GWL_WNDPROC), reinterpret_cast<LONG_PTR>(UpperCaseTextProc));
  g_subclassCalls = 0;
  SetWindowTextA(edit, "paris");
  SetWindowTextA(other, "paris");
  char buffer[16];
  GetWindowTextA(edit, buffer, sizeof buffer);
  EXPECT_STREQ(buffer, "PARIS");
  GetWindowTextA(other, buffer, sizeof buffer);
  EXPECT_STREQ(buffer, "paris") << "only the subclassed window changed";
  EXPECT_GE(g_subclassCalls, 2);
}

TEST_F(DispatchTest, PostedMessagesComeInOrderThenQuitWithItsCode) {
  HWND w = Keep(CreateRecorder());
  PostMessageA(w, WM_USER + 1, 10, 0);
  PostMessageA(w, WM_USER + 2, 20, 0);
  PostQuitMessage(7);
  PostMessageA(w, WM_USER + 3, 30, 0);
  MSG msg;
  std::vector<UINT> got;
  while (GetMessageA(&msg, nullptr, 0, 0)) {
    got.push_back(msg.message);
    DispatchMessageA(&msg);
  }
  EXPECT_EQ(got, (std::vector<UINT>{WM_USER + 1, WM_USER + 2, WM_USER + 3}));
  EXPECT_EQ(msg.message, WM_QUIT);
  EXPECT_EQ(msg.wParam, 7u);
  ASSERT_EQ(LogOf(WM_USER + 2).size(), 1u);
  EXPECT_EQ(LogOf(WM_USER + 2)[0].wParam, 20u);
}

TEST_F(DispatchTest, CloseDestroysByDefaultParentsFirstThenChildrenLast) {
  HWND top = CreateRecorder();
  HWND child = CreateWindowExA(0, RecorderClass(), "", WS_CHILD, 0, 0, 10, 10, top, nullptr, nullptr, nullptr);
  Log().clear();
  SendMessageA(top, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(top));
  EXPECT_FALSE(IsWindow(child));
  std::vector<std::pair<HWND, UINT>> order;
  for (const Recorded& r : Log()) {
    if (r.msg == WM_DESTROY || r.msg == WM_NCDESTROY) order.emplace_back(r.hwnd, r.msg);
  }
  const std::vector<std::pair<HWND, UINT>> expected{
      {top, WM_DESTROY}, {child, WM_DESTROY}, {child, WM_NCDESTROY}, {top, WM_NCDESTROY}};
  EXPECT_EQ(order, expected);
}

TEST_F(DispatchTest, AltF4InAChildClosesItsTopLevelWindow) {
  HWND top = CreateRecorder(300, 200, WS_POPUP | WS_VISIBLE);
  HWND edit = CreateWindowExA(0, "Edit", "", WS_CHILD | WS_VISIBLE, 0, 0, 100, 20, top, nullptr, nullptr, nullptr);
  SetFocus(edit);
  Key(edit, QTest::Press, Qt::Key_F4, {}, Qt::AltModifier);
  PumpMessages();
  EXPECT_EQ(LogOf(WM_CLOSE).size(), 1u);
  EXPECT_FALSE(IsWindow(top)) << "the recorder's default handling of WM_CLOSE destroys it";
}

TEST_F(DispatchTest, WithoutAFocusTheWheelGoesToTheWindowUnderThePointer) {
  HWND top = Keep(CreateRecorder(300, 200, WS_POPUP | WS_VISIBLE));
  HWND panel = CreateWindowExA(0, RecorderClass(), "", WS_CHILD | WS_VISIBLE, 0, 0, 200, 150, top, nullptr, nullptr, nullptr);
  SetFocus(nullptr);
  Log().clear();
  Wheel(panel, -120);
  PumpMessages();
  const std::vector<Recorded> wheels = LogOf(WM_MOUSEWHEEL);
  ASSERT_EQ(wheels.size(), 2u);
  EXPECT_EQ(wheels[0].hwnd, panel);
  EXPECT_EQ(wheels[1].hwnd, top) << "passed up by the default procedure";
  EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(wheels[0].wParam), -120);
}

TEST_F(DispatchTest, SetIconReturnsThePreviousIconAndShowsTheNewOne) {
  HWND top = Keep(CreateRecorder());
  HICON question = LoadIconA(nullptr, IDI_QUESTION);
  HICON application = LoadIconA(nullptr, IDI_APPLICATION);
  EXPECT_EQ(SendMessageA(top, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(question)), 0);
  EXPECT_EQ(SendMessageA(top, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(application)),
            reinterpret_cast<LRESULT>(question));
  EXPECT_EQ(SendMessageA(top, WM_GETICON, ICON_BIG, 0), reinterpret_cast<LRESULT>(application));
  EXPECT_FALSE(ploxa::win::FrameWidgetOf(top)->windowIcon().isNull());
}

TEST_F(DispatchTest, StaleHandlesAreHarmlessFailures) {
  HWND stale = CreateRecorder();
  HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
  DestroyWindow(stale);
  DeleteObject(brush);
  HWND fresh = Keep(CreateRecorder());
  EXPECT_NE(fresh, stale) << "handles are never reused";
  SetFocus(fresh);
  char buffer[8] = "xxxxxxx";
  RECT rc{};
  MSG msg{};
  msg.hwnd = stale;
  msg.message = WM_KEYDOWN;
  const struct {
    const char* name;
    std::function<LONG_PTR()> call;
    LONG_PTR expected;
  } cases[] = {
      {"SendMessageA", [&] { return SendMessageA(stale, WM_GETTEXTLENGTH, 0, 0); }, 0},
      {"PostMessageA", [&] { return LONG_PTR{PostMessageA(stale, WM_USER, 0, 0)}; }, FALSE},
      {"GetWindowTextA", [&] { return LONG_PTR{GetWindowTextA(stale, buffer, sizeof buffer)}; }, 0},
      {"SetWindowTextA", [&] { return LONG_PTR{SetWindowTextA(stale, "x")}; }, FALSE},
      {"SetWindowPos", [&] { return LONG_PTR{SetWindowPos(stale, nullptr, 0, 0, 1, 1, 0)}; }, FALSE},
      {"ShowWindow", [&] { return LONG_PTR{ShowWindow(stale, SW_SHOW)}; }, FALSE},
      {"GetClientRect", [&] { return LONG_PTR{GetClientRect(stale, &rc)}; }, FALSE},
      {"GetWindowLongA", [&] { return GetWindowLongA(stale, GWL_ID); }, 0},
      {"SetWindowLongA", [&] { return SetWindowLongA(stale, GWL_ID, 5); }, 0},
      {"GetDlgItem", [&] { return reinterpret_cast<LONG_PTR>(GetDlgItem(stale, 1)); }, 0},
      {"EndDialog", [&] { return LONG_PTR{EndDialog(stale, 0)}; }, FALSE},
      {"DestroyWindow twice", [&] { return LONG_PTR{DestroyWindow(stale)}; }, FALSE},
      {"SetFocus", [&] { return reinterpret_cast<LONG_PTR>(SetFocus(stale)); }, 0},
      {"GetScrollPos", [&] { return LONG_PTR{GetScrollPos(stale, SB_VERT)}; }, 0},
      {"IsDialogMessageA", [&] { return LONG_PTR{IsDialogMessageA(stale, &msg)}; }, FALSE},
      {"DispatchMessageA", [&] { return DispatchMessageA(&msg); }, 0},
      {"DeleteObject twice", [&] { return LONG_PTR{DeleteObject(brush)}; }, FALSE},
      {"IsWindow", [&] { return LONG_PTR{IsWindow(stale)}; }, FALSE},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.call(), c.expected) << c.name;
  }
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(GetFocus(), fresh) << "a failed SetFocus leaves the focus alone";
}

LRESULT CALLBACK FocusLogger(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
WNDPROC g_editProc = nullptr;
HWND g_panelAtKillFocus = nullptr;
bool g_panelWholeAtKillFocus = false;

// Notes whether the field's panel is still whole when the field loses the focus.
LRESULT CALLBACK FocusLogger(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_KILLFOCUS) {
    Log().push_back({hwnd, msg, wParam, lParam});
    g_panelAtKillFocus = GetParent(hwnd);
    g_panelWholeAtKillFocus = GetDlgItem(g_panelAtKillFocus, 2) != nullptr;
  }
  return CallWindowProcA(g_editProc, hwnd, msg, wParam, lParam);
}

enum class FocusAfter { kNobody, kTop, kPanel };

TEST_F(DispatchTest, FocusLeavesAControlThatIsHiddenDisabledOrDestroyed) {
  using enum FocusAfter;
  const struct {
    const char* name;
    std::function<void(HWND top, HWND panel, HWND field)> act;
    FocusAfter focusAfter;
  } cases[] = {
      {"hiding the field gives the focus to its parent", [](HWND, HWND, HWND f) { ShowWindow(f, SW_HIDE); }, kPanel},
      {"disabling the field leaves no focus", [](HWND, HWND, HWND f) { EnableWindow(f, FALSE); }, kNobody},
      {"destroying the panel: the field loses the focus first", [](HWND, HWND p, HWND) { DestroyWindow(p); }, kTop},
      {"hiding the panel", [](HWND, HWND p, HWND) { ShowWindow(p, SW_HIDE); }, kTop},
  };
  HWND top = Keep(CreateRecorder(300, 200, WS_POPUP | WS_VISIBLE));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    HWND panel = CreateWindowExA(0, RecorderClass(), "", WS_CHILD | WS_VISIBLE, 0, 0, 200, 150, top, nullptr, nullptr, nullptr);
    HWND field = CreateWindowExA(0, "Edit", "", WS_CHILD | WS_VISIBLE, 0, 0, 100, 20, panel, reinterpret_cast<HMENU>(1),
                                 nullptr, nullptr);
    CreateWindowExA(0, "Static", "", WS_CHILD | WS_VISIBLE, 0, 30, 100, 20, panel, reinterpret_cast<HMENU>(2), nullptr, nullptr);
    g_editProc = reinterpret_cast<WNDPROC>(SetWindowLongA(field, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(FocusLogger)));
    SetFocus(field);
    Log().clear();
    g_panelWholeAtKillFocus = false;
    c.act(top, panel, field);
    ASSERT_EQ(LogOf(WM_KILLFOCUS).size(), 1u);
    EXPECT_EQ(LogOf(WM_KILLFOCUS)[0].hwnd, field);
    EXPECT_TRUE(g_panelWholeAtKillFocus);
    EXPECT_EQ(GetFocus(), c.focusAfter == kTop ? top : c.focusAfter == kPanel ? panel : nullptr);
    DestroyWindow(panel);
  }
}

TEST_F(DispatchTest, GetDlgItemGivesTheFirstChildOfARepeatedId) {
  HWND parent = Keep(CreateRecorder());
  auto make = [&](int id) {
    return CreateWindowExA(0, "Static", "", WS_CHILD, 0, 0, 5, 5, parent, reinterpret_cast<HMENU>(static_cast<LONG_PTR>(id)),
                           nullptr, nullptr);
  };
  HWND first = make(2000);
  HWND other = make(3000);
  make(2000);
  EXPECT_EQ(GetDlgItem(parent, 2000), first);
  EXPECT_EQ(GetDlgItem(parent, 3000), other);
  EXPECT_EQ(GetDlgCtrlID(other), 3000);
  EXPECT_EQ(GetDlgItem(parent, 4000), nullptr);
}

void Wheel(HWND hwnd, int delta) {
  QWidget* target = ClientWidgetOf(hwnd);
  QWheelEvent event(QPointF(2, 2), target->mapToGlobal(QPointF(2, 2)), QPoint(), QPoint(0, delta), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(target, &event);
}

TEST_F(DispatchTest, WheelComesInWholeNotchesToTheFocusAndUpToTheTopWindow) {
  const struct {
    const char* name;
    std::vector<int> deltas;
    std::vector<WORD> notches;
  } cases[] = {
      {"one notch", {120}, {120}},
      {"two half notches make one", {60, 60}, {120}},
      {"high-resolution steps add up", {15, 15, 15, 15, 15, 15, 15, 15}, {120}},
      {"a double notch comes as two", {240}, {120, 120}},
      {"one notch toward the user", {-120}, {0xFF88}},
      {"a change of direction drops the remainder", {60, -60, -60}, {0xFF88}},
  };
  HWND top = Keep(CreateRecorder(300, 200, WS_POPUP | WS_VISIBLE));
  HWND panel = CreateWindowExA(0, RecorderClass(), "", WS_CHILD | WS_VISIBLE, 0, 0, 200, 150, top, nullptr, nullptr, nullptr);
  HWND edit = CreateWindowExA(0, "Edit", "", WS_CHILD | WS_VISIBLE, 0, 0, 100, 20, panel, nullptr, nullptr, nullptr);
  SetFocus(edit);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Log().clear();
    for (int d : c.deltas) Wheel(edit, d);
    PumpMessages();
    std::vector<WORD> atTop, atPanel;
    for (const Recorded& r : LogOf(WM_MOUSEWHEEL)) {
      (r.hwnd == top ? atTop : atPanel).push_back(HIWORD(r.wParam));
    }
    EXPECT_EQ(atTop, c.notches) << "the edit and the panel pass it on";
    EXPECT_EQ(atPanel, c.notches);
  }
}

}  // namespace
