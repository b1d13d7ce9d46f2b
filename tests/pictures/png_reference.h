// Shared by the PNG tests: the decoder's output and libpng's, both reduced to
// one colour per pixel (0xAARRGGBB, alpha only where the bitmap keeps it), so
// that the two can be compared pixel for pixel.
#pragma once

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdlib>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "pictures/png_decoder.h"

namespace pngtest {

inline std::vector<std::uint8_t> ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::optional<std::filesystem::path> CorpusDir() {
  const char* dir = std::getenv("PLOXA_CORPUS_DIR");
  if (dir == nullptr || !std::filesystem::is_directory(dir)) return std::nullopt;
  return std::filesystem::path(dir);
}

struct Picture {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::vector<std::uint32_t> colours;  // row after row
};

// The colour of every pixel of a rendered bitmap, looked up in its colour table.
inline Picture ColoursOf(const DibLayout& layout, const std::vector<std::uint8_t>& bits) {
  Picture picture;
  picture.width = static_cast<std::uint32_t>(layout.width);
  picture.height = static_cast<std::uint32_t>(-layout.height);
  const std::uint32_t stride = PngBitmapStride(layout);
  for (std::uint32_t y = 0; y < picture.height; ++y) {
    const std::uint8_t* row = bits.data() + std::size_t{y} * stride;
    for (std::uint32_t x = 0; x < picture.width; ++x) {
      switch (layout.bitsPerPixel) {
        case 32:
          picture.colours.push_back(std::uint32_t{row[4 * x + 3]} << 24 | std::uint32_t{row[4 * x + 2]} << 16 |
                                    std::uint32_t{row[4 * x + 1]} << 8 | row[4 * x]);
          break;
        case 24:
          picture.colours.push_back(std::uint32_t{row[3 * x + 2]} << 16 | std::uint32_t{row[3 * x + 1]} << 8 |
                                    row[3 * x]);
          break;
        default: {
          const unsigned bpp = layout.bitsPerPixel;
          const unsigned perByte = 8 / bpp;
          const unsigned index = (row[x / perByte] >> ((perByte - 1 - x % perByte) * bpp)) & ((1u << bpp) - 1);
          picture.colours.push_back(layout.colourTable[index]);
        }
      }
    }
  }
  return picture;
}

struct Decoded {
  std::uint32_t loadError = 0;    // PngAttachBytes
  std::uint32_t decodeError = 0;  // PngDecode
  bool rendered = false;
  DibLayout layout{};
  std::vector<std::uint8_t> bits;
};

// Runs the whole decoder over a file's bytes, as the bitmap path will.
inline Decoded DecodeWithPloxa(const std::vector<std::uint8_t>& file) {
  Decoded result;
  PngInfo info;
  PngInit(info);
  if (!PngAttachBytes(info, file.data(), static_cast<std::uint32_t>(file.size()))) {
    result.loadError = info.error;
    return result;
  }
  if (!PngDecode(info)) {
    result.decodeError = info.error;
    PngRelease(info);
    return result;
  }
  std::uint32_t code = 0;
  if (PngFillBitmapInfo(info, result.layout, PNG_OUTPUT_NATURAL, code)) {
    result.bits.assign(PngBitmapBytes(result.layout), 0xCD);
    result.rendered = PngRenderRows(info, result.bits.data(), result.bits.size(), code);
  }
  PngRelease(info);
  return result;
}

// libpng's decoding brought to the bitmap's terms: high bytes of 16-bit
// samples, grey levels scaled to 0-255, grey alpha dropped, palette entries
// looked up (black past the palette's end), CRC errors ignored as the decoder
// ignores them.
inline std::optional<Picture> DecodeWithLibpng(const std::vector<std::uint8_t>& file) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, [](png_structp, png_const_charp) {});
  if (png == nullptr) return std::nullopt;
  png_infop pngInfo = png_create_info_struct(png);
  struct Reader {
    const std::vector<std::uint8_t>* file;
    std::size_t offset;
  } reader{&file, 0};
  std::optional<Picture> picture;
  std::vector<std::uint8_t> pixels;
  std::vector<png_bytep> rows;
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &pngInfo, nullptr);
    return std::nullopt;
  }
  png_set_read_fn(png, &reader, [](png_structp p, png_bytep out, png_size_t size) {
    auto* r = static_cast<Reader*>(png_get_io_ptr(p));
    if (size > r->file->size() - r->offset) png_error(p, "end of file");
    std::memcpy(out, r->file->data() + r->offset, size);
    r->offset += size;
  });
  png_set_crc_action(png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
#ifdef PNG_IGNORE_ADLER32
  png_set_option(png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif
  png_read_info(png, pngInfo);
  const int depth = png_get_bit_depth(png, pngInfo);
  const int type = png_get_color_type(png, pngInfo);
  if (depth == 16) png_set_strip_16(png);
  if (depth < 8) png_set_packing(png);
  png_set_interlace_handling(png);
  png_read_update_info(png, pngInfo);
  const std::uint32_t width = png_get_image_width(png, pngInfo);
  const std::uint32_t height = png_get_image_height(png, pngInfo);
  const std::size_t rowBytes = png_get_rowbytes(png, pngInfo);
  pixels.resize(rowBytes * height);
  for (std::uint32_t y = 0; y < height; ++y) rows.push_back(pixels.data() + y * rowBytes);
  png_read_image(png, rows.data());

  png_colorp plte = nullptr;
  int plteCount = 0;
  if (type == PNG_COLOR_TYPE_PALETTE) png_get_PLTE(png, pngInfo, &plte, &plteCount);

  picture.emplace();
  picture->width = width;
  picture->height = height;
  const unsigned greyMax = (1u << std::min(depth, 8)) - 1;
  for (std::uint32_t y = 0; y < height; ++y) {
    const std::uint8_t* p = rows[y];
    for (std::uint32_t x = 0; x < width; ++x) {
      std::uint32_t colour = 0;
      switch (type) {
        case PNG_COLOR_TYPE_GRAY: {
          const std::uint32_t level = p[x] * 255u / greyMax;
          colour = level << 16 | level << 8 | level;
          break;
        }
        case PNG_COLOR_TYPE_GRAY_ALPHA: colour = p[2 * x] * 0x010101u; break;
        case PNG_COLOR_TYPE_RGB:
          colour = std::uint32_t{p[3 * x]} << 16 | std::uint32_t{p[3 * x + 1]} << 8 | p[3 * x + 2];
          break;
        case PNG_COLOR_TYPE_RGB_ALPHA:
          colour = std::uint32_t{p[4 * x + 3]} << 24 | std::uint32_t{p[4 * x]} << 16 |
                   std::uint32_t{p[4 * x + 1]} << 8 | p[4 * x + 2];
          break;
        case PNG_COLOR_TYPE_PALETTE:
          if (p[x] < plteCount) {
            colour = std::uint32_t{plte[p[x]].red} << 16 | std::uint32_t{plte[p[x]].green} << 8 | plte[p[x]].blue;
          }
          break;
      }
      picture->colours.push_back(colour);
    }
  }
  png_destroy_read_struct(&png, &pngInfo, nullptr);
  return picture;
}

}  // namespace pngtest
