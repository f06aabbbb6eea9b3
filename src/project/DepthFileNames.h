#pragma once
// How a project names its depth files: which images carry their own depth, the extensions a
// companion depth file may have, and folders stored relative to the project.

#include <string>
#include <vector>

// An RLA or RPF file with a depth channel.
bool CarriesDepth(const std::string& path);
// An image with a depth channel of its own (RLA, RPF, OpenEXR, .qel).
bool ImageCarriesDepth(const std::string& path);
// The companion depth extensions, in the order they are tried.
std::vector<std::string> DepthExtensions();
// A stored folder, complete: a relative one is taken from the base folder.
std::string ResolveFolder(const std::string& stored, const std::string& base);
// A complete folder relative to the base folder, when it has one.
std::string RelativeFolder(const std::string& resolved, const std::string& base);
