// Private records of the layer: windows, classes, the message queue, GDI objects.
// Handles are serial numbers looked up in maps, never pointers, so a stale handle
// is simply not found.
#pragma once

#include <QColor>
#include <QCursor>
#include <QFont>
#include <QImage>
#include <QMargins>
#include <QPixmap>
#include <QPointer>
#include <QRect>
#include <QString>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/qt_access.h"
#include "platform/win_api.h"

class QPainter;
class QWidget;

namespace ploxa::win {

class FrameWidget;
class ClientWidget;

// Classic metrics (pixels).
inline constexpr int kCaptionHeight = 19;
inline constexpr int kSizingFrame = 4;
inline constexpr int kScrollBarSize = 16;
inline constexpr int kMinThumb = 8;
// A held scroll arrow or page area repeats after a pause; repeats carry this flag
// in the hit-test code of WM_NCLBUTTONDOWN.
inline constexpr int kScrollRepeatDelay = 400;
inline constexpr int kScrollRepeatInterval = 50;
inline constexpr WPARAM kScrollRepeatFlag = 0x8000;

// Creates the Qt application when the program has not (tests, tools).
void EnsureApplication();
// Application attributes set before the Qt application is made.
void UseRasterOnly();

ULONG_PTR NextHandleValue();
template <typename H>
H MakeHandle(ULONG_PTR value) {
  return reinterpret_cast<H>(value);
}
inline ULONG_PTR HandleValue(const void* h) { return reinterpret_cast<ULONG_PTR>(h); }
void ReportBadHandle(const char* call, const void* handle);

struct WindowClass {
  std::string name;
  UINT style = 0;
  WNDPROC proc = nullptr;
  HINSTANCE instance = nullptr;
  HICON icon = nullptr;
  HICON iconSmall = nullptr;
  HCURSOR cursor = nullptr;
  HBRUSH background = nullptr;
};

// Per-control state that the control's procedure owns; freed with the record.
struct ControlState {
  virtual ~ControlState() = default;
};

struct ScrollBarState {
  int min = 0;
  int max = 100;
  UINT page = 0;
  int pos = 0;
  int trackPos = 0;
  bool visible = false;
  // Mouse tracking: the part pressed and, for the thumb, the grab offset.
  enum class Part { None, ArrowBack, ArrowForward, PageBack, PageForward, Thumb } pressed = Part::None;
  int grabOffset = 0;
};

struct Window {
  HWND handle = nullptr;
  std::shared_ptr<WindowClass> cls;
  WNDPROC proc = nullptr;
  HINSTANCE instance = nullptr;
  LONG_PTR id = 0;
  DWORD style = 0;
  DWORD exStyle = 0;
  std::string text;  // code page 1252 bytes
  HFONT font = nullptr;
  HWND parent = nullptr;
  std::vector<HWND> children;  // creation order = z-order = Tab order
  QRect rect;                  // outer rectangle: parent client coordinates, or screen for top-level windows
  bool isDesktop = false;
  bool sizeSent = false;
  bool shownOnce = false;
  bool minimized = false;
  bool destroying = false;
  LONG_PTR userData = 0;
  ScrollBarState hbar;
  ScrollBarState vbar;
  HICON iconBig = nullptr;
  HICON iconSmall = nullptr;
  std::unique_ptr<ControlState> control;

  // Dialogs.
  bool isDialog = false;
  DLGPROC dlgProc = nullptr;
  LONG_PTR msgResult = 0;
  LONG_PTR dlgUser = 0;
  INT_PTR dlgResult = 0;
  HWND dlgFocus = nullptr;  // control to give the focus back to

