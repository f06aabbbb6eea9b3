#include "platform/image/ExrHeaderCheck.h"

#include <fmt/format.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <vector>

namespace {

constexpr uint32_t kMagic = 20000630;
constexpr uint32_t kTiledFlag = 0x200;
constexpr uint32_t kLongNamesFlag = 0x400;
constexpr uint32_t kMultipartFlag = 0x1000;
// Parts a file may hold before the walk gives up; far beyond any real render.
constexpr int kMaxParts = 4096;
// Headers are small; a file whose headers go on for more than this is not a picture.
constexpr size_t kMaxHeaderBytes = size_t(64) << 20;

// What the offset table's size depends on, per part.
struct PartLayout {
  bool hasDataWindow = false;
  int32_t xMin = 0, yMin = 0, xMax = 0, yMax = 0;
  int compression = 0;
  bool hasTiles = false;
  uint32_t tileWidth = 0, tileHeight = 0;
  bool hasChunkCount = false;
  int32_t chunkCount = 0;
};

class HeaderWalk {
 public:
  // bytes: the start of the file, size of them read; fileBytes: the whole file's size.
  HeaderWalk(const uint8_t* bytes, size_t size, uint64_t fileBytes)
      : bytes_(bytes), size_(size), fileBytes_(std::max<uint64_t>(fileBytes, size)) {}

  bool Run(std::string& error) {
    uint32_t magic = 0, version = 0;
    if (!ReadU32(magic) || !ReadU32(version)) return Fail("file is truncated", error);
    if (magic != kMagic) return Fail("not an OpenEXR file", error);
    maxName_ = (version & kLongNamesFlag) ? 255 : 31;
    bool multipart = (version & kMultipartFlag) != 0;
    tiled_ = (version & kTiledFlag) != 0;
    std::vector<PartLayout> parts;
    do {
      if (parts.size() >= size_t(kMaxParts)) return Fail("declares too many parts", error);
      parts.emplace_back();
      if (!ReadHeader(parts.back(), error)) return false;
    } while (multipart && !AtEmptyName());
    if (multipart) ++at_;  // the empty header that ends the list
    return CheckOffsetTables(parts, error);
  }

 private:
  bool Fail(const std::string& reason, std::string& error) const {
    error = reason;
    return false;
  }

  size_t Left() const { return size_ - at_; }
  bool AtEmptyName() const { return at_ < size_ && bytes_[at_] == 0; }

  bool ReadU32(uint32_t& value) {
    if (Left() < 4) return false;
    value = uint32_t(I32(bytes_ + at_));
    at_ += 4;
    return true;
  }

  // A zero-terminated name of at most maxName_ characters.
  bool ReadName(std::string& name) {
    const uint8_t* start = bytes_ + at_;
    size_t limit = std::min(Left(), maxName_ + 1);
    const void* end = std::memchr(start, 0, limit);
    if (!end) return false;
    name.assign(reinterpret_cast<const char*>(start), static_cast<const uint8_t*>(end) - start);
    at_ += name.size() + 1;
    return true;
  }

  // Attributes up to the zero byte that ends a header.
  bool ReadHeader(PartLayout& part, std::string& error) {
    for (;;) {
      if (at_ > kMaxHeaderBytes) return Fail("header is too long", error);
      if (Left() == 0) return Fail("file is truncated", error);
      if (AtEmptyName()) {
        ++at_;
        return true;
      }
      std::string name, type;
      uint32_t size = 0;
      if (!ReadName(name) || !ReadName(type) || !ReadU32(size)) return Fail("file is truncated", error);
      if (size > Left()) {
        return Fail(fmt::format("file is truncated (attribute {} states {} bytes, {} are left)", name, size, Left()),
                    error);
      }
      Note(part, name, type, bytes_ + at_, size);
      at_ += size;
    }
  }

  static int32_t I32(const uint8_t* p) {
    return int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
  }

