// PNG resource decoder: reads a PNG file stored as an RT_RCDATA resource,
// inflates its image data with the inflater of png_inflate.h, undoes the row
// filters and writes the pixels in the layout of a top-down device-independent
// bitmap.
//
// Calling order: PngInit, PngLoadResource, PngDecode, then PngFillBitmapInfo
// and PngRenderRows (as often as wanted), PngRelease.
//
// Chunk CRCs and the zlib Adler-32 trailer are not checked; ancillary chunks
// (tRNS, gAMA, text...) are ignored and alpha is never composited.
//
// PngCreateBitmap, in the platform layer, wires the last two to GDI:
//   1. state not PNG_STATE_DECODED: error PNG_ERROR_STATE, no bitmap.
//   2. PngFillBitmapInfo(info, layout, -1, code) gives the BITMAPINFOHEADER
//      (biSize 40, biWidth layout.width, biHeight layout.height (negative:
//      top-down), biPlanes 1, biBitCount layout.bitsPerPixel, BI_RGB,
//      biClrUsed layout.colourCount, the rest 0) and its colour table
//      (layout.colourTable as RGBQUADs: blue, green, red, 0).
//   3. GetDC(window), CreateDIBSection(dc, header, DIB_RGB_COLORS, &bits,
//      nullptr, 0); on failure error PNG_ERROR_BITMAP.
//   4. PngRenderRows(info, bits, PngBitmapBytes(layout), code); on failure
//      DeleteObject(section) and no bitmap.
//   5. ReleaseDC after step 3 whatever happened; return the section.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/win_types.h"

// Error codes of PngInfo::error.
inline constexpr std::uint32_t PNG_ERROR_NONE = 0;
inline constexpr std::uint32_t PNG_ERROR_NO_MEMORY = 0x1001;      // a heap allocation failed
inline constexpr std::uint32_t PNG_ERROR_BUSY = 0x1002;           // the record already holds an image
inline constexpr std::uint32_t PNG_ERROR_NOT_PNG = 0x2000;        // not a PNG, or data that cannot be inflated
inline constexpr std::uint32_t PNG_ERROR_UNSUPPORTED = 0x2001;    // format, method, chunk or size not supported
inline constexpr std::uint32_t PNG_ERROR_OUTPUT_CODE = 0x2002;    // the output code does not fit the image
inline constexpr std::uint32_t PNG_ERROR_STATE = 0x2003;          // called in the wrong state
inline constexpr std::uint32_t PNG_ERROR_BITMAP = 0x2006;         // the platform refused the bitmap
inline constexpr std::uint32_t PNG_ERROR_NO_RESOURCE = 0x3001;    // no RT_RCDATA resource with the id
inline constexpr std::uint32_t PNG_ERROR_RESOURCE_LOAD = 0x3002;  // the resource cannot be loaded, or is empty

// PngInfo::state
inline constexpr std::uint32_t PNG_STATE_EMPTY = 0;
inline constexpr std::uint32_t PNG_STATE_HEADER = 1;
inline constexpr std::uint32_t PNG_STATE_DECODED = 2;

// PngInfo::source
inline constexpr std::uint32_t PNG_SOURCE_NONE = 0;
inline constexpr std::uint32_t PNG_SOURCE_RESOURCE = 2;  // resource memory, never freed here

// Chunk kinds of PngChunk::kind.
inline constexpr std::uint32_t PNG_CHUNK_ANCILLARY = 0;
inline constexpr std::uint32_t PNG_CHUNK_IHDR = 1;
inline constexpr std::uint32_t PNG_CHUNK_PLTE = 2;
inline constexpr std::uint32_t PNG_CHUNK_IDAT = 3;
inline constexpr std::uint32_t PNG_CHUNK_IEND = 4;
inline constexpr std::uint32_t PNG_CHUNK_CRITICAL = 5;  // any other critical chunk

// Asks PngFillBitmapInfo for the image's natural output code.
inline constexpr std::uint32_t PNG_OUTPUT_NATURAL = 0xFFFFFFFF;

// Limits of ours: larger images are refused (PNG_ERROR_UNSUPPORTED) before
// anything is allocated, so a hostile file cannot take all memory.
inline constexpr std::uint64_t PNG_MAX_PIXELS = 64'000'000;
inline constexpr std::uint32_t PNG_MAX_PALETTE = 256;  // the colour table's size

