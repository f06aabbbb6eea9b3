#pragma once
// A pixel's bytes in hue, saturation and lightness, and back. Channels are read as
// byte x 1/255 and written as the truncation of channel x 255.

#include <cstdint>

#include "filters/RowPass.h"
#include "platform/framework/Colour.h"

struct Hsl {
  double h = 0.0;
  double s = 0.0;
  double l = 0.0;
};

// A byte as a channel: the product is a float.
constexpr float kByteToChannel = 0.003921569f;

inline Hsl PixelToHsl(const uint8_t* rgb) {
  Hsl c;
  ConvertRGBToHSL(rgb[0] * kByteToChannel, rgb[1] * kByteToChannel, rgb[2] * kByteToChannel, c.h, c.s, c.l);
  return c;
}

// The colour as channels in 0..1.
inline void HslToChannels(const Hsl& c, double channels[3]) {
  ConvertHSLToRGB(c.h, c.s, c.l, channels[0], channels[1], channels[2]);
}

inline void WriteHslPixel(const Hsl& c, uint8_t* out) {
  double channels[3];
  HslToChannels(c, channels);
  for (int i = 0; i < 3; ++i) out[i] = TruncateToByte(channels[i] * 255.0);
}

// Display values in 0..1 (float passes) in hue, saturation and lightness, and back.
inline Hsl ChannelsToHsl(const float* rgb) {
  Hsl c;
  ConvertRGBToHSL(rgb[0], rgb[1], rgb[2], c.h, c.s, c.l);
  return c;
}
inline void WriteHslChannels(const Hsl& c, float* out) {
  double channels[3];
  HslToChannels(c, channels);
  for (int i = 0; i < 3; ++i) out[i] = float(channels[i]);
}

inline void CopyPixel(const uint8_t* in, uint8_t* out) {
  out[0] = in[0];
  out[1] = in[1];
  out[2] = in[2];
}
