#pragma once
// The open project: where its images and depth files are (ProjectFrames), the list of frames,
// the current frame as one layered image (colour, depth, alpha when present), the last rendered
// frame, what the view shows, the keyframe track, the undo history and the project's filter.

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "animation/KeyframeTrack.h"
#include "platform/image/DepthRange.h"
#include "platform/image/DisplayTransform.h"
#include "platform/image/LayerBitmap.h"
#include "platform/image/NTBitmap.h"
#include "project/ProjectFrames.h"
#include "project/UndoHistory.h"

class ApplicationFrame;
class CArchive;
class ProjectFilter;
class ImageViewport;

// View modes.
constexpr uint32_t kViewImage = 1;
constexpr uint32_t kViewLastResult = 2;
constexpr uint32_t kViewGreyDepth = 3;
constexpr uint32_t kViewColourDepth = 4;
constexpr uint32_t kViewFilterPreview = 5;
constexpr uint32_t kViewImageAlpha = 6;
constexpr uint32_t kViewResultAlpha = 7;
constexpr uint32_t kViewGivenPicture = 8;

// Kinds of project change.
constexpr int kChangeSettings = 1;
constexpr int kChangeFrame = 2;
constexpr int kChangeModifiedOnly = 3;

// The files of one frame and the answer its depth picture needs, taken from the project so
// that the frame can be read away from it (on another thread) without asking the user.
struct FrameFiles {
  std::string imageName;  // as the project lists it
  std::string imagePath;
  std::string depthPath;  // the image's own path when it carries its depth; "" when none was found
  int depthBitmapAnswer = -1;
  std::string view;  // the image's view in a multi-view file; "" for the default
};

// A frame this big (16 megapixels) has its slow work (its picture, its depth range) done on a
// thread of its own while the window keeps answering.
constexpr int64_t kBigFramePixels = int64_t(4096) * 4096;
inline bool IsBigFrame(const CLayerBitmap& image) {
  return int64_t(image.GetWidth()) * image.GetHeight() >= kBigFramePixels;
}

// Where a frame's depth was background before it took the farthest depth, pixel by pixel
// (row 0 first); empty when no pixel was.
using BackgroundMask = std::vector<bool>;

// Project archive errors carry a cause: the framework reports both as a failure to open.
constexpr int kFileErrorGeneric = 1;
constexpr int kFileErrorInvalid = 6;

// Where a project's files are, as the project holds them.
struct ProjectFolders {
  std::string project;
  std::string images;
  std::string depths;
};

class ProjectData : public KeyframeTrackOwner {
 public:
  ProjectData();
  ~ProjectData() override;

  // The frame gives access to the commands, the modified flag and the view.
  void AttachFrame(ApplicationFrame* frame) { frame_ = frame; }
  ApplicationFrame* GetFrame() const { return frame_; }

  // --- Frames and depth files ---
  std::string ResolveImageFolder() const;
  std::string ResolveDepthFolder() const;
  // The depth file of one image (its own path when it carries depth); "" when none exists.
  std::string DepthFileFor(const std::string& imagePath) const;
  // Sets up a new project from a chosen image: depth naming, sequence, first frame. A given
  // depth file names the depth files instead of the search (as when the user picks one).
  bool IdentifyDepthFiles(const std::string& chosenImagePath, const std::string& depthFilePath = "");
  // An image with a colour layer, or null (the user was told why).
  std::unique_ptr<CLayerBitmap> ReadImage(const std::string& path);
  // Adds the depth layer of an image read without one.
  bool AttachDepth(const std::string& imageName, CLayerBitmap& image);
  // A frame is read on threads of its own while the window keeps answering; the user may
  // cancel a long read, which leaves the current frame as it was (LoadWasCancelled).
  bool LoadFrame(const std::string& imageName);
  bool LoadFrameAt(int index);
  // True when the last LoadFrame failed because the user cancelled it.
  bool LoadWasCancelled() const { return loadCancelled_; }
  // True when the current image is that frame of the image folder, as LoadFrame read it.
  bool HoldsFrame(const std::string& imageName) const;
  // --- Frames read ahead ---
  FrameFiles GetFrameFiles(int index) const;
  FrameFiles FrameFilesFor(const std::string& imageName) const;
  // The frame as LoadFrame would make it, or null when reading it would need the user (a file
  // missing or unreadable, a depth picture not asked about yet): LoadFrame then reads it and
  // tells the user. Touches no project state, so it may run on any thread.
  // Where the frame's background was goes to background when given.
  static std::unique_ptr<CLayerBitmap> ReadFrameFiles(const FrameFiles& files, BackgroundMask* background = nullptr);
  // A frame read ahead: the next LoadFrame of that name takes it instead of reading the files
  // (and its depth range, when it was measured too).
  void OfferFrame(const std::string& imageName, std::unique_ptr<CLayerBitmap> image, BackgroundMask background = {},
                  std::optional<DepthRange> range = std::nullopt);
  // True when no frame had to be removed. The names of the removed frames go to missing when
  // given (the caller tells the user), else into a warning.
  bool CheckProjectFiles(bool askImages, bool askDepth, std::string* missing = nullptr);
  bool GetFrameNumber(int& number) const;
  // The output number of a given frame, as GetFrameNumber gives it for the current one.
  bool GetFrameNumberAt(int frame, int& number) const;
  bool ChangeFrame(int from, int to, bool force) override;
  std::string GetImageName(int index) const;
  std::string OutputBaseName();
  void SetOutput(const std::string& folder, const std::string& name);

