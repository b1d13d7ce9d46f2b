// The commands of ploxa-pack, callable in-process (the executable's main and
// the tests share them).
#pragma once

#include <ostream>
#include <string>
#include <vector>

inline constexpr int EXIT_QUIZ_ERROR = 1;
inline constexpr int EXIT_USAGE = 2;

// Runs ploxa-pack with `args` (without the program name). Returns the exit status.
int RunPack(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
