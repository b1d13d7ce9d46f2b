// A short WAV clip made in memory: 8 kHz, mono, 8 bits, a 440 Hz tone.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

namespace ploxa::test {

inline std::vector<std::uint8_t> ToneWav(int milliseconds) {
  constexpr std::uint32_t rate = 8000;
  const std::uint32_t samples = rate * static_cast<std::uint32_t>(milliseconds) / 1000;
  std::vector<std::uint8_t> wav;
  wav.reserve(44 + samples);
  auto text = [&](const char* s) {
    for (int i = 0; i < 4; ++i) wav.push_back(static_cast<std::uint8_t>(s[i]));
  };
  auto u32 = [&](std::uint32_t v) {
    for (int i = 0; i < 4; ++i) wav.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  };
  auto u16 = [&](std::uint16_t v) {
    wav.push_back(static_cast<std::uint8_t>(v));
    wav.push_back(static_cast<std::uint8_t>(v >> 8));
  };
  text("RIFF");
  u32(36 + samples);
  text("WAVE");
  text("fmt ");
  u32(16);
  u16(1);     // PCM
  u16(1);     // channels
  u32(rate);
  u32(rate);  // bytes per second
  u16(1);     // block align
  u16(8);     // bits per sample
  text("data");
  u32(samples);
  for (std::uint32_t i = 0; i < samples; ++i) {
    wav.push_back(static_cast<std::uint8_t>(128 + 60 * std::sin(2 * 3.14159265 * 440 * i / rate)));
  }
  return wav;
}

}  // namespace ploxa::test
