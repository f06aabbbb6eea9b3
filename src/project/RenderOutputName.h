#pragma once
// The file a render writes: the same rule for fovara-render and the scripting module.

#include <string>

class ProjectModel;

// True for the formats a render can write, named by extension without the dot ("png", "exr").
bool IsRenderOutputFormat(const std::string& format);

// The output file name from a base (the project's output name when empty) and a format. A base
// ending in a known picture extension gives the format unless one is asked for; otherwise the
// format asked for, else the first image's, else PNG.
std::string RenderOutputName(const std::string& absoluteBase, const std::string& format, const ProjectModel& project);
