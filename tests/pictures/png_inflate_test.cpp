// The inflater: hand-made streams each giving one exact result, the public
// deflate vectors, and the same verdicts and bytes as zlib on many streams,
// whole, cut into runs and damaged.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "pictures/png_inflate.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// Hands out the input as the given runs, in order.
struct Runs {
  std::vector<Bytes> runs;
  std::size_t next = 0;

  static bool Next(void* context, const std::uint8_t** bytes, std::size_t* size) {
    auto& self = *static_cast<Runs*>(context);
    if (self.next == self.runs.size()) return false;
    const Bytes& run = self.runs[self.next++];
    *bytes = run.data();
    *size = run.size();
    return true;
  }
};

InflateResult InflateRuns(std::vector<Bytes> runs, Bytes& out, InflateWrapper wrapper = InflateWrapper::kZlib) {
  Runs source{std::move(runs)};
  return Inflate(InflateSource{Runs::Next, &source}, out.data(), out.size(), wrapper);
}

InflateResult InflateBytes(const Bytes& in, std::size_t outSize, Bytes* decoded = nullptr,
                           InflateWrapper wrapper = InflateWrapper::kZlib) {
  Bytes out(outSize);
  const InflateResult result = InflateRuns({in}, out, wrapper);
  if (decoded != nullptr) *decoded = out;
  return result;
}

// Writes fields least significant bit first, Huffman codes first bit first.
class BitWriter {
 public:
  BitWriter& Bits(unsigned value, unsigned count) {
    for (unsigned i = 0; i < count; ++i) Bit((value >> i) & 1);
    return *this;
  }
  BitWriter& Code(unsigned code, unsigned length) {
    for (unsigned i = length; i-- > 0;) Bit((code >> i) & 1);
    return *this;
  }
  BitWriter& Align() {
    while (bit_ != 0) Bit(0);
    return *this;
  }
  BitWriter& Byte(std::uint8_t b) {
    Align();
    bytes_.push_back(b);
    return *this;
  }
  // Fixed literal/length codes.
  BitWriter& Fixed(unsigned symbol) {
    if (symbol < 144) return Code(0x30 + symbol, 8);
    if (symbol < 256) return Code(0x190 + symbol - 144, 9);
    if (symbol < 280) return Code(symbol - 256, 7);
    return Code(0xC0 + symbol - 280, 8);
  }
  Bytes Done() const { return bytes_; }

 private:
  void Bit(unsigned b) {
    if (bit_ == 0) bytes_.push_back(0);
    bytes_.back() = static_cast<std::uint8_t>(bytes_.back() | b << bit_);
    bit_ = (bit_ + 1) & 7;
  }
  Bytes bytes_;
  unsigned bit_ = 0;
};

Bytes Zlib(Bytes deflate) {
  deflate.insert(deflate.begin(), {0x78, 0x9C});
  return deflate;
}

Bytes Concat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

Bytes StoredBlock(bool final, const Bytes& data) {
  BitWriter w;
  w.Bits(final, 1).Bits(0, 2).Align();
  const unsigned n = static_cast<unsigned>(data.size());
  w.Byte(n & 0xFF).Byte(n >> 8).Byte(~n & 0xFF).Byte((~n >> 8) & 0xFF);
  return Concat(w.Done(), data);
}

const Bytes kAdler = {0, 0, 0, 0};

struct HandMadeCase {
  const char* name;
  Bytes stream;
  std::size_t outSize;
  InflateResult expected;
};

