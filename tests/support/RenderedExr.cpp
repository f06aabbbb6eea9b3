#include "support/RenderedExr.h"

#include <ImfChannelList.h>
#include <ImfFrameBuffer.h>
#include <ImfHeader.h>
#include <ImfMultiPartOutputFile.h>
#include <ImfMultiView.h>
#include <ImfOutputPart.h>
#include <ImfPartType.h>
#include <ImfStandardAttributes.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace {

Imf::Header PartHeader(int displayWidth, int displayHeight, const ExrPart& part, bool multiPart) {
  Imath::Box2i display({0, 0}, {displayWidth - 1, displayHeight - 1});
  Imath::Box2i data({part.data.x, part.data.y}, {part.data.x + part.data.width - 1, part.data.y + part.data.height - 1});
  Imf::Header header(display, data);
  for (const auto& ch : part.channels) header.channels().insert(ch.name, Imf::Channel(ch.half ? Imf::HALF : Imf::FLOAT));
  header.setType(Imf::SCANLINEIMAGE);
  if (multiPart) header.setName(part.name);
  if (!part.view.empty()) header.setView(part.view);
  if (!part.multiView.empty()) Imf::addMultiView(header, part.multiView);
  return header;
}

// The values of every channel over the data window, half or float, each channel in its own plane.
struct Planes {
  std::vector<std::vector<half>> halves;
  std::vector<std::vector<float>> floats;
};

Imf::FrameBuffer Fill(const ExrPart& part, Planes& planes) {
  const ImageRect& d = part.data;
  size_t count = size_t(d.width) * size_t(d.height);
  Imf::FrameBuffer buffer;
  for (const auto& ch : part.channels) {
    // Slices are addressed from the data window's origin: base = plane - (x0 + y0 * width).
    ptrdiff_t origin = ptrdiff_t(d.x) + ptrdiff_t(d.y) * d.width;
    if (ch.half) {
      auto& plane = planes.halves.emplace_back(count);
      for (int y = 0; y < d.height; ++y) {
        for (int x = 0; x < d.width; ++x) plane[size_t(y) * d.width + x] = half(ch.value(d.x + x, d.y + y));
      }
      buffer.insert(ch.name, Imf::Slice(Imf::HALF, reinterpret_cast<char*>(plane.data() - origin), sizeof(half),
                                        sizeof(half) * size_t(d.width)));
    } else {
      auto& plane = planes.floats.emplace_back(count);
      for (int y = 0; y < d.height; ++y) {
        for (int x = 0; x < d.width; ++x) plane[size_t(y) * d.width + x] = ch.value(d.x + x, d.y + y);
      }
      buffer.insert(ch.name, Imf::Slice(Imf::FLOAT, reinterpret_cast<char*>(plane.data() - origin), sizeof(float),
                                        sizeof(float) * size_t(d.width)));
    }
  }
  return buffer;
}

}  // namespace

void WriteRenderedExr(const std::string& path, int displayWidth, int displayHeight, const std::vector<ExrPart>& parts) {
  try {
    std::vector<Imf::Header> headers;
    for (const auto& part : parts) headers.push_back(PartHeader(displayWidth, displayHeight, part, parts.size() > 1));
    Imf::MultiPartOutputFile file(path.c_str(), headers.data(), int(headers.size()));
    for (size_t p = 0; p < parts.size(); ++p) {
      Planes planes;
      planes.halves.reserve(parts[p].channels.size());
      planes.floats.reserve(parts[p].channels.size());
      Imf::OutputPart out(file, int(p));
      out.setFrameBuffer(Fill(parts[p], planes));
      out.writePixels(parts[p].data.height);
    }
  } catch (const std::exception& e) {
    throw std::runtime_error(path + ": " + e.what());
  }
}

float SoftDisc::Alpha(int x, int y) const {
  double distance = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
  return float(std::clamp((radius - distance) / edge + 0.5, 0.0, 1.0));
}

float SoftDisc::Premultiplied(int k, int x, int y) const {
  const float straight[3] = {red, green, blue};
  return Alpha(x, y) * straight[k];
}

float SoftDisc::Depth(int x, int y) const {
  return Alpha(x, y) > 0.0f ? depth + depthPerPixel * float(x + 0.5 - cx) : 0.0f;
}

std::vector<ExrChannel> SoftDisc::Channels(bool halfDepth, const std::string& prefix) const {
  std::vector<ExrChannel> channels;
  for (int k = 0; k < 3; ++k) {
    channels.push_back({prefix + std::string(1, "RGB"[k]), true, [*this, k](int x, int y) { return Premultiplied(k, x, y); }});
  }
  channels.push_back({prefix + "A", true, [*this](int x, int y) { return Alpha(x, y); }});
  channels.push_back({prefix + "Z", halfDepth, [*this](int x, int y) { return Depth(x, y); }});
  return channels;
}
