#pragma once
// RLA files laid out as a 3D package writes its render channels (its "G-buffer"): the header
// declares no auxiliary channel, the program text names the channels by letters after its
// first '(' ("Studio3D : ( Z C O L P D )"), and every line stores them after its colour and
// matte, in table order, one run-length chunk per byte plane, most significant byte first. A
// render-information record (P) and a name table (D) sit between the line table and the first
// line, layer records (L) after each line's channels.
//
// Written from the description of the layout alone, for tests and fuzz seeds: nothing here
// comes from the program's reader. Depends on the core's image types only.

#include <cstdint>
#include <functional>
#include <string>

#include "platform/image/LayerBitmap.h"

struct GBufferRlaOptions {
  // The letters after '(': render channels (Z E O U N R C B I G T V W M) and A (colour not
  // premultiplied), L, P, D (records), separated by spaces as the packages write them.
  std::string letters = "Z C O";
  std::string program = "Studio3D";
  int colourBits = 8;  // 8 or 16: colour and matte
};

// Values of the channels that are not in the image, by pixel (x, y), row 0 at the top.
struct GBufferValues {
  std::function<uint8_t(int x, int y)> coverage;    // C; default 255
  std::function<uint16_t(int x, int y)> objectId;   // O; default 0
  std::function<uint8_t(int x, int y)> materialId;  // E; default 0
};

// The file's bytes. image: colour layer (stored as it is held: premultiplied, or straight when
// the letters hold A), an alpha layer for a matte channel, and a depth layer for Z, stored as
// camera-space Z (negated) with the -1e30 marker where the depth is background. Channels
// without a source here (UV, normals, velocity, ...) get patterns of their size.
std::string EncodeGBufferRla(const CLayerBitmap& image, const GBufferRlaOptions& options,
                             const GBufferValues& values = {});

// Writes the bytes above to path; throws std::runtime_error when it cannot.
void WriteGBufferRla(const std::string& path, const CLayerBitmap& image, const GBufferRlaOptions& options,
                     const GBufferValues& values = {});

// Run-length encoding of one plane as RLA stores it (exposed for tests of the decoder).
std::string EncodeRlaRuns(const std::string& plane);
