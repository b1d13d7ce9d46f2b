// Window records: classes, creation and destruction, geometry, window data.
#include <QApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QScreen>
#include <algorithm>
#include <cctype>
#include <cstdio>

#include "platform/qt_host.h"
#include "platform/win_internal.h"

namespace ploxa::win {
namespace {

std::string LowerCase(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// Records freed only when no procedure is on the stack.
void CollectGraveyard() {
  if (Reg().callDepth == 0) Reg().graveyard.clear();
}

void DestroyTree(HWND hwnd, std::vector<HWND>* order) {
  Window* w = FindWin(hwnd);
  if (!w || w->destroying) return;
  w->destroying = true;
  CallProc(hwnd, WM_DESTROY, 0, 0);
  w = FindWin(hwnd);
  if (!w) return;
  const std::vector<HWND> children = w->children;
  for (HWND child : children) DestroyTree(child, order);
  order->push_back(hwnd);
}

std::string ClassNameOf(LPCSTR name) {
  if (!name) return {};
  if (IS_INTRESOURCE(name)) return "#" + std::to_string(reinterpret_cast<ULONG_PTR>(name));
  return name;
}

}  // namespace

Registry& Reg() {
  // Lives for the process: handles may be used from any destructor at exit.
  static Registry* registry = new Registry;
  return *registry;
}

ULONG_PTR NextHandleValue() {
  // One counter for every kind of handle, never reused: a stale or mistyped handle is never found.
  static ULONG_PTR next = 0x10000;
  next += 4;
  return next;
}

void ReportBadHandle(const char* call, const void* handle) {
#ifndef NDEBUG
  std::fprintf(stderr, "ploxa: %s: bad handle %p\n", call, handle);
#else
  (void)call;
  (void)handle;
#endif
}

Window* FindWin(HWND hwnd) {
  if (!hwnd) return nullptr;
  auto it = Reg().windows.find(HandleValue(hwnd));
  return it == Reg().windows.end() ? nullptr : it->second.get();
}

Window* FindWin(HWND hwnd, const char* call) {
  Window* w = FindWin(hwnd);
  if (!w) ReportBadHandle(call, hwnd);
  return w;
}

Window* Desktop() {
  Registry& r = Reg();
  if (!r.desktop) {
    EnsureApplication();
    auto w = std::make_unique<Window>();
    w->handle = MakeHandle<HWND>(NextHandleValue());
    w->isDesktop = true;
    w->style = WS_VISIBLE;
    QScreen* screen = QGuiApplication::primaryScreen();
    w->rect = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    r.desktop = w->handle;
    r.windows.emplace(HandleValue(w->handle), std::move(w));
  }
  return FindWin(r.desktop);
}

bool IsTopLevel(const Window& w) { return !w.parent || (w.parent == Reg().desktop); }

bool IsAncestor(HWND ancestor, HWND hwnd) {
  for (Window* w = FindWin(hwnd); w; w = FindWin(w->parent)) {
    if (w->handle == ancestor) return true;
  }
  return false;
}

QMargins VirtualFrame(const Window& w) {
  if (!IsTopLevel(w) || w.isDesktop) return {};
  int frame = 0;
  if (w.style & WS_THICKFRAME) {
    frame = kSizingFrame;
  } else if (w.style & WS_DLGFRAME) {
    frame = 3;
  } else if (w.style & WS_BORDER) {
    frame = 1;
  }
  const int caption = (w.style & WS_CAPTION) == WS_CAPTION ? kCaptionHeight : 0;
  return {frame, frame + caption, frame, frame};
}

QMargins DrawnFrame(const Window& w) {
  QMargins m;
  if (!IsTopLevel(w) && (w.style & WS_BORDER)) m = {1, 1, 1, 1};
  if (w.vbar.visible) m.setRight(m.right() + kScrollBarSize);
  if (w.hbar.visible) m.setBottom(m.bottom() + kScrollBarSize);
  return m;
}

QRect ClientRect(const Window& w) {
  const QMargins m = VirtualFrame(w) + DrawnFrame(w);
  const int width = std::max(0, w.rect.width() - m.left() - m.right());
  const int height = std::max(0, w.rect.height() - m.top() - m.bottom());
  return {m.left(), m.top(), width, height};
}

QPoint WindowOriginOnScreen(const Window& w) {
  if (w.isDesktop || IsTopLevel(w)) return w.rect.topLeft();
  Window* parent = FindWin(w.parent);
  return (parent ? ClientOriginOnScreen(*parent) : QPoint()) + w.rect.topLeft();
}

QPoint ClientOriginOnScreen(const Window& w) { return WindowOriginOnScreen(w) + ClientRect(w).topLeft(); }

void SyncWidgetGeometry(Window& w) {
  if (!w.frame) return;
  const QMargins v = VirtualFrame(w);
  QRect frameRect = w.rect.marginsRemoved(v);
  if (frameRect.width() < 0 || frameRect.height() < 0) frameRect.setSize(QSize(0, 0));
  if (IsTopLevel(w)) {
    // A zero-sized top-level window upsets some desktops.
    frameRect.setSize(frameRect.size().expandedTo(QSize(1, 1)));
  }
  w.frame->setGeometry(frameRect);
  if (w.client) w.client->setGeometry(ClientRect(w).translated(-v.left(), -v.top()));
  w.frame->update();
}

void SyncWidgetVisibility(Window& w) {
  if (!w.frame) return;
  const bool visible = (w.style & WS_VISIBLE) != 0;
  if (IsTopLevel(w)) {
    if (!visible) {
      w.frame->hide();
    } else if (w.minimized) {
      w.frame->showMinimized();
    } else {
      w.frame->showNormal();
    }
  } else {
    w.frame->setVisible(visible);
  }
}

void UpdateCursor(Window& w) {
  if (!w.client || !w.cls) return;
  HCURSOR cursor = w.cls->cursor;
  if (cursor) {
    w.client->setCursor(CursorOf(cursor));
  } else {
    w.client->unsetCursor();
  }
}

void RepaintWindow(Window& w) {
  if (w.client) w.client->update();
}

void RepaintFrame(Window& w) {
  if (w.frame) w.frame->update();
}

void SendSizeMessage(HWND hwnd) {
  Window* w = FindWin(hwnd);
  if (!w) return;
  w->sizeSent = true;
  const QRect c = ClientRect(*w);
  CallProc(hwnd, WM_SIZE, w->minimized ? SIZE_MINIMIZED : SIZE_RESTORED,
           MAKELPARAM(static_cast<WORD>(c.width()), static_cast<WORD>(c.height())));
}

LRESULT CallProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Window* w = FindWin(hwnd);
  if (!w || !w->proc || w->isDesktop) return 0;
  WNDPROC proc = w->proc;
  ++Reg().callDepth;
  const LRESULT result = proc(hwnd, msg, wParam, lParam);
  --Reg().callDepth;
  CollectGraveyard();
  return result;
}

std::shared_ptr<WindowClass> FindClass(std::string_view name) {
  auto it = Reg().classes.find(LowerCase(name));
  return it == Reg().classes.end() ? nullptr : it->second;
}

void RegisterBuiltinClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  EnsureApplication();
  RegisterBuiltinResources();
  auto add = [](const char* name, WNDPROC proc, UINT style) {
    auto c = std::make_shared<WindowClass>();
    c->name = name;
    c->proc = proc;
    c->style = style;
    c->cursor = LoadCursorA(nullptr, IDC_ARROW);
    Reg().classes[LowerCase(name)] = c;
  };
  add("Static", StaticProc, 0);
  add("Edit", EditProc, CS_DBLCLKS);
  add("Button", ButtonProc, CS_DBLCLKS);
  add("#32770", DialogProc, 0);
}

