// Any bytes as a picture resource: loading ends with a bitmap fitted to the
// 260 x 260 slot or with none, and every bitmap made on the way is gone once
// the caller deletes the one it got. An even first byte also loads the bytes
// as a large id stores them (halves of every byte exchanged); an odd one also
// decodes at the picture's own size and fits in a second step, which must give
// what DecodeAndFit gave unless the bytes are a JPEG (one far larger than the
// box is decoded at a reduced scale, which may round a side differently).
#include <QtGlobal>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "pictures/picture_loading.h"
#include "platform/win_api.h"
#include "platform/win_internal.h"

namespace {

constexpr int kBox = 260;
// Larger pictures are refused before decoding.
constexpr long long kMaxPixels = 64'000'000;

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

struct Size {
  int width = 0;
  int height = 0;
  bool operator==(const Size&) const = default;
};

Size SizeOf(HBITMAP bitmap) {
  BITMAP info{};
  Check(GetObjectA(bitmap, sizeof info, &info) == static_cast<int>(sizeof info));
  return {static_cast<int>(info.bmWidth), static_cast<int>(info.bmHeight)};
}

// A fitted bitmap lies inside the box, and its longer side reaches it: the box
// side times (box side / picture side), truncated, which is 260 or, when the
// double product falls just short (a 4105-pixel side does), 259.
Size CheckFitted(HBITMAP bitmap) {
  if (bitmap == nullptr) return {};
  const Size size = SizeOf(bitmap);
  Check(size.width >= 1 && size.height >= 1 && size.width <= kBox && size.height <= kBox);
  Check(std::max(size.width, size.height) >= kBox - 1);
  return size;
}

// Qt's image readers are not instrumented, so libFuzzer sees little of what an
// input does in them. Counting each outcome (which call, which size) as a
// feature makes it keep inputs that decode to a size not seen before.
__attribute__((used, section("__libfuzzer_extra_counters"))) std::uint8_t gOutcomes[1 << 14];

void Note(int call, Size size) {
  const std::uint64_t key = (static_cast<std::uint64_t>(call) << 40) ^
                            (static_cast<std::uint64_t>(size.width) << 20) ^ static_cast<std::uint64_t>(size.height);
  ++gOutcomes[(key * 0x9E3779B97F4A7C15ull) >> 50];
}

void Delete(HBITMAP bitmap) {
  if (bitmap != nullptr) Check(DeleteObject(bitmap) != 0);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Before the application exists: no display is wanted.
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  ploxa::win::EnsureApplication();
  // The image readers warn about every broken file; only worse is worth seeing.
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) fprintf(stderr, "%s\n", qPrintable(message));
  });
  SetMessageBoxHook([](HWND, std::string_view, std::string_view, UINT) { return IDOK; });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const int bitmapsBefore = GetGdiObjectCounts().bitmaps;

  HBITMAP fitted = DecodeAndFit(data, size, kBox, kBox);
  const Size fittedSize = CheckFitted(fitted);
  Note(0, fittedSize);
  Delete(fitted);

  if (size > 0 && data[0] % 2 == 0) {
    std::vector<std::uint8_t> stored(data, data + size);
    ExchangeNibbles(stored.data(), stored.size());
    HBITMAP exchanged = DecodeAndFit(stored.data(), stored.size(), kBox, kBox);
    Note(1, CheckFitted(exchanged));
    Delete(exchanged);
  } else {
    HBITMAP own = DecodePictureBytes(data, size);
    Size expected;
    if (own != nullptr) {
      const Size ownSize = SizeOf(own);
      Note(2, ownSize);
      Check(ownSize.width >= 1 && ownSize.height >= 1 &&
            static_cast<long long>(ownSize.width) * ownSize.height <= kMaxPixels);
      const PictureDimensions box = FittedSize(ownSize.width, ownSize.height, kBox, kBox);
      if (box.width > 0 && box.height > 0) expected = {box.width, box.height};
    }
    HBITMAP scaled = ScaleBitmapToFit(own, kBox, kBox);
    const Size scaledSize = CheckFitted(scaled);
    Check(scaledSize == expected);
    // Only the JPEG reader takes bytes that start with its marker.
    const bool jpeg = size >= 2 && data[0] == 0xFF && data[1] == 0xD8;
    if (!jpeg) Check(scaledSize == fittedSize);
    Delete(scaled);
  }

  Check(GetGdiObjectCounts().bitmaps == bitmapsBefore);
  return 0;
}
