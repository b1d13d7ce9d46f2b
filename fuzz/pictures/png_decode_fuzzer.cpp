// Any bytes as a PNG resource: the decoder must stay in bounds, end with a
// result or one of its codes, keep its states, and give back all its memory.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "pictures/png_decoder.h"

namespace {

std::size_t gLive = 0;

// Guard bytes after every block catch writes just past it, which the
// sanitizer can miss for a wide unaligned store.
constexpr std::size_t kGuard = 32;
constexpr std::uint8_t kGuardByte = 0xA5;

void* Allocate(void*, std::size_t size) {
  auto* block = static_cast<std::uint8_t*>(std::malloc(sizeof(std::size_t) + size + kGuard));
  if (block == nullptr) return nullptr;
  std::memcpy(block, &size, sizeof size);
  std::memset(block + sizeof(std::size_t) + size, kGuardByte, kGuard);
  gLive += size;
  return block + sizeof(std::size_t);
}

void Release(void*, void* p) {
  auto* block = static_cast<std::uint8_t*>(p) - sizeof(std::size_t);
  std::size_t size;
  std::memcpy(&size, block, sizeof size);
  for (std::size_t i = 0; i < kGuard; ++i) {
    if (block[sizeof(std::size_t) + size + i] != kGuardByte) std::abort();
  }
  gLive -= size;
  std::free(block);
}

bool IsLoadError(std::uint32_t e) {
  return e == PNG_ERROR_NOT_PNG || e == PNG_ERROR_UNSUPPORTED;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const PngHeap heap{Allocate, Release, nullptr};
  PngSetHeap(&heap);
  PngInfo info;
  PngInit(info);
  if (!PngAttachBytes(info, data, static_cast<std::uint32_t>(size))) {
    if (size != 0 && !IsLoadError(info.error)) std::abort();
    if (info.state != PNG_STATE_EMPTY || info.source != PNG_SOURCE_NONE) std::abort();
  } else {
    const std::uint64_t decodedSize = PngDecodedSize(info);
    if (!PngDecode(info)) {
      if (info.error != PNG_ERROR_NOT_PNG || info.state != PNG_STATE_HEADER || info.pixels != nullptr) std::abort();
    } else {
      if (info.pixelsSize != decodedSize || gLive != decodedSize) std::abort();
      DibLayout layout;
      std::uint32_t code = 0;
      if (!PngFillBitmapInfo(info, layout, PNG_OUTPUT_NATURAL, code)) std::abort();
      std::vector<std::uint8_t> bits(PngBitmapBytes(layout));
      // Twice: rendering leaves the decoded rows as they were.
      const BOOL first = PngRenderRows(info, bits.data(), bits.size(), code);
      const std::vector<std::uint8_t> firstBits = bits;
      const BOOL second = PngRenderRows(info, bits.data(), bits.size(), code);
      if (first != second || (first && bits != firstBits)) std::abort();
      if (info.error != 0) std::abort();
    }
  }
  PngRelease(info);
  if (gLive != 0) std::abort();
  PngSetHeap(nullptr);
  return 0;
}
