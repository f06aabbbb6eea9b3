#pragma once
// A small colour configuration (OpenColorIO) for the tests: linear light in; a display "Test"
// with the views "Raw" (the light as it is, its default), "Root" (the square root of the light)
// and "Graded" (a look whose file does not exist: the configuration reads, the view cannot be
// made); a second display "Other" with "Raw".

#include <string>

class TempFolder;

// Writes the configuration into the folder and returns its path.
std::string WriteColourConfig(const TempFolder& folder);
