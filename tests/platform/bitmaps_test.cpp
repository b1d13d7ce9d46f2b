// Bitmaps: sections in their own layout, memory DCs, StretchBlt's modes,
// CopyImage and the last error.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <cstring>
#include <vector>

#include "tests/platform/platform_test_support.h"

using ploxa::win::BitmapImage;

namespace {

// A header with room for a full colour table.
struct SectionInfo {
  BITMAPINFOHEADER header;
  RGBQUAD colours[256];
};

SectionInfo Header(int width, int height, int bitCount, std::vector<QRgb> table = {}) {
  SectionInfo info{};
  info.header.biSize = sizeof(BITMAPINFOHEADER);
  info.header.biWidth = width;
  info.header.biHeight = height;
  info.header.biPlanes = 1;
  info.header.biBitCount = static_cast<WORD>(bitCount);
  info.header.biCompression = BI_RGB;
  info.header.biClrUsed = static_cast<DWORD>(table.size());
  for (std::size_t i = 0; i < table.size(); ++i) {
    info.colours[i] = RGBQUAD{static_cast<BYTE>(qBlue(table[i])), static_cast<BYTE>(qGreen(table[i])),
                              static_cast<BYTE>(qRed(table[i])), 0};
  }
  return info;
}

HBITMAP Section(const SectionInfo& info, void** bits) {
  return CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS, bits, nullptr, 0);
}

// Stretches `from` (all of it) into a new compatible bitmap of the given size.
HBITMAP Stretched(HBITMAP from, int width, int height, int mode) {
  BITMAP source{};
  EXPECT_EQ(GetObjectA(from, sizeof source, &source), static_cast<int>(sizeof source));
  HBITMAP to = CreateCompatibleBitmap(nullptr, width, height);
  HDC screen = GetDC(nullptr);
  HDC fromDc = CreateCompatibleDC(screen);
  HDC toDc = CreateCompatibleDC(screen);
  HGDIOBJ oldFrom = SelectObject(fromDc, from);
  HGDIOBJ oldTo = SelectObject(toDc, to);
  EXPECT_NE(oldFrom, nullptr);
  SetStretchBltMode(toDc, mode);
  EXPECT_TRUE(StretchBlt(toDc, 0, 0, width, height, fromDc, 0, 0, source.bmWidth, source.bmHeight, SRCCOPY));
  SelectObject(fromDc, oldFrom);
  SelectObject(toDc, oldTo);
  EXPECT_TRUE(DeleteDC(fromDc));
  EXPECT_TRUE(DeleteDC(toDc));
  ReleaseDC(nullptr, screen);
  return to;
}

QColor Pixel(HBITMAP bitmap, int x, int y) { return QColor(BitmapImage(bitmap)->pixel(x, y)); }

TEST(Bitmaps, SectionsKeepTheirLayoutAndShowTheirColours) {
  const QRgb red = qRgb(255, 0, 0), green = qRgb(0, 255, 0), blue = qRgb(0, 0, 255), white = qRgb(255, 255, 255);
  // Each section is 3 x 2: top row red, green, blue; bottom row white.
  struct Case {
    int bitCount;
    bool topDown;
    std::vector<QRgb> table;
    std::vector<std::uint8_t> top, bottom;  // row bytes, before padding
  };
  const Case cases[] = {
      {32, true, {}, {0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0}, {255, 255, 255, 0, 255, 255, 255, 0, 255, 255, 255, 0}},
      {32, false, {}, {0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0}, {255, 255, 255, 0, 255, 255, 255, 0, 255, 255, 255, 0}},
      {24, true, {}, {0, 0, 255, 0, 255, 0, 255, 0, 0}, {255, 255, 255, 255, 255, 255, 255, 255, 255}},
      {24, false, {}, {0, 0, 255, 0, 255, 0, 255, 0, 0}, {255, 255, 255, 255, 255, 255, 255, 255, 255}},
      {8, true, {white, red, green, blue}, {1, 2, 3}, {0, 0, 0}},
      {8, false, {white, red, green, blue}, {1, 2, 3}, {0, 0, 0}},
      {4, true, {white, red, green, blue}, {0x12, 0x30}, {0x00, 0x00}},
      {1, true, {white, red}, {0b11100000}, {0}},  // 1-bit: red, red, red
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.bitCount << " bits, " << (c.topDown ? "top-down" : "bottom-up"));
    const SectionInfo info = Header(3, c.topDown ? -2 : 2, c.bitCount, c.table);
    void* bits = nullptr;
    HBITMAP section = Section(info, &bits);
    ASSERT_NE(section, nullptr);
    ASSERT_NE(bits, nullptr);
    BITMAP bm{};
    ASSERT_EQ(GetObjectA(section, sizeof bm, &bm), static_cast<int>(sizeof bm));
    const int stride = (3 * c.bitCount + 31) / 32 * 4;
    EXPECT_EQ(bm.bmWidth, 3);
    EXPECT_EQ(bm.bmHeight, 2);
    EXPECT_EQ(bm.bmWidthBytes, stride);
    EXPECT_EQ(bm.bmBitsPixel, c.bitCount);
    EXPECT_EQ(bm.bmBits, bits);
    auto* rows = static_cast<std::uint8_t*>(bits);
    for (int i = 0; i < 2 * stride; ++i) ASSERT_EQ(rows[i], 0) << "bits start cleared";
    // The first row in memory is the top one for a top-down section, the bottom one otherwise.
    std::memcpy(rows + (c.topDown ? 0 : stride), c.top.data(), c.top.size());
    std::memcpy(rows + (c.topDown ? stride : 0), c.bottom.data(), c.bottom.size());

    HBITMAP copy = Stretched(section, 3, 2, COLORONCOLOR);
    const QRgb expectedTop[3] = {red, c.bitCount == 1 ? red : green, c.bitCount == 1 ? red : blue};
    for (int x = 0; x < 3; ++x) {
      EXPECT_EQ(Pixel(copy, x, 0), QColor(expectedTop[x])) << "x " << x;
      EXPECT_EQ(Pixel(copy, x, 1), QColor(white)) << "x " << x;
    }
    EXPECT_TRUE(DeleteObject(copy));
    EXPECT_TRUE(DeleteObject(section));
  }
}

