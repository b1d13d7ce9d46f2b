#include "pictures/png_decoder.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <type_traits>

#include "pictures/png_inflate.h"
#include "platform/win_resources.h"

namespace {

// --- Memory ------------------------------------------------------------------

void* ProcessHeapAllocate(void*, std::size_t size) { return std::malloc(size); }
void ProcessHeapRelease(void*, void* block) { std::free(block); }

constexpr PngHeap kProcessHeap = {ProcessHeapAllocate, ProcessHeapRelease, nullptr};
PngHeap gHeap = kProcessHeap;

void* HeapAllocate(std::size_t size) { return gHeap.allocate(gHeap.context, size); }
void HeapRelease(void* block) {
  if (block != nullptr) gHeap.release(gHeap.context, block);
}

// --- File layout ---------------------------------------------------------------

constexpr std::uint8_t kSignature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
constexpr std::uint32_t kMinimumFileSize = 16;
// A chunk: length (4 bytes, big-endian), type (4), data (length), CRC (4).
constexpr std::uint32_t kChunkOverhead = 12;
// IHDR data: width 4, height 4, bit depth, colour type, compression, filter, interlace.
constexpr std::uint32_t kHeaderLength = 13;

constexpr std::uint8_t kGrey = 0;
constexpr std::uint8_t kTruecolour = 2;
constexpr std::uint8_t kIndexed = 3;
constexpr std::uint8_t kGreyAlpha = 4;
constexpr std::uint8_t kTruecolourAlpha = 6;

// Bit depth × 256 + colour type: the combinations the PNG format allows.
constexpr std::uint16_t kAcceptedFormats[] = {0x0100, 0x0200, 0x0400, 0x0800, 0x1000, 0x0802, 0x1002, 0x0103,
                                              0x0203, 0x0403, 0x0803, 0x0804, 0x1004, 0x0806, 0x1006, 0xFFFF};

// A deflate stream yields at most 1032 bytes per byte of input: a 258-byte
// match every two bits.
constexpr std::uint64_t kMaxInflateRatio = 1032;

std::uint32_t ReadBigEndian32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

unsigned SamplesPerPixel(std::uint8_t colourType) {
  switch (colourType) {
    case kTruecolour: return 3;
    case kGreyAlpha: return 2;
    case kTruecolourAlpha: return 4;
    default: return 1;
  }
}

unsigned BitsPerPixel(const PngInfo& info) { return info.bitDepth * SamplesPerPixel(info.colourType); }

std::uint64_t RowBytes(std::uint64_t width, unsigned bitsPerPixel) { return (width * bitsPerPixel + 7) / 8; }

// Adam7: the passes' first column and row and their steps.
struct Pass {
  std::uint32_t x0, y0, dx, dy;
};
constexpr Pass kPasses[7] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                             {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};

std::uint32_t PassExtent(std::uint32_t size, std::uint32_t start, std::uint32_t step) {
  return size > start ? (size - start + step - 1) / step : 0;
}

// Reads the chunk at `at` if it lies wholly within the file.
bool ChunkAt(const PngInfo& info, const std::uint8_t* at, PngChunk& chunk) {
  if (at == nullptr || info.data == nullptr || at < info.data) return false;
  const std::size_t offset = static_cast<std::size_t>(at - info.data);
  if (offset >= info.dataSize || info.dataSize - offset < kChunkOverhead) return false;
  const std::uint32_t length = ReadBigEndian32(at);
  if (length > info.dataSize - offset - kChunkOverhead) return false;

  const std::uint8_t* type = at + 4;
  if (std::memcmp(type, "IHDR", 4) == 0) {
    chunk.kind = PNG_CHUNK_IHDR;
  } else if (std::memcmp(type, "IDAT", 4) == 0) {
    chunk.kind = PNG_CHUNK_IDAT;
  } else if (std::memcmp(type, "PLTE", 4) == 0) {
    chunk.kind = PNG_CHUNK_PLTE;
  } else if (std::memcmp(type, "IEND", 4) == 0) {
    chunk.kind = PNG_CHUNK_IEND;
  } else {
    // The case of the first letter tells whether a decoder may skip the chunk.
    chunk.kind = (type[0] >= 'a' && type[0] <= 'z') ? PNG_CHUNK_ANCILLARY : PNG_CHUNK_CRITICAL;
  }
  chunk.length = length;
  chunk.crc = ReadBigEndian32(at + 8 + length);
  return true;
}

BOOL Fail(PngInfo& info, std::uint32_t error) {
  info.error = error;
  return FALSE;
}

// --- Image data ------------------------------------------------------------------

// PngNextByte's runs: the data of the IDAT chunk at firstIdat and of every
// IDAT chunk right after it; any other chunk ends the stream.
struct IdatRuns {
  const PngInfo* info;
  const std::uint8_t* chunk;
};

bool NextIdatRun(void* context, const std::uint8_t** bytes, std::size_t* size) {
  auto& runs = *static_cast<IdatRuns*>(context);
  PngChunk chunk;
  if (!ChunkAt(*runs.info, runs.chunk, chunk) || chunk.kind != PNG_CHUNK_IDAT) return false;
  *bytes = runs.chunk + 8;
  *size = chunk.length;
  runs.chunk += chunk.length + kChunkOverhead;
  return true;
}

std::uint64_t CompressedSize(const PngInfo& info) {
  std::uint64_t total = 0;
  IdatRuns runs{&info, info.firstIdat};
  const std::uint8_t* bytes;
  std::size_t size;
  while (NextIdatRun(&runs, &bytes, &size)) total += size;
  return total;
}

BOOL PngInflate(PngInfo& info) {
  info.error = PNG_ERROR_NOT_PNG;
  IdatRuns runs{&info, info.firstIdat};
  const InflateSource source{NextIdatRun, &runs};
  if (Inflate(source, info.pixels, info.pixelsSize) != InflateResult::kOk) return FALSE;
  info.error = PNG_ERROR_NONE;
  return TRUE;
}

// --- Output layouts ------------------------------------------------------------------

enum Conversion : std::uint8_t {
  kCopy = 0,
  kFirstOfTwo = 6,        // grey 16 (high byte) and grey with alpha 8 (grey byte)
  kRgb16 = 7,             // high bytes, reordered to blue, green, red
  kRgba16 = 9,            // high bytes, reordered to blue, green, red, alpha
  kGreyAlpha16 = 10,      // high byte of the grey sample
  kWiden2 = 11,           // 2-bit samples to 4-bit nibbles
  kRgb8 = 12,             // red, green, blue to blue, green, red
  kRgba8 = 14,            // red, green, blue, alpha to blue, green, red, alpha
};

enum class ColourTable : std::uint8_t { kNone, kRamp, kPalette };

struct NaturalLayout {
  std::uint8_t colourType;
  std::uint8_t bitDepth;
  std::uint8_t bitsPerPixel;
  ColourTable table;
  std::uint16_t rampEntries;
  Conversion conversion;
};

constexpr NaturalLayout kNaturalLayouts[] = {
    {kGrey, 1, 1, ColourTable::kRamp, 2, kCopy},
    {kGrey, 2, 4, ColourTable::kRamp, 4, kWiden2},
    {kGrey, 4, 4, ColourTable::kRamp, 16, kCopy},
    {kGrey, 8, 8, ColourTable::kRamp, 256, kCopy},
    {kGrey, 16, 8, ColourTable::kRamp, 256, kFirstOfTwo},
    {kTruecolour, 8, 24, ColourTable::kNone, 0, kRgb8},
    {kTruecolour, 16, 24, ColourTable::kNone, 0, kRgb16},
    {kIndexed, 1, 1, ColourTable::kPalette, 0, kCopy},
    {kIndexed, 2, 4, ColourTable::kPalette, 0, kWiden2},
    {kIndexed, 4, 4, ColourTable::kPalette, 0, kCopy},
    {kIndexed, 8, 8, ColourTable::kPalette, 0, kCopy},
    {kGreyAlpha, 8, 8, ColourTable::kRamp, 256, kFirstOfTwo},
    {kGreyAlpha, 16, 8, ColourTable::kRamp, 256, kGreyAlpha16},
    {kTruecolourAlpha, 8, 32, ColourTable::kNone, 0, kRgba8},
    {kTruecolourAlpha, 16, 32, ColourTable::kNone, 0, kRgba16},
};

const NaturalLayout* FindLayout(const PngInfo& info) {
  for (const NaturalLayout& layout : kNaturalLayouts) {
    if (layout.colourType == info.colourType && layout.bitDepth == info.bitDepth) return &layout;
  }
  return nullptr;
}

// Colour type in bits 24-31, bit depth in 16-23, 1 (a bitmap layout) in 8-15,
// the conversion in 0-7.
std::uint32_t OutputCode(const NaturalLayout& layout) {
  return std::uint32_t{layout.colourType} << 24 | std::uint32_t{layout.bitDepth} << 16 | 0x100 | layout.conversion;
}

// The layout `outputCode` names for this image, or null when it does not fit.
const NaturalLayout* LayoutForCode(const PngInfo& info, std::uint32_t outputCode) {
  const NaturalLayout* layout = FindLayout(info);
  if (layout == nullptr) return nullptr;
  if (outputCode != PNG_OUTPUT_NATURAL && outputCode != OutputCode(*layout)) return nullptr;
  return layout;
}

std::uint32_t StrideFor(std::uint64_t width, unsigned bitsPerPixel) {
  return static_cast<std::uint32_t>((RowBytes(width, bitsPerPixel) + 3) & ~std::uint64_t{3});
}

// --- Row filters ------------------------------------------------------------------
// Each filter predicts a byte from the byte one pixel to the left (a), the
// byte above (b) and the one above and to the left (c); bytes before the row
// start and the row above the first row count as zero.

template <unsigned Bpp>
void UnfilterSub(const std::uint8_t* row, std::uint8_t* out, std::size_t n) {
  const std::size_t head = std::min<std::size_t>(Bpp, n);
  for (std::size_t i = 0; i < head; ++i) out[i] = row[i];
  for (std::size_t i = Bpp; i < n; ++i) out[i] = static_cast<std::uint8_t>(row[i] + out[i - Bpp]);
}

void UnfilterUp(const std::uint8_t* row, const std::uint8_t* prev, std::uint8_t* out, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<std::uint8_t>(row[i] + prev[i]);
}

// The mean of left and above is taken over 9 bits.
template <unsigned Bpp>
void UnfilterAverage(const std::uint8_t* row, const std::uint8_t* prev, std::uint8_t* out, std::size_t n) {
  const std::size_t head = std::min<std::size_t>(Bpp, n);
  for (std::size_t i = 0; i < head; ++i) out[i] = static_cast<std::uint8_t>(row[i] + (prev[i] >> 1));
  for (std::size_t i = Bpp; i < n; ++i) {
    out[i] = static_cast<std::uint8_t>(row[i] + ((unsigned{out[i - Bpp]} + prev[i]) >> 1));
  }
}

// Paeth picks whichever of a, b, c is nearest a + b − c, preferring a, then b.
inline std::uint8_t PaethPredictor(int a, int b, int c) {
  const int pa = std::abs(b - c);
  const int pb = std::abs(a - c);
  const int pc = std::abs(a + b - 2 * c);
  if (pa <= pb && pa <= pc) return static_cast<std::uint8_t>(a);
  return static_cast<std::uint8_t>(pb <= pc ? b : c);
}

template <unsigned Bpp>
void UnfilterPaeth(const std::uint8_t* row, const std::uint8_t* prev, std::uint8_t* out, std::size_t n) {
  const std::size_t head = std::min<std::size_t>(Bpp, n);
  // With a = c = 0 the predictor is b.
  for (std::size_t i = 0; i < head; ++i) out[i] = static_cast<std::uint8_t>(row[i] + prev[i]);
  for (std::size_t i = Bpp; i < n; ++i) {
    out[i] = static_cast<std::uint8_t>(row[i] + PaethPredictor(out[i - Bpp], prev[i], prev[i - Bpp]));
  }
}

// Whole pixels at once for 3 to 8 bytes per pixel: each byte of a pixel
// depends only on the same byte of the pixel to the left, so the bytes of
// one pixel are worked on side by side, in 16-bit lanes.
using FourBytes = std::uint8_t __attribute__((vector_size(4)));
using EightBytes = std::uint8_t __attribute__((vector_size(8)));
using FourLanes = std::int16_t __attribute__((vector_size(8)));
using EightLanes = std::int16_t __attribute__((vector_size(16)));

// A pixel of 3 or 6 bytes is read and written a whole vector wide while
// the row goes on past it (the extra lane is worked on and never kept);
// the last pixel of the row is read and written byte by byte.
template <unsigned Bpp>
struct PixelLanes {
  using Bytes = std::conditional_t<Bpp <= 4, FourBytes, EightBytes>;
  using Vector = std::conditional_t<Bpp <= 4, FourLanes, EightLanes>;
  static constexpr std::size_t kWide = sizeof(Bytes);

