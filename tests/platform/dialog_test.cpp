// Dialogs from the built-in templates and the dialog manager's keyboard handling,
// driven by real Qt key events.
#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <map>

#include "tests/platform/platform_test_support.h"

using namespace ploxa::test;

namespace {

struct ControlPlan {
  int id;
  const char* cls;
  DWORD style;
};

// Created by the dialog procedure, as the panels do.
const ControlPlan kControls[] = {
    {10, "Static", WS_CHILD | WS_VISIBLE},
    {11, "Edit", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP},
    {12, "Edit", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP},
    {13, "Edit", WS_CHILD | WS_BORDER | WS_TABSTOP},  // hidden: skipped
    {14, "Button", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON},
    {15, "Edit", WS_CHILD | WS_VISIBLE | WS_DISABLED | WS_TABSTOP},  // disabled: skipped
    {16, "Edit", WS_CHILD | WS_VISIBLE | WS_BORDER},                 // no tab stop
};

std::map<HWND, WNDPROC>& KeptProcs() {
  static std::map<HWND, WNDPROC> procs;
  return procs;
}

// Records key releases and characters that reach each control.
LRESULT CALLBACK KeyRecorder(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_KEYUP || msg == WM_CHAR || msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN) Log().push_back({hwnd, msg, wParam, lParam});
  return CallWindowProcA(KeptProcs()[hwnd], hwnd, msg, wParam, lParam);
}

INT_PTR CALLBACK PanelProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_INITDIALOG) {
    for (const ControlPlan& c : kControls) {
      HWND h = CreateWindowExA(0, c.cls, std::string(c.cls) == "Edit" ? "abc" : "", c.style, 5, 5 + 25 * (c.id - 10), 120, 20, dialog,
                               reinterpret_cast<HMENU>(static_cast<LONG_PTR>(c.id)), nullptr, nullptr);
      KeptProcs()[h] = reinterpret_cast<WNDPROC>(SetWindowLongA(h, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(KeyRecorder)));
    }
  }
  return RecordingDialogProc(dialog, msg, wParam, lParam);
}

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Log().clear();
    top_ = CreateRecorder(500, 400);
  }
  void TearDown() override {
    DestroyWindow(top_);
    PumpMessages();
  }
  HWND MakePanel() {
    HWND panel = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1001), top_, PanelProc, 0);
    SetWindowPos(panel, nullptr, 0, 0, 300, 300, SWP_NOZORDER);
    ShowWindow(panel, SW_SHOWNORMAL);
    ShowWindow(top_, SW_SHOWNORMAL);
    return panel;
  }
  HWND top_ = nullptr;
};

TEST_F(DialogTest, TemplatesGiveStylesFontAndInitialisationInOrder) {
  const struct {
    int id;
    DWORD style;
    LONG clientSide;  // of a 300 x 300 panel: less the border and the scroll bars
  } cases[] = {
      {1001, WS_CHILD | WS_BORDER | WS_VSCROLL | WS_HSCROLL | DS_SETFONT, 300 - 2 - 16},
      {1002, WS_CHILD | WS_BORDER | DS_SETFONT, 300 - 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.id);
    Log().clear();
    HWND dlg = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(static_cast<WORD>(c.id)), top_,
                                  RecordingDialogProc, 42);
    ASSERT_TRUE(dlg);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(dlg, GWL_STYLE)), c.style) << "not visible until shown";
    EXPECT_EQ(GetParent(dlg), top_);
    std::vector<UINT> seen;
    for (const Recorded& r : Log()) seen.push_back(r.msg);
    // The dialog procedure starts with the font, then initialisation with the parameter.
    ASSERT_EQ(seen, (std::vector<UINT>{WM_SETFONT, WM_INITDIALOG}));
    EXPECT_EQ(Log()[0].wParam, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)));
    EXPECT_EQ(Log()[1].lParam, 42);
    ShowWindow(dlg, SW_SHOWNORMAL);
    EXPECT_EQ(LogOf(WM_SIZE).size(), 1u) << "WM_SIZE when first shown";
    SetWindowPos(dlg, nullptr, 0, 0, 300, 300, SWP_NOZORDER);
    RECT rc{};
    GetClientRect(dlg, &rc);
    EXPECT_EQ(rc.right, c.clientSide);
    EXPECT_EQ(rc.bottom, c.clientSide);
    EXPECT_EQ(LogOf(WM_SIZE).back().lParam, MAKELPARAM(static_cast<WORD>(c.clientSide), static_cast<WORD>(c.clientSide)));
    DestroyWindow(dlg);
    EXPECT_FALSE(EndDialog(dlg, 0)) << "harmless on a destroyed dialog";
  }
}

