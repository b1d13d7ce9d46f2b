#include "platform/picture_loader.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <QPainter>
#include <climits>
#include <cstring>

#include "platform/win_api.h"
#include "platform/win_internal.h"

namespace {

int reducedJpegDecodes = 0;

std::uint32_t ReadLe16(const std::uint8_t* p) { return p[0] | (p[1] << 8); }
std::uint32_t ReadLe32(const std::uint8_t* p) { return ReadLe16(p) | (ReadLe16(p + 2) << 16); }
std::uint32_t ReadBe32(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// Every chunk of a PNG lies within its bytes. libpng takes a chunk's memory
// from its declared length before reading it, so a 41-byte file could
// otherwise make it allocate gigabytes.
bool PngChunksFit(const std::uint8_t* bytes, std::size_t count) {
  std::size_t at = sizeof kPngSignature;
  while (count - at >= 12) {
    const std::uint32_t length = ReadBe32(bytes + at);
    if (length > count - at - 12) return false;
    if (std::memcmp(bytes + at + 4, "IEND", 4) == 0) return true;
    at += 12 + std::size_t{length};
  }
  return at == count;
}

// An icon's entries lie within its bytes, and those stored as PNG are sound.
bool IconEntriesFit(const std::uint8_t* bytes, std::size_t count) {
  if (count < 6) return false;
  const std::uint32_t entries = ReadLe16(bytes + 4);
  if (count - 6 < std::size_t{entries} * 16) return false;
  for (std::uint32_t i = 0; i < entries; ++i) {
    const std::uint8_t* entry = bytes + 6 + std::size_t{i} * 16;
    const std::size_t size = ReadLe32(entry + 8), offset = ReadLe32(entry + 12);
    if (offset > count || size > count - offset) return false;
    if (size >= sizeof kPngSignature && std::memcmp(bytes + offset, kPngSignature, sizeof kPngSignature) == 0 &&
        !PngChunksFit(bytes + offset, size)) {
      return false;
    }
  }
  return true;
}

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
