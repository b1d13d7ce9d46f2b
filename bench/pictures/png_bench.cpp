// The PNG decoder against libpng and libspng on the same images in the same
// run: photo-like pictures (smooth gradients with noise) encoded by libpng at
// its default settings, one class per layout the decoder produces. Each
// decoder reads from memory into a buffer allocated once, in the layout
// closest to ours that it offers:
//   ours      top-down bitmap rows (BGR, BGRA, packed indices), padded to 4 bytes
//   libpng    low-level API, png_set_bgr, png_set_strip_16, packed sub-byte rows,
//             no gamma; CRCs and Adler-32 checked as it does by default
//   libpng-nocheck  the same with CRC and Adler-32 checks off, as ours
//   libspng   spng_decode_image into RGB8, RGBA8, G8, or the PNG's own format
//             for palettes
// After the runs it prints the median CPU time of ours over each reference's
// (CPU time, as the machine may be shared).
#include <benchmark/benchmark.h>
#include <png.h>
#include <spng.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "pictures/png_decoder.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

enum class Kind { kRgb, kRgba, kPalette4, kPalette8, kGrey, kRgb16, kInterlaced };

struct ImageClass {
  Kind kind;
  const char* name;
};
const ImageClass kClasses[] = {{Kind::kRgb, "RGB"},          {Kind::kRgba, "RGBA"}, {Kind::kPalette4, "palette4"},
                               {Kind::kPalette8, "palette8"}, {Kind::kGrey, "grey"}, {Kind::kRgb16, "RGB16"},
                               {Kind::kInterlaced, "interlaced"}};
struct Size {
  std::uint32_t width, height;
};
const Size kSizes[] = {{260, 260}, {1024, 768}, {2000, 1500}};

// A photo-like value per channel: a few smooth waves and a vignette, with
// sensor-like noise.
class Scene {
 public:
  Scene(std::uint32_t width, std::uint32_t height) : width_(width), height_(height), random_(2026) {}
  double Channel(std::uint32_t x, std::uint32_t y, int c) {
    const double u = static_cast<double>(x) / width_, v = static_cast<double>(y) / height_;
    const double wave = 0.35 * std::sin(6.0 * u + 2.0 * c) * std::cos(4.0 * v - c) + 0.25 * std::sin(15.0 * u * v + c);
    const double vignette = 1.0 - 0.6 * ((u - 0.5) * (u - 0.5) + (v - 0.45) * (v - 0.45));
    const double value = (0.45 + wave) * vignette + noise_(random_);
    return std::fmin(1.0, std::fmax(0.0, value));
  }

 private:
  std::uint32_t width_, height_;
  std::mt19937 random_;
  std::normal_distribution<double> noise_{0.0, 0.012};
};

// libpng at its default compression level and filter choice.
Bytes WritePng(std::vector<Bytes>& rows, std::uint32_t width, std::uint32_t height, int depth, int colourType,
               bool interlaced, const std::vector<png_color>& palette) {
  Bytes file;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  std::vector<png_bytep> pointers;
  for (Bytes& row : rows) pointers.push_back(row.data());
  if (setjmp(png_jmpbuf(png))) std::abort();
  png_set_write_fn(
      png, &file,
      [](png_structp p, png_bytep data, png_size_t size) {
        auto* out = static_cast<Bytes*>(png_get_io_ptr(p));
        out->insert(out->end(), data, data + size);
      },
      nullptr);
  png_set_IHDR(png, info, width, height, depth, colourType, interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!palette.empty()) png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
  png_write_info(png, info);
  png_write_image(png, pointers.data());
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return file;
}

