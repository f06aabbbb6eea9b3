#pragma once
// Where a project's frames and their depth files are, and how they are named: the frames'
// image names, the folders (the
// image and depth folders may be relative to the project file's folder), the depth files' root
// name and extension, the answer a depth picture needs, the view of stereo images, and where
// renders go. Plain state: reading the frames, which may ask the user, is ProjectData's.
//
// Folders are held with their trailing separator and joined to names by concatenation.

#include <cstddef>
#include <string>
#include <vector>

// How a depth picture reads: light areas near (0) or far (1); not asked yet.
constexpr int kDepthPictureLightNear = 0;
constexpr int kDepthPictureLightFar = 1;
constexpr int kDepthAnswerNotAsked = -1;

class ProjectFrames {
 public:
  // The frames' image names, as the image folder holds them, in frame order.
  const std::vector<std::string>& GetImageNames() const { return imageNames_; }
  int GetImageCount() const { return int(imageNames_.size()); }
  void SetImageNames(std::vector<std::string> names) { imageNames_ = std::move(names); }
  // Takes a frame out of the sequence (its image could not be read).
  void RemoveImage(size_t index) { imageNames_.erase(imageNames_.begin() + long(index)); }

  const std::string& GetProjectFolder() const { return projectFolder_; }
  const std::string& GetImageFolder() const { return imageFolder_; }
  const std::string& GetDepthFolder() const { return depthFolder_; }
  void SetProjectFolder(std::string folder) { projectFolder_ = std::move(folder); }
  void SetImageFolder(std::string folder) { imageFolder_ = std::move(folder); }
  void SetDepthFolder(std::string folder) { depthFolder_ = std::move(folder); }

  // The depth files are named root + frame number + extension.
  const std::string& GetDepthRootName() const { return depthRootName_; }
  const std::string& GetDepthExtension() const { return depthExtension_; }
  void SetDepthRootName(std::string name) { depthRootName_ = std::move(name); }
  void SetDepthExtension(std::string extension) { depthExtension_ = std::move(extension); }
  // How a depth picture reads (light near or far); -1 while the user was not asked.
  int GetDepthBitmapAnswer() const { return depthBitmapAnswer_; }
  void SetDepthBitmapAnswer(int answer) { depthBitmapAnswer_ = answer; }

  // The view of stereo images to read; empty: each file's default view.
  const std::string& GetImageView() const { return imageView_; }
  void SetImageView(std::string view) { imageView_ = std::move(view); }

  const std::string& GetOutputFolder() const { return outputFolder_; }
  const std::string& GetOutputName() const { return outputName_; }
  void SetOutputFolder(std::string folder) { outputFolder_ = std::move(folder); }
  void SetOutputName(std::string name) { outputName_ = std::move(name); }

  // The state of no project.
  void Clear() { *this = ProjectFrames(); }

 private:
  std::vector<std::string> imageNames_;
  std::string projectFolder_;
  std::string imageFolder_;
  std::string depthFolder_;
  std::string depthRootName_;
  std::string depthExtension_;
  int depthBitmapAnswer_ = kDepthAnswerNotAsked;
  std::string imageView_;
  std::string outputFolder_;
  std::string outputName_;
};
