#include "pictures/picture_loading.h"

#include <utility>
#include <vector>

#include "pictures/png_bitmap.h"
#include "pictures/png_decoder.h"
#include "platform/picture_loader.h"
#include "platform/win_api.h"

namespace {

PictureSource& Source() {
  static PictureSource source;
  return source;
}

// A memory DC of the screen's with `bitmap` selected; gives back what it held
// and goes when the scope ends.
class MemoryDc {
 public:
  MemoryDc(HDC screen, HBITMAP bitmap) : dc_(CreateCompatibleDC(screen)), previous_(SelectObject(dc_, bitmap)) {}
  MemoryDc(const MemoryDc&) = delete;
  MemoryDc& operator=(const MemoryDc&) = delete;
  ~MemoryDc() {
    SelectObject(dc_, previous_);
    DeleteDC(dc_);
  }
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

void ShowPictureMessage(const char* text, UINT icon) { MessageBoxA(nullptr, text, "Information", MB_OK | icon); }

// The picture at its own size (or reduced for the box, see ShownSize), copied
// out of the loader's picture object.
HBITMAP DecodeForBox(const std::uint8_t* bytes, std::size_t count, int boxWidth, int boxHeight) {
  ShownSize shown;
  if (boxWidth > 0 && boxHeight > 0) {
    shown = [boxWidth, boxHeight](SIZE size) {
      const PictureDimensions fitted = FittedSize(size.cx, size.cy, boxWidth, boxHeight);
      return SIZE{fitted.width, fitted.height};
    };
  }
  const LoadedPicture picture = LoadPictureFromBytes(bytes, count, shown);
  if (!picture) return nullptr;
  auto copy = static_cast<HBITMAP>(CopyImage(picture.Handle(), IMAGE_BITMAP, 0, 0, 0));
  if (copy == nullptr) {
    char text[64];
    wsprintfA(text, "%s plante avec l'erreur : %d\n", "CopyImage", static_cast<int>(GetLastError()));
    ShowPictureMessage(text, MB_ICONINFORMATION);
  }
  return copy;
}

}  // namespace

void SetPictureSource(PictureSource source) { Source() = std::move(source); }

void ExchangeNibbles(std::uint8_t* bytes, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>((bytes[i] << 4) | (bytes[i] >> 4));
}

PictureDimensions FittedSize(int width, int height, int boxWidth, int boxHeight) {
  if (width <= 0 || height <= 0) return {0, 0};
  const double rw = static_cast<double>(boxWidth) / width;
  const double rh = static_cast<double>(boxHeight) / height;
  const double r = rh > rw ? rw : rh;
  return {static_cast<int>(width * r), static_cast<int>(height * r)};
}

HBITMAP DecodePictureBytes(const std::uint8_t* bytes, std::size_t count) { return DecodeForBox(bytes, count, 0, 0); }

HBITMAP ScaleBitmapToFit(HBITMAP bitmap, int boxWidth, int boxHeight) {
  if (bitmap == nullptr) return nullptr;
  BITMAP source{};
  GetObjectA(bitmap, sizeof source, &source);
  const PictureDimensions fitted = FittedSize(source.bmWidth, source.bmHeight, boxWidth, boxHeight);
  // A picture too thin to show at this size gives none, not a 1 x 1 bitmap.
  if (fitted.width <= 0 || fitted.height <= 0) {
    DeleteObject(bitmap);
    return nullptr;
  }
  HDC screen = GetDC(nullptr);
  HBITMAP result = CreateCompatibleBitmap(screen, fitted.width, fitted.height);
  {
    const MemoryDc from(screen, bitmap);
    const MemoryDc to(screen, result);
    SetStretchBltMode(to.Get(), HALFTONE);
    StretchBlt(to.Get(), 0, 0, fitted.width, fitted.height, from.Get(), 0, 0, source.bmWidth, source.bmHeight,
               SRCCOPY);
  }
  DeleteObject(bitmap);
  ReleaseDC(nullptr, screen);
  return result;
}

HBITMAP LoadPngResource(HINSTANCE module, int id, int boxWidth, int boxHeight) {
  PngInfo info{};
  PngInit(info);
  if (!PngLoadResource(info, module, static_cast<WORD>(id))) return nullptr;
  if (!PngDecode(info)) {
    ShowPictureMessage("Error: couldn't decode PNG resource", MB_ICONERROR);
    PngRelease(info);
    return nullptr;
  }
  HBITMAP bitmap = PngCreateBitmap(info, nullptr, PNG_OUTPUT_NATURAL, true);
  if (bitmap == nullptr) {
    ShowPictureMessage("Error: couldn't create bitmap", MB_ICONERROR);
    PngRelease(info);
    return nullptr;
  }
  PngRelease(info);
  return ScaleBitmapToFit(bitmap, boxWidth, boxHeight);
}

HBITMAP LoadPicture(HINSTANCE module, int id, LPCSTR type, int boxWidth, int boxHeight) {
  if (Source()) return Source()(id, boxWidth, boxHeight);
  HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(static_cast<WORD>(id)), type);
  HGLOBAL loaded = resource != nullptr ? LoadResource(module, resource) : nullptr;
  if (loaded == nullptr) return ScaleBitmapToFit(LoadPngResource(module, id, boxWidth, boxHeight), boxWidth, boxHeight);
  const auto* bytes = static_cast<const std::uint8_t*>(LockResource(loaded));
  const std::size_t count = SizeofResource(module, resource);
  // The resource stays as stored: the exchange works on a copy.
  std::vector<std::uint8_t> exchanged;
  if (id > 10000) {
    exchanged.assign(bytes, bytes + count);
    ExchangeNibbles(exchanged.data(), exchanged.size());
    bytes = exchanged.data();
  }
  HBITMAP decoded = DecodeForBox(bytes, count, boxWidth, boxHeight);
  FreeResource(loaded);
  return ScaleBitmapToFit(decoded, boxWidth, boxHeight);
}

HBITMAP DecodeAndFit(const std::uint8_t* bytes, std::size_t count, int boxWidth, int boxHeight) {
  return ScaleBitmapToFit(DecodeForBox(bytes, count, boxWidth, boxHeight), boxWidth, boxHeight);
}

PictureDimensions PictureSize(HBITMAP bitmap) {
  BITMAP info{};
  if (bitmap == nullptr || GetObjectA(bitmap, sizeof info, &info) == 0) return {260, 0};
  return {static_cast<int>(info.bmWidth), static_cast<int>(info.bmHeight)};
}
