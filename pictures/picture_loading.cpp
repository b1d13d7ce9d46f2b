#include "pictures/picture_loading.h"

#include <utility>

#include "platform/win_api.h"

namespace {
PictureSource& Source() {
  static PictureSource source;
  return source;
}
}  // namespace

void SetPictureSource(PictureSource source) { Source() = std::move(source); }

HBITMAP LoadPicture(HINSTANCE, int id, LPCSTR, int boxWidth, int boxHeight) {
  if (Source()) return Source()(id, boxWidth, boxHeight);
  return nullptr;
}

PictureDimensions PictureSize(HBITMAP bitmap) {
  BITMAP info{};
  if (bitmap == nullptr || GetObjectA(bitmap, sizeof info, &info) == 0) return {260, 0};
  return {static_cast<int>(info.bmWidth), static_cast<int>(info.bmHeight)};
}
