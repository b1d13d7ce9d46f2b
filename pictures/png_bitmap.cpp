#include "pictures/png_bitmap.h"

#include <cstring>

#include "platform/win_api.h"

namespace {

// A bitmap header followed by room for a full colour table.
struct SectionInfo {
  BITMAPINFOHEADER header;
  RGBQUAD colours[256];
};

}  // namespace

HBITMAP PngCreateBitmap(PngInfo& info, HWND window, std::uint32_t outputCode, bool section) {
  if (info.state != PNG_STATE_DECODED) {
    info.error = PNG_ERROR_STATE;
    return nullptr;
  }
  DibLayout layout{};
  std::uint32_t chosen = 0;
  if (!PngFillBitmapInfo(info, layout, outputCode, chosen)) return nullptr;

  SectionInfo bitmapInfo{};
  bitmapInfo.header.biSize = sizeof(BITMAPINFOHEADER);
  bitmapInfo.header.biWidth = layout.width;
  bitmapInfo.header.biHeight = layout.height;
  bitmapInfo.header.biPlanes = 1;
  bitmapInfo.header.biBitCount = layout.bitsPerPixel;
  bitmapInfo.header.biCompression = BI_RGB;
  bitmapInfo.header.biClrUsed = layout.colourCount;
  for (int i = 0; i < 256; ++i) {
    const std::uint32_t rgb = layout.colourTable[i];
    bitmapInfo.colours[i] = RGBQUAD{static_cast<BYTE>(rgb), static_cast<BYTE>(rgb >> 8), static_cast<BYTE>(rgb >> 16), 0};
  }

  HDC dc = GetDC(window);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(dc, reinterpret_cast<const BITMAPINFO*>(&bitmapInfo), DIB_RGB_COLORS, &bits,
                                    nullptr, 0);
  if (bitmap == nullptr || bits == nullptr) {
    info.error = PNG_ERROR_BITMAP;
    if (bitmap) DeleteObject(bitmap);
    ReleaseDC(window, dc);
    return nullptr;
  }
  if (!PngRenderRows(info, static_cast<std::uint8_t*>(bits), PngBitmapBytes(layout), chosen)) {
    DeleteObject(bitmap);
    ReleaseDC(window, dc);
    return nullptr;
  }
  ReleaseDC(window, dc);
  if (section) return bitmap;
  // A screen-compatible bitmap: a copy of the section, which goes.
  HBITMAP compatible = static_cast<HBITMAP>(CopyImage(bitmap, IMAGE_BITMAP, 0, 0, LR_COPYDELETEORG));
  if (compatible == nullptr) {
    info.error = GetLastError() == ERROR_NOT_ENOUGH_MEMORY ? PNG_ERROR_NO_MEMORY : PNG_ERROR_BITMAP;
    DeleteObject(bitmap);
  }
  return compatible;
}
