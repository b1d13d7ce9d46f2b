#include "pictures/png_inflate.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace {

constexpr unsigned kMaxCodeBits = 15;
constexpr unsigned kMaxLiteralLengthCodes = 286;
constexpr unsigned kMaxDistanceCodes = 30;
constexpr unsigned kFixedLiteralLengthCodes = 288;  // the fixed code also names 286 and 287
constexpr unsigned kFixedDistanceCodes = 32;        // ... and distances 30 and 31
constexpr unsigned kCodeLengthCodes = 19;
constexpr unsigned kEndOfBlock = 256;

// Table entry: bits 0-3 the code's length, bits 4-7 its kind, bits 8-15 the
// count of extra bits that follow the code (for a subtable link: the mask of
// the subtable index; for literals: 1 when the entry holds two), bits 16-31
// the value (literal byte or two, base length or distance, code-length
// symbol, or the subtable's offset).
constexpr std::uint32_t kLiteral = 0x10;
constexpr std::uint32_t kEnd = 0x20;
constexpr std::uint32_t kLink = 0x40;
constexpr std::uint32_t kInvalid = 0x80;

constexpr std::uint32_t Entry(std::uint32_t value, std::uint32_t extra, std::uint32_t kind) {
  return value << 16 | extra << 8 | kind;
}
inline unsigned CodeLength(std::uint32_t entry) { return entry & 15; }
inline unsigned ExtraBits(std::uint32_t entry) { return (entry >> 8) & 0xFF; }
inline std::uint32_t Value(std::uint32_t entry) { return entry >> 16; }

// Main tables are indexed by this many bits; longer codes go through a
// subtable indexed by the rest, sized for the longest code of the table.
constexpr unsigned kLiteralTableBits = 11;
constexpr std::uint64_t kLiteralMask = (1u << kLiteralTableBits) - 1;
constexpr unsigned kDistanceTableBits = 8;
constexpr unsigned kCodeLengthTableBits = 7;  // code-length codes are at most 7 bits

// Each subtable covers a distinct prefix taken by at least one long code, so
// there are at most as many subtables as symbols.
constexpr std::size_t TableSize(unsigned mainBits, unsigned symbols) {
  return (std::size_t{1} << mainBits) + symbols * (std::size_t{1} << (kMaxCodeBits - mainBits));
}
constexpr std::size_t kLiteralTableSize = TableSize(kLiteralTableBits, kFixedLiteralLengthCodes);
constexpr std::size_t kDistanceTableSize = TableSize(kDistanceTableBits, kFixedDistanceCodes);
constexpr std::size_t kCodeLengthTableSize = std::size_t{1} << kCodeLengthTableBits;

// Lengths 3 to 258 and distances 1 to 32768: a base and a count of extra bits
// per symbol.
constexpr std::uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                           31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                           2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::uint16_t kDistanceBase[30] = {1,    2,    3,    4,    5,    7,     9,     13,    17,  25,
                                             33,   49,   65,   97,   129,  193,   257,   385,   513, 769,
                                             1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::uint8_t kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                             6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

// What each symbol decodes to, before the code length is added.
struct SymbolEntries {
  std::array<std::uint32_t, kFixedLiteralLengthCodes> literalLength{};
  std::array<std::uint32_t, kFixedDistanceCodes> distance{};
  std::array<std::uint32_t, kCodeLengthCodes> codeLength{};
  constexpr SymbolEntries() {
    for (unsigned s = 0; s < 256; ++s) literalLength[s] = Entry(s, 0, kLiteral);
    literalLength[kEndOfBlock] = Entry(0, 0, kEnd);
    for (unsigned s = 0; s < 29; ++s) literalLength[257 + s] = Entry(kLengthBase[s], kLengthExtra[s], 0);
    literalLength[286] = literalLength[287] = Entry(0, 0, kInvalid);
    for (unsigned s = 0; s < 30; ++s) distance[s] = Entry(kDistanceBase[s], kDistanceExtra[s], 0);
    distance[30] = distance[31] = Entry(0, 0, kInvalid);
    for (unsigned s = 0; s < kCodeLengthCodes; ++s) codeLength[s] = Entry(s, 0, 0);
  }
};
constexpr SymbolEntries kSymbols;

// The code-length code's lengths arrive in this order.
constexpr std::uint8_t kCodeLengthOrder[kCodeLengthCodes] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                             11, 4,  12, 3, 13, 2, 14, 1, 15};