std::vector<HandMadeCase> HandMadeCases() {
  const Bytes hello = {'h', 'e', 'l', 'l', 'o'};
  const Bytes storedHello = StoredBlock(true, hello);
  // Fixed block: 'a', then a match of length 3 at distance 1, end.
  const Bytes fixedRun = BitWriter().Bits(1, 1).Bits(1, 2).Fixed('a').Fixed(257).Code(0, 5).Fixed(256).Done();
  return {
      {"stored block", Zlib(Concat(storedHello, kAdler)), 5, InflateResult::kOk},
      {"header check value is not tested", Concat(Concat({0x78, 0x00}, storedHello), kAdler), 5, InflateResult::kOk},
      {"wrong adler-32 goes unnoticed", Zlib(Concat(storedHello, {1, 2, 3, 4})), 5, InflateResult::kOk},
      {"missing adler-32 goes unnoticed", Zlib(storedHello), 5, InflateResult::kOk},
      {"window of 32 KiB is the largest", Concat(Concat({0x78, 0x01}, storedHello), kAdler), 5, InflateResult::kOk},
      {"method 7", Concat(Concat({0x77, 0x01}, storedHello), kAdler), 5, InflateResult::kBadZlibHeader},
      {"window of 64 KiB", Concat(Concat({0x88, 0x01}, storedHello), kAdler), 5, InflateResult::kBadZlibHeader},
      {"preset dictionary", Concat(Concat({0x78, 0x20}, storedHello), kAdler), 5, InflateResult::kBadZlibHeader},
      {"empty stream", {}, 5, InflateResult::kInputEnded},
      {"header only", {0x78, 0x9C}, 5, InflateResult::kInputEnded},
      {"stored data cut short", Zlib(Bytes(storedHello.begin(), storedHello.end() - 2)), 5, InflateResult::kInputEnded},
      {"no final block", Zlib(Concat(StoredBlock(false, hello), kAdler)), 5, InflateResult::kInputEnded},
      {"stored NLEN wrong", Zlib({0x01, 0x05, 0x00, 0xFA, 0xFE, 'h', 'e', 'l', 'l', 'o'}), 5,
       InflateResult::kBadStoredLength},
      {"block type 3", Zlib(BitWriter().Bits(1, 1).Bits(3, 2).Bits(0, 13).Done()), 5, InflateResult::kBadBlockType},
      {"output one byte short of the stream", Zlib(Concat(storedHello, kAdler)), 4, InflateResult::kOutputOverrun},
      {"stream one byte short of the output", Zlib(Concat(storedHello, kAdler)), 6, InflateResult::kOutputShort},
      {"fixed codes with a match", Zlib(Concat(fixedRun, kAdler)), 4, InflateResult::kOk},
      {"match past the output", Zlib(Concat(fixedRun, kAdler)), 3, InflateResult::kOutputOverrun},
      {"distance before the start",
       Zlib(BitWriter().Bits(1, 1).Bits(1, 2).Fixed('a').Fixed(257).Code(1, 5).Fixed(256).Done()), 4,
       InflateResult::kDistanceTooFar},
      {"fixed literal/length 286",
       Zlib(BitWriter().Bits(1, 1).Bits(1, 2).Fixed('a').Fixed(286).Done()), 4, InflateResult::kBadLiteralLengthSymbol},
      {"fixed distance 30",
       Zlib(BitWriter().Bits(1, 1).Bits(1, 2).Fixed('a').Fixed(257).Code(30, 5).Fixed(256).Done()), 4,
       InflateResult::kBadDistanceSymbol},
      {"fixed block without its end", Zlib(BitWriter().Bits(1, 1).Bits(1, 2).Fixed('a').Done()), 1,
       InflateResult::kInputEnded},
      {"dynamic with 287 literal/length codes", Zlib(BitWriter().Bits(1, 1).Bits(2, 2).Bits(30, 5).Bits(0, 5).Bits(0, 4).Bits(0, 32).Done()), 1, InflateResult::kTooManyCodes},
      {"dynamic with 31 distance codes", Zlib(BitWriter().Bits(1, 1).Bits(2, 2).Bits(0, 5).Bits(30, 5).Bits(0, 4).Bits(0, 32).Done()), 1,
       InflateResult::kTooManyCodes},
  };
}

TEST(PngInflate, HandMadeStreamsGiveOneExactResult) {
  for (const HandMadeCase& c : HandMadeCases()) {
    SCOPED_TRACE(c.name);
    Bytes out;
    EXPECT_STREQ(InflateResultName(InflateBytes(c.stream, c.outSize, &out)), InflateResultName(c.expected));
    if (c.expected == InflateResult::kOk && c.outSize == 5) {
      EXPECT_EQ(out, (Bytes{'h', 'e', 'l', 'l', 'o'}));
    }
    if (c.expected == InflateResult::kOk && c.outSize == 4) {
      EXPECT_EQ(out, (Bytes{'a', 'a', 'a', 'a'}));
    }
  }
}

TEST(PngInflate, RunsOfAnySizeIncludingEmptyOnesMakeOneStream) {
  const Bytes stream = Zlib(Concat(Concat(StoredBlock(false, {'a', 'b', 'c'}),
                                          BitWriter().Bits(1, 1).Bits(1, 2).Fixed('d').Fixed(258).Code(3, 5)
                                              .Fixed(256).Done()),
                                   kAdler));
  // 'a' 'b' 'c' 'd', then four bytes from distance 4.
  const Bytes expected = {'a', 'b', 'c', 'd', 'a', 'b', 'c', 'd'};
  std::vector<Bytes> oneByteRuns = {{}};
  for (std::uint8_t b : stream) {
    oneByteRuns.push_back({b});
    oneByteRuns.push_back({});
  }
  Bytes out(expected.size());
  ASSERT_EQ(InflateRuns(oneByteRuns, out), InflateResult::kOk);
  EXPECT_EQ(out, expected);
}

