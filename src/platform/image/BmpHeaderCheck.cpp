#include "platform/image/BmpHeaderCheck.h"

#include <fmt/format.h>

#include <cstdint>
#include <fstream>

namespace {

// The file header (14 bytes), then the bitmap header: its size, and from the 40-byte form on,
// the pixel depth and the compression, all little-endian.
constexpr int kInfoHeaderSize = 14, kBitsPerPixel = 28, kCompression = 30, kBytesNeeded = 34;
constexpr uint32_t kSmallestInfoHeader = 40;
constexpr uint32_t kRunLength8 = 1, kRunLength4 = 2;

uint32_t LittleEndian(const uint8_t* p, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | p[i];
  return v;
}

}  // namespace

bool CheckBmpHeader(const std::string& path, std::string& error) {
  std::ifstream file(path, std::ios::binary);
  uint8_t h[kBytesNeeded] = {};
  if (!file.read(reinterpret_cast<char*>(h), kBytesNeeded)) return true;
  if (LittleEndian(h + kInfoHeaderSize, 4) < kSmallestInfoHeader) return true;  // no compression field
  uint32_t bits = LittleEndian(h + kBitsPerPixel, 2), compression = LittleEndian(h + kCompression, 4);
  if ((compression == kRunLength8 && bits != 8) || (compression == kRunLength4 && bits != 4)) {
    error = fmt::format("declares {}-bit run-length compression for {}-bit pixels",
                        compression == kRunLength8 ? 8 : 4, bits);
    return false;
  }
  return true;
}
