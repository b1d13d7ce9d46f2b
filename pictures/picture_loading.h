// Picture resources as bitmaps fitted to a box.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "platform/picture_loader.h"  // ReducedJpegDecodes, for tests and benchmarks
#include "platform/win_types.h"

// A new bitmap of the picture `id` of `type`, fitted to the box keeping its
// proportions, or none. The caller owns the bitmap. An "IMG" id above 10000
// is stored with the halves of every byte exchanged. Without such a
// resource, a PNG stored as RT_RCDATA with the same id is tried.
HBITMAP LoadPicture(HINSTANCE module, int id, LPCSTR type, int boxWidth, int boxHeight);
// JPEG, GIF, BMP or ICO bytes as a bitmap of the picture's own size,
// or none; pictures over 64 megapixels are refused before decoding. A failed
// copy out of the picture loader is reported in a message box.
HBITMAP DecodePictureBytes(const std::uint8_t* bytes, std::size_t count);
// A new bitmap of the given one fitted to the box (enlarged or reduced, sides
// truncated, smoothly resampled); the given bitmap is deleted. None for none,
// or when a fitted side would be 0.
HBITMAP ScaleBitmapToFit(HBITMAP bitmap, int boxWidth, int boxHeight);
// Picture bytes decoded and fitted to the box: what LoadPicture does with a
// resource's bytes. A JPEG far larger than the box is decoded at a reduced scale.
HBITMAP DecodeAndFit(const std::uint8_t* bytes, std::size_t count, int boxWidth, int boxHeight);
// The PNG stored as RT_RCDATA `id`, decoded by the project's PNG decoder and fitted.
HBITMAP LoadPngResource(HINSTANCE module, int id, int boxWidth, int boxHeight);

struct PictureDimensions {
  int width;
  int height;
};
// The bitmap's size; for none, 260 × 0 (a slot as wide as a cell, of no height).
PictureDimensions PictureSize(HBITMAP bitmap);
// The size a picture of w × h takes in the box.
PictureDimensions FittedSize(int width, int height, int boxWidth, int boxHeight);
// Exchanges the halves of every byte (0x1F <-> 0xF1).
void ExchangeNibbles(std::uint8_t* bytes, std::size_t count);

// Not part of the player: tests hand out bitmaps of chosen sizes by id.
using PictureSource = std::function<HBITMAP(int id, int boxWidth, int boxHeight)>;
void SetPictureSource(PictureSource source);
