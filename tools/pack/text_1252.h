// UTF-8 (what authors write) to code page 1252 (what the player stores) and back.
#pragma once

#include <string>

// Converts `utf8`; on failure returns false and says why in `problem`: bytes
// that are not UTF-8, or the first character the code page lacks, named with
// its code point and position ("«ō» (U+014D) at character 7").
bool Utf8ToCp1252(const std::string& utf8, std::string* cp1252, std::string* problem);
// Always succeeds: every byte has a character (the five unassigned bytes map to
// the C1 controls of the same value).
std::string Cp1252ToUtf8(const std::string& cp1252);
