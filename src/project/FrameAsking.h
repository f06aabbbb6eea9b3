#pragma once
// Reading a frame with somebody to tell: what FrameSource reads quietly, but each failure is
// told through the user interface in its language, a depth file that does not fit may be
// replaced by one the user picks, and a depth picture's reading (light near or far) is asked
// once per project. New projects read their first frame so, and the desktop program every
// frame its quiet reading could not.

#include <memory>
#include <string>

#include "project/FrameSource.h"

class ProjectModel;
class UserInterface;

// Null when the frame cannot be read (the user was told why). The model keeps the answer to
// the depth picture's question.
std::unique_ptr<Frame> ReadFrameTellingUser(ProjectModel& model, const std::string& imageName, UserInterface& ui);