HWND CreateWindowInternal(DWORD exStyle, std::string_view className, std::string_view text, DWORD style,
                          int x, int y, int width, int height, HWND parent, LONG_PTR id,
                          HINSTANCE instance, LPVOID param, DLGPROC dlgProc) {
  RegisterBuiltinClasses();
  std::shared_ptr<WindowClass> cls = FindClass(className);
  if (!cls) return nullptr;
  Window* parentWin = nullptr;
  if (parent) {
    parentWin = FindWin(parent, "CreateWindowExA");
    if (!parentWin) return nullptr;
  }
  if ((style & WS_CHILD) && !parentWin) return nullptr;

  auto owned = std::make_unique<Window>();
  Window& w = *owned;
  w.handle = MakeHandle<HWND>(NextHandleValue());
  w.cls = cls;
  w.proc = cls->proc;
  w.instance = instance;
  w.style = style;
  w.exStyle = exStyle;
  w.text = std::string(text);
  const bool child = (style & WS_CHILD) != 0;
  w.parent = child ? parent : nullptr;
  w.id = child ? id : 0;
  w.isDialog = dlgProc != nullptr || LowerCase(className) == "#32770";
  w.hbar.visible = (style & WS_HSCROLL) != 0;
  w.vbar.visible = (style & WS_VSCROLL) != 0;
  if (!child) {
    Window* desk = Desktop();
    const QRect screen = desk->rect;
    if (x == CW_USEDEFAULT) {
      x = screen.left() + 32;
      y = screen.top() + 32;
    }
    if (width == CW_USEDEFAULT) {
      width = screen.width() * 3 / 4;
      height = screen.height() * 3 / 4;
    }
  } else {
    if (x == CW_USEDEFAULT) x = y = 0;
    if (width == CW_USEDEFAULT) width = height = 0;
  }
  w.rect = QRect(x, y, std::max(0, width), std::max(0, height));
  const HWND hwnd = w.handle;
  Reg().windows.emplace(HandleValue(hwnd), std::move(owned));
  if (child) parentWin->children.push_back(hwnd);

  // The host widgets: children live in the parent's client widget.
  QWidget* hostParent = child ? static_cast<QWidget*>(parentWin->client.data()) : nullptr;
  w.frame = new FrameWidget(hwnd, hostParent);
  w.client = new ClientWidget(hwnd, w.frame);
  if (!child) {
    w.frame->setWindowTitle(FromCp1252(w.text));
    const QPixmap icon = IconPixmap(cls->icon);
    if (!icon.isNull()) w.frame->setWindowIcon(QIcon(icon));
  }
  // Statics without SS_NOTIFY let the mouse through to their parent, as on the platform.
  if (LowerCase(className) == "static" && !(style & SS_NOTIFY)) {
    w.frame->setAttribute(Qt::WA_TransparentForMouseEvents);
    w.client->setAttribute(Qt::WA_TransparentForMouseEvents);
  }
  SyncWidgetGeometry(w);
  UpdateCursor(w);
  if (child) SyncWidgetVisibility(w);
  w.shownOnce = child && (style & WS_VISIBLE);  // its WM_SIZE comes with creation

  CREATESTRUCTA cs{};
  cs.lpCreateParams = param;
  cs.hInstance = instance;
  cs.hMenu = reinterpret_cast<HMENU>(id);
  cs.hwndParent = parent;
  cs.x = x;
  cs.y = y;
  cs.cx = width;
  cs.cy = height;
  cs.style = static_cast<LONG>(style);
  cs.lpszName = w.text.c_str();
  const std::string nameCopy(className);
  cs.lpszClass = nameCopy.c_str();
  cs.dwExStyle = exStyle;
  const LPARAM csParam = reinterpret_cast<LPARAM>(&cs);
  if (!CallProc(hwnd, WM_NCCREATE, 0, csParam) || CallProc(hwnd, WM_CREATE, 0, csParam) == -1) {
    DestroyWindow(hwnd);
    return nullptr;
  }
  Window* created = FindWin(hwnd);
  if (!created) return nullptr;
  if (dlgProc) created->dlgProc = dlgProc;
  if (created->sizeSent == false) SendSizeMessage(hwnd);
  created = FindWin(hwnd);
  if (!created) return nullptr;
  if (!child && (created->style & WS_VISIBLE)) {
    created->style &= ~WS_VISIBLE;
    ShowWindow(hwnd, SW_SHOW);
  }
  return hwnd;
}

}  // namespace ploxa::win

