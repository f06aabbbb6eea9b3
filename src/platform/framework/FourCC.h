#pragma once
// Four-character codes: the first character sits in the most significant byte ('ZOOM' is 0x5A4F4F4D).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

constexpr uint32_t FourCC(const char (&s)[5]) {
  return (uint32_t(uint8_t(s[0])) << 24) | (uint32_t(uint8_t(s[1])) << 16) |
         (uint32_t(uint8_t(s[2])) << 8) | uint32_t(uint8_t(s[3]));
}

// "ZOOM" for 0x5A4F4F4D.
std::string FourCCToString(uint32_t code);
// The code of a four-character text; nothing when the text is not four characters long.
std::optional<uint32_t> FourCCFromString(std::string_view text);
