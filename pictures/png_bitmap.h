// The decoded PNG as a bitmap: the PNG decoder's rows written into a GDI section.
#pragma once

#include <cstdint>

#include "pictures/png_decoder.h"
#include "platform/win_types.h"

// A new device-independent section (or, with `section` false, a screen-compatible
// copy of it) holding the decoded image in the layout of `outputCode`
// (PNG_OUTPUT_NATURAL for the natural one), made with `window`'s DC (null: the
// screen's). Needs a decoded record (else PNG_ERROR_STATE); PNG_ERROR_BITMAP when
// the platform refuses the bitmap; a row filter above 4 fails with `error` unchanged.
HBITMAP PngCreateBitmap(PngInfo& info, HWND window, std::uint32_t outputCode, bool section);