// A dynamic block whose literal 'x' has a one-bit code, so that one refill
// of the bit buffer yields many literals, then a match of 258 bytes at
// distance 9 (copied in words), then a few more literals. Wherever the
// literals leave the match, nothing may be written past the end. Empty
// stored blocks follow, so that the input does not run low near the end.
Bytes LiteralsThenLongMatch(unsigned literals, unsigned after) {
  BitWriter w;
  w.Bits(0, 1).Bits(2, 2);
  w.Bits(286 - 257, 5).Bits(7 - 1, 5).Bits(18 - 4, 4);
  // Code-length code: 0 and 18 in two bits, 1, 2, 3 and 17 in three.
  const unsigned order[18] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1};
  for (unsigned symbol : order) {
    const unsigned length = (symbol == 0 || symbol == 18) ? 2 : (symbol >= 1 && symbol <= 3) || symbol == 17 ? 3 : 0;
    w.Bits(length, 3);
  }
  const auto zeros18 = [&](unsigned n) { w.Code(0b01, 2).Bits(n - 11, 7); };
  const auto length = [&](unsigned l) { w.Code(0b100 + l - 1, 3); };
  zeros18(120);  // 0-119
  length(1);     // 'x'
  zeros18(135);  // 121-255
  length(2);     // end of block
  length(3);     // 257
  zeros18(27);   // 258-284
  length(3);     // 285: length 258
  w.Code(0b111, 3).Bits(3, 3);  // distances 0-5: none
  length(1);                    // distance code 6: 9 to 12
  // Literal/length codes: 'x' 0, end 10, 257 110, 285 111.
  for (unsigned i = 0; i < literals; ++i) w.Code(0, 1);
  w.Code(0b111, 3).Code(0, 1).Bits(0, 2);  // 258 bytes from 9 back
  for (unsigned i = 0; i < after; ++i) w.Code(0, 1);
  w.Code(0b10, 2);
  for (unsigned final : {0, 0, 0, 1}) w.Bits(final, 1).Bits(0, 2).Byte(0).Byte(0).Byte(0xFF).Byte(0xFF);
  return Zlib(Concat(w.Done(), kAdler));
}

TEST(PngInflate, NothingIsWrittenPastTheOutputWhateverTheAlignment) {
  for (unsigned literals = 9; literals < 200; ++literals) {
    for (unsigned after = 0; after < 8; ++after) {
      SCOPED_TRACE(testing::Message() << literals << " literals, " << after << " after");
      const Bytes stream = LiteralsThenLongMatch(literals, after);
      const unsigned size = literals + 258 + after;
      // Guard bytes after the output show any byte written past it.
      Bytes out(size + 16, 0xA5);
      Runs source{{stream}};
      ASSERT_EQ(Inflate(InflateSource{Runs::Next, &source}, out.data(), size), InflateResult::kOk);
      ASSERT_EQ(out, Concat(Bytes(size, 'x'), Bytes(16, 0xA5)));
    }
  }
}

// --- Public vectors ----------------------------------------------------------

std::optional<fs::path> DeflateCorpus() {
  const char* dir = std::getenv("PLOXA_CORPUS_DIR");
  if (dir == nullptr) return std::nullopt;
  const fs::path path = fs::path(dir) / "robustness" / "deflate";
  if (!fs::is_directory(path)) return std::nullopt;
  return path;
}

Bytes FromHex(const std::string& hex) {
  Bytes bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) bytes.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  return bytes;
}

