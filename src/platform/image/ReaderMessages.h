#pragma once

#include <string>

// How the readers word an image library's failure: one line, the file by its name only, and
// "file is truncated" whenever the library's words say the data ran out.

// Whether a library's message says the file ended early.
bool SaysTruncated(const std::string& message);

// The message's first line, with the file's full path shortened to its name.
std::string ShortDetail(std::string message, const std::string& path);

// The file could not be opened as formatName ("openexr", "tiff", ...).
std::string OpenFailure(const std::string& message, const std::string& path, const std::string& formatName);

// The file opened but its pixels could not be read.
std::string ReadFailure(const std::string& message, const std::string& path);
