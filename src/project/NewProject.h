#pragma once
// A new project from an image, as the command line and the Python module make one: the depth
// files and frames found from the image, the first frame read, the filter set with its first
// keyframe from that frame's depth range.

#include <cstdint>
#include <memory>
#include <string>

#include "project/FrameSource.h"

class ProjectModel;
class UserInterface;

// The depth files and frames found from an image, and the first frame read; null when they
// cannot be (the user was told why).
std::unique_ptr<Frame> ReadFirstFrame(ProjectModel& model, const std::string& imagePath, const std::string& depthPath,
                                      UserInterface& ui);
// That, and the filter set with its first keyframe from the frame's depth range; null when no
// project can be made (the user was told why).
std::unique_ptr<Frame> StartProject(ProjectModel& model, const std::string& imagePath, const std::string& depthPath,
                                    uint32_t filterId, UserInterface& ui);
