#include "tools/pack/picture_check.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <cstdio>
#include <cstring>
#include <vector>

#include "pictures/png_decoder.h"
#include "platform/picture_bytes.h"

namespace {

bool StartsWith(std::span<const std::uint8_t> bytes, const char* signature, std::size_t length) {
  return bytes.size() >= length && std::memcmp(bytes.data(), signature, length) == 0;
}

std::string Megapixels(std::uint64_t width, std::uint64_t height) {
  char text[96];
  std::snprintf(text, sizeof text, "%llu × %llu pixels is over the 64 megapixels the player shows",
                static_cast<unsigned long long>(width), static_cast<unsigned long long>(height));
  return text;
}

std::string PngErrorName(std::uint32_t error) {
  switch (error) {
    case PNG_ERROR_NOT_PNG: return "not a PNG, or its image data cannot be inflated";
    case PNG_ERROR_UNSUPPORTED: return "a format, method, chunk or size the decoder does not support";
    case PNG_ERROR_NO_MEMORY: return "out of memory";
    default: break;
  }
  char text[32];
  std::snprintf(text, sizeof text, "error 0x%X", error);
  return text;
}

std::string CheckPng(std::span<const std::uint8_t> bytes) {
  if (bytes.size() > UINT32_MAX) return "the PNG decoder refuses it: larger than 4 GiB";
  PngInfo info;
  PngInit(info);
  std::string problem;
  if (!PngAttachBytes(info, bytes.data(), static_cast<std::uint32_t>(bytes.size()))) {
    // The header was read when the size is what made it fail.
    if (info.width != 0 && static_cast<std::uint64_t>(info.width) * info.height > MAX_PICTURE_PIXELS) {
      problem = Megapixels(info.width, info.height);
    } else {
      problem = "the PNG decoder refuses it (" + PngErrorName(info.error) + ")";
    }
  } else if (static_cast<std::uint64_t>(info.width) * info.height > MAX_PICTURE_PIXELS) {
    problem = Megapixels(info.width, info.height);
  } else if (!PngDecode(info)) {
    problem = "the PNG decoder cannot decode it (" + PngErrorName(info.error) + ")";
  } else {
    // Rendering undoes the row filters, the last step that can fail.
    DibLayout layout{};
    std::uint32_t code = 0;
    if (!PngFillBitmapInfo(info, layout, PNG_OUTPUT_NATURAL, code)) {
      problem = "the PNG decoder cannot lay it out (" + PngErrorName(info.error) + ")";
    } else {
      std::vector<std::uint8_t> bits(PngBitmapBytes(layout));
      if (!PngRenderRows(info, bits.data(), bits.size(), code)) {
        problem = "the PNG decoder cannot render its rows (a bad row filter)";
      }
    }
  }
  PngRelease(info);
  return problem;
}

std::string CheckWithReader(std::span<const std::uint8_t> bytes, const char* format) {
  QByteArray data(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, format);
  reader.setAutoTransform(false);
  if (!reader.canRead()) return "the picture loader cannot read it as " + std::string(format);
  // The size comes from the header, before anything is decoded.
  const QSize size = reader.size();
  if (!size.isValid()) return "the picture loader cannot read its size";
  if (static_cast<std::uint64_t>(size.width()) * static_cast<std::uint64_t>(size.height()) > MAX_PICTURE_PIXELS) {
    return Megapixels(static_cast<std::uint64_t>(size.width()), static_cast<std::uint64_t>(size.height()));
  }
  const QImage image = reader.read();
  if (image.isNull()) return "the picture loader cannot decode it: " + reader.errorString().toStdString();
  return "";
}

}  // namespace

std::string PictureFormat(std::span<const std::uint8_t> bytes) {
  if (StartsWith(bytes, "\x89PNG\r\n\x1A\n", 8)) return "PNG";
  if (StartsWith(bytes, "\xFF\xD8\xFF", 3)) return "JPEG";
  if (StartsWith(bytes, "GIF87a", 6) || StartsWith(bytes, "GIF89a", 6)) return "GIF";
  if (StartsWith(bytes, "BM", 2)) return "BMP";
  if (StartsWith(bytes, "\0\0\1\0", 4)) return "ICO";
  return "";
}

std::string CheckPicture(std::span<const std::uint8_t> bytes) {
  const std::string format = PictureFormat(bytes);
  if (format.empty()) return "not a picture the player can show (it shows JPEG, PNG, GIF, BMP and ICO)";
  if (format == "PNG") return CheckPng(bytes);
  if (format == "ICO" && !IconEntriesFit(bytes.data(), bytes.size())) {
    return "the picture loader refuses it: an entry reaches past the end of the icon or holds a damaged PNG";
  }
  const char* readerFormat = format == "JPEG" ? "jpeg" : format == "GIF" ? "gif" : format == "BMP" ? "bmp" : "ico";
  return CheckWithReader(bytes, readerFormat);
}
