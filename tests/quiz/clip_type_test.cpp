// The name a clip's leading bytes give it, and clips too short for a test.
// Each clip is its own heap block of exactly its size, so a read past its end
// is caught under AddressSanitizer.
#include "quiz/clip_type.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

struct ClipCase {
  const char* name;
  Bytes bytes;
  const char* extension;
};

class ClipType : public ::testing::TestWithParam<ClipCase> {};

TEST_P(ClipType, IsNamedByItsLeadingBytes) {
  const Bytes& bytes = GetParam().bytes;
  const auto exact = std::make_unique<std::uint8_t[]>(bytes.size());
  std::copy(bytes.begin(), bytes.end(), exact.get());
  EXPECT_STREQ(ClipExtension({exact.get(), bytes.size()}), GetParam().extension);
}

INSTANTIATE_TEST_SUITE_P(
    LeadingBytes, ClipType,
    ::testing::Values(ClipCase{"id3_tag", {0x49, 0x44, 0x33}, "MP3"},
                      ClipCase{"lone_id3_byte", {0x49}, "MP3"},
                      ClipCase{"riff_avi", {0x52, 0, 0, 0, 0, 0, 0, 0, 0x41}, "AVI"},
                      ClipCase{"riff_wave", {0x52, 0, 0, 0, 0, 0, 0, 0, 0x57}, "WAV"},
                      ClipCase{"riff_other", {0x52, 0, 0, 0, 0, 0, 0, 0, 0x42}, "XXX"},
                      ClipCase{"riff_eight_bytes", {0x52, 0x49, 0x46, 0x46, 0, 0, 0, 0}, "XXX"},
                      ClipCase{"asf", {0x30, 0x26}, "WMV"},
                      ClipCase{"lone_asf_byte", {0x30}, "WMV"},
                      ClipCase{"mpeg_audio_f3", {0xFF, 0xF3}, "MP3"},
                      ClipCase{"mpeg_audio_fb", {0xFF, 0xFB}, "XXX"},
                      ClipCase{"ff_00", {0xFF, 0x00}, "MPG"},
                      ClipCase{"lone_ff", {0xFF}, "XXX"},
                      ClipCase{"zero_avi", {0, 0, 0, 0, 0, 0, 0, 0, 0x41}, "AVI"},
                      ClipCase{"zero_wave", {0, 0, 0, 0, 0, 0, 0, 0, 0x57}, "AVI"},
                      ClipCase{"pack_start", {0, 0, 1, 0xBA, 0x44, 0, 4, 0, 4}, "MPG"},
                      ClipCase{"zero_eight_bytes", {0, 0, 1, 0xBA, 0x44, 0, 4, 0}, "XXX"},
                      ClipCase{"other", {0x1A, 0x45, 0xDF, 0xA3}, "XXX"},
                      ClipCase{"empty", {}, "XXX"}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
