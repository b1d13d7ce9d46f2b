#include "platform/picture_loader.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <QPainter>
#include <climits>

#include "platform/picture_bytes.h"
#include "platform/win_api.h"
#include "platform/win_internal.h"

namespace {

int reducedJpegDecodes = 0;

void ChooseReducedScale(QImageReader& reader, QSize size, const ShownSize& shownSize) {
  if (!shownSize || (reader.format() != "jpeg" && reader.format() != "jpg")) return;
  const SIZE shown = shownSize(SIZE{size.width(), size.height()});
  if (shown.cx <= 0 || shown.cy <= 0) return;
  int scale = 1;
  while (scale < 8 && size.width() / (scale * 2) >= 2 * shown.cx && size.height() / (scale * 2) >= 2 * shown.cy) {
    scale *= 2;
  }
  if (scale == 1) return;
  // libjpeg rounds the reduced sides up; asking for exactly that size selects its scaled decode.
  reader.setScaledSize(QSize((size.width() + scale - 1) / scale, (size.height() + scale - 1) / scale));
  ++reducedJpegDecodes;
}

}  // namespace

LoadedPicture& LoadedPicture::operator=(LoadedPicture&& other) noexcept {
  if (this != &other) {
    if (bitmap_) DeleteObject(bitmap_);
    bitmap_ = other.bitmap_;
    other.bitmap_ = nullptr;
  }
  return *this;
}

LoadedPicture::~LoadedPicture() {
  if (bitmap_) DeleteObject(bitmap_);
}

int ReducedJpegDecodes() { return reducedJpegDecodes; }

LoadedPicture LoadPictureFromBytes(const std::uint8_t* bytes, std::size_t count, const ShownSize& shownSize) {
  if (bytes == nullptr || count == 0 || count > static_cast<std::size_t>(INT_MAX)) return {};
  ploxa::win::EnsureApplication();
  QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(count));
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  reader.setAutoTransform(false);
  // The formats the platform's loader reads; PNGs go to the program's own decoder.
  const QByteArray format = reader.format();
  if (format != "jpeg" && format != "jpg" && format != "gif" && format != "bmp" && format != "ico") return {};
  if (format == "ico" && !IconEntriesFit(bytes, count)) return {};
  const QSize size = reader.size();
  if (!size.isValid() || size.isEmpty() || static_cast<long long>(size.width()) * size.height() > MAX_PICTURE_PIXELS) {
    return {};
  }
  ChooseReducedScale(reader, size, shownSize);
  QImage image = reader.read();
  if (image.isNull()) return {};
  if (image.hasAlphaChannel()) {
    QImage opaque(image.size(), QImage::Format_RGB32);
    opaque.fill(Qt::white);
    QPainter painter(&opaque);
    painter.drawImage(0, 0, image);
    painter.end();
    image = std::move(opaque);
  }
  return LoadedPicture(ploxa::win::BitmapFromImage(image));
}
