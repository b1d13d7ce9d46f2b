// The "Edit" class, single line: typing in code page 1252, caret, selection by
// keyboard and mouse, clipboard, limit, read-only, alignment, horizontal scrolling.
#include <QClipboard>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QTextLayout>
#include <cmath>
#include <algorithm>
#include <vector>

#include "platform/cp1252.h"
#include "platform/win_internal.h"

namespace ploxa::win {
namespace {

constexpr int kMargin = 2;
constexpr int kDefaultLimit = 30000;
constexpr int kLargestLimit = 0x7FFFFFFE;

struct EditState : ControlState {
  int anchor = 0;
  int caret = 0;
  int limit = kDefaultLimit;
  int scrollX = 0;
  bool focused = false;
  bool mouseDown = false;
};

EditState* StateOf(Window& w) { return dynamic_cast<EditState*>(w.control.get()); }
int Length(const Window& w) { return static_cast<int>(w.text.size()); }
int SelStart(const EditState& s) { return std::min(s.anchor, s.caret); }
int SelEnd(const EditState& s) { return std::max(s.anchor, s.caret); }

// Pixel offset of each caret position from the text's start, as the text is drawn
// (one layout pass, so long texts stay cheap).
std::vector<int> Offsets(const Window& w) {
  const QString text = FromCp1252(w.text);
  QTextLayout layout(text, FontOf(w.font));
  layout.beginLayout();
  QTextLine line = layout.createLine();
  if (line.isValid()) line.setLineWidth(1e7);
  layout.endLayout();
  std::vector<int> xs(static_cast<std::size_t>(text.size()) + 1, 0);
  if (!line.isValid()) return xs;
  for (qsizetype i = 0; i <= text.size(); ++i) {
    xs[static_cast<std::size_t>(i)] = static_cast<int>(std::lround(line.cursorToX(static_cast<int>(i))));
  }
  return xs;
}

int AvailableWidth(const Window& w) { return std::max(0, ClientRect(w).width() - 2 * kMargin); }

// Where the text starts in the client area.
int TextOrigin(const Window& w, const EditState& s, int textWidth) {
  const int avail = AvailableWidth(w);
  if (textWidth > avail) return kMargin - s.scrollX;
  switch (w.style & (ES_CENTER | ES_RIGHT)) {
    case ES_CENTER: return kMargin + (avail - textWidth) / 2;
    case ES_RIGHT: return kMargin + avail - textWidth;
    default: return kMargin;
  }
}

void EnsureCaretVisible(Window& w, EditState& s) {
  const std::vector<int> xs = Offsets(w);
  const int width = xs.back();
  const int avail = AvailableWidth(w);
  if (width <= avail) {
    s.scrollX = 0;
    return;
  }
  const int x = xs[static_cast<std::size_t>(s.caret)];
  if (x - s.scrollX < 0) s.scrollX = std::max(0, x - avail / 4);
  if (x - s.scrollX > avail) s.scrollX = x - avail + avail / 4;
  s.scrollX = std::clamp(s.scrollX, 0, std::max(0, width - avail));
}

void Notify(HWND hwnd, WORD code) {
  Window* w = FindWin(hwnd);
  if (w && FindWin(w->parent)) {
    SendMessageA(w->parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(w->id), code), reinterpret_cast<LPARAM>(hwnd));
  }
}

void Changed(HWND hwnd, Window& w, EditState& s) {
  EnsureCaretVisible(w, s);
  RepaintWindow(w);
  Notify(hwnd, EN_CHANGE);
}

// Replaces the selection; what does not fit the limit (or, without ES_AUTOHSCROLL, the width) is refused.
bool ReplaceSelection(HWND hwnd, Window& w, EditState& s, std::string insert) {
  const int start = SelStart(s), end = SelEnd(s);
  const long long room = static_cast<long long>(s.limit) - (Length(w) - (end - start));
  if (room < static_cast<long long>(insert.size())) {
    insert.resize(static_cast<std::size_t>(std::max<long long>(0, room)));
    Notify(hwnd, EN_MAXTEXT);
    if (!FindWin(hwnd)) return false;
  }
  if (insert.empty() && start == end) return false;
  std::string next = w.text;
  next.replace(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start), insert);
  if (!(w.style & ES_AUTOHSCROLL) && !insert.empty()) {
    const QFontMetrics fm(FontOf(w.font));
    if (fm.horizontalAdvance(FromCp1252(next)) > AvailableWidth(w)) return false;
  }
  w.text = std::move(next);
  s.anchor = s.caret = start + static_cast<int>(insert.size());
  Changed(hwnd, w, s);
  return true;
}