Bytes Encode(Kind kind, std::uint32_t width, std::uint32_t height) {
  int colourType = PNG_COLOR_TYPE_RGB, depth = 8, channels = 3;
  switch (kind) {
    case Kind::kRgba: colourType = PNG_COLOR_TYPE_RGB_ALPHA, channels = 4; break;
    case Kind::kPalette4: colourType = PNG_COLOR_TYPE_PALETTE, depth = 4, channels = 1; break;
    case Kind::kPalette8: colourType = PNG_COLOR_TYPE_PALETTE, channels = 1; break;
    case Kind::kGrey: colourType = PNG_COLOR_TYPE_GRAY, channels = 1; break;
    case Kind::kRgb16: depth = 16; break;
    default: break;
  }
  const int levels = kind == Kind::kPalette4 ? 16 : 256;
  const std::size_t rowBytes = (std::size_t{width} * channels * depth + 7) / 8;
  std::vector<Bytes> rows(height, Bytes(rowBytes));
  Scene scene(width, height);
  for (std::uint32_t y = 0; y < height; ++y) {
    for (std::uint32_t x = 0; x < width; ++x) {
      if (colourType == PNG_COLOR_TYPE_PALETTE) {
        // A brightness ramp of palette entries, as a quantised picture has.
        const double level = 0.3 * scene.Channel(x, y, 0) + 0.6 * scene.Channel(x, y, 1) + 0.1 * scene.Channel(x, y, 2);
        const unsigned index = static_cast<unsigned>(level * (levels - 1) + 0.5);
        if (depth == 4) {
          rows[y][x / 2] = static_cast<std::uint8_t>(rows[y][x / 2] | index << (x % 2 == 0 ? 4 : 0));
        } else {
          rows[y][x] = static_cast<std::uint8_t>(index);
        }
        continue;
      }
      for (int c = 0; c < channels; ++c) {
        const double value = c == 3 ? 0.6 + 0.4 * scene.Channel(x, y, 1) : scene.Channel(x, y, c);
        if (depth == 16) {
          const unsigned v = static_cast<unsigned>(value * 65535.0);
          rows[y][(x * channels + c) * 2] = static_cast<std::uint8_t>(v >> 8);
          rows[y][(x * channels + c) * 2 + 1] = static_cast<std::uint8_t>(v);
        } else {
          rows[y][x * channels + c] = static_cast<std::uint8_t>(value * 255.0 + 0.5);
        }
      }
    }
  }

  std::vector<png_color> palette;
  for (int i = 0; colourType == PNG_COLOR_TYPE_PALETTE && i < levels; ++i) {
    const int l = i * 255 / (levels - 1);
    palette.push_back({static_cast<png_byte>(l), static_cast<png_byte>(l * 3 / 4), static_cast<png_byte>(255 - l / 2)});
  }
  return WritePng(rows, width, height, depth, colourType, kind == Kind::kInterlaced, palette);
}

struct Image {
  std::string name;
  Bytes file;
  Bytes output;  // room for any decoder's result
};

void DecodeOurs(const Image& image, Bytes& out) {
  PngInfo info;
  PngInit(info);
  if (!PngAttachBytes(info, image.file.data(), static_cast<std::uint32_t>(image.file.size())) || !PngDecode(info)) {
    std::abort();
  }
  DibLayout layout;
  std::uint32_t code = 0;
  if (!PngFillBitmapInfo(info, layout, PNG_OUTPUT_NATURAL, code) || PngBitmapBytes(layout) > out.size() ||
      !PngRenderRows(info, out.data(), out.size(), code)) {
    std::abort();
  }
  PngRelease(info);
}

