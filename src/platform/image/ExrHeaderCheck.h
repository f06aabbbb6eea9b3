#pragma once
// A walk over an OpenEXR file's headers before the image library opens it. The library believes
// the sizes a header states: an attribute that says it holds 2 GB, or a data window whose table
// of chunk offsets would be gigabytes, is allocated before the library notices that the file is
// a few bytes long. Here every stated size is held against the bytes the file really has.

#include <string>

// False, with the reason in error, when a header states more than the file holds or is cut off.
bool CheckExrHeaders(const std::string& path, std::string& error);
