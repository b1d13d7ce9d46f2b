// Whether the player can show a picture, judged with the decoders it uses:
// the project's PNG decoder for PNG, the picture loader's readers for the rest.
#pragma once

#include <cstdint>
#include <span>
#include <string>

// Largest picture accepted, in pixels: what the player's decoders refuse above.
inline constexpr std::uint64_t MAX_PICTURE_PIXELS = 64'000'000;

// "PNG", "JPEG", "GIF", "BMP" or "ICO" by the file's signature; "" for anything else.
std::string PictureFormat(std::span<const std::uint8_t> bytes);
// "" when the player can show the picture, else why not.
std::string CheckPicture(std::span<const std::uint8_t> bytes);