void Copy(const Window& w, const EditState& s) {
  if (SelStart(s) == SelEnd(s)) return;
  const std::string sel = w.text.substr(static_cast<std::size_t>(SelStart(s)), static_cast<std::size_t>(SelEnd(s) - SelStart(s)));
  QGuiApplication::clipboard()->setText(FromCp1252(sel));
}

void Paste(HWND hwnd, Window& w, EditState& s) {
  if (w.style & ES_READONLY) return;
  // One line; characters the code page lacks are left out.
  const std::u32string text = QGuiApplication::clipboard()->text().toStdU32String();
  std::string bytes;
  for (char32_t c : text) {
    if (c == U'\r' || c == U'\n') break;
    unsigned char b = 0;
    if (c >= 0x20 && cp1252::FromUnicode(c, &b)) bytes.push_back(static_cast<char>(b));
  }
  if (!bytes.empty()) ReplaceSelection(hwnd, w, s, std::move(bytes));
}

void Cut(HWND hwnd, Window& w, EditState& s) {
  if (w.style & ES_READONLY) return;
  Copy(w, s);
  ReplaceSelection(hwnd, w, s, {});
}

void DeleteAround(HWND hwnd, Window& w, EditState& s, bool forward) {
  if (w.style & ES_READONLY) return;
  if (SelStart(s) == SelEnd(s)) {
    if (forward && s.caret < Length(w)) s.anchor = s.caret + 1;
    if (!forward && s.caret > 0) s.anchor = s.caret - 1;
  }
  ReplaceSelection(hwnd, w, s, {});
}

void MoveCaret(Window& w, EditState& s, int to, bool extend) {
  s.caret = std::clamp(to, 0, Length(w));
  if (!extend) s.anchor = s.caret;
  EnsureCaretVisible(w, s);
  RepaintWindow(w);
}

int CharAt(const Window& w, const EditState& s, int x) {
  const std::vector<int> xs = Offsets(w);
  const int origin = TextOrigin(w, s, xs.back());
  int best = 0;
  for (std::size_t i = 0; i < xs.size(); ++i) {
    if (std::abs(origin + xs[i] - x) < std::abs(origin + xs[static_cast<std::size_t>(best)] - x)) best = static_cast<int>(i);
  }
  return best;
}

void KeyDown(HWND hwnd, Window& w, EditState& s, WPARAM vk) {
  const bool shift = GetKeyState(static_cast<int>(VK_SHIFT)) < 0;
  const bool control = GetKeyState(static_cast<int>(VK_CONTROL)) < 0;
  switch (vk) {
    case VK_LEFT:
      if (!shift && SelStart(s) != SelEnd(s)) {
        MoveCaret(w, s, SelStart(s), false);
      } else {
        MoveCaret(w, s, s.caret - 1, shift);
      }
      break;
    case VK_RIGHT:
      if (!shift && SelStart(s) != SelEnd(s)) {
        MoveCaret(w, s, SelEnd(s), false);
      } else {
        MoveCaret(w, s, s.caret + 1, shift);
      }
      break;
    case VK_HOME: MoveCaret(w, s, 0, shift); break;
    case VK_END: MoveCaret(w, s, Length(w), shift); break;
    case VK_DELETE:
      if (shift) {
        Cut(hwnd, w, s);
      } else {
        DeleteAround(hwnd, w, s, true);
      }
      break;
    case VK_INSERT:
      if (control) Copy(w, s);
      if (shift) Paste(hwnd, w, s);
      break;
    default: break;
  }
}

