// Bitmaps: screen-compatible bitmaps (32-bit pixels in a QImage) and
// device-independent sections (the caller's own layout: 1, 4, 8, 24 or 32 bits,
// colour table, rows bottom-up or top-down, each padded to 4 bytes), memory
// device contexts, StretchBlt and CopyImage.
#include <QPainter>
#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <unordered_map>
#include <vector>

#include "platform/win_internal.h"

namespace ploxa::win {
namespace {

constexpr long long kMaxSide = 16384;
constexpr long long kMaxPixels = 64LL * 1024 * 1024;

struct Section {
  int bitCount = 0;
  bool topDown = false;
  std::size_t stride = 0;
  std::unique_ptr<std::uint8_t[]> bits;
  std::vector<QRgb> colours;
};

struct BitmapObject {
  // The pixels of a compatible bitmap; for a section, the last conversion of its bits.
  QImage image;
  int width = 0;
  int height = 0;
  std::unique_ptr<Section> section;
  bool stock = false;
  HDC selectedInto = nullptr;
};

struct Bitmaps {
  std::unordered_map<ULONG_PTR, BitmapObject> objects;
  HBITMAP stockBitmap = nullptr;
  long long pixelBudget = -1;  // tests: pixels left for new bitmaps, -1 for no limit
};

Bitmaps& B() {
  static Bitmaps* bitmaps = new Bitmaps;  // lives for the process, like the window records
  return *bitmaps;
}

thread_local DWORD lastError = ERROR_SUCCESS;

BitmapObject* FindBitmap(HGDIOBJ bitmap) {
  auto it = B().objects.find(HandleValue(bitmap));
  return it == B().objects.end() ? nullptr : &it->second;
}

bool SizeAllowed(long long width, long long height) {
  return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide && width * height <= kMaxPixels;
}

// Room for another bitmap of this many pixels within the tests' budget.
bool Reserve(long long pixels) {
  Bitmaps& b = B();
  if (b.pixelBudget < 0) return true;
  if (pixels > b.pixelBudget) return false;
  b.pixelBudget -= pixels;
  return true;
}

HBITMAP AddBitmap(BitmapObject object) {
  const ULONG_PTR v = NextHandleValue();
  B().objects.emplace(v, std::move(object));
  return MakeHandle<HBITMAP>(v);
}

// A compatible bitmap holding `image` (any format; kept as 32-bit pixels).
HBITMAP AddImageBitmap(QImage image) {
  if (image.isNull() || !SizeAllowed(image.width(), image.height())) {
    lastError = ERROR_INVALID_PARAMETER;
    return nullptr;
  }
  if (!Reserve(static_cast<long long>(image.width()) * image.height())) {
    lastError = ERROR_NOT_ENOUGH_MEMORY;
    return nullptr;
  }
  if (image.format() != QImage::Format_RGB32) image = image.convertToFormat(QImage::Format_RGB32);
  BitmapObject object;
  object.width = image.width();
  object.height = image.height();
  object.image = std::move(image);
  return AddBitmap(std::move(object));
}

const std::uint8_t* SectionRow(const BitmapObject& b, int y) {
  const Section& s = *b.section;
  const int stored = s.topDown ? y : b.height - 1 - y;
  return s.bits.get() + static_cast<std::size_t>(stored) * s.stride;
}

QRgb TableColour(const Section& s, unsigned index) {
  // An index past the table shows black.
  return index < s.colours.size() ? s.colours[index] : qRgb(0, 0, 0);
}

// The section's bits as 32-bit pixels, read now (the program writes the bits directly).
void RefreshSectionImage(BitmapObject& b) {
  const Section& s = *b.section;
  if (b.image.isNull()) b.image = QImage(b.width, b.height, QImage::Format_RGB32);
  for (int y = 0; y < b.height; ++y) {
    const std::uint8_t* in = SectionRow(b, y);
    auto* out = reinterpret_cast<QRgb*>(b.image.scanLine(y));
    switch (s.bitCount) {
      case 32:
        for (int x = 0; x < b.width; ++x) out[x] = qRgb(in[4 * x + 2], in[4 * x + 1], in[4 * x]);
        break;
      case 24:
        for (int x = 0; x < b.width; ++x) out[x] = qRgb(in[3 * x + 2], in[3 * x + 1], in[3 * x]);
        break;
      case 8:
        for (int x = 0; x < b.width; ++x) out[x] = TableColour(s, in[x]);
        break;
      case 4:
        for (int x = 0; x < b.width; ++x) out[x] = TableColour(s, (in[x / 2] >> (x % 2 == 0 ? 4 : 0)) & 0x0F);
        break;
      case 1:
        for (int x = 0; x < b.width; ++x) out[x] = TableColour(s, (in[x / 8] >> (7 - x % 8)) & 1);
        break;
      default: break;
    }
  }
}

// Writes 32-bit pixels back into a 24- or 32-bit section.
void StoreSectionImage(BitmapObject& b) {
  const Section& s = *b.section;
  const int bytes = s.bitCount / 8;
  for (int y = 0; y < b.height; ++y) {
    const int stored = s.topDown ? y : b.height - 1 - y;
    std::uint8_t* out = s.bits.get() + static_cast<std::size_t>(stored) * s.stride;
    const auto* in = reinterpret_cast<const QRgb*>(b.image.constScanLine(y));
    for (int x = 0; x < b.width; ++x) {
      out[bytes * x] = static_cast<std::uint8_t>(qBlue(in[x]));
      out[bytes * x + 1] = static_cast<std::uint8_t>(qGreen(in[x]));
      out[bytes * x + 2] = static_cast<std::uint8_t>(qRed(in[x]));
      if (bytes == 4) out[bytes * x + 3] = 0;
    }
  }
}

const QImage& PixelsOf(BitmapObject& b) {
  if (b.section) RefreshSectionImage(b);
  return b.image;
}

DeviceContext* FindMemoryDc(HDC dc) {
  DeviceContext* d = FindDc(dc);
  return d && d->memory ? d : nullptr;
}

HBITMAP StockBitmap() {
  Bitmaps& b = B();
  if (!b.stockBitmap) {
    // What a new memory DC holds: one white pixel.
    BitmapObject object;
    object.width = object.height = 1;
    object.image = QImage(1, 1, QImage::Format_RGB32);
    object.image.fill(Qt::white);
    object.stock = true;
    b.stockBitmap = AddBitmap(std::move(object));
  }
  return b.stockBitmap;
}

}  // namespace

QImage* BitmapImage(HBITMAP bitmap) {
  BitmapObject* b = FindBitmap(bitmap);
  if (!b) return nullptr;
  PixelsOf(*b);
  return &b->image;
}

HBITMAP BitmapFromImage(const QImage& image) { return AddImageBitmap(image); }

bool IsBitmap(HGDIOBJ object) { return FindBitmap(object) != nullptr; }

BOOL DeleteBitmap(HGDIOBJ object) {
  auto it = B().objects.find(HandleValue(object));
  if (it == B().objects.end()) return FALSE;
  if (it->second.stock) return TRUE;
  // A bitmap still selected into a memory DC stays (as on the platform).
  if (it->second.selectedInto && FindDc(it->second.selectedInto)) return FALSE;
  B().objects.erase(it);
  return TRUE;
}

int BitmapObjectInfo(HGDIOBJ object, int size, LPVOID out) {
  BitmapObject* b = FindBitmap(object);
  if (!b) return -1;
  if (!out) return static_cast<int>(sizeof(BITMAP));
  if (size < static_cast<int>(sizeof(BITMAP))) return 0;
  BITMAP bm{};
  bm.bmWidth = b->width;
  bm.bmHeight = b->height;
  bm.bmPlanes = 1;
  if (b->section) {
    bm.bmWidthBytes = static_cast<LONG>(b->section->stride);
    bm.bmBitsPixel = static_cast<WORD>(b->section->bitCount);
    bm.bmBits = b->section->bits.get();
  } else {
    bm.bmWidthBytes = b->width * 4;
    bm.bmBitsPixel = 32;
  }
  std::memcpy(out, &bm, sizeof bm);
  return static_cast<int>(sizeof bm);
}

int LiveBitmapCount() {
  int count = 0;
  for (const auto& [v, b] : B().objects) count += b.stock ? 0 : 1;
  return count;
}

HGDIOBJ SelectBitmap(HDC dc, HBITMAP bitmap) {
  DeviceContext* d = FindMemoryDc(dc);
  BitmapObject* b = FindBitmap(bitmap);
  if (!d || !b) return nullptr;
  // A bitmap is selected into one DC at a time.
  if (b->selectedInto && b->selectedInto != dc && FindDc(b->selectedInto)) return nullptr;
  HBITMAP old = d->bitmap;
  if (BitmapObject* previous = FindBitmap(old)) previous->selectedInto = nullptr;
  d->bitmap = bitmap;
  b->selectedInto = b->stock ? nullptr : dc;
  return old;
}

}  // namespace ploxa::win

