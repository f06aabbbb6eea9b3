#pragma once
// Settings of the Z Hue filter: the zone depths, with the points under 'HMIN'/'HMAX', and the
// colour whose hue is given to the pixels (only its hue counts).

#include "filters/zone/ZoneSettings.h"
#include "platform/framework/Colour.h"
#include "platform/framework/FourCC.h"

class ZHueSettings final : public ZoneSettings {
 public:
  static constexpr uint32_t kTypeCode = FourCC("ZHUE");
  static constexpr uint32_t kDefaultColourValue = 0x0000FFFF;  // yellow, as 0x00BBGGRR

  CRGBColor Colour = CRGBColor::FromValue(kDefaultColourValue);

  ZHueSettings() : ZoneSettings(kTypeCode, FourCC("HMIN"), FourCC("HMAX")) {}

  void Reset(const CLayerBitmap& currentImage) override;
  void CopyFrom(const KeyframeSettings& other) override;
  std::unique_ptr<KeyframeSettings> Clone() const override;
  void Interpolate(const CLayerBitmap* currentImage, const KeyframeSettings& earlier,
                   const KeyframeSettings& later, double t) override;
  // The zone record followed by 'COLR' (0x00BBGGRR).
  void StoreRecord(CCustomData& record) const override;
  void LoadRecord(const CCustomData& record) override;
};
