// The "Button" class: push buttons, default push buttons, icons, automatic check boxes.
#include <QPainter>

#include "platform/win_internal.h"

namespace ploxa::win {
namespace {

constexpr int kCheckBoxSize = 13;

struct ButtonState : ControlState {
  bool checked = false;
  bool pressed = false;  // drawn pushed in
  bool mouseDown = false;
  bool spaceDown = false;
  bool focused = false;
  HICON icon = nullptr;  // not owned
};

ButtonState* StateOf(Window& w) { return dynamic_cast<ButtonState*>(w.control.get()); }
DWORD TypeOf(const Window& w) { return w.style & BS_TYPEMASK; }
bool IsCheckBox(const Window& w) { return TypeOf(w) == BS_CHECKBOX || TypeOf(w) == BS_AUTOCHECKBOX; }

void Click(HWND hwnd) {
  Window* w = FindWin(hwnd);
  if (!w) return;
  if (TypeOf(*w) == BS_AUTOCHECKBOX) {
    if (ButtonState* s = StateOf(*w)) s->checked = !s->checked;
    RepaintWindow(*w);
  }
  if (FindWin(w->parent)) {
    SendMessageA(w->parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(w->id), BN_CLICKED), reinterpret_cast<LPARAM>(hwnd));
  }
}

void DrawLabel(QPainter& p, const Window& w, const DeviceContext& d, const QRect& r, int align) {
  const QString text = StripPrefix(FromCp1252(w.text));
  p.setFont(FontOf(w.font));
  const int flags = align | Qt::AlignVCenter | Qt::TextSingleLine;
  if (d.bkMode == OPAQUE) p.fillRect(p.boundingRect(r, flags, text) & r, ToQColor(d.bkColor));
  p.setPen((w.style & WS_DISABLED) ? ToQColor(SysColor(COLOR_GRAYTEXT)) : ToQColor(d.textColor));
  p.drawText(r, flags, text);
}

void DrawFocus(QPainter& p, const QRect& r) {
  QPen pen(Qt::black, 1, Qt::DotLine);
  p.setPen(pen);
  p.setBrush(Qt::NoBrush);
  p.drawRect(r.adjusted(0, 0, -1, -1));
}

void PaintPush(Window& w, ButtonState& s, HDC dc, QPainter& p, const QRect& client) {
  const HBRUSH brush = AskControlColors(w.handle, dc, WM_CTLCOLORBTN);
  DeviceContext* d = FindDc(dc);
  if (!d || !FindWin(w.handle)) return;
  FillWithBrush(p, client, brush);
  QRect face = client;
  if (TypeOf(w) == BS_DEFPUSHBUTTON || s.focused) {
    p.setPen(Qt::black);
    p.setBrush(Qt::NoBrush);
    p.drawRect(face.adjusted(0, 0, -1, -1));
    face.adjust(1, 1, -1, -1);
  }
  QPoint shift;
  if (s.pressed) {
    p.setPen(ToQColor(SysColor(COLOR_3DSHADOW)));
    p.drawRect(face.adjusted(0, 0, -1, -1));
    shift = QPoint(1, 1);
  } else {
    DrawRaisedEdge(p, face);
  }
  const QRect inner = face.adjusted(2, 2, -2, -2).translated(shift);
  if ((w.style & BS_ICON) && s.icon) {
    // The icon keeps its size, centred and clipped to the face.
    const QPixmap pixmap = IconPixmap(s.icon);
    p.save();
    p.setClipRect(inner);
    p.drawPixmap(inner.center() - QPoint(pixmap.width() / 2, pixmap.height() / 2) + QPoint(1, 1), pixmap);
    p.restore();
  } else {
    DrawLabel(p, w, *d, inner, Qt::AlignHCenter);
  }
  if (s.focused) DrawFocus(p, face.adjusted(3, 3, -3, -3));
}

void PaintCheckBox(Window& w, ButtonState& s, HDC dc, QPainter& p, const QRect& client) {
  const HBRUSH brush = AskControlColors(w.handle, dc, WM_CTLCOLORSTATIC);
  DeviceContext* d = FindDc(dc);
  if (!d || !FindWin(w.handle)) return;
  FillWithBrush(p, client, brush);
  const QRect box(0, (client.height() - kCheckBoxSize) / 2, kCheckBoxSize, kCheckBoxSize);
  const bool grey = s.pressed || (w.style & WS_DISABLED);
  p.fillRect(box.adjusted(2, 2, -2, -2), grey ? ToQColor(SysColor(COLOR_3DFACE)) : QColor(Qt::white));
  DrawSunkenEdge(p, box);
  if (s.checked) {
    // The classic tick: seven columns, three pixels thick.
    p.setPen((w.style & WS_DISABLED) ? ToQColor(SysColor(COLOR_GRAYTEXT)) : QColor(Qt::black));
    const int x0 = box.left() + 3, y0 = box.top() + 5;
    for (int i = 0; i < 7; ++i) {
      const int y = i < 3 ? y0 + i : y0 + 4 - i;
      p.drawLine(x0 + i, y, x0 + i, y + 2);
    }
  }
  const QRect textRect(kCheckBoxSize + 4, 0, std::max(0, client.width() - kCheckBoxSize - 4), client.height());
  DrawLabel(p, w, *d, textRect, Qt::AlignLeft);
  if (s.focused && !w.text.empty()) {
    p.setFont(FontOf(w.font));
    const QRect textBounds = p.boundingRect(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                                            StripPrefix(FromCp1252(w.text)));
    DrawFocus(p, textBounds.adjusted(-1, 0, 1, 0) & client);
  }
}

}  // namespace