  QPointer<FrameWidget> frame;
  QPointer<ClientWidget> client;
};

// A queued message; `toFocus` input gets its window when it is taken from the queue.
struct QueuedMessage {
  MSG msg{};
  bool toFocus = false;
  std::string chars;  // code page 1252 characters of a key press
  unsigned modifiers = 0;  // kShift | kControl | kAlt at the time of the input
};
inline constexpr unsigned kShift = 1, kControl = 2, kAlt = 4;

struct DeviceContext {
  QPainter* painter = nullptr;
  HWND hwnd = nullptr;
  COLORREF textColor = RGB(0, 0, 0);
  COLORREF bkColor = RGB(255, 255, 255);
  int bkMode = OPAQUE;
  HFONT font = nullptr;
  HBRUSH brush = nullptr;
  QPoint origin;  // client origin inside the painter's device
  bool memory = false;      // made by CreateCompatibleDC: draws into its bitmap
  HBITMAP bitmap = nullptr; // the memory DC's selected bitmap
  int stretchMode = BLACKONWHITE;
};

struct Registry {
  std::unordered_map<ULONG_PTR, std::unique_ptr<Window>> windows;
  // Records of destroyed windows wait here until no procedure runs, so code up
  // the stack never touches freed state.
  std::vector<std::unique_ptr<Window>> graveyard;
  std::unordered_map<std::string, std::shared_ptr<WindowClass>> classes;  // key: lower-case name
  HWND desktop = nullptr;
  HWND focus = nullptr;
  int callDepth = 0;
  std::deque<QueuedMessage> queue;
  bool quitPosted = false;
  int quitCode = 0;
  DWORD nextSerial = 1;
  // Input texts of key presses handed out by GetMessageA, by serial.
  std::deque<std::pair<DWORD, QueuedMessage>> recentKeys;
  unsigned keyModifiers = 0;
  std::unordered_map<ULONG_PTR, std::unique_ptr<DeviceContext>> dcs;
  std::unordered_map<ULONG_PTR, HDC> paintDcs;  // window -> DC of its current paint
};

Registry& Reg();

// Windows.
Window* FindWin(HWND hwnd);
Window* FindWin(HWND hwnd, const char* call);  // reports a bad handle in debug builds
Window* Desktop();
bool IsTopLevel(const Window& w);
bool IsAncestor(HWND ancestor, HWND hwnd);  // true when equal too
QMargins VirtualFrame(const Window& w);     // caption and frame the desktop draws (top-level only)
QMargins DrawnFrame(const Window& w);       // border and scroll bars the layer draws
QRect ClientRect(const Window& w);          // in window coordinates
QPoint ClientOriginOnScreen(const Window& w);
QPoint WindowOriginOnScreen(const Window& w);
void SyncWidgetGeometry(Window& w);
void SyncWidgetVisibility(Window& w);
void UpdateCursor(Window& w);
void RepaintWindow(Window& w);
void RepaintFrame(Window& w);
void SendSizeMessage(HWND hwnd);
LRESULT CallProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Class registration of the built-in classes and their procedures.
void RegisterBuiltinClasses();
std::shared_ptr<WindowClass> FindClass(std::string_view name);
HWND CreateWindowInternal(DWORD exStyle, std::string_view className, std::string_view text, DWORD style,
                          int x, int y, int width, int height, HWND parent, LONG_PTR id,
                          HINSTANCE instance, LPVOID param, DLGPROC dlgProc);
LRESULT CALLBACK StaticProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK EditProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK ButtonProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK DialogProc(HWND, UINT, WPARAM, LPARAM);
HWND NextTabStop(HWND dialog, HWND from, bool backwards);

// Queue.
void PostInput(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool toFocus, std::string chars,
               unsigned modifiers);

// Scroll bars.
ScrollBarState* BarOf(Window& w, int bar);
bool BarEnabled(const ScrollBarState& s);
void PaintScrollBars(Window& w, QPainter& p);
LRESULT ScrollBarMouse(Window& w, UINT msg, WPARAM hit, QPoint screenPoint);

// GDI.
QColor ToQColor(COLORREF c);
COLORREF SysColor(int index);
// Colour of a brush handle (a system colour index + 1 counts); false for null, NULL_BRUSH or stale.
bool BrushColor(HBRUSH brush, QColor* color);
QFont FontOf(HFONT font);   // stale or null: the system font
QFont SystemFont();
HDC CreatePaintDc(HWND hwnd, QPainter* painter, QPoint origin);
void DeletePaintDc(HDC dc);
DeviceContext* FindDc(HDC dc);
// Asks the parent for the control's colours (the control's own DC state), falling
// back to the defaults when it answers 0. Returns the brush to fill with.
HBRUSH AskControlColors(HWND control, HDC dc, UINT colorMessage);
LRESULT DefaultControlColors(HDC dc, UINT colorMessage);
// Bitmaps (bitmaps.cpp). For a section, BitmapImage converts its bits anew at each call.
QImage* BitmapImage(HBITMAP bitmap);
HBITMAP BitmapFromImage(const QImage& image);  // a compatible bitmap; null when refused
bool IsBitmap(HGDIOBJ object);
BOOL DeleteBitmap(HGDIOBJ object);
int BitmapObjectInfo(HGDIOBJ object, int size, LPVOID out);  // -1: not a bitmap
int LiveBitmapCount();
HGDIOBJ SelectBitmap(HDC dc, HBITMAP bitmap);  // memory DCs only
QPixmap IconPixmap(HICON icon);
QCursor CursorOf(HCURSOR cursor);

// Classic 3D edges: raised (buttons, thumbs) or sunken (check boxes).
void DrawRaisedEdge(QPainter& p, const QRect& r);
void DrawSunkenEdge(QPainter& p, const QRect& r);
void FillWithBrush(QPainter& p, const QRect& r, HBRUSH brush);

// Text.
QString FromCp1252(std::string_view bytes);
// Drawing helper: a static or button label with '&' prefixes removed.
QString StripPrefix(const QString& text);

// Painting the client and non-client areas from the host widgets.
void PaintClient(HWND hwnd, QPainter& painter);
void PaintNonClient(HWND hwnd, QPainter& painter);

// Built-in images.
QImage PointingHandImage();
QImage PlayIconImage();
QImage StopIconImage();
void RegisterBuiltinResources();

}  // namespace ploxa::win
