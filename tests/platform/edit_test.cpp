// The edit control: typing with real key events, code page 1252 bytes read back,
// limit, selection, clipboard, read-only, mouse.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QGuiApplication>

#include "tests/platform/platform_test_support.h"

using namespace ploxa::test;

namespace {

// A key stroke; a stroke with no key types its text.
struct Stroke {
  Qt::Key key;
  QString text;
  Qt::KeyboardModifiers modifiers = Qt::NoModifier;
};

Stroke Text(const char16_t* s) { return {Qt::Key_unknown, QString::fromUtf16(s)}; }
Stroke K(Qt::Key key, Qt::KeyboardModifiers m = Qt::NoModifier) { return {key, {}, m}; }

class EditTest : public ::testing::Test {
 protected:
  void SetUp() override { top_ = CreateRecorder(400, 200, WS_POPUP | WS_VISIBLE); }
  void TearDown() override {
    DestroyWindow(top_);
    PumpMessages();
  }
  HWND MakeEdit(DWORD style, const char* text, int limit) {
    HWND edit = CreateWindowExA(0, "Edit", "", WS_CHILD | WS_VISIBLE | WS_BORDER | style, 10, 10, 200, 20, top_,
                                reinterpret_cast<HMENU>(4001), nullptr, nullptr);
    SetWindowTextA(edit, text);
    if (limit) SendMessageA(edit, EM_LIMITTEXT, static_cast<WPARAM>(limit), 0);
    SetFocus(edit);
    SendMessageA(edit, EM_SETSEL, 1000, 1000);
    return edit;
  }
  void Play(HWND edit, const std::vector<Stroke>& strokes) {
    for (const Stroke& s : strokes) {
      if (s.key == Qt::Key_unknown) {
        TypeText(edit, s.text, nullptr);
        continue;
      }
      Key(edit, QTest::Press, s.key, s.text, s.modifiers);
      PumpMessages();
      Key(edit, QTest::Release, s.key, s.text, s.modifiers);
      PumpMessages();
    }
  }
  static std::string TextOf(HWND edit) {
    char buffer[260];
    GetWindowTextA(edit, buffer, sizeof buffer);
    return buffer;
  }
  HWND top_ = nullptr;
};

TEST_F(EditTest, TypingGivesCodePageBytes) {
  const struct {
    const char* name;
    DWORD style;
    const char* initial;
    int limit;
    std::vector<Stroke> strokes;
    std::string expected;
  } cases[] = {
      {"accented letters and quotes", ES_AUTOHSCROLL, "", 0, {Text(u"«Pâris» été ç œ €")},
       "\xAB" "P\xE2ris\xBB \xE9t\xE9 \xE7 \x9C \x80"},
      {"characters outside the code page are refused", ES_AUTOHSCROLL, "", 0, {Text(u"aΩ中b")}, "ab"},
      {"the limit refuses the rest", ES_AUTOHSCROLL, "", 3, {Text(u"abcd")}, "abc"},
      {"backspace and delete", ES_AUTOHSCROLL, "abcd", 0,
       {K(Qt::Key_Left), K(Qt::Key_Left), K(Qt::Key_Backspace), K(Qt::Key_Delete)}, "ad"},
      {"home and shift+end select, typing replaces", ES_AUTOHSCROLL, "hello", 0,
       {K(Qt::Key_Home), K(Qt::Key_End, Qt::ShiftModifier), Text(u"x")}, "x"},
      {"shift+left selects one, typing replaces it", ES_AUTOHSCROLL, "abc", 0,
       {K(Qt::Key_Left, Qt::ShiftModifier), Text(u"Z")}, "abZ"},
      {"read-only refuses typing and deleting", ES_READONLY | ES_AUTOHSCROLL, "keep", 0,
       {Text(u"zz"), K(Qt::Key_Backspace)}, "keep"},
      {"Enter and Tab insert nothing", ES_AUTOHSCROLL, "", 0,
       {Text(u"a"), K(Qt::Key_Return), K(Qt::Key_Tab), Text(u"b")}, "ab"},
      {"cut and paste through the clipboard", ES_AUTOHSCROLL, "abc", 0,
       {K(Qt::Key_Home), K(Qt::Key_Right, Qt::ShiftModifier), K(Qt::Key_X, Qt::ControlModifier), K(Qt::Key_End),
        K(Qt::Key_V, Qt::ControlModifier)},
       "bca"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    HWND edit = MakeEdit(c.style, c.initial, c.limit);
    Play(edit, c.strokes);
    EXPECT_EQ(TextOf(edit), c.expected);
    DestroyWindow(edit);
  }
}

TEST_F(EditTest, WithoutAutoHScrollTypingStopsWhenTheBoxIsFull) {
  HWND edit = MakeEdit(0, "", 0);
  Play(edit, {Text(u"WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW")});
  const std::size_t kept = TextOf(edit).size();
  EXPECT_GT(kept, 3u);
  EXPECT_LT(kept, 40u);
  SendMessageA(edit, EM_SETSEL, 0, -1);
  SetWindowLongA(edit, GWL_STYLE, GetWindowLongA(edit, GWL_STYLE) | ES_AUTOHSCROLL);
  Play(edit, {Text(u"WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW")});
  EXPECT_EQ(TextOf(edit).size(), 40u) << "with ES_AUTOHSCROLL the text scrolls instead";
}

TEST_F(EditTest, ComposedCharactersFromTheInputContextAreTyped) {
  HWND edit = MakeEdit(ES_AUTOHSCROLL, "gar", 0);
  const struct {
    const char16_t* commit;
    const char* after;
  } steps[] = {{u"ç", "gar\xE7"}, {u"on", "gar\xE7on"}, {u"Ω", "gar\xE7on"}};
  for (const auto& s : steps) {
    QInputMethodEvent event;
    event.setCommitString(QString::fromUtf16(s.commit));
    QApplication::sendEvent(ploxa::win::ClientWidgetOf(edit), &event);
    PumpMessages();
    EXPECT_EQ(TextOf(edit), s.after);
  }
}

TEST_F(EditTest, SetSelAndGetSelClampAndTypingReplacesTheSelection) {
  HWND edit = MakeEdit(ES_AUTOHSCROLL, "abcdef", 0);
  const struct {
    const char* name;
    WPARAM start;
    LPARAM end;
    DWORD expectStart, expectEnd;
  } cases[] = {
      {"a range", 1, 3, 1, 3},
      {"an end beyond the text", 0, 260, 0, 6},
      {"end -1 is the end", 2, -1, 2, 6},
      {"start -1 removes the selection", static_cast<WPARAM>(-1), 0, 6, 6},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SendMessageA(edit, EM_SETSEL, c.start, c.end);
    DWORD a = 99, b = 99;
    SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&a), reinterpret_cast<LPARAM>(&b));
    EXPECT_EQ(a, c.expectStart);
    EXPECT_EQ(b, c.expectEnd);
  }
  SendMessageA(edit, EM_SETSEL, 1, 5);
  Play(edit, {Text(u"é")});
  EXPECT_EQ(TextOf(edit), "a\xE9" "f");
}

