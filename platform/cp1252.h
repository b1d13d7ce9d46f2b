// Code page 1252, the only character set of the program's texts.
#pragma once

namespace ploxa::cp1252 {

// The character of a byte; the five unassigned bytes map to the C1 controls of the same value.
char32_t ToUnicode(unsigned char byte);
// The byte of a character; false when the code page has none (the character is refused).
bool FromUnicode(char32_t ch, unsigned char* byte);

}  // namespace ploxa::cp1252
