// The type the player gives a media clip, named by its leading bytes. The clip
// file the player writes takes this name as its extension, so the packer warns
// about clips it would call "XXX" and the media player reuses it as it is.
#pragma once

#include <cstdint>
#include <span>

// "MP3", "AVI", "WAV", "WMV", "MPG" or "XXX". Reads only bytes 0, 1 and 8, and
// only those that exist: a clip too short for a test it needs is "XXX".
const char* ClipExtension(std::span<const std::uint8_t> clip);
