// Host widgets: Qt events become the layer's input messages; painting asks the
// window's procedure.
#include "platform/qt_host.h"

#include <QApplication>
#include <QCloseEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <QWindow>

#include "platform/cp1252.h"
#include "platform/win_internal.h"

namespace ploxa::win {
namespace {

int g_qtEventDepth = 0;

struct EventScope {
  EventScope() { ++g_qtEventDepth; }
  ~EventScope() { --g_qtEventDepth; }
  EventScope(const EventScope&) = delete;
  EventScope& operator=(const EventScope&) = delete;
};

unsigned ModifiersOf(Qt::KeyboardModifiers m) {
  unsigned out = 0;
  if (m & Qt::ShiftModifier) out |= kShift;
  if (m & Qt::ControlModifier) out |= kControl;
  if (m & Qt::AltModifier) out |= kAlt;
  return out;
}

WPARAM MouseKeys(Qt::MouseButtons buttons, Qt::KeyboardModifiers m) {
  WPARAM keys = 0;
  if (buttons & Qt::LeftButton) keys |= MK_LBUTTON;
  if (buttons & Qt::RightButton) keys |= MK_RBUTTON;
  if (m & Qt::ShiftModifier) keys |= MK_SHIFT;
  if (m & Qt::ControlModifier) keys |= MK_CONTROL;
  return keys;
}

LPARAM PackPoint(int x, int y) {
  return MAKELPARAM(static_cast<WORD>(static_cast<SHORT>(x)), static_cast<WORD>(static_cast<SHORT>(y)));
}

WPARAM VirtualKeyOf(int key) {
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return static_cast<WPARAM>(key);  // same codes as 'A'..'Z'
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return static_cast<WPARAM>(key);
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return VK_F1 + static_cast<WPARAM>(key - Qt::Key_F1);
  switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return VK_TAB;
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Insert: return VK_INSERT;
    case Qt::Key_Delete: return VK_DELETE;
    case Qt::Key_Shift: return VK_SHIFT;
    case Qt::Key_Control: return VK_CONTROL;
    case Qt::Key_Alt:
    case Qt::Key_AltGr: return VK_MENU;
    default: return VK_OEM_8;  // accented letters and punctuation: the character is what counts
  }
}

// Key presses and releases go to the focus window as it is when they are taken
// from the queue, so a release after Tab reaches the newly focused control.
void PostKey(HWND own, QKeyEvent* e, bool press) {
  if (!press && e->isAutoRepeat()) return;
  const WPARAM vk = VirtualKeyOf(e->key());
  const unsigned mods = ModifiersOf(e->modifiers());
  const bool altHeld = (mods & kAlt) != 0 && vk != VK_MENU;
  const bool sys = altHeld || vk == VK_F10 || (vk == VK_MENU && press);
  UINT msg = press ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
  std::string chars;
  if (press) {
    const std::u32string text = e->text().toStdU32String();
    for (char32_t c : text) {
      unsigned char b = 0;
      if (c < 0x20 || c == 0x7F) continue;  // control characters come from the virtual key
      if (cp1252::FromUnicode(c, &b)) chars.push_back(static_cast<char>(b));
    }
  }
  LPARAM lParam = 1 | (static_cast<LPARAM>(e->nativeScanCode() & 0xFF) << 16);
  if (altHeld) lParam |= LPARAM{1} << 29;
  if (!press || e->isAutoRepeat()) lParam |= LPARAM{1} << 30;  // the key was down before
  if (!press) lParam |= LPARAM{1} << 31;
  PostInput(own, msg, vk, lParam, true, std::move(chars), mods);
}

int g_wheelRemainder = 0;

// High-resolution deltas are summed; whole notches of 120 are delivered.
void PostWheel(HWND own, QWheelEvent* e) {
  int delta = e->angleDelta().y();
  if (delta == 0) return;
  if ((delta > 0) != (g_wheelRemainder > 0) && g_wheelRemainder != 0) g_wheelRemainder = 0;
  g_wheelRemainder += delta;
  const QPoint global = e->globalPosition().toPoint();
  while (g_wheelRemainder >= 120 || g_wheelRemainder <= -120) {
    const SHORT notch = g_wheelRemainder > 0 ? 120 : -120;
    g_wheelRemainder -= notch;
    const WPARAM wParam = MAKEWPARAM(static_cast<WORD>(MouseKeys(e->buttons(), e->modifiers())),
                                     static_cast<WORD>(notch));
    PostInput(own, WM_MOUSEWHEEL, wParam, PackPoint(global.x(), global.y()), true, {},
              ModifiersOf(e->modifiers()));
  }
  e->accept();
}

}  // namespace

bool InQtEvent() { return g_qtEventDepth > 0; }

void DisposeWidget(QWidget* widget) {
  if (!widget) return;
  if (InQtEvent()) {
    widget->hide();
    widget->deleteLater();
  } else {
    delete widget;
  }
}

