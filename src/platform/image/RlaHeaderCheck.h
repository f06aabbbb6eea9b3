#pragma once
// A look at an RLA file's headers before the image library decodes it. The library's decoder
// trusts the bit depth a header states: a channel group of 0 bits makes it loop for ever, and
// row offsets outside the file make it decode whatever lies there. Both are refused here.

#include <string>

// False, with the reason in error, when a subimage's header or its table of row offsets does not
// hold. Every subimage the file chains to is looked at.
bool CheckRlaHeaders(const std::string& path, std::string& error);