void Char(HWND hwnd, Window& w, EditState& s, WPARAM ch) {
  switch (ch) {
    case 0x01: s.anchor = 0; s.caret = Length(w); RepaintWindow(w); return;  // Ctrl+A
    case 0x03: Copy(w, s); return;
    case 0x16: Paste(hwnd, w, s); return;
    case 0x18: Cut(hwnd, w, s); return;
    case '\b': DeleteAround(hwnd, w, s, false); return;
    default: break;
  }
  if (ch < 0x20 || ch == 0x7F || ch > 0xFF || (w.style & ES_READONLY)) return;
  ReplaceSelection(hwnd, w, s, std::string(1, static_cast<char>(ch)));
}

void Paint(Window& w, EditState& s, HDC dc) {
  DeviceContext* d = FindDc(dc);
  if (!d || !d->painter) return;
  const bool greyed = (w.style & (ES_READONLY | WS_DISABLED)) != 0;
  const HBRUSH brush = AskControlColors(w.handle, dc, greyed ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT);
  if (!FindWin(w.handle)) return;
  QPainter& p = *d->painter;
  const QRect client(QPoint(), ClientRect(w).size());
  FillWithBrush(p, client, brush);
  const QFont font = FontOf(w.font);
  const QFontMetrics fm(font);
  p.setFont(font);
  const QString text = FromCp1252(w.text);
  const std::vector<int> xs = Offsets(w);
  const int origin = TextOrigin(w, s, xs.back());
  const int top = 1;
  p.save();
  p.setClipRect(client.adjusted(kMargin - 1, 0, -(kMargin - 1), 0));
  if (d->bkMode == OPAQUE) p.fillRect(QRect(origin, top, xs.back(), fm.height()), ToQColor(d->bkColor));
  p.setPen((w.style & WS_DISABLED) ? ToQColor(SysColor(COLOR_GRAYTEXT)) : ToQColor(d->textColor));
  p.drawText(QPoint(origin, top + fm.ascent()), text);
  const int a = SelStart(s), b = SelEnd(s);
  if (s.focused && a != b) {
    const QRect sel(origin + xs[static_cast<std::size_t>(a)], top, xs[static_cast<std::size_t>(b)] - xs[static_cast<std::size_t>(a)], fm.height());
    p.fillRect(sel, ToQColor(SysColor(COLOR_HIGHLIGHT)));
    p.setPen(ToQColor(SysColor(COLOR_HIGHLIGHTTEXT)));
    p.drawText(QPoint(origin + xs[static_cast<std::size_t>(a)], top + fm.ascent()), text.mid(a, b - a));
  }
  if (s.focused && !(w.style & WS_DISABLED)) {
    const int x = origin + xs[static_cast<std::size_t>(s.caret)];
    p.fillRect(QRect(x, top, 1, fm.height()), Qt::black);
  }
  p.restore();
}

QPoint PointOf(LPARAM lParam) {
  return {static_cast<SHORT>(LOWORD(static_cast<ULONG_PTR>(lParam))), static_cast<SHORT>(HIWORD(static_cast<ULONG_PTR>(lParam)))};
}

}  // namespace

LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Window* w = FindWin(hwnd);
  if (!w) return 0;
  if (msg == WM_NCCREATE) {
    w->control = std::make_unique<EditState>();
    return TRUE;
  }
  EditState* s = StateOf(*w);
  if (!s) return DefWindowProcA(hwnd, msg, wParam, lParam);
  switch (msg) {
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      if (dc) Paint(*w, *s, dc);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_SETTEXT: {
      const char* text = reinterpret_cast<const char*>(lParam);
      w->text = text ? text : "";
      s->anchor = s->caret = 0;
      s->scrollX = 0;
      RepaintWindow(*w);
      Notify(hwnd, EN_CHANGE);
      return TRUE;
    }
    case WM_GETDLGCODE: return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
    case WM_SETFOCUS:
      s->focused = true;
      RepaintWindow(*w);
      Notify(hwnd, EN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      s->focused = false;
      s->mouseDown = false;
      RepaintWindow(*w);
      Notify(hwnd, EN_KILLFOCUS);
      return 0;
    case WM_KEYDOWN: KeyDown(hwnd, *w, *s, wParam); return 0;
    case WM_CHAR: Char(hwnd, *w, *s, wParam); return 0;
    case WM_CUT: Cut(hwnd, *w, *s); return 0;
    case WM_COPY: Copy(*w, *s); return 0;
    case WM_PASTE: Paste(hwnd, *w, *s); return 0;
    case WM_CLEAR:
      if (!(w->style & ES_READONLY)) ReplaceSelection(hwnd, *w, *s, {});
      return 0;
    case WM_LBUTTONDOWN: {
      if (GetFocus() != hwnd) SetFocus(hwnd);
      w = FindWin(hwnd);
      if (!w) return 0;
      const int at = CharAt(*w, *s, PointOf(lParam).x());
      MoveCaret(*w, *s, at, (wParam & MK_SHIFT) != 0);
      s->mouseDown = true;
      return 0;
    }
    case WM_LBUTTONDBLCLK: {
      // A double click selects the word under the mouse.
      const int at = CharAt(*w, *s, PointOf(lParam).x());
      auto isWordByte = [&](int i) { return i >= 0 && i < Length(*w) && w->text[static_cast<std::size_t>(i)] != ' '; };
      int a = at, b = at;
      while (isWordByte(a - 1)) --a;
      while (isWordByte(b)) ++b;
      s->anchor = a;
      MoveCaret(*w, *s, b, true);
      return 0;
    }
    case WM_MOUSEMOVE:
      if (s->mouseDown && (wParam & MK_LBUTTON)) MoveCaret(*w, *s, CharAt(*w, *s, PointOf(lParam).x()), true);
      return 0;
    case WM_LBUTTONUP: s->mouseDown = false; return 0;
    case EM_SETSEL: {
      const int len = Length(*w);
      const auto start = static_cast<long long>(static_cast<LONG_PTR>(wParam));
      const auto end = static_cast<long long>(lParam);
      if (start == -1) {
        s->anchor = s->caret;  // -1 removes the selection
      } else {
        s->anchor = static_cast<int>(std::clamp<long long>(start, 0, len));
        s->caret = end < 0 ? len : static_cast<int>(std::clamp<long long>(end, 0, len));
      }
      EnsureCaretVisible(*w, *s);
      RepaintWindow(*w);
      return 0;
    }
    case EM_GETSEL: {
      const DWORD a = static_cast<DWORD>(SelStart(*s)), b = static_cast<DWORD>(SelEnd(*s));
      if (wParam) *reinterpret_cast<DWORD*>(wParam) = a;
      if (lParam) *reinterpret_cast<DWORD*>(lParam) = b;
      return static_cast<LRESULT>(MAKELONG(static_cast<WORD>(std::min<DWORD>(a, 0xFFFF)), static_cast<WORD>(std::min<DWORD>(b, 0xFFFF))));
    }
    case EM_LIMITTEXT:
      s->limit = wParam == 0 || wParam > static_cast<WPARAM>(kLargestLimit) ? kLargestLimit : static_cast<int>(wParam);
      return 0;
    case EM_GETLIMITTEXT: return s->limit;
    case EM_SETREADONLY:
      if (wParam) {
        w->style |= ES_READONLY;
      } else {
        w->style &= ~ES_READONLY;
      }
      RepaintWindow(*w);
      return TRUE;
    case EM_REPLACESEL: {
      const char* text = reinterpret_cast<const char*>(lParam);
      ReplaceSelection(hwnd, *w, *s, text ? text : "");
      return 0;
    }
    case WM_SETFONT:
      DefWindowProcA(hwnd, msg, wParam, lParam);
      EnsureCaretVisible(*w, *s);
      return 0;
    case WM_SIZE: EnsureCaretVisible(*w, *s); return 0;
    case WM_ENABLE: RepaintWindow(*w); return 0;
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
}

}  // namespace ploxa::win
