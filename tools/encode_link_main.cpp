// Codes the player's default link record at build time:
//   ploxa-encode-link LINK FOOTER OUTPUT.inc
// and writes its 70 bytes as a C initialiser list.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "quiz/link_record.h"
#include "tools/link_record_writer.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: ploxa-encode-link LINK FOOTER OUTPUT\n");
    return 2;
  }
  std::string error;
  const std::vector<std::uint8_t> record = CodeLinkRecord(argv[1], argv[2], &error);
  if (record.empty()) {
    std::fprintf(stderr, "ploxa-encode-link: %s\n", error.c_str());
    return 1;
  }
  std::ofstream out(argv[3], std::ios::binary | std::ios::trunc);
  for (std::size_t i = 0; i < record.size(); ++i) {
    out << "0x" << std::hex << static_cast<unsigned>(record[i]) << (i + 1 < record.size() ? "," : "") << ((i % 12 == 11) ? "\n" : " ");
  }
  out << "\n";
  out.close();
  if (!out) {
    std::fprintf(stderr, "ploxa-encode-link: cannot write %s\n", argv[3]);
    return 1;
  }
  return 0;
}
