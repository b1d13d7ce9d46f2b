// GDI objects (fonts, brushes, bitmaps), device contexts, system colours and the
// painting of client and non-client areas.
#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>

#include "platform/cp1252.h"
#include "platform/win_internal.h"

namespace ploxa::win {
namespace {

struct FontObject {
  LOGFONTA logFont{};
  QFont font;
  bool stock = false;
};
struct BrushObject {
  COLORREF color = 0;
  bool hollow = false;
  bool stock = false;
};

struct Gdi {
  std::unordered_map<ULONG_PTR, FontObject> fonts;
  std::unordered_map<ULONG_PTR, BrushObject> brushes;
  std::map<int, HGDIOBJ> stock;
  std::map<int, HBRUSH> sysBrushes;
  HDC screenDc = nullptr;
};

Gdi& G() {
  static Gdi* gdi = new Gdi;  // lives for the process, like the window records
  return *gdi;
}

// Classic scheme.
constexpr COLORREF kSysColors[] = {
    RGB(212, 208, 200), RGB(58, 110, 165),  RGB(10, 36, 106),   RGB(128, 128, 128), RGB(212, 208, 200),
    RGB(255, 255, 255), RGB(0, 0, 0),       RGB(0, 0, 0),       RGB(0, 0, 0),       RGB(255, 255, 255),
    RGB(212, 208, 200), RGB(212, 208, 200), RGB(128, 128, 128), RGB(10, 36, 106),   RGB(255, 255, 255),
    RGB(212, 208, 200), RGB(128, 128, 128), RGB(128, 128, 128), RGB(0, 0, 0),       RGB(212, 208, 200),
    RGB(255, 255, 255), RGB(64, 64, 64),    RGB(212, 208, 200), RGB(0, 0, 0),       RGB(255, 255, 225)};
constexpr int kSysColorCount = static_cast<int>(sizeof(kSysColors) / sizeof(kSysColors[0]));

QString FaceFamily(const LOGFONTA& lf) {
  const std::size_t n = strnlen(lf.lfFaceName, LF_FACESIZE);
  const QString face = FromCp1252(std::string_view(lf.lfFaceName, n));
  if (face.isEmpty()) return QStringLiteral("Sans Serif");
  if (face.compare(QLatin1String("Arial"), Qt::CaseInsensitive) == 0 ||
      face.compare(QLatin1String("MS Sans Serif"), Qt::CaseInsensitive) == 0) {
    return QStringLiteral("Liberation Sans");
  }
  return face;
}

QFont MakeFont(const LOGFONTA& lf) {
  EnsureApplication();
  QFont f(FaceFamily(lf));
  f.setStyleHint(QFont::SansSerif);
  const LONG weight = lf.lfWeight == FW_DONTCARE ? FW_NORMAL : std::clamp<LONG>(lf.lfWeight, 1, 1000);
  f.setWeight(static_cast<QFont::Weight>(weight));
  f.setItalic(lf.lfItalic != 0);
  f.setUnderline(lf.lfUnderline != 0);
  f.setStrikeOut(lf.lfStrikeOut != 0);
  LONG h = lf.lfHeight;
  if (h == 0) h = -12;
  if (h < 0) {
    // A negative height is the character height (the em size).
    f.setPixelSize(static_cast<int>(std::min<LONG>(-static_cast<long long>(h), 2000)));
  } else {
    // A positive height is the cell height: ascent plus descent.
    QFont probe = f;
    probe.setPixelSize(100);
    const QFontMetricsF fm(probe);
    const double cell = fm.ascent() + fm.descent();
    const double px = cell > 0 ? std::min<double>(h, 2000) * 100.0 / cell : h;
    f.setPixelSize(std::max(1, static_cast<int>(std::lround(px))));
  }
  return f;
}

HGDIOBJ AddFont(const LOGFONTA& lf, bool stock) {
  const ULONG_PTR v = NextHandleValue();
  G().fonts.emplace(v, FontObject{lf, MakeFont(lf), stock});
  return MakeHandle<HGDIOBJ>(v);
}

HGDIOBJ AddBrush(COLORREF color, bool hollow, bool stock) {
  const ULONG_PTR v = NextHandleValue();
  G().brushes.emplace(v, BrushObject{color, hollow, stock});
  return MakeHandle<HGDIOBJ>(v);
}

LOGFONTA LogFont(LONG height, LONG weight, const char* face) {
  LOGFONTA lf{};
  lf.lfHeight = height;
  lf.lfWeight = weight;
  std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
  return lf;
}

void DrawEdgePair(QPainter& p, const QRect& r, const QColor& topLeft, const QColor& bottomRight) {
  if (r.width() <= 0 || r.height() <= 0) return;
  p.setPen(topLeft);
  p.drawLine(r.left(), r.top(), r.right(), r.top());
  p.drawLine(r.left(), r.top(), r.left(), r.bottom());
  p.setPen(bottomRight);
  p.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
  p.drawLine(r.right(), r.top(), r.right(), r.bottom());
}

}  // namespace

QColor ToQColor(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }

COLORREF SysColor(int index) { return index >= 0 && index < kSysColorCount ? kSysColors[index] : 0; }

bool BrushColor(HBRUSH brush, QColor* color) {
  const ULONG_PTR v = HandleValue(brush);
  if (v >= 1 && v <= static_cast<ULONG_PTR>(kSysColorCount)) {
    // A small value is a system colour index + 1 (class backgrounds).
    *color = ToQColor(SysColor(static_cast<int>(v) - 1));
    return true;
  }
  auto it = G().brushes.find(v);
  if (it == G().brushes.end() || it->second.hollow) return false;
  *color = ToQColor(it->second.color);
  return true;
}

void FillWithBrush(QPainter& p, const QRect& r, HBRUSH brush) {
  QColor c;
  if (BrushColor(brush, &c)) p.fillRect(r, c);
}

QFont SystemFont() {
  // The platform's system font: a bold sans of 16 pixels cell height.
  static const QFont font = MakeFont(LogFont(16, FW_BOLD, "Arial"));
  return font;
}

QFont FontOf(HFONT font) {
  auto it = G().fonts.find(HandleValue(font));
  return it == G().fonts.end() ? SystemFont() : it->second.font;
}

HDC CreatePaintDc(HWND hwnd, QPainter* painter, QPoint origin) {
  const ULONG_PTR v = NextHandleValue();
  auto dc = std::make_unique<DeviceContext>();
  dc->painter = painter;
  dc->hwnd = hwnd;
  dc->origin = origin;
  Reg().dcs.emplace(v, std::move(dc));
  return MakeHandle<HDC>(v);
}

void DeletePaintDc(HDC dc) { Reg().dcs.erase(HandleValue(dc)); }

DeviceContext* FindDc(HDC dc) {
  auto it = Reg().dcs.find(HandleValue(dc));
  return it == Reg().dcs.end() ? nullptr : it->second.get();
}

LRESULT DefaultControlColors(HDC dc, UINT colorMessage) {
  const bool edit = colorMessage == WM_CTLCOLOREDIT || colorMessage == WM_CTLCOLORLISTBOX;
  SetTextColor(dc, SysColor(edit ? COLOR_WINDOWTEXT : COLOR_BTNTEXT));
  SetBkColor(dc, SysColor(edit ? COLOR_WINDOW : COLOR_3DFACE));
  return reinterpret_cast<LRESULT>(GetSysColorBrush(edit ? COLOR_WINDOW : COLOR_3DFACE));
}

HBRUSH AskControlColors(HWND control, HDC dc, UINT colorMessage) {
  Window* w = FindWin(control);
  LRESULT brush = 0;
  if (w && FindWin(w->parent)) {
    brush = SendMessageA(w->parent, colorMessage, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
  }
  // 0 means the system's colours.
  if (!brush) brush = DefaultControlColors(dc, colorMessage);
  return reinterpret_cast<HBRUSH>(brush);
}

void DrawRaisedEdge(QPainter& p, const QRect& r) {
  DrawEdgePair(p, r, ToQColor(SysColor(COLOR_3DLIGHT)), ToQColor(SysColor(COLOR_3DDKSHADOW)));
  DrawEdgePair(p, r.adjusted(1, 1, -1, -1), ToQColor(SysColor(COLOR_3DHILIGHT)), ToQColor(SysColor(COLOR_3DSHADOW)));
}

void DrawSunkenEdge(QPainter& p, const QRect& r) {
  DrawEdgePair(p, r, ToQColor(SysColor(COLOR_3DSHADOW)), ToQColor(SysColor(COLOR_3DHILIGHT)));
  DrawEdgePair(p, r.adjusted(1, 1, -1, -1), ToQColor(SysColor(COLOR_3DDKSHADOW)), ToQColor(SysColor(COLOR_3DLIGHT)));
}

QString FromCp1252(std::string_view bytes) {
  QString out;
  out.reserve(static_cast<qsizetype>(bytes.size()));
  for (char c : bytes) out.append(QChar(static_cast<char16_t>(cp1252::ToUnicode(static_cast<unsigned char>(c)))));
  return out;
}

QString StripPrefix(const QString& text) {
  QString out;
  out.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == QLatin1Char('&') && i + 1 < text.size()) ++i;  // "&&" is one "&"; "&x" underlines x (not drawn)
    out.append(text[i]);
  }
  return out;
}