  static Vector Load(const std::uint8_t* p, bool wide) {
    Bytes bytes = {};
    if (wide) {
      std::memcpy(&bytes, p, kWide);
    } else {
      for (unsigned i = 0; i < Bpp; ++i) bytes[i] = p[i];
    }
    return __builtin_convertvector(bytes, Vector);
  }
  static void Store(std::uint8_t* p, Vector v, bool wide) {
    const Bytes bytes = __builtin_convertvector(v, Bytes);
    if (wide) {
      std::memcpy(p, &bytes, kWide);
    } else {
      for (unsigned i = 0; i < Bpp; ++i) p[i] = bytes[i];
    }
  }
  static Vector Abs(Vector v) {
    const Vector sign = v >> 15;
    return (v ^ sign) - sign;
  }
};

// Runs `step(i, wide)` over the pixels of a row.
template <unsigned Bpp, typename Step>
inline void ForEachPixel(std::size_t n, Step step) {
  std::size_t i = 0;
  for (; i + PixelLanes<Bpp>::kWide <= n; i += Bpp) step(i, true);
  for (; i < n; i += Bpp) step(i, false);
}

template <unsigned Bpp>
void UnfilterSubPixels(const std::uint8_t* row, std::uint8_t* out, std::size_t n) {
  using L = PixelLanes<Bpp>;
  typename L::Vector a = {};
  ForEachPixel<Bpp>(n, [&](std::size_t i, bool wide) {
    a = (L::Load(row + i, wide) + a) & 0xFF;
    L::Store(out + i, a, wide);
  });
}

template <unsigned Bpp>
void UnfilterAveragePixels(const std::uint8_t* row, const std::uint8_t* prev, std::uint8_t* out, std::size_t n) {
  using L = PixelLanes<Bpp>;
  typename L::Vector a = {};
  ForEachPixel<Bpp>(n, [&](std::size_t i, bool wide) {
    a = (L::Load(row + i, wide) + ((a + L::Load(prev + i, wide)) >> 1)) & 0xFF;
    L::Store(out + i, a, wide);
  });
}

template <unsigned Bpp>
void UnfilterPaethPixels(const std::uint8_t* row, const std::uint8_t* prev, std::uint8_t* out, std::size_t n) {
  using L = PixelLanes<Bpp>;
  using Vector = typename L::Vector;
  Vector a = {}, c = {};
  ForEachPixel<Bpp>(n, [&](std::size_t i, bool wide) {
    const Vector b = L::Load(prev + i, wide);
    const Vector pa = L::Abs(b - c);
    const Vector pb = L::Abs(a - c);
    const Vector pc = L::Abs(a + b - c - c);
    const Vector takeA = (pa <= pb) & (pa <= pc);
    const Vector takeB = pb <= pc;
    const Vector predictor = (a & takeA) | (~takeA & ((b & takeB) | (c & ~takeB)));
    a = (L::Load(row + i, wide) + predictor) & 0xFF;
    L::Store(out + i, a, wide);
    c = b;
  });
}

enum FilterType : std::uint8_t { kNone = 0, kSub = 1, kUp = 2, kAverage = 3, kPaeth = 4 };

template <unsigned Bpp>
const std::uint8_t* UnfilterFor(unsigned filter, const std::uint8_t* row, const std::uint8_t* prev, std::uint8_t* out,
                                std::size_t n) {
  switch (filter) {
    case kNone: return row;  // used where it lies
    // Which form is faster was measured per filter and pixel size.
    case kSub:
      if constexpr (Bpp >= 6) {
        UnfilterSubPixels<Bpp>(row, out, n);
      } else {
        UnfilterSub<Bpp>(row, out, n);
      }
      return out;
    case kUp: UnfilterUp(row, prev, out, n); return out;
    case kAverage:
      if constexpr (Bpp >= 4) {
        UnfilterAveragePixels<Bpp>(row, prev, out, n);
      } else {
        UnfilterAverage<Bpp>(row, prev, out, n);
      }
      return out;
    case kPaeth:
      if constexpr (Bpp >= 3) {
        UnfilterPaethPixels<Bpp>(row, prev, out, n);
      } else {
        UnfilterPaeth<Bpp>(row, prev, out, n);
      }
      return out;
    default: return nullptr;
  }
}

using Unfilter = const std::uint8_t* (*)(unsigned, const std::uint8_t*, const std::uint8_t*, std::uint8_t*,
                                         std::size_t);

// The filter distance: whole bytes per pixel, at least 1.
Unfilter UnfilterForDistance(unsigned distance) {
  switch (distance) {
    case 2: return UnfilterFor<2>;
    case 3: return UnfilterFor<3>;
    case 4: return UnfilterFor<4>;
    case 6: return UnfilterFor<6>;
    case 8: return UnfilterFor<8>;
    default: return UnfilterFor<1>;
  }
}

// --- Row conversions ------------------------------------------------------------------
// Each writes `width` pixels of an unfiltered row in the bitmap's layout.

using Convert = void (*)(const std::uint8_t* src, std::uint8_t* dst, std::uint32_t width, unsigned bitsPerPixel);

void ConvertCopy(const std::uint8_t* src, std::uint8_t* dst, std::uint32_t width, unsigned bitsPerPixel) {
  std::memcpy(dst, src, static_cast<std::size_t>(RowBytes(width, bitsPerPixel)));
}

void ConvertFirstOfTwo(const std::uint8_t* src, std::uint8_t* dst, std::uint32_t width, unsigned) {
  for (std::uint32_t x = 0; x < width; ++x) dst[x] = src[2 * x];
}

void ConvertGreyAlpha16(const std::uint8_t* src, std::uint8_t* dst, std::uint32_t width, unsigned) {
  for (std::uint32_t x = 0; x < width; ++x) dst[x] = src[4 * x];
}

void ConvertRgb8(const std::uint8_t* src, std::uint8_t* dst, std::uint32_t width, unsigned) {
  for (std::uint32_t x = 0; x < width; ++x, src += 3, dst += 3) {
    dst[0] = src[2];
    dst[1] = src[1];
    dst[2] = src[0];
  }
}

void ConvertRgb16(const std::uint8_t* src, std::uint8_t* dst, std::uint32_t width, unsigned) {
  for (std::uint32_t x = 0; x < width; ++x, src += 6, dst += 3) {
    dst[0] = src[4];
    dst[1] = src[2];
    dst[2] = src[0];
  }
}

void ConvertRgba8(const std::uint8_t* src, std::uint8_t* dst, std::uint32_t width, unsigned) {
  for (std::uint32_t x = 0; x < width; ++x) {
    std::uint32_t pixel;
    std::memcpy(&pixel, src + 4 * x, 4);
    // Exchanges the first and third bytes whatever the byte order.
    const std::uint32_t swapped = (pixel & 0xFF00FF00u) | ((pixel >> 16) & 0xFFu) | ((pixel & 0xFFu) << 16);
    std::memcpy(dst + 4 * x, &swapped, 4);
  }
}

void ConvertRgba16(const std::uint8_t* src, std::uint8_t* dst, std::uint32_t width, unsigned) {
  for (std::uint32_t x = 0; x < width; ++x, src += 8, dst += 4) {
    dst[0] = src[4];
    dst[1] = src[2];
    dst[2] = src[0];
    dst[3] = src[6];
  }
}

// Two-bit samples, four to a byte, become nibbles, two to a byte.
struct Widen2Table {
  std::uint16_t pairs[256]{};  // first output byte in the low half
  constexpr Widen2Table() {
    for (unsigned b = 0; b < 256; ++b) {
      const unsigned p0 = b >> 6, p1 = (b >> 4) & 3, p2 = (b >> 2) & 3, p3 = b & 3;
      pairs[b] = static_cast<std::uint16_t>((p0 << 4 | p1) | (p2 << 4 | p3) << 8);
    }
  }
};
constexpr Widen2Table kWiden2Table;

void ConvertWiden2(const std::uint8_t* src, std::uint8_t* dst, std::uint32_t width, unsigned) {
  const std::size_t outBytes = (std::size_t{width} + 1) / 2;
  for (std::size_t i = 0; i < outBytes; ++i) {
    const std::uint16_t pair = kWiden2Table.pairs[src[i / 2]];
    dst[i] = static_cast<std::uint8_t>(i % 2 == 0 ? pair : pair >> 8);
  }
}

Convert ConversionFor(Conversion conversion) {
  switch (conversion) {
    case kFirstOfTwo: return ConvertFirstOfTwo;
    case kRgb16: return ConvertRgb16;
    case kRgba16: return ConvertRgba16;
    case kGreyAlpha16: return ConvertGreyAlpha16;
    case kWiden2: return ConvertWiden2;
    case kRgb8: return ConvertRgb8;
    case kRgba8: return ConvertRgba8;
    default: return ConvertCopy;
  }
}

// Puts the pixels of a converted pass row at columns x0, x0 + dx, ... of a
// bitmap row: whole bytes, or bit fields ORed into a cleared row.
void PlacePassRow(const std::uint8_t* src, std::uint8_t* dst, std::uint32_t passWidth, const Pass& pass,
                  unsigned bitsPerPixel) {
  std::uint32_t x = pass.x0;
  switch (bitsPerPixel) {
    case 32:
      for (std::uint32_t i = 0; i < passWidth; ++i, x += pass.dx) std::memcpy(dst + 4 * std::size_t{x}, src + 4 * i, 4);
      break;
    case 24:
      for (std::uint32_t i = 0; i < passWidth; ++i, x += pass.dx) std::memcpy(dst + 3 * std::size_t{x}, src + 3 * i, 3);
      break;
    case 8:
      for (std::uint32_t i = 0; i < passWidth; ++i, x += pass.dx) dst[x] = src[i];
      break;
    default: {
      // Pixels fill a byte from its most significant bits down.
      const unsigned perByte = 8 / bitsPerPixel;
      const unsigned mask = (1u << bitsPerPixel) - 1;
      for (std::uint32_t i = 0; i < passWidth; ++i, x += pass.dx) {
        const unsigned shiftIn = (perByte - 1 - i % perByte) * bitsPerPixel;
        const unsigned shiftOut = (perByte - 1 - x % perByte) * bitsPerPixel;
        const unsigned value = (src[i / perByte] >> shiftIn) & mask;
        dst[x / perByte] = static_cast<std::uint8_t>(dst[x / perByte] | value << shiftOut);
      }
      break;
    }
  }
}

// Rows of one image or pass, unfiltered in turn through two alternating
// buffers; an unfiltered row (filter None) is used where it lies.
class RowReader {
 public:
  RowReader(const PngInfo& info, std::uint8_t* bufferA, std::uint8_t* bufferB)
      : info_(info),
        unfilter_(UnfilterForDistance(std::max(1u, BitsPerPixel(info) / 8))),
        bufferA_(bufferA),
        bufferB_(bufferB) {}

