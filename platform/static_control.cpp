// The "Static" class: text labels, bitmaps, borders, click notification.
#include <QFontMetrics>
#include <QStringList>
#include <QPainter>

#include "platform/win_internal.h"

namespace ploxa::win {
namespace {

// Lines break only at blanks, as the platform's statics do: a word wider than
// the control (a web address, say) stays whole on its line and is clipped.
QString BreakAtBlanks(const QString& text, const QFontMetrics& metrics, int width) {
  QStringList lines;
  for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
    // Blanks are kept where they stand, leading ones included.
    QString line;
    bool started = false;
    for (const QString& word : paragraph.split(QLatin1Char(' '))) {
      const QString candidate = started ? line + QLatin1Char(' ') + word : word;
      if (started && !line.trimmed().isEmpty() && metrics.horizontalAdvance(candidate) > width) {
        lines.push_back(line);
        line = word;
      } else {
        line = candidate;
      }
      started = true;
    }
    lines.push_back(line);
  }
  return lines.join(QLatin1Char('\n'));
}

struct StaticState : ControlState {
  HBITMAP bitmap = nullptr;  // not owned: the program deletes what it gives
  HICON icon = nullptr;
};

StaticState* StateOf(Window& w) { return dynamic_cast<StaticState*>(w.control.get()); }

void PaintBitmap(Window& w, QPainter& p, const QRect& client, HBRUSH brush) {
  FillWithBrush(p, client, brush);
  StaticState* s = StateOf(w);
  const QImage* image = s ? BitmapImage(s->bitmap) : nullptr;
  if (!image) return;
  if (w.style & SS_CENTERIMAGE) {
    // Centred and clipped; the rest takes the colour of the bitmap's top-left pixel.
    p.fillRect(client, image->pixelColor(0, 0));
    p.drawImage(QPoint((client.width() - image->width()) / 2, (client.height() - image->height()) / 2), *image);
  } else {
    p.drawImage(QPoint(0, 0), *image);
  }
}

void Paint(Window& w, HDC dc) {
  DeviceContext* d = FindDc(dc);
  if (!d || !d->painter) return;
  QPainter& p = *d->painter;
  const QRect client(QPoint(), ClientRect(w).size());
  const HBRUSH brush = AskControlColors(w.handle, dc, WM_CTLCOLORSTATIC);
  Window* again = FindWin(w.handle);
  if (!again) return;
  if ((w.style & SS_TYPEMASK) == SS_BITMAP) {
    PaintBitmap(w, p, client, brush);
    return;
  }
  FillWithBrush(p, client, brush);
  QString text = FromCp1252(w.text);
  text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  if (!(w.style & SS_NOPREFIX)) text = StripPrefix(text);
  if (text.isEmpty()) return;
  int flags = 0;
  switch (w.style & SS_TYPEMASK) {
    case SS_CENTER: flags |= Qt::AlignHCenter; break;
    case SS_RIGHT: flags |= Qt::AlignRight; break;
    default: flags |= Qt::AlignLeft; break;
  }
  // SS_CENTERIMAGE centres one line vertically; otherwise lines wrap from the top.
  flags |= (w.style & SS_CENTERIMAGE) ? (Qt::AlignVCenter | Qt::TextSingleLine) : Qt::AlignTop;
  p.setFont(FontOf(w.font));
  if (!(w.style & SS_CENTERIMAGE)) text = BreakAtBlanks(text, p.fontMetrics(), client.width());
  if (d->bkMode == OPAQUE) p.fillRect(p.boundingRect(client, flags, text) & client, ToQColor(d->bkColor));
  p.setPen((w.style & WS_DISABLED) ? ToQColor(SysColor(COLOR_GRAYTEXT)) : ToQColor(d->textColor));
  p.drawText(client, flags, text);
}

}  // namespace

LRESULT CALLBACK StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Window* w = FindWin(hwnd);
  if (!w) return 0;
  switch (msg) {
    case WM_NCCREATE:
      w->control = std::make_unique<StaticState>();
      return TRUE;
    case WM_ERASEBKGND: return 1;  // WM_PAINT fills everything
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      if (dc) Paint(*w, dc);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case STM_SETIMAGE: {
      StaticState* s = StateOf(*w);
      if (!s) return 0;
      HANDLE& slot = wParam == IMAGE_BITMAP ? reinterpret_cast<HANDLE&>(s->bitmap) : reinterpret_cast<HANDLE&>(s->icon);
      HANDLE old = slot;
      slot = reinterpret_cast<HANDLE>(lParam);
      RepaintWindow(*w);
      return reinterpret_cast<LRESULT>(old);
    }
    case STM_GETIMAGE: {
      StaticState* s = StateOf(*w);
      if (!s) return 0;
      return wParam == IMAGE_BITMAP ? reinterpret_cast<LRESULT>(s->bitmap) : reinterpret_cast<LRESULT>(s->icon);
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if ((w->style & SS_NOTIFY) && FindWin(w->parent)) {
        SendMessageA(w->parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(w->id), STN_CLICKED),
                     reinterpret_cast<LPARAM>(hwnd));
      }
      return 0;
    case WM_GETDLGCODE: return DLGC_STATIC;
    case WM_ENABLE: RepaintWindow(*w); return 0;
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
}

}  // namespace ploxa::win