enum class CodeShape { kComplete, kIncomplete, kOverSubscribed };

struct CodeInfo {
  CodeShape shape;
  unsigned used;     // symbols with a code
  unsigned longest;  // longest code length, 0 when there is none
};

inline unsigned Reverse(unsigned code, unsigned length) {
  unsigned reversed = 0;
  for (unsigned i = 0; i < length; ++i, code >>= 1) reversed = (reversed << 1) | (code & 1);
  return reversed;
}

// PngBuildCodes: canonical Huffman codes from their lengths (within a length,
// codes follow the order of the symbols), laid out as a lookup table. Codes are
// sent first bit first, so an entry sits at the bit-reversed code and repeats
// for every value of the bits that follow it. Entries no code reaches are
// invalid. An over-subscribed set builds no table.
CodeInfo PngBuildCodes(const std::uint8_t* lengths, unsigned count, const std::uint32_t* symbols,
                       std::uint32_t* table, unsigned mainBits) {
  unsigned perLength[kMaxCodeBits + 1] = {};
  for (unsigned s = 0; s < count; ++s) ++perLength[lengths[s]];

  CodeInfo info{CodeShape::kComplete, count - perLength[0], 0};
  int left = 1;  // codes still free at the current length
  for (unsigned length = 1; length <= kMaxCodeBits; ++length) {
    left = left * 2 - static_cast<int>(perLength[length]);
    if (left < 0) return {CodeShape::kOverSubscribed, info.used, 0};
    if (perLength[length] != 0) info.longest = length;
  }
  if (left > 0) info.shape = CodeShape::kIncomplete;

  const std::size_t mainSize = std::size_t{1} << mainBits;
  const unsigned subBits = info.longest > mainBits ? info.longest - mainBits : 0;
  const std::size_t subSize = std::size_t{1} << subBits;
  if (info.shape == CodeShape::kIncomplete) {
    for (std::size_t i = 0; i < mainSize; ++i) table[i] = kInvalid;
  }

  // Symbols in code order: by length, then by symbol.
  std::uint16_t sorted[kFixedLiteralLengthCodes];
  unsigned offset[kMaxCodeBits + 2] = {};
  for (unsigned length = 1; length <= kMaxCodeBits; ++length) offset[length + 1] = offset[length] + perLength[length];
  for (unsigned s = 0; s < count; ++s) {
    if (lengths[s] != 0) sorted[offset[lengths[s]]++] = static_cast<std::uint16_t>(s);
  }

  // Codes count up within a length and double from one length to the next.
  std::size_t nextSubtable = mainSize;
  std::size_t subtable = 0;
  unsigned subPrefix = ~0u;
  unsigned code = 0;
  unsigned previousLength = 0;
  for (unsigned i = 0; i < info.used; ++i) {
    const unsigned symbol = sorted[i];
    const unsigned length = lengths[symbol];
    code <<= length - previousLength;
    previousLength = length;
    const std::uint32_t entry = symbols[symbol] | length;
    const unsigned reversed = Reverse(code++, length);
    if (length <= mainBits) {
      for (std::size_t at = reversed; at < mainSize; at += std::size_t{1} << length) table[at] = entry;
      continue;
    }
    // Codes are handed out in order, so the codes sharing a prefix are
    // consecutive and share one subtable.
    const unsigned prefix = reversed & (mainSize - 1);
    if (prefix != subPrefix) {
      subPrefix = prefix;
      subtable = nextSubtable;
      nextSubtable += subSize;
      for (std::size_t at = 0; at < subSize; ++at) table[subtable + at] = kInvalid;
      table[prefix] = Entry(static_cast<std::uint32_t>(subtable), static_cast<std::uint32_t>(subSize - 1), kLink);
    }
    const unsigned rest = length - mainBits;
    for (std::size_t at = reversed >> mainBits; at < subSize; at += std::size_t{1} << rest) {
      table[subtable + at] = entry;
    }
  }
  return info;
}

// An incomplete literal/length or distance code is allowed only when it is a
// single one-bit code (and, for distances, when there is no code at all).
bool AcceptableShape(const CodeInfo& info) {
  if (info.shape == CodeShape::kOverSubscribed) return false;
  if (info.shape == CodeShape::kIncomplete) return info.used <= 1 && info.longest <= 1;
  return true;
}

