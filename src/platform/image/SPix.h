#pragma once
// Float pixel accumulator: gathers weighted pixels, then gives back a grey byte.

#include <algorithm>
#include <cstdint>

struct SPix {
  float r = 0.0f;
  float g = 0.0f;
  float b = 0.0f;

  SPix() = default;
  explicit SPix(uint8_t grey) : r(grey), g(grey), b(grey) {}

  void Init() { r = g = b = 0.0f; }
  SPix& operator=(const uint8_t* rgb) {
    r = rgb[0];
    g = rgb[1];
    b = rgb[2];
    return *this;
  }
  SPix& operator+=(const SPix& o) {
    r += o.r;
    g += o.g;
    b += o.b;
    return *this;
  }
  SPix& operator*=(float f) {
    r *= f;
    g *= f;
    b *= f;
    return *this;
  }
  SPix& operator/=(float f) {
    r /= f;
    g /= f;
    b /= f;
    return *this;
  }
  // Mean of the three channels, rounded to nearest and clamped to 0..255. A sum divided by a zero
  // weight (NaN) gives 0 rather than an undefined conversion.
  uint8_t ToGrey() const {
    float v = (r + g + b) / 3.0f + 0.5f;
    if (!(v > 0.0f)) return 0;
    return uint8_t(std::min(v, 255.0f));
  }
};
