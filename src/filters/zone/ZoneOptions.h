#pragma once
// Options of the zone filters. They hold for every frame (they are not keyframed) and live in
// the project's options record, one Bool entry per option in a fixed order.

#include "animation/FilterOptions.h"

// Z Saturation and Z Luminance.
class ZoneOptions final : public FilterOptions {
 public:
  bool InvertZone = false;       // 'INVE': the zone takes the effect, the points give it back
  bool RaiseBackground = false;  // 'BACK': behind the zone the value grows instead of falling
  bool RaiseForeground = false;  // 'FORE': in front of the zone the value grows instead of falling

  std::unique_ptr<FilterOptions> Clone() const override { return std::make_unique<ZoneOptions>(*this); }
  // 'INVE', 'BACK', 'FORE' in this order; a missing key reads as false.
  void StoreRecord(CCustomData& record) const override;
  void LoadRecord(const CCustomData& record) override;
};

// Z Hue has no raise options.
class ZHueOptions final : public FilterOptions {
 public:
  bool InvertZone = false;  // 'INVE'

  std::unique_ptr<FilterOptions> Clone() const override { return std::make_unique<ZHueOptions>(*this); }
  void StoreRecord(CCustomData& record) const override;
  void LoadRecord(const CCustomData& record) override;
};
