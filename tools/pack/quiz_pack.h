// Turns a quiz description into what a program file holds: the coded link
// record and the bundle's resources, after checking everything the player
// relies on. Nothing is produced when a check fails.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/resource_bundle.h"
#include "tools/pack/diagnostics.h"
#include "tools/pack/quiz_description.h"

inline constexpr std::uint32_t RT_RCDATA_NUMBER = 10;
inline constexpr std::uint32_t PICTURE_ID_BASE = 400;          // question n: 400 + n
inline constexpr std::uint32_t REVEAL_PICTURE_ID_BASE = 10400;  // reveal picture of question n
inline constexpr std::uint32_t EXCHANGED_IDS_ABOVE = 10000;     // "IMG" ids stored nibble-exchanged
inline constexpr std::size_t CELL_ANSWER_LIMIT = 128;           // answer fields of the cell layouts
inline constexpr const char* PATCH_TYPE = "PATCH";
inline constexpr const char* PICTURE_TYPE = "IMG";

struct PackedResource {
  bundle::ResourceType type;
  std::uint32_t id = 0;
  std::vector<std::uint8_t> bytes;
};

struct PackedQuiz {
  std::vector<std::uint8_t> linkRecord;  // the 70 coded bytes
  std::vector<PackedResource> resources;  // in bundle order
};

// Exchanges the high and low halves of every byte (its own inverse).
void ExchangeNibbles(std::vector<std::uint8_t>& bytes);
// Whether the player's link label would open `link`.
bool IsOpenableLink(const std::string& link);

// Checks `quiz`, read from `file`, whose pictures and clips are named relative
// to `folder`. On success fills `packed`; errors and warnings go to `diagnostics`.
bool PackQuiz(const QuizDescription& quiz, const std::string& file, const std::filesystem::path& folder,
              PackedQuiz& packed, Diagnostics& diagnostics);