void PaintClient(HWND hwnd, QPainter& painter) {
  Window* w = FindWin(hwnd);
  if (!w) return;
  const QRect c = ClientRect(*w);
  painter.fillRect(QRect(0, 0, c.width(), c.height()), ToQColor(SysColor(COLOR_3DFACE)));
  HDC dc = CreatePaintDc(hwnd, &painter, QPoint());
  Reg().paintDcs[HandleValue(hwnd)] = dc;
  CallProc(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  CallProc(hwnd, WM_PAINT, 0, 0);
  Reg().paintDcs.erase(HandleValue(hwnd));
  DeletePaintDc(dc);
}

void PaintNonClient(HWND hwnd, QPainter& p) {
  Window* w = FindWin(hwnd);
  if (!w) return;
  const QMargins v = VirtualFrame(*w);
  p.translate(-v.left(), -v.top());
  const QRect outer = QRect(QPoint(), w->rect.size()).marginsRemoved(v);
  if (!IsTopLevel(*w) && (w->style & WS_BORDER)) {
    p.setPen(ToQColor(SysColor(COLOR_WINDOWFRAME)));
    p.setBrush(Qt::NoBrush);
    p.drawRect(outer.adjusted(0, 0, -1, -1));
  }
  PaintScrollBars(*w, p);
}

}  // namespace ploxa::win

