#include "tests/platform/platform_test_support.h"

#include <QApplication>
#include <map>
#include <tuple>

namespace ploxa::test {
using ploxa::win::ClientWidgetOf;
using ploxa::win::FrameWidgetOf;

namespace {

std::map<int, std::tuple<HBRUSH, int, COLORREF, COLORREF>>& ColorAnswers() {
  static std::map<int, std::tuple<HBRUSH, int, COLORREF, COLORREF>> answers;
  return answers;
}

LRESULT AnswerColor(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg < WM_CTLCOLORMSGBOX || msg > WM_CTLCOLORSTATIC) return 0;
  HWND control = reinterpret_cast<HWND>(lParam);
  const int id = msg == WM_CTLCOLORDLG ? -1 : GetDlgCtrlID(control);
  auto it = ColorAnswers().find(id);
  if (it == ColorAnswers().end()) return 0;
  HDC dc = reinterpret_cast<HDC>(wParam);
  const auto& [brush, mode, text, background] = it->second;
  SetBkMode(dc, mode);
  SetTextColor(dc, text);
  SetBkColor(dc, background);
  return reinterpret_cast<LRESULT>(brush);
}

LRESULT CALLBACK RecorderProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Log().push_back({hwnd, msg, wParam, lParam});
  if (LRESULT brush = AnswerColor(msg, wParam, lParam)) return brush;
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

QWindow* TopWindowOf(HWND hwnd) {
  HWND top = hwnd;
  while (GetParent(top)) top = GetParent(top);
  QWidget* frame = FrameWidgetOf(top);
  return frame ? frame->windowHandle() : nullptr;
}

}  // namespace

std::vector<Recorded>& Log() {
  static std::vector<Recorded> log;
  return log;
}

std::vector<Recorded> LogOf(UINT msg) {
  std::vector<Recorded> out;
  for (const Recorded& r : Log()) {
    if (r.msg == msg) out.push_back(r);
  }
  return out;
}

void SetColorAnswer(int controlId, HBRUSH brush, int bkMode, COLORREF textColor, COLORREF bkColor) {
  ColorAnswers()[controlId] = {brush, bkMode, textColor, bkColor};
}

void ClearColorAnswers() { ColorAnswers().clear(); }

const char* RecorderClass() {
  static bool registered = false;
  if (!registered) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = RecorderProc;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_3DFACE + 1);
    wc.lpszClassName = "Recorder";
    registered = RegisterClassExA(&wc) != 0;
  }
  return "Recorder";
}

HWND CreateRecorder(int width, int height, DWORD style) {
  return CreateWindowExA(0, RecorderClass(), "recorder", style, 10, 10, width, height, nullptr, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

INT_PTR CALLBACK RecordingDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  Log().push_back({dialog, msg, wParam, lParam});
  if (msg == WM_INITDIALOG) return TRUE;
  return AnswerColor(msg, wParam, lParam);
}

void PumpMessages(HWND dialog) {
  MSG msg;
  for (int idle = 0; idle < 5;) {
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ++idle;
      continue;
    }
    idle = 0;
    if (msg.message == WM_QUIT) continue;
    if (!dialog || !IsDialogMessageA(dialog, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
}

void Key(HWND hwnd, QTest::KeyAction action, Qt::Key key, const QString& text, Qt::KeyboardModifiers modifiers) {
  QWindow* window = TopWindowOf(hwnd);
  if (!window) return;
  QTest::sendKeyEvent(action, window, key, text, modifiers);
}

void TypeText(HWND hwnd, const QString& text, HWND dialog) {
  for (QChar c : text) {
    const Qt::Key key = c.isLetter() && c.unicode() < 0x80 ? static_cast<Qt::Key>(c.toUpper().unicode()) : Qt::Key_unknown;
    Key(hwnd, QTest::Press, key, QString(c));
    PumpMessages(dialog);
    Key(hwnd, QTest::Release, key, QString(c));
    PumpMessages(dialog);
  }
}

void ClickAt(HWND hwnd, QPoint clientPoint, Qt::KeyboardModifiers modifiers) {
  // Through the top-level window, so Qt picks the receiving widget as for a real click.
  QWidget* client = ClientWidgetOf(hwnd);
  QWindow* window = TopWindowOf(hwnd);
  if (!client || !window) return;
  const QPoint inWindow = client->mapTo(client->window(), clientPoint);
  QTest::mouseClick(window, Qt::LeftButton, modifiers, inWindow);
}

QImage GrabClient(HWND hwnd) {
  QWidget* client = ClientWidgetOf(hwnd);
  return client ? client->grab().toImage() : QImage();
}

QColor PixelAt(HWND hwnd, QPoint clientPoint) { return GrabClient(hwnd).pixelColor(clientPoint); }

}  // namespace ploxa::test
