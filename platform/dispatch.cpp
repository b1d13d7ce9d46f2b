// The message queue, sending and dispatching, the default window procedure and the focus.
#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QIcon>
#include <algorithm>
#include <cstring>

#include "platform/qt_host.h"
#include "platform/win_internal.h"

namespace ploxa::win {
namespace {

DWORD Now() {
  static QElapsedTimer timer;
  if (!timer.isValid()) timer.start();
  return static_cast<DWORD>(timer.elapsed());
}

bool IsMouseMessage(UINT msg) {
  return (msg >= WM_MOUSEMOVE && msg <= WM_RBUTTONUP) || (msg >= WM_NCMOUSEMOVE && msg <= WM_NCLBUTTONUP);
}

bool IsDisabled(HWND hwnd) {
  for (Window* w = FindWin(hwnd); w; w = FindWin(w->parent)) {
    if (w->style & WS_DISABLED) return true;
  }
  return false;
}

// Takes the next message; input meant for the focus gets its window now.
bool TakeMessage(MSG* out, bool remove) {
  Registry& r = Reg();
  while (!r.queue.empty()) {
    QueuedMessage& q = r.queue.front();
    if (q.toFocus && FindWin(r.focus)) q.msg.hwnd = r.focus;
    if (q.msg.hwnd && !FindWin(q.msg.hwnd)) {
      r.queue.pop_front();  // its window is gone
      continue;
    }
    *out = q.msg;
    r.keyModifiers = q.modifiers;
    if (q.msg.message == WM_KEYDOWN || q.msg.message == WM_SYSKEYDOWN) {
      r.recentKeys.emplace_back(q.msg.lPrivate, q);
      if (r.recentKeys.size() > 64) r.recentKeys.pop_front();
    }
    if (remove) r.queue.pop_front();
    return true;
  }
  if (r.quitPosted) {
    *out = MSG{};
    out->message = WM_QUIT;
    out->wParam = static_cast<WPARAM>(r.quitCode);
    out->time = Now();
    if (remove) r.quitPosted = false;
    return true;
  }
  return false;
}

void FlushDeferredDeletes() {
  if (!InQtEvent() && Reg().callDepth == 0) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
}

QueuedMessage MakeQueued(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  QueuedMessage q;
  q.msg.hwnd = hwnd;
  q.msg.message = msg;
  q.msg.wParam = wParam;
  q.msg.lParam = lParam;
  q.msg.time = Now();
  q.msg.lPrivate = Reg().nextSerial++;
  q.modifiers = Reg().keyModifiers;
  return q;
}

}  // namespace

void PostInput(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool toFocus, std::string chars,
               unsigned modifiers) {
  if (IsMouseMessage(msg) && IsDisabled(hwnd)) return;
  QueuedMessage q = MakeQueued(hwnd, msg, wParam, lParam);
  q.toFocus = toFocus;
  q.chars = std::move(chars);
  q.modifiers = modifiers;
  Reg().queue.push_back(std::move(q));
}

}  // namespace ploxa::win

using namespace ploxa::win;

LRESULT SendMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!FindWin(hwnd, "SendMessageA")) return 0;
  return CallProc(hwnd, msg, wParam, lParam);
}

BOOL PostMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (hwnd && !FindWin(hwnd, "PostMessageA")) return FALSE;
  Reg().queue.push_back(MakeQueued(hwnd, msg, wParam, lParam));
  if (auto* dispatcher = QAbstractEventDispatcher::instance()) dispatcher->wakeUp();
  return TRUE;
}

void PostQuitMessage(int exitCode) {
  Reg().quitPosted = true;
  Reg().quitCode = exitCode;
  if (auto* dispatcher = QAbstractEventDispatcher::instance()) dispatcher->wakeUp();
}

BOOL GetMessageA(MSG* msg, HWND, UINT, UINT) {
  if (!msg) return -1;
  EnsureApplication();
  for (;;) {
    if (TakeMessage(msg, true)) return msg->message == WM_QUIT ? FALSE : TRUE;
    FlushDeferredDeletes();
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  }
}

BOOL PeekMessageA(MSG* msg, HWND, UINT, UINT, UINT removeFlags) {
  if (!msg) return FALSE;
  EnsureApplication();
  if (Reg().queue.empty()) {
    FlushDeferredDeletes();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
  }
  return TakeMessage(msg, (removeFlags & PM_REMOVE) != 0) ? TRUE : FALSE;
}

BOOL TranslateMessage(const MSG* msg) {
  if (!msg || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN)) return FALSE;
  Registry& r = Reg();
  auto it = std::find_if(r.recentKeys.begin(), r.recentKeys.end(),
                         [&](const auto& entry) { return entry.first == msg->lPrivate; });
  std::string chars;
  unsigned mods = r.keyModifiers;
  if (it != r.recentKeys.end()) {
    chars = it->second.chars;
    mods = it->second.modifiers;
    r.recentKeys.erase(it);
  }
  if (chars.empty()) {
    // Control characters come from the key itself, as the keyboard layout gives them.
    switch (msg->wParam) {
      case VK_BACK: chars = "\b"; break;
      case VK_TAB: chars = "\t"; break;
      case VK_RETURN: chars = "\r"; break;
      case VK_ESCAPE: chars = "\x1b"; break;
      default:
        if ((mods & kControl) && !(mods & kAlt) && msg->wParam >= 'A' && msg->wParam <= 'Z') {
          chars.push_back(static_cast<char>(msg->wParam - 'A' + 1));
        }
        break;
    }
  }
  const UINT charMsg = msg->message == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR;
  // The characters come next, before any later input.
  for (auto c = chars.rbegin(); c != chars.rend(); ++c) {
    QueuedMessage q;
    q.msg = *msg;
    q.msg.message = charMsg;
    q.msg.wParam = static_cast<unsigned char>(*c);
    q.msg.lPrivate = r.nextSerial++;
    q.modifiers = mods;
    r.queue.push_front(std::move(q));
  }
  return TRUE;
}

