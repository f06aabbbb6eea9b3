#pragma once
// .zpic, the program's raw depth buffer: ASCII "ZPIC", then little-endian u32 version (1),
// u32 width, u32 height, then width x height float32, row 0 first.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/image/Bitmap.h"

constexpr uint32_t kZpicVersion = 1;
constexpr size_t kZpicHeaderBytes = 16;

struct ZpicHeader {
  int width = 0;
  int height = 0;
};

// Reads and checks the header against the file's size. False with the reason in error.
bool ReadZpicHeader(const std::string& path, ZpicHeader& header, std::string& error);
// The depth values as stored (no orientation); null with the reason in error.
std::unique_ptr<depthBitmap> ReadZpic(const std::string& path, std::string& error);
bool WriteZpic(const std::string& path, const depthBitmap& depth, std::string& error);
