#include "tools/lzw_encoder.h"

#include "quiz/lzw_decoder.h"

namespace {

class BitWriter {
 public:
  void Write(std::uint32_t code, unsigned width) {
    for (unsigned i = width; i-- > 0;) {
      current_ = static_cast<std::uint8_t>((current_ << 1) | ((code >> i) & 1u));
      if (++filled_ == 8) Flush();
    }
  }
  std::vector<std::uint8_t> Finish() {
    if (filled_ > 0) {
      current_ = static_cast<std::uint8_t>(current_ << (8 - filled_));
      Flush();
    }
    return std::move(bytes_);
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
};

class Encoder {
 public:
  Encoder() : child_((LAST_ENTRY_CODE + 1) * 256, 0) {}

  std::size_t Restarts() const { return restarts_; }

  std::vector<std::uint8_t> Run(std::span<const std::uint8_t> plain) {
    std::uint32_t string = plain[0];
    for (std::size_t i = 1; i < plain.size(); ++i) {
      const std::uint8_t byte = plain[i];
      const std::uint16_t known = child_[Slot(string, byte)];
      if (known != 0) {
        string = known;
        continue;
      }
      Send(string);
      AddEntry(string, byte);
      string = byte;
    }
    Send(string);
    writer_.Write(CODE_END, width_);
    return writer_.Finish();
  }

 private:
  static std::size_t Slot(std::uint32_t code, std::uint8_t byte) { return std::size_t{code} * 256 + byte; }

  void Send(std::uint32_t code) {
    while (code >= (1u << width_)) {
      writer_.Write(CODE_GROW, width_);
      ++width_;
    }
    writer_.Write(code, width_);
  }

  void AddEntry(std::uint32_t string, std::uint8_t byte) {
    if (next_ > LAST_ENTRY_CODE) {
      writer_.Write(CODE_CLEAR, width_);
      ++restarts_;
      for (std::size_t slot : used_) child_[slot] = 0;
      used_.clear();
      width_ = LZW_FIRST_WIDTH;
      next_ = FIRST_ENTRY_CODE;
      // The pending entry still takes code 259, but a string from before the
      // clear is no longer known, so it can never be matched.
      if (string >= FIRST_ENTRY_CODE) {
        ++next_;
        return;
      }
    }
    // Strings cannot outgrow the decoder's 4096 bytes: a string of n bytes
    // needs strings of every shorter length sent before it, and 120000 bytes
    // of input cannot hold that for n near 4096.
    const std::size_t slot = Slot(string, byte);
    child_[slot] = static_cast<std::uint16_t>(next_++);
    used_.push_back(slot);
  }

  std::vector<std::uint16_t> child_;  // child_[code * 256 + byte]: code of that string + byte, or 0
  std::vector<std::size_t> used_;
  BitWriter writer_;
  unsigned width_ = LZW_FIRST_WIDTH;
  unsigned next_ = FIRST_ENTRY_CODE;
  std::size_t restarts_ = 0;
};

}  // namespace

LzwEncodeResult LzwEncode(std::span<const std::uint8_t> plain) {
  LzwEncodeResult result;
  if (plain.empty()) {
    result.status = LzwEncodeStatus::Empty;
    return result;
  }
  if (plain.size() > LZW_MAX_OUTPUT) {
    result.status = LzwEncodeStatus::PlainTooLong;
    return result;
  }
  Encoder encoder;
  result.coded = encoder.Run(plain);
  result.restarts = encoder.Restarts();
  if (result.coded.size() > LZW_MAX_INPUT) result.status = LzwEncodeStatus::CodedTooLong;
  return result;
}