using namespace ploxa::win;

ATOM RegisterClassExA(const WNDCLASSEXA* wc) {
  RegisterBuiltinClasses();
  if (!wc || !wc->lpszClassName || !wc->lpfnWndProc || IS_INTRESOURCE(wc->lpszClassName)) return 0;
  const std::string key = LowerCase(wc->lpszClassName);
  if (Reg().classes.count(key)) return 0;
  auto c = std::make_shared<WindowClass>();
  c->name = wc->lpszClassName;
  c->style = wc->style;
  c->proc = wc->lpfnWndProc;
  c->instance = wc->hInstance;
  c->icon = wc->hIcon;
  c->iconSmall = wc->hIconSm;
  c->cursor = wc->hCursor;
  c->background = wc->hbrBackground;
  Reg().classes[key] = c;
  static ATOM nextAtom = 0xC000;
  return nextAtom++;
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menuOrId, HINSTANCE instance,
                     LPVOID param) {
  return CreateWindowInternal(exStyle, ClassNameOf(className), windowName ? windowName : "", style, x, y,
                              width, height, parent, reinterpret_cast<LONG_PTR>(menuOrId), instance, param,
                              nullptr);
}

BOOL DestroyWindow(HWND hwnd) {
  Window* w = FindWin(hwnd, "DestroyWindow");
  if (!w || w->isDesktop || w->destroying) return FALSE;
  // Focus leaves the tree first, so the focused control still sees a whole window
  // when it loses the focus.
  if (IsAncestor(hwnd, Reg().focus)) {
    HWND parent = w->parent;
    SetFocus(FindWin(parent) ? parent : nullptr);
  }
  w = FindWin(hwnd);
  if (!w) return FALSE;
  if (w->frame) w->frame->hide();
  std::vector<HWND> order;  // children before parents
  DestroyTree(hwnd, &order);
  for (HWND h : order) {
    CallProc(h, WM_NCDESTROY, 0, 0);
  }
  Window* root = FindWin(hwnd);
  QWidget* rootWidget = root ? root->frame.data() : nullptr;
  if (root && root->parent) {
    if (Window* parent = FindWin(root->parent)) {
      auto& siblings = parent->children;
      siblings.erase(std::remove(siblings.begin(), siblings.end(), hwnd), siblings.end());
    }
  }
  for (HWND h : order) {
    auto it = Reg().windows.find(HandleValue(h));
    if (it == Reg().windows.end()) continue;
    if (Reg().focus == h) Reg().focus = nullptr;
    Reg().graveyard.push_back(std::move(it->second));
    Reg().windows.erase(it);
  }
  // Child widgets go with the root's.
  DisposeWidget(rootWidget);
  CollectGraveyard();
  return TRUE;
}

