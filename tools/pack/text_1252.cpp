#include "tools/pack/text_1252.h"

#include <cstdint>
#include <cstdio>

#include "platform/cp1252.h"

namespace {

void AppendUtf8(std::string& out, char32_t ch) {
  if (ch < 0x80) {
    out += static_cast<char>(ch);
  } else if (ch < 0x800) {
    out += static_cast<char>(0xC0 | (ch >> 6));
    out += static_cast<char>(0x80 | (ch & 0x3F));
  } else if (ch < 0x10000) {
    out += static_cast<char>(0xE0 | (ch >> 12));
    out += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (ch & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (ch >> 18));
    out += static_cast<char>(0x80 | ((ch >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (ch & 0x3F));
  }
}

// One character from `s` at `i`, advancing `i`; false on bytes that are not UTF-8.
bool NextChar(const std::string& s, std::size_t& i, char32_t& ch) {
  const auto lead = static_cast<unsigned char>(s[i]);
  int extra = 0;
  char32_t min = 0;
  if (lead < 0x80) {
    ch = lead;
    ++i;
    return true;
  } else if ((lead & 0xE0) == 0xC0) {
    extra = 1, ch = lead & 0x1F, min = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2, ch = lead & 0x0F, min = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3, ch = lead & 0x07, min = 0x10000;
  } else {
    return false;
  }
  if (i + static_cast<std::size_t>(extra) >= s.size()) return false;  // cut short
  for (int k = 1; k <= extra; ++k) {
    const auto next = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
    if ((next & 0xC0) != 0x80) return false;
    ch = (ch << 6) | (next & 0x3F);
  }
  if (ch < min || ch > 0x10FFFF || (ch >= 0xD800 && ch <= 0xDFFF)) return false;
  i += static_cast<std::size_t>(extra) + 1;
  return true;
}

}  // namespace

bool Utf8ToCp1252(const std::string& utf8, std::string* cp1252, std::string* problem) {
  std::string out;
  std::size_t i = 0;
  std::size_t position = 0;
  while (i < utf8.size()) {
    ++position;
    char32_t ch = 0;
    if (!NextChar(utf8, i, ch)) {
      *problem = "bytes that are not UTF-8 at character " + std::to_string(position);
      return false;
    }
    unsigned char byte = 0;
    if (!ploxa::cp1252::FromUnicode(ch, &byte)) {
      char code[16];
      std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(ch));
      std::string shown;
      AppendUtf8(shown, ch);
      *problem = "\u00AB" + shown + "\u00BB (" + code + ") at character " + std::to_string(position) +
                 " is not in code page 1252";
      return false;
    }
    out += static_cast<char>(byte);
  }
  *cp1252 = std::move(out);
  return true;
}

std::string Cp1252ToUtf8(const std::string& cp1252) {
  std::string out;
  out.reserve(cp1252.size());
  for (char c : cp1252) {
    const auto byte = static_cast<unsigned char>(c);
    AppendUtf8(out, ploxa::cp1252::ToUnicode(byte));
  }
  return out;
}
