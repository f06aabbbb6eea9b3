#pragma once
// Writing a picture through the image library (inside the image library's module).

#include <string>

#include "platform/image/ImageWriter.h"

bool WriteWithLibrary(const std::string& path, const ImageFileFormat& format, const SaveContent& content,
                      ImageCompression compression, std::string& error);