// Template bytes, little-endian, as a resource compiler writes them.
struct TemplateBytes {
  std::vector<std::uint8_t> bytes;
  TemplateBytes& Word(std::uint16_t v) {
    bytes.push_back(static_cast<std::uint8_t>(v & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(v >> 8));
    return *this;
  }
  TemplateBytes& Dword(std::uint32_t v) { return Word(static_cast<std::uint16_t>(v & 0xFFFF)).Word(static_cast<std::uint16_t>(v >> 16)); }
  TemplateBytes& Text(const char16_t* s) {
    for (; *s; ++s) Word(*s);
    return Word(0);
  }
  TemplateBytes& Header(DWORD style) { return Dword(style).Dword(0).Word(0).Word(0).Word(0).Word(86).Word(100); }
  TemplateBytes& Cut(std::size_t n) {
    bytes.resize(n);
    return *this;
  }
};

TEST_F(DialogTest, DamagedTemplatesGiveNoDialog) {
  const struct {
    const char* name;
    TemplateBytes bytes;
    const char* title;  // null: no dialog
  } cases[] = {
      {"no menu, class, title or font", TemplateBytes().Header(WS_CHILD).Word(0).Word(0).Word(0), ""},
      {"menu and class ordinals and a title", TemplateBytes().Header(WS_CHILD).Word(0xFFFF).Word(7).Word(0xFFFF).Word(9).Text(u"Réglages €"),
       "R\xE9glages \x80"},
      {"a menu name", TemplateBytes().Header(WS_CHILD).Text(u"MENU").Word(0).Text(u"t"), "t"},
      {"cut in the header", TemplateBytes().Header(WS_CHILD).Cut(10), nullptr},
      {"title without its end", TemplateBytes().Header(WS_CHILD).Word(0).Word(0).Word('a').Word('b'), nullptr},
      {"menu name without its end", TemplateBytes().Header(WS_CHILD).Word('M').Word('N'), nullptr},
      {"DS_SETFONT without the font", TemplateBytes().Header(WS_CHILD | DS_SETFONT).Word(0).Word(0).Word(0), nullptr},
      {"font face without its end", TemplateBytes().Header(WS_CHILD | DS_SETFONT).Word(0).Word(0).Word(0).Word(8).Word('M'), nullptr},
      {"extended template", TemplateBytes().Dword(0xFFFF0001).Dword(0).Dword(0).Dword(WS_CHILD).Word(0).Word(0).Word(0).Word(0).Word(10).Word(10).Word(0).Word(0).Word(0), nullptr},
      {"empty", TemplateBytes(), nullptr},
  };
  // Resources must outlive their use.
  static std::deque<std::vector<std::uint8_t>> kept;
  WORD id = 7000;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    kept.push_back(c.bytes.bytes);
    AddBuiltinResource(RT_DIALOG, ++id, kept.back().data(), static_cast<DWORD>(kept.back().size()));
    HWND dlg = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), top_, RecordingDialogProc, 0);
    if (!c.title) {
      EXPECT_EQ(dlg, nullptr);
      continue;
    }
    ASSERT_TRUE(dlg);
    char title[32];
    GetWindowTextA(dlg, title, sizeof title);
    EXPECT_STREQ(title, c.title);
    DestroyWindow(dlg);
  }
}

TEST_F(DialogTest, FocusStartsOnTheFirstTabStop) {
  HWND panel = MakePanel();
  EXPECT_EQ(GetFocus(), GetDlgItem(panel, 11));
}