// The caller's record; PngInit and PngRelease clear all of it.
struct PngInfo {
  std::uint32_t width;
  std::uint32_t height;
  std::uint32_t error;
  std::uint32_t paletteCount;
  std::uint8_t colourType;
  std::uint8_t bitDepth;
  std::uint8_t interlace;
  const std::uint8_t* data;  // the file, from its signature
  std::uint32_t dataSize;
  const std::uint8_t* cursor;  // chunk being read during the header walk
  std::uint8_t* pixels;        // inflated rows: filter byte and bytes, pass after pass
  std::uint32_t pixelsSize;
  const std::uint8_t* palette;  // first PLTE's data, red, green, blue per entry
  std::uint32_t source;
  const std::uint8_t* header;     // IHDR's data
  const std::uint8_t* firstIdat;  // the first IDAT chunk, at its length field
  std::uint32_t state;
};

struct PngChunk {
  std::uint32_t kind;
  std::uint32_t length;
  std::uint32_t crc;  // as read, never verified
};

// What CreateDIBSection needs: a top-down BI_RGB bitmap (negative height) and
// its colour table as 0x00RRGGBB values (the bytes blue, green, red, 0).
struct DibLayout {
  std::int32_t width;
  std::int32_t height;
  std::uint16_t bitsPerPixel;
  std::uint32_t colourTable[256];
  std::uint32_t colourCount;  // biClrUsed: the ramp's entries; 0 for a palette or no table
};

// Where the decoder takes its memory: by default the process heap. Tests
// replace it to count or refuse allocations. Not thread-safe to change.
struct PngHeap {
  void* (*allocate)(void* context, std::size_t size);
  void (*release)(void* context, void* block);
  void* context;
};
void PngSetHeap(const PngHeap* heap);  // copied; null: back to the process heap

BOOL PngInit(PngInfo& info);
// Finds the RT_RCDATA resource `id` of `module` and reads its header.
// Codes: PNG_ERROR_BUSY, PNG_ERROR_NO_RESOURCE, PNG_ERROR_RESOURCE_LOAD, or the
// header's: PNG_ERROR_NOT_PNG (also for an indexed image without a palette or
// with more than 256 entries, and a file without image data),
// PNG_ERROR_UNSUPPORTED (also for an image over PNG_MAX_PIXELS).
BOOL PngLoadResource(PngInfo& info, HINSTANCE module, WORD id);
// As PngLoadResource, for bytes the caller keeps alive until PngRelease.
BOOL PngAttachBytes(PngInfo& info, const std::uint8_t* bytes, std::uint32_t size);
// Inflates the image data into one block of PngDecodedSize bytes. Codes:
// PNG_ERROR_STATE; PNG_ERROR_NOT_PNG for data that cannot be inflated, that
// ends early, or that fills more or less than the block (refused before
// allocating when the data is too short to fill it); PNG_ERROR_NO_MEMORY.
BOOL PngDecode(PngInfo& info);
BOOL PngRelease(PngInfo& info);

BOOL PngParseHeader(PngInfo& info);
// Reads the chunk at info.cursor; false when there is none.
BOOL PngNextChunk(PngInfo& info, PngChunk& chunk);
// Size of the inflated image data; may exceed 32 bits.
std::uint64_t PngDecodedSize(const PngInfo& info);

// Fills `layout` for `outputCode` (only PNG_OUTPUT_NATURAL or the natural code
// itself) and gives the natural code in `chosenCode`. Needs a decoded image.
BOOL PngFillBitmapInfo(PngInfo& info, DibLayout& layout, std::uint32_t outputCode, std::uint32_t& chosenCode);
// Bytes of one bitmap row (a multiple of 4) and of the whole bitmap.
std::uint32_t PngBitmapStride(const DibLayout& layout);
std::size_t PngBitmapBytes(const DibLayout& layout);
// Unfilters the rows and writes them into `bits` (size `bitsSize`, from
// PngBitmapBytes) in the layout of `outputCode`; the padding at the end of
// each row is zeroed. A filter type above 4 fails with `error` left as it
// was; other failures: PNG_ERROR_STATE, PNG_ERROR_OUTPUT_CODE, PNG_ERROR_BITMAP
// (a buffer too small), PNG_ERROR_NO_MEMORY (the row buffers).
BOOL PngRenderRows(PngInfo& info, std::uint8_t* bits, std::size_t bitsSize, std::uint32_t outputCode);