// Every window is drawn with the raster engine. This also keeps Qt Multimedia
// from making an OpenGL context to convert video frames: the CPU does it, and
// no GL driver is loaded and unloaded behind the program's back.
void UseRasterOnly() { QCoreApplication::setAttribute(Qt::AA_ForceRasterWidgets); }

void EnsureApplication() {
  if (QCoreApplication::instance()) return;
  UseRasterOnly();
  static int argc = 1;
  static char name[] = "ploxa";
  static char* argv[] = {name, nullptr};
  // Lives for the process: windows may outlive any scope that could own it.
  auto* app = new QApplication(argc, argv);
  app->setQuitOnLastWindowClosed(false);
}

// ---- FrameWidget -----------------------------------------------------------------

FrameWidget::FrameWidget(HWND hwnd, QWidget* parent) : QWidget(parent), hwnd_(hwnd) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::NoFocus);
  // The platform's rhythm: a pause, then repeats while the button is held.
  connect(&repeat_, &QTimer::timeout, this, [this] {
    repeat_.setInterval(kScrollRepeatInterval);
    if (!trackingHit_) return;
    PostInput(hwnd_, WM_NCLBUTTONDOWN, trackingHit_ | kScrollRepeatFlag,
              PackPoint(trackingPoint_.x(), trackingPoint_.y()), false, {}, 0);
  });
}

bool FrameWidget::event(QEvent* e) {
  EventScope scope;
  return QWidget::event(e);
}

void FrameWidget::paintEvent(QPaintEvent*) {
  QPainter p(this);
  PaintNonClient(hwnd_, p);
}

void FrameWidget::mousePressEvent(QMouseEvent* e) {
  Window* w = FindWin(hwnd_);
  if (!w || e->button() != Qt::LeftButton) return;
  const QPoint inWindow = e->position().toPoint() + QPoint(VirtualFrame(*w).left(), VirtualFrame(*w).top());
  const QRect client = ClientRect(*w);
  WPARAM hit = 0;
  if (w->vbar.visible && inWindow.x() >= client.right() + 1 && inWindow.y() < client.bottom() + 1) hit = HTVSCROLL;
  if (w->hbar.visible && inWindow.y() >= client.bottom() + 1 && inWindow.x() < client.right() + 1) hit = HTHSCROLL;
  if (!hit) return;
  trackingHit_ = hit;
  trackingPoint_ = WindowOriginOnScreen(*w) + inWindow;
  PostInput(hwnd_, WM_NCLBUTTONDOWN, hit, PackPoint(trackingPoint_.x(), trackingPoint_.y()), false, {},
            ModifiersOf(e->modifiers()));
  repeat_.start(kScrollRepeatDelay);
}

void FrameWidget::mouseMoveEvent(QMouseEvent* e) {
  Window* w = FindWin(hwnd_);
  if (!w || !trackingHit_) return;
  trackingPoint_ = WindowOriginOnScreen(*w) + e->position().toPoint() +
                   QPoint(VirtualFrame(*w).left(), VirtualFrame(*w).top());
  PostInput(hwnd_, WM_NCMOUSEMOVE, trackingHit_, PackPoint(trackingPoint_.x(), trackingPoint_.y()), false, {},
            ModifiersOf(e->modifiers()));
}

void FrameWidget::mouseReleaseEvent(QMouseEvent* e) {
  Window* w = FindWin(hwnd_);
  if (!w || !trackingHit_ || e->button() != Qt::LeftButton) return;
  const QPoint screen = WindowOriginOnScreen(*w) + e->position().toPoint() +
                        QPoint(VirtualFrame(*w).left(), VirtualFrame(*w).top());
  PostInput(hwnd_, WM_NCLBUTTONUP, trackingHit_, PackPoint(screen.x(), screen.y()), false, {},
            ModifiersOf(e->modifiers()));
  trackingHit_ = 0;
  repeat_.stop();
}

void FrameWidget::keyPressEvent(QKeyEvent* e) { PostKey(hwnd_, e, true); }
void FrameWidget::keyReleaseEvent(QKeyEvent* e) { PostKey(hwnd_, e, false); }
void FrameWidget::wheelEvent(QWheelEvent* e) { PostWheel(hwnd_, e); }

void FrameWidget::closeEvent(QCloseEvent* e) {
  // The program decides: the close box asks through WM_SYSCOMMAND, as on the platform.
  e->ignore();
  PostInput(hwnd_, WM_SYSCOMMAND, SC_CLOSE, 0, false, {}, 0);
}

void FrameWidget::resizeEvent(QResizeEvent*) {
  Window* w = FindWin(hwnd_);
  if (!w || !IsTopLevel(*w) || w->minimized) return;
  // A size the desktop gave (the user dragged the frame) becomes the window's size.
  const QMargins v = VirtualFrame(*w);
  const QSize outer(width() + v.left() + v.right(), height() + v.top() + v.bottom());
  if (outer == w->rect.size()) return;
  w->rect.setSize(outer);
  if (w->client) w->client->setGeometry(ClientRect(*w).translated(-v.left(), -v.top()));
  SendSizeMessage(hwnd_);
}