BOOL IsWindow(HWND hwnd) {
  Window* w = FindWin(hwnd);
  return w && !w->isDesktop ? TRUE : FALSE;
}

BOOL IsWindowVisible(HWND hwnd) {
  Window* w = FindWin(hwnd);
  if (!w) return FALSE;
  for (; w; w = FindWin(w->parent)) {
    if (!(w->style & WS_VISIBLE)) return FALSE;
  }
  return TRUE;
}

HWND GetParent(HWND hwnd) {
  Window* w = FindWin(hwnd, "GetParent");
  return w ? w->parent : nullptr;
}

HWND GetDesktopWindow() { return Desktop()->handle; }

LONG_PTR GetWindowLongA(HWND hwnd, int index) {
  Window* w = FindWin(hwnd, "GetWindowLongA");
  if (!w) return 0;
  switch (index) {
    case GWL_ID: return w->id;
    case GWL_STYLE: return static_cast<LONG_PTR>(w->style);
    case GWL_EXSTYLE: return static_cast<LONG_PTR>(w->exStyle);
    case GWL_WNDPROC: return reinterpret_cast<LONG_PTR>(w->proc);
    case GWL_USERDATA: return w->userData;
    case GWL_HINSTANCE: return reinterpret_cast<LONG_PTR>(w->instance);
    case GWL_HWNDPARENT: return reinterpret_cast<LONG_PTR>(w->parent);
    default: break;
  }
  if (w->isDialog) {
    switch (index) {
      case DWL_MSGRESULT: return w->msgResult;
      case DWL_DLGPROC: return reinterpret_cast<LONG_PTR>(w->dlgProc);
      case DWL_USER: return w->dlgUser;
      default: break;
    }
  }
  return 0;
}

LONG_PTR SetWindowLongA(HWND hwnd, int index, LONG_PTR value) {
  Window* w = FindWin(hwnd, "SetWindowLongA");
  if (!w || w->isDesktop) return 0;
  LONG_PTR old = 0;
  switch (index) {
    case GWL_ID:
      old = w->id;
      w->id = value;
      return old;
    case GWL_STYLE: {
      old = static_cast<LONG_PTR>(w->style);
      const bool visibleChanged = ((w->style ^ static_cast<DWORD>(value)) & WS_VISIBLE) != 0;
      w->style = static_cast<DWORD>(value);
      if (visibleChanged) SyncWidgetVisibility(*w);
      RepaintFrame(*w);
      RepaintWindow(*w);
      return old;
    }
    case GWL_EXSTYLE:
      old = static_cast<LONG_PTR>(w->exStyle);
      w->exStyle = static_cast<DWORD>(value);
      return old;
    case GWL_WNDPROC:
      // Subclassing: the previous procedure is handed back for CallWindowProcA.
      if (!value) return 0;
      old = reinterpret_cast<LONG_PTR>(w->proc);
      w->proc = reinterpret_cast<WNDPROC>(value);
      return old;
    case GWL_USERDATA:
      old = w->userData;
      w->userData = value;
      return old;
    default: break;
  }
  if (w->isDialog) {
    switch (index) {
      case DWL_MSGRESULT:
        old = w->msgResult;
        w->msgResult = value;
        return old;
      case DWL_DLGPROC:
        old = reinterpret_cast<LONG_PTR>(w->dlgProc);
        w->dlgProc = reinterpret_cast<DLGPROC>(value);
        return old;
      case DWL_USER:
        old = w->dlgUser;
        w->dlgUser = value;
        return old;
      default: break;
    }
  }
  return 0;
}

