// A program file: a copy of the player with the quiz's link record written into
// its data block, followed by the resource bundle.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tools/pack/quiz_description.h"
#include "tools/pack/quiz_pack.h"

// The player's bytes without any bundle it already carries, and where its link
// record lies.
struct PlayerImage {
  std::vector<std::uint8_t> bytes;
  std::size_t linkOffset = 0;
};

bool ReadWholeFile(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes, std::string* error);
// Finds the link block of `file` (bundle excluded); false when its words do not
// occur exactly once.
bool FindLinkRecord(const std::vector<std::uint8_t>& file, std::size_t end, std::size_t* offset, std::string* error);
bool LoadPlayer(const std::filesystem::path& path, PlayerImage& player, std::string* error);
std::vector<std::uint8_t> AssembleProgram(const PlayerImage& player, const PackedQuiz& quiz);
// Writes through a temporary file in the same folder, so a failed write leaves
// no half file; the result is executable.
bool WriteProgramFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes, std::string* error);

struct ResourceListing {
  std::string type;  // "PATCH", "IMG", "#10"
  std::uint32_t id = 0;
  std::size_t size = 0;
  std::string kind;  // what it holds, as detected
};

// What `show` and `extract` get back from a program file.
struct ProgramContents {
  QuizDescription quiz;
  std::map<std::string, std::vector<std::uint8_t>> files;  // file name → bytes, as the description names them
  std::vector<ResourceListing> resources;
  std::vector<std::string> notes;  // what the description cannot say about this file
};

// Decodes the records with the player's own loader. False, with `error`, when
// the file holds no quiz the player could load.
bool ReadProgram(const std::vector<std::uint8_t>& file, ProgramContents& contents, std::string* error);
