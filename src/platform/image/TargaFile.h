#pragma once
// Targa files written by the program itself: 8-bit grey, colour, or colour with straight alpha,
// stored as they are or run-length encoded (TGA 2.0, with the extension area that says what the
// alpha is).

#include <string>

#include "platform/image/ImageWriter.h"

bool WriteTarga(const std::string& path, const SaveContent& content, ImageCompression compression,
                std::string& error);
