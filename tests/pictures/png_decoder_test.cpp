// The decoder's header checks, states, layouts and edge cases, on small PNG
// files built here.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <sstream>

#include "platform/resource_bundle.h"
#include "platform/win_resources.h"
#include "png_reference.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t Crc32(const std::uint8_t* p, std::size_t n) {
  std::uint32_t crc = 0xFFFFFFFF;
  for (std::size_t i = 0; i < n; ++i) {
    crc ^= p[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  return ~crc;
}

void Put32(Bytes& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

Bytes Chunk(const char* type, const Bytes& data) {
  Bytes out;
  Put32(out, static_cast<std::uint32_t>(data.size()));
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  Put32(out, Crc32(out.data() + 4, data.size() + 4));
  return out;
}

struct Header {
  std::uint32_t width = 1, height = 1;
  std::uint8_t bitDepth = 8, colourType = 0, compression = 0, filter = 0, interlace = 0;
};

Bytes Ihdr(const Header& h) {
  Bytes data;
  Put32(data, h.width);
  Put32(data, h.height);
  data.insert(data.end(), {h.bitDepth, h.colourType, h.compression, h.filter, h.interlace});
  return Chunk("IHDR", data);
}

// The filtered rows as a zlib stream of stored blocks, with its Adler-32.
Bytes ZlibStored(const Bytes& raw, std::uint8_t flags = 0x01) {
  Bytes out = {0x78, flags};
  std::size_t at = 0;
  do {
    const std::size_t n = std::min<std::size_t>(raw.size() - at, 65535);
    out.push_back(at + n == raw.size() ? 1 : 0);
    out.insert(out.end(), {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
                           static_cast<std::uint8_t>(~n), static_cast<std::uint8_t>(~n >> 8)});
    out.insert(out.end(), raw.begin() + at, raw.begin() + at + n);
    at += n;
  } while (at < raw.size());
  std::uint32_t a = 1, b = 0;
  for (std::uint8_t byte : raw) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  Put32(out, b << 16 | a);
  return out;
}

const Bytes kSignature = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

Bytes Png(std::initializer_list<Bytes> chunks) {
  Bytes out = kSignature;
  for (const Bytes& c : chunks) out.insert(out.end(), c.begin(), c.end());
  return out;
}

// A file with one IDAT holding `raw` and an IEND.
Bytes SimplePng(const Header& h, const Bytes& raw, const std::vector<Bytes>& before = {}) {
  Bytes out = kSignature;
  const Bytes ihdr = Ihdr(h);
  out.insert(out.end(), ihdr.begin(), ihdr.end());
  for (const Bytes& c : before) out.insert(out.end(), c.begin(), c.end());
  for (const Bytes& c : {Chunk("IDAT", ZlibStored(raw)), Chunk("IEND", {})}) out.insert(out.end(), c.begin(), c.end());
  return out;
}

// 1×1 grey pixel 0x80.
const Bytes kGreyPixel = {0, 0x80};

// --- Header checks ---------------------------------------------------------------

struct LoadCase {
  const char* name;
  Bytes file;
  std::uint32_t error;
};

std::vector<LoadCase> LoadCases() {
  const Bytes good = SimplePng({}, kGreyPixel);
  Bytes badSignature = good;
  badSignature[1] = 'Q';
  Header zeroWidth, zeroHeight, type1, depth3, greyAlpha4, rgb4, palette16, compression1, filter1, interlace2;
  zeroWidth.width = 0;
  zeroHeight.height = 0;
  type1.colourType = 1;
  depth3.bitDepth = 3;
  greyAlpha4.colourType = 4, greyAlpha4.bitDepth = 4;
  rgb4.colourType = 2, rgb4.bitDepth = 4;
  palette16.colourType = 3, palette16.bitDepth = 16;
  compression1.compression = 1;
  filter1.filter = 1;
  interlace2.interlace = 2;
  Header indexed;
  indexed.colourType = 3;
  Header over, atLimit;
  over.width = 8001, over.height = 8000;  // just over 64 megapixels
  atLimit.width = 8000, atLimit.height = 8000;
  Bytes shortIhdr = Png({Chunk("IHDR", Bytes(12, 1)), Chunk("IDAT", ZlibStored(kGreyPixel)), Chunk("IEND", {})});
  return {
      {"a valid file", good, 0},
      {"15 bytes", Bytes(good.begin(), good.begin() + 15), PNG_ERROR_NOT_PNG},
      {"signature only and more", Bytes(good.begin(), good.begin() + 19), PNG_ERROR_NOT_PNG},
      {"wrong signature", badSignature, PNG_ERROR_NOT_PNG},
      {"first chunk not IHDR", Png({Chunk("gAMA", {0, 0, 0, 1}), Ihdr({}), Chunk("IDAT", ZlibStored(kGreyPixel))}),
       PNG_ERROR_NOT_PNG},
      {"IHDR of 12 bytes", shortIhdr, PNG_ERROR_NOT_PNG},
      {"width 0", SimplePng(zeroWidth, kGreyPixel), PNG_ERROR_NOT_PNG},
      {"height 0", SimplePng(zeroHeight, kGreyPixel), PNG_ERROR_NOT_PNG},
      {"colour type 1", SimplePng(type1, kGreyPixel), PNG_ERROR_UNSUPPORTED},
      {"bit depth 3", SimplePng(depth3, kGreyPixel), PNG_ERROR_UNSUPPORTED},
      {"grey with alpha at 4 bits", SimplePng(greyAlpha4, kGreyPixel), PNG_ERROR_UNSUPPORTED},
      {"truecolour at 4 bits", SimplePng(rgb4, kGreyPixel), PNG_ERROR_UNSUPPORTED},
      {"indexed at 16 bits", SimplePng(palette16, kGreyPixel), PNG_ERROR_UNSUPPORTED},
      {"compression method 1", SimplePng(compression1, kGreyPixel), PNG_ERROR_UNSUPPORTED},
      {"filter method 1", SimplePng(filter1, kGreyPixel), PNG_ERROR_UNSUPPORTED},
      {"interlace method 2", SimplePng(interlace2, kGreyPixel), PNG_ERROR_UNSUPPORTED},
      {"unknown critical chunk", SimplePng({}, kGreyPixel, {Chunk("ABCD", {})}), PNG_ERROR_UNSUPPORTED},
      {"unknown critical chunk after IEND",
       Png({Ihdr({}), Chunk("IDAT", ZlibStored(kGreyPixel)), Chunk("IEND", {}), Chunk("ABCD", {1})}),
       PNG_ERROR_UNSUPPORTED},
      {"unknown ancillary chunk", SimplePng({}, kGreyPixel, {Chunk("abCD", {1, 2})}), 0},
      {"no IDAT", Png({Ihdr({}), Chunk("IEND", {})}), PNG_ERROR_NOT_PNG},
      {"IDAT running past the end", Bytes(good.begin(), good.end() - 14), PNG_ERROR_NOT_PNG},
      {"indexed without PLTE", SimplePng(indexed, {0, 0}), PNG_ERROR_NOT_PNG},
      {"PLTE of 257 entries", SimplePng(indexed, {0, 0}, {Chunk("PLTE", Bytes(3 * 257, 9))}), PNG_ERROR_NOT_PNG},
      {"PLTE of 256 entries", SimplePng(indexed, {0, 0}, {Chunk("PLTE", Bytes(3 * 256, 9))}), 0},
      {"over 64 megapixels", SimplePng(over, kGreyPixel), PNG_ERROR_UNSUPPORTED},
      {"64 megapixels", SimplePng(atLimit, kGreyPixel), 0},
  };
}

TEST(PngDecoder, HeaderChecksGiveTheirCodes) {
  for (const LoadCase& c : LoadCases()) {
    SCOPED_TRACE(c.name);
    PngInfo info;
    PngInit(info);
    EXPECT_EQ(PngAttachBytes(info, c.file.data(), static_cast<std::uint32_t>(c.file.size())), c.error == 0);
    EXPECT_EQ(info.error, c.error);
    EXPECT_EQ(info.state, c.error == 0 ? PNG_STATE_HEADER : PNG_STATE_EMPTY);
    EXPECT_EQ(info.source, c.error == 0 ? PNG_SOURCE_RESOURCE : PNG_SOURCE_NONE);
    PngRelease(info);
  }
}

TEST(PngDecoder, HeaderFieldsAndChunkWalk) {
  Header h;
  h.width = 3, h.height = 2, h.colourType = 3, h.bitDepth = 4;
  const Bytes plte = {1, 2, 3, 4, 5, 6, 7};  // two entries and a stray byte
  const Bytes file = Png({Ihdr(h), Chunk("tEXt", {'a'}), Chunk("PLTE", plte), Chunk("PLTE", {9, 9, 9}),
                          Chunk("IDAT", ZlibStored({0, 0x01, 0x10, 0, 0x11, 0x00})), Chunk("IDAT", {}),
                          Chunk("IEND", {})});
  PngInfo info;
  PngInit(info);
  ASSERT_TRUE(PngAttachBytes(info, file.data(), static_cast<std::uint32_t>(file.size())));
  EXPECT_EQ(info.width, 3u);
  EXPECT_EQ(info.height, 2u);
  EXPECT_EQ(info.colourType, 3);
  EXPECT_EQ(info.bitDepth, 4);
  EXPECT_EQ(info.interlace, 0);
  EXPECT_EQ(info.header, file.data() + 16);
  EXPECT_EQ(info.paletteCount, 2u);
  EXPECT_EQ(info.palette[0], 1);  // the first PLTE
  EXPECT_EQ(info.firstIdat, file.data() + 8 + 25 + 13 + 19 + 15);
  EXPECT_EQ(PngDecodedSize(info), 2u * (1 + 2));

  // The walk itself: kinds, lengths and CRCs as read.
  info.cursor = info.data + 8;
  std::vector<std::uint32_t> kinds;
  PngChunk chunk;
  while (PngNextChunk(info, chunk)) {
    kinds.push_back(chunk.kind);
    info.cursor += chunk.length + 12;
  }
  EXPECT_EQ(kinds, (std::vector<std::uint32_t>{PNG_CHUNK_IHDR, PNG_CHUNK_ANCILLARY, PNG_CHUNK_PLTE, PNG_CHUNK_PLTE,
                                               PNG_CHUNK_IDAT, PNG_CHUNK_IDAT, PNG_CHUNK_IEND}));
  info.cursor = info.data + 8;
  ASSERT_TRUE(PngNextChunk(info, chunk));
  EXPECT_EQ(chunk.length, 13u);
  EXPECT_EQ(chunk.crc, Crc32(file.data() + 12, 17));
  PngRelease(info);
}

// --- Decoding ---------------------------------------------------------------

struct DecodeCase {
  const char* name;
  Bytes file;
  std::uint32_t error;
};

Bytes WithBadCrcs(Bytes file) {
  for (std::size_t at = 8; at + 12 <= file.size();) {
    const std::uint32_t length = std::uint32_t{file[at]} << 24 | file[at + 1] << 16 | file[at + 2] << 8 | file[at + 3];
    file[at + 8 + length] ^= 0xFF;
    at += length + 12;
  }
  return file;
}

std::vector<DecodeCase> DecodeCases() {
  Header twoRows;
  twoRows.width = 2, twoRows.height = 2;
  const Bytes raw = {0, 10, 20, 0, 30, 40};
  const Bytes stream = ZlibStored(raw);
  Bytes badAdler = stream;
  badAdler.back() ^= 1;
  Bytes wrongCheck = stream;
  wrongCheck[1] = 0x00;  // (0x78 × 256 + 0) is no multiple of 31
  const auto split = [&](std::initializer_list<std::size_t> cuts) {
    Bytes out = kSignature;
    const Bytes ihdr = Ihdr(twoRows);
    out.insert(out.end(), ihdr.begin(), ihdr.end());
    std::size_t at = 0;
    for (std::size_t cut : cuts) {
      const Bytes c = Chunk("IDAT", Bytes(stream.begin() + at, stream.begin() + cut));
      out.insert(out.end(), c.begin(), c.end());
      at = cut;
    }
    const Bytes last = Chunk("IDAT", Bytes(stream.begin() + at, stream.end()));
    out.insert(out.end(), last.begin(), last.end());
    return out;
  };
  return {
      {"one IDAT", SimplePng(twoRows, raw), 0},
      {"IDAT split, with empty ones", split({0, 1, 1, 5, 9, 9}), 0},
      {"wrong CRCs", WithBadCrcs(SimplePng(twoRows, raw)), 0},
      {"wrong Adler-32", Png({Ihdr(twoRows), Chunk("IDAT", badAdler), Chunk("IEND", {})}), 0},
      {"wrong header check value", Png({Ihdr(twoRows), Chunk("IDAT", wrongCheck), Chunk("IEND", {})}), 0},
      {"tRNS, gAMA and tEXt", SimplePng(twoRows, raw, {Chunk("gAMA", {0, 0, 0, 1}), Chunk("tRNS", {0, 10}),
                                                         Chunk("tEXt", {'k', 0, 'v'})}), 0},
      {"preset dictionary", Png({Ihdr(twoRows), Chunk("IDAT", ZlibStored(raw, 0x20)), Chunk("IEND", {})}),
       PNG_ERROR_NOT_PNG},
      {"a row short", SimplePng(twoRows, {0, 10, 20}), PNG_ERROR_NOT_PNG},
      {"a byte more", SimplePng(twoRows, {0, 10, 20, 0, 30, 40, 0}), PNG_ERROR_NOT_PNG},
      {"another chunk between IDATs",
       Png({Ihdr(twoRows), Chunk("IDAT", Bytes(stream.begin(), stream.begin() + 5)), Chunk("tEXt", {'a'}),
            Chunk("IDAT", Bytes(stream.begin() + 5, stream.end()))}),
       PNG_ERROR_NOT_PNG},
  };
}

TEST(PngDecoder, DecodingGivesItsCodes) {
  for (const DecodeCase& c : DecodeCases()) {
    SCOPED_TRACE(c.name);
    const auto decoded = pngtest::DecodeWithPloxa(c.file);
    ASSERT_EQ(decoded.loadError, 0u);
    EXPECT_EQ(decoded.decodeError, c.error);
    if (c.error == 0) {
      ASSERT_TRUE(decoded.rendered);
      // 2×2 grey, rows padded to 4 bytes.
      EXPECT_EQ(decoded.bits, (Bytes{10, 20, 0, 0, 30, 40, 0, 0}));
    }
  }
}

// --- Layouts ---------------------------------------------------------------

struct LayoutCase {
  const char* name;
  Header header;
  Bytes raw;  // filtered rows
  std::vector<Bytes> chunks;
  std::uint32_t code;
  std::uint16_t bitsPerPixel;
  std::uint32_t colourCount;
  Bytes bits;  // the bitmap, rows padded to 4 bytes
};

Header Make(std::uint32_t w, std::uint32_t h, std::uint8_t depth, std::uint8_t type, std::uint8_t interlace = 0) {
  Header header;
  header.width = w, header.height = h, header.bitDepth = depth, header.colourType = type;
  header.interlace = interlace;
  return header;
}

std::vector<LayoutCase> LayoutCases() {
  const Bytes plte = Chunk("PLTE", {255, 0, 0, 0, 255, 0, 0, 0, 255, 9, 9, 9});
  return {
      {"grey 1", Make(9, 1, 1, 0), {0, 0xA5, 0x80}, {}, 0x00010100, 1, 2, {0xA5, 0x80, 0, 0}},
      // Levels 0, 1, 2, 3 become the nibbles 0 1 2 3 and show 0, 85, 170, 255.
      {"grey 2", Make(5, 1, 2, 0), {0, 0x1B, 0xC0}, {}, 0x0002010B, 4, 4, {0x01, 0x23, 0x30, 0}},
      {"grey 4", Make(3, 1, 4, 0), {0, 0x12, 0x30}, {}, 0x00040100, 4, 16, {0x12, 0x30, 0, 0}},
      {"grey 8", Make(2, 1, 8, 0), {0, 7, 9}, {}, 0x00080100, 8, 256, {7, 9, 0, 0}},
      {"grey 16 shows the high byte", Make(2, 1, 16, 0), {0, 0x12, 0x34, 0x56, 0x78}, {}, 0x00100106, 8, 256,
       {0x12, 0x56, 0, 0}},
      {"truecolour 8", Make(1, 1, 8, 2), {0, 1, 2, 3}, {}, 0x0208010C, 24, 0, {3, 2, 1, 0}},
      {"truecolour 16", Make(1, 1, 16, 2), {0, 1, 0xF1, 2, 0xF2, 3, 0xF3}, {}, 0x02100107, 24, 0, {3, 2, 1, 0}},
      {"indexed 1", Make(2, 1, 1, 3), {0, 0x40}, {plte}, 0x03010100, 1, 0, {0x40, 0, 0, 0}},
      {"indexed 2", Make(4, 1, 2, 3), {0, 0x1B}, {plte}, 0x0302010B, 4, 0, {0x01, 0x23, 0, 0}},
      {"indexed 4", Make(2, 1, 4, 3), {0, 0x21}, {plte}, 0x03040100, 4, 0, {0x21, 0, 0, 0}},
      {"indexed 8", Make(2, 1, 8, 3), {0, 3, 1}, {plte}, 0x03080100, 8, 0, {3, 1, 0, 0}},
      {"grey with alpha 8 loses its alpha", Make(2, 1, 8, 4), {0, 5, 200, 6, 100}, {}, 0x04080106, 8, 256,
       {5, 6, 0, 0}},
      {"grey with alpha 16", Make(1, 1, 16, 4), {0, 5, 1, 200, 2}, {}, 0x0410010A, 8, 256, {5, 0, 0, 0}},
      {"truecolour with alpha keeps it", Make(1, 1, 8, 6), {0, 1, 2, 3, 4}, {}, 0x0608010E, 32, 0, {3, 2, 1, 4}},
      {"truecolour with alpha 16", Make(1, 1, 16, 6), {0, 1, 9, 2, 9, 3, 9, 4, 9}, {}, 0x06100109, 32, 0,
       {3, 2, 1, 4}},
  };
}

TEST(PngDecoder, EveryFormatHasItsNaturalLayout) {
  for (const LayoutCase& c : LayoutCases()) {
    SCOPED_TRACE(c.name);
    const Bytes file = SimplePng(c.header, c.raw, c.chunks);
    PngInfo info;
    PngInit(info);
    ASSERT_TRUE(PngAttachBytes(info, file.data(), static_cast<std::uint32_t>(file.size())));
    ASSERT_TRUE(PngDecode(info));
    DibLayout layout;
    std::uint32_t code = 0;
    ASSERT_TRUE(PngFillBitmapInfo(info, layout, PNG_OUTPUT_NATURAL, code));
    EXPECT_EQ(code, c.code);
    EXPECT_EQ(layout.width, static_cast<std::int32_t>(c.header.width));
    EXPECT_EQ(layout.height, -static_cast<std::int32_t>(c.header.height));
    EXPECT_EQ(layout.bitsPerPixel, c.bitsPerPixel);
    EXPECT_EQ(layout.colourCount, c.colourCount);
    Bytes bits(PngBitmapBytes(layout), 0xEE);
    ASSERT_TRUE(PngRenderRows(info, bits.data(), bits.size(), code));
    EXPECT_EQ(bits, c.bits);
    if (c.header.colourType == 3) {
      EXPECT_EQ(layout.colourTable[0], 0xFF0000u);
      EXPECT_EQ(layout.colourTable[2], 0x0000FFu);
      EXPECT_EQ(layout.colourTable[3], 0x090909u);
      EXPECT_EQ(layout.colourTable[4], 0u);
    }
    PngRelease(info);
  }
}

TEST(PngDecoder, GreyRampsStepEvenlyFromBlackToWhite) {
  struct Ramp {
    std::uint8_t depth;
    std::vector<std::uint32_t> firstLevels;
  };
  const Ramp ramps[] = {{1, {0, 255}}, {2, {0, 85, 170, 255}}, {4, {0, 17, 34}}, {8, {0, 1, 2}}, {16, {0, 1, 2}}};
  for (const Ramp& r : ramps) {
    SCOPED_TRACE(testing::Message() << "depth " << int{r.depth});
    const Bytes file = SimplePng(Make(1, 1, r.depth, 0), r.depth == 16 ? Bytes{0, 0, 0} : Bytes{0, 0});
    const auto decoded = pngtest::DecodeWithPloxa(file);
    ASSERT_TRUE(decoded.rendered);
    for (std::size_t i = 0; i < r.firstLevels.size(); ++i) {
      EXPECT_EQ(decoded.layout.colourTable[i], r.firstLevels[i] * 0x010101u) << "entry " << i;
    }
    const std::uint32_t last = decoded.layout.colourCount - 1;
    EXPECT_EQ(decoded.layout.colourTable[last], 0xFFFFFFu);
  }
}

// --- Filters ---------------------------------------------------------------

TEST(PngDecoder, FiltersMatchTheGoldenVectors) {
  const auto corpus = pngtest::CorpusDir();
  if (!corpus) GTEST_SKIP() << "PLOXA_CORPUS_DIR is not a folder: the filter vectors are missing";
  std::ifstream tsv(*corpus / "robustness" / "png-filters" / "wuffs_filters_golden.tsv");
  const auto hex = [](const std::string& s) {
    Bytes b;
    for (std::size_t i = 0; i + 1 < s.size(); i += 2) b.push_back(static_cast<std::uint8_t>(std::stoi(s.substr(i, 2), nullptr, 16)));
    return b;
  };
  std::string line;
  int vectors = 0;
  while (std::getline(tsv, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    int filter, bpp;
    std::string row0, row1, want0, want1;
    fields >> filter >> bpp >> row0 >> row1 >> want0 >> want1;
    SCOPED_TRACE(line);
    ++vectors;
    // 12-byte rows at 1 to 4 bytes per pixel: grey, grey 16 (whose high
    // bytes the bitmap shows), truecolour and truecolour with alpha.
    const Header shapes[] = {Make(12, 2, 8, 0), Make(6, 2, 16, 0), Make(4, 2, 8, 2), Make(3, 2, 8, 6)};
    Bytes raw = {static_cast<std::uint8_t>(filter)};
    for (std::uint8_t b : hex(row0)) raw.push_back(b);
    raw.push_back(static_cast<std::uint8_t>(filter));
    for (std::uint8_t b : hex(row1)) raw.push_back(b);
    const auto decoded = pngtest::DecodeWithPloxa(SimplePng(shapes[bpp - 1], raw));
    ASSERT_TRUE(decoded.rendered);
    const std::uint32_t stride = PngBitmapStride(decoded.layout);
    const Bytes wants[2] = {hex(want0), hex(want1)};
    for (int y = 0; y < 2; ++y) {
      const std::uint8_t* row = decoded.bits.data() + y * stride;
      Bytes got;
      switch (bpp) {
        case 1: got.assign(row, row + 12); break;
        case 2:
          for (int x = 0; x < 6; ++x) got.insert(got.end(), {row[x], wants[y][2 * x + 1]});
          break;
        default:
          for (int x = 0; x < 12 / bpp; ++x) {
            got.insert(got.end(), {row[bpp * x + 2], row[bpp * x + 1], row[bpp * x]});
            if (bpp == 4) got.push_back(row[4 * x + 3]);
          }
      }
      EXPECT_EQ(got, wants[y]) << "row " << y;
    }
  }
  EXPECT_EQ(vectors, 16);
}

TEST(PngDecoder, FilterByteFiveFailsRenderingWithErrorStillZero) {
  const Bytes file = SimplePng(Make(2, 2, 8, 0), {0, 1, 2, 5, 3, 4});
  PngInfo info;
  PngInit(info);
  ASSERT_TRUE(PngAttachBytes(info, file.data(), static_cast<std::uint32_t>(file.size())));
  ASSERT_TRUE(PngDecode(info));
  DibLayout layout;
  std::uint32_t code = 0;
  ASSERT_TRUE(PngFillBitmapInfo(info, layout, PNG_OUTPUT_NATURAL, code));
  Bytes bits(PngBitmapBytes(layout));
  EXPECT_FALSE(PngRenderRows(info, bits.data(), bits.size(), code));
  EXPECT_EQ(info.error, 0u);
  EXPECT_EQ(info.state, PNG_STATE_DECODED);
  PngRelease(info);
}

// --- Interlacing ---------------------------------------------------------------

// Adam7 rows of an 8-bit grey image whose pixel (x, y) is 16·y + x, pass after
// pass, each row with filter None.
Bytes InterlacedGrey(std::uint32_t w, std::uint32_t h) {
  static const std::uint32_t passes[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                             {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
  Bytes raw;
  for (const auto& p : passes) {
    if (w <= p[0] || h <= p[1]) continue;
    for (std::uint32_t y = p[1]; y < h; y += p[3]) {
      raw.push_back(0);
      for (std::uint32_t x = p[0]; x < w; x += p[2]) raw.push_back(static_cast<std::uint8_t>(16 * y + x));
    }
  }
  return raw;
}

TEST(PngDecoder, InterlacedImagesPlaceEveryPass) {
  struct Case {
    std::uint32_t w, h;
    std::uint64_t decodedSize;
  };
  // 1×1: pass 1 only. 6×2: passes 1, 2, 4, 6 and 7 (1 + 1 + 1 + 3 + 6 pixels,
  // a filter byte per row).
  const Case cases[] = {{1, 1, 2}, {6, 2, 17}, {9, 9, 81 + 19}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.w << "x" << c.h);
    const Bytes raw = InterlacedGrey(c.w, c.h);
    const Bytes file = SimplePng(Make(c.w, c.h, 8, 0, 1), raw);
    PngInfo info;
    PngInit(info);
    ASSERT_TRUE(PngAttachBytes(info, file.data(), static_cast<std::uint32_t>(file.size())));
    EXPECT_EQ(PngDecodedSize(info), c.decodedSize);
    EXPECT_EQ(raw.size(), c.decodedSize);
    PngRelease(info);
    const auto decoded = pngtest::DecodeWithPloxa(file);
    ASSERT_TRUE(decoded.rendered);
    const std::uint32_t stride = PngBitmapStride(decoded.layout);
    for (std::uint32_t y = 0; y < c.h; ++y) {
      for (std::uint32_t x = 0; x < c.w; ++x) EXPECT_EQ(decoded.bits[y * stride + x], 16 * y + x) << x << "," << y;
    }
  }
}

TEST(PngDecoder, InterlacedTwoBitGreyLandsInNibbles) {
  // 6×2 grey 2-bit, every pixel at level (x + y) % 4, passes 1, 2, 4, 6, 7.
  const auto level = [](unsigned x, unsigned y) { return (x + y) % 4; };
  const auto pack = [](std::initializer_list<unsigned> levels) {
    unsigned byte = 0, n = 0;
    for (unsigned l : levels) byte |= l << (6 - 2 * n++);
    return static_cast<std::uint8_t>(byte);
  };
  const Bytes raw = {0, pack({level(0, 0)}), 0, pack({level(4, 0)}), 0, pack({level(2, 0)}),
                     0, pack({level(1, 0), level(3, 0), level(5, 0)}),
                     0, pack({level(0, 1), level(1, 1), level(2, 1), level(3, 1)}), pack({level(4, 1), level(5, 1)})};
  const auto decoded = pngtest::DecodeWithPloxa(SimplePng(Make(6, 2, 2, 0, 1), raw));
  ASSERT_TRUE(decoded.rendered);
  EXPECT_EQ(decoded.bits, (Bytes{0x01, 0x23, 0x01, 0, 0x12, 0x30, 0x12, 0}));
}

// --- States and resources ---------------------------------------------------------------

TEST(PngDecoder, CallsInTheWrongStateFail) {
  const Bytes file = SimplePng({}, kGreyPixel);
  PngInfo info;
  PngInit(info);
  EXPECT_FALSE(PngDecode(info));
  EXPECT_EQ(info.error, PNG_ERROR_STATE);

  ASSERT_TRUE(PngAttachBytes(info, file.data(), static_cast<std::uint32_t>(file.size())));
  EXPECT_FALSE(PngAttachBytes(info, file.data(), static_cast<std::uint32_t>(file.size())));
  EXPECT_EQ(info.error, PNG_ERROR_BUSY);
  EXPECT_FALSE(PngLoadResource(info, nullptr, 1));
  EXPECT_EQ(info.error, PNG_ERROR_BUSY);

  DibLayout layout;
  std::uint32_t code = 0;
  EXPECT_FALSE(PngFillBitmapInfo(info, layout, PNG_OUTPUT_NATURAL, code));
  EXPECT_EQ(info.error, PNG_ERROR_STATE);
  Bytes bits(4);
  EXPECT_FALSE(PngRenderRows(info, bits.data(), bits.size(), PNG_OUTPUT_NATURAL));
  EXPECT_EQ(info.error, PNG_ERROR_STATE);

  ASSERT_TRUE(PngDecode(info));
  EXPECT_FALSE(PngDecode(info));
  EXPECT_EQ(info.error, PNG_ERROR_STATE);

  // An explicit output code must be the natural one.
  EXPECT_FALSE(PngFillBitmapInfo(info, layout, 0x0208010C, code));
  EXPECT_EQ(info.error, PNG_ERROR_OUTPUT_CODE);
  ASSERT_TRUE(PngFillBitmapInfo(info, layout, 0x00080100, code));
  // Rendering twice gives the same bitmap; a short buffer is refused.
  ASSERT_TRUE(PngRenderRows(info, bits.data(), bits.size(), code));
  EXPECT_EQ(bits, (Bytes{0x80, 0, 0, 0}));
  ASSERT_TRUE(PngRenderRows(info, bits.data(), bits.size(), code));
  EXPECT_EQ(bits, (Bytes{0x80, 0, 0, 0}));
  EXPECT_FALSE(PngRenderRows(info, bits.data(), 3, code));

  PngRelease(info);
  EXPECT_EQ(info.state, PNG_STATE_EMPTY);
  EXPECT_EQ(info.pixels, nullptr);
  EXPECT_EQ(info.data, nullptr);
  EXPECT_EQ(info.width, 0u);
  ASSERT_TRUE(PngAttachBytes(info, file.data(), static_cast<std::uint32_t>(file.size())));
  PngRelease(info);
}

TEST(PngDecoder, FailedDecodeKeepsTheHeaderAndFreesTheBlock) {
  const Bytes file = SimplePng(Make(2, 2, 8, 0), {0, 1, 2});
  PngInfo info;
  PngInit(info);
  ASSERT_TRUE(PngAttachBytes(info, file.data(), static_cast<std::uint32_t>(file.size())));
  EXPECT_FALSE(PngDecode(info));
  EXPECT_EQ(info.error, PNG_ERROR_NOT_PNG);
  EXPECT_EQ(info.state, PNG_STATE_HEADER);
  EXPECT_EQ(info.pixels, nullptr);
  PngRelease(info);
}

struct HeapLog {
  std::vector<std::size_t> sizes;
  bool refuse = false;
  static void* Allocate(void* context, std::size_t size) {
    auto& log = *static_cast<HeapLog*>(context);
    log.sizes.push_back(size);
    return log.refuse ? nullptr : std::malloc(size);
  }
  static void Release(void*, void* block) { std::free(block); }
};

TEST(PngDecoder, MemoryIsTakenOnlyWhenTheImageCanBeFilled) {
  HeapLog log;
  const PngHeap heap{HeapLog::Allocate, HeapLog::Release, &log};
  PngSetHeap(&heap);

  // 64 megapixels of grey whose data is one byte long: refused before any
  // allocation, as is an image over the limit.
  Header big = Make(8000, 8000, 8, 0);
  const Bytes tiny = SimplePng(big, kGreyPixel);
  PngInfo info;
  PngInit(info);
  ASSERT_TRUE(PngAttachBytes(info, tiny.data(), static_cast<std::uint32_t>(tiny.size())));
  EXPECT_FALSE(PngDecode(info));
  EXPECT_EQ(info.error, PNG_ERROR_NOT_PNG);
  PngRelease(info);
  EXPECT_TRUE(log.sizes.empty());

  // A refused allocation: no memory, still state 1.
  log.refuse = true;
  const Bytes file = SimplePng(Make(2, 2, 8, 0), {0, 1, 2, 0, 3, 4});
  ASSERT_TRUE(PngAttachBytes(info, file.data(), static_cast<std::uint32_t>(file.size())));
  EXPECT_FALSE(PngDecode(info));
  EXPECT_EQ(info.error, PNG_ERROR_NO_MEMORY);
  EXPECT_EQ(info.state, PNG_STATE_HEADER);
  EXPECT_EQ(log.sizes, (std::vector<std::size_t>{6}));

  // The pixel block of exactly the decoded size, then the two row buffers.
  log.refuse = false;
  log.sizes.clear();
  ASSERT_TRUE(PngDecode(info));
  DibLayout layout;
  std::uint32_t code = 0;
  ASSERT_TRUE(PngFillBitmapInfo(info, layout, PNG_OUTPUT_NATURAL, code));
  Bytes bits(PngBitmapBytes(layout));
  ASSERT_TRUE(PngRenderRows(info, bits.data(), bits.size(), code));
  EXPECT_EQ(log.sizes, (std::vector<std::size_t>{6, 2 * 2}));
  PngRelease(info);
  PngSetHeap(nullptr);
}

// Writes a program file (some bytes, then a bundle) and serves its resources.
class PngResource : public ::testing::Test {
 protected:
  void SetUp() override {
    bundle::BundleWriter writer;
    const Bytes png = SimplePng(Make(2, 1, 8, 2), {0, 1, 2, 3, 4, 5, 6});
    ASSERT_TRUE(writer.Add(bundle::ResourceType::Numbered(10), 500, png));
    ASSERT_TRUE(writer.Add(bundle::ResourceType::Named("IMG"), 501, png));
    ASSERT_TRUE(writer.Add(bundle::ResourceType::Numbered(10), 502, {}));
    Bytes program(64, 0x90);
    const Bytes bundle = writer.Finish();
    program.insert(program.end(), bundle.begin(), bundle.end());
    path_ = (std::filesystem::temp_directory_path() / ("ploxa-png-" + std::to_string(getpid()))).string();
    std::ofstream(path_, std::ios::binary).write(reinterpret_cast<const char*>(program.data()),
                                                 static_cast<std::streamsize>(program.size()));
    SetProgramFileForResources(path_.c_str());
  }
  void TearDown() override {
    SetProgramFileForResources("");
    std::remove(path_.c_str());
  }
  std::string path_;
};

TEST_F(PngResource, LoadsOnlyRcDataResources) {
  struct Case {
    WORD id;
    std::uint32_t error;
  };
  const Case cases[] = {{500, 0}, {501, PNG_ERROR_NO_RESOURCE}, {499, PNG_ERROR_NO_RESOURCE},
                        {502, PNG_ERROR_RESOURCE_LOAD}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    PngInfo info;
    PngInit(info);
    EXPECT_EQ(PngLoadResource(info, GetModuleHandleA(nullptr), c.id), c.error == 0);
    EXPECT_EQ(info.error, c.error);
    if (c.error == 0) {
      EXPECT_EQ(info.source, PNG_SOURCE_RESOURCE);
      ASSERT_TRUE(PngDecode(info));
      DibLayout layout;
      std::uint32_t code = 0;
      ASSERT_TRUE(PngFillBitmapInfo(info, layout, PNG_OUTPUT_NATURAL, code));
      Bytes bits(PngBitmapBytes(layout));
      ASSERT_TRUE(PngRenderRows(info, bits.data(), bits.size(), code));
      EXPECT_EQ(bits, (Bytes{3, 2, 1, 6, 5, 4, 0, 0}));
    } else {
      EXPECT_EQ(info.state, PNG_STATE_EMPTY);
      EXPECT_EQ(info.source, PNG_SOURCE_NONE);
    }
    PngRelease(info);
  }
}

}  // namespace
