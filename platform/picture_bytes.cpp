#include "platform/picture_bytes.h"

#include <cstring>

namespace {

std::uint32_t ReadLe16(const std::uint8_t* p) { return p[0] | (p[1] << 8); }
std::uint32_t ReadLe32(const std::uint8_t* p) { return ReadLe16(p) | (ReadLe16(p + 2) << 16); }
std::uint32_t ReadBe32(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

}  // namespace

bool PngChunksFit(const std::uint8_t* bytes, std::size_t count) {
  std::size_t at = sizeof kPngSignature;
  while (count - at >= 12) {
    const std::uint32_t length = ReadBe32(bytes + at);
    if (length > count - at - 12) return false;
    if (std::memcmp(bytes + at + 4, "IEND", 4) == 0) return true;
    at += 12 + std::size_t{length};
  }
  return at == count;
}

bool IconEntriesFit(const std::uint8_t* bytes, std::size_t count) {
  if (count < 6) return false;
  const std::uint32_t entries = ReadLe16(bytes + 4);
  if (count - 6 < std::size_t{entries} * 16) return false;
  for (std::uint32_t i = 0; i < entries; ++i) {
    const std::uint8_t* entry = bytes + 6 + std::size_t{i} * 16;
    const std::size_t size = ReadLe32(entry + 8), offset = ReadLe32(entry + 12);
    if (offset > count || size > count - offset) return false;
    if (size >= sizeof kPngSignature && std::memcmp(bytes + offset, kPngSignature, sizeof kPngSignature) == 0 &&
        !PngChunksFit(bytes + offset, size)) {
      return false;
    }
  }
  return true;
}