  // Starts rows of `width` pixels at `offset` of the pixel block; the row
  // above the first counts as zeros.
  void Start(std::size_t offset, std::uint32_t width) {
    offset_ = offset;
    rowBytes_ = static_cast<std::size_t>(RowBytes(width, BitsPerPixel(info_)));
    std::memset(bufferB_, 0, rowBytes_);
    previous_ = bufferB_;
  }

  // The next unfiltered row, or null for a filter type above 4 (or a block
  // too short, which the decoded size rules out).
  const std::uint8_t* Next() {
    if (offset_ + 1 + rowBytes_ > info_.pixelsSize) return nullptr;
    const std::uint8_t* row = info_.pixels + offset_;
    std::uint8_t* current = previous_ == bufferA_ ? bufferB_ : bufferA_;
    const std::uint8_t* result = unfilter_(row[0], row + 1, previous_, current, rowBytes_);
    offset_ += 1 + rowBytes_;
    previous_ = result;
    return result;
  }

  std::size_t Offset() const { return offset_; }

 private:
  const PngInfo& info_;
  Unfilter unfilter_;
  std::uint8_t* bufferA_;
  std::uint8_t* bufferB_;
  const std::uint8_t* previous_ = nullptr;
  std::size_t offset_ = 0;
  std::size_t rowBytes_ = 0;
};

}  // namespace

