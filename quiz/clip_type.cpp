#include "quiz/clip_type.h"

namespace {
constexpr const char* UNKNOWN = "XXX";
}

const char* ClipExtension(std::span<const std::uint8_t> clip) {
  if (clip.empty()) return UNKNOWN;
  const std::uint8_t first = clip[0];
  const bool hasSecond = clip.size() > 1;
  const bool hasNinth = clip.size() > 8;
  switch (first) {
    case 0x49:  // "ID3" tag
      return "MP3";
    case 0x52:  // "RIFF", then the form type at byte 8
      if (hasNinth && clip[8] == 0x41) return "AVI";
      if (hasNinth && clip[8] == 0x57) return "WAV";
      return UNKNOWN;
    case 0x30:  // the ASF header object's GUID
      return "WMV";
    case 0xFF:  // an MPEG audio frame sync, or a stream that opens on 0xFF 0x00
      if (hasSecond && clip[1] == 0xF3) return "MP3";
      if (hasSecond && clip[1] == 0x00) return "MPG";
      return UNKNOWN;
    case 0x00:
      if (hasNinth && (clip[8] == 0x41 || clip[8] == 0x57)) return "AVI";
      // A pack start code; a clip too short to tell is not named.
      return hasNinth ? "MPG" : UNKNOWN;
    default:
      return UNKNOWN;
  }
}
