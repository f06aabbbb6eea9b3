#include "platform/image/TargaFile.h"

#include <fmt/format.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <vector>

#include "platform/image/PixelConversion.h"

namespace {

constexpr uint8_t kTrueColour = 2, kGrey = 3, kRunLength = 8;
constexpr uint8_t kTopDown = 0x20;              // descriptor: row 0 is the top row
constexpr size_t kExtensionSize = 495;          // TGA 2.0 extension area
constexpr size_t kAttributesAt = 494;           // its alpha type byte
constexpr uint8_t kStraightAlpha = 3;           // "useful alpha channel data"
constexpr int kMaxRun = 128;

void PutU16(std::vector<uint8_t>& out, size_t at, unsigned v) {
  out[at] = uint8_t(v & 255);
  out[at + 1] = uint8_t(v >> 8);
}

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
  for (int k = 0; k < 4; ++k) out.push_back(uint8_t(v >> (8 * k)));
}

// The straight colour byte a file stores for a premultiplied byte under its alpha.
uint8_t Straight(uint8_t v, uint8_t a) {
  if (a == 255 || a == 0) return v;
  return UnitToByte(std::min(float(v) / float(a), 1.0f));
}

// One row as the file stores its pixels: blue, green, red (or grey), then alpha.
void StoredRow(const SaveContent& content, int y, std::vector<uint8_t>& row) {
  const Bitmap& picture = *content.picture;
  const int width = picture.GetWidth(), colours = picture.GetChannels();
  const uint8_t* in = picture.GetLineBytes(y);
  const uint8_t* alpha = content.alpha ? content.alpha->GetLineBytes(y) : nullptr;
  const int bytes = colours + (alpha ? 1 : 0);
  row.resize(size_t(width) * size_t(bytes));
  for (int x = 0; x < width; ++x) {
    uint8_t* out = row.data() + size_t(x) * size_t(bytes);
    const uint8_t a = alpha ? alpha[x] : 255;
    for (int k = 0; k < colours; ++k) out[colours - 1 - k] = Straight(in[size_t(x) * size_t(colours) + size_t(k)], a);
    if (alpha) out[colours] = a;
  }
}

// Run-length packets of one row: runs of equal pixels, and raw packets between them.
void EncodeRow(const std::vector<uint8_t>& row, int bytes, std::vector<uint8_t>& out) {
  const int width = int(row.size()) / bytes;
  auto same = [&](int a, int b) { return std::memcmp(&row[size_t(a * bytes)], &row[size_t(b * bytes)], size_t(bytes)) == 0; };
  for (int x = 0; x < width;) {
    int run = 1;
    while (x + run < width && run < kMaxRun && same(x, x + run)) ++run;
    if (run > 1) {
      out.push_back(uint8_t(0x80 | (run - 1)));
      out.insert(out.end(), row.begin() + x * bytes, row.begin() + (x + 1) * bytes);
      x += run;
      continue;
    }
    int raw = 1;
    while (x + raw < width && raw < kMaxRun && !(x + raw + 1 < width && same(x + raw, x + raw + 1))) ++raw;
    out.push_back(uint8_t(raw - 1));
    out.insert(out.end(), row.begin() + x * bytes, row.begin() + (x + raw) * bytes);
    x += raw;
  }
}

}  // namespace

bool WriteTarga(const std::string& path, const SaveContent& content, ImageCompression compression,
                std::string& error) {
  const Bitmap& picture = *content.picture;
  const int width = picture.GetWidth(), height = picture.GetHeight();
  if (width > 0xFFFF || height > 0xFFFF) {
    error = fmt::format("Targa files hold at most 65535 x 65535 pixels, not {} x {}", width, height);
    return false;
  }
  const bool grey = picture.GetChannels() == 1;
  const int bytes = picture.GetChannels() + (content.alpha ? 1 : 0);
  const bool encoded = compression == ImageCompression::Small;
  std::vector<uint8_t> header(18, 0);
  header[2] = uint8_t((grey ? kGrey : kTrueColour) | (encoded ? kRunLength : 0));
  PutU16(header, 12, unsigned(width));
  PutU16(header, 14, unsigned(height));
  header[16] = uint8_t(8 * bytes);
  header[17] = uint8_t(kTopDown | (content.alpha ? 8 : 0));

  std::ofstream out(path, std::ios::binary);
  if (!out) {
    error = fmt::format("cannot create the file ({})", std::strerror(errno));
    return false;
  }
  // Row by row: the file is never held whole in memory.
  auto put = [&out](const std::vector<uint8_t>& bytesOut) {
    out.write(reinterpret_cast<const char*>(bytesOut.data()), std::streamsize(bytesOut.size()));
    return bytesOut.size();
  };
  size_t written = put(header);
  std::vector<uint8_t> row, packets;
  for (int y = 0; y < height; ++y) {
    StoredRow(content, y, row);
    if (!encoded) {
      written += put(row);
      continue;
    }
    packets.clear();
    EncodeRow(row, bytes, packets);
    written += put(packets);
  }
  std::vector<uint8_t> tail(kExtensionSize, 0);
  PutU16(tail, 0, unsigned(kExtensionSize));
  tail[kAttributesAt] = content.alpha ? kStraightAlpha : 0;
  PutU32(tail, uint32_t(written));  // where the extension area starts
  PutU32(tail, 0);
  const char signature[] = "TRUEVISION-XFILE.";
  tail.insert(tail.end(), signature, signature + sizeof signature);  // with its final zero
  put(tail);
  out.close();
  if (!out) {
    error = fmt::format("cannot complete the file ({})", std::strerror(errno));
    return false;
  }
  return true;
}