TEST_F(EditTest, CopyPutsTheSelectionOnTheClipboardAsUnicode) {
  HWND edit = MakeEdit(ES_AUTOHSCROLL, "\xE9t\xE9", 0);
  SendMessageA(edit, EM_SETSEL, 0, -1);
  Play(edit, {K(Qt::Key_C, Qt::ControlModifier)});
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf16(u"été"));
  QGuiApplication::clipboard()->setText(QString::fromUtf16(u"Ωx\ny"));
  SendMessageA(edit, EM_SETSEL, 0, -1);
  SendMessageA(edit, WM_PASTE, 0, 0);
  EXPECT_EQ(TextOf(edit), "x") << "first line only, unknown characters left out";
}

TEST_F(EditTest, MousePlacesTheCaretAndShiftClickExtends) {
  HWND edit = MakeEdit(ES_AUTOHSCROLL, "abcdef", 0);
  ClickAt(edit, QPoint(1, 8));
  PumpMessages();
  DWORD a = 99, b = 99;
  SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&a), reinterpret_cast<LPARAM>(&b));
  EXPECT_EQ(a, 0u);
  EXPECT_EQ(b, 0u);
  ClickAt(edit, QPoint(190, 8), Qt::ShiftModifier);
  PumpMessages();
  SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&a), reinterpret_cast<LPARAM>(&b));
  EXPECT_EQ(a, 0u);
  EXPECT_EQ(b, 6u);
}

TEST_F(EditTest, ClickingAnotherEditMovesTheFocusWithKillAndSetFocus) {
  HWND first = MakeEdit(ES_AUTOHSCROLL, "one", 0);
  HWND second = CreateWindowExA(0, "Edit", "two", WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 50, 200, 20, top_,
                                reinterpret_cast<HMENU>(4002), nullptr, nullptr);
  Log().clear();
  ClickAt(second, QPoint(5, 5));
  PumpMessages();
  EXPECT_EQ(GetFocus(), second);
  // The parent hears EN_KILLFOCUS from the first, then EN_SETFOCUS from the second.
  std::vector<WPARAM> notes;
  for (const Recorded& r : LogOf(WM_COMMAND)) notes.push_back(r.wParam);
  EXPECT_EQ(notes, (std::vector<WPARAM>{MAKEWPARAM(4001, EN_KILLFOCUS), MAKEWPARAM(4002, EN_SETFOCUS)}));
  (void)first;
}

}  // namespace
