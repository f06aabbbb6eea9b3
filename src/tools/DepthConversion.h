#pragma once
// "Convert Z-Buffer": saves the current frame's depth as a grey or coloured picture.

#include <string>

class ProjectData;

// The name proposed for the picture: the frame's image name with ".z.tga" for its extension,
// in the image's folder.
std::string ProposedDepthPictureName(const ProjectData& project);

// Asks the depth mode, then the file, and saves. False when nothing was saved; a save that
// failed is reported to the user.
bool ConvertZBuffer(ProjectData& project);
