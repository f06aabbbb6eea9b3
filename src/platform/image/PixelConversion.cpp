#include "platform/image/PixelConversion.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
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

// Below the first threshold every value is byte 0; from it to 1, the value's exponent and its
// top mantissa bits index a table of the byte at the start of each bucket of values. Buckets are
// narrower than the gap between two thresholds, so at most one more lies within a bucket.
constexpr int kBucketMantissaBits = 11;
constexpr int kLowestExponent = -13;  // 2^-13 lies below the first threshold
constexpr int kBucketCount = -kLowestExponent << kBucketMantissaBits;

uint32_t FloatBits(float v) {
  uint32_t bits = 0;
  std::memcpy(&bits, &v, sizeof bits);
  return bits;
}

int BucketOf(float v) {
  constexpr uint32_t kLowestBits = uint32_t(127 + kLowestExponent) << 23;
  return int((FloatBits(v) - kLowestBits) >> (23 - kBucketMantissaBits));
}

const std::array<uint8_t, kBucketCount>& SrgbBucketBytes() {
  static const std::array<uint8_t, kBucketCount> table = [] {
    std::array<uint8_t, kBucketCount> a{};
    const auto& t = SrgbThresholds();
    for (int i = 0; i < kBucketCount; ++i) {
      constexpr uint32_t kLowestBits = uint32_t(127 + kLowestExponent) << 23;
      float start = 0.0f;
      const uint32_t bits = kLowestBits + (uint32_t(i) << (23 - kBucketMantissaBits));
      std::memcpy(&start, &bits, sizeof start);
      a[size_t(i)] = uint8_t(std::upper_bound(t.begin(), t.end(), start) - t.begin());
    }
    return a;
  }();
  return table;
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

namespace {

// The encoding's tables, fetched once for a run of values.
struct SrgbEncoder {
  const std::array<float, 255>& thresholds = SrgbThresholds();
  const std::array<uint8_t, kBucketCount>& buckets = SrgbBucketBytes();

  uint8_t operator()(float v) const {
    if (!(v >= thresholds[0])) return 0;  // also NaN
    if (v >= 1.0f) return 255;
    const uint8_t byte = buckets[size_t(BucketOf(v))];
    return byte < 255 && v >= thresholds[byte] ? uint8_t(byte + 1) : byte;
  }
};

}  // namespace

uint8_t LinearToSrgbByte(float v) {
  static_assert(1.0 / double(1 << -kLowestExponent) < 0.5 / 255.0 / 12.92, "the buckets start below the first threshold");
  return SrgbEncoder()(v);
}

void LinearToSrgbBytes(const float* values, size_t count, float scale, uint8_t* bytes) {
  const SrgbEncoder encode;
  for (size_t i = 0; i < count; ++i) bytes[i] = encode(values[i] * scale);
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
