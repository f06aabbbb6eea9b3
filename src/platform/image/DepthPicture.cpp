// Depth layers turned into pictures and back.
#include <algorithm>
#include <array>
#include <cmath>

#include "platform/image/Bitmap.h"

namespace {

// Lightness in [0, 1] for a depth: 1 at the nearest depth, 0 at the farthest.
class DepthToLightness {
 public:
  DepthToLightness(float minDepth, float maxDepth, int curve, float factor)
      : min_(minDepth), span_(maxDepth - minDepth), exponential_(curve == 0),
        factor_(std::clamp(factor, 0.01f, 1.0f)),
        floor_(std::exp(-1.0 / factor_)) {}

  double operator()(float d) const {
    if (IsBackgroundDepth(d)) return 0.0;
    double t = span_ > 0 ? std::clamp((d - min_) / double(span_), 0.0, 1.0) : 0.0;
    if (!exponential_) return 1.0 - t;
    // exp(-t / factor), stretched so that t = 0 gives 1 and t = 1 gives 0.
    return (std::exp(-t / factor_) - floor_) / (1.0 - floor_);
  }

 private:
  float min_;
  float span_;
  bool exponential_;
  double factor_;
  double floor_;
};

// A perceptually ordered ramp (dark violet through teal to yellow), sampled at nine stops.
constexpr std::array<std::array<uint8_t, 3>, 9> kRamp = {{
    {68, 1, 84}, {71, 44, 122}, {59, 81, 139}, {44, 113, 142}, {33, 144, 141},
    {39, 173, 129}, {92, 200, 99}, {170, 220, 50}, {253, 231, 37},
}};

void RampColour(double v, uint8_t* out) {
  if (v <= 0.0) { out[0] = out[1] = out[2] = 0; return; }
  double pos = std::clamp(v, 0.0, 1.0) * (kRamp.size() - 1);
  size_t i = std::min(size_t(pos), kRamp.size() - 2);
  double f = pos - double(i);
  for (int c = 0; c < 3; ++c) {
    out[c] = uint8_t(std::lround(kRamp[i][c] * (1.0 - f) + kRamp[i + 1][c] * f));
  }
}

}  // namespace

std::unique_ptr<Bitmap> depthBitmap::GetDepthPicture(BitmapType type, int curve, float factor) const {
  if (type != kGreyBitmap && type != kRgbBitmap) return nullptr;
  DepthToLightness lightness(GetMinDepth(), GetMaxDepth(), curve, factor);
  auto out = Bitmap::Create(type, GetWidth(), GetHeight());
  for (int y = 0; y < GetHeight(); ++y) {
    const float* d = GetLine(y);
    uint8_t* o = out->GetLineBytes(y);
    for (int x = 0; x < GetWidth(); ++x) {
      double v = lightness(d[x]);
      if (type == kGreyBitmap) {
        o[x] = uint8_t(std::lround(v * 255.0));
      } else {
        RampColour(v, o + size_t(x) * 3);
      }
    }
  }
  return out;
}

std::unique_ptr<depthBitmap> zBitmap::CreateZBitmap(const g8Bitmap& picture, bool lightIsNear) {
  auto depth = std::make_unique<depthBitmap>(picture.GetWidth(), picture.GetHeight());
  const uint8_t* src = picture.GetData();
  float* dst = depth->GetData();
  for (size_t i = 0, n = picture.GetValueCount(); i < n; ++i) {
    dst[i] = lightIsNear ? 256.0f - src[i] : 1.0f + src[i];
  }
  return depth;
}
