#include "platform/image/RlaHeaderCheck.h"

#include <fmt/format.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <vector>

namespace {

constexpr int64_t kHeaderBytes = 740;
// The chain of subimages is followed this far; the reader uses no more.
constexpr int kMaxSubimages = 64;

// Big-endian fields of the header, by their byte offset.
constexpr int kActiveBottom = 12, kActiveTop = 14;
constexpr int kColorType = 18, kColorChannels = 20, kMatteChannels = 22, kAuxChannels = 24;
constexpr int kFieldRendered = 612;
constexpr int kColorBits = 658, kMatteType = 660, kMatteBits = 662, kAuxType = 664, kAuxBits = 666;
// Channel types: bytes, 16-bit words, 32-bit words, floats.
constexpr int kByteType = 0, kWordType = 1, kDoubleWordType = 2, kFloatType = 4;
constexpr int kNextOffset = 736;

int16_t I16(const std::vector<uint8_t>& h, int at) { return int16_t(uint16_t(h[at] << 8 | h[at + 1])); }

int32_t I32(const uint8_t* p) {
  return int32_t(uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]));
}

bool Fail(const std::string& reason, std::string& error) {
  error = reason;
  return false;
}

bool ReadAt(std::ifstream& file, int64_t at, std::vector<uint8_t>& bytes) {
  file.clear();
  file.seekg(at);
  return bool(file.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size())));
}

bool IsChannelType(int type) {
  return type == kByteType || type == kWordType || type == kDoubleWordType || type == kFloatType;
}

// Every group, even one without channels, must name a channel type the decoder knows (it aborts
// on any other), and bytes of at most 32 bits; a group that has channels must state a depth the
// decoder can expand: 1 to 32 bits.
bool CheckChannelGroups(const std::vector<uint8_t>& h, std::string& error) {
  const struct {
    int type, count, bits;
    const char* name;
  } groups[] = {{kColorType, kColorChannels, kColorBits, "colour"},
                {kMatteType, kMatteChannels, kMatteBits, "matte"},
                {kAuxType, kAuxChannels, kAuxBits, "auxiliary"}};
  for (const auto& g : groups) {
    int type = I16(h, g.type), count = I16(h, g.count), bits = I16(h, g.bits);
    if (!IsChannelType(type)) return Fail(fmt::format("declares {} channels of unknown type {}", g.name, type), error);
    if (count < 0) return Fail(fmt::format("declares {} {} channels", count, g.name), error);
    if ((count > 0 && bits < 1) || bits > 32) {
      return Fail(fmt::format("declares {}-bit {} channels", bits, g.name), error);
    }
  }
  return true;
}

// Rows are stored apart, each where the table after the header says; each must start inside
// the file, after the table.
bool CheckRowOffsets(std::ifstream& file, int64_t at, const std::vector<uint8_t>& h, int64_t fileBytes,
                     std::string& error) {
  int64_t rows = int64_t(I16(h, kActiveTop)) - I16(h, kActiveBottom) + 1;
  if (I16(h, kFieldRendered) != 0) rows /= 2;
  if (rows < 1) return Fail("declares no rows", error);
  int64_t tableEnd = at + kHeaderBytes + 4 * rows;
  if (tableEnd > fileBytes) return Fail("file is truncated (its row table is cut off)", error);
  std::vector<uint8_t> table(size_t(4 * rows));
  if (!ReadAt(file, at + kHeaderBytes, table)) return Fail("cannot read the row table", error);
  for (int64_t row = 0; row < rows; ++row) {
    int64_t offset = I32(&table[size_t(4 * row)]);
    if (offset < tableEnd) {
      return Fail(fmt::format("row {} is said to start at byte {}, inside the headers", row, offset), error);
    }
    if (offset >= fileBytes) {
      return Fail(fmt::format("file is truncated (row {} starts at byte {} of {})", row, offset, fileBytes), error);
    }
  }
  return true;
}

}  // namespace

bool CheckRlaHeaders(const std::string& path, std::string& error) {
  std::error_code ec;
  auto fileBytes = int64_t(std::filesystem::file_size(path, ec));
  std::ifstream file(path, std::ios::binary);
  if (ec || !file) return Fail("cannot open the file", error);
  std::vector<uint8_t> header(kHeaderBytes);
  int64_t at = 0;
  for (int subimage = 0; subimage < kMaxSubimages; ++subimage) {
    if (at + kHeaderBytes > fileBytes || !ReadAt(file, at, header)) {
      // Past the first, a header the file does not hold ends the chain; the reader stops there.
      if (subimage == 0) return Fail("file is truncated", error);
      return true;
    }
    if (!CheckChannelGroups(header, error) || !CheckRowOffsets(file, at, header, fileBytes, error)) return false;
    int64_t next = I32(&header[kNextOffset]);
    if (next <= at) return true;
    at = next;
  }
  return true;
}
