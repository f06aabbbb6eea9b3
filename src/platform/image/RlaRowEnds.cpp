#include "platform/image/RlaRowEnds.h"

#include <filesystem>
#include <fstream>

namespace {

constexpr std::streamoff kRlaHeaderBytes = 740;

bool ReadBigEndian(std::fstream& file, std::streamoff at, int bytes, uint32_t& value) {
  uint8_t b[4] = {};
  file.seekg(at);
  if (!file.read(reinterpret_cast<char*>(b), bytes)) return false;
  value = 0;
  for (int i = 0; i < bytes; ++i) value = (value << 8) | b[i];
  return true;
}

}  // namespace

bool RepairRlaRowEnds(const std::string& path, int width, int height, const std::vector<bool>& byteChannels,
                      const std::function<uint8_t(int y, int c)>& lastByte, std::string& error) {
  std::error_code ec;
  auto fileBytes = std::streamoff(std::filesystem::file_size(path, ec));
  std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
  if (ec || !file) {
    error = "cannot reopen the RLA file";
    return false;
  }
  for (int y = 0; y < height; ++y) {
    // The table of row offsets follows the header; RLA rows run from the bottom up.
    uint32_t rowStart = 0;
    if (!ReadBigEndian(file, kRlaHeaderBytes + 4 * std::streamoff(height - 1 - y), 4, rowStart)) break;
    std::streamoff at = rowStart;
    for (size_t c = 0; c < byteChannels.size(); ++c) {
      uint32_t blockBytes = 0;
      if (!ReadBigEndian(file, at, 2, blockBytes)) break;
      // A float block is raw; its 16-bit length overflows for wide rows, so its real size is used.
      std::streamoff size = byteChannels[c] ? std::streamoff(blockBytes) : std::streamoff(width) * 4;
      if (size < 1 || at + 2 + size > fileBytes) {
        error = "unexpected RLA row layout";
        return false;
      }
      if (byteChannels[c]) {
        char value = char(lastByte(y, int(c)));
        file.seekp(at + 2 + size - 1);
        file.write(&value, 1);
      }
      at += 2 + size;
    }
  }
  if (!file) {
    error = "cannot repair the RLA file";
    return false;
  }
  return true;
}
