#include "quiz/lzw_decoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/coded_stream.h"

namespace {

struct Decoded {
  int result;
  std::string bytes;
  std::int32_t length;
};

Decoded Decode(const std::vector<std::uint8_t>& coded) {
  std::vector<std::uint8_t> out;
  std::int32_t length = -1;
  const int result = LzwDecode(coded, out, length);
  return {result, std::string(out.begin(), out.end()), length};
}

struct ByteCase {
  const char* name;
  std::vector<std::uint8_t> coded;
  int result;
  std::string decoded;
};

TEST(LzwDecode, HandMadeStreams) {
  const std::vector<ByteCase> cases = {
      {"two literals then end", {0x20, 0x90, 0xA0, 0x00}, LZW_OK, "AB"},
      {"code equal to the next entry", {0x20, 0xC0, 0xE0, 0x00}, LZW_OK, "AAA"},
      {"grow between codes", {0x20, 0xC0, 0x44, 0x24, 0x00}, LZW_OK, "AB"},
      {"empty input", {}, LZW_NO_FIRST_CODE, ""},
      {"fewer than nine bits", {0x20}, LZW_NO_FIRST_CODE, ""},
      {"input ends after the first code", {0x20, 0x80}, LZW_BAD_STREAM, ""},
      {"input ends inside the third code", {0x20, 0x90, 0xA0}, LZW_BAD_STREAM, "A"},
  };
  for (const ByteCase& c : cases) {
    SCOPED_TRACE(c.name);
    const Decoded d = Decode(c.coded);
    EXPECT_EQ(d.result, c.result);
    EXPECT_EQ(d.bytes, c.decoded);
    EXPECT_EQ(d.length, static_cast<std::int32_t>(c.decoded.size() + 2));
  }
}

struct StreamCase {
  const char* name;
  CodedStream stream;
  int result;
  std::string decoded;
};

TEST(LzwDecode, BuiltStreams) {
  const std::vector<StreamCase> cases = {
      {"one literal then end", CodedStream().Code('x').Code(256), LZW_OK, "x"},
      {"first code 256 is a literal", CodedStream().Code(256).Code(256), LZW_OK, std::string(1, '\0')},
      {"first code 258 is a literal", CodedStream().Code(258).Code('a').Code(256), LZW_OK, std::string("\x02", 1) + "a"},
      {"clear outputs nothing and keeps the string",
       CodedStream().Code('A').Code('B').Clear().Code('C').Code(259).Code(256), LZW_OK, "ABCBC"},
      {"code above 259 right after a clear", CodedStream().Code('A').Code('B').Code(259).Clear().Code(260),
       LZW_BAD_STREAM, "AB"},
      {"code above the next entry", CodedStream().Code('A').Code(260), LZW_BAD_STREAM, ""},
      {"width past 32", [] {
         CodedStream s;
         s.Code('A');
         while (s.Width() <= 32) s.Grow();
         return s.Code(0);
       }(), LZW_BAD_STREAM, ""},
      {"32-bit codes still decode", [] {
         CodedStream s;
         s.Code('A');
         while (s.Width() < 32) s.Grow();
         return s.Code('B').Code(256);
       }(), LZW_OK, "AB"},
      {"end code cut short still ends",
       // At width 17 the input runs out after 11 bits whose value is 256.
       CodedStream().Code('A').Grow().Grow().Grow().Grow().Grow().Grow().Grow().Grow().Bits(256, 11), LZW_OK, "A"},
      {"other code cut short is bad",
       CodedStream().Code('A').Grow().Grow().Grow().Grow().Grow().Grow().Grow().Grow().Bits(257, 11), LZW_BAD_STREAM, ""},
  };
  for (const StreamCase& c : cases) {
    SCOPED_TRACE(c.name);
    const Decoded d = Decode(c.stream.Bytes());
    EXPECT_EQ(d.result, c.result);
    EXPECT_EQ(d.bytes, c.decoded);
  }
}

// One literal, then codes that each name the entry being made: the strings
// grow by one byte a code, so the output grows fast.
CodedStream GrowingRun(unsigned chainCodes) {
  CodedStream s;
  s.Code('a');
  for (unsigned i = 0; i < chainCodes; ++i) s.Fitted(259 + i);
  return s;
}

TEST(LzwDecode, LimitsOfOurs) {
  {
    SCOPED_TRACE("output of exactly 120000 bytes");
    CodedStream s = GrowingRun(488);  // 489 × 490 / 2 = 119805 bytes with the last string
    for (int i = 0; i < 195; ++i) s.Code('a');
    const Decoded d = Decode(s.Code(256).Bytes());
    EXPECT_EQ(d.result, LZW_OK);
    EXPECT_EQ(d.bytes, std::string(120000, 'a'));
    EXPECT_EQ(d.length, 120002);
  }
  {
    SCOPED_TRACE("output of 120001 bytes");
    CodedStream s = GrowingRun(488);
    for (int i = 0; i < 196; ++i) s.Code('a');
    const Decoded d = Decode(s.Code(256).Bytes());
    EXPECT_EQ(d.result, LZW_BAD_STREAM);
    EXPECT_EQ(d.bytes, std::string(120000, 'a'));
  }
  {
    SCOPED_TRACE("entries up to 4095 and one past");
    CodedStream full;
    full.Code('A');
    for (int i = 0; i < 3837; ++i) full.Code('A');  // entries 259 to 4095
    EXPECT_EQ(Decode(CodedStream(full).Code(256).Bytes()).result, LZW_OK);
    const Decoded past = Decode(CodedStream(full).Code('A').Code(256).Bytes());
    EXPECT_EQ(past.result, LZW_BAD_STREAM);
    EXPECT_EQ(past.bytes, std::string(3837, 'A'));
  }
  {
    SCOPED_TRACE("coded input of 32768 bytes and of 32769");
    std::vector<std::uint8_t> coded = CodedStream().Code('A').Code(256).Bytes();
    coded.resize(32768, 0);  // padding after the end code is never read
    EXPECT_EQ(Decode(coded).result, LZW_OK);
    coded.push_back(0);
    EXPECT_EQ(Decode(coded).result, LZW_BAD_STREAM);
  }
}

TEST(LzwDecode, NothingCarriesOverBetweenCalls) {
  const std::vector<std::uint8_t> first = CodedStream().Code('x').Code('y').Code(259).Code(256).Bytes();
  const std::vector<std::uint8_t> second = CodedStream().Code('A').Code('B').Code(259).Code(256).Bytes();
  EXPECT_EQ(Decode(first).bytes, "xyxy");
  EXPECT_EQ(Decode(second).bytes, "ABAB");
  EXPECT_EQ(Decode(first).bytes, "xyxy");
}

}  // namespace