  void Note(PartLayout& part, const std::string& name, const std::string& type, const uint8_t* value,
            uint32_t size) {
    if (name == "dataWindow" && type == "box2i" && size == 16) {
      part.hasDataWindow = true;
      part.xMin = I32(value);
      part.yMin = I32(value + 4);
      part.xMax = I32(value + 8);
      part.yMax = I32(value + 12);
    } else if (name == "compression" && type == "compression" && size == 1) {
      part.compression = value[0];
    } else if (name == "tiles" && type == "tiledesc" && size == 9) {
      part.hasTiles = true;
      part.tileWidth = uint32_t(I32(value));
      part.tileHeight = uint32_t(I32(value + 4));
    } else if (name == "chunkCount" && type == "int" && size == 4) {
      part.hasChunkCount = true;
      part.chunkCount = I32(value);
    } else if (name == "type" && type == "string") {
      std::string kind(reinterpret_cast<const char*>(value), size);
      if (kind == "tiledimage" || kind == "deeptile") part.hasTiles = true;
    }
  }

  // Scan lines a chunk holds, per compression; the fewest chunks a part can have comes from it.
  static int64_t LinesPerChunk(int compression) {
    switch (compression) {
      case 0: case 1: case 2: return 1;    // none, RLE, ZIPS
      case 3: case 5: return 16;           // ZIP, PXR24
      case 4: case 6: case 7: case 8: return 32;  // PIZ, B44, B44A, DWAA
      default: return 256;                 // DWAB, and any codec to come
    }
  }

  // The fewest chunks the part's data window needs, or more than limit when it needs more.
  bool LeastChunks(const PartLayout& part, int64_t limit, int64_t& chunks, std::string& error) const {
    if (part.hasChunkCount) {
      if (part.chunkCount < 0) return Fail("declares a negative chunk count", error);
      chunks = part.chunkCount;
      return true;
    }
    if (!part.hasDataWindow) return Fail("header has no data window", error);
    int64_t width = int64_t(part.xMax) - part.xMin + 1;
    int64_t height = int64_t(part.yMax) - part.yMin + 1;
    if (width < 1 || height < 1) return Fail("declares an empty data window", error);
    if (tiled_ || part.hasTiles) {
      int64_t tw = std::max<int64_t>(part.tileWidth, 1), th = std::max<int64_t>(part.tileHeight, 1);
      int64_t across = (width + tw - 1) / tw, down = (height + th - 1) / th;
      chunks = across > limit / down ? limit + 1 : across * down;
    } else {
      int64_t lines = LinesPerChunk(part.compression);
      chunks = (height + lines - 1) / lines;
    }
    return true;
  }

  // Each part's table of chunk offsets, 8 bytes a chunk, follows the headers.
  bool CheckOffsetTables(const std::vector<PartLayout>& parts, std::string& error) const {
    const auto left = int64_t(fileBytes_ - at_);
    int64_t tableBytes = 0;
    for (const PartLayout& part : parts) {
      int64_t chunks = 0;
      if (!LeastChunks(part, left / 8, chunks, error)) return false;
      if (chunks > (left - tableBytes) / 8) {
        return Fail(fmt::format("file is truncated (its chunk tables need more than the {} bytes left)", left),
                    error);
      }
      tableBytes += 8 * chunks;
    }
    return true;
  }

  const uint8_t* bytes_;
  size_t size_;
  uint64_t fileBytes_;
  size_t at_ = 0;
  size_t maxName_ = 31;
  bool tiled_ = false;
};

}  // namespace

bool CheckExrHeaders(const std::string& path, std::string& error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    error = "cannot open the file";
    return false;
  }
  // Only the headers are needed, but their end is known only by walking them; reading at most
  // the header limit keeps a huge file from being read whole, and the chunk-table test still
  // sees the file's real size.
  file.seekg(0, std::ios::end);
  auto total = static_cast<size_t>(std::max<std::streamoff>(file.tellg(), 0));
  file.seekg(0);
  std::vector<uint8_t> head(std::min(total, kMaxHeaderBytes + 16));
  file.read(reinterpret_cast<char*>(head.data()), std::streamsize(head.size()));
  if (!file) {
    error = "cannot read the file";
    return false;
  }
  return HeaderWalk(head.data(), head.size(), total).Run(error);
}
