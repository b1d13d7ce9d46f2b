// Builds the coded 70-byte link record from its two texts (code page 1252).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The decoded record is two unread bytes, the link, "|", the footer, "|".
// Returns the 70 coded bytes, zero-padded, or an empty vector with `error` set
// when a text holds "|", is longer than its field, or the coded form needs more
// than 70 bytes (the message says how many bytes too many).
std::vector<std::uint8_t> CodeLinkRecord(const std::string& link, const std::string& footer, std::string* error);