TEST(Bitmaps, SectionsRefuseLayoutsTheyDoNotKeep) {
  auto refused = [](SectionInfo info, UINT usage = DIB_RGB_COLORS) {
    void* bits = reinterpret_cast<void*>(1);
    SetLastError(0);
    HBITMAP b = CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(&info), usage, &bits, nullptr, 0);
    const bool ok = b == nullptr && bits == nullptr && GetLastError() == ERROR_INVALID_PARAMETER;
    if (b) DeleteObject(b);
    return ok;
  };
  SectionInfo info = Header(4, 4, 16);
  EXPECT_TRUE(refused(info)) << "16 bits";
  info = Header(4, 4, 24);
  info.header.biCompression = 1;
  EXPECT_TRUE(refused(info)) << "compressed";
  EXPECT_TRUE(refused(Header(0, 4, 24))) << "no width";
  EXPECT_TRUE(refused(Header(4, 0, 24))) << "no height";
  EXPECT_TRUE(refused(Header(20000, 1, 24))) << "too wide";
  EXPECT_TRUE(refused(Header(4, 4, 8), DIB_PAL_COLORS)) << "palette indexes";
  EXPECT_EQ(CreateDIBSection(nullptr, nullptr, DIB_RGB_COLORS, nullptr, nullptr, 0), nullptr);
}

TEST(Bitmaps, HalftoneAveragesWhereTheOtherModesPick) {
  // A black and white checkerboard of 4 x 4 made 2 x 2: each target pixel covers two of each.
  HBITMAP board = CreateCompatibleBitmap(nullptr, 4, 4);
  QImage* pixels = BitmapImage(board);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) pixels->setPixel(x, y, (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
  }
  HBITMAP smooth = Stretched(board, 2, 2, HALFTONE);
  HBITMAP picked = Stretched(board, 2, 2, COLORONCOLOR);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 2; ++x) {
      EXPECT_NEAR(Pixel(smooth, x, y).red(), 128, 2) << x << ", " << y;
      const int red = Pixel(picked, x, y).red();
      EXPECT_TRUE(red == 0 || red == 255) << x << ", " << y << ": " << red;
    }
  }
  // Enlarging a two-colour 1-bit section smoothly blends across the edge.
  const SectionInfo info = Header(2, -1, 1, {qRgb(0, 0, 0), qRgb(255, 255, 255)});
  void* bits = nullptr;
  HBITMAP mono = Section(info, &bits);
  static_cast<std::uint8_t*>(bits)[0] = 0b01000000;  // black, white
  HBITMAP wide = Stretched(mono, 8, 1, HALFTONE);
  EXPECT_EQ(Pixel(wide, 0, 0), QColor(0, 0, 0));
  EXPECT_EQ(Pixel(wide, 7, 0), QColor(255, 255, 255));
  const int middle = Pixel(wide, 4, 0).red();
  EXPECT_GT(middle, 0);
  EXPECT_LT(middle, 255);
  for (HBITMAP b : {board, smooth, picked, mono, wide}) EXPECT_TRUE(DeleteObject(b));
}