ULONG_PTR SetClassLongA(HWND hwnd, int index, LONG_PTR value) {
  Window* w = FindWin(hwnd, "SetClassLongA");
  if (!w || !w->cls) return 0;
  WindowClass& c = *w->cls;
  ULONG_PTR old = 0;
  switch (index) {
    case GCL_HCURSOR:
      old = reinterpret_cast<ULONG_PTR>(c.cursor);
      c.cursor = reinterpret_cast<HCURSOR>(value);
      // Every window of the class shows the new cursor.
      for (auto& [key, win] : Reg().windows) {
        if (win->cls.get() == &c) UpdateCursor(*win);
      }
      return old;
    case GCL_HBRBACKGROUND:
      old = reinterpret_cast<ULONG_PTR>(c.background);
      c.background = reinterpret_cast<HBRUSH>(value);
      return old;
    case GCL_HICON:
      old = reinterpret_cast<ULONG_PTR>(c.icon);
      c.icon = reinterpret_cast<HICON>(value);
      return old;
    case GCL_STYLE:
      old = c.style;
      c.style = static_cast<UINT>(value);
      return old;
    default: return 0;
  }
}

LRESULT CallWindowProcA(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!proc) return 0;
  ++Reg().callDepth;
  const LRESULT result = proc(hwnd, msg, wParam, lParam);
  --Reg().callDepth;
  return result;
}

BOOL ShowWindow(HWND hwnd, int command) {
  Window* w = FindWin(hwnd, "ShowWindow");
  if (!w || w->isDesktop) return FALSE;
  const BOOL wasVisible = (w->style & WS_VISIBLE) ? TRUE : FALSE;
  const bool show = command != SW_HIDE;
  const bool minimize = command == SW_MINIMIZE || command == SW_SHOWMINIMIZED || command == SW_SHOWMINNOACTIVE;
  const bool activate = IsTopLevel(*w) && show && !minimize && command != SW_SHOWNA &&
                        command != SW_SHOWNOACTIVATE;
  if (!show && IsAncestor(hwnd, Reg().focus)) {
    HWND parent = w->parent;
    SetFocus(parent);
    w = FindWin(hwnd);
    if (!w) return wasVisible;
  }
  const bool wasMinimized = w->minimized;
  if (IsTopLevel(*w)) {
    if (minimize) w->minimized = true;
    if (command == SW_RESTORE || command == SW_SHOWNORMAL) w->minimized = false;
  }
  if (show) {
    w->style |= WS_VISIBLE;
  } else {
    w->style &= ~WS_VISIBLE;
  }
  SyncWidgetVisibility(*w);
  // WM_SIZE when a window is first shown and when it is minimised or restored.
  const bool firstShow = show && !w->shownOnce;
  if (show) w->shownOnce = true;
  if (firstShow || (show && wasMinimized != w->minimized)) SendSizeMessage(hwnd);
  w = FindWin(hwnd);
  if (w && activate && !IsAncestor(hwnd, Reg().focus)) {
    SetFocus(hwnd);
  }
  if (w && activate && w->frame) w->frame->activateWindow();
  return wasVisible;
}