TEST_F(DialogTest, TabMovesAmongTabStopsAndTheReleaseReachesTheNewFocus) {
  HWND panel = MakePanel();
  const struct {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    int focusAfter;
  } steps[] = {
      {"Tab", Qt::Key_Tab, Qt::NoModifier, 12},
      {"Tab skips hidden and disabled", Qt::Key_Tab, Qt::NoModifier, 14},
      {"Tab wraps around", Qt::Key_Tab, Qt::NoModifier, 11},
      {"Shift+Tab wraps back", Qt::Key_Backtab, Qt::ShiftModifier, 14},
      {"Shift+Tab", Qt::Key_Backtab, Qt::ShiftModifier, 12},
      {"Shift+Tab again", Qt::Key_Backtab, Qt::ShiftModifier, 11},
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(s.name);
    Log().clear();
    Key(panel, QTest::Press, s.key, QStringLiteral("\t"), s.modifiers);
    PumpMessages(panel);
    const HWND expected = GetDlgItem(panel, s.focusAfter);
    EXPECT_EQ(GetFocus(), expected);
    Key(panel, QTest::Release, s.key, QStringLiteral("\t"), s.modifiers);
    PumpMessages(panel);
    // Shift comes and goes as a key of its own; only Tab's messages count here.
    std::vector<Recorded> ups, downs;
    for (const Recorded& r : Log()) {
      if (r.wParam != VK_TAB) continue;
      if (r.msg == WM_KEYUP) ups.push_back(r);
      if (r.msg == WM_KEYDOWN) downs.push_back(r);
    }
    ASSERT_EQ(ups.size(), 1u);
    EXPECT_EQ(ups[0].hwnd, expected);
    EXPECT_TRUE(downs.empty()) << "the dialog manager keeps the key press";
    if (s.focusAfter != 14) {
      DWORD a = 99, b = 99;
      SendMessageA(expected, EM_GETSEL, reinterpret_cast<WPARAM>(&a), reinterpret_cast<LPARAM>(&b));
      EXPECT_EQ(a, 0u);
      EXPECT_EQ(b, 3u) << "an edit reached by Tab has all its text selected";
    }
    EXPECT_TRUE(LogOf(WM_CHAR).empty()) << "no tab character";
  }
}

TEST_F(DialogTest, EnterSendsIdokNotAClickAndItsReleaseReachesTheControl) {
  HWND panel = MakePanel();
  SetFocus(GetDlgItem(panel, 12));
  Log().clear();
  Key(panel, QTest::Press, Qt::Key_Return, QStringLiteral("\r"));
  PumpMessages(panel);
  Key(panel, QTest::Release, Qt::Key_Return, QStringLiteral("\r"));
  PumpMessages(panel);
  std::vector<WPARAM> commands;
  for (const Recorded& r : LogOf(WM_COMMAND)) {
    if (r.hwnd == panel) commands.push_back(r.wParam);
  }
  EXPECT_EQ(commands, (std::vector<WPARAM>{MAKEWPARAM(IDOK, BN_CLICKED)})) << "never button 14's click";
  const std::vector<Recorded> ups = LogOf(WM_KEYUP);
  ASSERT_EQ(ups.size(), 1u);
  EXPECT_EQ(ups[0].hwnd, GetDlgItem(panel, 12));
  EXPECT_EQ(ups[0].wParam, VK_RETURN);
  EXPECT_TRUE(LogOf(WM_CHAR).empty());
}

TEST_F(DialogTest, OtherKeysReachTheFocusedControlAsKeyDownCharAndKeyUp) {
  HWND panel = MakePanel();
  Log().clear();
  Key(panel, QTest::Press, Qt::Key_A, QStringLiteral("a"));
  PumpMessages(panel);
  Key(panel, QTest::Release, Qt::Key_A, QStringLiteral("a"));
  PumpMessages(panel);
  HWND field = GetDlgItem(panel, 11);
  std::vector<std::pair<UINT, WPARAM>> seen;
  for (const Recorded& r : Log()) {
    if (r.hwnd == field && (r.msg == WM_KEYDOWN || r.msg == WM_CHAR || r.msg == WM_KEYUP)) seen.emplace_back(r.msg, r.wParam);
  }
  const std::vector<std::pair<UINT, WPARAM>> expected{{WM_KEYDOWN, 'A'}, {WM_CHAR, 'a'}, {WM_KEYUP, 'A'}};
  EXPECT_EQ(seen, expected);
  char text[8];
  GetWindowTextA(field, text, sizeof text);
  EXPECT_STREQ(text, "a");
}

TEST_F(DialogTest, SystemKeysComeWithAltAndF10) {
  HWND panel = MakePanel();
  const struct {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    UINT down;
  } cases[] = {
      {"plain F2", Qt::Key_F2, Qt::NoModifier, WM_KEYDOWN},
      {"F10", Qt::Key_F10, Qt::NoModifier, WM_SYSKEYDOWN},
      {"Alt+Enter", Qt::Key_Return, Qt::AltModifier, WM_SYSKEYDOWN},
  };
  HWND field = GetDlgItem(panel, 11);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Log().clear();
    Key(panel, QTest::Press, c.key, {}, c.modifiers);
    PumpMessages(panel);
    Key(panel, QTest::Release, c.key, {}, c.modifiers);
    PumpMessages(panel);
    bool sawDown = false;
    for (const Recorded& r : Log()) sawDown |= r.hwnd == field && r.msg == c.down;
    EXPECT_TRUE(sawDown);
  }
}

}  // namespace
