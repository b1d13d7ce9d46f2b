// Picture resources as bitmaps fitted to a box.
#pragma once

#include <functional>

#include "platform/win_types.h"

// A new bitmap of the picture `id` of `type`, fitted to the box keeping its
// proportions, or none. The caller owns the bitmap.
// Until the picture decoders are wired in, pictures come only from the source
// set below and every other call gives none.
HBITMAP LoadPicture(HINSTANCE module, int id, LPCSTR type, int boxWidth, int boxHeight);

struct PictureDimensions {
  int width;
  int height;
};
// The bitmap's size; for none, 260 × 0 (a slot as wide as a cell, of no height).
PictureDimensions PictureSize(HBITMAP bitmap);

// Not part of the player: tests hand out bitmaps of chosen sizes by id.
using PictureSource = std::function<HBITMAP(int id, int boxWidth, int boxHeight)>;
void SetPictureSource(PictureSource source);
