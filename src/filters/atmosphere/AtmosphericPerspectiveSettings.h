#pragma once
// Settings of the atmospheric perspective filter: a colour added to the pixels beyond a start
// depth (or in front of it), its intensity following a power curve from NearIntensity at the
// start depth to FarIntensity at the far end of the image's depth range.

#include <cstdint>

#include "animation/FilterOptions.h"
#include "animation/KeyframeSettings.h"
#include "platform/framework/Colour.h"
#include "platform/framework/FourCC.h"

class AtmosphericPerspectiveSettings final : public KeyframeSettings {
 public:
  static constexpr uint32_t kTypeCode = FourCC("ZFOG");

  float Density = 0.5f;        // exponent of the intensity curve: below 1 the colour comes quickly
  float NearIntensity = 0.0f;  // 0..1, at the start depth
  float FarIntensity = 1.0f;   // 0..1, at the far end of the ramp
  float StartDepth = 0.0f;
  CRGBColor Colour = CRGBColor(255, 255, 255);

  AtmosphericPerspectiveSettings() : KeyframeSettings(kTypeCode) {}

  // White at full intensity from a quarter of the depth range on.
  void Reset(const CLayerBitmap& currentImage) override;
  void CopyFrom(const KeyframeSettings& other) override;
  std::unique_ptr<KeyframeSettings> Clone() const override;
  void Interpolate(const CLayerBitmap* currentImage, const KeyframeSettings& earlier,
                   const KeyframeSettings& later, double t) override;
  // 'ZFOG', 'DENS', 'NEAR', 'FARI', then 'COLR' (0x00BBGGRR).
  void StoreRecord(CCustomData& record) const override;
  void LoadRecord(const CCustomData& record) override;
  // Intensities of 0 to 1, a density the panel's bar reaches, a finite start depth.
  std::string CheckValues() const override;
};

// The filter's one option: not keyframed, kept in the project's options record.
class AtmosphericPerspectiveOptions final : public FilterOptions {
 public:
  bool InForeground = false;  // 'FORE': the colour is added in front of the start depth

  std::unique_ptr<FilterOptions> Clone() const override {
    return std::make_unique<AtmosphericPerspectiveOptions>(*this);
  }
  void StoreRecord(CCustomData& record) const override;
  void LoadRecord(const CCustomData& record) override;
};

// The depth point tool's pick, in any mode, becomes the start depth.
void ApplyAtmospherePointPick(AtmosphericPerspectiveSettings& settings, double depth);