// zlib's verdict and output; `room` bounds the output (ok is false and the
// output full when the bound was reached).
Bytes ZlibRawInflate(const Bytes& in, bool& ok, std::size_t room = 1 << 20) {
  z_stream z{};
  inflateInit2(&z, -15);
  Bytes out(room);
  z.next_in = const_cast<Bytef*>(in.data());
  z.avail_in = static_cast<uInt>(in.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  const int status = inflate(&z, Z_FINISH);
  ok = status == Z_STREAM_END;
  out.resize(z.total_out);
  inflateEnd(&z);
  return out;
}

// zlib's messages for the raw vectors, in the inflater's terms.
const std::map<std::string, InflateResult> kZlibMessages = {
    {"invalid stored block lengths", InflateResult::kBadStoredLength},
    {"invalid block type", InflateResult::kBadBlockType},
    {"too many length or distance symbols", InflateResult::kTooManyCodes},
    {"invalid code lengths set", InflateResult::kBadCodeLengthCode},
    {"invalid bit length repeat", InflateResult::kBadRepeat},
    {"invalid code -- missing end-of-block", InflateResult::kNoEndOfBlockCode},
    {"invalid literal/lengths set", InflateResult::kBadLiteralLengthCode},
    {"invalid distances set", InflateResult::kBadDistanceCodeLengths},
    {"invalid literal/length code", InflateResult::kBadLiteralLengthSymbol},
    {"invalid distance code", InflateResult::kBadDistanceSymbol},
    {"invalid distance too far back", InflateResult::kDistanceTooFar},
};

TEST(PngInflate, RawVectorsGiveZlibsVerdicts) {
  const auto corpus = DeflateCorpus();
  if (!corpus) GTEST_SKIP() << "PLOXA_CORPUS_DIR has no robustness/deflate folder";
  std::ifstream tsv(*corpus / "infcover_raw_deflate_vectors.tsv");
  std::string line;
  int vectors = 0;
  while (std::getline(tsv, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string hex, wrapper, expected, observed;
    std::getline(fields, hex, '\t');
    std::getline(fields, wrapper, '\t');
    std::getline(fields, expected, '\t');
    std::getline(fields, observed, '\t');
    if (wrapper != "raw(-15)") continue;  // gzip wrappers are no business of PNG
    SCOPED_TRACE(hex + " " + expected);
    ++vectors;
    const Bytes in = FromHex(hex);
    if (expected.rfind("must decode", 0) == 0) {
      const std::size_t length = std::stoul(observed.substr(observed.find("outlen=") + 7));
      bool zlibOk = false;
      const Bytes reference = ZlibRawInflate(in, zlibOk);
      Bytes out;
      EXPECT_EQ(InflateBytes(in, length, &out, InflateWrapper::kRaw), InflateResult::kOk);
      EXPECT_EQ(out, reference);
      continue;
    }
    const std::string message = expected.substr(expected.find('"') + 1, expected.rfind('"') - expected.find('"') - 1);
    ASSERT_TRUE(kZlibMessages.count(message)) << message;
    EXPECT_STREQ(InflateResultName(InflateBytes(in, 1 << 16, nullptr, InflateWrapper::kRaw)),
                 InflateResultName(kZlibMessages.at(message)));
  }
  EXPECT_EQ(vectors, 19);
}

TEST(PngInflate, ZlibWrapperVectors) {
  struct Case {
    const char* hex;
    std::size_t outSize;
    InflateResult expected;
  };
  const Case cases[] = {
      {"7785", 1, InflateResult::kBadZlibHeader},          // method 7
      {"7890", 1, InflateResult::kInputEnded},             // wrong check value, no data
      {"789c63000000010001", 1, InflateResult::kOk},       // one zero byte
      {"08b800000001", 1, InflateResult::kBadZlibHeader},  // preset dictionary
      {"789c6300", 1, InflateResult::kInputEnded},         // cut inside the block
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.hex);
    EXPECT_STREQ(InflateResultName(InflateBytes(FromHex(c.hex), c.outSize)), InflateResultName(c.expected));
  }
}

TEST(PngInflate, ArtificialStreamsDecodeAsExpected) {
  const auto corpus = DeflateCorpus();
  if (!corpus) GTEST_SKIP() << "PLOXA_CORPUS_DIR has no robustness/deflate folder";
  struct Case {
    const char* name;
    InflateResult expected;
  };
  const Case cases[] = {
      {"backref-crosses-blocks", InflateResult::kOk},  {"degenerate-huffman", InflateResult::kOk},
      {"distance-32768", InflateResult::kOk},          {"distance-code-31", InflateResult::kBadDistanceSymbol},
      {"huffman-primlen-9", InflateResult::kOk},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path base = *corpus / "wuffs-artificial" / c.name;
    std::ifstream in(base.string() + ".deflate", std::ios::binary), want(base.string() + ".deflate.decompressed",
                                                                          std::ios::binary);
    const Bytes stream{std::istreambuf_iterator<char>(in), {}};
    const Bytes expected{std::istreambuf_iterator<char>(want), {}};
    ASSERT_FALSE(stream.empty());
    Bytes out;
    EXPECT_STREQ(InflateResultName(InflateBytes(stream, expected.size(), &out, InflateWrapper::kRaw)),
                 InflateResultName(c.expected));
    if (c.expected == InflateResult::kOk) {
      EXPECT_EQ(out, expected);
    }
  }
}

// --- Against zlib ---------------------------------------------------------------

// Image-like bytes: smooth ramps, noise and repeats, so that every code
// length, match length and distance shows up.
Bytes SampleData(std::mt19937& random, std::size_t size) {
  Bytes data(size);
  std::uniform_int_distribution<int> noise(-3, 3);
  for (std::size_t i = 0; i < size; ++i) {
    const int ramp = static_cast<int>((i * 7 / 3) % 256);
    data[i] = static_cast<std::uint8_t>(i % 4096 < 1024 ? ramp : ramp + noise(random) * ((i / 512) % 5));
  }
  return data;
}

Bytes Deflate(const Bytes& data, int level, int strategy) {
  z_stream z{};
  deflateInit2(&z, level, Z_DEFLATED, -15, 9, strategy);
  Bytes out(deflateBound(&z, data.size()) + 64);  // the bound runs short for stored blocks
  z.next_in = const_cast<Bytef*>(data.data());
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

// Cuts a stream into runs of random sizes, some of them empty.
std::vector<Bytes> RandomRuns(std::mt19937& random, const Bytes& stream) {
  std::vector<Bytes> runs;
  std::uniform_int_distribution<std::size_t> size(0, 3000);
  for (std::size_t at = 0; at < stream.size();) {
    const std::size_t n = std::min(size(random) % 5 == 0 ? 0 : size(random), stream.size() - at);
    runs.emplace_back(stream.begin() + at, stream.begin() + at + n);
    at += n;
  }
  return runs;
}

TEST(PngInflate, SameVerdictsAndBytesAsZlib) {
  std::mt19937 random(6);
  struct Setting {
    int level, strategy;
  };
  const Setting settings[] = {{0, Z_DEFAULT_STRATEGY}, {1, Z_DEFAULT_STRATEGY}, {6, Z_DEFAULT_STRATEGY},
                              {9, Z_DEFAULT_STRATEGY}, {6, Z_FIXED},            {6, Z_HUFFMAN_ONLY},
                              {6, Z_RLE}};
  int accepted = 0, refused = 0;
  for (const Setting& setting : settings) {
    for (std::size_t size : {1u, 300u, 70000u}) {
      SCOPED_TRACE(testing::Message() << "level " << setting.level << " strategy " << setting.strategy << " size "
                                      << size);
      const Bytes data = SampleData(random, size);
      const Bytes stream = Deflate(data, setting.level, setting.strategy);
      Bytes out(data.size());
      ASSERT_EQ(InflateRuns(RandomRuns(random, stream), out, InflateWrapper::kRaw), InflateResult::kOk);
      ASSERT_EQ(out, data);

      // Damaged copies: flipped bits, changed bytes, cut ends.
      for (int trial = 0; trial < 300; ++trial) {
        Bytes damaged = stream;
        std::uniform_int_distribution<std::size_t> at(0, damaged.size() - 1);
        switch (trial % 3) {
          case 0: damaged[at(random)] ^= static_cast<std::uint8_t>(1u << (random() % 8)); break;
          case 1: damaged[at(random)] = static_cast<std::uint8_t>(random()); break;
          default: damaged.resize(at(random)); break;
        }
        bool zlibOk = false;
        const std::size_t room = 2 * data.size() + 4096;
        const Bytes reference = ZlibRawInflate(damaged, zlibOk, room);
        if (reference.size() == room) continue;  // zlib's verdict is unknown
        Bytes ours(zlibOk ? reference.size() : reference.size() + 1);
        const InflateResult result = InflateRuns(RandomRuns(random, damaged), ours, InflateWrapper::kRaw);
        if (zlibOk) {
          ++accepted;
          EXPECT_EQ(result, InflateResult::kOk) << "trial " << trial << ": " << InflateResultName(result);
          EXPECT_EQ(ours, reference) << "trial " << trial;
        } else {
          ++refused;
          EXPECT_NE(result, InflateResult::kOk) << "trial " << trial;
          // Up to the failure, the bytes are zlib's (zlib also copies the
          // part of a cut stored block that is there; the inflater does not).
          if (trial % 3 == 2) continue;
          Bytes exact(reference.size());
          InflateRuns({damaged}, exact, InflateWrapper::kRaw);
          EXPECT_EQ(exact, reference) << "trial " << trial;
        }
      }
    }
  }
  EXPECT_GT(accepted, 100);
  EXPECT_GT(refused, 100);
}

}  // namespace
