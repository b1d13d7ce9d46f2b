#include "quiz/lzw_decoder.h"

#include <array>
#include <cstring>
#include <functional>
#include <new>

#include "quiz/quiz_services.h"

namespace {

// Every string the decoder knows is a run of the output it has already
// written, or a literal's own byte, so an entry is only a pointer and a length.
// An entry's last byte may be written only by the next append (a code that
// refers to the entry being built); appending copies forward byte by byte in
// that case, which fills it in first.
struct Entry {
  const std::uint8_t* bytes;
  std::uint32_t length;
};

struct Literals {
  std::array<std::uint8_t, 256> bytes;
  constexpr Literals() : bytes() {
    for (unsigned i = 0; i < 256; ++i) bytes[i] = static_cast<std::uint8_t>(i);
  }
};
constexpr Literals kLiterals;

// Reads codes most significant bit first. Bits are kept in a 64-bit
// accumulator; when the input runs out inside a code, the bits that could be
// read make the value so far.
class CodeReader {
 public:
  explicit CodeReader(std::span<const std::uint8_t> input) : input_(input) {}

  // True with the code in `value`, or false with the bits read so far.
  bool Read(unsigned width, std::uint64_t& value) {
    while (bits_ <= 56 && position_ < input_.size()) {
      accumulator_ = (accumulator_ << 8) | input_[position_++];
      bits_ += 8;
    }
    if (bits_ < width) {
      value = bits_ == 0 ? 0 : accumulator_ & ((std::uint64_t{1} << bits_) - 1);
      bits_ = 0;
      return false;
    }
    bits_ -= width;
    value = (accumulator_ >> bits_) & ((std::uint64_t{1} << width) - 1);
    return true;
  }

 private:
  std::span<const std::uint8_t> input_;
  std::size_t position_ = 0;
  std::uint64_t accumulator_ = 0;
  unsigned bits_ = 0;
};

class Decoder {
 public:
  explicit Decoder(std::uint8_t* output) : output_(output) {
    for (unsigned c = 0; c < 256; ++c) dictionary_[c] = {&kLiterals.bytes[c], 1};
  }

  int Run(std::span<const std::uint8_t> coded) {
    if (coded.size() > LZW_MAX_INPUT) return LZW_BAD_STREAM;
    CodeReader reader(coded);
    std::uint64_t code = 0;
    if (!reader.Read(LZW_FIRST_WIDTH, code)) return LZW_NO_FIRST_CODE;
    current_ = dictionary_[code & 0xFF];

    unsigned width = LZW_FIRST_WIDTH;
    unsigned next = FIRST_ENTRY_CODE;
    for (;;) {
      if (width > LZW_MAX_WIDTH) return LZW_BAD_STREAM;
      if (!reader.Read(width, code)) {
        // A stream cut inside its end code still ends.
        if (code != CODE_END) return LZW_BAD_STREAM;
        return Append(current_) ? LZW_OK : LZW_BAD_STREAM;
      }
      if (code == CODE_END) return Append(current_) ? LZW_OK : LZW_BAD_STREAM;
      if (code == CODE_CLEAR) {
        next = FIRST_ENTRY_CODE;
        width = LZW_FIRST_WIDTH;
        continue;
      }
      if (code == CODE_GROW) {
        ++width;
        continue;
      }
      if (code > next) return LZW_BAD_STREAM;
      // The new entry is the current string followed by the first byte of
      // code's string, which is the current string's first byte when code is
      // the entry being made.
      if (next > LAST_ENTRY_CODE) return LZW_BAD_STREAM;
      if (current_.length + 1 > LZW_MAX_STRING) return LZW_BAD_STREAM;
      const std::size_t at = length_;
      if (!Append(current_)) return LZW_BAD_STREAM;
      dictionary_[next] = {output_ + at, current_.length + 1};
      ++next;
      current_ = dictionary_[code];
    }
  }

  std::size_t Length() const { return length_; }

 private:
  bool Append(const Entry& s) {
    if (s.length > LZW_MAX_OUTPUT - length_) return false;
    std::uint8_t* to = output_ + length_;
    // Strings come from earlier output or the literal table; only the entry
    // being built runs into the bytes it is writing.
    if (std::less_equal<const std::uint8_t*>{}(s.bytes + s.length, to) || s.length == 1) {
      std::memcpy(to, s.bytes, s.length);
    } else {
      for (std::uint32_t i = 0; i < s.length; ++i) to[i] = s.bytes[i];
    }
    length_ += s.length;
    return true;
  }

  std::uint8_t* output_;
  std::size_t length_ = 0;
  Entry current_{};
  std::array<Entry, LAST_ENTRY_CODE + 1> dictionary_{};
};

}  // namespace

int LzwDecode(std::span<const std::uint8_t> coded, std::vector<std::uint8_t>& decoded,
              std::int32_t& decodedLength, QuizServices* services) {
  std::vector<std::uint8_t> output;
  try {
    output.resize(LZW_MAX_OUTPUT);
  } catch (const std::bad_alloc&) {
    if (services != nullptr) services->ShowMessage("Impossible d'allouer la memoire", "information");
    return LZW_NO_MEMORY;
  }
  Decoder decoder(output.data());
  const int result = decoder.Run(coded);
  output.resize(decoder.Length());
  decoded = std::move(output);
  decodedLength = static_cast<std::int32_t>(decoder.Length() + 2);
  return result;
}