  // --- Project file and filter ---
  // Writes or reads the project record, the keyframe track and the filter's options.
  // Reading failures throw ProjectFileError (after telling the user) or ArchiveError.
  void Serialize(CArchive& archive);
  bool ChooseFilter();
  bool ActivateFilter(ProjectFilter* filter);
  // Leaves exactly the state of no project, whether or not a filter was active.
  void CloseProject(ProjectFilter* filter);
  void NotifyChanged(int kind);

  // --- Undo ---
  // Records the change just made to the keyframes or options as one step; nothing when the
  // content is unchanged (a frame change, a render).
  void RecordChange();
  // False when there was nothing to undo or redo.
  bool Undo();
  bool Redo();
  bool CanUndo() const { return history_.CanUndo(); }
  bool CanRedo() const { return history_.CanRedo(); }
  // Names the change about to be notified (a string-table id), so that Undo can say what it
  // takes back.
  void NameNextChange(int nameId) { nextChangeName_ = nameId; }
  int UndoNameId() const { return history_.UndoNameId(); }
  int RedoNameId() const { return history_.RedoNameId(); }
  // Starts the history afresh from the present content; `saved` when the file holds it.
  void ResetHistory(bool saved);
  void MarkHistorySaved() { history_.MarkSaved(); }

  // --- View ---
  void SetViewMode(uint32_t mode, bool redraw, bool force, std::unique_ptr<NTBitmap> picture = nullptr);
  void RedrawView(bool updateNow);
  void SetLastResult(std::unique_ptr<CLayerBitmap> result, bool updateNow);
  void SetDepthView(int mode, float factor);
  // The exposure in stops floating-point colour is shown with (kept within its limits); the
  // picture shown is made again. Pictures of 8-bit colour are not affected.
  static constexpr float kMinExposure = -10.0f;
  static constexpr float kMaxExposure = 10.0f;
  void SetDisplayExposure(float stops);
  float GetDisplayExposure() const { return displayExposure_; }
  // The colour configuration's display and view floating-point colour is shown through; null
  // for the sRGB curve. The picture shown is made again.
  void SetDisplayTransform(std::shared_ptr<const DisplayTransform> transform);
  const DisplayTransform* GetDisplayTransform() const { return displayTransform_.get(); }

  // --- State ---
  KeyframeTrack& GetTrack() { return track_; }
  const KeyframeTrack& GetTrack() const { return track_; }
  ProjectFilter* GetFilter() const { return filter_; }
  CLayerBitmap* GetCurrentImage() { return currentImage_.get(); }
  const CLayerBitmap* GetCurrentImage() const override { return currentImage_.get(); }
  // The current image's depth range, measured once per frame (all zero without an image).
  const DepthRange& GetCurrentDepthRange() const;
  const DepthRange* KnownDepthRange() const override { return currentImage_ ? &GetCurrentDepthRange() : nullptr; }
  // True where the current frame's depth was background (no object) before it took the
  // farthest depth.
  bool IsBackgroundAt(int x, int y) const;
  CLayerBitmap* GetLastResult() { return lastResult_.get(); }
  const CLayerBitmap* GetLastResult() const { return lastResult_.get(); }
  const NTBitmap* GetDisplayedImage() const { return displayedImage_.get(); }
  // Whether some pixel of the displayed picture is not opaque (an image with alpha).
  bool IsDisplayedImageTransparent() const { return displayedTransparent_; }
  uint32_t GetViewMode() const { return viewMode_; }
  int GetDepthViewMode() const { return depthViewMode_; }
  float GetDepthViewFactor() const { return depthViewFactor_; }
  int GetImageCount() const override { return frames_.GetImageCount(); }
  const std::vector<std::string>& GetImageNames() const { return frames_.GetImageNames(); }