// Where a literal's code leaves room in the main table's bits for a second
// literal's whole code, the entry decodes both: the same symbols in the same
// order, two bytes per lookup. Entries are visited from the top down, so the
// entry for the bits after the first code is still a single symbol.
void PairLiterals(std::uint32_t* table, unsigned mainBits) {
  for (std::size_t i = std::size_t{1} << mainBits; i-- > 0;) {
    const std::uint32_t first = table[i];
    if (!(first & kLiteral)) continue;
    const unsigned firstLength = CodeLength(first);
    const std::uint32_t second = table[i >> firstLength];
    if (!(second & kLiteral) || CodeLength(second) > mainBits - firstLength) continue;
    table[i] = Entry(Value(first) | Value(second) << 8, 1, kLiteral) | (firstLength + CodeLength(second));
  }
}

inline std::uint64_t Load64(const std::uint8_t* p) {
  std::uint64_t v;
  std::memcpy(&v, p, 8);
  if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap64(v);
  return v;
}

class Inflater {
 public:
  Inflater(const InflateSource& source, std::uint8_t* out, std::size_t outSize)
      : source_(source), outStart_(out), out_(out), outEnd_(out + outSize) {}

  InflateResult Run(InflateWrapper wrapper) {
    if (wrapper == InflateWrapper::kZlib) {
      // CMF: method 8 (deflate) in the low half, log2(window) − 8 in the high
      // half. FLG: bit 5 asks for a preset dictionary, which PNG never uses.
      const unsigned cmf = Bits(8);
      const unsigned flg = Bits(8);
      if (InputEnded()) return InflateResult::kInputEnded;
      if ((cmf & 15) != 8 || (cmf >> 4) > 7 || (flg & 0x20) != 0) return InflateResult::kBadZlibHeader;
    }
    for (;;) {
      const unsigned final = Bits(1);
      const unsigned type = Bits(2);
      InflateResult result;
      switch (type) {
        case 0: result = Stored(); break;
        case 1: result = Fixed(); break;
        case 2: result = Dynamic(); break;
        default: result = InflateResult::kBadBlockType; break;
      }
      if (result != InflateResult::kOk) return Fail(result);
      if (InputEnded()) return InflateResult::kInputEnded;
      if (final) break;
    }
    // The Adler-32 trailer follows on a byte boundary; it is not checked, and
    // a stream cut right before it has lost nothing of the image.
    if (wrapper == InflateWrapper::kZlib) {
      Drop(bitsLeft_ & 7);
      Bits(16);
      Bits(16);
    }
    return out_ == outEnd_ ? InflateResult::kOk : InflateResult::kOutputShort;
  }

 private:
  // --- Bits, least significant first ----------------------------------------
  // The buffer holds bitsLeft_ bits of the stream; the bits above them are
  // either zero or the stream's next bits, so refilling may OR them in again.

  bool NextRun() {
    while (!ended_) {
      const std::uint8_t* bytes = nullptr;
      std::size_t size = 0;
      if (!source_.next(source_.context, &bytes, &size)) {
        ended_ = true;
        break;
      }
      if (size != 0) {
        in_ = bytes;
        inEnd_ = bytes + size;
        return true;
      }
    }
    return false;
  }

  // PngNextByte: the next byte of the current run or of the following ones.
  // Past the end the stream reads as zeros, counted so that using them fails.
  std::uint8_t NextByte() {
    if (in_ == inEnd_ && !NextRun()) {
      ++phantom_;
      return 0;
    }
    return *in_++;
  }

  void RefillFast() {
    bits_ |= Load64(in_) << bitsLeft_;
    in_ += (63 - bitsLeft_) >> 3;
    bitsLeft_ |= 56;
  }

  // Leaves at least 56 bits in the buffer.
  void Refill() {
    if (inEnd_ - in_ >= 8) {
      RefillFast();
      return;
    }
    while (bitsLeft_ < 56) {
      bits_ |= std::uint64_t{NextByte()} << bitsLeft_;
      bitsLeft_ += 8;
    }
  }

  unsigned Bits(unsigned count) {
    if (bitsLeft_ < count) Refill();
    const unsigned value = static_cast<unsigned>(bits_ & ((std::uint64_t{1} << count) - 1));
    Drop(count);
    return value;
  }

  void Drop(unsigned count) {
    bits_ >>= count;
    bitsLeft_ -= count;
  }

  // Bits past the end of the stream have been used.
  bool InputEnded() const { return phantom_ != 0 && phantom_ * 8 > bitsLeft_; }

  InflateResult Fail(InflateResult result) const {
    return InputEnded() ? InflateResult::kInputEnded : result;
  }

