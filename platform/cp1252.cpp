#include "platform/cp1252.h"

namespace ploxa::cp1252 {
namespace {

// Bytes 0x80 to 0x9F; the others are Latin-1.
constexpr char32_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

char32_t ToUnicode(unsigned char byte) {
  if (byte >= 0x80 && byte < 0xA0) return kHigh[byte - 0x80];
  return byte;
}

bool FromUnicode(char32_t ch, unsigned char* byte) {
  if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF)) {
    *byte = static_cast<unsigned char>(ch);
    return true;
  }
  for (int i = 0; i < 32; ++i) {
    // The unassigned bytes are not typed characters.
    if (kHigh[i] == ch && ch > 0xFF) {
      *byte = static_cast<unsigned char>(0x80 + i);
      return true;
    }
  }
  return false;
}

}  // namespace ploxa::cp1252
