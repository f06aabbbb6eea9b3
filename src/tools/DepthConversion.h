#pragma once
// "Convert Z-Buffer": a frame's depth saved as a grey or coloured picture.

#include <memory>
#include <string>

#include "platform/image/LayerBitmap.h"
#include "project/ProgramDialogs.h"

class ProjectData;
class ProjectModel;

// The name proposed for the picture: the frame's image name with ".z.tga" for its extension,
// in the image's folder.
std::string ProposedDepthPictureName(const ProjectModel& project, int frame);

// The depth as the mode asks: grey or coloured, exponential or linear levels.
std::unique_ptr<CLayerBitmap> DepthPictureOf(const depthBitmap& depth, const DepthModeChoice& mode);

// The desktop program's command: asks the depth mode, then the file, and saves the current
// frame's depth. False when nothing was saved; a save that failed is reported to the user.
bool ConvertZBuffer(ProjectData& project);
