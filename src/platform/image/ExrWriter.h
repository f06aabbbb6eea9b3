#pragma once
// OpenEXR files (and .qel) written through the format's own library: what a render most often
// saves float colour and depth to, without the general image library.

#include <string>

#include "platform/image/ImageWriter.h"

bool WriteExr(const std::string& path, const ImageFileFormat& format, const SaveContent& content,
              ImageCompression compression, std::string& error);