using namespace ploxa::win;

DWORD GetLastError() { return lastError; }
void SetLastError(DWORD code) { lastError = code; }

void SetBitmapPixelBudget(long long pixels) { B().pixelBudget = pixels; }

HBITMAP CreateCompatibleBitmap(HDC, int width, int height) {
  // The platform gives a 1 x 1 bitmap for an empty size.
  if (width <= 0 || height <= 0) width = height = 1;
  if (!SizeAllowed(width, height)) {
    lastError = ERROR_INVALID_PARAMETER;
    return nullptr;
  }
  QImage image(width, height, QImage::Format_RGB32);
  if (image.isNull()) {
    lastError = ERROR_NOT_ENOUGH_MEMORY;
    return nullptr;
  }
  image.fill(Qt::black);
  return AddImageBitmap(std::move(image));
}

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* info, UINT usage, void** bits, HANDLE fileMapping, DWORD) {
  if (bits) *bits = nullptr;
  lastError = ERROR_INVALID_PARAMETER;
  if (!info || usage != DIB_RGB_COLORS || fileMapping) return nullptr;
  const BITMAPINFOHEADER& h = info->bmiHeader;
  const int bitCount = h.biBitCount;
  if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biPlanes != 1 || h.biCompression != BI_RGB) return nullptr;
  if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32) return nullptr;
  const long long width = h.biWidth;
  const long long height = h.biHeight < 0 ? -static_cast<long long>(h.biHeight) : h.biHeight;
  if (!SizeAllowed(width, height)) return nullptr;

  auto section = std::make_unique<Section>();
  section->bitCount = bitCount;
  section->topDown = h.biHeight < 0;
  section->stride = static_cast<std::size_t>((width * bitCount + 31) / 32 * 4);
  if (bitCount <= 8) {
    // The table follows the header; biClrUsed 0 means a full table.
    const std::size_t full = std::size_t{1} << bitCount;
    const std::size_t used = h.biClrUsed == 0 ? full : std::min<std::size_t>(h.biClrUsed, full);
    const auto* table = reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const BYTE*>(info) + h.biSize);
    for (std::size_t i = 0; i < used; ++i) section->colours.push_back(qRgb(table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue));
  }
  if (!Reserve(width * height)) {
    lastError = ERROR_NOT_ENOUGH_MEMORY;
    return nullptr;
  }
  const std::size_t size = section->stride * static_cast<std::size_t>(height);
  section->bits.reset(new (std::nothrow) std::uint8_t[size]());
  if (!section->bits) {
    lastError = ERROR_NOT_ENOUGH_MEMORY;
    return nullptr;
  }
  BitmapObject object;
  object.width = static_cast<int>(width);
  object.height = static_cast<int>(height);
  if (bits) *bits = section->bits.get();
  object.section = std::move(section);
  lastError = ERROR_SUCCESS;
  return AddBitmap(std::move(object));
}