// --- Operations ------------------------------------------------------------------

void PngSetHeap(const PngHeap* heap) { gHeap = heap != nullptr ? *heap : kProcessHeap; }

BOOL PngInit(PngInfo& info) {
  info = PngInfo{};
  return TRUE;
}

BOOL PngLoadResource(PngInfo& info, HINSTANCE module, WORD id) {
  if (info.state != PNG_STATE_EMPTY || info.source != PNG_SOURCE_NONE) return Fail(info, PNG_ERROR_BUSY);
  info.error = PNG_ERROR_NONE;
  HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(id), RT_RCDATA);
  if (resource == nullptr) return Fail(info, PNG_ERROR_NO_RESOURCE);
  HGLOBAL loaded = LoadResource(module, resource);
  const DWORD size = SizeofResource(module, resource);
  if (loaded == nullptr || size == 0) return Fail(info, PNG_ERROR_RESOURCE_LOAD);
  return PngAttachBytes(info, static_cast<const std::uint8_t*>(LockResource(loaded)), size);
}

BOOL PngAttachBytes(PngInfo& info, const std::uint8_t* bytes, std::uint32_t size) {
  if (info.state != PNG_STATE_EMPTY || info.source != PNG_SOURCE_NONE) return Fail(info, PNG_ERROR_BUSY);
  if (bytes == nullptr || size == 0) return Fail(info, PNG_ERROR_RESOURCE_LOAD);
  info.data = bytes;
  info.dataSize = size;
  info.source = PNG_SOURCE_RESOURCE;
  if (!PngParseHeader(info)) {
    info.source = PNG_SOURCE_NONE;
    return FALSE;
  }
  info.state = PNG_STATE_HEADER;
  return TRUE;
}

