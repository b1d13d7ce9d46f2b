#include "pictures/picture_loading.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "pictures/png_decoder.h"
#include "platform/qt_access.h"
#include "platform/win_api.h"

namespace {

constexpr long long MAX_PICTURE_PIXELS = 64LL * 1000 * 1000;

PictureSource& Source() {
  static PictureSource source;
  return source;
}

int reducedJpegDecodes = 0;

// A screen-compatible bitmap holding the image.
HBITMAP BitmapOf(const QImage& image) {
  if (image.isNull()) return nullptr;
  HBITMAP bitmap = CreateCompatibleBitmap(nullptr, image.width(), image.height());
  QImage* target = ploxa::win::BitmapImage(bitmap);
  if (target == nullptr) return nullptr;
  QPainter painter(target);
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  painter.drawImage(0, 0, image);
  return bitmap;
}

// JPEGs whose fitted size is far smaller than the picture are decoded at the
// smallest of libjpeg's scales (1/2, 1/4, 1/8) that still leaves at least
// twice the fitted size; the fitted size itself comes from the picture's own size.
void ChooseReducedScale(QImageReader& reader, QSize size, int boxWidth, int boxHeight) {
  if (reader.format() != "jpeg" && reader.format() != "jpg") return;
  const PictureDimensions fitted = FittedSize(size.width(), size.height(), boxWidth, boxHeight);
  int scale = 1;
  while (scale < 8 && size.width() / (scale * 2) >= 2 * fitted.width && size.height() / (scale * 2) >= 2 * fitted.height) {
    scale *= 2;
  }
  if (scale == 1) return;
  reader.setScaledSize(QSize((size.width() + scale - 1) / scale, (size.height() + scale - 1) / scale));
  ++reducedJpegDecodes;
}

QImage Decode(const std::uint8_t* bytes, std::size_t count, int boxWidth, int boxHeight) {
  if (bytes == nullptr || count == 0 || count > static_cast<std::size_t>(INT32_MAX)) return {};
  QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(count));
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  reader.setAutoTransform(false);
  const QSize size = reader.size();
  if (!size.isValid() || static_cast<long long>(size.width()) * size.height() > MAX_PICTURE_PIXELS) return {};
  if (boxWidth > 0 && boxHeight > 0) ChooseReducedScale(reader, size, boxWidth, boxHeight);
  QImage image = reader.read();
  return image;
}

void ShowPictureMessage(const char* text, UINT icon) { MessageBoxA(nullptr, text, "Information", MB_OK | icon); }

// The rows of a decoded PNG, in its bitmap layout, as an image.
QImage PngImage(PngInfo& info) {
  DibLayout layout{};
  std::uint32_t code = 0;
  if (!PngFillBitmapInfo(info, layout, static_cast<std::uint32_t>(-1), code)) return {};
  std::vector<std::uint8_t> bits(PngBitmapBytes(layout));
  if (!PngRenderRows(info, bits.data(), bits.size(), code)) return {};
  const int width = layout.width;
  const int height = layout.height < 0 ? -layout.height : layout.height;
  const auto stride = static_cast<qsizetype>(PngBitmapStride(layout));
  QImage::Format format = QImage::Format_Indexed8;
  switch (layout.bitsPerPixel) {
    case 1: format = QImage::Format_Mono; break;
    case 4: format = QImage::Format_Indexed8; break;
    case 8: format = QImage::Format_Indexed8; break;
    case 24: format = QImage::Format_BGR888; break;
    case 32: format = QImage::Format_ARGB32; break;
    default: return {};
  }
  QImage image(width, height, format);
  if (image.isNull()) return {};
  QList<QRgb> table;
  const int entries = layout.colourCount != 0 ? static_cast<int>(layout.colourCount) : (1 << std::min<int>(layout.bitsPerPixel, 8));
  if (layout.bitsPerPixel <= 8) {
    for (int i = 0; i < entries && i < 256; ++i) table.push_back(0xFF000000u | layout.colourTable[i]);
    while (table.size() < (1 << std::min<int>(layout.bitsPerPixel, 8))) table.push_back(0xFF000000u);
    image.setColorTable(table);
  }
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* row = bits.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(stride);
    std::uint8_t* out = image.scanLine(y);
    if (layout.bitsPerPixel == 4) {
      for (int x = 0; x < width; ++x) out[x] = (x % 2 == 0) ? row[x / 2] >> 4 : row[x / 2] & 0x0F;
    } else {
      std::memcpy(out, row, std::min<std::size_t>(static_cast<std::size_t>(image.bytesPerLine()), static_cast<std::size_t>(stride)));
    }
  }
  // The bitmap shows colour only: alpha is kept in the layout but never composited.
  return image.convertToFormat(QImage::Format_RGB32);
}

}  // namespace

void SetPictureSource(PictureSource source) { Source() = std::move(source); }
int ReducedJpegDecodes() { return reducedJpegDecodes; }

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

HBITMAP DecodePictureBytes(const std::uint8_t* bytes, std::size_t count) { return BitmapOf(Decode(bytes, count, 0, 0)); }

HBITMAP ScaleBitmapToFit(HBITMAP bitmap, int boxWidth, int boxHeight) {
  if (bitmap == nullptr) return nullptr;
  const QImage* source = ploxa::win::BitmapImage(bitmap);
  HBITMAP fitted = nullptr;
  if (source != nullptr) {
    const PictureDimensions size = FittedSize(source->width(), source->height(), boxWidth, boxHeight);
    // A picture too thin to show at this size gives none.
    if (size.width > 0 && size.height > 0) {
      fitted = BitmapOf(source->scaled(size.width, size.height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    }
  }
  DeleteObject(bitmap);
  return fitted;
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
  HBITMAP bitmap = BitmapOf(PngImage(info));
  PngRelease(info);
  if (bitmap == nullptr) {
    ShowPictureMessage("Error: couldn't create bitmap", MB_ICONERROR);
    return nullptr;
  }
  return ScaleBitmapToFit(bitmap, boxWidth, boxHeight);
}

HBITMAP LoadPicture(HINSTANCE module, int id, LPCSTR type, int boxWidth, int boxHeight) {
  if (Source()) return Source()(id, boxWidth, boxHeight);
  HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(static_cast<WORD>(id)), type);
  HGLOBAL loaded = resource != nullptr ? LoadResource(module, resource) : nullptr;
  if (loaded == nullptr) return ScaleBitmapToFit(LoadPngResource(module, id, boxWidth, boxHeight), boxWidth, boxHeight);
  const auto* bytes = static_cast<const std::uint8_t*>(LockResource(loaded));
  const std::size_t count = SizeofResource(module, resource);
  std::vector<std::uint8_t> exchanged;
  if (id > 10000) {
    exchanged.assign(bytes, bytes + count);
    ExchangeNibbles(exchanged.data(), exchanged.size());
    bytes = exchanged.data();
  }
  HBITMAP fitted = DecodeAndFit(bytes, count, boxWidth, boxHeight);
  FreeResource(loaded);
  return fitted;
}

HBITMAP DecodeAndFit(const std::uint8_t* bytes, std::size_t count, int boxWidth, int boxHeight) {
  return ScaleBitmapToFit(BitmapOf(Decode(bytes, count, boxWidth, boxHeight)), boxWidth, boxHeight);
}

PictureDimensions PictureSize(HBITMAP bitmap) {
  BITMAP info{};
  if (bitmap == nullptr || GetObjectA(bitmap, sizeof info, &info) == 0) return {260, 0};
  return {static_cast<int>(info.bmWidth), static_cast<int>(info.bmHeight)};
}