  static std::uint32_t Lookup(const std::uint32_t* table, unsigned mainBits, std::uint64_t bits) {
    std::uint32_t entry = table[bits & ((1u << mainBits) - 1)];
    if (entry & kLink) entry = table[Value(entry) + ((bits >> mainBits) & ExtraBits(entry))];
    return entry;
  }

  // --- Blocks -----------------------------------------------------------------

  // A stored block starts on a byte boundary with LEN and its one's
  // complement NLEN, then LEN bytes as they are.
  InflateResult Stored() {
    Drop(bitsLeft_ & 7);
    const unsigned length = Bits(16);
    const unsigned complement = Bits(16);
    if (InputEnded()) return InflateResult::kInputEnded;
    if (length != (~complement & 0xFFFF)) return InflateResult::kBadStoredLength;
    if (length > static_cast<std::size_t>(outEnd_ - out_)) return InflateResult::kOutputOverrun;

    std::size_t remaining = length;
    while (remaining != 0 && bitsLeft_ != 0) {
      *out_++ = static_cast<std::uint8_t>(bits_);
      Drop(8);
      --remaining;
    }
    if (InputEnded()) return InflateResult::kInputEnded;
    if (remaining == 0) return InflateResult::kOk;
    // The buffer is empty; what lay above it was read ahead from the run and is
    // about to be copied directly.
    bits_ = 0;
    while (remaining != 0) {
      if (in_ == inEnd_ && !NextRun()) return InflateResult::kInputEnded;
      const std::size_t take = std::min(remaining, static_cast<std::size_t>(inEnd_ - in_));
      std::memcpy(out_, in_, take);
      out_ += take;
      in_ += take;
      remaining -= take;
    }
    return InflateResult::kOk;
  }

  InflateResult Fixed() {
    // Literal/length codes: 0-143 eight bits, 144-255 nine, 256-279 seven,
    // 280-287 eight; distance codes five bits each.
    if (!fixedBuilt_) {
      std::uint8_t lengths[kFixedLiteralLengthCodes + kFixedDistanceCodes];
      unsigned s = 0;
      for (; s < 144; ++s) lengths[s] = 8;
      for (; s < 256; ++s) lengths[s] = 9;
      for (; s < 280; ++s) lengths[s] = 7;
      for (; s < 288; ++s) lengths[s] = 8;
      for (; s < 288 + 32; ++s) lengths[s] = 5;
      PngBuildCodes(lengths, kFixedLiteralLengthCodes, kSymbols.literalLength.data(), literalTable_.data(),
                    kLiteralTableBits);
      PngBuildCodes(lengths + kFixedLiteralLengthCodes, kFixedDistanceCodes, kSymbols.distance.data(),
                    distanceTable_.data(), kDistanceTableBits);
      fixedBuilt_ = true;
    }
    return Codes();
  }

  InflateResult Dynamic() {
    fixedBuilt_ = false;  // the tables are about to hold this block's codes
    const unsigned literalCount = Bits(5) + 257;
    const unsigned distanceCount = Bits(5) + 1;
    const unsigned codeLengthCount = Bits(4) + 4;
    if (literalCount > kMaxLiteralLengthCodes || distanceCount > kMaxDistanceCodes) {
      return InflateResult::kTooManyCodes;
    }

    std::uint8_t lengths[kMaxLiteralLengthCodes + kMaxDistanceCodes] = {};
    for (unsigned i = 0; i < codeLengthCount; ++i) lengths[kCodeLengthOrder[i]] = static_cast<std::uint8_t>(Bits(3));
    std::uint32_t codeLengthTable[kCodeLengthTableSize];
    const CodeInfo codeLengthInfo = PngBuildCodes(lengths, kCodeLengthCodes, kSymbols.codeLength.data(),
                                                  codeLengthTable, kCodeLengthTableBits);
    if (codeLengthInfo.shape != CodeShape::kComplete) return InflateResult::kBadCodeLengthCode;

    // The literal/length and distance lengths form one sequence, and a repeat
    // may run from one into the other.
    const unsigned total = literalCount + distanceCount;
    std::memset(lengths, 0, sizeof lengths);
    for (unsigned i = 0; i < total;) {
      Refill();
      const std::uint32_t entry = codeLengthTable[bits_ & (kCodeLengthTableSize - 1)];
      Drop(CodeLength(entry));
      const unsigned symbol = Value(entry);
      if (symbol < 16) {
        lengths[i++] = static_cast<std::uint8_t>(symbol);
        continue;
      }
      std::uint8_t repeated = 0;
      unsigned times;
      if (symbol == 16) {
        if (i == 0) return InflateResult::kBadRepeat;
        repeated = lengths[i - 1];
        times = 3 + Bits(2);
      } else if (symbol == 17) {
        times = 3 + Bits(3);
      } else {
        times = 11 + Bits(7);
      }
      if (times > total - i) return InflateResult::kBadRepeat;
      std::memset(lengths + i, repeated, times);
      i += times;
    }
    if (InputEnded()) return InflateResult::kInputEnded;
    if (lengths[kEndOfBlock] == 0) return InflateResult::kNoEndOfBlockCode;

    const CodeInfo literalInfo = PngBuildCodes(lengths, literalCount, kSymbols.literalLength.data(),
                                               literalTable_.data(), kLiteralTableBits);
    if (!AcceptableShape(literalInfo)) return InflateResult::kBadLiteralLengthCode;
    PairLiterals(literalTable_.data(), kLiteralTableBits);
    const CodeInfo distanceInfo = PngBuildCodes(lengths + literalCount, distanceCount, kSymbols.distance.data(),
                                                distanceTable_.data(), kDistanceTableBits);
    // With no distance code at all, every entry is invalid and any length
    // symbol fails at its distance.
    if (!AcceptableShape(distanceInfo)) return InflateResult::kBadDistanceCodeLengths;
    return Codes();
  }