void FrameWidget::moveEvent(QMoveEvent*) {
  Window* w = FindWin(hwnd_);
  if (!w || !IsTopLevel(*w) || !isWindow() || !isVisible()) return;
  // Some desktops report no global position (Wayland): keep our own then.
  if (QGuiApplication::platformName() == QLatin1String("wayland")) return;
  const QPoint origin = geometry().topLeft() - QPoint(VirtualFrame(*w).left(), VirtualFrame(*w).top());
  w->rect.moveTopLeft(origin);
}

void FrameWidget::changeEvent(QEvent* e) {
  QWidget::changeEvent(e);
  if (e->type() != QEvent::WindowStateChange) return;
  Window* w = FindWin(hwnd_);
  if (!w || !IsTopLevel(*w)) return;
  const bool minimized = (windowState() & Qt::WindowMinimized) != 0;
  if (minimized == w->minimized) return;
  w->minimized = minimized;
  if (minimized) {
    SendMessageA(hwnd_, WM_SIZE, SIZE_MINIMIZED, 0);
  } else {
    SendSizeMessage(hwnd_);
  }
}

// ---- ClientWidget ----------------------------------------------------------------

ClientWidget::ClientWidget(HWND hwnd, QWidget* parent) : QWidget(parent), hwnd_(hwnd) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  // Dead keys are composed by Qt's input context, which only serves widgets that take input.
  setAttribute(Qt::WA_InputMethodEnabled);
  setFocusPolicy(Qt::NoFocus);
}

void ClientWidget::inputMethodEvent(QInputMethodEvent* e) {
  // A composed character (a dead key and a letter) comes as text without a key press.
  for (char32_t c : e->commitString().toStdU32String()) {
    unsigned char b = 0;
    if (c >= 0x20 && c != 0x7F && cp1252::FromUnicode(c, &b)) {
      PostInput(hwnd_, WM_CHAR, b, 1, true, {}, 0);
    }
  }
  e->accept();
}

bool ClientWidget::event(QEvent* e) {
  EventScope scope;
  return QWidget::event(e);
}

void ClientWidget::paintEvent(QPaintEvent*) {
  QPainter p(this);
  PaintClient(hwnd_, p);
}

void ClientWidget::mousePressEvent(QMouseEvent* e) {
  UINT msg = e->button() == Qt::LeftButton ? WM_LBUTTONDOWN : e->button() == Qt::RightButton ? WM_RBUTTONDOWN : 0;
  if (!msg) return;
  const QPoint p = e->position().toPoint();
  PostInput(hwnd_, msg, MouseKeys(e->buttons(), e->modifiers()), PackPoint(p.x(), p.y()), false, {},
            ModifiersOf(e->modifiers()));
}

void ClientWidget::mouseDoubleClickEvent(QMouseEvent* e) {
  Window* w = FindWin(hwnd_);
  const bool wantsDouble = w && w->cls && (w->cls->style & CS_DBLCLKS);
  if (e->button() != Qt::LeftButton) return;
  const QPoint p = e->position().toPoint();
  PostInput(hwnd_, wantsDouble ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN, MouseKeys(e->buttons(), e->modifiers()),
            PackPoint(p.x(), p.y()), false, {}, ModifiersOf(e->modifiers()));
}

void ClientWidget::mouseMoveEvent(QMouseEvent* e) {
  const QPoint p = e->position().toPoint();
  PostInput(hwnd_, WM_MOUSEMOVE, MouseKeys(e->buttons(), e->modifiers()), PackPoint(p.x(), p.y()), false, {},
            ModifiersOf(e->modifiers()));
}

void ClientWidget::mouseReleaseEvent(QMouseEvent* e) {
  UINT msg = e->button() == Qt::LeftButton ? WM_LBUTTONUP : e->button() == Qt::RightButton ? WM_RBUTTONUP : 0;
  if (!msg) return;
  const QPoint p = e->position().toPoint();
  PostInput(hwnd_, msg, MouseKeys(e->buttons(), e->modifiers()), PackPoint(p.x(), p.y()), false, {},
            ModifiersOf(e->modifiers()));
}

void ClientWidget::keyPressEvent(QKeyEvent* e) { PostKey(hwnd_, e, true); }
void ClientWidget::keyReleaseEvent(QKeyEvent* e) { PostKey(hwnd_, e, false); }
void ClientWidget::wheelEvent(QWheelEvent* e) { PostWheel(hwnd_, e); }

}  // namespace ploxa::win

int RunWinMain(int argc, char** argv, WinMainProc winMain) {
  ploxa::win::UseRasterOnly();
  QApplication app(argc, argv);
  // The program ends its own loop (PostQuitMessage), not Qt.
  app.setQuitOnLastWindowClosed(false);
  std::string commandLine;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) commandLine += ' ';
    commandLine += argv[i];
  }
  return winMain(GetModuleHandleA(nullptr), nullptr, commandLine.data(), SW_SHOWNORMAL);
}
