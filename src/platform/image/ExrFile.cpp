#include "platform/image/ExrFile.h"

#include <ImfChannelList.h>
#include <ImfFrameBuffer.h>
#include <ImfHeader.h>
#include <ImfInputPart.h>
#include <ImfMultiPartInputFile.h>
#include <ImfMultiView.h>
#include <ImfPartType.h>
#include <ImfStandardAttributes.h>
#include <ImfStringAttribute.h>
#include <ImfThreading.h>
#include <fmt/format.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <mutex>
#include <thread>
#include <utility>

#include "platform/image/DeclaredSize.h"
#include "platform/image/ExrHeaderCheck.h"
#include "platform/image/FloatLayers.h"
#include "platform/image/ReaderMessages.h"

namespace {

constexpr int kMaxParts = 64;
constexpr int kMaxChannels = 1024;
// OpenEXR's zip and wavelet codecs stay well below 4096 pixels a byte on any real picture.
constexpr int64_t kExrPixelsPerByte = 4096;
// The wanted channels of a part are read together when they hold at most this many floats.
constexpr int64_t kMaxBlockValues = int64_t(1) << 26;

ImageRect Rect(const Imath::Box2i& box) {
  return {box.min.x, box.min.y, int(int64_t(box.max.x) - box.min.x + 1), int(int64_t(box.max.y) - box.min.y + 1)};
}

// The order a part's channels are listed in, as the general image library lists them (so that a
// file reads the same whichever reader opens it): layer by layer, and in each layer colour, alpha
// and depth first, in that order, then the others as the file stores them (alphabetically).
int ChannelRank(const std::string& name) {
  static const char* const kFirst[] = {"R",  "Red", "G",  "Green", "B",  "Blue", "Y", "real", "imag", "A",
                                       "Alpha", "AR", "RA", "AG", "GA", "AB", "BA", "Z", "Depth", "Zback"};
  const std::string suffix = name.substr(name.rfind('.') + 1);
  for (int i = 0; i < int(std::size(kFirst)); ++i) {
    if (suffix == kFirst[i]) return i;
  }
  return int(std::size(kFirst));
}

std::string LayerOf(const std::string& name) {
  auto dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(0, dot);
}

// The library decodes a file's chunks on a pool of threads shared by every file: one per core.
int DecodingThreads() {
  static const int threads = [] {
    const int count = int(std::max(1u, std::thread::hardware_concurrency()));
    Imf::setGlobalThreadCount(count);
    return count;
  }();
  return threads;
}

}  // namespace

struct ExrImage::Part {
  ImageRect data;
  ImageRect display;
  bool deep = false;
  PartChannels channels;
  std::vector<bool> floating;
  bool eightBitPicture = false;

  explicit Part(const Imf::Header& header)
      : data(Rect(header.dataWindow())),
        display(Rect(header.displayWindow())),
        deep(header.hasType() && Imf::isDeepData(header.type())) {
    const auto* picture = header.findTypedAttribute<Imf::StringAttribute>(kPictureAttribute);
    eightBitPicture = picture && picture->value() == kEightBitPicture;
    if (header.hasName()) channels.partName = header.name();
    if (header.hasView()) channels.view = header.view();
    if (Imf::hasMultiView(header)) channels.multiView = Imf::multiView(header);
    std::vector<std::pair<std::string, bool>> listed;
    for (auto c = header.channels().begin(); c != header.channels().end(); ++c) {
      listed.emplace_back(c.name(), c.channel().type != Imf::UINT);
    }
    std::stable_sort(listed.begin(), listed.end(), [](const auto& a, const auto& b) {
      const std::string la = LayerOf(a.first), lb = LayerOf(b.first);
      return la != lb ? la < lb : ChannelRank(a.first) < ChannelRank(b.first);
    });
    for (const auto& [name, isFloat] : listed) {
      channels.channels.push_back(name);
      floating.push_back(isFloat);
    }
  }

  int64_t DataPixels() const { return int64_t(data.width) * data.height; }

  bool Check(uintmax_t fileBytes, std::string& error) const {
    if (deep) {
      error = "deep images are not supported";
      return false;
    }
    if (channels.channels.empty() || channels.channels.size() > size_t(kMaxChannels)) {
      error = fmt::format("declares {} channels", channels.channels.size());
      return false;
    }
    return CheckDeclaredWindows(data, display, fileBytes, kExrPixelsPerByte, error);
  }
};

struct ExrImage::Opened {
  std::string path;
  std::unique_ptr<Imf::MultiPartInputFile> file;
  std::vector<Part> parts;
  std::vector<bool> usable;
};

ExrImage::ExrImage() = default;
ExrImage::~ExrImage() = default;

bool ExrImage::Open(const std::string& path, std::string& error) {
  opened_ = std::make_unique<Opened>();
  opened_->path = path;
  std::error_code ec;
  const uintmax_t fileBytes = std::filesystem::file_size(path, ec);
  if (ec) {
    error = "cannot open the file";
    return false;
  }
  // What the library would believe of a header and pay for before it finds the file short.
  if (!CheckExrHeaders(path, error)) return false;
  try {
    opened_->file = std::make_unique<Imf::MultiPartInputFile>(path.c_str(), DecodingThreads(), false);
    auto& parts = opened_->parts;
    const int count = std::min(opened_->file->parts(), kMaxParts);
    for (int p = 0; p < count; ++p) parts.emplace_back(opened_->file->header(p));
  } catch (const std::exception& e) {
    error = OpenFailure(e.what(), path, "openexr");
    return false;
  }
  if (opened_->parts.empty()) {
    error = "not a readable openexr file (no part)";
    return false;
  }
  if (!opened_->parts[0].Check(fileBytes, error)) return false;
  opened_->usable.push_back(true);
  for (size_t p = 1; p < opened_->parts.size(); ++p) {
    // Parts of another frame, or whose header does not hold, are left out.
    std::string ignored;
    opened_->usable.push_back(opened_->parts[p].display == Display() &&
                              opened_->parts[p].Check(fileBytes, ignored));
  }
  return true;
}