  // Room the fast loop needs at the top of a round: the literals taken before
  // a match in the same round (a match needs 48 of the at most 63 bits, so at
  // most 15 one-bit codes came before it), the match, and the bytes a
  // word-wise copy may write beyond it (they are written over later). A round
  // of literals alone writes at most two bytes per bit, 126.
  static constexpr std::ptrdiff_t kFastOutput = 15 + 258 + 8;
  // Bits of input the fast loop reads with one refill.
  static constexpr std::ptrdiff_t kFastInput = 8;

  // The symbols of one block, up to its end-of-block code. The fast loop runs
  // while the current run of input and the output have room for a whole
  // symbol; the careful loop handles the rest, one symbol at a time.
  InflateResult Codes() {
    const std::uint32_t* const literals = literalTable_.data();
    const std::uint32_t* const distances = distanceTable_.data();
    for (;;) {
      while (inEnd_ - in_ >= kFastInput && outEnd_ - out_ >= kFastOutput) {
        // At least 56 bits: enough for a length with its distance (15 + 5 +
        // 15 + 13 bits); literals are taken while a whole code's 15 bits
        // remain. A symbol that finds too few bits waits for the next round.
        RefillFast();
        std::uint32_t entry = literals[bits_ & kLiteralMask];
        while (entry & kLiteral) {
          Drop(CodeLength(entry));
          const std::uint32_t value = Value(entry);
          out_[0] = static_cast<std::uint8_t>(value);
          out_[1] = static_cast<std::uint8_t>(value >> 8);
          out_ += 1 + ExtraBits(entry);
          if (bitsLeft_ < kMaxCodeBits) break;
          entry = literals[bits_ & kLiteralMask];
        }
        if (entry & kLiteral) continue;
        if (bitsLeft_ < 48) continue;
        if (entry & kLink) {
          entry = literals[Value(entry) + ((bits_ >> kLiteralTableBits) & ExtraBits(entry))];
          if (entry & kLiteral) {
            Drop(CodeLength(entry));
            *out_++ = static_cast<std::uint8_t>(Value(entry));
            continue;
          }
        }
        if (entry & (kEnd | kInvalid)) {
          if (entry & kInvalid) return InflateResult::kBadLiteralLengthSymbol;
          Drop(CodeLength(entry));
          return InflateResult::kOk;
        }
        Drop(CodeLength(entry));
        const unsigned length = Value(entry) + TakeExtra(ExtraBits(entry));
        entry = Lookup(distances, kDistanceTableBits, bits_);
        if (entry & kInvalid) return InflateResult::kBadDistanceSymbol;
        Drop(CodeLength(entry));
        const std::size_t distance = Value(entry) + TakeExtra(ExtraBits(entry));
        if (distance > static_cast<std::size_t>(out_ - outStart_)) return InflateResult::kDistanceTooFar;
        CopyMatchFast(length, distance);
      }

      Refill();
      std::uint32_t entry = Lookup(literals, kLiteralTableBits, bits_);
      if (entry & kInvalid) return InflateResult::kBadLiteralLengthSymbol;
      Drop(CodeLength(entry));
      if (entry & kLiteral) {
        const unsigned count = 1 + ExtraBits(entry);
        if (count > static_cast<std::size_t>(outEnd_ - out_)) return Fail(InflateResult::kOutputOverrun);
        out_[0] = static_cast<std::uint8_t>(Value(entry));
        if (count == 2) out_[1] = static_cast<std::uint8_t>(Value(entry) >> 8);
        out_ += count;
      } else if (entry & kEnd) {
        return InflateResult::kOk;
      } else {
        const unsigned length = Value(entry) + TakeExtra(ExtraBits(entry));
        entry = Lookup(distances, kDistanceTableBits, bits_);
        if (entry & kInvalid) return InflateResult::kBadDistanceSymbol;
        Drop(CodeLength(entry));
        const std::size_t distance = Value(entry) + TakeExtra(ExtraBits(entry));
        if (InputEnded()) return InflateResult::kInputEnded;
        if (distance > static_cast<std::size_t>(out_ - outStart_)) return InflateResult::kDistanceTooFar;
        if (length > static_cast<std::size_t>(outEnd_ - out_)) return InflateResult::kOutputOverrun;
        const std::uint8_t* from = out_ - distance;
        for (unsigned i = 0; i < length; ++i) out_[i] = from[i];
        out_ += length;
      }
      if (InputEnded()) return InflateResult::kInputEnded;
    }
  }

