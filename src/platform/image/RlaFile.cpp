#include "platform/image/RlaFile.h"

#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace {

constexpr int64_t kHeaderBytes = 740;
// The chain of images is followed this far; only the first is read.
constexpr int kMaxImages = 64;

// Big-endian fields of the header, by their byte offset.
constexpr int kWindowLeft = 0, kWindowRight = 2, kWindowBottom = 4, kWindowTop = 6;
constexpr int kActiveLeft = 8, kActiveRight = 10, kActiveBottom = 12, kActiveTop = 14;
constexpr int kColourType = 18, kColourChannels = 20, kMatteChannels = 22, kAuxChannels = 24;
constexpr int kRevision = 26;
constexpr int kProgram = 400, kProgramBytes = 64;
constexpr int kFieldRendered = 612;
constexpr int kColourBits = 658, kMatteType = 660, kMatteBits = 662, kAuxType = 664, kAuxBits = 666;
constexpr int kNextOffset = 736;
// Revisions written by every known writer (0 by some older ones).
constexpr int16_t kRevisionCurrent = -2, kRevisionOld = 0;

constexpr struct {
  char letter;
  int bytes;
} kGBufferTable[kGBufferChannelCount] = {{'Z', 4}, {'E', 1}, {'O', 2}, {'U', 8}, {'N', 4}, {'R', 4}, {'C', 1},
                                         {'B', 3}, {'I', 2}, {'G', 3}, {'T', 3}, {'V', 8}, {'W', 3}, {'M', 2}};

int16_t I16(const std::vector<uint8_t>& h, int at) { return int16_t(uint16_t(h[at] << 8 | h[at + 1])); }

int32_t I32(const uint8_t* p) {
  return int32_t(uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]));
}

bool Fail(const std::string& reason, std::string& error) {
  error = reason;
  return false;
}

bool ReadAt(std::ifstream& file, int64_t at, std::vector<uint8_t>& bytes) {
  file.clear();
  file.seekg(at);
  return bool(file.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size())));
}

bool IsChannelType(int type) {
  return type == int(RlaChannelType::Byte) || type == int(RlaChannelType::Word) ||
         type == int(RlaChannelType::DoubleWord) || type == int(RlaChannelType::Float);
}

// Every group, even one without channels, must name a known channel type, and bit depths of at
// most 32; a group that has channels must hold 1 to 32 bits a value.
bool ReadChannelGroups(const std::vector<uint8_t>& h, RlaLayout& layout, std::string& error) {
  struct {
    int type, count, bits;
    const char* name;
    RlaChannelGroup* group;
  } groups[] = {{kColourType, kColourChannels, kColourBits, "colour", &layout.colour},
                {kMatteType, kMatteChannels, kMatteBits, "matte", &layout.matte},
                {kAuxType, kAuxChannels, kAuxBits, "auxiliary", &layout.aux}};
  for (const auto& g : groups) {
    int type = I16(h, g.type), count = I16(h, g.count), bits = I16(h, g.bits);
    if (!IsChannelType(type)) return Fail(fmt::format("declares {} channels of unknown type {}", g.name, type), error);
    if (count < 0) return Fail(fmt::format("declares {} {} channels", count, g.name), error);
    if ((count > 0 && bits < 1) || bits > 32) {
      return Fail(fmt::format("declares {}-bit {} channels", bits, g.name), error);
    }
    *g.group = {RlaChannelType(type), count, bits};
  }
  return true;
}

int64_t LineCount(const std::vector<uint8_t>& h) {
  int64_t lines = int64_t(I16(h, kActiveTop)) - I16(h, kActiveBottom) + 1;
  // A field-rendered image holds every other line.
  return I16(h, kFieldRendered) != 0 ? lines / 2 : lines;
}

