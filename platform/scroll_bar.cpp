// Window scroll bars: range, page and position with the platform's clamping,
// classic drawing and mouse tracking.
#include <QPainter>
#include <QWidget>
#include <algorithm>

#include "platform/qt_host.h"
#include "platform/win_internal.h"

namespace ploxa::win {
namespace {

// The largest position: max - page + 1 (a page of 0 counts as 1).
int LargestPos(const ScrollBarState& s) {
  const long long page = std::max<long long>(1, s.page);
  return static_cast<int>(std::max<long long>(s.min, static_cast<long long>(s.max) - page + 1));
}

void Normalize(ScrollBarState& s) {
  const long long range = static_cast<long long>(s.max) - s.min + 1;
  if (range <= 0) {
    s.page = 0;
  } else if (s.page > range) {
    s.page = static_cast<UINT>(range);
  }
  s.pos = std::clamp(s.pos, s.min, LargestPos(s));
}

struct BarGeometry {
  QRect bar;
  bool vertical = true;
  int length = 0;  // along the bar
  int arrow = 0;
  int track = 0;
  int thumb = 0;       // 0: no thumb
  int thumbStart = 0;  // from the bar's start
};

BarGeometry Geometry(const Window& w, bool vertical, int position) {
  const ScrollBarState& s = vertical ? w.vbar : w.hbar;
  const QRect c = ClientRect(w);
  BarGeometry g;
  g.vertical = vertical;
  g.bar = vertical ? QRect(c.right() + 1, c.top(), kScrollBarSize, c.height())
                   : QRect(c.left(), c.bottom() + 1, c.width(), kScrollBarSize);
  g.length = vertical ? g.bar.height() : g.bar.width();
  g.arrow = std::min(kScrollBarSize, g.length / 2);
  g.track = g.length - 2 * g.arrow;
  if (!BarEnabled(s) || g.track <= 0) return g;
  const long long range = static_cast<long long>(s.max) - s.min + 1;
  g.thumb = s.page == 0 ? kScrollBarSize : static_cast<int>(g.track * static_cast<long long>(s.page) / range);
  g.thumb = std::max(g.thumb, kMinThumb);
  if (g.thumb > g.track) {
    g.thumb = 0;
    return g;
  }
  const int span = LargestPos(s) - s.min;
  const int offset = span > 0 ? static_cast<int>(static_cast<long long>(g.track - g.thumb) * (position - s.min) / span) : 0;
  g.thumbStart = g.arrow + std::clamp(offset, 0, g.track - g.thumb);
  return g;
}

QRect Along(const BarGeometry& g, int start, int size) {
  return g.vertical ? QRect(g.bar.left(), g.bar.top() + start, g.bar.width(), size)
                    : QRect(g.bar.left() + start, g.bar.top(), size, g.bar.height());
}

void DrawArrow(QPainter& p, const QRect& r, int direction, bool enabled) {
  // direction: 0 up, 1 down, 2 left, 3 right.
  p.fillRect(r, ToQColor(SysColor(COLOR_3DFACE)));
  DrawRaisedEdge(p, r);
  const QPoint c = r.center();
  auto draw = [&](const QColor& color, QPoint shift) {
    p.setPen(color);
    for (int i = 0; i < 4; ++i) {
      switch (direction) {
        case 0: p.drawLine(c.x() - i + shift.x(), c.y() - 2 + i + shift.y(), c.x() + i + shift.x(), c.y() - 2 + i + shift.y()); break;
        case 1: p.drawLine(c.x() - i + shift.x(), c.y() + 1 - i + shift.y(), c.x() + i + shift.x(), c.y() + 1 - i + shift.y()); break;
        case 2: p.drawLine(c.x() - 2 + i + shift.x(), c.y() - i + shift.y(), c.x() - 2 + i + shift.x(), c.y() + i + shift.y()); break;
        default: p.drawLine(c.x() + 1 - i + shift.x(), c.y() - i + shift.y(), c.x() + 1 - i + shift.x(), c.y() + i + shift.y()); break;
      }
    }
  };
  if (enabled) {
    draw(Qt::black, {});
  } else {
    draw(Qt::white, {1, 1});
    draw(ToQColor(SysColor(COLOR_GRAYTEXT)), {});
  }
}

void PaintBar(const Window& w, QPainter& p, bool vertical) {
  const ScrollBarState& s = vertical ? w.vbar : w.hbar;
  const bool tracking = s.pressed == ScrollBarState::Part::Thumb;
  const BarGeometry g = Geometry(w, vertical, tracking ? s.trackPos : s.pos);
  if (g.bar.isEmpty()) return;
  const bool enabled = BarEnabled(s);
  // The track is the classic dither of white and button face.
  const QRect track = Along(g, g.arrow, std::max(0, g.track));
  p.fillRect(track, ToQColor(SysColor(COLOR_3DFACE)));
  p.fillRect(track, QBrush(Qt::white, Qt::Dense4Pattern));
  DrawArrow(p, Along(g, 0, g.arrow), vertical ? 0 : 2, enabled);
  DrawArrow(p, Along(g, g.length - g.arrow, g.arrow), vertical ? 1 : 3, enabled);
  if (g.thumb > 0) {
    const QRect thumb = Along(g, g.thumbStart, g.thumb);
    p.fillRect(thumb, ToQColor(SysColor(COLOR_3DFACE)));
    DrawRaisedEdge(p, thumb);
  }
}

ScrollBarState::Part PartAt(const BarGeometry& g, int t) {
  if (t < g.arrow) return ScrollBarState::Part::ArrowBack;
  if (t >= g.length - g.arrow) return ScrollBarState::Part::ArrowForward;
  if (g.thumb > 0 && t >= g.thumbStart && t < g.thumbStart + g.thumb) return ScrollBarState::Part::Thumb;
  if (g.thumb > 0 && t < g.thumbStart) return ScrollBarState::Part::PageBack;
  if (g.thumb > 0) return ScrollBarState::Part::PageForward;
  return ScrollBarState::Part::None;
}

void SendScroll(HWND hwnd, bool vertical, WORD code, int pos) {
  SendMessageA(hwnd, vertical ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(code, static_cast<WORD>(pos)), 0);
}

// Shows or hides a bar; the client area changes size with it.
void SetBarVisible(HWND hwnd, ScrollBarState& s, bool visible, DWORD styleBit) {
  if (s.visible == visible) return;
  s.visible = visible;
  Window* w = FindWin(hwnd);
  if (visible) {
    w->style |= styleBit;
  } else {
    w->style &= ~styleBit;
  }
  SyncWidgetGeometry(*w);
  SendSizeMessage(hwnd);
}

}  // namespace

ScrollBarState* BarOf(Window& w, int bar) {
  if (bar == SB_VERT) return &w.vbar;
  if (bar == SB_HORZ) return &w.hbar;
  return nullptr;
}

bool BarEnabled(const ScrollBarState& s) {
  // Disabled when there is nothing to scroll: no range, or a page that shows it all.
  if (s.max <= s.min) return false;
  return s.page == 0 || static_cast<long long>(s.page) <= static_cast<long long>(s.max) - s.min;
}

void PaintScrollBars(Window& w, QPainter& p) {
  if (w.vbar.visible) PaintBar(w, p, true);
  if (w.hbar.visible) PaintBar(w, p, false);
  if (w.vbar.visible && w.hbar.visible) {
    const QRect c = ClientRect(w);
    p.fillRect(QRect(c.right() + 1, c.bottom() + 1, kScrollBarSize, kScrollBarSize), ToQColor(SysColor(COLOR_3DFACE)));
  }
}

LRESULT ScrollBarMouse(Window& w, UINT msg, WPARAM hit, QPoint screenPoint) {
  const bool repeat = (hit & kScrollRepeatFlag) != 0;
  hit &= ~kScrollRepeatFlag;
  const bool vertical = hit == HTVSCROLL;
  ScrollBarState& s = vertical ? w.vbar : w.hbar;
  const HWND hwnd = w.handle;
  if (!s.visible) return 0;
  const QPoint inWindow = screenPoint - WindowOriginOnScreen(w);
  using Part = ScrollBarState::Part;
  if (msg == WM_NCLBUTTONDOWN && repeat) {
    // Repeats only while the pointer stays on the part pressed (a page area ends under the thumb).
    if (s.pressed == Part::None || s.pressed == Part::Thumb || !BarEnabled(s)) return 0;
    const BarGeometry g = Geometry(w, vertical, s.pos);
    const int t = vertical ? inWindow.y() - g.bar.top() : inWindow.x() - g.bar.left();
    if (PartAt(g, t) != s.pressed) return 0;
    const WORD code = s.pressed == Part::ArrowBack ? SB_LINEUP
                      : s.pressed == Part::ArrowForward ? SB_LINEDOWN
                      : s.pressed == Part::PageBack ? SB_PAGEUP
                                                    : SB_PAGEDOWN;
    SendScroll(hwnd, vertical, code, 0);
    return 0;
  }
  if (msg == WM_NCLBUTTONDOWN) {
    if (!BarEnabled(s)) return 0;
    const BarGeometry g = Geometry(w, vertical, s.pos);
    const int t = vertical ? inWindow.y() - g.bar.top() : inWindow.x() - g.bar.left();
    s.pressed = PartAt(g, t);
    switch (s.pressed) {
      case Part::ArrowBack: SendScroll(hwnd, vertical, SB_LINEUP, 0); break;
      case Part::ArrowForward: SendScroll(hwnd, vertical, SB_LINEDOWN, 0); break;
      case Part::PageBack: SendScroll(hwnd, vertical, SB_PAGEUP, 0); break;
      case Part::PageForward: SendScroll(hwnd, vertical, SB_PAGEDOWN, 0); break;
      case Part::Thumb:
        s.grabOffset = t - g.thumbStart;
        s.trackPos = s.pos;
        SendScroll(hwnd, vertical, SB_THUMBTRACK, s.trackPos);
        break;
      case Part::None: break;
    }
    return 0;
  }
  if (msg == WM_NCMOUSEMOVE && s.pressed == Part::Thumb) {
    const BarGeometry g = Geometry(w, vertical, s.pos);
    const int t = vertical ? inWindow.y() - g.bar.top() : inWindow.x() - g.bar.left();
    const int room = g.track - g.thumb;
    const int start = std::clamp(t - s.grabOffset - g.arrow, 0, std::max(0, room));
    const int span = LargestPos(s) - s.min;
    const int track = room > 0 ? s.min + static_cast<int>((static_cast<long long>(start) * span + room / 2) / room) : s.min;
    if (track != s.trackPos) {
      s.trackPos = track;
      RepaintFrame(w);
      SendScroll(hwnd, vertical, SB_THUMBTRACK, track);
    }
    return 0;
  }
  if (msg == WM_NCLBUTTONUP && s.pressed != Part::None) {
    const bool thumb = s.pressed == Part::Thumb;
    s.pressed = Part::None;
    if (thumb) SendScroll(hwnd, vertical, SB_THUMBPOSITION, s.trackPos);
    SendScroll(hwnd, vertical, SB_ENDSCROLL, 0);
    if (Window* again = FindWin(hwnd)) RepaintFrame(*again);
  }
  return 0;
}

}  // namespace ploxa::win

