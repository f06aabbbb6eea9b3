#include "support/GBufferRla.h"

#include <cstring>
#include <fstream>
#include <stdexcept>
#include <vector>

namespace {

constexpr size_t kHeaderBytes = 740;
constexpr float kBackgroundMarker = -1e30f;
// The render channels in bit order, with the bytes a pixel of each takes.
constexpr struct {
  char letter;
  int bytes;
} kTable[] = {{'Z', 4}, {'E', 1}, {'O', 2}, {'U', 8}, {'N', 4}, {'R', 4}, {'C', 1},
              {'B', 3}, {'I', 2}, {'G', 3}, {'T', 3}, {'V', 8}, {'W', 3}, {'M', 2}};

void Put16(std::string& b, size_t at, int v) {
  b[at] = char((v >> 8) & 255);
  b[at + 1] = char(v & 255);
}

void Put32(std::string& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + size_t(i)] = char((v >> (24 - 8 * i)) & 255);
}

void PutText(std::string& b, size_t at, size_t room, const std::string& text) {
  std::memcpy(&b[at], text.data(), std::min(room - 1, text.size()));
}

std::string Append32(uint32_t v) {
  std::string s(4, '\0');
  Put32(s, 0, v);
  return s;
}

// A chunk: 16-bit big-endian count, then the bytes.
std::string Chunk(const std::string& data) {
  if (data.size() > 0xFFFF) throw std::runtime_error("an RLA chunk longer than 65535 bytes");
  std::string s(2, '\0');
  Put16(s, 0, int(data.size()));
  return s + data;
}

bool HasLetter(const GBufferRlaOptions& o, char letter) {
  auto open = o.letters.find('(');
  std::string list = open == std::string::npos ? o.letters : o.letters.substr(open + 1);
  return list.find(letter) != std::string::npos;
}

// A pixel's value as little-endian bytes.
template <typename T>
std::string LittleEndian(T v) {
  std::string s(sizeof(T), '\0');
  std::memcpy(s.data(), &v, sizeof(T));  // the test machines are little-endian
  return s;
}

class Writer {
 public:
  Writer(const CLayerBitmap& image, const GBufferRlaOptions& options, const GBufferValues& values)
      : image_(image), o_(options), v_(values), w_(image.GetWidth()), h_(image.GetHeight()) {}

  std::string Bytes() {
    std::string file = Header();
    const size_t tableAt = file.size();
    file += std::string(size_t(4 * h_), '\0');
    if (HasLetter(o_, 'P')) file += RenderInfo();
    if (HasLetter(o_, 'D')) file += NameTable();
    // Lines are stored bottom first.
    for (int line = 0; line < h_; ++line) {
      Put32(file, tableAt + size_t(4 * line), uint32_t(file.size()));
      file += Line(h_ - 1 - line);
    }
    return file;
  }

 private:
  std::string Header() const {
    std::string h(kHeaderBytes, '\0');
    const bool sixteen = o_.colourBits == 16;
    for (int at : {0, 8}) {  // window, then active window: left, right, bottom, top
      Put16(h, size_t(at + 2), w_ - 1);
      Put16(h, size_t(at + 6), h_ - 1);
    }
    Put16(h, 16, 1);                  // frame
    Put16(h, 18, sixteen ? 1 : 0);    // colour type: bytes or words
    Put16(h, 20, 3);                  // colour channels
    Put16(h, 22, Alpha() ? 1 : 0);    // matte channels
    Put16(h, 26, 0xFFFE);             // revision
    PutText(h, 28, 16, "2.2");        // gamma
    PutText(h, 400, 64, o_.program + " : ( " + o_.letters + " )");
    PutText(h, 528, 20, "Mon Jan  5 10:00 2015");
    PutText(h, 580, 32, "rgb");
    Put16(h, 658, o_.colourBits);
    Put16(h, 660, sixteen ? 1 : 0);   // matte type
    Put16(h, 662, o_.colourBits);
    return h;
  }

  const alphaBitmap* Alpha() const { return image_.GetLayer<alphaBitmap>(); }

  // A record the reader does not use: render settings, then object names.
  static std::string RenderInfo() { return Append32(2) + std::string("camera\0render\0", 14) + std::string(30, '\x11'); }
  static std::string NameTable() { return Append32(2) + std::string("Ground\0Teapot\0", 14); }

  // Layer records: a count, then chunks with 32-bit lengths (one back layer's depth here).
  std::string LayerRecords() const {
    std::string back = EncodeRlaRuns(std::string(size_t(w_), '\x42'));
    return Append32(1) + Append32(uint32_t(back.size())) + back;
  }