// Lines are stored apart, each where the table after the header says; each must start inside
// the file, after the table. The offsets are returned as the table gives them (bottom line first).
bool ReadLineTable(std::ifstream& file, int64_t at, const std::vector<uint8_t>& h, int64_t fileBytes,
                   std::vector<int64_t>& offsets, std::string& error) {
  int64_t lines = LineCount(h);
  if (lines < 1) return Fail("declares no rows", error);
  int64_t tableEnd = at + kHeaderBytes + 4 * lines;
  if (tableEnd > fileBytes) return Fail("file is truncated (its row table is cut off)", error);
  std::vector<uint8_t> table(size_t(4 * lines));
  if (!ReadAt(file, at + kHeaderBytes, table)) return Fail("cannot read the row table", error);
  offsets.resize(size_t(lines));
  for (int64_t line = 0; line < lines; ++line) {
    int64_t offset = I32(&table[size_t(4 * line)]);
    int64_t row = lines - 1 - line;  // rows are counted from the top, as everywhere else
    if (offset < tableEnd) {
      return Fail(fmt::format("row {} is said to start at byte {}, inside the headers", row, offset), error);
    }
    if (offset >= fileBytes) {
      return Fail(fmt::format("file is truncated (row {} starts at byte {} of {})", row, offset, fileBytes), error);
    }
    offsets[size_t(line)] = offset;
  }
  return true;
}

bool ReadHeader(std::ifstream& file, int64_t at, int64_t fileBytes, std::vector<uint8_t>& header) {
  return at >= 0 && at + kHeaderBytes <= fileBytes && ReadAt(file, at, header);
}

// The first image: its windows, groups, program text and lines.
bool DescribeFirstImage(const std::vector<uint8_t>& h, RlaLayout& layout, std::string& error) {
  int16_t revision = I16(h, kRevision);
  if (revision != kRevisionCurrent && revision != kRevisionOld) {
    return Fail(fmt::format("not an RLA file (header revision {})", revision), error);
  }
  // RLA rows count upwards; the picture's rows count down from the window's top.
  int windowLeft = I16(h, kWindowLeft), windowTop = I16(h, kWindowTop);
  layout.display = {0, 0, int(I16(h, kWindowRight)) - windowLeft + 1, windowTop - int(I16(h, kWindowBottom)) + 1};
  int activeLeft = I16(h, kActiveLeft), activeTop = I16(h, kActiveTop);
  layout.data = {activeLeft - windowLeft, windowTop - activeTop, int(I16(h, kActiveRight)) - activeLeft + 1,
                 int(LineCount(h))};
  const char* program = reinterpret_cast<const char*>(&h[kProgram]);
  layout.program.assign(program, strnlen(program, kProgramBytes));
  layout.gbuffer = ParseGBufferLetters(layout.program);
  return true;
}

// Each line's bytes end where the next stored thing begins: another line, the next image, or
// the end of the file.
void BoundLines(const std::vector<int64_t>& bottomUp, int64_t nextImage, RlaLayout& layout) {
  std::vector<int64_t> starts = bottomUp;
  if (nextImage > 0) starts.push_back(nextImage);
  starts.push_back(layout.fileBytes);
  std::sort(starts.begin(), starts.end());
  layout.lineStart.assign(bottomUp.rbegin(), bottomUp.rend());
  layout.lineEnd.clear();
  for (int64_t start : layout.lineStart) layout.lineEnd.push_back(*std::upper_bound(starts.begin(), starts.end(), start));
}

// Where the header's channels of a line end, from their chunk counts; -1 when they do not fit.
int64_t EndOfDeclaredChannels(const RlaLayout& layout, const std::vector<uint8_t>& line) {
  if (layout.data.width < 1) return -1;
  size_t at = 0;
  for (const RlaChannelGroup* group : {&layout.colour, &layout.matte, &layout.aux}) {
    for (int c = 0; c < group->count; ++c) {
      if (at + 2 > line.size()) return -1;
      // Raw floats take 4 bytes a pixel whatever their 16-bit count says.
      at += 2 + (group->IsFloat() ? 4 * size_t(layout.data.width) : size_t(line[at]) << 8 | line[at + 1]);
      if (at > line.size()) return -1;
    }
  }
  return int64_t(at);
}