  unsigned TakeExtra(unsigned count) {
    const unsigned value = static_cast<unsigned>(bits_ & ((std::uint64_t{1} << count) - 1));
    Drop(count);
    return value;
  }

  // Copies a match while at least kFastOutput bytes of room remain. Runs
  // overlap their source when the distance is below the length; copying in
  // 8-byte words is right when the distance is at least 8.
  void CopyMatchFast(unsigned length, std::size_t distance) {
    std::uint8_t* dst = out_;
    const std::uint8_t* src = out_ - distance;
    std::uint8_t* const end = out_ + length;
    if (distance >= 8) {
      do {
        std::memcpy(dst, src, 8);
        dst += 8;
        src += 8;
      } while (dst < end);
    } else if (distance == 1) {
      std::memset(dst, *src, length);
    } else {
      do {
        *dst++ = *src++;
      } while (dst < end);
    }
    out_ = end;
  }

  InflateSource source_;
  const std::uint8_t* in_ = nullptr;
  const std::uint8_t* inEnd_ = nullptr;
  bool ended_ = false;
  std::size_t phantom_ = 0;
  std::uint64_t bits_ = 0;
  unsigned bitsLeft_ = 0;

  std::uint8_t* const outStart_;
  std::uint8_t* out_;
  std::uint8_t* const outEnd_;

  bool fixedBuilt_ = false;
  std::array<std::uint32_t, kLiteralTableSize> literalTable_;
  std::array<std::uint32_t, kDistanceTableSize> distanceTable_;
};

}  // namespace

InflateResult Inflate(const InflateSource& source, std::uint8_t* out, std::size_t outSize, InflateWrapper wrapper) {
  Inflater inflater(source, out, outSize);
  return inflater.Run(wrapper);
}

const char* InflateResultName(InflateResult result) {
  switch (result) {
    case InflateResult::kOk: return "ok";
    case InflateResult::kBadZlibHeader: return "bad zlib header";
    case InflateResult::kBadBlockType: return "bad block type";
    case InflateResult::kBadStoredLength: return "bad stored length";
    case InflateResult::kTooManyCodes: return "too many codes";
    case InflateResult::kBadCodeLengthCode: return "bad code-length code";
    case InflateResult::kBadRepeat: return "bad repeat";
    case InflateResult::kNoEndOfBlockCode: return "no end-of-block code";
    case InflateResult::kBadLiteralLengthCode: return "bad literal/length code";
    case InflateResult::kBadDistanceCodeLengths: return "bad distance code";
    case InflateResult::kBadLiteralLengthSymbol: return "bad literal/length symbol";
    case InflateResult::kBadDistanceSymbol: return "bad distance symbol";
    case InflateResult::kDistanceTooFar: return "distance too far";
    case InflateResult::kOutputOverrun: return "output overrun";
    case InflateResult::kInputEnded: return "input ended";
    case InflateResult::kOutputShort: return "output short";
  }
  return "?";
}
