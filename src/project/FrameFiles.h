#pragma once
// The files of one frame and the answer its depth picture needs, taken from the project so that
// the frame can be read away from it (on another thread) without asking anybody.

#include <string>

struct FrameFiles {
  std::string imageName;  // as the project lists it
  std::string imagePath;
  std::string depthPath;  // the image's own path when it carries its depth; "" when none was found
  int depthBitmapAnswer = -1;  // how a depth picture reads (ProjectFrames.h); -1: not asked yet
  std::string view;  // the image's view in a multi-view file; "" for the default
};
