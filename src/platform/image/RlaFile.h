#pragma once
// The layout of an RLA (or RPF) file: its 740-byte big-endian header, the channels it declares,
// the render channels a 3D package announces in the header's program text, and the table of
// line offsets. Nothing here is believed before it is held against the file: a group of 0 bits,
// an unknown channel type, a line said to start outside the file or a header cut off is refused.
//
// A line holds the colour channels, then the matte and auxiliary channels the header declares,
// then, in table order, every render ("G-buffer") channel whose letter follows the first '(' of
// the program text, one run-length chunk per byte plane, most significant byte first. Records
// between the offset table and the first line, and after a line's channels, are left alone.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/image/LayerBitmap.h"

// Channel types of the header's groups.
enum class RlaChannelType : int16_t { Byte = 0, Word = 1, DoubleWord = 2, Float = 4 };

// A group of channels that share one type and bit depth (colour, matte, auxiliary).
struct RlaChannelGroup {
  RlaChannelType type = RlaChannelType::Byte;
  int count = 0;
  int bits = 8;

  bool IsFloat() const { return type == RlaChannelType::Float; }
  // Bytes a value takes in the file: integer values in 1, 2 or 4 byte planes, floats raw.
  int StorageBytes() const;
  // The largest integer value the declared bits give (an integer value is a fraction of it).
  double MaxValue() const;
};

// The render channels, in the order of their bits (and of their planes in a line).
enum class GBufferChannel : int {
  Depth,           // Z: float
  MaterialId,      // E: byte
  ObjectId,        // O: 16 bits
  Uv,              // U: two floats
  Normal,          // N: packed in 4 bytes
  RealPixel,       // R: packed HDR colour, 4 bytes
  Coverage,        // C: byte
  Background,      // B: RGB bytes
  RenderIndex,     // I: 16 bits
  Colour,          // G: RGB bytes
  Transparency,    // T: RGB bytes
  Velocity,        // V: two floats
  Weight,          // W: RGB bytes
  SubPixelMask,    // M: 16 bits
};
constexpr int kGBufferChannelCount = 14;

// Its letter in the program text and the bytes a pixel of it takes.
char GBufferLetter(GBufferChannel channel);
int GBufferBytes(GBufferChannel channel);

// What the program text announces after its first '('.
struct GBufferLetters {
  std::array<bool, kGBufferChannelCount> present{};
  std::string listed;        // the channel letters in the order the text gives them
  bool straightColour = false;  // A: colour is not premultiplied by the matte
  bool layers = false;          // L: layer records follow each line's channels
  bool renderInfo = false;      // P: a render-information record follows the offset table
  bool nameTable = false;       // D: a table of object names follows that
  std::string unknown;          // letters of no known meaning, ignored

  bool Has(GBufferChannel c) const { return present[size_t(c)]; }
  bool Any() const;
};

// Reads the letters from a program text (the header's 64-byte field).
GBufferLetters ParseGBufferLetters(const std::string& program);

struct RlaLayout {
  int64_t fileBytes = 0;
  ImageRect display;  // the window: the picture, at 0, 0
  ImageRect data;     // the active window, placed in the picture (row 0 at the top)
  RlaChannelGroup colour, matte, aux;
  std::string program;
  GBufferLetters gbuffer;
  // Where each line of the active window starts and where its bytes must end (the next line,
  // the next image of the file or the file's end), the top line first.
  std::vector<int64_t> lineStart;
  std::vector<int64_t> lineEnd;
};

// Reads and checks the headers of the file (every image the file chains to) and the first
// image's line table. False, with the reason in error, when they do not hold.
bool ReadRlaLayout(const std::string& path, RlaLayout& layout, std::string& error);