  // A colour or matte channel: one chunk, the high bytes' runs then the low bytes'.
  std::string IntegerChannel(const std::function<uint8_t(int x)>& value) const {
    std::string high, low;
    for (int x = 0; x < w_; ++x) {
      // 16-bit values of a byte v are v * 257: the same fraction of their range.
      high += char(value(x));
      low += char(value(x));
    }
    return Chunk(o_.colourBits == 16 ? EncodeRlaRuns(high) + EncodeRlaRuns(low) : EncodeRlaRuns(high));
  }

  // One render channel: a chunk per byte plane, most significant byte first.
  std::string RenderChannel(int bit, int y) const {
    std::vector<std::string> planes(size_t(kTable[bit].bytes));
    for (int x = 0; x < w_; ++x) {
      std::string value = RenderValue(bit, x, y);
      for (size_t k = 0; k < planes.size(); ++k) planes[k] += value[planes.size() - 1 - k];
    }
    std::string out;
    for (const auto& plane : planes) out += Chunk(EncodeRlaRuns(plane));
    return out;
  }

  std::string RenderValue(int bit, int x, int y) const {
    switch (kTable[bit].letter) {
      case 'Z': return LittleEndian(StoredDepth(x, y));
      case 'E': return LittleEndian(v_.materialId ? v_.materialId(x, y) : uint8_t(0));
      case 'O': return LittleEndian(v_.objectId ? v_.objectId(x, y) : uint16_t(0));
      case 'C': return LittleEndian(v_.coverage ? v_.coverage(x, y) : uint8_t(255));
      case 'U': return LittleEndian(float(x) / float(w_)) + LittleEndian(float(y) / float(h_));
      case 'V': return LittleEndian(0.5f * float(x % 3)) + LittleEndian(-0.25f);
      default: break;
    }
    std::string pattern;
    for (int k = 0; k < kTable[bit].bytes; ++k) pattern += char((x * 7 + y * 3 + k * 11 + bit) & 255);
    return pattern;
  }

  // Camera-space Z: in front of the camera is negative; nothing rendered is the marker.
  float StoredDepth(int x, int y) const {
    const depthBitmap* depth = image_.GetLayer<depthBitmap>();
    if (!depth) throw std::runtime_error("Z needs a depth layer");
    float d = depth->GetPixelDepth(x, y);
    return IsBackgroundDepth(d) ? kBackgroundMarker : -d;
  }

  std::string Line(int y) const {
    const rgbBitmap* colour = image_.GetLayer<rgbBitmap>();
    if (!colour) throw std::runtime_error("the image has no colour layer");
    std::string line;
    for (int k = 0; k < 3; ++k) line += IntegerChannel([&](int x) { return colour->GetLine(y)[3 * x + k]; });
    if (const alphaBitmap* alpha = Alpha()) line += IntegerChannel([&](int x) { return alpha->GetLine(y)[x]; });
    for (int bit = 0; bit < int(std::size(kTable)); ++bit) {
      if (HasLetter(o_, kTable[bit].letter)) line += RenderChannel(bit, y);
    }
    if (HasLetter(o_, 'L')) line += LayerRecords();
    return line;
  }

  const CLayerBitmap& image_;
  const GBufferRlaOptions& o_;
  const GBufferValues& v_;
  int w_;
  int h_;
};

}  // namespace

std::string EncodeRlaRuns(const std::string& plane) {
  std::string out;
  size_t i = 0;
  const size_t n = plane.size();
  while (i < n) {
    size_t run = 1;
    while (i + run < n && run < 128 && plane[i + run] == plane[i]) ++run;
    if (run >= 3) {  // a repeat: count - 1, then the byte
      out += char(run - 1);
      out += plane[i];
      i += run;
      continue;
    }
    // Literal bytes up to the next run of three or 128 bytes.
    size_t end = i;
    while (end < n && end - i < 128 &&
           !(end + 2 < n && plane[end] == plane[end + 1] && plane[end] == plane[end + 2])) {
      ++end;
    }
    out += char(-int(end - i));
    out += plane.substr(i, end - i);
    i = end;
  }
  return out;
}

std::string EncodeGBufferRla(const CLayerBitmap& image, const GBufferRlaOptions& options,
                             const GBufferValues& values) {
  return Writer(image, options, values).Bytes();
}

void WriteGBufferRla(const std::string& path, const CLayerBitmap& image, const GBufferRlaOptions& options,
                     const GBufferValues& values) {
  std::string bytes = EncodeGBufferRla(image, options, values);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), std::streamsize(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}