BOOL PngNextChunk(PngInfo& info, PngChunk& chunk) { return ChunkAt(info, info.cursor, chunk) ? TRUE : FALSE; }

BOOL PngParseHeader(PngInfo& info) {
  info.cursor = nullptr;
  info.header = nullptr;
  info.firstIdat = nullptr;
  info.palette = nullptr;
  info.paletteCount = 0;
  info.error = PNG_ERROR_NONE;

  if (info.data == nullptr || info.dataSize < kMinimumFileSize) return Fail(info, PNG_ERROR_NOT_PNG);
  if (std::memcmp(info.data, kSignature, sizeof kSignature) != 0) return Fail(info, PNG_ERROR_NOT_PNG);
  info.cursor = info.data + sizeof kSignature;
  PngChunk chunk;
  if (!PngNextChunk(info, chunk) || chunk.kind != PNG_CHUNK_IHDR) return Fail(info, PNG_ERROR_NOT_PNG);
  if (chunk.length < kHeaderLength) return Fail(info, PNG_ERROR_NOT_PNG);
  info.header = info.cursor + 8;
  info.width = ReadBigEndian32(info.header);
  info.height = ReadBigEndian32(info.header + 4);
  if (info.width == 0 || info.height == 0) return Fail(info, PNG_ERROR_NOT_PNG);

  // The walk goes on past IEND to the end of the data: a critical chunk
  // anywhere makes the file one this decoder cannot show.
  for (;;) {
    info.cursor += chunk.length + kChunkOverhead;
    if (!PngNextChunk(info, chunk)) break;
    if (chunk.kind == PNG_CHUNK_CRITICAL) return Fail(info, PNG_ERROR_UNSUPPORTED);
    if (chunk.kind == PNG_CHUNK_PLTE && info.palette == nullptr) {
      info.palette = info.cursor + 8;
      info.paletteCount = chunk.length / 3;
    } else if (chunk.kind == PNG_CHUNK_IDAT && info.firstIdat == nullptr) {
      info.firstIdat = info.cursor;
    }
  }

  info.bitDepth = info.header[8];
  info.colourType = info.header[9];
  info.interlace = info.header[12];
  const std::uint16_t key = static_cast<std::uint16_t>(info.bitDepth * 256 + info.colourType);
  bool accepted = false;
  for (const std::uint16_t format : kAcceptedFormats) {
    if (format == 0xFFFF) break;
    if (format == key) accepted = true;
  }
  if (!accepted) return Fail(info, PNG_ERROR_UNSUPPORTED);
  if (info.header[10] != 0 || info.header[11] != 0 || info.interlace > 1) return Fail(info, PNG_ERROR_UNSUPPORTED);

  // Refusals of ours, for files the format itself calls broken and for
  // images too large to hold.
  if (info.firstIdat == nullptr) return Fail(info, PNG_ERROR_NOT_PNG);
  if (info.colourType == kIndexed && (info.paletteCount == 0 || info.paletteCount > PNG_MAX_PALETTE)) {
    return Fail(info, PNG_ERROR_NOT_PNG);
  }
  if (std::uint64_t{info.width} * info.height > PNG_MAX_PIXELS) return Fail(info, PNG_ERROR_UNSUPPORTED);
  if (PngDecodedSize(info) > 0xFFFFFFFFu) return Fail(info, PNG_ERROR_UNSUPPORTED);
  return TRUE;
}

