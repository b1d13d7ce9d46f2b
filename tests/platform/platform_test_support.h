// Helpers shared by the layer's tests: a message recorder, a pump for the
// layer's queue, real Qt key and mouse input, and pixels of a grab.
#pragma once

#include <QPoint>
#include <QTest>
#include <QWindow>
#include <string>
#include <vector>

#include "platform/qt_access.h"
#include "platform/win_api.h"

namespace ploxa::test {

struct Recorded {
  HWND hwnd;
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
};

// Every message that a "Recorder" window or RecordingDialogProc receives, in order.
std::vector<Recorded>& Log();
std::vector<Recorded> LogOf(UINT msg);
// Answers for colour messages of RecordingDialogProc and the recorder class: the
// brush returned for a control id (0: not handled).
void SetColorAnswer(int controlId, HBRUSH brush, int bkMode, COLORREF textColor, COLORREF bkColor = RGB(255, 255, 255));
void ClearColorAnswers();

// A registered top-level class whose procedure logs and then defers to DefWindowProcA.
const char* RecorderClass();
HWND CreateRecorder(int width = 400, int height = 300, DWORD style = WS_OVERLAPPEDWINDOW);
INT_PTR CALLBACK RecordingDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);

// Runs the layer's queue until it stays empty; IsDialogMessageA for `dialog` as the player's loop does.
void PumpMessages(HWND dialog = nullptr);

// Real Qt input, sent to the top-level window that holds `hwnd`.
void Key(HWND hwnd, QTest::KeyAction action, Qt::Key key, const QString& text = {},
         Qt::KeyboardModifiers modifiers = Qt::NoModifier);
void TypeText(HWND hwnd, const QString& text, HWND dialog);
void ClickAt(HWND hwnd, QPoint clientPoint, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

// The colour of a client pixel of a window, from a grab of its top-level window.
QColor PixelAt(HWND hwnd, QPoint clientPoint);
QImage GrabClient(HWND hwnd);

}  // namespace ploxa::test