void DecodeLibpng(const Image& image, Bytes& out, bool checks) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  struct Reader {
    const Bytes* file;
    std::size_t offset;
  } reader{&image.file, 0};
  std::vector<png_bytep> rows;
  if (setjmp(png_jmpbuf(png))) std::abort();
  png_set_read_fn(png, &reader, [](png_structp p, png_bytep data, png_size_t size) {
    auto* r = static_cast<Reader*>(png_get_io_ptr(p));
    std::memcpy(data, r->file->data() + r->offset, size);
    r->offset += size;
  });
  if (!checks) {
    png_set_crc_action(png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
#ifdef PNG_IGNORE_ADLER32
    png_set_option(png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif
  }
  png_read_info(png, info);
  const int type = png_get_color_type(png, info);
  if (png_get_bit_depth(png, info) == 16) png_set_strip_16(png);
  if (type == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_strip_alpha(png);
  if (type & PNG_COLOR_MASK_COLOR && !(type & PNG_COLOR_MASK_PALETTE)) png_set_bgr(png);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  const std::size_t stride = (png_get_rowbytes(png, info) + 3) & ~std::size_t{3};
  const std::uint32_t height = png_get_image_height(png, info);
  for (std::uint32_t y = 0; y < height; ++y) rows.push_back(out.data() + y * stride);
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
}

void DecodeSpng(const Image& image, Bytes& out) {
  spng_ctx* ctx = spng_ctx_new(0);
  spng_set_png_buffer(ctx, image.file.data(), image.file.size());
  spng_ihdr ihdr;
  spng_get_ihdr(ctx, &ihdr);
  int format = SPNG_FMT_RGB8;
  if (ihdr.color_type == SPNG_COLOR_TYPE_TRUECOLOR_ALPHA) format = SPNG_FMT_RGBA8;
  if (ihdr.color_type == SPNG_COLOR_TYPE_GRAYSCALE) format = SPNG_FMT_G8;
  if (ihdr.color_type == SPNG_COLOR_TYPE_INDEXED) format = SPNG_FMT_PNG;
  std::size_t size = 0;
  if (spng_decoded_image_size(ctx, format, &size) != 0 || size > out.size()) std::abort();
  if (const int rc = spng_decode_image(ctx, out.data(), size, format, 0); rc != 0) {
    std::fprintf(stderr, "libspng: %s\n", spng_strerror(rc));
    std::abort();
  }
  spng_ctx_free(ctx);
}

enum class Decoder { kOurs, kLibpng, kLibpngNoCheck, kSpng };
const char* const kDecoderNames[] = {"ours", "libpng", "libpng-nocheck", "libspng"};

// Keeps the median of every benchmark while printing as usual.
class MedianReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
        medians[run.run_name.function_name] = run.GetAdjustedCPUTime();
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> medians;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  std::vector<Image> images;
  for (const ImageClass& c : kClasses) {
    for (const Size& s : kSizes) {
      Image image;
      image.name = std::string(c.name) + "/" + std::to_string(s.width) + "x" + std::to_string(s.height);
      image.file = Encode(c.kind, s.width, s.height);
      image.output.resize(std::size_t{s.width} * s.height * 4 + 4 * s.height);
      images.push_back(std::move(image));
    }
  }
  for (Image& image : images) {
    for (int d = 0; d < 4; ++d) {
      const std::string name = image.name + "/" + kDecoderNames[d];
      benchmark::RegisterBenchmark(name.c_str(), [&image, d](benchmark::State& state) {
        for (auto _ : state) {
          switch (static_cast<Decoder>(d)) {
            case Decoder::kOurs: DecodeOurs(image, image.output); break;
            case Decoder::kLibpng: DecodeLibpng(image, image.output, true); break;
            case Decoder::kLibpngNoCheck: DecodeLibpng(image, image.output, false); break;
            case Decoder::kSpng: DecodeSpng(image, image.output); break;
          }
          benchmark::DoNotOptimize(image.output.data());
          benchmark::ClobberMemory();
        }
        state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * image.file.size()));
      })->Unit(benchmark::kMillisecond);
    }
  }
  MedianReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);

  std::printf("\nmedian CPU time of ours / theirs (below 1: ours is faster)\n");
  std::printf("%-22s %10s %10s %10s %10s %16s\n", "image", "file KiB", "ours ms", "libpng", "libspng",
              "libpng-nocheck");
  for (const Image& image : images) {
    const auto time = [&](int d) {
      const auto it = reporter.medians.find(image.name + "/" + kDecoderNames[d]);
      return it == reporter.medians.end() ? 0.0 : it->second;
    };
    if (time(0) == 0.0) continue;
    std::printf("%-22s %10.0f %10.3f %10.2f %10.2f %16.2f\n", image.name.c_str(), image.file.size() / 1024.0, time(0),
                time(0) / time(1), time(0) / time(3), time(0) / time(2));
  }
  benchmark::Shutdown();
  return 0;
}