HDC CreateCompatibleDC(HDC dc) {
  if (dc && !FindDc(dc)) {
    ReportBadHandle("CreateCompatibleDC", dc);
    return nullptr;
  }
  HDC memory = CreatePaintDc(nullptr, nullptr, QPoint());
  DeviceContext* d = FindDc(memory);
  d->memory = true;
  d->bitmap = StockBitmap();
  return memory;
}

BOOL DeleteDC(HDC dc) {
  DeviceContext* d = FindMemoryDc(dc);
  if (!d) return FALSE;
  if (BitmapObject* b = FindBitmap(d->bitmap)) b->selectedInto = nullptr;
  DeletePaintDc(dc);
  return TRUE;
}

int SetStretchBltMode(HDC dc, int mode) {
  DeviceContext* d = FindDc(dc);
  if (!d || mode < BLACKONWHITE || mode > HALFTONE) return 0;
  const int old = d->stretchMode;
  d->stretchMode = mode;
  return old;
}

int GetStretchBltMode(HDC dc) {
  DeviceContext* d = FindDc(dc);
  return d ? d->stretchMode : 0;
}

BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                int sourceWidth, int sourceHeight, DWORD rop) {
  DeviceContext* to = FindDc(dest);
  DeviceContext* from = FindMemoryDc(source);
  if (!to || !from || rop != SRCCOPY) return FALSE;
  if (width <= 0 || height <= 0 || sourceWidth <= 0 || sourceHeight <= 0) return FALSE;
  BitmapObject* in = FindBitmap(from->bitmap);
  BitmapObject* out = to->memory ? FindBitmap(to->bitmap) : nullptr;
  if (!in || (to->memory && !out)) return FALSE;
  // Only sections of 24 and 32 bits take drawing.
  if (out && out->section && out->section->bitCount < 24) return FALSE;
  const QRect sourceRect(sourceX, sourceY, sourceWidth, sourceHeight);
  if (!QRect(0, 0, in->width, in->height).contains(sourceRect)) return FALSE;

  const QImage& pixels = PixelsOf(*in);
  const QImage part = sourceRect == pixels.rect() ? pixels : pixels.copy(sourceRect);
  // HALFTONE averages every source pixel that falls in a target pixel; the other modes pick one.
  const Qt::TransformationMode mode =
      to->stretchMode == HALFTONE ? Qt::SmoothTransformation : Qt::FastTransformation;
  const QImage scaled = part.size() == QSize(width, height) ? part : part.scaled(width, height, Qt::IgnoreAspectRatio, mode);
  if (scaled.isNull()) return FALSE;

  if (!out) {
    if (!to->painter) return FALSE;
    to->painter->drawImage(QPoint(x, y), scaled);
    return TRUE;
  }
  if (out->section) RefreshSectionImage(*out);
  {
    QPainter painter(&out->image);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QPoint(x, y), scaled);
  }
  if (out->section) StoreSectionImage(*out);
  return TRUE;
}

HANDLE CopyImage(HANDLE image, UINT type, int width, int height, UINT flags) {
  if (type != IMAGE_BITMAP || width < 0 || height < 0 || (flags & ~LR_COPYDELETEORG) != 0) {
    lastError = ERROR_INVALID_PARAMETER;
    return nullptr;
  }
  BitmapObject* b = FindBitmap(image);
  if (!b) {
    lastError = ERROR_INVALID_HANDLE;
    return nullptr;
  }
  const QImage& pixels = PixelsOf(*b);
  const QSize size(width == 0 ? b->width : width, height == 0 ? b->height : height);
  QImage copy = size == pixels.size() ? pixels.copy() : pixels.scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
  if (copy.isNull()) {
    lastError = ERROR_NOT_ENOUGH_MEMORY;
    return nullptr;
  }
  HBITMAP result = AddImageBitmap(std::move(copy));
  if (result && (flags & LR_COPYDELETEORG)) DeleteObject(image);
  return result;
}

