#pragma once
// Keyframed settings of the depth-of-field filter and its law: the blur diameter of a depth
// follows the circle of confusion, proportional to the difference of inverse depths from the
// sharp field. Blur values are positive in front of the field and negative behind it.

#include <memory>
#include <optional>

#include "animation/KeyframeSettings.h"
#include "platform/framework/FourCC.h"
#include "platform/image/DepthRange.h"

class DepthOfFieldSettings final : public KeyframeSettings {
 public:
  static constexpr uint32_t kTypeCode = FourCC("DOFF");
  // Blur diameters never exceed this many pixels either way.
  static constexpr double kMaxBlurPixels = 50.0;
  // The blur amounts the panel offers, in pixels.
  static constexpr int kMinAmount = 1;
  static constexpr int kMaxAmount = 50;
  static constexpr double kDefaultHighlightThreshold = 0.9;
  static constexpr double kMaxHighlightGain = 100.0;

  // The depth tools' modes when the panel starts the depth-point tool.
  enum class DepthPointMode { Focus = 1, BackMax = 2, FrontMax = 3 };

  int Mode = 2;              // kept, blended and stored; nothing computes with it
  int FrontAmount = 15;      // blur diameter in pixels reached at FrontMaxDepth
  int BackAmount = 15;       // blur diameter in pixels reached at BackMaxDepth
  double FieldNear = 0.0;    // near limit of the sharp zone
  double FieldFar = 1.0;     // far limit of the sharp zone
  double FrontMaxDepth = 0.0;
  double BackMaxDepth = 0.0;
  double FilmWidth = 24.0;   // reading defaults; Reset gives 36 x 24
  double FilmHeight = 36.0;
  double PixelScale = 1.0;   // pixels per film unit: image width / FilmWidth
  // Highlights: before the blur, pixels whose brightest channel's display value exceeds the
  // threshold (0 to 1) have their light multiplied by 1 + gain x (value - threshold) /
  // (1 - threshold), so that small bright spots spread into bright discs. A gain of 0 is off.
  double HighlightThreshold = kDefaultHighlightThreshold;
  double HighlightGain = 0.0;

  DepthOfFieldSettings() : KeyframeSettings(kTypeCode) {}

  void Reset(const CLayerBitmap& currentImage) override;
  void CopyFrom(const KeyframeSettings& other) override;
  std::unique_ptr<KeyframeSettings> Clone() const override;
  void Interpolate(const CLayerBitmap* currentImage, const KeyframeSettings& earlier,
                   const KeyframeSettings& later, double t) override;
  void InterpolateInRange(const CLayerBitmap* currentImage, const DepthRange* range, const KeyframeSettings& earlier,
                          const KeyframeSettings& later, double t) override;
  void StoreRecord(CCustomData& record) const override;
  void LoadRecord(const CCustomData& record) override;
  void StoreEveryField(CCustomData& record) const override;
  // Amounts of 1 to 50 pixels; the field in order; every depth finite.
  std::string CheckValues() const override;

  void GetFieldLimits(double& fieldNear, double& fieldFar) const;
  void SetAmounts(int front, int back);
  double MaxAmount() const;

  // Signed blur in film units (pixels / PixelScale).
  double BlurAt(double depth) const;
  // Signed (or absolute) blur diameter in pixels, within +-kMaxBlurPixels.
  double BlurPixels(double depth, bool absolute) const;
  // The depth at which BlurAt gives the value; the middle of the field for values of a pixel or less.
  double DepthForBlur(double blur) const;
  // The pixel scale the law divides by: PixelScale, or 1 when it is not a positive number
  // (a record may hold anything), so that no blur becomes infinite or undefined.
  double EffectivePixelScale() const;

  // Sets the maximum-blur depths from two proposals and keeps the field and both depths
  // within the image's depth range (minimum depth to background depth).
  void ClampLimits(double frontMaxDepth, double backMaxDepth, const DepthRange& range);

  // What a depth tool starts from: the field limits for the interval tool (GetFieldLimits);
  // for the point tool FieldNear (front maximum), FieldFar (back maximum), nothing for the focus.
  std::optional<double> ReferenceDepthFor(DepthPointMode mode) const;

  // The depth tools' results.
  void ApplyFieldInterval(double fieldNear, double fieldFar, const DepthRange& range);
  void ApplyFocusPoint(double depth, const DepthRange& range);
  void ApplyBackMaxPoint(double depth, const DepthRange& range);
  void ApplyFrontMaxPoint(double depth, const DepthRange& range);
  // Dispatches on the mode the point tool ran with; false for an unknown mode (nothing changes).
  bool ApplyDepthPoint(int mode, double depth, const DepthRange& range);

  // A field limit typed by the user: within the image's depth range, the near limit below the
  // far one; the maximum-blur depths keep outside the field. False (nothing changes) for a
  // limit on the wrong side of the other.
  bool SetFieldLimit(bool nearLimit, double depth, const DepthRange& range);
  // Whether the highlights lift anything.
  bool HighlightsOn() const { return HighlightGain > 0.0; }
  // The factor the highlights give a pixel whose brightest channel has this display value.
  double HighlightFactor(double brightest) const;

  // The focus the panel shows: the middle of the sharp field.
  double FocusDepth() const { return (FieldNear + FieldFar) * 0.5; }
};