// Render channels take bytes after the header's channels in every line. A program name that
// merely holds letters in parentheses ("MyRender (C) 2003") announces none: its lines end with
// their declared channels, and the letters are ignored.
void ConfirmGBuffer(std::ifstream& file, RlaLayout& layout) {
  if (!layout.gbuffer.Any()) return;
  auto first = std::min_element(layout.lineStart.begin(), layout.lineStart.end()) - layout.lineStart.begin();
  std::vector<uint8_t> line(size_t(layout.lineEnd[size_t(first)] - layout.lineStart[size_t(first)]));
  if (!ReadAt(file, layout.lineStart[size_t(first)], line)) return;
  if (EndOfDeclaredChannels(layout, line) == int64_t(line.size())) layout.gbuffer = {};
}

}  // namespace

int RlaChannelGroup::StorageBytes() const {
  switch (type) {
    case RlaChannelType::Word: return 2;
    case RlaChannelType::DoubleWord:
    case RlaChannelType::Float: return 4;
    case RlaChannelType::Byte: break;
  }
  // Some writers leave the type at bytes for deeper values: the bits tell.
  return bits <= 8 ? 1 : bits <= 16 ? 2 : 4;
}

double RlaChannelGroup::MaxValue() const { return std::ldexp(1.0, std::clamp(bits, 1, 8 * StorageBytes())) - 1.0; }

char GBufferLetter(GBufferChannel channel) { return kGBufferTable[int(channel)].letter; }

int GBufferBytes(GBufferChannel channel) { return kGBufferTable[int(channel)].bytes; }

bool GBufferLetters::Any() const { return std::find(present.begin(), present.end(), true) != present.end(); }

GBufferLetters ParseGBufferLetters(const std::string& program) {
  GBufferLetters letters;
  auto open = program.find('(');
  if (open == std::string::npos) return letters;
  auto close = program.find(')', open);
  std::string list = program.substr(open + 1, close == std::string::npos ? std::string::npos : close - open - 1);
  auto separator = [](char c) { return std::isspace(static_cast<unsigned char>(c)) || c == ','; };
  for (size_t i = 0; i < list.size(); ++i) {
    char c = list[i];
    if (separator(c)) continue;
    // Words ("(Beta)", "(Alpha build)") are a program's name, not a list of letters.
    if (i + 1 < list.size() && !separator(list[i + 1])) return {};
    bool known = true;
    switch (c) {
      case 'A': letters.straightColour = true; break;
      case 'L': letters.layers = true; break;
      case 'P': letters.renderInfo = true; break;
      case 'D': letters.nameTable = true; break;
      default: known = false;
    }
    for (int k = 0; !known && k < kGBufferChannelCount; ++k) {
      if (kGBufferTable[k].letter != c) continue;
      known = true;
      if (!letters.present[size_t(k)]) letters.listed += c;
      letters.present[size_t(k)] = true;
    }
    if (!known) letters.unknown += c;
  }
  return letters;
}

bool ReadRlaLayout(const std::string& path, RlaLayout& layout, std::string& error) {
  std::error_code ec;
  layout = {};
  layout.fileBytes = int64_t(std::filesystem::file_size(path, ec));
  std::ifstream file(path, std::ios::binary);
  if (ec || !file) return Fail("cannot open the file", error);
  std::vector<uint8_t> header(kHeaderBytes);
  std::vector<int64_t> firstLines, lines;
  int64_t at = 0, secondImage = 0;
  for (int image = 0; image < kMaxImages; ++image) {
    if (!ReadHeader(file, at, layout.fileBytes, header)) {
      // Past the first, a header the file does not hold ends the chain.
      if (image == 0) return Fail("file is truncated", error);
      break;
    }
    RlaLayout groups;
    if (!ReadChannelGroups(header, image == 0 ? layout : groups, error)) return false;
    if (!ReadLineTable(file, at, header, layout.fileBytes, image == 0 ? firstLines : lines, error)) return false;
    if (image == 0 && !DescribeFirstImage(header, layout, error)) return false;
    int64_t next = I32(&header[kNextOffset]);
    if (image == 0 && next > at) secondImage = next;
    if (next <= at) break;
    at = next;
  }
  BoundLines(firstLines, secondImage, layout);
  ConfirmGBuffer(file, layout);
  return true;
}