using namespace ploxa::win;

HBRUSH CreateSolidBrush(COLORREF color) {
  return static_cast<HBRUSH>(AddBrush(color & 0xFFFFFF, false, false));
}

HFONT CreateFontIndirectA(const LOGFONTA* font) {
  if (!font) return nullptr;
  return static_cast<HFONT>(AddFont(*font, false));
}

HGDIOBJ GetStockObject(int index) {
  auto it = G().stock.find(index);
  if (it != G().stock.end()) return it->second;
  HGDIOBJ obj = nullptr;
  switch (index) {
    case WHITE_BRUSH: obj = AddBrush(RGB(255, 255, 255), false, true); break;
    case LTGRAY_BRUSH: obj = AddBrush(RGB(192, 192, 192), false, true); break;
    case GRAY_BRUSH: obj = AddBrush(RGB(128, 128, 128), false, true); break;
    case BLACK_BRUSH: obj = AddBrush(RGB(0, 0, 0), false, true); break;
    case NULL_BRUSH: obj = AddBrush(0, true, true); break;
    case SYSTEM_FONT: obj = AddFont(LogFont(16, FW_BOLD, "Arial"), true); break;
    // The dialogs' 8-point sans: 11 pixels of character height at 96 dots per inch.
    case DEFAULT_GUI_FONT: obj = AddFont(LogFont(-11, FW_NORMAL, "MS Sans Serif"), true); break;
    default: return nullptr;
  }
  G().stock[index] = obj;
  return obj;
}

BOOL DeleteObject(HGDIOBJ object) {
  const ULONG_PTR v = HandleValue(object);
  if (v >= 1 && v <= static_cast<ULONG_PTR>(kSysColorCount)) return TRUE;
  Gdi& g = G();
  if (auto it = g.fonts.find(v); it != g.fonts.end()) {
    if (!it->second.stock) g.fonts.erase(it);
    return TRUE;
  }
  if (auto it = g.brushes.find(v); it != g.brushes.end()) {
    if (!it->second.stock) g.brushes.erase(it);
    return TRUE;
  }
  if (IsBitmap(object)) return DeleteBitmap(object);
  ReportBadHandle("DeleteObject", object);
  return FALSE;
}

DWORD GetSysColor(int index) { return SysColor(index); }

HBRUSH GetSysColorBrush(int index) {
  if (index < 0 || index >= kSysColorCount) return nullptr;
  auto it = G().sysBrushes.find(index);
  if (it != G().sysBrushes.end()) return it->second;
  HBRUSH b = static_cast<HBRUSH>(AddBrush(SysColor(index), false, true));
  G().sysBrushes[index] = b;
  return b;
}

