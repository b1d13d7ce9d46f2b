// Not part of the platform: the picture loader that stands in for its OLE one.
// It reads JPEG, GIF, BMP and ICO bytes with Qt's image readers (libjpeg-turbo
// underneath for JPEG) into a screen-compatible bitmap. Like the platform's, it
// does not read PNG files: those are the program's own decoder's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "platform/win_types.h"

// Pictures with more pixels are refused from their header, before decoding,
// so a hostile file cannot take all memory.
inline constexpr long long MAX_PICTURE_PIXELS = 64'000'000;

// A loaded picture owns its bitmap and deletes it when it goes; callers that
// keep the picture's pixels take a copy (CopyImage).
class LoadedPicture {
 public:
  LoadedPicture() = default;
  explicit LoadedPicture(HBITMAP bitmap) : bitmap_(bitmap) {}
  LoadedPicture(LoadedPicture&& other) noexcept : bitmap_(other.bitmap_) { other.bitmap_ = nullptr; }
  LoadedPicture& operator=(LoadedPicture&& other) noexcept;
  LoadedPicture(const LoadedPicture&) = delete;
  LoadedPicture& operator=(const LoadedPicture&) = delete;
  ~LoadedPicture();

  explicit operator bool() const { return bitmap_ != nullptr; }
  HBITMAP Handle() const { return bitmap_; }

 private:
  HBITMAP bitmap_ = nullptr;
};

// Given a picture's own size, the size it will be shown at. A JPEG far larger
// than that is decoded at the smallest of libjpeg's scales (1/2, 1/4, 1/8)
// that still leaves at least twice the shown size on both sides.
using ShownSize = std::function<SIZE(SIZE pictureSize)>;

// The picture in `bytes` at its own size (or reduced, see ShownSize); empty
// for bytes of another format or that the reader refuses, a picture over
// MAX_PICTURE_PIXELS, an icon whose entries reach past its bytes, or a bitmap
// the layer refuses. Transparent pixels show white.
LoadedPicture LoadPictureFromBytes(const std::uint8_t* bytes, std::size_t count, const ShownSize& shownSize = {});

// How many JPEGs were decoded at a reduced scale since the process started.
int ReducedJpegDecodes();