  // Where the frames and their depth files are and how they are named; where renders go.
  const ProjectFrames& Frames() const { return frames_; }
  ProjectFrames& Frames() { return frames_; }
  // The current frame the project file stored (opening a project goes to frame 0).
  int GetSavedCurrentFrame() const { return savedCurrentFrame_; }

  ProjectFolders GetFolders() const {
    return {frames_.GetProjectFolder(), frames_.GetImageFolder(), frames_.GetDepthFolder()};
  }
  void SetFolders(const ProjectFolders& folders) {
    frames_.SetProjectFolder(folders.project);
    frames_.SetImageFolder(folders.images);
    frames_.SetDepthFolder(folders.depths);
  }

  void SetImageNames(std::vector<std::string> names) { frames_.SetImageNames(std::move(names)); }
  // Replaces the current image (a loaded frame).
  void SetCurrentImage(std::unique_ptr<CLayerBitmap> image, BackgroundMask background = {}) {
    SetFrameImage(std::move(image), std::move(background));
    currentImagePath_.clear();
  }

 private:
  void SetFrameImage(std::unique_ptr<CLayerBitmap> image, BackgroundMask background);
  ImageViewport& View() const;
  void MarkModified(bool modified) const;
  // After a sequence frame failed to load: frame 0 becomes current, or the project closes.
  void FallBackToFirstFrame();
  std::string DepthFileForCandidate(const std::string& imagePath) const;
  // Static: the frame pipeline reads ahead on another thread.
  static std::unique_ptr<CLayerBitmap> ReadDepthFile(const std::string& path, int width, int height,
                                                    const std::string& view, std::string& reason);
  // Depth naming from one depth file: its folder, name and extension.
  void UseDepthFile(const std::string& path);
  // A new project's companion depth file of the same root, or one the user picks.
  bool FindCompanionDepthFile();
  static bool AcceptDepthImage(const CLayerBitmap* depth, int width, int height);
  // The depth layer of a grey or colour picture, light near when the answer is 0.
  static std::unique_ptr<Bitmap> DepthFromPicture(const Bitmap& picture, int depthBitmapAnswer);
  bool CheckProjectFilesOnce(bool& askImages, bool& askDepth, bool& restart, std::string& removed);
  void ReadProject(CArchive& archive);
  void WriteProject(CArchive& archive, const std::string& newProjectFolder);
  void DropKeyframesOfOtherTypes(uint32_t typeCode);
  // transparent tells whether some pixel of the new picture is not opaque.
  std::unique_ptr<NTBitmap> MakeDisplayedImage(uint32_t mode, std::unique_ptr<NTBitmap> picture, bool& change,
                                               bool& transparent) const;
  ProjectState CaptureState();
  bool RestoreState(std::optional<UndoHistory::Target> target);

  ApplicationFrame* frame_ = nullptr;
  ProjectFilter* filter_ = nullptr;
  ProjectFrames frames_;
  int savedCurrentFrame_ = 0;
  KeyframeTrack track_;
  std::unique_ptr<CLayerBitmap> currentImage_;
  std::string currentImagePath_;  // the frame LoadFrame read into it
  std::unique_ptr<CLayerBitmap> lastResult_;
  std::string offeredFrameName_;
  std::unique_ptr<CLayerBitmap> offeredFrame_;
  BackgroundMask offeredBackground_;
  std::optional<DepthRange> offeredRange_;
  BackgroundMask background_;
  mutable std::optional<DepthRange> depthRange_;
  bool loadCancelled_ = false;
  int depthViewMode_ = 0;
  float depthViewFactor_ = 0.2f;
  float displayExposure_ = 0.0f;
  std::shared_ptr<const DisplayTransform> displayTransform_;
  std::unique_ptr<NTBitmap> displayedImage_;
  bool displayedTransparent_ = false;
  uint32_t viewMode_ = 0;
  UndoHistory history_;
  int nextChangeName_ = 0;
  bool restoring_ = false;
};

// A project file that cannot be opened, with its cause (kFileErrorGeneric, kFileErrorInvalid).
class ProjectFileError : public std::runtime_error {
 public:
  ProjectFileError(int cause, const std::string& what) : std::runtime_error(what), cause_(cause) {}
  int GetCause() const { return cause_; }

 private:
  int cause_;
};
