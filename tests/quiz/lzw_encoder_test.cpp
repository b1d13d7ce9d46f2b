#include "tools/lzw_encoder.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "quiz/lzw_decoder.h"
#include "tests/support/coded_stream.h"
#include "tests/support/french_text.h"

namespace {

std::span<const std::uint8_t> Bytes(const std::string& s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

// Encodes and decodes; expects the text back exactly.
void ExpectRoundTrip(const std::string& text) {
  const LzwEncodeResult coded = LzwEncode(Bytes(text));
  ASSERT_EQ(coded.status, LzwEncodeStatus::Ok) << text.size() << " bytes";
  std::vector<std::uint8_t> decoded;
  std::int32_t length = 0;
  ASSERT_EQ(LzwDecode(coded.coded, decoded, length), LZW_OK) << text.size() << " bytes";
  EXPECT_EQ(length, static_cast<std::int32_t>(text.size() + 2));
  EXPECT_TRUE(std::string(decoded.begin(), decoded.end()) == text) << text.size() << " bytes differ";
}

std::string RandomBytes(std::size_t size, std::uint32_t seed) {
  std::mt19937 random(seed);
  std::string s(size, '\0');
  for (char& c : s) c = static_cast<char>(random() & 0xFF);
  return s;
}

// The largest prefix of `text` whose coded form fits the decoder's input.
std::size_t LargestFitting(const std::string& text) {
  std::size_t low = 1, high = text.size();
  while (low < high) {
    const std::size_t middle = (low + high + 1) / 2;
    if (LzwEncode(Bytes(text.substr(0, middle))).status == LzwEncodeStatus::Ok) low = middle;
    else high = middle - 1;
  }
  return low;
}

TEST(LzwEncode, MatchesTheHandMadeStreams) {
  EXPECT_EQ(LzwEncode(Bytes("AB")).coded, (std::vector<std::uint8_t>{0x20, 0x90, 0xA0, 0x00}));
  EXPECT_EQ(LzwEncode(Bytes("AAA")).coded, (std::vector<std::uint8_t>{0x20, 0xC0, 0xE0, 0x00}));
  EXPECT_EQ(LzwEncode(Bytes("x")).coded, CodedStream().Code('x').Code(256).Bytes());
}

TEST(LzwEncode, RoundTripsShortAndRandomTexts) {
  for (std::size_t size : {1u, 2u, 3u, 17u, 259u, 4096u, 5000u}) {
    SCOPED_TRACE(size);
    ExpectRoundTrip(FrenchText(size, static_cast<std::uint32_t>(size)));
    ExpectRoundTrip(RandomBytes(size, static_cast<std::uint32_t>(size)));
    ExpectRoundTrip(std::string(size, '\0'));
  }
}

TEST(LzwEncode, RoundTripsUpToTheLargestTextsThatFit) {
  struct Case {
    const char* name;
    std::string text;
  };
  const std::vector<Case> cases = {
      {"french words", FrenchWords(LZW_MAX_OUTPUT)},
      {"french sentences", FrenchText(LZW_MAX_OUTPUT)},
      {"random bytes", RandomBytes(40000, 7)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::size_t largest = LargestFitting(c.text);
    const std::string text = c.text.substr(0, largest);
    ExpectRoundTrip(text);
    const LzwEncodeResult coded = LzwEncode(Bytes(text));
    EXPECT_GE(coded.restarts, 3u) << "the dictionary should restart several times";
    if (largest < c.text.size()) {
      const LzwEncodeResult over = LzwEncode(Bytes(c.text.substr(0, largest + 1)));
      EXPECT_EQ(over.status, LzwEncodeStatus::CodedTooLong);
      EXPECT_GT(over.coded.size(), LZW_MAX_INPUT);
    }
    RecordProperty(std::string(c.name) + " largest", static_cast<int>(largest));
  }
}

TEST(LzwEncode, RepetitiveTextsReachTheOutputLimit) {
  ExpectRoundTrip(std::string(LZW_MAX_OUTPUT, 'a'));
  ExpectRoundTrip(FrenchText(LZW_MAX_OUTPUT, 99).substr(0, 2000) + std::string(LZW_MAX_OUTPUT - 2000, ' '));
  EXPECT_EQ(LzwEncode(Bytes(std::string(LZW_MAX_OUTPUT + 1, 'a'))).status, LzwEncodeStatus::PlainTooLong);
}

TEST(LzwEncode, RefusesAnEmptyRecord) {
  EXPECT_EQ(LzwEncode({}).status, LzwEncodeStatus::Empty);
}

}  // namespace
