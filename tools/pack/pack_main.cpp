// ploxa-pack: builds, inspects and tests quiz program files.
#include <iostream>
#include <string>
#include <vector>

#include "tools/pack/pack_commands.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  return RunPack(args, std::cout, std::cerr);
}