TEST(Bitmaps, MemoryDcsSelectionAndStretchRefusals) {
  const int before = GetGdiObjectCounts().bitmaps;
  HBITMAP bitmap = CreateCompatibleBitmap(nullptr, 10, 10);
  HDC screen = GetDC(nullptr);
  HDC first = CreateCompatibleDC(screen);
  HDC second = CreateCompatibleDC(screen);
  HGDIOBJ stock = SelectObject(first, bitmap);
  ASSERT_NE(stock, nullptr) << "a new memory DC holds a stock bitmap";
  EXPECT_EQ(GetGdiObjectCounts().bitmaps, before + 1) << "which is not counted";
  EXPECT_EQ(SelectObject(second, bitmap), nullptr) << "one DC at a time";
  EXPECT_FALSE(DeleteObject(bitmap)) << "a selected bitmap stays";

  HBITMAP target = CreateCompatibleBitmap(nullptr, 10, 10);
  SelectObject(second, target);
  EXPECT_FALSE(StretchBlt(second, 0, 0, 5, 5, first, 0, 0, 10, 10, 0x00EE0086)) << "only SRCCOPY";
  EXPECT_FALSE(StretchBlt(second, 0, 0, 5, 5, first, 5, 5, 10, 10, SRCCOPY)) << "source outside the bitmap";
  EXPECT_FALSE(StretchBlt(second, 0, 0, -5, 5, first, 0, 0, 10, 10, SRCCOPY)) << "mirroring";
  EXPECT_FALSE(StretchBlt(second, 0, 0, 5, 5, screen, 0, 0, 10, 10, SRCCOPY)) << "the screen DC has no pixels";
  EXPECT_EQ(SetStretchBltMode(second, HALFTONE), BLACKONWHITE);
  EXPECT_EQ(GetStretchBltMode(second), HALFTONE);
  EXPECT_EQ(SetStretchBltMode(second, 9), 0);

  EXPECT_EQ(SelectObject(first, stock), bitmap);
  EXPECT_FALSE(DeleteDC(screen)) << "a GetDC DC is released, not deleted";
  EXPECT_TRUE(DeleteDC(first));
  EXPECT_TRUE(DeleteDC(second));
  EXPECT_FALSE(DeleteDC(first)) << "stale";
  EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
  EXPECT_TRUE(DeleteObject(bitmap));
  EXPECT_TRUE(DeleteObject(target)) << "its DC is gone, so it is free again";
  EXPECT_EQ(GetGdiObjectCounts().bitmaps, before);
}

TEST(Bitmaps, CopyImageCopiesOrSaysWhyNot) {
  HBITMAP original = CreateCompatibleBitmap(nullptr, 6, 3);
  BitmapImage(original)->fill(qRgb(10, 20, 30));
  auto copy = static_cast<HBITMAP>(CopyImage(original, IMAGE_BITMAP, 0, 0, 0));
  ASSERT_NE(copy, nullptr);
  EXPECT_NE(copy, original);
  EXPECT_EQ(*BitmapImage(copy), *BitmapImage(original));
  BitmapImage(copy)->fill(qRgb(0, 0, 0));
  EXPECT_EQ(Pixel(original, 0, 0), QColor(10, 20, 30)) << "the copy has pixels of its own";

  SetLastError(0);
  EXPECT_EQ(CopyImage(reinterpret_cast<HANDLE>(0x7FFFFFF0), IMAGE_BITMAP, 0, 0, 0), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(CopyImage(original, IMAGE_ICON, 0, 0, 0), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

  SetBitmapPixelBudget(17);  // less than 6 x 3
  EXPECT_EQ(CopyImage(original, IMAGE_BITMAP, 0, 0, 0), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);
  SetBitmapPixelBudget(-1);

  const int before = GetGdiObjectCounts().bitmaps;
  auto moved = static_cast<HBITMAP>(CopyImage(original, IMAGE_BITMAP, 12, 6, LR_COPYDELETEORG));
  ASSERT_NE(moved, nullptr);
  EXPECT_EQ(BitmapImage(moved)->size(), QSize(12, 6));
  EXPECT_EQ(BitmapImage(original), nullptr) << "the original is deleted";
  EXPECT_EQ(GetGdiObjectCounts().bitmaps, before);
  EXPECT_TRUE(DeleteObject(copy));
  EXPECT_TRUE(DeleteObject(moved));
}

}  // namespace
