// Hand-made coded streams for decoder tests: codes written most significant
// bit first at the width the test chooses.
#pragma once

#include <cstdint>
#include <vector>

class CodedStream {
 public:
  CodedStream& Code(std::uint32_t value) { return Bits(value, width_); }
  // CODE_GROW at the current width, then one bit wider.
  CodedStream& Grow() {
    Bits(257, width_);
    ++width_;
    return *this;
  }
  CodedStream& Clear() {
    Bits(258, width_);
    width_ = 9;
    return *this;
  }
  // A code, preceded by as many CODE_GROW as it needs to fit.
  CodedStream& Fitted(std::uint32_t value) {
    while (value >= (std::uint64_t{1} << width_)) Grow();
    return Code(value);
  }
  CodedStream& Bits(std::uint64_t value, unsigned width) {
    for (unsigned i = width; i-- > 0;) {
      current_ = static_cast<std::uint8_t>((current_ << 1) | ((value >> i) & 1u));
      if (++filled_ == 8) Flush();
    }
    return *this;
  }
  unsigned Width() const { return width_; }
  std::vector<std::uint8_t> Bytes() const {
    CodedStream copy = *this;
    if (copy.filled_ > 0) {
      copy.current_ = static_cast<std::uint8_t>(copy.current_ << (8 - copy.filled_));
      copy.Flush();
    }
    return copy.bytes_;
  }

 private:
  void Flush() {
    bytes_.push_back(current_);
    current_ = 0;
    filled_ = 0;
  }
  std::vector<std::uint8_t> bytes_;
  std::uint8_t current_ = 0;
  unsigned filled_ = 0;
  unsigned width_ = 9;
};
