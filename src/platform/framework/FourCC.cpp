#include "platform/framework/FourCC.h"

std::string FourCCToString(uint32_t code) {
  std::string s(4, ' ');
  for (int i = 0; i < 4; ++i) s[i] = char((code >> (24 - 8 * i)) & 0xFF);
  return s;
}

std::optional<uint32_t> FourCCFromString(std::string_view text) {
  if (text.size() != 4) return std::nullopt;
  uint32_t code = 0;
  for (char c : text) code = (code << 8) | uint8_t(c);
  return code;
}
