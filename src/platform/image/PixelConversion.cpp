#include "platform/image/PixelConversion.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "platform/image/Bitmap.h"

namespace {

double SrgbDecode(double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); }

// thresholds[k]: the linear value from which the byte is k + 1 rather than k, so the byte is the
// number of thresholds at or below the value. Exact rounding of the encoded value without pow.
const std::array<float, 255>& SrgbThresholds() {
  static const std::array<float, 255> t = [] {
    std::array<float, 255> a{};
    for (int k = 0; k < 255; ++k) a[k] = float(SrgbDecode((k + 0.5) / 255.0));
    return a;
  }();
  return t;
}

const std::array<float, 256>& SrgbToLinearTable() {
  static const std::array<float, 256> t = [] {
    std::array<float, 256> a{};
    for (int k = 0; k < 256; ++k) a[k] = float(SrgbDecode(k / 255.0));
    return a;
  }();
  return t;
}

// Depths of objects, as opposed to background markers.
bool IsObjectDepth(float d) { return std::isfinite(d) && std::fabs(d) < kBackgroundThreshold; }

}  // namespace

uint8_t UnitToByte(float v) {
  if (!(v > 0.0f)) return 0;  // also NaN
  if (v >= 1.0f) return 255;
  return uint8_t(v * 255.0f + 0.5f);
}

uint8_t LinearToSrgbByte(float v) {
  if (!(v > 0.0f)) return 0;
  const auto& t = SrgbThresholds();
  return uint8_t(std::upper_bound(t.begin(), t.end(), v) - t.begin());
}

float SrgbByteToLinear(uint8_t v) { return SrgbToLinearTable()[v]; }

float LinearToSrgbUnit(float v) {
  if (!(v > 0.0f)) return 0.0f;
  double d = v;
  return float(d <= 0.0031308 ? d * 12.92 : 1.055 * std::pow(d, 1.0 / 2.4) - 0.055);
}

float SrgbUnitToLinear(float v) { return v > 0.0f ? float(SrgbDecode(v)) : 0.0f; }

bool OrientDepth(float* values, size_t count) {
  bool anyNegative = false;
  for (size_t i = 0; i < count; ++i) {
    float d = values[i];
    if (!IsObjectDepth(d)) continue;
    if (d > 0.0f) return false;
    if (d < 0.0f) anyNegative = true;
  }
  if (!anyNegative) return false;
  for (size_t i = 0; i < count; ++i) {
    float d = values[i];
    if (std::isnan(d) || d >= kBackgroundThreshold) continue;
    values[i] = -d;
  }
  return true;
}

void ReadDepthChannel(float* values, size_t count) {
  OrientDepth(values, count);
  for (size_t i = 0; i < count; ++i) {
    if (!(values[i] > 0.0f)) values[i] = std::isnan(values[i]) ? values[i] : std::numeric_limits<float>::infinity();
  }
}
