// Checks on picture file bytes made before any image reader sees them. Standard
// library only, so the packer refuses what the player's loader would refuse.
#pragma once

#include <cstddef>
#include <cstdint>

// Every chunk of a PNG lies within its bytes. libpng takes a chunk's memory
// from its declared length before reading it, so a 41-byte file could
// otherwise make a reader allocate gigabytes.
bool PngChunksFit(const std::uint8_t* bytes, std::size_t count);
// An icon's entries lie within its bytes, and those stored as PNG pass PngChunksFit.
bool IconEntriesFit(const std::uint8_t* bytes, std::size_t count);