LRESULT CALLBACK ButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Window* w = FindWin(hwnd);
  if (!w) return 0;
  ButtonState* s = StateOf(*w);
  if (msg == WM_NCCREATE) {
    w->control = std::make_unique<ButtonState>();
    return TRUE;
  }
  if (!s) return DefWindowProcA(hwnd, msg, wParam, lParam);
  switch (msg) {
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      DeviceContext* d = FindDc(dc);
      if (d && d->painter) {
        const QRect client(QPoint(), ClientRect(*w).size());
        if (IsCheckBox(*w)) {
          PaintCheckBox(*w, *s, dc, *d->painter, client);
        } else {
          PaintPush(*w, *s, dc, *d->painter, client);
        }
      }
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_GETDLGCODE:
      if (TypeOf(*w) == BS_DEFPUSHBUTTON) return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
      if (TypeOf(*w) == BS_PUSHBUTTON) return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
      return DLGC_BUTTON;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      SetFocus(hwnd);
      if (Window* again = FindWin(hwnd)) {
        s->mouseDown = s->pressed = true;
        RepaintWindow(*again);
      }
      return 0;
    case WM_MOUSEMOVE:
      if (s->mouseDown) {
        const QPoint p(static_cast<SHORT>(LOWORD(static_cast<ULONG_PTR>(lParam))),
                       static_cast<SHORT>(HIWORD(static_cast<ULONG_PTR>(lParam))));
        const bool inside = QRect(QPoint(), ClientRect(*w).size()).contains(p);
        if (inside != s->pressed) {
          s->pressed = inside;
          RepaintWindow(*w);
        }
      }
      return 0;
    case WM_LBUTTONUP:
      if (s->mouseDown) {
        const bool click = s->pressed;
        s->mouseDown = s->pressed = false;
        RepaintWindow(*w);
        if (click) Click(hwnd);
      }
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_SPACE && !s->spaceDown) {
        s->spaceDown = s->pressed = true;
        RepaintWindow(*w);
      }
      return 0;
    case WM_KEYUP:
      if (wParam == VK_SPACE && s->spaceDown) {
        s->spaceDown = s->pressed = false;
        RepaintWindow(*w);
        Click(hwnd);
      }
      return 0;
    case WM_SETFOCUS:
      s->focused = true;
      RepaintWindow(*w);
      return 0;
    case WM_KILLFOCUS:
      s->focused = false;
      s->pressed = s->spaceDown = false;
      RepaintWindow(*w);
      return 0;
    case BM_GETCHECK: return IsCheckBox(*w) && s->checked ? BST_CHECKED : BST_UNCHECKED;
    case BM_SETCHECK:
      if (IsCheckBox(*w)) {
        s->checked = wParam == BST_CHECKED;
        RepaintWindow(*w);
      }
      return 0;
    case BM_GETSTATE:
      return (s->checked ? BST_CHECKED : 0) | (s->pressed ? BST_PUSHED : 0) | (s->focused ? BST_FOCUS : 0);
    case BM_CLICK: Click(hwnd); return 0;
    case BM_SETIMAGE: {
      if (wParam != IMAGE_ICON) return 0;
      HICON old = s->icon;
      s->icon = reinterpret_cast<HICON>(lParam);
      RepaintWindow(*w);
      return reinterpret_cast<LRESULT>(old);
    }
    case BM_GETIMAGE: return wParam == IMAGE_ICON ? reinterpret_cast<LRESULT>(s->icon) : 0;
    case WM_ENABLE: RepaintWindow(*w); return 0;
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
}

}  // namespace ploxa::win