std::vector<PartChannels> ExrImage::UsableParts() const {
  std::vector<PartChannels> parts;
  for (size_t p = 0; p < opened_->parts.size(); ++p) {
    parts.push_back(opened_->parts[p].channels);
    if (!opened_->usable[p]) parts.back().channels.clear();
  }
  return parts;
}

const ImageRect& ExrImage::Display() const { return opened_->parts[0].display; }

const ImageRect& ExrImage::DataWindow(ChannelRef ref) const { return opened_->parts[size_t(ref.subimage)].data; }

bool ExrImage::HoldsEightBitPicture(ChannelRef ref) const {
  return opened_->parts[size_t(ref.subimage)].eightBitPicture;
}

bool ExrImage::IsLinear(ChannelRef ref) const {
  return opened_->parts[size_t(ref.subimage)].floating[size_t(ref.channel)];
}

std::string ExrImage::ChannelName(ChannelRef ref) const {
  const PartChannels& part = opened_->parts[size_t(ref.subimage)].channels;
  const std::string& name = part.channels[size_t(ref.channel)];
  return part.partName.empty() || opened_->parts[0].channels.partName.empty() ? name : part.partName + ":" + name;
}

bool ExrImage::Get(ChannelRef ref, const float*& data, int& stride, std::string& error) {
  const bool held = ref.subimage == loadedPart_ && loadedChannels_[size_t(ref.channel)] >= 0;
  if (!held) {
    // Every wanted channel of the part at once when that fits, else the one channel.
    wanted_.erase(std::remove_if(wanted_.begin(), wanted_.end(),
                                 [&](ChannelRef w) { return w.subimage == ref.subimage && w.channel == ref.channel; }),
                  wanted_.end());
    wanted_.insert(wanted_.begin(), ref);
    if (!Load(ref.subimage, error)) return false;
  }
  stride = loadedCount_;
  data = values_.data() + loadedChannels_[size_t(ref.channel)];
  return true;
}

// A channel wanted alone from its part, over the whole picture, goes straight to the caller.
bool ExrImage::ReadsInto(ChannelRef ref) const {
  if (ref.subimage == loadedPart_ && loadedChannels_[size_t(ref.channel)] >= 0) return false;
  if (DataWindow(ref) != Display()) return false;
  return std::none_of(wanted_.begin(), wanted_.end(), [&](ChannelRef w) {
    return w.subimage == ref.subimage && w.channel != ref.channel;
  });
}

bool ExrImage::ReadInto(ChannelRef ref, float* plane, std::string& error) {
  return ReadFloats(ref.subimage, {{ref.channel, plane}}, 1, error);
}

// The part's channels as floats over its data window, each from its first value on, pixels
// `step` floats apart and rows a data window's width of pixels apart.
bool ExrImage::ReadFloats(int partIndex, const std::vector<std::pair<int, float*>>& channels, size_t step,
                          std::string& error) {
  const Part& part = opened_->parts[size_t(partIndex)];
  try {
    Imf::InputPart in(*opened_->file, partIndex);
    Imf::FrameBuffer frame;
    const size_t xStride = sizeof(float) * step;
    const Imath::Box2i window = in.header().dataWindow();
    for (const auto& [channel, first] : channels) {
      frame.insert(part.channels.channels[size_t(channel)],
                   Imf::Slice::Make(Imf::FLOAT, first, window, xStride, xStride * size_t(part.data.width)));
    }
    in.setFrameBuffer(frame);
    in.readPixels(window.min.y, window.max.y);
  } catch (const std::exception& e) {
    error = ReadFailure(e.what(), opened_->path);
    return false;
  }
  return true;
}

bool ExrImage::Load(int partIndex, std::string& error) {
  const Part& part = opened_->parts[size_t(partIndex)];
  loadedPart_ = -1;
  loadedChannels_.assign(part.channels.channels.size(), -1);
  loadedCount_ = 0;
  for (ChannelRef w : wanted_) {
    if (w.subimage != partIndex || loadedChannels_[size_t(w.channel)] >= 0) continue;
    if (loadedCount_ > 0 && part.DataPixels() * (loadedCount_ + 1) > kMaxBlockValues) break;
    loadedChannels_[size_t(w.channel)] = loadedCount_++;
  }
  values_.assign(size_t(part.DataPixels()) * size_t(loadedCount_), 0.0f);
  std::vector<std::pair<int, float*>> channels;
  for (size_t c = 0; c < loadedChannels_.size(); ++c) {
    if (loadedChannels_[c] >= 0) channels.push_back({int(c), values_.data() + loadedChannels_[c]});
  }
  if (!ReadFloats(partIndex, channels, size_t(loadedCount_), error)) return false;
  loadedPart_ = partIndex;
  return true;
}