std::uint64_t PngDecodedSize(const PngInfo& info) {
  const unsigned bits = BitsPerPixel(info);
  if (info.interlace == 0) return std::uint64_t{info.height} * (1 + RowBytes(info.width, bits));
  std::uint64_t size = 0;
  for (const Pass& pass : kPasses) {
    const std::uint32_t columns = PassExtent(info.width, pass.x0, pass.dx);
    const std::uint32_t rows = PassExtent(info.height, pass.y0, pass.dy);
    if (columns == 0 || rows == 0) continue;  // an empty pass has no filter bytes either
    size += std::uint64_t{rows} * (1 + RowBytes(columns, bits));
  }
  return size;
}

BOOL PngDecode(PngInfo& info) {
  if (info.state != PNG_STATE_HEADER) return Fail(info, PNG_ERROR_STATE);
  const std::uint64_t size = PngDecodedSize(info);
  // Data too short to fill the image cannot inflate into it; refusing it
  // here spares the allocation.
  if (size > CompressedSize(info) * kMaxInflateRatio) return Fail(info, PNG_ERROR_NOT_PNG);
  info.pixelsSize = static_cast<std::uint32_t>(size);
  info.pixels = static_cast<std::uint8_t*>(HeapAllocate(info.pixelsSize));
  if (info.pixels == nullptr) {
    info.pixelsSize = 0;
    return Fail(info, PNG_ERROR_NO_MEMORY);
  }
  if (!PngInflate(info)) {
    HeapRelease(info.pixels);
    info.pixels = nullptr;
    info.pixelsSize = 0;
    return FALSE;
  }
  info.state = PNG_STATE_DECODED;
  return TRUE;
}

