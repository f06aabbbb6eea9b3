#pragma once
// A view asked for on the command line must be one the file has: a stereo file would otherwise
// give its default view, and a plain file its only picture, without a word.

#include <string>

// Why the file cannot give that view ("shot.exr: has no view 'centre' (views: left, right)");
// empty when it can, when no view is asked for, or when the file cannot be read at all (its
// reader then says why).
std::string MissingViewReason(const std::string& file, const std::string& view);
