#pragma once
// A look at a BMP file's header before the image library decodes it. The library decodes
// run-length compression into palette indices whatever the pixel depth says, and looks them up
// in a palette that only 1-, 4- and 8-bit files have: run-length data in a 16-, 24- or 32-bit
// file makes it read through an empty palette. Such headers are refused here.

#include <string>

// False, with the reason in error, when the header pairs a compression with a pixel depth it
// does not go with. Files too short to tell are left to the library.
bool CheckBmpHeader(const std::string& path, std::string& error);