LRESULT DispatchMessageA(const MSG* msg) {
  if (!msg || !msg->hwnd) return 0;
  if (!FindWin(msg->hwnd, "DispatchMessageA")) return 0;
  return CallProc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

SHORT GetKeyState(int virtualKey) {
  unsigned bit = 0;
  switch (virtualKey) {
    case static_cast<int>(VK_SHIFT): bit = kShift; break;
    case static_cast<int>(VK_CONTROL): bit = kControl; break;
    case static_cast<int>(VK_MENU): bit = kAlt; break;
    default: return 0;
  }
  return (Reg().keyModifiers & bit) ? static_cast<SHORT>(0x8000) : 0;
}

HWND SetFocus(HWND hwnd) {
  Registry& r = Reg();
  if (hwnd && !FindWin(hwnd, "SetFocus")) return nullptr;
  if (hwnd && FindWin(hwnd)->isDesktop) hwnd = nullptr;
  HWND old = FindWin(r.focus) ? r.focus : nullptr;
  if (hwnd == old) return old;
  r.focus = hwnd;
  if (old) CallProc(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
  if (r.focus != hwnd || !hwnd) return old;  // the old window moved the focus elsewhere
  // Dialogs remember their focused control, to give it back later.
  for (Window* a = FindWin(FindWin(hwnd)->parent); a; a = FindWin(a->parent)) {
    if (a->isDialog) {
      a->dlgFocus = hwnd;
      break;
    }
  }
  if (Window* w = FindWin(hwnd); w && w->client) w->client->setFocus(Qt::OtherFocusReason);
  CallProc(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
  return old;
}

HWND GetFocus() { return FindWin(Reg().focus) ? Reg().focus : nullptr; }

LRESULT DefWindowProcA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Window* w = FindWin(hwnd, "DefWindowProcA");
  if (!w) return 0;
  switch (msg) {
    case WM_NCCREATE: return TRUE;
    case WM_CLOSE: DestroyWindow(hwnd); return 0;
    case WM_SETTEXT: {
      const char* text = reinterpret_cast<const char*>(lParam);
      w->text = text ? text : "";
      if (IsTopLevel(*w) && w->frame) w->frame->setWindowTitle(FromCp1252(w->text));
      RepaintWindow(*w);
      return TRUE;
    }
    case WM_GETTEXT: {
      char* out = reinterpret_cast<char*>(lParam);
      if (!out || wParam == 0) return 0;
      const std::size_t n = std::min<std::size_t>(w->text.size(), wParam - 1);
      std::memcpy(out, w->text.data(), n);
      out[n] = '\0';
      return static_cast<LRESULT>(n);
    }
    case WM_GETTEXTLENGTH: return static_cast<LRESULT>(w->text.size());
    case WM_SETFONT:
      w->font = reinterpret_cast<HFONT>(wParam);
      if (LOWORD(static_cast<ULONG_PTR>(lParam))) RepaintWindow(*w);
      return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(w->font);
    case WM_SETICON: {
      HICON& slot = wParam == ICON_BIG ? w->iconBig : w->iconSmall;
      HICON old = slot;
      slot = reinterpret_cast<HICON>(lParam);
      if (IsTopLevel(*w) && w->frame && wParam == ICON_BIG) {
        const QPixmap pixmap = IconPixmap(slot);
        w->frame->setWindowIcon(pixmap.isNull() ? QIcon() : QIcon(pixmap));
      }
      return reinterpret_cast<LRESULT>(old);
    }
    case WM_GETICON: return reinterpret_cast<LRESULT>(wParam == ICON_BIG ? w->iconBig : w->iconSmall);
    case WM_ERASEBKGND: {
      if (!w->cls || !w->cls->background) return 0;
      RECT rc;
      GetClientRect(hwnd, &rc);
      FillRect(reinterpret_cast<HDC>(wParam), &rc, w->cls->background);
      return 1;
    }
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(hwnd, &ps);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      return DefaultControlColors(reinterpret_cast<HDC>(wParam), msg);
    case WM_MOUSEWHEEL:
      // Not handled here: the parent may want it.
      if (!IsTopLevel(*w) && FindWin(w->parent)) return SendMessageA(w->parent, msg, wParam, lParam);
      return 0;
    case WM_SYSKEYDOWN:
      // Alt+F4 closes the top-level window the key was meant for.
      if (wParam == VK_F4 && (static_cast<ULONG_PTR>(lParam) & (ULONG_PTR{1} << 29))) {
        HWND root = hwnd;
        for (Window* r = FindWin(root); r && !IsTopLevel(*r); r = FindWin(root)) root = r->parent;
        SendMessageA(root, WM_SYSCOMMAND, SC_CLOSE, 0);
      }
      return 0;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE) SendMessageA(hwnd, WM_CLOSE, 0, 0);
      return 0;
    case WM_NCLBUTTONDOWN:
    case WM_NCMOUSEMOVE:
    case WM_NCLBUTTONUP:
      if ((wParam & ~kScrollRepeatFlag) == HTVSCROLL || (wParam & ~kScrollRepeatFlag) == HTHSCROLL) {
        const QPoint p(static_cast<SHORT>(LOWORD(static_cast<ULONG_PTR>(lParam))),
                       static_cast<SHORT>(HIWORD(static_cast<ULONG_PTR>(lParam))));
        return ScrollBarMouse(*w, msg, wParam, p);
      }
      return 0;
    default: return 0;
  }
}
