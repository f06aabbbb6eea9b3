#include "platform/image/RlaReader.h"

#include <fmt/format.h>

#include <algorithm>
#include <bit>
#include <fstream>

#include "platform/image/RlaRunLength.h"

namespace {

// Raw floats are stored in the byte order of the machines that write them: little-endian.
float LittleEndianFloat(const uint8_t* p) {
  return std::bit_cast<float>(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
}

// Byte planes are stored most significant first: a pixel's bytes, gathered, are big-endian.
uint32_t BigEndian(const uint8_t* p, int bytes) {
  uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) v = v << 8 | p[i];
  return v;
}

bool ReadWholeFile(const std::string& path, int64_t size, std::vector<uint8_t>& bytes) {
  std::ifstream file(path, std::ios::binary);
  bytes.resize(size_t(size));
  return file && file.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(size));
}

bool NoBytesLeft(size_t used, size_t size, std::string& error) {
  if (used == size) return true;
  error = fmt::format("a run-length chunk holds {} bytes more than its values", size - used);
  return false;
}

// The byte planes of one chunk (a header group's integer channel): pixel x's bytes land at
// out[x * planes], most significant first.
bool DecodePlanesOfChunk(RlaLineBytes& line, int planes, size_t width, uint8_t* out, std::string& error) {
  const uint8_t* data = nullptr;
  size_t size = 0, used = 0;
  if (!line.NextChunk(data, size, error)) return false;
  for (int k = 0; k < planes; ++k) {
    if (!DecodeRunLengthPlane(data, size, used, out + k, width, size_t(planes), error)) return false;
  }
  return NoBytesLeft(used, size, error);
}

// One chunk per byte plane (a render channel), most significant first.
bool DecodeChunkPerPlane(RlaLineBytes& line, int planes, size_t width, uint8_t* out, std::string& error) {
  for (int k = 0; k < planes; ++k) {
    const uint8_t* data = nullptr;
    size_t size = 0, used = 0;
    if (!line.NextChunk(data, size, error)) return false;
    if (!DecodeRunLengthPlane(data, size, used, out + k, width, size_t(planes), error)) return false;
    if (!NoBytesLeft(used, size, error)) return false;
  }
  return true;
}

// One channel of a header group as floats: integers as fractions of their range.
bool DecodeGroupChannel(RlaLineBytes& line, const RlaChannelGroup& group, size_t width, std::vector<uint8_t>& scratch,
                        float* out, std::string& error) {
  if (group.IsFloat()) {
    const uint8_t* data = nullptr;
    if (!line.NextRawChunk(width * 4, data, error)) return false;
    for (size_t x = 0; x < width; ++x) out[x] = LittleEndianFloat(data + 4 * x);
    return true;
  }
  const int bytes = group.StorageBytes();
  if (!DecodePlanesOfChunk(line, bytes, width, scratch.data(), error)) return false;
  const double scale = 1.0 / group.MaxValue();
  for (size_t x = 0; x < width; ++x) out[x] = float(BigEndian(&scratch[x * size_t(bytes)], bytes) * scale);
  return true;
}

}  // namespace

// Decodes the lines one by one, keeping the wanted channels.
class RlaImage::LineDecoder {
 public:
  LineDecoder(RlaImage& image, const std::vector<uint8_t>& file, int lastChannel)
      : image_(image), file_(file), lastChannel_(lastChannel), width_(size_t(image.layout_.data.width)),
        bytes_(width_ * 8), values_(width_) {}

  bool Line(int row, std::string& error) {
    const RlaLayout& layout = image_.layout_;
    RlaLineBytes line(file_.data() + layout.lineStart[size_t(row)], file_.data() + layout.lineEnd[size_t(row)]);
    std::string why;
    if (DecodeLine(line, size_t(row), why)) return true;
    bool cut = line.Overran() && layout.lineEnd[size_t(row)] == layout.fileBytes;
    error = cut ? fmt::format("file is truncated (row {}: {})", row, why) : fmt::format("row {}: {}", row, why);
    return false;
  }

 private:
  float* KeptRow(int channel, size_t row) {
    for (auto& [number, plane] : image_.planes_) {
      if (number == channel) return plane.data() + row * width_;
    }
    return nullptr;
  }

  bool DecodeLine(RlaLineBytes& line, size_t row, std::string& error) {
    const RlaLayout& layout = image_.layout_;
    int channel = 0;
    for (const RlaChannelGroup* group : {&layout.colour, &layout.matte, &layout.aux}) {
      for (int c = 0; c < group->count; ++c, ++channel) {
        if (channel > lastChannel_) return true;
        float* kept = KeptRow(channel, row);
        if (!DecodeGroupChannel(line, *group, width_, bytes_, kept ? kept : values_.data(), error)) return false;
      }
    }
    for (int bit = 0; bit < kGBufferChannelCount; ++bit) {
      if (!layout.gbuffer.present[size_t(bit)]) continue;
      if (channel + bit > lastChannel_) return true;
      int planes = GBufferBytes(GBufferChannel(bit));
      if (!DecodeChunkPerPlane(line, planes, width_, bytes_.data(), error)) return false;
      Keep(GBufferChannel(bit), channel + bit, row);
    }
    return true;
  }

