#include "platform/image/ZpicFormat.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <utility>
#include <vector>

#include "platform/image/ImageIo.h"

namespace {

constexpr char kMagic[4] = {'Z', 'P', 'I', 'C'};
constexpr int kRowsPerChunk = 256;

uint32_t LoadU32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void StoreU32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}

// Floats are stored little-endian; on a big-endian host the bytes of each value are swapped.
void SwapToOrFromLittleEndian(uint8_t* bytes, size_t count) {
  if constexpr (std::endian::native == std::endian::little) {
    (void)bytes;
    (void)count;
  } else {
    for (size_t i = 0; i < count; ++i) {
      std::swap(bytes[4 * i], bytes[4 * i + 3]);
      std::swap(bytes[4 * i + 1], bytes[4 * i + 2]);
    }
  }
}

bool ParseHeader(const std::array<uint8_t, kZpicHeaderBytes>& raw, uintmax_t fileBytes, ZpicHeader& header,
                 std::string& error) {
  if (std::memcmp(raw.data(), kMagic, 4) != 0) {
    error = "not a .zpic depth file (bad magic)";
    return false;
  }
  uint32_t version = LoadU32(raw.data() + 4);
  if (version != kZpicVersion) {
    error = fmt::format("unsupported .zpic version {}", version);
    return false;
  }
  uint32_t width = LoadU32(raw.data() + 8);
  uint32_t height = LoadU32(raw.data() + 12);
  if (width < 1 || height < 1 || width > uint32_t(kMaxImageSide) || height > uint32_t(kMaxImageSide)) {
    error = fmt::format("declares a depth buffer of {} x {}; sides must be 1 to {}", width, height, kMaxImageSide);
    return false;
  }
  uintmax_t needed = kZpicHeaderBytes + uintmax_t(width) * height * sizeof(float);
  if (fileBytes < needed) {
    error = fmt::format("file is truncated (declares {} x {} depths: {} bytes, holds {})", width, height, needed,
                        fileBytes);
    return false;
  }
  header.width = int(width);
  header.height = int(height);
  return true;
}

bool OpenAndReadHeader(const std::string& path, std::ifstream& in, ZpicHeader& header, std::string& error) {
  std::error_code ec;
  uintmax_t fileBytes = std::filesystem::file_size(path, ec);
  in.open(path, std::ios::binary);
  if (ec || !in) {
    error = "cannot open the file";
    return false;
  }
  std::array<uint8_t, kZpicHeaderBytes> raw{};
  if (!in.read(reinterpret_cast<char*>(raw.data()), raw.size())) {
    error = fileBytes == 0 ? "file is empty" : "file is truncated (incomplete .zpic header)";
    return false;
  }
  return ParseHeader(raw, fileBytes, header, error);
}

}  // namespace

bool ReadZpicHeader(const std::string& path, ZpicHeader& header, std::string& error) {
  std::ifstream in;
  return OpenAndReadHeader(path, in, header, error);
}

std::unique_ptr<depthBitmap> ReadZpic(const std::string& path, std::string& error) {
  std::ifstream in;
  ZpicHeader header;
  if (!OpenAndReadHeader(path, in, header, error)) return nullptr;
  auto depth = std::make_unique<depthBitmap>(header.width, header.height);
  size_t count = depth->GetValueCount();
  auto* bytes = reinterpret_cast<uint8_t*>(depth->GetData());
  if (!in.read(reinterpret_cast<char*>(bytes), std::streamsize(count * sizeof(float)))) {
    error = "file is truncated";
    return nullptr;
  }
  SwapToOrFromLittleEndian(bytes, count);
  return depth;
}

bool WriteZpic(const std::string& path, const depthBitmap& depth, std::string& error) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) {
    error = "cannot create the file";
    return false;
  }
  std::array<uint8_t, kZpicHeaderBytes> header{};
  std::memcpy(header.data(), kMagic, 4);
  StoreU32(header.data() + 4, kZpicVersion);
  StoreU32(header.data() + 8, uint32_t(depth.GetWidth()));
  StoreU32(header.data() + 12, uint32_t(depth.GetHeight()));
  out.write(reinterpret_cast<const char*>(header.data()), header.size());

  // Written in chunks of rows so that a big-endian host swaps a copy, not the image.
  std::vector<uint8_t> chunk;
  for (int y = 0; y < depth.GetHeight() && out; y += kRowsPerChunk) {
    int rows = std::min(kRowsPerChunk, depth.GetHeight() - y);
    size_t count = size_t(rows) * depth.GetWidth();
    chunk.resize(count * sizeof(float));
    std::memcpy(chunk.data(), depth.GetLine(y), chunk.size());
    SwapToOrFromLittleEndian(chunk.data(), count);
    out.write(reinterpret_cast<const char*>(chunk.data()), std::streamsize(chunk.size()));
  }
  out.close();
  if (!out) {
    error = "cannot write the file (disk full?)";
    return false;
  }
  return true;
}
