#include "quiz/link_record.h"

struct ProgramDataBlock {
  char words[PROGRAM_WORDS_SIZE];
  std::uint8_t linkRecord[LINK_RECORD_SIZE];
};
static_assert(sizeof(ProgramDataBlock) == PROGRAM_WORDS_SIZE + LINK_RECORD_SIZE, "the record follows the words");

// Writable, used and read through volatile accesses: the block stays in the
// initialised data whole, and nothing of it is folded into the code, so a
// patched copy of the program reads its own record.
extern "C" {
[[gnu::used]] ProgramDataBlock ploxa_program_data = {
    {'P', 'l', 'o', 'x', 'a', '\0', 'B', 'R', 'A', 'V', 'O', '\0', 'A', 'n', 'a', 'g', 'r', 'a',
     'm', 'm', 'e', '\0', 'F', 'A', 'U', 'X', '\0'},
    {
#include "default_link_record.inc"
    },
};
}

std::array<std::uint8_t, LINK_RECORD_SIZE> ReadLinkRecord() {
  const volatile std::uint8_t* source = ploxa_program_data.linkRecord;
  std::array<std::uint8_t, LINK_RECORD_SIZE> record{};
  for (std::size_t i = 0; i < LINK_RECORD_SIZE; ++i) record[i] = source[i];
  return record;
}