int GetObjectA(HGDIOBJ object, int size, LPVOID out) {
  const ULONG_PTR v = HandleValue(object);
  if (const int info = BitmapObjectInfo(object, size, out); info >= 0) return info;
  if (auto it = G().fonts.find(v); it != G().fonts.end()) {
    if (!out) return static_cast<int>(sizeof(LOGFONTA));
    if (size < static_cast<int>(sizeof(LOGFONTA))) return 0;
    std::memcpy(out, &it->second.logFont, sizeof(LOGFONTA));
    return static_cast<int>(sizeof(LOGFONTA));
  }
  return 0;
}

COLORREF SetTextColor(HDC dc, COLORREF color) {
  DeviceContext* d = FindDc(dc);
  if (!d) return 0xFFFFFFFF;  // CLR_INVALID
  const COLORREF old = d->textColor;
  d->textColor = color & 0xFFFFFF;
  return old;
}

COLORREF GetTextColor(HDC dc) {
  DeviceContext* d = FindDc(dc);
  return d ? d->textColor : 0xFFFFFFFF;
}

int SetBkMode(HDC dc, int mode) {
  DeviceContext* d = FindDc(dc);
  if (!d || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
  const int old = d->bkMode;
  d->bkMode = mode;
  return old;
}

COLORREF SetBkColor(HDC dc, COLORREF color) {
  DeviceContext* d = FindDc(dc);
  if (!d) return 0xFFFFFFFF;
  const COLORREF old = d->bkColor;
  d->bkColor = color & 0xFFFFFF;
  return old;
}

COLORREF GetBkColor(HDC dc) {
  DeviceContext* d = FindDc(dc);
  return d ? d->bkColor : 0xFFFFFFFF;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
  DeviceContext* d = FindDc(dc);
  if (!d) return nullptr;
  const ULONG_PTR v = HandleValue(object);
  if (G().fonts.count(v)) {
    HGDIOBJ old = d->font;
    d->font = static_cast<HFONT>(object);
    return old;
  }
  if (G().brushes.count(v)) {
    HGDIOBJ old = d->brush;
    d->brush = static_cast<HBRUSH>(object);
    return old;
  }
  if (IsBitmap(object)) return SelectBitmap(dc, static_cast<HBITMAP>(object));
  return nullptr;
}

int FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
  DeviceContext* d = FindDc(dc);
  if (!d || !d->painter || !rect) return 0;
  QColor c;
  if (!BrushColor(brush, &c)) return 0;
  d->painter->fillRect(QRect(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top), c);
  return 1;
}

BOOL TextOutA(HDC dc, int x, int y, LPCSTR text, int length) {
  DeviceContext* d = FindDc(dc);
  if (!d || !d->painter || !text || length < 0) return FALSE;
  const QString s = FromCp1252(std::string_view(text, static_cast<std::size_t>(length)));
  QPainter& p = *d->painter;
  p.setFont(FontOf(d->font));
  const QFontMetrics fm(p.font());
  if (d->bkMode == OPAQUE) p.fillRect(QRect(x, y, fm.horizontalAdvance(s), fm.height()), ToQColor(d->bkColor));
  p.setPen(ToQColor(d->textColor));
  p.drawText(QPoint(x, y + fm.ascent()), s);
  return TRUE;
}

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* paint) {
  Window* w = FindWin(hwnd, "BeginPaint");
  if (!w) return nullptr;
  auto it = Reg().paintDcs.find(HandleValue(hwnd));
  HDC dc = it == Reg().paintDcs.end() ? nullptr : it->second;
  if (paint) {
    *paint = PAINTSTRUCT{};
    paint->hdc = dc;
    const QRect c = ClientRect(*w);
    paint->rcPaint = {0, 0, c.width(), c.height()};
  }
  return dc;
}

BOOL EndPaint(HWND, const PAINTSTRUCT*) { return TRUE; }

HDC GetDC(HWND hwnd) {
  if (hwnd && !FindWin(hwnd, "GetDC")) return nullptr;
  return CreatePaintDc(hwnd, nullptr, QPoint());
}

int ReleaseDC(HWND, HDC dc) {
  DeviceContext* d = FindDc(dc);
  if (!d || d->painter || d->memory) return 0;  // a paint DC belongs to its WM_PAINT; memory DCs go with DeleteDC
  DeletePaintDc(dc);
  return 1;
}

GdiObjectCounts GetGdiObjectCounts() {
  GdiObjectCounts counts;
  for (const auto& [v, f] : G().fonts) counts.fonts += f.stock ? 0 : 1;
  for (const auto& [v, b] : G().brushes) counts.brushes += b.stock ? 0 : 1;
  counts.bitmaps = LiveBitmapCount();
  return counts;
}