BOOL PngRelease(PngInfo& info) {
  if (info.state == PNG_STATE_DECODED && info.pixels != nullptr) HeapRelease(info.pixels);
  info = PngInfo{};
  return TRUE;
}

BOOL PngFillBitmapInfo(PngInfo& info, DibLayout& layout, std::uint32_t outputCode, std::uint32_t& chosenCode) {
  if (info.state != PNG_STATE_DECODED) return Fail(info, PNG_ERROR_STATE);
  const NaturalLayout* natural = LayoutForCode(info, outputCode);
  if (natural == nullptr) return Fail(info, PNG_ERROR_OUTPUT_CODE);

  layout = DibLayout{};
  layout.width = static_cast<std::int32_t>(info.width);
  layout.height = -static_cast<std::int32_t>(info.height);  // top-down
  layout.bitsPerPixel = natural->bitsPerPixel;
  if (natural->table == ColourTable::kRamp) {
    // Entry i of an n-entry ramp has the level i × 255 / (n − 1).
    const std::uint32_t n = natural->rampEntries;
    for (std::uint32_t i = 0; i < n; ++i) {
      const std::uint32_t level = i * 255 / (n - 1);
      layout.colourTable[i] = level << 16 | level << 8 | level;
    }
    layout.colourCount = n;
  } else if (natural->table == ColourTable::kPalette) {
    const std::uint32_t count = std::min(info.paletteCount, PNG_MAX_PALETTE);
    for (std::uint32_t i = 0; i < count; ++i) {
      const std::uint8_t* rgb = info.palette + 3 * i;
      layout.colourTable[i] = std::uint32_t{rgb[0]} << 16 | std::uint32_t{rgb[1]} << 8 | rgb[2];
    }
    layout.colourCount = 0;  // a palette's table is a full one of 2^bits entries
  }
  chosenCode = OutputCode(*natural);
  return TRUE;
}