  void Keep(GBufferChannel which, int channel, size_t row) {
    RlaGBufferPlanes& g = image_.gbuffer_;
    const size_t at = row * width_;
    if (float* depth = KeptRow(channel, row)) {
      for (size_t x = 0; x < width_; ++x) depth[x] = std::bit_cast<float>(BigEndian(&bytes_[4 * x], 4));
    } else if (which == GBufferChannel::Coverage && !g.coverage.empty()) {
      std::copy_n(bytes_.begin(), width_, g.coverage.begin() + std::ptrdiff_t(at));
    } else if (which == GBufferChannel::MaterialId && !g.materialId.empty()) {
      std::copy_n(bytes_.begin(), width_, g.materialId.begin() + std::ptrdiff_t(at));
    } else if (which == GBufferChannel::ObjectId && !g.objectId.empty()) {
      for (size_t x = 0; x < width_; ++x) g.objectId[at + x] = uint16_t(BigEndian(&bytes_[2 * x], 2));
    }
  }

  RlaImage& image_;
  const std::vector<uint8_t>& file_;
  int lastChannel_;
  size_t width_;
  std::vector<uint8_t> bytes_;  // one line of one channel's bytes, up to 8 a pixel
  std::vector<float> values_;   // one line of a channel that is not kept
};

bool RlaImage::Open(const std::string& path, std::string& error) {
  path_ = path;
  planes_.clear();
  gbuffer_ = {};
  if (!ReadRlaLayout(path, layout_, error)) return false;
  const int colour = layout_.colour.count, matte = layout_.matte.count, aux = layout_.aux.count;
  plan_ = {};
  if (colour >= 3) {
    plan_.red = {0, 0};
    plan_.green = {0, 1};
    plan_.blue = {0, 2};
  } else if (colour > 0) {
    plan_.grey = {0, 0};
  }
  if (matte > 0) plan_.alpha = {0, colour};
  gbufferDepth_ = colour + matte + aux + int(GBufferChannel::Depth);
  if (layout_.gbuffer.Has(GBufferChannel::Depth)) {
    plan_.depth = {0, gbufferDepth_};
  } else if (aux > 0 && layout_.aux.IsFloat()) {
    plan_.depth = {0, colour + matte};
  }
  return true;
}

std::vector<std::string> RlaImage::GBufferNames() const {
  std::vector<std::string> names;
  for (char letter : layout_.gbuffer.listed) names.emplace_back(1, letter);
  return names;
}

namespace {
// A channel's name with its number (built by appending: g++ 12 at -O3 warns falsely on
// a literal plus a temporary string).
std::string Numbered(const char* prefix, int number) {
  std::string name(prefix);
  name += std::to_string(number);
  return name;
}
}  // namespace

std::string RlaImage::ChannelName(ChannelRef ref) const {
  const int colour = layout_.colour.count, matte = layout_.matte.count, aux = layout_.aux.count;
  int c = ref.channel;
  if (c < colour) return colour < 3 ? (c == 0 ? "Y" : Numbered("Y", c)) : c < 3 ? std::string(1, "RGB"[c])
                                                                                  : Numbered("colour", c);
  if (c < colour + matte) return c == colour ? "A" : Numbered("A", c - colour);
  if (c < colour + matte + aux) return c == colour + matte ? "Z" : Numbered("aux", c - colour - matte);
  return std::string(1, GBufferLetter(GBufferChannel(c - colour - matte - aux)));
}

bool RlaImage::Decode(const RlaContent& wanted, std::string& error) {
  planes_.clear();
  gbuffer_ = {};
  const size_t pixels = size_t(layout_.data.width) * size_t(layout_.data.height);
  int last = -1;
  auto keep = [&](ChannelRef ref) {
    planes_.emplace_back(ref.channel, std::vector<float>(pixels));
    last = std::max(last, ref.channel);
  };
  for (ChannelRef ref : {plan_.red, plan_.green, plan_.blue, plan_.grey}) {
    if (wanted.picture && ref) keep(ref);
  }
  if (wanted.alpha && plan_.alpha) keep(plan_.alpha);
  if (wanted.depth && plan_.depth) keep(plan_.depth);
  if (wanted.gbuffer) {
    const int base = gbufferDepth_ - int(GBufferChannel::Depth);
    const struct {
      GBufferChannel channel;
      std::vector<uint8_t>* bytes;
      std::vector<uint16_t>* words;
    } extras[] = {{GBufferChannel::Coverage, &gbuffer_.coverage, nullptr},
                  {GBufferChannel::ObjectId, nullptr, &gbuffer_.objectId},
                  {GBufferChannel::MaterialId, &gbuffer_.materialId, nullptr}};
    for (const auto& e : extras) {
      if (!layout_.gbuffer.Has(e.channel)) continue;
      if (e.bytes) e.bytes->resize(pixels);
      if (e.words) e.words->resize(pixels);
    }
    // Every plane of every line is decoded, and so checked.
    last = base + kGBufferChannelCount;
  }
  std::vector<uint8_t> file;
  if (!ReadWholeFile(path_, layout_.fileBytes, file)) {
    error = "cannot read the file";
    return false;
  }
  LineDecoder decoder(*this, file, last);
  for (int row = 0; row < layout_.data.height; ++row) {
    if (!decoder.Line(row, error)) return false;
  }
  return true;
}

bool RlaImage::Get(ChannelRef ref, const float*& data, int& stride, std::string& error) {
  for (const auto& [number, plane] : planes_) {
    if (number != ref.channel) continue;
    data = plane.data();
    stride = 1;
    return true;
  }
  error = fmt::format("channel {} was not decoded", ChannelName(ref));
  return false;
}
