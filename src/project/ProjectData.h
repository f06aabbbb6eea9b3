#pragma once
// The desktop program's open project: the project as its file holds it (ProjectModel), the
// current frame read from it, the last rendered frame, what the view shows (ProjectView), the
// undo history (ProjectHistory), the project's filter command, and the user interface the
// project talks through. Headless programs use a ProjectModel alone.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/framework/UserInterface.h"
#include "platform/framework/WorkAside.h"
#include "platform/image/DepthRange.h"
#include "platform/image/LayerBitmap.h"
#include "project/FrameSource.h"
#include "project/ImageViewport.h"
#include "project/ProjectHistory.h"
#include "project/ProjectModel.h"
#include "project/ProjectView.h"

class ApplicationFrame;
class CArchive;
class ProjectFilter;
class ImageViewport;

// Kinds of project change.
constexpr int kChangeSettings = 1;
constexpr int kChangeFrame = 2;
constexpr int kChangeModifiedOnly = 3;

// A frame this big (16 megapixels) has its slow work (its picture, its depth range) done on a
// thread of its own while the window keeps answering.
constexpr int64_t kBigFramePixels = int64_t(4096) * 4096;
inline bool IsBigFrame(const CLayerBitmap& image) {
  return int64_t(image.GetWidth()) * image.GetHeight() >= kBigFramePixels;
}

class ProjectData {
 public:
  explicit ProjectData(UserInterface& ui);
  ~ProjectData();

  // The frame gives access to the commands, the modified flag and the view.
  void AttachFrame(ApplicationFrame* frame) { frame_ = frame; }
  ApplicationFrame* GetFrame() const { return frame_; }
  UserInterface& UI() const { return ui_; }

  ProjectModel& Model() { return model_; }
  const ProjectModel& Model() const { return model_; }
  ProjectView& View() { return view_; }
  const ProjectView& View() const { return view_; }
  ProjectHistory& History() { return history_; }
  const ProjectHistory& History() const { return history_; }

  // --- The current frame ---
  // Sets up a new project from a chosen image: depth naming, sequence, first frame. A given
  // depth file names the depth files instead of the search (as when the user picks one).
  bool IdentifyDepthFiles(const std::string& chosenImagePath, const std::string& depthFilePath = "");
  // A frame is read on threads of its own while the window keeps answering; the user may
  // cancel a long read, which leaves the current frame as it was (LoadWasCancelled).
  bool LoadFrame(const std::string& imageName);
  // The frame of a sequence; an image that cannot be read leaves the sequence.
  bool LoadFrameAt(int index);
  bool LoadWasCancelled() const { return loadCancelled_; }
  // True when the current image is that frame of the image folder, as LoadFrame read it.
  bool HoldsFrame(const std::string& imageName) const;
  // Shows another frame: a sequence's is loaded, and the filter takes the frame's settings.
  // Returns the frame shown afterwards (the one before when the frame could not be shown).
  int GoToFrame(int frame, bool force);
  int GetCurrentFrame() const { return model_.Track().GetCurrentFrame(); }
  // True when no frame had to be removed. The names of the removed frames go to missing when
  // given (the caller tells the user), else into a warning.
  bool CheckProjectFiles(bool askImages, bool askDepth, std::string* missing = nullptr);
  CLayerBitmap* GetCurrentImage() { return currentImage_.get(); }
  const CLayerBitmap* GetCurrentImage() const { return currentImage_.get(); }
  // Replaces the current image (a frame given rather than read).
  void SetCurrentImage(std::unique_ptr<CLayerBitmap> image, BackgroundMask background = {});
  // The current image's depth range, measured once per frame (all zero without an image).
  const DepthRange& GetCurrentDepthRange() const;
  // True where the current frame's depth was background (no object) before it took the
  // farthest depth.
  bool IsBackgroundAt(int x, int y) const;
  CLayerBitmap* GetLastResult() { return lastResult_.get(); }
  const CLayerBitmap* GetLastResult() const { return lastResult_.get(); }
  // The rendered frame becomes the last result, on show.
  void SetLastResult(std::unique_ptr<CLayerBitmap> result, bool updateNow);
  // Where renders go, marking the project modified when that changes.
  void SetOutput(const std::string& folder, const std::string& name);

  // --- Project file and filter ---
  // Writes or reads the project file. Reading checks the frames' files (asking for folders
  // that moved), loads the current frame and activates the filter; failures throw
  // ProjectFileError (after telling the user) or ArchiveError.
  void Serialize(CArchive& archive);
  ProjectFilter* GetFilter() const { return filter_; }
  bool ChooseFilter();
  bool ActivateFilter(ProjectFilter* filter);
  // Leaves exactly the state of no project, whether or not a filter was active.
  void CloseProject(ProjectFilter* filter);
  void NotifyChanged(int kind);

 private:
  friend class ProjectView;
  friend class ProjectHistory;

  ImageViewport& Viewport() const;
  void MarkModified(bool modified) const;
  void SetFrameImage(std::unique_ptr<CLayerBitmap> image, BackgroundMask background);
  // After a sequence frame failed to load: frame 0 becomes current, or the project closes.
  void FallBackToFirstFrame();
  bool CheckProjectFilesOnce(bool& askImages, bool& askDepth, bool& restart, std::string& removed);
  void ReadProject(CArchive& archive);
  // The keyframe of frame 0 from the current image's depth range, when the track has none.
  bool StartKeyframes(KeyframeSettings& settings);

  UserInterface& ui_;
  ApplicationFrame* frame_ = nullptr;
  // Shows nothing: the view of a project without a window.
  mutable SilentViewport silentViewport_;
  ProjectFilter* filter_ = nullptr;
  ProjectModel model_;
  std::unique_ptr<CLayerBitmap> currentImage_;
  std::string currentImagePath_;  // the frame LoadFrame read into it
  std::unique_ptr<CLayerBitmap> lastResult_;
  BackgroundMask background_;
  mutable std::optional<DepthRange> depthRange_;
  bool loadCancelled_ = false;
  ProjectView view_;
  ProjectHistory history_;
  // Reading the user gave up, finishing on its thread: waited for when the project goes.
  AbandonedWork abandoned_;
};