using namespace ploxa::win;

int SetScrollInfo(HWND hwnd, int bar, const SCROLLINFO* info, BOOL redraw) {
  Window* w = FindWin(hwnd, "SetScrollInfo");
  if (!w || !info) return 0;
  ScrollBarState* s = BarOf(*w, bar);
  if (!s) return 0;
  if (info->fMask & SIF_RANGE) {
    s->min = info->nMin;
    s->max = info->nMax;
  }
  if (info->fMask & SIF_PAGE) s->page = info->nPage;
  if (info->fMask & SIF_POS) s->pos = info->nPos;
  Normalize(*s);
  const int pos = s->pos;
  if (info->fMask & (SIF_RANGE | SIF_PAGE)) {
    // Not needed: hidden, or shown disabled with SIF_DISABLENOSCROLL.
    const bool visible = BarEnabled(*s) || (info->fMask & SIF_DISABLENOSCROLL);
    SetBarVisible(hwnd, *s, visible, bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL);
  }
  if (redraw) {
    if (Window* again = FindWin(hwnd)) RepaintFrame(*again);
  }
  return pos;
}

BOOL GetScrollInfo(HWND hwnd, int bar, SCROLLINFO* info) {
  Window* w = FindWin(hwnd, "GetScrollInfo");
  if (!w || !info) return FALSE;
  ScrollBarState* s = BarOf(*w, bar);
  if (!s) return FALSE;
  if (info->fMask & SIF_RANGE) {
    info->nMin = s->min;
    info->nMax = s->max;
  }
  if (info->fMask & SIF_PAGE) info->nPage = s->page;
  if (info->fMask & SIF_POS) info->nPos = s->pos;
  if (info->fMask & SIF_TRACKPOS) info->nTrackPos = s->pressed == ScrollBarState::Part::Thumb ? s->trackPos : s->pos;
  return TRUE;
}

int SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw) {
  Window* w = FindWin(hwnd, "SetScrollPos");
  if (!w) return 0;
  ScrollBarState* s = BarOf(*w, bar);
  if (!s) return 0;
  const int old = s->pos;
  s->pos = pos;
  Normalize(*s);
  if (redraw) RepaintFrame(*w);
  return old;
}

int GetScrollPos(HWND hwnd, int bar) {
  Window* w = FindWin(hwnd, "GetScrollPos");
  if (!w) return 0;
  ScrollBarState* s = BarOf(*w, bar);
  return s ? s->pos : 0;
}

BOOL ScrollWindow(HWND hwnd, int dx, int dy, const RECT*, const RECT*) {
  Window* w = FindWin(hwnd, "ScrollWindow");
  if (!w) return FALSE;
  for (HWND child : w->children) {
    if (Window* c = FindWin(child)) c->rect.translate(dx, dy);
  }
  // Qt moves every child widget and the drawn content in one go.
  if (w->client) {
    w->client->scroll(dx, dy);
  }
  for (HWND child : w->children) {
    if (Window* c = FindWin(child); c && c->frame && c->frame->pos() != c->rect.topLeft()) SyncWidgetGeometry(*c);
  }
  RepaintWindow(*w);
  return TRUE;
}
