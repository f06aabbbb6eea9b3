#pragma once
// What the desktop program's view shows of the open project: the view mode, the picture it
// makes (the frame, the last result, the depth as a picture, an alpha, the filter's preview),
// and how floating-point colour is shown (exposure, display transform).

#include <cstdint>
#include <memory>

#include "platform/image/DisplayTransform.h"
#include "platform/image/NTBitmap.h"

class ProjectData;

// View modes.
constexpr uint32_t kViewImage = 1;
constexpr uint32_t kViewLastResult = 2;
constexpr uint32_t kViewGreyDepth = 3;
constexpr uint32_t kViewColourDepth = 4;
constexpr uint32_t kViewFilterPreview = 5;
constexpr uint32_t kViewImageAlpha = 6;
constexpr uint32_t kViewResultAlpha = 7;
constexpr uint32_t kViewGivenPicture = 8;

class ProjectView {
 public:
  explicit ProjectView(ProjectData& project) : project_(project) {}

  // Makes the picture of a mode and shows it; a mode whose picture cannot be made keeps the
  // view as it is. Nothing happens for the mode on show unless forced.
  void SetViewMode(uint32_t mode, bool redraw, bool force, std::unique_ptr<NTBitmap> picture = nullptr);
  void RedrawView(bool updateNow);
  uint32_t GetViewMode() const { return viewMode_; }
  const NTBitmap* GetDisplayedImage() const { return displayedImage_.get(); }
  // Whether some pixel of the displayed picture is not opaque (an image with alpha).
  bool IsDisplayedImageTransparent() const { return displayedTransparent_; }

  // How the depth views draw the depth (DepthModeChoice's curve and factor).
  void SetDepthView(int mode, float factor);
  int GetDepthViewMode() const { return depthViewMode_; }
  float GetDepthViewFactor() const { return depthViewFactor_; }

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

  // Nothing on show (no project); the way colour is shown stays.
  void Clear();

 private:
  // transparent tells whether some pixel of the new picture is not opaque.
  std::unique_ptr<NTBitmap> MakeDisplayedImage(uint32_t mode, std::unique_ptr<NTBitmap> picture, bool& change,
                                               bool& transparent) const;

  ProjectData& project_;
  int depthViewMode_ = 0;
  float depthViewFactor_ = 0.2f;
  float displayExposure_ = 0.0f;
  std::shared_ptr<const DisplayTransform> displayTransform_;
  std::unique_ptr<NTBitmap> displayedImage_;
  bool displayedTransparent_ = false;
  uint32_t viewMode_ = 0;
};