std::uint32_t PngBitmapStride(const DibLayout& layout) {
  return StrideFor(static_cast<std::uint32_t>(layout.width), layout.bitsPerPixel);
}

std::size_t PngBitmapBytes(const DibLayout& layout) {
  const std::uint64_t rows = layout.height < 0 ? -std::int64_t{layout.height} : layout.height;
  return static_cast<std::size_t>(rows * PngBitmapStride(layout));
}

BOOL PngRenderRows(PngInfo& info, std::uint8_t* bits, std::size_t bitsSize, std::uint32_t outputCode) {
  if (info.state != PNG_STATE_DECODED) return Fail(info, PNG_ERROR_STATE);
  const NaturalLayout* layout = LayoutForCode(info, outputCode);
  if (layout == nullptr) return Fail(info, PNG_ERROR_OUTPUT_CODE);
  const std::uint32_t stride = StrideFor(info.width, layout->bitsPerPixel);
  if (bits == nullptr || bitsSize / stride < info.height) return Fail(info, PNG_ERROR_BITMAP);

  const unsigned sourceBits = BitsPerPixel(info);
  const std::size_t rowBytes = static_cast<std::size_t>(RowBytes(info.width, sourceBits));
  const std::size_t outputBytes = static_cast<std::size_t>(RowBytes(info.width, layout->bitsPerPixel));
  const Convert convert = ConversionFor(layout->conversion);

  // Two row buffers, and for interlaced images a bitmap row for a converted pass row.
  const std::size_t passRowBytes = info.interlace ? stride : 0;
  auto* buffers = static_cast<std::uint8_t*>(HeapAllocate(2 * rowBytes + passRowBytes));
  if (buffers == nullptr) return Fail(info, PNG_ERROR_NO_MEMORY);
  RowReader rows(info, buffers, buffers + rowBytes);
  BOOL ok = TRUE;

  if (info.interlace == 0) {
    rows.Start(0, info.width);
    for (std::uint32_t y = 0; y < info.height; ++y) {
      const std::uint8_t* row = rows.Next();
      if (row == nullptr) {
        ok = FALSE;
        break;
      }
      std::uint8_t* out = bits + std::size_t{y} * stride;
      convert(row, out, info.width, sourceBits);
      std::memset(out + outputBytes, 0, stride - outputBytes);
    }
  } else {
    // Every pixel belongs to one pass, so only bit fields need a clear row.
    if (layout->bitsPerPixel < 8) {
      std::memset(bits, 0, std::size_t{stride} * info.height);
    } else {
      for (std::uint32_t y = 0; y < info.height; ++y) {
        std::memset(bits + std::size_t{y} * stride + outputBytes, 0, stride - outputBytes);
      }
    }
    std::uint8_t* converted = buffers + 2 * rowBytes;
    std::size_t offset = 0;
    for (const Pass& pass : kPasses) {
      const std::uint32_t columns = PassExtent(info.width, pass.x0, pass.dx);
      const std::uint32_t passRows = PassExtent(info.height, pass.y0, pass.dy);
      if (columns == 0 || passRows == 0) continue;
      rows.Start(offset, columns);
      for (std::uint32_t r = 0; r < passRows && ok; ++r) {
        const std::uint8_t* row = rows.Next();
        if (row == nullptr) {
          ok = FALSE;
          break;
        }
        convert(row, converted, columns, sourceBits);
        const std::size_t y = pass.y0 + std::size_t{r} * pass.dy;
        PlacePassRow(converted, bits + y * stride, columns, pass, layout->bitsPerPixel);
      }
      if (!ok) break;
      offset = rows.Offset();
    }
  }
  HeapRelease(buffers);
  return ok;
}