BOOL SetWindowPos(HWND hwnd, HWND, int x, int y, int cx, int cy, UINT flags) {
  Window* w = FindWin(hwnd, "SetWindowPos");
  if (!w || w->isDesktop) return FALSE;
  QRect r = w->rect;
  if (!(flags & SWP_NOMOVE)) r.moveTopLeft(QPoint(x, y));
  if (!(flags & SWP_NOSIZE)) r.setSize(QSize(std::max(0, cx), std::max(0, cy)));
  const bool resized = r.size() != w->rect.size();
  const bool moved = r.topLeft() != w->rect.topLeft();
  w->rect = r;
  SyncWidgetGeometry(*w);
  if (moved) {
    const QRect c = ClientRect(*w);
    const QPoint origin = r.topLeft() + c.topLeft();
    CallProc(hwnd, WM_MOVE, 0, MAKELPARAM(static_cast<WORD>(origin.x()), static_cast<WORD>(origin.y())));
  }
  if (resized) SendSizeMessage(hwnd);
  if (flags & SWP_SHOWWINDOW) ShowWindow(hwnd, SW_SHOWNA);
  if (flags & SWP_HIDEWINDOW) ShowWindow(hwnd, SW_HIDE);
  return TRUE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL) {
  return SetWindowPos(hwnd, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL GetWindowRect(HWND hwnd, RECT* rect) {
  Window* w = FindWin(hwnd, "GetWindowRect");
  if (!w || !rect) return FALSE;
  const QPoint o = WindowOriginOnScreen(*w);
  *rect = {o.x(), o.y(), o.x() + w->rect.width(), o.y() + w->rect.height()};
  return TRUE;
}

BOOL GetClientRect(HWND hwnd, RECT* rect) {
  Window* w = FindWin(hwnd, "GetClientRect");
  if (!w || !rect) return FALSE;
  const QRect c = w->isDesktop ? QRect(QPoint(), w->rect.size()) : ClientRect(*w);
  *rect = {0, 0, c.width(), c.height()};
  return TRUE;
}

BOOL ScreenToClient(HWND hwnd, POINT* point) {
  Window* w = FindWin(hwnd, "ScreenToClient");
  if (!w || !point) return FALSE;
  const QPoint o = ClientOriginOnScreen(*w);
  point->x -= o.x();
  point->y -= o.y();
  return TRUE;
}

BOOL ClientToScreen(HWND hwnd, POINT* point) {
  Window* w = FindWin(hwnd, "ClientToScreen");
  if (!w || !point) return FALSE;
  const QPoint o = ClientOriginOnScreen(*w);
  point->x += o.x();
  point->y += o.y();
  return TRUE;
}

BOOL InvalidateRect(HWND hwnd, const RECT*, BOOL) {
  Window* w = FindWin(hwnd, "InvalidateRect");
  if (!w) return FALSE;
  RepaintWindow(*w);
  return TRUE;
}

BOOL UpdateWindow(HWND hwnd) {
  Window* w = FindWin(hwnd, "UpdateWindow");
  if (!w) return FALSE;
  if (w->client && w->client->isVisible()) w->client->repaint();
  return TRUE;
}

BOOL EnableWindow(HWND hwnd, BOOL enable) {
  Window* w = FindWin(hwnd, "EnableWindow");
  if (!w) return FALSE;
  const BOOL wasDisabled = (w->style & WS_DISABLED) ? TRUE : FALSE;
  if (enable) {
    w->style &= ~WS_DISABLED;
  } else {
    w->style |= WS_DISABLED;
    if (IsAncestor(hwnd, Reg().focus)) SetFocus(nullptr);
  }
  if (Window* again = FindWin(hwnd)) {
    CallProc(hwnd, WM_ENABLE, enable ? TRUE : FALSE, 0);
    RepaintWindow(*again);
  }
  return wasDisabled;
}

BOOL SetWindowTextA(HWND hwnd, LPCSTR text) {
  if (!FindWin(hwnd, "SetWindowTextA")) return FALSE;
  return SendMessageA(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : "")) ? TRUE : FALSE;
}

int GetWindowTextA(HWND hwnd, LPSTR buffer, int size) {
  if (!buffer || size <= 0) return 0;
  buffer[0] = '\0';
  if (!FindWin(hwnd, "GetWindowTextA")) return 0;
  return static_cast<int>(SendMessageA(hwnd, WM_GETTEXT, static_cast<WPARAM>(size), reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLengthA(HWND hwnd) {
  if (!FindWin(hwnd, "GetWindowTextLengthA")) return 0;
  return static_cast<int>(SendMessageA(hwnd, WM_GETTEXTLENGTH, 0, 0));
}

namespace ploxa::win {

QWidget* FrameWidgetOf(HWND hwnd) {
  Window* w = FindWin(hwnd);
  return w ? w->frame.data() : nullptr;
}

QWidget* ClientWidgetOf(HWND hwnd) {
  Window* w = FindWin(hwnd);
  return w ? w->client.data() : nullptr;
}

}  // namespace ploxa::win
