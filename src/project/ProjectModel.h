#pragma once
// A project as its file holds it: the frames and where their files are, the keyframe track, the
// filter (its id and options), and where renders go. Plain data and its rules: nothing here
// reads a frame, asks anybody anything or shows anything, so fovara-render, the Python module
// and the desktop program's document hold one alike, and two of them may live on two threads.

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "animation/FilterOptions.h"
#include "animation/KeyframeTrack.h"
#include "project/FrameFiles.h"
#include "project/ProjectFrames.h"

class CArchive;
class CLayerBitmap;
struct DepthRange;

// Project archive errors carry a cause: a program reports both as a failure to open.
enum class ProjectFileCause { Generic = 1, Invalid = 6 };

// A project file that cannot be opened, with its cause.
class ProjectFileError : public std::runtime_error {
 public:
  ProjectFileError(ProjectFileCause cause, const std::string& what) : std::runtime_error(what), cause_(cause) {}
  ProjectFileCause GetCause() const { return cause_; }

 private:
  ProjectFileCause cause_;
};

// Where a project's files are, as the project holds them.
struct ProjectFolders {
  std::string project;
  std::string images;
  std::string depths;
};

class ProjectModel;

// Reads a project file (a complete path) into a model. Throws ProjectFileError for a filter no
// program knows, and std::exception for a file that cannot be read or is no project.
void OpenProjectFile(const std::string& path, ProjectModel& model);
// Writes a model to a project file (a complete path) under a temporary name beside it, renamed
// over it only when complete: a save that fails keeps the previous file, and the model's
// folders as they were. Why it failed; "" when saved.
std::string SaveProjectFile(ProjectModel& model, const std::string& path);

class ProjectModel {
 public:
  ProjectModel();
  ~ProjectModel();
  ProjectModel(ProjectModel&&) noexcept;
  ProjectModel& operator=(ProjectModel&&) noexcept;

  // --- Frames ---
  const ProjectFrames& Frames() const { return frames_; }
  ProjectFrames& Frames() { return frames_; }
  int GetImageCount() const { return frames_.GetImageCount(); }
  // "" outside the list.
  std::string GetImageName(int index) const;
  bool IsSequence() const { return track_.GetMode() == kSequenceMode; }
  // The last frame: the last image of a sequence, the last keyframe of a single image.
  int GetLastFrame() const;
  // The image a frame shows: its own in a sequence, the one image otherwise.
  std::string ImageNameAt(int frame) const;

  // The image and depth folders, complete (relative ones are taken from the project folder).
  std::string ResolveImageFolder() const;
  std::string ResolveDepthFolder() const;
  // The depth file of one image (its own path when it carries depth); "" when none exists.
  std::string DepthFileFor(const std::string& imagePath) const;
  // The frames whose image or depth file is not there, in frame order.
  std::vector<std::string> FramesWithoutFiles() const;
  // The files of a frame, with what reading them needs.
  FrameFiles GetFrameFiles(int frame) const;
  FrameFiles FrameFilesFor(const std::string& imageName) const;

  // The number a frame's output file carries (the image's own number in a sequence, the frame
  // of an animated single image); false for a single image rendered once.
  bool GetOutputNumber(int frame, int& number) const;
  // The digits a saved frame number gets: those of the first image's number, else 4.
  int GetOutputNumberWidth() const;
  // The output folder and name, or the default beside the first image when none was set.
  std::string OutputBaseName() const;

  // --- Keyframes and the filter ---
  KeyframeTrack& Track() { return track_; }
  const KeyframeTrack& Track() const { return track_; }
  // 0 while there is none.
  uint32_t GetFilterId() const { return filterId_; }
  FilterOptions* Options() { return options_.get(); }
  const FilterOptions* Options() const { return options_.get(); }
  // Makes a filter the project's, its options at their defaults; keyframes of another filter's
  // settings cannot be blended by it and go. False for an id no filter has (nothing changes).
  bool SetFilter(uint32_t filterId);
  // A new settings object of the filter's type; null without a filter.
  std::unique_ptr<KeyframeSettings> NewSettings() const;
  // The settings of any frame, the keyframes blended at it, with the depths kept within the
  // frame's depth range (image and range may be null when no frame is at hand). Nothing
  // changes: no current frame, no keyframe. Null without keyframes.
  std::unique_ptr<KeyframeSettings> SettingsAt(int frame, const CLayerBitmap* image, const DepthRange* range) const;

  // The state of no project.
  void Clear();

  // --- The project file ---
  // The project record, the keyframe track, then the filter's options. Writing makes the image
  // and depth folders relative to the file's folder (the project folder becomes it). Reading
  // failures throw ArchiveError, or ProjectFileError for a filter no program knows.
  void Write(CArchive& archive);
  void Read(CArchive& archive);
  // The content an undo step holds: the keyframe track (the current frame left out: moving
  // through the frames changes nothing) and the options, as the project file stores them. Read
  // back into the same filter's options, which keep their object.
  void WriteContent(CArchive& archive);
  void ReadContent(CArchive& archive);
  // The folders Write makes relative, to put back after a save that failed.
  ProjectFolders GetFolders() const {
    return {frames_.GetProjectFolder(), frames_.GetImageFolder(), frames_.GetDepthFolder()};
  }
  void SetFolders(const ProjectFolders& folders);

 private:
  ProjectFrames frames_;
  KeyframeTrack track_;
  uint32_t filterId_ = 0;
  std::unique_ptr<FilterOptions> options_;
};
